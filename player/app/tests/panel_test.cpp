#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <algorithm>

#include "codec/decoder.h"
#include "player/app/tests/player_rig.h"
#include "testsupport/keyboard.h"

namespace vx {
namespace {

using testing::CountColour;
using testing::PixelAt;
using testing::PlayerRig;
using testing::ShowsBitmap;
using testing::SpeechFile;

// A view on a frame of its own, not shown: it draws into its bitmap all the same.
struct ViewRig : PlayerRig {
  explicit ViewRig(std::string_view extraStrings = {}, std::string path = {}) {
    strings.Parse(extraStrings);
    ReadPanelLayout(strings, layout);
    document.SetPath(std::move(path));
    frame = new wxFrame(nullptr, wxID_ANY, "test");
    view = new CVocrixView(frame, Services(), document, layout, bitmaps, atoms);
    view->Engine().SetMainWindow(mainWindow);
    view->SetShowAbout([this] { ++aboutShown; });
    view->OnInitialUpdate();
  }
  ~ViewRig() {
    queue.Unregister(mainWindow);
    frame->Destroy();
    wxTheApp->ProcessIdle();  // deletes the frame while the services it uses still exist
  }
  wxImage Canvas() const { return view->Canvas().ConvertToImage(); }
  PlaybackEngine& Engine() { return view->Engine(); }

  void Click(int x, int y) {
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.m_x = x;
    down.m_y = y;
    down.m_leftDown = true;
    view->GetEventHandler()->ProcessEvent(down);
  }
  void DragTo(int x, int y) {
    wxMouseEvent move(wxEVT_MOTION);
    move.m_x = x;
    move.m_y = y;
    move.m_leftDown = true;
    view->GetEventHandler()->ProcessEvent(move);
  }
  void Scroll(wxEventType type, int position) {
    wxScrollEvent event(type, kIdPositionSlider, position, wxHORIZONTAL);
    event.SetEventObject(view->Slider());
    view->GetEventHandler()->ProcessEvent(event);
  }
  void Press(int buttonId) {
    wxCommandEvent event(wxEVT_BUTTON, buttonId);
    view->GetEventHandler()->ProcessEvent(event);
  }
  // Plays `bytes` through to the end.
  void Play(std::vector<uint8_t> bytes) {
    files.Put("/speech.vxs", std::move(bytes));
    document.SetPath("/speech.vxs");
    Engine().StartPlayback();
    Pump();
  }

