#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/frame_classifier.h"
#include "codec/frame_format.h"
#include "codec/gain_quantiser.h"
#include "codec/gains.h"
#include "codec/high_pass.h"
#include "codec/lsf_decoder.h"
#include "codec/perceptual_weighting.h"
#include "codec/pitch.h"
#include "codec/resample_frame.h"
#include "codec/speech_header.h"
#include "codec/status.h"
#include "codec/subframe_target.h"

namespace vx {

// One encoded stream: 16-bit mono PCM in, one compressed frame of 20 ms per call out (19,
// 12, 5 or 1 bytes). The session keeps every state that survives from frame to frame; its
// local reconstruction runs the decoder's own routines, so a DecoderSession fed its bytes
// rebuilds the same excitation, LSFs and synthesis bit for bit. Encoding allocates nothing.
class EncoderSession {
 public:
  EncoderSession();  // as after EncoderReset(), codec version 2
  EncoderSession(const EncoderSession&) = delete;
  EncoderSession& operator=(const EncoderSession&) = delete;

  static constexpr int kLookAhead = 100;  // samples the coded frame lags the newest input
  static constexpr int kSpeechHistory = 272;
  static constexpr int kFrameStart = 12;  // index of the coded frame in the speech history
  static constexpr int kWeightedPast = 146;

  // Starts a stream: frame counter 0 (the next frame initialises the analysis LSFs, the
  // quantiser, the activity detector, the gain prediction and the converter memory),
  // histories and filter memories cleared, noise seed 1753. `priming`, when given, is 100
  // samples at 8000 Hz that precede the stream: they pass through the pre-filter into the
  // look-ahead. Returns 0; a priming span of another length is refused ("Parameter error!",
  // kCodecNoOutput, session unchanged). The codec version is kept.
  int EncoderReset(std::span<const int16_t> priming = {});

  // 1 or 2: the pitch interpolation rows of the adaptive vectors and the half-rate pitch
  // filters. Any other value reports "Illegal version\n" and keeps the current one.
  void SetCodecVersion(int version);
  int CodecVersion() const { return codecVersion_; }

  // The header writer for encoders: vx::WriteSpeechHeader, which also selects codec version 2
  // on this session (the version the written header names).
  int WriteSpeechHeader(int32_t sampleCount, std::string_view title, std::string_view comment,
                        int variableRate, int rateMode,
                        std::span<uint8_t, 2 + kMaxHeaderBytes> out);

  // Encodes one frame. `rate` 8 or 8000 reads 160 samples; 11, 11000 or 11025 reads 220
  // samples, converted to 8000 Hz. `detect` 1 lets the activity decision produce noise and
  // silence frames, 0 codes every frame as speech (another value reports "Parameter error!"
  // and is taken as 1). `rateMode` 1 codes speech at half rate, any other value at full rate.
  // Returns the bytes written to `out`: 19, 12, 5 or 1. Returns 0 and leaves the session
  // unchanged for an unsupported rate ("Non-supported sampling rate."), or a pcm span
  // shorter than the rate needs or an `out` shorter than 19 bytes ("Parameter error!").
  int EncodeFrame(std::span<const int16_t> pcm, int rate, std::span<uint8_t> out, int detect,
                  int rateMode);

  void SetErrorSink(CodecErrorSink sink) { errorSink_ = std::move(sink); }

