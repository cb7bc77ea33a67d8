#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/encoder.h"
#include "codec/speech_header.h"

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

// The sample count in the header of a recorded file; -2 when it has no header.
inline int32_t HeaderSampleCount(const std::vector<uint8_t>& file) {
  if (file.size() < 2) return -2;
  const size_t n = (file[0] << 8) | file[1];
  if (file.size() < 2 + n) return -2;
  SpeechHeaderInfo info;
  if (ParseSpeechHeader(std::span(file).subspan(2, n), info) != 0) return -2;
  return info.sampleCount;
}

}  // namespace vx::testing
