#pragma once

#include <wx/dialog.h>

namespace vx {

// The version box, shown from the logo button.
class AboutDialog final : public wxDialog {
 public:
  explicit AboutDialog(wxWindow* parent);
};

}  // namespace vx
