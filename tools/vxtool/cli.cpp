#include "tools/vxtool/cli.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace vx::cli {

bool Args::Flag(std::string_view name) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (*it == name) {
      args_.erase(it);
      return true;
    }
  }
  return false;
}

std::optional<std::string> Args::Value(std::string_view name) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (*it == name) {
      if (it + 1 == args_.end()) {
        if (error_.empty()) error_ = std::string(name) + " needs a value";
        args_.erase(it);
        return std::nullopt;
      }
      std::string value = *(it + 1);
      args_.erase(it, it + 2);
      return value;
    }
    if (it->size() > name.size() && it->compare(0, name.size(), name) == 0 &&
        (*it)[name.size()] == '=') {
      std::string value = it->substr(name.size() + 1);
      args_.erase(it);
      return value;
    }
  }
  return std::nullopt;
}

std::vector<std::string> Args::Positional() {
  std::vector<std::string> rest;
  bool onlyNames = false;
  for (const std::string& arg : args_) {
    if (!onlyNames && arg == "--") {
      onlyNames = true;
    } else if (!onlyNames && arg.size() > 1 && arg[0] == '-') {
      if (error_.empty()) error_ = "unknown option " + arg;
    } else {
      rest.push_back(arg);
    }
  }
  return rest;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vxtool: %s\n", message.c_str());
  return 1;
}

std::optional<long> ParseNumber(std::string_view text, long low, long high) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

AtomicOutput::~AtomicOutput() {
  if (!temporary_.empty()) {
    stream_.reset();
    ::unlink(temporary_.c_str());
  }
}

int AtomicOutput::Open(const std::string& path) {
  path_ = path;
  std::string pattern = path + ".partXXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return -errno;
  // mkstemp makes the file private; the output gets the usual permissions.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  temporary_ = pattern;
  int error = 0;
  stream_ = FileStream::Open(temporary_, FileMode::kCreate, error);
  return stream_ ? 0 : error;
}

int AtomicOutput::Commit() {
  int result = stream_->Close();
  if (result < 0) return result;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) return -errno;
  temporary_.clear();
  return 0;
}

std::string ErrorText(int negativeErrno) {
  return std::strerror(-negativeErrno);
}

}  // namespace vx::cli
