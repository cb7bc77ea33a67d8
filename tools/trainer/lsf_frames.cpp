#include "tools/trainer/lsf_frames.h"

#include <array>

#include "codec/encoder.h"

namespace vx::trainer {

std::vector<LsfFrame> EncodeLsfFrames(std::span<const int16_t> pcm, bool halfRateMode) {
  constexpr double kPauseEnergy = 20.0 * 20.0 * kFrameSamples;
  std::vector<LsfFrame> frames;
  frames.reserve(pcm.size() / kFrameSamples);
  EncoderSession encoder;
  std::array<uint8_t, kMaxFrameBytes> out{};
  for (size_t at = 0; at + kFrameSamples <= pcm.size(); at += kFrameSamples) {
    encoder.EncodeFrame(pcm.subspan(at, kFrameSamples), 8000, out, 1, halfRateMode ? 1 : 0);
    LsfFrame frame;
    frame.lsf = encoder.UnquantisedLsf()[3];
    frame.type = encoder.LastFrameType();
    double energy = 0.0;
    for (float x : encoder.LastSpeech()) energy += static_cast<double>(x) * x;
    frame.active = energy >= kPauseEnergy;
    frames.push_back(frame);
  }
  return frames;
}

}  // namespace vx::trainer
