#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "codec/encoder.h"
#include "codec/lsf_quantiser.h"
#include "testsupport/test_speech.h"
#include "tools/metrics/speech_corpus.h"
#include "tools/trainer/lsf_frames.h"
#include "tools/trainer/lsf_training.h"
#include "tools/trainer/provisional_tables.h"

namespace vx::trainer {
namespace {

std::vector<int16_t> SampleSpeech() {
  std::vector<int16_t> pcm;
  std::string error;
  EXPECT_TRUE(
      metrics::ReadSpeechWav(std::string(VX_SOURCE_DIR) + "/samples/vm-intro.wav", pcm, error))
      << error;
  return pcm;
}

template <typename T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The sample with a stretch of low background noise and one of digital silence: with the
// activity decision it gives speech, noise and silence frames.
std::vector<int16_t> MixedClip() {
  return test::SpeechNoiseSilenceSpeech(SampleSpeech());
}

TEST(LsfTrainingTest, MeasuresWhatTheEncoderCodes) {
  // A pass with the committed books must see exactly what the encoder does with them: the
  // same frame types, silence frames skipped, noise frames on the full first stage, and the
  // same quantised LSF sets, so the same spectral distortion.
  const std::vector<int16_t> pcm = MixedClip();
  for (int rateMode : {0, 1}) {
    const FrameType type = rateMode == 1 ? FrameType::kHalfRate : FrameType::kFullRate;
    SCOPED_TRACE(rateMode == 1 ? "half rate" : "full rate");
    LsfTrainingSet set;
    set.AddStream(EncodeLsfFrames(pcm, rateMode == 1));
    set.noiseStage1 = kLsfStage1Full;
    std::array<int, 4> typeCounts{};
    for (const LsfFrame& frame : set.frames) ++typeCounts[static_cast<size_t>(frame.type)];
    for (FrameType t : {type, FrameType::kNoise, FrameType::kSilence})
      EXPECT_GT(typeCounts[static_cast<size_t>(t)], 10) << static_cast<int>(t);
    LsfBooks books;
    books.stage1 = rateMode == 1 ? kLsfStage1Half : kLsfStage1Full;
    books.stage2Pairs = kLsfStage2Full;
    books.stage2Matrix = kLsfStage2Half;
    const metrics::DistortionSummary pass = MeasureBooks(set, type, books);

    EncoderSession encoder;
    std::array<uint8_t, 20> out{};
    metrics::DistortionSummary coded;
    for (size_t at = 0; at + 160 <= pcm.size(); at += 160) {
      encoder.EncodeFrame(std::span<const int16_t>(pcm.data() + at, 160), 8000, out, 1, rateMode);
      double energy = 0.0;
      for (float x : encoder.LastSpeech()) energy += static_cast<double>(x) * x;
      if (encoder.LastFrameType() == type && energy >= 400.0 * 160)
        coded.Add(metrics::LsfSpectralDistortionDb(encoder.UnquantisedLsf()[3],
                                                   encoder.QuantiserState().decoded));
    }
    EXPECT_EQ(pass.Frames(), coded.Frames());
    EXPECT_DOUBLE_EQ(pass.MeanDb(), coded.MeanDb());
    EXPECT_GT(pass.Frames(), 100u);
  }
}

TEST(LsfTrainingTest, QuantisesAsTheCodecWithTheSameBooks) {
  // With the committed tables, the trainer's quantiser (codec search, then the decoder's
  // update done with the candidate books) must follow the codec's QuantiseLsf frame by frame,
  // across changes of frame type.
  const std::vector<LsfFrame> frames = EncodeLsfFrames(SampleSpeech(), false);
  LsfBooks full, half;
  full.stage1 = kLsfStage1Full;
  full.stage2Pairs = kLsfStage2Full;
  half.stage1 = kLsfStage1Half;
  half.stage2Matrix = kLsfStage2Half;
  LsfDecoderState codec, trainer;
  ResetLsfDecoderState(codec);
  ResetLsfDecoderState(trainer);
  const FrameType pattern[] = {FrameType::kFullRate, FrameType::kFullRate, FrameType::kHalfRate,
                               FrameType::kNoise,    FrameType::kFullRate, FrameType::kHalfRate,
                               FrameType::kHalfRate};
  for (size_t f = 0; f < frames.size(); ++f) {
    const FrameType type = pattern[f % std::size(pattern)];
    LsfVector expected, got;
    std::array<LpcCoefficients, 4> lpc;
    const int32_t word = QuantiseLsf(codec, frames[f].lsf, type, expected, lpc);
    const LsfCodebooks view = BookView(type == FrameType::kHalfRate ? half : full, type);
    ASSERT_EQ(QuantiseWithBooks(trainer, frames[f].lsf, type, view, got), word) << f;
    ASSERT_TRUE(SameBits(got, expected)) << f;
    ASSERT_TRUE(SameBits(trainer.history, codec.history)) << f;
    ASSERT_TRUE(SameBits(trainer.decoded, codec.decoded)) << f;
  }
}

// Stage-1 rows ascending inside (0, pi), every value on the 1e-5 grid of the table source.
void ExpectWritableBooks(const LsfBooks& books, FrameType type) {
  auto onGrid = [](float v) {
    return static_cast<float>(std::round(static_cast<double>(v) * 1e5) / 1e5) == v;
  };
  for (const LsfVector& row : books.stage1) {
    EXPECT_GT(row.front(), 0.0f);
    EXPECT_LT(row.back(), 3.14159265f);
    for (size_t k = 0; k < row.size(); ++k) {
      EXPECT_TRUE(onGrid(row[k]));
      if (k > 0) {
        EXPECT_GT(row[k], row[k - 1]);
      }
    }
  }
  if (type == FrameType::kFullRate) {
    for (const auto& split : books.stage2Pairs)
      for (const auto& pair : split)
        for (float v : pair) EXPECT_TRUE(onGrid(v));
  } else {
    for (const LsfVector& row : books.stage2Matrix)
      for (float v : row) EXPECT_TRUE(onGrid(v));
  }
}

TEST(LsfTrainingTest, IsDeterministicAndNeverWorseThanItsStart) {
  const std::vector<int16_t> pcm = MixedClip();
  const TrainedData start = MakeProvisionalTables();
  LsfTrainingOptions options;
  options.maxPasses = 4;
  for (FrameType type : {FrameType::kFullRate, FrameType::kHalfRate}) {
    const bool halfRate = type == FrameType::kHalfRate;
    SCOPED_TRACE(halfRate ? "half rate" : "full rate");
    // Two streams: the quantiser state restarts between them.
    const std::vector<LsfFrame> frames = EncodeLsfFrames(pcm, halfRate);
    LsfTrainingSet set;
    set.AddStream(std::vector<LsfFrame>(frames.begin(), frames.begin() + 150));
    set.AddStream(std::vector<LsfFrame>(frames.begin() + 150, frames.end()));
    ASSERT_EQ(set.streamStarts, (std::vector<size_t>{0, 150}));
    set.noiseStage1 = start.stage1Full;
    LsfBooks initial;
    initial.stage1 = halfRate ? start.stage1Half : start.stage1Full;
    initial.stage2Pairs = start.stage2Full;
    initial.stage2Matrix = start.stage2Half;

    std::vector<double> passes;
    const LsfBooks first = TrainLsfBooks(
        set, type, initial, options,
        [&](int, const metrics::DistortionSummary& s) { passes.push_back(s.MeanDb()); });
    const LsfBooks second = TrainLsfBooks(set, type, initial, options);
    EXPECT_TRUE(SameBits(first, second));
    ASSERT_EQ(passes.size(), 4u);
    const double trained = MeasureBooks(set, type, first).MeanDb();
    EXPECT_DOUBLE_EQ(trained, *std::min_element(passes.begin(), passes.end()));
    EXPECT_LT(trained, passes.front());  // the provisional start is far from trained
    ExpectWritableBooks(first, type);
  }
}

// Runs vxtrainer with `args`; returns its exit status.
int RunTrainer(const std::string& args) {
  const std::string command = std::string(VX_TRAINER) + " " + args + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(VxtrainerTest, TinyCorpusGivesTheSameTablesEveryRun) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("vx_trainer_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "corpus" / "voice");
  // Five files cut from the sample: about four of them fall into the training split.
  const fs::path sample = fs::path(VX_SOURCE_DIR) / "samples" / "vm-intro.wav";
  for (int i = 0; i < 5; ++i)
    fs::copy_file(sample, root / "corpus" / "voice" / ("clip-" + std::to_string(i) + ".wav"));

  const std::string corpus = (root / "corpus").string();
  const fs::path a = root / "a.cpp", b = root / "b.cpp";
  ASSERT_EQ(RunTrainer("--max-passes 2 --corpus-note 'test clips 1.0' --out " + a.string() + " " +
                       corpus),
            0);
  ASSERT_EQ(RunTrainer("--max-passes 2 --corpus-note 'test clips 1.0' --out " + b.string() + " " +
                       corpus),
            0);
  // The files differ only in the first line, the command that names the output.
  const std::string source = ReadAll(a), other = ReadAll(b);
  ASSERT_NE(source.find('\n'), std::string::npos);
  EXPECT_EQ(source.substr(source.find('\n')), other.substr(other.find('\n')));
  EXPECT_NE(source.find("test clips 1.0"), std::string::npos);
  EXPECT_NE(source.find("kNoiseCodebookEnergy"), std::string::npos);
  EXPECT_FALSE(fs::exists(a.string() + ".tmp"));

  // Failures leave nothing behind and say so in the exit status.
  const fs::path unwritable = root / "missing-folder" / "out.cpp";
  EXPECT_EQ(RunTrainer("--max-passes 1 --out " + unwritable.string() + " " + corpus), 1);
  EXPECT_FALSE(fs::exists(unwritable));
  EXPECT_EQ(RunTrainer("--out " + (root / "c.cpp").string() + " " + (root / "none").string()), 1);
  EXPECT_FALSE(fs::exists(root / "c.cpp"));
  EXPECT_EQ(RunTrainer("--max-passes 0 --out x.cpp " + corpus), 2);
  fs::remove_all(root);
}

}  // namespace
}  // namespace vx::trainer
