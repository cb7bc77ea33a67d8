#include "codec/frame_classifier.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

constexpr double kLoudFrameEnergy = 14400000.0;
constexpr double kQuietFrameEnergy = 6400000.0;
constexpr double kQuietSubframeEnergy = 2000000.0;
constexpr double kSilenceFrameEnergy = 64000.0;  // RMS 20
constexpr float kVoicedGain = 0.7f;
constexpr uint32_t kSlowAveragingAfter = 50;

}  // namespace

int ActivityThreshold(const ActivityDetector& detector) {
  const uint64_t n = detector.subframes;
  const uint64_t lv = detector.loudVoiced, lu = detector.loudUnvoiced;
  const uint64_t qv = detector.quietVoiced, qu = detector.quietUnvoiced;
  if (10 * qu < n) return 20;
  if (qu + qv < 50) return 20;
  if (lv + lu < 50) return 50;
  // The more of the quiet signal was voiced, the lower the cap.
  const size_t d = qu < 3 * qv ? 0 : qu < 5 * qv ? 1 : qu < 10 * qv ? 2 : 3;
  const double speech = std::sqrt(0.025 * detector.speechLevel);
  const double noise = std::sqrt(0.025 * detector.noiseLevel);
  double factor;
  std::array<int, 4> caps;
  if (speech > 1200.0) {
    factor = 1.7;
    caps = {60, 80, 120, 200};
  } else if (speech > 800.0) {
    factor = 1.5;
    caps = {40, 60, 100, 150};
  } else if (speech > 400.0) {
    factor = 1.3;
    caps = {40, 40, 60, 100};
  } else {
    factor = 1.0;
    caps = {20, 20, 20, 50};
  }
  const int threshold = static_cast<int>(factor * noise);
  return std::min(threshold, caps[d]);
}

FrameType ClassifyFrame(ActivityDetector& detector, std::span<const float, 160> speech,
                        const std::array<float, 2>& voicing, bool detect) {
  std::array<double, 4> energy{};
  for (size_t i = 0; i < energy.size(); ++i) {
    for (size_t n = 0; n < 40; ++n) {
      const double x = speech[40 * i + n];
      energy[i] += x * x;
    }
  }
  const double total = energy[0] + energy[1] + energy[2] + energy[3];

  detector.subframes += 4;
  for (size_t i = 0; i < energy.size(); ++i) {
    const bool voiced = voicing[i / 2] >= kVoicedGain;
    if (total >= kLoudFrameEnergy) {
      if (voiced) {
        const double c = detector.loudVoiced < kSlowAveragingAfter ? 0.97 : 0.992;
        detector.speechLevel = c * detector.speechLevel + (1.0 - c) * energy[i];
        ++detector.loudVoiced;
      } else {
        ++detector.loudUnvoiced;
      }
    } else if (total < kQuietFrameEnergy && energy[i] < kQuietSubframeEnergy && !detector.loud) {
      if (voiced) {
        ++detector.quietVoiced;
      } else {
        ++detector.quietUnvoiced;
        const double c = detector.quietUnvoiced < kSlowAveragingAfter ? 0.97 : 0.998;
        detector.noiseLevel = c * detector.noiseLevel + (1.0 - c) * energy[i];
      }
    }
  }
  detector.loud = !(total < kQuietFrameEnergy && energy[3] < kQuietSubframeEnergy);

  if (!detect) return FrameType::kFullRate;
  const double t = ActivityThreshold(detector);
  if (160.0 * t * t < total) return FrameType::kFullRate;
  // A single loud subframe (an onset) keeps the frame as speech.
  if (*std::max_element(energy.begin(), energy.end()) > 360.0 * t * t) return FrameType::kFullRate;
  return total < kSilenceFrameEnergy ? FrameType::kSilence : FrameType::kNoise;
}

}  // namespace vx
