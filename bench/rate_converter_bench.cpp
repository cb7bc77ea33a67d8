// Speed of the file encoder's rate converter: one 20 ms block per iteration (160 outputs of a
// 255-tap dot product each), and the table set-up done once per file. "audio_s" is the
// seconds of input converted per second of run time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "encoder/pipeline/rate_converter.h"

namespace {

void BM_ConvertRateBlock(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const int block = rate * vx::kFrameSamples / 8000;
  vx::RateConverter converter;
  if (converter.InitRateConverter(rate, 8000, block) != 0) {
    state.SkipWithError("InitRateConverter failed");
    return;
  }
  std::vector<double> values(block), out(vx::RateConverter::kMaxOutputs);
  for (int t = 0; t < block; ++t) values[t] = 10000.0 * std::sin(0.05 * t);
  int count = 0;
  converter.ConvertRateBlock(std::span(values).first(127), out, count, true);
  for (auto _ : state) {
    converter.ConvertRateBlock(values, out, count, false);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["audio_s"] =
      benchmark::Counter(0.020, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertRateBlock)->Arg(11000)->Arg(22000)->Arg(48000);

// Set-up per file: 11000 Hz has the most phases (8 x 255 coefficients).
void BM_InitRateConverter(benchmark::State& state) {
  vx::RateConverter converter;
  for (auto _ : state) benchmark::DoNotOptimize(converter.InitRateConverter(11000, 8000, 220));
}
BENCHMARK(BM_InitRateConverter);

}  // namespace
