// vxtool record, run as a program: over the virtual card on a virtual clock, and over the real
// ALSA backend through a configuration whose default capture PCM reads an input file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/encoder.h"
#include "io/memory_stream.h"
#include "testsupport/alsa_file_config.h"
#include "testsupport/expected_take.h"
#include "testsupport/test_speech.h"
#include "tools/vxtool/tests/run_vxtool.h"
#include "wavfile/wave_file.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

using testing::ExpectedFile;
using tooltest::Outcome;
using tooltest::ReadBytes;
using tooltest::RunVxtool;
using tooltest::WriteBytes;

// Recorded speech (5.65 s at 8000 Hz) as PCM bytes.
std::vector<uint8_t> Speech() {
  const test::SpeechClip clip = test::ReadSpeechClip(test::SourcePath("samples/vm-intro.wav"));
  EXPECT_FALSE(clip.samples.empty());
  std::vector<uint8_t> bytes(clip.samples.size() * 2);
  std::memcpy(bytes.data(), clip.samples.data(), bytes.size());
  return bytes;
}

std::vector<uint8_t> Wave(const std::vector<uint8_t>& pcm, int rate) {
  MemoryStream file;
  WaveWriter writer;
  writer.CreateWaveFormat(file, rate, 16, 1);
  writer.CreateWaveData(file);
  file.Write(pcm);
  writer.CloseWaveData(file);
  writer.CloseWaveRiff(file);
  return file.Bytes();
}

class RecordCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vxtool_record_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "run");
    // The take's scratch file lives in the user's runtime directory.
    setenv("XDG_RUNTIME_DIR", Path("run").c_str(), 1);
    speech_ = Speech();
    WriteBytes(Path("in.wav"), Wave(speech_, 8000));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // `vxtool record ARGS`, standard input from the shell command `input` or /dev/null.
  Outcome Record(const std::string& arguments, const std::string& input = "") {
    return RunVxtool(dir_, "record " + arguments, input);
  }

  fs::path dir_;
  std::vector<uint8_t> speech_;
};

