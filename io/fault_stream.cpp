#include "io/fault_stream.h"

#include <algorithm>
#include <cerrno>

namespace vx {

int64_t FaultStream::Read(std::span<uint8_t> buffer) {
  int64_t position = inner_->Tell();
  if (position < 0) return position;
  if (plan_.readFailsAt >= 0 && position >= plan_.readFailsAt) return -EIO;
  if (plan_.readEndsAt >= 0) {
    int64_t room = std::max<int64_t>(0, plan_.readEndsAt - position);
    buffer = buffer.first(static_cast<size_t>(std::min<int64_t>(room, buffer.size())));
  }
  return inner_->Read(buffer);
}

int64_t FaultStream::Write(std::span<const uint8_t> data) {
  if (plan_.diskFullAfter >= 0) {
    int64_t room = std::max<int64_t>(0, plan_.diskFullAfter - written_);
    if (room == 0 && !data.empty()) return -ENOSPC;
    data = data.first(static_cast<size_t>(std::min<int64_t>(room, data.size())));
  }
  if (plan_.sizeLimit >= 0) {
    int64_t position = inner_->Tell();
    if (position < 0) return position;
    int64_t room = std::max<int64_t>(0, plan_.sizeLimit - position);
    if (room == 0 && !data.empty()) return -ENOSPC;
    data = data.first(static_cast<size_t>(std::min<int64_t>(room, data.size())));
  }
  int64_t n = inner_->Write(data);
  if (n > 0) written_ += n;
  return n;
}

int64_t FaultStream::Seek(int64_t offset, SeekOrigin origin) {
  ++seeks_;
  if (plan_.failSeekNumber == 0 || plan_.failSeekNumber == seeks_) return -EIO;
  return inner_->Seek(offset, origin);
}

int64_t FaultStream::Tell() {
  ++tells_;
  if (plan_.failTellNumber == 0 || plan_.failTellNumber == tells_) return -EIO;
  return inner_->Tell();
}

int FaultStream::Close() {
  int result = inner_->Close();
  return plan_.failClose && result == 0 ? -EIO : result;
}

std::unique_ptr<ByteStream> FaultFileOpener::Open(const std::string& path, FileMode mode,
                                                  int& error) {
  if (auto it = openErrors_.find(path); it != openErrors_.end()) {
    error = it->second;
    return nullptr;
  }
  auto stream = inner_.Open(path, mode, error);
  if (!stream) return nullptr;
  if (auto it = plans_.find(path); it != plans_.end())
    return std::make_unique<FaultStream>(std::move(stream), it->second);
  return stream;
}

}  // namespace vx
