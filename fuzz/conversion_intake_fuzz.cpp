// Arbitrary bytes as a source file through the file encoder's intake: the admission check,
// then the whole conversion into a compressed file held in memory. A refusal must be clear (a
// "Sorry..." text, a failure text), and whatever was written must be a compressed file whose
// header counts the frames that follow it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "codec/frame_format.h"
#include "codec/speech_header.h"
#include "encoder/pipeline/conversion_job.h"
#include "encoder/pipeline/source_admission.h"
#include "io/memory_stream.h"
#include "platform/headless/scripted_prompter.h"

namespace {

// A stream that forwards to a memory stream the opener keeps, so the output outlives Close.
class KeptStream final : public vx::ByteStream {
 public:
  explicit KeptStream(vx::MemoryStream& inner) : inner_(inner) {}
  int64_t Read(std::span<uint8_t> buffer) override { return inner_.Read(buffer); }
  int64_t Write(std::span<const uint8_t> data) override { return inner_.Write(data); }
  int64_t Seek(int64_t offset, vx::SeekOrigin origin) override {
    return inner_.Seek(offset, origin);
  }
  int64_t Tell() override { return inner_.Tell(); }
  int Close() override { return 0; }

 private:
  vx::MemoryStream& inner_;
};

class MemoryFiles final : public vx::FileOpener {
 public:
  explicit MemoryFiles(std::span<const uint8_t> source) : source_(source) {}
  std::unique_ptr<vx::ByteStream> Open(const std::string& path, vx::FileMode mode,
                                       int& error) override {
    if (path == "in.wav" && mode == vx::FileMode::kRead)
      return std::make_unique<vx::MemoryStream>(source_);
    if (path == "in.vxs" && mode == vx::FileMode::kCreate) {
      output = std::make_unique<vx::MemoryStream>();
      return std::make_unique<KeptStream>(*output);
    }
    error = -2;  // ENOENT
    return nullptr;
  }
  std::unique_ptr<vx::MemoryStream> output;

 private:
  std::span<const uint8_t> source_;
};

class QuietHost final : public vx::ConversionHost {
 public:
  void ServiceEvent(vx::ConversionJob&) override {}
  void ShowProgress(const vx::ConversionJob&) override {}
};

// Paths without a file system: nothing exists, the current directory is "/".
class NoPaths final : public vx::PathServices {
 public:
  std::optional<std::string> FullPath(std::string_view path) override {
    return "/" + std::string(path);
  }
  std::optional<std::string> CurrentDirectory() override { return "/"; }
  int ChangeDirectory(std::string_view) override { return -2; }
  int MakeDirectory(std::string_view) override { return -13; }
  bool FileExists(std::string_view) override { return false; }
  bool DirectoryExists(std::string_view) override { return false; }
  std::string TemporaryDirectory() override { return {}; }
  int RemoveFile(std::string_view) override { return -2; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFiles files(std::span<const uint8_t>(data, size));
  const vx::SourceAdmission admission = vx::AdmitSource(files, "in.wav");
  if (admission.admitted != admission.refusal.empty()) __builtin_trap();
  if (!admission.admitted && admission.refusal.rfind("Sorry...", 0) != 0) __builtin_trap();

  // The conversion on its own checks the source again, admitted or not.
  NoPaths paths;
  vx::ScriptedPrompter prompter(vx::kAnswerOk);
  QuietHost host;
  vx::ConversionJob job({files, paths, prompter, host});
  if (job.PrepareJob({}, "in.wav") != vx::JobAnswer::kGo) __builtin_trap();
  const vx::ConversionResult result = job.RunConversion();
  if (result == vx::ConversionResult::kFailed && job.FailureText().empty()) __builtin_trap();
  if (admission.admitted && !job.DestinationCreated() && result == vx::ConversionResult::kConverted)
    __builtin_trap();
  if (!job.DestinationCreated()) return 0;

  const std::vector<uint8_t>& out = files.output->Bytes();
  if (out.size() < 2) __builtin_trap();
  const size_t n = static_cast<size_t>(out[0] << 8 | out[1]);
  vx::SpeechHeaderInfo info;
  if (out.size() < 2 + n || vx::ParseSpeechHeader(std::span(out).subspan(2, n), info) != 0)
    __builtin_trap();
  if (info.sampleCount != job.Counts().Frames() * vx::kFrameSamples) __builtin_trap();
  if (out.size() - 2 - n != static_cast<size_t>(job.Counts().frameBytes)) __builtin_trap();
  return 0;
}
