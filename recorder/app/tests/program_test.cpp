// The vxrecord program end to end, on the virtual X server that the test runs under: it
// records from ALSA's capture (the file plugin reading a file of speech), is pressed and
// closed as a user would, saves through its file chooser's scripted answers, and keeps a
// second copy from starting.
#include <gtest/gtest.h>
#include <wx/colour.h>
#include <wx/image.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testsupport/alsa_file_config.h"
#include "testsupport/test_speech.h"
#include "testsupport/expected_take.h"
#include "testsupport/program_runner.h"
#include "testsupport/x_screen.h"

namespace vx {
namespace {

using std::chrono::seconds;
using testing::FileSize;
using testing::Program;
using testing::WaitFor;
namespace fs = std::filesystem;

constexpr const char* kTitle = "Vocrix Recoder for Windows95/NT";
// Where the window's buttons are (their centres, from the delivered layout).
constexpr int kRecordX = 245, kRecordY = 85, kStopX = 155, kStopY = 85;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The main window: the one of the title at the window's size (a message box carries the
// title too).
std::vector<testing::XScreen::WindowId> MainWindows(testing::XScreen& screen) {
  std::vector<testing::XScreen::WindowId> found;
  for (const testing::XScreen::Shown& shown : screen.Viewable())
    if (shown.title == kTitle && shown.width == 320 && shown.height == 170)
      found.push_back(shown.id);
  return found;
}

class RecorderProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(screen_.Ok()) << "no display: run under xvfb-run";
    dir_ = fs::path(alsa_.PlayedPath()).parent_path().string();
    testing::IsolateEnvironment(dir_);
    setenv("VOCRIX_CHOOSER_ANSWERS", (dir_ + "/answers.txt").c_str(), 1);
    // Two minutes of speech: the file plugin is not paced, so a take is read far faster than
    // it would be spoken, and must not run past the end.
    const test::SpeechClip clip = test::ReadSpeechClip(VX_SOURCE_DIR "/samples/vm-intro.wav");
    ASSERT_EQ(clip.rate, 8000);
    for (int i = 0; i < 24; ++i)
      source_.insert(source_.end(), reinterpret_cast<const uint8_t*>(clip.samples.data()),
                     reinterpret_cast<const uint8_t*>(clip.samples.data() + clip.samples.size()));
    alsa_.WriteCaptureSource(source_);
  }

  std::string Scratch() const { return dir_ + "/run/VocrixRec.tmp"; }
  void Answer(const std::vector<std::string>& answers) {
    std::ofstream out(dir_ + "/answers.txt");
    for (const std::string& answer : answers) out << answer << "\n";
  }
  // Presses Record and waits until the take has grown past its first blocks.
  void RecordAWhile(testing::XScreen::WindowId window) {
    screen_.Click(window, kRecordX, kRecordY);
    ASSERT_TRUE(WaitFor([&] { return FileSize(Scratch()) > 20000; }, seconds(30)))
        << "the take never grew";
  }
  // The saved take holds whole blocks of the captured speech, encoded as a fresh encoder
  // session encodes them.
  void ExpectTake(const std::string& path) {
    const std::vector<uint8_t> take = ReadBytes(path);
    const int32_t count = testing::HeaderSampleCount(take);
    ASSERT_GT(count, 0);
    EXPECT_EQ(count % 4000, 0) << "whole blocks of 25 frames";
    const int frames = count / 160;
    ASSERT_LE(static_cast<size_t>(frames) * 320, source_.size());
    EXPECT_TRUE(take == testing::ExpectedFile(source_, frames, 0)) << path;
  }

  testing::XScreen screen_;
  testing::AlsaFileConfig alsa_;
  std::string dir_;
  std::vector<uint8_t> source_;
};

TEST_F(RecorderProgramTest, RecordsSavesRefusesASecondCopyAndSavesBeforeClosing) {
  Answer({dir_ + "/take.vxs", dir_ + "/closing.vxs"});
  Program first(VXRECORD_PROGRAM);
  ASSERT_TRUE(WaitFor([&] { return MainWindows(screen_).size() == 1; }, seconds(20)));
  const auto window = MainWindows(screen_).at(0);

  // Record: the countdown runs in the time box, then the capture; Stop&Save saves the take
  // under the chosen name and removes the scratch file.
  screen_.Click(window, kRecordX, kRecordY);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(Scratch()); }, seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  const wxImage shot = screen_.Capture(window);
  shot.SaveFile(VX_SCREENSHOT_PATH, wxBITMAP_TYPE_PNG);
  EXPECT_EQ(shot.GetWidth(), 320);
  EXPECT_EQ(shot.GetHeight(), 170);
  // The window stays live while counting down: Stop shows its enabled face (the red square).
  EXPECT_EQ(wxColour(shot.GetRed(kStopX, kStopY), shot.GetGreen(kStopX, kStopY),
                     shot.GetBlue(kStopX, kStopY)),
            wxColour(128, 0, 0));
  ASSERT_TRUE(WaitFor([&] { return FileSize(Scratch()) > 20000; }, seconds(30)));
  screen_.Click(window, kStopX, kStopY);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(dir_ + "/take.vxs") && !fs::exists(Scratch()); },
                      seconds(30)));
  ExpectTake(dir_ + "/take.vxs");

  // A second copy says so and ends; the first goes on.
  Program second(VXRECORD_PROGRAM);
  std::vector<testing::XScreen::WindowId> boxes;
  ASSERT_TRUE(WaitFor(
      [&] {
        boxes.clear();
        for (const testing::XScreen::Shown& shown : screen_.Viewable())
          if (shown.title == kTitle && shown.id != window) boxes.push_back(shown.id);
        return !boxes.empty();
      },
      seconds(20)))
      << "no message from the second copy";
  screen_.Close(boxes.at(0));
  EXPECT_EQ(second.Wait(seconds(20)), 1);
  EXPECT_FALSE(first.Exited());
  EXPECT_EQ(MainWindows(screen_).size(), 1u);

  // Closing the window while recording stops the capture, asks for the name, saves, and
  // only then ends the program.
  RecordAWhile(window);
  screen_.Close(window);
  EXPECT_EQ(first.Wait(seconds(30)), 0);
  ExpectTake(dir_ + "/closing.vxs");
  EXPECT_FALSE(fs::exists(Scratch()));
  EXPECT_TRUE(MainWindows(screen_).empty());
}

}  // namespace
}  // namespace vx
