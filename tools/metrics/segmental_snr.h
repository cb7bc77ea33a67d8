#pragma once

#include <cstddef>
#include <span>

// Segmental signal-to-noise ratio of coded speech: the mean over segments (frames) of
// 10 log10 (reference energy / error energy), each segment's value limited to -10 .. 35 dB so
// that near-silent or perfectly coded segments do not dominate. Segments whose reference is
// quieter than `minRms` per sample (pauses) are not counted.
namespace vx::metrics {

class SegmentalSnr {
 public:
  static constexpr double kFloorDb = -10.0;
  static constexpr double kCeilingDb = 35.0;
  // RMS 20 on the 16-bit scale: the level below which the encoder codes silence frames.
  static constexpr double kDefaultMinRms = 20.0;

  explicit SegmentalSnr(double minRms = kDefaultMinRms) : minRms_(minRms) {}

  // `reference` and `test` have the same length; a segment of another length is refused.
  // Returns whether the segment counted.
  bool AddSegment(std::span<const float> reference, std::span<const float> test);
  void Merge(const SegmentalSnr& other);
  size_t Segments() const { return segments_; }
  double MeanDb() const { return segments_ ? sumDb_ / segments_ : 0.0; }

 private:
  double minRms_;
  size_t segments_ = 0;
  double sumDb_ = 0.0;
};

}  // namespace vx::metrics
