#pragma once

#include <cstdint>

#include "audio/wave_api.h"
#include "audio/wave_block.h"
#include "platform/prompter.h"

namespace vx {

// One input device and its ring of capture blocks, filled by the device one after another.
// Operations return 0 on success and 1 on failure; a failure of the sound service is shown
// in a message box whose caption names the call. Runs on the UI thread; each filled block
// is announced with kMsgWaveInData at the target given to OpenCapture, and the caller
// answers with GetFilledBlock and RequeueBlock.
class WaveInDevice {
 public:
  WaveInDevice(WaveApi& api, Prompter& prompter, BlockHeap& heap = ProcessHeap());
  WaveInDevice(const WaveInDevice&) = delete;
  WaveInDevice& operator=(const WaveInDevice&) = delete;
  // Resets and closes a device still open and returns the blocks, without messages.
  ~WaveInDevice();

  // Device count; device id 0, or the mapper (−1) when there is no input device; and the
  // capabilities of that id. A failure is shown with a warning icon.
  int GetInDevCaps(int& deviceId, uint32_t& deviceCount, WaveInCaps& caps);
  int QueryInFormat(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels);
  // Opens for capture into `blockCount` blocks (at most 16) of `blockBytes` bytes, all
  // queued; the device is not started.
  int OpenCapture(TargetId notify, int deviceId, uint32_t rate, uint16_t bits, uint16_t channels,
                  int blockCount, uint32_t blockBytes);
  int StartCapture();
  // Stops; the block being filled comes back at once, partly filled.
  int StopCapture();
  // Stops and returns every queued block.
  int ResetCapture();
  // The block at the read index (block 0 when out of range); the size is its capacity,
  // not the bytes recorded. Null and 0 when nothing is open.
  int GetFilledBlock(uint8_t*& data, uint32_t& size);
  // Queues the block at the read index again and advances the index. A block the device
  // has not returned yet is left alone.
  int RequeueBlock();
  // Bytes captured since the start.
  int GetCapturePosition(uint32_t& bytes);
  int CloseCapture();

  // State, for the pipeline and for tests.
  bool IsOpen() const { return handle_ != kNullWaveHandle; }
  uint16_t BlockCount() const { return blockCount_; }
  uint16_t ReadIndex() const { return readIndex_; }
  BlockState StateOf(uint16_t index) const { return ring_[index].state; }
  const WaveHeader& HeaderOf(uint16_t index) const { return *ring_[index].header; }
  const WaveFormat& Format() const { return format_; }

 private:
  void Report(MmResult result, const char* caption, PromptIcon icon = PromptIcon::kNone);
  int PrepareBlock(uint16_t index, uint32_t bytes);
  int UnprepareBlock(uint16_t index);
  int AddBlock(uint16_t index);
  void ClearCaptureFields();

  WaveApi& api_;
  Prompter& prompter_;
  WaveBlockRing ring_;
  char messageText_[256] = {};
  uint16_t readIndex_ = 0;
  uint16_t blockCount_ = 0;
  WaveFormat format_;
  WaveHandle handle_ = kNullWaveHandle;
};

}  // namespace vx
