#pragma once

#include <wx/window.h>

#include "player/app/panel_resources.h"

namespace vx {

// A button drawn as a picture of its own: the up face, the down face while it is held with
// the pointer over it, the disabled face when disabled; the face is drawn unscaled at the
// window's corner. A click (press and release over it) sends wxEVT_BUTTON with its id.
class PictureButton final : public wxWindow {
 public:
  PictureButton(wxWindow* parent, wxWindowID id, const ButtonFaces& faces, const wxPoint& pos,
                const wxSize& size);

  bool Enable(bool enable = true) override;
  bool AcceptsFocus() const override { return false; }
  bool Pressed() const { return pressed_ && hover_; }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  const ButtonFaces& faces_;
  bool pressed_ = false;
  bool hover_ = false;
};

}  // namespace vx
