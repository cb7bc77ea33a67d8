#pragma once

#include <cstdint>
#include <limits>

#include "io/byte_stream.h"

namespace vx {

// A read-only view of a stream that ends at a given position: the compressed stream inside a
// WAVE wrapper's "data" chunk, so that chunks after it are never read as frames. Positions
// are those of the underlying stream.
class DataWindow final : public ByteStream {
 public:
  // Reads go to `inner` (not owned) and stop at `end`.
  void Bind(ByteStream* inner, int64_t end = std::numeric_limits<int64_t>::max());
  void Unbind() { inner_ = nullptr; }
  bool Bound() const { return inner_ != nullptr; }

  int64_t Read(std::span<uint8_t> buffer) override;
  // Always fails: the window only reads.
  int64_t Write(std::span<const uint8_t> data) override;
  // kEnd counts from the window's end.
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Tell() override;
  // Unbinds; the underlying stream stays open for its owner to close.
  int Close() override;

 private:
  ByteStream* inner_ = nullptr;
  int64_t end_ = 0;
  int64_t position_ = 0;
};

}  // namespace vx
