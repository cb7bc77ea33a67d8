#include <gtest/gtest.h>

#include <sstream>

#include "platform/headless/scripted_prompter.h"
#include "platform/headless/terminal_prompter.h"

namespace vx {
namespace {

TEST(PrompterTest, AnswerCodesKeepTheirValues) {
  EXPECT_EQ(kAnswerOk, 1);
  EXPECT_EQ(kAnswerCancel, 2);
  EXPECT_EQ(kAnswerYes, 6);
  EXPECT_EQ(kAnswerNo, 7);
}

TEST(PrompterTest, FitAnswerMapsOntoTheButtonsOfTheBox) {
  struct Case {
    PromptButtons buttons;
    int answer;
    int fitted;
  };
  const Case cases[] = {
      {PromptButtons::kOk, kAnswerCancel, kAnswerOk},
      {PromptButtons::kOk, kAnswerNo, kAnswerOk},
      {PromptButtons::kOkCancel, kAnswerYes, kAnswerOk},
      {PromptButtons::kOkCancel, kAnswerNo, kAnswerCancel},
      {PromptButtons::kOkCancel, kAnswerCancel, kAnswerCancel},
      {PromptButtons::kYesNo, kAnswerOk, kAnswerYes},
      {PromptButtons::kYesNo, kAnswerCancel, kAnswerNo},
      {PromptButtons::kYesNoCancel, kAnswerCancel, kAnswerCancel},
      {PromptButtons::kYesNoCancel, kAnswerNo, kAnswerNo},
      {PromptButtons::kYesNoCancel, kAnswerOk, kAnswerYes},
      {PromptButtons::kYesNoCancel, 0, kAnswerNo},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitAnswer(c.buttons, c.answer), c.fitted)
        << static_cast<int>(c.buttons) << " " << c.answer;
  }
}

TEST(ScriptedPrompterTest, AnswersFromTheScriptAndRecordsEveryBox) {
  ScriptedPrompter prompter;
  prompter.QueueAnswer(kAnswerNo);
  prompter.QueueAnswer(kAnswerOk);
  EXPECT_EQ(prompter.MessageBox("File [a] exist. Overwritten?", "", PromptButtons::kYesNoCancel,
                                PromptIcon::kQuestion),
            kAnswerNo);
  EXPECT_EQ(prompter.MessageBox("text", "waveOutWrite()", PromptButtons::kOk, PromptIcon::kNone),
            kAnswerOk);
  ASSERT_EQ(prompter.Prompts().size(), 2u);
  const RecordedPrompt& first = prompter.Prompts()[0];
  EXPECT_EQ(first.text, "File [a] exist. Overwritten?");
  EXPECT_EQ(first.caption, "");
  EXPECT_EQ(first.buttons, PromptButtons::kYesNoCancel);
  EXPECT_EQ(first.icon, PromptIcon::kQuestion);
  EXPECT_EQ(prompter.Prompts()[1].caption, "waveOutWrite()");
  EXPECT_EQ(prompter.UnexpectedCount(), 0u);
  EXPECT_EQ(prompter.PendingAnswers(), 0u);
}

TEST(ScriptedPrompterTest, UnscriptedOrUnfitAnswersAreMarkedUnexpected) {
  ScriptedPrompter prompter(kAnswerCancel);
  EXPECT_EQ(prompter.MessageBox("Retry?", "", PromptButtons::kOkCancel, PromptIcon::kNone),
            kAnswerCancel);
  EXPECT_EQ(prompter.MessageBox("Create?", "", PromptButtons::kYesNo, PromptIcon::kNone), kAnswerNo)
      << "the fallback is fitted to the buttons";
  prompter.QueueAnswer(kAnswerYes);
  EXPECT_EQ(prompter.MessageBox("Retry?", "", PromptButtons::kOkCancel, PromptIcon::kNone),
            kAnswerOk)
      << "a scripted Yes on an OK/Cancel box";
  EXPECT_EQ(prompter.UnexpectedCount(), 3u);
  EXPECT_TRUE(prompter.Prompts()[2].unexpected);
}

TEST(TerminalPrompterTest, InteractiveReadsLettersUntilOneFits) {
  struct Case {
    PromptButtons buttons;
    std::string input;
    int answer;
  };
  const Case cases[] = {
      {PromptButtons::kYesNo, "y\n", kAnswerYes},
      {PromptButtons::kYesNo, "maybe\n  N\n", kAnswerNo},
      {PromptButtons::kYesNo, "c\ny\n", kAnswerYes},  // no Cancel on this box
      {PromptButtons::kOkCancel, "c\n", kAnswerCancel},
      {PromptButtons::kOkCancel, "\no\n", kAnswerOk},
      {PromptButtons::kYesNoCancel, "C\n", kAnswerCancel},
      {PromptButtons::kOk, "\n", kAnswerOk},
      {PromptButtons::kYesNo, "x\n", kAnswerNo},  // input ends: the default answer
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    TerminalPrompter prompter("Vocrix", in, out, true, kAnswerNo);
    EXPECT_EQ(prompter.MessageBox("Question", "Caption", c.buttons, PromptIcon::kQuestion),
              c.answer)
        << c.input;
    EXPECT_NE(out.str().find("[Caption]"), std::string::npos);
    EXPECT_NE(out.str().find("Question"), std::string::npos);
  }
}

TEST(TerminalPrompterTest, WithoutTerminalTakesTheDefaultAndSaysSo) {
  std::istringstream in("y\n");
  std::ostringstream out;
  TerminalPrompter prompter("Vocrix Player", in, out, false, kAnswerYes);
  EXPECT_EQ(
      prompter.MessageBox("Initialize Failed!!", "", PromptButtons::kOkCancel, PromptIcon::kNone),
      kAnswerOk);
  const std::string shown = out.str();
  EXPECT_NE(shown.find("[Vocrix Player] Initialize Failed!!"), std::string::npos)
      << "an empty caption shows the application title: " << shown;
  EXPECT_NE(shown.find("default answer"), std::string::npos) << shown;
  EXPECT_NE(shown.find("OK"), std::string::npos) << shown;
  std::string rest;
  EXPECT_TRUE(std::getline(in, rest)) << "the input was not read";
}

}  // namespace
}  // namespace vx
