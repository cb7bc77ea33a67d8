#pragma once

#include <string>

#include "recorder/pipeline/recording_view.h"

namespace vx::vxrecord {

// The recorder's document: only its path, the temporary take's.
class CVxrecordDoc final : public RecordingDocument {
 public:
  std::string GetPathName() const override { return path_; }
  void SetPathName(const std::string& path) override { path_ = path; }

 private:
  std::string path_;
};

}  // namespace vx::vxrecord
