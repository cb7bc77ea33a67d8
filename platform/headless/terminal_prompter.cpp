#include "platform/headless/terminal_prompter.h"

#include <unistd.h>

#include <cctype>
#include <iostream>

namespace vx {
namespace {

const char* ChoiceHint(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      return "[Enter = OK]";
    case PromptButtons::kOkCancel:
      return "[o = OK, c = Cancel]";
    case PromptButtons::kYesNo:
      return "[y = Yes, n = No]";
    case PromptButtons::kYesNoCancel:
      return "[y = Yes, n = No, c = Cancel]";
  }
  return "";
}

const char* AnswerName(int answer) {
  switch (answer) {
    case kAnswerOk:
      return "OK";
    case kAnswerCancel:
      return "Cancel";
    case kAnswerYes:
      return "Yes";
    case kAnswerNo:
      return "No";
  }
  return "?";
}

const char* IconTag(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::kNone:
      return "";
    case PromptIcon::kInformation:
      return "(i) ";
    case PromptIcon::kWarning:
      return "(!) ";
    case PromptIcon::kError:
      return "(x) ";
    case PromptIcon::kQuestion:
      return "(?) ";
  }
  return "";
}

// The answer a typed letter stands for, or 0 when the letter is not one of the box's buttons.
int AnswerOfLetter(PromptButtons buttons, char letter) {
  int answer = 0;
  switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 'y':
      answer = kAnswerYes;
      break;
    case 'n':
      answer = kAnswerNo;
      break;
    case 'o':
      answer = kAnswerOk;
      break;
    case 'c':
      answer = kAnswerCancel;
      break;
  }
  return IsAnswerOf(buttons, answer) ? answer : 0;
}

}  // namespace

TerminalPrompter::TerminalPrompter(std::string applicationTitle, std::istream& in,
                                   std::ostream& out, bool interactive, int defaultAnswer)
    : title_(std::move(applicationTitle)),
      in_(in),
      out_(out),
      interactive_(interactive),
      default_(defaultAnswer) {}

TerminalPrompter TerminalPrompter::ForStdio(std::string applicationTitle, int defaultAnswer) {
  return TerminalPrompter(std::move(applicationTitle), std::cin, std::cerr,
                          isatty(STDIN_FILENO) == 1, defaultAnswer);
}

int TerminalPrompter::MessageBox(std::string_view text, std::string_view caption,
                                 PromptButtons buttons, PromptIcon icon) {
  out_ << "[" << (caption.empty() ? std::string_view(title_) : caption) << "] " << IconTag(icon)
       << text << "\n";
  const int fallback = FitAnswer(buttons, default_);
  if (!interactive_) {
    out_ << "-> " << AnswerName(fallback) << " (no terminal to ask; default answer)\n";
    return fallback;
  }
  for (;;) {
    out_ << ChoiceHint(buttons) << " " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      out_ << "\n-> " << AnswerName(fallback) << " (input ended; default answer)\n";
      return fallback;
    }
    if (buttons == PromptButtons::kOk) return kAnswerOk;
    size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos) {
      if (int answer = AnswerOfLetter(buttons, line[first]); answer != 0) return answer;
    }
  }
}

}  // namespace vx
