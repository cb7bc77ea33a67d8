#include "codec/encoder.h"

#include <algorithm>

#include "codec/adaptive_search.h"
#include "codec/correlation.h"
#include "codec/derived_tables.h"
#include "codec/gain_quantiser.h"
#include "codec/half_rate_prefilter.h"
#include "codec/lpc_analysis.h"
#include "codec/lsf_quantiser.h"
#include "codec/noise_search.h"
#include "codec/open_loop_pitch.h"
#include "codec/pulse_codebook.h"
#include "codec/pulse_search.h"
#include "codec/synthesis.h"

namespace vx {

namespace {

constexpr size_t kHalfFrame = 80;
constexpr size_t kNewBlockStart = EncoderSession::kSpeechHistory - kHalfFrame;  // 192
constexpr size_t kWindowStartFullRate = 32;
constexpr size_t kWindowStartHalfRate = 12;
constexpr float kMaxPitchGainEstimate = 1.2f;

// PCM to float, +0.01 on even and -0.01 on odd samples: the filters never meet exact zeros.
void PcmToFloat(std::span<const int16_t> pcm, std::span<float> out) {
  for (size_t n = 0; n < out.size(); ++n)
    out[n] = static_cast<float>(pcm[n]) + (n % 2 == 0 ? 0.01f : -0.01f);
}

// Pitch gain estimate <x, y> / (<y, y> + 0.01) limited to 0 .. 1.2, and the pulse target
// x2 = x - gp y; c0 and c1 of the gain correlations.
void PulseTarget(std::span<const float> x, std::span<const float> y, std::span<float> x2,
                 GainCorrelations& correlations) {
  const double yy = Dot(y, y);
  const double xy = Dot(x, y);
  const float gp = std::clamp(static_cast<float>(xy / (yy + 0.01)), 0.0f, kMaxPitchGainEstimate);
  for (size_t n = 0; n < x.size(); ++n) x2[n] = x[n] - gp * y[n];
  correlations.c0 = yy + 0.01;
  correlations.c1 = -2.0 * xy + 0.01;
}

void CodeCorrelations(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                      GainCorrelations& correlations) {
  correlations.c2 = Dot(z, z) + 0.01;
  correlations.c3 = -2.0 * (Dot(x, z) + 0.01);
  correlations.c4 = 2.0 * (Dot(y, z) + 0.01);
}

}  // namespace

EncoderSession::EncoderSession() {
  EncoderReset();
}

void EncoderSession::ReportCodecError(std::string_view message) const {
  if (errorSink_) errorSink_(message);
}

int EncoderSession::EncoderReset(std::span<const int16_t> priming) {
  if (!priming.empty() && priming.size() != static_cast<size_t>(kLookAhead)) {
    ReportCodecError("Parameter error!");
    return kCodecNoOutput;
  }
  // Build the computed tables now rather than inside the first frame.
  PitchInterpolationVersion1();
  PulseShapeEnergies();
  LpcWindow();
  ResamplerPhasesTo8000();
  GainWordOfBookA();
  GainWordOfBookB();

  frameCounter_ = 0;
  speech_.fill(0.0f);
  highPass_ = {};
  resamplerMemory_.fill(0.0f);
  weighted_.fill(0.0f);
  excitation_.fill(0.0f);
  errorMemory_.fill(0.0f);
  predictionErrorMemory_.fill(0.0f);
  reconstruction_.fill(0.0f);
  synthesisMemory_.fill(0.0f);
  previousLag_ = 0;
  // The decoder starts its sharpening gain at 0; starting alike keeps the first subframes of
  // a stream in lock step.
  sharpeningGain_ = 0.0f;
  noiseSeed_ = kSilenceNoiseSeed;
  analysisLsf_ = kUniformLsf;
  ResetLsfDecoderState(lsfState_);
  gainHistory_.fill(kGainHistoryStartDb);
  activity_ = {};
  lsf_.fill(kUniformLsf);
  lpc_ = {};
  lpcQuantised_ = {};
  words_.fill(0);
  frameType_ = FrameType::kFullRate;

  if (!priming.empty()) {
    std::span<float> lookAhead(speech_.data() + kSpeechHistory - kLookAhead, kLookAhead);
    PcmToFloat(priming, lookAhead);
    HighPassFilter(lookAhead, highPass_);
  }
  return kCodecOk;
}

void EncoderSession::SetCodecVersion(int version) {
  if (version != 1 && version != 2) {
    ReportCodecError("Illegal version\n");
    return;
  }
  codecVersion_ = version;
}

int EncoderSession::WriteSpeechHeader(int32_t sampleCount, std::string_view title,
                                      std::string_view comment, int variableRate, int rateMode,
                                      std::span<uint8_t, 2 + kMaxHeaderBytes> out) {
  SetCodecVersion(kWriterCodecVersion);
  return vx::WriteSpeechHeader(sampleCount, title, comment, variableRate, rateMode, out);
}

int EncoderSession::EncodeFrame(std::span<const int16_t> pcm, int rate, std::span<uint8_t> out,
                                int detect, int rateMode) {
  const int inputCount = FrameSamplesAt(rate);
  if (inputCount == 0) {
    ReportCodecError("Non-supported sampling rate.");
    return 0;
  }
  if (pcm.size() < static_cast<size_t>(inputCount) ||
      out.size() < static_cast<size_t>(kMaxFrameBytes)) {
    ReportCodecError("Parameter error!");
    return 0;
  }
  if (detect != 0 && detect != 1) {
    ReportCodecError("Parameter error!");
    detect = 1;
  }
  const bool halfRateMode = rateMode == 1;

  // First frame of the stream: the adaptive states start from their initial values.
  if (frameCounter_ == 0) {
    analysisLsf_ = kUniformLsf;
    ResetLsfDecoderState(lsfState_);
    activity_ = {};
    gainHistory_.fill(kGainHistoryStartDb);
  }

  // 1. Input at 8000 Hz.
  std::array<float, kFrameSamples11000> input;
  std::array<float, kFrameSamples> frame;
  if (inputCount == kFrameSamples) {
    PcmToFloat(pcm, frame);
  } else {
    PcmToFloat(pcm, input);
    ResampleFrame(ResampleDirection::kTo8000, input, frame, resamplerMemory_, frameCounter_ == 0);
  }

  // 2. Two half-frame steps: shift in 80 samples, pre-filter, analyse.
  for (size_t half = 0; half < 2; ++half)
    AnalyseHalfFrame(std::span<const float>(frame.data() + half * kHalfFrame, kHalfFrame),
                     halfRateMode, half);

  // 3-4. Weighted speech and the open-loop lag of each half.
  std::array<WeightingTaps, 4> taps;
  WeightFrame(halfRateMode, taps);
  const OpenLoopEstimate first = OpenLoopPitch(weighted_, kWeightedPast);
  const OpenLoopEstimate second = OpenLoopPitch(weighted_, kWeightedPast + kHalfFrame);

  // 5. Frame type.
  FrameType type =
      ClassifyFrame(activity_, LastSpeech(), {first.voicing, second.voicing}, detect == 1);
  if (type == FrameType::kFullRate && halfRateMode) type = FrameType::kHalfRate;
  frameType_ = type;

  // 6. LSF quantisation of the fourth subframe's set; the quantised sets by interpolation.
  words_.fill(0);
  if (type == FrameType::kSilence) {
    lpcQuantised_ = {};
  } else {
    LsfVector quantised;
    words_[0] = QuantiseLsf(lsfState_, lsf_[3], type, quantised, lpcQuantised_);
  }

  // 7. Excitation.
  switch (type) {
    case FrameType::kFullRate:
      EncodeFullRateSubframes(taps, {first.lag, second.lag});
      break;
    case FrameType::kHalfRate:
      EncodeHalfRateSubframes(taps, {first.lag, second.lag});
      break;
    case FrameType::kNoise:
      EncodeNoiseSubframes(taps);
      break;
    case FrameType::kSilence:
      EncodeSilenceSubframes();
      break;
  }

  // 8. Age the histories: 146 weighted and 148 excitation samples stay as the past.
  std::copy(weighted_.begin() + kFrameSamples, weighted_.end(), weighted_.begin());
  std::copy(excitation_.begin() + kFrameSamples, excitation_.end(), excitation_.begin());

  // 9-10. Pack.
  const int bytes = PackFrameWords(type, words_, out);

  // 11. The counter never returns to 0 by itself, so the first-frame rules run once.
  frameCounter_ = frameCounter_ >= kFrameCounterWrap ? kFrameCounterRestart : frameCounter_ + 1;
  return bytes;
}

void EncoderSession::AnalyseHalfFrame(std::span<const float> block, bool halfRateMode,
                                      size_t pair) {
  std::copy(speech_.begin() + kHalfFrame, speech_.end(), speech_.begin());
  std::copy(block.begin(), block.end(), speech_.begin() + kNewBlockStart);
  HighPassFilter(std::span<float>(speech_.data() + kNewBlockStart, kHalfFrame), highPass_);
  const size_t windowStart = halfRateMode ? kWindowStartHalfRate : kWindowStartFullRate;
  const LpcAnalysisPair analysis = AnalyseLpc(
      std::span<const float, kLpcWindowLength>(speech_.data() + windowStart, kLpcWindowLength),
      analysisLsf_);
  for (size_t k = 0; k < 2; ++k) {
    lpc_[2 * pair + k] = analysis.lpc[k];
    lsf_[2 * pair + k] = analysis.lsf[k];
  }
}

void EncoderSession::WeightFrame(bool halfRateMode, std::array<WeightingTaps, 4>& taps) {
  // Full rate weights each 40-sample subframe with its own taps; half rate weights each
  // 80-sample half with the taps of its second subframe.
  const size_t length = halfRateMode ? 2 * 40 : 40;
  const size_t step = halfRateMode ? 2 : 1;
  for (size_t k = 0; k < taps.size(); k += step) {
    const size_t own = halfRateMode ? k + 1 : k;
    taps[own] = WeightingFilterTaps(lpc_[own]);
    if (halfRateMode) taps[k] = taps[own];
    WeightSpeech(taps[own], speech_, kFrameStart + 40 * k,
                 std::span<float>(weighted_.data() + kWeightedPast + 40 * k, length));
  }
}

void EncoderSession::UpdateErrorMemory(size_t offset, size_t length) {
  const size_t end = offset + length;
  for (size_t i = 0; i < kErrorMemory; ++i) {
    const size_t n = end - kErrorMemory + i;
    errorMemory_[i] = speech_[kFrameStart + n] - reconstruction_[n];
  }
}

void EncoderSession::UpdateMemories(size_t offset, size_t length, const LpcCoefficients& aq,
                                    std::span<const float> predictionError) {
  std::span<const float> u(excitation_.data() + kExcitationPast + offset, length);
  for (size_t i = 0; i < kPredictionErrorMemory; ++i) {
    const size_t n = length - kPredictionErrorMemory + i;
    predictionErrorMemory_[i] = predictionError[n] - u[n];
  }
  SynthesisFilter(aq, u, std::span<float>(reconstruction_.data() + offset, length),
                  synthesisMemory_, true);
  UpdateErrorMemory(offset, length);
}

void EncoderSession::EncodeFullRateSubframes(const std::array<WeightingTaps, 4>& taps,
                                             const std::array<int, 2>& openLoopLags) {
  constexpr size_t kLength = 40;
  const PitchInterpolationTable& rows = PitchInterpolationRows(codecVersion_);
  for (size_t s = 0; s < 4; ++s) {
    const LpcCoefficients& aq = lpcQuantised_[s];
    const size_t offset = s * kLength;
    const size_t start = kExcitationPast + offset;
    std::span<float> excitation(excitation_.data() + start, kLength);
    std::array<float, kLength> h, e, x, v, y, sharpened, x2, c, z;

    WeightedImpulseResponse(taps[s], aq, h);
    PredictionError(aq, speech_, kFrameStart + offset, e);
    std::copy(e.begin(), e.end(), excitation.begin());  // stands in for the excitation
    WeightedTarget(e, aq, errorMemory_, taps[s], x);

    // Adaptive vector; the lag is taken back from the word as the decoder reads it.
    const bool relative = s % 2 == 1;
    const PitchChoice pitch =
        SearchPitchFullRate(x, h, excitation_, start, openLoopLags[s / 2], relative, previousLag_);
    PitchLag lag;
    DecodePitchWord(pitch.word, relative, false, previousLag_, lag);
    AdaptiveVector(excitation_, start, v, lag, rows);
    Convolve(v, h, y);

    // Pulses, searched through the sharpened impulse response.
    sharpened = h;
    SharpenPulses(sharpened, lag.t0, sharpeningGain_);
    GainCorrelations correlations;
    PulseTarget(x, y, x2, correlations);
    const int32_t pulseWord = SearchPulses(x2, sharpened);
    BuildPulseVector(pulseWord, c);
    Convolve(c, sharpened, z);
    SharpenPulses(c, lag.t0, sharpeningGain_);
    CodeCorrelations(x, y, z, correlations);

    CodeSpeechGains(s, offset, false, correlations, v, c, e, aq);
    words_[1 + 3 * s] = pitch.word;
    words_[2 + 3 * s] = pulseWord;
  }
}

void EncoderSession::CodeSpeechGains(size_t subframe, size_t offset, bool halfRate,
                                     const GainCorrelations& correlations, std::span<const float> v,
                                     std::span<const float> c, std::span<const float> e,
                                     const LpcCoefficients& aq) {
  const float g0 = PredictedGainFactor(c, gainHistory_, halfRate);
  const int32_t gainWord = QuantiseSpeechGains(correlations, g0, halfRate);
  SubframeGains gains;
  DecodeSpeechGainWord(gainWord, halfRate, c, gainHistory_, gains);
  CombineExcitation(v, c, gains,
                    std::span<float>(excitation_.data() + kExcitationPast + offset, c.size()));
  UpdateMemories(offset, c.size(), aq, e);
  sharpeningGain_ = NextSharpeningGain(gains.pitch);
  words_[3 + 3 * subframe] = gainWord;
}

void EncoderSession::EncodeHalfRateSubframes(const std::array<WeightingTaps, 4>& taps,
                                             const std::array<int, 2>& openLoopLags) {
  constexpr size_t kLength = 80;
  const PitchInterpolationTable& rows = PitchInterpolationRows(codecVersion_);
  for (size_t s = 0; s < 2; ++s) {
    // The second and fourth quantised sets and weighting taps.
    const LpcCoefficients& aq = lpcQuantised_[2 * s + 1];
    const size_t offset = s * kLength;
    const size_t start = kExcitationPast + offset;
    std::span<float> excitation(excitation_.data() + start, kLength);
    std::array<float, kHalfRateImpulseTaps> h;
    std::array<float, kLength> e, x, v, y, x2, c, z;

    PredictionError(aq, speech_, kFrameStart + offset, e);
    std::copy(e.begin(), e.end(), excitation.begin());
    WeightedImpulseResponse(taps[2 * s + 1], aq, h);
    HalfRateTarget(e, h, predictionErrorMemory_, x);

    const PitchChoice pitch = SearchPitchHalfRate(x, h, excitation_, start, openLoopLags[s], rows);
    PitchLag lag;
    DecodePitchWord(pitch.word, false, false, previousLag_, lag);
    AdaptiveVector(excitation_, start, v, lag, rows);
    Convolve(v, h, y);

    GainCorrelations correlations;
    PulseTarget(x, y, x2, correlations);
    HalfRatePitchPrefilter(x2, lag, sharpeningGain_, rows);
    const int32_t pulseWord = SearchPulses(x2, h);
    BuildPulseVector(pulseWord, c);
    SharpenPulsesFractional(c, lag, sharpeningGain_, rows);
    Convolve(c, h, z);
    CodeCorrelations(x, y, z, correlations);

    CodeSpeechGains(s, offset, true, correlations, v, c, e, aq);
    words_[1 + 3 * s] = pitch.word;
    words_[2 + 3 * s] = pulseWord;
  }
}

void EncoderSession::EncodeNoiseSubframes(const std::array<WeightingTaps, 4>& taps) {
  constexpr size_t kLength = 40;
  for (size_t s = 0; s < 4; ++s) {
    const LpcCoefficients& aq = lpcQuantised_[s];
    const size_t offset = s * kLength;
    std::span<float> excitation(excitation_.data() + kExcitationPast + offset, kLength);
    std::array<float, kLength> h, e, x, c, z;

    WeightedImpulseResponse(taps[s], aq, h);
    PredictionError(aq, speech_, kFrameStart + offset, e);
    WeightedTarget(e, aq, errorMemory_, taps[s], x);

    const int32_t noiseWord = SearchNoiseVector(x, h);
    previousLag_ = 0;
    BuildNoiseVector(noiseWord, c);
    Convolve(c, h, z);
    const double c2 = Dot(z, z) + 0.01;
    const double c5 = Dot(x, x);
    const float g0 = PredictedGainFactor(c, gainHistory_, false);
    const int32_t gainWord = QuantiseNoiseGain(c2, c5, g0);
    SubframeGains gains;
    DecodeNoiseGainWord(gainWord, c, gainHistory_, gains);
    CombineExcitation({}, c, gains, excitation);
    UpdateMemories(offset, kLength, aq, e);
    sharpeningGain_ = kSharpeningGainNoPitch;

    words_[2 + 3 * s] = noiseWord;
    words_[3 + 3 * s] = gainWord;
  }
}

void EncoderSession::EncodeSilenceSubframes() {
  constexpr size_t kLength = 40;
  for (size_t s = 0; s < 4; ++s) {
    const size_t offset = s * kLength;
    std::span<float> excitation(excitation_.data() + kExcitationPast + offset, kLength);
    SilenceExcitation(excitation, noiseSeed_);
    // The generator noise is its own reconstruction, as in the decoder.
    std::copy(excitation.begin(), excitation.end(), reconstruction_.begin() + offset);
    std::copy(excitation.end() - kLpcOrder, excitation.end(), synthesisMemory_.begin());
    // No prediction error was computed: the half-rate target's memory starts from zeros.
    predictionErrorMemory_.fill(0.0f);
    UpdateErrorMemory(offset, kLength);
  }
  previousLag_ = 0;
  sharpeningGain_ = kSharpeningGainNoPitch;
}

}  // namespace vx
