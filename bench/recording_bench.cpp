// Speed of the recording pipeline: a whole take of 5 s of speech (countdown, 10 blocks of 25
// frames encoded and appended to a real temporary file, the final header, the copy) on the
// virtual card and clock. "audio_s" is the seconds recorded per second of run time: above 1
// the encoder keeps pace with the capture; the ring of four blocks leaves it 1.5 s of slack.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "audio/virtual_wave_api.h"
#include "io/file_stream.h"
#include "platform/headless/scripted_prompter.h"
#include "recorder/pipeline/recording_pipeline.h"
#include "testsupport/test_speech.h"

namespace {

class QuietView final : public vx::RecordingView {
 public:
  explicit QuietView(std::string target) : target_(std::move(target)) {}
  void EnableRecord(bool) override {}
  void EnableStop(bool) override {}
  void SetWaitCursor(bool) override {}
  void ClearTimeBox() override {}
  void DrawTimeText(std::string_view) override {}
  void DrawRateLamps(bool, bool) override {}
  void ShowRateButtons(bool, bool) override {}
  std::optional<std::string> ChooseSavePath(const vx::SaveFileRequest&) override {
    return target_;
  }

 private:
  std::string target_;
};

struct FixedDocument final : vx::RecordingDocument {
  std::string GetPathName() const override { return path; }
  void SetPathName(const std::string& p) override { path = p; }
  std::string path;
};

void BM_RecordTake(benchmark::State& state) {
  const int64_t takeMs = 5000;
  const vx::test::SpeechClip clip =
      vx::test::ReadSpeechClip(vx::test::SourcePath("samples/vm-intro.wav"));
  if (clip.samples.empty()) {
    state.SkipWithError("the speech sample is missing");
    return;
  }
  std::vector<uint8_t> pcm(clip.samples.size() * 2);
  std::memcpy(pcm.data(), clip.samples.data(), pcm.size());
  char pattern[] = "/tmp/vx_recording_bench_XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    state.SkipWithError("no temporary directory");
    return;
  }
  const std::string dir = pattern;

  vx::MessageQueue queue;
  vx::VirtualClock clock;
  vx::ScriptedPrompter prompter(vx::kAnswerOk);
  vx::PosixFileOpener files;
  vx::PosixPathServices paths;
  vx::VirtualWaveApi card(queue, clock);
  QuietView view(dir + "/take.vxs");
  FixedDocument document;
  document.path = dir + "/VocrixRec.tmp";
  vx::RecordingPipeline pipeline(vx::RecordingServices{queue, prompter, clock, files, paths, card},
                                 view, document);
  const vx::TargetId stop = queue.Register([&](const vx::Message&) { pipeline.OnStop(); });
  int64_t stopAt = 0;
  const int observer = clock.AddObserver([&](int64_t now) {
    if (stopAt > 0 && now >= stopAt) {
      stopAt = 0;
      queue.Post(stop, vx::kMsgPrivateFirst);
    }
  });
  for (auto _ : state) {
    card.SetCaptureSource(pcm);
    stopAt = clock.Ticks() + vx::RecordingPipeline::kCountdownMs + takeMs;
    pipeline.OnRecord();
    queue.DispatchPending();
    if (pipeline.Frames() != 250 || !prompter.Prompts().empty()) {
      state.SkipWithError("the take did not record 250 frames");
      break;
    }
  }
  state.counters["audio_s"] =
      benchmark::Counter(takeMs / 1000.0, benchmark::Counter::kIsIterationInvariantRate);
  clock.RemoveObserver(observer);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RecordTake)->Unit(benchmark::kMillisecond);

}  // namespace
