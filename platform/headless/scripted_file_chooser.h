#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_chooser.h"

namespace vx {

// Answers file dialogs from a script: each queued answer, for an open or a save dialog alike,
// is a path or a cancel; an unscripted dialog is cancelled. Every request is kept for
// inspection.
class ScriptedFileChooser final : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) override {
    requests_.push_back(request);
    return NextAnswer();
  }
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override {
    saveRequests_.push_back(request);
    return NextAnswer();
  }

  void QueueAnswer(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
  const std::vector<OpenFileRequest>& Requests() const { return requests_; }
  const std::vector<SaveFileRequest>& SaveRequests() const { return saveRequests_; }

 private:
  std::optional<std::string> NextAnswer() {
    if (answers_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
  }

  std::deque<std::optional<std::string>> answers_;
  std::vector<OpenFileRequest> requests_;
  std::vector<SaveFileRequest> saveRequests_;
};

}  // namespace vx
