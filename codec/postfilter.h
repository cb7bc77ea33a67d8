#pragma once

#include <array>
#include <span>

#include "codec/frame_format.h"
#include "codec/tables.h"

// The decoder's postfilter. Per subframe it sharpens the pitch structure of the excitation
// (long-term filter at one-fifth-sample delays), compensates the spectral tilt, shapes the
// formants with a 15-tap FIR approximation of A(z/0.55)/A(z/0.7), synthesises through 1/A(z)
// with a memory of its own, matches the level of the unfiltered synthesis with a slowly
// adapting gain and removes DC with a first-order high-pass.
namespace vx {

constexpr int kPostfilterPast = 148;
constexpr int kMaxSubframe = 80;

struct PostfilterState {
  // The excitation: 148 past samples, then the current subframe.
  std::array<float, kPostfilterPast + kMaxSubframe> pitchBuffer{};
  // Output of the long-term filter and tilt compensation: 148 past samples, then the subframe.
  std::array<float, kPostfilterPast + kMaxSubframe> longTermBuffer{};
  float tiltMemory = 0.0f;  // last sample that entered the tilt compensation
  std::array<float, kLpcOrder> synthesisMemory{};
  float levelGain = 1.0f;
  float highPassInput = 0.0f;   // last input of the high-pass
  float highPassOutput = 0.0f;  // last output of the high-pass
};

void ResetPostfilter(PostfilterState& state);

// Postfilters one subframe (40 or 80 samples) of a speech or noise frame. `synthesis` is the
// subframe's output of 1/A(z) (the reference level), `excitation` its excitation, `lpc` its
// unexpanded LPC set and `t0` its integer pitch lag (0 when it has none). Noise frames skip
// the tilt compensation and use A(z/0.55)/A(z/0.55), so with their lag 0 only the synthesis,
// level matching and high-pass act on them.
void Postfilter(PostfilterState& state, std::span<const float> synthesis,
                std::span<const float> excitation, const LpcCoefficients& lpc, int t0,
                FrameType type, std::span<float> out);

// The silence branch for one 40-sample subframe: the excitation passes with the level gain
// drawn toward 1 and through the high-pass; the histories follow the excitation.
void SilencePostfilter(PostfilterState& state, std::span<const float> excitation,
                       std::span<float> out);

}  // namespace vx
