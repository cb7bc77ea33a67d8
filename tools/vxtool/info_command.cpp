// vxtool info FILE [--json] [--verbose]: the header fields and the frames of each type.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "codec/frame_format.h"
#include "tools/vxtool/cli.h"
#include "tools/vxtool/commands.h"
#include "tools/vxtool/speech_input.h"

namespace vx::cli {
namespace {

struct FrameCounts {
  long full = 0, half = 0, noise = 0, silence = 0;
  long incompleteBytes = 0;  // bytes of a last frame cut short by the end of the stream
  long Total() const { return full + half + noise + silence; }
};

// Walks the frames that follow the header, delimiting them as the decoder does.
int CountFrames(ByteStream& stream, int streamType, FrameCounts& counts) {
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  for (;;) {
    int64_t n = stream.Read(chunk);
    if (n < 0) return static_cast<int>(n);
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  size_t at = 0;
  while (at < bytes.size()) {
    const std::optional<FrameType> type = StreamFrameType(streamType, bytes[at]);
    if (!type) break;  // the header reader yields no such stream type
    const int length = FrameBytes(*type);
    if (bytes.size() - at < static_cast<size_t>(length)) {
      counts.incompleteBytes = static_cast<long>(bytes.size() - at);
      break;
    }
    switch (*type) {
      case FrameType::kFullRate:
        ++counts.full;
        break;
      case FrameType::kHalfRate:
        ++counts.half;
        break;
      case FrameType::kNoise:
        ++counts.noise;
        break;
      case FrameType::kSilence:
        ++counts.silence;
        break;
    }
    at += static_cast<size_t>(length);
  }
  return 0;
}

std::string JsonString(const char* text, int length) {
  std::string out = "\"";
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      // Title and comment are stored bytes in no declared encoding: bytes beyond ASCII are
      // shown as the code points of the same number.
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

const char* StreamTypeText(int streamType) {
  switch (streamType) {
    case kStreamVariable:
      return "variable rate";
    case kStreamFixedFull:
      return "fixed full rate";
    case kStreamFixedHalf:
      return "fixed half rate";
    case kStreamVariableFull:
      return "variable rate, full-rate speech";
    case kStreamVariableHalf:
      return "variable rate, half-rate speech";
  }
  return "unknown";
}

}  // namespace

const std::string_view kInfoHelp =
    "usage: vxtool info FILE [--json] [--verbose]\n"
    "  Shows the header of a compressed speech file (bare .vxs or .cht, or inside a RIFF WAVE\n"
    "  file) and counts its frames by type.\n"
    "  --json      one line of JSON in place of the table\n"
    "  --verbose   print the codec's diagnostics\n";

int RunInfoCommand(std::span<char* const> argv) {
  Args args(argv);
  bool json = args.Flag("--json");
  CodecMessages messages(args.Flag("--verbose"));
  std::vector<std::string> files = args.Positional();
  if (!args.Error().empty()) return Fail("info: " + args.Error());
  if (files.size() != 1) return FailUsage(kInfoHelp);
  const std::string& path = files[0];

  SpeechInput input;
  if (std::string error = OpenSpeechInput(path, input); !error.empty()) return Fail(error);
  DecoderSession session;
  session.SetErrorSink(messages.Sink());
  int32_t sampleCount = 0;
  int streamType = 0;
  SpeechHeaderInfo info;
  if (std::string error =
          ReadSpeechHeader(session, messages, input, sampleCount, streamType, &info);
      !error.empty())
    return Fail(path + ": " + error);
  FrameCounts counts;
  if (int result = CountFrames(*input.stream, streamType, counts); result < 0)
    return Fail(path + ": " + ErrorText(result));
  long durationMs = counts.Total() * 20;
  std::string version(info.version, sizeof info.version);

  if (json) {
    std::printf(
        "{\"version\": %s, \"codecVersion\": %d, \"streamType\": %d, \"sampleCount\": %d, "
        "\"title\": %s, \"comment\": %s, \"frames\": {\"full\": %ld, \"half\": %ld, "
        "\"noise\": %ld, \"silence\": %ld}, \"durationMs\": %ld}\n",
        JsonString(version.data(), 8).c_str(), info.codecVersion, streamType, sampleCount,
        JsonString(info.title.data(), info.titleLength).c_str(),
        JsonString(info.comment.data(), info.commentLength).c_str(), counts.full, counts.half,
        counts.noise, counts.silence, durationMs);
    return 0;
  }
  std::printf("file:          %s%s\n", path.c_str(),
              input.wrapperRate ? " (inside a RIFF WAVE wrapper)" : "");
  if (input.wrapperRate) std::printf("wrapper rate:  %d Hz\n", input.wrapperRate);
  std::printf("version:       %s (codec version %d)\n", version.c_str(), info.codecVersion);
  std::printf("stream type:   %d (%s)\n", streamType, StreamTypeText(streamType));
  if (sampleCount < 0)
    std::printf("sample count:  unknown\n");
  else
    std::printf("sample count:  %d (%d ms)\n", sampleCount, sampleCount / 8);
  std::printf("title:         %.*s\n", info.titleLength, info.title.data());
  std::printf("comment:       %.*s\n", info.commentLength, info.comment.data());
  std::printf("frames:        %ld (full %ld, half %ld, noise %ld, silence %ld)\n", counts.Total(),
              counts.full, counts.half, counts.noise, counts.silence);
  std::printf("duration:      %ld ms\n", durationMs);
  if (counts.incompleteBytes)
    std::printf("incomplete:    the last %ld bytes are a frame cut short\n",
                counts.incompleteBytes);
  return 0;
}

}  // namespace vx::cli
