// vxtool encode [options] FILE...: each WAV file through the file encoder's pipeline, as the
// file encoder admits, names, asks and converts, with the questions answered by options or on
// the terminal, up to -j files at once.
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "encoder/pipeline/conversion_batch.h"
#include "encoder/pipeline/conversion_job.h"
#include "encoder/pipeline/source_admission.h"
#include "io/file_stream.h"
#include "platform/headless/terminal_prompter.h"
#include "platform/path_services.h"
#include "tools/vxtool/cli.h"
#include "tools/vxtool/commands.h"
#include "tools/vxtool/stop_signals.h"

namespace vx::cli {

const std::string_view kEncodeHelp =
    "usage: vxtool encode [options] FILE...\n"
    "  Converts WAV files (16-bit PCM at 8000 to 48000 Hz, mono or stereo) into compressed\n"
    "  speech files: FILE.wav gives FILE.vxs beside it.\n"
    "  -o OUT.vxs      the output's name (one FILE only)\n"
    "  --out-dir DIR   write the outputs into DIR\n"
    "  --half          half-rate speech frames (4800 bit/s) in place of full rate (7600 bit/s)\n"
    "  --fixed         no activity decision: every frame a speech frame (fixed-rate stream)\n"
    "  --right         code the second channel of stereo files (default: the first)\n"
    "  --overwrite     replace existing outputs without asking\n"
    "  --skip          leave existing outputs alone and skip their files\n"
    "  --yes           create a missing --out-dir without asking\n"
    "  -j N            convert N files at once (default 1)\n"
    "  Ctrl-C asks whether to abort; an aborted output keeps the frames written so far.\n";

namespace {

struct EncodeOptions {
  ConversionOptions conversion;
  int overwriteAnswer = 0;  // kAnswerYes for --overwrite, kAnswerNo for --skip, 0 to ask
  bool createDirectory = false;
  int parallel = 1;
};

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The terminal of one batch, shared by its jobs: messages, questions and the progress line
// (a bar per running file on a terminal, a plain line per file otherwise). Every output
// happens under one lock, so a question stops the progress line until it is answered.
class Console {
 public:
  Console()
      : interactive_(isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1),
        bars_(isatty(STDERR_FILENO) == 1),
        terminal_("vxtool encode", std::cin, std::cerr, interactive_, kAnswerNo) {}

  bool Interactive() const { return interactive_; }

  void Message(const std::string& text, std::string_view caption) {
    std::lock_guard lock(mutex_);
    ClearLine();
    std::fprintf(stderr, "vxtool: encode: %s%s%s\n", std::string(caption).c_str(),
                 caption.empty() ? "" : ": ", text.c_str());
    Draw();
  }

  int Ask(const std::string& text, PromptButtons buttons) {
    std::lock_guard lock(mutex_);
    ClearLine();
    const int answer = terminal_.MessageBox(text, "", buttons, PromptIcon::kQuestion);
    Draw();
    return answer;
  }

  // One answer per interrupt for all the jobs that saw it: asked on a terminal, Yes without.
  int ConfirmAbort(int interrupt) {
    std::lock_guard lock(mutex_);
    if (interrupt != abortInterrupt_) {
      abortInterrupt_ = interrupt;
      ClearLine();
      if (interactive_) {
        abortAnswer_ = terminal_.MessageBox("Convert Aboart?(Y/N)", "", PromptButtons::kYesNo,
                                            PromptIcon::kQuestion);
      } else {
        std::fprintf(stderr, "vxtool: encode: interrupted: the conversion is aborted\n");
        abortAnswer_ = kAnswerYes;
      }
      Draw();
    }
    return abortAnswer_;
  }

  void Started(const ConversionJob& job) {
    std::lock_guard lock(mutex_);
    running_.push_back({&job, BaseName(job.SourcePath()), 0, ""});
    if (!bars_) {
      std::fprintf(stderr, "%s -> %s\n", job.SourcePath().c_str(), job.DestinationPath().c_str());
      return;
    }
    Draw();
  }

  void Progress(const ConversionJob& job) {
    if (!bars_) return;
    std::lock_guard lock(mutex_);
    for (Running& entry : running_) {
      if (entry.job != &job) continue;
      const bool changed = entry.percent != job.Percent();
      entry.percent = job.Percent();
      entry.status = job.StatusText();
      const auto now = std::chrono::steady_clock::now();
      if (changed && now - lastDraw_ >= std::chrono::milliseconds(100)) Draw();
    }
  }

  // Ends a job's bar and prints its summary: `line` on stdout, `error` on stderr.
  void Finished(const ConversionJob& job, const std::string& line, const std::string& error) {
    std::lock_guard lock(mutex_);
    ClearLine();
    std::erase_if(running_, [&](const Running& entry) { return entry.job == &job; });
    if (!line.empty()) {
      std::fprintf(stdout, "%s\n", line.c_str());
      std::fflush(stdout);
    }
    if (!error.empty()) std::fprintf(stderr, "vxtool: encode: %s\n", error.c_str());
    Draw();
  }

