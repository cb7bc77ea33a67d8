#pragma once

#include <wx/window.h>

#include "ui/resources.h"

namespace vx {

// A button drawn as a picture of its own: the up face, the down face while it is held with
// the pointer over it (or with Space or Enter), the disabled face when disabled; the face is
// drawn unscaled at the window's corner. It takes the keyboard focus (Tab), which is drawn as
// a dotted frame inside the face. A click, or Space or Enter released over it, sends
// wxEVT_BUTTON with its id.
class PictureButton final : public wxWindow {
 public:
  PictureButton(wxWindow* parent, wxWindowID id, const ButtonFaces& faces, const wxRect& place);

  bool Enable(bool enable = true) override;
  bool AcceptsFocus() const override { return IsEnabled(); }
  bool Pressed() const { return keyHeld_ || (pressed_ && hover_); }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnKeyUp(wxKeyEvent& event);
  void OnFocusChange(wxFocusEvent& event);
  void Click();

  const ButtonFaces& faces_;
  bool pressed_ = false;
  bool hover_ = false;
  bool keyHeld_ = false;
};

}  // namespace vx
