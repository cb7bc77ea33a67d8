#pragma once

#include <array>
#include <span>

#include "codec/tables.h"

// LSF routines shared by the decoder and the encoder's quantiser, so that both compute
// identical LSF and LPC sets.
namespace vx {

// Code vectors of the moving-average predictor: H0 the current frame's, H1..H3 those of the
// three previous frames (H1 the most recent).
using LsfHistory = std::array<LsfVector, kLsfAgesFull>;

// The predictor weights [age][coefficient] for a frame: the half table (3 ages) for
// half-rate frames, the full table (4 ages) for full-rate and noise frames.
std::span<const LsfVector> LsfPredictorWeights(bool halfRate, int switchBit);

// Sum over the ages j >= 1 of W_j * H_j, per coefficient.
LsfVector LsfPastPrediction(std::span<const LsfVector> weights, const LsfHistory& history);
// The predicted LSFs W_0 * H0 + LsfPastPrediction(weights, history).
LsfVector LsfMaPrediction(std::span<const LsfVector> weights, const LsfHistory& history);
// H3 = H2, H2 = H1, H1 = H0.
void AgeLsfHistory(LsfHistory& history);

// Keeps neighbouring LSFs at least about 0.01 rad apart: up to four passes over the pairs
// k = 2..10; a pair closer than 0.0095 is moved apart to exactly 0.01 around its midpoint.
// If the fourth pass still moved a pair the set becomes kUniformLsf. Returns false then.
bool StabiliseLsf(LsfVector& lsf);

// LSF sets of the four quarters of a frame: P + (q + 1) (C - P) / 4 for q = 0..2, and C.
void InterpolateLsfQuarters(const LsfVector& previous, const LsfVector& current,
                            std::array<LsfVector, 4>& quarters);

// A(z) = ((1 + z^-1) P'(z) + (1 - z^-1) Q'(z)) / 2, where P' has the roots at LSFs 1, 3, .., 9
// and Q' at LSFs 2, 4, .., 10.
LpcCoefficients LsfToLpc(const LsfVector& lsf);

}  // namespace vx
