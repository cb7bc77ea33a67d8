#include "player/app/picture_button.h"

#include <wx/dcbuffer.h>

namespace vx {

PictureButton::PictureButton(wxWindow* parent, wxWindowID id, const ButtonFaces& faces,
                             const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE), faces_(faces) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &PictureButton::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &PictureButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &PictureButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &PictureButton::OnLeftUp, this);
  Bind(wxEVT_MOTION, &PictureButton::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &PictureButton::OnCaptureLost, this);
}

bool PictureButton::Enable(bool enable) {
  const bool changed = wxWindow::Enable(enable);
  if (!enable) pressed_ = false;
  Refresh(false);
  return changed;
}

void PictureButton::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(wxColour(192, 192, 192)));
  dc.Clear();
  const wxBitmap& face = !IsEnabled() ? faces_.disabled : Pressed() ? faces_.down : faces_.up;
  if (face.IsOk()) dc.DrawBitmap(face, 0, 0);
}

void PictureButton::OnLeftDown(wxMouseEvent&) {
  if (!IsEnabled()) return;
  pressed_ = hover_ = true;
  if (!HasCapture() && IsShownOnScreen()) CaptureMouse();
  Refresh(false);
}

void PictureButton::OnLeftUp(wxMouseEvent& event) {
  if (!pressed_) return;
  const bool clicked = GetClientRect().Contains(event.GetPosition());
  pressed_ = false;
  if (HasCapture()) ReleaseMouse();
  Refresh(false);
  if (clicked && IsEnabled()) {
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    ProcessWindowEvent(click);
  }
}

void PictureButton::OnMotion(wxMouseEvent& event) {
  const bool over = GetClientRect().Contains(event.GetPosition());
  if (over != hover_) {
    hover_ = over;
    if (pressed_) Refresh(false);
  }
}

void PictureButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
  pressed_ = false;
  Refresh(false);
}

}  // namespace vx
