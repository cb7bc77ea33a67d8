#pragma once

#include <array>

#include "codec/tables.h"

// Tables computed from a formula, each built once per process on first use (thread-safe).
namespace vx {

// Pitch interpolation rows of codec version 1: row 0 the identity; tap i (-4..4) of row g
// (1, 2) is sin(x)/x with x = g * 1.04719755 + i * 3.14159265. The encoder's fractional pitch
// search uses taps -3..2 of rows 1 and 2 whatever the codec version.
const PitchInterpolationTable& PitchInterpolationVersion1();

// The postfilter's one-fifth-sample interpolation rows: [phase 0..4][tap -4..4 at index
// tap + 4]; row 0 the identity, row g tap i sin(x)/x with x = g * 0.62831853 + i * 3.14159265.
using FineInterpolationTable = std::array<std::array<float, 9>, 5>;
const FineInterpolationTable& FineInterpolationRows();

// 1 / (s0^2 + s1^2) of every pulse shape, [track][shape]: the weights of the encoder's pulse
// search.
const std::array<std::array<float, kPulseShapeCount>, kPulseTrackCount>& PulseShapeEnergies();

// Polyphase taps of the 8000 <-> 11000 Hz converter for one direction.
constexpr int kResamplerTaps = 21;
struct ResamplerPhases {
  int phases;                  // P: outputs per block
  int step;                    // S: input samples per block
  int inputCount;              // N: input samples per call
  std::array<int, 11> offset;  // o_i = floor(i * S / P)
  // h_i[k] = beta * sinc(beta * (10 - k - phi_i)), phi_i = i * S / P - o_i
  std::array<std::array<float, kResamplerTaps>, 11> taps;
};
const ResamplerPhases& ResamplerPhasesTo8000();   // 220 samples at 11000 Hz -> 160
const ResamplerPhases& ResamplerPhasesTo11000();  // 160 samples at 8000 Hz -> 220

}  // namespace vx
