// The conversion of one file: blocks of 16-bit PCM, one channel, the rate converted to
// 8000 Hz, 20 ms frames coded and written behind a provisional header that is rewritten
// with the real sample count at the end.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "encoder/pipeline/accepted_rates.h"
#include "encoder/pipeline/conversion_job.h"
#include "wavfile/wave_file.h"

namespace vx {
namespace {

constexpr char kWaveFileError[] = "Wave File Error";
constexpr char kVocrixFileError[] = "Vocrix File Error";
constexpr char kTitle[] = "Voice Message";
constexpr char kComment[] = "Nocomment";
constexpr int kCodecRate = 8;  // EncodeFrame's rate code for 8000 Hz input

std::string OpenErrorText(const std::string& path) {
  return "mmioOpen(\"" + path + "\") Error!!";
}

std::string CloseErrorText(const std::string& path, int code) {
  return "mmioClose(\"" + path + "\"):" + std::to_string(code) + " Error!!";
}

std::string ErrnoText(int64_t negativeErrno) {
  return std::strerror(static_cast<int>(-negativeErrno));
}

// Nearest integer, halves away from zero, saturated to 16 bits.
int16_t ToPcm(double value) {
  const double rounded = std::round(value);
  if (rounded <= -32768.0) return -32768;
  if (rounded >= 32767.0) return 32767;
  return static_cast<int16_t>(rounded);
}

}  // namespace

void ConversionJob::Show(const std::string& text, const char* caption) {
  services_.prompter.MessageBox(text, caption, PromptButtons::kOk, PromptIcon::kError);
}

bool ConversionJob::Fail(std::string why) {
  if (failure_.empty()) failure_ = std::move(why);
  return false;
}

void ConversionJob::SetPercent(int percent) {
  percent_ = percent;
  percentText_ = std::to_string(percent) + " %";
  services_.host.ShowProgress(*this);
}

void ConversionJob::SetStatus(const char* status) {
  if (statusText_ == status) return;
  statusText_ = status;
  services_.host.ShowProgress(*this);
}

// Services one event, then takes a pending abort request: the user confirms it or goes on.
bool ConversionJob::ServiceAndCheckAbort() {
  services_.host.ServiceEvent(*this);
  if (!abortRequested_.exchange(false)) return true;
  if (services_.host.ConfirmAbort(services_.prompter, "Convert Aboart?(Y/N)") != kAnswerYes)
    return true;
  return Fail("aborted");
}

bool ConversionJob::WriteHeader(ByteStream& file, int32_t sampleCount) {
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  const int n = encoder_.WriteSpeechHeader(sampleCount, kTitle, kComment,
                                           options_.fixedRate ? 0 : 1, options_.rateMode, header);
  if (n < 0) return Fail("rate mode " + std::to_string(options_.rateMode) + " has no header");
  const auto bytes = std::span<const uint8_t>(header).first(static_cast<size_t>(2 + n));
  if (file.Write(bytes) != static_cast<int64_t>(bytes.size()))
    return Fail("the header cannot be written to " + destination_);
  return true;
}

bool ConversionJob::SetupRates(int rate, int bits, int channels) {
  if (bits != 16) return Fail(std::to_string(bits) + "-bit samples are not converted");
  // Other channel counts cannot be picked from, and 0 would divide by zero.
  if (channels != 1 && channels != 2)
    return Fail(std::to_string(channels) + " channels are not converted");
  channels_ = channels;
  if (rate == 8000) {
    blockSamples_ = kOutputPerBlock;
    rateConverted_ = false;
  } else {
    SetStatus("Convert Initializing...");
    rateConverted_ = true;
    const int nominal = NominalRate(rate);
    if (nominal == 0) return Fail(std::to_string(rate) + " Hz is not a rate that is converted");
    blockSamples_ = std::max(RateConverter::kPrimingValues, rate * kOutputPerBlock / 8000);
    if (converter_.InitRateConverter(nominal, 8000, blockSamples_) != 0)
      return Fail("the rate converter cannot be set up");
    conversionBuffer_.assign(static_cast<size_t>(blockSamples_), 0.0);
  }
  inputBlock_.assign(static_cast<size_t>(blockSamples_) * kBytesPerSample * channels_, 0);
  return true;
}

bool ConversionJob::ProcessBlock(int sampleFrames) {
  if (sampleFrames < 0 || sampleFrames > blockSamples_) return Fail("block too large");
  const size_t channel = channels_ == 2 && options_.stereoChannel == StereoChannel::kRight;
  const size_t frameBytes = static_cast<size_t>(channels_) * kBytesPerSample;
  for (int i = 0; i < sampleFrames; ++i) {
    if (!ServiceAndCheckAbort()) return false;
    const uint8_t* p = &inputBlock_[static_cast<size_t>(i) * frameBytes + channel * 2];
    const auto sample = static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    if (rateConverted_) {
      conversionBuffer_[static_cast<size_t>(i)] = sample;
    } else {
      output_[static_cast<size_t>(i)] = sample;
    }
  }
  if (!rateConverted_) {
    std::fill(output_.begin() + sampleFrames, output_.end(), int16_t{0});
    outputCount_ = kOutputPerBlock;
    return true;
  }

  const bool priming = blocksProcessed_ == 0;
  int count = 0;
  if (converter_.ConvertRateBlock(
          std::span<const double>(conversionBuffer_).first(static_cast<size_t>(sampleFrames)),
          converted_, count, priming) != 0) {
    Show("Sampling Frequency Convert Error !!", "");
    return Fail("Sampling Frequency Convert Error !!");
  }
  outputCount_ = 0;
  if (!priming) {
    for (int i = 0; i < count; ++i) {
      output_[static_cast<size_t>(i)] = ToPcm(converted_[static_cast<size_t>(i)]);
      if (!ServiceAndCheckAbort()) return false;
    }
    std::fill(output_.begin() + count, output_.end(), int16_t{0});
    outputCount_ = count;
  }
  ++blocksProcessed_;
  return true;
}

// Codes the block's output, one frame per kFrameLength samples, and appends the frames.
bool ConversionJob::EncodeBlock(ByteStream& destination) {
  SetStatus("Encoding...");
  const int detect = options_.fixedRate ? 0 : 1;
  for (int at = 0; at < outputCount_; at += kFrameLength) {
    if (!ServiceAndCheckAbort()) return false;
    std::array<uint8_t, kFrameRoom> frame{};
    const int bytes =
        encoder_.EncodeFrame(std::span<const int16_t>(output_).subspan(static_cast<size_t>(at)),
                             kCodecRate, frame, detect, options_.rateMode);
    if (bytes <= 0) return Fail("EncodeFrame() refused the block");
    if (destination.Write(std::span<const uint8_t>(frame).first(static_cast<size_t>(bytes))) !=
        bytes) {
      Show("WriteVocrixBuffer() Error!!", "");
      return Fail("WriteVocrixBuffer() Error!!");
    }
    switch (FrameTypeOf(frame[0])) {
      case FrameType::kFullRate:
        ++counts_.full;
        break;
      case FrameType::kHalfRate:
        ++counts_.half;
        break;
      case FrameType::kNoise:
        ++counts_.noise;
        break;
      case FrameType::kSilence:
        ++counts_.silence;
        break;
    }
    counts_.frameBytes += bytes;
  }
  return true;
}

ConversionResult ConversionJob::RunConversion() {
  counts_ = {};
  failure_.clear();
  destinationCreated_ = false;
  statusText_.clear();
  blocksProcessed_ = 0;
  outputCount_ = 0;
  SetPercent(0);

  int error = 0;
  std::unique_ptr<ByteStream> source = services_.files.Open(source_, FileMode::kRead, error);
  if (!source) {
    Show(OpenErrorText(source_), kWaveFileError);
    Fail(source_ + ": " + ErrnoText(error));
    return ConversionResult::kFailed;
  }
  // The source is read and checked before the destination is created (and so emptied): a
  // file that cannot be converted leaves an existing destination as it was.
  WaveReader reader;
  int rate = 0, bits = 0, channels = 0;
  uint32_t dataBytes = 0;
  if (reader.ReadWaveFormat(*source, rate, bits, channels) != 0 ||
      reader.FindWaveData(*source, dataBytes) != 0) {
    Fail(source_ + ": " + reader.LastError());
    source->Close();
    return ConversionResult::kFailed;
  }
  frameLength_ = kFrameLength;
  if (!SetupRates(rate, bits, channels)) {
    failure_ = source_ + ": " + failure_;
    source->Close();
    return ConversionResult::kFailed;
  }
  std::unique_ptr<ByteStream> destination =
      services_.files.Open(destination_, FileMode::kCreate, error);
  if (!destination) {
    Show(OpenErrorText(destination_), kVocrixFileError);
    Fail(destination_ + ": " + ErrnoText(error));
    source->Close();
    return ConversionResult::kFailed;
  }
  destinationCreated_ = true;

  bool ok = true;
  const int64_t headerPosition = destination->Tell();
  if (headerPosition < 0) {
    ok = Fail(destination_ + ": " + ErrnoText(headerPosition));
  } else {
    ok = WriteHeader(*destination, -1);
  }
  if (!ok) {
    destination->Close();
    source->Close();
    return ConversionResult::kFailed;
  }
  encoder_.EncoderReset();

  const size_t frameBytes = static_cast<size_t>(channels_) * kBytesPerSample;
  size_t blockFrames = rateConverted_ ? RateConverter::kPrimingValues : blockSamples_;
  uint32_t bytesRead = 0;
  while (bytesRead <= dataBytes) {
    SetPercent(dataBytes == 0 ? 0 : static_cast<int>(bytesRead * 100.0 / dataBytes));
    std::fill(inputBlock_.begin(), inputBlock_.end(), uint8_t{0});
    const size_t want = std::min<size_t>(blockFrames * frameBytes, dataBytes - bytesRead);
    const int64_t got = source->Read(std::span(inputBlock_).first(want));
    if (got < 0) {
      Show("mmioRead(\"" + source_ + "\") Error!!", kWaveFileError);
      ok = Fail(source_ + ": " + ErrnoText(got));
      break;
    }
    // No bytes, or less than one sample frame, left: the data has ended. (A last fragment
    // of a sample frame would otherwise give a frame of silence.)
    const int n = static_cast<int>(static_cast<size_t>(got) / frameBytes);
    if (n == 0) break;
    blockFrames = blockSamples_;
    bytesRead += static_cast<uint32_t>(got);
    if (!(ok = ServiceAndCheckAbort())) break;
    SetStatus("Converting...");
    const bool priming = rateConverted_ && blocksProcessed_ == 0;
    if (!(ok = ProcessBlock(n))) break;
    if (priming) continue;
    if (!(ok = EncodeBlock(*destination))) break;
  }

  // Finish, also after an abort or a failure: the header counts the frames written.
  const int64_t samples = counts_.Frames() * frameLength_;
  const int32_t sampleCount =
      samples > std::numeric_limits<int32_t>::max() ? -1 : static_cast<int32_t>(samples);
  if (destination->Seek(headerPosition, SeekOrigin::kBegin) < 0) {
    ok = Fail(destination_ + ": the header cannot be rewritten");
  } else if (!WriteHeader(*destination, sampleCount)) {
    ok = false;
  }
  if (const int result = destination->Close(); result != 0) {
    Show(CloseErrorText(destination_, result), kVocrixFileError);
    ok = Fail(CloseErrorText(destination_, result));
  }
  if (const int result = source->Close(); result != 0) {
    Show(CloseErrorText(source_, result), kWaveFileError);
    ok = Fail(CloseErrorText(source_, result));
  }
  return ok ? ConversionResult::kConverted : ConversionResult::kFailed;
}

}  // namespace vx
