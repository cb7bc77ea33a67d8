#include "codec/speech_header.h"

#include <algorithm>
#include <cstring>

#include "codec/frame_format.h"
#include "codec/status.h"

namespace vx {

namespace {

constexpr char kMagic[4] = {'V', 'X', 'H', 'D'};
constexpr char kWriterVersion[8] = {'V', 'X', '9', '7', '0', '3', '1', '0'};
constexpr char kVersion1[8] = {'V', 'X', '9', '6', '0', '4', '0', '1'};
constexpr std::string_view kVersion2Prefix = "VX9703";
// Versions that carry the optional rate tag behind the comment (coding mode 243 only).
constexpr std::string_view kTaggedVersionPrefix = "VX97031";

// Coding mode byte values.
constexpr uint8_t kModeVariableFull = 240;
constexpr uint8_t kModeFixedFull = 242;
constexpr uint8_t kModeVariable = 243;
constexpr uint8_t kModeFixedHalf = 244;

void PutBigEndian16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

uint32_t GetBigEndian16(const uint8_t* p) {
  return (uint32_t{p[0]} << 8) | p[1];
}

// Title and comment lengths: up to the first zero byte, at most 128 bytes.
std::string_view CutText(std::string_view text) {
  text = text.substr(0, std::min<size_t>(text.find('\0'), kMaxHeaderText));
  return text;
}

bool StartsWith(std::span<const uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

// Reads a stored text length: a value with its top bit set counts as 0, values above 128
// count as 128.
int StoredTextLength(uint32_t value) {
  if (value & 0x8000u) return 0;
  return static_cast<int>(std::min<uint32_t>(value, kMaxHeaderText));
}

}  // namespace

int WriteSpeechHeader(int32_t sampleCount, std::string_view title, std::string_view comment,
                      int variableRate, int rateMode, std::span<uint8_t, 2 + kMaxHeaderBytes> out) {
  uint8_t mode;
  if (variableRate) {
    mode = rateMode == 6 ? kModeVariableFull : kModeVariable;
  } else if (rateMode == 0 || rateMode == 6) {
    mode = kModeFixedFull;
  } else if (rateMode == 1) {
    mode = kModeFixedHalf;
  } else {
    return kCodecUnsupportedMode;
  }
  title = CutText(title);
  comment = CutText(comment);

  uint8_t* h = out.data() + 2;
  std::memcpy(h, kMagic, 4);
  std::memcpy(h + 4, kWriterVersion, 8);
  h[12] = 0;  // 8000 Hz
  h[13] = mode;
  uint32_t count = static_cast<uint32_t>(sampleCount < 0 ? -1 : sampleCount);
  h[14] = static_cast<uint8_t>(count >> 24);
  h[15] = static_cast<uint8_t>(count >> 16);
  h[16] = static_cast<uint8_t>(count >> 8);
  h[17] = static_cast<uint8_t>(count);
  size_t at = 18;
  for (std::string_view text : {title, comment}) {
    PutBigEndian16(h + at, static_cast<uint32_t>(text.size()));
    std::memcpy(h + at + 2, text.data(), text.size());
    at += 2 + text.size();
  }
  if (mode == kModeVariable && at + 2 <= static_cast<size_t>(kMaxHeaderBytes)) {
    const char* tag = rateMode == 0 || rateMode == 6 ? "FL" : rateMode == 1 ? "HF" : "UK";
    std::memcpy(h + at, tag, 2);
    at += 2;
  }
  PutBigEndian16(out.data(), static_cast<uint32_t>(at));
  return static_cast<int>(at);
}

int ParseSpeechHeader(std::span<const uint8_t> header, SpeechHeaderInfo& info) {
  const size_t n = header.size();
  if (n < static_cast<size_t>(kMinHeaderBytes) || n > static_cast<size_t>(kMaxHeaderBytes) ||
      std::memcmp(header.data(), kMagic, 4) != 0) {
    return kCodecWrongMagic;
  }
  std::span<const uint8_t> version = header.subspan(4, 8);
  std::memcpy(info.version, version.data(), 8);
  if (std::memcmp(version.data(), kVersion1, 8) == 0) {
    info.codecVersion = 1;
  } else if (StartsWith(version, kVersion2Prefix)) {
    info.codecVersion = 2;
  } else {
    return kCodecUnsupportedVersion;
  }
  if (header[12] != 0) return kCodecUnsupportedSampling;
  info.sampleRate = 8000;
  info.channels = 1;

  const uint8_t mode = header[13];
  switch (mode) {
    case kModeFixedFull:
      info.streamType = kStreamFixedFull;
      break;
    case kModeFixedHalf:
      info.streamType = kStreamFixedHalf;
      break;
    case kModeVariable:
      info.streamType = kStreamVariable;
      break;
    case kModeVariableFull:
      info.streamType = kStreamVariableFull;
      break;
    default:
      return kCodecUnsupportedMode;
  }

  const int32_t count =
      static_cast<int32_t>((uint32_t{header[14]} << 24) | (uint32_t{header[15]} << 16) |
                           (uint32_t{header[16]} << 8) | header[17]);
  info.sampleCount = count < 0 ? -1 : count;

  // Title at 20, comment length at 20 + T, comment at 22 + T; every length is cut to the
  // bytes that lie inside the header.
  size_t at = 18;
  int* lengths[2] = {&info.titleLength, &info.commentLength};
  std::array<char, kMaxHeaderText + 1>* texts[2] = {&info.title, &info.comment};
  for (int i = 0; i < 2; ++i) {
    size_t length = 0;
    if (at + 2 <= n) {
      length = std::min<size_t>(StoredTextLength(GetBigEndian16(&header[at])), n - (at + 2));
      std::memcpy(texts[i]->data(), &header[at + 2], length);
    }
    (*texts[i])[length] = '\0';
    *lengths[i] = static_cast<int>(length);
    at += 2 + length;
  }

  if (mode == kModeVariable && StartsWith(version, kTaggedVersionPrefix) && at + 2 <= n) {
    if (header[at] == 'F' && header[at + 1] == 'L') {
      info.streamType = kStreamVariableFull;
    } else if (header[at] == 'H' && header[at + 1] == 'F') {
      info.streamType = kStreamVariableHalf;
    }
  }
  return kCodecOk;
}

}  // namespace vx
