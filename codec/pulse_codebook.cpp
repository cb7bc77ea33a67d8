#include "codec/pulse_codebook.h"

#include <algorithm>

#include "codec/status.h"
#include "codec/trained_tables.h"

namespace vx {

std::span<const PulseTrack, kPulseTrackCount> PulseTracks(size_t subframeLength) {
  return subframeLength == 80 ? kPulseTracks80 : kPulseTracks40;
}

int BuildPulseVector(int32_t word, std::span<float> c) {
  std::fill(c.begin(), c.end(), 0.0f);
  const int wordBits = c.size() == 40 ? kPulseWordBits40 : c.size() == 80 ? kPulseWordBits80 : 0;
  if (wordBits == 0 || word < 0 || word >= (int32_t{1} << wordBits)) return kCodecValueOutOfRange;
  std::span<const PulseTrack, kPulseTrackCount> tracks = PulseTracks(c.size());
  uint32_t bits = static_cast<uint32_t>(word);
  for (int t = kPulseTrackCount - 1; t >= 0; --t) {
    const PulseTrack& track = tracks[static_cast<size_t>(t)];
    const bool negative = bits & 1;
    const uint32_t shape = (bits >> 1) & 3;
    const uint32_t index = (bits >> 3) & ((1u << track.bits) - 1);
    bits >>= 3 + track.bits;
    if (negative && shape == 3 && index == static_cast<uint32_t>(track.count - 1)) continue;
    const PulseShape& s = kPulseShapes[static_cast<size_t>(t)][shape];
    const float sign = negative ? -1.0f : 1.0f;
    const size_t p = track.positions[index];
    c[p] += sign * s.first;
    c[p + 1] += sign * s.second;
  }
  return kCodecOk;
}

int BuildNoiseVector(int32_t word, std::span<float, 40> c) {
  if (word < 0 || word >= kNoiseVectorCount) {
    std::fill(c.begin(), c.end(), 0.0f);
    return kCodecValueOutOfRange;
  }
  std::copy(kNoiseCodebook[static_cast<size_t>(word)].begin(),
            kNoiseCodebook[static_cast<size_t>(word)].end(), c.begin());
  return kCodecOk;
}

}  // namespace vx
