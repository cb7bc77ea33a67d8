#pragma once

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

namespace vx {

// A panel drawn into a bitmap of its client's size as its program asks, at once; a paint
// only copies that bitmap to the screen. So what a view drew can be read back without a
// screen, and a repaint never runs the drawing code again.
class CanvasPanel : public wxPanel {
 public:
  CanvasPanel(wxWindow* parent, const wxSize& size);
  const wxBitmap& Canvas() const { return canvas_; }

 protected:
  // Runs `draw` on the bitmap and marks `area` for repainting.
  template <typename Draw>
  void DrawOnCanvas(const wxRect& area, Draw draw) {
    {
      wxMemoryDC dc(canvas_);
      draw(static_cast<wxDC&>(dc));
    }
    RefreshRect(area, false);
  }

 private:
  void OnPaint(wxPaintEvent& event);

  wxBitmap canvas_;
};

}  // namespace vx
