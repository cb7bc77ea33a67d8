#pragma once

#include <array>
#include <cstdint>

// Joint quantisation of the pitch gain and the code gain against two small codebooks (the
// code gain relative to its prediction from past energies), with a pre-selection of 4 x 8
// candidate pairs around the unquantised optimum; and the single-gain choice of noise frames.
namespace vx {

// Correlations of a speech subframe: y the filtered adaptive vector, z the filtered code
// vector, x the target. The error of gains (gp, gc) is
// gc (gc c2 + gp c4 + c3) + gp (gp c0 + c1), that is |x - gp y - gc z|^2 - |x|^2.
struct GainCorrelations {
  double c0 = 0;  // <y, y> + 0.01
  double c1 = 0;  // -2 <x, y> + 0.01
  double c2 = 0;  // <z, z> + 0.01
  double c3 = 0;  // -2 (<x, z> + 0.01)
  double c4 = 0;  // 2 (<y, z> + 0.01)
};

// Gain word halves of the book entries: word = first[indexA] * 16 + second[indexB], the
// inverses of the decoder's word-to-entry maps.
const std::array<uint8_t, 8>& GainWordOfBookA();
const std::array<uint8_t, 16>& GainWordOfBookB();

// The 7-bit gain word of a speech subframe, g0 being the predicted code gain of its code
// vector; half-rate subframes use the half-rate books.
int32_t QuantiseSpeechGains(const GainCorrelations& c, float g0, bool halfRate);

// The 4-bit noise-gain word: the level whose code gain lambda g0 brings the filtered noise
// energy (lambda g0)^2 c2 nearest to 0.64 of the target energy c5, overshooting costing
// 10000 times more than falling short.
int32_t QuantiseNoiseGain(double c2, double c5, float g0);

}  // namespace vx
