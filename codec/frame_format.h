#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// Frame layout: stream types, frame types, sizes, parameter word widths, and the bit packing
// shared by the encoder's packer and the decoder's unpacker.
namespace vx {

// Stream types: how the frames of a stream are delimited. The header reader derives one from
// the header's coding mode (and rate tag); every frame read takes it.
constexpr int kStreamVariable = 1;       // variable rate: the frame type is in each first byte
constexpr int kStreamVariableAlias = 2;  // read as kStreamVariable; no header yields it
constexpr int kStreamFixedFull = 3;      // every frame a full-rate frame
constexpr int kStreamFixedHalf = 4;      // every frame a half-rate frame
constexpr int kStreamVariableFull = 13;  // variable rate, full-rate speech frames
constexpr int kStreamVariableHalf = 14;  // variable rate, half-rate speech frames
// The stream type a player holds before any header has been read: none of the above.
constexpr int kStreamNotRead = 5;

// The 2-bit frame type code, held in bits 0-1 (and again in bits 2-3) of a frame's first byte.
enum class FrameType : uint8_t {
  kNoise = 0,     // background noise, 34 payload bits, 5 bytes
  kFullRate = 1,  // full-rate speech, 148 payload bits, 19 bytes
  kSilence = 2,   // silence, no payload, 1 byte
  kHalfRate = 3,  // half-rate speech, 92 payload bits, 12 bytes
};

constexpr int kFrameSamples = 160;       // 20 ms at 8000 Hz
constexpr int kFrameSamples11000 = 220;  // 20 ms at 11000 Hz
// Bytes of one frame's 16-bit PCM: 320 at 8000 Hz, 440 at 11000 Hz.
constexpr int kFramePcmBytes = kFrameSamples * 2;
constexpr int kFramePcmBytes11000 = kFrameSamples11000 * 2;
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
// Whether frames of this stream type carry their frame type in their first byte (1, 2, 13, 14).
bool IsVariableRateStream(int streamType);
// Type of the frame that starts with `firstByte` in a stream of `streamType`: from the byte in a
// variable-rate stream, full or half rate in a fixed-rate one whatever the byte holds;
// std::nullopt for a stream type other than 1 to 4, 13 and 14.
std::optional<FrameType> StreamFrameType(int streamType, uint8_t firstByte);
// Bytes of that frame, first byte included (19, 12, 5 or 1); 0 for an unknown stream type.
int StreamFrameBytes(int streamType, uint8_t firstByte);

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
