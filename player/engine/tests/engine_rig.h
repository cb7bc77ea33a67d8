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
#include "codec/tests/test_streams.h"
#include "io/fault_stream.h"
#include "io/memory_stream.h"
#include "platform/clock.h"
#include "platform/headless/scripted_prompter.h"
#include "platform/message_queue.h"
#include "player/engine/playback_engine.h"
#include "wavfile/wave_file.h"

namespace vx::testing {

// ---- Streams ----

// A compressed speech file of `frames` frames with random valid words. Variable-rate
// streams mix all four frame types; fixed-rate ones hold their one type. `sampleCount` −1
// leaves the count out of the header.
struct StreamShape {
  int frames = 450;
  int variableRate = 1;
  int rateMode = 0;  // 0 full rate, 1 half rate
  bool withCount = true;
  uint32_t seed = 1;
};

inline std::vector<uint8_t> MakeStream(const StreamShape& shape) {
  std::mt19937 random(shape.seed);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < shape.frames; ++i) {
    FrameType type = shape.rateMode == 1 ? FrameType::kHalfRate : FrameType::kFullRate;
    if (shape.variableRate) {
      // Mostly speech, with runs of noise and silence frames among it.
      const uint32_t pick = random() % 8;
      type = pick == 0   ? FrameType::kNoise
             : pick == 1 ? FrameType::kSilence
             : pick < 5  ? FrameType::kFullRate
                         : FrameType::kHalfRate;
    }
    frames.push_back(test::PackedFrame(type, test::RandomWords(random, type)));
  }
  const int32_t count = shape.withCount ? shape.frames * kFrameSamples : -1;
  return test::SpeechStream(shape.variableRate, shape.rateMode, frames, count);
}

// The stream inside a RIFF WAVE wrapper whose "fmt " chunk says rate, bits and channels;
// `trailer` bytes follow the "data" chunk in a chunk of their own.
inline std::vector<uint8_t> WrapInWave(const std::vector<uint8_t>& stream, int rate, int bits = 16,
                                       int channels = 1, std::vector<uint8_t> trailer = {}) {
  MemoryStream file;
  WaveWriter writer;
  EXPECT_EQ(writer.CreateWaveFormat(file, rate, bits, channels), 0);
  EXPECT_EQ(writer.CreateWaveData(file), 0);
  file.Write(stream);
  EXPECT_EQ(writer.CloseWaveData(file), 0);
  if (!trailer.empty()) {
    RiffChunk chunk;
    EXPECT_EQ(CreateChunk(file, RiffKind::kChunk, FourCC("LIST"), chunk), 0);
    file.Write(trailer);
    EXPECT_EQ(Ascend(file, chunk), 0);
  }
  EXPECT_EQ(writer.CloseWaveRiff(file), 0);
  return file.Bytes();
}

// Decodes a bare stream the way a session fed by the engine does: one session, frames
// decoded in the order asked, each range starting at its frame's offset.
class ReferenceDecoder {
 public:
  ReferenceDecoder(std::vector<uint8_t> stream, int rateCode)
      : stream_(std::move(stream)), rateCode_(rateCode) {
    MemoryStream file(stream_);
    int32_t samples = 0;
    EXPECT_EQ(session_.GetVocrixHeader(file, samples, streamType_), 0);
    for (;;) {
      const int64_t offset = file.Tell();
      std::vector<uint8_t> out(kFramePcmBytes11000);
      if (session_.ReadAndDecodeFrame(file, out, rateCode_, streamType_, true) <= 0) break;
      offsets_.push_back(offset);
    }
    Restart();
  }

  // A fresh session, as after the engine read the header.
  void Restart() {
    MemoryStream file(stream_);
    int32_t samples = 0;
    session_.GetVocrixHeader(file, samples, streamType_);
  }

  // PCM of frames [from, to), to = −1 for the end.
  std::vector<uint8_t> Decode(int from, int to = -1) {
    if (to < 0) to = Frames();
    MemoryStream file(stream_);
    std::vector<uint8_t> pcm;
    if (from >= Frames()) return pcm;
    file.Seek(offsets_[static_cast<size_t>(from)], SeekOrigin::kBegin);
    std::vector<uint8_t> out(kFramePcmBytes11000);
    for (int i = from; i < to; ++i) {
      const int n = session_.ReadAndDecodeFrame(file, out, rateCode_, streamType_, false);
      if (n <= 0) break;
      pcm.insert(pcm.end(), out.begin(), out.begin() + n);
    }
    return pcm;
  }

  int Frames() const { return static_cast<int>(offsets_.size()); }
  const std::vector<int64_t>& Offsets() const { return offsets_; }
  int StreamType() const { return streamType_; }

 private:
  std::vector<uint8_t> stream_;
  int rateCode_;
  DecoderSession session_;
  int streamType_ = 0;
  std::vector<int64_t> offsets_;
};

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
  void Pump() {
    for (int guard = 0; guard < 100000; ++guard) {
      std::optional<Message> m = queue.Take();
      if (!m) return;
      queue.Dispatch(*m);
    }
    ADD_FAILURE() << "the queue never emptied";
  }
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
