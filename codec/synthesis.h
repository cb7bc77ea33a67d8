#pragma once

#include <cstdint>
#include <span>

#include "codec/tables.h"

// The synthesis filter 1/A(z), the silence-frame noise generator and the conversion of the
// float signal (16-bit PCM scale) to PCM samples. Shared by the decoder and the encoder.
namespace vx {

// Memory of a 10th-order all-pole filter: its last 10 outputs, oldest first.
using SynthesisMemory = std::span<float, kLpcOrder>;

// s[n] = in[n] - sum_{i=1..10} a_i s[n-i]; s[-10..-1] come from `memory`. `in` and `out` may
// be the same samples. With `updateMemory` the memory receives the last 10 outputs.
void SynthesisFilter(const LpcCoefficients& a, std::span<const float> in, std::span<float> out,
                     SynthesisMemory memory, bool updateMemory);

// Silence excitation: per sample seed = (2109 seed + 9273) mod 32768, out = 0.0002 (seed - 16384).
constexpr int32_t kSilenceNoiseSeed = 1753;  // seed after a reset
void SilenceExcitation(std::span<float> out, int32_t& seed);

// Rounds halves away from zero and saturates at -32768 and 32767; a non-number gives 0.
int16_t FloatToPcm(float x);
void FloatToPcm(std::span<const float> in, std::span<int16_t> out);

}  // namespace vx
