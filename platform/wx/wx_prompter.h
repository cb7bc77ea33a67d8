#pragma once

#include <string>

#include "platform/prompter.h"

class wxWindow;

namespace vx {

// Message boxes as wx message dialogs, answering with the old codes (OK 1, Cancel 2, Yes 6,
// No 7). An empty caption shows the application title given here.
class WxPrompter final : public Prompter {
 public:
  explicit WxPrompter(std::string applicationTitle) : title_(std::move(applicationTitle)) {}

  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon icon) override;

  // The window the boxes are modal to; none makes them belong to the top window.
  void SetParent(wxWindow* parent) { parent_ = parent; }

 private:
  std::string title_;
  wxWindow* parent_ = nullptr;
};

}  // namespace vx