 private:
  struct Running {
    const ConversionJob* job;
    std::string name;
    int percent;
    std::string status;
  };

  void ClearLine() {
    if (bars_ && drawn_) std::fprintf(stderr, "\r\x1b[K");
    drawn_ = false;
  }

  // One line: for each running file its name, a bar, the percentage and the status text.
  void Draw() {
    if (!bars_ || running_.empty()) return;
    winsize size{};
    const int width =
        ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
    const size_t segment = static_cast<size_t>(width - 1) / running_.size();
    std::string line;
    for (const Running& entry : running_) {
      char tail[48];
      std::snprintf(tail, sizeof tail, "] %3d %% %s", entry.percent, entry.status.c_str());
      std::string name = entry.name;
      const size_t fixed = std::string_view(tail).size() + 3;  // " [" and a separator
      size_t bar = segment > fixed + name.size() ? segment - fixed - name.size() : 0;
      if (bar < 10) {
        const size_t keep = segment > fixed + 10 ? segment - fixed - 10 : 0;
        if (name.size() > keep) name = name.substr(0, keep);
        bar = segment > fixed + name.size() ? segment - fixed - name.size() : 0;
      }
      bar = std::min<size_t>(bar, 40);
      const size_t filled = bar * static_cast<size_t>(std::clamp(entry.percent, 0, 100)) / 100;
      std::string text =
          name + " [" + std::string(filled, '#') + std::string(bar - filled, '-') + tail;
      text.resize(std::min(text.size(), segment > 1 ? segment - 1 : 0));
      line += text;
      line += std::string(segment - text.size(), ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    drawn_ = true;
    lastDraw_ = std::chrono::steady_clock::now();
  }

  const bool interactive_;
  const bool bars_;
  TerminalPrompter terminal_;
  std::mutex mutex_;
  std::vector<Running> running_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  int abortInterrupt_ = 0;
  int abortAnswer_ = kAnswerNo;
};

// The prompter and host of one file's job: the pipeline's questions are answered from the
// options, asked on the terminal, or (without a terminal and without an answering option)
// refused with the question as the error; a stop request (Ctrl-C) becomes the job's abort
// request. Its message boxes are notices with OK.
class JobConsole final : public Prompter, public ConversionHost {
 public:
  JobConsole(Console& console, const EncodeOptions& options)
      : console_(console), options_(options), seenInterrupts_(StopSignals::Requests()) {}

  int MessageBox(std::string_view text, std::string_view caption, PromptButtons buttons,
                 PromptIcon) override {
    console_.Message(std::string(text), caption);
    return FitAnswer(buttons, kAnswerOk);
  }

  int AskOverwrite(Prompter&, const std::string& question) override {
    if (options_.overwriteAnswer) return options_.overwriteAnswer;
    if (console_.Interactive()) return console_.Ask(question, PromptButtons::kYesNoCancel);
    console_.Message(question + " (give --overwrite or --skip)", "");
    return kAnswerCancel;
  }

  int AskCreateDirectory(Prompter&, const std::string& question) override {
    if (options_.createDirectory) return kAnswerYes;
    if (console_.Interactive()) return console_.Ask(question, PromptButtons::kYesNo);
    console_.Message(question + " (give --yes to create it)", "");
    return kAnswerNo;
  }

  // One answer per interrupt for all the jobs that saw it.
  int ConfirmAbort(Prompter&, const std::string&) override {
    return console_.ConfirmAbort(abortInterrupt_);
  }

  void ServiceEvent(ConversionJob& job) override {
    const int interrupts = StopSignals::Requests();
    if (interrupts != seenInterrupts_) {
      seenInterrupts_ = interrupts;
      abortInterrupt_ = interrupts;
      job.RequestAbort();
    }
  }

  void ShowProgress(const ConversionJob& job) override { console_.Progress(job); }

 private:
  Console& console_;
  const EncodeOptions& options_;
  int seenInterrupts_;
  int abortInterrupt_ = 0;  // the interrupt whose abort request was made last
};

std::string Summary(const ConversionJob& job) {
  const ConversionCounts& counts = job.Counts();
  const double seconds = static_cast<double>(counts.Frames()) * 0.020;
  const long bitRate =
      seconds > 0 ? static_cast<long>(static_cast<double>(counts.frameBytes) * 8 / seconds + 0.5)
                  : 0;
  char text[256];
  std::snprintf(text, sizeof text,
                ": %lld frames (%lld full, %lld half, %lld noise, %lld silence), %.2f s, "
                "%ld bit/s",
                static_cast<long long>(counts.Frames()), static_cast<long long>(counts.full),
                static_cast<long long>(counts.half), static_cast<long long>(counts.noise),
                static_cast<long long>(counts.silence), seconds, bitRate);
  return job.SourcePath() + " -> " + job.DestinationPath() + text;
}

struct Entry {
  std::string source;
  std::unique_ptr<JobConsole> console;
  std::unique_ptr<ConversionJob> job;
};

}  // namespace

int RunEncodeCommand(std::span<char* const> argv) {
  Args args(argv);
  EncodeOptions options;
  ConversionOptions& conversion = options.conversion;
  if (args.Flag("--half")) conversion.rateMode = 1;
  conversion.fixedRate = args.Flag("--fixed");
  if (args.Flag("--right")) conversion.stereoChannel = StereoChannel::kRight;
  const bool overwrite = args.Flag("--overwrite"), skip = args.Flag("--skip");
  options.overwriteAnswer = overwrite ? kAnswerYes : skip ? kAnswerNo : 0;
  options.createDirectory = args.Flag("--yes");
  const std::optional<std::string> outDir = args.Value("--out-dir");
  const std::optional<std::string> output = args.Value("-o");
  const std::optional<std::string> parallel = args.Value("-j");
  const std::vector<std::string> files = args.Positional();
  if (!args.Error().empty()) return Fail("encode: " + args.Error());
  if (files.empty()) {
    std::fwrite(kEncodeHelp.data(), 1, kEncodeHelp.size(), stderr);
    return 1;
  }
  if (overwrite && skip) return Fail("encode: --overwrite and --skip exclude each other");
  if (output && (files.size() != 1 || outDir))
    return Fail("encode: -o names the output of a single FILE, without --out-dir");
  if (outDir) {
    conversion.directoryMode = DirectoryMode::kSaveDirectory;
    conversion.saveDirectory = *outDir;
  }
  if (output) conversion.destinationPath = *output;
  if (parallel) {
    std::optional<long> value = ParseNumber(*parallel, 1, 64);
    if (!value) return Fail("encode: -j takes a number of files from 1 to 64");
    options.parallel = static_cast<int>(*value);
  }

  PosixFileOpener opener;
  PosixPathServices paths;
  Console console;
  size_t converted = 0;

  // Admission, naming and the questions, file by file in the order given.
  std::vector<Entry> ready;
  std::map<std::string, std::string> claimed;  // full destination path -> its source
  for (const std::string& source : files) {
    const SourceAdmission admission = AdmitSource(opener, source);
    if (!admission.admitted) {
      console.Message(admission.refusal, "");
      continue;
    }
    Entry entry{source, std::make_unique<JobConsole>(console, options), nullptr};
    entry.job = std::make_unique<ConversionJob>(
        ConversionServices{opener, paths, *entry.console, *entry.console});
    const JobAnswer answer = entry.job->PrepareJob(conversion, source);
    if (answer == JobAnswer::kStop) {
      console.Message("the batch stops at " + source, "");
      break;
    }
    if (answer == JobAnswer::kSkip) continue;
    const std::string destination =
        paths.FullPath(entry.job->DestinationPath()).value_or(entry.job->DestinationPath());
    if (auto [at, fresh] = claimed.emplace(destination, source); !fresh) {
      console.Message(source + ": its output " + entry.job->DestinationPath() +
                          " is already the output of " + at->second + "; skipped",
                      "");
      continue;
    }
    ready.push_back(std::move(entry));
  }

  // The conversions; a failed one ends the batch, as the file encoder's Cancel does.
  {
    // Ctrl-C asks to abort in place of ending the program while the conversions run.
    StopSignals stops(StopSignals::Input::kIgnored, [] {});
    std::vector<char> ok(ready.size(), 0);
    const size_t started = RunConversionBatch(ready.size(), options.parallel, [&](size_t i) {
      ConversionJob& job = *ready[i].job;
      console.Started(job);
      ok[i] = job.RunConversion() == ConversionResult::kConverted;
      if (ok[i]) {
        console.Finished(job, Summary(job), "");
      } else {
        std::string error = job.SourcePath() + ": not converted: " + job.FailureText();
        if (job.DestinationCreated())
          error += " (" + job.DestinationPath() + " holds the " +
                   std::to_string(job.Counts().Frames()) + " frames written)";
        console.Finished(job, "", error);
      }
      return static_cast<bool>(ok[i]);
    });
    converted = static_cast<size_t>(std::count(ok.begin(), ok.end(), 1));
    for (size_t i = started; i < ready.size(); ++i)
      console.Message(ready[i].source + ": not converted: the batch stopped", "");
  }
  return converted == files.size() ? 0 : 1;
}

}  // namespace vx::cli
