#include "codec/pulse_search.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "codec/correlation.h"
#include "codec/derived_tables.h"
#include "codec/pulse_codebook.h"

namespace vx {

namespace {

constexpr size_t kMaxLength = 80;
constexpr size_t kMaxImpulse = 40;
constexpr size_t kKeptPositions = 3;
constexpr size_t kKeptPairs = 4;
constexpr float kSmallestCorrelation = 0.00001f;

// Phi(i, j) = sum_{n=max(i,j)..L-1} h[n-i] h[n-j], read from prefix sums over the diagonal
// |i - j|: Phi(i, j) = sum_{k=0..L-1-max(i,j)} h[k] h[k + |i - j|].
class PulseCorrelations {
 public:
  PulseCorrelations(std::span<const float> h, size_t length)
      : length_(length), diagonals_(std::min(h.size(), length)) {
    for (size_t delta = 0; delta < diagonals_; ++delta) {
      double sum = 0.0;
      for (size_t k = 0; k + delta < length; ++k) {
        if (k + delta < h.size()) sum += static_cast<double>(h[k]) * h[k + delta];
        prefix_[delta][k] = sum;
      }
    }
  }
  double operator()(size_t i, size_t j) const {
    const size_t delta = i > j ? i - j : j - i;
    if (delta >= diagonals_) return 0.0;
    return prefix_[delta][length_ - 1 - std::max(i, j)];
  }

