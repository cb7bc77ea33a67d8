#pragma once

#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "audio/wave_block.h"
#include "platform/clock.h"
#include "platform/headless/scripted_prompter.h"
#include "platform/message_queue.h"
#include "testsupport/counting_heap.h"

namespace vx::testing {

// Bytes 0, 1, 2, … from `start`, so that every block of a test has its own content.
inline std::vector<uint8_t> Pattern(size_t bytes, uint8_t start = 0) {
  std::vector<uint8_t> v(bytes);
  for (size_t i = 0; i < bytes; ++i) v[i] = static_cast<uint8_t>(start + i * 7 + i / 251);
  return v;
}

// The virtual card on a virtual clock, with a queue, a scripted prompter and a counting
// heap, and a target that records what it is sent.
struct CardRig {
  explicit CardRig(VirtualCardConfig config = {}) : card(queue, clock, config) {
    target = queue.Register([this](const Message& m) { received.push_back(m); });
  }

  // Takes every waiting message, hands it to the target, and returns how many were taken.
  template <typename OnMessage>
  int Pump(OnMessage onMessage) {
    int n = 0;
    while (auto m = queue.Take()) {
      onMessage(*m);
      queue.Dispatch(*m);
      ++n;
    }
    return n;
  }
  int Pump() {
    return Pump([](const Message&) {});
  }

  MessageQueue queue;
  VirtualClock clock;
  ScriptedPrompter prompter;
  CountingHeap heap;
  VirtualWaveApi card;
  TargetId target = kNoTarget;
  std::vector<Message> received;
};

}  // namespace vx::testing
