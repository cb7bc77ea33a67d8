#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "codec/frame_format.h"
#include "codec/lsf.h"
#include "codec/lsf_decoder.h"
#include "codec/trained_tables.h"

// The LSF quantiser: a switched moving-average predictor (two predictors, the better one
// signalled by the switch bit) and a two-stage vector quantiser of the prediction residual,
// searched with weights that favour closely spaced LSFs (formant peaks).
namespace vx {

// Codebooks of one frame type. Speech frames have one second stage (full rate: 5 splits of
// LSF pairs; half rate: one matrix whose splits own the columns 1-2, 3-4, 5-7, 8-10); noise
// frames have none.
struct LsfCodebooks {
  std::span<const LsfVector> stage1;                    // 32 rows
  std::array<std::span<const LsfVector>, 2> predictor;  // [switch bit][age]
  std::span<const std::array<std::array<float, 2>, kLsfStage2Size>> stage2Pairs;  // full rate
  std::span<const LsfVector> stage2Matrix;                                         // half rate
};

// The committed tables of a noise, full-rate or half-rate frame.
LsfCodebooks CommittedLsfCodebooks(FrameType type);

// Weights of the search: 1 where the neighbours of an LSF lie more than 1 rad apart (the
// first and last against fixed bounds), growing as 1 + 10 (spacing - 1)^2 where they crowd.
LsfVector LsfQuantiserWeights(const LsfVector& lsf);

// Searches the LSF word of `lsf` for each predictor (prediction from the previous code
// vectors history[1..], target (lsf - prediction) / weight of age 0, first stage, then each
// split of the second stage on the remainder) and keeps the predictor of the smaller
// weighted error; predictor 0 on equal errors. Lower indices win ties within a stage.
// Word layout: full rate switch 1, stage 1 5, splits 1..5 of 4 bits (26 bits); half rate
// switch 1, stage 1 5, splits 1..4 (22 bits); noise switch 1, stage 1 5 (6 bits), most
// significant field first.
int32_t SearchLsfWord(const LsfVector& lsf, const LsfHistory& history, FrameType type,
                      const LsfCodebooks& books);

// Quantises the frame's LSF set with the committed tables and advances `state` exactly as the
// decoder does for that word: memory update, stabilisation, interpolation into the four
// quantised LPC sets. Returns the LSF word; `quantised` receives the frame's quantised LSFs.
int32_t QuantiseLsf(LsfDecoderState& state, const LsfVector& lsf, FrameType type,
                    LsfVector& quantised, std::array<LpcCoefficients, 4>& lpc);

}  // namespace vx
