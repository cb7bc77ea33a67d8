#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_chooser.h"

namespace vx {

// What the pipeline asks of the recorder's window: the GUI's view draws these, the
// command-line tool prints them. The pipeline has done the arithmetic; the view draws what it
// is told at once.
class RecordingView {
 public:
  virtual ~RecordingView() = default;

  // Record is meaningful in Idle; Stop while counting down or recording.
  virtual void EnableRecord(bool enabled) = 0;
  virtual void EnableStop(bool enabled) = 0;
  // The wait cursor, shown while the file and the device are opened, closed or copied.
  virtual void SetWaitCursor(bool shown) = 0;
  // Fills the time box with its background.
  virtual void ClearTimeBox() = 0;
  // Fills the time box and draws the time text (" %2d:%02d" or "-%2d:%02d") in it.
  virtual void DrawTimeText(std::string_view text) = 0;
  // The "Half Rate" and "Full Rate" lamps, each lit or dark. Redrawn at every display update,
  // that is once per loop turn while counting down or recording.
  virtual void DrawRateLamps(bool halfLit, bool fullLit) = 0;
  // The "Full Rate" and "Half Rate" push buttons, each shown pressed or not.
  virtual void ShowRateButtons(bool fullPressed, bool halfPressed) = 0;
  // The save-file dialog: the chosen path, or nothing when it was cancelled.
  virtual std::optional<std::string> ChooseSavePath(const SaveFileRequest& request) = 0;
};

// The document of the recorder: it holds nothing but its path, the temporary file's.
class RecordingDocument {
 public:
  virtual ~RecordingDocument() = default;
  virtual std::string GetPathName() const = 0;
  virtual void SetPathName(const std::string& path) = 0;
};

}  // namespace vx
