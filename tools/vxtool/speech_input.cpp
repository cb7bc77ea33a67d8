#include "tools/vxtool/speech_input.h"

#include <cstdio>

#include "tools/vxtool/cli.h"
#include "wavfile/wave_file.h"

namespace vx::cli {

std::string OpenSpeechInput(const std::string& path, SpeechInput& input) {
  int error = 0;
  input.file = FileStream::Open(path, FileMode::kRead, error);
  if (!input.file) return path + ": " + ErrorText(error);
  WaveReader wave;
  int rate = 0, bits = 0, channels = 0;
  if (wave.ReadWaveFormat(*input.file, rate, bits, channels) != 0) {
    // Not a WAVE file: the compressed stream starts at the first byte.
    if (input.file->Seek(0, SeekOrigin::kBegin) < 0) return path + ": cannot seek";
    input.stream = input.file.get();
    return {};
  }
  uint32_t size = 0;
  if (wave.FindWaveData(*input.file, size) != 0) return path + ": " + wave.LastError();
  int64_t start = input.file->Tell();
  if (start < 0) return path + ": " + ErrorText(static_cast<int>(start));
  input.window = std::make_unique<WindowStream>(*input.file, start, size);
  input.stream = input.window.get();
  input.wrapperRate = rate;
  return {};
}

CodecErrorSink CodecMessages::Sink() {
  return [this](std::string_view message) {
    last_ = message;
    while (!last_.empty() && last_.back() == '\n') last_.pop_back();
    if (verbose_) std::fprintf(stderr, "vxtool: codec: %s\n", last_.c_str());
  };
}

std::string ReadSpeechHeader(DecoderSession& session, const CodecMessages& messages,
                             SpeechInput& input, int32_t& sampleCount, int& streamType,
                             SpeechHeaderInfo* info) {
  if (session.GetVocrixHeader(*input.stream, sampleCount, streamType, info) == 0) return {};
  std::string error = messages.Last().empty() ? "cannot read the stream header" : messages.Last();
  if (input.wrapperRate) error += " (its WAVE data chunk holds no compressed speech stream)";
  return error;
}

}  // namespace vx::cli
