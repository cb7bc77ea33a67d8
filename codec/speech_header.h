#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The compressed speech file header: a 2-byte big-endian length N, then N header bytes
// ("VXHD", version, sampling code, coding mode, sample count, title, comment, optional rate
// tag). Frames follow the header back to back.
namespace vx {

constexpr int kMinHeaderBytes = 22;
constexpr int kMaxHeaderBytes = 278;    // N
constexpr int kMaxHeaderText = 128;     // longest title or comment
constexpr int kWriterCodecVersion = 2;  // the version the writer's "VX970310" selects

struct SpeechHeaderInfo {
  int32_t sampleRate = 0, channels = 0, sampleCount = -1, streamType = 0;
  int codecVersion = 0;  // 1 or 2 once the version check passed, else 0
  char version[8] = {};  // the 8 version bytes as stored
  std::array<char, kMaxHeaderText + 1> title{}, comment{};  // zero-terminated copies
  int titleLength = 0, commentLength = 0;
};

// Writes the 2-byte prefix and the N header bytes into out (room for 2 + 278); returns N,
// or kCodecUnsupportedMode for a fixed-rate header whose rate mode is not 0, 1 or 6.
// Title and comment are cut at their first zero byte and at 128 bytes. Rate modes are the
// encoder's: 0 full rate, 1 half rate, 6 a full-rate variant. A negative sample count is
// written as -1 (unknown).
int WriteSpeechHeader(int32_t sampleCount, std::string_view title, std::string_view comment,
                      int variableRate, int rateMode, std::span<uint8_t, 2 + kMaxHeaderBytes> out);

// Parses the N header bytes (without the prefix). Returns 0, kCodecWrongMagic,
// kCodecUnsupportedVersion, kCodecUnsupportedSampling or kCodecUnsupportedMode and fills
// info as far as the checks got; info.codecVersion is set as soon as the version passed.
// Never reads outside `header`: a title or comment whose length runs past the end is cut
// there, and a comment length field that lies outside counts as 0. A header shorter than
// 22 or longer than 278 bytes is refused with kCodecWrongMagic.
int ParseSpeechHeader(std::span<const uint8_t> header, SpeechHeaderInfo& info);

}  // namespace vx
