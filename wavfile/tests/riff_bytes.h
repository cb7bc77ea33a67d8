#pragma once

// Builders for RIFF test files, with sizes that may be declared falsely.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace vx::test {

using Bytes = std::vector<uint8_t>;

inline void AppendLe16(Bytes& bytes, uint32_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

inline void AppendLe32(Bytes& bytes, uint32_t value) {
  AppendLe16(bytes, value);
  AppendLe16(bytes, value >> 16);
}

inline void AppendCode(Bytes& bytes, std::string_view code) {
  bytes.insert(bytes.end(), code.begin(), code.begin() + 4);
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A chunk: header, body and the pad byte of an odd body. `declared` replaces the size field.
inline Bytes Chunk(std::string_view id, const Bytes& body, std::optional<uint32_t> declared = {}) {
  Bytes bytes;
  AppendCode(bytes, id);
  AppendLe32(bytes, declared.value_or(static_cast<uint32_t>(body.size())));
  bytes.insert(bytes.end(), body.begin(), body.end());
  if (body.size() & 1) bytes.push_back(0);
  return bytes;
}

// A "RIFF" chunk of form type `form` holding `chunks`.
inline Bytes Riff(std::string_view form, std::initializer_list<Bytes> chunks,
                  std::optional<uint32_t> declared = {}) {
  Bytes body;
  AppendCode(body, form);
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  return Chunk("RIFF", body, declared);
}

// A "fmt " chunk body with the PCM fields and `extra` further bytes of value 0xEE.
inline Bytes FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                        size_t extra = 0) {
  Bytes body;
  const uint32_t blockAlign = channels * (bits / 8u);
  AppendLe16(body, tag);
  AppendLe16(body, channels);
  AppendLe32(body, rate);
  AppendLe32(body, rate * blockAlign);
  AppendLe16(body, blockAlign);
  AppendLe16(body, bits);
  body.insert(body.end(), extra, 0xEE);
  return body;
}

// `count` bytes counting up from `first`.
inline Bytes Ramp(size_t count, uint8_t first = 1) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

}  // namespace vx::test
