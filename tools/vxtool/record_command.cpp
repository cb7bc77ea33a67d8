// vxtool record: the recording pipeline on a terminal, over the sound card (ALSA's "default"
// PCM) or a virtual card that captures a WAV file on a virtual clock.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/alsa_wave_api.h"
#include "audio/virtual_wave_api.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/path_services.h"
#include "recorder/pipeline/recording_pipeline.h"
#include "tools/vxtool/cli.h"
#include "tools/vxtool/commands.h"
#include "tools/vxtool/stop_signals.h"
#include "wavfile/wave_file.h"

namespace vx::cli {
namespace {

constexpr const char* kApplicationTitle = "Vocrix Recoder for Windows95/NT";
constexpr int64_t kMaxSeconds = 24 * 3600;
constexpr uint32_t kBytesPerSecond = RecordingPipeline::kRate * RecordingPipeline::kBits / 8;

// "2", "2.3", "0.25": a positive number of seconds with at most three decimals, in ms.
std::optional<int64_t> ParseSeconds(std::string_view text) {
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  if (whole.empty() || fraction.size() > 3 || (dot != std::string_view::npos && fraction.empty()))
    return std::nullopt;
  const std::optional<long> seconds = ParseNumber(whole, 0, kMaxSeconds);
  if (!seconds) return std::nullopt;
  int64_t ms = *seconds * 1000;
  int64_t scale = 100;
  for (char c : fraction) {
    if (c < '0' || c > '9') return std::nullopt;
    ms += (c - '0') * scale;
    scale /= 10;
  }
  if (ms <= 0 || ms > kMaxSeconds * 1000) return std::nullopt;
  return ms;
}

// The PCM of a WAV file in the capture format (8000 Hz, 16-bit mono); empty text on success.
std::string ReadCaptureSource(const std::string& path, std::vector<uint8_t>& pcm) {
  int error = 0;
  std::unique_ptr<FileStream> file = FileStream::Open(path, FileMode::kRead, error);
  if (!file) return path + ": " + ErrorText(error);
  WaveReader reader;
  int rate = 0, bits = 0, channels = 0;
  uint32_t size = 0;
  if (reader.ReadWaveFormat(*file, rate, bits, channels) != 0 ||
      reader.FindWaveData(*file, size) != 0) {
    return path + ": not a PCM WAV file (" + reader.LastError() + ")";
  }
  if (rate != 8000 || bits != 16 || channels != 1) {
    return path + ": the virtual card captures 8000 Hz 16-bit mono, not " + std::to_string(rate) +
           " Hz " + std::to_string(bits) + "-bit " + std::to_string(channels) + "-channel";
  }
  pcm.resize(size & ~1u);
  const int64_t got = file->Read(pcm);
  if (got < 0) return path + ": " + ErrorText(static_cast<int>(got));
  pcm.resize(static_cast<size_t>(got) & ~size_t{1});
  return {};
}

// Message boxes as lines on stderr. Every box of the recorder has only an OK button.
class NoticePrompter final : public Prompter {
 public:
  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon) override {
    const std::string_view shown = caption.empty() ? std::string_view(kApplicationTitle) : caption;
    std::fprintf(stderr, "\nvxtool: [%.*s] %.*s\n", static_cast<int>(shown.size()), shown.data(),
                 static_cast<int>(text.size()), text.data());
    return FitAnswer(buttons, kAnswerOk);
  }
};

struct PathDocument final : RecordingDocument {
  std::string GetPathName() const override { return path; }
  void SetPathName(const std::string& p) override { path = p; }
  std::string path;
};

// The recorder's window on a terminal: the time display on stderr, the save dialog answered
// with a fresh file beside the output (renamed into place once the copy is complete), and the
// end of the take checked at every display update.
class TerminalView final : public RecordingView {
 public:
  TerminalView(std::string output, MessageQueue& queue, TargetId stopTarget)
      : output_(std::move(output)), queue_(queue), stopTarget_(stopTarget) {}

