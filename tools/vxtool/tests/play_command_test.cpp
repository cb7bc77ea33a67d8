// vxtool play, run as a program: over the virtual card on a virtual clock (what was played
// lands in a WAV file), and over the real ALSA backend through a configuration whose default
// playback PCM writes a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testsupport/alsa_file_config.h"
#include "testsupport/played_streams.h"
#include "tools/vxtool/tests/run_vxtool.h"
#include "wavfile/wave_file.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

using testing::MakeStream;
using testing::ReferenceDecoder;
using testing::WrapInWave;

using tooltest::Outcome;
using tooltest::ReadBytes;
using tooltest::RunVxtool;
using tooltest::WriteBytes;

// The PCM of a WAV file the virtual card's sound was written to, and its rate.
std::vector<uint8_t> PlayedWave(const std::string& path, int& rate) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  MemoryStream file(bytes);
  WaveReader reader;
  int bits = 0, channels = 0;
  uint32_t size = 0;
  rate = 0;
  if (reader.ReadWaveFormat(file, rate, bits, channels) != 0 ||
      reader.FindWaveData(file, size) != 0) {
    ADD_FAILURE() << path << " is not a WAV file";
    return {};
  }
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(channels, 1);
  std::vector<uint8_t> pcm(size);
  EXPECT_EQ(file.Read(pcm), static_cast<int64_t>(size));
  return pcm;
}

// What the engine plays of `stream` from frame `seek`: a seek from the start decodes forward
// to the target, then warms the decoder up over the 25 frames before it.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& stream, int rateCode, int seek) {
  ReferenceDecoder ref(stream, rateCode);
  if (seek == 0) return ref.Decode(0);
  ref.Decode(0, seek);
  ref.Decode(std::max(0, seek - 25), seek);
  return ref.Decode(seek);
}

class PlayCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vxtool_play_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // vxtool play with the arguments, without a terminal.
  Outcome Vxtool(const std::string& arguments) { return RunVxtool(dir_, "play " + arguments); }

  fs::path dir_;
};

struct PlayCase {
  const char* name;
  int wrapperRate;  // 0: a bare stream
  int seek;
};

void PrintTo(const PlayCase& c, std::ostream* out) {
  *out << c.name;
}

class VirtualPlayTest : public PlayCommandTest, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(VirtualPlayTest, WritesWhatTheEnginePlayed) {
  const PlayCase& c = GetParam();
  const std::vector<uint8_t> stream = MakeStream({450, 1, 0, true, 71});
  WriteBytes(Path("in.vxs"), c.wrapperRate ? WrapInWave(stream, c.wrapperRate) : stream);
  const std::string seek = c.seek ? " --seek " + std::to_string(c.seek) : "";
  const Outcome o = Vxtool(Path("in.vxs") + " --device virtual:" + Path("out.wav") + seek);
  ASSERT_EQ(o.status, 0) << o.err;
  int rate = 0;
  const std::vector<uint8_t> played = PlayedWave(Path("out.wav"), rate);
  EXPECT_EQ(rate, c.wrapperRate ? c.wrapperRate : 8000);
  EXPECT_TRUE(played == Expected(stream, c.wrapperRate ? 11 : 8, c.seek))
      << played.size() << " bytes played";
  EXPECT_EQ(o.err, "");
}

INSTANTIATE_TEST_SUITE_P(Files, VirtualPlayTest,
                         ::testing::Values(PlayCase{"Bare", 0, 0}, PlayCase{"BareSeek", 0, 100},
                                           PlayCase{"Wrapped11025", 11025, 0},
                                           PlayCase{"Wrapped11025Seek", 11025, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayCommandTest, StatusLineShowsTheTimesAndTheLitLamp) {
  WriteBytes(Path("half.vxs"), MakeStream({250, 1, 1, true, 72}));
  const Outcome o = Vxtool(Path("half.vxs") + " --device virtual:" + Path("out.wav"));
  ASSERT_EQ(o.status, 0) << o.err;
  // Not a terminal: each change of the line is a line of its own, one per second played.
  for (const char* line : {"  0:00 /   0:05  Half Rate\n", "  0:03 /   0:05  Half Rate\n"}) {
    EXPECT_NE(o.out.find(line), std::string::npos) << o.out;
  }

  // Without a sample count there is no total.
  WriteBytes(Path("open.vxs"), MakeStream({250, 1, 0, false, 73}));
  const Outcome open = Vxtool(Path("open.vxs") + " --device virtual:" + Path("out.wav"));
  ASSERT_EQ(open.status, 0) << open.err;
  EXPECT_NE(open.out.find("  0:02 /         Full Rate\n"), std::string::npos) << open.out;
}

TEST_F(PlayCommandTest, FailuresShowTheEnginesMessageAndWriteNothing) {
  const Outcome missing = Vxtool(Path("none.vxs") + " --device virtual:" + Path("out.wav"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(
      missing.err.find("[Vocrix File Open Error] mmioOpen(\"" + Path("none.vxs") + "\") Error!!"),
      std::string::npos)
      << missing.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));

  WriteBytes(Path("junk.vxs"), std::vector<uint8_t>(200, 0x5A));
  const Outcome junk = Vxtool(Path("junk.vxs") + " --device virtual:" + Path("out.wav"));
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.err.find("[Vocrix File Error] GetVocrixHeader() Error!!"), std::string::npos)
      << junk.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));
}

