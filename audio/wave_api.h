#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "platform/message_queue.h"

namespace vx {

// Result codes of the waveform audio service: 0 is success.
using MmResult = uint32_t;
inline constexpr MmResult kMmNoError = 0;
inline constexpr MmResult kMmError = 1;           // unspecified error
inline constexpr MmResult kMmBadDeviceId = 2;     // no such device
inline constexpr MmResult kMmNotEnabled = 3;      // driver failed to enable
inline constexpr MmResult kMmAllocated = 4;       // device already in use
inline constexpr MmResult kMmInvalidHandle = 5;   // handle not open
inline constexpr MmResult kMmNoDriver = 6;        // no driver installed
inline constexpr MmResult kMmNoMemory = 7;        // memory could not be had
inline constexpr MmResult kMmNotSupported = 8;    // operation not supported
inline constexpr MmResult kMmBadErrorNumber = 9;  // no text for this result
inline constexpr MmResult kMmInvalidFlag = 10;
inline constexpr MmResult kMmInvalidParam = 11;
inline constexpr MmResult kMmHandleBusy = 12;      // handle in use by another thread
inline constexpr MmResult kWaveBadFormat = 32;     // format not supported
inline constexpr MmResult kWaveStillPlaying = 33;  // buffers still queued
inline constexpr MmResult kWaveUnprepared = 34;    // header not prepared

// Device ids: 0 … count − 1, or the mapper that picks a device for the format.
inline constexpr int kWaveMapper = -1;

// Capability bits of an output device.
inline constexpr uint32_t kWaveCapsPitch = 0x0001;
inline constexpr uint32_t kWaveCapsPlaybackRate = 0x0002;
inline constexpr uint32_t kWaveCapsVolume = 0x0004;    // volume can be set
inline constexpr uint32_t kWaveCapsLrVolume = 0x0008;  // left and right volume apart
inline constexpr uint32_t kWaveCapsSync = 0x0010;
inline constexpr uint32_t kWaveCapsSampleAccurate = 0x0020;

// Standard format bits: rate (11025, 22050, 44100 Hz), mono/stereo, 8/16 bits.
inline constexpr uint32_t kWaveFormat1M08 = 0x0001;
inline constexpr uint32_t kWaveFormat1S08 = 0x0002;
inline constexpr uint32_t kWaveFormat1M16 = 0x0004;
inline constexpr uint32_t kWaveFormat1S16 = 0x0008;
inline constexpr uint32_t kWaveFormat2M08 = 0x0010;
inline constexpr uint32_t kWaveFormat2S08 = 0x0020;
inline constexpr uint32_t kWaveFormat2M16 = 0x0040;
inline constexpr uint32_t kWaveFormat2S16 = 0x0080;
inline constexpr uint32_t kWaveFormat4M08 = 0x0100;
inline constexpr uint32_t kWaveFormat4S08 = 0x0200;
inline constexpr uint32_t kWaveFormat4M16 = 0x0400;
inline constexpr uint32_t kWaveFormat4S16 = 0x0800;
inline constexpr uint32_t kWaveFormatAllStandard = 0x0FFF;

inline constexpr uint16_t kWaveFormatPcm = 1;

// A PCM format. All fields follow from (rate, bits, channels).
struct WaveFormat {
  uint16_t formatTag = kWaveFormatPcm;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;  // bytes of one sample frame, all channels
  uint16_t bitsPerSample = 0;
  uint16_t cbSize = 0;
};

inline WaveFormat MakePcmFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
  WaveFormat f;
  f.formatTag = kWaveFormatPcm;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.blockAlign = static_cast<uint16_t>(channels * (bits / 8));
  f.avgBytesPerSec = rate * f.blockAlign;
  f.bitsPerSample = bits;
  f.cbSize = 0;
  return f;
}

struct WaveOutCaps {
  uint16_t manufacturerId = 0;
  uint16_t productId = 0;
  uint32_t driverVersion = 0;
  char productName[32] = {};
  uint32_t formats = 0;  // kWaveFormat… bits
  uint16_t channels = 0;
  uint32_t support = 0;  // kWaveCaps… bits
};

struct WaveInCaps {
  uint16_t manufacturerId = 0;
  uint16_t productId = 0;
  uint32_t driverVersion = 0;
  char productName[32] = {};
  uint32_t formats = 0;
  uint16_t channels = 0;
};

// Header flags.
inline constexpr uint32_t kWaveHeaderDone = 0x01;      // the device has finished with the block
inline constexpr uint32_t kWaveHeaderPrepared = 0x02;  // prepared for the device
inline constexpr uint32_t kWaveHeaderInQueue = 0x10;   // handed to the device, not yet returned

