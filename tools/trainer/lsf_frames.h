#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/frame_format.h"
#include "codec/tables.h"

// The LSF sets that the encoder's quantiser sees, frame by frame, with the type the encoder
// gives each frame. They come from an EncoderSession coding the stream with the activity
// decision on (as the programs do): its analysis (pre-filter, LPC analysis over the rate's
// window, LPC to LSF) yields the fourth subframe's set, its classification the frame type.
// Neither depends on the LSF codebooks, so the frames stay valid while they are trained.
namespace vx::trainer {

struct LsfFrame {
  LsfVector lsf{};
  FrameType type = FrameType::kFullRate;
  bool active = false;  // the coded frame is louder than RMS 20 (no pause)
};

// One frame per 160 input samples at 8000 Hz (a trailing part frame is not coded); speech
// frames are of the full-rate or half-rate type as `halfRateMode` asks.
std::vector<LsfFrame> EncodeLsfFrames(std::span<const int16_t> pcm, bool halfRateMode);

}  // namespace vx::trainer
