#include "audio/virtual_wave_api.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

constexpr const char* kCardName = "Vocrix virtual sound card";
constexpr auto kPacingPeriod = std::chrono::milliseconds(2);

bool DefaultAccepts(const WaveFormat& f) {
  return f.formatTag == kWaveFormatPcm && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
         (f.channels == 1 || f.channels == 2) && f.samplesPerSec >= 1000 &&
         f.samplesPerSec <= 192000 && f.blockAlign == f.channels * (f.bitsPerSample / 8) &&
         f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
}

void FillName(std::span<char> name) {
  CopyWaveText(name, kCardName);
}

}  // namespace

VirtualWaveApi::VirtualWaveApi(MessageQueue& queue, Clock& clock, VirtualCardConfig config)
    : queue_(queue), clock_(clock), config_(config), accepts_(DefaultAccepts) {
  played_.reserve(config_.playedReserve);
  virtualClock_ = dynamic_cast<VirtualClock*>(&clock);
  if (virtualClock_ != nullptr) {
    observerId_ = virtualClock_->AddObserver([this](int64_t now) {
      std::lock_guard lock(mutex_);
      CatchUpLocked(now);
    });
  } else {
    pacer_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      while (!stopping_) {
        stopPacing_.wait_for(lock, kPacingPeriod);
        if (!stopping_) CatchUpLocked(clock_.Ticks());
      }
    });
  }
}

VirtualWaveApi::~VirtualWaveApi() {
  if (virtualClock_ != nullptr) {
    virtualClock_->RemoveObserver(observerId_);
  } else {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    stopPacing_.notify_all();
    pacer_.join();
  }
}

// --- switches and inspection -------------------------------------------------------------

void VirtualWaveApi::FailNext(WaveOp op, MmResult result, int times, int after) {
  std::lock_guard lock(mutex_);
  failures_[static_cast<size_t>(op)] = Failure{after, times, result};
}

void VirtualWaveApi::FailAlways(WaveOp op, MmResult result) {
  std::lock_guard lock(mutex_);
  failures_[static_cast<size_t>(op)] = Failure{0, -1, result};
}

void VirtualWaveApi::ClearFailures() {
  std::lock_guard lock(mutex_);
  failures_.fill(Failure{});
}

void VirtualWaveApi::SetErrorText(MmResult result, std::string text) {
  std::lock_guard lock(mutex_);
  errorTexts_[result] = std::move(text);
}

void VirtualWaveApi::SetFormatFilter(std::function<bool(const WaveFormat&)> accepts) {
  std::lock_guard lock(mutex_);
  accepts_ = std::move(accepts);
}

void VirtualWaveApi::SetCaptureSource(std::vector<uint8_t> pcm) {
  std::lock_guard lock(mutex_);
  captureSource_ = std::move(pcm);
  captureCursor_ = 0;
}

size_t VirtualWaveApi::CaptureSourceRemaining() const {
  std::lock_guard lock(mutex_);
  return captureSource_.size() - captureCursor_;
}

std::vector<uint8_t> VirtualWaveApi::PlayedBytes() const {
  std::lock_guard lock(mutex_);
  return played_;
}

void VirtualWaveApi::ClearPlayed() {
  std::lock_guard lock(mutex_);
  played_.clear();
}

size_t VirtualWaveApi::OpenOutputs() const {
  std::lock_guard lock(mutex_);
  return std::count_if(outputs_.begin(), outputs_.end(), [](const Stream& s) { return s.open; });
}

size_t VirtualWaveApi::OpenInputs() const {
  std::lock_guard lock(mutex_);
  return std::count_if(inputs_.begin(), inputs_.end(), [](const Stream& s) { return s.open; });
}

size_t VirtualWaveApi::PreparedHeaders() const {
  std::lock_guard lock(mutex_);
  return preparedHeaders_;
}

size_t VirtualWaveApi::QueuedOutputBlocks(WaveHandle handle) const {
  std::lock_guard lock(mutex_);
  size_t n = 0;
  if (const Stream* s = FindStream(handle)) {
    for (const WaveHeader* h = s->head; h != nullptr; h = h->next) ++n;
  }
  return n;
}

bool VirtualWaveApi::IsOutputPaused(WaveHandle handle) const {
  std::lock_guard lock(mutex_);
  const Stream* s = FindStream(handle);
  return s != nullptr && s->paused;
}

uint32_t VirtualWaveApi::OutputVolume(WaveHandle handle) const {
  std::lock_guard lock(mutex_);
  const Stream* s = FindStream(handle);
  return s != nullptr ? s->volume : 0;
}

