// The vocrix program end to end, on the virtual X server that the test runs under: it plays a
// file through ALSA into a file (the file plugin over the null PCM), a second start hands its
// file over to the running copy, the window is captured and checked against the layout, and
// a close during playback stops the sound and ends the program.
#include <gtest/gtest.h>
#include <wx/colour.h>
#include <wx/image.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/alsa_file_config.h"
#include "codec/decoder.h"
#include "codec/encoder.h"
#include "testsupport/test_speech.h"
#include "io/file_stream.h"
#include "testsupport/program_runner.h"
#include "testsupport/x_screen.h"

namespace vx {
namespace {

constexpr const char* kTitle = "Vocrix Player for Windows95/NT";
using testing::FileSize;
using testing::Program;
using testing::WaitFor;

// Encodes the sample into a compressed speech file whose frames are repeated `times`; returns
// the bytes it decodes to.
size_t EncodeSample(const std::string& path, int rateMode, int times = 1) {
  const test::SpeechClip clip = test::ReadSpeechClip(VX_SAMPLES_DIR "/vm-intro.wav");
  EXPECT_EQ(clip.rate, 8000);
  const size_t frames = clip.samples.size() / kFrameSamples;
  EncoderSession encoder;
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  const int32_t samples = static_cast<int32_t>(frames * kFrameSamples * times);
  const int n =
      encoder.WriteSpeechHeader(samples, "Voice Message", "Nocomment", 1, rateMode, header);
  EXPECT_GT(n, 0);
  std::vector<uint8_t> coded;
  std::array<uint8_t, kMaxFrameBytes> frame{};
  for (size_t f = 0; f < frames; ++f) {
    const int bytes = encoder.EncodeFrame(
        std::span<const int16_t>(clip.samples).subspan(f * kFrameSamples, kFrameSamples), 8000,
        frame, 1, rateMode);
    EXPECT_GT(bytes, 0);
    coded.insert(coded.end(), frame.begin(), frame.begin() + std::max(bytes, 0));
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header.data()), 2 + n);
  for (int t = 0; t < times; ++t)
    out.write(reinterpret_cast<const char*>(coded.data()),
              static_cast<std::streamsize>(coded.size()));
  return frames * times * 2 * kFrameSamples;
}

// What the decoder makes of the file: the bytes the player must send to the sound card.
std::vector<uint8_t> Decode(const std::string& path) {
  PosixFileOpener files;
  int error = 0;
  std::unique_ptr<ByteStream> file = files.Open(path, FileMode::kRead, error);
  EXPECT_TRUE(file);
  if (!file) return {};
  DecoderSession decoder;
  int32_t samples = 0;
  int streamType = 0;
  EXPECT_EQ(decoder.GetVocrixHeader(*file, samples, streamType), 0);
  std::vector<uint8_t> pcm;
  std::array<uint8_t, 320> frame{};
  while (decoder.ReadAndDecodeFrame(*file, frame, 8, streamType, false) == 320)
    pcm.insert(pcm.end(), frame.begin(), frame.end());
  return pcm;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
  return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// Points the programs started from here at a temporary home, runtime directory and ALSA
// configuration of their own; returns the directory.
std::string IsolateEnvironment(const testing::AlsaFileConfig& alsa) {
  const std::string dir = std::filesystem::path(alsa.PlayedPath()).parent_path();
  testing::IsolateEnvironment(dir);
  return dir;
}

TEST(VocrixProgram, AMissingFileIsReportedAndTheProgramEnds) {
  testing::XScreen screen;
  ASSERT_TRUE(screen.Ok()) << "no display: run under xvfb-run";
  testing::AlsaFileConfig alsa;
  const std::string dir = IsolateEnvironment(alsa);
  Program program(VOCRIX_PROGRAM, {dir + "/missing.vxs"});
  // The message box carries the program's title; closing it ends the program.
  ASSERT_TRUE(
      WaitFor([&] { return screen.Windows(kTitle).size() == 1; }, std::chrono::seconds(20)));
  screen.Close(screen.Windows(kTitle).at(0));
  EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 1);
  EXPECT_TRUE(screen.Windows(kTitle).empty());
}

// Without a sound card the device cannot be opened: the device layer reports the failing
// call, the player asks whether to retry, and Cancel ends the run and the program.
TEST(VocrixProgram, WithoutASoundCardTheOpenFailsAndCancelEndsTheProgram) {
  testing::XScreen screen;
  ASSERT_TRUE(screen.Ok()) << "no display: run under xvfb-run";
  testing::AlsaFileConfig alsa;
  const std::string dir = IsolateEnvironment(alsa);
  const std::string conf = dir + "/no-card.conf";
  std::ofstream(conf) << "pcm.!default {\n  type hw\n  card 99\n}\n";
  setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf).c_str(), 1);
  const std::string file = dir + "/intro.vxs";
  EncodeSample(file, 0);
  Program program(VOCRIX_PROGRAM, {file});
  std::vector<std::string> asked;
  // Every box is cancelled as it appears, until the program ends.
  const bool ended = WaitFor(
      [&] {
        for (const testing::XScreen::Shown& shown : screen.Viewable()) {
          const bool mainWindow = shown.width == 320 && shown.height == 210;
          if (shown.title.empty() || shown.title == "vocrix" || mainWindow) continue;
          asked.push_back(shown.title);
          screen.Close(shown.id);
          // Once closed, the box is not seen again.
          WaitFor(
              [&] {
                for (const testing::XScreen::Shown& s : screen.Viewable())
                  if (s.id == shown.id) return false;
                return true;
              },
              std::chrono::seconds(5));
        }
        return program.Exited();
      },
      std::chrono::seconds(40));
  ASSERT_TRUE(ended) << "boxes seen: " << asked.size();
  EXPECT_EQ(program.Wait(std::chrono::seconds(1)), 0);
  EXPECT_NE(std::find(asked.begin(), asked.end(), kTitle), asked.end())
      << "the retry question was not asked";
}

