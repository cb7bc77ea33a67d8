#pragma once

#include <cstdint>
#include <span>

#include "codec/tables.h"

// The fixed excitation codebooks: three-pulse vectors of two-sample shapes (speech frames)
// and the stored noise vectors (noise frames). Shared by the decoder and the encoder.
namespace vx {

constexpr int kPulseWordBits40 = 17;
constexpr int kPulseWordBits80 = 20;

// Pulse tracks of a 40- or 80-sample subframe.
std::span<const PulseTrack, kPulseTrackCount> PulseTracks(size_t subframeLength);

// Builds the pulse vector of a pulse word into c (40 or 80 samples). The word is read from
// its least significant bit, track 2 first, then tracks 1 and 0; per track a sign bit
// (1 = negative), 2 shape bits and the position index. The pulse adds sign * shape at the
// samples p and p + 1. The last position index with shape 3 and sign bit 1 means no pulse.
// A word wider than 17 (40 samples) or 20 bits (80 samples), or another length, leaves c
// zero and returns kCodecValueOutOfRange.
int BuildPulseVector(int32_t word, std::span<float> c);

// Copies the noise-codebook vector of a 3-bit noise word into c (40 samples); a word outside
// 0..7 gives zeros and kCodecValueOutOfRange.
int BuildNoiseVector(int32_t word, std::span<float, 40> c);

}  // namespace vx
