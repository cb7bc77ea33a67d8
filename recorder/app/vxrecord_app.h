#pragma once

#include <memory>

#include "audio/wave_api.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/path_services.h"
#include "recorder/app/main_frame.h"
#include "ui/program_app.h"
#include "ui/single_instance.h"

namespace vx::vxrecord {

// The recorder program: one copy per user, the services its window uses, and the window.
class VxrecordApp final : public ProgramApp {
 public:
  // The start-up sequence. A second copy shows "This Application is already executed!!" and
  // ends in OnRun with exit code 1.
  bool OnInit() override;
  int OnExit() override;

 private:
  RealClock clock_;
  PosixFileOpener files_;
  PosixPathServices paths_;
  std::unique_ptr<WaveApi> waveApi_;
  StringTable strings_;
  RecorderLayout layout_;
  RecorderBitmaps bitmaps_;
  std::unique_ptr<SingleInstance> instance_;
};

}  // namespace vx::vxrecord
