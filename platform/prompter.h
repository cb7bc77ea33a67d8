#pragma once

#include <string_view>

namespace vx {

enum class PromptButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class PromptIcon { kNone, kInformation, kWarning, kError, kQuestion };

// Answers of a message box, with the codes the programs have always compared against.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Shows message boxes. An empty caption stands for the application title.
class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows the text and returns the answer code of the button chosen.
  virtual int MessageBox(std::string_view text, std::string_view caption,
                         PromptButtons buttons = PromptButtons::kOk,
                         PromptIcon icon = PromptIcon::kNone) = 0;
};

// True when `answer` is one of the buttons of the box.
bool IsAnswerOf(PromptButtons buttons, int answer);

// Maps an answer onto the buttons of a box: an answer the box has stands; otherwise Yes and
// OK stand for each other, and so do No and Cancel; a box with only OK answers OK.
int FitAnswer(PromptButtons buttons, int answer);

}  // namespace vx
