#include "platform/path_services.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vx {

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  parts.directory = std::string(path.substr(0, nameStart));
  const std::string_view name = path.substr(nameStart);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0 || name == "..") {
    parts.baseName = std::string(name);
  } else {
    parts.baseName = std::string(name.substr(0, dot));
    parts.extension = std::string(name.substr(dot + 1));
  }
  return parts;
}

std::string JoinPath(std::string_view directory, std::string_view baseName,
                     std::string_view extension) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += baseName;
  if (!extension.empty()) {
    if (extension.front() != '.') path += '.';
    path += extension;
  }
  return path;
}

std::optional<std::string> PosixPathServices::FullPath(std::string_view path) {
  std::filesystem::path p(path);
  if (p.is_relative()) {
    std::optional<std::string> cwd = CurrentDirectory();
    if (!cwd) return std::nullopt;
    p = std::filesystem::path(*cwd) / p;
  }
  std::string full = p.lexically_normal().string();
  // A "." at the end normalises to a closing separator: keep one only where the path had it.
  if (full.size() > 1 && full.back() == '/' && !path.empty() && path.back() != '/') {
    full.pop_back();
  }
  return full;
}

std::optional<std::string> PosixPathServices::CurrentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

int PosixPathServices::ChangeDirectory(std::string_view path) {
  return chdir(std::string(path).c_str()) == 0 ? 0 : -errno;
}

int PosixPathServices::MakeDirectory(std::string_view path) {
  return mkdir(std::string(path).c_str(), 0777) == 0 ? 0 : -errno;
}

bool PosixPathServices::FileExists(std::string_view path) {
  struct stat info {};
  return stat(std::string(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool PosixPathServices::DirectoryExists(std::string_view path) {
  struct stat info {};
  return stat(std::string(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int PosixPathServices::RemoveFile(std::string_view path) {
  return unlink(std::string(path).c_str()) == 0 ? 0 : -errno;
}

std::string UserRuntimeDirectory() {
  auto directory = [](const char* name) -> std::string {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') return {};
    struct stat info {};
    return stat(value, &info) == 0 && S_ISDIR(info.st_mode) ? value : "";
  };
  if (std::string runtime = directory("XDG_RUNTIME_DIR"); !runtime.empty()) return runtime;
  std::string cache;
  if (const char* value = std::getenv("XDG_CACHE_HOME"); value != nullptr && *value == '/')
    cache = value;
  else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
    cache = std::string(home) + "/.cache";
  if (!cache.empty()) {
    mkdir(cache.c_str(), 0700);
    struct stat info {};
    if (stat(cache.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return cache;
  }
  if (std::string temporary = directory("TMPDIR"); !temporary.empty()) return temporary;
  return "/tmp";
}

}  // namespace vx
