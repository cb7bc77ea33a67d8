#pragma once

#include <span>

#include "codec/pitch.h"

// The half-rate pitch pre-filter of the pulse target: the FIR inverse of the decoder's
// recursive fractional pitch sharpening, so that the pulses are searched in the domain in
// which the decoder sharpens them.
namespace vx {

// With T = t0 and phase f (or T = t0 - 1 and phase f + 3 when f < 0):
// phase 0: x'[n] = x[n] - gain x[n - T] for n = T .. L-1; otherwise
// x'[n] = x[n] - gain sum_{j=-4..3} R_(3-phase)[j] x[n - T - 1 - j] for n = T - 4 .. L-1,
// terms outside the vector omitted. The delayed samples are always the unfiltered ones.
// A lag T of L or more leaves x unchanged. R are the rows of the selected codec version.
void HalfRatePitchPrefilter(std::span<float> x, PitchLag lag, float gain,
                            const PitchInterpolationTable& rows);

}  // namespace vx