  void Watch(const RecordingPipeline& pipeline, uint32_t stopBytes) {
    pipeline_ = &pipeline;
    stopBytes_ = stopBytes;
  }

  void EnableRecord(bool) override {}
  void EnableStop(bool) override {}
  void SetWaitCursor(bool) override {}
  void ClearTimeBox() override {}
  void DrawTimeText(std::string_view text) override {
    std::fprintf(stderr, "%s%.*s", isatty(STDERR_FILENO) ? "\r" : "\n",
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
  }
  void DrawRateLamps(bool, bool) override {
    if (stopPosted_ || stopBytes_ == 0 || pipeline_ == nullptr) return;
    if (pipeline_->State() == RecordState::kRecording && pipeline_->SampleBytes() >= stopBytes_) {
      stopPosted_ = true;
      queue_.Post(stopTarget_, kMsgPrivateFirst);
    }
  }
  void ShowRateButtons(bool, bool) override {}
  std::optional<std::string> ChooseSavePath(const SaveFileRequest&) override {
    // The pipeline copies the take into the fresh file by name.
    int error = saved_.Open(output_);
    if (error == 0) error = saved_.CloseStream();
    if (error < 0) {
      std::fprintf(stderr, "\nvxtool: %s: %s\n", output_.c_str(), ErrorText(error).c_str());
      return std::nullopt;
    }
    return saved_.TemporaryPath();
  }

  // After a complete copy: the copy takes the output's name.
  int Commit() { return saved_.Commit(); }
  // After a failed commit: the complete copy is kept where it is, and named.
  std::string KeepCopy() { return saved_.Keep(); }

 private:
  std::string output_;
  AtomicOutput saved_;
  MessageQueue& queue_;
  TargetId stopTarget_;
  const RecordingPipeline* pipeline_ = nullptr;
  uint32_t stopBytes_ = 0;
  bool stopPosted_ = false;
};

}  // namespace

const std::string_view kRecordHelp =
    "usage: vxtool record OUT.vxs [--half] [--seconds S] [--device default|virtual:IN.wav]\n"
    "  Records speech after a three-second countdown; Enter or Ctrl-C (or the end of S\n"
    "  seconds) stops, and the take is saved as OUT.vxs.\n"
    "  --half                 half-rate speech frames (4800 bit/s) in place of full rate\n"
    "                         (7600 bit/s)\n"
    "  --seconds S            stop after S seconds (up to three decimals, such as 2.5)\n"
    "  --device default       ALSA's default capture device (the default)\n"
    "  --device virtual:IN.wav\n"
    "                         the virtual sound card, capturing IN.wav (8000 Hz 16-bit mono)\n"
    "                         on a virtual clock; without --seconds the take is all of it\n";

int RunRecordCommand(std::span<char* const> arguments) {
  Args args(arguments);
  const bool half = args.Flag("--half");
  const std::optional<std::string> secondsText = args.Value("--seconds");
  const std::string deviceText = args.Value("--device").value_or("default");
  const std::vector<std::string> names = args.Positional();
  if (!args.Error().empty()) return Fail(args.Error());
  if (names.size() != 1) return FailUsage(kRecordHelp);
  const std::string& output = names[0];
  int64_t stopMs = 0;
  if (secondsText) {
    const std::optional<int64_t> ms = ParseSeconds(*secondsText);
    if (!ms) return Fail("--seconds needs a number of seconds above 0, such as 2.5");
    stopMs = *ms;
  }

  std::vector<uint8_t> capture;
  DeviceChoice device;
  if (std::string problem = ParseDevice(deviceText, "IN.wav", device); !problem.empty())
    return Fail(problem);
  const bool virtualCard = device.virtualCard;
  if (virtualCard) {
    if (std::string problem = ReadCaptureSource(device.file, capture); !problem.empty())
      return Fail(problem);
  }

  StopSignals::Block();
  MessageQueue queue;
  RealClock realClock;
  VirtualClock virtualClock;
  Clock& clock = virtualCard ? static_cast<Clock&>(virtualClock) : realClock;
  std::unique_ptr<WaveApi> waveApi;
  if (virtualCard) {
    auto card = std::make_unique<VirtualWaveApi>(queue, virtualClock);
    card->SetCaptureSource(capture);
    waveApi = std::move(card);
  } else {
    waveApi = std::make_unique<AlsaWaveApi>(queue);
  }
  NoticePrompter prompter;
  PosixFileOpener files;
  PosixPathServices paths;
  PathDocument document;

  bool closed = false;
  const TargetId mainWindow = queue.Register([&](const Message& m) {
    if (m.id == kMsgClose) closed = true;
  });
  RecordingPipeline* running = nullptr;
  const TargetId stopTarget = queue.Register([&](const Message&) {
    if (running != nullptr) running->OnStop();
  });
  TerminalView view(output, queue, stopTarget);
  RecordingPipeline pipeline(RecordingServices{queue, prompter, clock, files, paths, *waveApi},
                             view, document);
  pipeline.SetMainWindow(mainWindow);
  running = &pipeline;

  // The save dialog takes only a directory that exists: find out before recording.
  const std::string directory = SplitPath(output).directory;
  if (!directory.empty() && !paths.DirectoryExists(directory))
    return Fail(output + ": the directory " + directory + " does not exist");
  if (pipeline.IsTemporaryFile(output)) {
    prompter.MessageBox("This File is Illegal Name", "", PromptButtons::kOk, PromptIcon::kNone);
    return 1;
  }
  // A take of S seconds, or with the virtual card and no S, the whole input file.
  const uint64_t stopBytes = stopMs > 0 ? static_cast<uint64_t>(stopMs) * kBytesPerSecond / 1000
                                        : (virtualCard ? std::max<size_t>(capture.size(), 1) : 0);
  view.Watch(pipeline, static_cast<uint32_t>(std::min<uint64_t>(stopBytes, UINT32_MAX)));

  std::fprintf(stderr, "vxtool: recording to %s at %s rate after a 3 s countdown; %s\n",
               output.c_str(), half ? "half" : "full",
               stopMs > 0 || virtualCard ? "Enter or Ctrl-C stops early" : "Enter or Ctrl-C stops");
  {
    StopSignals watcher(StopSignals::Input::kEnterStops,
                        [&queue, stopTarget] { queue.Post(stopTarget, kMsgPrivateFirst); });
    pipeline.InitialUpdate();
    if (half) pipeline.OnHalfRate();
    pipeline.OnRecord();
    // The run happens inside the dispatch of its run-loop message; what the device posts
    // after it has ended is taken here.
    while (!closed) {
      if (std::optional<Message> m = queue.Take()) {
        queue.Dispatch(*m);
      } else if (pipeline.State() == RecordState::kIdle && !pipeline.IsLoopRunning()) {
        break;
      } else {
        queue.WaitForMessage(std::chrono::milliseconds(10));
      }
    }
  }
  std::fprintf(stderr, "\n");

  const int32_t frames = pipeline.Frames();
  const int32_t samples = frames * RecordingPipeline::kFrameLength;
  switch (pipeline.LastSave()) {
    case SaveOutcome::kSaved:
      if (const int error = view.Commit(); error != 0)
        return Fail(output + ": " + ErrorText(error) + "; the take stays in " + view.KeepCopy());
      std::printf("%s: %d frames, %d samples (%.2f s)\n", output.c_str(), frames, samples,
                  samples / 8000.0);
      return 0;
    case SaveOutcome::kNotOffered:
      if (pipeline.RunFailed()) return Fail("the recording failed; " + output + " not written");
      return Fail("stopped before the recording began; " + output + " not written");
    case SaveOutcome::kCancelled:
    case SaveOutcome::kRefused:
    case SaveOutcome::kFailed:
      break;
  }
  return Fail(output + " not written; the take stays in " + pipeline.TemporaryPath());
}

}  // namespace vx::cli
