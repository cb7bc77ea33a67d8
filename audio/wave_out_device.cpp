#include "audio/wave_out_device.h"

#include <cmath>
#include <cstdio>

namespace vx {
namespace {

constexpr const char* kTooManyBlocksText =
    "バッファブロック数が多すぎます。\n現在のブロック数設定値は、%dです。";

bool HeldByDevice(BlockState state) {
  return state == BlockState::kPrepared || state == BlockState::kQueued ||
         state == BlockState::kCompleting;
}

}  // namespace

WaveOutDevice::WaveOutDevice(WaveApi& api, Prompter& prompter, BlockHeap& heap)
    : api_(api), prompter_(prompter), ring_(heap, prompter) {}

WaveOutDevice::~WaveOutDevice() {
  if (handle_ == kNullWaveHandle) return;
  api_.WaveOutReset(handle_);
  for (uint16_t i = 0; i < blockCount_; ++i) {
    if (HeldByDevice(ring_[i].state)) api_.WaveOutUnprepareHeader(handle_, ring_[i].header);
  }
  api_.WaveOutClose(handle_);
}

void WaveOutDevice::Report(MmResult result, const char* caption) {
  if (api_.WaveOutGetErrorText(result, messageText_) != kMmNoError) {
    std::snprintf(messageText_, sizeof messageText_, "Sound device error %u.", result);
  }
  prompter_.MessageBox(messageText_, caption, PromptButtons::kOk, PromptIcon::kNone);
}

void WaveOutDevice::SetFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
  format_ = MakePcmFormat(rate, bits, channels);
}

void WaveOutDevice::ClearStreamFields() {
  blockCount_ = 0;
  writeIndex_ = 0;
  doneIndex_ = 0;
  handle_ = kNullWaveHandle;
}

int WaveOutDevice::GetDevCaps(int& deviceId, uint32_t& deviceCount, WaveOutCaps& caps) {
  deviceCount = api_.WaveOutGetNumDevs();
  deviceId = 0;
  caps = WaveOutCaps{};
  const MmResult result = api_.WaveOutGetDevCaps(deviceId, caps);
  support_ = caps.support;
  if (result != kMmNoError) {
    Report(result, "waveOutGetDevCaps()");
    return 1;
  }
  return 0;
}

int WaveOutDevice::QueryFormat(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels) {
  SetFormat(rate, bits, channels);
  const MmResult result = api_.WaveOutOpen(nullptr, deviceId, format_, kNoTarget, kWaveFormatQuery);
  if (result != kMmNoError) {
    Report(result, "waveOutOpen(WAVE_FORMAT_QUERY)");
    return 1;
  }
  return 0;
}

int WaveOutDevice::OpenPlain(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels) {
  if (handle_ != kNullWaveHandle) return 1;
  SetFormat(rate, bits, channels);
  WaveHandle handle = kNullWaveHandle;
  const MmResult result = api_.WaveOutOpen(&handle, deviceId, format_, kNoTarget, 0);
  if (result != kMmNoError) {
    Report(result, "waveOutOpen()");
    return 1;
  }
  handle_ = handle;
  return 0;
}

int WaveOutDevice::ClosePlain() {
  if (handle_ == kNullWaveHandle) return 1;
  const MmResult result = api_.WaveOutClose(handle_);
  handle_ = kNullWaveHandle;
  if (result != kMmNoError) {
    Report(result, "waveOutClose()");
    return 1;
  }
  return 0;
}

