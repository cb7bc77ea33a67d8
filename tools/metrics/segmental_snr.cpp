#include "tools/metrics/segmental_snr.h"

#include <algorithm>
#include <cmath>

namespace vx::metrics {

bool SegmentalSnr::AddSegment(std::span<const float> reference, std::span<const float> test) {
  if (reference.empty() || reference.size() != test.size()) return false;
  double signal = 0.0, error = 0.0;
  for (size_t n = 0; n < reference.size(); ++n) {
    const double r = reference[n];
    const double e = r - test[n];
    signal += r * r;
    error += e * e;
  }
  if (signal < minRms_ * minRms_ * static_cast<double>(reference.size())) return false;
  const double db = error > 0.0 ? 10.0 * std::log10(signal / error) : kCeilingDb;
  sumDb_ += std::clamp(db, kFloorDb, kCeilingDb);
  ++segments_;
  return true;
}

void SegmentalSnr::Merge(const SegmentalSnr& other) {
  segments_ += other.segments_;
  sumDb_ += other.sumDb_;
}

}  // namespace vx::metrics
