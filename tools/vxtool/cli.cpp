#include "tools/vxtool/cli.h"

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

int FailUsage(std::string_view help) {
  const std::string_view usage = help.substr(0, help.find('\n'));
  std::fprintf(stderr, "vxtool: %.*s\n", static_cast<int>(usage.size()), usage.data());
  return 1;
}

std::string ParseDevice(std::string_view text, std::string_view file, DeviceChoice& device) {
  constexpr std::string_view kVirtual = "virtual:";
  const std::string choices = "default or virtual:" + std::string(file);
  if (text == "default") {
    device = {};
    return {};
  }
  if (text.substr(0, kVirtual.size()) != kVirtual)
    return "unknown device " + std::string(text) + " (" + choices + ")";
  if (text.size() == kVirtual.size())
    return "virtual: needs a file name (virtual:" + std::string(file) + ")";
  device = {true, std::string(text.substr(kVirtual.size()))};
  return {};
}

std::optional<long> ParseNumber(std::string_view text, long low, long high) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

std::string ErrorText(int negativeErrno) {
  return std::strerror(-negativeErrno);
}

}  // namespace vx::cli
