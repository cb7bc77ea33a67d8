// Draws a program's bitmaps and writes them as PNG files into the directory given.
// The player's (vocrix): the buttons (30 x 30; up, down and disabled), the logo (122 x 40),
// the volume control's background (40 x 70) and knob (30 x 10) and the eight animation frames
// (48 x 48). The recorder's (vxrecord): the record, stop and eject buttons, the logo
// (120 x 40) and the program's icon (48 x 48).
// Run under a display (xvfb-run) from the repository root:
//   cmake --build build --target vx_make_bitmaps
//   xvfb-run -a build/ui/vx_make_bitmaps vocrix res/vocrix
//   xvfb-run -a build/ui/vx_make_bitmaps vxrecord res/vxrecord
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

const wxColour kPanel(192, 192, 192);
const wxColour kLight(255, 255, 255);
const wxColour kShade(128, 128, 128);
const wxColour kDark(0, 0, 0);
const wxColour kNavy(0, 0, 128);
const wxColour kCyan(0, 192, 192);
const wxColour kRecordRed(192, 0, 0);

using Painter = std::function<void(wxGraphicsContext&, wxDC&)>;

bool Write(const std::string& dir, const std::string& name, int width, int height,
           const Painter& paint) {
  wxBitmap bitmap(width, height, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(kPanel));
    dc.Clear();
    wxGraphicsContext* gc = wxGraphicsContext::Create(dc);
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    paint(*gc, dc);
    delete gc;
  }
  const std::string path = dir + "/" + name + ".png";
  if (!bitmap.ConvertToImage().SaveFile(path, wxBITMAP_TYPE_PNG)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// A bevelled face: raised (light above and left), sunken, or flat.
enum class Bevel { kRaised, kSunken, kFlat };

void Face(wxDC& dc, int width, int height, Bevel bevel) {
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(kPanel));
  dc.DrawRectangle(0, 0, width, height);
  const wxColour outerTopLeft = bevel == Bevel::kSunken ? kDark : kLight;
  const wxColour outerBottomRight = bevel == Bevel::kSunken ? kLight : kDark;
  const wxColour innerBottomRight = bevel == Bevel::kSunken ? kPanel : kShade;
  const wxColour innerTopLeft = bevel == Bevel::kSunken ? kShade : kPanel;
  if (bevel == Bevel::kFlat) {
    dc.SetPen(wxPen(kShade));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, width, height);
    return;
  }
  auto frame = [&](int inset, const wxColour& topLeft, const wxColour& bottomRight) {
    const int r = width - 1 - inset, b = height - 1 - inset;
    dc.SetPen(wxPen(topLeft));
    dc.DrawLine(inset, inset, r, inset);
    dc.DrawLine(inset, inset, inset, b);
    dc.SetPen(wxPen(bottomRight));
    dc.DrawLine(inset, b, r + 1, b);
    dc.DrawLine(r, inset, r, b);
  };
  frame(0, outerTopLeft, outerBottomRight);
  frame(1, innerTopLeft, innerBottomRight);
}

// The glyphs of the three buttons, drawn into a 30 x 30 face around (cx, cy).
enum class Glyph { kPlay, kStop, kEject, kRecord };

void DrawGlyph(wxGraphicsContext& gc, Glyph glyph, double cx, double cy, const wxColour& colour) {
  gc.SetPen(*wxTRANSPARENT_PEN);
  gc.SetBrush(wxBrush(colour));
  wxGraphicsPath path = gc.CreatePath();
  switch (glyph) {
    case Glyph::kPlay:
      path.MoveToPoint(cx - 5, cy - 8);
      path.AddLineToPoint(cx + 8, cy);
      path.AddLineToPoint(cx - 5, cy + 8);
      path.CloseSubpath();
      gc.FillPath(path);
      break;
    case Glyph::kStop:
      gc.DrawRectangle(cx - 7, cy - 7, 14, 14);
      break;
    case Glyph::kEject:
      path.MoveToPoint(cx, cy - 9);
      path.AddLineToPoint(cx + 8, cy + 1);
      path.AddLineToPoint(cx - 8, cy + 1);
      path.CloseSubpath();
      gc.FillPath(path);
      gc.DrawRectangle(cx - 8, cy + 4, 16, 4);
      break;
    case Glyph::kRecord:
      gc.DrawEllipse(cx - 7, cy - 7, 14, 14);
      break;
  }
}

bool WriteButton(const std::string& dir, const std::string& stem, Glyph glyph,
                 const wxColour& colour) {
  bool ok = Write(dir, stem + "U", 30, 30, [&](wxGraphicsContext& gc, wxDC& dc) {
    Face(dc, 30, 30, Bevel::kRaised);
    DrawGlyph(gc, glyph, 14.5, 14.5, colour);
  });
  // Down: sunken, the glyph one pixel right and down.
  ok &= Write(dir, stem + "D", 30, 30, [&](wxGraphicsContext& gc, wxDC& dc) {
    Face(dc, 30, 30, Bevel::kSunken);
    DrawGlyph(gc, glyph, 15.5, 15.5, colour);
  });
  // Disabled: flat, the glyph grey with a white emboss.
  ok &= Write(dir, stem + "X", 30, 30, [&](wxGraphicsContext& gc, wxDC& dc) {
    Face(dc, 30, 30, Bevel::kFlat);
    DrawGlyph(gc, glyph, 15.5, 15.5, kLight);
    DrawGlyph(gc, glyph, 14.5, 14.5, kShade);
  });
  return ok;
}

