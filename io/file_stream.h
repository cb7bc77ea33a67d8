#pragma once

#include "io/byte_stream.h"

namespace vx {

// A ByteStream over a POSIX file descriptor.
class FileStream final : public ByteStream {
 public:
  // Returns null with a negative errno in `error` when the file cannot be opened.
  static std::unique_ptr<FileStream> Open(const std::string& path, FileMode mode, int& error);
  ~FileStream() override;

  int64_t Read(std::span<uint8_t> buffer) override;
  int64_t Write(std::span<const uint8_t> data) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Tell() override;
  int Close() override;

 private:
  explicit FileStream(int fd) : fd_(fd) {}
  int fd_;
};

class PosixFileOpener final : public FileOpener {
 public:
  std::unique_ptr<ByteStream> Open(const std::string& path, FileMode mode, int& error) override;
};

}  // namespace vx
