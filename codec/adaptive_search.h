#pragma once

#include <cstdint>
#include <span>

#include "codec/pitch.h"
#include "codec/subframe_target.h"

// The closed-loop adaptive (pitch) codebook search around the open-loop lag, in thirds of a
// sample, and the pitch words that code its result.
namespace vx {

// Integer lags searched: lo = max(ol - 3, 20), hi = min(lo + 6, 142); a subframe coded
// relative to the previous lag P (full-rate subframes 2 and 4) is further limited to
// P - 6 .. P + 6, the reach of its 5-bit word. When the two windows do not meet, the seven
// lags of the relative window nearest the open-loop range are searched instead.
struct PitchSearchRange {
  int lo = 0, hi = 0;
};
PitchSearchRange PitchRange(int openLoopLag, bool relative, int previousLag);

// 8-bit word of a delay: 3 t0 + frac - 58 up to t0 = 85 (fractions), t0 + 112 above.
int32_t AbsolutePitchWord(PitchLag lag);
// 5-bit word of a delay near `previousLag` (D = t0 - previousLag, -6..6): 3 D + frac + 16 for
// |D| <= 4, then 16 + (D + 9) and 16 - (|D| + 9); never 0.
int32_t RelativePitchWord(PitchLag lag, int previousLag);

struct PitchChoice {
  PitchLag lag;
  int32_t word = 0;
};

// Full-rate search (40 samples) on the target x with the impulse response h. `excitation`
// holds the past excitation before `start` and the subframe's prediction error from `start`
// on. Integer lags by normalised correlation, then fractions of +-1/3 and +-2/3 interpolated
// from the normalised values with the computed one-third-sample rows: in absolute subframes
// up to lag 84, in relative subframes within 4 lags of the previous one.
PitchChoice SearchPitchFullRate(std::span<const float, 40> x, std::span<const float, 40> h,
                                std::span<const float> excitation, size_t start,
                                int openLoopLag, bool relative, int previousLag);

// Half-rate search (80 samples, absolute words) on the target x with the 6-tap impulse
// response h: each candidate lag's adaptive vector is built as the decoder builds it (rows
// of the selected codec version) and scored by <d, v>^2 / <v * h, v * h>; fractions are
// tried up to lag 84.
PitchChoice SearchPitchHalfRate(std::span<const float, 80> x,
                                std::span<const float, kHalfRateImpulseTaps> h,
                                std::span<const float> excitation, size_t start, int openLoopLag,
                                const PitchInterpolationTable& rows);

}  // namespace vx
