#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// Speech fixtures for the encoder tests: WAV files of 16-bit mono PCM read straight from their
// "data" chunk (the codec tests do not link the WAV module), and signals built from them.
namespace vx::test {

struct SpeechClip {
  std::string name;
  int rate = 0;
  std::vector<int16_t> samples;
};

inline uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Reads a RIFF WAVE file of 16-bit mono PCM; an empty clip when the file is missing or of
// another format.
inline SpeechClip ReadSpeechClip(const std::filesystem::path& path) {
  SpeechClip clip;
  clip.name = path.filename().string();
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return clip;
  bool pcm16Mono = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint8_t* chunk = bytes.data() + at;
    const size_t size = Le32(chunk + 4);
    const size_t body = at + 8;
    if (body + size > bytes.size()) break;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
      pcm16Mono = Le16(chunk + 8) == 1 && Le16(chunk + 10) == 1 && Le16(chunk + 22) == 16;
      clip.rate = static_cast<int>(Le32(chunk + 12));
    } else if (std::memcmp(chunk, "data", 4) == 0 && pcm16Mono) {
      for (size_t i = 0; i + 1 < size; i += 2)
        clip.samples.push_back(static_cast<int16_t>(Le16(bytes.data() + body + i)));
      return clip;
    }
    at = body + size + (size & 1);
  }
  clip.samples.clear();
  return clip;
}

inline std::filesystem::path SourcePath(const std::string& relative) {
  return std::filesystem::path(VX_SOURCE_DIR) / relative;
}

// The 8000 Hz speech of samples/ (every *.wav there, in name order so that what a test does
// with "the first clip" does not hang on the directory's order).
inline std::vector<SpeechClip> SampleClips() {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("samples"), error))
    if (entry.path().extension() == ".wav") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  std::vector<SpeechClip> clips;
  for (const std::filesystem::path& path : paths) {
    SpeechClip clip = ReadSpeechClip(path);
    if (clip.rate == 8000 && !clip.samples.empty()) clips.push_back(std::move(clip));
  }
  return clips;
}

// The committed 11025 Hz fixture.
inline SpeechClip Fixture11025() {
  return ReadSpeechClip(SourcePath("codec/tests/data/speech_11025.wav"));
}

// Speech, then 1.5 s of steady low background (RMS about 40), 0.5 s of digital silence and
// the speech again: with the activity decision every frame type occurs.
inline std::vector<int16_t> SpeechNoiseSilenceSpeech(const std::vector<int16_t>& speech) {
  std::vector<int16_t> out(speech);
  std::mt19937 random(20240611);
  std::normal_distribution<float> noise(0.0f, 40.0f);
  for (int i = 0; i < 12000; ++i) out.push_back(static_cast<int16_t>(noise(random)));
  out.insert(out.end(), 4000, 0);
  out.insert(out.end(), speech.begin(), speech.end());
  return out;
}

// A high voice from the first sample: a glottal-like pulse train of period `period` samples
// through two formant resonators, at speech level.
inline std::vector<int16_t> HighVoice(int period, size_t samples) {
  std::vector<int16_t> out(samples);
  double y1 = 0, y2 = 0, z1 = 0, z2 = 0;
  for (size_t n = 0; n < samples; ++n) {
    const double pulse = n % static_cast<size_t>(period) == 0 ? 3000.0 : 0.0;
    const double y = pulse + 1.6 * y1 - 0.8 * y2;  // resonance near 500 Hz
    y2 = y1;
    y1 = y;
    const double z = y + 0.3 * z1 - 0.6 * z2;  // a broader one near 1600 Hz
    z2 = z1;
    z1 = z;
    out[n] = static_cast<int16_t>(std::max(-32768.0, std::min(32767.0, z)));
  }
  return out;
}

}  // namespace vx::test
