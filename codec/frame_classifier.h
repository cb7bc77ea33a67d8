#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "codec/frame_format.h"

// The activity decision: running levels of loud voiced speech and of quiet unvoiced
// background give an amplitude threshold; frames below it become noise frames (coarse
// background) or silence frames (no parameters).
namespace vx {

struct ActivityDetector {
  uint32_t subframes = 0;      // 4 per classified frame
  uint32_t loudVoiced = 0;     // loud voiced subframes (they update the speech level)
  uint32_t loudUnvoiced = 0;
  uint32_t quietVoiced = 0;
  uint32_t quietUnvoiced = 0;  // quiet unvoiced subframes (they update the noise level)
  double speechLevel = 10786899.6;  // running mean energy of a 40-sample speech subframe
  double noiseLevel = 0.0;          // the same for the background
  bool loud = false;                // the previous frame was loud
};

// Threshold amplitude (per-sample RMS) below which a frame is background: 20 or 50 until
// enough quiet and loud subframes have been seen, then a multiple of the noise amplitude
// that grows with the speech amplitude, capped by how much of the quiet signal was voiced.
int ActivityThreshold(const ActivityDetector& detector);

// Classifies the coded frame (160 high-pass-filtered samples) from its four subframe
// energies and the voicing gains of its two halves (>= 0.7 is voiced), after updating the
// levels and counts. Returns kFullRate for speech, kNoise or kSilence; always kFullRate when
// `detect` is false (the levels still adapt).
FrameType ClassifyFrame(ActivityDetector& detector, std::span<const float, 160> speech,
                        const std::array<float, 2>& voicing, bool detect);

}  // namespace vx
