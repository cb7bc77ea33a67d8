#include "ui/program_file_chooser.h"

#include <cstdlib>
#include <fstream>

namespace vx {

ProgramFileChooser::ProgramFileChooser() {
  if (const char* path = std::getenv(kChooserAnswersVariable)) answersPath_ = path;
}

std::optional<std::string> ProgramFileChooser::ChooseOpenFile(const OpenFileRequest& request) {
  if (!answersPath_.empty()) return ScriptedAnswer();
  return dialogs_.ChooseOpenFile(request);
}

std::optional<std::string> ProgramFileChooser::ChooseSaveFile(const SaveFileRequest& request) {
  if (!answersPath_.empty()) return ScriptedAnswer();
  return dialogs_.ChooseSaveFile(request);
}

std::optional<std::string> ProgramFileChooser::ScriptedAnswer() {
  const size_t index = asked_++;
  std::ifstream answers(answersPath_);
  std::string line;
  for (size_t i = 0; std::getline(answers, line); ++i) {
    if (i < index) continue;
    if (line.empty()) return std::nullopt;
    return line;
  }
  return std::nullopt;
}

}  // namespace vx
