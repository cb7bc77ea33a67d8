#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/wave_api.h"
#include "audio/wave_out_device.h"
#include "codec/decoder.h"
#include "io/byte_stream.h"
#include "io/window_stream.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/prompter.h"
#include "player/engine/control_list.h"
#include "player/engine/panel_display.h"
#include "player/engine/playback_view.h"
#include "wavfile/wave_file.h"

namespace vx {

enum class PlaybackState {
  kIdle,      // no run, or a run that is finishing
  kStopping,  // stop requested: the next step resets the device
  kPlaying,   // decoding frames into blocks and writing blocks
  kOpening,   // a run has been requested: the next step opens the file and the device
  kDraining,  // end of data or stop: wait for the last block, then close
  kSeeking,   // re-position the file at the seek target and resume
};

// The platform the engine runs on, all by reference: the thread's message queue, message
// boxes, the clock it sleeps on, the files it opens and the sound service its device uses.
struct PlaybackServices {
  MessageQueue& queue;
  Prompter& prompter;
  Clock& clock;
  FileOpener& files;
  WaveApi& waveApi;
  // Where the device takes its blocks from (once per run); the process heap when null.
  BlockHeap* blockHeap = nullptr;
};

// The document seam: the path of the file to play, empty when there is none. The player's
// document holds only the path; the plug-in keeps a path field.
using DocumentPath = std::function<std::string()>;

// Plays one compressed speech file (bare, or inside a RIFF WAVE wrapper) through a wave
// output device, one 20 ms frame per step of a cooperative loop that takes the thread's
// messages itself, into a ring of four 32000-byte blocks. Stop, restart and seek may be
// requested at any moment between steps. The engine registers its own message target (the
// view's window) and posts the close message to the application's main window.
//
// The engine must not be destroyed from inside its own run (a handler dispatched by
// RunPlayback); a window that owns it closes only once CanClose has answered yes.
class PlaybackEngine {
 public:
  static constexpr int kBlockCount = 4;
  static constexpr uint32_t kBlockBytes = 32000;  // 2 s of 8000 Hz 16-bit mono
  // A frame is 20 ms of speech at any output rate: the sleeps, the warm-up length and the
  // slider's time all count in it.
  static constexpr int kFrameMs = 20;
  // Sound resumes after a seek only once the decoder has run over the 500 ms before it.
  static constexpr int kWarmUpMs = 500;
  // Room kept in the control list when the header gives no frame count: 30 minutes.
  static constexpr size_t kUnknownCountReserve = 90000;
  // A device holding queued sound whose position has not moved for this long (ms of the
  // clock) will never play it: the run gives the sound up instead of waiting for ever.
  static constexpr int64_t kStallMs = 5000;

  PlaybackEngine(PlaybackServices services, PlaybackView& view, DocumentPath documentPath);
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  ~PlaybackEngine();

  // The engine's own message target: run-playback, play-request, draw-volume,
  // update-display (time mode, slider mode) and close are handled there.
  TargetId Target() const { return target_; }
  // The application's main window, which gets the close message when the program must end.
  void SetMainWindow(TargetId window) { mainWindow_ = window; }
  // The question asked when the device cannot be opened (the program's string 3).
  void SetRetryOpenText(std::string text) { retryOpenText_ = std::move(text); }

  // The panel's start-up: device capabilities, the device's volume (read through a plain
  // open at 8000 Hz, 16 bits, mono), draw-volume; then, when the document has a path,
  // play-request is posted and Stop enabled, otherwise Play enabled.
  void InitialUpdate();

  // Play button: only in Idle. State Opening; without a run in progress a new run is set up
  // and run-playback posted.
  void StartPlayback();
  // Stop button, window closing, slider Home/End: Playing, Opening, Draining and Seeking
  // become Stopping. Returns the previous state.
  PlaybackState RequestStop();
  // play-request: during a run, stop it and play again once it has drained; otherwise start.
  void OnPlayRequest();
  // Slider released: in Playing or Draining the device is reset and the state becomes
  // Seeking. A seek target set while Idle is honoured by the next run.
  void RequestSeek();
  // run-playback: the loop, until the run ends.
  void RunPlayback();
  // Asked before the main window closes: yes in Idle; otherwise the run is told to close
  // the application when it ends.
  bool CanClose();
  // The close message to the engine's target.
  void OnClose();
  // Exit button: stop; close the application now when idle, or once the run has ended.
  void OnExit();

  // The frame chosen on the slider (0: none).
  void SetSeekTarget(int32_t frame) { seekTarget_ = frame < 0 ? 0 : frame; }
  // Sets the volume (limited to 0.0 … 1.0), on the device too while it is open, and redraws
  // the volume control.
  void SetVolume(double volume);
  // draw-volume: reads the open device's volume, then draws the control.
  void DrawVolume();
  // update-display: see PanelDisplay.
  void UpdateDisplay(int timeMode, int sliderMode);

