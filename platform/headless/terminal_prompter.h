#pragma once

#include <iosfwd>
#include <string>

#include "platform/prompter.h"

namespace vx {

// Message boxes on a terminal: prints the caption (or the application title) and the text,
// then reads the answer as a letter (y/n, o/c, y/n/c) when interactive. Without a terminal,
// or when the input ends, it takes the default answer and says so.
class TerminalPrompter final : public Prompter {
 public:
  TerminalPrompter(std::string applicationTitle, std::istream& in, std::ostream& out,
                   bool interactive, int defaultAnswer = kAnswerNo);

  // Standard input and output; interactive when standard input is a terminal.
  static TerminalPrompter ForStdio(std::string applicationTitle, int defaultAnswer = kAnswerNo);

  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon icon) override;

 private:
  std::string title_;
  std::istream& in_;
  std::ostream& out_;
  bool interactive_;
  int default_;
};

}  // namespace vx
