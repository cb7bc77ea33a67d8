#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace vx {

// A box the program showed, as a test sees it.
struct RecordedPrompt {
  std::string text;
  std::string caption;
  PromptButtons buttons = PromptButtons::kOk;
  PromptIcon icon = PromptIcon::kNone;
  int answer = 0;
  bool unexpected = false;  // no scripted answer was waiting, or it was not one of the buttons
};

// Answers boxes from a script of queued answers and records every box shown. A box with no
// answer waiting gets the fallback answer (fitted to its buttons) and is marked unexpected.
class ScriptedPrompter final : public Prompter {
 public:
  explicit ScriptedPrompter(int fallbackAnswer = kAnswerCancel) : fallback_(fallbackAnswer) {}

  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon icon) override;

  // Queues the answer to the next box.
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  size_t PendingAnswers() const { return answers_.size(); }

  const std::vector<RecordedPrompt>& Prompts() const { return prompts_; }
  size_t UnexpectedCount() const;
  void Clear() {
    prompts_.clear();
    answers_.clear();
  }

 private:
  int fallback_;
  std::deque<int> answers_;
  std::vector<RecordedPrompt> prompts_;
};

}  // namespace vx
