#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/encoder.h"
#include "codec/frame_format.h"
#include "encoder/pipeline/rate_converter.h"
#include "io/byte_stream.h"
#include "platform/path_services.h"
#include "platform/prompter.h"

namespace vx {

class ConversionJob;

// What a conversion needs of the program that runs it, besides files, paths and message boxes:
// events, progress, and the answers to the three questions a job asks. Each question comes
// with its text and is answered with the message-box codes; by default it is the file
// encoder's message box on the job's prompter.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  // "File [...] exist. Overwritten?": Yes overwrites, No skips the file, Cancel stops the batch.
  virtual int AskOverwrite(Prompter& prompter, const std::string& question) {
    return prompter.MessageBox(question, "", PromptButtons::kYesNoCancel, PromptIcon::kQuestion);
  }
  // "The Directory [...] is not exist!!\nDo you create Directory?": Yes creates it.
  virtual int AskCreateDirectory(Prompter& prompter, const std::string& question) {
    return prompter.MessageBox(question, "", PromptButtons::kYesNo, PromptIcon::kQuestion);
  }
  // "Convert Aboart?(Y/N)" after an abort request: Yes aborts, No goes on.
  virtual int ConfirmAbort(Prompter& prompter, const std::string& question) {
    return prompter.MessageBox(question, "", PromptButtons::kYesNo, PromptIcon::kQuestion);
  }
  // Services one pending user-interface event. Called at fixed points: once per block read, per
  // input sample frame, per converted output sample and per frame. A Cancel button or an
  // interrupt seen here calls job.RequestAbort(); the job asks before it stops.
  virtual void ServiceEvent(ConversionJob& job) = 0;
  // The job's percent or status text has changed.
  virtual void ShowProgress(const ConversionJob& job) = 0;
};

// The platform services one job uses. A job that runs beside others gets services of its own
// or services that are safe to share between threads.
struct ConversionServices {
  FileOpener& files;
  PathServices& paths;
  Prompter& prompter;
  ConversionHost& host;
};

enum class DirectoryMode : int32_t { kSameDirectory = 1, kSaveDirectory = 2 };
enum class StereoChannel : int32_t { kLeft = 1, kRight = 2 };

// PrepareJob's answers, with the message-box codes the batch compares them as.
enum class JobAnswer : int { kGo = kAnswerYes, kSkip = kAnswerNo, kStop = kAnswerCancel };
enum class ConversionResult { kConverted, kFailed };

// The file encoder's options as one job takes them.
struct ConversionOptions {
  bool overwriteCheck = true;
  DirectoryMode directoryMode = DirectoryMode::kSameDirectory;
  StereoChannel stereoChannel = StereoChannel::kLeft;
  int rateMode = 0;             // the encoder's rate mode: 0 full rate, 1 half rate
  std::string saveDirectory{};  // directory mode 2, used as typed
  // A fixed-rate stream: no activity decision (every frame is a speech frame) and a header
  // with the variable-rate flag 0 (coding mode 242, or 244 at half rate).
  bool fixedRate = false;
  // When not empty, the destination as given, in place of the name built from the source.
  std::string destinationPath{};
};

// The frames the last RunConversion wrote, by type, and their bytes (the header not counted).
struct ConversionCounts {
  int64_t full = 0, half = 0, noise = 0, silence = 0;
  int64_t frameBytes = 0;
  int64_t Frames() const { return full + half + noise + silence; }
};

// The conversion of one WAV file into a compressed speech file: PrepareJob decides the
// destination and whether it may be written, RunConversion reads 16-bit PCM blocks, picks one
// channel, converts the rate to 8000 Hz, codes 20 ms frames and writes them behind the header.
// A job is reused from file to file; its buffers, rate converter and encoder session are its
// own, so jobs run on different threads at once.
class ConversionJob {
 public:
  static constexpr int kFrameLength = kFrameSamples;     // samples per compressed frame
  static constexpr int kOutputPerBlock = kFrameSamples;  // 8000 Hz samples a full block yields
  static constexpr int kBytesPerSample = 2;
  static constexpr int kFrameRoom = 20;  // bytes of the area a frame is coded into

  explicit ConversionJob(ConversionServices services) : services_(services) {}
  ConversionJob(const ConversionJob&) = delete;
  ConversionJob& operator=(const ConversionJob&) = delete;

  // Takes the options and the source, builds the destination name ("<base>.vxs" beside the
  // source, or "<save directory>/<base>.vxs"), offers to create a missing save directory and
  // asks before an existing destination is overwritten: Go, Skip or Stop.
  JobAnswer PrepareJob(const ConversionOptions& options, const std::string& sourcePath);

  // Converts the prepared source into the destination. After a failure or an abort inside the
  // block loop the destination is still a compressed file whose header counts the frames
  // written. A source that cannot be read as 16-bit PCM never touches the destination.
  ConversionResult RunConversion();

  // Sets the block geometry for a source format and, for rates other than 8000 Hz, the rate
  // converter. False (with FailureText) for a width other than 16 bits, a channel count other
  // than 1 or 2, or a rate outside the accepted rate table.
  bool SetupRates(int rate, int bits, int channels);
  // Turns the first `sampleFrames` frames of the input block into the output buffer: one
  // channel picked, the rate converted. False on an abort or a refused converter block.
  bool ProcessBlock(int sampleFrames);
  std::span<uint8_t> InputBlock() { return inputBlock_; }
  std::span<const int16_t> Output() const { return output_; }
  int OutputCount() const { return outputCount_; }
  int BlockSamples() const { return blockSamples_; }
  bool RateConverted() const { return rateConverted_; }

  // Asks the running conversion to stop; it asks "Convert Aboart?(Y/N)" at its next check.
  // Safe from any thread.
  void RequestAbort() { abortRequested_ = true; }

  const std::string& SourcePath() const { return source_; }
  const std::string& DestinationPath() const { return destination_; }
  int Percent() const { return percent_; }
  const std::string& PercentText() const { return percentText_; }
  const std::string& StatusText() const { return statusText_; }
  const ConversionCounts& Counts() const { return counts_; }
  // Why the last RunConversion failed, also where it showed no message; empty on success.
  const std::string& FailureText() const { return failure_; }
  // Whether the last RunConversion created (and so emptied) the destination.
  bool DestinationCreated() const { return destinationCreated_; }

 private:
  // An error message box with OK.
  void Show(const std::string& text, const char* caption);
  bool Fail(std::string why);
  bool ServiceAndCheckAbort();
  void SetPercent(int percent);
  void SetStatus(const char* status);
  bool WriteHeader(ByteStream& file, int32_t sampleCount);
  bool EncodeBlock(ByteStream& destination);

  ConversionServices services_;
  ConversionOptions options_;
  std::string source_, destination_;
  std::string percentText_, statusText_, failure_;
  int percent_ = 0;
  bool destinationCreated_ = false;
  int frameLength_ = kFrameLength;
  std::atomic<bool> abortRequested_{false};

  int channels_ = 0;
  int blockSamples_ = 0;
  bool rateConverted_ = false;
  int blocksProcessed_ = 0;
  std::vector<uint8_t> inputBlock_;       // block samples x bytes per sample x channels
  std::vector<double> conversionBuffer_;  // block samples picked values for the converter
  std::array<double, RateConverter::kMaxOutputs> converted_{};
  std::array<int16_t, kOutputPerBlock> output_{};
  int outputCount_ = 0;
  RateConverter converter_;
  EncoderSession encoder_;
  ConversionCounts counts_;
};

}  // namespace vx
