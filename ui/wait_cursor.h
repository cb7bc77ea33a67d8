#pragma once

#include <wx/utils.h>

namespace vx {

// The wait cursor a view shows while its engine opens, closes or copies files and devices;
// shown once however often it is asked for, and taken away with the view.
class WaitCursor {
 public:
  WaitCursor() = default;
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { Show(false); }

  void Show(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    if (shown)
      wxBeginBusyCursor();
    else
      wxEndBusyCursor();
  }

 private:
  bool shown_ = false;
};

}  // namespace vx
