#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vx {

// A path taken apart. The directory keeps its closing separator ("a/b/"), the extension has
// no dot ("wav"); a name without a dot is all base name. A dot that starts the last element
// (".profile") belongs to the base name.
struct PathParts {
  std::string directory;
  std::string baseName;
  std::string extension;
};

PathParts SplitPath(std::string_view path);
// Puts the parts together, adding a separator after a directory that has none and a dot
// before an extension that has none.
std::string JoinPath(std::string_view directory, std::string_view baseName,
                     std::string_view extension);

// The file-system services the programs need. Results of the changing operations are 0 or a
// negative errno.
class PathServices {
 public:
  virtual ~PathServices() = default;
  // The absolute form of the path, with "." and ".." resolved by name (the file need not
  // exist); nothing when the current directory cannot be read.
  virtual std::optional<std::string> FullPath(std::string_view path) = 0;
  virtual std::optional<std::string> CurrentDirectory() = 0;
  virtual int ChangeDirectory(std::string_view path) = 0;
  // Makes one directory level; its parent must exist.
  virtual int MakeDirectory(std::string_view path) = 0;
  // True for an existing entry that is not a directory.
  virtual bool FileExists(std::string_view path) = 0;
  virtual bool DirectoryExists(std::string_view path) = 0;
  // The directory for the user's scratch files: the runtime directory, else the cache
  // directory; empty when there is none.
  virtual std::string TemporaryDirectory() = 0;
  virtual int RemoveFile(std::string_view path) = 0;
};

// The user's runtime directory ($XDG_RUNTIME_DIR) when it exists, else the user's cache
// directory ($XDG_CACHE_HOME, or ~/.cache; made private when missing), else the system's
// temporary directory ($TMPDIR or /tmp).
std::string UserRuntimeDirectory();

// The services of the running system. Not final: tests derive from it to make one operation
// fail.
class PosixPathServices : public PathServices {
 public:
  std::optional<std::string> FullPath(std::string_view path) override;
  std::optional<std::string> CurrentDirectory() override;
  int ChangeDirectory(std::string_view path) override;
  int MakeDirectory(std::string_view path) override;
  bool FileExists(std::string_view path) override;
  bool DirectoryExists(std::string_view path) override;
  std::string TemporaryDirectory() override { return UserRuntimeDirectory(); }
  int RemoveFile(std::string_view path) override;
};

}  // namespace vx
