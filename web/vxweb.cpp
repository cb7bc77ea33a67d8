// The C interface of the web player's WebAssembly module: a decoder over a file's bytes
// (bare compressed speech, or a RIFF WAVE wrapper around it) that gives 8000 Hz 16-bit PCM
// frame by frame and seeks by frame, and the file encoder's conversion of a WAV file's bytes
// (or of 16-bit PCM) into a compressed speech file, run by the same pipeline as vxtool encode
// over in-memory files. Handles are opaque pointers; every call that takes one accepts only
// what the matching open call returned.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codec/decoder.h"
#include "encoder/pipeline/conversion_job.h"
#include "encoder/pipeline/source_admission.h"
#include "io/memory_stream.h"
#include "io/window_stream.h"
#include "platform/path_services.h"
#include "wavfile/wave_file.h"

namespace vx::web {
namespace {

constexpr int kPcmBytesPerFrame = 320;  // 160 samples of 16-bit PCM at 8000 Hz
constexpr int kRateCode = 8;            // ReadAndDecodeFrame's code for 8000 Hz output
// A seek resumes from the state continuous playback would have: the decoder first runs over
// the 500 ms before the target, as the desktop player does.
constexpr int kWarmUpFrames = 25;

// One opened file: its bytes, the stream (the whole file, or a wrapper's data chunk), the
// decoder session, and where each frame read so far begins, so that seeks jump straight to it.
class WebDecoder {
 public:
  explicit WebDecoder(std::span<const uint8_t> bytes) : file_(bytes) {
    session_.SetErrorSink([this](std::string_view message) {
      codecMessage_ = message;
      while (!codecMessage_.empty() && codecMessage_.back() == '\n') codecMessage_.pop_back();
    });
    Open();
  }

  const std::string& Error() const { return error_; }
  const SpeechHeaderInfo& Info() const { return info_; }
  int StreamType() const { return streamType_; }
  int32_t SampleCount() const { return sampleCount_; }
  int WrapperRate() const { return wrapperRate_; }
  int32_t Position() const { return frame_; }

  // Decodes up to `maxFrames` frames into `pcm`; returns the frames decoded, 0 at the end of
  // the data, or a negative read result (Error() says why).
  int Read(int16_t* pcm, int maxFrames) {
    if (!error_.empty()) return -1;
    int frames = 0;
    while (frames < maxFrames) {
      const int result = ReadOne(
          std::span<uint8_t>(reinterpret_cast<uint8_t*>(pcm + static_cast<size_t>(frames) * 160),
                             kPcmBytesPerFrame),
          false);
      if (result < 0) return frames > 0 ? frames : result;
      if (result == 0) break;
      ++frames;
    }
    return frames;
  }

  // Positions the stream at `frame` (clamped to the frames the data holds) and returns the
  // frame reached, or -1 on a read error.
  int32_t Seek(int32_t frame) {
    if (!error_.empty()) return -1;
    frame = std::max(frame, 0);
    std::array<uint8_t, kPcmBytesPerFrame> scratch{};
    if (static_cast<size_t>(frame) >= offsets_.size()) {
      // Beyond what was read so far: read forward without decoding to find where it begins.
      Reposition(static_cast<int32_t>(offsets_.empty() ? 0 : offsets_.size() - 1));
      while (frame_ < frame) {
        const int result = ReadOne(scratch, true);
        if (result < 0) return -1;
        if (result == 0) break;
      }
      frame = frame_;
    }
    const int32_t start = std::max(0, frame - kWarmUpFrames);
    // From the first frame the decoder starts afresh, so the output matches the whole
    // stream's decoding exactly.
    if (start == 0) session_.DecoderReset();
    Reposition(start);
    while (frame_ < frame) {
      const int result = ReadOne(scratch, false);
      if (result < 0) return -1;
      if (result == 0) break;
    }
    return frame_;
  }

