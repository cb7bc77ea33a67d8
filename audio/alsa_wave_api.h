#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "audio/wave_api.h"
#include "platform/message_queue.h"

namespace vx {

// The sound card through ALSA: one output device and one input device, both the PCM named
// at construction ("default": on desktops it routes to the sound server). Each open device
// has a thread of its own that feeds the queued blocks to the PCM (or fills them from it)
// and returns each block, done flag first, then its message. A played block is returned
// once the PCM has played its last frame (frames written minus the PCM's delay has passed
// the block's end). Volume is a gain applied to the samples as they are written. All
// buffers are sized at open: nothing is allocated while playing or capturing. The
// operations are called from one thread (the UI thread).
class AlsaWaveApi final : public WaveApi {
 public:
  explicit AlsaWaveApi(MessageQueue& queue, std::string pcmName = "default");
  AlsaWaveApi(const AlsaWaveApi&) = delete;
  AlsaWaveApi& operator=(const AlsaWaveApi&) = delete;
  ~AlsaWaveApi() override;

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

  class Device;

 private:
  static constexpr size_t kSlots = 4;

  Device* Find(WaveHandle handle, bool capture);
  uint32_t CountDevices(bool capture);
  MmResult Open(WaveHandle* handle, int deviceId, const WaveFormat& format, TargetId notify,
                uint32_t flags, bool capture);
  MmResult Close(WaveHandle handle, bool capture);
  MmResult ErrorText(MmResult error, std::span<char> text) const;
  // Maps an ALSA error onto a result code and keeps it for the code's text.
  MmResult Failed(int alsaError, MmResult fallback);

  MessageQueue& queue_;
  std::string pcmName_;
  std::array<std::unique_ptr<Device>, kSlots> outputs_;
  std::array<std::unique_ptr<Device>, kSlots> inputs_;
  // The ALSA error last behind each result code, for its text.
  std::array<std::atomic<int>, 64> lastAlsaError_{};
};

}  // namespace vx
