#include "io/window_stream.h"

#include <algorithm>
#include <cerrno>

namespace vx {

int64_t WindowStream::Read(std::span<uint8_t> buffer) {
  if (closed_) return -EBADF;
  int64_t room = std::max<int64_t>(0, length_ - position_);
  if (room == 0 || buffer.empty()) return 0;
  int64_t at = inner_.Seek(offset_ + position_, SeekOrigin::kBegin);
  if (at < 0) return at;
  int64_t n =
      inner_.Read(buffer.first(static_cast<size_t>(std::min<int64_t>(room, buffer.size()))));
  if (n > 0) position_ += n;
  return n;
}

int64_t WindowStream::Write(std::span<const uint8_t>) {
  return -EBADF;
}

int64_t WindowStream::Seek(int64_t offset, SeekOrigin origin) {
  if (closed_) return -EBADF;
  int64_t base = origin == SeekOrigin::kBegin     ? 0
                 : origin == SeekOrigin::kCurrent ? position_
                                                  : length_;
  int64_t target = base + offset;
  if (target < 0) return -EINVAL;
  position_ = target;
  return position_;
}

int64_t WindowStream::Tell() {
  return closed_ ? -EBADF : position_;
}

int WindowStream::Close() {
  if (closed_) return -EBADF;
  closed_ = true;
  return 0;
}

}  // namespace vx
