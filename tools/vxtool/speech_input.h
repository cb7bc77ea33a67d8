#pragma once

#include <memory>
#include <string>

#include "codec/decoder.h"
#include "io/window_stream.h"

namespace vx::cli {

// A compressed speech stream opened for reading: a bare .vxs/.cht file, or the "data" chunk
// of a RIFF WAVE file that wraps one (as the player reads it).
struct SpeechInput {
  std::unique_ptr<ByteStream> file;
  std::unique_ptr<WindowStream> window;  // the data chunk of a wrapper
  ByteStream* stream = nullptr;          // where the stream header starts
  int wrapperRate = 0;                   // the wrapper's rate; 0 for a bare file
};

// Opens `path`; returns an empty text or the reason it cannot be read.
std::string OpenSpeechInput(const std::string& path, SpeechInput& input);

// The codec's diagnostics for one command: the last message is kept for the error line, and
// with --verbose every message is printed on stderr as it comes.
class CodecMessages {
 public:
  explicit CodecMessages(bool verbose) : verbose_(verbose) {}
  CodecErrorSink Sink();
  const std::string& Last() const { return last_; }

 private:
  bool verbose_;
  std::string last_;
};

// Reads the stream header with the session (whose sink is `messages`); returns an empty
// text, or the failure with the codec's own message (such as "Non Supported Header.").
std::string ReadSpeechHeader(DecoderSession& session, const CodecMessages& messages,
                             SpeechInput& input, int32_t& sampleCount, int& streamType,
                             SpeechHeaderInfo* info = nullptr);

}  // namespace vx::cli
