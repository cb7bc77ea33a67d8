#pragma once

#include <string>

namespace vx {

// The player's document: only the path of the file to play. It reads and writes nothing; the
// playback engine opens the file itself.
class CVocrixDoc {
 public:
  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

 private:
  std::string path_;
};

}  // namespace vx
