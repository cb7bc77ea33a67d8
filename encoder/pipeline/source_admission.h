#pragma once

#include <string>

#include "io/byte_stream.h"

namespace vx {

// Whether a WAV file may join the file encoder's batch: a readable PCM WAVE file of 16 bits
// per sample, one or two channels, at a rate of the accepted rate table.
struct SourceAdmission {
  bool admitted = false;
  int rate = 0, bits = 0, channels = 0;  // set once the format was read
  std::string quality;                   // "%5.1fKHz %2dBits %s" once the format was read
  std::string refusal;                   // the "Sorry..." message when not admitted
};

SourceAdmission AdmitSource(FileOpener& files, const std::string& path);

// The format part of a file list entry: the rate in kHz (rate / 100 rounded down, then / 10,
// so 11025 Hz shows as 11.0), the bits and the channel label " Mono ", "Stereo", or for other
// counts the count and "Ch" in the same six places (" 4 Ch ").
std::string QualityText(int rate, int bits, int channels);

}  // namespace vx
