#include "platform/wx/wx_file_chooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

namespace vx {

std::string WildcardOfFilter(const std::string& filter) {
  std::string wildcard = filter;
  while (!wildcard.empty() && wildcard.back() == '|') wildcard.pop_back();
  return wildcard;
}

namespace {

// Shows the dialog; the chosen path, with the default extension added to a typed name without
// one that names no existing file.
std::optional<std::string> Choose(wxWindow* parent, long style, std::string_view initialName,
                                  std::string_view filter, std::string_view defaultExtension) {
  wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxEmptyString,
                      wxString::FromUTF8(initialName.data(), initialName.size()),
                      wxString::FromUTF8(WildcardOfFilter(std::string(filter))), style);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  wxFileName name(dialog.GetPath());
  if (!name.HasExt() && !name.FileExists() && !defaultExtension.empty())
    name.SetExt(wxString::FromUTF8(defaultExtension.data(), defaultExtension.size()));
  return std::string(name.GetFullPath().utf8_str());
}

}  // namespace

std::optional<std::string> WxFileChooser::ChooseOpenFile(const OpenFileRequest& request) {
  long style = wxFD_OPEN;
  if (request.mustExist) style |= wxFD_FILE_MUST_EXIST;
  return Choose(parent_, style, request.initialName, request.filter, request.defaultExtension);
}

std::optional<std::string> WxFileChooser::ChooseSaveFile(const SaveFileRequest& request) {
  // The toolkit's save dialog only offers directories that exist.
  long style = wxFD_SAVE;
  if (request.promptOverwrite) style |= wxFD_OVERWRITE_PROMPT;
  return Choose(parent_, style, request.initialName, request.filter, request.defaultExtension);
}

}  // namespace vx
