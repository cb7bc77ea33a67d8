#include "audio/wave_api.h"

#include <cstring>

namespace vx {

const char* WaveResultText(MmResult result) {
  switch (result) {
    case kMmNoError:
      return "The command completed successfully.";
    case kMmError:
      return "An unspecified error occurred in the sound device.";
    case kMmBadDeviceId:
      return "The sound device id is out of range: no such device.";
    case kMmNotEnabled:
      return "The sound driver could not be enabled.";
    case kMmAllocated:
      return "The sound device is already in use.";
    case kMmInvalidHandle:
      return "The sound device handle is not open.";
    case kMmNoDriver:
      return "No sound driver is installed.";
    case kMmNoMemory:
      return "There is not enough memory for the sound device.";
    case kMmNotSupported:
      return "The sound device does not support this operation.";
    case kMmBadErrorNumber:
      return "The result code has no text.";
    case kMmInvalidFlag:
      return "An invalid flag was passed to the sound device.";
    case kMmInvalidParam:
      return "An invalid parameter was passed to the sound device.";
    case kMmHandleBusy:
      return "The sound device handle is in use by another thread.";
    case kWaveBadFormat:
      return "The sound device does not support this format.";
    case kWaveStillPlaying:
      return "Blocks are still queued on the sound device.";
    case kWaveUnprepared:
      return "The block header is not prepared.";
  }
  return nullptr;
}

void CopyWaveText(std::span<char> out, const char* text) {
  if (out.empty()) return;
  size_t length = std::strlen(text);
  if (length >= out.size()) {
    length = out.size() - 1;
    // Step back over continuation bytes so that no character is cut in half.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(out.data(), text, length);
  out[length] = '\0';
}

MmResult PrepareWaveHeader(WaveHeader* header) {
  if (header == nullptr || (header->data == nullptr && header->bufferLength > 0)) {
    return kMmInvalidParam;
  }
  header->flags.fetch_or(kWaveHeaderPrepared, std::memory_order_relaxed);
  return kMmNoError;
}

MmResult UnprepareWaveHeader(WaveHeader* header) {
  if (header == nullptr) return kMmInvalidParam;
  if ((header->flags.load(std::memory_order_acquire) & kWaveHeaderInQueue) != 0) {
    return kWaveStillPlaying;
  }
  header->flags.fetch_and(~kWaveHeaderPrepared, std::memory_order_relaxed);
  return kMmNoError;
}

MmResult EnqueueWaveHeader(WaveHeader* header) {
  if (header == nullptr) return kMmInvalidParam;
  const uint32_t flags = header->flags.load(std::memory_order_relaxed);
  if ((flags & kWaveHeaderPrepared) == 0) return kWaveUnprepared;
  if ((flags & kWaveHeaderInQueue) != 0) return kWaveStillPlaying;
  header->flags.store((flags & ~kWaveHeaderDone) | kWaveHeaderInQueue, std::memory_order_relaxed);
  return kMmNoError;
}

}  // namespace vx
