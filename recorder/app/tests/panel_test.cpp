// The recorder's window without a screen of its own: what the view draws on its canvas, and
// how its buttons reach the recording pipeline, on the virtual sound card and clock.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "platform/headless/scripted_file_chooser.h"
#include "recorder/app/main_frame.h"
#include "testsupport/recording_rig.h"
#include "testsupport/keyboard.h"
#include "testsupport/pixels.h"
#include "ui/panel_drawing.h"

namespace vx::vxrecord {
namespace {

using testing::CountColour;
using testing::CountDark;
using testing::CountPixels;
using testing::PixelAt;

// The recorder's window on a frame of its own, not shown: it draws into its canvas all the
// same. The platform is the recorder pipeline's test platform.
struct RecorderRig : testing::RecordingPlatform {
  explicit RecorderRig(std::string_view extraStrings = {}) {
    strings = LoadRecorderStrings();
    strings.Parse(extraStrings);
    ReadRecorderLayout(strings, layout);
    EXPECT_TRUE(LoadRecorderBitmaps(bitmaps));
    frame = new CMainFrame(RecorderResources{Services(), chooser, strings, layout, bitmaps});
    View().SetShowAbout([this] { ++aboutShown; });
    chooser.QueueAnswer(dir.File("take.vxs"));
  }
  ~RecorderRig() {
    frame->Destroy();
    wxTheApp->ProcessIdle();  // deletes the frame while the services it uses still exist
  }
  CVxrecordView& View() { return frame->View(); }
  RecordingPipeline& Pipeline() { return View().Pipeline(); }
  wxImage Canvas() { return View().Canvas().ConvertToImage(); }
  void Send(wxEventType type, int id) {
    wxCommandEvent event(type, id);
    View().GetEventHandler()->ProcessEvent(event);
  }
  void Press(int id) { Send(wxEVT_BUTTON, id); }
  void Toggle(int id) { Send(wxEVT_TOGGLEBUTTON, id); }

