#pragma once

#include <span>
#include <vector>

#include "codec/frame_format.h"

namespace vx {

// Converts a stream of samples at one nominal rate to another rate (8000 Hz for the file
// encoder), block by block, in 64-bit floating point. A polyphase FIR converter for the
// rational ratio L/M: one 255-tap filter per output phase, a band-pass from 100 Hz to 0.9 of
// the lower half rate (difference of two windowed sinc functions, Kaiser window with
// beta = 6). 254 input values of history carry across blocks, so the converter delays the
// signal by 127 input samples; a first block of exactly 127 values primes the history, after
// which the first output of the next block falls on its first input sample.
//
// One converter per conversion: converters share nothing and may run on different threads.
class RateConverter {
 public:
  static constexpr int kTaps = 255;
  static constexpr int kHistory = kTaps - 1;
  static constexpr int kPrimingValues = 127;
  // Outputs kept per block, one frame at 8000 Hz; `out` needs this room.
  static constexpr int kMaxOutputs = kFrameSamples;
  static constexpr int kOutOfMemory = 1090;
  static constexpr int kRefused = -1;

  RateConverter() = default;
  RateConverter(const RateConverter&) = delete;
  RateConverter& operator=(const RateConverter&) = delete;

  // Builds the tables for converting `inputRate` to `outputRate` with blocks of at most
  // `blockSize` values, replacing those of an earlier call. Returns 0, kOutOfMemory when the
  // tables cannot be had, or kRefused for a rate <= 0 or a block size below 127; nothing
  // stays allocated after a failure.
  int InitRateConverter(int inputRate, int outputRate, int blockSize);

  // Converts `values` (at most the block size; exactly 127 with `first`, which clears the
  // history) into `out`, which must hold kMaxOutputs values. `outCount` receives the number
  // of outputs written, at most kMaxOutputs. Returns 0, or kRefused (outCount 0, nothing
  // written) for a priming block of other than 127 values (the history is cleared), a block
  // larger than the block size, too small an `out`, or an uninitialised converter.
  int ConvertRateBlock(std::span<const double> values, std::span<double> out, int& outCount,
                       bool first);

  // Frees the tables; the converter refuses blocks until initialised again.
  void ReleaseRateConverter();

  int M() const { return m_; }                     // input rate / gcd
  int L() const { return l_; }                     // output rate / gcd
  double UpperEdge() const { return upperEdge_; }  // fraction of the input's half rate
  double LowerEdge() const { return lowerEdge_; }  // 100 Hz as a fraction of the half rate
  std::span<const int> Offsets() const { return offsets_; }  // first input value per phase
  // The 255 taps of phase `phase` (0 ... L - 1); tap m weighs the input m values back.
  std::span<const double> Coefficients(int phase) const {
    return std::span(coefficients_).subspan(static_cast<size_t>(phase) * kTaps, kTaps);
  }

 private:
  int m_ = 0;
  int l_ = 0;
  int blockSize_ = 0;
  double upperEdge_ = 0.0;
  double lowerEdge_ = 0.0;
  std::vector<int> offsets_;          // L entries: M*i/L truncated
  std::vector<double> coefficients_;  // L phases of kTaps taps
  std::vector<double> history_;       // kHistory past values, then room for one block
};

}  // namespace vx
