#include "codec/resample_frame.h"

#include <algorithm>
#include <array>

#include "codec/derived_tables.h"

namespace vx {

bool ResampleFrame(ResampleDirection direction, std::span<const float> in, std::span<float> out,
                   std::span<float, kResamplerMemory> memory, bool reset) {
  const ResamplerPhases& r =
      direction == ResampleDirection::kTo11000 ? ResamplerPhasesTo11000() : ResamplerPhasesTo8000();
  const size_t outputCount = static_cast<size_t>(r.inputCount * r.phases / r.step);
  if (in.size() != static_cast<size_t>(r.inputCount) || out.size() != outputCount) return false;
  if (reset) std::fill(memory.begin(), memory.end(), 0.0f);

  // Work signal: the 20 remembered samples, then the input; in[t] is work[t + 20].
  std::array<float, kResamplerMemory + 220> work{};
  std::copy(memory.begin(), memory.end(), work.begin());
  std::copy(in.begin(), in.end(), work.begin() + kResamplerMemory);
  for (int i = 0; i < r.phases; ++i) {
    const auto& taps = r.taps[static_cast<size_t>(i)];
    const int offset = r.offset[static_cast<size_t>(i)];
    for (int m = 0; r.step * m < r.inputCount - offset; ++m) {
      const int newest = offset + r.step * m + kResamplerMemory;  // work index of in[o + S m]
      float sum = 0.0f;
      for (int k = 0; k < kResamplerTaps; ++k)
        sum += taps[static_cast<size_t>(k)] * work[static_cast<size_t>(newest - k)];
      out[static_cast<size_t>(i + r.phases * m)] = sum;
    }
  }
  std::copy(in.end() - kResamplerMemory, in.end(), memory.begin());
  return true;
}

}  // namespace vx
