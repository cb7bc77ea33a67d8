#include "io/file_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vx {

std::unique_ptr<FileStream> FileStream::Open(const std::string& path, FileMode mode, int& error) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::kRead:
      flags |= O_RDONLY;
      break;
    case FileMode::kCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case FileMode::kUpdate:
      flags |= O_RDWR;
      break;
    case FileMode::kCreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
  }
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    error = -errno;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<FileStream>(new FileStream(fd));
}

FileStream::~FileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t FileStream::Read(std::span<uint8_t> buffer) {
  if (fd_ < 0) return -EBADF;
  size_t total = 0;
  while (total < buffer.size()) {
    ssize_t n = ::read(fd_, buffer.data() + total, buffer.size() - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      return total > 0 ? static_cast<int64_t>(total) : -errno;
    }
    if (n == 0) break;
    total += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(total);
}

int64_t FileStream::Write(std::span<const uint8_t> data) {
  if (fd_ < 0) return -EBADF;
  size_t total = 0;
  while (total < data.size()) {
    ssize_t n = ::write(fd_, data.data() + total, data.size() - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      return total > 0 ? static_cast<int64_t>(total) : -errno;
    }
    total += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(total);
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
  if (fd_ < 0) return -EBADF;
  int whence = origin == SeekOrigin::kBegin     ? SEEK_SET
               : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                : SEEK_END;
  off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
  return pos < 0 ? -errno : static_cast<int64_t>(pos);
}

int64_t FileStream::Tell() {
  return Seek(0, SeekOrigin::kCurrent);
}

int FileStream::Close() {
  if (fd_ < 0) return -EBADF;
  int result = ::close(fd_);
  fd_ = -1;
  return result < 0 ? -errno : 0;
}

std::unique_ptr<ByteStream> PosixFileOpener::Open(const std::string& path, FileMode mode,
                                                  int& error) {
  return FileStream::Open(path, mode, error);
}

}  // namespace vx
