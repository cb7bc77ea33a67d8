// vxtool encode as a user runs it: the program on real files, without a terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "codec/speech_header.h"
#include "io/memory_stream.h"
#include "tools/vxtool/tests/run_vxtool.h"
#include "wavfile/wave_file.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

using tooltest::Outcome;
using tooltest::RunVxtool;

std::vector<uint8_t> Wav(int rate, int channels, size_t frames, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 200.0);
  MemoryStream file;
  WaveWriter writer;
  writer.CreateWaveFormat(file, rate, 16, channels);
  writer.CreateWaveData(file);
  std::vector<uint8_t> data;
  for (size_t t = 0; t < frames; ++t) {
    for (int c = 0; c < channels; ++c) {
      const double v =
          (c ? 2000.0 : 6000.0) * std::sin(2 * M_PI * (150.0 + 90 * c) * t / rate) + noise(random);
      const auto s = static_cast<uint16_t>(static_cast<int16_t>(v));
      data.push_back(static_cast<uint8_t>(s));
      data.push_back(static_cast<uint8_t>(s >> 8));
    }
  }
  file.Write(data);
  writer.CloseWaveData(file);
  writer.CloseWaveRiff(file);
  return file.Bytes();
}

// The header of a compressed speech file; streamType 0 when it is not one.
SpeechHeaderInfo Header(const std::vector<uint8_t>& bytes) {
  SpeechHeaderInfo info;
  if (bytes.size() < 2) return info;
  const size_t n = static_cast<size_t>(bytes[0] << 8 | bytes[1]);
  if (bytes.size() < 2 + n || ParseSpeechHeader(std::span(bytes).subspan(2, n), info) != 0)
    return SpeechHeaderInfo{};
  return info;
}

class EncodeCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("vxtool_encode_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs vxtool in the test directory with no terminal on standard input.
  Outcome Vxtool(const std::string& arguments) { return RunVxtool(dir_, arguments); }

  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = Read(path);
    return std::string(bytes.begin(), bytes.end());
  }
  static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir_;
};

TEST_F(EncodeCommandTest, ConvertsEachFileBesideItAndSummarisesIt) {
  Write(Path("a.wav"), Wav(16000, 1, 127 + 50 * 320, 1));
  Write(Path("b.wav"), Wav(44100, 2, 127 + 25 * 882, 2));
  const Outcome run = Vxtool("encode a.wav b.wav");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("a.wav -> a.vxs: 50 frames ("), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("), 1.00 s, "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("b.wav -> b.vxs: 25 frames ("), std::string::npos) << run.out;
  EXPECT_EQ(Header(Read(Path("a.vxs"))).sampleCount, 50 * 160);
  EXPECT_EQ(Header(Read(Path("b.vxs"))).streamType, 13);

  // The options reach the header and the channel choice.
  ASSERT_EQ(Vxtool("encode --half --fixed --right -o c.vxs b.wav").status, 0);
  EXPECT_EQ(Header(Read(Path("c.vxs"))).streamType, 4);
  ASSERT_EQ(Vxtool("encode --right -o d.vxs b.wav").status, 0);
  EXPECT_NE(Read(Path("d.vxs")), Read(Path("b.vxs")));
}