 private:
  void Open() {
    WaveReader wave;
    int rate = 0, bits = 0, channels = 0;
    ByteStream* stream = &file_;
    if (wave.ReadWaveFormat(file_, rate, bits, channels) == 0) {
      uint32_t size = 0;
      if (wave.FindWaveData(file_, size) != 0) {
        error_ = wave.LastError();
        return;
      }
      window_ = std::make_unique<WindowStream>(file_, file_.Tell(), size);
      stream = window_.get();
      wrapperRate_ = rate;
    } else if (file_.Seek(0, SeekOrigin::kBegin) != 0) {
      error_ = "cannot seek";
      return;
    }
    stream_ = stream;
    if (session_.GetVocrixHeader(*stream_, sampleCount_, streamType_, &info_) != 0) {
      error_ = codecMessage_.empty() ? "cannot read the stream header" : codecMessage_;
      if (wrapperRate_) error_ += " (its WAVE data chunk holds no compressed speech stream)";
      return;
    }
    firstFrame_ = stream_->Tell();
  }

  // Puts the stream at the start of a frame already read (or the first frame).
  void Reposition(int32_t frame) {
    const int64_t offset = frame == 0 ? firstFrame_ : offsets_[static_cast<size_t>(frame)];
    stream_->Seek(offset, SeekOrigin::kBegin);
    frame_ = frame;
  }

  int ReadOne(std::span<uint8_t> out, bool skip) {
    const int64_t at = stream_->Tell();
    const int result = session_.ReadAndDecodeFrame(*stream_, out, kRateCode, streamType_, skip);
    if (result < 0) {
      error_ = "frame " + std::to_string(frame_) + ": the data cannot be read";
      return result;
    }
    if (result == 0) return 0;
    if (static_cast<size_t>(frame_) == offsets_.size()) offsets_.push_back(at);
    ++frame_;
    return result;
  }

  MemoryStream file_;
  std::unique_ptr<WindowStream> window_;
  ByteStream* stream_ = nullptr;
  DecoderSession session_;
  SpeechHeaderInfo info_;
  int32_t sampleCount_ = -1;
  int streamType_ = 0;
  int wrapperRate_ = 0;
  int64_t firstFrame_ = 0;
  int32_t frame_ = 0;
  std::vector<int64_t> offsets_;
  std::string codecMessage_, error_;
};

// A stream the conversion writes into: it forwards to a memory stream that outlives the
// job's handle on it, and its Close keeps the bytes.
class CapturedStream final : public ByteStream {
 public:
  explicit CapturedStream(MemoryStream& target) : target_(target) {}
  int64_t Read(std::span<uint8_t> buffer) override { return target_.Read(buffer); }
  int64_t Write(std::span<const uint8_t> data) override { return target_.Write(data); }
  int64_t Seek(int64_t offset, SeekOrigin origin) override { return target_.Seek(offset, origin); }
  int64_t Tell() override { return target_.Tell(); }
  int Close() override { return 0; }