  StringTable strings;
  RecorderLayout layout;
  RecorderBitmaps bitmaps;
  ScriptedFileChooser chooser;
  CMainFrame* frame = nullptr;
  int aboutShown = 0;
};

// The time box as it must look with `text` in it, drawn apart from the view.
wxImage ExpectedTimeBox(const RecorderLayout& layout, std::string_view text) {
  wxBitmap bitmap(layout.clientWidth, layout.clientHeight, 24);
  {
    wxMemoryDC dc(bitmap);
    FillBox(dc, layout.TimeBox(), panel_colour::kTimeBackground);
    DrawRightAlignedText(dc, text, layout.timeText);
  }
  return bitmap.ConvertToImage();
}

// Whether the time text's part of the box (left of the lamps' reach) matches `text`.
bool ShowsTime(const wxImage& canvas, const RecorderLayout& layout, std::string_view text) {
  const wxImage expected = ExpectedTimeBox(layout, text);
  for (int y = layout.timeText.top; y < layout.boxBottom; ++y)
    for (int x = layout.timeText.x - 60; x < layout.timeText.x; ++x)
      if (PixelAt(canvas, x, y) != PixelAt(expected, x, y)) return false;
  return true;
}

const wxColour kBackground(192, 192, 192);
const wxColour kNavy(0, 0, 128);
const wxColour kWhite(255, 255, 255);
const wxColour kLit(0, 192, 192);
const wxColour kDark(64, 64, 64);

TEST(RecorderPanel, BackgroundTimeBoxCaptionsAndTheCountdownsStart) {
  RecorderRig rig;
  const wxImage canvas = rig.Canvas();
  EXPECT_EQ(PixelAt(canvas, 2, 2), kBackground);
  EXPECT_EQ(PixelAt(canvas, 140, 15), kNavy);
  EXPECT_EQ(PixelAt(canvas, 294, 49), kNavy);
  EXPECT_EQ(PixelAt(canvas, 139, 15), kBackground);
  EXPECT_EQ(PixelAt(canvas, 295, 49), kBackground);
  EXPECT_EQ(PixelAt(canvas, 140, 50), kBackground);
  EXPECT_TRUE(ShowsTime(canvas, rig.layout, "- 0:03"));
  EXPECT_FALSE(ShowsTime(canvas, rig.layout, "- 0:02"));
  // Each caption in white over its black shadow.
  for (const RecorderLayout::Caption& caption : rig.layout.captions) {
    const wxRect area(caption.place.x, caption.place.top, 60, caption.place.height + 2);
    EXPECT_GT(CountColour(canvas, area, kWhite), 10) << caption.text;
    // The shadow shows at the texts' lower right edges, smoothed.
    EXPECT_GT(CountDark(canvas, area), 10) << caption.text;
  }
}

TEST(RecorderPanel, LampsAndRateButtonsFollowTheRateMode) {
  RecorderRig rig;
  const wxRect half(150, 18, 70, 14), full(150, 35, 70, 14);
  struct Case {
    int button;
    bool halfLit;
  };
  for (const Case c : {Case{kIdHalfRateButton, true}, Case{kIdFullRateButton, false}}) {
    rig.Toggle(c.button);
    const wxImage canvas = rig.Canvas();
    EXPECT_EQ(rig.Pipeline().RateMode(), c.halfLit ? 1 : 0);
    EXPECT_GT(CountColour(canvas, c.halfLit ? half : full, kLit), 20) << c.button;
    EXPECT_EQ(CountColour(canvas, c.halfLit ? full : half, kLit), 0) << c.button;
    EXPECT_GT(CountColour(canvas, c.halfLit ? full : half, kDark), 20) << c.button;
    EXPECT_EQ(rig.View().RateButton(kIdHalfRateButton)->GetValue(), c.halfLit);
    EXPECT_EQ(rig.View().RateButton(kIdFullRateButton)->GetValue(), !c.halfLit);
  }
}

TEST(RecorderPanel, TheStringTableSizesTheWindow) {
  RecorderRig rig("4 200\n");
  EXPECT_EQ(rig.frame->GetClientSize(), wxSize(320, 200));
  EXPECT_EQ(rig.frame->GetTitle(), "Vocrix Recoder for Windows95/NT");
  EXPECT_EQ(rig.frame->GetMenuBar(), nullptr);
  EXPECT_FALSE(rig.frame->HasFlag(wxRESIZE_BORDER));
}

// What the window shows and allows at a moment of a run: counting down (1500 ms after Record)
// or recording (4600 ms).
struct Moment {
  const char* name;
  int64_t atMs;
  RecordState state;
  const char* time;
};

class RecorderRunTest : public ::testing::TestWithParam<Moment> {};

TEST_P(RecorderRunTest, ButtonsLogoAndRateDuringTheRun) {
  const Moment moment = GetParam();
  RecorderRig rig;
  rig.card.SetCaptureSource(testing::SpeechBytes());
  EXPECT_TRUE(rig.View().Button(kIdRecordButton)->IsEnabled());
  EXPECT_FALSE(rig.View().Button(kIdStopButton)->IsEnabled()) << "nothing to stop in Idle";
  rig.Press(kIdLogoButton);
  EXPECT_EQ(rig.aboutShown, 1) << "the About window in Idle";

  bool checked = false;
  rig.At(moment.atMs, [&] {
    checked = true;
    EXPECT_EQ(rig.Pipeline().State(), moment.state);
    EXPECT_FALSE(rig.View().Button(kIdRecordButton)->IsEnabled());
    EXPECT_TRUE(rig.View().Button(kIdStopButton)->IsEnabled());
    EXPECT_TRUE(ShowsTime(rig.Canvas(), rig.layout, moment.time));
    rig.Press(kIdLogoButton);
    EXPECT_EQ(rig.aboutShown, 1) << "no About window during a run";
    rig.Toggle(kIdHalfRateButton);
    EXPECT_EQ(rig.Pipeline().RateMode(), 0);
    EXPECT_TRUE(rig.View().RateButton(kIdFullRateButton)->GetValue());
    EXPECT_FALSE(rig.View().RateButton(kIdHalfRateButton)->GetValue());
    EXPECT_GT(CountColour(rig.Canvas(), wxRect(150, 35, 70, 14), kLit), 20) << "full rate lit";
    rig.Press(kIdStopButton);
  });
  rig.Press(kIdRecordButton);
  rig.Pump();
  EXPECT_TRUE(checked);
  EXPECT_EQ(rig.Pipeline().State(), RecordState::kIdle);
  EXPECT_TRUE(rig.View().Button(kIdRecordButton)->IsEnabled());
  EXPECT_FALSE(rig.View().Button(kIdStopButton)->IsEnabled());
  EXPECT_TRUE(ShowsTime(rig.Canvas(), rig.layout, "- 0:03"));
}

INSTANTIATE_TEST_SUITE_P(
    Moments, RecorderRunTest,
    ::testing::Values(Moment{"Countdown", 1500, RecordState::kCountdown, "- 0:02"},
                      Moment{"Recording", 4600, RecordState::kRecording, "  0:01"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecorderPanel, ARecordingIsSavedThroughTheChooser) {
  RecorderRig rig;
  rig.card.SetCaptureSource(testing::SpeechBytes());
  rig.At(RecordingPipeline::kCountdownMs + 1000, [&] { rig.Press(kIdStopButton); });
  rig.Press(kIdRecordButton);
  rig.Pump();
  ASSERT_EQ(rig.chooser.SaveRequests().size(), 1u);
  EXPECT_EQ(rig.chooser.SaveRequests()[0].filter, "Vocrix File(*.vxs)|*.vxs|All Files(*.*)|*.*||");
  EXPECT_EQ(testing::ReadFile(rig.dir.File("take.vxs")),
            testing::ExpectedFile(testing::SpeechBytes(), 50, 0));
  EXPECT_FALSE(std::filesystem::exists(rig.TemporaryPath()));
}

// Real key presses on the shown window: Tab moves the focus through the buttons that can be
// pressed, and Space presses the one that has it.
TEST(RecorderPanel, TabReachesAndSpacePressesEachButton) {
  RecorderRig rig;
  testing::Keyboard keyboard(*rig.frame);
  keyboard.Focus(*rig.View().Button(kIdLogoButton));
  // Stop is disabled in Idle, so Tab passes over it.
  for (const int id : {kIdExitButton, kIdRecordButton, kIdFullRateButton, kIdHalfRateButton}) {
    keyboard.Press(WXK_TAB);
    ASSERT_NE(keyboard.Focused(), nullptr);
    EXPECT_EQ(keyboard.Focused()->GetId(), id);
  }
  keyboard.Focus(*rig.View().Button(kIdLogoButton));
  keyboard.Press(WXK_SPACE);
  EXPECT_EQ(rig.aboutShown, 1);
  // The focused button shows a dotted frame inside its face.
  PictureButton& record = *rig.View().Button(kIdRecordButton);
  keyboard.Focus(record);
  wxBitmap shot(record.GetSize().x, record.GetSize().y, 24);
  {
    wxWindowDC screen(&record);
    wxMemoryDC memory(shot);
    memory.Blit(0, 0, shot.GetWidth(), shot.GetHeight(), &screen, 0, 0);
  }
  // Dots along the frame's top, darker than the face (smoothed across rows 2 to 4).
  EXPECT_GT(CountPixels(shot.ConvertToImage(), wxRect(4, 2, 22, 3),
                        [](const wxColour& c) { return c.Red() < 150; }),
            5)
      << "the focus frame";
  keyboard.Press(WXK_SPACE);
  EXPECT_EQ(rig.Pipeline().State(), RecordState::kStarting) << "Record pressed";
  rig.At(RecordingPipeline::kCountdownMs + 500, [&] { rig.Pipeline().OnStop(); });
  rig.Pump();
}

}  // namespace
}  // namespace vx::vxrecord
