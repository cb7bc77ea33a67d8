#include "codec/half_rate_prefilter.h"

#include <algorithm>
#include <array>

namespace vx {

void HalfRatePitchPrefilter(std::span<float> x, PitchLag lag, float gain,
                            const PitchInterpolationTable& rows) {
  const PitchLag forward = ForwardFraction(lag);
  const int t = forward.t0;
  const int phase = forward.frac;
  const int length = static_cast<int>(x.size());
  if (t >= length) return;
  std::array<float, 80> original;
  std::copy(x.begin(), x.end(), original.begin());
  if (phase == 0) {
    for (int n = t; n < length; ++n)
      x[static_cast<size_t>(n)] -= gain * original[static_cast<size_t>(n - t)];
    return;
  }
  const auto& row = rows[static_cast<size_t>(3 - phase)];
  for (int n = std::max(t - 4, 0); n < length; ++n) {
    float sum = 0.0f;
    for (int j = -4; j <= 3; ++j) {
      const int i = n - t - 1 - j;
      if (i >= 0 && i < length)
        sum += row[static_cast<size_t>(j + 4)] * original[static_cast<size_t>(i)];
    }
    x[static_cast<size_t>(n)] -= gain * sum;
  }
}

}  // namespace vx