TEST_F(RecordCommandTest, VirtualTakeOf2300MsKeepsFourBlocks) {
  for (const int rateMode : {0, 1}) {
    const Outcome run = Record(std::string("take.vxs --seconds 2.3 --device virtual:in.wav") +
                               (rateMode ? " --half" : ""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "take.vxs: 100 frames, 16000 samples (2.00 s)\n");
    const std::vector<uint8_t> take = ReadBytes(Path("take.vxs"));
    EXPECT_EQ(take, ExpectedFile(speech_, 100, rateMode)) << "rate mode " << rateMode;
    EXPECT_FALSE(fs::exists(Path("run/VocrixRec.tmp"))) << "the saved take's scratch file";
    EXPECT_FALSE(fs::exists(Path("VocrixRec.tmp")));
    EXPECT_NE(run.err.find("- 0:03\n- 0:02\n- 0:01\n  0:00\n  0:01\n  0:02\n- 0:03"),
              std::string::npos)
        << run.err;
  }
  // Without S the virtual card's take is the whole input: 11 whole blocks of its 11.3.
  const Outcome whole = Record("whole.vxs --device virtual:in.wav");
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(ReadBytes(Path("whole.vxs")), ExpectedFile(speech_, 275, 0));
}

TEST_F(RecordCommandTest, RefusesBadArgumentsAndTheTemporaryFileAsTarget) {
  WriteBytes(Path("wide.wav"), Wave(speech_, 16000));
  struct Case {
    std::string arguments;
    const char* message;
  };
  const Case cases[] = {
      {"run/VocrixRec.tmp --device virtual:in.wav", "This File is Illegal Name"},
      {"./run/vocrixrec.TMP --device virtual:in.wav", "This File is Illegal Name"},
      {"--device virtual:in.wav", "usage: vxtool record"},
      {"a.vxs b.vxs --device virtual:in.wav", "usage: vxtool record"},
      {"a.vxs --seconds 0 --device virtual:in.wav", "--seconds needs"},
      {"a.vxs --seconds 1.2345 --device virtual:in.wav", "--seconds needs"},
      {"a.vxs --seconds x --device virtual:in.wav", "--seconds needs"},
      {"a.vxs --device speaker", "unknown device speaker"},
      {"a.vxs --device virtual:missing.wav", "missing.wav"},
      {"a.vxs --device virtual:wide.wav", "captures 8000 Hz 16-bit mono"},
      {"a.vxs --rate 8000", "unknown option --rate"},
      {"none/a.vxs --device virtual:in.wav", "the directory none/ does not exist"},
  };
  for (const Case& c : cases) {
    const Outcome run = Record(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("run/VocrixRec.tmp"))) << "nothing was recorded";
  EXPECT_FALSE(fs::exists(Path("a.vxs")));
}

// The real backend: ALSA's default PCM is the file plugin over the null PCM, capturing from an
// input file. Such a PCM is not paced, so a take holds at least the blocks asked for.
class AlsaRecordTest : public RecordCommandTest {
 protected:
  void SetUp() override {
    RecordCommandTest::SetUp();
    // Twice the speech, so that the blocks captured beyond the take still come from it.
    source_ = speech_;
    source_.insert(source_.end(), speech_.begin(), speech_.end());
    alsa_.WriteCaptureSource(source_);
  }
  testing::AlsaFileConfig alsa_;
  std::vector<uint8_t> source_;
};

TEST_F(AlsaRecordTest, RecordReadsTheConfiguredInputFile) {
  const Outcome run = Record("take.vxs --seconds 2.3");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<uint8_t> take = ReadBytes(Path("take.vxs"));
  const int32_t count = testing::HeaderSampleCount(take);
  ASSERT_GE(count, 16000) << run.err;
  ASSERT_EQ(count % 4000, 0) << "whole blocks of 25 frames";
  const int frames = count / kFrameSamples;
  ASSERT_LE(frames * kFramePcmBytes, static_cast<int>(source_.size()));
  EXPECT_EQ(take, ExpectedFile(source_, frames, 0));
}

// Enter comes once the countdown shows on the time display (its first step, "- 0:03"), so the
// stop falls inside the three seconds of countdown however slowly the program starts.
TEST_F(AlsaRecordTest, EnterDuringTheCountdownStopsWithoutATake) {
  const Outcome run =
      Record("take.vxs",
             "(for i in $(seq 600); do grep -q -e '- 0:03' stderr && break; sleep 0.05; "
             "done; echo)");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("stopped before the recording began"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Path("take.vxs")));
  EXPECT_EQ(ReadBytes(Path("run/VocrixRec.tmp")), ExpectedFile({}, 0, 0)) << "a header counting 0";
}

TEST_F(AlsaRecordTest, InterruptWhileRecordingSavesTheTake) {
  const std::string out = Path("stdout"), err = Path("stderr");
  // The interrupt comes once the time display shows a second or more recorded (the display
  // follows the unpaced capture in steps), not after a guessed delay that a slow start could
  // put inside the countdown.
  const std::string command =
      "cd " + dir_.string() + " && (timeout 60 " + std::string(VXTOOL_PATH) +
      " record take.vxs </dev/null >" + out + " 2>" + err +
      " & pid=$!; for i in $(seq 500); do grep -qE '^ +[0-9]+:([0-9][1-9]|[1-9][0-9])' " + err +
      " && break; sleep 0.1; done; kill -INT $pid; wait $pid)";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << tooltest::ReadText(err);
  const std::vector<uint8_t> take = ReadBytes(Path("take.vxs"));
  const int32_t count = testing::HeaderSampleCount(take);
  EXPECT_GT(count, 0) << tooltest::ReadText(err);
  EXPECT_EQ(count % 4000, 0);
  EXPECT_FALSE(fs::exists(Path("run/VocrixRec.tmp")));
}

}  // namespace
}  // namespace vx
