#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/wave_api.h"
#include "platform/clock.h"
#include "platform/message_queue.h"

namespace vx {

// The operations of the virtual card that can be made to fail.
enum class WaveOp {
  kOutGetDevCaps,
  kOutQueryFormat,
  kOutOpen,
  kOutPrepareHeader,
  kOutUnprepareHeader,
  kOutWrite,
  kOutPause,
  kOutRestart,
  kOutReset,
  kOutGetPosition,
  kOutGetVolume,
  kOutSetVolume,
  kOutClose,
  kInGetDevCaps,
  kInQueryFormat,
  kInOpen,
  kInPrepareHeader,
  kInUnprepareHeader,
  kInAddBuffer,
  kInStart,
  kInStop,
  kInReset,
  kInGetPosition,
  kInClose,
  kCount,
};

struct VirtualCardConfig {
  uint32_t outputDevices = 1;
  uint32_t inputDevices = 1;
  uint32_t outputSupport = kWaveCapsVolume | kWaveCapsLrVolume;
  uint32_t initialVolume = 0xFFFFFFFF;
  // Room for this many played bytes is taken at construction, so that keeping them
  // allocates nothing while playing.
  size_t playedReserve = 0;
};

// A sound card in software. Playback consumes rate × block-align bytes per second of the
// clock's time and keeps every byte played; capture fills the queued blocks at the same
// pace from a PCM buffer given by the caller (silence once it runs out). Blocks are
// returned, with their done flag and message, as the clock reaches them. With a
// VirtualClock the card follows the clock's moves; with any other clock a pacing thread
// of its own follows real time. Any operation can be made to fail, once or always.
class VirtualWaveApi final : public WaveApi {
 public:
  VirtualWaveApi(MessageQueue& queue, Clock& clock, VirtualCardConfig config = {});
  VirtualWaveApi(const VirtualWaveApi&) = delete;
  VirtualWaveApi& operator=(const VirtualWaveApi&) = delete;
  ~VirtualWaveApi() override;

