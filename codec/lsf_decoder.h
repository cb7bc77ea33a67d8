#pragma once

#include <array>
#include <cstdint>

#include "codec/frame_format.h"
#include "codec/lsf.h"

// Decoding of a frame's LSF word into the frame's LSF set and the four quarter LPC sets,
// with concealment of lost frames.
namespace vx {

struct LsfDecoderState {
  LsfVector previous{};  // P: LSFs of the previous frame (start of the interpolation)
  LsfVector decoded{};   // D: the last decoded LSFs, repeated by concealment
  LsfHistory history{};  // code vectors H0..H3
  int previousSwitch = 0;
  FrameType previousType = FrameType::kFullRate;
};

// The state of the first frame after a reset: P = D = H0..H3 = U, switch 0, full rate.
void ResetLsfDecoderState(LsfDecoderState& state);

// Decodes the LSF word of a noise, full-rate or half-rate frame into `lsf` and advances the
// state. Word layout from the least significant bit: full rate (26 bits) splits 5..1 of 4
// bits, stage-1 index 5 bits, switch bit; half rate (22 bits) splits 4..1, stage-1 index,
// switch bit; noise (6 bits) stage-1 index, switch bit. With `bad` the word is ignored: the
// last decoded set is repeated and the code vector that would have produced it enters the
// history. A word wider than its field gives kUniformLsf, kCodecValueOutOfRange and no state
// change.
int DecodeLsf(LsfDecoderState& state, int32_t word, FrameType type, bool bad, LsfVector& lsf);

// Interpolates from P to `lsf` into the quarter LSF sets, converts them to LPC sets, and
// sets P = lsf.
void QuarterLpcSets(LsfDecoderState& state, const LsfVector& lsf,
                    std::array<LpcCoefficients, 4>& lpc);

}  // namespace vx
