#pragma once

#include <wx/app.h>
#include <wx/frame.h>

#include <memory>
#include <string>

#include "platform/message_queue.h"
#include "platform/wx/wx_prompter.h"
#include "ui/program_file_chooser.h"

namespace vx {

// What every GUI program's application object shares: the start-up, the services its windows
// use (the message queue on wx's loop, message boxes, file dialogs), its main window, and a
// run that may end before any window was shown.
class ProgramApp : public wxApp {
 public:
  // Without a main window the program ends at once with the exit code it was given.
  int OnRun() override;

 protected:
  // Problems go to stderr (a modal log box would stop a run without a user), PNG bitmaps can
  // be loaded, and the program is named; the queue and the message boxes, captioned with
  // `title`, are made.
  void StartProgram(const char* name, const std::string& title);
  // Shows the program's main window; message boxes and file dialogs belong to it until it is
  // destroyed.
  void ShowMainWindow(wxFrame* window);
  // OnInit's answer for a run that ends without a window.
  bool EndWithoutWindow(int exitCode) {
    exitCode_ = exitCode;
    return true;
  }
  wxFrame* MainWindow() const { return window_; }

  std::unique_ptr<MessageQueue> queue_;
  std::unique_ptr<WxPrompter> prompter_;
  ProgramFileChooser fileChooser_;

 private:
  wxFrame* window_ = nullptr;
  int exitCode_ = 0;
};

}  // namespace vx
