#include "player/app/vocrix_app.h"

#include <wx/config.h>
#include <wx/filename.h>

#include <cstdio>

#include "audio/alsa_wave_api.h"
#include "platform/path_services.h"

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
  strings_ = LoadPlayerStrings();
  StartProgram("vocrix", strings_.Text(57344, kDefaultPlayerTitle));
  ReadPanelLayout(strings_, layout_);
  if (!LoadPanelBitmaps(bitmaps_)) {
    std::fprintf(stderr, "vocrix: the panel's bitmaps are missing from the program\n");
    return false;
  }

  waveApi_ = std::make_unique<AlsaWaveApi>(*queue_);

  // The recent-file list lives in the user's configuration.
  wxConfigBase::Set(new wxConfig("vocrix"));
  history_.Load(*wxConfigBase::Get());

  // Absolute before anything else: the running copy that may take the path over resolves
  // names against a working directory of its own, and the recent list keeps whole paths.
  std::string path = TakePath();
  if (path.empty()) return EndWithoutWindow(0);
  path = PosixPathServices().FullPath(path).value_or(path);
  if (!wxFileName::FileExists(wxString::FromUTF8(path))) {
    char text[300];
    std::snprintf(text, sizeof text, "File[%s] not found!", path.c_str());
    prompter_->MessageBox(text, "", PromptButtons::kOk, PromptIcon::kNone);
    return EndWithoutWindow(1);
  }

  handover_ = std::make_unique<SingleInstance>("vocrix", UserRuntimeDirectory());
  if (handover_->AnotherRunning()) {
    if (handover_->SendToRunningCopy(path)) return EndWithoutWindow(0);
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
  history_.AddFileToHistory(wxString::FromUTF8(path));
  history_.Save(*wxConfigBase::Get());
  ShowMainWindow(new CMainFrame(resources, path));
  return true;
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
  if (Frame() == nullptr) return;
  const uint32_t atom = atoms_.Add(path);
  queue_->Post(Frame()->Target(), kMsgOpenNamedFile, atom);
}

}  // namespace vx