  PlaybackState State() const { return state_; }
  bool IsActive() const { return active_; }
  bool CloseRequested() const { return closeRequested_; }
  bool ReplayRequested() const { return replayRequested_; }
  // True when the last run ended on an error (a message was shown or the device failed).
  bool RunFailed() const { return runFailed_; }
  double Volume() const { return volume_; }
  int32_t SeekTarget() const { return seekTarget_; }
  int32_t FrameIndex() const { return frameIndex_; }
  int32_t TotalSamples() const { return totalSamples_; }
  int32_t TotalFrames() const { return totalFrames_; }
  int64_t DataBytes() const { return dataBytes_; }
  int64_t BaseBytes() const { return baseBytes_; }
  int64_t PlayedBytes() const { return display_.PlayedBytes(); }
  int StreamType() const { return streamType_; }
  // Output format of the run: the wrapper's rate (8000 for a bare stream), 16 bits, mono.
  uint32_t Rate() const { return rate_; }
  int32_t BytesPerFrame() const { return bytesPerFrame_; }
  std::string_view NowText() const { return display_.NowText(); }
  std::string_view TotalText() const { return totalText_; }
  const ControlList& Controls() const { return controlList_; }
  const WaveOutDevice& Device() const { return device_; }
  const PanelDisplay& Display() const { return display_; }

 private:
  enum class StepResult { kContinue, kFinished };

  void OnMessage(const Message& message);
  // Takes and dispatches the messages waiting now (not those their handlers post), stopping
  // early by the loop's rules.
  void DispatchWaiting();
  StepResult Step();
  void StepOpening();
  void StepPlaying();
  StepResult StepDraining();
  void StepSeeking();

  // Opening, broken up.
  bool OpenInput();
  // A bare stream's `fileBytes` is the file's length.
  bool ProbeWrapper(bool& wrapped, int64_t& fileBytes);
  bool OpenDevice();
  void EnterStream(bool wrapped, int64_t fileBytes);
  // Empties the control list unless it describes this path with this many stream bytes.
  void KeepControlsFor(int64_t streamBytes);
  // Closes the file; a failure is shown with `caption`. False when closing failed.
  bool CloseInput(const char* caption);

  // Decodes one frame at the file position into `out`, appending its control entry when it
  // is the first frame beyond the list. Returns the decoder's result, or a negative read
  // result; kAppendFailed when the entry could not be kept.
  static constexpr int kAppendFailed = -1000;
  int DecodeFrame(std::span<uint8_t> out);
  void ReleaseRun();
  // While waiting on the device: true once its position has stayed put for kStallMs.
  bool DeviceStalled();
  void ForgetStall() { stallSinceMs_ = -1; }
  // Shows the stall, takes every block back (Reset) and drains.
  void GiveUpStalledDevice();
  void ShowError(const char* text, const char* caption);
  void ShowReadError(int result);
  DisplayFacts Facts();

  MessageQueue& queue_;
  Prompter& prompter_;
  Clock& clock_;
  FileOpener& files_;
  PlaybackView& view_;
  DocumentPath documentPath_;
  WaveOutDevice device_;
  DecoderSession decoder_;
  WaveReader waveReader_;
  TargetId target_ = kNoTarget;
  TargetId mainWindow_ = kNoTarget;
  std::string retryOpenText_ = "Initialize Failed!!\nRetry Open WaveOutDevice(y/n)?";

  PlaybackState state_ = PlaybackState::kIdle;
  bool active_ = false;
  bool closeRequested_ = false;
  bool replayRequested_ = false;
  bool inLoop_ = false;
  bool deviceStopped_ = false;  // the Stopping step has reset the device in this run
  bool runFailed_ = false;

  int deviceId_ = -1;
  uint32_t rate_ = 8000;
  uint16_t bits_ = 16;
  uint16_t channels_ = 1;
  uint32_t pcmRate_ = 8000;  // rate of the decoded PCM: 8000, or 11000 for 11 kHz output
  int32_t bytesPerFrame_ = kFramePcmBytes;  // one frame's 16-bit PCM at the output rate
  int frameMs_ = kFrameMs;

  std::unique_ptr<ByteStream> file_;
  // What the decoder reads: the whole file, or the wrapper's "data" chunk. Positions (and the
  // control list's offsets) count from its start.
  std::optional<WindowStream> input_;
  std::string path_;
  bool streamEntered_ = false;  // the stream header has been read: frames can be decoded
  int64_t firstFrameOffset_ = 0;
  char messageText_[256] = {};

  uint8_t* fillPointer_ = nullptr;
  bool needBlock_ = true;
  bool needRestart_ = true;
  bool decoding_ = true;
  int32_t remaining_ = 0;
  int32_t filled_ = 0;
  int32_t chunk_ = 0;

  int32_t totalSamples_ = -1;
  int64_t dataBytes_ = 0;
  int streamType_ = kStreamNotRead;
  int32_t frameIndex_ = 0;
  int32_t seekTarget_ = 0;
  int64_t baseBytes_ = 0;
  int32_t totalFrames_ = 0;
  double volume_ = 0.0;

  uint32_t devicePosition_ = 0;  // the device's byte position, as last read for the display
  uint32_t stallPosition_ = 0;   // the position at which the device was seen standing
  int64_t stallSinceMs_ = -1;    // since when (clock ms); -1 while not waiting

  ControlList controlList_;
  std::string listPath_;    // the file the control list describes
  int64_t listBytes_ = -1;  // and the length of its stream
  char totalText_[16] = {};
  PanelDisplay display_;
  std::array<uint8_t, kFramePcmBytes11000>
      scratch_{};  // one frame of output discarded while seeking
};

}  // namespace vx
