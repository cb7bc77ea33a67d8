// vxtool play: the playback engine on a terminal, over the sound card (ALSA's "default" PCM)
// or a virtual card on a virtual clock that plays as fast as the machine allows and keeps
// what it played for a WAV file.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
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
#include "tools/vxtool/stop_signals.h"
#include "wavfile/wave_file.h"

namespace vx::cli {
namespace {

constexpr const char* kApplicationTitle = "Vocrix Player for Windows95/NT";
// The shell's status for a program ended by Ctrl-C: the run was stopped by one.
constexpr int kInterruptedStatus = 128 + SIGINT;

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

const std::string_view kPlayHelp =
    "usage: vxtool play FILE [--device default|virtual:OUT.wav] [--seek FRAME]\n"
    "  Plays a compressed speech file (bare, or inside a RIFF WAVE file) through the playback\n"
    "  engine, with a line showing elapsed and total time and the lit rate lamp. Ctrl-C stops.\n"
    "  --device default       ALSA's default playback device (the default)\n"
    "  --device virtual:OUT.wav\n"
    "                         the virtual sound card: plays as fast as the machine allows and\n"
    "                         writes what was played to OUT.wav\n"
    "  --seek FRAME           start at this frame (20 ms each)\n";

int RunPlayCommand(std::span<char* const> arguments) {
  Args args(arguments);
  const std::string deviceText = args.Value("--device").value_or("default");
  const std::optional<std::string> seekText = args.Value("--seek");
  const std::vector<std::string> names = args.Positional();
  if (!args.Error().empty()) return Fail("play: " + args.Error());
  if (names.size() != 1) return FailUsage(kPlayHelp);
  const std::string& path = names[0];
  int32_t seekFrame = 0;
  if (seekText) {
    const std::optional<long> frame = ParseNumber(*seekText, 0, INT32_MAX);
    if (!frame) return Fail("play: --seek takes a frame number from 0");
    seekFrame = static_cast<int32_t>(*frame);
  }
  DeviceChoice device;
  if (std::string problem = ParseDevice(deviceText, "OUT.wav", device); !problem.empty())
    return Fail("play: " + problem);
  const bool virtualCard = device.virtualCard;
  const std::string& playedPath = device.file;

  StopSignals::Block();
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
    StopSignals watcher(StopSignals::Input::kIgnored,
                        [&queue, stopTarget] { queue.Post(stopTarget, kMsgPrivateFirst); });
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