 private:
  size_t length_;
  size_t diagonals_;
  std::array<std::array<double, kMaxLength>, kMaxImpulse> prefix_{};
};

// A signed shaped pulse at samples p and p + 1.
struct Pulse {
  size_t position = 0;  // sample p
  int index = 0;        // position index in the track's list
  int shape = 0;
  bool negative = false;
  double u = 0.0, v = 0.0;  // sign * shape samples
  double gain = 0.0;        // |a|, its correlation with d
  double score = 0.0;       // a^2 / (s0^2 + s1^2)
  double energy = 0.0;      // its own energy under Phi
};

// <signed pulse a * h, signed pulse b * h>.
double Cross(const PulseCorrelations& phi, const Pulse& a, const Pulse& b) {
  const size_t p = a.position, q = b.position;
  return a.u * b.u * phi(p, q) + a.u * b.v * phi(p, q + 1) + a.v * b.u * phi(p + 1, q) +
         a.v * b.v * phi(p + 1, q + 1);
}

using TrackPairs = std::array<Pulse, kKeptPairs>;

TrackPairs PreselectTrack(size_t track, const PulseTrack& list, std::span<const float> d,
                          const PulseCorrelations& phi) {
  // The three positions of largest |d[p]| + |d[p+1]|, earlier list entries first on ties.
  std::array<int, kKeptPositions> kept{};
  std::array<float, kKeptPositions> keptValue{};
  size_t keptCount = 0;
  for (int i = 0; i < list.count; ++i) {
    const size_t p = list.positions[static_cast<size_t>(i)];
    const float value = std::fabs(d[p]) + std::fabs(d[p + 1]);
    size_t at = keptCount;
    while (at > 0 && value > keptValue[at - 1]) --at;
    if (at >= kKeptPositions) continue;
    for (size_t k = std::min(keptCount, kKeptPositions - 1); k > at; --k) {
      kept[k] = kept[k - 1];
      keptValue[k] = keptValue[k - 1];
    }
    kept[at] = i;
    keptValue[at] = value;
    keptCount = std::min(keptCount + 1, kKeptPositions);
  }

  const auto& weights = PulseShapeEnergies()[track];
  TrackPairs best{};
  size_t bestCount = 0;
  for (size_t k = 0; k < keptCount; ++k) {
    const int index = kept[k];
    const size_t p = list.positions[static_cast<size_t>(index)];
    for (int s = 0; s < kPulseShapeCount; ++s) {
      const PulseShape& shape = kPulseShapes[track][static_cast<size_t>(s)];
      float a = shape.first * d[p] + shape.second * d[p + 1];
      if (std::fabs(a) < kSmallestCorrelation) a = kSmallestCorrelation;
      // The last position with shape 3 and a negative sign is the no-pulse code.
      if (index == list.count - 1 && s == 3 && a < 0.0f) continue;
      Pulse pulse;
      pulse.position = p;
      pulse.index = index;
      pulse.shape = s;
      pulse.negative = a < 0.0f;
      const double sign = pulse.negative ? -1.0 : 1.0;
      pulse.u = sign * shape.first;
      pulse.v = sign * shape.second;
      pulse.gain = std::fabs(a);
      pulse.score = static_cast<double>(a) * a * weights[static_cast<size_t>(s)];
      pulse.energy = Cross(phi, pulse, pulse);
      size_t at = bestCount;
      while (at > 0 && pulse.score > best[at - 1].score) --at;
      if (at >= kKeptPairs) continue;
      for (size_t j = std::min(bestCount, kKeptPairs - 1); j > at; --j) best[j] = best[j - 1];
      best[at] = pulse;
      bestCount = std::min(bestCount + 1, kKeptPairs);
    }
  }
  return best;
}

double Ratio(double gain, double energy) {
  return energy > 0.0 ? gain * gain / energy : 0.0;
}

}  // namespace

int32_t SearchPulses(std::span<const float> x, std::span<const float> h) {
  const size_t length = x.size();
  std::span<const PulseTrack, kPulseTrackCount> tracks = PulseTracks(length);
  std::array<float, kMaxLength> dStore;
  std::span<float> d(dStore.data(), length);
  BackwardFilter(x, h, d);
  const PulseCorrelations phi(h, length);

  std::array<TrackPairs, kPulseTrackCount> pairs;
  for (size_t t = 0; t < kPulseTrackCount; ++t) pairs[t] = PreselectTrack(t, tracks[t], d, phi);

  // Tracks by the score of their best pair, highest first, lower track first on ties.
  // An insertion sort: stable, and unlike std::stable_sort it takes no temporary buffer.
  std::array<size_t, kPulseTrackCount> order = {0, 1, 2};
  for (size_t i = 1; i < order.size(); ++i) {
    for (size_t j = i; j > 0 && pairs[order[j]][0].score > pairs[order[j - 1]][0].score; --j)
      std::swap(order[j], order[j - 1]);
  }

  // Choice per track: a pair index 0..3, or kKeptPairs for no pulse.
  std::array<size_t, kPulseTrackCount> choice;
  choice.fill(kKeptPairs);
  const TrackPairs& first = pairs[order[0]];
  const TrackPairs& second = pairs[order[1]];
  const TrackPairs& third = pairs[order[2]];
  double bestRatio = -1.0, bestGain = 0.0, bestEnergy = 0.0;
  for (size_t i = 0; i <= kKeptPairs; ++i) {
    for (size_t j = 0; j <= kKeptPairs; ++j) {
      if (i == kKeptPairs && j == kKeptPairs) continue;
      double gain = 0.0, energy = 0.0;
      if (i < kKeptPairs) {
        gain += first[i].gain;
        energy += first[i].energy;
      }
      if (j < kKeptPairs) {
        gain += second[j].gain;
        energy += second[j].energy;
      }
      if (i < kKeptPairs && j < kKeptPairs) energy += 2.0 * Cross(phi, first[i], second[j]);
      const double ratio = Ratio(gain, energy);
      if (ratio > bestRatio) {
        bestRatio = ratio;
        bestGain = gain;
        bestEnergy = energy;
        choice[order[0]] = i;
        choice[order[1]] = j;
      }
    }
  }

  // The third track on top of that choice; no pulse only if strictly better than every pair.
  const double baseRatio = bestRatio;
  bestRatio = 0.0;
  for (size_t k = 0; k <= kKeptPairs; ++k) {
    double ratio = baseRatio;
    if (k < kKeptPairs) {
      double energy = bestEnergy + third[k].energy;
      if (choice[order[0]] < kKeptPairs)
        energy += 2.0 * Cross(phi, third[k], first[choice[order[0]]]);
      if (choice[order[1]] < kKeptPairs)
        energy += 2.0 * Cross(phi, third[k], second[choice[order[1]]]);
      ratio = Ratio(bestGain + third[k].gain, energy);
    }
    if (ratio > bestRatio) {
      bestRatio = ratio;
      choice[order[2]] = k;
    }
  }

  uint32_t word = 0;
  for (size_t t = 0; t < kPulseTrackCount; ++t) {
    const PulseTrack& list = tracks[t];
    uint32_t field;
    if (choice[t] < kKeptPairs) {
      const Pulse& pulse = pairs[t][choice[t]];
      field = static_cast<uint32_t>(pulse.index) * 8 + static_cast<uint32_t>(pulse.shape) * 2 +
              (pulse.negative ? 1u : 0u);
    } else {
      field = static_cast<uint32_t>(list.count - 1) * 8 + 3 * 2 + 1;
    }
    word = (word << (3 + list.bits)) | field;
  }
  return static_cast<int32_t>(word);
}

}  // namespace vx
