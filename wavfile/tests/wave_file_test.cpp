#include "wavfile/wave_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "io/fault_stream.h"
#include "io/file_stream.h"
#include "io/memory_stream.h"
#include "wavfile/tests/riff_bytes.h"

namespace vx {
namespace {

using test::AppendCode;
using test::AppendLe16;
using test::AppendLe32;
using test::Bytes;
using test::Chunk;
using test::Concat;
using test::FormatBody;
using test::Ramp;
using test::Riff;

const std::string kDescendWave = "mmioDescend(\"WAVE\") Error = [265]";
const std::string kDescendFormat = "mmioDescend(\"fmt \") Error = [265]";
const std::string kDescendData = "mmioDescend(\"data\") Error = [265]";
const std::string kFormatReadFailed = "形式チャンクの読み込みに失敗しました。";
const std::string kNotPcm = "このファイルはＰＣＭファイルではありません。";
const std::string kFormatWriteFailed = "形式チャンクの書き込みに失敗しました。";

uint32_t Le32At(const Bytes& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

Bytes Cut(Bytes bytes, size_t count) {
  bytes.resize(bytes.size() - count);
  return bytes;
}

TEST(WaveWriterTest, WritesTheCanonical364ByteFile) {
  MemoryStream file;
  WaveWriter writer;
  ASSERT_EQ(writer.CreateWaveFormat(file, 8000, 16, 1), 0) << writer.LastError();
  ASSERT_EQ(writer.CreateWaveData(file), 0) << writer.LastError();
  const Bytes samples = Ramp(320);
  ASSERT_EQ(file.Write(samples), 320);
  ASSERT_EQ(writer.CloseWaveData(file), 0) << writer.LastError();
  ASSERT_EQ(writer.CloseWaveRiff(file), 0) << writer.LastError();

  Bytes expected;
  AppendCode(expected, "RIFF");
  AppendLe32(expected, 356);
  AppendCode(expected, "WAVE");
  AppendCode(expected, "fmt ");
  AppendLe32(expected, 16);
  AppendLe16(expected, 1);      // PCM
  AppendLe16(expected, 1);      // channels
  AppendLe32(expected, 8000);   // rate
  AppendLe32(expected, 16000);  // bytes per second
  AppendLe16(expected, 2);      // block alignment
  AppendLe16(expected, 16);     // bits
  AppendCode(expected, "data");
  AppendLe32(expected, 320);
  expected.insert(expected.end(), samples.begin(), samples.end());
  ASSERT_EQ(expected.size(), 364u);
  EXPECT_EQ(file.Bytes(), expected);
}

// What the writer produces, the reader reads back: format fields, the data's size and start,
// and the pad byte after an odd count of sample bytes.
TEST(WaveWriterTest, ReaderReadsBackWhatTheWriterWrote) {
  struct Case {
    int rate, bits, channels;
    size_t sampleBytes;
    uint32_t bytesPerSecond;
  };
  for (const Case& c : {Case{8000, 16, 1, 320, 16000}, Case{44100, 16, 2, 4, 176400},
                        Case{11025, 8, 1, 7, 11025}}) {
    SCOPED_TRACE(c.rate);
    MemoryStream file;
    WaveWriter writer;
    ASSERT_EQ(writer.CreateWaveFormat(file, c.rate, c.bits, c.channels), 0);
    ASSERT_EQ(writer.CreateWaveData(file), 0);
    ASSERT_EQ(file.Write(Ramp(c.sampleBytes)), static_cast<int64_t>(c.sampleBytes));
    ASSERT_EQ(writer.CloseWaveData(file), 0);
    ASSERT_EQ(writer.CloseWaveRiff(file), 0);
    const Bytes& bytes = file.Bytes();
    EXPECT_EQ(bytes.size(), 44 + c.sampleBytes + (c.sampleBytes & 1));
    EXPECT_EQ(Le32At(bytes, 28), c.bytesPerSecond);

    ASSERT_EQ(file.Seek(0, SeekOrigin::kBegin), 0);
    WaveReader reader;
    int rate = 0, bits = 0, channels = 0;
    ASSERT_EQ(reader.ReadWaveFormat(file, rate, bits, channels), 0) << reader.LastError();
    EXPECT_EQ(rate, c.rate);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(channels, c.channels);
    uint32_t size = 0;
    ASSERT_EQ(reader.FindWaveData(file, size), 0) << reader.LastError();
    EXPECT_EQ(size, c.sampleBytes);
    EXPECT_EQ(file.Tell(), 44);
  }
}

struct ReadCase {
  const char* name;
  Bytes bytes;
  std::string formatError;  // empty: ReadWaveFormat succeeds with 8000 Hz, 16 bits, mono
  std::string dataError;    // empty: FindWaveData succeeds and its size covers `samples`
  Bytes samples;
};

std::vector<ReadCase> ReadCases() {
  const Bytes samples = Ramp(9, 0x40);  // odd: the data chunk is followed by a pad byte
  const Bytes data = Chunk("data", samples);
  const Bytes list = Chunk("LIST", Ramp(12, 0x80));
  const Bytes format = Chunk("fmt ", FormatBody(1, 1, 8000, 16));
  auto formatWith = [](uint16_t tag, uint32_t rate, size_t extra) {
    return Chunk("fmt ", FormatBody(tag, 1, rate, 16, extra));
  };
  auto ok = [&](const char* name, Bytes bytes) {
    return ReadCase{name, std::move(bytes), "", "", samples};
  };
  auto badFormat = [](const char* name, Bytes bytes, const std::string& error) {
    return ReadCase{name, std::move(bytes), error, "", {}};
  };
  auto noData = [](const char* name, Bytes bytes) {
    return ReadCase{name, std::move(bytes), "", kDescendData, {}};
  };
  // A data chunk whose size runs past the end covers the bytes present: samples and pad.
  Bytes samplesToEnd = samples;
  samplesToEnd.push_back(0);
  const Bytes pcm = FormatBody(1, 1, 8000, 16);
  return {
      ok("plain", Riff("WAVE", {format, data})),
      ok("LIST between fmt and data", Riff("WAVE", {format, list, data})),
      ok("LIST after data", Riff("WAVE", {format, data, list})),
      ok("odd fmt and junk chunks with pad bytes",
         Riff("WAVE", {formatWith(1, 8000, 1), Chunk("junk", {1, 2, 3}), data, list})),
      ok("18-byte fmt with an extension size", Riff("WAVE", {formatWith(1, 8000, 2), data})),
      ok("largest fmt chunk", Riff("WAVE", {formatWith(1, 8000, 65535 - 16), data})),
      ok("other chunks before the RIFF chunk",
         Concat({Chunk("junk", {1}), Riff("AVI ", {format}), Riff("WAVE", {format, data})})),
      ok("RIFF size left unset", Riff("WAVE", {format, data}, 0xFFFFFFFF)),
      {"data size past the end", Riff("WAVE", {format, Chunk("data", samples, 1000)}), "", "",
       samplesToEnd},
      {"data size unset", Riff("WAVE", {format, Chunk("data", samples, 0xFFFFFFFF)}), "", "",
       samplesToEnd},
      noData("data before fmt", Riff("WAVE", {data, format})),
      noData("data outside the RIFF chunk", Concat({Riff("WAVE", {format}), data})),
      noData("RIFF size cuts the data header off", Riff("WAVE", {format, data}, 4 + 24 + 4)),
      badFormat("floating-point tag 3", Riff("WAVE", {formatWith(3, 8000, 0), data}), kNotPcm),
      badFormat("extensible tag 0xFFFE", Riff("WAVE", {formatWith(0xFFFE, 8000, 22), data}),
                kNotPcm),
      badFormat("rate beyond the int range", Riff("WAVE", {formatWith(1, 0x80000000u, 0), data}),
                kNotPcm),
      badFormat("video form type", Riff("AVI ", {format, data}), kDescendWave),
      badFormat("bare stream", Ramp(64), kDescendWave),
      badFormat("no fmt chunk", Riff("WAVE", {data}), kDescendFormat),
      badFormat("fmt of 14 bytes",
                Riff("WAVE", {Chunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 14)), data}),
                kFormatReadFailed),
      badFormat("fmt declaring 65536 bytes", Riff("WAVE", {Chunk("fmt ", pcm, 65536), data}),
                kFormatReadFailed),
      badFormat("fmt cut off by the end of the file", Cut(Riff("WAVE", {format}), 6),
                kFormatReadFailed),
  };
}

TEST(WaveReaderTest, ReadsFormatAndFindsData) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    MemoryStream file(c.bytes);
    WaveReader reader;
    int rate = -1, bits = -1, channels = -1;
    const int formatResult = reader.ReadWaveFormat(file, rate, bits, channels);
    if (!c.formatError.empty()) {
      EXPECT_EQ(formatResult, 1);
      EXPECT_EQ(reader.LastError(), c.formatError);
      EXPECT_EQ(rate, -1) << "outputs stay untouched when the format is refused";
      continue;
    }
    ASSERT_EQ(formatResult, 0) << reader.LastError();
    EXPECT_EQ(rate, 8000);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 1);
    uint32_t size = 0;
    const int dataResult = reader.FindWaveData(file, size);
    if (!c.dataError.empty()) {
      EXPECT_EQ(dataResult, 1);
      EXPECT_EQ(reader.LastError(), c.dataError);
      continue;
    }
    ASSERT_EQ(dataResult, 0) << reader.LastError();
    ASSERT_EQ(size, c.samples.size());
    Bytes read(size);
    ASSERT_EQ(file.Read(read), size) << "every byte of the reported size is present";
    EXPECT_EQ(read, c.samples) << "the stream stood at the first sample byte";
  }
}

