#pragma once

#include <array>
#include <cstdint>

// Fixed tables of the codec, shared by the decoder and the encoder.
namespace vx {

constexpr int kLpcOrder = 10;
// Ten line spectral frequencies in radians, ascending inside (0, pi).
using LsfVector = std::array<float, kLpcOrder>;
// a1..a10 of A(z) = 1 + a1 z^-1 + ... + a10 z^-10; the synthesis filter is 1/A(z).
using LpcCoefficients = std::array<float, kLpcOrder>;

// U_k = k * pi / 11: the neutral LSF set, start of every LSF state and the fallback of the
// stability rule.
extern const LsfVector kUniformLsf;

// Moving-average LSF predictors, [switch bit][age][coefficient]. Age 0 weighs the current
// code vector, ages 1.. the code vectors of the previous frames. The full predictor serves
// full-rate and noise frames (each column sums to 1), the half predictor half-rate frames.
constexpr int kLsfAgesFull = 4;
constexpr int kLsfAgesHalf = 3;
extern const std::array<std::array<LsfVector, kLsfAgesFull>, 2> kLsfPredictorFull;
extern const std::array<std::array<LsfVector, kLsfAgesHalf>, 2> kLsfPredictorHalf;

// Pitch interpolation rows at one-third-sample phases: [phase 0..2][tap -4..4 stored at
// index tap + 4]. Row 0 is the identity.
using PitchInterpolationTable = std::array<std::array<float, 9>, 3>;
extern const PitchInterpolationTable kPitchInterpolationVersion2;

// Two-sample pulse shapes of the pulse codebook, four per track.
struct PulseShape {
  float first, second;
};
constexpr int kPulseTrackCount = 3;
constexpr int kPulseShapeCount = 4;
extern const std::array<std::array<PulseShape, kPulseShapeCount>, kPulseTrackCount> kPulseShapes;

// Pulse positions of one track; a pulse occupies samples p and p + 1.
struct PulseTrack {
  std::array<uint8_t, 16> positions;
  int count;  // 1 << bits
  int bits;   // width of the position index in the pulse word
};
extern const std::array<PulseTrack, kPulseTrackCount> kPulseTracks40;  // 40-sample subframes
extern const std::array<PulseTrack, kPulseTrackCount> kPulseTracks80;  // 80-sample subframes

// Gain codebooks: (pitch gain, code-gain factor) pairs. A gain word w selects
// A[kGainMapA[w / 16]] and B[kGainMapB[w % 16]]; the gains are the sums of the pairs.
struct GainPair {
  float pitch, code;
};
extern const std::array<GainPair, 8> kGainBookAFull;
extern const std::array<GainPair, 16> kGainBookBFull;
extern const std::array<GainPair, 8> kGainBookAHalf;
extern const std::array<GainPair, 16> kGainBookBHalf;
extern const std::array<uint8_t, 8> kGainMapA;
extern const std::array<uint8_t, 16> kGainMapB;
// Code-gain factors of noise frames, indexed by the 4-bit gain word.
extern const std::array<float, 16> kNoiseGainLevels;
// Weights of the four past code-gain energies (dB, newest first) in the predicted level.
extern const std::array<float, 4> kGainPredictionFull;  // full-rate and noise frames
extern const std::array<float, 4> kGainPredictionHalf;  // half-rate frames
constexpr float kGainMeanEnergyDb = 36.0f;
constexpr float kGainHistoryStartDb = -14.0f;

}  // namespace vx
