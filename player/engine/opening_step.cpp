// Opening: the file, the RIFF WAVE wrapper probe, the device (with the retry question) and
// the stream header, then Playing (or Seeking when a seek target waits).

#include <algorithm>
#include <cstdio>
#include <limits>

#include "codec/frame_format.h"
#include "player/engine/playback_engine.h"

namespace vx {
namespace {

// The decoder writes 16-bit mono PCM at 8000 Hz, or at 11000 Hz for 11000 and 11025 Hz.
bool DecoderCanProduce(int rate, int bits, int channels) {
  return bits == 16 && channels == 1 && (rate == 8000 || rate == 11000 || rate == 11025);
}

// Fewest bytes a frame of the stream can take: fixed-rate streams hold 19- or 12-byte
// frames, variable-rate ones may hold 1-byte silence frames.
int64_t SmallestFrameBytes(int streamType) {
  const int fixed = IsVariableRateStream(streamType) ? 0 : StreamFrameBytes(streamType, 0);
  return fixed > 0 ? fixed : FrameBytes(FrameType::kSilence);
}

}  // namespace

void PlaybackEngine::StepOpening() {
  uint32_t deviceCount = 0;
  WaveOutCaps caps;
  device_.GetDevCaps(deviceId_, deviceCount, caps);

  if (!OpenInput()) {
    active_ = false;
    return;
  }
  bool wrapped = false;
  int64_t fileBytes = 0;
  if (!ProbeWrapper(wrapped, fileBytes)) {
    active_ = false;
    CloseInput("Vocrix File Close Error");
    return;
  }
  frameMs_ = kFrameMs;
  if (!OpenDevice()) {
    closeRequested_ = true;
    CloseInput("Vocrix File Close Error");
    return;
  }
  // Nothing sounds until the first block is written and the device restarted.
  if (device_.Pause() != 0) {
    runFailed_ = true;
    state_ = PlaybackState::kDraining;
    return;
  }
  EnterStream(wrapped, fileBytes);
}

bool PlaybackEngine::OpenInput() {
  path_ = documentPath_ ? documentPath_() : std::string();
  int error = 0;
  file_ = files_.Open(path_, FileMode::kRead, error);
  if (!file_) {
    std::snprintf(messageText_, sizeof messageText_, "mmioOpen(\"%s\") Error!!", path_.c_str());
    ShowError(messageText_, "Vocrix File Open Error");
    return false;
  }
  return true;
}

bool PlaybackEngine::ProbeWrapper(bool& wrapped, int64_t& fileBytes) {
  int rate = 0, bits = 0, channels = 0;
  wrapped = waveReader_.ReadWaveFormat(*file_, rate, bits, channels) == 0;
  if (!wrapped) {
    // A bare compressed stream from offset 0.
    rate_ = 8000;
    bits_ = 16;
    channels_ = 1;
    fileBytes = file_->Seek(0, SeekOrigin::kEnd);
    if (fileBytes < 0 || file_->Seek(0, SeekOrigin::kBegin) != 0) {
      runFailed_ = true;
      return false;
    }
  } else {
    if (!DecoderCanProduce(rate, bits, channels)) {
      std::snprintf(messageText_, sizeof messageText_,
                    "The WAVE file holds %d Hz, %d-bit, %d-channel sound; compressed speech "
                    "plays only as 16-bit mono at 8000, 11000 or 11025 Hz.",
                    rate, bits, channels);
      ShowError(messageText_, "Vocrix File Error");
      return false;
    }
    rate_ = static_cast<uint32_t>(rate);
    bits_ = static_cast<uint16_t>(bits);
    channels_ = static_cast<uint16_t>(channels);
    if (device_.QueryFormat(deviceId_, rate_, bits_, channels_) != 0) {
      runFailed_ = true;
      return false;
    }
  }
  pcmRate_ = rate_ == 8000 ? 8000 : 11000;
  bytesPerFrame_ = rate_ == 8000 ? kFramePcmBytes : kFramePcmBytes11000;
  return true;
}

bool PlaybackEngine::OpenDevice() {
  for (;;) {
    if (device_.OpenStream(target_, deviceId_, rate_, bits_, channels_, kBlockCount, kBlockBytes) ==
        0) {
      return true;
    }
    if (prompter_.MessageBox(retryOpenText_, "", PromptButtons::kOkCancel, PromptIcon::kNone) !=
        kAnswerOk) {
      runFailed_ = true;
      active_ = false;
      return false;
    }
  }
}

void PlaybackEngine::KeepControlsFor(int64_t streamBytes) {
  // Entries of another file would send a seek to wrong places. A file is taken for the same
  // one when its path and its stream's length are unchanged.
  if (path_ == listPath_ && streamBytes == listBytes_) return;
  controlList_.Clear();
  listPath_ = path_;
  listBytes_ = streamBytes;
}

void PlaybackEngine::EnterStream(bool wrapped, int64_t fileBytes) {
  int64_t dataStart = 0;
  int64_t dataLength = fileBytes;
  if (wrapped) {
    uint32_t size = 0;
    dataStart = waveReader_.FindWaveData(*file_, size) == 0 ? file_->Tell() : int64_t{-1};
    if (dataStart < 0) {
      ShowError("SeekWaveData() Error!!", "Vocrix File Error");
      state_ = PlaybackState::kDraining;
      return;
    }
    // The compressed stream ends with the chunk: what follows it is no frame.
    dataLength = size;
  }
  input_.emplace(*file_, dataStart, dataLength);
  KeepControlsFor(dataLength);

  if (decoder_.GetVocrixHeader(*input_, totalSamples_, streamType_) != 0) {
    ShowError("GetVocrixHeader() Error!!", "Vocrix File Error");
    closeRequested_ = true;
    state_ = PlaybackState::kDraining;
    return;
  }
  firstFrameOffset_ = input_->Tell();
  streamEntered_ = true;

  totalText_[0] = '\0';
  display_.ClearForStream();
  totalFrames_ = 0;
  dataBytes_ = 0;
  if (totalSamples_ < 0) {
    totalSamples_ = -1;
  } else {
    totalFrames_ = totalSamples_ / kFrameSamples;
    // PCM of the samples at the output rate: (bits × channels / 8) × samples at 8000 Hz,
    // 11/8 of that at 11 kHz.
    dataBytes_ = int64_t{totalSamples_} * bytesPerFrame_ / kFrameSamples;
    const auto bytes =
        static_cast<uint32_t>(std::min<int64_t>(dataBytes_, std::numeric_limits<uint32_t>::max()));
    FormatTimeText(WaveBytesToMsec(bytes, pcmRate_, 16, 1), totalText_);
  }

  // Room for every frame the stream can hold, so that playing appends without taking
  // memory: the header's count (one more for a last, partial frame), never more than the
  // data can hold; without a count, what the data can hold up to 30 minutes. Should the
  // room not be had, the list grows as frames come.
  const int64_t smallest = SmallestFrameBytes(streamType_);
  const int64_t left = std::max<int64_t>(0, dataLength - firstFrameOffset_);
  const int64_t fit = left / smallest + (left % smallest != 0 ? 1 : 0);
  const int64_t wanted = totalSamples_ >= 0
                             ? std::min<int64_t>(int64_t{totalFrames_} + 1, fit)
                             : std::min<int64_t>(fit, static_cast<int64_t>(kUnknownCountReserve));
  controlList_.Reserve(static_cast<size_t>(wanted));

  device_.SetVolume(volume_);
  DrawVolume();
  UpdateDisplay(kTimeFromDevice, kSliderSetRange);

  frameIndex_ = 0;
  needBlock_ = needRestart_ = decoding_ = true;
  replayRequested_ = false;
  baseBytes_ = 0;
  state_ = seekTarget_ > 0 ? PlaybackState::kSeeking : PlaybackState::kPlaying;
}

}  // namespace vx
