#pragma once

#include <span>

// Open-loop pitch estimation on the weighted speech, one estimate per 80-sample half frame.
// It centres the closed-loop adaptive search and feeds the voicing decision of the
// activity detector.
namespace vx {

constexpr int kOpenLoopLength = 80;
constexpr int kOpenLoopMaxLag = 142;
constexpr int kOpenLoopMinLag = 20;

struct OpenLoopEstimate {
  int lag = 0;          // 20..142
  float voicing = 0.0f;  // normalised correlation gain c / E, 0..2
};

// Searches the lag ranges 80..142, 40..79 and 20..39 (each from its top down, the first of
// equal maxima kept, so the longest lag wins ties) on sw[n] = weighted[start + n],
// n = -142..79. A shorter range replaces the longer one's choice when its normalised
// correlation exceeds 0.85 times the longer one's, which favours the true period over its
// multiples.
OpenLoopEstimate OpenLoopPitch(std::span<const float> weighted, size_t start);

}  // namespace vx
