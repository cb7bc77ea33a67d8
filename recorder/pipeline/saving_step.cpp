#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "recorder/pipeline/recording_pipeline.h"
#include "recorder/pipeline/time_display.h"

namespace vx {
namespace {

constexpr const char* kDiskFullText = "Destination disk drive is full.";

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool RecordingPipeline::IsTemporaryFile(const std::string& path) {
  const std::string temporary = temporaryPath_.empty() ? ResolveTemporaryPath() : temporaryPath_;
  if (temporary.empty() || path.empty()) return false;
  // The names are compared as the recorder always has, without regard to case, but each
  // made absolute first: "./VocrixRec.tmp" or "dir/../VocrixRec.tmp" names the same file, and
  // copying a file onto itself would empty it. A link to it is caught by the file's identity.
  const std::string a = paths_.FullPath(temporary).value_or(temporary);
  const std::string b = paths_.FullPath(path).value_or(path);
  if (UpperCase(a) == UpperCase(b)) return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

RecordingPipeline::StepResult RecordingPipeline::StepSaving() {
  UpdateTimeDisplay(kRecordTimePosition);
  if (device_.CloseCapture() != 0) {
    runFailed_ = true;
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  // A failed seek or header write ends the run with a message: Stop never ends silently.
  if (file_->Seek(headerPosition_, SeekOrigin::kBegin) != headerPosition_) {
    ShowError("mmioSeek() Error!!", "Wave File Error");
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  if (!WriteHeader(frames_ * kFrameLength)) {
    ShowError("WriteVocrixBuffer() Error!!");
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  headerPosition_ = -1;
  if (!CloseFile()) {
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  if (unsaved_) SaveRecording();
  state_ = RecordState::kIdle;
  return StepResult::kEnd;
}

void RecordingPipeline::SaveRecording() {
  const std::optional<std::string> chosen = view_.ChooseSavePath(kSaveDialog);
  if (!chosen) {
    lastSave_ = SaveOutcome::kCancelled;
    return;
  }
  if (IsTemporaryFile(*chosen)) {
    ShowError("This File is Illegal Name");
    lastSave_ = SaveOutcome::kRefused;
    return;
  }
  if (!CopyFile(temporaryPath_, *chosen)) {
    lastSave_ = SaveOutcome::kFailed;
    return;
  }
  unsaved_ = false;
  lastSave_ = SaveOutcome::kSaved;
  // The take now lives in the user's file; a scratch file left behind would only hold a copy.
  paths_.RemoveFile(temporaryPath_);
}

bool RecordingPipeline::CopyFile(const std::string& from, const std::string& to) {
  auto fail = [this](const char* what, const std::string& path, int error) {
    if (error == -ENOSPC) {
      ShowError(kDiskFullText);
    } else {
      std::snprintf(messageText_, sizeof messageText_, "The recording could not be %s %s: %s.",
                    what, path.c_str(), std::strerror(-error));
      ShowError(messageText_);
    }
    return false;
  };
  int error = 0;
  std::unique_ptr<ByteStream> source = files_.Open(from, FileMode::kRead, error);
  if (!source) return fail("read from", from, error);
  std::unique_ptr<ByteStream> target = files_.Open(to, FileMode::kCreate, error);
  if (!target) return fail("copied to", to, error);
  for (;;) {
    const int64_t got = source->Read(copyBuffer_);
    if (got < 0) return fail("read from", from, static_cast<int>(got));
    if (got == 0) break;
    const int64_t put =
        target->Write(std::span<const uint8_t>(copyBuffer_).first(static_cast<size_t>(got)));
    // A short write means the medium is full.
    if (put != got) return fail("copied to", to, put < 0 ? static_cast<int>(put) : -ENOSPC);
  }
  source->Close();
  if (const int closed = target->Close(); closed != 0) return fail("copied to", to, closed);
  return true;
}

}  // namespace vx
