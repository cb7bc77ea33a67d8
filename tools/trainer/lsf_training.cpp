#include "tools/trainer/lsf_training.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "codec/lsf.h"

namespace vx::trainer {

namespace {

// Columns of the half-rate splits 1..4.
struct Columns {
  size_t first, count;
};
constexpr std::array<Columns, 4> kHalfSplits = {{{0, 2}, {2, 2}, {4, 3}, {7, 3}}};

float Round5(double value) {
  return static_cast<float>(std::round(value * 1e5) / 1e5);
}

struct WordFields {
  int switchBit = 0;
  size_t stage1 = 0;
  std::array<size_t, kLsfSplitsFull> splits{};  // full rate 5, half rate 4 used
};

WordFields Fields(uint32_t word, FrameType type) {
  WordFields f;
  if (type == FrameType::kFullRate) {
    f.switchBit = static_cast<int>((word >> 25) & 1);
    f.stage1 = (word >> 20) & 31;
    for (size_t s = 0; s < kLsfSplitsFull; ++s) f.splits[s] = (word >> (16 - 4 * s)) & 15;
  } else if (type == FrameType::kHalfRate) {
    f.switchBit = static_cast<int>((word >> 21) & 1);
    f.stage1 = (word >> 16) & 31;
    for (size_t s = 0; s < kHalfSplits.size(); ++s) f.splits[s] = (word >> (12 - 4 * s)) & 15;
  } else {
    f.switchBit = static_cast<int>((word >> 5) & 1);
    f.stage1 = word & 31;
  }
  return f;
}

// The second-stage part of a code vector.
LsfVector SecondStage(const WordFields& f, FrameType type, const LsfBooks& books) {
  LsfVector v{};
  if (type == FrameType::kFullRate) {
    for (size_t s = 0; s < kLsfSplitsFull; ++s) {
      v[2 * s] = books.stage2Pairs[s][f.splits[s]][0];
      v[2 * s + 1] = books.stage2Pairs[s][f.splits[s]][1];
    }
  } else if (type == FrameType::kHalfRate) {
    for (size_t s = 0; s < kHalfSplits.size(); ++s)
      for (size_t k = kHalfSplits[s].first; k < kHalfSplits[s].first + kHalfSplits[s].count; ++k)
        v[k] = books.stage2Matrix[f.splits[s]][k];
  }
  return v;
}

// What one active frame of a pass contributes to the update.
struct FrameChoice {
  FrameType type;    // the rate's speech type, or noise (first stage only)
  LsfVector target;  // code-domain target of the chosen predictor
  LsfVector weight;  // search weight times the squared current-vector weight: the LSF-domain
                     // error weight of a code-domain difference
  WordFields fields;
  double distortion;
};

metrics::DistortionSummary RunPass(const LsfTrainingSet& set, FrameType type, const LsfBooks& books,
                                   std::vector<FrameChoice>* choices) {
  const LsfCodebooks view = BookView(books, type);
  LsfBooks noiseBooks;
  noiseBooks.stage1 = type == FrameType::kFullRate ? books.stage1 : set.noiseStage1;
  const LsfCodebooks noiseView = BookView(noiseBooks, FrameType::kNoise);
  metrics::DistortionSummary summary;
  for (size_t s = 0; s < set.streamStarts.size(); ++s) {
    const size_t begin = set.streamStarts[s];
    const size_t end =
        s + 1 < set.streamStarts.size() ? set.streamStarts[s + 1] : set.frames.size();
    LsfDecoderState state;
    ResetLsfDecoderState(state);
    for (size_t i = begin; i < end; ++i) {
      const LsfFrame& frame = set.frames[i];
      if (frame.type == FrameType::kSilence) continue;
      const bool noise = frame.type == FrameType::kNoise;
      if (!noise && frame.type != type) continue;  // not a frame of this rate
      const LsfCodebooks& frameView = noise ? noiseView : view;
      const LsfHistory history = state.history;
      LsfVector quantised;
      const int32_t word = QuantiseWithBooks(state, frame.lsf, frame.type, frameView, quantised);
      if (!frame.active) continue;
      const double sd = metrics::LsfSpectralDistortionDb(frame.lsf, quantised);
      if (!noise) summary.Add(sd);
      // Noise frames shape the full-rate first stage only.
      if (!choices || (noise && type != FrameType::kFullRate)) continue;
      FrameChoice c;
      c.type = frame.type;
      c.fields = Fields(static_cast<uint32_t>(word), frame.type);
      c.distortion = sd;
      std::span<const LsfVector> weights =
          frameView.predictor[static_cast<size_t>(c.fields.switchBit)];
      const LsfVector past = LsfPastPrediction(weights, history);
      const LsfVector w = LsfQuantiserWeights(frame.lsf);
      for (size_t k = 0; k < kLpcOrder; ++k) {
        c.target[k] = (frame.lsf[k] - past[k]) * (1.0f / weights[0][k]);
        c.weight[k] = w[k] * weights[0][k] * weights[0][k];
      }
      choices->push_back(c);
    }
  }
  return summary;
}

// Frames by falling distortion (earlier frames first on ties): the seeds of empty cells.
std::vector<size_t> WorstFirst(const std::vector<FrameChoice>& choices) {
  std::vector<size_t> order(choices.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return choices[a].distortion > choices[b].distortion;
  });
  return order;
}

// Keeps a first-stage row ascending inside (0, pi), rounded as written.
void FixRow(LsfVector& row) {
  std::sort(row.begin(), row.end());
  constexpr float kStep = 1e-4f;
  float lowest = 0.001f;
  for (float& x : row) {
    x = Round5(std::max(x, lowest));
    lowest = x + kStep;
  }
  float highest = static_cast<float>(std::numbers::pi) - 0.001f;
  for (size_t k = row.size(); k-- > 0;) {
    row[k] = Round5(std::min(row[k], highest));
    highest = row[k] - kStep;
  }
}

LsfBooks UpdateBooks(const std::vector<FrameChoice>& choices, FrameType type,
                     const LsfBooks& books) {
  LsfBooks next = books;
  const std::vector<size_t> worst = WorstFirst(choices);
  size_t nextSeed = 0;
  auto seed = [&]() -> const FrameChoice* {
    if (worst.empty()) return nullptr;
    return &choices[worst[nextSeed++ % worst.size()]];
  };

  // First stage: weighted centroid of (target - second stage) in each cell.
  std::array<std::array<double, kLpcOrder>, kLsfStage1Size> num{}, den{};
  for (const FrameChoice& c : choices) {
    const LsfVector second = SecondStage(c.fields, c.type, books);
    for (size_t k = 0; k < kLpcOrder; ++k) {
      num[c.fields.stage1][k] += c.weight[k] * (c.target[k] - second[k]);
      den[c.fields.stage1][k] += c.weight[k];
    }
  }
  for (size_t i = 0; i < kLsfStage1Size; ++i) {
    if (den[i][0] > 0.0) {
      for (size_t k = 0; k < kLpcOrder; ++k)
        next.stage1[i][k] = static_cast<float>(num[i][k] / den[i][k]);
    } else if (const FrameChoice* c = seed()) {
      const LsfVector second = SecondStage(c->fields, c->type, books);
      for (size_t k = 0; k < kLpcOrder; ++k) next.stage1[i][k] = c->target[k] - second[k];
    }
    FixRow(next.stage1[i]);
  }

  // Second stage, on the remainder left by the new first stage.
  std::array<std::array<double, kLpcOrder>, kLsfStage2Size> num2{}, den2{};
  const size_t splits = type == FrameType::kFullRate ? kLsfSplitsFull : kHalfSplits.size();
  auto columns = [&](size_t s) {
    return type == FrameType::kFullRate ? Columns{2 * s, 2} : kHalfSplits[s];
  };
  for (const FrameChoice& c : choices) {
    if (c.type != type) continue;  // noise frames have no second stage
    for (size_t s = 0; s < splits; ++s) {
      const Columns cols = columns(s);
      for (size_t k = cols.first; k < cols.first + cols.count; ++k) {
        const double remainder = c.target[k] - next.stage1[c.fields.stage1][k];
        num2[c.fields.splits[s]][k] += c.weight[k] * remainder;
        den2[c.fields.splits[s]][k] += c.weight[k];
      }
    }
  }
  for (size_t s = 0; s < splits; ++s) {
    const Columns cols = columns(s);
    for (size_t j = 0; j < kLsfStage2Size; ++j) {
      const FrameChoice* c = den2[j][cols.first] > 0.0 ? nullptr : seed();
      for (size_t k = cols.first; k < cols.first + cols.count; ++k) {
        float value;
        if (den2[j][k] > 0.0)
          value = static_cast<float>(num2[j][k] / den2[j][k]);
        else if (c)
          value = c->target[k] - next.stage1[c->fields.stage1][k];
        else
          continue;
        value = Round5(value);
        if (type == FrameType::kFullRate)
          next.stage2Pairs[s][j][k - cols.first] = value;
        else
          next.stage2Matrix[j][k] = value;
      }
    }
  }
  return next;
}

}  // namespace

