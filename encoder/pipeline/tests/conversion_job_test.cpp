#include "encoder/pipeline/conversion_job.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "codec/frame_format.h"
#include "codec/speech_header.h"
#include "encoder/pipeline/conversion_batch.h"
#include "encoder/pipeline/source_admission.h"
#include "io/fault_stream.h"
#include "io/file_stream.h"
#include "platform/headless/scripted_prompter.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// A voiced, amplitude-modulated signal with some noise: enough like speech that the activity
// decision codes it as speech frames.
std::vector<int16_t> SpeechLike(size_t samples, int rate, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::vector<int16_t> out(samples);
  for (size_t t = 0; t < samples; ++t) {
    const double time = static_cast<double>(t) / rate;
    const double envelope = 0.6 + 0.4 * std::sin(2 * M_PI * 3.0 * time);
    double v = 0.0;
    for (int harmonic = 1; harmonic <= 8; ++harmonic)
      v += 3000.0 / harmonic * std::sin(2 * M_PI * 140.0 * harmonic * time + harmonic);
    out[t] = static_cast<int16_t>(std::clamp(envelope * v + noise(random), -32768.0, 32767.0));
  }
  return out;
}

void Put16(std::vector<uint8_t>& bytes, uint32_t v) {
  bytes.push_back(static_cast<uint8_t>(v));
  bytes.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& bytes, uint32_t v) {
  Put16(bytes, v & 0xFFFF);
  Put16(bytes, v >> 16);
}
void PutId(std::vector<uint8_t>& bytes, const char* id) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(id[i]));
}

