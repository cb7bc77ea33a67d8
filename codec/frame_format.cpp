#include "codec/frame_format.h"

#include <algorithm>

#include "codec/status.h"

namespace vx {

int FrameSamplesAt(int rate) {
  switch (rate) {
    case 8:
    case 8000:
      return kFrameSamples;
    case 11:
    case 11000:
    case 11025:
      return kFrameSamples11000;
    default:
      return 0;
  }
}

namespace {

constexpr std::array<uint8_t, 13> kNoiseWidths = {6, 0, 3, 4, 0, 3, 4, 0, 3, 4, 0, 3, 4};
constexpr std::array<uint8_t, 13> kFullRateWidths = {26, 8, 17, 7, 5, 17, 7, 8, 17, 7, 5, 17, 7};
constexpr std::array<uint8_t, 7> kHalfRateWidths = {22, 8, 20, 7, 8, 20, 7};
constexpr int kPayloadStartBit = 4;

}  // namespace

std::span<const uint8_t> WordWidths(FrameType type) {
  switch (type) {
    case FrameType::kNoise:
      return kNoiseWidths;
    case FrameType::kFullRate:
      return kFullRateWidths;
    case FrameType::kHalfRate:
      return kHalfRateWidths;
    case FrameType::kSilence:
      break;
  }
  return {};
}

int PayloadBits(FrameType type) {
  int bits = 0;
  for (uint8_t width : WordWidths(type)) bits += width;
  return bits;
}

int FrameBytes(FrameType type) {
  return (kPayloadStartBit + PayloadBits(type) + 7) / 8;
}

int FrameByteCount(uint8_t firstByte) {
  return FrameBytes(FrameTypeOf(firstByte));
}

bool IsVariableRateStream(int streamType) {
  return streamType == kStreamVariable || streamType == kStreamVariableAlias ||
         streamType == kStreamVariableFull || streamType == kStreamVariableHalf;
}

std::optional<FrameType> StreamFrameType(int streamType, uint8_t firstByte) {
  if (IsVariableRateStream(streamType)) return FrameTypeOf(firstByte);
  if (streamType == kStreamFixedFull) return FrameType::kFullRate;
  if (streamType == kStreamFixedHalf) return FrameType::kHalfRate;
  return std::nullopt;
}

int StreamFrameBytes(int streamType, uint8_t firstByte) {
  const std::optional<FrameType> type = StreamFrameType(streamType, firstByte);
  return type ? FrameBytes(*type) : 0;
}

void UnpackFrameWords(std::span<const uint8_t> frame, FrameType type, FrameWords& words) {
  words.fill(0);
  int bit = kPayloadStartBit;
  std::span<const uint8_t> widths = WordWidths(type);
  for (size_t w = 0; w < widths.size(); ++w) {
    uint32_t value = 0;
    for (int i = 0; i < widths[w]; ++i, ++bit) {
      size_t byte = static_cast<size_t>(bit / 8);
      if (byte < frame.size() && ((frame[byte] >> (bit % 8)) & 1)) value |= 1u << i;
    }
    words[w] = static_cast<int32_t>(value);
  }
}

int PackFrameWords(FrameType type, std::span<const int32_t> words, std::span<uint8_t> out) {
  std::span<const uint8_t> widths = WordWidths(type);
  int bytes = FrameBytes(type);
  if (words.size() < widths.size()) return kCodecValueOutOfRange;
  for (size_t w = 0; w < widths.size(); ++w) {
    if (words[w] < 0 || static_cast<int64_t>(words[w]) >= (int64_t{1} << widths[w]))
      return kCodecValueOutOfRange;
  }
  if (out.size() < static_cast<size_t>(bytes)) return kCodecNoOutput;
  std::fill_n(out.begin(), bytes, uint8_t{0});
  out[0] = static_cast<uint8_t>(static_cast<int>(type) * 5);
  int bit = kPayloadStartBit;
  for (size_t w = 0; w < widths.size(); ++w) {
    uint32_t value = static_cast<uint32_t>(words[w]);
    for (int i = 0; i < widths[w]; ++i, ++bit) {
      if ((value >> i) & 1)
        out[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(1 << (bit % 8));
    }
  }
  return bytes;
}

}  // namespace vx