void LsfTrainingSet::AddStream(const std::vector<LsfFrame>& stream) {
  if (stream.empty()) return;
  streamStarts.push_back(frames.size());
  frames.insert(frames.end(), stream.begin(), stream.end());
}

LsfCodebooks BookView(const LsfBooks& books, FrameType type) {
  const bool half = type == FrameType::kHalfRate;
  LsfCodebooks view;
  view.stage1 = books.stage1;
  view.predictor = {LsfPredictorWeights(half, 0), LsfPredictorWeights(half, 1)};
  if (type == FrameType::kFullRate) view.stage2Pairs = books.stage2Pairs;
  if (half) view.stage2Matrix = books.stage2Matrix;
  return view;
}

LsfVector CodeVectorOf(uint32_t word, FrameType type, const LsfCodebooks& books) {
  const WordFields f = Fields(word, type);
  LsfVector c = books.stage1[f.stage1];
  if (type == FrameType::kFullRate) {
    for (size_t s = 0; s < kLsfSplitsFull; ++s) {
      c[2 * s] += books.stage2Pairs[s][f.splits[s]][0];
      c[2 * s + 1] += books.stage2Pairs[s][f.splits[s]][1];
    }
  } else if (type == FrameType::kHalfRate) {
    for (size_t s = 0; s < kHalfSplits.size(); ++s)
      for (size_t k = kHalfSplits[s].first; k < kHalfSplits[s].first + kHalfSplits[s].count; ++k)
        c[k] += books.stage2Matrix[f.splits[s]][k];
  }
  return c;
}

