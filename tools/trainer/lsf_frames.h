#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/tables.h"

// The LSF sets that the encoder's quantiser sees, computed by the encoder's own analysis:
// PCM to float with the +-0.01 offset, the high-pass pre-filter, one LPC analysis per 80
// new samples over the 240-sample window (full-rate and half-rate modes place it
// differently), LPC to LSF. Each frame yields the fourth subframe's set.
namespace vx::trainer {

struct LsfFrame {
  LsfVector lsf{};
  bool active = false;  // the coded frame is louder than RMS 20 (no pause)
};

// One LSF frame per 160 input samples at 8000 Hz (a trailing part frame is not analysed),
// exactly as EncoderSession::UnquantisedLsf()[3] after each EncodeFrame of the same stream.
std::vector<LsfFrame> AnalyseLsfFrames(std::span<const int16_t> pcm, bool halfRateMode);

}  // namespace vx::trainer
