#include "codec/lsf_decoder.h"

#include "codec/status.h"
#include "codec/trained_tables.h"

namespace vx {

namespace {

// Columns of the half-rate second-stage splits 1..4.
struct ColumnRange {
  size_t first, count;
};
constexpr std::array<ColumnRange, 4> kHalfSplitColumns = {{{0, 2}, {2, 2}, {4, 3}, {7, 3}}};

// The code vector of a good frame: first stage plus, for speech frames, the second stage.
LsfVector CodeVector(uint32_t word, FrameType type) {
  LsfVector c{};
  switch (type) {
    case FrameType::kFullRate: {
      c = kLsfStage1Full[(word >> 20) & 31];
      for (size_t s = 0; s < kLsfSplitsFull; ++s) {
        // Split 1 (LSFs 1-2) sits in bits 16-19, split 5 (LSFs 9-10) in bits 0-3.
        const auto& pair = kLsfStage2Full[s][(word >> (16 - 4 * s)) & 15];
        c[2 * s] += pair[0];
        c[2 * s + 1] += pair[1];
      }
      break;
    }
    case FrameType::kHalfRate: {
      c = kLsfStage1Half[(word >> 16) & 31];
      for (size_t s = 0; s < kHalfSplitColumns.size(); ++s) {
        const LsfVector& row = kLsfStage2Half[(word >> (12 - 4 * s)) & 15];
        for (size_t k = kHalfSplitColumns[s].first;
             k < kHalfSplitColumns[s].first + kHalfSplitColumns[s].count; ++k) {
          c[k] += row[k];
        }
      }
      break;
    }
    case FrameType::kNoise:
      c = kLsfStage1Full[word & 31];
      break;
    case FrameType::kSilence:
      break;
  }
  return c;
}

int SwitchBit(uint32_t word, FrameType type) {
  switch (type) {
    case FrameType::kFullRate:
      return static_cast<int>((word >> 25) & 1);
    case FrameType::kHalfRate:
      return static_cast<int>((word >> 21) & 1);
    case FrameType::kNoise:
      return static_cast<int>((word >> 5) & 1);
    case FrameType::kSilence:
      break;
  }
  return 0;
}

}  // namespace

void ResetLsfDecoderState(LsfDecoderState& state) {
  state.previous = kUniformLsf;
  state.decoded = kUniformLsf;
  state.history.fill(kUniformLsf);
  state.previousSwitch = 0;
  state.previousType = FrameType::kFullRate;
}

int DecodeLsf(LsfDecoderState& state, int32_t word, FrameType type, bool bad, LsfVector& lsf) {
  if (bad) {
    // Repeat D and put into H0 the code vector that would have produced it under the
    // previous frame's predictor.
    lsf = state.decoded;
    std::span<const LsfVector> weights =
        LsfPredictorWeights(state.previousType == FrameType::kHalfRate, state.previousSwitch);
    const LsfVector past = LsfPastPrediction(weights, state.history);
    for (size_t k = 0; k < lsf.size(); ++k)
      state.history[0][k] = (state.decoded[k] - past[k]) / weights[0][k];
    AgeLsfHistory(state.history);
    return kCodecOk;
  }

  const int width = WordWidths(type).empty() ? 0 : WordWidths(type)[0];
  if (width == 0 || word < 0 || word >= (int32_t{1} << width)) {
    lsf = kUniformLsf;
    return kCodecValueOutOfRange;
  }
  const uint32_t bits = static_cast<uint32_t>(word);
  const int switchBit = SwitchBit(bits, type);
  state.history[0] = CodeVector(bits, type);
  lsf =
      LsfMaPrediction(LsfPredictorWeights(type == FrameType::kHalfRate, switchBit), state.history);
  StabiliseLsf(lsf);
  state.decoded = lsf;
  state.previousSwitch = switchBit;
  state.previousType = type;
  AgeLsfHistory(state.history);
  return kCodecOk;
}

void QuarterLpcSets(LsfDecoderState& state, const LsfVector& lsf,
                    std::array<LpcCoefficients, 4>& lpc) {
  std::array<LsfVector, 4> quarters;
  InterpolateLsfQuarters(state.previous, lsf, quarters);
  for (size_t q = 0; q < quarters.size(); ++q) lpc[q] = LsfToLpc(quarters[q]);
  state.previous = lsf;
}

}  // namespace vx