int32_t QuantiseWithBooks(LsfDecoderState& state, const LsfVector& lsf, FrameType type,
                          const LsfCodebooks& books, LsfVector& quantised) {
  const int32_t word = SearchLsfWord(lsf, state.history, type, books);
  const int switchBit = Fields(static_cast<uint32_t>(word), type).switchBit;
  state.history[0] = CodeVectorOf(static_cast<uint32_t>(word), type, books);
  quantised = LsfMaPrediction(books.predictor[static_cast<size_t>(switchBit)], state.history);
  StabiliseLsf(quantised);
  state.decoded = quantised;
  state.previousSwitch = switchBit;
  state.previousType = type;
  AgeLsfHistory(state.history);
  state.previous = quantised;
  return word;
}

metrics::DistortionSummary MeasureBooks(const LsfTrainingSet& set, FrameType type,
                                        const LsfBooks& books) {
  return RunPass(set, type, books, nullptr);
}

LsfBooks TrainLsfBooks(const LsfTrainingSet& set, FrameType type, const LsfBooks& initial,
                       const LsfTrainingOptions& options, const PassReport& report) {
  LsfBooks books = initial;
  LsfBooks best = initial;
  double bestDb = std::numeric_limits<double>::infinity();
  int stale = 0;
  std::vector<FrameChoice> choices;
  for (int pass = 1; pass <= options.maxPasses; ++pass) {
    choices.clear();
    const metrics::DistortionSummary summary = RunPass(set, type, books, &choices);
    if (report) report(pass, summary);
    const double db = summary.MeanDb();
    if (db < bestDb) {
      stale = db < bestDb - options.minImprovementDb ? 0 : stale + 1;
      best = books;
      bestDb = db;
    } else {
      ++stale;
    }
    if (stale >= options.patience || choices.empty()) break;
    books = UpdateBooks(choices, type, books);
  }
  return best;
}

}  // namespace vx::trainer
