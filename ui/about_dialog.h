#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>

#include <string>

namespace vx {

// What a program's version box shows.
struct AboutText {
  std::string caption;  // "About Vocrix Player"
  std::string product;  // "Vocrix Player for Windows95/NT"
  std::string version;  // "Beta Version 0.3"
  std::string maker;    // a line naming the makers; none when empty
  wxBitmap icon;        // the program's icon at the left; none when invalid
};

// The version box, shown from a program's logo button: the product and version, the makers,
// the "Condition/Settings" block and OK.
class AboutDialog final : public wxDialog {
 public:
  AboutDialog(wxWindow* parent, const AboutText& text);
};

}  // namespace vx
