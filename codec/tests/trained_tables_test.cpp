#include "codec/trained_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vx {
namespace {

TEST(TrainedTablesTest, FirstStageRowsAreAscendingInsideTheirRange) {
  struct Case {
    const char* name;
    const std::array<LsfVector, kLsfStage1Size>* rows;
    float lo, hi;
  };
  const Case cases[] = {{"full", &kLsfStage1Full, 0.13f, 2.80f},
                        {"half", &kLsfStage1Half, 0.11f, 2.07f}};
  for (const Case& c : cases) {
    for (size_t r = 0; r < c.rows->size(); ++r) {
      const LsfVector& row = (*c.rows)[r];
      SCOPED_TRACE(testing::Message() << c.name << " row " << r);
      EXPECT_GE(row.front(), c.lo);
      EXPECT_LE(row.back(), c.hi);
      for (size_t k = 1; k < row.size(); ++k) EXPECT_GT(row[k], row[k - 1]) << k;
    }
  }
}

TEST(TrainedTablesTest, SecondStagesAreSmallCorrectionsOfBothSigns) {
  int negative = 0, positive = 0;
  auto check = [&](float v) {
    EXPECT_LE(std::abs(v), 0.2f);
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