  CVocrixDoc document;
  wxFrame* frame = nullptr;
  CVocrixView* view = nullptr;
  int aboutShown = 0;
  int mainWindowCloses = 0;
  TargetId mainWindow = queue.Register([this](const Message& m) {
    if (m.id == kMsgClose) ++mainWindowCloses;
  });
};

const wxColour kBackground(192, 192, 192);
const wxColour kNavy(0, 0, 128);
const wxColour kWhite(255, 255, 255);
const wxColour kLit(0, 192, 192);
const wxColour kDark(64, 64, 64);

wxRect TimeBox(const PanelLayout& l) {
  return {wxPoint(l.timeLeft, l.timeTop), wxPoint(l.timeRight - 1, l.timeBottom - 1)};
}

wxRect IndicatorArea(const TextPlace& place) {
  return {place.x, place.top, 80, place.height + 4};
}

TEST(PanelDrawing, BackgroundTimeBoxLabelsAndVolumeAtTheLayoutsPlaces) {
  ViewRig rig;
  const wxImage canvas = rig.Canvas();
  ASSERT_EQ(canvas.GetWidth(), 320);
  ASSERT_EQ(canvas.GetHeight(), 210);
  EXPECT_EQ(PixelAt(canvas, 2, 2), kBackground);
  EXPECT_EQ(PixelAt(canvas, 319, 209), kBackground);
  // The time display fills its rectangle exactly.
  const wxRect box = TimeBox(rig.layout);
  EXPECT_EQ(PixelAt(canvas, box.GetLeft(), box.GetTop()), kNavy);
  EXPECT_EQ(PixelAt(canvas, box.GetRight(), box.GetBottom()), kNavy);
  EXPECT_EQ(PixelAt(canvas, box.GetLeft() - 1, box.GetTop()), kBackground);
  EXPECT_EQ(PixelAt(canvas, box.GetRight() + 1, box.GetBottom()), kBackground);
  EXPECT_EQ(PixelAt(canvas, box.GetLeft(), box.GetBottom() + 1), kBackground);
  // Elapsed time "  0:00" in white, right-aligned to x = 160.
  EXPECT_GT(CountColour(canvas, wxRect(120, 65, 40, 24), kWhite), 10);
  EXPECT_EQ(CountColour(canvas, wxRect(161, 65, 10, 24), kWhite), 0);
  // Each label: white text with its black shadow, within a few pixels of its place.
  for (const PanelLayout::Label& label : rig.layout.labels) {
    const wxRect area(label.place.x, label.place.top, 45, label.place.height + 6);
    EXPECT_GT(CountColour(canvas, area, kWhite), 5) << label.text;
    EXPECT_GT(testing::CountDark(canvas, area), 5) << label.text;
    EXPECT_EQ(CountColour(canvas, wxRect(label.place.x - 3, label.place.top - 3, 2, 2), kWhite), 0);
  }
  // The volume background at (260, 65) and the knob where the card's full volume puts it.
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 1.0);
  const wxRect knob(265, 70, 30, 10);
  EXPECT_TRUE(ShowsBitmap(canvas, knob.x, knob.y, rig.bitmaps.volumeKnob));
  const wxImage background = rig.bitmaps.volumeBackground.ConvertToImage();
  EXPECT_EQ(PixelAt(canvas, 260, 65), PixelAt(background, 0, 0));
  EXPECT_EQ(PixelAt(canvas, 280, 130), PixelAt(background, 20, 65));
}

TEST(PanelDrawing, TheKnobFollowsTheVolume) {
  ViewRig rig;
  struct Case {
    double volume;
    int knobTop;
  };
  for (const Case c : {Case{0.0, 120}, Case{0.5, 95}, Case{0.99, 71}, Case{1.0, 70}}) {
    rig.Engine().SetVolume(c.volume);
    const wxImage canvas = rig.Canvas();
    EXPECT_TRUE(ShowsBitmap(canvas, 265, c.knobTop, rig.bitmaps.volumeKnob)) << c.volume;
    // Where the knob was not, the background bitmap shows.
    const int clearRow = c.knobTop > 100 ? 75 : 125;
    EXPECT_EQ(PixelAt(canvas, 280, clearRow),
              PixelAt(rig.bitmaps.volumeBackground.ConvertToImage(), 20, clearRow - 65))
        << c.volume;
  }
}

TEST(PanelDrawing, RateIndicatorsLightForStreamTypes13And14) {
  struct Case {
    int rateMode;
    int streamType;
    bool halfLit, fullLit;
  };
  for (const Case c : {Case{0, 13, false, true}, Case{1, 14, true, false}}) {
    ViewRig rig;
    rig.Play(SpeechFile(60, c.rateMode));
    ASSERT_EQ(rig.Engine().StreamType(), c.streamType);
    const wxImage canvas = rig.Canvas();
    const wxRect half = IndicatorArea(rig.layout.halfRate);
    const wxRect full = IndicatorArea(rig.layout.fullRate);
    EXPECT_EQ(CountColour(canvas, half, kLit) > 0, c.halfLit) << c.streamType;
    EXPECT_EQ(CountColour(canvas, half, kDark) > 0, !c.halfLit) << c.streamType;
    EXPECT_EQ(CountColour(canvas, full, kLit) > 0, c.fullLit) << c.streamType;
    EXPECT_EQ(CountColour(canvas, full, kDark) > 0, !c.fullLit) << c.streamType;
  }
}

TEST(PanelDrawing, AnotherStreamTypeLeavesBothIndicatorsDark) {
  ViewRig rig;
  rig.Play(SpeechFile(60, 0, /*variableRate=*/0));
  ASSERT_NE(rig.Engine().StreamType(), 13);
  ASSERT_NE(rig.Engine().StreamType(), 14);
  const wxImage canvas = rig.Canvas();
  for (const TextPlace& place : {rig.layout.halfRate, rig.layout.fullRate}) {
    EXPECT_EQ(CountColour(canvas, IndicatorArea(place), kLit), 0);
    EXPECT_GT(CountColour(canvas, IndicatorArea(place), kDark), 0);
  }
}

// The layout comes from the string table: other numbers there move the parts, with no change
// in code.
TEST(PanelDrawing, ChangedStringTableNumbersMoveThePanelsParts) {
  ViewRig rig("34 40\n37 100\n58 200\n59 80\n60 85\n61 135\n");
  const wxImage canvas = rig.Canvas();
  EXPECT_EQ(PixelAt(canvas, 39, 56), kBackground);
  EXPECT_EQ(PixelAt(canvas, 40, 56), kNavy);
  EXPECT_EQ(PixelAt(canvas, 40, 99), kNavy);
  EXPECT_EQ(PixelAt(canvas, 40, 100), kBackground);
  EXPECT_EQ(PixelAt(canvas, 20, 56), kBackground);
  // Volume background at (200, 80); at full volume the knob's top is the new 85.
  const wxImage background = rig.bitmaps.volumeBackground.ConvertToImage();
  EXPECT_EQ(PixelAt(canvas, 200, 80), PixelAt(background, 0, 0));
  EXPECT_TRUE(ShowsBitmap(canvas, 205, 85, rig.bitmaps.volumeKnob));
  EXPECT_FALSE(ShowsBitmap(canvas, 265, 70, rig.bitmaps.volumeKnob));
  // Clicks follow the new travel: (135 − 110) / 51.
  rig.Click(220, 110);
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 25.0 / 51);
}