int WaveOutDevice::OpenStream(TargetId notify, int deviceId, uint32_t rate, uint16_t bits,
                              uint16_t channels, int blockCount, uint32_t blockBytes) {
  // An open device, or blocks kept by a release that failed, would be lost by a new open.
  if (handle_ != kNullWaveHandle) return 1;
  if (!ring_.Empty() && ring_.ReleaseBlocks([this](uint16_t i) { return Unprepare(i); }) != 0) {
    return 1;
  }
  ClearStreamFields();
  if (blockCount > kMaxWaveBlocks) {
    std::snprintf(messageText_, sizeof messageText_, kTooManyBlocksText, kMaxWaveBlocks);
    prompter_.MessageBox(messageText_, "WaveOut Device Error", PromptButtons::kOk,
                         PromptIcon::kNone);
    return 1;
  }
  if (blockCount < 1 || blockBytes == 0) {
    Report(kMmInvalidParam, "WaveOut Device Error");
    return 1;
  }
  if (ring_.AllocateBlocks(static_cast<uint16_t>(blockCount), blockBytes) != 0) return 1;
  blockCount_ = static_cast<uint16_t>(blockCount);

  auto undo = [this] {
    ring_.ReleaseBlocks([this](uint16_t i) { return Unprepare(i); });
    ClearStreamFields();
    return 1;
  };
  if (QueryFormat(deviceId, rate, bits, channels) != 0) return undo();
  WaveHandle handle = kNullWaveHandle;
  const MmResult result = api_.WaveOutOpen(&handle, deviceId, format_, notify, 0);
  if (result != kMmNoError) {
    Report(result, "waveOutOpen()");
    return undo();
  }
  handle_ = handle;
  return 0;
}

int WaveOutDevice::CloseStream() {
  int result = 0;
  if (handle_ != kNullWaveHandle && Reset() != 0) result = 1;
  for (uint16_t i = 0; i < blockCount_; ++i) {
    if (HeldByDevice(ring_[i].state) && Unprepare(i) != 0) result = 1;
  }
  if (handle_ != kNullWaveHandle) {
    const MmResult closed = api_.WaveOutClose(handle_);
    if (closed != kMmNoError) {
      Report(closed, "waveOutClose()");
      result = 1;
    }
  }
  if (ring_.ReleaseBlocks([this](uint16_t i) { return Unprepare(i); }) != 0) result = 1;
  ClearStreamFields();
  return result;
}

int WaveOutDevice::GetWriteBlock(uint8_t*& data, uint32_t& size) {
  if (blockCount_ == 0) {
    data = nullptr;
    size = 0;
    return 0;
  }
  const uint16_t index = writeIndex_ < blockCount_ ? writeIndex_ : 0;
  data = ring_[index].data;
  size = ring_[index].size;
  return 0;
}

bool WaveOutDevice::IsWriteBlockBusy() const {
  if (blockCount_ == 0) return false;
  const BlockState state = ring_[writeIndex_].state;
  return state != BlockState::kFree && state != BlockState::kDone;
}

int WaveOutDevice::Prepare(uint16_t index, uint32_t bytes) {
  if (index >= blockCount_) return 0;
  WaveBlock& block = ring_[index];
  if (bytes > block.size) {
    // More than the block holds would make the device read past its data.
    Report(kMmInvalidParam, "waveOutPrepareHeader()");
    return 1;
  }
  block.header->data = block.data;
  block.header->bufferLength = bytes;
  block.header->flags.store(0, std::memory_order_relaxed);
  block.header->loops = 0;
  const MmResult result = api_.WaveOutPrepareHeader(handle_, block.header);
  if (result != kMmNoError) {
    Report(result, "waveOutPrepareHeader()");
    return 1;
  }
  block.state = BlockState::kPrepared;
  return 0;
}

int WaveOutDevice::Unprepare(uint16_t index) {
  if (index >= blockCount_) return 0;
  // No waiting here: a block the device has returned carries its done flag already, and a
  // Prepared block that was never written gets none. A block still playing is refused by
  // the device, and that is reported.
  WaveBlock& block = ring_[index];
  const MmResult result = api_.WaveOutUnprepareHeader(handle_, block.header);
  if (result != kMmNoError) {
    Report(result, "waveOutUnprepareHeader()");
    return 1;
  }
  block.state = BlockState::kDone;
  return 0;
}

