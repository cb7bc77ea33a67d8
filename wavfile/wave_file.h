#pragma once

#include <cstdint>
#include <string>

#include "io/byte_stream.h"
#include "wavfile/riff.h"

namespace vx {

// Reads one RIFF WAVE file of PCM: its format, then the position and size of its samples.
// Each reader keeps its own chunk record and failure text, so files can be read on several
// threads at once, one reader per file. Operations return 0 on success and 1 on failure,
// leaving a description in LastError().
class WaveReader {
 public:
  // Finds the "RIFF" chunk of form "WAVE" from the stream's current position, reads its
  // "fmt " chunk (16 to 65535 bytes; a PCM format tag is required) and stands after it.
  // When only leaving the "fmt " chunk fails, the outputs are filled although 1 is returned.
  int ReadWaveFormat(ByteStream& file, int& rate, int& bits, int& channels);
  // After ReadWaveFormat: finds the "data" chunk further on inside the RIFF chunk and stands
  // at its first sample byte. `size` is the chunk's size, cut to the bytes the stream holds.
  int FindWaveData(ByteStream& file, uint32_t& size);
  const std::string& LastError() const { return lastError_; }

 private:
  int Fail(std::string text);

  RiffChunk riff_;
  std::string lastError_;
};

// Writes one RIFF WAVE file of PCM: CreateWaveFormat, CreateWaveData, the samples,
// CloseWaveData, CloseWaveRiff. Same result convention as WaveReader.
class WaveWriter {
 public:
  // Writes the "RIFF" header of form "WAVE" and a 16-byte "fmt " chunk for PCM.
  int CreateWaveFormat(ByteStream& file, int rate, int bits, int channels);
  // Starts the "data" chunk; the samples follow at the current position.
  int CreateWaveData(ByteStream& file);
  // Ends the "data" chunk (its size is fixed, a pad byte follows an odd size).
  int CloseWaveData(ByteStream& file);
  // Ends the "RIFF" chunk, fixing its size.
  int CloseWaveRiff(ByteStream& file);
  const std::string& LastError() const { return lastError_; }

 private:
  int Fail(std::string text);

  RiffChunk riff_;
  RiffChunk data_;
  std::string lastError_;
};

// Opens `path` for reading and reads its format with ReadWaveFormat. Returns 1 when the file
// opened and its format was read, else 0; the outputs are set only on 1.
int GetWaveInfo(FileOpener& opener, const std::string& path, int& rate, int& bits, int& channels);

// Playing time in milliseconds of `bytes` of PCM: bytes * 8000 / (rate * bits * channels),
// truncated. 0 when rate, bits or channels is 0; results beyond the int32 range saturate.
int32_t WaveBytesToMsec(uint32_t bytes, uint32_t rate, uint32_t bits, uint32_t channels);
// Bytes of PCM for `msec` milliseconds: msec * rate * bits * channels / 8000, truncated, with
// the same guards.
int32_t WaveMsecToBytes(uint32_t msec, uint32_t rate, uint32_t bits, uint32_t channels);

}  // namespace vx