TEST(PanelInput, VolumeClicksFollowTheHeightAndStayInRange) {
  struct Case {
    int y;
    double volume;
  };
  // The knob is parked at the bottom (silence), out of the way of the clicks.
  for (const Case c : {Case{70, 50.0 / 51}, Case{119, 1.0 / 51}, Case{67, 1.0}, Case{60, 0.0}}) {
    ViewRig rig;
    rig.Engine().SetVolume(0.0);
    rig.Click(280, c.y);
    EXPECT_DOUBLE_EQ(rig.Engine().Volume(), c.volume) << "y = " << c.y;
    EXPECT_TRUE(ShowsBitmap(rig.Canvas(), 265, 120 - static_cast<int>(50 * c.volume),
                            rig.bitmaps.volumeKnob))
        << "y = " << c.y;
  }
}

TEST(PanelInput, AClickOnTheKnobOnlyStartsADrag) {
  ViewRig rig;
  rig.Engine().SetVolume(0.5);  // knob 95 … 105
  rig.Click(280, 100);
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 0.5);
  EXPECT_TRUE(rig.view->Volume().Dragging());
  rig.DragTo(280, 80);
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 40.0 / 51);
  // Dragging reaches beyond the background and is held at the limits.
  rig.DragTo(280, 200);
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 0.0);
  // A press outside the control ends the drag: moves change nothing any more.
  rig.Click(10, 10);
  rig.DragTo(280, 80);
  EXPECT_DOUBLE_EQ(rig.Engine().Volume(), 0.0);
}

