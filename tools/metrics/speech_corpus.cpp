#include "tools/metrics/speech_corpus.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "io/file_stream.h"
#include "wavfile/wave_file.h"

namespace vx::metrics {

namespace {

bool IsWav(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".wav";
}

}  // namespace

CorpusSplit SplitOf(std::string_view key) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : key) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash % 5 == 0 ? CorpusSplit::kValidation : CorpusSplit::kTraining;
}

std::vector<CorpusFile> ListCorpus(const std::string& root, CorpusSplit split, std::string& error) {
  namespace fs = std::filesystem;
  std::vector<CorpusFile> files;
  std::error_code ec;
  const fs::path base(root);
  if (fs::is_regular_file(base, ec)) {
    files.push_back({root, base.filename().generic_string()});
    return files;
  }
  fs::recursive_directory_iterator it(base, fs::directory_options::follow_directory_symlink, ec);
  if (ec) {
    error = root + ": " + ec.message();
    return files;
  }
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) {
      error = root + ": " + ec.message();
      return {};
    }
    if (!it->is_regular_file(ec) || !IsWav(it->path())) continue;
    CorpusFile file{it->path().string(), it->path().lexically_relative(base).generic_string()};
    if (split == CorpusSplit::kAll || SplitOf(file.key) == split) files.push_back(file);
  }
  std::sort(files.begin(), files.end(),
            [](const CorpusFile& a, const CorpusFile& b) { return a.key < b.key; });
  return files;
}

bool ReadSpeechWav(const std::string& path, std::vector<int16_t>& samples, std::string& error) {
  int openError = 0;
  std::unique_ptr<FileStream> file = FileStream::Open(path, FileMode::kRead, openError);
  if (!file) {
    error = path + ": cannot open (" +
            std::error_code(-openError, std::generic_category()).message() + ")";
    return false;
  }
  WaveReader reader;
  int rate = 0, bits = 0, channels = 0;
  uint32_t size = 0;
  if (reader.ReadWaveFormat(*file, rate, bits, channels) != 0 ||
      reader.FindWaveData(*file, size) != 0) {
    error = path + ": " + reader.LastError();
    return false;
  }
  if (rate != 8000 || bits != 16 || channels != 1) {
    error = path + ": not 16-bit mono PCM at 8000 Hz";
    return false;
  }
  std::vector<uint8_t> bytes(size);
  const int64_t got = file->Read(bytes);
  if (got < 0) {
    error = path + ": read error";
    return false;
  }
  samples.resize(static_cast<size_t>(got) / 2);
  for (size_t n = 0; n < samples.size(); ++n)
    samples[n] = static_cast<int16_t>(bytes[2 * n] | (bytes[2 * n + 1] << 8));
  return true;
}

}  // namespace vx::metrics
