// Speed of a file encoder batch run one file at a time and two at once (vxtool encode -j): eight
// WAV files of 5 s, two each at 44100, 22050, 16000 and 8000 Hz (largest first, so two workers
// share the load evenly), each through the whole conversion (rate converter, encoder, file
// writes). Each run's outputs are compared byte for byte with those of a first run one file at
// a time. "audio_s" is the seconds of speech converted per second of wall time; "cores" the
// process's CPU time over the wall time (how many cores the run kept busy), so that a run on
// a machine shared with other work still shows whether the two conversions overlapped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "encoder/pipeline/conversion_batch.h"
#include "encoder/pipeline/conversion_job.h"
#include "io/file_stream.h"
#include "io/memory_stream.h"
#include "platform/headless/scripted_prompter.h"
#include "wavfile/wave_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRates[] = {44100, 44100, 22050, 22050, 16000, 16000, 8000, 8000};
constexpr int kSeconds = 5;

class QuietHost final : public vx::ConversionHost {
 public:
  void ServiceEvent(vx::ConversionJob&) override {}
  void ShowProgress(const vx::ConversionJob&) override {}
};

std::vector<uint8_t> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A voiced, amplitude-modulated signal with noise, as 16-bit mono WAV bytes.
std::vector<uint8_t> SpeechLikeWav(int rate, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::vector<uint8_t> samples;
  for (int t = 0; t < rate * kSeconds; ++t) {
    const double time = static_cast<double>(t) / rate;
    double v = 0.0;
    for (int h = 1; h <= 8; ++h) v += 3000.0 / h * std::sin(2 * M_PI * 130.0 * h * time + h);
    v = v * (0.6 + 0.4 * std::sin(2 * M_PI * 3.0 * time)) + noise(random);
    const auto s = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0)));
    samples.push_back(static_cast<uint8_t>(s));
    samples.push_back(static_cast<uint8_t>(s >> 8));
  }
  vx::MemoryStream file;
  vx::WaveWriter writer;
  writer.CreateWaveFormat(file, rate, 16, 1);
  writer.CreateWaveData(file);
  file.Write(samples);
  writer.CloseWaveData(file);
  writer.CloseWaveRiff(file);
  return file.Bytes();
}

class Batch {
 public:
  Batch() : dir_(fs::temp_directory_path() / ("convert_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    for (size_t i = 0; i < std::size(kRates); ++i) {
      const std::vector<uint8_t> bytes = SpeechLikeWav(kRates[i], static_cast<unsigned>(i));
      std::ofstream(Source(i), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
  }
  ~Batch() { fs::remove_all(dir_); }

  std::string Source(size_t i) const {
    return (dir_ / ("f" + std::to_string(i) + ".wav")).string();
  }
  std::string Output(size_t i) const {
    return (dir_ / ("f" + std::to_string(i) + ".vxs")).string();
  }

  // Converts every file, `parallel` at once; false when a conversion failed.
  bool Run(int parallel) {
    const size_t count = std::size(kRates);
    return vx::RunConversionBatch(count, parallel, [&](size_t i) {
             vx::ScriptedPrompter prompter;
             QuietHost host;
             vx::ConversionJob job({files_, paths_, prompter, host});
             return job.PrepareJob({.overwriteCheck = false}, Source(i)) == vx::JobAnswer::kGo &&
                    job.RunConversion() == vx::ConversionResult::kConverted;
           }) == count;
  }

  std::vector<std::vector<uint8_t>> Outputs() const {
    std::vector<std::vector<uint8_t>> outputs;
    for (size_t i = 0; i < std::size(kRates); ++i) outputs.push_back(Read(Output(i)));
    return outputs;
  }

 private:
  fs::path dir_;
  vx::PosixFileOpener files_;
  vx::PosixPathServices paths_;
};

void BM_ConvertBatch(benchmark::State& state) {
  const int parallel = static_cast<int>(state.range(0));
  Batch batch;
  if (!batch.Run(1)) {
    state.SkipWithError("a conversion failed");
    return;
  }
  const auto reference = batch.Outputs();
  const std::clock_t cpuStart = std::clock();
  const auto wallStart = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (!batch.Run(parallel)) {
      state.SkipWithError("a conversion failed");
      return;
    }
  }
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  state.counters["cores"] = wall > 0 ? cpu / wall : 0.0;
  if (batch.Outputs() != reference) state.SkipWithError("outputs differ from one at a time");
  state.counters["audio_s"] = benchmark::Counter(static_cast<double>(kSeconds * std::size(kRates)),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertBatch)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
