#pragma once

#include <span>

// Inner products, convolution and backward filtering of the encoder's excitation search.
namespace vx {

// <a, b> over a.size() samples (b at least as long), summed in double precision.
float Dot(std::span<const float> a, std::span<const float> b);

// out[n] = sum_{k=0..min(n, h.size()-1)} c[n-k] h[k] for n < out.size(): c filtered by the
// truncated impulse response h with zero state.
void Convolve(std::span<const float> c, std::span<const float> h, std::span<float> out);

// d[n] = sum_{i=n..L-1} x[i] h[i-n] with L = x.size() (terms with i - n >= h.size() are 0):
// the target filtered backwards through h, so that <d, c> = <x, c * h> for any vector c.
void BackwardFilter(std::span<const float> x, std::span<const float> h, std::span<float> d);

}  // namespace vx
