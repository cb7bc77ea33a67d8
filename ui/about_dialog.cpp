#include "ui/about_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "ui/panel_drawing.h"

namespace vx {

AboutDialog::AboutDialog(wxWindow* parent, const AboutText& text)
    : wxDialog(parent, wxID_ANY, FromUtf8(text.caption)) {
  SetBackgroundColour(panel_colour::kBackground);
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* heading = new wxBoxSizer(wxHORIZONTAL);
  if (text.icon.IsOk())
    heading->Add(new wxStaticBitmap(this, wxID_ANY, text.icon), 0, wxRIGHT | wxALIGN_TOP, 8);
  auto* names = new wxBoxSizer(wxVERTICAL);
  names->Add(new wxStaticText(this, wxID_ANY, FromUtf8(text.product)));
  names->Add(new wxStaticText(this, wxID_ANY, FromUtf8(text.version)), 0, wxTOP, 4);
  if (!text.maker.empty())
    names->Add(new wxStaticText(this, wxID_ANY, FromUtf8(text.maker)), 0, wxTOP, 8);
  heading->Add(names);
  column->Add(heading, 0, wxALL, 8);

  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Condition/Settings");
  auto* grid = new wxFlexGridSizer(2, wxSize(12, 4));
  const char* rows[][2] = {
      {"CPU", ":Above Pentium90MHz"}, {"MEMORY", ":Above 16MByte"}, {"OS", ":Windows95 or NT4.0"}};
  for (const auto& row : rows) {
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, row[0]));
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, row[1]));
  }
  box->Add(grid, 0, wxALL, 6);
  column->Add(box, 0, wxLEFT | wxRIGHT | wxEXPAND, 8);
  column->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 8);
  SetSizerAndFit(column);
  CentreOnParent();
}

}  // namespace vx
