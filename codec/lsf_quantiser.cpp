#include "codec/lsf_quantiser.h"

namespace vx {

namespace {

// Coefficient columns of the half-rate splits.
struct Columns {
  size_t first, count;
};
constexpr std::array<Columns, 4> kHalfSplits = {{{0, 2}, {2, 2}, {4, 3}, {7, 3}}};

double WeightedError(const LsfVector& w, const LsfVector& a, const LsfVector& b, size_t first,
                     size_t count) {
  double sum = 0.0;
  for (size_t k = first; k < first + count; ++k) {
    const double d = static_cast<double>(a[k]) - b[k];
    sum += w[k] * d * d;
  }
  return sum;
}

struct Candidate {
  uint32_t fields = 0;  // the word without the switch bit
  LsfVector code{};     // code vector: stage 1 plus the chosen stage 2 parts
};

Candidate SearchStages(const LsfVector& target, const LsfVector& w, FrameType type,
                       const LsfCodebooks& books) {
  Candidate best;
  size_t first = 0;
  double firstError = 0.0;
  for (size_t i = 0; i < books.stage1.size(); ++i) {
    const double error = WeightedError(w, target, books.stage1[i], 0, kLpcOrder);
    if (i == 0 || error < firstError) {
      first = i;
      firstError = error;
    }
  }
  best.code = books.stage1[first];
  LsfVector remainder;
  for (size_t k = 0; k < kLpcOrder; ++k) remainder[k] = target[k] - best.code[k];

  if (type == FrameType::kFullRate) {
    best.fields = static_cast<uint32_t>(first) << 20;
    for (size_t s = 0; s < books.stage2Pairs.size(); ++s) {
      size_t chosen = 0;
      double chosenError = 0.0;
      for (size_t i = 0; i < books.stage2Pairs[s].size(); ++i) {
        double error = 0.0;
        for (size_t j = 0; j < 2; ++j) {
          const double d = static_cast<double>(remainder[2 * s + j]) - books.stage2Pairs[s][i][j];
          error += w[2 * s + j] * d * d;
        }
        if (i == 0 || error < chosenError) {
          chosen = i;
          chosenError = error;
        }
      }
      best.code[2 * s] += books.stage2Pairs[s][chosen][0];
      best.code[2 * s + 1] += books.stage2Pairs[s][chosen][1];
      best.fields |= static_cast<uint32_t>(chosen) << (16 - 4 * s);
    }
  } else if (type == FrameType::kHalfRate) {
    best.fields = static_cast<uint32_t>(first) << 16;
    for (size_t s = 0; s < kHalfSplits.size(); ++s) {
      size_t chosen = 0;
      double chosenError = 0.0;
      for (size_t i = 0; i < books.stage2Matrix.size(); ++i) {
        const double error = WeightedError(w, remainder, books.stage2Matrix[i],
                                           kHalfSplits[s].first, kHalfSplits[s].count);
        if (i == 0 || error < chosenError) {
          chosen = i;
          chosenError = error;
        }
      }
      for (size_t k = kHalfSplits[s].first; k < kHalfSplits[s].first + kHalfSplits[s].count; ++k)
        best.code[k] += books.stage2Matrix[chosen][k];
      best.fields |= static_cast<uint32_t>(chosen) << (12 - 4 * s);
    }
  } else {
    best.fields = static_cast<uint32_t>(first);
  }
  return best;
}

int SwitchShift(FrameType type) {
  switch (type) {
    case FrameType::kFullRate:
      return 25;
    case FrameType::kHalfRate:
      return 21;
    default:
      return 5;
  }
}

}  // namespace

LsfCodebooks CommittedLsfCodebooks(FrameType type) {
  const bool half = type == FrameType::kHalfRate;
  LsfCodebooks books;
  books.stage1 = half ? std::span<const LsfVector>(kLsfStage1Half) : kLsfStage1Full;
  books.predictor = {LsfPredictorWeights(half, 0), LsfPredictorWeights(half, 1)};
  if (type == FrameType::kFullRate) books.stage2Pairs = kLsfStage2Full;
  if (half) books.stage2Matrix = kLsfStage2Half;
  return books;
}

LsfVector LsfQuantiserWeights(const LsfVector& lsf) {
  auto weight = [](float spacing) {
    return spacing > 0.0f ? 1.0f : 1.0f + 10.0f * spacing * spacing;
  };
  LsfVector w;
  w[0] = weight(lsf[1] - 1.125663706f);
  for (size_t i = 1; i + 1 < kLpcOrder; ++i) w[i] = weight(lsf[i + 1] - lsf[i - 1] - 1.0f);
  w[kLpcOrder - 1] = weight(1.890265238f - lsf[kLpcOrder - 2]);
  return w;
}

int32_t SearchLsfWord(const LsfVector& lsf, const LsfHistory& history, FrameType type,
                      const LsfCodebooks& books) {
  const LsfVector w = LsfQuantiserWeights(lsf);
  uint32_t bestWord = 0;
  double bestError = 0.0;
  for (int p = 0; p < 2; ++p) {
    std::span<const LsfVector> weights = books.predictor[static_cast<size_t>(p)];
    const LsfVector prediction = LsfPastPrediction(weights, history);
    LsfVector target;
    for (size_t k = 0; k < kLpcOrder; ++k)
      target[k] = (lsf[k] - prediction[k]) * (1.0f / weights[0][k]);
    const Candidate candidate = SearchStages(target, w, type, books);
    LsfVector quantised;
    for (size_t k = 0; k < kLpcOrder; ++k)
      quantised[k] = weights[0][k] * candidate.code[k] + prediction[k];
    const double error = WeightedError(w, lsf, quantised, 0, kLpcOrder);
    if (p == 0 || error < bestError) {
      bestError = error;
      bestWord = candidate.fields | (static_cast<uint32_t>(p) << SwitchShift(type));
    }
  }
  return static_cast<int32_t>(bestWord);
}

int32_t QuantiseLsf(LsfDecoderState& state, const LsfVector& lsf, FrameType type,
                    LsfVector& quantised, std::array<LpcCoefficients, 4>& lpc) {
  const int32_t word = SearchLsfWord(lsf, state.history, type, CommittedLsfCodebooks(type));
  DecodeLsf(state, word, type, false, quantised);
  QuarterLpcSets(state, quantised, lpc);
  return word;
}

}  // namespace vx