TEST_F(EncodeCommandTest, RefusedFilesAreReportedAndTheBatchGoesOn) {
  Write(Path("text.wav"), {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
  Write(Path("r32k.wav"), Wav(32000, 1, 3200, 3));
  Write(Path("good.wav"), Wav(8000, 1, 1600, 4));
  const Outcome run = Vxtool("encode text.wav r32k.wav good.wav missing.wav");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Sorry...It can't be converted.\nThis file isn't wav format.\n\nFile "
                         "[text.wav]"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("Sorry...This Wave File can't be converted.\n\nFile[r32k.wav]\n"
                         "Quality: 32.0KHz 16Bits  Mono "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("File [missing.wav]"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(Path("good.vxs")));
  EXPECT_FALSE(fs::exists(Path("r32k.vxs")));
}

TEST_F(EncodeCommandTest, ExistingOutputIsReplacedOnlyWhenTheOptionsSaySo) {
  Write(Path("a.wav"), Wav(8000, 1, 1600, 5));
  Write(Path("a.vxs"), {1, 2, 3});
  struct Case {
    const char* options;
    int status;
    bool replaced;
    const char* error;
  };
  for (const Case& c : {Case{"", 1, false, "File [a.vxs] exist. Overwritten?"},
                        Case{"--skip", 1, false, ""}, Case{"--overwrite", 0, true, ""}}) {
    SCOPED_TRACE(c.options);
    const Outcome run = Vxtool(std::string("encode ") + c.options + " a.wav");
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(Read(Path("a.vxs")) != (std::vector<uint8_t>{1, 2, 3}), c.replaced);
  }
}

TEST_F(EncodeCommandTest, OutDirIsCreatedOnlyWithYes) {
  Write(Path("a.wav"), Wav(8000, 1, 1600, 6));
  Outcome run = Vxtool("encode --out-dir out a.wav");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The Directory [out] is not exist!!\nDo you create Directory?"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(Path("out")));
  run = Vxtool("encode --yes --out-dir out a.wav");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("a.wav -> out/a.vxs: 10 frames"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(Path("a.vxs")));
}

TEST_F(EncodeCommandTest, ParallelBatchWritesTheSameFiles) {
  const int rates[] = {8000, 11025, 22050, 48000};
  std::string names;
  for (int i = 0; i < 4; ++i) {
    Write(Path("f" + std::to_string(i) + ".wav"), Wav(rates[i], 1, rates[i] * 2, 10 + i));
    names += " f" + std::to_string(i) + ".wav";
  }
  ASSERT_EQ(Vxtool("encode --out-dir=one --yes -j 1" + names).status, 0);
  const Outcome run = Vxtool("encode --out-dir=two --yes -j 2" + names);
  ASSERT_EQ(run.status, 0) << run.err;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(rates[i]);
    const std::string name = "/f" + std::to_string(i) + ".vxs";
    EXPECT_EQ(Header(Read(Path("one") + name)).sampleCount, 100 * 160);
    EXPECT_EQ(Read(Path("two") + name), Read(Path("one") + name));
  }
}

TEST_F(EncodeCommandTest, BadArguments) {
  Write(Path("a.wav"), Wav(8000, 1, 1600, 7));
  for (const char* arguments :
       {"encode", "encode --overwrite --skip a.wav", "encode -o x.vxs a.wav a.wav",
        "encode -j 0 a.wav", "encode --loud a.wav"}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Vxtool(arguments).status, 1);
  }
  EXPECT_FALSE(fs::exists(Path("a.vxs")));
}

// Without a terminal Ctrl-C aborts at once; the output keeps the frames written so far.
TEST_F(EncodeCommandTest, InterruptAbortsAndLeavesAValidFile) {
  Write(Path("long.wav"), Wav(8000, 1, 8000 * 600, 8));
  std::fflush(stdout);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir_.c_str()) != 0) _exit(99);
    freopen("/dev/null", "r", stdin);
    freopen(Path("stderr").c_str(), "w", stderr);
    freopen(Path("stdout").c_str(), "w", stdout);
    execl(VXTOOL_PATH, VXTOOL_PATH, "encode", "long.wav", static_cast<char*>(nullptr));
    _exit(98);
  }
  // Interrupt once frames are being written (waiting at most 20 s).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline &&
         (!fs::exists(Path("long.vxs")) || fs::file_size(Path("long.vxs")) < 2000))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(Text(Path("stderr")).find("interrupted"), std::string::npos) << Text(Path("stderr"));
  const SpeechHeaderInfo info = Header(Read(Path("long.vxs")));
  EXPECT_EQ(info.streamType, 13);
  EXPECT_GT(info.sampleCount, 0);
  EXPECT_LT(info.sampleCount, 8000 * 600);
  EXPECT_EQ(info.sampleCount % 160, 0);
}

}  // namespace
}  // namespace vx
