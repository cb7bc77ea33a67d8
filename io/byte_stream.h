#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vx {

enum class SeekOrigin { kBegin, kCurrent, kEnd };

// A positioned byte stream: every file user in the suite reads and writes through one.
// Results are byte counts or positions (>= 0), or negative error codes (-errno).
class ByteStream {
 public:
  ByteStream() = default;
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;
  virtual ~ByteStream() = default;

  // Reads up to buffer.size() bytes. Fewer bytes than asked means the end of the stream
  // was reached; 0 at the end.
  virtual int64_t Read(std::span<uint8_t> buffer) = 0;
  // Writes the bytes; a count below data.size() means the medium is full.
  virtual int64_t Write(std::span<const uint8_t> data) = 0;
  // Moves the position and returns the new one.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Tell() = 0;
  // Flushes and releases the stream; returns 0 or a negative error code. Every later
  // operation fails with -EBADF.
  virtual int Close() = 0;
};

enum class FileMode {
  kRead,    // existing file, read only
  kCreate,  // created or emptied, read and write
  kUpdate,  // existing file, read and write
  // A new file, read and write; -EEXIST when the name is taken. Created with the usual
  // permissions (0666 less the process's umask).
  kCreateNew,
};

// Opens streams by path. The engines take one by reference so that tests can hand them
// streams with injected faults.
class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // Returns the open stream, or null with a negative error code in `error`.
  virtual std::unique_ptr<ByteStream> Open(const std::string& path, FileMode mode, int& error) = 0;
};

}  // namespace vx