 private:
  MemoryStream& target_;
};

constexpr char kSourcePath[] = "input.wav";
constexpr char kDestinationPath[] = "output.vxs";

// The conversion's platform in memory: one source file, one destination, no directories,
// message boxes kept as the failure text, one conversion per instance, no user interface to
// service.
class MemoryConversion final : public FileOpener,
                               public PathServices,
                               public Prompter,
                               public ConversionHost {
 public:
  explicit MemoryConversion(std::vector<uint8_t> wav) : wav_(std::move(wav)) {}

  std::unique_ptr<ByteStream> Open(const std::string& path, FileMode mode, int& error) override {
    if (mode == FileMode::kRead && path == kSourcePath) return std::make_unique<MemoryStream>(wav_);
    if (mode == FileMode::kCreate && path == kDestinationPath)
      return std::make_unique<CapturedStream>(output_);
    error = -ENOENT;
    return nullptr;
  }
  std::optional<std::string> FullPath(std::string_view path) override {
    return "/" + std::string(path);
  }
  std::optional<std::string> CurrentDirectory() override { return "/"; }
  int ChangeDirectory(std::string_view) override { return -ENOENT; }
  int MakeDirectory(std::string_view) override { return -EACCES; }
  bool FileExists(std::string_view path) override { return path == kSourcePath; }
  bool DirectoryExists(std::string_view path) override { return path == "/"; }
  std::string TemporaryDirectory() override { return {}; }
  int RemoveFile(std::string_view) override { return -ENOENT; }
  int MessageBox(std::string_view text, std::string_view, PromptButtons buttons,
                 PromptIcon) override {
    message_ = text;
    return buttons == PromptButtons::kOk ? kAnswerOk : kAnswerNo;
  }
  void ServiceEvent(ConversionJob&) override {}
  void ShowProgress(const ConversionJob&) override {}

  const std::vector<uint8_t>& Output() const { return output_.Bytes(); }
  const std::string& Message() const { return message_; }

 private:
  std::vector<uint8_t> wav_;
  MemoryStream output_;
  std::string message_;
};

// The result of a conversion or a decoding into a file: its bytes, or why there are none.
struct Result {
  std::vector<uint8_t> bytes;
  std::string error;
  ConversionCounts counts;
};

// Option bits of the encoder entries, as vxtool encode's --half, --fixed and --right.
constexpr int kHalfRate = 1, kFixedRate = 2, kRightChannel = 4;

Result* EncodeWav(std::vector<uint8_t> wav, int options) {
  auto* result = new Result;
  MemoryConversion platform(std::move(wav));
  const SourceAdmission admission = AdmitSource(platform, kSourcePath);
  if (!admission.admitted) {
    result->error = admission.refusal;
    return result;
  }
  ConversionOptions conversion;
  conversion.overwriteCheck = false;
  conversion.destinationPath = kDestinationPath;
  conversion.rateMode = options & kHalfRate ? 1 : 0;
  conversion.fixedRate = (options & kFixedRate) != 0;
  conversion.stereoChannel = options & kRightChannel ? StereoChannel::kRight : StereoChannel::kLeft;
  ConversionJob job(ConversionServices{platform, platform, platform, platform});
  if (job.PrepareJob(conversion, kSourcePath) != JobAnswer::kGo) {
    result->error = platform.Message();
  } else if (job.RunConversion() != ConversionResult::kConverted) {
    result->error = job.FailureText();
  } else {
    result->bytes = platform.Output();
    result->counts = job.Counts();
  }
  return result;
}

}  // namespace
}  // namespace vx::web

using vx::web::Result;
using vx::web::WebDecoder;

