#include "platform/prompter.h"

namespace vx {

bool IsAnswerOf(PromptButtons buttons, int answer) {
  switch (buttons) {
    case PromptButtons::kOk:
      return answer == kAnswerOk;
    case PromptButtons::kOkCancel:
      return answer == kAnswerOk || answer == kAnswerCancel;
    case PromptButtons::kYesNo:
      return answer == kAnswerYes || answer == kAnswerNo;
    case PromptButtons::kYesNoCancel:
      return answer == kAnswerYes || answer == kAnswerNo || answer == kAnswerCancel;
  }
  return false;
}

int FitAnswer(PromptButtons buttons, int answer) {
  if (IsAnswerOf(buttons, answer)) return answer;
  const bool positive = answer == kAnswerOk || answer == kAnswerYes;
  switch (buttons) {
    case PromptButtons::kOk:
      return kAnswerOk;
    case PromptButtons::kOkCancel:
      return positive ? kAnswerOk : kAnswerCancel;
    case PromptButtons::kYesNo:
      return positive ? kAnswerYes : kAnswerNo;
    case PromptButtons::kYesNoCancel:
      return positive ? kAnswerYes : kAnswerNo;
  }
  return kAnswerCancel;
}

}  // namespace vx