bool VirtualWaveApi::IsInputStarted(WaveHandle handle) const {
  std::lock_guard lock(mutex_);
  const Stream* s = FindStream(handle);
  return s != nullptr && s->started;
}

void VirtualWaveApi::CatchUp() {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
}

// --- internals ---------------------------------------------------------------------------

MmResult VirtualWaveApi::Injected(WaveOp op) {
  Failure& f = failures_[static_cast<size_t>(op)];
  if (f.remaining == 0) return kMmNoError;
  if (f.pass > 0) {
    --f.pass;
    return kMmNoError;
  }
  if (f.remaining > 0) --f.remaining;
  return f.result;
}

VirtualWaveApi::Stream* VirtualWaveApi::OutStream(WaveHandle handle) {
  if (handle < 1 || handle > kSlots) return nullptr;
  Stream& s = outputs_[handle - 1];
  return s.open ? &s : nullptr;
}

VirtualWaveApi::Stream* VirtualWaveApi::InStream(WaveHandle handle) {
  if (handle <= kInputHandleBase || handle > kInputHandleBase + kSlots) return nullptr;
  Stream& s = inputs_[handle - kInputHandleBase - 1];
  return s.open ? &s : nullptr;
}

const VirtualWaveApi::Stream* VirtualWaveApi::FindStream(WaveHandle handle) const {
  auto* self = const_cast<VirtualWaveApi*>(this);
  const Stream* s = self->OutStream(handle);
  return s != nullptr ? s : self->InStream(handle);
}

MmResult VirtualWaveApi::CheckDevice(int deviceId, uint32_t count) const {
  if (count == 0) return kMmBadDeviceId;
  if (deviceId == kWaveMapper) return kMmNoError;
  if (deviceId < 0 || static_cast<uint32_t>(deviceId) >= count) return kMmBadDeviceId;
  return kMmNoError;
}

MmResult VirtualWaveApi::OpenStream(std::array<Stream, kSlots>& streams, WaveHandle base,
                                    WaveHandle* handle, int deviceId, uint32_t count,
                                    const WaveFormat& format, TargetId notify, uint32_t flags) {
  if (MmResult r = CheckDevice(deviceId, count)) return r;
  if (!accepts_(format)) return kWaveBadFormat;
  if ((flags & kWaveFormatQuery) != 0) return kMmNoError;
  if (handle == nullptr) return kMmInvalidParam;
  for (size_t i = 0; i < kSlots; ++i) {
    if (streams[i].open) continue;
    streams[i] = Stream{};
    streams[i].open = true;
    streams[i].format = format;
    streams[i].notify = notify;
    streams[i].volume = config_.initialVolume;
    streams[i].lastTick = clock_.Ticks();
    *handle = base + static_cast<WaveHandle>(i) + 1;
    return kMmNoError;
  }
  return kMmAllocated;
}

void VirtualWaveApi::Append(Stream& stream, WaveHeader* header) {
  header->next = nullptr;
  header->deviceMark = 0;  // bytes of the block consumed so far
  if (stream.tail != nullptr) {
    stream.tail->next = header;
  } else {
    stream.head = header;
  }
  stream.tail = header;
}

void VirtualWaveApi::ReturnHead(WaveHandle handle, Stream& stream, uint32_t message) {
  WaveHeader* header = stream.head;
  stream.head = header->next;
  if (stream.head == nullptr) stream.tail = nullptr;
  header->next = nullptr;
  const uint32_t flags = header->flags.load(std::memory_order_relaxed);
  header->flags.store((flags & ~kWaveHeaderInQueue) | kWaveHeaderDone, std::memory_order_release);
  if (stream.notify != kNoTarget) {
    queue_.Post(stream.notify, message, handle, reinterpret_cast<intptr_t>(header));
  }
}

void VirtualWaveApi::CatchUpLocked(int64_t now) {
  for (size_t i = 0; i < kSlots; ++i) {
    Stream& out = outputs_[i];
    if (out.open) {
      const int64_t elapsed = std::max<int64_t>(0, now - out.lastTick);
      out.lastTick = std::max(out.lastTick, now);
      PlayFor(static_cast<WaveHandle>(i + 1), out, elapsed);
    }
    Stream& in = inputs_[i];
    if (in.open) {
      const int64_t elapsed = std::max<int64_t>(0, now - in.lastTick);
      in.lastTick = std::max(in.lastTick, now);
      CaptureFor(kInputHandleBase + static_cast<WaveHandle>(i + 1), in, elapsed);
    }
  }
}

