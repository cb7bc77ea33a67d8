#include "player/app/vocrix_view.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

namespace vx {
SliderNotification SliderNotificationOf(wxEventType type) {
  if (type == wxEVT_SCROLL_LINEUP) return SliderNotification::kLineUp;
  if (type == wxEVT_SCROLL_LINEDOWN) return SliderNotification::kLineDown;
  if (type == wxEVT_SCROLL_PAGEUP) return SliderNotification::kPageUp;
  if (type == wxEVT_SCROLL_PAGEDOWN) return SliderNotification::kPageDown;
  if (type == wxEVT_SCROLL_THUMBRELEASE) return SliderNotification::kThumbPosition;
  if (type == wxEVT_SCROLL_THUMBTRACK) return SliderNotification::kThumbTrack;
  if (type == wxEVT_SCROLL_TOP) return SliderNotification::kTop;
  if (type == wxEVT_SCROLL_BOTTOM) return SliderNotification::kBottom;
  return SliderNotification::kEndScroll;
}

CVocrixView::CVocrixView(wxWindow* parent, PlaybackServices services, CVocrixDoc& document,
                         const PanelLayout& layout, const PanelBitmaps& bitmaps, PathAtoms& atoms)
    : CanvasPanel(parent, wxSize(layout.clientWidth, layout.clientHeight)),
      queue_(services.queue),
      document_(document),
      layout_(layout),
      bitmaps_(bitmaps),
      atoms_(atoms),
      painter_(layout, bitmaps),
      engine_(services, *this, [this] { return document_.Path(); }),
      volumeControl_(painter_.Volume()) {
  target_ = queue_.Register([this](const Message& message) { OnMessage(message); });
  Bind(wxEVT_BUTTON, &CVocrixView::OnButton, this);
  Bind(wxEVT_LEFT_DOWN, &CVocrixView::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &CVocrixView::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CVocrixView::OnMotion, this);
  for (const auto& type :
       {wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM, wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN,
        wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_THUMBTRACK,
        wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED})
    Bind(type, &CVocrixView::OnSliderScroll, this, kIdPositionSlider);
}

CVocrixView::~CVocrixView() {
  queue_.Unregister(target_);
}

void CVocrixView::OnInitialUpdate() {
  slider_ = new wxSlider(
      this, kIdPositionSlider, 0, 0, 1, wxPoint(layout_.slider.left, layout_.slider.top),
      wxSize(layout_.slider.width, layout_.slider.height), long{wxSL_HORIZONTAL} | wxBORDER_SUNKEN);
  slider_->Enable();
  exitButton_ = new PictureButton(this, kIdExitButton, bitmaps_.exit, layout_.exit.Rect());
  stopButton_ = new PictureButton(this, kIdStopButton, bitmaps_.stop, layout_.stop.Rect());
  playButton_ = new PictureButton(this, kIdPlayButton, bitmaps_.play, layout_.play.Rect());
  logoButton_ = new PictureButton(this, kIdLogoButton, bitmaps_.logo, layout_.logo.Rect());
  DrawPanel();
  engine_.InitialUpdate();
}

PictureButton* CVocrixView::Button(int id) const {
  switch (id) {
    case kIdExitButton:
      return exitButton_;
    case kIdStopButton:
      return stopButton_;
    case kIdPlayButton:
      return playButton_;
    case kIdLogoButton:
      return logoButton_;
    default:
      return nullptr;
  }
}

void CVocrixView::OpenFile(const std::string& path) {
  document_.SetPath(path);
  if (fileOpened_) fileOpened_(path);
  engine_.RequestStop();
  queue_.Post(engine_.Target(), kMsgPlayRequest);
}

void CVocrixView::OnMessage(const Message& message) {
  if (message.id != kMsgOpenNamedFile) return;
  const uint32_t atom = static_cast<uint32_t>(message.wparam);
  const std::string path = atoms_.Get(atom);
  if (path.empty()) return;
  atoms_.Delete(atom);
  OpenFile(path);
}

void CVocrixView::DrawPanel() {
  DrawOnCanvas(GetClientRect(), [this](wxDC& dc) { painter_.DrawBackground(dc); });
  engine_.DrawVolume();
  engine_.UpdateDisplay(kTimeRestart, kSliderSetRange);
  DrawOnCanvas(GetClientRect(), [this](wxDC& dc) { painter_.DrawLabels(dc); });
}

void CVocrixView::OnButton(wxCommandEvent& event) {
  switch (event.GetId()) {
    case kIdPlayButton:
      engine_.StartPlayback();
      break;
    case kIdStopButton:
      engine_.RequestStop();
      break;
    case kIdExitButton:
      engine_.OnExit();
      break;
    case kIdLogoButton:
      if (!engine_.IsActive() && showAbout_) showAbout_();
      break;
    default:
      event.Skip();
  }
}

void CVocrixView::OnSliderScroll(wxScrollEvent& event) {
  vx::OnSliderScroll(engine_, SliderNotificationOf(event.GetEventType()), event.GetPosition());
}

void CVocrixView::OnLeftDown(wxMouseEvent& event) {
  if (event.MiddleIsDown() || event.RightIsDown()) return;
  volumeControl_.OnLeftButtonDown(engine_, event.GetX(), event.GetY());
}

void CVocrixView::OnMotion(wxMouseEvent& event) {
  const bool onlyLeft = event.LeftIsDown() && !event.MiddleIsDown() && !event.RightIsDown();
  volumeControl_.OnMouseMove(engine_, onlyLeft, event.GetY());
}

void CVocrixView::EnablePlay(bool enabled) {
  if (playButton_ != nullptr) playButton_->Enable(enabled);
}

void CVocrixView::EnableStop(bool enabled) {
  if (stopButton_ != nullptr) stopButton_->Enable(enabled);
}

void CVocrixView::SetWaitCursor(bool shown) {
  waitCursor_.Show(shown);
}

void CVocrixView::DrawVolume(double volume) {
  const VolumeLayout geometry = painter_.Volume();
  const wxRect area(geometry.backgroundLeft, geometry.backgroundTop, geometry.backgroundWidth,
                    geometry.backgroundHeight + geometry.knobHeight);
  DrawOnCanvas(area, [&](wxDC& dc) { painter_.DrawVolume(dc, volume); });
}

void CVocrixView::ClearTimeDisplay() {
  DrawOnCanvas(painter_.TimeArea(), [&](wxDC& dc) { painter_.ClearTimeDisplay(dc); });
}

void CVocrixView::DrawTimes(std::string_view nowText, std::string_view totalText) {
  ++timeDrawCount_;
  DrawOnCanvas(painter_.TimeArea(), [&](wxDC& dc) { painter_.DrawTimes(dc, nowText, totalText); });
}

void CVocrixView::DrawAnimationFrame(int index) {
  DrawOnCanvas(layout_.animation.Rect(), [&](wxDC& dc) { painter_.DrawAnimationFrame(dc, index); });
}

void CVocrixView::DrawRateIndicators(bool halfLit, bool fullLit) {
  DrawOnCanvas(painter_.RateArea(),
               [&](wxDC& dc) { painter_.DrawRateIndicators(dc, halfLit, fullLit); });
}

void CVocrixView::SetSliderRange(int minimum, int maximum) {
  if (slider_ == nullptr) return;
  slider_->Enable();
  // The toolkit's slider needs a range of at least one step.
  slider_->SetRange(minimum, maximum > minimum ? maximum : minimum + 1);
}

void CVocrixView::SetSliderPosition(int position) {
  if (slider_ != nullptr) slider_->SetValue(position);
}

}  // namespace vx
