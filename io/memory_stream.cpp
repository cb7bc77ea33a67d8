#include "io/memory_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vx {

int64_t MemoryStream::Read(std::span<uint8_t> buffer) {
  if (closed_) return -EBADF;
  int64_t size = static_cast<int64_t>(bytes_.size());
  if (position_ >= size) return 0;
  int64_t n = std::min<int64_t>(static_cast<int64_t>(buffer.size()), size - position_);
  std::memcpy(buffer.data(), bytes_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t MemoryStream::Write(std::span<const uint8_t> data) {
  if (closed_) return -EBADF;
  size_t end = static_cast<size_t>(position_) + data.size();
  if (end > bytes_.size()) bytes_.resize(end, 0);
  std::copy(data.begin(), data.end(), bytes_.begin() + position_);
  position_ = static_cast<int64_t>(end);
  return static_cast<int64_t>(data.size());
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  if (closed_) return -EBADF;
  int64_t base = origin == SeekOrigin::kBegin     ? 0
                 : origin == SeekOrigin::kCurrent ? position_
                                                  : static_cast<int64_t>(bytes_.size());
  int64_t target = base + offset;
  if (target < 0) return -EINVAL;
  position_ = target;
  return position_;
}

int64_t MemoryStream::Tell() { return closed_ ? -EBADF : position_; }

int MemoryStream::Close() {
  if (closed_) return -EBADF;
  closed_ = true;
  return 0;
}

}  // namespace vx
