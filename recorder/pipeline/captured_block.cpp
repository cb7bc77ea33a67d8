#include <cstring>

#include "recorder/pipeline/recording_pipeline.h"

namespace vx {

bool RecordingPipeline::OnCapturedBlock() {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  if (device_.GetFilledBlock(data, size) != 0 || data == nullptr) {
    ShowError("GetBufferWaveDevice() Error!!");
    return false;
  }
  // Every whole frame of the block: 25 frames of 160 samples in 8000 bytes. The samples are
  // copied out, so that the codec reads them as 16-bit values whatever the block's alignment.
  const uint32_t samples = size / 2;
  const int rateCode = static_cast<int>(kRate / 1000);
  for (uint32_t p = 0; p + kFrameLength <= samples; p += kFrameLength) {
    std::memcpy(framePcm_.data(), data + p * 2, sizeof framePcm_);
    const int n = encoder_.EncodeFrame(framePcm_, rateCode, frameBytes_, detect_, rateMode_);
    const auto bytes =
        std::span<const uint8_t>(frameBytes_).first(static_cast<size_t>(n > 0 ? n : 0));
    if (n <= 0 || file_->Write(bytes) != n) {
      ShowError("WriteVocrixBuffer() Error!!");
      return false;
    }
    ++frames_;
  }
  if (device_.RequeueBlock() != 0) {
    ShowError("WriteOutBuffer() Error!!");
    return false;
  }
  return true;
}

}  // namespace vx
