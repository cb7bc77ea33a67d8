#pragma once

#include <map>
#include <memory>

#include "io/byte_stream.h"

namespace vx {

// What a FaultStream breaks. Positions and counts are in bytes; -1 leaves that part alone.
struct FaultPlan {
  int64_t readEndsAt = -1;     // reads stop at this position, as if the stream ended there
  int64_t readFailsAt = -1;    // a read starting at or beyond this position fails with -EIO
  int64_t diskFullAfter = -1;  // total bytes the medium takes; later writes are short, then -ENOSPC
  int failSeekNumber = -1;  // the n-th Seek (counting from 1) fails with -EIO; 0 fails every Seek
  int failTellNumber = -1;  // the same for Tell
  bool failClose = false;   // Close releases the stream but answers -EIO
  // A full disk that still lets bytes already in the file be rewritten: the stream cannot
  // grow past this size; a write reaching beyond it is short, then -ENOSPC.
  int64_t sizeLimit = -1;
};

// Wraps a stream and injects the faults of a plan: short reads, failed reads and writes,
// failed seeks, a full disk, a failed close.
class FaultStream final : public ByteStream {
 public:
  FaultStream(std::unique_ptr<ByteStream> inner, FaultPlan plan)
      : inner_(std::move(inner)), plan_(plan) {}

  int64_t Read(std::span<uint8_t> buffer) override;
  int64_t Write(std::span<const uint8_t> data) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Tell() override;
  int Close() override;

  int64_t BytesWritten() const { return written_; }

 private:
  std::unique_ptr<ByteStream> inner_;
  FaultPlan plan_;
  int64_t written_ = 0;
  int seeks_ = 0;
  int tells_ = 0;
};

// Opens files through another opener and wraps those named in the plans in a FaultStream.
class FaultFileOpener final : public FileOpener {
 public:
  explicit FaultFileOpener(FileOpener& inner) : inner_(inner) {}
  void SetPlan(const std::string& path, FaultPlan plan) { plans_[path] = plan; }
  // Makes every later Open of `path` fail with `error`.
  void FailOpen(const std::string& path, int error) { openErrors_[path] = error; }

  std::unique_ptr<ByteStream> Open(const std::string& path, FileMode mode, int& error) override;

 private:
  FileOpener& inner_;
  std::map<std::string, FaultPlan> plans_;
  std::map<std::string, int> openErrors_;
};

}  // namespace vx
