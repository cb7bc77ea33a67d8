#include "recorder/app/vxrecord_app.h"

#include <wx/image.h>
#include <wx/log.h>

#include <cstdio>

#include "audio/alsa_wave_api.h"
#include "platform/wx/wx_queue_backend.h"

namespace vx::vxrecord {

bool VxrecordApp::OnInit() {
  // Problems are reported on stderr: a modal log box would stop a run without a user.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  strings_ = LoadRecorderStrings();
  const std::string title = strings_.Text(57344, kDefaultRecorderTitle);
  SetAppName("vxrecord");
  SetAppDisplayName(FromUtf8(title));
  ReadRecorderLayout(strings_, layout_);
  if (!LoadRecorderBitmaps(bitmaps_)) {
    std::fprintf(stderr, "vxrecord: the window's bitmaps are missing from the program\n");
    return false;
  }
  queue_ = MakeWxMessageQueue();
  prompter_ = std::make_unique<WxPrompter>(title);

  instance_ = std::make_unique<SingleInstance>("vxrecord", UserRuntimeDirectory());
  if (instance_->AnotherRunning()) {
    prompter_->MessageBox("This Application is already executed!!", "", PromptButtons::kOk,
                          PromptIcon::kNone);
    exitCode_ = 1;
    return true;
  }

  waveApi_ = std::make_unique<AlsaWaveApi>(*queue_);
  frame_ = new CMainFrame(
      RecorderResources{RecordingServices{*queue_, *prompter_, clock_, files_, paths_, *waveApi_},
                        fileChooser_, strings_, layout_, bitmaps_});
  frame_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame_) {
      frame_ = nullptr;
      prompter_->SetParent(nullptr);
      fileChooser_.SetParent(nullptr);
    }
    event.Skip();
  });
  prompter_->SetParent(frame_);
  fileChooser_.SetParent(frame_);
  frame_->Show();
  SetTopWindow(frame_);
  return true;
}

int VxrecordApp::OnRun() {
  if (frame_ == nullptr) return exitCode_;
  return wxApp::OnRun();
}

int VxrecordApp::OnExit() {
  instance_.reset();
  return wxApp::OnExit();
}

}  // namespace vx::vxrecord
