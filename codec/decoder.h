#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/frame_format.h"
#include "codec/gains.h"
#include "codec/lsf_decoder.h"
#include "codec/pitch.h"
#include "codec/postfilter.h"
#include "codec/resample_frame.h"
#include "codec/speech_header.h"
#include "codec/status.h"
#include "io/byte_stream.h"

namespace vx {

// One decoded stream: every state that survives from one frame to the next, the codec version
// that selects the pitch interpolation rows, and the file-level reading of a compressed speech
// file (header, then one frame per call). Decoding allocates nothing.
class DecoderSession {
 public:
  DecoderSession();  // reset state, codec version 2
  DecoderSession(const DecoderSession&) = delete;
  DecoderSession& operator=(const DecoderSession&) = delete;

  // Starts a stream: frame counter 0 (the next frame initialises the LSF state, the gain
  // history and the converter memory), histories cleared, noise seed 1753. The codec version
  // is kept.
  void DecoderReset();
  // 1 or 2; any other value reports "Illegal version\n" and keeps the current version.
  void SetCodecVersion(int version);
  int CodecVersion() const { return codecVersion_; }

  // Decodes one frame into 160 samples (rate 8 or 8000) or 220 samples at 11000 Hz (rate 11,
  // 11000 or 11025). Stream type 1 or 2: variable rate, the frame type is in bits 0-1 of the
  // first byte; 3 fixed full rate; 4 fixed half rate. Bytes missing from `frame` read as zero.
  // `badFrame` conceals a lost frame from the last good one. Returns 0, or
  // kCodecValueOutOfRange when a decoded value was out of range (the frame is still decoded and
  // written). Nothing is decoded or written, and kCodecNoOutput returned, for an unsupported
  // rate ("Non-supported sampling rate.") or a pcm span too small for it ("Parameter error.");
  // likewise kCodecUnsupportedMode for an unknown stream type ("Wrong data.").
  int DecodeFrame(std::span<const uint8_t> frame, std::span<int16_t> pcm, int rate, int badFrame,
                  int streamType);

  // Reads the 2-byte length and the header from `file`, parses it, selects the codec version it
  // names and resets the session (whatever the outcome). Returns 0 on success, 1 on failure
  // (after reporting "Cannot read file", "Non Supported Header.", "Non Supported Version.",
  // "Non Supported Sampling" or "Non Supported Bitrate."). The outputs are meaningful only on
  // success.
  int GetVocrixHeader(ByteStream& file, int32_t& sampleCount, int& streamType,
                      SpeechHeaderInfo* info = nullptr);

  // Reads one frame of the stream and, unless `skip`, decodes it into `out` as native-endian
  // 16-bit PCM. Returns the bytes the frame's PCM occupies (320 at rate code 8, 440 at 11, also
  // when skipping), 0 at the end of the data (or for an unknown stream type), or a negative
  // read result. With less than that space it restores the file position and returns
  // kCodecNoOutput. An unsupported rate code reads nothing and returns -EINVAL. A frame cut
  // short by the end of the file decodes with its missing bytes as zero.
  int ReadAndDecodeFrame(ByteStream& file, std::span<uint8_t> out, int rateCode, int streamType,
                         bool skip);

  void SetErrorSink(CodecErrorSink sink) { errorSink_ = std::move(sink); }
  void ReportCodecError(std::string_view message) const;

  // Read-only views of the state after the last frame (encoder/decoder lock-step tests).
  std::span<const float, kFrameSamples> LastExcitation() const {
    return std::span<const float, kFrameSamples>(excitation_.data() + kExcitationPast,
                                                 kFrameSamples);
  }
  std::span<const float, kFrameSamples> LastSynthesis() const { return synthesis_; }
  const LsfDecoderState& LsfState() const { return lsf_; }
  const GainHistory& GainEnergies() const { return gainHistory_; }
  int32_t FrameCounter() const { return frameCounter_; }
  int PreviousLag() const { return previousLag_; }
  float SharpeningGain() const { return sharpeningGain_; }
  const PostfilterState& PostfilterView() const { return postfilter_; }
  // Test hook: positions the frame counter, for example just below its wrap.
  void SetFrameCounterForTest(int32_t counter) { frameCounter_ = counter; }

 private:
  void DecodeSpeechSubframes(FrameType type, bool bad, const FrameWords& words,
                             const std::array<LpcCoefficients, 4>& lpc, int& status);
  void DecodeNoiseSubframes(bool bad, const FrameWords& words,
                            const std::array<LpcCoefficients, 4>& lpc, int& status);
  void DecodeSilenceSubframes();

  int codecVersion_ = kWriterCodecVersion;
  int32_t frameCounter_ = 0;
  FrameWords savedWords_{};
  FrameType savedType_ = FrameType::kNoise;
  // 148 past excitation samples, then the current frame's.
  std::array<float, kExcitationPast + kFrameSamples> excitation_{};
  std::array<float, kFrameSamples> synthesis_{};  // 1/A(z) output, the postfilter's reference
  std::array<float, kLpcOrder> synthesisMemory_{};
  std::array<float, kFrameSamples> output_{};  // postfilter output of the frame
  int previousLag_ = 0;
  float sharpeningGain_ = 0.0f;
  SubframeGains previousGains_{};
  int32_t noiseSeed_ = 0;
  std::array<float, kResamplerMemory> resamplerMemory_{};
  LsfDecoderState lsf_{};
  GainHistory gainHistory_{};
  PostfilterState postfilter_{};
  std::array<float, 220> upsampled_{};
  std::array<int16_t, 220> pcm_{};  // ReadAndDecodeFrame's decoding area
  CodecErrorSink errorSink_;
};

}  // namespace vx
