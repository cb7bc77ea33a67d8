#pragma once

#include "codec/tables.h"

// Conversion of an LPC set to line spectral frequencies by a root search on a cosine grid.
namespace vx {

// The sum and difference polynomials of A(z), with their trivial roots at z = -1 and z = 1
// removed, are evaluated on the grid w = g pi / 128 (g = 0..255); each root is located at
// the first sign change and refined by linear interpolation, in counts of 1/256 grid step.
// The roots are searched alternately (sum, difference, ...), each search going on from the
// grid index where the previous one stopped. Returns false, leaving `lsf` unchanged, when a
// search runs off the end of the grid (a filter whose polynomials do not change sign ten
// times, such as a badly unstable one).
bool LpcToLsf(const LpcCoefficients& a, LsfVector& lsf);

}  // namespace vx
