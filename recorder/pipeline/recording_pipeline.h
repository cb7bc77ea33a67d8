#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/wave_api.h"
#include "audio/wave_block.h"
#include "audio/wave_in_device.h"
#include "codec/encoder.h"
#include "io/byte_stream.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/path_services.h"
#include "platform/prompter.h"
#include "recorder/pipeline/recording_view.h"

namespace vx {

// States of a recording run, with the numbers the recorder has always used.
enum class RecordState {
  kIdle = 0,
  kStopping = 1,   // stop requested: the next step goes on to Saving
  kRecording = 2,  // capturing; each filled block is encoded and appended
  kStarting = 3,   // record requested: the next step opens the file and the device
  kSaving = 4,     // close the capture, fix the header, offer the copy
  kCountdown = 5,  // 3 s before the capture starts
};

// 0x1401 asks the recorder's view to record, as the record button does.
inline constexpr uint32_t kMsgRecordRequest = kMsgPlayRequest;

// How the last save step ended.
enum class SaveOutcome {
  kNotOffered,  // nothing was captured (or the run failed before the save step)
  kCancelled,   // the dialog was cancelled
  kRefused,     // the temporary file itself was chosen
  kSaved,       // copied to the chosen path
  kFailed,      // the copy failed
};

// The platform the pipeline runs on, all by reference: the thread's message queue, message
// boxes, the clock, the files it opens, the path services and the sound service its device
// uses, with the heap the device's blocks come from.
struct RecordingServices {
  MessageQueue& queue;
  Prompter& prompter;
  Clock& clock;
  FileOpener& files;
  PathServices& paths;
  WaveApi& waveApi;
  BlockHeap& heap = ProcessHeap();
};

// Records speech at 8000 Hz, 16-bit mono: after a 3-second countdown the input device fills
// a ring of four half-second blocks; each filled block is cut into 25 frames of 160 samples,
// encoded at once and appended to a temporary compressed file behind a provisional header.
// Stop fixes the header's sample count and offers to copy the temporary file to a name the
// user chooses. Everything runs in a cooperative loop that takes the thread's messages
// itself. The temporary file stays a valid compressed file whatever ends the run.
//
// The pipeline registers its own message target (the view's window) and posts the close
// message to the application's main window. It must not be destroyed from inside its run.
class RecordingPipeline {
 public:
  static constexpr uint32_t kRate = 8000;
  static constexpr uint16_t kBits = 16;
  static constexpr uint16_t kChannels = 1;
  static constexpr int kBlockCount = 4;
  static constexpr int kFrameLength = kFrameSamples;          // samples per frame at 8000 Hz
  static constexpr uint32_t kBlockBytes = kFrameLength * 50;  // half a second: 25 frames
  static constexpr int64_t kCountdownMs = 3000;
  // While counting down or recording with nothing to do, the loop sleeps this long on the
  // clock, so that time (and the device) can move on.
  static constexpr int64_t kIdleWaitMs = 10;
  static constexpr const char* kTemporaryName = "VocrixRec.tmp";
  static constexpr const char* kTitle = "Voice Message";
  static constexpr const char* kComment = "Nocomment";
  static constexpr SaveFileRequest kSaveDialog{
      "vxs", "*.vxs", "Vocrix File(*.vxs)|*.vxs|All Files(*.*)|*.*||", true, true};

  RecordingPipeline(RecordingServices services, RecordingView& view, RecordingDocument& document);
  RecordingPipeline(const RecordingPipeline&) = delete;
  RecordingPipeline& operator=(const RecordingPipeline&) = delete;
  ~RecordingPipeline();

  // The pipeline's own target: run-loop, record (0x1401), update-display (mode) and close.
  TargetId Target() const { return target_; }
  void SetMainWindow(TargetId window) { mainWindow_ = window; }

  // The view's start-up: buttons, rate buttons and lamps for the rate mode.
  void InitialUpdate();

