#include "wavfile/wave_file.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <vector>

namespace vx {
namespace {

constexpr uint32_t kWaveForm = FourCC("WAVE");
constexpr uint32_t kFormatId = FourCC("fmt ");
constexpr uint32_t kDataId = FourCC("data");
constexpr uint16_t kPcmTag = 1;
// The PCM fields take the first 16 bytes; a chunk's size is read into one buffer of at most
// 65535 bytes, the largest format chunk accepted.
constexpr uint32_t kPcmFormatBytes = 16;
constexpr uint32_t kMaxFormatBytes = 65535;

constexpr char kMemoryShort[] = "メモリが足りません。";
constexpr char kFormatReadFailed[] = "形式チャンクの読み込みに失敗しました。";
constexpr char kNotPcm[] = "このファイルはＰＣＭファイルではありません。";
constexpr char kFormatWriteFailed[] = "形式チャンクの書き込みに失敗しました。";

std::string WithCode(const char* text, int code) {
  return std::string(text) + " Error = [" + std::to_string(code) + "]";
}

uint16_t Le16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t Le32(const uint8_t* bytes) {
  return static_cast<uint32_t>(Le16(bytes)) | static_cast<uint32_t>(Le16(bytes + 2)) << 16;
}

void PutLe16(uint8_t* bytes, uint32_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* bytes, uint32_t value) {
  PutLe16(bytes, value);
  PutLe16(bytes + 2, value >> 16);
}

// Truncates a non-negative time or byte count toward zero, saturating at the largest int32.
int32_t TruncateToInt32(double value) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  return value >= kMax ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

}  // namespace

int WaveReader::Fail(std::string text) {
  lastError_ = std::move(text);
  return 1;
}

int WaveReader::ReadWaveFormat(ByteStream& file, int& rate, int& bits, int& channels) {
  riff_ = RiffChunk{};
  if (int rc = Descend(file, RiffKind::kRiff, kWaveForm, nullptr, riff_)) {
    riff_ = RiffChunk{};
    return Fail(WithCode("mmioDescend(\"WAVE\")", rc));
  }
  RiffChunk format;
  if (int rc = Descend(file, RiffKind::kChunk, kFormatId, &riff_, format))
    return Fail(WithCode("mmioDescend(\"fmt \")", rc));
  // A chunk shorter than 16 bytes cannot hold the bits field; one above 65535 bytes is no
  // format chunk of this suite and is not read into memory.
  if (format.size < kPcmFormatBytes || format.size > kMaxFormatBytes)
    return Fail(kFormatReadFailed);
  std::vector<uint8_t> body;
  try {
    body.resize(format.size);
  } catch (const std::bad_alloc&) {
    return Fail(kMemoryShort);
  }
  if (file.Read(body) != static_cast<int64_t>(body.size())) return Fail(kFormatReadFailed);
  if (Le16(&body[0]) != kPcmTag) return Fail(kNotPcm);
  // A rate beyond the int range is no sampling rate; refusing it keeps callers from
  // dividing by a negative rate.
  const uint32_t fileRate = Le32(&body[4]);
  if (fileRate > static_cast<uint32_t>(std::numeric_limits<int>::max())) return Fail(kNotPcm);
  channels = Le16(&body[2]);
  rate = static_cast<int>(fileRate);
  bits = Le16(&body[14]);
  if (int rc = Ascend(file, format)) return Fail(WithCode("mmioAscend(\"fmt \")", rc));
  return 0;
}

int WaveReader::FindWaveData(ByteStream& file, uint32_t& size) {
  RiffChunk data;
  if (int rc = Descend(file, RiffKind::kChunk, kDataId, &riff_, data))
    return Fail(WithCode("mmioDescend(\"data\")", rc));
  // A size that runs past the end of the stream is cut to the bytes present, so a reader
  // never waits for samples that do not exist (files of unfinished recordings often carry
  // a placeholder size).
  const int64_t end = file.Seek(0, SeekOrigin::kEnd);
  if (end < 0 || file.Seek(data.dataOffset, SeekOrigin::kBegin) != data.dataOffset)
    return Fail(WithCode("mmioDescend(\"data\")", kMmioErrorCannotSeek));
  size = static_cast<uint32_t>(
      std::clamp<int64_t>(end - int64_t{data.dataOffset}, 0, int64_t{data.size}));
  return 0;
}

int WaveWriter::Fail(std::string text) {
  lastError_ = std::move(text);
  return 1;
}

int WaveWriter::CreateWaveFormat(ByteStream& file, int rate, int bits, int channels) {
  if (int rc = CreateChunk(file, RiffKind::kRiff, kWaveForm, riff_))
    return Fail(WithCode("mmioCreateChunk(\"RIFF\")", rc));
  RiffChunk format;
  if (int rc = CreateChunk(file, RiffKind::kChunk, kFormatId, format))
    return Fail(WithCode("mmioCreateChunk(\"fmt \")", rc));
  // Block alignment is computed in 16 bits, as the field holds it.
  const auto blockAlign = static_cast<uint16_t>(channels * (bits / 8));
  std::array<uint8_t, kPcmFormatBytes> body;
  PutLe16(&body[0], kPcmTag);
  PutLe16(&body[2], static_cast<uint32_t>(channels));
  PutLe32(&body[4], static_cast<uint32_t>(rate));
  PutLe32(&body[8], static_cast<uint32_t>(rate) * blockAlign);
  PutLe16(&body[12], blockAlign);
  PutLe16(&body[14], static_cast<uint32_t>(bits));
  if (file.Write(body) != static_cast<int64_t>(body.size())) return Fail(kFormatWriteFailed);
  if (int rc = Ascend(file, format)) return Fail(WithCode("mmioAscend(\"fmt \")", rc));
  return 0;
}

int WaveWriter::CreateWaveData(ByteStream& file) {
  if (int rc = CreateChunk(file, RiffKind::kChunk, kDataId, data_))
    return Fail(WithCode("mmioCreateChunk(\"data\")", rc));
  return 0;
}

int WaveWriter::CloseWaveData(ByteStream& file) {
  // Only a chunk still being written can be closed: a second close, or one without a
  // CreateWaveData, would otherwise report success without a size ever being fixed.
  if (!(data_.flags & kChunkDirty))
    return Fail(WithCode("mmioAscend(\"data\")", kMmioErrorChunkNotFound));
  if (int rc = Ascend(file, data_)) return Fail(WithCode("mmioAscend(\"data\")", rc));
  return 0;
}

int WaveWriter::CloseWaveRiff(ByteStream& file) {
  if (!(riff_.flags & kChunkDirty))
    return Fail(WithCode("mmioAscend(\"WAVE \")", kMmioErrorChunkNotFound));
  if (int rc = Ascend(file, riff_)) return Fail(WithCode("mmioAscend(\"WAVE \")", rc));
  return 0;
}

int GetWaveInfo(FileOpener& opener, const std::string& path, int& rate, int& bits, int& channels) {
  int error = 0;
  std::unique_ptr<ByteStream> file = opener.Open(path, FileMode::kRead, error);
  if (!file) return 0;
  WaveReader reader;
  int fileRate = 0, fileBits = 0, fileChannels = 0;
  const bool read = reader.ReadWaveFormat(*file, fileRate, fileBits, fileChannels) == 0;
  file->Close();
  if (!read) return 0;
  rate = fileRate;
  bits = fileBits;
  channels = fileChannels;
  return 1;
}

int32_t WaveBytesToMsec(uint32_t bytes, uint32_t rate, uint32_t bits, uint32_t channels) {
  const uint64_t bitsTimesChannels = uint64_t{bits} * channels;
  if (rate == 0 || bitsTimesChannels == 0) return 0;
  // 8000 = 1000 ms times 8 bits per byte.
  return TruncateToInt32(static_cast<double>(bytes) * 8000.0 /
                         (static_cast<double>(rate) * static_cast<double>(bitsTimesChannels)));
}

int32_t WaveMsecToBytes(uint32_t msec, uint32_t rate, uint32_t bits, uint32_t channels) {
  const uint64_t bitsTimesChannels = uint64_t{bits} * channels;
  if (rate == 0 || bitsTimesChannels == 0) return 0;
  return TruncateToInt32(static_cast<double>(msec) * static_cast<double>(rate) *
                         static_cast<double>(bitsTimesChannels) * 0.000125);
}

}  // namespace vx
