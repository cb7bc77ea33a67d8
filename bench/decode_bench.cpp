// Decoding speed: seconds of speech decoded per second of processor time, at 8000 and 11000 Hz
// output, for streams of random but valid frames (full rate, half rate, or a mix of all four
// frame types).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "codec/decoder.h"
#include "codec/frame_format.h"

namespace {

std::vector<uint8_t> RandomFrame(std::mt19937& random, vx::FrameType type) {
  std::array<int32_t, vx::kMaxFrameWords> words{};
  std::span<const uint8_t> widths = vx::WordWidths(type);
  for (size_t i = 0; i < widths.size(); ++i)
    words[i] = widths[i] ? static_cast<int32_t>(random() & ((uint32_t{1} << widths[i]) - 1)) : 0;
  std::vector<uint8_t> frame(vx::kMaxFrameBytes);
  frame.resize(static_cast<size_t>(vx::PackFrameWords(type, words, frame)));
  return frame;
}

// Frame types: 1 full rate, 3 half rate, -1 a mix (half full rate, the rest spread over half
// rate, noise and silence).
std::vector<std::vector<uint8_t>> RandomStream(int type, size_t frames) {
  std::mt19937 random(1234);
  std::vector<std::vector<uint8_t>> stream;
  for (size_t i = 0; i < frames; ++i) {
    vx::FrameType t = static_cast<vx::FrameType>(type);
    if (type < 0) {
      constexpr vx::FrameType kMix[] = {vx::FrameType::kFullRate, vx::FrameType::kFullRate,
                                        vx::FrameType::kFullRate, vx::FrameType::kHalfRate,
                                        vx::FrameType::kNoise,    vx::FrameType::kSilence};
      t = kMix[random() % 6];
    }
    stream.push_back(RandomFrame(random, t));
  }
  return stream;
}

void BM_DecodeFrame(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const auto stream = RandomStream(static_cast<int>(state.range(1)), 500);
  vx::DecoderSession session;
  std::array<int16_t, 220> pcm{};
  size_t i = 0;
  for (auto _ : state) {
    session.DecodeFrame(stream[i], pcm, rate, 0, 1);
    benchmark::DoNotOptimize(pcm.data());
    benchmark::ClobberMemory();
    if (++i == stream.size()) i = 0;
  }
  state.counters["speech_s_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 0.02, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeFrame)->ArgsProduct({{8000, 11000}, {1, 3, -1}})->ArgNames({"rate", "type"});

}  // namespace
