#pragma once

#include <array>
#include <span>

#include "codec/tables.h"

// The encoder's LPC analysis: a 240-sample Hamming window, the autocorrelation with a lag
// window, the Levinson-Durbin recursion, and the pairing of one analysis with the
// interpolated set of the subframe before it.
namespace vx {

constexpr int kLpcWindowLength = 240;

// w[n] = 0.54 - 0.46 cos(2 pi (n + 0.5) / 240), symmetric.
const std::array<float, kLpcWindowLength>& LpcWindow();

// Normalised autocorrelation r(0..10) of the windowed block: r(0) = 1 and r(k) = R(k) / R(0)
// times the lag window (a Gaussian bandwidth widening). A block of exact zeros gives all
// zeros.
std::array<float, kLpcOrder + 1> WindowedAutocorrelation(
    std::span<const float, kLpcWindowLength> speech);

// Levinson-Durbin recursion on 1, r(1) .. r(10), giving a1..a10 of A(z). The recursion stops
// at the order where the prediction error is no longer positive (higher coefficients 0), so
// an ill-conditioned block cannot produce non-numbers.
LpcCoefficients LevinsonDurbin(const std::array<float, kLpcOrder + 1>& r);

// The unquantised sets of a pair of subframes.
struct LpcAnalysisPair {
  std::array<LpcCoefficients, 2> lpc;
  std::array<LsfVector, 2> lsf;
};

// One analysis of the 240 samples: the second subframe of the pair gets the analysed set,
// the first the LSF midpoint between `previousLsf` (the previous analysis) and it, converted
// back to LPC. `previousLsf` becomes the analysed LSFs. When the LSF root search fails, the
// previous analysis's LSFs are kept and the second set is rebuilt from them, so that LPC and
// LSF sets always describe the same filter.
LpcAnalysisPair AnalyseLpc(std::span<const float, kLpcWindowLength> speech,
                           LsfVector& previousLsf);

}  // namespace vx
