#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <span>

#include "audio/wave_in_device.h"
#include "audio/wave_out_device.h"
#include "platform/clock.h"
#include "platform/message_queue.h"

namespace vx::testing {

// The loops of the engines in small, against a card that runs on its own (a backend thread
// or a clock). Nothing here allocates, so that the allocation test can run them.

// Waits up to a minute (of the clock slept on, or of real time) for a message.
inline bool AwaitMessage(MessageQueue& queue, Clock* sleepOn) {
  if (sleepOn == nullptr) return queue.WaitForMessage(std::chrono::minutes(1));
  for (int slept = 0; queue.Empty(); slept += 20) {
    if (slept >= 60000) return false;
    sleepOn->Sleep(20);
  }
  return true;
}

// Takes the waiting messages and answers the done messages; false when none came.
inline bool AnswerMessages(MessageQueue& queue, WaveOutDevice& out, Clock* sleepOn) {
  if (!AwaitMessage(queue, sleepOn)) return false;
  while (auto m = queue.Take()) {
    if (m->id == kMsgWaveOutDone && out.OnBlockDone() != 0) return false;
  }
  return true;
}

// Plays `sound` through the open, paused device block by block (the last one short),
// restarting it after the first write, and waits until the last block has played.
// `sleepOn` is the clock to sleep on while waiting, or null to wait on the queue.
inline bool PlayThrough(MessageQueue& queue, WaveOutDevice& out, std::span<const uint8_t> sound,
                        Clock* sleepOn = nullptr) {
  bool restarted = false;
  while (!sound.empty()) {
    while (out.IsWriteBlockBusy()) {
      if (!AnswerMessages(queue, out, sleepOn)) return false;
    }
    uint8_t* data = nullptr;
    uint32_t size = 0;
    out.GetWriteBlock(data, size);
    const size_t n = std::min<size_t>(size, sound.size());
    std::memcpy(data, sound.data(), n);
    if (out.Write(static_cast<uint32_t>(n)) != 0) return false;
    sound = sound.subspan(n);
    if (!restarted && out.Restart() != 0) return false;
    restarted = true;
  }
  while (out.IsLastWrittenPlaying()) {
    if (!AnswerMessages(queue, out, sleepOn)) return false;
  }
  while (auto m = queue.Take()) {
    if (m->id == kMsgWaveOutDone && out.OnBlockDone() != 0) return false;
  }
  return true;
}

// Captures into `sound` from the open device: starts it, copies each filled block and
// queues it again, until `sound` is full; then stops.
inline bool CaptureInto(MessageQueue& queue, WaveInDevice& in, std::span<uint8_t> sound,
                        Clock* sleepOn = nullptr) {
  if (in.StartCapture() != 0) return false;
  while (!sound.empty()) {
    if (!AwaitMessage(queue, sleepOn)) return false;
    while (auto m = queue.Take()) {
      if (m->id != kMsgWaveInData || sound.empty()) continue;
      uint8_t* data = nullptr;
      uint32_t size = 0;
      in.GetFilledBlock(data, size);
      const auto* header = reinterpret_cast<const WaveHeader*>(m->lparam);
      const size_t n = std::min<size_t>(header->bytesRecorded.load(), sound.size());
      std::memcpy(sound.data(), data, n);
      sound = sound.subspan(n);
      if (in.RequeueBlock() != 0) return false;
    }
  }
  return in.StopCapture() == 0;
}

}  // namespace vx::testing
