#pragma once

#include <cstdint>
#include <span>

#include "codec/tables.h"

// Pitch: decoding of the pitch words, the adaptive (past excitation) vector at a delay in
// thirds of a sample, and the pitch sharpening of pulse vectors. Shared by the decoder and
// the encoder's excitation search.
namespace vx {

// Past excitation samples kept before the current frame: the delay 143 1/3 with its 9-tap
// interpolation reads back to x[-148].
constexpr int kExcitationPast = 148;
constexpr int kMinPitchLag = 19;
constexpr int kMaxPitchLag = 143;

// A pitch delay of t0 + frac / 3 samples, frac in -1..1.
struct PitchLag {
  int t0 = 0;
  int frac = 0;
};

// The same delay with a fraction of 0, 1 or 2 thirds: a negative fraction moves to the lag
// below (t0 - 1, frac + 3), so the interpolation taps always reach back from t0.
inline PitchLag ForwardFraction(PitchLag lag) {
  return lag.frac < 0 ? PitchLag{lag.t0 - 1, lag.frac + 3} : lag;
}

// The interpolation rows of a codec version: computed rows for version 1, stored rows for
// version 2 (any other value).
const PitchInterpolationTable& PitchInterpolationRows(int codecVersion);

// Decodes a pitch word. Absolute words (8 bits): 0..196 cover the delays 19 1/3 .. 84 2/3 in
// thirds, 197..255 the whole delays 85..143. Relative words (5 bits) code the delay around
// `previousLag`: 1..29 within -4 1/3 .. +4 1/3 in thirds, the outer words steps of
// +-5, +-6, -7. With `bad` the delay repeats `previousLag`. A lag outside 19..143 (or a word
// wider than its field) yields t0 = 0 and kCodecValueOutOfRange. previousLag becomes t0.
int DecodePitchWord(int32_t word, bool relative, bool bad, int& previousLag, PitchLag& lag);

// Builds the adaptive vector v (the subframe's length) at delay `lag` from the excitation
// history: history[start + i] for i < 0 are the past samples (at least 148 of them). Samples
// of the vector already built stand in for the subframe itself (delays shorter than the
// subframe), so `v` may be the history's own subframe: the decoder builds it in place.
void AdaptiveVector(std::span<const float> history, size_t start, std::span<float> v, PitchLag lag,
                    const PitchInterpolationTable& rows);

// Integer pitch sharpening of a pulse vector: c[n] += gain * c[n - t0] for n = t0 .. L-1 in
// increasing order (updated values feed later terms); nothing when t0 >= L.
void SharpenPulses(std::span<float> c, int t0, float gain);

// Half-rate pitch sharpening at the fractional delay: with T = t0, phase f (or T = t0 - 1,
// phase f + 3 for f < 0), c[n] += gain * sum_{j=-4..3} R_(3-phase)[j] * c[n - T - 1 - j] for
// n = T - 4 .. L-1, terms inside the vector only. Phase 0 falls back to SharpenPulses.
void SharpenPulsesFractional(std::span<float> c, PitchLag lag, float gain,
                             const PitchInterpolationTable& rows);

}  // namespace vx