// The navy "Vocrix" logo with a cyan waveform, `width` pixels wide.
bool WriteLogo(const std::string& dir, int width) {
  return Write(dir, "LOGOU", width, 40, [width](wxGraphicsContext& gc, wxDC& dc) {
    gc.SetPen(wxPen(kDark));
    gc.SetBrush(gc.CreateLinearGradientBrush(0, 0, 0, 40, wxColour(0, 0, 160), wxColour(0, 0, 64)));
    gc.DrawRoundedRectangle(0.5, 0.5, width - 1, 39, 6);
    // A short speech waveform at the left.
    gc.SetPen(wxPen(kCyan, 2));
    wxGraphicsPath wave = gc.CreatePath();
    for (int x = 0; x <= 26; ++x) {
      const double envelope = std::sin(x * M_PI / 26);
      const double y = 20 - 12 * envelope * std::sin(x * 1.3);
      if (x == 0)
        wave.MoveToPoint(8 + x, y);
      else
        wave.AddLineToPoint(8 + x, y);
    }
    gc.StrokePath(wave);
    wxFont font(
        wxFontInfo(wxSize(0, 22)).Family(wxFONTFAMILY_ROMAN).FaceName("Liberation Serif").Bold());
    gc.SetFont(font, kLight);
    double w = 0, h = 0;
    gc.GetTextExtent("Vocrix", &w, &h);
    gc.DrawText("Vocrix", 40 + (width - 46 - w) / 2, (40 - h) / 2);
    (void)dc;
  });
}

bool WriteVolume(const std::string& dir) {
  bool ok = Write(dir, "125", 40, 70, [](wxGraphicsContext& gc, wxDC& dc) {
    Face(dc, 40, 70, Bevel::kSunken);
    // A wedge that widens toward the top (loud), and the slot the knob runs in.
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kShade));
    wxGraphicsPath wedge = gc.CreatePath();
    wedge.MoveToPoint(30, 6);
    wedge.AddLineToPoint(36, 6);
    wedge.AddLineToPoint(36, 64);
    wedge.CloseSubpath();
    gc.FillPath(wedge);
    gc.SetBrush(wxBrush(kDark));
    gc.DrawRectangle(18, 5, 4, 60);
    dc.SetPen(wxPen(kDark));
    for (int y = 10; y <= 60; y += 10) dc.DrawLine(5, y, 10, y);
  });
  ok &= Write(dir, "126", 30, 10, [](wxGraphicsContext&, wxDC& dc) {
    Face(dc, 30, 10, Bevel::kRaised);
    dc.SetPen(wxPen(kDark));
    dc.DrawLine(3, 4, 27, 4);
    dc.SetPen(wxPen(kLight));
    dc.DrawLine(3, 5, 27, 5);
  });
  return ok;
}

// Eight frames of a sound-level meter: five bars rising and falling in turn.
bool WriteAnimation(const std::string& dir) {
  const int ids[] = {135, 137, 138, 139, 140, 141, 142, 143};
  bool ok = true;
  for (int frame = 0; frame < 8; ++frame) {
    ok &= Write(dir, std::to_string(ids[frame]), 48, 48, [frame](wxGraphicsContext& gc, wxDC& dc) {
      Face(dc, 48, 48, Bevel::kSunken);
      gc.SetPen(*wxTRANSPARENT_PEN);
      gc.SetBrush(wxBrush(kNavy));
      gc.DrawRectangle(2, 2, 44, 44);
      for (int bar = 0; bar < 5; ++bar) {
        const double phase = (frame + bar * 1.7) * M_PI / 4;
        const double height = 8 + 28 * (0.5 + 0.5 * std::sin(phase));
        gc.SetBrush(wxBrush(kCyan));
        gc.DrawRectangle(6 + bar * 8, 42 - height, 6, height);
      }
    });
  }
  return ok;
}

// The recorder's icon: a red record mark on a navy face.
bool WriteRecorderIcon(const std::string& dir) {
  return Write(dir, "vxrecord", 48, 48, [](wxGraphicsContext& gc, wxDC& dc) {
    Face(dc, 48, 48, Bevel::kSunken);
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(wxBrush(kNavy));
    gc.DrawRectangle(2, 2, 44, 44);
    gc.SetPen(wxPen(kLight, 2));
    gc.SetBrush(wxBrush(kRecordRed));
    gc.DrawEllipse(10, 10, 28, 28);
  });
}

class MakerApp final : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(MakerApp);

int main(int argc, char** argv) {
  const std::string program = argc == 3 ? argv[1] : "";
  if (program != "vocrix" && program != "vxrecord") {
    std::fprintf(stderr, "usage: vx_make_bitmaps vocrix|vxrecord <output directory>\n");
    return 2;
  }
  wxApp::SetInstance(new MakerApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "wx cannot start (no display?)\n");
    return 1;
  }
  wxInitAllImageHandlers();
  const std::string dir = argv[2];
  bool ok = WriteButton(dir, "STOP", Glyph::kStop, wxColour(128, 0, 0));
  ok &= WriteButton(dir, "EXIT", Glyph::kEject, kDark);
  if (program == "vocrix") {
    ok &= WriteButton(dir, "PLAY", Glyph::kPlay, wxColour(0, 96, 0));
    ok &= WriteLogo(dir, 122);
    ok &= WriteVolume(dir);
    ok &= WriteAnimation(dir);
  } else {
    ok &= WriteButton(dir, "REC", Glyph::kRecord, kRecordRed);
    ok &= WriteLogo(dir, 120);
    ok &= WriteRecorderIcon(dir);
  }
  wxEntryCleanup();
  return ok ? 0 : 1;
}
