#include "wavfile/riff.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vx {
namespace {

constexpr int64_t kHeaderBytes = 8;
constexpr int64_t kFormTypeBytes = 4;
// Chunk offsets and sizes are 32-bit fields.
constexpr int64_t kMaxOffset = std::numeric_limits<uint32_t>::max();

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void WriteLe32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Reads exactly `bytes.size()` bytes: 0, kMmioErrorCannotRead on a failed read, or
// kMmioErrorChunkNotFound when the stream ends first.
int ReadExactly(ByteStream& stream, std::span<uint8_t> bytes) {
  int64_t n = stream.Read(bytes);
  if (n < 0) return kMmioErrorCannotRead;
  return n == static_cast<int64_t>(bytes.size()) ? 0 : kMmioErrorChunkNotFound;
}

}  // namespace

int Descend(ByteStream& stream, RiffKind kind, uint32_t code, const RiffChunk* parent,
            RiffChunk& chunk) {
  int64_t position = stream.Tell();
  if (position < 0) return kMmioErrorCannotSeek;
  // Every header looked at must lie wholly inside the parent and below 4 GiB.
  int64_t end = kMaxOffset;
  if (parent) end = std::min<int64_t>(end, int64_t{parent->dataOffset} + parent->size);
  const int64_t headerBytes = kHeaderBytes + (kind == RiffKind::kRiff ? kFormTypeBytes : 0);
  // Each step moves forward by at least one header, so the search always ends.
  while (position + headerBytes <= end) {
    std::array<uint8_t, kHeaderBytes + kFormTypeBytes> header;
    if (int rc = ReadExactly(stream, std::span(header).first(kHeaderBytes))) return rc;
    const uint32_t id = ReadLe32(header.data());
    const uint32_t size = ReadLe32(header.data() + 4);
    const int64_t dataOffset = position + kHeaderBytes;
    bool found = false;
    uint32_t formType = 0;
    if (kind == RiffKind::kChunk) {
      found = id == code;
    } else if (id == kRiffId && size >= kFormTypeBytes) {
      if (int rc = ReadExactly(stream, std::span(header).subspan(kHeaderBytes))) return rc;
      formType = ReadLe32(header.data() + kHeaderBytes);
      found = formType == code;
    }
    if (found) {
      chunk = RiffChunk{.id = id,
                        .size = size,
                        .formType = formType,
                        .dataOffset = static_cast<uint32_t>(dataOffset),
                        .flags = 0};
      return 0;
    }
    position = dataOffset + size + (size & 1);
    if (position + headerBytes > end) break;
    if (stream.Seek(position, SeekOrigin::kBegin) != position) return kMmioErrorCannotSeek;
  }
  return kMmioErrorChunkNotFound;
}

int Ascend(ByteStream& stream, RiffChunk& chunk) {
  int64_t end;
  if (chunk.flags & kChunkDirty) {
    int64_t position = stream.Tell();
    if (position < 0) return kMmioErrorCannotSeek;
    int64_t size = position - chunk.dataOffset;
    if (size < 0) return kMmioErrorCannotSeek;
    if (size > kMaxOffset) return kMmioErrorCannotExpand;
    if (size & 1) {
      const uint8_t pad = 0;
      if (stream.Write(std::span(&pad, 1)) != 1) return kMmioErrorCannotWrite;
    }
    end = position + (size & 1);
    std::array<uint8_t, 4> field;
    WriteLe32(field.data(), static_cast<uint32_t>(size));
    int64_t sizeField = int64_t{chunk.dataOffset} - 4;
    if (stream.Seek(sizeField, SeekOrigin::kBegin) != sizeField) return kMmioErrorCannotSeek;
    if (stream.Write(field) != static_cast<int64_t>(field.size())) return kMmioErrorCannotWrite;
    chunk.size = static_cast<uint32_t>(size);
    chunk.flags &= ~kChunkDirty;
  } else {
    end = int64_t{chunk.dataOffset} + chunk.size + (chunk.size & 1);
  }
  if (stream.Seek(end, SeekOrigin::kBegin) != end) return kMmioErrorCannotSeek;
  return 0;
}

int CreateChunk(ByteStream& stream, RiffKind kind, uint32_t code, RiffChunk& chunk) {
  int64_t position = stream.Tell();
  if (position < 0) return kMmioErrorCannotSeek;
  if (position + kHeaderBytes + kFormTypeBytes > kMaxOffset) return kMmioErrorCannotExpand;
  const bool riff = kind == RiffKind::kRiff;
  std::array<uint8_t, kHeaderBytes + kFormTypeBytes> header{};
  WriteLe32(header.data(), riff ? kRiffId : code);
  WriteLe32(header.data() + 4, riff ? kFormTypeBytes : 0);
  if (riff) WriteLe32(header.data() + kHeaderBytes, code);
  auto bytes = std::span(header).first(riff ? header.size() : kHeaderBytes);
  if (stream.Write(bytes) != static_cast<int64_t>(bytes.size())) return kMmioErrorCannotWrite;
  chunk = RiffChunk{.id = riff ? kRiffId : code,
                    .size = riff ? static_cast<uint32_t>(kFormTypeBytes) : 0,
                    .formType = riff ? code : 0,
                    .dataOffset = static_cast<uint32_t>(position + kHeaderBytes),
                    .flags = kChunkDirty};
  return 0;
}

}  // namespace vx
