#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A corpus of speech recordings: every WAV file below a root folder, split by file into a
// training and a validation set. The split depends only on the file's path relative to the
// root, so it is the same on every machine and for every run.
namespace vx::metrics {

enum class CorpusSplit { kTraining, kValidation, kAll };

struct CorpusFile {
  std::string path;  // as found, usable to open the file
  std::string key;   // path relative to the root, '/'-separated: the split key
};

// Validation for one file in five: 64-bit FNV-1a of the key, modulo 5, equal to 0.
CorpusSplit SplitOf(std::string_view key);

// The WAV files (".wav", any case) below `root`, recursively, sorted by key, of the split
// asked for. `root` may also name one WAV file, which is then listed whatever the split. An
// unreadable root gives an empty list and a message in `error`.
std::vector<CorpusFile> ListCorpus(const std::string& root, CorpusSplit split, std::string& error);

// Reads a RIFF WAVE file of 16-bit mono PCM at 8000 Hz. Any other format, or a file that
// cannot be read, gives false with a message in `error`.
bool ReadSpeechWav(const std::string& path, std::vector<int16_t>& samples, std::string& error);

}  // namespace vx::metrics
