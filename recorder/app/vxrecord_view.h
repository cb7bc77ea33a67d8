#pragma once

#include <wx/tglbtn.h>

#include <functional>

#include "platform/file_chooser.h"
#include "recorder/app/recorder_layout.h"
#include "recorder/app/recorder_resources.h"
#include "recorder/app/vxrecord_doc.h"
#include "recorder/pipeline/recording_pipeline.h"
#include "ui/canvas_panel.h"
#include "ui/picture_button.h"
#include "ui/wait_cursor.h"

namespace vx::vxrecord {

// Identifiers of the window's controls.
inline constexpr int kIdRecordButton = 1000;
inline constexpr int kIdStopButton = 1001;
inline constexpr int kIdExitButton = 1002;
inline constexpr int kIdLogoButton = 1013;
inline constexpr int kIdFullRateButton = 1014;
inline constexpr int kIdHalfRateButton = 1015;

// The recorder's view: the window's controls, captions, time box and lamps over the recording
// pipeline, drawn on a canvas as the pipeline asks. Buttons are routed to the pipeline; the
// save step asks for the name through the program's file chooser.
class CVxrecordView final : public CanvasPanel, public RecordingView {
 public:
  CVxrecordView(wxWindow* parent, RecordingServices services, FileChooser& chooser,
                CVxrecordDoc& document, const RecorderLayout& layout,
                const RecorderBitmaps& bitmaps);

  // Creates the controls, draws the window and shows the rate of the pipeline.
  void OnInitialUpdate();
  // The About window, shown from the logo when the pipeline allows it.
  void SetShowAbout(std::function<void()> showAbout) { showAbout_ = std::move(showAbout); }

  RecordingPipeline& Pipeline() { return pipeline_; }
  PictureButton* Button(int id) const;
  wxToggleButton* RateButton(int id) const;

  // RecordingView.
  void EnableRecord(bool enabled) override;
  void EnableStop(bool enabled) override;
  void SetWaitCursor(bool shown) override;
  void ClearTimeBox() override;
  void DrawTimeText(std::string_view text) override;
  void DrawRateLamps(bool halfLit, bool fullLit) override;
  void ShowRateButtons(bool fullPressed, bool halfPressed) override;
  std::optional<std::string> ChooseSavePath(const SaveFileRequest& request) override;

 private:
  void OnButton(wxCommandEvent& event);
  void OnRateButton(wxCommandEvent& event);

  FileChooser& chooser_;
  const RecorderLayout& layout_;
  const RecorderBitmaps& bitmaps_;
  RecordingPipeline pipeline_;

  PictureButton* logoButton_ = nullptr;
  PictureButton* exitButton_ = nullptr;
  PictureButton* stopButton_ = nullptr;
  PictureButton* recordButton_ = nullptr;
  wxToggleButton* fullButton_ = nullptr;
  wxToggleButton* halfButton_ = nullptr;
  std::function<void()> showAbout_;
  WaitCursor waitCursor_;
};

}  // namespace vx::vxrecord
