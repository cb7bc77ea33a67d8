#include "codec/derived_tables.h"

#include <cmath>
#include <numbers>

#include "codec/portable_math.h"

namespace vx {

namespace {

// Interpolation rows of sin(x)/x at phase steps `phaseStep` (radians), rows 1.. computed,
// row 0 the identity.
template <size_t Rows>
std::array<std::array<float, 9>, Rows> SincRows(double phaseStep) {
  std::array<std::array<float, 9>, Rows> rows{};
  rows[0][4] = 1.0f;
  for (size_t g = 1; g < Rows; ++g) {
    for (int i = -4; i <= 4; ++i) {
      double x = static_cast<double>(g) * phaseStep + i * 3.14159265;
      rows[g][static_cast<size_t>(i + 4)] = static_cast<float>(PortableSin(x) / x);
    }
  }
  return rows;
}

ResamplerPhases MakeResamplerPhases(int phases, int step, int inputCount, double beta) {
  ResamplerPhases r{};
  r.phases = phases;
  r.step = step;
  r.inputCount = inputCount;
  for (int i = 0; i < phases; ++i) {
    r.offset[static_cast<size_t>(i)] = i * step / phases;
    double phi = static_cast<double>(i * step) / phases - r.offset[static_cast<size_t>(i)];
    for (int k = 0; k < kResamplerTaps; ++k) {
      double x = beta * (10 - k - phi);
      double sinc = x == 0.0 ? 1.0 : PortableSin(std::numbers::pi * x) / (std::numbers::pi * x);
      r.taps[static_cast<size_t>(i)][static_cast<size_t>(k)] = static_cast<float>(beta * sinc);
    }
  }
  return r;
}

}  // namespace

const PitchInterpolationTable& PitchInterpolationVersion1() {
  static const PitchInterpolationTable table = SincRows<3>(1.04719755);
  return table;
}

const FineInterpolationTable& FineInterpolationRows() {
  static const FineInterpolationTable table = SincRows<5>(0.62831853);
  return table;
}

const std::array<std::array<float, kPulseShapeCount>, kPulseTrackCount>& PulseShapeEnergies() {
  static const auto table = [] {
    std::array<std::array<float, kPulseShapeCount>, kPulseTrackCount> e{};
    for (size_t t = 0; t < kPulseTrackCount; ++t) {
      for (size_t s = 0; s < kPulseShapeCount; ++s) {
        const PulseShape& shape = kPulseShapes[t][s];
        e[t][s] = 1.0f / (shape.first * shape.first + shape.second * shape.second);
      }
    }
    return e;
  }();
  return table;
}

const ResamplerPhases& ResamplerPhasesTo8000() {
  static const ResamplerPhases phases = MakeResamplerPhases(8, 11, 220, 0.9 * 8.0 / 11.0);
  return phases;
}

const ResamplerPhases& ResamplerPhasesTo11000() {
  static const ResamplerPhases phases = MakeResamplerPhases(11, 8, 160, 0.9);
  return phases;
}

}  // namespace vx