void VirtualWaveApi::PlayFor(WaveHandle handle, Stream& stream, int64_t elapsed) {
  if (stream.paused || stream.head == nullptr) {
    stream.creditMilli = 0;  // an idle or paused card owes nothing
    return;
  }
  stream.creditMilli += static_cast<uint64_t>(elapsed) * stream.format.avgBytesPerSec;
  uint64_t bytes = stream.creditMilli / 1000;
  stream.creditMilli %= 1000;
  while (stream.head != nullptr) {
    WaveHeader* h = stream.head;
    const uint64_t left = h->bufferLength - h->deviceMark;
    const uint64_t take = std::min(bytes, left);
    played_.insert(played_.end(), h->data + h->deviceMark, h->data + h->deviceMark + take);
    h->deviceMark += take;
    stream.position += take;
    bytes -= take;
    if (h->deviceMark < h->bufferLength) break;
    ReturnHead(handle, stream, kMsgWaveOutDone);
  }
  if (stream.head == nullptr) stream.creditMilli = 0;
}

void VirtualWaveApi::CaptureFor(WaveHandle handle, Stream& stream, int64_t elapsed) {
  if (!stream.started) {
    stream.creditMilli = 0;
    return;
  }
  stream.creditMilli += static_cast<uint64_t>(elapsed) * stream.format.avgBytesPerSec;
  uint64_t bytes = stream.creditMilli / 1000;
  stream.creditMilli %= 1000;
  while (bytes > 0) {
    const uint64_t fromSource = std::min<uint64_t>(bytes, captureSource_.size() - captureCursor_);
    WaveHeader* h = stream.head;
    if (h == nullptr) {
      // No block to fill: the sound of this time is lost, as on a real card.
      captureCursor_ += fromSource;
      break;
    }
    const uint32_t recorded = h->bytesRecorded.load(std::memory_order_relaxed);
    const uint64_t take = std::min<uint64_t>(bytes, h->bufferLength - recorded);
    const uint64_t copied = std::min(take, fromSource);
    if (copied > 0) std::memcpy(h->data + recorded, captureSource_.data() + captureCursor_, copied);
    std::memset(h->data + recorded + copied, 0, take - copied);  // silence past the source
    captureCursor_ += copied;
    h->bytesRecorded.store(recorded + static_cast<uint32_t>(take), std::memory_order_relaxed);
    stream.position += take;
    bytes -= take;
    if (recorded + take == h->bufferLength) ReturnHead(handle, stream, kMsgWaveInData);
  }
}

MmResult VirtualWaveApi::ErrorText(MmResult error, std::span<char> text) const {
  if (text.empty()) return kMmInvalidParam;
  if (auto it = errorTexts_.find(error); it != errorTexts_.end()) {
    CopyWaveText(text, it->second.c_str());
    return kMmNoError;
  }
  const char* standard = WaveResultText(error);
  if (standard == nullptr) return kMmBadErrorNumber;
  CopyWaveText(text, standard);
  return kMmNoError;
}

// The shared header rules, counting the headers prepared on this card.
MmResult VirtualWaveApi::Prepare(WaveHeader* header) {
  const bool was = header != nullptr && (header->flags.load() & kWaveHeaderPrepared) != 0;
  const MmResult result = PrepareWaveHeader(header);
  if (result == kMmNoError && !was) ++preparedHeaders_;
  return result;
}

MmResult VirtualWaveApi::Unprepare(WaveHeader* header) {
  const bool was = header != nullptr && (header->flags.load() & kWaveHeaderPrepared) != 0;
  const MmResult result = UnprepareWaveHeader(header);
  if (result == kMmNoError && was) --preparedHeaders_;
  return result;
}

// --- output ------------------------------------------------------------------------------

uint32_t VirtualWaveApi::WaveOutGetNumDevs() {
  return config_.outputDevices;
}

MmResult VirtualWaveApi::WaveOutGetDevCaps(int deviceId, WaveOutCaps& caps) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kOutGetDevCaps)) return r;
  if (MmResult r = CheckDevice(deviceId, config_.outputDevices)) return r;
  caps = WaveOutCaps{};
  FillName(caps.productName);
  caps.formats = kWaveFormatAllStandard;
  caps.channels = 2;
  caps.support = config_.outputSupport;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                                     TargetId notify, uint32_t flags) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  const bool query = (flags & kWaveFormatQuery) != 0;
  if (MmResult r = Injected(query ? WaveOp::kOutQueryFormat : WaveOp::kOutOpen)) return r;
  return OpenStream(outputs_, 0, handle, deviceId, config_.outputDevices, format, notify, flags);
}

MmResult VirtualWaveApi::WaveOutPrepareHeader(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kOutPrepareHeader)) return r;
  if (OutStream(handle) == nullptr) return kMmInvalidHandle;
  return Prepare(header);
}

