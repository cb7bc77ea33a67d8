#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "codec/decoder.h"
#include "codec/frame_format.h"
#include "codec/speech_header.h"
#include "io/memory_stream.h"
#include "tools/vxtool/tests/run_vxtool.h"
#include "wavfile/wave_file.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

using tooltest::Outcome;
using tooltest::RunVxtool;

class VxtoolTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vxtool_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  Outcome Vxtool(const std::string& arguments) { return RunVxtool(dir_, arguments); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir_;
};

// A variable-rate stream: header, then frames of the given types with random words.
std::vector<uint8_t> Stream(const std::vector<FrameType>& types, int32_t sampleCount,
                            int rateMode = 0) {
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  int n = WriteSpeechHeader(sampleCount, "Voice Message", "Nocomment", 1, rateMode, header);
  std::vector<uint8_t> bytes(header.begin(), header.begin() + 2 + n);
  std::mt19937 random(7);
  for (FrameType type : types) {
    FrameWords words{};
    auto widths = WordWidths(type);
    for (size_t i = 0; i < widths.size(); ++i)
      words[i] = widths[i] ? static_cast<int32_t>(random() & ((1u << widths[i]) - 1)) : 0;
    uint8_t frame[kMaxFrameBytes];
    int length = PackFrameWords(type, words, frame);
    bytes.insert(bytes.end(), frame, frame + length);
  }
  return bytes;
}

