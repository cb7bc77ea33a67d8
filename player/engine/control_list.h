#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx {

// Where frame i of the stream begins in the file, and the PCM bytes decoding it produced.
struct ControlEntry {
  int64_t offset = 0;
  int32_t bytes = 0;
};

// The frames decoded so far, indexed by frame number from 0 without gaps, so that a seek
// backwards, or forwards within what was played, can jump straight to a frame. Memory is
// taken by Reserve when a file is opened, so that appending while playing takes none as long
// as the reservation holds; beyond it the list grows. Failures to get memory are answered,
// never thrown.
class ControlList {
 public:
  size_t Size() const { return entries_.size(); }
  size_t Capacity() const { return entries_.capacity(); }
  // The entry of `frame`, or null when the list does not reach it.
  const ControlEntry* Find(int32_t frame) const;
  // Appends the entry of frame Size(); false when no memory can be had.
  bool Append(int64_t offset, int32_t bytes) noexcept;
  // Makes room for `frames` entries in all; false when no memory can be had.
  bool Reserve(size_t frames) noexcept;
  // Frees every entry and the room held for them.
  void Clear() noexcept;

 private:
  std::vector<ControlEntry> entries_;
};

}  // namespace vx
