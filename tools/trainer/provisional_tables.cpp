#include "tools/trainer/provisional_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vx::trainer {

namespace {

// splitmix64: a small generator whose sequence is the same on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  double Uniform() {  // [0, 1)
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
  }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  double Gaussian() {  // Box-Muller
    double u = 1.0 - Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * Uniform());
  }

 private:
  uint64_t state_;
};

float Round(double value, double scale) {
  return static_cast<float>(std::round(value * scale) / scale);
}

// One speech-like LSF set spanning a random part of [lo, hi]: the uniform set k*pi/11 drawn
// toward three formant frequencies (neighbouring LSFs close in around a formant), jittered,
// kept ascending with a spacing of at least 0.05 rad.
std::array<double, kLpcOrder> SpeechLikeLsf(Random& random, double lo, double hi) {
  const double toAngle = 2.0 * std::numbers::pi / 8000.0;
  const double f1 = random.Uniform(250.0, 900.0);
  const double f2 = random.Uniform(std::max(800.0, f1 + 300.0), 2500.0);
  const double f3 = random.Uniform(std::max(2000.0, f2 + 400.0), 3400.0);
  const std::array<double, 3> formants = {f1 * toAngle, f2 * toAngle, f3 * toAngle};
  std::array<double, kLpcOrder> w{};
  for (int k = 0; k < kLpcOrder; ++k) w[static_cast<size_t>(k)] = (k + 1) * std::numbers::pi / 11.0;
  for (double theta : formants) {
    const double strength = random.Uniform(0.4, 0.9);
    for (double& x : w) {
      const double d = (x - theta) / 0.25;
      x += strength * (theta - x) * std::exp(-d * d);
    }
  }
  for (double& x : w) x += random.Uniform(-0.04, 0.04);
  std::sort(w.begin(), w.end());
  for (size_t k = 1; k < w.size(); ++k) w[k] = std::max(w[k], w[k - 1] + 0.05);
  // Map the set affinely (keeping its order) onto [first, last] inside [lo, hi].
  const double first = random.Uniform(lo, lo + 0.3);
  const double last = random.Uniform(hi - 0.35, hi);
  const double from = w.front(), to = w.back();
  for (double& x : w) x = first + (x - from) * (last - first) / (to - from);
  return w;
}

// A 4 x 4 lattice {-3, -1, 1, 3} * step of two-component corrections, jittered.
std::array<float, 2> LatticePair(Random& random, int index, double step) {
  constexpr std::array<double, 4> kLevels = {-3.0, -1.0, 1.0, 3.0};
  return {
      Round(kLevels[static_cast<size_t>(index % 4)] * step + random.Uniform(-0.004, 0.004), 1e5),
      Round(kLevels[static_cast<size_t>(index / 4)] * step + random.Uniform(-0.004, 0.004), 1e5)};
}

}  // namespace

TrainedData MakeProvisionalTables() {
  TrainedData t;
  Random random(0x566F63726978ull);

  for (auto& row : t.stage1Full) {
    const auto w = SpeechLikeLsf(random, 0.13, 2.80);
    for (size_t k = 0; k < row.size(); ++k) row[k] = Round(w[k], 1e5);
  }
  // Half-rate code vectors are the LSF sets divided by the sum of the half predictor's
  // weights (predictor 0), which is what they settle to in steady state.
  for (auto& row : t.stage1Half) {
    const auto w = SpeechLikeLsf(random, 0.13, 2.80);
    std::array<double, kLpcOrder> c{};
    for (size_t k = 0; k < row.size(); ++k) {
      double sum = 0.0;
      for (const LsfVector& age : kLsfPredictorHalf[0]) sum += age[k];
      c[k] = w[k] / sum;
    }
    const double first = c.front(), last = c.back();
    const double newFirst = std::max(first, 0.11), newLast = std::min(last, 2.07);
    for (size_t k = 0; k < row.size(); ++k)
      row[k] = Round(newFirst + (c[k] - first) * (newLast - newFirst) / (last - first), 1e5);
  }

  constexpr std::array<double, kLsfSplitsFull> kFullSteps = {0.022, 0.028, 0.034, 0.040, 0.046};
  for (size_t s = 0; s < kLsfSplitsFull; ++s) {
    for (int i = 0; i < kLsfStage2Size; ++i)
      t.stage2Full[s][static_cast<size_t>(i)] = LatticePair(random, i, kFullSteps[s]);
  }

  // Half second stage: lattices on the two-column splits (columns 1-2, 3-4); on the
  // three-column splits (5-7, 8-10) the 8 sign patterns at two magnitudes.
  for (int i = 0; i < kLsfStage2Size; ++i) {
    LsfVector& row = t.stage2Half[static_cast<size_t>(i)];
    const auto a = LatticePair(random, i, 0.018);
    const auto b = LatticePair(random, i, 0.024);
    row[0] = a[0];
    row[1] = a[1];
    row[2] = b[0];
    row[3] = b[1];
    constexpr std::array<std::array<double, 2>, 2> kMagnitudes = {{{0.025, 0.07}, {0.03, 0.08}}};
    for (size_t split = 0; split < 2; ++split) {
      const double magnitude = kMagnitudes[split][static_cast<size_t>(i / 8)];
      for (size_t j = 0; j < 3; ++j) {
        const double sign = (i >> j) & 1 ? -1.0 : 1.0;
        row[4 + 3 * split + j] = Round(sign * magnitude + random.Uniform(-0.005, 0.005), 1e5);
      }
    }
  }

  for (size_t v = 0; v < t.noise.size(); ++v) {
    std::array<double, kNoiseVectorLength> g{};
    double energy = 0.0;
    for (double& x : g) {
      x = random.Gaussian();
      energy += x * x;
    }
    const double rms = 0.92 + 0.03 * static_cast<double>(v);
    const double scale = rms / std::sqrt(energy / kNoiseVectorLength);
    double stored = 0.0;
    for (size_t n = 0; n < g.size(); ++n) {
      t.noise[v][n] = Round(g[n] * scale, 1e4);
      stored += static_cast<double>(t.noise[v][n]) * t.noise[v][n];
    }
    t.noiseEnergy[v] = Round(stored, 1e4);
  }
  return t;
}

}  // namespace vx::trainer