MmResult VirtualWaveApi::WaveOutUnprepareHeader(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutUnprepareHeader)) return r;
  if (OutStream(handle) == nullptr) return kMmInvalidHandle;
  return Unprepare(header);
}

MmResult VirtualWaveApi::WaveOutWrite(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutWrite)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  if (MmResult r = EnqueueWaveHeader(header)) return r;
  Append(*s, header);
  PlayFor(handle, *s, 0);  // an empty block is returned at once
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutPause(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutPause)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->paused = true;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutRestart(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutRestart)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->paused = false;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutReset(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutReset)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  while (s->head != nullptr) ReturnHead(handle, *s, kMsgWaveOutDone);
  s->position = 0;
  s->creditMilli = 0;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutGetPosition(WaveHandle handle, uint32_t& bytes) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutGetPosition)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  bytes = static_cast<uint32_t>(s->position);
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutGetVolume(WaveHandle handle, uint32_t& volume) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kOutGetVolume)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  volume = s->volume;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutSetVolume(WaveHandle handle, uint32_t volume) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kOutSetVolume)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->volume = volume;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutClose(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kOutClose)) return r;
  Stream* s = OutStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  if (s->head != nullptr) return kWaveStillPlaying;
  *s = Stream{};
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveOutGetErrorText(MmResult error, std::span<char> text) {
  std::lock_guard lock(mutex_);
  return ErrorText(error, text);
}

// --- input -------------------------------------------------------------------------------

uint32_t VirtualWaveApi::WaveInGetNumDevs() {
  return config_.inputDevices;
}

MmResult VirtualWaveApi::WaveInGetDevCaps(int deviceId, WaveInCaps& caps) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kInGetDevCaps)) return r;
  if (MmResult r = CheckDevice(deviceId, config_.inputDevices)) return r;
  caps = WaveInCaps{};
  FillName(caps.productName);
  caps.formats = kWaveFormatAllStandard;
  caps.channels = 2;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInOpen(WaveHandle* handle, int deviceId, const WaveFormat& format,
                                    TargetId notify, uint32_t flags) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  const bool query = (flags & kWaveFormatQuery) != 0;
  if (MmResult r = Injected(query ? WaveOp::kInQueryFormat : WaveOp::kInOpen)) return r;
  return OpenStream(inputs_, kInputHandleBase, handle, deviceId, config_.inputDevices, format,
                    notify, flags);
}

MmResult VirtualWaveApi::WaveInPrepareHeader(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  if (MmResult r = Injected(WaveOp::kInPrepareHeader)) return r;
  if (InStream(handle) == nullptr) return kMmInvalidHandle;
  return Prepare(header);
}

MmResult VirtualWaveApi::WaveInUnprepareHeader(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInUnprepareHeader)) return r;
  if (InStream(handle) == nullptr) return kMmInvalidHandle;
  return Unprepare(header);
}

MmResult VirtualWaveApi::WaveInAddBuffer(WaveHandle handle, WaveHeader* header) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInAddBuffer)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  if (header == nullptr || header->bufferLength == 0) return kMmInvalidParam;
  if (MmResult r = EnqueueWaveHeader(header)) return r;
  header->bytesRecorded.store(0, std::memory_order_relaxed);
  Append(*s, header);
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInStart(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInStart)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->started = true;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInStop(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInStop)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->started = false;
  s->creditMilli = 0;
  if (s->head != nullptr && s->head->bytesRecorded.load(std::memory_order_relaxed) > 0) {
    ReturnHead(handle, *s, kMsgWaveInData);
  }
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInReset(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInReset)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  s->started = false;
  s->creditMilli = 0;
  while (s->head != nullptr) ReturnHead(handle, *s, kMsgWaveInData);
  s->position = 0;
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInGetPosition(WaveHandle handle, uint32_t& bytes) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInGetPosition)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  bytes = static_cast<uint32_t>(s->position);
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInClose(WaveHandle handle) {
  std::lock_guard lock(mutex_);
  CatchUpLocked(clock_.Ticks());
  if (MmResult r = Injected(WaveOp::kInClose)) return r;
  Stream* s = InStream(handle);
  if (s == nullptr) return kMmInvalidHandle;
  if (s->head != nullptr) return kWaveStillPlaying;
  *s = Stream{};
  return kMmNoError;
}

MmResult VirtualWaveApi::WaveInGetErrorText(MmResult error, std::span<char> text) {
  std::lock_guard lock(mutex_);
  return ErrorText(error, text);
}

}  // namespace vx
