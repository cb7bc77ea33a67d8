#include "player/engine/data_window.h"

#include <algorithm>
#include <cerrno>

namespace vx {

void DataWindow::Bind(ByteStream* inner, int64_t end) {
  inner_ = inner;
  end_ = end;
  position_ = inner_ != nullptr ? inner_->Tell() : 0;
}

int64_t DataWindow::Read(std::span<uint8_t> buffer) {
  if (inner_ == nullptr) return -EBADF;
  if (position_ < 0) {
    position_ = inner_->Tell();
    if (position_ < 0) return position_;
  }
  const int64_t left = std::max<int64_t>(0, end_ - position_);
  const size_t take = static_cast<size_t>(std::min<int64_t>(left, std::ssize(buffer)));
  if (take == 0) return 0;
  const int64_t got = inner_->Read(buffer.first(take));
  if (got > 0) position_ += got;
  return got;
}

int64_t DataWindow::Write(std::span<const uint8_t>) {
  return -EBADF;
}

int64_t DataWindow::Seek(int64_t offset, SeekOrigin origin) {
  if (inner_ == nullptr) return -EBADF;
  const int64_t result = origin == SeekOrigin::kEnd
                             ? inner_->Seek(end_ + offset, SeekOrigin::kBegin)
                             : inner_->Seek(offset, origin);
  // After a failed seek the position is asked of the stream again at the next read.
  position_ = result;
  return result;
}

int64_t DataWindow::Tell() {
  if (inner_ == nullptr) return -EBADF;
  const int64_t result = inner_->Tell();
  if (result >= 0) position_ = result;
  return result;
}

int DataWindow::Close() {
  inner_ = nullptr;
  return 0;
}

}  // namespace vx
