#pragma once

#include <optional>
#include <string>

namespace vx {

// What an open-file dialog is asked for. The filter has the old form: pairs of description and
// pattern separated by '|', ended by "||".
struct OpenFileRequest {
  std::string defaultExtension;  // added to a typed name without extension, such as "vxs"
  std::string initialName;       // such as "*.vxs"
  std::string filter;
  bool mustExist = true;
};

// Asks the user for a file. The native dialogs cannot be answered from a test, so programs
// take their file choosers through this interface.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) = 0;
};

}  // namespace vx
