#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "codec/decoder.h"
#include "io/fault_stream.h"
#include "io/memory_stream.h"
#include "platform/clock.h"
#include "platform/headless/scripted_prompter.h"
#include "platform/message_queue.h"
#include "player/engine/playback_engine.h"
#include "testsupport/played_streams.h"
#include "testsupport/pump.h"
#include "wavfile/wave_file.h"

namespace vx::testing {

// ---- Platform ----

// Files held in memory, opened as copies. Every move of a stream to another position, counted
// from its start, is logged.
class MemoryFileOpener final : public FileOpener {
 public:
  // Room for the log, so that keeping it takes no memory while playing.
  MemoryFileOpener() { seeks_.reserve(256); }
  void Put(const std::string& path, std::vector<uint8_t> bytes) { files_[path] = std::move(bytes); }
  std::unique_ptr<ByteStream> Open(const std::string& path, FileMode, int& error) override {
    auto it = files_.find(path);
    if (it == files_.end()) {
      error = -ENOENT;
      return nullptr;
    }
    return std::make_unique<LoggedStream>(it->second, seeks_);
  }
  const std::vector<int64_t>& Seeks() const { return seeks_; }

 private:
  class LoggedStream final : public ByteStream {
   public:
    LoggedStream(const std::vector<uint8_t>& bytes, std::vector<int64_t>& seeks)
        : inner_(bytes), seeks_(seeks) {}
    int64_t Read(std::span<uint8_t> buffer) override { return inner_.Read(buffer); }
    int64_t Write(std::span<const uint8_t> data) override { return inner_.Write(data); }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
      if (origin == SeekOrigin::kBegin && offset != inner_.Tell()) seeks_.push_back(offset);
      return inner_.Seek(offset, origin);
    }
    int64_t Tell() override { return inner_.Tell(); }
    int Close() override { return inner_.Close(); }

   private:
    MemoryStream inner_;
    std::vector<int64_t>& seeks_;
  };

  std::map<std::string, std::vector<uint8_t>> files_;
  std::vector<int64_t> seeks_;
};

// Records what the engine has the panel draw. Records only when `recording`, and then
// allocates (the allocation test turns it off).
class RecordingView final : public PlaybackView {
 public:
  void EnablePlay(bool enabled) override { playEnabled = enabled; }
  void EnableStop(bool enabled) override { stopEnabled = enabled; }
  void SetWaitCursor(bool shown) override {
    waitCursor = shown;
    if (onWaitCursor) onWaitCursor(shown);
  }
  void DrawVolume(double volume) override {
    ++volumeDraws;
    drawnVolume = volume;
  }
  void ClearTimeDisplay() override { ++timeClears; }
  void DrawTimes(std::string_view now, std::string_view total) override {
    if (recording) times.emplace_back(std::string(now), std::string(total));
  }
  void DrawAnimationFrame(int index) override {
    if (recording) animation.push_back(index);
  }
  void DrawRateIndicators(bool halfLit, bool fullLit) override {
    half = halfLit;
    full = fullLit;
    ++updates;
    if (onUpdate) onUpdate();
  }
  void SetSliderRange(int minimum, int maximum) override {
    ++sliderRanges;
    sliderMin = minimum;
    sliderMax = maximum;
  }
  void SetSliderPosition(int position) override {
    ++sliderMoves;
    sliderPosition = position;
  }

  bool recording = true;
  bool playEnabled = false, stopEnabled = false, waitCursor = false;
  int volumeDraws = 0;
  double drawnVolume = -1;
  int timeClears = 0;
  std::vector<std::pair<std::string, std::string>> times;
  std::vector<int> animation;
  bool half = false, full = false;
  long updates = 0;
  int sliderRanges = 0, sliderMin = -1, sliderMax = -1;
  long sliderMoves = 0;
  int sliderPosition = -1;
  // Called at every display update (once per step while playing or draining).
  std::function<void()> onUpdate;
  // Called as the wait cursor is shown and hidden (around opening, closing and seeking).
  std::function<void(bool)> onWaitCursor;
};

// The engine on the virtual card and a virtual clock, reading files from memory through a
// fault-injecting opener, with a scripted prompter and a main window that counts its close
// messages. Actions can be scheduled at a time of the clock: they arrive as messages, the
// way a button press does. A run still going at kDeadlineMs of the clock fails the test and
// is stopped; one that does not end even then aborts the test binary rather than hang it.
struct EngineRig {
  static constexpr int64_t kDeadlineMs = 30 * 60 * 1000;

  explicit EngineRig(VirtualCardConfig config = {}, BlockHeap* blockHeap = nullptr)
      : card(queue, clock, config),
        engine(PlaybackServices{queue, prompter, clock, files, card, blockHeap}, view,
               [this] { return path; }) {
    mainWindow = queue.Register([this](const Message& m) {
      if (m.id == kMsgClose) ++mainWindowCloses;
    });
    actions = queue.Register([this](const Message& m) {
      auto& action = scheduled[static_cast<size_t>(m.wparam)];
      if (action.run) action.run();
    });
    engine.SetMainWindow(mainWindow);
    observer = clock.AddObserver([this](int64_t now) {
      if (now >= 2 * kDeadlineMs) {
        std::fprintf(stderr, "the run did not stop at the deadline: aborting\n");
        std::abort();
      }
      if (now >= kDeadlineMs && !deadlinePassed) {
        deadlinePassed = true;
        ADD_FAILURE() << "the run was still going at the deadline: stopping it";
        At(now, [this] { engine.RequestStop(); });
      }
      for (size_t i = 0; i < scheduled.size(); ++i) {
        if (!scheduled[i].posted && now >= scheduled[i].atMs) {
          scheduled[i].posted = true;
          queue.Post(actions, kMsgPrivateFirst, i);
        }
      }
    });
  }
  ~EngineRig() { clock.RemoveObserver(observer); }

  void Put(const std::string& name, std::vector<uint8_t> bytes) {
    memory.Put(name, std::move(bytes));
    path = name;
  }
  // Runs `action` once the clock has reached `atMs` (it is taken by the loop's next turn).
  void At(int64_t atMs, std::function<void()> action) {
    scheduled.push_back({atMs, std::move(action), false});
  }
  // Dispatches every message until the queue is empty (runs whole runs).
  void Pump() { PumpUntilEmpty(queue); }
  // The panel's start-up (which posts play-request when there is a path), then every run.
  void StartAndPump() {
    engine.InitialUpdate();
    Pump();
  }
  std::vector<uint8_t> Played() const { return card.PlayedBytes(); }

  struct Scheduled {
    int64_t atMs;
    std::function<void()> run;
    bool posted;
  };

  MessageQueue queue;
  VirtualClock clock;
  ScriptedPrompter prompter;
  MemoryFileOpener memory;
  FaultFileOpener files{memory};
  VirtualWaveApi card;
  RecordingView view;
  std::string path;
  PlaybackEngine engine;
  TargetId mainWindow = kNoTarget;
  TargetId actions = kNoTarget;
  int mainWindowCloses = 0;
  bool deadlinePassed = false;
  std::vector<Scheduled> scheduled;
  int observer = 0;
};

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::vector<uint8_t> Prefix(const std::vector<uint8_t>& v, size_t n) {
  return {v.begin(), v.begin() + static_cast<std::ptrdiff_t>(std::min(n, v.size()))};
}

}  // namespace vx::testing
