#include "platform/wx/wx_file_chooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

namespace vx {

std::string WildcardOfFilter(const std::string& filter) {
  std::string wildcard = filter;
  while (!wildcard.empty() && wildcard.back() == '|') wildcard.pop_back();
  return wildcard;
}

std::optional<std::string> WxFileChooser::ChooseOpenFile(const OpenFileRequest& request) {
  long style = wxFD_OPEN;
  if (request.mustExist) style |= wxFD_FILE_MUST_EXIST;
  wxFileDialog dialog(parent_, wxFileSelectorPromptStr, wxEmptyString,
                      wxString::FromUTF8(request.initialName),
                      wxString::FromUTF8(WildcardOfFilter(request.filter)), style);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  wxFileName name(dialog.GetPath());
  if (!name.HasExt() && !name.FileExists() && !request.defaultExtension.empty())
    name.SetExt(wxString::FromUTF8(request.defaultExtension));
  return std::string(name.GetFullPath().utf8_str());
}

}  // namespace vx
