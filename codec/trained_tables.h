#pragma once

#include <array>

#include "codec/tables.h"

// Trained data of the codec: the LSF codebooks and the noise codebook. The values live in
// trained_tables.cpp, which the trainer (tools/trainer, target vxtrainer) writes; nobody
// edits that file by hand. Encoder and decoder read the same tables.
namespace vx {

constexpr int kLsfStage1Size = 32;
constexpr int kLsfStage2Size = 16;
constexpr int kLsfSplitsFull = 5;
constexpr int kNoiseVectorCount = 8;
constexpr int kNoiseVectorLength = 40;

// First stage, full-rate and noise frames: rows ascending, values 0.13..2.80.
extern const std::array<LsfVector, kLsfStage1Size> kLsfStage1Full;
// First stage, half-rate frames: rows ascending, values 0.11..2.07 (smaller than the full
// rows because the half predictor's weights sum to more than 1).
extern const std::array<LsfVector, kLsfStage1Size> kLsfStage1Half;
// Second stage, full rate: [split][index] corrections of the LSF pairs (1,2) .. (9,10).
extern const std::array<std::array<std::array<float, 2>, kLsfStage2Size>, kLsfSplitsFull>
    kLsfStage2Full;
// Second stage, half rate: one matrix; the four splits own the columns 1-2, 3-4, 5-7, 8-10.
extern const std::array<LsfVector, kLsfStage2Size> kLsfStage2Half;
// Excitation vectors of noise frames, RMS 0.91..1.15, and their energies (sums of
// squares), which the encoder's noise search divides by.
extern const std::array<std::array<float, kNoiseVectorLength>, kNoiseVectorCount> kNoiseCodebook;
extern const std::array<float, kNoiseVectorCount> kNoiseCodebookEnergy;

}  // namespace vx
