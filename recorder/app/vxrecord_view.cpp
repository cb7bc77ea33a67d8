#include "recorder/app/vxrecord_view.h"

#include "recorder/pipeline/time_display.h"
#include "ui/panel_drawing.h"

namespace vx::vxrecord {

CVxrecordView::CVxrecordView(wxWindow* parent, RecordingServices services, FileChooser& chooser,
                             CVxrecordDoc& document, const RecorderLayout& layout,
                             const RecorderBitmaps& bitmaps)
    : CanvasPanel(parent, wxSize(layout.clientWidth, layout.clientHeight)),
      chooser_(chooser),
      layout_(layout),
      bitmaps_(bitmaps),
      pipeline_(services, *this, document) {
  Bind(wxEVT_BUTTON, &CVxrecordView::OnButton, this);
  Bind(wxEVT_TOGGLEBUTTON, &CVxrecordView::OnRateButton, this);
}

void CVxrecordView::OnInitialUpdate() {
  // Tab moves through the buttons in their order across the window.
  logoButton_ = new PictureButton(this, kIdLogoButton, bitmaps_.logo, layout_.logo.Rect());
  exitButton_ = new PictureButton(this, kIdExitButton, bitmaps_.exit, layout_.exit.Rect());
  stopButton_ = new PictureButton(this, kIdStopButton, bitmaps_.stop, layout_.stop.Rect());
  recordButton_ = new PictureButton(this, kIdRecordButton, bitmaps_.record, layout_.record.Rect());
  auto rateButton = [this](int id, const std::string& text, const ControlPlace& place) {
    auto* button = new wxToggleButton(this, id, FromUtf8(text), place.Rect().GetPosition(),
                                      place.Rect().GetSize());
    button->SetFont(PanelFont(12, kLabelWeight));
    return button;
  };
  fullButton_ = rateButton(kIdFullRateButton, layout_.fullRateText, layout_.fullButton);
  halfButton_ = rateButton(kIdHalfRateButton, layout_.halfRateText, layout_.halfButton);

  DrawOnCanvas(GetClientRect(), [this](wxDC& dc) {
    FillBox(dc, GetClientRect(), panel_colour::kBackground);
    for (const RecorderLayout::Caption& caption : layout_.captions)
      DrawShadowedText(dc, caption.text, caption.place);
  });
  pipeline_.UpdateTimeDisplay(kRecordTimeReset);
  pipeline_.InitialUpdate();
}

PictureButton* CVxrecordView::Button(int id) const {
  switch (id) {
    case kIdLogoButton:
      return logoButton_;
    case kIdExitButton:
      return exitButton_;
    case kIdStopButton:
      return stopButton_;
    case kIdRecordButton:
      return recordButton_;
    default:
      return nullptr;
  }
}

wxToggleButton* CVxrecordView::RateButton(int id) const {
  return id == kIdFullRateButton ? fullButton_ : id == kIdHalfRateButton ? halfButton_ : nullptr;
}

void CVxrecordView::OnButton(wxCommandEvent& event) {
  switch (event.GetId()) {
    case kIdRecordButton:
      pipeline_.OnRecord();
      break;
    case kIdStopButton:
      pipeline_.OnStop();
      break;
    case kIdExitButton:
      pipeline_.OnExit();
      break;
    case kIdLogoButton:
      if (pipeline_.AboutAllowed() && showAbout_) showAbout_();
      break;
    default:
      event.Skip();
  }
}

void CVxrecordView::OnRateButton(wxCommandEvent& event) {
  // The pipeline decides the mode and shows both buttons again, whatever was clicked.
  if (event.GetId() == kIdFullRateButton)
    pipeline_.OnFullRate();
  else if (event.GetId() == kIdHalfRateButton)
    pipeline_.OnHalfRate();
  else
    event.Skip();
}

void CVxrecordView::EnableRecord(bool enabled) {
  if (recordButton_ != nullptr) recordButton_->Enable(enabled);
}

void CVxrecordView::EnableStop(bool enabled) {
  if (stopButton_ != nullptr) stopButton_->Enable(enabled);
}

void CVxrecordView::SetWaitCursor(bool shown) {
  waitCursor_.Show(shown);
}

void CVxrecordView::ClearTimeBox() {
  DrawOnCanvas(layout_.TimeBox(),
               [this](wxDC& dc) { FillBox(dc, layout_.TimeBox(), panel_colour::kTimeBackground); });
}

void CVxrecordView::DrawTimeText(std::string_view text) {
  DrawOnCanvas(layout_.TimeBox(), [&](wxDC& dc) {
    FillBox(dc, layout_.TimeBox(), panel_colour::kTimeBackground);
    DrawRightAlignedText(dc, text, layout_.timeText);
  });
}

void CVxrecordView::DrawRateLamps(bool halfLit, bool fullLit) {
  DrawOnCanvas(RateLampsArea(layout_.halfLamp, layout_.fullLamp, layout_.boxRight), [&](wxDC& dc) {
    vx::DrawRateLamps(dc, {layout_.halfRateText, layout_.halfLamp, halfLit},
                      {layout_.fullRateText, layout_.fullLamp, fullLit});
  });
}

void CVxrecordView::ShowRateButtons(bool fullPressed, bool halfPressed) {
  if (fullButton_ != nullptr) fullButton_->SetValue(fullPressed);
  if (halfButton_ != nullptr) halfButton_->SetValue(halfPressed);
}

std::optional<std::string> CVxrecordView::ChooseSavePath(const SaveFileRequest& request) {
  return chooser_.ChooseSaveFile(request);
}

}  // namespace vx::vxrecord
