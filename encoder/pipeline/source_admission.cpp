#include "encoder/pipeline/source_admission.h"

#include <cstdio>

#include "encoder/pipeline/accepted_rates.h"
#include "wavfile/wave_file.h"

namespace vx {

std::string QualityText(int rate, int bits, int channels) {
  char label[16];
  if (channels == 1) {
    std::snprintf(label, sizeof label, " Mono ");
  } else if (channels == 2) {
    std::snprintf(label, sizeof label, "Stereo");
  } else {
    std::snprintf(label, sizeof label, "%2d Ch ", channels);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%5.1fKHz %2dBits %s", (rate / 100) / 10.0, bits, label);
  return text;
}

SourceAdmission AdmitSource(FileOpener& files, const std::string& path) {
  SourceAdmission admission;
  if (GetWaveInfo(files, path, admission.rate, admission.bits, admission.channels) != 1) {
    admission.refusal =
        "Sorry...It can't be converted.\nThis file isn't wav format.\n\nFile [" + path + "]";
    return admission;
  }
  admission.quality = QualityText(admission.rate, admission.bits, admission.channels);
  admission.admitted = NominalRate(admission.rate) != 0 && admission.bits == 16 &&
                       (admission.channels == 1 || admission.channels == 2);
  if (!admission.admitted) {
    admission.refusal = "Sorry...This Wave File can't be converted.\n\nFile[" + path +
                        "]\nQuality:" + admission.quality;
  }
  return admission;
}

}  // namespace vx
