#pragma once

#include <vector>

#include "io/byte_stream.h"

namespace vx {

// A ByteStream over an owned, growable byte vector. Writing past the end extends it
// (a gap left by a seek beyond the end reads as zeros).
class MemoryStream final : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  explicit MemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

  int64_t Read(std::span<uint8_t> buffer) override;
  int64_t Write(std::span<const uint8_t> data) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Tell() override;
  int Close() override;

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
  bool closed_ = false;
};

}  // namespace vx
