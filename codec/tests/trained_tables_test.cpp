// Properties of the generated tables (codec/trained_tables.cpp, written by vxtrainer) that the
// LSF quantiser, the LSF decoder and the noise search rely on.
#include "codec/trained_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace vx {
namespace {

static_assert(sizeof(kLsfStage1Full) == 32 * 10 * sizeof(float));
static_assert(sizeof(kLsfStage1Half) == 32 * 10 * sizeof(float));
static_assert(sizeof(kLsfStage2Full) == 5 * 16 * 2 * sizeof(float));
static_assert(sizeof(kLsfStage2Half) == 16 * 10 * sizeof(float));
static_assert(sizeof(kNoiseCodebook) == 8 * 40 * sizeof(float));
static_assert(sizeof(kNoiseCodebookEnergy) == 8 * sizeof(float));

TEST(TrainedTablesTest, FirstStageRowsAreAscendingInsideZeroToPi) {
  struct Case {
    const char* name;
    const std::array<LsfVector, kLsfStage1Size>* rows;
  };
  const Case cases[] = {{"full", &kLsfStage1Full}, {"half", &kLsfStage1Half}};
  for (const Case& c : cases) {
    for (size_t r = 0; r < c.rows->size(); ++r) {
      const LsfVector& row = (*c.rows)[r];
      SCOPED_TRACE(testing::Message() << c.name << " row " << r);
      EXPECT_GT(row.front(), 0.0f);
      EXPECT_LT(row.back(), static_cast<float>(std::numbers::pi));
      for (size_t k = 1; k < row.size(); ++k) EXPECT_GT(row[k], row[k - 1]) << k;
    }
  }
}

TEST(TrainedTablesTest, SecondStagesAreSmallCorrectionsOfBothSigns) {
  // A correction of half a radian or more would move an LSF across its neighbours.
  int negative = 0, positive = 0;
  auto check = [&](float v) {
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_LT(std::abs(v), 0.5f);
    negative += v < 0;
    positive += v > 0;
  };
  for (const auto& split : kLsfStage2Full)
    for (const auto& pair : split)
      for (float v : pair) check(v);
  for (const LsfVector& row : kLsfStage2Half)
    for (float v : row) check(v);
  EXPECT_GT(negative, 100);
  EXPECT_GT(positive, 100);
}

TEST(TrainedTablesTest, NoiseVectorsHaveTheirStoredEnergies) {
  // The noise search divides by the stored energies: they must be the vectors' own.
  for (size_t v = 0; v < kNoiseCodebook.size(); ++v) {
    double energy = 0.0;
    for (float x : kNoiseCodebook[v]) energy += static_cast<double>(x) * x;
    const double rms = std::sqrt(energy / kNoiseVectorLength);
    EXPECT_GE(rms, 0.91) << v;
    EXPECT_LE(rms, 1.15) << v;
    EXPECT_NEAR(kNoiseCodebookEnergy[v], energy, 1e-3) << v;
  }
}

}  // namespace
}  // namespace vx
