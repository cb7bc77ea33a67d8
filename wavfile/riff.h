#pragma once

#include <cstdint>

#include "io/byte_stream.h"

namespace vx {

// Result codes of the chunk operations, with the values of the old multimedia file service
// (0 is success). The WAV module's failure texts carry them as their "[%d]".
inline constexpr int kMmioErrorBase = 256;
inline constexpr int kMmioErrorCannotRead = kMmioErrorBase + 5;  // 261: a read failed
inline constexpr int kMmioErrorCannotWrite =
    kMmioErrorBase + 6;                                          // 262: a write failed or was short
inline constexpr int kMmioErrorCannotSeek = kMmioErrorBase + 7;  // 263: a seek or tell failed
inline constexpr int kMmioErrorCannotExpand = kMmioErrorBase + 8;   // 264: beyond 32-bit offsets
inline constexpr int kMmioErrorChunkNotFound = kMmioErrorBase + 9;  // 265: the search ran out

// A four-character code as it is stored in a RIFF file (first character in the low byte).
constexpr uint32_t FourCC(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

inline constexpr uint32_t kRiffId = FourCC("RIFF");

// Set on a chunk created for writing: its size field is fixed when it is left.
inline constexpr uint32_t kChunkDirty = 1;

// One chunk of a RIFF file. `size` counts the bytes after the 8-byte header (for a RIFF chunk
// including its form type) without the pad byte of an odd size; `dataOffset` is the stream
// position right after the header.
struct RiffChunk {
  uint32_t id = 0;
  uint32_t size = 0;
  uint32_t formType = 0;  // RIFF chunks only
  uint32_t dataOffset = 0;
  uint32_t flags = 0;
};

enum class RiffKind {
  kChunk,  // a chunk found or created by its id
  kRiff,   // a "RIFF" chunk found or created with a form type
};

// Searches forward from the stream's current position for a chunk with id `code` (kChunk) or
// a "RIFF" chunk of form type `code` (kRiff), stepping over every other chunk and its pad
// byte. The search stays inside `parent`, or runs to the end of the stream without one. On
// success `chunk` describes the chunk found and the stream stands at its data (after the form
// type for kRiff). Returns 0, kMmioErrorChunkNotFound when the search runs out (also when a
// header is cut off or a size points past the parent), kMmioErrorCannotRead or
// kMmioErrorCannotSeek.
int Descend(ByteStream& stream, RiffKind kind, uint32_t code, const RiffChunk* parent,
            RiffChunk& chunk);

// Leaves a chunk: the stream moves past its end and the pad byte of an odd size. For a chunk
// being written (kChunkDirty) its size becomes the bytes from its data to the current
// position; a pad byte is written after an odd size and the size field is fixed in place.
// Returns 0, kMmioErrorCannotSeek, kMmioErrorCannotWrite or kMmioErrorCannotExpand.
int Ascend(ByteStream& stream, RiffChunk& chunk);

// Writes a chunk header at the current position: id `code` (kChunk), or "RIFF" followed by the
// form type `code` (kRiff), with a placeholder size that Ascend fixes. `chunk` becomes the
// dirty chunk being written. Returns 0, kMmioErrorCannotWrite, kMmioErrorCannotSeek or
// kMmioErrorCannotExpand.
int CreateChunk(ByteStream& stream, RiffKind kind, uint32_t code, RiffChunk& chunk);

}  // namespace vx
