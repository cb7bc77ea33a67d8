// Encoding speed: seconds of speech encoded per second of processor time, at full and half
// rate, with the activity decision off (every frame searched in full) and on, for the bundled
// recorded speech at 8000 Hz and the 11025 Hz fixture (converted to 8000 Hz per frame).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "codec/encoder.h"
#include "testsupport/test_speech.h"

namespace {

void BM_EncodeFrame(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const int rateMode = static_cast<int>(state.range(1));
  const int detect = static_cast<int>(state.range(2));
  const vx::test::SpeechClip clip =
      rate == 8000 ? vx::test::ReadSpeechClip(vx::test::SourcePath("samples/vm-intro.wav"))
                   : vx::test::Fixture11025();
  const size_t perCall = static_cast<size_t>(vx::FrameSamplesAt(rate));
  if (clip.samples.size() < perCall) {
    state.SkipWithError("speech sample missing");
    return;
  }
  vx::EncoderSession session;
  std::array<uint8_t, 20> out{};
  size_t at = 0;
  for (auto _ : state) {
    session.EncodeFrame(std::span<const int16_t>(clip.samples.data() + at, perCall), rate, out,
                        detect, rateMode);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
    at += perCall;
    if (at + perCall > clip.samples.size()) at = 0;
  }
  state.counters["speech_s_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 0.02, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeFrame)
    ->ArgsProduct({{8000, 11025}, {0, 1}, {0, 1}})
    ->ArgNames({"rate", "half", "detect"});

}  // namespace
