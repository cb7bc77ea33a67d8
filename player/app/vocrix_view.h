#pragma once

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/slider.h>

#include <functional>
#include <memory>
#include <string>

#include "player/app/panel_layout.h"
#include "player/app/panel_painter.h"
#include "player/app/panel_resources.h"
#include "player/app/path_atoms.h"
#include "player/app/vocrix_doc.h"
#include "player/engine/panel_input.h"
#include "player/engine/playback_engine.h"
#include "ui/canvas_panel.h"
#include "ui/picture_button.h"
#include "ui/wait_cursor.h"

namespace vx {

// Identifiers of the panel's controls.
inline constexpr int kIdStopButton = 1000;
inline constexpr int kIdPlayButton = 1001;
inline constexpr int kIdExitButton = 1003;
inline constexpr int kIdPositionSlider = 1017;
inline constexpr int kIdLogoButton = 1025;

// The player's view: the control panel over the playback engine, drawn on a canvas as the
// engine asks. Buttons, the slider and the pointer on the volume control are routed to the engine;
// open-named-file (a path by atom) takes over a new path.
class CVocrixView final : public CanvasPanel, public PlaybackView {
 public:
  CVocrixView(wxWindow* parent, PlaybackServices services, CVocrixDoc& document,
              const PanelLayout& layout, const PanelBitmaps& bitmaps, PathAtoms& atoms);
  ~CVocrixView() override;

  // Creates the slider and the buttons, draws the panel, and starts the engine's panel
  // (device volume, then play-request when the document has a path).
  void OnInitialUpdate();

  // The About box, shown from the logo when no run is active.
  void SetShowAbout(std::function<void()> showAbout) { showAbout_ = std::move(showAbout); }
  // Told each path taken over, for the recent-file list.
  void SetFileOpened(std::function<void(const std::string&)> opened) {
    fileOpened_ = std::move(opened);
  }

  // A new path for the document: the current run stops, and the new file plays once it has
  // drained.
  void OpenFile(const std::string& path);
  // Asked before the main window closes (the engine's CanClose).
  bool CanClose() { return engine_.CanClose(); }

  PlaybackEngine& Engine() { return engine_; }
  // The view's own message target (open-named-file).
  TargetId Target() const { return target_; }
  const VolumeControl& Volume() const { return volumeControl_; }
  // How often the time texts were drawn.
  int TimeDrawCount() const { return timeDrawCount_; }
  PictureButton* Button(int id) const;
  wxSlider* Slider() const { return slider_; }

  // PlaybackView.
  void EnablePlay(bool enabled) override;
  void EnableStop(bool enabled) override;
  void SetWaitCursor(bool shown) override;
  void DrawVolume(double volume) override;
  void ClearTimeDisplay() override;
  void DrawTimes(std::string_view nowText, std::string_view totalText) override;
  void DrawAnimationFrame(int index) override;
  void DrawRateIndicators(bool halfLit, bool fullLit) override;
  void SetSliderRange(int minimum, int maximum) override;
  void SetSliderPosition(int position) override;

 private:
  // Draws the whole panel into the bitmap: background, volume, time display, labels.
  void DrawPanel();
  void OnMessage(const Message& message);
  void OnButton(wxCommandEvent& event);
  void OnSliderScroll(wxScrollEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);

  MessageQueue& queue_;
  CVocrixDoc& document_;
  const PanelLayout& layout_;
  const PanelBitmaps& bitmaps_;
  PathAtoms& atoms_;
  PanelPainter painter_;
  PlaybackEngine engine_;
  VolumeControl volumeControl_;
  TargetId target_ = kNoTarget;

  wxSlider* slider_ = nullptr;
  PictureButton* exitButton_ = nullptr;
  PictureButton* stopButton_ = nullptr;
  PictureButton* playButton_ = nullptr;
  PictureButton* logoButton_ = nullptr;

  std::function<void()> showAbout_;
  std::function<void(const std::string&)> fileOpened_;
  WaitCursor waitCursor_;
  int timeDrawCount_ = 0;
};

// The slider notification of a wx scroll event type; kEndScroll for any other.
SliderNotification SliderNotificationOf(wxEventType type);

}  // namespace vx
