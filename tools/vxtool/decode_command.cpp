// vxtool decode IN OUT.wav [--rate 8000|11000|11025] [--verbose]: every frame to 16-bit mono PCM.
#include <cstdio>
#include <string>
#include <vector>

#include "codec/frame_format.h"

#include "tools/vxtool/cli.h"
#include "tools/vxtool/commands.h"
#include "tools/vxtool/speech_input.h"
#include "wavfile/wave_file.h"

namespace vx::cli {

const std::string_view kDecodeHelp =
    "usage: vxtool decode IN OUT.wav [--rate 8000|11000|11025] [--verbose]\n"
    "  Decodes every frame of IN (bare, or inside a RIFF WAVE file) into a 16-bit mono WAV\n"
    "  file. OUT.wav appears only once it is complete.\n"
    "  --rate R    8000 Hz (the default) or 11000 Hz; 11025 is served at 11000 Hz\n"
    "  --verbose   print the codec's diagnostics\n";

int RunDecodeCommand(std::span<char* const> argv) {
  Args args(argv);
  std::optional<std::string> rateText = args.Value("--rate");
  CodecMessages messages(args.Flag("--verbose"));
  std::vector<std::string> files = args.Positional();
  if (!args.Error().empty()) return Fail("decode: " + args.Error());
  if (files.size() != 2) return FailUsage(kDecodeHelp);
  int rate = 8000;
  if (rateText) {
    std::optional<long> value = ParseNumber(*rateText, 0, 1000000);
    if (!value || (*value != 8000 && *value != 11000 && *value != 11025))
      return Fail("decode: --rate takes 8000, 11000 or 11025");
    rate = static_cast<int>(*value);
  }
  // 11025 Hz is served at 11000 Hz, the rate the decoder's converter really produces.
  const int outputRate = rate == 8000 ? 8000 : 11000;
  const std::string& in = files[0];
  const std::string& out = files[1];

  SpeechInput input;
  if (std::string error = OpenSpeechInput(in, input); !error.empty()) return Fail(error);
  DecoderSession session;
  session.SetErrorSink(messages.Sink());
  int32_t sampleCount = 0;
  int streamType = 0;
  if (std::string error = ReadSpeechHeader(session, messages, input, sampleCount, streamType);
      !error.empty())
    return Fail(in + ": " + error);

  AtomicOutput output;
  if (int result = output.Open(out); result < 0) return Fail(out + ": " + ErrorText(result));
  WaveWriter writer;
  if (writer.CreateWaveFormat(output.Stream(), outputRate, 16, 1) != 0 ||
      writer.CreateWaveData(output.Stream()) != 0)
    return Fail(out + ": " + writer.LastError());
  uint8_t pcm[kFramePcmBytes11000];
  long frames = 0;
  for (;;) {
    int bytes =
        session.ReadAndDecodeFrame(*input.stream, pcm, outputRate / 1000, streamType, false);
    if (bytes == 0) break;
    if (bytes < 0) return Fail(in + ": frame " + std::to_string(frames) + ": " + ErrorText(bytes));
    if (output.Stream().Write(std::span<const uint8_t>(pcm, static_cast<size_t>(bytes))) != bytes)
      return Fail(out + ": the disk is full or the file cannot be written");
    ++frames;
  }
  if (writer.CloseWaveData(output.Stream()) != 0 || writer.CloseWaveRiff(output.Stream()) != 0)
    return Fail(out + ": " + writer.LastError());
  if (int result = output.Commit(); result < 0) return Fail(out + ": " + ErrorText(result));
  std::printf("%s: %ld frames, %ld ms decoded to %s at %d Hz\n", in.c_str(), frames, frames * 20,
              out.c_str(), outputRate);
  return 0;
}

}  // namespace vx::cli
