#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/metrics/lpc_distortion.h"
#include "tools/metrics/segmental_snr.h"
#include "tools/metrics/speech_corpus.h"

namespace vx::metrics {
namespace {

constexpr double kDbPerNeper = 10.0 / std::numbers::ln10;  // 10 log10(x) = kDbPerNeper ln(x)

// Dilogarithm Li2(x) = sum x^n / n^2, for 0 <= x < 1.
double Dilog(double x) {
  double sum = 0.0, power = 1.0;
  for (int n = 1; n < 200; ++n) {
    power *= x;
    sum += power / (n * n);
  }
  return sum;
}

TEST(SpectralDistortionTest, KnownAnswers) {
  // ln |1 - r e^-jw|^2 = -2 sum r^n cos(nw) / n, so its mean square over the band is
  // 2 Li2(r^2): the distortion of A(z) = 1 - r z^-1 against A(z) = 1 is
  // kDbPerNeper sqrt(2 Li2(r^2)). The filters are also tried the other way round.
  for (double r : {0.1, 0.5, 0.9}) {
    SCOPED_TRACE(r);
    LpcCoefficients flat{}, pole{};
    pole[0] = static_cast<float>(-r);
    const double expected =
        kDbPerNeper * std::sqrt(2.0 * Dilog(static_cast<float>(r) * static_cast<float>(r)));
    EXPECT_NEAR(LpcSpectralDistortionDb(flat, pole), expected, 1e-6);
    EXPECT_NEAR(LpcSpectralDistortionDb(pole, flat), expected, 1e-6);
  }
  LpcCoefficients a{};
  a[0] = -1.2f;
  a[1] = 0.8f;
  EXPECT_EQ(LpcSpectralDistortionDb(a, a), 0.0);
}

TEST(SpectralDistortionTest, LogSpectrumOfOnePoleFilter) {
  // 1 / |1 - 0.5 e^-jw|^2 is 4 at w = 0 and 4/9 at w = pi; the grid's outer points lie half
  // a step inside.
  LpcCoefficients a{};
  a[0] = -0.5f;
  const auto spectrum = LpcLogSpectrumDb(a);
  const double w0 = std::numbers::pi * 0.5 / kSpectrumPoints;
  EXPECT_NEAR(spectrum.front(), -10.0 * std::log10(1.25 - std::cos(w0)), 1e-9);
  EXPECT_NEAR(spectrum.back(), -10.0 * std::log10(1.25 + std::cos(w0)), 1e-9);
}

TEST(SpectralDistortionTest, LsfSetsCompareTheirFilters) {
  const LsfVector uniform = {0.2856f, 0.5712f, 0.8568f, 1.1424f, 1.4280f,
                             1.7136f, 1.9992f, 2.2848f, 2.5704f, 2.8560f};
  LsfVector moved = uniform;
  EXPECT_EQ(LsfSpectralDistortionDb(uniform, moved), 0.0);
  moved[3] += 0.02f;
  const double small = LsfSpectralDistortionDb(uniform, moved);
  moved[3] += 0.08f;
  const double large = LsfSpectralDistortionDb(uniform, moved);
  EXPECT_GT(small, 0.0);
  EXPECT_GT(large, 2.0 * small);
}

TEST(DistortionSummaryTest, MeanAndOutlierShares) {
  DistortionSummary summary;
  EXPECT_EQ(summary.MeanDb(), 0.0);
  for (double sd : {0.5, 1.5, 2.0, 2.5, 4.0, 4.5}) summary.Add(sd);
  EXPECT_EQ(summary.Frames(), 6u);
  EXPECT_DOUBLE_EQ(summary.MeanDb(), 15.0 / 6.0);
  EXPECT_DOUBLE_EQ(summary.ShareBetween2And4(), 2.0 / 6.0);  // 2.5 and 4.0; 2.0 is no outlier
  EXPECT_DOUBLE_EQ(summary.ShareAbove4(), 1.0 / 6.0);
  DistortionSummary other;
  other.Add(5.0);
  summary.Merge(other);
  EXPECT_EQ(summary.Frames(), 7u);
  EXPECT_DOUBLE_EQ(summary.ShareAbove4(), 2.0 / 7.0);
}

TEST(SegmentalSnrTest, KnownSegments) {
  std::vector<float> reference(160);
  for (size_t n = 0; n < reference.size(); ++n)
    reference[n] = 1000.0f * static_cast<float>(std::sin(0.3 * static_cast<double>(n)));
  auto scaled = [&](float gain) {
    std::vector<float> v(reference);
    for (float& x : v) x *= gain;
    return v;
  };
  struct Case {
    const char* name;
    std::vector<float> test;
    double db;
  };
  const Case cases[] = {
      {"error a tenth of the signal", scaled(0.9f), 20.0},
      {"exact copy, ceiling", reference, SegmentalSnr::kCeilingDb},
      {"error ten times the signal, floor", scaled(-9.0f), SegmentalSnr::kFloorDb},
  };
  SegmentalSnr total;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SegmentalSnr one;
    ASSERT_TRUE(one.AddSegment(reference, c.test));
    EXPECT_NEAR(one.MeanDb(), c.db, 1e-4);
    total.Merge(one);
  }
  EXPECT_EQ(total.Segments(), 3u);
  EXPECT_NEAR(total.MeanDb(), (20.0 + 35.0 - 10.0) / 3.0, 1e-4);
}

TEST(SegmentalSnrTest, PausesAndMismatchedSegmentsDoNotCount) {
  SegmentalSnr snr;
  const std::vector<float> quiet(160, 19.0f), loud(160, 21.0f), zeros(160, 0.0f);
  EXPECT_FALSE(snr.AddSegment(quiet, zeros));  // RMS 19: a pause
  EXPECT_FALSE(snr.AddSegment(loud, std::vector<float>(159, 0.0f)));
  EXPECT_FALSE(snr.AddSegment({}, {}));
  EXPECT_EQ(snr.Segments(), 0u);
  EXPECT_TRUE(snr.AddSegment(loud, zeros));  // RMS 21, nothing coded: 0 dB
  EXPECT_NEAR(snr.MeanDb(), 0.0, 1e-9);
}

TEST(SpeechCorpusTest, SplitIsByPathAndAboutOneInFive) {
  // The bundled sample samples/vm-intro.wav comes from this corpus file; it must stay in the
  // validation set.
  EXPECT_EQ(SplitOf("en_US_f_Allison/vm-intro.wav"), CorpusSplit::kValidation);
  int validation = 0;
  for (int i = 0; i < 1000; ++i)
    validation += SplitOf("voice/prompt-" + std::to_string(i) + ".wav") == CorpusSplit::kValidation;
  EXPECT_GT(validation, 150);
  EXPECT_LT(validation, 250);
}

// A RIFF WAVE file of 16-bit PCM with the given samples.
void WriteWav(const std::filesystem::path& path, int rate, int channels,
              const std::vector<int16_t>& samples) {
  auto le = [](std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  std::string b = "RIFF";
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  le(b, 36 + dataBytes, 4);
  b += "WAVEfmt ";
  le(b, 16, 4);
  le(b, 1, 2);
  le(b, static_cast<uint32_t>(channels), 2);
  le(b, static_cast<uint32_t>(rate), 4);
  le(b, static_cast<uint32_t>(rate * channels * 2), 4);
  le(b, static_cast<uint32_t>(channels * 2), 2);
  le(b, 16, 2);
  b += "data";
  le(b, dataBytes, 4);
  for (int16_t s : samples) le(b, static_cast<uint16_t>(s), 2);
  std::ofstream(path, std::ios::binary) << b;
}

TEST(SpeechCorpusTest, ListsAndReadsWavFiles) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("vx_corpus_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "voice" / "digits");
  WriteWav(root / "voice" / "b.wav", 8000, 1, {1, -2, 300});
  WriteWav(root / "voice" / "digits" / "a.WAV", 11025, 1, {5});
  WriteWav(root / "voice" / "stereo.wav", 8000, 2, {1, 2});
  std::ofstream(root / "voice" / "notes.txt") << "not speech";

  std::string error;
  const auto all = ListCorpus(root.string(), CorpusSplit::kAll, error);
  ASSERT_EQ(all.size(), 3u) << error;
  EXPECT_EQ(all[0].key, "voice/b.wav");
  EXPECT_EQ(all[1].key, "voice/digits/a.WAV");
  EXPECT_EQ(all[2].key, "voice/stereo.wav");
  const auto training = ListCorpus(root.string(), CorpusSplit::kTraining, error);
  const auto validation = ListCorpus(root.string(), CorpusSplit::kValidation, error);
  EXPECT_EQ(training.size() + validation.size(), all.size());

  std::vector<int16_t> samples;
  ASSERT_TRUE(ReadSpeechWav(all[0].path, samples, error)) << error;
  EXPECT_EQ(samples, (std::vector<int16_t>{1, -2, 300}));
  for (size_t i : {size_t{1}, size_t{2}}) {
    error.clear();
    EXPECT_FALSE(ReadSpeechWav(all[i].path, samples, error));
    EXPECT_NE(error.find("8000 Hz"), std::string::npos) << error;
  }
  error.clear();
  EXPECT_FALSE(ReadSpeechWav((root / "missing.wav").string(), samples, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(ListCorpus((root / "missing").string(), CorpusSplit::kAll, error).empty());
  fs::remove_all(root);
}

}  // namespace
}  // namespace vx::metrics
