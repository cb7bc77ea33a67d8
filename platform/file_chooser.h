#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vx {

// What an open-file dialog is asked for. The filter has the old form: pairs of description and
// pattern separated by '|', ended by "||".
struct OpenFileRequest {
  std::string defaultExtension;  // added to a typed name without extension, such as "vxs"
  std::string initialName;       // such as "*.vxs"
  std::string filter;
  bool mustExist = true;
};

// What a save-file dialog is asked for.
struct SaveFileRequest {
  std::string_view defaultExtension;  // "vxs"
  std::string_view initialName;       // "*.vxs"
  std::string_view filter;            // pairs of caption and pattern, '|'-separated
  bool promptOverwrite = true;        // ask before replacing an existing file
  bool pathMustExist = true;          // the chosen directory must exist
};

// Asks the user for a file. The native dialogs cannot be answered from a test, so programs
// take their file choosers through this interface.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
};

}  // namespace vx
