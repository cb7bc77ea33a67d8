#include "ui/canvas_panel.h"

#include <wx/dcclient.h>

namespace vx {

CanvasPanel::CanvasPanel(wxWindow* parent, const wxSize& size)
    : wxPanel(parent, wxID_ANY, wxPoint(0, 0), size, wxBORDER_NONE | wxTAB_TRAVERSAL),
      canvas_(size.GetWidth(), size.GetHeight(), 24) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CanvasPanel::OnPaint, this);
}

void CanvasPanel::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.DrawBitmap(canvas_, 0, 0);
}

}  // namespace vx