TEST(PanelInput, SliderNotificationsSeekShowTheTargetOrStop) {
  ViewRig rig;
  // While idle: a step stores the target that the next run honours.
  rig.Scroll(wxEVT_SCROLL_LINEDOWN, 42);
  EXPECT_EQ(rig.Engine().SeekTarget(), 42);
  // Dragging shows the target's time: 150 frames of 20 ms.
  rig.Scroll(wxEVT_SCROLL_THUMBTRACK, 150);
  EXPECT_EQ(rig.Engine().SeekTarget(), 150);
  EXPECT_EQ(rig.Engine().NowText(), "  0:03");
  rig.Scroll(wxEVT_SCROLL_CHANGED, 7);
  EXPECT_EQ(rig.Engine().SeekTarget(), 150);
  for (wxEventType type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                           wxEVT_SCROLL_THUMBRELEASE}) {
    rig.Scroll(type, 77);
    EXPECT_EQ(rig.Engine().SeekTarget(), 77);
    rig.Engine().SetSeekTarget(0);
  }
  // Home and End stop a run and drop the target.
  for (wxEventType type : {wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM}) {
    rig.Engine().SetSeekTarget(30);
    rig.files.Put("/a.vxs", SpeechFile(50, 0));
    rig.document.SetPath("/a.vxs");
    rig.Engine().StartPlayback();
    ASSERT_EQ(rig.Engine().State(), PlaybackState::kOpening);
    rig.Scroll(type, 12);
    EXPECT_EQ(rig.Engine().State(), PlaybackState::kStopping);
    EXPECT_EQ(rig.Engine().SeekTarget(), 0);
    rig.Pump();
    EXPECT_EQ(rig.Engine().State(), PlaybackState::kIdle);
  }
}

TEST(PanelInput, TheSliderTakesTheFilesRangeAtTheEndOfARun) {
  ViewRig rig;
  rig.Play(SpeechFile(250, 0));
  EXPECT_EQ(rig.view->Slider()->GetMax(), 250);
  EXPECT_TRUE(rig.view->Slider()->IsEnabled());
}

TEST(PanelInput, TheTimeIsRedrawnOnlyWhenTheSecondChanges) {
  ViewRig rig;
  rig.Engine().UpdateDisplay(kTimeRestart, kSliderLeave);
  const int drawn = rig.view->TimeDrawCount();
  for (int i = 0; i < 5; ++i) rig.Engine().UpdateDisplay(kTimeFromDevice, kSliderLeave);
  EXPECT_EQ(rig.view->TimeDrawCount(), drawn);
  // A whole run of a 3-second file: every step updates the display, the texts are drawn a
  // few times per second of sound at most.
  rig.Play(SpeechFile(150, 0));
  EXPECT_LE(rig.view->TimeDrawCount() - drawn, 3 + 4);
}

TEST(PanelInput, TheLogoShowsTheAboutBoxOnlyWhenNoRunIsActive) {
  ViewRig rig;
  rig.Press(kIdLogoButton);
  EXPECT_EQ(rig.aboutShown, 1);
  rig.files.Put("/a.vxs", SpeechFile(50, 0));
  rig.document.SetPath("/a.vxs");
  rig.Engine().StartPlayback();
  ASSERT_TRUE(rig.Engine().IsActive());
  rig.Press(kIdLogoButton);
  EXPECT_EQ(rig.aboutShown, 1);
  rig.Pump();
  rig.Press(kIdLogoButton);
  EXPECT_EQ(rig.aboutShown, 2);
}

TEST(PanelInput, ButtonsStartStopAndExit) {
  ViewRig rig;
  rig.files.Put("/a.vxs", SpeechFile(50, 0));
  rig.document.SetPath("/a.vxs");
  EXPECT_TRUE(rig.view->Button(kIdPlayButton)->IsEnabled());
  // A press and release on the picture button sends its click.
  PictureButton* play = rig.view->Button(kIdPlayButton);
  wxMouseEvent down(wxEVT_LEFT_DOWN), up(wxEVT_LEFT_UP);
  down.m_x = up.m_x = 5;
  down.m_y = up.m_y = 5;
  play->GetEventHandler()->ProcessEvent(down);
  play->GetEventHandler()->ProcessEvent(up);
  EXPECT_EQ(rig.Engine().State(), PlaybackState::kOpening);
  rig.Press(kIdStopButton);
  EXPECT_EQ(rig.Engine().State(), PlaybackState::kStopping);
  rig.Pump();
  EXPECT_TRUE(rig.view->Button(kIdPlayButton)->IsEnabled());
  EXPECT_FALSE(rig.view->Button(kIdStopButton)->IsEnabled());
  rig.Press(kIdExitButton);
  rig.Pump();
  EXPECT_EQ(rig.mainWindowCloses, 1);
}