// The device header of one block. The device sets the done flag and the recorded bytes from
// its own thread; the flag is set last (release order), so a reader that sees it also sees
// the byte count.
struct WaveHeader {
  uint8_t* data = nullptr;
  uint32_t bufferLength = 0;
  std::atomic<uint32_t> bytesRecorded{0};
  uintptr_t user = 0;
  std::atomic<uint32_t> flags{0};
  uint32_t loops = 0;
  // Kept by the device while the header is queued.
  WaveHeader* next = nullptr;
  uint64_t deviceMark = 0;

  bool IsDone() const { return (flags.load(std::memory_order_acquire) & kWaveHeaderDone) != 0; }
};

using WaveHandle = uint32_t;
inline constexpr WaveHandle kNullWaveHandle = 0;

// Open flag: only ask whether the device would take the format; no handle is made.
inline constexpr uint32_t kWaveFormatQuery = 0x0001;

// The few operations of the waveform audio service that the device layers use. A device
// opened with a notify target posts kMsgWaveOutDone (output) or kMsgWaveInData (input) to
// it for every block it returns: wparam the handle, lparam the block's WaveHeader*. Called
// from the UI thread; backends post from their own threads.
class WaveApi {
 public:
  virtual ~WaveApi() = default;

  virtual uint32_t WaveOutGetNumDevs() = 0;
  virtual MmResult WaveOutGetDevCaps(int deviceId, WaveOutCaps& caps) = 0;
  // With kWaveFormatQuery no handle is made and `handle` may be null.
  virtual MmResult WaveOutOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                               TargetId notify, uint32_t flags) = 0;
  virtual MmResult WaveOutPrepareHeader(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveOutUnprepareHeader(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveOutWrite(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveOutPause(WaveHandle handle) = 0;
  virtual MmResult WaveOutRestart(WaveHandle handle) = 0;
  // Stops, returns every queued block (done flag set, message posted), position to 0.
  virtual MmResult WaveOutReset(WaveHandle handle) = 0;
  // Bytes played since the open or the last reset.
  virtual MmResult WaveOutGetPosition(WaveHandle handle, uint32_t& bytes) = 0;
  // Volume: left in the low 16 bits, right in the high 16 bits, 0xFFFF full.
  virtual MmResult WaveOutGetVolume(WaveHandle handle, uint32_t& volume) = 0;
  virtual MmResult WaveOutSetVolume(WaveHandle handle, uint32_t volume) = 0;
  // Fails with kWaveStillPlaying while blocks are queued.
  virtual MmResult WaveOutClose(WaveHandle handle) = 0;
  // Writes the text of a result, cut to fit and always terminated.
  virtual MmResult WaveOutGetErrorText(MmResult error, std::span<char> text) = 0;

  virtual uint32_t WaveInGetNumDevs() = 0;
  virtual MmResult WaveInGetDevCaps(int deviceId, WaveInCaps& caps) = 0;
  virtual MmResult WaveInOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                              TargetId notify, uint32_t flags) = 0;
  virtual MmResult WaveInPrepareHeader(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveInUnprepareHeader(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveInAddBuffer(WaveHandle handle, WaveHeader* header) = 0;
  virtual MmResult WaveInStart(WaveHandle handle) = 0;
  // Stops; the block being filled is returned at once with the bytes it holds.
  virtual MmResult WaveInStop(WaveHandle handle) = 0;
  // Stops and returns every queued block; position to 0.
  virtual MmResult WaveInReset(WaveHandle handle) = 0;
  // Bytes captured since the start.
  virtual MmResult WaveInGetPosition(WaveHandle handle, uint32_t& bytes) = 0;
  virtual MmResult WaveInClose(WaveHandle handle) = 0;
  virtual MmResult WaveInGetErrorText(MmResult error, std::span<char> text) = 0;
};

// The service's own description of a result code; null for codes it does not know.
const char* WaveResultText(MmResult result);

// Copies `text` into `out`, cut at a character boundary of UTF-8 to fit with its
// terminating zero. Does nothing to an empty `out`.
void CopyWaveText(std::span<char> out, const char* text);

// The block-header rules every backend keeps, on the header's flags.
// Prepare: kMmInvalidParam for no header, or no data behind a non-empty buffer.
MmResult PrepareWaveHeader(WaveHeader* header);
// Unprepare: kWaveStillPlaying while the device holds the block.
MmResult UnprepareWaveHeader(WaveHeader* header);
// Hands the block to the device (in queue, not done): kMmInvalidParam for no header,
// kWaveUnprepared, or kWaveStillPlaying when the device holds it already.
MmResult EnqueueWaveHeader(WaveHeader* header);

}  // namespace vx
