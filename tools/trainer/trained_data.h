#pragma once

#include <array>

#include "codec/trained_tables.h"

namespace vx::trainer {

// The trained data of the codec in the shapes of codec/trained_tables.h.
struct TrainedData {
  std::array<LsfVector, kLsfStage1Size> stage1Full{};
  std::array<LsfVector, kLsfStage1Size> stage1Half{};
  std::array<std::array<std::array<float, 2>, kLsfStage2Size>, kLsfSplitsFull> stage2Full{};
  std::array<LsfVector, kLsfStage2Size> stage2Half{};
  std::array<std::array<float, kNoiseVectorLength>, kNoiseVectorCount> noise{};
  std::array<float, kNoiseVectorCount> noiseEnergy{};  // sums of squares of the noise vectors
};

}  // namespace vx::trainer