// Real key presses on the shown panel: Tab moves the focus through the buttons that can be
// pressed (Stop is disabled without a run) and on to the slider, and Space presses.
TEST(PanelInput, TabReachesAndSpacePressesEachButton) {
  ViewRig rig;
  rig.files.Put("/a.vxs", SpeechFile(50, 0));
  rig.document.SetPath("/a.vxs");
  testing::Keyboard keyboard(*rig.frame);
  keyboard.Focus(*rig.view->Button(kIdExitButton));
  for (const int id : {kIdPlayButton, kIdLogoButton, kIdPositionSlider, kIdExitButton}) {
    keyboard.Press(WXK_TAB);
    ASSERT_NE(keyboard.Focused(), nullptr);
    EXPECT_EQ(keyboard.Focused()->GetId(), id);
  }
  keyboard.Focus(*rig.view->Button(kIdLogoButton));
  keyboard.Press(WXK_SPACE);
  EXPECT_EQ(rig.aboutShown, 1);
  keyboard.Focus(*rig.view->Button(kIdPlayButton));
  keyboard.Press(WXK_SPACE);
  EXPECT_EQ(rig.Engine().State(), PlaybackState::kOpening);
  rig.Pump();
  EXPECT_EQ(rig.card.PlayedBytes().size(), 50u * 320);
}

TEST(PanelInput, OpenNamedFileTakesOverThePathAndPlaysIt) {
  ViewRig rig;
  rig.files.Put("/b.vxs", SpeechFile(40, 1));
  const uint32_t atom = rig.atoms.Add("/b.vxs");
  rig.queue.Post(rig.view->Target(), kMsgOpenNamedFile, atom);
  rig.queue.Post(rig.view->Target(), kMsgOpenNamedFile, 999);  // an empty atom: ignored
  rig.Pump();
  EXPECT_EQ(rig.document.Path(), "/b.vxs");
  EXPECT_EQ(rig.atoms.Size(), 0u);
  EXPECT_EQ(rig.card.PlayedBytes().size(), 40u * 320);
}

// What the decoder makes of a stream: the bytes the card must play.
std::vector<uint8_t> Decoded(const std::vector<uint8_t>& stream) {
  MemoryStream file(stream);
  DecoderSession decoder;
  int32_t samples = 0;
  int streamType = 0;
  EXPECT_EQ(decoder.GetVocrixHeader(file, samples, streamType), 0);
  std::vector<uint8_t> pcm;
  std::array<uint8_t, 320> frame{};
  while (decoder.ReadAndDecodeFrame(file, frame, 8, streamType, false) == 320)
    pcm.insert(pcm.end(), frame.begin(), frame.end());
  return pcm;
}

// A file handed over during a run: the run stops, drains, and the new file plays from its
// beginning.
TEST(PanelInput, AFileHandedOverDuringARunPlaysOnceTheRunHasDrained) {
  ViewRig rig;
  const std::vector<uint8_t> second = SpeechFile(100, 1);
  rig.files.Put("/second.vxs", second);
  bool handed = false;
  const int observer = rig.clock.AddObserver([&](int64_t now) {
    if (now < 2000 || handed) return;
    handed = true;
    rig.queue.Post(rig.view->Target(), kMsgOpenNamedFile, rig.atoms.Add("/second.vxs"));
  });
  rig.Play(SpeechFile(1000, 0));  // 20 s
  rig.clock.RemoveObserver(observer);
  ASSERT_TRUE(handed);
  EXPECT_EQ(rig.document.Path(), "/second.vxs");
  EXPECT_EQ(rig.Engine().State(), PlaybackState::kIdle);
  const std::vector<uint8_t> played = rig.card.PlayedBytes();
  const std::vector<uint8_t> expected = Decoded(second);
  ASSERT_GT(played.size(), expected.size());
  EXPECT_LT(played.size(), 1000u * 320);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.end() - expected.size()));
}

}  // namespace
}  // namespace vx
