#include "codec/synthesis.h"

#include <algorithm>
#include <cmath>

namespace vx {

void SynthesisFilter(const LpcCoefficients& a, std::span<const float> in, std::span<float> out,
                     SynthesisMemory memory, bool updateMemory) {
  const size_t length = std::min(in.size(), out.size());
  // Outputs before the block: memory[kLpcOrder - i] is s[-i].
  auto past = [&](size_t n, size_t i) { return n >= i ? out[n - i] : memory[kLpcOrder + n - i]; };
  size_t n = 0;
  for (; n < length && n < static_cast<size_t>(kLpcOrder); ++n) {
    float s = in[n];
    for (size_t i = 1; i <= static_cast<size_t>(kLpcOrder); ++i) s -= a[i - 1] * past(n, i);
    out[n] = s;
  }
  for (; n < length; ++n) {
    float s = in[n];
    for (size_t i = 1; i <= static_cast<size_t>(kLpcOrder); ++i) s -= a[i - 1] * out[n - i];
    out[n] = s;
  }
  if (!updateMemory) return;
  if (length >= static_cast<size_t>(kLpcOrder)) {
    std::copy(out.begin() + static_cast<std::ptrdiff_t>(length - kLpcOrder),
              out.begin() + static_cast<std::ptrdiff_t>(length), memory.begin());
  } else {
    std::copy(memory.begin() + static_cast<std::ptrdiff_t>(length), memory.end(), memory.begin());
    std::copy(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length),
              memory.end() - static_cast<std::ptrdiff_t>(length));
  }
}

void SilenceExcitation(std::span<float> out, int32_t& seed) {
  for (float& x : out) {
    seed = (2109 * seed + 9273) % 32768;
    x = 0.0002f * static_cast<float>(seed - 16384);
  }
}

int16_t FloatToPcm(float x) {
  if (x >= 32767.0f) return 32767;
  if (x <= -32768.0f) return -32768;
  // The half is added in double precision, where x + 0.5 is exact.
  if (x >= 0.0f) return static_cast<int16_t>(static_cast<double>(x) + 0.5);
  if (x < 0.0f) return static_cast<int16_t>(static_cast<double>(x) - 0.5);
  return 0;  // not a number
}

void FloatToPcm(std::span<const float> in, std::span<int16_t> out) {
  const size_t length = std::min(in.size(), out.size());
  for (size_t n = 0; n < length; ++n) out[n] = FloatToPcm(in[n]);
}

}  // namespace vx
