#include "codec/gains.h"

#include <algorithm>
#include <cmath>

#include "codec/portable_math.h"
#include "codec/status.h"
#include "codec/tables.h"

namespace vx {

namespace {

const GainPair& BookA(bool halfRate, int index) {
  return (halfRate ? kGainBookAHalf : kGainBookAFull)[static_cast<size_t>(index)];
}

const GainPair& BookB(bool halfRate, int index) {
  return (halfRate ? kGainBookBHalf : kGainBookBFull)[static_cast<size_t>(index)];
}

float CodeFactor(bool halfRate, int indexA, int indexB) {
  return BookA(halfRate, indexA).code + BookB(halfRate, indexB).code;
}

}  // namespace

float PredictedGainFactor(std::span<const float> code, const GainHistory& history, bool halfRate) {
  double energy = 0.0;
  for (float c : code) energy += static_cast<double>(c) * c;
  const double codeDb = 10.0 * PortableLog10((energy + 0.01) / static_cast<double>(code.size()));
  const std::array<float, 4>& weights = halfRate ? kGainPredictionHalf : kGainPredictionFull;
  double predictedDb = kGainMeanEnergyDb;
  for (size_t i = 0; i < history.size(); ++i)
    predictedDb += static_cast<double>(weights[i]) * history[i];
  return static_cast<float>(PortablePow10(0.05 * (predictedDb - codeDb)));
}

void PushGainHistory(GainHistory& history, float energyDb) {
  for (size_t i = history.size() - 1; i > 0; --i) history[i] = history[i - 1];
  history[0] = energyDb;
}

SubframeGains SpeechGainsFromBooks(bool halfRate, int indexA, int indexB, float g0) {
  return {BookA(halfRate, indexA).pitch + BookB(halfRate, indexB).pitch,
          g0 * CodeFactor(halfRate, indexA, indexB)};
}

float SpeechGainEnergyDb(bool halfRate, int indexA, int indexB) {
  return static_cast<float>(20.0 * PortableLog10(CodeFactor(halfRate, indexA, indexB)));
}

SubframeGains NoiseGainsFromLevel(int level, float g0) {
  return {0.0f, g0 * kNoiseGainLevels[static_cast<size_t>(level)]};
}

float NoiseGainEnergyDb(int level) {
  return static_cast<float>(20.0 * PortableLog10(kNoiseGainLevels[static_cast<size_t>(level)]));
}

int DecodeSpeechGainWord(int32_t word, bool halfRate, std::span<const float> code,
                         GainHistory& history, SubframeGains& gains) {
  int status = kCodecOk;
  if (word < 0 || word > 127) {
    word = 0;
    status = kCodecValueOutOfRange;
  }
  const int indexA = kGainMapA[static_cast<size_t>(word / 16)];
  const int indexB = kGainMapB[static_cast<size_t>(word % 16)];
  gains =
      SpeechGainsFromBooks(halfRate, indexA, indexB, PredictedGainFactor(code, history, halfRate));
  PushGainHistory(history, SpeechGainEnergyDb(halfRate, indexA, indexB));
  return status;
}

int DecodeNoiseGainWord(int32_t word, std::span<const float> code, GainHistory& history,
                        SubframeGains& gains) {
  int status = kCodecOk;
  if (word < 0 || word >= static_cast<int32_t>(kNoiseGainLevels.size())) {
    word = 0;
    status = kCodecValueOutOfRange;
  }
  gains = NoiseGainsFromLevel(word, PredictedGainFactor(code, history, false));
  PushGainHistory(history, NoiseGainEnergyDb(word));
  return status;
}

SubframeGains ConcealGains(const SubframeGains& previous, GainHistory& history) {
  float mean = 0.0f;
  for (float e : history) mean += e;
  mean /= static_cast<float>(history.size());
  PushGainHistory(history, std::max(mean - 4.0f, kGainHistoryStartDb));
  return {std::min(0.9f * previous.pitch, 0.9f), 0.9f * previous.code};
}

void CombineExcitation(std::span<const float> v, std::span<const float> c, SubframeGains gains,
                       std::span<float> out) {
  if (v.empty()) {
    for (size_t n = 0; n < c.size(); ++n) out[n] = gains.code * c[n];
    return;
  }
  for (size_t n = 0; n < c.size(); ++n) out[n] = gains.code * c[n] + gains.pitch * v[n];
}

float NextSharpeningGain(float pitchGain) {
  return std::clamp(pitchGain, 0.2f, 0.8f);
}

}  // namespace vx