int WaveOutDevice::Write(uint32_t bytes) {
  if (blockCount_ == 0) return 1;
  const uint16_t index = writeIndex_;
  WaveBlock& block = ring_[index];
  if (block.state != BlockState::kFree && block.state != BlockState::kDone) return 1;
  if (Prepare(index, bytes) != 0) return 1;
  const MmResult result = api_.WaveOutWrite(handle_, block.header);
  if (result != kMmNoError) {
    Report(result, "waveOutWrite()");
    // The device never had the block: return it to Done at once so that it can be
    // written again.
    Unprepare(index);
    return 1;
  }
  block.state = BlockState::kQueued;
  writeIndex_ = static_cast<uint16_t>((index + 1) % blockCount_);
  return 0;
}

int WaveOutDevice::OnBlockDone() {
  if (blockCount_ == 0) return 0;
  WaveBlock& block = ring_[doneIndex_];
  // The device sets the done flag before it posts the message, so a queued block without
  // the flag means the message was for an earlier pass through the ring (one returned by a
  // reset): nothing to do.
  if (block.state != BlockState::kQueued || !block.header->IsDone()) return 0;
  block.state = BlockState::kCompleting;
  if (Unprepare(doneIndex_) != 0) return 1;
  doneIndex_ = static_cast<uint16_t>((doneIndex_ + 1) % blockCount_);
  return 0;
}

bool WaveOutDevice::IsLastWrittenPlaying() const {
  if (blockCount_ == 0) return false;
  const uint16_t last = writeIndex_ == 0 ? blockCount_ - 1 : writeIndex_ - 1;
  const WaveBlock& block = ring_[last];
  return block.state == BlockState::kQueued && !block.header->IsDone();
}

int WaveOutDevice::ClearBlocks() {
  int result = 0;
  for (uint16_t i = 0; i < blockCount_; ++i) {
    if (HeldByDevice(ring_[i].state) && Unprepare(i) != 0) result = 1;
  }
  if (result == 0) {
    writeIndex_ = 0;
    doneIndex_ = 0;
  }
  return result;
}

int WaveOutDevice::Reset() {
  const MmResult result = api_.WaveOutReset(handle_);
  if (result != kMmNoError) {
    Report(result, "waveOutReset");
    return 1;
  }
  return 0;
}

int WaveOutDevice::Pause() {
  const MmResult result = api_.WaveOutPause(handle_);
  if (result != kMmNoError) {
    Report(result, "waveOutPause()");
    return 1;
  }
  return 0;
}

int WaveOutDevice::Restart() {
  const MmResult result = api_.WaveOutRestart(handle_);
  if (result != kMmNoError) {
    Report(result, "waveOutRestart()");
    return 1;
  }
  return 0;
}

int WaveOutDevice::GetPosition(uint32_t& bytes) {
  const MmResult result = api_.WaveOutGetPosition(handle_, bytes);
  if (result != kMmNoError) {
    Report(result, "waveOutGetPosition()");
    return 1;
  }
  return 0;
}

int WaveOutDevice::GetVolume(double& level) {
  if ((support_ & kWaveCapsVolume) == 0 || handle_ == kNullWaveHandle) return 1;
  uint32_t volume = 0;
  const MmResult result = api_.WaveOutGetVolume(handle_, volume);
  if (result != kMmNoError) {
    Report(result, "waveOutGetVolume()");
    return 1;
  }
  uint32_t chosen = volume & 0xFFFF;
  const uint32_t right = volume >> 16;
  if ((support_ & kWaveCapsLrVolume) != 0 && right >= chosen) chosen = right;
  level = chosen / 65535.0;
  return 0;
}

int WaveOutDevice::SetVolume(double level) {
  if ((support_ & kWaveCapsVolume) == 0) return 1;
  // A level outside 0.0 … 1.0 (or not a number) would not fit the 16-bit device value.
  if (!(level > 0.0)) level = 0.0;
  if (level > 1.0) level = 1.0;
  uint32_t value = static_cast<uint32_t>(level * 65535.0) & 0xFFFF;
  if ((support_ & kWaveCapsLrVolume) != 0) value *= 65537;
  if (handle_ == kNullWaveHandle) return 1;
  const MmResult result = api_.WaveOutSetVolume(handle_, value);
  if (result != kMmNoError) {
    Report(result, "waveOutSetVolume()");
    return 1;
  }
  return 0;
}

}  // namespace vx
