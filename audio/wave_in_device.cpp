#include "audio/wave_in_device.h"

#include <cstdio>

namespace vx {
namespace {

constexpr const char* kTooManyBlocksText =
    "バッファブロック数が多すぎます。\n現在のブロック数設定値は、%dです。";

}  // namespace

WaveInDevice::WaveInDevice(WaveApi& api, Prompter& prompter, BlockHeap& heap)
    : api_(api), prompter_(prompter), ring_(heap, prompter) {}

WaveInDevice::~WaveInDevice() {
  if (handle_ == kNullWaveHandle) return;
  api_.WaveInReset(handle_);
  for (uint16_t i = 0; i < blockCount_; ++i) api_.WaveInUnprepareHeader(handle_, ring_[i].header);
  api_.WaveInClose(handle_);
}

void WaveInDevice::Report(MmResult result, const char* caption, PromptIcon icon) {
  if (api_.WaveInGetErrorText(result, messageText_) != kMmNoError) {
    std::snprintf(messageText_, sizeof messageText_, "Sound device error %u.", result);
  }
  prompter_.MessageBox(messageText_, caption, PromptButtons::kOk, icon);
}

void WaveInDevice::ClearCaptureFields() {
  handle_ = kNullWaveHandle;
  blockCount_ = 0;
  readIndex_ = 0;
}

int WaveInDevice::GetInDevCaps(int& deviceId, uint32_t& deviceCount, WaveInCaps& caps) {
  deviceCount = api_.WaveInGetNumDevs();
  deviceId = deviceCount > 0 ? 0 : kWaveMapper;
  caps = WaveInCaps{};
  const MmResult result = api_.WaveInGetDevCaps(deviceId, caps);
  if (result != kMmNoError) {
    Report(result, "waveInGetDevCaps()", PromptIcon::kWarning);
    return 1;
  }
  return 0;
}

int WaveInDevice::QueryInFormat(int deviceId, uint32_t rate, uint16_t bits, uint16_t channels) {
  format_ = MakePcmFormat(rate, bits, channels);
  const MmResult result = api_.WaveInOpen(nullptr, deviceId, format_, kNoTarget, kWaveFormatQuery);
  if (result != kMmNoError) {
    Report(result, "waveInOpen(WAVE_FORMAT_QUERY)", PromptIcon::kWarning);
    return 1;
  }
  return 0;
}

int WaveInDevice::OpenCapture(TargetId notify, int deviceId, uint32_t rate, uint16_t bits,
                              uint16_t channels, int blockCount, uint32_t blockBytes) {
  // An open device, or blocks kept by a release that failed, would be lost by a new open.
  if (handle_ != kNullWaveHandle) return 1;
  if (!ring_.Empty() &&
      ring_.ReleaseBlocks([this](uint16_t i) { return UnprepareBlock(i); }) != 0) {
    return 1;
  }
  ClearCaptureFields();
  if (blockCount > kMaxWaveBlocks) {
    std::snprintf(messageText_, sizeof messageText_, kTooManyBlocksText, kMaxWaveBlocks);
    prompter_.MessageBox(messageText_, "WaveInput Device Error", PromptButtons::kOk,
                         PromptIcon::kNone);
    return 1;
  }
  if (blockCount < 1 || blockBytes == 0) {
    Report(kMmInvalidParam, "WaveInput Device Error");
    return 1;
  }
  if (ring_.AllocateBlocks(static_cast<uint16_t>(blockCount), blockBytes) != 0) return 1;
  blockCount_ = static_cast<uint16_t>(blockCount);

  // Undoes the steps so far: a failed open leaves neither blocks nor an open device.
  auto undo = [this] {
    if (handle_ != kNullWaveHandle) {
      api_.WaveInReset(handle_);
      for (uint16_t i = 0; i < blockCount_; ++i) {
        if (ring_[i].state == BlockState::kPrepared || ring_[i].state == BlockState::kQueued) {
          UnprepareBlock(i);
        }
      }
      const MmResult closed = api_.WaveInClose(handle_);
      if (closed != kMmNoError) Report(closed, "waveInClose()");
    }
    ring_.ReleaseBlocks([this](uint16_t i) { return UnprepareBlock(i); });
    ClearCaptureFields();
    return 1;
  };
  if (QueryInFormat(deviceId, rate, bits, channels) != 0) return undo();
  WaveHandle handle = kNullWaveHandle;
  const MmResult result = api_.WaveInOpen(&handle, deviceId, format_, notify, 0);
  if (result != kMmNoError) {
    Report(result, "waveInOpen()");
    return undo();
  }
  handle_ = handle;
  for (uint16_t i = 0; i < blockCount_; ++i) {
    if (PrepareBlock(i, blockBytes) != 0) return undo();
  }
  for (uint16_t i = 0; i < blockCount_; ++i) {
    if (AddBlock(i) != 0) return undo();
  }
  return 0;
}

int WaveInDevice::StartCapture() {
  const MmResult result = api_.WaveInStart(handle_);
  if (result != kMmNoError) {
    Report(result, "waveInStart()");
    return 1;
  }
  return 0;
}

int WaveInDevice::StopCapture() {
  const MmResult result = api_.WaveInStop(handle_);
  if (result != kMmNoError) {
    Report(result, "waveInStop()");
    return 1;
  }
  return 0;
}

int WaveInDevice::ResetCapture() {
  const MmResult result = api_.WaveInReset(handle_);
  if (result != kMmNoError) {
    Report(result, "waveInReset()");
    return 1;
  }
  return 0;
}

int WaveInDevice::GetFilledBlock(uint8_t*& data, uint32_t& size) {
  if (blockCount_ == 0) {
    data = nullptr;
    size = 0;
    return 0;
  }
  const uint16_t index = readIndex_ < blockCount_ ? readIndex_ : 0;
  data = ring_[index].data;
  size = ring_[index].size;
  return 0;
}

int WaveInDevice::RequeueBlock() {
  if (blockCount_ == 0) return 1;
  WaveBlock& block = ring_[readIndex_];
  // Handing the device a block it still holds would queue it twice.
  if (block.state == BlockState::kQueued && !block.header->IsDone()) return 0;
  block.state = BlockState::kPrepared;
  if (AddBlock(readIndex_) != 0) return 1;
  readIndex_ = static_cast<uint16_t>((readIndex_ + 1) % blockCount_);
  return 0;
}

int WaveInDevice::GetCapturePosition(uint32_t& bytes) {
  const MmResult result = api_.WaveInGetPosition(handle_, bytes);
  if (result != kMmNoError) {
    Report(result, "waveInGetPosition()");
    return 1;
  }
  return 0;
}

int WaveInDevice::CloseCapture() {
  int result = 0;
  if (handle_ != kNullWaveHandle) {
    if (ResetCapture() != 0) result = 1;
    for (uint16_t i = 0; i < blockCount_; ++i) {
      if (UnprepareBlock(i) != 0) {
        result = 1;
        break;
      }
    }
    const MmResult closed = api_.WaveInClose(handle_);
    if (closed != kMmNoError) {
      Report(closed, "waveInClose()");
      result = 1;
    }
  }
  if (ring_.ReleaseBlocks([this](uint16_t i) { return UnprepareBlock(i); }) != 0) result = 1;
  ClearCaptureFields();
  return result;
}

int WaveInDevice::PrepareBlock(uint16_t index, uint32_t bytes) {
  if (index >= blockCount_) return 1;
  WaveBlock& block = ring_[index];
  if (bytes > block.size) {
    Report(kMmInvalidParam, "waveInPrepareHeader()");
    return 1;
  }
  WaveHeader& header = *block.header;
  header.data = block.data;
  header.bufferLength = bytes;
  header.bytesRecorded.store(0, std::memory_order_relaxed);
  header.user = 0;
  header.flags.store(0, std::memory_order_relaxed);
  header.loops = 0;
  const MmResult result = api_.WaveInPrepareHeader(handle_, &header);
  if (result != kMmNoError) {
    Report(result, "waveInPrepareHeader()");
    return 1;
  }
  block.state = BlockState::kPrepared;
  return 0;
}

int WaveInDevice::UnprepareBlock(uint16_t index) {
  if (index >= blockCount_) return 1;
  WaveBlock& block = ring_[index];
  const MmResult result = api_.WaveInUnprepareHeader(handle_, block.header);
  if (result != kMmNoError) {
    Report(result, "waveInUnprepareHeader()");
    return 1;
  }
  block.state = BlockState::kDone;
  return 0;
}

int WaveInDevice::AddBlock(uint16_t index) {
  WaveBlock& block = ring_[index];
  if (block.state == BlockState::kQueued) return 0;
  if (block.state != BlockState::kPrepared) return 1;
  block.header->bytesRecorded.store(0, std::memory_order_relaxed);
  const MmResult result = api_.WaveInAddBuffer(handle_, block.header);
  if (result != kMmNoError) {
    Report(result, "waveInAddBuffer()");
    return 1;
  }
  block.state = BlockState::kQueued;
  return 0;
}

}  // namespace vx