extern "C" {

// Opens a copy of `length` bytes; never null. vx_decoder_error tells whether it can be read.
EMSCRIPTEN_KEEPALIVE WebDecoder* vx_decoder_open(const uint8_t* bytes, int length) {
  return new WebDecoder(std::span<const uint8_t>(bytes, static_cast<size_t>(std::max(length, 0))));
}
EMSCRIPTEN_KEEPALIVE void vx_decoder_close(WebDecoder* decoder) {
  delete decoder;
}
// Empty while the file reads well; otherwise why it cannot be decoded (the codec's message).
EMSCRIPTEN_KEEPALIVE const char* vx_decoder_error(WebDecoder* decoder) {
  return decoder->Error().c_str();
}
// 3 fixed full rate, 4 fixed half rate; 1, 2, 13 (full-rate speech) or 14 (half-rate speech)
// variable rate.
EMSCRIPTEN_KEEPALIVE int vx_decoder_stream_type(WebDecoder* decoder) {
  return decoder->StreamType();
}
// Samples at 8000 Hz the header announces; -1 when unknown.
EMSCRIPTEN_KEEPALIVE int vx_decoder_sample_count(WebDecoder* decoder) {
  return decoder->SampleCount();
}
EMSCRIPTEN_KEEPALIVE int vx_decoder_codec_version(WebDecoder* decoder) {
  return decoder->Info().codecVersion;
}
// The rate of the WAVE wrapper around the stream; 0 for a bare stream.
EMSCRIPTEN_KEEPALIVE int vx_decoder_wrapper_rate(WebDecoder* decoder) {
  return decoder->WrapperRate();
}
EMSCRIPTEN_KEEPALIVE const char* vx_decoder_title(WebDecoder* decoder) {
  return decoder->Info().title.data();
}
EMSCRIPTEN_KEEPALIVE const char* vx_decoder_comment(WebDecoder* decoder) {
  return decoder->Info().comment.data();
}
// Decodes up to `maxFrames` frames of 160 samples into `pcm`: the frames decoded, 0 at the
// end, negative on a read error.
EMSCRIPTEN_KEEPALIVE int vx_decoder_read(WebDecoder* decoder, int16_t* pcm, int maxFrames) {
  return decoder->Read(pcm, maxFrames);
}
// Moves to frame `frame` (20 ms each); returns the frame reached (the last one at most), or -1.
EMSCRIPTEN_KEEPALIVE int vx_decoder_seek(WebDecoder* decoder, int frame) {
  return decoder->Seek(frame);
}
EMSCRIPTEN_KEEPALIVE int vx_decoder_position(WebDecoder* decoder) {
  return decoder->Position();
}

// Converts a WAV file's bytes (16-bit PCM, mono or stereo, 8000 to 48000 Hz) as vxtool encode
// does; `options` is a sum of 1 (half rate), 2 (fixed rate), 4 (right channel). Never null.
EMSCRIPTEN_KEEPALIVE Result* vx_encode_wav(const uint8_t* wav, int length, int options) {
  return vx::web::EncodeWav(std::vector<uint8_t>(wav, wav + std::max(length, 0)), options);
}
// The same for `frames` interleaved 16-bit sample frames of `channels` channels at `rate` Hz.
EMSCRIPTEN_KEEPALIVE Result* vx_encode_pcm(const int16_t* pcm, int frames, int rate, int channels,
                                           int options) {
  vx::MemoryStream file;
  vx::WaveWriter writer;
  const size_t bytes = static_cast<size_t>(std::max(frames, 0)) *
                       static_cast<size_t>(std::max(channels, 0)) * sizeof(int16_t);
  if (writer.CreateWaveFormat(file, rate, 16, channels) != 0 || writer.CreateWaveData(file) != 0 ||
      file.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pcm), bytes)) !=
          static_cast<int64_t>(bytes) ||
      writer.CloseWaveData(file) != 0 || writer.CloseWaveRiff(file) != 0) {
    auto* result = new Result;
    result->error = writer.LastError();
    return result;
  }
  return vx::web::EncodeWav(file.Bytes(), options);
}
// Decodes a whole file into a WAV file of 8000 Hz 16-bit mono PCM, as vxtool decode does.
EMSCRIPTEN_KEEPALIVE Result* vx_decode_wav(const uint8_t* bytes, int length) {
  auto* result = new Result;
  WebDecoder decoder(std::span<const uint8_t>(bytes, static_cast<size_t>(std::max(length, 0))));
  vx::MemoryStream file;
  vx::WaveWriter writer;
  if (writer.CreateWaveFormat(file, 8000, 16, 1) != 0 || writer.CreateWaveData(file) != 0) {
    result->error = writer.LastError();
    return result;
  }
  std::array<int16_t, 160> pcm{};
  int frames = 0;
  while ((frames = decoder.Read(pcm.data(), 1)) > 0)
    file.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pcm.data()), sizeof pcm));
  if (frames < 0 || !decoder.Error().empty()) {
    result->error = decoder.Error();
  } else if (writer.CloseWaveData(file) != 0 || writer.CloseWaveRiff(file) != 0) {
    result->error = writer.LastError();
  } else {
    result->bytes = file.Bytes();
  }
  return result;
}
EMSCRIPTEN_KEEPALIVE void vx_result_free(Result* result) {
  delete result;
}
// Empty on success; otherwise why nothing was converted.
EMSCRIPTEN_KEEPALIVE const char* vx_result_error(Result* result) {
  return result->error.c_str();
}
EMSCRIPTEN_KEEPALIVE const uint8_t* vx_result_bytes(Result* result) {
  return result->bytes.data();
}
EMSCRIPTEN_KEEPALIVE int vx_result_size(Result* result) {
  return static_cast<int>(result->bytes.size());
}
// Frames of a conversion by type: 0 noise, 1 full rate, 2 silence, 3 half rate (the frame type
// codes).
EMSCRIPTEN_KEEPALIVE int vx_result_frames(Result* result, int type) {
  const vx::ConversionCounts& counts = result->counts;
  const int64_t count[] = {counts.noise, counts.full, counts.silence, counts.half};
  return type >= 0 && type < 4 ? static_cast<int>(count[type]) : 0;
}

}  // extern "C"
