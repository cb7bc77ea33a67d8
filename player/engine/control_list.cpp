#include "player/engine/control_list.h"

#include <new>
#include <stdexcept>

namespace vx {

const ControlEntry* ControlList::Find(int32_t frame) const {
  if (frame < 0 || static_cast<size_t>(frame) >= entries_.size()) return nullptr;
  return &entries_[static_cast<size_t>(frame)];
}

bool ControlList::Append(int64_t offset, int32_t bytes) noexcept {
  try {
    entries_.push_back(ControlEntry{offset, bytes});
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool ControlList::Reserve(size_t frames) noexcept {
  try {
    entries_.reserve(frames);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

void ControlList::Clear() noexcept {
  std::vector<ControlEntry>().swap(entries_);
}

}  // namespace vx
