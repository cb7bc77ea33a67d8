#pragma once

#include <wx/frame.h>

#include <functional>
#include <string>

#include "platform/file_chooser.h"
#include "player/app/vocrix_doc.h"
#include "player/app/vocrix_view.h"
#include "ui/about_dialog.h"

class wxFileHistory;

namespace vx {

// The title of the main window and of the program's message boxes (string 57344).
inline constexpr const char* kDefaultPlayerTitle = "Vocrix Player for Windows95/NT";

// The open dialog of the player: Ctrl+O and the start without a file.
OpenFileRequest PlayerOpenRequest();
// What the player's version box shows.
AboutText PlayerAbout();

// What the program's windows are built from; owned by the application object.
struct PlayerResources {
  PlaybackServices services;
  const StringTable& strings;
  const PanelLayout& layout;
  const PanelBitmaps& bitmaps;
  PathAtoms& atoms;
  FileChooser& fileChooser;
  wxFileHistory* history = nullptr;  // the recent-file list, when the program keeps one
};

// The fixed-size main window without menu, whose client area is the view. Its title is always
// the program's. A close asks the view first: during a run the engine stops, drains and then
// closes the window. Files dropped on it and Ctrl+O open another file into the document.
class CMainFrame final : public wxFrame {
 public:
  CMainFrame(const PlayerResources& resources, const std::string& path);
  ~CMainFrame() override;

  CVocrixView& View() { return *view_; }
  CVocrixDoc& Document() { return document_; }
  // The frame's own message target: close, and open-named-file forwarded to the view.
  TargetId Target() const { return target_; }

  // Ctrl+O: asks for a file and opens it into the document.
  void OnFileOpen();

 private:
  void OnMessage(const Message& message);
  void OnCloseWindow(wxCloseEvent& event);
  void OnDropFiles(wxDropFilesEvent& event);
  void OpenFile(const std::string& path);

  PlayerResources resources_;
  CVocrixDoc document_;
  CVocrixView* view_ = nullptr;
  TargetId target_ = kNoTarget;
};

}  // namespace vx
