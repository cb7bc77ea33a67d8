#pragma once

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/window.h>

namespace vx::testing {

// Real key presses on a shown window of this process (through the X server's XTEST
// extension, as wx's input simulator sends them), for tests under xvfb-run.
class Keyboard {
 public:
  // Shows the frame and puts the pointer over it, so that its window has the keyboard.
  explicit Keyboard(wxFrame& frame) {
    frame.Show();
    frame.Raise();
    Settle();
    input_.MouseMove(frame.GetScreenPosition() + wxPoint(5, 5));
    Settle();
  }
  void Focus(wxWindow& window) {
    window.SetFocus();
    Settle();
  }
  void Press(int key) {
    input_.Char(key);
    Settle();
  }
  // The window that has the focus now, or null.
  static wxWindow* Focused() { return wxWindow::FindFocus(); }

 private:
  // A few turns of the event loop, so that what the server sent arrives.
  static void Settle() {
    for (int i = 0; i < 20; ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
  }

  wxUIActionSimulator input_;
};

}  // namespace vx::testing
