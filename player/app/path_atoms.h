#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vx {

// Paths handed to a window in a message, by number: the sender adds the path and posts the
// number, the receiver reads it and deletes it. Numbers are never 0.
class PathAtoms {
 public:
  uint32_t Add(std::string path) {
    if (++next_ == 0) ++next_;
    atoms_[next_] = std::move(path);
    return next_;
  }
  // The path, or empty when the number holds nothing.
  std::string Get(uint32_t atom) const {
    const auto it = atoms_.find(atom);
    return it == atoms_.end() ? std::string() : it->second;
  }
  void Delete(uint32_t atom) { atoms_.erase(atom); }
  size_t Size() const { return atoms_.size(); }

 private:
  std::map<uint32_t, std::string> atoms_;
  uint32_t next_ = 0;
};

}  // namespace vx
