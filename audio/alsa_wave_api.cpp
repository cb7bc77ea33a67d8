#include "audio/alsa_wave_api.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace vx {
namespace {

constexpr WaveHandle kInputHandleBase = 0x100;
constexpr unsigned kBufferMicros = 200000;  // 200 ms of sound in the PCM's ring
constexpr unsigned kPeriodMicros = 20000;   // woken every 20 ms, one frame of speech

bool PcmFormatOf(const WaveFormat& f, snd_pcm_format_t& out) {
  if (f.formatTag != kWaveFormatPcm || f.channels == 0 || f.samplesPerSec == 0) return false;
  if (f.blockAlign != f.channels * (f.bitsPerSample / 8)) return false;
  if (f.bitsPerSample == 8) {
    out = SND_PCM_FORMAT_U8;
  } else if (f.bitsPerSample == 16) {
    out = SND_PCM_FORMAT_S16_LE;
  } else {
    return false;
  }
  return true;
}

// Sets up the hardware parameters of `pcm` for the format; 0 or an ALSA error.
int ConfigureHardware(snd_pcm_t* pcm, const WaveFormat& format, snd_pcm_uframes_t& period,
                      snd_pcm_uframes_t& buffer, bool& canPause) {
  snd_pcm_format_t pcmFormat;
  if (!PcmFormatOf(format, pcmFormat)) return -EINVAL;
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  int err = snd_pcm_hw_params_any(pcm, hw);
  if (err >= 0) err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (err >= 0) err = snd_pcm_hw_params_set_format(pcm, hw, pcmFormat);
  if (err >= 0) err = snd_pcm_hw_params_set_channels(pcm, hw, format.channels);
  if (err >= 0) err = snd_pcm_hw_params_set_rate(pcm, hw, format.samplesPerSec, 0);
  if (err < 0) return err;
  unsigned bufferTime = kBufferMicros;
  unsigned periodTime = kPeriodMicros;
  int dir = 0;
  // Sizes are wishes: a device that cannot meet them keeps its own.
  snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, &dir);
  snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodTime, &dir);
  if ((err = snd_pcm_hw_params(pcm, hw)) < 0) return err;
  snd_pcm_hw_params_get_period_size(hw, &period, &dir);
  snd_pcm_hw_params_get_buffer_size(hw, &buffer);
  canPause = snd_pcm_hw_params_can_pause(hw) == 1;
  if (period == 0) period = 1;
  return 0;
}

// Scales 16-bit or 8-bit interleaved samples by 16-bit gains (0xFFFF is 1.0).
void ApplyGain(const uint8_t* in, uint8_t* out, size_t frames, const WaveFormat& f,
               uint32_t volume) {
  const int32_t gains[2] = {static_cast<int32_t>(volume & 0xFFFF),
                            static_cast<int32_t>(volume >> 16)};
  const size_t samples = frames * f.channels;
  for (size_t i = 0; i < samples; ++i) {
    const int32_t gain = gains[f.channels == 2 ? i % 2 : 0];
    if (f.bitsPerSample == 16) {
      int16_t s;
      std::memcpy(&s, in + 2 * i, 2);
      const int16_t scaled = static_cast<int16_t>(s * gain / 65535);
      std::memcpy(out + 2 * i, &scaled, 2);
    } else {
      out[i] = static_cast<uint8_t>((in[i] - 128) * gain / 65535 + 128);
    }
  }
}

bool IsUnityGain(uint32_t volume, uint16_t channels) {
  return channels == 1 ? (volume & 0xFFFF) == 0xFFFF : volume == 0xFFFFFFFF;
}

}  // namespace

// One open PCM, its queue of blocks and the thread that serves it. Everything but the
// volume is guarded by the mutex; the PCM is only touched under it.
class AlsaWaveApi::Device {
 public:
  Device(MessageQueue& queue, snd_pcm_t* pcm, bool capture, const WaveFormat& format,
         TargetId notify, WaveHandle handle, snd_pcm_uframes_t period, bool canPause)
      : queue_(queue),
        pcm_(pcm),
        capture_(capture),
        format_(format),
        notify_(notify),
        handle_(handle),
        periodFrames_(period),
        canPause_(canPause),
        scratch_(period * format.blockAlign) {
    const unsigned periodMs = static_cast<unsigned>(period * 1000 / format.samplesPerSec);
    waitMs_ = std::clamp(periodMs / 2, 2u, 20u);
    thread_ = std::thread([this] { Run(); });
  }