std::vector<uint8_t> Wrapped(const std::vector<uint8_t>& stream, int rate) {
  MemoryStream file;
  WaveWriter writer;
  writer.CreateWaveFormat(file, rate, 16, 1);
  writer.CreateWaveData(file);
  file.Write(stream);
  writer.CloseWaveData(file);
  // A chunk after the data must never be read as frames.
  uint8_t list[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
  file.Write(list);
  writer.CloseWaveRiff(file);
  return file.Bytes();
}

const std::vector<FrameType> kMix = {FrameType::kSilence,  FrameType::kNoise,
                                     FrameType::kFullRate, FrameType::kFullRate,
                                     FrameType::kHalfRate, FrameType::kSilence};

TEST_F(VxtoolTest, InfoCountsFramesOfBareAndWrappedStreams) {
  Write(Path("a.vxs"), Stream(kMix, 960));
  Write(Path("a.wav"), Wrapped(Stream(kMix, 960), 8000));
  const std::string expected =
      "{\"version\": \"VX970310\", \"codecVersion\": 2, \"streamType\": 13, \"sampleCount\": 960, "
      "\"title\": \"Voice Message\", \"comment\": \"Nocomment\", \"frames\": {\"full\": 2, "
      "\"half\": 1, \"noise\": 1, \"silence\": 2}, \"durationMs\": 120}\n";
  for (const char* name : {"a.vxs", "a.wav"}) {
    Outcome run = Vxtool("info --json " + Path(name));
    EXPECT_EQ(run.status, 0) << name << run.err;
    EXPECT_EQ(run.out, expected) << name;
  }
  Outcome text = Vxtool("info " + Path("a.vxs"));
  EXPECT_NE(text.out.find("frames:        6 (full 2, half 1, noise 1, silence 2)"),
            std::string::npos)
      << text.out;
}

TEST_F(VxtoolTest, InfoOfAStreamWithoutFramesAndOfACutFrame) {
  std::vector<uint8_t> bytes = Stream({FrameType::kFullRate}, -1);
  bytes.resize(bytes.size() - 3);
  Write(Path("cut.vxs"), bytes);
  Outcome run = Vxtool("info " + Path("cut.vxs"));
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("sample count:  unknown"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("frames:        0"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("the last 16 bytes are a frame cut short"), std::string::npos) << run.out;
}

TEST_F(VxtoolTest, BadInputGivesOneLineWithTheCodecsMessage) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
  };
  std::vector<uint8_t> wrongMagic = Stream({}, 0);
  wrongMagic[2] = 'X';
  std::vector<uint8_t> wrongVersion = Stream({}, 0);
  wrongVersion[2 + 4] = 'Z';
  const Case cases[] = {
      {"empty", {}, "Cannot read file"},
      {"short prefix", {0x00, 0x05, 1, 2, 3, 4, 5}, "Non Supported Header."},
      {"magic", wrongMagic, "Non Supported Header."},
      {"version", wrongVersion, "Non Supported Version."},
  };
  for (const Case& c : cases) {
    Write(Path("bad.vxs"), c.bytes);
    for (const std::string& command :
         {"info " + Path("bad.vxs"), "decode " + Path("bad.vxs") + " " + Path("out.wav")}) {
      Outcome run = Vxtool(command);
      EXPECT_EQ(run.status, 1) << c.name;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name << ": " << run.err;
      EXPECT_FALSE(fs::exists(Path("out.wav"))) << c.name;
    }
  }
  Outcome missing = Vxtool("info " + Path("missing.vxs"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
}

TEST_F(VxtoolTest, DecodeWritesTheDecodersOutputAtEachRate) {
  std::vector<uint8_t> stream = Stream(kMix, 960);
  Write(Path("a.vxs"), stream);
  for (int rate : {8000, 11000, 11025}) {
    int code = rate / 1000;
    DecoderSession session;
    MemoryStream memory(stream);
    int32_t count = 0;
    int type = 0;
    ASSERT_EQ(session.GetVocrixHeader(memory, count, type), 0);
    std::vector<uint8_t> expected;
    uint8_t pcm[kFramePcmBytes11000];
    for (int n; (n = session.ReadAndDecodeFrame(memory, pcm, code, type, false)) > 0;)
      expected.insert(expected.end(), pcm, pcm + n);

    Outcome run =
        Vxtool("decode " + Path("a.vxs") + " " + Path("a.wav") + " --rate " + std::to_string(rate));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string written = Read(Path("a.wav"));
    MemoryStream wav(std::vector<uint8_t>(written.begin(), written.end()));
    WaveReader reader;
    int wavRate = 0, bits = 0, channels = 0;
    uint32_t size = 0;
    ASSERT_EQ(reader.ReadWaveFormat(wav, wavRate, bits, channels), 0);
    ASSERT_EQ(reader.FindWaveData(wav, size), 0);
    EXPECT_EQ(wavRate, rate == 8000 ? 8000 : 11000) << "11025 Hz is served at 11000 Hz";
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 1);
    std::vector<uint8_t> samples(size);
    wav.Read(samples);
    EXPECT_EQ(samples, expected) << rate;
  }
}

TEST_F(VxtoolTest, DecodeThatCannotWriteLeavesNothingBehind) {
  Write(Path("a.vxs"), Stream(kMix, 960));
  Outcome run = Vxtool("decode " + Path("a.vxs") + " " + Path("no/such/dir/out.wav"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("No such file"), std::string::npos) << run.err;
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(VxtoolTest, UsageErrors) {
  for (const char* arguments : {"", "frobnicate", "info", "info a b", "info --bogus x", "decode a",
                                "decode a b --rate 16000", "decode a b --rate"}) {
    Outcome run = Vxtool(arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_FALSE(run.err.empty()) << arguments;
  }
}

// Every command prints its help on stdout and succeeds, wherever --help or -h stands among
// its options; after "--" it is a file name (info and decode: a file that is not there).
TEST_F(VxtoolTest, EveryCommandAnswersHelp) {
  for (const std::string command : {"info", "decode", "encode", "play", "record"}) {
    for (const std::string& arguments :
         {command + " --help", command + " -h", command + " a.vxs --bogus --help"}) {
      SCOPED_TRACE(arguments);
      const Outcome run = Vxtool(arguments);
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.out.rfind("usage: vxtool " + command + " ", 0), 0u) << run.out;
      EXPECT_EQ(run.err, "");
    }
  }
  for (const char* command : {"info", "decode"}) {
    const Outcome file = Vxtool(std::string(command) + " -- --help");
    EXPECT_EQ(file.status, 1) << command;
    EXPECT_EQ(file.out, "") << command;
  }
  const Outcome overview = Vxtool("--help");
  EXPECT_EQ(overview.status, 0);
  for (const char* command : {"info", "decode", "encode", "play", "record"})
    EXPECT_NE(overview.out.find(std::string("  ") + command + " "), std::string::npos) << command;
}

}  // namespace
}  // namespace vx
