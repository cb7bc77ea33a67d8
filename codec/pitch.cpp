#include "codec/pitch.h"

#include "codec/derived_tables.h"
#include "codec/status.h"

namespace vx {

namespace {

int FloorDiv3(int t) {
  return t >= 0 ? t / 3 : -((2 - t) / 3);
}

}  // namespace

const PitchInterpolationTable& PitchInterpolationRows(int codecVersion) {
  return codecVersion == 1 ? PitchInterpolationVersion1() : kPitchInterpolationVersion2;
}

int DecodePitchWord(int32_t word, bool relative, bool bad, int& previousLag, PitchLag& lag) {
  lag = {};
  bool wordFits = true;
  if (bad) {
    lag.t0 = previousLag;
  } else if (!relative) {
    wordFits = word >= 0 && word <= 255;
    if (word > 196) {
      lag.t0 = word - 112;
    } else {
      lag.t0 = (word + 2) / 3 + 19;
      lag.frac = (word + 2) % 3 - 1;
    }
  } else {
    wordFits = word >= 0 && word <= 31;
    const int d = word - 16;
    if (d < -13 || d > 13) {
      lag.t0 = previousLag + (d < 0 ? -(-d - 9) : d - 9);
    } else {
      lag.t0 = d / 3;
      lag.frac = d % 3;
      if (lag.frac == 2) {
        lag.t0 += 1;
        lag.frac = -1;
      } else if (lag.frac == -2) {
        lag.t0 -= 1;
        lag.frac = 1;
      }
      lag.t0 += previousLag;
    }
  }
  if (wordFits && lag.t0 >= kMinPitchLag && lag.t0 <= kMaxPitchLag) {
    previousLag = lag.t0;
    return kCodecOk;
  }
  lag = {};
  previousLag = 0;
  return kCodecValueOutOfRange;
}

void AdaptiveVector(std::span<const float> history, size_t start, std::span<float> v, PitchLag lag,
                    const PitchInterpolationTable& rows) {
  // Past samples come from the history, the subframe's own from the vector built so far.
  auto x = [&](int i) {
    return i < 0 ? history[start - static_cast<size_t>(-i)] : v[static_cast<size_t>(i)];
  };
  const int length = static_cast<int>(v.size());
  const int delay = 3 * lag.t0 + lag.frac;  // in thirds of a sample
  int r = -lag.t0;
  int phase = -lag.frac;
  if (phase < 0) {
    phase += 3;
    r -= 1;
  }
  if (phase == 0) {
    for (int n = 0; n < length; ++n) v[static_cast<size_t>(n)] = x(n - lag.t0);
    return;
  }
  for (int n = 0; n < length; ++n) {
    const auto& row = rows[static_cast<size_t>(phase)];
    float sum = 0.0f;
    for (int m = -4; m <= 4; ++m) sum += row[static_cast<size_t>(m + 4)] * x(r - m);
    v[static_cast<size_t>(n)] = sum;
    // Once the read position reaches the subframe, step back by one more delay so that the
    // window stays centred in the past excitation.
    if (++r == 0) {
      const int t = phase - delay;
      r = FloorDiv3(t);
      phase = t - 3 * r;
    }
  }
}

void SharpenPulses(std::span<float> c, int t0, float gain) {
  if (t0 <= 0) return;
  for (size_t n = static_cast<size_t>(t0); n < c.size(); ++n)
    c[n] += gain * c[n - static_cast<size_t>(t0)];
}

void SharpenPulsesFractional(std::span<float> c, PitchLag lag, float gain,
                             const PitchInterpolationTable& rows) {
  const PitchLag forward = ForwardFraction(lag);
  const int t = forward.t0;
  const int phase = forward.frac;
  if (phase == 0) {
    SharpenPulses(c, t, gain);
    return;
  }
  if (t <= 4) return;
  const auto& row = rows[static_cast<size_t>(3 - phase)];
  const int length = static_cast<int>(c.size());
  for (int n = t - 4; n < length; ++n) {
    float sum = 0.0f;
    for (int j = -4; j <= 3; ++j) {
      const int i = n - t - 1 - j;
      if (i >= 0 && i < length) sum += row[static_cast<size_t>(j + 4)] * c[static_cast<size_t>(i)];
    }
    c[static_cast<size_t>(n)] += gain * sum;
  }
}

}  // namespace vx
