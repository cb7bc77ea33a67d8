#pragma once

#include <array>
#include <cstdint>
#include <span>

// Gain reconstruction with the predicted code gain, shared by the decoder and the encoder's
// gain quantiser so that both compute identical gains.
namespace vx {

// Past code-gain energies in dB, E0 the newest.
using GainHistory = std::array<float, 4>;

struct SubframeGains {
  float pitch = 0.0f;  // gp, gain of the adaptive vector
  float code = 0.0f;   // gc, gain of the pulse or noise vector
};

// The predicted gain factor G = 10^(0.05 (36 + sum M_i E_i - e)) of a code vector, with
// e = 10 log10((sum c^2 + 0.01) / L) and M the prediction weights of the rate (half rate or
// full rate and noise).
float PredictedGainFactor(std::span<const float> code, const GainHistory& history, bool halfRate);

// E3 = E2, E2 = E1, E1 = E0, E0 = energyDb.
void PushGainHistory(GainHistory& history, float energyDb);

// Speech gains of the book pair (A[indexA], B[indexB]): gp = A.pitch + B.pitch,
// gc = g0 * (A.code + B.code); the energy entering the history is 20 log10(A.code + B.code).
SubframeGains SpeechGainsFromBooks(bool halfRate, int indexA, int indexB, float g0);
float SpeechGainEnergyDb(bool halfRate, int indexA, int indexB);
// Noise-frame gains of a level index: gp = 0, gc = g0 * level; energy 20 log10(level).
SubframeGains NoiseGainsFromLevel(int level, float g0);
float NoiseGainEnergyDb(int level);

// Decodes a 7-bit speech gain word (books A[MAP1[w / 16]], B[MAP2[w % 16]]) for the code
// vector c and updates the history. A word outside 0..127 is taken as 0 and gives
// kCodecValueOutOfRange.
int DecodeSpeechGainWord(int32_t word, bool halfRate, std::span<const float> code,
                         GainHistory& history, SubframeGains& gains);
// Decodes a 4-bit noise gain word; a word outside 0..15 is taken as 0 and gives
// kCodecValueOutOfRange.
int DecodeNoiseGainWord(int32_t word, std::span<const float> code, GainHistory& history,
                        SubframeGains& gains);
// Gains of a lost subframe: gp = min(0.9 previous gp, 0.9), gc = 0.9 previous gc; the
// history receives max(mean(E0..E3) - 4, -14).
SubframeGains ConcealGains(const SubframeGains& previous, GainHistory& history);

// The subframe's excitation gc * c[n] + gp * v[n]; without an adaptive vector (v empty, noise
// frames) gc * c[n].
void CombineExcitation(std::span<const float> v, std::span<const float> c, SubframeGains gains,
                       std::span<float> out);

// The sharpening gain of the next subframe: the pitch gain limited to 0.2 .. 0.8.
float NextSharpeningGain(float pitchGain);
constexpr float kSharpeningGainNoPitch = 0.2f;  // after noise and silence subframes

}  // namespace vx