  ~Device() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
  }

  // Fatal error of the thread, or 0.
  int Broken() {
    std::lock_guard lock(mutex_);
    return broken_;
  }

  bool HasQueued() {
    std::lock_guard lock(mutex_);
    return head_ != nullptr;
  }

  int Queue(WaveHeader* header) {
    std::lock_guard lock(mutex_);
    if (broken_ != 0) return broken_;
    header->next = nullptr;
    header->deviceMark = 0;
    header->bytesRecorded.store(0, std::memory_order_relaxed);
    if (tail_ != nullptr) {
      tail_->next = header;
    } else {
      head_ = header;
    }
    tail_ = header;
    if (cursor_ == nullptr) {
      cursor_ = header;
      cursorOffset_ = 0;
    }
    wake_.notify_all();
    return 0;
  }

  int Pause() {
    std::lock_guard lock(mutex_);
    if (broken_ != 0) return broken_;
    if (paused_) return 0;
    paused_ = true;
    if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING) return 0;
    if (canPause_ && snd_pcm_pause(pcm_, 1) == 0) {
      pcmPaused_ = true;
      return 0;
    }
    DropAndRewind();
    return 0;
  }

  int Restart() {
    std::lock_guard lock(mutex_);
    if (broken_ != 0) return broken_;
    paused_ = false;
    if (pcmPaused_) {
      pcmPaused_ = false;
      if (snd_pcm_pause(pcm_, 0) != 0) DropAndRewind();
    }
    wake_.notify_all();
    return 0;
  }

  // Output: stop at once and return every block. Input: the same, and the count restarts.
  int Reset() {
    std::lock_guard lock(mutex_);
    snd_pcm_drop(pcm_);
    int err = snd_pcm_prepare(pcm_);
    pcmPaused_ = false;
    started_ = false;
    while (head_ != nullptr) ReturnHead();
    cursor_ = nullptr;
    cursorOffset_ = 0;
    framesWritten_ = 0;
    framesPlayed_ = 0;
    headStart_ = 0;
    capturedBytes_ = 0;
    return broken_ != 0 ? broken_ : (err < 0 ? err : 0);
  }

  int Start() {
    std::lock_guard lock(mutex_);
    if (broken_ != 0) return broken_;
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
      if (int err = snd_pcm_start(pcm_); err < 0) return err;
    }
    started_ = true;
    wake_.notify_all();
    return 0;
  }

  // Input: stop capturing; the block being filled comes back with what it holds.
  int Stop() {
    std::lock_guard lock(mutex_);
    started_ = false;
    // Take what the PCM already captured before it is dropped.
    if (broken_ == 0) ServeCapture(true);
    snd_pcm_drop(pcm_);
    int err = snd_pcm_prepare(pcm_);
    if (head_ != nullptr && head_->bytesRecorded.load(std::memory_order_relaxed) > 0) {
      ReturnHead();
    }
    return broken_ != 0 ? broken_ : (err < 0 ? err : 0);
  }

  uint64_t PositionBytes() {
    std::lock_guard lock(mutex_);
    if (capture_) return capturedBytes_;
    return PlayedFrames() * format_.blockAlign;
  }

  std::atomic<uint32_t> volume{0xFFFFFFFF};

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
      if (broken_ == 0) {
        if (capture_) {
          ServeCapture(false);
        } else {
          ServePlayback();
        }
      }
      if (quit_) break;
      const bool busy = broken_ == 0 && head_ != nullptr && (capture_ ? started_ : true);
      if (busy) {
        wake_.wait_for(lock, std::chrono::milliseconds(waitMs_));
      } else {
        wake_.wait(lock);
      }
    }
  }

  // A fatal PCM error: every block goes back so that nobody waits for it forever.
  void Break(int err) {
    broken_ = err;
    while (head_ != nullptr) ReturnHead();
    cursor_ = nullptr;
  }

  void ReturnHead() {
    WaveHeader* header = head_;
    head_ = header->next;
    if (head_ == nullptr) tail_ = nullptr;
    header->next = nullptr;
    const uint32_t flags = header->flags.load(std::memory_order_relaxed);
    header->flags.store((flags & ~kWaveHeaderInQueue) | kWaveHeaderDone, std::memory_order_release);
    if (notify_ != kNoTarget) {
      queue_.Post(notify_, capture_ ? kMsgWaveInData : kMsgWaveOutDone, handle_,
                  reinterpret_cast<intptr_t>(header));
    }
  }

  // Frames the PCM has played: frames written minus its delay, never going back.
  uint64_t PlayedFrames() {
    snd_pcm_sframes_t delay = 0;
    const snd_pcm_state_t state = snd_pcm_state(pcm_);
    if (state == SND_PCM_STATE_XRUN) {
      // Ran dry: everything written has been played.
      snd_pcm_prepare(pcm_);
      framesPlayed_ = framesWritten_;
    } else if (state == SND_PCM_STATE_RUNNING || state == SND_PCM_STATE_PAUSED ||
               state == SND_PCM_STATE_DRAINING || state == SND_PCM_STATE_PREPARED) {
      const int err = snd_pcm_delay(pcm_, &delay);
      if (err == -EPIPE) {
        snd_pcm_prepare(pcm_);
        framesPlayed_ = framesWritten_;
      } else if (err == 0) {
        const uint64_t pending = static_cast<uint64_t>(std::max<snd_pcm_sframes_t>(delay, 0));
        const uint64_t played = framesWritten_ > pending ? framesWritten_ - pending : 0;
        framesPlayed_ = std::max(framesPlayed_, played);
      }
    }
    return framesPlayed_;
  }

  // Where a PCM cannot pause: drop what it holds and write it again from the frame it had
  // reached.
  void DropAndRewind() {
    const uint64_t played = PlayedFrames();
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    framesWritten_ = played;
    cursor_ = nullptr;
    cursorOffset_ = 0;
    uint64_t frame = headStart_;
    for (WaveHeader* h = head_; h != nullptr; h = h->next) {
      const uint64_t frames = h->bufferLength / format_.blockAlign;
      if (frame + frames > played || frames == 0) {
        cursor_ = h;
        cursorOffset_ =
            static_cast<uint32_t>((played > frame ? played - frame : 0) * format_.blockAlign);
        break;
      }
      frame += frames;
    }
  }

  void ServePlayback() {
    if (!paused_) {
      while (cursor_ != nullptr) {
        const uint32_t align = format_.blockAlign;
        const uint64_t left = (cursor_->bufferLength - cursorOffset_) / align;
        if (left == 0) {
          // The whole block is in the PCM: it has been played once this frame is reached.
          cursor_->deviceMark = framesWritten_;
          cursor_ = cursor_->next;
          cursorOffset_ = 0;
          continue;
        }
        const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
        if (avail == -EPIPE || avail == -ESTRPIPE) {
          Recover(static_cast<int>(avail));
          if (broken_ != 0) return;
          continue;
        }
        if (avail < 0) return Break(static_cast<int>(avail));
        if (avail == 0) break;
        const snd_pcm_uframes_t frames = std::min<snd_pcm_uframes_t>(
            {static_cast<snd_pcm_uframes_t>(avail), left, periodFrames_});
        const uint8_t* source = cursor_->data + cursorOffset_;
        const uint32_t gain = volume.load(std::memory_order_relaxed);
        if (!IsUnityGain(gain, format_.channels)) {
          ApplyGain(source, scratch_.data(), frames, format_, gain);
          source = scratch_.data();
        }
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, source, frames);
        if (written == -EAGAIN) break;
        if (written == -EPIPE || written == -ESTRPIPE) {
          Recover(static_cast<int>(written));
          if (broken_ != 0) return;
          continue;
        }
        if (written < 0) return Break(static_cast<int>(written));
        framesWritten_ += static_cast<uint64_t>(written);
        cursorOffset_ += static_cast<uint32_t>(written) * align;
      }
      // All that is queued is in the PCM but below its start threshold: start it now.
      if (cursor_ == nullptr && head_ != nullptr && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED &&
          framesWritten_ > framesPlayed_) {
        snd_pcm_start(pcm_);
      }
    }
    const uint64_t played = PlayedFrames();
    while (head_ != nullptr && head_ != cursor_ && head_->deviceMark <= played) {
      headStart_ = head_->deviceMark;
      ReturnHead();
    }
  }

  // Input: reads what the PCM holds into the queued blocks; `draining` takes only what is
  // there already.
  void ServeCapture(bool draining) {
    if (!started_ && !draining) return;
    const uint32_t align = format_.blockAlign;
    while (head_ != nullptr) {
      const uint32_t recorded = head_->bytesRecorded.load(std::memory_order_relaxed);
      const uint64_t room = (head_->bufferLength - recorded) / align;
      if (room == 0) {
        ReturnHead();
        continue;
      }
      const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
      if (avail == -EPIPE || avail == -ESTRPIPE) {
        if (draining) return;
        Recover(static_cast<int>(avail));
        if (broken_ != 0) return;
        snd_pcm_start(pcm_);
        continue;
      }
      if (avail < 0) return Break(static_cast<int>(avail));
      if (avail == 0) return;
      const snd_pcm_uframes_t frames =
          std::min<snd_pcm_uframes_t>(static_cast<snd_pcm_uframes_t>(avail), room);
      const snd_pcm_sframes_t got = snd_pcm_readi(pcm_, head_->data + recorded, frames);
      if (got == -EAGAIN) return;
      if (got == -EPIPE || got == -ESTRPIPE) {
        if (draining) return;
        Recover(static_cast<int>(got));
        if (broken_ != 0) return;
        snd_pcm_start(pcm_);
        continue;
      }
      if (got < 0) return Break(static_cast<int>(got));
      const uint32_t bytes = static_cast<uint32_t>(got) * align;
      head_->bytesRecorded.store(recorded + bytes, std::memory_order_relaxed);
      capturedBytes_ += bytes;
    }
  }

  // After an underrun (output) or overrun (input), or a suspend: make the PCM usable again.
  void Recover(int err) {
    if (!capture_) framesPlayed_ = framesWritten_;  // an underrun has played everything
    if (snd_pcm_recover(pcm_, err, 1) < 0) Break(err);
  }

  MessageQueue& queue_;
  snd_pcm_t* pcm_;
  const bool capture_;
  const WaveFormat format_;
  const TargetId notify_;
  const WaveHandle handle_;
  const snd_pcm_uframes_t periodFrames_;
  const bool canPause_;
  std::vector<uint8_t> scratch_;  // one period of gain-scaled samples
  unsigned waitMs_ = 10;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool quit_ = false;
  int broken_ = 0;
  bool paused_ = false;         // output held by Pause
  bool pcmPaused_ = false;      // … through the PCM's own pause
  bool started_ = false;        // input capturing
  WaveHeader* head_ = nullptr;  // oldest block not yet returned
  WaveHeader* tail_ = nullptr;
  WaveHeader* cursor_ = nullptr;  // output: first block not wholly written
  uint32_t cursorOffset_ = 0;
  uint64_t framesWritten_ = 0;  // output: since open or reset
  uint64_t framesPlayed_ = 0;
  uint64_t headStart_ = 0;  // output: frame at which the head block begins
  uint64_t capturedBytes_ = 0;
};

