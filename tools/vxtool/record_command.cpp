// vxtool record: the recording pipeline on a terminal, over the sound card (ALSA's "default"
// PCM) or a virtual card that captures a WAV file on a virtual clock.
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
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
  ~TerminalView() override {
    if (!partial_.empty()) ::unlink(partial_.c_str());
  }

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
    std::string pattern = output_ + ".partXXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      std::fprintf(stderr, "\nvxtool: %s: %s\n", output_.c_str(), ErrorText(-errno).c_str());
      return std::nullopt;
    }
    // mkstemp makes the file private; the output gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    partial_ = pattern;
    return partial_;
  }

  // After a complete copy: the copy takes the output's name.
  int Commit() {
    if (::rename(partial_.c_str(), output_.c_str()) != 0) return -errno;
    partial_.clear();
    return 0;
  }
  // After a failed commit: the complete copy is kept where it is, and named.
  std::string KeepCopy() { return std::exchange(partial_, std::string()); }

 private:
  std::string output_;
  std::string partial_;
  MessageQueue& queue_;
  TargetId stopTarget_;
  const RecordingPipeline* pipeline_ = nullptr;
  uint32_t stopBytes_ = 0;
  bool stopPosted_ = false;
};

// SIGINT and SIGTERM blocked in the calling thread and every thread it starts later (the
// sound backend's among them, whose reads a signal would otherwise break off): only the stop
// watcher takes them. Left blocked when the command ends, as the program ends with it.
void BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// Enter on standard input, or SIGINT/SIGTERM, posts a stop message from a thread of its own.
class StopWatcher {
 public:
  StopWatcher(MessageQueue& queue, TargetId target) {
    if (::pipe(pipe_) != 0) return;
    signalPipe_ = pipe_[1];
    struct sigaction action {};
    action.sa_handler = [](int) {
      const char byte = 's';
      [[maybe_unused]] ssize_t n = ::write(signalPipe_, &byte, 1);
    };
    // A repeated signal only stops again: wrappers such as timeout(1) pass one on to the
    // process and to its group, so one Ctrl-C may arrive twice.
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    thread_ = std::thread([this, &queue, target] { Run(queue, target); });
  }
  ~StopWatcher() {
    if (!thread_.joinable()) return;
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    const char byte = 'q';
    [[maybe_unused]] ssize_t n = ::write(pipe_[1], &byte, 1);
    thread_.join();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    signalPipe_ = -1;
  }

 private:
  void Run(MessageQueue& queue, TargetId target) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    bool watchInput = true;
    for (;;) {
      pollfd fds[2] = {{pipe_[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
      if (::poll(fds, watchInput ? 2 : 1, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[0].revents & POLLIN) {
        char byte = 0;
        if (::read(pipe_[0], &byte, 1) != 1 || byte == 'q') return;
        queue.Post(target, kMsgPrivateFirst);
      }
      if (watchInput && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
          watchInput = false;  // no more input: only signals stop now
        } else if (std::string_view(buffer, static_cast<size_t>(n)).find('\n') !=
                   std::string_view::npos) {
          queue.Post(target, kMsgPrivateFirst);
        }
      }
    }
  }

  static inline volatile sig_atomic_t signalPipe_ = -1;
  int pipe_[2] = {-1, -1};
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  std::thread thread_;
};

}  // namespace

int RunRecordCommand(std::span<char* const> arguments) {
  Args args(arguments);
  const bool half = args.Flag("--half");
  const std::optional<std::string> secondsText = args.Value("--seconds");
  const std::string device = args.Value("--device").value_or("default");
  const std::vector<std::string> names = args.Positional();
  if (!args.Error().empty()) return Fail(args.Error());
  if (names.size() != 1)
    return Fail(
        "usage: vxtool record OUT.vxs [--half] [--seconds S] [--device default|virtual:IN.wav]");
  const std::string& output = names[0];
  int64_t stopMs = 0;
  if (secondsText) {
    const std::optional<int64_t> ms = ParseSeconds(*secondsText);
    if (!ms) return Fail("--seconds needs a number of seconds above 0, such as 2.5");
    stopMs = *ms;
  }

  std::vector<uint8_t> capture;
  const bool virtualCard = device.rfind("virtual:", 0) == 0;
  if (virtualCard) {
    if (std::string problem = ReadCaptureSource(device.substr(8), capture); !problem.empty())
      return Fail(problem);
  } else if (device != "default") {
    return Fail("unknown device " + device + " (default or virtual:IN.wav)");
  }

  BlockStopSignals();
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
    StopWatcher watcher(queue, stopTarget);
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