// Faults of the file itself while reading: the outputs and texts of each step.
TEST(WaveReaderTest, StreamFaultsWhileReading) {
  const Bytes file =
      Riff("WAVE", {Chunk("fmt ", FormatBody(1, 2, 22050, 16)), Chunk("data", Ramp(4))});
  {
    SCOPED_TRACE("read of the fmt body fails");
    FaultStream stream(std::make_unique<MemoryStream>(file), FaultPlan{.readFailsAt = 20});
    WaveReader reader;
    int rate = 0, bits = 0, channels = 0;
    EXPECT_EQ(reader.ReadWaveFormat(stream, rate, bits, channels), 1);
    EXPECT_EQ(reader.LastError(), kFormatReadFailed);
  }
  {
    SCOPED_TRACE("leaving fmt fails: outputs filled, failure reported");
    FaultStream stream(std::make_unique<MemoryStream>(file), FaultPlan{.failSeekNumber = 1});
    WaveReader reader;
    int rate = 0, bits = 0, channels = 0;
    EXPECT_EQ(reader.ReadWaveFormat(stream, rate, bits, channels), 1);
    EXPECT_EQ(reader.LastError(), "mmioAscend(\"fmt \") Error = [263]");
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 2);
  }
  {
    SCOPED_TRACE("measuring the data fails");
    FaultStream stream(std::make_unique<MemoryStream>(file), FaultPlan{.failSeekNumber = 2});
    WaveReader reader;
    int rate = 0, bits = 0, channels = 0;
    ASSERT_EQ(reader.ReadWaveFormat(stream, rate, bits, channels), 0);
    uint32_t size = 0;
    EXPECT_EQ(reader.FindWaveData(stream, size), 1);
    EXPECT_EQ(reader.LastError(), "mmioDescend(\"data\") Error = [263]");
  }
  {
    SCOPED_TRACE("FindWaveData without a RIFF chunk read");
    MemoryStream stream(file);
    WaveReader reader;
    uint32_t size = 0;
    EXPECT_EQ(reader.FindWaveData(stream, size), 1);
    EXPECT_EQ(reader.LastError(), kDescendData);
  }
}

class GetWaveInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("wavfile_tests_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const char* name, const Bytes& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(GetWaveInfoTest, AnswersTrueOnlyForReadablePcmFiles) {
  PosixFileOpener posix;
  FaultFileOpener opener(posix);
  const std::string stereo =
      Write("stereo.wav",
            Riff("WAVE", {Chunk("fmt ", FormatBody(1, 2, 44100, 16)), Chunk("data", Ramp(8))}));
  const std::string video =
      Write("video.avi", Riff("AVI ", {Chunk("fmt ", FormatBody(1, 1, 8000, 16))}));
  const std::string float32 =
      Write("float.wav", Riff("WAVE", {Chunk("fmt ", FormatBody(3, 1, 48000, 32))}));
  opener.FailOpen(stereo + ".locked", -EACCES);
  struct Case {
    std::string path;
    int expected, rate, bits, channels;
  };
  const Case cases[] = {
      {VX_SAMPLES_DIR "/vm-intro.wav", 1, 8000, 16, 1},
      {stereo, 1, 44100, 16, 2},
      {video, 0, -1, -1, -1},
      {float32, 0, -1, -1, -1},
      {(dir_ / "missing.wav").string(), 0, -1, -1, -1},
      {stereo + ".locked", 0, -1, -1, -1},
      {dir_.string(), 0, -1, -1, -1},  // a directory opens but cannot be read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int rate = -1, bits = -1, channels = -1;
    EXPECT_EQ(GetWaveInfo(opener, c.path, rate, bits, channels), c.expected);
    EXPECT_EQ(rate, c.rate);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(channels, c.channels);
  }
}