AlsaWaveApi::AlsaWaveApi(MessageQueue& queue, std::string pcmName)
    : queue_(queue), pcmName_(std::move(pcmName)) {}

AlsaWaveApi::~AlsaWaveApi() = default;

MmResult AlsaWaveApi::Failed(int alsaError, MmResult fallback) {
  MmResult result = fallback;
  switch (alsaError) {
    case -EBUSY:
      result = kMmAllocated;
      break;
    case -ENOENT:
    case -ENODEV:
    case -ENXIO:
      result = kMmBadDeviceId;
      break;
    case -ENOMEM:
      result = kMmNoMemory;
      break;
  }
  if (result < lastAlsaError_.size()) lastAlsaError_[result].store(alsaError);
  return result;
}

MmResult AlsaWaveApi::ErrorText(MmResult error, std::span<char> text) const {
  if (text.empty()) return kMmInvalidParam;
  const char* standard = WaveResultText(error);
  if (standard == nullptr) return kMmBadErrorNumber;
  const int alsaError = error < lastAlsaError_.size() ? lastAlsaError_[error].load() : 0;
  if (alsaError == 0) {
    CopyWaveText(text, standard);
  } else {
    char line[512];
    std::snprintf(line, sizeof line, "%s (ALSA: %s)", standard, snd_strerror(alsaError));
    CopyWaveText(text, line);
  }
  return kMmNoError;
}

