#include <cstdio>

#include "recorder/pipeline/recording_pipeline.h"
#include "recorder/pipeline/time_display.h"
#include "wavfile/wave_file.h"

namespace vx {

std::string RecordingPipeline::ResolveTemporaryPath() {
  std::string path = document_.GetPathName();
  if (path.empty()) {
    // The take is the user's scratch file, kept out of whatever directory the program was
    // started from. Left empty when there is no such directory: creating the file then
    // fails with its message.
    const std::string directory = paths_.TemporaryDirectory();
    if (!directory.empty())
      path = paths_.FullPath(directory + "/" + kTemporaryName).value_or(std::string());
  }
  return path;
}

RecordingPipeline::StepResult RecordingPipeline::StepStarting() {
  uint32_t deviceCount = 0;
  WaveInCaps caps;
  device_.GetInDevCaps(deviceId_, deviceCount, caps);  // a failure is only shown

  temporaryPath_ = ResolveTemporaryPath();
  if (document_.GetPathName().empty()) document_.SetPathName(temporaryPath_);

  int error = 0;
  file_ = temporaryPath_.empty() ? nullptr : files_.Open(temporaryPath_, FileMode::kCreate, error);
  if (!file_) {
    std::snprintf(messageText_, sizeof messageText_, "mmioOpen(\"%s\") Error!!",
                  temporaryPath_.c_str());
    ShowError(messageText_, "Wave File Error");
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  if (device_.OpenCapture(target_, deviceId_, kRate, kBits, kChannels, kBlockCount, kBlockBytes) !=
      0) {
    runFailed_ = true;
    CloseFile();
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  const int64_t position = file_->Tell();
  if (position < 0) {
    ShowError("mmioSeek() Error!!", "Wave File Error");
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  detect_ = 1;
  frames_ = 0;
  // Known before the header is written, so that a run ending on a short write still tries
  // to leave a whole header.
  headerPosition_ = position;
  if (!WriteHeader(-1)) {
    ShowError("WriteVocrixBuffer() Error!!");
    loopRunning_ = false;
    return StepResult::kContinue;
  }
  encoder_.EncoderReset();

  timeText_.fill('\0');
  UpdateTimeDisplay(kRecordTimeReset);
  sampleBytes_ = 0;
  unsaved_ = false;
  lastShownSecond_ = -3;
  state_ = RecordState::kCountdown;
  countdownStart_ = clock_.Ticks();
  view_.EnableRecord(false);
  view_.EnableStop(true);
  return StepResult::kContinue;
}

void RecordingPipeline::StepCountdown() {
  const int64_t now = clock_.Ticks();
  const int64_t end = countdownStart_ + kCountdownMs;
  if (now < end) {
    sampleBytes_ = static_cast<uint32_t>(
        WaveMsecToBytes(static_cast<uint32_t>(end - now), kRate, kBits, kChannels));
    UpdateTimeDisplay(kRecordTimeCountdown);
    return;
  }
  state_ = RecordState::kRecording;
  if (device_.StartCapture() != 0) {
    runFailed_ = true;
    loopRunning_ = false;
    return;
  }
  lastShownSecond_ = -1;
  unsaved_ = true;
  sampleBytes_ = 0;
  UpdateTimeDisplay(kRecordTimePosition);
}

}  // namespace vx