  // Record button: in Idle the state becomes Starting and the loop is posted.
  void OnRecord();
  // Stop button: stops the capture (Recording) or the countdown; both become Stopping.
  void OnStop();
  // Exit button: stop; close the application now when idle, or once the run has ended.
  void OnExit();
  // The close message to the view.
  void OnClose();
  // Asked before the main window closes: yes in Idle; otherwise the run is stopped and told
  // to close the application when it ends.
  bool CanClose();
  // Rate buttons: the mode changes only in Idle; buttons and lamps are redrawn in every state.
  void OnFullRate();
  void OnHalfRate();
  // The logo button opens the about window only in Idle and Stopping.
  bool AboutAllowed() const;
  // run-loop: the recording loop, until the run ends.
  void RunLoop();
  // update-display: see the modes in time_display.h.
  void UpdateTimeDisplay(int mode);

  // True when `path` names the file the next run records into (the comparison the save
  // step refuses a target by).
  bool IsTemporaryFile(const std::string& path);

  RecordState State() const { return state_; }
  bool IsLoopRunning() const { return loopRunning_; }
  bool IsClosePending() const { return closePending_; }
  bool IsUnsaved() const { return unsaved_; }
  int RateMode() const { return rateMode_; }
  int32_t Frames() const { return frames_; }
  uint32_t SampleBytes() const { return sampleBytes_; }
  int64_t LastShownSecond() const { return lastShownSecond_; }
  const std::string& TemporaryPath() const { return temporaryPath_; }
  SaveOutcome LastSave() const { return lastSave_; }
  // True when the last run ended on an error (a message was shown or the device failed).
  bool RunFailed() const { return runFailed_; }
  const WaveInDevice& Device() const { return device_; }

 private:
  enum class StepResult { kContinue, kEnd };

  void OnMessage(const Message& message);
  // Takes and dispatches the messages waiting now (not those their handlers post), stopping
  // early by the loop's rules.
  void Drain();
  StepResult Step();
  StepResult StepStarting();
  void StepCountdown();
  StepResult StepSaving();
  // Encodes the block at the device's read index and queues it again; false after a failure
  // (shown).
  bool OnCapturedBlock();
  // Writes the header with `sampleCount` at the current position; false on a short write.
  bool WriteHeader(int32_t sampleCount);
  // Closes the temporary file; a failure is shown. False when closing failed.
  bool CloseFile();
  // What a run that ended early leaves open: the capture is closed, the header fixed and the
  // file closed, so that the temporary file is a complete compressed file.
  void ReleaseRun();
  // The temporary path: the document's, or "VocrixRec.tmp" in the user's runtime directory.
  std::string ResolveTemporaryPath();
  void SaveRecording();
  bool CopyFile(const std::string& from, const std::string& to);
  void ShowError(const char* text, const char* caption = "");
  void ShowRate();

  MessageQueue& queue_;
  Prompter& prompter_;
  Clock& clock_;
  FileOpener& files_;
  PathServices& paths_;
  RecordingView& view_;
  RecordingDocument& document_;
  WaveInDevice device_;
  EncoderSession encoder_;
  TargetId target_ = kNoTarget;
  TargetId mainWindow_ = kNoTarget;

  RecordState state_ = RecordState::kIdle;
  bool loopRunning_ = false;
  bool closePending_ = false;
  bool unsaved_ = false;
  bool runFailed_ = false;
  bool positionFailed_ = false;  // the capture position failed once in this run
  SaveOutcome lastSave_ = SaveOutcome::kNotOffered;

  int deviceId_ = -1;
  int rateMode_ = 0;  // 0 full rate, 1 half rate
  int detect_ = 1;    // activity detection, and the header's variable-rate flag

  std::string temporaryPath_;
  std::unique_ptr<ByteStream> file_;
  int64_t headerPosition_ = -1;  // -1 until the provisional header has been written
  int32_t frames_ = 0;
  uint32_t sampleBytes_ = 0;
  int64_t lastShownSecond_ = -4;
  int64_t countdownStart_ = 0;
  std::array<char, 16> timeText_{};
  char messageText_[256] = {};
  std::array<int16_t, kFrameLength> framePcm_{};
  std::array<uint8_t, 20> frameBytes_{};
  std::array<uint8_t, 2 + kMaxHeaderBytes> header_{};
  std::array<uint8_t, 4096> copyBuffer_{};
};

}  // namespace vx