  uint32_t WaveOutGetNumDevs() override;
  MmResult WaveOutGetDevCaps(int deviceId, WaveOutCaps& caps) override;
  MmResult WaveOutOpen(WaveHandle* handle, int deviceId, const WaveFormat& format, TargetId notify,
                       uint32_t flags) override;
  MmResult WaveOutPrepareHeader(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveOutUnprepareHeader(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveOutWrite(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveOutPause(WaveHandle handle) override;
  MmResult WaveOutRestart(WaveHandle handle) override;
  MmResult WaveOutReset(WaveHandle handle) override;
  MmResult WaveOutGetPosition(WaveHandle handle, uint32_t& bytes) override;
  MmResult WaveOutGetVolume(WaveHandle handle, uint32_t& volume) override;
  MmResult WaveOutSetVolume(WaveHandle handle, uint32_t volume) override;
  MmResult WaveOutClose(WaveHandle handle) override;
  MmResult WaveOutGetErrorText(MmResult error, std::span<char> text) override;

  uint32_t WaveInGetNumDevs() override;
  MmResult WaveInGetDevCaps(int deviceId, WaveInCaps& caps) override;
  MmResult WaveInOpen(WaveHandle* handle, int deviceId, const WaveFormat& format, TargetId notify,
                      uint32_t flags) override;
  MmResult WaveInPrepareHeader(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveInUnprepareHeader(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveInAddBuffer(WaveHandle handle, WaveHeader* header) override;
  MmResult WaveInStart(WaveHandle handle) override;
  MmResult WaveInStop(WaveHandle handle) override;
  MmResult WaveInReset(WaveHandle handle) override;
  MmResult WaveInGetPosition(WaveHandle handle, uint32_t& bytes) override;
  MmResult WaveInClose(WaveHandle handle) override;
  MmResult WaveInGetErrorText(MmResult error, std::span<char> text) override;

  // Failure switch: the operation does nothing and answers `result`, for `times` calls
  // after the next `after` calls have passed, or for every call.
  void FailNext(WaveOp op, MmResult result, int times = 1, int after = 0);
  void FailAlways(WaveOp op, MmResult result);
  void ClearFailures();
  // The text the card gives for a result code, in place of the service's own.
  void SetErrorText(MmResult result, std::string text);
  // Formats the card takes; by default PCM of 8 or 16 bits, 1 or 2 channels, 1–192 kHz.
  void SetFormatFilter(std::function<bool(const WaveFormat&)> accepts);

  // PCM bytes that capture delivers, in order, from the start of the buffer.
  void SetCaptureSource(std::vector<uint8_t> pcm);
  size_t CaptureSourceRemaining() const;

  // Every byte played by the outputs, in the order played.
  std::vector<uint8_t> PlayedBytes() const;
  void ClearPlayed();

  size_t OpenOutputs() const;
  size_t OpenInputs() const;
  // Headers prepared and not yet unprepared, on every device.
  size_t PreparedHeaders() const;
  // Output blocks the device holds (queued, not yet returned).
  size_t QueuedOutputBlocks(WaveHandle handle) const;
  bool IsOutputPaused(WaveHandle handle) const;
  uint32_t OutputVolume(WaveHandle handle) const;
  bool IsInputStarted(WaveHandle handle) const;

  // Brings playback and capture up to the clock's time. Every operation does this first.
  void CatchUp();

 private:
  static constexpr size_t kSlots = 8;
  static constexpr WaveHandle kInputHandleBase = 0x100;

  struct Stream {
    bool open = false;
    WaveFormat format;
    TargetId notify = kNoTarget;
    bool paused = false;   // output
    bool started = false;  // input
    WaveHeader* head = nullptr;
    WaveHeader* tail = nullptr;
    uint64_t position = 0;
    uint32_t volume = 0;
    int64_t lastTick = 0;
    uint64_t creditMilli = 0;  // bytes × 1000 owed to the stream by elapsed time
  };
  struct Failure {
    int pass = 0;       // calls to let through first
    int remaining = 0;  // calls left to fail; −1 for always
    MmResult result = kMmNoError;
  };

  MmResult Injected(WaveOp op);
  Stream* OutStream(WaveHandle handle);
  Stream* InStream(WaveHandle handle);
  const Stream* FindStream(WaveHandle handle) const;
  MmResult CheckDevice(int deviceId, uint32_t count) const;
  MmResult OpenStream(std::array<Stream, kSlots>& streams, WaveHandle base, WaveHandle* handle,
                      int deviceId, uint32_t count, const WaveFormat& format, TargetId notify,
                      uint32_t flags);
  void CatchUpLocked(int64_t now);
  void PlayFor(WaveHandle handle, Stream& stream, int64_t elapsed);
  void CaptureFor(WaveHandle handle, Stream& stream, int64_t elapsed);
  // Gives the block at the head back to the program: done flag, then the message.
  void ReturnHead(WaveHandle handle, Stream& stream, uint32_t message);
  static void Append(Stream& stream, WaveHeader* header);
  MmResult ErrorText(MmResult error, std::span<char> text) const;
  MmResult Prepare(WaveHeader* header);
  MmResult Unprepare(WaveHeader* header);

  MessageQueue& queue_;
  Clock& clock_;
  VirtualClock* virtualClock_ = nullptr;
  int observerId_ = 0;
  VirtualCardConfig config_;

  mutable std::mutex mutex_;
  std::array<Stream, kSlots> outputs_;
  std::array<Stream, kSlots> inputs_;
  std::array<Failure, static_cast<size_t>(WaveOp::kCount)> failures_{};
  std::map<MmResult, std::string> errorTexts_;
  std::function<bool(const WaveFormat&)> accepts_;
  std::vector<uint8_t> captureSource_;
  size_t captureCursor_ = 0;
  std::vector<uint8_t> played_;
  size_t preparedHeaders_ = 0;

  // Pacing thread for clocks that move by themselves.
  std::condition_variable stopPacing_;
  bool stopping_ = false;
  std::thread pacer_;
};

}  // namespace vx
