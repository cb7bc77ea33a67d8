#include "io/atomic_output.h"

#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace vx {

AtomicOutput::~AtomicOutput() {
  Discard();
}

std::string AtomicOutput::Keep() {
  stream_.reset();
  std::string kept;
  kept.swap(temporary_);
  return kept;
}

void AtomicOutput::Discard() {
  stream_.reset();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

int AtomicOutput::Open(const std::string& path) {
  Discard();
  path_ = path;
  // A random suffix; a name some other writer holds is passed over.
  std::random_device random;
  constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  int error = -EEXIST;
  for (int attempt = 0; attempt < 100 && error == -EEXIST; ++attempt) {
    std::string candidate = path + ".part";
    for (int i = 0; i < 6; ++i) candidate += kDigits[random() % (sizeof kDigits - 1)];
    stream_ = FileStream::Open(candidate, FileMode::kCreateNew, error);
    if (stream_) temporary_ = std::move(candidate);
  }
  return stream_ ? 0 : error;
}

int AtomicOutput::CloseStream() {
  if (!stream_) return 0;
  const int result = stream_->Close();
  stream_.reset();
  return result;
}

int AtomicOutput::Commit() {
  if (temporary_.empty()) return -EBADF;
  if (const int result = CloseStream(); result < 0) return result;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) return -errno;
  temporary_.clear();
  return 0;
}

}  // namespace vx
