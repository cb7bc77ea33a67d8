#pragma once

#include <optional>
#include <string>

#include "platform/wx/wx_file_chooser.h"

class wxWindow;

namespace vx {

// The environment variable that hands a program's file dialogs to a script: it names a text
// file whose lines answer the dialogs in turn (a path, or an empty line for Cancel; a dialog
// beyond the last line is cancelled). The file is read again at each dialog, so a script may
// add answers while the program runs.
inline constexpr const char* kChooserAnswersVariable = "VOCRIX_CHOOSER_ANSWERS";

// The file dialogs of a GUI program: wx's, or the answers of the file that
// VOCRIX_CHOOSER_ANSWERS names when it is set.
class ProgramFileChooser final : public FileChooser {
 public:
  ProgramFileChooser();
  std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
  // The window the dialogs belong to.
  void SetParent(wxWindow* parent) { dialogs_.SetParent(parent); }

 private:
  std::optional<std::string> ScriptedAnswer();

  WxFileChooser dialogs_;
  std::string answersPath_;
  size_t asked_ = 0;
};

}  // namespace vx
