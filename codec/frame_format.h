#pragma once

#include <array>
#include <cstdint>
#include <span>

// Frame layout: frame types, sizes, parameter word widths, and the bit packing shared by
// the encoder's packer and the decoder's unpacker.
namespace vx {

// The 2-bit frame type code, held in bits 0-1 (and again in bits 2-3) of a frame's first byte.
enum class FrameType : uint8_t {
  kNoise = 0,     // background noise, 34 payload bits, 5 bytes
  kFullRate = 1,  // full-rate speech, 148 payload bits, 19 bytes
  kSilence = 2,   // silence, no payload, 1 byte
  kHalfRate = 3,  // half-rate speech, 92 payload bits, 12 bytes
};

constexpr int kFrameSamples = 160;       // 20 ms at 8000 Hz
constexpr int kFrameSamples11000 = 220;  // 20 ms at 11000 Hz
// PCM samples of one frame at a rate given in kHz or Hz: 160 at 8 or 8000, 220 at 11, 11000
// or 11025 (served at 11000); 0 for a rate the codec does not support.
int FrameSamplesAt(int rate);
// Each session counts its frames from 0 (the first frame after a reset) up to this value and
// then goes on at kFrameCounterRestart, so the count never returns to 0 without a reset.
constexpr int32_t kFrameCounterWrap = 0x3FFFFFFF;
constexpr int32_t kFrameCounterRestart = 1000;
constexpr int kMaxFrameWords = 13;
constexpr int kMaxFrameBytes = 19;
// Parameter words of one frame in stream order; unused entries are 0.
using FrameWords = std::array<int32_t, kMaxFrameWords>;

// Widths in bits of the frame type's parameter words, in stream order (empty for silence).
std::span<const uint8_t> WordWidths(FrameType type);
int PayloadBits(FrameType type);
// Bytes of a frame of this type, first byte included: 5, 19, 1 or 12.
int FrameBytes(FrameType type);
// Frame type announced by bits 0-1 of a variable-rate frame's first byte (bits 2-3 unused).
inline FrameType FrameTypeOf(uint8_t firstByte) {
  return static_cast<FrameType>(firstByte & 3);
}
// Length of the frame that starts with this byte in a variable-rate stream: 19, 12, 5 or 1.
int FrameByteCount(uint8_t firstByte);

// Cuts the payload of `frame` into the words of `type`. Payload bit k is bit (4 + k) mod 8 of
// byte (4 + k) div 8; the first bit taken for a word is its least significant bit. Bytes
// beyond the end of `frame` read as zero.
void UnpackFrameWords(std::span<const uint8_t> frame, FrameType type, FrameWords& words);

// Inverse of UnpackFrameWords: writes byte 0 = type * 5 (the type in bits 0-1 and 2-3), then
// the words' bits from bit 4 on, least significant first; unused high bits of the last
// byte are 0. `words` holds at least the type's word count. Returns the frame's byte count,
// kCodecValueOutOfRange (nothing written) when a word does not fit its width, or
// kCodecNoOutput when `out` is shorter than the frame.
int PackFrameWords(FrameType type, std::span<const int32_t> words, std::span<uint8_t> out);

}  // namespace vx
