#pragma once

#include <wx/image.h>

#include <cstdint>
#include <string>
#include <vector>

// The X server's side of the end-to-end tests: top-level windows found by title, closed as a
// window manager would, clicked and typed into as a user would (the server's XTEST
// extension), captured pixel for pixel. Kept apart because Xlib's macros clash with
// other headers.
namespace vx::testing {

class XScreen {
 public:
  using WindowId = unsigned long;

  XScreen();
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;
  bool Ok() const { return display_ != nullptr; }

  struct Shown {
    WindowId id;
    std::string title;
    int width, height;
  };
  // Every viewable window with a title.
  std::vector<Shown> Viewable();
  // The viewable windows whose title is `title`.
  std::vector<WindowId> Windows(const std::string& title);
  // Asks the window to close (WM_DELETE_WINDOW).
  void Close(WindowId window);
  // A left click at (x, y) of the window's client area.
  void Click(WindowId window, int x, int y);
  wxImage Capture(WindowId window);

 private:
  void Collect(WindowId window, std::vector<Shown>& found);
  void* display_;
};

}  // namespace vx::testing
