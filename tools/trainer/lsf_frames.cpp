#include "tools/trainer/lsf_frames.h"

#include <algorithm>
#include <array>

#include "codec/encoder.h"
#include "codec/high_pass.h"
#include "codec/lpc_analysis.h"

namespace vx::trainer {

namespace {

constexpr size_t kHalfFrame = 80;
constexpr size_t kHistory = EncoderSession::kSpeechHistory;  // 272
constexpr size_t kNewBlock = kHistory - kHalfFrame;          // new samples at 192..271
constexpr size_t kWindowStartFullRate = 32;
constexpr size_t kWindowStartHalfRate = 12;
constexpr double kPauseEnergy = 20.0 * 20.0 * kFrameSamples;

}  // namespace

std::vector<LsfFrame> AnalyseLsfFrames(std::span<const int16_t> pcm, bool halfRateMode) {
  std::vector<LsfFrame> frames;
  frames.reserve(pcm.size() / kFrameSamples);
  std::array<float, kHistory> speech{};
  HighPassState highPass;
  LsfVector previous = kUniformLsf;
  const size_t windowStart = halfRateMode ? kWindowStartHalfRate : kWindowStartFullRate;
  for (size_t at = 0; at + kFrameSamples <= pcm.size(); at += kFrameSamples) {
    LsfFrame frame;
    for (size_t half = 0; half < 2; ++half) {
      std::copy(speech.begin() + kHalfFrame, speech.end(), speech.begin());
      for (size_t n = 0; n < kHalfFrame; ++n) {
        const size_t i = half * kHalfFrame + n;  // index in the frame: the offset's parity
        speech[kNewBlock + n] = static_cast<float>(pcm[at + i]) + (i % 2 == 0 ? 0.01f : -0.01f);
      }
      HighPassFilter(std::span<float>(speech.data() + kNewBlock, kHalfFrame), highPass);
      const LpcAnalysisPair analysis = AnalyseLpc(
          std::span<const float, kLpcWindowLength>(speech.data() + windowStart, kLpcWindowLength),
          previous);
      frame.lsf = analysis.lsf[1];
    }
    double energy = 0.0;
    for (size_t n = 0; n < kFrameSamples; ++n) {
      const double x = speech[EncoderSession::kFrameStart + n];
      energy += x * x;
    }
    frame.active = energy >= kPauseEnergy;
    frames.push_back(frame);
  }
  return frames;
}

}  // namespace vx::trainer
