#pragma once

#include <wx/app.h>

#include <memory>

#include "audio/wave_api.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/path_services.h"
#include "platform/wx/wx_prompter.h"
#include "recorder/app/main_frame.h"
#include "ui/program_file_chooser.h"
#include "ui/single_instance.h"

namespace vx::vxrecord {

// The recorder program: one copy per user, the services its window uses, and the window.
class VxrecordApp final : public wxApp {
 public:
  // The start-up sequence. A second copy shows "This Application is already executed!!" and
  // ends in OnRun with exit code 1.
  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;

 private:
  std::unique_ptr<MessageQueue> queue_;
  std::unique_ptr<WxPrompter> prompter_;
  RealClock clock_;
  PosixFileOpener files_;
  PosixPathServices paths_;
  std::unique_ptr<WaveApi> waveApi_;
  ProgramFileChooser fileChooser_;
  StringTable strings_;
  RecorderLayout layout_;
  RecorderBitmaps bitmaps_;
  std::unique_ptr<SingleInstance> instance_;
  CMainFrame* frame_ = nullptr;
  int exitCode_ = 0;
};

}  // namespace vx::vxrecord
