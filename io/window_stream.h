#pragma once

#include "io/byte_stream.h"

namespace vx {

// A read-only view of the bytes [offset, offset + length) of another stream, positioned
// from 0: a compressed stream kept in the "data" chunk of a RIFF WAVE file reads as if it
// were a file of its own, and whatever chunk follows is never taken for frames.
class WindowStream final : public ByteStream {
 public:
  WindowStream(ByteStream& inner, int64_t offset, int64_t length)
      : inner_(inner), offset_(offset), length_(length) {}

  int64_t Read(std::span<uint8_t> buffer) override;
  int64_t Write(std::span<const uint8_t> data) override;  // refused: -EBADF
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Tell() override;
  int Close() override;  // ends the view; the inner stream stays open

 private:
  ByteStream& inner_;
  int64_t offset_;
  int64_t length_;
  int64_t position_ = 0;
  bool closed_ = false;
};

}  // namespace vx
