#pragma once

#include <span>

#include "codec/perceptual_weighting.h"
#include "codec/tables.h"

// Per-subframe signals of the excitation search: the impulse response of the weighted
// synthesis filter, the LPC prediction error, and the target the excitation must match.
namespace vx {

constexpr int kErrorMemory = 12;            // past samples of input minus reconstruction
constexpr int kPredictionErrorMemory = 5;   // past samples of prediction error minus excitation
constexpr int kHalfRateImpulseTaps = 6;     // half rate keeps h[0..5] only

// h = W(z)/A^(z) truncated: the taps t0..t12 followed by zeros through 1/A^(z) with zero
// state, h.size() samples (h[0] = 1).
void WeightedImpulseResponse(const WeightingTaps& taps, const LpcCoefficients& aq,
                             std::span<float> h);

// e[n] = s[n] + sum_{i=1..10} a^_i s[n-i] with s[n] = speech[start + n] and the 10 samples
// before `start` as the past.
void PredictionError(const LpcCoefficients& aq, std::span<const float> speech, size_t start,
                     std::span<float> e);

// Full-rate and noise target: e through 1/A^(z) with the last 10 error-memory samples as its
// memory, then through 1 + sum_{j=1..12} t_j z^-j with the 12 error-memory samples as past
// inputs. This is the weighted input minus the weighted ringing of the past reconstruction.
void WeightedTarget(std::span<const float> e, const LpcCoefficients& aq,
                    std::span<const float, kErrorMemory> errorMemory, const WeightingTaps& taps,
                    std::span<float> x);

// Half-rate target: x[n] = e[n] + sum_{j=1..5} h[j] e[n-j], the 5 samples before e taken from
// the prediction-error memory.
void HalfRateTarget(std::span<const float> e, std::span<const float, kHalfRateImpulseTaps> h,
                    std::span<const float, kPredictionErrorMemory> memory, std::span<float> x);

}  // namespace vx