TEST(WaveReaderTest, FindsTheDataOfTheBundledSample) {
  PosixFileOpener opener;
  int error = 0;
  auto file = opener.Open(VX_SAMPLES_DIR "/vm-intro.wav", FileMode::kRead, error);
  ASSERT_TRUE(file) << error;
  WaveReader reader;
  int rate, bits, channels;
  ASSERT_EQ(reader.ReadWaveFormat(*file, rate, bits, channels), 0) << reader.LastError();
  uint32_t size = 0;
  ASSERT_EQ(reader.FindWaveData(*file, size), 0) << reader.LastError();
  EXPECT_EQ(file->Tell(), 44);
  EXPECT_EQ(size, file->Seek(0, SeekOrigin::kEnd) - 44);
}

// Each failing step of writing leaves its text; the steps before it succeed.
TEST(WaveWriterTest, WriteFailuresGiveTheirTexts) {
  enum Step { kFormat, kData, kCloseData, kCloseRiff };
  struct Case {
    const char* name;
    FaultPlan plan;
    Step failingStep;
    std::string text;
  };
  const Case cases[] = {
      {"disk full at once", FaultPlan{.diskFullAfter = 0}, kFormat,
       "mmioCreateChunk(\"RIFF\") Error = [262]"},
      {"disk full at the fmt header", FaultPlan{.diskFullAfter = 14}, kFormat,
       "mmioCreateChunk(\"fmt \") Error = [262]"},
      {"disk full inside the fmt body", FaultPlan{.diskFullAfter = 30}, kFormat,
       kFormatWriteFailed},
      {"tell fails", FaultPlan{.failTellNumber = 1}, kFormat,
       "mmioCreateChunk(\"RIFF\") Error = [263]"},
      {"seek fails leaving fmt", FaultPlan{.failSeekNumber = 1}, kFormat,
       "mmioAscend(\"fmt \") Error = [263]"},
      // Fixing a size in place is a write of 4 bytes and counts toward the medium's room.
      {"disk full at the data header", FaultPlan{.diskFullAfter = 44}, kData,
       "mmioCreateChunk(\"data\") Error = [262]"},
      {"disk full at the pad byte", FaultPlan{.diskFullAfter = 51}, kCloseData,
       "mmioAscend(\"data\") Error = [262]"},
      {"seek fails leaving data", FaultPlan{.failSeekNumber = 3}, kCloseData,
       "mmioAscend(\"data\") Error = [263]"},
      {"seek fails leaving RIFF", FaultPlan{.failSeekNumber = 5}, kCloseRiff,
       "mmioAscend(\"WAVE \") Error = [263]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FaultStream file(std::make_unique<MemoryStream>(), c.plan);
    WaveWriter writer;
    const int results[] = {
        writer.CreateWaveFormat(file, 8000, 16, 1),
        c.failingStep > kFormat ? writer.CreateWaveData(file) : -1,
        c.failingStep > kData ? (file.Write(Ramp(3)), writer.CloseWaveData(file)) : -1,
        c.failingStep > kCloseData ? writer.CloseWaveRiff(file) : -1,
    };
    for (int step = kFormat; step < c.failingStep; ++step) EXPECT_EQ(results[step], 0) << step;
    EXPECT_EQ(results[c.failingStep], 1);
    EXPECT_EQ(writer.LastError(), c.text);
  }
}

TEST(WaveWriterTest, ClosingAChunkNotBeingWrittenFails) {
  MemoryStream file;
  WaveWriter writer;
  EXPECT_EQ(writer.CloseWaveRiff(file), 1) << "no RIFF chunk was created";
  EXPECT_EQ(writer.LastError(), "mmioAscend(\"WAVE \") Error = [265]");
  ASSERT_EQ(writer.CreateWaveFormat(file, 8000, 16, 1), 0);
  EXPECT_EQ(writer.CloseWaveData(file), 1) << "no data chunk was created";
  EXPECT_EQ(writer.LastError(), "mmioAscend(\"data\") Error = [265]");
  ASSERT_EQ(writer.CreateWaveData(file), 0);
  ASSERT_EQ(writer.CloseWaveData(file), 0);
  EXPECT_EQ(writer.CloseWaveData(file), 1) << "the data chunk was already closed";
}

// Readers share nothing: two threads reading different files at once each see their own
// format, data and failure text.
TEST(WaveReaderTest, ReadersOnTwoThreadsDoNotDisturbEachOther) {
  const Bytes good = Riff("WAVE", {Chunk("fmt ", FormatBody(1, 2, 11025, 16)),
                                   Chunk("LIST", Ramp(30)), Chunk("data", Ramp(100))});
  const Bytes noData = Riff("WAVE", {Chunk("fmt ", FormatBody(1, 1, 48000, 8))});
  constexpr int kRounds = 2000;
  int goodFailures = 0, badSurprises = 0;
  std::thread first([&] {
    for (int i = 0; i < kRounds; ++i) {
      MemoryStream file(good);
      WaveReader reader;
      int rate = 0, bits = 0, channels = 0;
      uint32_t size = 0;
      if (reader.ReadWaveFormat(file, rate, bits, channels) != 0 ||
          reader.FindWaveData(file, size) != 0 || rate != 11025 || channels != 2 || size != 100 ||
          !reader.LastError().empty())
        ++goodFailures;
    }
  });
  std::thread second([&] {
    WaveReader reader;  // one reader reused for every round
    for (int i = 0; i < kRounds; ++i) {
      MemoryStream file(noData);
      int rate = 0, bits = 0, channels = 0;
      uint32_t size = 0;
      if (reader.ReadWaveFormat(file, rate, bits, channels) != 0 || rate != 48000 || bits != 8 ||
          reader.FindWaveData(file, size) != 1 || reader.LastError() != kDescendData)
        ++badSurprises;
    }
  });
  first.join();
  second.join();
  EXPECT_EQ(goodFailures, 0);
  EXPECT_EQ(badSurprises, 0);
}

TEST(WaveTimeTest, ConvertsBetweenBytesAndMilliseconds) {
  struct Case {
    uint32_t value, rate, bits, channels;
    int32_t msec;   // WaveBytesToMsec(value, ...)
    int32_t bytes;  // WaveMsecToBytes(value, ...)
  };
  constexpr int32_t kMax = 2147483647;
  const Case cases[] = {
      {16000, 8000, 16, 1, 1000, 256000},
      {8000, 11025, 16, 2, 181, 352800},  // 181.4 ms truncated
      {3000, 8000, 16, 1, 187, 48000},
      {1, 44100, 16, 2, 0, 176},  // 176.4 bytes truncated
      {0, 8000, 16, 1, 0, 0},
      {16000, 0, 16, 1, 0, 0},  // no rate, bits or channels: 0, not a division by 0
      {16000, 8000, 0, 1, 0, 0},
      {16000, 8000, 16, 0, 0, 0},
      {4294967295u, 1, 8, 1, kMax, 4294967},  // saturates instead of overflowing
      {4294967295u, 48000, 16, 2, 22369621, kMax},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.value << " " << c.rate << "/" << c.bits << "/" << c.channels);
    EXPECT_EQ(WaveBytesToMsec(c.value, c.rate, c.bits, c.channels), c.msec);
    EXPECT_EQ(WaveMsecToBytes(c.value, c.rate, c.bits, c.channels), c.bytes);
  }
}

}  // namespace
}  // namespace vx
