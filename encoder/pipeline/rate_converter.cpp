#include "encoder/pipeline/rate_converter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "codec/portable_math.h"

namespace vx {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kKaiserBeta = 6.0;
constexpr double kLowerEdgeHz = 100.0;
constexpr double kUpperEdgeShare = 0.9;  // of the output's half rate when decimating

int Gcd(int a, int b) {
  if (a < b) std::swap(a, b);
  for (;;) {
    a %= b;
    if (a == 0) return b;
    std::swap(a, b);
  }
}

// Modified Bessel function of order zero by its power series, for the window's arguments
// 0 ... 6.
double BesselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k <= 100; ++k) {
    term = term * (x / 2.0) / k;
    sum += term * term;
    if (term * term < sum * 1e-30) break;
  }
  return sum;
}

double KaiserNormaliser() {
  static const double i0OfBeta = BesselI0(kKaiserBeta);
  return i0OfBeta;
}

}  // namespace

int RateConverter::InitRateConverter(int inputRate, int outputRate, int blockSize) {
  ReleaseRateConverter();
  if (inputRate <= 0 || outputRate <= 0 || blockSize < kPrimingValues) return kRefused;
  const int g = Gcd(inputRate, outputRate);
  const int m = inputRate / g;
  const int l = outputRate / g;
  try {
    history_.assign(kHistory + static_cast<size_t>(blockSize), 0.0);
    offsets_.resize(static_cast<size_t>(l));
    coefficients_.resize(static_cast<size_t>(l) * kTaps);
  } catch (const std::bad_alloc&) {
    ReleaseRateConverter();
    return kOutOfMemory;
  } catch (const std::length_error&) {
    ReleaseRateConverter();
    return kOutOfMemory;
  }
  m_ = m;
  l_ = l;
  blockSize_ = blockSize;
  // 2 * 100 Hz / rate: 100 Hz as a fraction of the input's half rate.
  lowerEdge_ = 2.0 * kLowerEdgeHz / inputRate;
  upperEdge_ = l < m ? (static_cast<double>(l) / m) * kUpperEdgeShare : 1.0;

  const double normaliser = KaiserNormaliser();
  const int half = kTaps / 2;  // 127
  for (int i = 0; i < l; ++i) {
    // Phase i interpolates at M*i/L input samples: a whole offset and a fraction.
    const double t = static_cast<double>(m) * i / l;
    offsets_[i] = static_cast<int>(t);
    const double frac = (t - offsets_[i]) * kPi;
    double* taps = &coefficients_[static_cast<size_t>(i) * kTaps];
    for (int j = -half; j <= half; ++j) {
      const double x = (static_cast<double>(l) * j + i) / (128.0 * l);
      const double window = BesselI0(kKaiserBeta * std::sqrt(1.0 - x * x)) / normaliser;
      const double e = j * kPi + frac;
      taps[j + half] =
          std::fabs(e) <= 0.00001
              ? (upperEdge_ - lowerEdge_) * window
              : (PortableSin(upperEdge_ * e) - PortableSin(lowerEdge_ * e)) / e * window;
    }
  }
  return 0;
}

int RateConverter::ConvertRateBlock(std::span<const double> values, std::span<double> out,
                                    int& outCount, bool first) {
  outCount = 0;
  if (l_ == 0 || values.size() > static_cast<size_t>(blockSize_) ||
      out.size() < static_cast<size_t>(kMaxOutputs))
    return kRefused;
  if (first) {
    std::fill_n(history_.begin(), kHistory, 0.0);
    if (values.size() != static_cast<size_t>(kPrimingValues)) return kRefused;
  }
  const int n = static_cast<int>(values.size());
  std::copy(values.begin(), values.end(), history_.begin() + kHistory);
  // s[q] is the q-th new value; s[-254] ... s[-1] are the history.
  const double* s = history_.data() + kHistory;
  int count = 0;
  for (int i = 0; i < l_; ++i) {
    const double* taps = &coefficients_[static_cast<size_t>(i) * kTaps];
    // Output index i + k*L reads input position offset[i] + k*M; both grow with k.
    int64_t p = offsets_[i];
    for (int64_t index = i; p < n && index < kMaxOutputs; p += m_, index += l_) {
      double sum = 0.0;
      for (int tap = 0; tap < kTaps; ++tap) sum += taps[tap] * s[p - tap];
      out[static_cast<size_t>(index)] = sum;
      count = std::max(count, static_cast<int>(index) + 1);
    }
  }
  outCount = count;
  // The last 254 of the 254 + n values become the history.
  std::memmove(history_.data(), history_.data() + n, kHistory * sizeof(double));
  return 0;
}

void RateConverter::ReleaseRateConverter() {
  m_ = 0;
  l_ = 0;
  blockSize_ = 0;
  upperEdge_ = 0.0;
  lowerEdge_ = 0.0;
  std::vector<int>().swap(offsets_);
  std::vector<double>().swap(coefficients_);
  std::vector<double>().swap(history_);
}

}  // namespace vx
