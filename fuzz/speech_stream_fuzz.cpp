// Reads arbitrary bytes as a compressed speech file the way the player does: the header, then
// frame after frame until the end of the data, at both output rates.
#include <array>
#include <cstdint>
#include <span>

#include "codec/decoder.h"
#include "io/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::array<uint8_t, vx::kFramePcmBytes11000> pcm;
  for (int rate : {8, 11}) {
    vx::MemoryStream file(std::span<const uint8_t>(data, size));
    vx::DecoderSession session;
    int32_t sampleCount = 0;
    int streamType = 0;
    if (session.GetVocrixHeader(file, sampleCount, streamType) != 0) return 0;
    while (session.ReadAndDecodeFrame(file, pcm, rate, streamType, false) > 0) {
    }
  }
  return 0;
}
