#pragma once

#include <span>

// The 8000 <-> 11000 Hz converter: a polyphase FIR interpolator (21 taps per phase, an
// unwindowed sinc cut at 0.9 of the lower rate's Nyquist frequency) at the exact ratio 11 : 8.
// The output lags the input by 10 input samples.
namespace vx {

enum class ResampleDirection {
  kTo8000 = 0,   // 220 samples at 11000 Hz -> 160 samples at 8000 Hz
  kTo11000 = 1,  // 160 samples at 8000 Hz -> 220 samples at 11000 Hz
};

constexpr int kResamplerMemory = 20;

// Converts one block. `memory` holds the last 20 input samples of the previous call and is
// cleared first when `reset` is set. Returns false, writing nothing, when `in` or `out` has
// the wrong length for the direction (160 and 220 samples).
bool ResampleFrame(ResampleDirection direction, std::span<const float> in, std::span<float> out,
                   std::span<float, kResamplerMemory> memory, bool reset);

}  // namespace vx
