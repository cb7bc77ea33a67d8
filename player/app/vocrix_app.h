#pragma once

#include <wx/filehistory.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/wave_api.h"
#include "io/file_stream.h"
#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "player/app/main_frame.h"
#include "player/app/panel_layout.h"
#include "player/app/panel_resources.h"
#include "player/app/path_atoms.h"
#include "ui/program_app.h"
#include "ui/single_instance.h"
#include "ui/string_table.h"

namespace vx {

// The path the command line names: its arguments joined by single spaces (a path with spaces
// arrives in one piece whether it was quoted or not); empty without arguments.
std::string CommandLinePath(const std::vector<std::string>& arguments);

// The player program: start-up sequence, the services every window shares, and the
// hand-over of later copies' files.
class VocrixApp final : public ProgramApp {
 public:
  // The start-up sequence. A run without a window (no file chosen, a missing file, a file
  // handed to the running copy) ends in OnRun with the exit code: 0, or 1 for a missing file.
  bool OnInit() override;
  int OnExit() override;

  CMainFrame* Frame() const { return static_cast<CMainFrame*>(MainWindow()); }

 private:
  // The path to play: the command line's, or the open dialog's; empty to end.
  std::string TakePath();
  void OnHandedOver(const std::string& path);

  RealClock clock_;
  PosixFileOpener files_;
  std::unique_ptr<WaveApi> waveApi_;
  StringTable strings_;
  PanelLayout layout_;
  PanelBitmaps bitmaps_;
  PathAtoms atoms_;
  wxFileHistory history_{4};
  std::unique_ptr<SingleInstance> handover_;
};

}  // namespace vx
