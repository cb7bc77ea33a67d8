#include "codec/postfilter.h"

#include <algorithm>
#include <cmath>

#include "codec/derived_tables.h"
#include "codec/pitch.h"
#include "codec/synthesis.h"

namespace vx {

namespace {

constexpr int kFormantTaps = 15;

// k_1 of the LPC set by the step-down recursion from order 10: k_i = -a_i, the lower-order
// coefficients (a_j + k_i a_(i-j)) / (1 - k_i^2).
float FirstReflectionCoefficient(const LpcCoefficients& lpc) {
  std::array<float, kLpcOrder + 1> a{};
  std::copy(lpc.begin(), lpc.end(), a.begin() + 1);
  for (int i = kLpcOrder; i >= 2; --i) {
    const float k = -a[static_cast<size_t>(i)];
    const float scale = 1.0f - k * k;
    std::array<float, kLpcOrder + 1> lower = a;
    for (int j = 1; j < i; ++j) {
      lower[static_cast<size_t>(j)] =
          (a[static_cast<size_t>(j)] + k * a[static_cast<size_t>(i - j)]) / scale;
    }
    a = lower;
  }
  return -a[1];
}

LpcCoefficients Expand(const LpcCoefficients& a, float gamma) {
  LpcCoefficients e{};
  float factor = gamma;
  for (size_t i = 0; i < a.size(); ++i, factor *= gamma) e[i] = a[i] * factor;
  return e;
}

struct LongTermChoice {
  int lag = 0;       // T, the refined integer lag
  int fraction = 0;  // f, fifths of a sample: the delay is T + f / 5
  float gain = 0.0f;
};

// Refines the lag to T0 - 1, T0 or T0 + 1 by correlation, then to fifths of a sample by
// interpolating the normalised correlation rho(j) at lags T + j.
LongTermChoice RefinePitch(const float* x, int length, int t0) {
  LongTermChoice choice;
  choice.lag = t0;
  if (t0 < kMinPitchLag || t0 > kMaxPitchLag) return choice;
  auto correlation = [&](int lag) {
    double sum = 0.0;
    for (int n = 0; n < length; ++n) sum += static_cast<double>(x[n]) * x[n - lag];
    return static_cast<float>(sum);
  };
  std::array<float, 3> near{};
  for (int d = -1; d <= 1; ++d) near[static_cast<size_t>(d + 1)] = correlation(t0 + d);
  int best = 0;
  for (int d = 1; d < 3; ++d) {
    if (near[static_cast<size_t>(d)] > near[static_cast<size_t>(best)]) best = d;
  }
  const int lag = t0 + best - 1;
  std::array<float, 7> rho{};  // rho(j) at index j + 3
  for (int j = -3; j <= 3; ++j) {
    const int d = lag + j - t0;
    const float c = d >= -1 && d <= 1 ? near[static_cast<size_t>(d + 1)] : correlation(lag + j);
    double energy = 0.0;
    for (int n = 0; n < length; ++n) energy += static_cast<double>(x[n - lag - j]) * x[n - lag - j];
    rho[static_cast<size_t>(j + 3)] = c / static_cast<float>(energy + 0.00001);
  }
  const FineInterpolationTable& fine = FineInterpolationRows();
  float bestValue = -1e20f;
  for (int f = -4; f <= 4; ++f) {
    float value = 0.0f;
    if (f == 0) {
      value = rho[3];
    } else {
      const auto& row = fine[static_cast<size_t>(f > 0 ? f : f + 5)];
      const int shift = f > 0 ? 0 : -1;  // f < 0 interpolates between T - 1 and T
      for (int m = -3; m <= 2; ++m)
        value += row[static_cast<size_t>(m + 4)] * rho[static_cast<size_t>(shift - m + 3)];
    }
    if (value > bestValue) {
      bestValue = value;
      choice.fraction = f;
    }
  }
  choice.lag = lag;
  choice.gain = bestValue;
  return choice;
}

// Moves the last 148 samples of a history buffer (past samples plus `length` new ones) to
// its start.
void AgeHistory(std::span<float> buffer, int length) {
  std::copy(buffer.begin() + length, buffer.begin() + length + kPostfilterPast, buffer.begin());
}

// First-order DC removal y[n] = 0.9 y[n-1] + x[n] - x[n-1], in place.
void HighPass(PostfilterState& state, std::span<float> out) {
  for (float& sample : out) {
    const float input = sample;
    sample = 0.9f * state.highPassOutput + input - state.highPassInput;
    state.highPassInput = input;
    state.highPassOutput = sample;
  }
}

}  // namespace

void ResetPostfilter(PostfilterState& state) {
  state = PostfilterState{};
  FineInterpolationRows();
}

void Postfilter(PostfilterState& state, std::span<const float> synthesis,
                std::span<const float> excitation, const LpcCoefficients& lpc, int t0,
                FrameType type, std::span<float> out) {
  const int length = static_cast<int>(excitation.size());
  out = out.first(excitation.size());
  std::copy(excitation.begin(), excitation.end(), state.pitchBuffer.begin() + kPostfilterPast);
  const float* x = state.pitchBuffer.data() + kPostfilterPast;
  float* u = state.longTermBuffer.data() + kPostfilterPast;

  // Long-term filter at the delay T + f/5 with gain g/2, normalised by 1 / (1 + g/2).
  LongTermChoice pitch = RefinePitch(x, length, t0);
  const float gain = std::clamp(pitch.gain, 0.0f, 1.0f);
  if (pitch.lag >= kMinPitchLag && pitch.lag <= kMaxPitchLag) {
    const float half = 0.5f * gain;
    const float direct = 1.0f / (1.0f + half);
    const float delayed = 1.0f - direct;
    const FineInterpolationTable& fine = FineInterpolationRows();
    const int base = pitch.fraction < 0 ? -pitch.lag : -pitch.lag - 1;
    const int phase = pitch.fraction < 0 ? -pitch.fraction : 5 - pitch.fraction;
    for (int n = 0; n < length; ++n) {
      float y;
      if (pitch.fraction == 0) {
        y = x[n - pitch.lag];
      } else {
        y = 0.0f;
        for (int m = -4; m <= 4; ++m)
          y += fine[static_cast<size_t>(phase)][static_cast<size_t>(m + 4)] * x[n + base - m];
      }
      u[n] = direct * x[n] + delayed * y;
    }
  } else {
    std::copy(x, x + length, u);
  }

  // Tilt compensation u[n] -= 0.2 k1 u[n-1] (speech frames only).
  if (type == FrameType::kNoise) {
    state.tiltMemory = u[length - 1];
  } else {
    const float mu = 0.2f * FirstReflectionCoefficient(lpc);
    for (int n = 0; n < length; ++n) {
      const float input = u[n];
      u[n] = input - mu * state.tiltMemory;
      state.tiltMemory = input;
    }
  }

  // Formant shaping: impulse response of A(z/0.55)/A(z/0.7) (A(z/0.55) for noise frames in
  // both places), truncated to 15 taps, applied to u with 14 past samples.
  const LpcCoefficients numerator = Expand(lpc, 0.55f);
  const LpcCoefficients denominator = Expand(lpc, type == FrameType::kNoise ? 0.55f : 0.7f);
  std::array<float, kFormantTaps> h{};
  h[0] = 1.0f;
  std::copy(numerator.begin(), numerator.end(), h.begin() + 1);
  std::array<float, kLpcOrder> zeroMemory{};
  SynthesisFilter(denominator, h, h, zeroMemory, false);
  for (int n = 0; n < length; ++n) {
    float sum = 0.0f;
    for (int k = 0; k < kFormantTaps; ++k) sum += h[static_cast<size_t>(k)] * u[n - k];
    out[static_cast<size_t>(n)] = sum;
  }

  SynthesisFilter(lpc, out, out, state.synthesisMemory, true);

  // Level matching toward the unfiltered synthesis.
  double reference = 0.0, filtered = 0.00001;
  for (int n = 0; n < length; ++n) {
    reference +=
        static_cast<double>(synthesis[static_cast<size_t>(n)]) * synthesis[static_cast<size_t>(n)];
    filtered += static_cast<double>(out[static_cast<size_t>(n)]) * out[static_cast<size_t>(n)];
  }
  const float target = filtered > 0.0 ? static_cast<float>(std::sqrt(reference / filtered)) : 0.0f;
  for (int n = 0; n < length; ++n) {
    state.levelGain = 0.85f * state.levelGain + 0.15f * target;
    out[static_cast<size_t>(n)] *= state.levelGain;
  }

  AgeHistory(state.pitchBuffer, length);
  AgeHistory(state.longTermBuffer, length);
  HighPass(state, out);
}

void SilencePostfilter(PostfilterState& state, std::span<const float> excitation,
                       std::span<float> out) {
  const size_t length = excitation.size();
  std::copy(excitation.begin(), excitation.end(), state.pitchBuffer.begin() + kPostfilterPast);
  std::copy(excitation.begin(), excitation.end(), state.longTermBuffer.begin() + kPostfilterPast);
  state.tiltMemory = excitation[length - 1];
  std::copy(excitation.begin(), excitation.end(), out.begin());
  std::copy(out.begin() + static_cast<std::ptrdiff_t>(length - kLpcOrder),
            out.begin() + static_cast<std::ptrdiff_t>(length), state.synthesisMemory.begin());
  for (size_t n = 0; n < length; ++n) {
    state.levelGain = 0.85f * state.levelGain + 0.15f;
    out[n] *= state.levelGain;
  }
  AgeHistory(state.pitchBuffer, static_cast<int>(length));
  AgeHistory(state.longTermBuffer, static_cast<int>(length));
  HighPass(state, out.first(length));
}

}  // namespace vx
