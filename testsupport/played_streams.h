#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "codec/decoder.h"
#include "io/memory_stream.h"
#include "testsupport/test_streams.h"
#include "wavfile/wave_file.h"

// Compressed speech streams for the tests of the programs that play them (the playback engine,
// vxtool play, the player): streams of a chosen shape, wrapped in WAVE files or bare, and the
// PCM a session decodes from them.
namespace vx::testing {

// A compressed speech file of `frames` frames with random valid words. Variable-rate
// streams mix all four frame types; fixed-rate ones hold their one type. `sampleCount` −1
// leaves the count out of the header.
struct StreamShape {
  int frames = 450;
  int variableRate = 1;
  int rateMode = 0;  // 0 full rate, 1 half rate
  bool withCount = true;
  uint32_t seed = 1;
};

inline std::vector<uint8_t> MakeStream(const StreamShape& shape) {
  std::mt19937 random(shape.seed);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < shape.frames; ++i) {
    FrameType type = shape.rateMode == 1 ? FrameType::kHalfRate : FrameType::kFullRate;
    if (shape.variableRate) {
      // Mostly speech, with runs of noise and silence frames among it.
      const uint32_t pick = random() % 8;
      type = pick == 0   ? FrameType::kNoise
             : pick == 1 ? FrameType::kSilence
             : pick < 5  ? FrameType::kFullRate
                         : FrameType::kHalfRate;
    }
    frames.push_back(test::PackedFrame(type, test::RandomWords(random, type)));
  }
  const int32_t count = shape.withCount ? shape.frames * kFrameSamples : -1;
  return test::SpeechStream(shape.variableRate, shape.rateMode, frames, count);
}

// The stream inside a RIFF WAVE wrapper whose "fmt " chunk says rate, bits and channels;
// `trailer` bytes follow the "data" chunk in a chunk of their own.
inline std::vector<uint8_t> WrapInWave(const std::vector<uint8_t>& stream, int rate, int bits = 16,
                                       int channels = 1, std::vector<uint8_t> trailer = {}) {
  MemoryStream file;
  WaveWriter writer;
  EXPECT_EQ(writer.CreateWaveFormat(file, rate, bits, channels), 0);
  EXPECT_EQ(writer.CreateWaveData(file), 0);
  file.Write(stream);
  EXPECT_EQ(writer.CloseWaveData(file), 0);
  if (!trailer.empty()) {
    RiffChunk chunk;
    EXPECT_EQ(CreateChunk(file, RiffKind::kChunk, FourCC("LIST"), chunk), 0);
    file.Write(trailer);
    EXPECT_EQ(Ascend(file, chunk), 0);
  }
  EXPECT_EQ(writer.CloseWaveRiff(file), 0);
  return file.Bytes();
}

// Decodes a bare stream the way a session fed by the engine does: one session, frames
// decoded in the order asked, each range starting at its frame's offset.
class ReferenceDecoder {
 public:
  ReferenceDecoder(std::vector<uint8_t> stream, int rateCode)
      : stream_(std::move(stream)), rateCode_(rateCode) {
    MemoryStream file(stream_);
    int32_t samples = 0;
    EXPECT_EQ(session_.GetVocrixHeader(file, samples, streamType_), 0);
    for (;;) {
      const int64_t offset = file.Tell();
      std::vector<uint8_t> out(kFramePcmBytes11000);
      if (session_.ReadAndDecodeFrame(file, out, rateCode_, streamType_, true) <= 0) break;
      offsets_.push_back(offset);
    }
    Restart();
  }

  // A fresh session, as after the engine read the header.
  void Restart() {
    MemoryStream file(stream_);
    int32_t samples = 0;
    session_.GetVocrixHeader(file, samples, streamType_);
  }

  // PCM of frames [from, to), to = −1 for the end.
  std::vector<uint8_t> Decode(int from, int to = -1) {
    if (to < 0) to = Frames();
    MemoryStream file(stream_);
    std::vector<uint8_t> pcm;
    if (from >= Frames()) return pcm;
    file.Seek(offsets_[static_cast<size_t>(from)], SeekOrigin::kBegin);
    std::vector<uint8_t> out(kFramePcmBytes11000);
    for (int i = from; i < to; ++i) {
      const int n = session_.ReadAndDecodeFrame(file, out, rateCode_, streamType_, false);
      if (n <= 0) break;
      pcm.insert(pcm.end(), out.begin(), out.begin() + n);
    }
    return pcm;
  }

  int Frames() const { return static_cast<int>(offsets_.size()); }
  const std::vector<int64_t>& Offsets() const { return offsets_; }
  int StreamType() const { return streamType_; }

 private:
  std::vector<uint8_t> stream_;
  int rateCode_;
  DecoderSession session_;
  int streamType_ = 0;
  std::vector<int64_t> offsets_;
};

}  // namespace vx::testing
