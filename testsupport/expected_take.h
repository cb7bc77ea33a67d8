#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/encoder.h"

namespace vx::testing {

// What the recorder writes for `frames` frames of `pcm` (8000 Hz, 16-bit mono bytes): the
// header with their sample count, then the frames as a fresh session encodes them.
inline std::vector<uint8_t> ExpectedFile(const std::vector<uint8_t>& pcm, int frames,
                                         int rateMode) {
  EncoderSession session;
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  const int n = session.WriteSpeechHeader(frames * kFrameSamples, "Voice Message", "Nocomment", 1,
                                          rateMode, header);
  std::vector<uint8_t> file(header.begin(), header.begin() + 2 + n);
  session.EncoderReset();
  for (int f = 0; f < frames; ++f) {
    std::array<int16_t, kFrameSamples> samples{};
    std::memcpy(samples.data(), pcm.data() + f * kFramePcmBytes, kFramePcmBytes);
    std::array<uint8_t, 20> out{};
    const int bytes = session.EncodeFrame(samples, 8, out, 1, rateMode);
    file.insert(file.end(), out.begin(), out.begin() + bytes);
  }
  return file;
}

}  // namespace vx::testing