TEST_F(PlayCommandTest, BadArgumentsAreRefused) {
  WriteBytes(Path("in.vxs"), MakeStream({10, 1, 0, true, 74}));
  for (const std::string& arguments :
       {std::string(""), Path("in.vxs") + " --device hw:0", Path("in.vxs") + " --device virtual:",
        Path("in.vxs") + " --seek -3", Path("in.vxs") + " --seek x", Path("in.vxs") + " --seek",
        Path("in.vxs") + " " + Path("in.vxs"), Path("in.vxs") + " --loud"}) {
    SCOPED_TRACE(arguments);
    const Outcome o = Vxtool(arguments);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("vxtool: ", 0), 0u) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

// Ctrl-C while playing: a stop request; the run drains and what was played is kept.
TEST_F(PlayCommandTest, InterruptStopsTheRunAndKeepsWhatWasPlayed) {
  // 30 minutes of speech take the virtual card some seconds; the signal comes as soon as
  // the status line shows that the run has begun.
  const std::vector<uint8_t> stream = MakeStream({90000, 1, 0, true, 75});
  WriteBytes(Path("long.vxs"), stream);
  const std::string out = Path("stdout"), err = Path("stderr");
  const std::string command = "(timeout 120 " + std::string(VXTOOL_PATH) + " play " +
                              Path("long.vxs") + " --device virtual:" + Path("out.wav") +
                              " </dev/null >" + out + " 2>" + err +
                              " & pid=$!; n=0; while [ ! -s " + out +
                              " ] && [ $n -lt 2000 ]; do sleep 0.01; n=$((n+1)); done; "
                              "kill -INT $pid; wait $pid)";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130) << tooltest::ReadText(err);
  // The tool ended by itself, after writing the output, not killed by the signal.
  EXPECT_NE(tooltest::ReadText(out).find("bytes played to " + Path("out.wav")), std::string::npos)
      << tooltest::ReadText(out);
  int rate = 0;
  const std::vector<uint8_t> played = PlayedWave(Path("out.wav"), rate);
  const std::vector<uint8_t> whole = ReferenceDecoder(stream, 8).Decode(0);
  ASSERT_LT(played.size(), whole.size());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), whole.begin()));
}

// The real ALSA backend, its default PCM a file: the file holds exactly the decoded PCM.
class AlsaPlayTest : public PlayCommandTest, public ::testing::WithParamInterface<PlayCase> {
 protected:
  testing::AlsaFileConfig alsa_;
};

TEST_P(AlsaPlayTest, TheConfiguredFileHoldsTheDecodedPcm) {
  const PlayCase& c = GetParam();
  const std::vector<uint8_t> stream = MakeStream({700, 1, 0, true, 76});
  WriteBytes(Path("in.vxs"), c.wrapperRate ? WrapInWave(stream, c.wrapperRate) : stream);
  const std::string seek = c.seek ? " --seek " + std::to_string(c.seek) : "";
  const Outcome o = Vxtool(Path("in.vxs") + seek);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  const std::vector<uint8_t> played = alsa_.Played();
  EXPECT_TRUE(played == Expected(stream, c.wrapperRate ? 11 : 8, c.seek))
      << played.size() << " bytes in the file";
}

INSTANTIATE_TEST_SUITE_P(Files, AlsaPlayTest,
                         ::testing::Values(PlayCase{"Bare", 0, 0}, PlayCase{"BareSeek", 0, 300},
                                           PlayCase{"Wrapped11025", 11025, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vx