  // Read-only views of the last frame, for tests and quality measurement.
  std::span<const float, kFrameSamples> LastExcitation() const {
    return std::span<const float, kFrameSamples>(excitation_.data() + kExcitationPast,
                                                 kFrameSamples);
  }
  // The local synthesis 1/A^(z) of the excitation: what the decoder synthesises.
  std::span<const float, kFrameSamples> LastReconstruction() const { return reconstruction_; }
  // The high-pass-filtered input of the coded frame (100 samples behind the newest input).
  std::span<const float, kFrameSamples> LastSpeech() const {
    return std::span<const float, kFrameSamples>(speech_.data() + kFrameStart, kFrameSamples);
  }
  // Quantiser state: previous quantised LSFs and the predictor's code-vector memory, in the
  // decoder's layout.
  const LsfDecoderState& QuantiserState() const { return lsfState_; }
  const std::array<LsfVector, 4>& UnquantisedLsf() const { return lsf_; }
  const std::array<LpcCoefficients, 4>& UnquantisedLpc() const { return lpc_; }
  const std::array<LpcCoefficients, 4>& QuantisedLpc() const { return lpcQuantised_; }
  const FrameWords& LastWords() const { return words_; }
  FrameType LastFrameType() const { return frameType_; }
  int32_t FrameCounter() const { return frameCounter_; }
  const GainHistory& GainEnergies() const { return gainHistory_; }
  int PreviousLag() const { return previousLag_; }
  float SharpeningGain() const { return sharpeningGain_; }
  const ActivityDetector& Activity() const { return activity_; }
  // Test hook: positions the frame counter, for example just below its wrap.
  void SetFrameCounterForTest(int32_t counter) { frameCounter_ = counter; }

 private:
  void ReportCodecError(std::string_view message) const;
  void AnalyseHalfFrame(std::span<const float> block, bool halfRateMode, size_t pair);
  void WeightFrame(bool halfRateMode, std::array<WeightingTaps, 4>& taps);
  void EncodeFullRateSubframes(const std::array<WeightingTaps, 4>& taps,
                               const std::array<int, 2>& openLoopLags);
  void EncodeHalfRateSubframes(const std::array<WeightingTaps, 4>& taps,
                               const std::array<int, 2>& openLoopLags);
  void EncodeNoiseSubframes(const std::array<WeightingTaps, 4>& taps);
  void EncodeSilenceSubframes();
  // The gains of a speech subframe at `offset` (adaptive vector v, pulse vector c, prediction
  // error e): quantised, decoded as the decoder does, combined into the excitation, followed
  // by the memory updates and the next sharpening gain; stores the gain word.
  void CodeSpeechGains(size_t subframe, size_t offset, bool halfRate,
                       const GainCorrelations& correlations, std::span<const float> v,
                       std::span<const float> c, std::span<const float> e,
                       const LpcCoefficients& aq);
  // After the excitation u of the subframe at `offset` is in place: the local synthesis,
  // the prediction-error memory (e - u) and the error memory.
  void UpdateMemories(size_t offset, size_t length, const LpcCoefficients& aq,
                      std::span<const float> predictionError);
  // error memory := input minus reconstruction over the subframe's last 12 samples.
  void UpdateErrorMemory(size_t offset, size_t length);

  int codecVersion_ = kWriterCodecVersion;
  int32_t frameCounter_ = 0;
  std::array<float, kSpeechHistory> speech_{};
  HighPassState highPass_{};
  std::array<float, kResamplerMemory> resamplerMemory_{};
  std::array<float, kWeightedPast + kFrameSamples> weighted_{};
  // 148 past excitation samples, then the current frame's; during the search of a subframe
  // its part holds the prediction error.
  std::array<float, kExcitationPast + kFrameSamples> excitation_{};
  std::array<float, kErrorMemory> errorMemory_{};  // input minus reconstruction
  std::array<float, kPredictionErrorMemory> predictionErrorMemory_{};
  std::array<float, kFrameSamples> reconstruction_{};
  std::array<float, kLpcOrder> synthesisMemory_{};
  int previousLag_ = 0;
  float sharpeningGain_ = 0.0f;
  int32_t noiseSeed_ = 0;
  LsfVector analysisLsf_{};
  LsfDecoderState lsfState_{};
  GainHistory gainHistory_{};
  ActivityDetector activity_{};

  // The current frame's analysis and choices.
  std::array<LsfVector, 4> lsf_{};
  std::array<LpcCoefficients, 4> lpc_{};
  std::array<LpcCoefficients, 4> lpcQuantised_{};
  FrameWords words_{};
  FrameType frameType_ = FrameType::kFullRate;
  CodecErrorSink errorSink_;
};

}  // namespace vx
