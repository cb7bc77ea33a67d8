#include "platform/wx/wx_prompter.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

namespace vx {
namespace {

long ButtonStyle(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      return wxOK;
    case PromptButtons::kOkCancel:
      return wxOK | wxCANCEL;
    case PromptButtons::kYesNo:
      return wxYES_NO;
    case PromptButtons::kYesNoCancel:
      return wxYES_NO | wxCANCEL;
  }
  return wxOK;
}

long IconStyle(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::kNone:
      return wxICON_NONE;
    case PromptIcon::kInformation:
      return wxICON_INFORMATION;
    case PromptIcon::kWarning:
      return wxICON_WARNING;
    case PromptIcon::kError:
      return wxICON_ERROR;
    case PromptIcon::kQuestion:
      return wxICON_QUESTION;
  }
  return wxICON_NONE;
}

int AnswerCode(int dialogResult) {
  switch (dialogResult) {
    case wxID_OK:
      return kAnswerOk;
    case wxID_YES:
      return kAnswerYes;
    case wxID_NO:
      return kAnswerNo;
    default:
      return kAnswerCancel;  // also a box closed from its title bar
  }
}

wxString FromUtf8(std::string_view text) {
  return wxString::FromUTF8(text.data(), text.size());
}

}  // namespace

int WxPrompter::MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                           PromptIcon icon) {
  wxWindow* parent = parent_ != nullptr    ? parent_
                     : wxTheApp != nullptr ? wxTheApp->GetTopWindow()
                                           : nullptr;
  wxMessageDialog dialog(parent, FromUtf8(text), FromUtf8(caption.empty() ? title_ : caption),
                         ButtonStyle(buttons) | IconStyle(icon));
  return FitAnswer(buttons, AnswerCode(dialog.ShowModal()));
}

}  // namespace vx
