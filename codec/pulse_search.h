#pragma once

#include <cstdint>
#include <span>

// The pulse codebook search: at most one shaped two-sample pulse per track, found by
// pre-selecting four (position, shape) pairs per track and searching the two strongest
// tracks jointly, then the third on top of them.
namespace vx {

// Searches the pulse word for the target x (40 or 80 samples) under the impulse response h
// (its first h.size() samples; 6 at half rate, where the correlation matrix is banded). The
// criterion is <d, c>^2 / <c * h, c * h> with d the target filtered back through h. A track
// without a pulse is coded as its last position, shape 3, sign bit 1.
int32_t SearchPulses(std::span<const float> x, std::span<const float> h);

}  // namespace vx