AlsaWaveApi::Device* AlsaWaveApi::Find(WaveHandle handle, bool capture) {
  const WaveHandle base = capture ? kInputHandleBase : 0;
  if (handle <= base || handle > base + kSlots) return nullptr;
  return (capture ? inputs_ : outputs_)[handle - base - 1].get();
}

uint32_t AlsaWaveApi::CountDevices(bool capture) {
  for (const auto& device : capture ? inputs_ : outputs_) {
    if (device) return 1;
  }
  snd_pcm_t* pcm = nullptr;
  const int err =
      snd_pcm_open(&pcm, pcmName_.c_str(),
                   capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (err == 0) snd_pcm_close(pcm);
  return err == 0 || err == -EBUSY ? 1 : 0;
}

MmResult AlsaWaveApi::Open(WaveHandle* handle, int deviceId, const WaveFormat& format,
                           TargetId notify, uint32_t flags, bool capture) {
  if (deviceId != 0 && deviceId != kWaveMapper) return kMmBadDeviceId;
  snd_pcm_format_t pcmFormat;
  if (!PcmFormatOf(format, pcmFormat)) return kWaveBadFormat;
  const bool query = (flags & kWaveFormatQuery) != 0;
  auto& slots = capture ? inputs_ : outputs_;
  size_t slot = kSlots;
  if (!query) {
    if (handle == nullptr) return kMmInvalidParam;
    for (size_t i = 0; i < kSlots && slot == kSlots; ++i) {
      if (!slots[i]) slot = i;
    }
    if (slot == kSlots) return kMmAllocated;
  }
  snd_pcm_t* pcm = nullptr;
  int err =
      snd_pcm_open(&pcm, pcmName_.c_str(),
                   capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (err < 0) return Failed(err, kMmNotEnabled);
  snd_pcm_uframes_t period = 0, buffer = 0;
  bool canPause = false;
  err = ConfigureHardware(pcm, format, period, buffer, canPause);
  if (err < 0 || query) {
    snd_pcm_close(pcm);
    return err < 0 ? Failed(err, kWaveBadFormat) : kMmNoError;
  }
  snd_pcm_sw_params_t* sw = nullptr;
  snd_pcm_sw_params_alloca(&sw);
  err = snd_pcm_sw_params_current(pcm, sw);
  // Output starts once half the PCM's ring is full, or when the queued sound runs out.
  if (err >= 0 && !capture) err = snd_pcm_sw_params_set_start_threshold(pcm, sw, buffer / 2);
  if (err >= 0) err = snd_pcm_sw_params_set_avail_min(pcm, sw, period);
  if (err >= 0) err = snd_pcm_sw_params(pcm, sw);
  if (err >= 0) err = snd_pcm_prepare(pcm);
  if (err < 0) {
    snd_pcm_close(pcm);
    return Failed(err, kMmError);
  }
  const WaveHandle id = (capture ? kInputHandleBase : 0) + static_cast<WaveHandle>(slot) + 1;
  slots[slot] =
      std::make_unique<Device>(queue_, pcm, capture, format, notify, id, period, canPause);
  *handle = id;
  return kMmNoError;
}

MmResult AlsaWaveApi::Close(WaveHandle handle, bool capture) {
  Device* device = Find(handle, capture);
  if (device == nullptr) return kMmInvalidHandle;
  if (device->HasQueued()) return kWaveStillPlaying;
  const WaveHandle base = capture ? kInputHandleBase : 0;
  (capture ? inputs_ : outputs_)[handle - base - 1].reset();
  return kMmNoError;
}

namespace {

void FillName(std::span<char> name, const std::string& pcmName) {
  CopyWaveText(name, ("ALSA " + pcmName).c_str());
}

}  // namespace

// --- output ------------------------------------------------------------------------------

uint32_t AlsaWaveApi::WaveOutGetNumDevs() {
  return CountDevices(false);
}

MmResult AlsaWaveApi::WaveOutGetDevCaps(int deviceId, WaveOutCaps& caps) {
  if ((deviceId != 0 && deviceId != kWaveMapper) || CountDevices(false) == 0) {
    return kMmBadDeviceId;
  }
  caps = WaveOutCaps{};
  FillName(caps.productName, pcmName_);
  caps.formats = kWaveFormatAllStandard;
  caps.channels = 2;
  caps.support = kWaveCapsVolume | kWaveCapsLrVolume;
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveOutOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                                  TargetId notify, uint32_t flags) {
  return Open(handle, deviceId, format, notify, flags, false);
}

MmResult AlsaWaveApi::WaveOutPrepareHeader(WaveHandle handle, WaveHeader* header) {
  if (Find(handle, false) == nullptr) return kMmInvalidHandle;
  return PrepareWaveHeader(header);
}

MmResult AlsaWaveApi::WaveOutUnprepareHeader(WaveHandle handle, WaveHeader* header) {
  if (Find(handle, false) == nullptr) return kMmInvalidHandle;
  return UnprepareWaveHeader(header);
}

MmResult AlsaWaveApi::WaveOutWrite(WaveHandle handle, WaveHeader* header) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  if (MmResult r = EnqueueWaveHeader(header)) return r;
  if (int err = device->Queue(header); err != 0) {
    header->flags.fetch_and(~kWaveHeaderInQueue, std::memory_order_relaxed);
    return Failed(err, kMmError);
  }
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveOutPause(WaveHandle handle) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Pause();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveOutRestart(WaveHandle handle) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Restart();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveOutReset(WaveHandle handle) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Reset();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveOutGetPosition(WaveHandle handle, uint32_t& bytes) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  if (int err = device->Broken()) return Failed(err, kMmError);
  bytes = static_cast<uint32_t>(device->PositionBytes());
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveOutGetVolume(WaveHandle handle, uint32_t& volume) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  volume = device->volume.load();
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveOutSetVolume(WaveHandle handle, uint32_t volume) {
  Device* device = Find(handle, false);
  if (device == nullptr) return kMmInvalidHandle;
  device->volume.store(volume);
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveOutClose(WaveHandle handle) {
  return Close(handle, false);
}

MmResult AlsaWaveApi::WaveOutGetErrorText(MmResult error, std::span<char> text) {
  return ErrorText(error, text);
}

// --- input -------------------------------------------------------------------------------

uint32_t AlsaWaveApi::WaveInGetNumDevs() {
  return CountDevices(true);
}

MmResult AlsaWaveApi::WaveInGetDevCaps(int deviceId, WaveInCaps& caps) {
  if ((deviceId != 0 && deviceId != kWaveMapper) || CountDevices(true) == 0) {
    return kMmBadDeviceId;
  }
  caps = WaveInCaps{};
  FillName(caps.productName, pcmName_);
  caps.formats = kWaveFormatAllStandard;
  caps.channels = 2;
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveInOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                                 TargetId notify, uint32_t flags) {
  return Open(handle, deviceId, format, notify, flags, true);
}

MmResult AlsaWaveApi::WaveInPrepareHeader(WaveHandle handle, WaveHeader* header) {
  if (Find(handle, true) == nullptr) return kMmInvalidHandle;
  return PrepareWaveHeader(header);
}

MmResult AlsaWaveApi::WaveInUnprepareHeader(WaveHandle handle, WaveHeader* header) {
  if (Find(handle, true) == nullptr) return kMmInvalidHandle;
  return UnprepareWaveHeader(header);
}

MmResult AlsaWaveApi::WaveInAddBuffer(WaveHandle handle, WaveHeader* header) {
  Device* device = Find(handle, true);
  if (device == nullptr) return kMmInvalidHandle;
  if (header != nullptr && header->bufferLength == 0) return kMmInvalidParam;
  if (MmResult r = EnqueueWaveHeader(header)) return r;
  if (int err = device->Queue(header); err != 0) {
    header->flags.fetch_and(~kWaveHeaderInQueue, std::memory_order_relaxed);
    return Failed(err, kMmError);
  }
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveInStart(WaveHandle handle) {
  Device* device = Find(handle, true);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Start();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveInStop(WaveHandle handle) {
  Device* device = Find(handle, true);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Stop();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveInReset(WaveHandle handle) {
  Device* device = Find(handle, true);
  if (device == nullptr) return kMmInvalidHandle;
  const int err = device->Reset();
  return err == 0 ? kMmNoError : Failed(err, kMmError);
}

MmResult AlsaWaveApi::WaveInGetPosition(WaveHandle handle, uint32_t& bytes) {
  Device* device = Find(handle, true);
  if (device == nullptr) return kMmInvalidHandle;
  if (int err = device->Broken()) return Failed(err, kMmError);
  bytes = static_cast<uint32_t>(device->PositionBytes());
  return kMmNoError;
}

MmResult AlsaWaveApi::WaveInClose(WaveHandle handle) {
  return Close(handle, true);
}

MmResult AlsaWaveApi::WaveInGetErrorText(MmResult error, std::span<char> text) {
  return ErrorText(error, text);
}

}  // namespace vx
