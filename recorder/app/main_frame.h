#pragma once

#include <wx/frame.h>

#include "recorder/app/vxrecord_view.h"
#include "ui/about_dialog.h"

namespace vx::vxrecord {

// The title of the main window and of the program's message boxes (string 57344).
inline constexpr const char* kDefaultRecorderTitle = "Vocrix Recoder for Windows95/NT";

// What the recorder's version box shows.
AboutText RecorderAbout(const wxBitmap& icon);

// What the program's window is built from; owned by the application object.
struct RecorderResources {
  RecordingServices services;
  FileChooser& fileChooser;
  const StringTable& strings;
  const RecorderLayout& layout;
  const RecorderBitmaps& bitmaps;
};

// The fixed-size main window without menu, whose client area is the view; its title is
// always the program's. A close while a recording is under way is put off until the
// recording has been stopped and its save step has finished.
class CMainFrame final : public wxFrame {
 public:
  explicit CMainFrame(const RecorderResources& resources);
  ~CMainFrame() override;

  CVxrecordView& View() { return *view_; }
  // The frame's own message target: the pipeline's close requests.
  TargetId Target() const { return target_; }

 private:
  void OnCloseWindow(wxCloseEvent& event);

  MessageQueue& queue_;
  CVxrecordDoc document_;
  CVxrecordView* view_ = nullptr;
  TargetId target_ = kNoTarget;
};

}  // namespace vx::vxrecord
