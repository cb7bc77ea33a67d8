#include "player/app/vocrix_app.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cstdio>

#include "audio/alsa_wave_api.h"
#include "platform/path_services.h"
#include "platform/wx/wx_queue_backend.h"

namespace vx {

std::string CommandLinePath(const std::vector<std::string>& arguments) {
  std::string path;
  for (const std::string& argument : arguments) {
    if (!path.empty()) path += ' ';
    path += argument;
  }
  return path;
}

bool VocrixApp::OnInit() {
  // Problems are reported on stderr: a modal log box would stop a run without a user.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  strings_ = LoadPlayerStrings();
  const std::string title = strings_.Text(57344, kDefaultPlayerTitle);
  SetAppName("vocrix");
  SetAppDisplayName(wxString::FromUTF8(title));
  ReadPanelLayout(strings_, layout_);
  if (!LoadPanelBitmaps(bitmaps_)) {
    std::fprintf(stderr, "vocrix: the panel's bitmaps are missing from the program\n");
    return false;
  }

  queue_ = MakeWxMessageQueue();
  prompter_ = std::make_unique<WxPrompter>(title);
  waveApi_ = std::make_unique<AlsaWaveApi>(*queue_);

  // The recent-file list lives in the user's configuration.
  wxConfigBase::Set(new wxConfig("vocrix"));
  history_.Load(*wxConfigBase::Get());

  // Ending without a window: the program still starts its loop, which OnRun skips.
  // Absolute before anything else: the running copy that may take the path over resolves
  // names against a working directory of its own, and the recent list keeps whole paths.
  std::string path = TakePath();
  if (path.empty()) return true;
  path = PosixPathServices().FullPath(path).value_or(path);
  if (!wxFileName::FileExists(wxString::FromUTF8(path))) {
    char text[300];
    std::snprintf(text, sizeof text, "File[%s] not found!", path.c_str());
    prompter_->MessageBox(text, "", PromptButtons::kOk, PromptIcon::kNone);
    exitCode_ = 1;
    return true;
  }

  handover_ = std::make_unique<SingleInstance>("vocrix", UserRuntimeDirectory());
  if (handover_->AnotherRunning()) {
    if (handover_->SendToRunningCopy(path)) return true;
    std::fprintf(stderr, "vocrix: the running copy cannot be reached; starting anew\n");
  }
  if (!handover_->Serve([this](const std::string& p) { OnHandedOver(p); }))
    std::fprintf(stderr, "vocrix: cannot serve %s for later copies\n",
                 handover_->SocketPath().c_str());

  PlayerResources resources{PlaybackServices{*queue_, *prompter_, clock_, files_, *waveApi_},
                            strings_,
                            layout_,
                            bitmaps_,
                            atoms_,
                            fileChooser_,
                            &history_};
  frame_ = new CMainFrame(resources, path);
  frame_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame_) {
      frame_ = nullptr;
      prompter_->SetParent(nullptr);
      fileChooser_.SetParent(nullptr);
    }
    event.Skip();
  });
  history_.AddFileToHistory(wxString::FromUTF8(path));
  history_.Save(*wxConfigBase::Get());
  prompter_->SetParent(frame_);
  fileChooser_.SetParent(frame_);
  frame_->Show();
  SetTopWindow(frame_);
  return true;
}

int VocrixApp::OnRun() {
  if (frame_ == nullptr) return exitCode_;
  return wxApp::OnRun();
}

int VocrixApp::OnExit() {
  handover_.reset();
  if (wxConfigBase* config = wxConfigBase::Get()) config->Flush();
  delete wxConfigBase::Set(nullptr);
  return wxApp::OnExit();
}

std::string VocrixApp::TakePath() {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i].utf8_str());
  const std::string path = CommandLinePath(arguments);
  if (!path.empty()) return path;
  return fileChooser_.ChooseOpenFile(PlayerOpenRequest()).value_or(std::string());
}

void VocrixApp::OnHandedOver(const std::string& path) {
  if (frame_ == nullptr) return;
  const uint32_t atom = atoms_.Add(path);
  queue_->Post(frame_->Target(), kMsgOpenNamedFile, atom);
}

}  // namespace vx
