// Speed of the playback engine: a whole run over 5.65 s of recorded speech (opening, one frame
// decoded per step into the ring of four blocks, draining, closing) read from a real file, on
// the virtual card and clock. "audio_s" is the seconds of sound played per second of run
// time: the engine keeps pace with the sound card while it stays above 1.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "codec/encoder.h"
#include "codec/speech_header.h"
#include "io/file_stream.h"
#include "platform/headless/scripted_prompter.h"
#include "player/engine/playback_engine.h"
#include "testsupport/silent_view.h"
#include "testsupport/test_speech.h"

namespace {

// The speech sample encoded at full rate with the activity decision, header first.
std::vector<uint8_t> EncodedSpeech(const std::vector<int16_t>& samples) {
  const size_t frames = samples.size() / vx::kFrameSamples;
  std::array<uint8_t, 2 + vx::kMaxHeaderBytes> header{};
  const int n = vx::WriteSpeechHeader(static_cast<int32_t>(frames * vx::kFrameSamples),
                                      "Voice Message", "Nocomment", 1, 0, header);
  std::vector<uint8_t> stream(header.begin(), header.begin() + 2 + n);
  vx::EncoderSession session;
  std::array<uint8_t, 20> out{};
  for (size_t i = 0; i < frames; ++i) {
    const int bytes = session.EncodeFrame(
        std::span<const int16_t>(samples.data() + i * vx::kFrameSamples, vx::kFrameSamples), 8000,
        out, 1, 0);
    stream.insert(stream.end(), out.begin(), out.begin() + bytes);
  }
  return stream;
}

void BM_PlayFile(benchmark::State& state) {
  const vx::test::SpeechClip clip =
      vx::test::ReadSpeechClip(vx::test::SourcePath("samples/vm-intro.wav"));
  if (clip.samples.empty()) {
    state.SkipWithError("the speech sample is missing");
    return;
  }
  const std::string path = std::filesystem::temp_directory_path() /
                           ("vx_playback_bench_" + std::to_string(::getpid()) + ".vxs");
  const std::vector<uint8_t> stream = EncodedSpeech(clip.samples);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(stream.data()),
             static_cast<std::streamsize>(stream.size()));

  vx::MessageQueue queue;
  vx::VirtualClock clock;
  vx::ScriptedPrompter prompter;
  vx::PosixFileOpener files;
  vx::VirtualWaveApi card(queue, clock);
  vx::testing::SilentPlaybackView view;
  vx::PlaybackEngine engine(vx::PlaybackServices{queue, prompter, clock, files, card}, view,
                            [&path] { return path; });
  int64_t playedBytes = 0;
  for (auto _ : state) {
    card.ClearPlayed();
    engine.StartPlayback();
    queue.DispatchPending();
    playedBytes += static_cast<int64_t>(card.PlayedBytes().size());
  }
  std::filesystem::remove(path);
  if (!prompter.Prompts().empty() || engine.RunFailed()) {
    state.SkipWithError("the run failed");
    return;
  }
  state.counters["audio_s"] =
      benchmark::Counter(static_cast<double>(playedBytes) / 16000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayFile)->Unit(benchmark::kMillisecond);

}  // namespace
