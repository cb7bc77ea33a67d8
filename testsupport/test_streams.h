#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string_view>
#include <vector>

#include "codec/frame_format.h"
#include "codec/speech_header.h"

namespace vx::test {

// Packs the words (zeros for missing ones) into a frame of the type.
inline std::vector<uint8_t> PackedFrame(FrameType type, std::vector<int32_t> words = {}) {
  words.resize(kMaxFrameWords, 0);
  std::vector<uint8_t> frame(kMaxFrameBytes);
  const int n = PackFrameWords(type, words, frame);
  frame.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return frame;
}

// Random words that fit the type's widths.
inline std::vector<int32_t> RandomWords(std::mt19937& random, FrameType type) {
  std::vector<int32_t> words;
  for (uint8_t width : WordWidths(type)) {
    words.push_back(width == 0 ? 0 : static_cast<int32_t>(random() & ((uint32_t{1} << width) - 1)));
  }
  return words;
}

// A complete stream: prefix, header and the frames back to back.
inline std::vector<uint8_t> SpeechStream(int variableRate, int rateMode,
                                         const std::vector<std::vector<uint8_t>>& frames,
                                         int32_t sampleCount = -1) {
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  const int n =
      WriteSpeechHeader(sampleCount, "Voice Message", "Nocomment", variableRate, rateMode, header);
  std::vector<uint8_t> stream(header.begin(), header.begin() + 2 + n);
  for (const auto& frame : frames) stream.insert(stream.end(), frame.begin(), frame.end());
  return stream;
}

}  // namespace vx::test
