#include "codec/correlation.h"

#include <algorithm>

namespace vx {

float Dot(std::span<const float> a, std::span<const float> b) {
  double sum = 0.0;
  for (size_t n = 0; n < a.size(); ++n) sum += static_cast<double>(a[n]) * b[n];
  return static_cast<float>(sum);
}

void Convolve(std::span<const float> c, std::span<const float> h, std::span<float> out) {
  for (size_t n = 0; n < out.size(); ++n) {
    const size_t taps = std::min(n + 1, h.size());
    double sum = 0.0;
    for (size_t k = 0; k < taps; ++k) sum += static_cast<double>(c[n - k]) * h[k];
    out[n] = static_cast<float>(sum);
  }
}

void BackwardFilter(std::span<const float> x, std::span<const float> h, std::span<float> d) {
  const size_t length = x.size();
  for (size_t n = 0; n < length; ++n) {
    const size_t end = std::min(length, n + h.size());
    double sum = 0.0;
    for (size_t i = n; i < end; ++i) sum += static_cast<double>(x[i]) * h[i - n];
    d[n] = static_cast<float>(sum);
  }
}

}  // namespace vx
