#pragma once

#include <functional>
#include <string_view>

namespace vx {

// Status codes of the codec. Operations return 0 on success and one of the negative codes
// otherwise; the codec never throws.
constexpr int kCodecOk = 0;
constexpr int kCodecWrongMagic = -101;           // header does not start with "VXHD"
constexpr int kCodecUnsupportedVersion = -102;   // version string neither "VX960401" nor "VX9703.."
constexpr int kCodecUnsupportedSampling = -103;  // sampling code other than 0 (8000 Hz)
constexpr int kCodecUnsupportedMode = -104;      // coding mode, rate mode or stream type unknown
constexpr int kCodecValueOutOfRange =
    -105;                             // a decoded value was out of range; frame still decoded
constexpr int kCodecNoOutput = -128;  // the output request cannot be served; nothing written

// Receives the codec's diagnostic texts ("Wrong data.", "Library error.", ...). The codec
// carries on after every diagnostic; callers act on the status codes only.
using CodecErrorSink = std::function<void(std::string_view message)>;

}  // namespace vx
