#include "player/app/about_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace vx {

AboutDialog::AboutDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Vocrix Player") {
  SetBackgroundColour(wxColour(192, 192, 192));
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, "Vocrix Player for Windows95/NT"), 0, wxALL, 8);
  column->Add(new wxStaticText(this, wxID_ANY, "Beta Version 0.3"), 0, wxLEFT | wxRIGHT, 8);
  column->Add(new wxStaticText(this, wxID_ANY, "Made by the Vocrix developers"), 0, wxALL, 8);

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
