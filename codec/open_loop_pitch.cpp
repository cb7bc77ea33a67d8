#include "codec/open_loop_pitch.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

struct RangeBest {
  int lag;
  double correlation;
  double energy;
  double normalised;
};

RangeBest BestInRange(std::span<const float> weighted, size_t start, int top, int bottom) {
  const float* sw = weighted.data() + start;
  RangeBest best{top, 0.0, 0.0, 0.0};
  bool first = true;
  for (int lag = top; lag >= bottom; --lag) {
    double c = 0.0;
    for (int n = 0; n < kOpenLoopLength; ++n) c += static_cast<double>(sw[n]) * sw[n - lag];
    if (first || c > best.correlation) {
      best.lag = lag;
      best.correlation = c;
      first = false;
    }
  }
  double energy = 0.01;
  for (int n = 0; n < kOpenLoopLength; ++n) {
    const double past = sw[n - best.lag];
    energy += past * past;
  }
  best.energy = energy;
  best.normalised = best.correlation / std::sqrt(energy);
  return best;
}

}  // namespace

OpenLoopEstimate OpenLoopPitch(std::span<const float> weighted, size_t start) {
  RangeBest chosen = BestInRange(weighted, start, kOpenLoopMaxLag, 80);
  const RangeBest middle = BestInRange(weighted, start, 79, 40);
  if (0.85 * chosen.normalised < middle.normalised) chosen = middle;
  const RangeBest shortest = BestInRange(weighted, start, 39, kOpenLoopMinLag);
  if (0.85 * chosen.normalised < shortest.normalised) chosen = shortest;

  OpenLoopEstimate estimate;
  estimate.lag = chosen.lag;
  if (chosen.correlation > 2.0 * chosen.energy) {
    estimate.voicing = 2.0f;
  } else if (chosen.energy <= 1.0) {
    estimate.voicing = 0.0f;
  } else {
    estimate.voicing = static_cast<float>(std::max(chosen.correlation / chosen.energy, 0.0));
  }
  return estimate;
}

}  // namespace vx
