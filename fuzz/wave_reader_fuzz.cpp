// Reads arbitrary bytes as a WAV file the way the converter and the player do: the format,
// then the data chunk, then every sample byte the reported size covers.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "io/memory_stream.h"
#include "wavfile/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::MemoryStream file(std::span<const uint8_t>(data, size));
  vx::WaveReader reader;
  int rate = 0, bits = 0, channels = 0;
  if (reader.ReadWaveFormat(file, rate, bits, channels) != 0) return 0;
  if (rate < 0 || bits < 0 || channels < 0) __builtin_trap();
  uint32_t dataBytes = 0;
  if (reader.FindWaveData(file, dataBytes) != 0) return 0;
  vx::WaveBytesToMsec(dataBytes, static_cast<uint32_t>(rate), static_cast<uint32_t>(bits),
                      static_cast<uint32_t>(channels));
  // The reported size never exceeds the bytes present: every block arrives in full.
  std::array<uint8_t, 4096> block;
  for (uint32_t left = dataBytes; left > 0;) {
    const auto want = static_cast<uint32_t>(std::min<size_t>(left, block.size()));
    if (file.Read(std::span(block).first(want)) != want) __builtin_trap();
    left -= want;
  }
  return 0;
}
