// Naming and the questions asked before a file is converted.
#include "encoder/pipeline/conversion_job.h"

namespace vx {

JobAnswer ConversionJob::PrepareJob(const ConversionOptions& options,
                                    const std::string& sourcePath) {
  options_ = options;
  source_ = sourcePath;
  Prompter& prompter = services_.prompter;
  PathServices& paths = services_.paths;

  const PathParts parts = SplitPath(sourcePath);
  if (!options.destinationPath.empty()) {
    destination_ = options.destinationPath;
  } else if (options.directoryMode == DirectoryMode::kSaveDirectory) {
    // The save directory is used as typed: a closing separator gives two in a row.
    const std::string& directory = options.saveDirectory;
    destination_ = directory + "/" + parts.baseName + ".vxs";
    // Only tested, never made current: jobs of a batch run beside each other and relative
    // source paths must keep their meaning.
    if (!paths.DirectoryExists(directory)) {
      if (services_.host.AskCreateDirectory(
              prompter, "The Directory [" + directory +
                            "] is not exist!!\nDo you create Directory?") != kAnswerYes)
        return JobAnswer::kStop;
      if (paths.MakeDirectory(directory) != 0) {
        prompter.MessageBox("Don't Make Directory [" + directory + "].", "", PromptButtons::kOk,
                            PromptIcon::kError);
        return JobAnswer::kStop;
      }
    }
  } else {
    destination_ = JoinPath(parts.directory, parts.baseName, "vxs");
  }

  // Creating the destination empties it: a source named like its destination would be lost.
  const std::optional<std::string> fullSource = paths.FullPath(source_);
  if (fullSource && fullSource == paths.FullPath(destination_)) {
    prompter.MessageBox("File [" + destination_ + "] is the source file itself. It is skipped.", "",
                        PromptButtons::kOk, PromptIcon::kWarning);
    return JobAnswer::kSkip;
  }

  if (options.overwriteCheck && paths.FileExists(destination_)) {
    switch (
        services_.host.AskOverwrite(prompter, "File [" + destination_ + "] exist. Overwritten?")) {
      case kAnswerYes:
        return JobAnswer::kGo;
      case kAnswerNo:
        return JobAnswer::kSkip;
      default:
        return JobAnswer::kStop;
    }
  }
  return JobAnswer::kGo;
}

}  // namespace vx
