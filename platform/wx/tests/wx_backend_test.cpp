#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/wx/wx_file_chooser.h"
#include "platform/wx/wx_prompter.h"
#include "platform/wx/wx_queue_backend.h"

namespace vx {
namespace {

// Runs wx's own loop until `done` or a bound of wall time.
template <typename Done>
bool RunLoopUntil(Done done, int boundMs = 5000) {
  for (int waited = 0; waited < boundMs && !done(); waited += 5) {
    wxTheApp->ProcessPendingEvents();
    wxMilliSleep(5);
  }
  return done();
}

TEST(WxQueueBackend, PostsFromAnotherThreadAreDispatchedByTheWxLoop) {
  std::unique_ptr<MessageQueue> queue = MakeWxMessageQueue();
  std::vector<uint32_t> seen;
  const TargetId target = queue->Register([&](const Message& m) { seen.push_back(m.id); });
  std::thread poster([&] {
    queue->Post(target, kMsgWaveOutDone);
    queue->Post(target, kMsgPlayRequest);
  });
  poster.join();
  ASSERT_TRUE(RunLoopUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen, (std::vector<uint32_t>{kMsgWaveOutDone, kMsgPlayRequest}));
  EXPECT_TRUE(queue->Empty());
}

// A cooperative loop inside a dispatched message takes the messages posted meanwhile itself,
// in order, and the wake events do not dispatch them behind its back.
TEST(WxQueueBackend, ALoopTakingMessagesGetsThemBeforeTheWakeEventsDo) {
  std::unique_ptr<MessageQueue> queue = MakeWxMessageQueue();
  std::vector<uint32_t> dispatched;
  std::vector<uint32_t> takenByLoop;
  TargetId target = kNoTarget;
  target = queue->Register([&](const Message& m) {
    dispatched.push_back(m.id);
    if (m.id != kMsgRunLoop) return;
    queue->Post(target, kMsgDrawVolume);
    queue->Post(target, kMsgUpdateDisplay);
    for (int i = 0; i < 2; ++i) {
      std::optional<Message> taken = queue->Take();
      ASSERT_TRUE(taken);
      takenByLoop.push_back(taken->id);
    }
  });
  queue->Post(target, kMsgRunLoop);
  ASSERT_TRUE(RunLoopUntil([&] { return !dispatched.empty(); }));
  RunLoopUntil([] { return false; }, 50);
  EXPECT_EQ(dispatched, (std::vector<uint32_t>{kMsgRunLoop}));
  EXPECT_EQ(takenByLoop, (std::vector<uint32_t>{kMsgDrawVolume, kMsgUpdateDisplay}));
}

// Taking a message delivers wx events queued for the UI thread: a nested loop keeps them
// flowing.
TEST(WxQueueBackend, TakeDeliversQueuedWxEvents) {
  std::unique_ptr<MessageQueue> queue = MakeWxMessageQueue();
  wxEvtHandler handler;
  std::atomic<int> delivered{0};
  handler.Bind(wxEVT_THREAD, [&](wxThreadEvent&) { ++delivered; });
  std::thread([&] { wxQueueEvent(&handler, new wxThreadEvent()); }).join();
  EXPECT_FALSE(queue->Take());
  EXPECT_EQ(delivered, 1);
}

TEST(WxQueueBackend, WaitForMessageEndsOnAPostAndOnTheTimeout) {
  std::unique_ptr<MessageQueue> queue = MakeWxMessageQueue();
  const TargetId target = queue->Register([](const Message&) {});
  // Inside a dispatch, as a cooperative loop waits, so the wake event leaves the message.
  bool waited = false;
  const TargetId waiter = queue->Register([&](const Message&) {
    EXPECT_FALSE(queue->WaitForMessage(std::chrono::milliseconds(20)));
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      queue->Post(target, kMsgDrawVolume);
    });
    waited = queue->WaitForMessage(std::chrono::seconds(5));
    poster.join();
    std::optional<Message> taken = queue->Take();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->id, kMsgDrawVolume);
  });
  queue->Dispatch({waiter, kMsgRunLoop});
  EXPECT_TRUE(waited);
}

struct PromptCase {
  PromptButtons buttons;
  int dialogAnswer;
  int code;
};

TEST(WxPrompter, AnswersWithTheOldCodes) {
  const PromptCase cases[] = {
      {PromptButtons::kOk, wxID_OK, kAnswerOk},
      {PromptButtons::kOkCancel, wxID_OK, kAnswerOk},
      {PromptButtons::kOkCancel, wxID_CANCEL, kAnswerCancel},
      {PromptButtons::kYesNo, wxID_YES, kAnswerYes},
      {PromptButtons::kYesNo, wxID_NO, kAnswerNo},
      {PromptButtons::kYesNoCancel, wxID_CANCEL, kAnswerCancel},
  };
  WxPrompter prompter("Vocrix Player for Windows95/NT");
  for (const PromptCase& c : cases) {
    int answer = 0;
    wxTEST_DIALOG(answer = prompter.MessageBox("Initialize Failed!!\nRetry?", "", c.buttons,
                                               PromptIcon::kNone),
                  wxExpectModal<wxMessageDialog>(c.dialogAnswer));
    EXPECT_EQ(answer, c.code) << static_cast<int>(c.buttons) << " " << c.dialogAnswer;
  }
}

TEST(WxPrompter, AnEmptyCaptionShowsTheApplicationTitle) {
  WxPrompter prompter("Vocrix Player for Windows95/NT");
  wxString caption;
  class CaptionOf final : public wxExpectModal<wxMessageDialog> {
   public:
    explicit CaptionOf(wxString& out) : wxExpectModal<wxMessageDialog>(wxID_OK), out_(out) {}

   protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
      out_ = dialog->GetTitle();
      return wxID_OK;
    }

   private:
    wxString& out_;
  };
  wxTEST_DIALOG(
      prompter.MessageBox("File[x] not found!", "", PromptButtons::kOk, PromptIcon::kNone),
      CaptionOf(caption));
  EXPECT_EQ(caption, "Vocrix Player for Windows95/NT");
}

TEST(WxFileChooser, TheOldFilterBecomesAWildcard) {
  EXPECT_EQ(
      WildcardOfFilter("Vocrix 0.2(*.vxs)|*.vxs|Vocrix 0.1(*.cht)|*.cht|All Files (*.*)|*.*||"),
      "Vocrix 0.2(*.vxs)|*.vxs|Vocrix 0.1(*.cht)|*.cht|All Files (*.*)|*.*");
}

}  // namespace
}  // namespace vx
