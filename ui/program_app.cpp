#include "ui/program_app.h"

#include <wx/image.h>
#include <wx/log.h>

#include "platform/wx/wx_queue_backend.h"

namespace vx {

int ProgramApp::OnRun() {
  if (window_ == nullptr) return exitCode_;
  return wxApp::OnRun();
}

void ProgramApp::StartProgram(const char* name, const std::string& title) {
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  SetAppName(name);
  SetAppDisplayName(wxString::FromUTF8(title));
  queue_ = MakeWxMessageQueue();
  prompter_ = std::make_unique<WxPrompter>(title);
}

void ProgramApp::ShowMainWindow(wxFrame* window) {
  window_ = window;
  window->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == window_) {
      window_ = nullptr;
      prompter_->SetParent(nullptr);
      fileChooser_.SetParent(nullptr);
    }
    event.Skip();
  });
  prompter_->SetParent(window);
  fileChooser_.SetParent(window);
  window->Show();
  SetTopWindow(window);
}

}  // namespace vx
