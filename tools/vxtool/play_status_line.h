#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/prompter.h"
#include "player/engine/playback_view.h"

namespace vx::cli {

// The player's panel as one terminal line: elapsed and total time as the time display shows
// them, and the rate lamp that is lit ("Full Rate" or "Half Rate"). On a terminal the line
// is redrawn in place; otherwise each change is a line of its own.
class PlayStatusLine final : public PlaybackView {
 public:
  PlayStatusLine(FILE* out, bool inPlace) : out_(out), inPlace_(inPlace) {}

  void EnablePlay(bool) override {}
  void EnableStop(bool) override {}
  void SetWaitCursor(bool) override {}
  void DrawVolume(double) override {}
  void ClearTimeDisplay() override {}
  void DrawTimes(std::string_view nowText, std::string_view totalText) override;
  void DrawAnimationFrame(int) override {}
  void DrawRateIndicators(bool halfLit, bool fullLit) override;
  void SetSliderRange(int, int) override {}
  void SetSliderPosition(int) override {}

  // Ends a line redrawn in place, so that what is printed next starts on a line of its own.
  void Break();

 private:
  void Show();

  FILE* out_;
  bool inPlace_;
  std::string now_, total_;
  std::string_view lamp_;  // the lit lamp's caption, empty when none is lit
  std::string shown_;
  bool lineOpen_ = false;
};

// Message boxes of another prompter, each on a line of its own below the status line.
class StatusLinePrompter final : public Prompter {
 public:
  StatusLinePrompter(Prompter& inner, PlayStatusLine& line) : inner_(inner), line_(line) {}
  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon icon) override {
    line_.Break();
    return inner_.MessageBox(text, caption, buttons, icon);
  }

 private:
  Prompter& inner_;
  PlayStatusLine& line_;
};

}  // namespace vx::cli
