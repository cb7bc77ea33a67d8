#include "platform/headless/scripted_prompter.h"

#include <algorithm>

namespace vx {

int ScriptedPrompter::MessageBox(std::string_view text, std::string_view caption,
                                 PromptButtons buttons, PromptIcon icon) {
  RecordedPrompt prompt{std::string(text), std::string(caption), buttons, icon, 0, false};
  if (answers_.empty()) {
    prompt.unexpected = true;
    prompt.answer = FitAnswer(buttons, fallback_);
  } else {
    // A scripted answer the box does not offer is a fault of the script.
    prompt.unexpected = !IsAnswerOf(buttons, answers_.front());
    prompt.answer = FitAnswer(buttons, answers_.front());
    answers_.pop_front();
  }
  prompts_.push_back(prompt);
  return prompt.answer;
}

size_t ScriptedPrompter::UnexpectedCount() const {
  return static_cast<size_t>(std::count_if(prompts_.begin(), prompts_.end(),
                                           [](const RecordedPrompt& p) { return p.unexpected; }));
}

}  // namespace vx
