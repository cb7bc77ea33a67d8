#pragma once

#include <array>
#include <cstddef>

#include "codec/tables.h"

// Spectral distortion between two LPC filters: the root mean square, over the band 0..4 kHz,
// of the difference of their log power spectra 10 log10 (1 / |A(e^jw)|^2), in dB. This is the
// usual measure of an LSF quantiser: about 1 dB is transparent, frames above 2 dB are
// outliers and frames above 4 dB are audible faults.
namespace vx::metrics {

// Frequencies w = pi (k + 0.5) / kSpectrumPoints, k = 0 .. kSpectrumPoints - 1.
constexpr int kSpectrumPoints = 256;

// 10 log10 (1 / |A(e^jw)|^2) at each frequency, A(z) = 1 + a1 z^-1 + ... + a10 z^-10.
std::array<double, kSpectrumPoints> LpcLogSpectrumDb(const LpcCoefficients& a);

double LpcSpectralDistortionDb(const LpcCoefficients& reference, const LpcCoefficients& test);

// The distortion between the filters of two LSF sets (converted as the codec converts them).
double LsfSpectralDistortionDb(const LsfVector& reference, const LsfVector& test);

// Mean distortion and the shares of outlier frames over a set of frames.
class DistortionSummary {
 public:
  void Add(double distortionDb);
  void Merge(const DistortionSummary& other);
  size_t Frames() const { return frames_; }
  double MeanDb() const;
  double ShareBetween2And4() const;  // share of frames with 2 dB < SD <= 4 dB
  double ShareAbove4() const;        // share of frames with SD > 4 dB

 private:
  size_t frames_ = 0;
  double sum_ = 0.0;
  size_t between2And4_ = 0;
  size_t above4_ = 0;
};

}  // namespace vx::metrics
