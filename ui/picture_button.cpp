#include "ui/picture_button.h"

#include <wx/dcbuffer.h>

#include "ui/panel_drawing.h"

namespace vx {
namespace {

bool IsPressKey(int code) {
  return code == WXK_SPACE || code == WXK_RETURN || code == WXK_NUMPAD_ENTER;
}

}  // namespace

PictureButton::PictureButton(wxWindow* parent, wxWindowID id, const ButtonFaces& faces,
                             const wxRect& place)
    : wxWindow(parent, id, place.GetPosition(), place.GetSize(),
               wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
      faces_(faces) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &PictureButton::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &PictureButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &PictureButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &PictureButton::OnLeftUp, this);
  Bind(wxEVT_MOTION, &PictureButton::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &PictureButton::OnCaptureLost, this);
  Bind(wxEVT_KEY_DOWN, &PictureButton::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, &PictureButton::OnKeyUp, this);
  Bind(wxEVT_SET_FOCUS, &PictureButton::OnFocusChange, this);
  Bind(wxEVT_KILL_FOCUS, &PictureButton::OnFocusChange, this);
}

bool PictureButton::Enable(bool enable) {
  const bool changed = wxWindow::Enable(enable);
  if (!enable) pressed_ = keyHeld_ = false;
  Refresh(false);
  return changed;
}

void PictureButton::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(panel_colour::kBackground));
  dc.Clear();
  const wxBitmap& face = !IsEnabled() ? faces_.disabled : Pressed() ? faces_.down : faces_.up;
  if (face.IsOk()) dc.DrawBitmap(face, 0, 0);
  if (HasFocus() && IsEnabled()) {
    dc.SetPen(wxPen(panel_colour::kShadow, 1, wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(GetClientRect().Deflate(3));
  }
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
  if (clicked) Click();
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

void PictureButton::OnKeyDown(wxKeyEvent& event) {
  // Other keys, Tab among them, go on to the panel's navigation.
  if (!IsPressKey(event.GetKeyCode()) || !IsEnabled()) {
    event.Skip();
    return;
  }
  keyHeld_ = true;
  Refresh(false);
}

void PictureButton::OnKeyUp(wxKeyEvent& event) {
  if (!IsPressKey(event.GetKeyCode()) || !keyHeld_) {
    event.Skip();
    return;
  }
  keyHeld_ = false;
  Refresh(false);
  Click();
}

void PictureButton::OnFocusChange(wxFocusEvent& event) {
  keyHeld_ = false;
  Refresh(false);
  event.Skip();
}

void PictureButton::Click() {
  if (!IsEnabled()) return;
  wxCommandEvent click(wxEVT_BUTTON, GetId());
  click.SetEventObject(this);
  ProcessWindowEvent(click);
}

}  // namespace vx
