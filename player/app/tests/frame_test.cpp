#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/testing.h>
#include <wx/window.h>

#include "ui/about_dialog.h"

#include "player/app/main_frame.h"
#include "player/app/tests/player_rig.h"
#include "player/app/vocrix_app.h"

namespace vx {
namespace {

using testing::PlayerRig;
using testing::SpeechFile;

// Destroyed top-level windows wait for the next idle time to be deleted.
bool AwaitsDeletion(wxWindow* window) {
  return wxPendingDelete.Member(window);
}

struct FrameRig : PlayerRig {
  explicit FrameRig(const std::string& path) { frame = new CMainFrame(Resources(), path); }
  ~FrameRig() {
    if (!AwaitsDeletion(frame)) frame->Destroy();
    wxTheApp->ProcessIdle();
  }
  CMainFrame* frame = nullptr;
};

TEST(MainFrame, FixedClientSizeFromTheStringsAndTheProgramsTitle) {
  FrameRig rig("");
  EXPECT_EQ(rig.frame->GetClientSize(), wxSize(320, 210));
  EXPECT_EQ(rig.frame->GetTitle(), "Vocrix Player for Windows95/NT");
  EXPECT_EQ(rig.frame->GetMenuBar(), nullptr);
  EXPECT_FALSE(rig.frame->HasFlag(wxRESIZE_BORDER));
  // Without a path Play is enabled and nothing starts.
  rig.Pump();
  EXPECT_TRUE(rig.frame->View().Button(kIdPlayButton)->IsEnabled());
  EXPECT_FALSE(rig.frame->View().Engine().IsActive());
}

TEST(MainFrame, AFileGivenAtTheStartPlaysByItself) {
  FrameRig rig("/a.vxs");
  rig.files.Put("/a.vxs", SpeechFile(120, 0));
  EXPECT_TRUE(rig.frame->View().Button(kIdStopButton)->IsEnabled());
  EXPECT_FALSE(rig.frame->View().Button(kIdPlayButton)->IsEnabled());
  rig.Pump();
  EXPECT_EQ(rig.card.PlayedBytes().size(), 120u * 320);
  EXPECT_EQ(rig.prompter.Prompts().size(), 0u);
}

// Closing during playback stops the sound, lets the run drain and then closes.
TEST(MainFrame, ClosingDuringPlaybackStopsAndThenCloses) {
  FrameRig rig("/long.vxs");
  rig.files.Put("/long.vxs", SpeechFile(1500, 0));  // 30 s
  bool closeAsked = false;
  bool vetoed = false;
  rig.frame->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& event) {
    if (rig.frame->View().Engine().IsActive()) vetoed = true;
    event.Skip();
  });
  // After 3 s of sound, a click on the close box, handed to the loop as a message.
  const TargetId closeBox = rig.queue.Register([&](const Message&) { rig.frame->Close(); });
  const int observer = rig.clock.AddObserver([&](int64_t now) {
    if (now < 3000 || closeAsked) return;
    closeAsked = true;
    rig.queue.Post(closeBox, kMsgPrivateFirst);
  });
  rig.Pump();
  rig.clock.RemoveObserver(observer);
  rig.queue.Unregister(closeBox);
  EXPECT_TRUE(closeAsked);
  EXPECT_TRUE(vetoed);
  EXPECT_TRUE(AwaitsDeletion(rig.frame));
  EXPECT_FALSE(rig.frame->View().Engine().IsActive());
  const size_t played = rig.card.PlayedBytes().size();
  EXPECT_GT(played, 0u);
  EXPECT_LT(played, 1500u * 320 / 2);
}

// The question after a failed device open is the program's string 3, whatever it says.
TEST(MainFrame, TheRetryQuestionIsTheProgramsString) {
  struct Case {
    const char* strings;
    const char* question;
  };
  for (const Case c :
       {Case{"", "Initialize Failed!!\nRetry Open WaveOutDevice(y/n)?"},
        Case{"3 Kein Ger\xC3\xA4t!!\\nNochmals?\n", "Kein Ger\xC3\xA4t!!\nNochmals?"}}) {
    PlayerRig rig;
    rig.strings.Parse(c.strings);
    rig.files.Put("/a.vxs", SpeechFile(10, 0));
    rig.card.FailAlways(WaveOp::kOutOpen, kMmError);
    auto* frame = new CMainFrame(rig.Resources(), "/a.vxs");
    rig.Pump();
    bool asked = false;
    for (const auto& prompt : rig.prompter.Prompts()) asked |= prompt.text == c.question;
    EXPECT_TRUE(asked) << c.question;
    frame->Destroy();
    wxTheApp->ProcessIdle();
  }
}

TEST(MainFrame, CtrlOOpensTheChosenFileAndACancelKeepsTheDocument) {
  FrameRig rig("");
  rig.files.Put("/c.vxs", SpeechFile(30, 1));
  rig.chooser.QueueAnswer(std::nullopt);
  rig.frame->OnFileOpen();
  EXPECT_EQ(rig.frame->Document().Path(), "");
  rig.chooser.QueueAnswer("/c.vxs");
  rig.frame->OnFileOpen();
  rig.Pump();
  EXPECT_EQ(rig.frame->Document().Path(), "/c.vxs");
  EXPECT_EQ(rig.card.PlayedBytes().size(), 30u * 320);
  ASSERT_EQ(rig.chooser.Requests().size(), 2u);
  EXPECT_EQ(rig.chooser.Requests()[0].filter,
            "Vocrix 0.2(*.vxs)|*.vxs|Vocrix 0.1(*.cht)|*.cht|All Files (*.*)|*.*||");
  EXPECT_EQ(rig.chooser.Requests()[0].initialName, "*.vxs");
  EXPECT_EQ(rig.chooser.Requests()[0].defaultExtension, "vxs");
}

TEST(MainFrame, ADroppedFileBecomesTheDocumentAndPlays) {
  FrameRig rig("");
  rig.files.Put("/dropped.vxs", SpeechFile(25, 0));
  auto* names = new wxString[1]{"/dropped.vxs"};  // the event owns the list
  wxDropFilesEvent drop(wxEVT_DROP_FILES, 1, names);
  rig.frame->GetEventHandler()->ProcessEvent(drop);
  rig.Pump();
  EXPECT_EQ(rig.frame->Document().Path(), "/dropped.vxs");
  EXPECT_EQ(rig.card.PlayedBytes().size(), 25u * 320);
}

TEST(MainFrame, TheLogoShowsTheAboutBox) {
  FrameRig rig("");
  wxString caption;
  // Answers the box, noting its caption.
  class AboutAnswer final : public wxExpectModalBase<AboutDialog, AboutAnswer> {
   public:
    explicit AboutAnswer(wxString& caption) : caption_(caption) {}

   protected:
    int OnInvoked(AboutDialog* dialog) const override {
      caption_ = dialog->GetTitle();
      return wxID_OK;
    }

   private:
    wxString& caption_;
  };
  wxCommandEvent logo(wxEVT_BUTTON, kIdLogoButton);
  wxTEST_DIALOG(rig.frame->View().GetEventHandler()->ProcessEvent(logo), AboutAnswer(caption));
  EXPECT_EQ(caption, "About Vocrix Player");
}

TEST(VocrixApp, TheCommandLineIsTakenWholeAsThePath) {
  EXPECT_EQ(CommandLinePath({}), "");
  EXPECT_EQ(CommandLinePath({"/tmp/a.vxs"}), "/tmp/a.vxs");
  EXPECT_EQ(CommandLinePath({"/tmp/my", "speech.vxs"}), "/tmp/my speech.vxs");
}

}  // namespace
}  // namespace vx
