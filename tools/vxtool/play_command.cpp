// vxtool play: the playback engine on a terminal, over the sound card (ALSA's "default" PCM)
// or a virtual card on a virtual clock that plays as fast as the machine allows and keeps
// what it played for a WAV file.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/alsa_wave_api.h"
#include "audio/virtual_wave_api.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/headless/terminal_prompter.h"
#include "platform/message_queue.h"
#include "player/engine/playback_engine.h"
#include "tools/vxtool/cli.h"
#include "tools/vxtool/commands.h"
#include "tools/vxtool/play_status_line.h"
#include "wavfile/wave_file.h"

namespace vx::cli {
namespace {

constexpr const char* kApplicationTitle = "Vocrix Player for Windows95/NT";
constexpr const char* kUsage =
    "usage: vxtool play FILE [--device default|virtual:OUT.wav] [--seek FRAME]";
// The shell's status for a program ended by Ctrl-C.
constexpr int kInterruptedStatus = 128 + SIGINT;

// SIGINT or SIGTERM posts a stop message from a thread of its own (the handler only writes
// to a pipe). A second signal ends the program at once.
class InterruptWatcher {
 public:
  InterruptWatcher(MessageQueue& queue, TargetId target) {
    if (::pipe(pipe_) != 0) return;
    signalPipe_ = pipe_[1];
    struct sigaction action {};
    action.sa_handler = [](int) {
      const char byte = 's';
      [[maybe_unused]] ssize_t n = ::write(signalPipe_, &byte, 1);
    };
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    thread_ = std::thread([this, &queue, target] {
      char byte = 0;
      for (;;) {
        const ssize_t n = ::read(pipe_[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n != 1 || byte == 'q') return;
        queue.Post(target, kMsgPrivateFirst);
      }
    });
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;
  ~InterruptWatcher() {
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
  static inline volatile sig_atomic_t signalPipe_ = -1;
  int pipe_[2] = {-1, -1};
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  std::thread thread_;
};

// What the virtual card played, as a 16-bit mono WAV file at the device's rate.
std::string WritePlayed(const std::string& path, uint32_t rate, const std::vector<uint8_t>& pcm) {
  AtomicOutput output;
  if (const int result = output.Open(path); result < 0) return path + ": " + ErrorText(result);
  WaveWriter writer;
  if (writer.CreateWaveFormat(output.Stream(), static_cast<int>(rate), 16, 1) != 0 ||
      writer.CreateWaveData(output.Stream()) != 0)
    return path + ": " + writer.LastError();
  if (output.Stream().Write(pcm) != static_cast<int64_t>(pcm.size()))
    return path + ": the disk is full or the file cannot be written";
  if (writer.CloseWaveData(output.Stream()) != 0 || writer.CloseWaveRiff(output.Stream()) != 0)
    return path + ": " + writer.LastError();
  if (const int result = output.Commit(); result < 0) return path + ": " + ErrorText(result);
  return {};
}

}  // namespace

int RunPlayCommand(std::span<char* const> arguments) {
  Args args(arguments);
  const std::string device = args.Value("--device").value_or("default");
  const std::optional<std::string> seekText = args.Value("--seek");
  const std::vector<std::string> names = args.Positional();
  if (!args.Error().empty()) return Fail("play: " + args.Error());
  if (names.size() != 1) return Fail(kUsage);
  const std::string& path = names[0];
  int32_t seekFrame = 0;
  if (seekText) {
    const std::optional<long> frame = ParseNumber(*seekText, 0, INT32_MAX);
    if (!frame) return Fail("play: --seek takes a frame number from 0");
    seekFrame = static_cast<int32_t>(*frame);
  }
  const bool virtualCard = device.rfind("virtual:", 0) == 0;
  const std::string playedPath = virtualCard ? device.substr(8) : std::string();
  if (virtualCard && playedPath.empty()) return Fail("play: virtual: needs an output file name");
  if (!virtualCard && device != "default")
    return Fail("play: unknown device " + device + " (default or virtual:OUT.wav)");

  MessageQueue queue;
  RealClock realClock;
  VirtualClock virtualClock;
  Clock& clock = virtualCard ? static_cast<Clock&>(virtualClock) : realClock;
  std::unique_ptr<VirtualWaveApi> card;
  std::unique_ptr<WaveApi> waveApi;
  if (virtualCard) {
    card = std::make_unique<VirtualWaveApi>(queue, virtualClock);
  } else {
    waveApi = std::make_unique<AlsaWaveApi>(queue);
  }
  PlayStatusLine line(stdout, isatty(STDOUT_FILENO) == 1);
  // Without a terminal to ask, the retry question is answered Cancel.
  TerminalPrompter terminal = TerminalPrompter::ForStdio(kApplicationTitle, kAnswerCancel);
  StatusLinePrompter prompter(terminal, line);
  PosixFileOpener files;

  PlaybackEngine engine(PlaybackServices{queue, prompter, clock, files, card ? *card : *waveApi},
                        line, [&path] { return path; });
  // A fatal error makes the run close the application: the tool ends with the run anyway.
  engine.SetMainWindow(queue.Register([](const Message&) {}));
  bool interrupted = false;
  const TargetId stopTarget = queue.Register([&](const Message&) {
    interrupted = true;
    engine.RequestStop();
  });
  engine.SetSeekTarget(seekFrame);

  {
    InterruptWatcher watcher(queue, stopTarget);
    // The start-up posts play-request for the path; the whole run happens inside the
    // dispatch of its run-playback message. The loop ends once a run has been and gone.
    engine.InitialUpdate();
    bool started = false;
    for (;;) {
      if (std::optional<Message> m = queue.Take()) {
        queue.Dispatch(*m);
        started = started || engine.IsActive();
        continue;
      }
      if ((started || interrupted) && !engine.IsActive()) break;
      queue.WaitForMessage(std::chrono::milliseconds(100));
    }
  }
  line.Break();

  const bool failed = engine.RunFailed();
  if (card) {
    if (failed) return Fail("play: the run ended on an error; " + playedPath + " not written");
    const std::vector<uint8_t> played = card->PlayedBytes();
    if (std::string problem = WritePlayed(playedPath, engine.Rate(), played); !problem.empty())
      return Fail("play: " + problem);
    std::printf("%s: %zu bytes played to %s at %u Hz\n", path.c_str(), played.size(),
                playedPath.c_str(), engine.Rate());
  }
  if (failed) return Fail("play: the run ended on an error");
  return interrupted ? kInterruptedStatus : 0;
}

}  // namespace vx::cli
