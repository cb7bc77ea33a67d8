#include "codec/decoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "codec/derived_tables.h"
#include "codec/pulse_codebook.h"
#include "codec/synthesis.h"

namespace vx {

DecoderSession::DecoderSession() {
  DecoderReset();
}

void DecoderSession::DecoderReset() {
  frameCounter_ = 0;
  savedWords_.fill(0);
  savedType_ = FrameType::kNoise;
  excitation_.fill(0.0f);
  synthesis_.fill(0.0f);
  synthesisMemory_.fill(0.0f);
  output_.fill(0.0f);
  previousLag_ = 0;
  sharpeningGain_ = 0.0f;
  previousGains_ = {};
  noiseSeed_ = kSilenceNoiseSeed;
  resamplerMemory_.fill(0.0f);
  ResetLsfDecoderState(lsf_);
  gainHistory_.fill(kGainHistoryStartDb);
  ResetPostfilter(postfilter_);
  // Build the computed tables now rather than inside the first frame.
  PitchInterpolationVersion1();
  PulseShapeEnergies();
  ResamplerPhasesTo11000();
}

void DecoderSession::SetCodecVersion(int version) {
  if (version != 1 && version != 2) {
    ReportCodecError("Illegal version\n");
    return;
  }
  codecVersion_ = version;
}

void DecoderSession::ReportCodecError(std::string_view message) const {
  if (errorSink_) errorSink_(message);
}

int DecoderSession::DecodeFrame(std::span<const uint8_t> frame, std::span<int16_t> pcm, int rate,
                                int badFrame, int streamType) {
  const int samples = FrameSamplesAt(rate);
  if (samples == 0) {
    ReportCodecError("Non-supported sampling rate.");
    return kCodecNoOutput;
  }
  if (pcm.size() < static_cast<size_t>(samples)) {
    ReportCodecError("Parameter error.");
    return kCodecNoOutput;
  }
  // Frames decode with the stream types 1 to 4; ReadAndDecodeFrame reads 13 and 14 as 1.
  const std::optional<FrameType> streamFrameType =
      streamType >= kStreamVariable && streamType <= kStreamFixedHalf
          ? StreamFrameType(streamType, frame.empty() ? 0 : frame[0])
          : std::nullopt;
  if (!streamFrameType) {
    ReportCodecError("Wrong data.");
    return kCodecUnsupportedMode;
  }
  FrameType type = *streamFrameType;

  // Concealment: a lost frame repeats the words of the last good non-silence frame.
  const bool bad = badFrame != 0;
  FrameWords words{};
  if (type != FrameType::kSilence) {
    UnpackFrameWords(frame, type, words);
    if (bad) {
      words = savedWords_;
      type = savedType_;
    } else {
      savedWords_ = words;
      savedType_ = type;
    }
  }

  const bool firstFrame = frameCounter_ == 0;
  if (firstFrame) {
    ResetLsfDecoderState(lsf_);
    gainHistory_.fill(kGainHistoryStartDb);
  }

  int status = kCodecOk;
  if (type == FrameType::kSilence) {
    DecodeSilenceSubframes();
  } else {
    LsfVector lsf;
    status |= DecodeLsf(lsf_, words[0], type, bad, lsf);
    std::array<LpcCoefficients, 4> lpc;
    QuarterLpcSets(lsf_, lsf, lpc);
    if (type == FrameType::kNoise) {
      DecodeNoiseSubframes(bad, words, lpc, status);
    } else {
      DecodeSpeechSubframes(type, bad, words, lpc, status);
    }
  }

  // Keep the last 148 excitation samples as the next frame's past.
  std::copy(excitation_.begin() + kFrameSamples, excitation_.end(), excitation_.begin());

  if (samples == kFrameSamples) {
    FloatToPcm(output_, pcm.first(kFrameSamples));
  } else {
    ResampleFrame(ResampleDirection::kTo11000, output_, upsampled_, resamplerMemory_, firstFrame);
    FloatToPcm(upsampled_, pcm.first(kFrameSamples11000));
  }

  frameCounter_ = frameCounter_ >= kFrameCounterWrap ? kFrameCounterRestart : frameCounter_ + 1;
  return status;
}

void DecoderSession::DecodeSpeechSubframes(FrameType type, bool bad, const FrameWords& words,
                                           const std::array<LpcCoefficients, 4>& lpc, int& status) {
  const bool half = type == FrameType::kHalfRate;
  const size_t length = half ? 80 : 40;
  const size_t count = kFrameSamples / length;
  const PitchInterpolationTable& rows = PitchInterpolationRows(codecVersion_);
  // After a lag out of range the rest of the frame has no adaptive vector and no sharpening.
  bool pitchError = false;
  std::array<float, 80> code;
  for (size_t s = 0; s < count; ++s) {
    // Half-rate subframes use the LPC sets of the second and fourth quarter.
    const LpcCoefficients& a = lpc[half ? 2 * s + 1 : s];
    const size_t start = kExcitationPast + s * length;
    std::span<float> excitation(excitation_.data() + start, length);

    PitchLag lag;
    const bool relative = !half && (s % 2 == 1);
    const int pitchStatus = DecodePitchWord(words[1 + 3 * s], relative, bad, previousLag_, lag);
    if (pitchStatus != kCodecOk) {
      pitchError = true;
      status |= pitchStatus;
    }
    // The adaptive vector is built in place; after a pitch error the subframe's part of the
    // history keeps what it held.
    if (!pitchError) AdaptiveVector(excitation_, start, excitation, lag, rows);

    std::span<float> c(code.data(), length);
    status |= BuildPulseVector(words[2 + 3 * s], c);
    if (!pitchError) {
      if (half) {
        SharpenPulsesFractional(c, lag, sharpeningGain_, rows);
      } else {
        SharpenPulses(c, lag.t0, sharpeningGain_);
      }
    }

    SubframeGains gains;
    if (bad) {
      gains = ConcealGains(previousGains_, gainHistory_);
    } else {
      status |= DecodeSpeechGainWord(words[3 + 3 * s], half, c, gainHistory_, gains);
    }
    CombineExcitation(excitation, c, gains, excitation);

    std::span<float> synthesis(synthesis_.data() + s * length, length);
    SynthesisFilter(a, excitation, synthesis, synthesisMemory_, true);
    Postfilter(postfilter_, synthesis, excitation, a, lag.t0, type,
               std::span<float>(output_.data() + s * length, length));
    sharpeningGain_ = NextSharpeningGain(gains.pitch);
    previousGains_ = gains;
  }
}

void DecoderSession::DecodeNoiseSubframes(bool bad, const FrameWords& words,
                                          const std::array<LpcCoefficients, 4>& lpc, int& status) {
  constexpr size_t kLength = 40;
  std::array<float, kLength> code;
  for (size_t s = 0; s < 4; ++s) {
    const size_t start = kExcitationPast + s * kLength;
    std::span<float> excitation(excitation_.data() + start, kLength);
    previousLag_ = 0;
    status |= BuildNoiseVector(words[2 + 3 * s], code);
    SubframeGains gains;
    if (bad) {
      gains = ConcealGains(previousGains_, gainHistory_);
    } else {
      status |= DecodeNoiseGainWord(words[3 + 3 * s], code, gainHistory_, gains);
    }
    CombineExcitation({}, code, gains, excitation);

    std::span<float> synthesis(synthesis_.data() + s * kLength, kLength);
    SynthesisFilter(lpc[s], excitation, synthesis, synthesisMemory_, true);
    Postfilter(postfilter_, synthesis, excitation, lpc[s], 0, FrameType::kNoise,
               std::span<float>(output_.data() + s * kLength, kLength));
    sharpeningGain_ = kSharpeningGainNoPitch;
    previousGains_ = gains;
  }
}

void DecoderSession::DecodeSilenceSubframes() {
  constexpr size_t kLength = 40;
  for (size_t s = 0; s < 4; ++s) {
    std::span<float> excitation(excitation_.data() + kExcitationPast + s * kLength, kLength);
    SilenceExcitation(excitation, noiseSeed_);
    std::copy(excitation.begin(), excitation.end(), synthesis_.begin() + s * kLength);
    std::copy(excitation.end() - kLpcOrder, excitation.end(), synthesisMemory_.begin());
    SilencePostfilter(postfilter_, excitation,
                      std::span<float>(output_.data() + s * kLength, kLength));
  }
  previousLag_ = 0;
  sharpeningGain_ = kSharpeningGainNoPitch;
  previousGains_ = {};
}

int DecoderSession::GetVocrixHeader(ByteStream& file, int32_t& sampleCount, int& streamType,
                                    SpeechHeaderInfo* infoOut) {
  SpeechHeaderInfo info;
  int result = 1;
  std::array<uint8_t, 2> prefix{};
  std::array<uint8_t, kMaxHeaderBytes> header{};
  if (file.Read(prefix) != 2) {
    ReportCodecError("Cannot read file");
  } else {
    const int n = (prefix[0] << 8) | prefix[1];
    std::span<uint8_t> bytes(header.data(), std::min(n, kMaxHeaderBytes));
    if (n < kMinHeaderBytes || n > kMaxHeaderBytes) {
      ReportCodecError("Non Supported Header.");
    } else if (file.Read(bytes) != n) {
      ReportCodecError("Cannot read file");
    } else {
      const int status = ParseSpeechHeader(bytes, info);
      if (info.codecVersion != 0) SetCodecVersion(info.codecVersion);
      switch (status) {
        case kCodecOk:
          result = 0;
          break;
        case kCodecUnsupportedMode:
          ReportCodecError("Non Supported Bitrate.");
          break;
        case kCodecUnsupportedSampling:
          ReportCodecError("Non Supported Sampling");
          break;
        case kCodecUnsupportedVersion:
          ReportCodecError("Non Supported Version.");
          break;
        case kCodecWrongMagic:
          ReportCodecError("Non Supported Header.");
          break;
        default:
          ReportCodecError("Other Error.");
          break;
      }
    }
  }
  sampleCount = info.sampleCount;
  streamType = info.streamType;
  if (infoOut) *infoOut = info;
  DecoderReset();
  return result;
}

int DecoderSession::ReadAndDecodeFrame(ByteStream& file, std::span<uint8_t> out, int rateCode,
                                       int streamType, bool skip) {
  if (streamType == kStreamVariableFull || streamType == kStreamVariableHalf)
    streamType = kStreamVariable;
  const int samples = FrameSamplesAt(rateCode);
  if (samples == 0) {
    ReportCodecError("Non-supported sampling rate.");
    return -EINVAL;
  }
  std::array<uint8_t, kMaxFrameBytes> frame{};
  int64_t got = 0;
  if (IsVariableRateStream(streamType)) {
    got = file.Read(std::span<uint8_t>(frame.data(), 1));
    if (got <= 0) return static_cast<int>(got);
    const int n = StreamFrameBytes(streamType, frame[0]);
    if (n > 1) {
      const int64_t rest =
          file.Read(std::span<uint8_t>(frame.data() + 1, static_cast<size_t>(n - 1)));
      if (rest < 0) return static_cast<int>(rest);
      got += rest;
    }
  } else if (const int n = StreamFrameBytes(streamType, 0); n > 0) {
    got = file.Read(std::span<uint8_t>(frame.data(), static_cast<size_t>(n)));
    if (got <= 0) return static_cast<int>(got);
  } else {
    ReportCodecError("Wrong data.");
    return 0;
  }

  const int bytes = samples * static_cast<int>(sizeof(int16_t));
  if (out.size() < static_cast<size_t>(bytes)) {
    // Leave the frame unread so the caller can come back with more space.
    const int64_t back = file.Seek(-got, SeekOrigin::kCurrent);
    return back < 0 ? static_cast<int>(back) : kCodecNoOutput;
  }
  if (!skip) {
    DecodeFrame(frame, pcm_, rateCode, 0, streamType);
    std::memcpy(out.data(), pcm_.data(), static_cast<size_t>(bytes));
  }
  return bytes;
}

}  // namespace vx
