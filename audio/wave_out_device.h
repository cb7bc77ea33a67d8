#pragma once

#include <cstdint>

#include "audio/wave_api.h"
#include "audio/wave_block.h"
#include "platform/prompter.h"

namespace vx {

// One output device and its ring of PCM blocks, written to the device one after another.
// Operations return 0 on success and 1 on failure; a failure of the sound service is shown
// in a message box whose caption names the call. Runs on the UI thread; completions arrive
// as kMsgWaveOutDone at the target given to OpenStream, and the caller answers each with
// OnBlockDone.
class WaveOutDevice {
 public:
  WaveOutDevice(WaveApi& api, Prompter& prompter, BlockHeap& heap = ProcessHeap());
  WaveOutDevice(const WaveOutDevice&) = delete;
  WaveOutDevice& operator=(const WaveOutDevice&) = delete;
  // Stops and closes a device still open and returns the blocks, without messages.
  ~WaveOutDevice();

  // Device count, device id 0 and its capabilities; keeps the support flags.
  int GetDevCaps(int& deviceId, uint32_t& deviceCount, WaveOutCaps& caps);
  int QueryFormat(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels);
  // Opens without notifications (to read the volume); fails silently when already open.
  int OpenPlain(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels);
  int ClosePlain();
  // Opens for a stream of `blockCount` blocks (at most 16) of `blockBytes` bytes each.
  int OpenStream(TargetId notify, int deviceId, uint32_t rate, uint16_t bits, uint16_t channels,
                 int blockCount, uint32_t blockBytes);
  int CloseStream();

  // The block at the write index (block 0 when the index is out of range); null and 0
  // when no stream is open.
  int GetWriteBlock(uint8_t*& data, uint32_t& size);
  // True when the block at the write index is neither Free nor Done.
  bool IsWriteBlockBusy() const;
  // Writes `bytes` bytes of the block at the write index and advances the index.
  int Write(uint32_t bytes);
  // Answers one completion message: the block at the done index, when the device has
  // returned it, is unprepared and becomes Done.
  int OnBlockDone();
  // True while the block written last is still queued and not yet played.
  bool IsLastWrittenPlaying() const;
  // Unprepares every Prepared, Queued or Completing block (after Reset) and rewinds the
  // write and done indices.
  int ClearBlocks();
  int Reset();
  int Pause();
  int Restart();
  // Bytes played since the open or the last reset.
  int GetPosition(uint32_t& bytes);
  // Volume as a level in 0.0 … 1.0.
  int GetVolume(double& level);
  int SetVolume(double level);

  // State, for the engine and for tests.
  bool IsOpen() const { return handle_ != kNullWaveHandle; }
  uint16_t BlockCount() const { return blockCount_; }
  uint16_t WriteIndex() const { return writeIndex_; }
  uint16_t DoneIndex() const { return doneIndex_; }
  BlockState StateOf(uint16_t index) const { return ring_[index].state; }
  const WaveFormat& Format() const { return format_; }
  uint32_t SupportFlags() const { return support_; }
  const char* MessageText() const { return messageText_; }

 private:
  void Report(MmResult result, const char* caption);
  int Prepare(uint16_t index, uint32_t bytes);
  int Unprepare(uint16_t index);
  void SetFormat(uint32_t rate, uint16_t bits, uint16_t channels);
  void ClearStreamFields();

  WaveApi& api_;
  Prompter& prompter_;
  WaveBlockRing ring_;
  char messageText_[256] = {};
  uint16_t writeIndex_ = 0;
  uint16_t blockCount_ = 0;
  uint16_t doneIndex_ = 0;
  WaveFormat format_;
  WaveHandle handle_ = kNullWaveHandle;
  uint32_t support_ = 0;
};

}  // namespace vx
