#include "codec/noise_search.h"

#include <array>

#include "codec/correlation.h"
#include "codec/trained_tables.h"

namespace vx {

int32_t SearchNoiseVector(std::span<const float, 40> x, std::span<const float, 40> h) {
  std::array<float, 40> d;
  BackwardFilter(x, h, d);
  int32_t best = 0;
  double bestScore = -1.0;
  for (size_t k = 0; k < kNoiseVectorCount; ++k) {
    const double correlation = Dot(d, kNoiseCodebook[k]);
    const double score = correlation * correlation / kNoiseCodebookEnergy[k];
    if (score > bestScore) {
      bestScore = score;
      best = static_cast<int32_t>(k);
    }
  }
  return best;
}

}  // namespace vx