// A RIFF WAVE file of 16-bit PCM (interleaved samples), optionally followed by a LIST chunk.
std::vector<uint8_t> WavBytes(int rate, int channels, const std::vector<int16_t>& samples,
                              size_t listBytesAfterData = 0, int bits = 16) {
  std::vector<uint8_t> body;
  PutId(body, "WAVE");
  PutId(body, "fmt ");
  Put32(body, 16);
  Put16(body, 1);
  Put16(body, static_cast<uint32_t>(channels));
  Put32(body, static_cast<uint32_t>(rate));
  Put32(body, static_cast<uint32_t>(rate * channels * bits / 8));
  Put16(body, static_cast<uint32_t>(channels * bits / 8));
  Put16(body, static_cast<uint32_t>(bits));
  PutId(body, "data");
  Put32(body, static_cast<uint32_t>(samples.size() * 2));
  for (int16_t s : samples) Put16(body, static_cast<uint16_t>(s));
  if (listBytesAfterData) {
    PutId(body, "LIST");
    Put32(body, static_cast<uint32_t>(listBytesAfterData));
    body.insert(body.end(), listBytesAfterData, 0x7F);
  }
  std::vector<uint8_t> file;
  PutId(file, "RIFF");
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// A compressed speech file taken apart: its header and the byte count of each frame.
struct SpeechFile {
  bool valid = false;
  SpeechHeaderInfo info;
  std::vector<int> frames;
  size_t trailingBytes = 0;  // bytes after the last whole frame
};

SpeechFile ReadSpeechFile(const std::vector<uint8_t>& bytes) {
  SpeechFile file;
  if (bytes.size() < 2) return file;
  const size_t n = static_cast<size_t>(bytes[0] << 8 | bytes[1]);
  if (bytes.size() < 2 + n) return file;
  file.valid = ParseSpeechHeader(std::span(bytes).subspan(2, n), file.info) == 0;
  for (size_t at = 2 + n; at < bytes.size();) {
    const int length = StreamFrameBytes(file.info.streamType, bytes[at]);
    if (bytes.size() - at < static_cast<size_t>(length)) {
      file.trailingBytes = bytes.size() - at;
      break;
    }
    file.frames.push_back(length);
    at += static_cast<size_t>(length);
  }
  return file;
}

// Records what a conversion shows and aborts at a chosen serviced event.
class TestHost final : public ConversionHost {
 public:
  void ServiceEvent(ConversionJob& job) override {
    if (++events == abortAt) job.RequestAbort();
  }
  void ShowProgress(const ConversionJob& job) override {
    percents.push_back(job.Percent());
    if (statuses.empty() || statuses.back() != job.StatusText())
      statuses.push_back(job.StatusText());
  }
  long events = 0;
  long abortAt = -1;
  std::vector<int> percents;
  std::vector<std::string> statuses;
};

class ConversionTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("conversion_test_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  // Prepares and converts `source` (a file in the test directory) beside it, replacing an
  // earlier output without asking.
  ConversionResult Convert(const std::string& source, ConversionOptions options = {}) {
    options.overwriteCheck = false;
    EXPECT_EQ(job_.PrepareJob(options, Path(source)), JobAnswer::kGo);
    return job_.RunConversion();
  }
  SpeechFile Output(const std::string& name) { return ReadSpeechFile(Read(Path(name))); }

  fs::path dir_;
  PosixFileOpener posix_;
  FaultFileOpener files_{posix_};
  PosixPathServices paths_;
  ScriptedPrompter prompter_;
  TestHost host_;
  ConversionJob job_{{files_, paths_, prompter_, host_}};
};

TEST_F(ConversionTest, FrameCountsAndHeaderCountFollowTheBlocks) {
  struct Case {
    int rate;
    size_t samples;
    size_t frames;
  };
  const Case cases[] = {
      {8000, 16000, 100},  // 100 whole blocks
      {8000, 16100, 101},  // a last block of 100 samples and 60 zeros
      {8000, 159, 1},
      {11025, 127, 0},  // the priming block alone
      {11025, 128, 1},
      {11025, 127 + 10 * 220, 10},
      {11025, 127 + 10 * 220 + 1, 11},  // ceil((N - 127) / 220)
      {44100, 127 + 5 * 882 + 300, 6},
      {48000, 4000, 5},  // ceil(3873 / 960)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.samples << " samples");
    Write(Path("in.wav"), WavBytes(c.rate, 1, SpeechLike(c.samples, c.rate, 1)));
    ASSERT_EQ(Convert("in.wav"), ConversionResult::kConverted) << job_.FailureText();
    const SpeechFile out = Output("in.vxs");
    ASSERT_TRUE(out.valid);
    EXPECT_EQ(out.frames.size(), c.frames);
    EXPECT_EQ(out.trailingBytes, 0u);
    EXPECT_EQ(out.info.sampleCount, static_cast<int32_t>(c.frames * 160));
    EXPECT_EQ(job_.Counts().Frames(), static_cast<int64_t>(c.frames));
    EXPECT_TRUE(prompter_.Prompts().empty());
  }
}

TEST_F(ConversionTest, ShowsPercentAndStatusOfEveryStage) {
  Write(Path("in.wav"), WavBytes(16000, 1, SpeechLike(127 + 4 * 320, 16000, 2)));
  ASSERT_EQ(Convert("in.wav"), ConversionResult::kConverted);
  EXPECT_EQ(host_.statuses,
            (std::vector<std::string>{"", "Convert Initializing...", "Converting...", "Encoding...",
                                      "Converting...", "Encoding...", "Converting...",
                                      "Encoding...", "Converting...", "Encoding..."}));
  EXPECT_EQ(host_.percents.front(), 0);
  EXPECT_EQ(host_.percents.back(), 100) << "the read that finds the end shows 100 %";
  EXPECT_EQ(job_.PercentText(), "100 %");
  // Once per block read, per input sample, per converted sample and per frame, at least.
  EXPECT_GE(host_.events, 5 + (127 + 4 * 320) + 4 * 160 + 4);
}

// Each file's frames are the same bytes as those of a mono file holding just the chosen
// channel.
TEST_F(ConversionTest, StereoFilesAreCodedFromTheChosenChannel) {
  const size_t frames = 127 + 8 * 882;
  const std::vector<int16_t> left = SpeechLike(frames, 44100, 3);
  std::vector<int16_t> right = SpeechLike(frames, 44100, 4);
  for (int16_t& s : right) s = static_cast<int16_t>(s / 3);
  std::vector<int16_t> stereo;
  for (size_t i = 0; i < frames; ++i) {
    stereo.push_back(left[i]);
    stereo.push_back(right[i]);
  }
  Write(Path("stereo.wav"), WavBytes(44100, 2, stereo));
  const std::vector<int16_t>& rightRef = right;
  for (auto [channel, mono] :
       {std::pair{StereoChannel::kLeft, &left}, std::pair{StereoChannel::kRight, &rightRef}}) {
    SCOPED_TRACE(static_cast<int>(channel));
    Write(Path("mono.wav"), WavBytes(44100, 1, *mono));
    ASSERT_EQ(Convert("mono.wav"), ConversionResult::kConverted);
    ASSERT_EQ(Convert("stereo.wav", ConversionOptions{.stereoChannel = channel}),
              ConversionResult::kConverted);
    const std::vector<uint8_t> expected = Read(Path("mono.vxs"));
    EXPECT_EQ(ReadSpeechFile(expected).frames.size(), 8u);
    EXPECT_EQ(Read(Path("stereo.vxs")), expected);
  }
}

TEST_F(ConversionTest, SamplesComeFromTheDataChunkOnly) {
  const std::vector<int16_t> samples = SpeechLike(1600, 8000, 5);
  Write(Path("plain.wav"), WavBytes(8000, 1, samples));
  Write(Path("tagged.wav"), WavBytes(8000, 1, samples, 640));
  ASSERT_EQ(Convert("plain.wav"), ConversionResult::kConverted);
  ASSERT_EQ(Convert("tagged.wav"), ConversionResult::kConverted);
  EXPECT_EQ(Output("tagged.vxs").frames.size(), 10u) << "a LIST chunk after data is no audio";
  EXPECT_EQ(Read(Path("tagged.vxs")), Read(Path("plain.vxs")));

  Write(Path("empty.wav"), WavBytes(8000, 1, {}));
  ASSERT_EQ(Convert("empty.wav"), ConversionResult::kConverted);
  const SpeechFile empty = Output("empty.vxs");
  ASSERT_TRUE(empty.valid);
  EXPECT_EQ(empty.info.sampleCount, 0);
  EXPECT_TRUE(empty.frames.empty());
  EXPECT_EQ(host_.percents.back(), 0) << "no data shows 0 %";

  // A last fragment of a sample frame (an odd data size) adds no frame of silence.
  std::vector<uint8_t> odd = WavBytes(8000, 1, SpeechLike(320, 8000, 6));
  odd[40] = static_cast<uint8_t>(odd[40] + 1);  // data size 641
  odd[4] = static_cast<uint8_t>(odd[4] + 2);
  odd.insert(odd.end(), {0x11, 0x00});  // the odd byte and the pad byte
  Write(Path("odd.wav"), odd);
  ASSERT_EQ(Convert("odd.wav"), ConversionResult::kConverted);
  EXPECT_EQ(Output("odd.vxs").frames.size(), 2u);
}

TEST_F(ConversionTest, HeaderAndFramesFollowTheRateChoice) {
  struct Case {
    int rateMode;
    bool fixed;
    int streamType;  // as the reader derives it from coding mode and rate tag
    int speechBytes;
  };
  for (const Case& c : {Case{0, false, 13, 19}, Case{1, false, 14, 12}, Case{0, true, 3, 19},
                        Case{1, true, 4, 12}}) {
    SCOPED_TRACE(testing::Message() << "rate mode " << c.rateMode << " fixed " << c.fixed);
    // Speech, then two seconds of digital silence for the activity decision.
    std::vector<int16_t> samples = SpeechLike(8000, 8000, 7);
    samples.resize(24000, 0);
    Write(Path("in.wav"), WavBytes(8000, 1, samples));
    ASSERT_EQ(Convert("in.wav", ConversionOptions{.rateMode = c.rateMode, .fixedRate = c.fixed}),
              ConversionResult::kConverted);
    const SpeechFile out = Output("in.vxs");
    ASSERT_TRUE(out.valid);
    EXPECT_EQ(out.info.streamType, c.streamType);
    EXPECT_EQ(std::string(out.info.title.data()), "Voice Message");
    EXPECT_EQ(std::string(out.info.comment.data()), "Nocomment");
    ASSERT_EQ(out.frames.size(), 150u);
    EXPECT_EQ(out.frames.front(), c.speechBytes);
    const long speech = std::count(out.frames.begin(), out.frames.end(), c.speechBytes);
    if (c.fixed) {
      EXPECT_EQ(speech, 150) << "every frame is a speech frame";
    } else {
      EXPECT_LT(speech, 140) << "the silence is coded as noise or silence frames";
    }
  }
}

TEST_F(ConversionTest, AbortIsConfirmedBeforeTheConversionEnds) {
  struct Case {
    const char* name;
    long abortAt;
    int answer;
    ConversionResult result;
    size_t frames;
  };
  // 16000 Hz: event 1 follows the priming block's read, 2 ... 128 its samples.
  const Case cases[] = {
      {"in the priming block", 50, kAnswerYes, ConversionResult::kFailed, 0},
      {"at the priming block's read", 1, kAnswerYes, ConversionResult::kFailed, 0},
      {"declined", 50, kAnswerNo, ConversionResult::kConverted, 10},
      {"in the fourth block", 128 + 3 * (1 + 320 + 160 + 1) + 10, kAnswerYes,
       ConversionResult::kFailed, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(Path("in.wav"), WavBytes(16000, 1, SpeechLike(127 + 10 * 320, 16000, 8)));
    host_ = TestHost();
    host_.abortAt = c.abortAt;
    prompter_.Clear();
    prompter_.QueueAnswer(c.answer);
    EXPECT_EQ(Convert("in.wav"), c.result);
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text, "Convert Aboart?(Y/N)");
    EXPECT_EQ(prompter_.Prompts()[0].buttons, PromptButtons::kYesNo);
    const SpeechFile out = Output("in.vxs");
    ASSERT_TRUE(out.valid) << "the header is rewritten after an abort";
    EXPECT_EQ(out.frames.size(), c.frames);
    EXPECT_EQ(out.info.sampleCount, static_cast<int32_t>(c.frames * 160));
  }
}

TEST_F(ConversionTest, ShortSourceIsRefusedByTheConverter) {
  Write(Path("short.wav"), WavBytes(11025, 1, SpeechLike(100, 11025, 9)));
  EXPECT_EQ(Convert("short.wav"), ConversionResult::kFailed);
  ASSERT_EQ(prompter_.Prompts().size(), 1u);
  EXPECT_EQ(prompter_.Prompts()[0].text, "Sampling Frequency Convert Error !!");
  const SpeechFile out = Output("short.vxs");
  ASSERT_TRUE(out.valid);
  EXPECT_EQ(out.info.sampleCount, 0);
  EXPECT_TRUE(out.frames.empty());
}

// A full disk ends the conversion with the write error; the header, rewritten in place,
// counts the whole frames that made it.
TEST_F(ConversionTest, FullDiskLeavesAHeaderCountingTheFramesWritten) {
  Write(Path("in.wav"), WavBytes(8000, 1, SpeechLike(8000, 8000, 10)));
  const int headerBytes = 2 + 22 + 13 + 9 + 2;  // title, comment and rate tag
  files_.SetPlan(Path("in.vxs"), FaultPlan{.sizeLimit = headerBytes + 10 * 19 + 7});
  EXPECT_EQ(Convert("in.wav"), ConversionResult::kFailed);
  ASSERT_EQ(prompter_.Prompts().size(), 1u);
  EXPECT_EQ(prompter_.Prompts()[0].text, "WriteVocrixBuffer() Error!!");
  EXPECT_EQ(job_.FailureText(), "WriteVocrixBuffer() Error!!");
  const SpeechFile out = Output("in.vxs");
  ASSERT_TRUE(out.valid);
  EXPECT_GE(out.frames.size(), 10u);
  EXPECT_EQ(static_cast<int64_t>(out.frames.size()), job_.Counts().Frames());
  EXPECT_EQ(out.info.sampleCount, static_cast<int32_t>(out.frames.size() * 160));
  EXPECT_EQ(fs::file_size(Path("in.vxs")), static_cast<uintmax_t>(headerBytes + 10 * 19 + 7));
}

TEST_F(ConversionTest, FailuresBeforeTheBlockLoop) {
  struct Case {
    const char* name;
    std::vector<uint8_t> source;  // empty: no source file
    bool destinationFails;
    std::string message, caption;  // the box shown, if any
    bool destinationKept;          // an existing destination is left as it was
  };
  const std::vector<uint8_t> good = WavBytes(8000, 1, SpeechLike(800, 8000, 11));
  std::vector<uint8_t> notPcm = good;
  notPcm[20] = 3;  // floating-point format tag
  std::vector<uint8_t> noData = good;
  std::copy_n("junk", 4, noData.begin() + 36);
  const Case cases[] = {
      {"no source",
       {},
       false,
       "mmioOpen(\"" + Path("in.wav") + "\") Error!!",
       "Wave File Error",
       true},
      {"destination not created", good, true, "mmioOpen(\"" + Path("in.vxs") + "\") Error!!",
       "Vocrix File Error", true},
      {"not PCM", notPcm, false, "", "", true},
      {"no data chunk", noData, false, "", "", true},
      {"8 bits", WavBytes(8000, 1, SpeechLike(800, 8000, 11), 0, 8), false, "", "", true},
      {"32000 Hz", WavBytes(32000, 1, SpeechLike(800, 32000, 11)), false, "", "", true},
      {"3 channels", WavBytes(8000, 3, SpeechLike(900, 8000, 11)), false, "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(Path("in.wav"));
    if (!c.source.empty()) Write(Path("in.wav"), c.source);
    Write(Path("in.vxs"), {1, 2, 3});
    FaultFileOpener files(posix_);
    if (c.destinationFails) files.FailOpen(Path("in.vxs"), -EACCES);
    ScriptedPrompter prompter;
    ConversionJob job({files, paths_, prompter, host_});
    ASSERT_EQ(job.PrepareJob(ConversionOptions{.overwriteCheck = false}, Path("in.wav")),
              JobAnswer::kGo);
    EXPECT_EQ(job.RunConversion(), ConversionResult::kFailed);
    EXPECT_FALSE(job.FailureText().empty());
    if (c.message.empty()) {
      EXPECT_TRUE(prompter.Prompts().empty());
    } else {
      ASSERT_EQ(prompter.Prompts().size(), 1u);
      EXPECT_EQ(prompter.Prompts()[0].text, c.message);
      EXPECT_EQ(prompter.Prompts()[0].caption, c.caption);
    }
    EXPECT_EQ(Read(Path("in.vxs")), (std::vector<uint8_t>{1, 2, 3}));
    if (!c.source.empty()) {
      EXPECT_EQ(Read(Path("in.wav")), c.source) << "source untouched";
    }
  }
}

TEST_F(ConversionTest, ClosingFailuresAreReported) {
  Write(Path("in.wav"), WavBytes(8000, 1, SpeechLike(800, 8000, 12)));
  files_.SetPlan(Path("in.vxs"), FaultPlan{.failClose = true});
  EXPECT_EQ(Convert("in.wav"), ConversionResult::kFailed);
  ASSERT_EQ(prompter_.Prompts().size(), 1u);
  EXPECT_EQ(prompter_.Prompts()[0].text,
            "mmioClose(\"" + Path("in.vxs") + "\"):" + std::to_string(-EIO) + " Error!!");
  EXPECT_EQ(prompter_.Prompts()[0].caption, "Vocrix File Error");
  EXPECT_EQ(Output("in.vxs").info.sampleCount, 800) << "the header was rewritten first";
}

TEST_F(ConversionTest, ProcessBlockPadsALastShortBlockWithSilence) {
  ASSERT_TRUE(job_.SetupRates(8000, 16, 2));
  EXPECT_FALSE(job_.RateConverted());
  ASSERT_EQ(job_.InputBlock().size(), 160u * 2 * 2);
  for (size_t i = 0; i < job_.InputBlock().size(); i += 2) {
    job_.InputBlock()[i] = static_cast<uint8_t>(i / 4);  // left i/4, right -(i/4) - 1
    job_.InputBlock()[i + 1] = (i / 2) % 2 ? 0xFF : 0x00;
    if ((i / 2) % 2) job_.InputBlock()[i] = static_cast<uint8_t>(~(i / 4));
  }
  ASSERT_TRUE(job_.ProcessBlock(100));
  EXPECT_EQ(job_.OutputCount(), 160);
  for (int i = 0; i < 160; ++i) EXPECT_EQ(job_.Output()[i], i < 100 ? i : 0) << i;

  ASSERT_TRUE(job_.PrepareJob({.stereoChannel = StereoChannel::kRight}, Path("x.wav")) ==
              JobAnswer::kGo);
  ASSERT_TRUE(job_.ProcessBlock(3));
  EXPECT_EQ(job_.Output()[2], -3);

  for (auto [rate, bits, channels] : {std::tuple{8000, 8, 1}, std::tuple{32000, 16, 1},
                                      std::tuple{8000, 16, 0}, std::tuple{44100, 16, 3}}) {
    SCOPED_TRACE(testing::Message() << rate << " " << bits << " " << channels);
    EXPECT_FALSE(job_.SetupRates(rate, bits, channels));
  }
  ASSERT_TRUE(job_.SetupRates(22050, 16, 1));
  EXPECT_EQ(job_.BlockSamples(), 441);
}

class PrepareJobTest : public ConversionTest {};

TEST_F(PrepareJobTest, DestinationNames) {
  fs::create_directories(Path("out"));
  struct Case {
    std::string source;
    DirectoryMode mode;
    std::string saveDirectory;
    std::string destination;
  };
  const Case cases[] = {
      {Path("VOICE.WAV"), DirectoryMode::kSameDirectory, "", Path("VOICE.vxs")},
      {Path("a.b.wav"), DirectoryMode::kSameDirectory, "", Path("a.b.vxs")},
      {Path("noext"), DirectoryMode::kSameDirectory, "", Path("noext.vxs")},
      {"rel.wav", DirectoryMode::kSameDirectory, "", "rel.vxs"},
      {"/x/VOICE.WAV", DirectoryMode::kSaveDirectory, Path("out"), Path("out") + "/VOICE.vxs"},
      // The save directory is taken as typed, so a closing separator gives two.
      {"/x/VOICE.WAV", DirectoryMode::kSaveDirectory, Path("out") + "/",
       Path("out") + "//VOICE.vxs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(
        job_.PrepareJob({.directoryMode = c.mode, .saveDirectory = c.saveDirectory}, c.source),
        JobAnswer::kGo);
    EXPECT_EQ(job_.DestinationPath(), c.destination);
    EXPECT_EQ(job_.SourcePath(), c.source);
  }
  EXPECT_TRUE(prompter_.Prompts().empty());
  EXPECT_EQ(fs::current_path(), fs::current_path()) << "the current directory stays";
}

TEST_F(PrepareJobTest, OverwriteQuestionAnswersGoSkipOrStop) {
  Write(Path("a.vxs"), {1});
  struct Case {
    bool check;
    int answer;  // 0: no question expected
    JobAnswer expected;
  };
  for (const Case& c :
       {Case{true, kAnswerYes, JobAnswer::kGo}, Case{true, kAnswerNo, JobAnswer::kSkip},
        Case{true, kAnswerCancel, JobAnswer::kStop}, Case{false, 0, JobAnswer::kGo}}) {
    SCOPED_TRACE(testing::Message() << c.check << " " << c.answer);
    prompter_.Clear();
    if (c.answer) prompter_.QueueAnswer(c.answer);
    EXPECT_EQ(job_.PrepareJob({.overwriteCheck = c.check}, Path("a.wav")), c.expected);
    ASSERT_EQ(prompter_.Prompts().size(), c.answer ? 1u : 0u);
    if (c.answer) {
      EXPECT_EQ(prompter_.Prompts()[0].text, "File [" + Path("a.vxs") + "] exist. Overwritten?");
      EXPECT_EQ(prompter_.Prompts()[0].buttons, PromptButtons::kYesNoCancel);
      EXPECT_FALSE(prompter_.Prompts()[0].unexpected);
    }
  }
}

// JobAnswer keeps the message-box codes.
static_assert(static_cast<int>(JobAnswer::kGo) == 6 && static_cast<int>(JobAnswer::kSkip) == 7 &&
              static_cast<int>(JobAnswer::kStop) == 2);

TEST_F(PrepareJobTest, MissingSaveDirectoryIsCreatedOnlyWhenWanted) {
  struct Case {
    std::string directory;
    int answer;
    JobAnswer expected;
    bool created;
    std::vector<std::string> texts;
  };
  const std::string fresh = Path("fresh"), deep = Path("no/such");
  const std::string question = "] is not exist!!\nDo you create Directory?";
  const Case cases[] = {
      {fresh, kAnswerYes, JobAnswer::kGo, true, {"The Directory [" + fresh + question}},
      {fresh + "2",
       kAnswerNo,
       JobAnswer::kStop,
       false,
       {"The Directory [" + fresh + "2" + question}},
      {deep,
       kAnswerYes,
       JobAnswer::kStop,
       false,
       {"The Directory [" + deep + question, "Don't Make Directory [" + deep + "]."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    prompter_.Clear();
    prompter_.QueueAnswer(c.answer);
    prompter_.QueueAnswer(kAnswerOk);
    EXPECT_EQ(job_.PrepareJob(
                  {.directoryMode = DirectoryMode::kSaveDirectory, .saveDirectory = c.directory},
                  Path("a.wav")),
              c.expected);
    EXPECT_EQ(fs::is_directory(c.directory), c.created);
    std::vector<std::string> texts;
    for (const RecordedPrompt& prompt : prompter_.Prompts()) texts.push_back(prompt.text);
    EXPECT_EQ(texts, c.texts);
  }
}

TEST_F(PrepareJobTest, SourceNamedLikeItsDestinationIsSkipped) {
  const std::vector<uint8_t> wav = WavBytes(8000, 1, SpeechLike(800, 8000, 13));
  Write(Path("speech.vxs"), wav);
  prompter_.QueueAnswer(kAnswerOk);
  EXPECT_EQ(job_.PrepareJob({.overwriteCheck = false}, Path("speech.vxs")), JobAnswer::kSkip);
  ASSERT_EQ(prompter_.Prompts().size(), 1u);
  EXPECT_EQ(Read(Path("speech.vxs")), wav);
}

TEST_F(ConversionTest, ParallelJobsWriteTheSameBytesAsOneAfterAnother) {
  const int rates[] = {8000, 11025, 22050, 44100};
  for (size_t i = 0; i < std::size(rates); ++i)
    Write(Path("f" + std::to_string(i) + ".wav"),
          WavBytes(rates[i], 1, SpeechLike(static_cast<size_t>(rates[i]), rates[i], 20 + i)));
  auto runBatch = [&](int parallel) {
    std::vector<std::vector<uint8_t>> outputs(std::size(rates));
    const size_t started = RunConversionBatch(std::size(rates), parallel, [&](size_t i) {
      ScriptedPrompter prompter;
      TestHost host;
      ConversionJob job({posix_, paths_, prompter, host});
      const std::string name = Path("f" + std::to_string(i));
      if (job.PrepareJob({.overwriteCheck = false}, name + ".wav") != JobAnswer::kGo) return false;
      const bool ok = job.RunConversion() == ConversionResult::kConverted;
      outputs[i] = Read(name + ".vxs");
      return ok;
    });
    EXPECT_EQ(started, std::size(rates));
    return outputs;
  };
  const auto alone = runBatch(1);
  const auto together = runBatch(2);
  for (size_t i = 0; i < std::size(rates); ++i) {
    SCOPED_TRACE(rates[i]);
    EXPECT_EQ(ReadSpeechFile(alone[i]).frames.size(), 50u);
    EXPECT_EQ(together[i], alone[i]);
  }
}

TEST(ConversionBatchTest, AFailedItemEndsTheBatch) {
  for (int parallel : {1, 2, 3}) {
    SCOPED_TRACE(parallel);
    std::atomic<int> converted{0};
    const size_t started = RunConversionBatch(10, parallel, [&](size_t i) {
      ++converted;
      return i != 2;
    });
    EXPECT_GE(started, 3u);
    EXPECT_LE(started, static_cast<size_t>(2 + parallel));
    EXPECT_EQ(converted.load(), static_cast<int>(started));
  }
  EXPECT_EQ(RunConversionBatch(0, 2, [](size_t) { return true; }), 0u);
}

TEST(SourceAdmissionTest, AdmitsAndRefusesWithTheFileListTexts) {
  const fs::path dir = fs::temp_directory_path() / ("admission_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool admitted;
    std::string quality;
  };
  const std::vector<int16_t> some(64, 100);
  const Case cases[] = {
      {"mono.wav", WavBytes(8000, 1, some), true, "  8.0KHz 16Bits  Mono "},
      {"stereo.wav", WavBytes(44100, 2, some), true, " 44.1KHz 16Bits Stereo"},
      {"c11025.wav", WavBytes(11025, 1, some), true, " 11.0KHz 16Bits  Mono "},
      {"r32000.wav", WavBytes(32000, 1, some), false, " 32.0KHz 16Bits  Mono "},
      {"b8.wav", WavBytes(8000, 1, some, 0, 8), false, "  8.0KHz  8Bits  Mono "},
      {"ch4.wav", WavBytes(8000, 4, some), false, "  8.0KHz 16Bits  4 Ch "},
      {"text.wav", {'h', 'e', 'l', 'l', 'o'}, false, ""},
  };
  PosixFileOpener files;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir / c.name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(c.bytes.data()),
               static_cast<std::streamsize>(c.bytes.size()));
    const SourceAdmission admission = AdmitSource(files, path);
    EXPECT_EQ(admission.admitted, c.admitted);
    EXPECT_EQ(admission.quality, c.quality);
    if (c.admitted) {
      EXPECT_TRUE(admission.refusal.empty());
    } else if (c.quality.empty()) {
      EXPECT_EQ(
          admission.refusal,
          "Sorry...It can't be converted.\nThis file isn't wav format.\n\nFile [" + path + "]");
    } else {
      EXPECT_EQ(admission.refusal, "Sorry...This Wave File can't be converted.\n\nFile[" + path +
                                       "]\nQuality:" + c.quality);
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vx