TEST(VocrixProgram, PlaysHandsOverAndClosesDuringPlayback) {
  testing::XScreen screen;
  ASSERT_TRUE(screen.Ok()) << "no display: run under xvfb-run";
  testing::AlsaFileConfig alsa;  // sets ALSA_CONFIG_PATH for the programs started here
  const std::string dir = IsolateEnvironment(alsa);

  const std::string full = dir + "/intro.vxs";
  const std::string half = dir + "/intro-half.vxs";
  const std::string longer = dir + "/long.vxs";
  EncodeSample(full, 0);
  EncodeSample(half, 1);
  // So long that the run cannot reach its end before the window is closed, however fast the
  // unpaced sound card takes it: 3 hours of sound, decoded at about a thousand times real time.
  const size_t longBytes = EncodeSample(longer, 0, 2000);
  const std::vector<uint8_t> fullPcm = Decode(full);
  const std::vector<uint8_t> halfPcm = Decode(half);
  ASSERT_GT(fullPcm.size(), 80000u);

  // The first copy plays its file: the sound card gets exactly the decoder's output.
  Program first(VOCRIX_PROGRAM, {full});
  ASSERT_TRUE(
      WaitFor([&] { return screen.Windows(kTitle).size() == 1; }, std::chrono::seconds(20)));
  ASSERT_TRUE(WaitFor([&] { return alsa.Played() == fullPcm; }, std::chrono::seconds(30)))
      << alsa.Played().size() << " of " << fullPcm.size();

  // The window shows the panel: the run has ended (time display cleared), "Full Rate" lit.
  const auto window = screen.Windows(kTitle).at(0);
  const wxImage shot = screen.Capture(window);
  shot.SaveFile(VX_SCREENSHOT_PATH, wxBITMAP_TYPE_PNG);
  ASSERT_EQ(shot.GetWidth(), 320);
  ASSERT_EQ(shot.GetHeight(), 210);
  EXPECT_EQ(PixelAt(shot, 2, 2), wxColour(192, 192, 192));
  EXPECT_EQ(PixelAt(shot, 16, 56), wxColour(0, 0, 128));
  EXPECT_EQ(PixelAt(shot, 249, 94), wxColour(0, 0, 128));
  EXPECT_EQ(PixelAt(shot, 251, 94), wxColour(192, 192, 192));
  int lit = 0;
  for (int y = 80; y < 96; ++y)
    for (int x = 25; x < 100; ++x) lit += PixelAt(shot, x, y) == wxColour(0, 192, 192);
  EXPECT_GT(lit, 0);

  // A second start hands its file to the first copy and ends without a window of its own; a
  // relative name is the second copy's, not the first's.
  const std::string other = dir + "/other";
  std::filesystem::create_directory(other);
  std::filesystem::rename(half, other + "/intro-half.vxs");
  Program second(VOCRIX_PROGRAM, {"intro-half.vxs"}, other);
  EXPECT_EQ(second.Wait(std::chrono::seconds(20)), 0);
  EXPECT_FALSE(first.Exited());
  ASSERT_TRUE(WaitFor([&] { return alsa.Played() == halfPcm; }, std::chrono::seconds(30)))
      << alsa.Played().size() << " of " << halfPcm.size();
  EXPECT_EQ(screen.Windows(kTitle).size(), 1u);

  // A long file handed over, and the window closed while it plays: the sound stops and the
  // program ends.
  Program third(VOCRIX_PROGRAM, {longer});
  EXPECT_EQ(third.Wait(std::chrono::seconds(20)), 0);
  ASSERT_TRUE(WaitFor([&] { return FileSize(alsa.PlayedPath()) > halfPcm.size() + 64000; },
                      std::chrono::seconds(30)));
  screen.Close(window);
  EXPECT_EQ(first.Wait(std::chrono::seconds(30)), 0);
  EXPECT_LT(FileSize(alsa.PlayedPath()), longBytes);
  EXPECT_TRUE(screen.Windows(kTitle).empty());
}

}  // namespace
}  // namespace vx
