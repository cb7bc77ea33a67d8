#include "recorder/app/vxrecord_app.h"

#include <cstdio>

#include "audio/alsa_wave_api.h"

namespace vx::vxrecord {

bool VxrecordApp::OnInit() {
  strings_ = LoadRecorderStrings();
  StartProgram("vxrecord", strings_.Text(57344, kDefaultRecorderTitle));
  ReadRecorderLayout(strings_, layout_);
  if (!LoadRecorderBitmaps(bitmaps_)) {
    std::fprintf(stderr, "vxrecord: the window's bitmaps are missing from the program\n");
    return false;
  }

  instance_ = std::make_unique<SingleInstance>("vxrecord", UserRuntimeDirectory());
  if (instance_->AnotherRunning()) {
    prompter_->MessageBox("This Application is already executed!!", "", PromptButtons::kOk,
                          PromptIcon::kNone);
    return EndWithoutWindow(1);
  }

  waveApi_ = std::make_unique<AlsaWaveApi>(*queue_);
  ShowMainWindow(new CMainFrame(
      RecorderResources{RecordingServices{*queue_, *prompter_, clock_, files_, paths_, *waveApi_},
                        fileChooser_, strings_, layout_, bitmaps_}));
  return true;
}

int VxrecordApp::OnExit() {
  instance_.reset();
  return wxApp::OnExit();
}

}  // namespace vx::vxrecord
