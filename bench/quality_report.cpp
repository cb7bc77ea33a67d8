// quality_report: codes recorded speech at full and half rate and prints what the codec does
// to it: the LSF spectral distortion of the quantiser (mean, share of frames from 2 to 4 dB,
// share above 4 dB) and the segmental SNR of the round trip.
//
//   quality_report [--split validation|training|all] [--detect 0|1] PATH...
//
// A PATH that is a folder contributes its WAV files of the chosen split (default
// validation, see tools/metrics/speech_corpus.h); a PATH that is a file is always measured.
// Every frame is coded, decoded by a DecoderSession from the coded bytes, and measured
// against the encoder's high-pass-filtered input of that frame: the spectral distortion
// between the frame's unquantised LSF set and the LSF set the decoder rebuilt (speech frames
// only), and the SNR of the decoder's synthesis before the postfilter. Frames quieter than
// RMS 20 (pauses) are left out of both measures.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/decoder.h"
#include "codec/encoder.h"
#include "codec/lsf.h"
#include "tools/metrics/lpc_distortion.h"
#include "tools/metrics/segmental_snr.h"
#include "tools/metrics/speech_corpus.h"

namespace {

using vx::metrics::CorpusSplit;

struct RateFigures {
  vx::metrics::DistortionSummary distortion;
  vx::metrics::SegmentalSnr snr;
};

bool Active(std::span<const float> frame) {
  double energy = 0.0;
  for (float x : frame) energy += static_cast<double>(x) * x;
  const double rms = vx::metrics::SegmentalSnr::kDefaultMinRms;
  return energy >= rms * rms * static_cast<double>(frame.size());
}

void Measure(const std::vector<int16_t>& pcm, int rateMode, int detect, RateFigures& figures) {
  vx::EncoderSession encoder;
  vx::DecoderSession decoder;
  std::array<uint8_t, 20> frame{};
  std::array<int16_t, vx::kFrameSamples> out{};
  for (size_t at = 0; at + vx::kFrameSamples <= pcm.size(); at += vx::kFrameSamples) {
    const int bytes =
        encoder.EncodeFrame(std::span<const int16_t>(pcm.data() + at, vx::kFrameSamples), 8000,
                            frame, detect, rateMode);
    decoder.DecodeFrame(std::span<const uint8_t>(frame.data(), static_cast<size_t>(bytes)), out,
                        8000, 0, 1);
    if (!Active(encoder.LastSpeech())) continue;
    figures.snr.AddSegment(encoder.LastSpeech(), decoder.LastSynthesis());
    const vx::FrameType type = encoder.LastFrameType();
    if (type == vx::FrameType::kFullRate || type == vx::FrameType::kHalfRate)
      figures.distortion.Add(vx::metrics::LsfSpectralDistortionDb(encoder.UnquantisedLsf()[3],
                                                                  decoder.LsfState().decoded));
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: quality_report [--split validation|training|all] [--detect 0|1] PATH...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  CorpusSplit split = CorpusSplit::kValidation;
  const char* splitName = "validation";
  int detect = 0;
  std::vector<std::string> roots;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--split" && i + 1 < argc) {
      splitName = argv[++i];
      if (std::strcmp(splitName, "validation") == 0)
        split = CorpusSplit::kValidation;
      else if (std::strcmp(splitName, "training") == 0)
        split = CorpusSplit::kTraining;
      else if (std::strcmp(splitName, "all") == 0)
        split = CorpusSplit::kAll;
      else
        return Usage();
    } else if (arg == "--detect" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value != "0" && value != "1") return Usage();
      detect = value == "1";
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      roots.push_back(arg);
    }
  }
  if (roots.empty()) return Usage();

  std::array<RateFigures, 2> figures;  // full rate, half rate
  size_t files = 0, samples = 0;
  for (const std::string& root : roots) {
    std::string error;
    const auto list = vx::metrics::ListCorpus(root, split, error);
    if (!error.empty() || list.empty()) {
      std::fprintf(stderr, "quality_report: %s\n",
                   error.empty() ? (root + ": no WAV files of the " + splitName + " split").c_str()
                                 : error.c_str());
      return 1;
    }
    for (const auto& file : list) {
      std::vector<int16_t> pcm;
      if (!vx::metrics::ReadSpeechWav(file.path, pcm, error)) {
        std::fprintf(stderr, "quality_report: skipped %s\n", error.c_str());
        continue;
      }
      ++files;
      samples += pcm.size();
      for (int rateMode = 0; rateMode < 2; ++rateMode)
        Measure(pcm, rateMode, detect, figures[static_cast<size_t>(rateMode)]);
    }
  }
  if (files == 0) {
    std::fprintf(stderr, "quality_report: nothing measured\n");
    return 1;
  }

  std::printf("%zu files, %.1f s of speech (folders: %s split), detect %d\n", files,
              static_cast<double>(samples) / 8000.0, splitName, detect);
  std::printf("rate  SD frames  SD mean dB  2-4 dB %%  >4 dB %%  segments  segSNR dB\n");
  const char* names[] = {"full", "half"};
  for (size_t r = 0; r < figures.size(); ++r) {
    const RateFigures& f = figures[r];
    std::printf("%-4s  %9zu  %10.3f  %8.2f  %7.3f  %8zu  %9.2f\n", names[r], f.distortion.Frames(),
                f.distortion.MeanDb(), 100.0 * f.distortion.ShareBetween2And4(),
                100.0 * f.distortion.ShareAbove4(), f.snr.Segments(), f.snr.MeanDb());
  }
  return 0;
}
