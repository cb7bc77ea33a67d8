#include "recorder/pipeline/time_display.h"

#include <algorithm>
#include <cstdio>

#include "recorder/pipeline/recording_pipeline.h"
#include "wavfile/wave_file.h"

namespace vx {

int64_t RecordDisplaySecond(int64_t ms) {
  return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

void FormatRecordTime(int64_t second, std::span<char, 16> text) {
  // Positions are 32-bit byte counts, so minutes stay far below the limit kept here.
  const int64_t magnitude = std::min<int64_t>(second < 0 ? -second : second, int64_t{60} * 999999);
  std::snprintf(text.data(), text.size(), "%c%2d:%02d", second < 0 ? '-' : ' ',
                static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
}

void RecordingPipeline::UpdateTimeDisplay(int mode) {
  int64_t ms = 0;
  switch (mode) {
    case kRecordTimePosition:
      // A position that cannot be had is shown once per run, not at every turn.
      if (device_.IsOpen() && !positionFailed_) {
        uint32_t bytes = 0;
        if (device_.GetCapturePosition(bytes) == 0) {
          sampleBytes_ = bytes;
        } else {
          positionFailed_ = true;
        }
      }
      ms = WaveBytesToMsec(sampleBytes_, kRate, kBits, kChannels);
      break;
    case kRecordTimeReset:
      view_.ClearTimeBox();
      lastShownSecond_ = -4;
      ms = -kCountdownMs;
      break;
    case kRecordTimeCountdown:
      ms = -int64_t{WaveBytesToMsec(sampleBytes_, kRate, kBits, kChannels)};
      break;
    default:
      break;
  }
  const int64_t second = RecordDisplaySecond(ms);
  if (second != lastShownSecond_) {
    FormatRecordTime(second, timeText_);
    view_.DrawTimeText(timeText_.data());
    lastShownSecond_ = second;
  }
  view_.DrawRateLamps(rateMode_ == 1, rateMode_ == 0);
}

}  // namespace vx
