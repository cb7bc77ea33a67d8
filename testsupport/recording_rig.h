#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "codec/encoder.h"
#include "io/fault_stream.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/headless/scripted_prompter.h"
#include "platform/message_queue.h"
#include "platform/path_services.h"
#include "recorder/pipeline/recording_pipeline.h"
#include "testsupport/counting_heap.h"
#include "testsupport/expected_take.h"
#include "testsupport/pump.h"
#include "testsupport/test_speech.h"

namespace vx::testing {

// A directory of the test's own, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vx_recording_XXXXXX";
    if (mkdtemp(pattern) == nullptr) ADD_FAILURE() << "no temporary directory";
    path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The system's path services with the current and the temporary directory fixed to a
// directory of the test.
class FixedDirectoryPaths final : public PosixPathServices {
 public:
  explicit FixedDirectoryPaths(std::string directory) : directory_(std::move(directory)) {}
  std::optional<std::string> CurrentDirectory() override { return directory_; }
  std::string TemporaryDirectory() override { return directory_; }

 private:
  std::string directory_;
};

struct PathDocument final : RecordingDocument {
  std::string GetPathName() const override { return path; }
  void SetPathName(const std::string& p) override { path = p; }
  std::string path;
};

// Records what the pipeline has the window draw. Texts are kept only when `recording` (the
// allocation test turns it off).
class RecordingViewLog final : public RecordingView {
 public:
  void EnableRecord(bool enabled) override { recordEnabled = enabled; }
  void EnableStop(bool enabled) override { stopEnabled = enabled; }
  void SetWaitCursor(bool shown) override { waitCursor = shown; }
  void ClearTimeBox() override { ++boxClears; }
  void DrawTimeText(std::string_view text) override {
    if (recording) times.emplace_back(text);
  }
  void DrawRateLamps(bool halfLit, bool fullLit) override {
    half = halfLit;
    full = fullLit;
    if (onTurn) onTurn();
  }
  void ShowRateButtons(bool fullPressed, bool halfPressed) override {
    fullButton = fullPressed;
    halfButton = halfPressed;
  }
  std::optional<std::string> ChooseSavePath(const SaveFileRequest& request) override {
    ++dialogs;
    filter = std::string(request.filter);
    return saveAnswer;
  }

  bool recording = true;
  bool recordEnabled = false, stopEnabled = false, waitCursor = false;
  int boxClears = 0;
  std::vector<std::string> times;
  bool half = false, full = false, fullButton = false, halfButton = false;
  int dialogs = 0;
  std::string filter;
  std::optional<std::string> saveAnswer;
  // Called at every display update: once per loop turn while counting down or recording.
  std::function<void()> onTurn;
};

// The first 45200 samples (5.65 s) of recorded speech, as the capture's bytes.
inline std::vector<uint8_t> SpeechBytes() {
  const test::SpeechClip clip = test::ReadSpeechClip(test::SourcePath("samples/vm-intro.wav"));
  EXPECT_FALSE(clip.samples.empty()) << "the speech sample is missing";
  std::vector<uint8_t> bytes(clip.samples.size() * 2);
  std::memcpy(bytes.data(), clip.samples.data(), bytes.size());
  return bytes;
}

// The recorder's platform in a test: the virtual card and a virtual clock, real files in a
// directory of its own (the current and temporary directory of its path services) through a
// fault-injecting opener, and a scripted prompter. Actions can be scheduled at a time of the
// clock: they arrive as messages, the way a button press does.
struct RecordingPlatform {
  RecordingPlatform() : paths(dir.Path()), card(queue, clock) {
    actions = queue.Register([this](const Message& m) {
      auto& action = scheduled[static_cast<size_t>(m.wparam)];
      if (action.run) action.run();
    });
    observer = clock.AddObserver([this](int64_t now) {
      for (size_t i = 0; i < scheduled.size(); ++i) {
        if (!scheduled[i].posted && now >= scheduled[i].atMs) {
          scheduled[i].posted = true;
          queue.Post(actions, kMsgPrivateFirst, i);
        }
      }
    });
  }
  ~RecordingPlatform() { clock.RemoveObserver(observer); }

  RecordingServices Services(BlockHeap& heap = ProcessHeap()) {
    return RecordingServices{queue, prompter, clock, files, paths, card, heap};
  }
  std::string TemporaryPath() const { return dir.File("VocrixRec.tmp"); }
  // Runs `action` once the clock has reached `atMs` (taken by the loop's next turn).
  void At(int64_t atMs, std::function<void()> action) {
    scheduled.push_back({atMs, std::move(action), false});
  }
  // Drops the actions not yet run (a run that ended early leaves its stop behind).
  void CancelActions() {
    for (Scheduled& s : scheduled) {
      s.posted = true;
      s.run = nullptr;
    }
  }
  void Pump() { PumpUntilEmpty(queue); }

  struct Scheduled {
    int64_t atMs;
    std::function<void()> run;
    bool posted;
  };

  TempDir dir;
  MessageQueue queue;
  VirtualClock clock;
  ScriptedPrompter prompter{kAnswerOk};
  PosixFileOpener disk;
  FaultFileOpener files{disk};
  FixedDirectoryPaths paths;
  VirtualWaveApi card;
  TargetId actions = kNoTarget;
  std::vector<Scheduled> scheduled;
  int observer = 0;
};

// The pipeline on the recorder's test platform, with a view that logs what it is told and a
// main window that counts its close messages.
struct RecordingRig : RecordingPlatform {
  explicit RecordingRig(BlockHeap& heap = ProcessHeap())
      : pipeline(Services(heap), view, document) {
    mainWindow = queue.Register([this](const Message& m) {
      if (m.id == kMsgClose) ++mainWindowCloses;
    });
    pipeline.SetMainWindow(mainWindow);
    view.saveAnswer = dir.File("take.vxs");
    pipeline.InitialUpdate();
  }

  // Stop after `ms` of capture, counted from the end of a countdown started now.
  void StopAfterCapture(int64_t ms) {
    At(clock.Ticks() + RecordingPipeline::kCountdownMs + ms, [this] { pipeline.OnStop(); });
  }
  // Presses Record and runs the whole run.
  void Record() {
    pipeline.OnRecord();
    Pump();
  }

  RecordingViewLog view;
  PathDocument document;
  RecordingPipeline pipeline;
  TargetId mainWindow = kNoTarget;
  int mainWindowCloses = 0;
};

}  // namespace vx::testing
