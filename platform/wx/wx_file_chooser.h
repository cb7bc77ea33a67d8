#pragma once

#include "platform/file_chooser.h"

class wxWindow;

namespace vx {

// The file dialogs of wx.
class WxFileChooser final : public FileChooser {
 public:
  explicit WxFileChooser(wxWindow* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
  void SetParent(wxWindow* parent) { parent_ = parent; }

 private:
  wxWindow* parent_;
};

// The old filter ("A (*.a)|*.a|B|*.b||") as a wx wildcard: the closing "||" dropped.
std::string WildcardOfFilter(const std::string& filter);

}  // namespace vx
