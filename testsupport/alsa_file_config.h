#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vx::testing {

// Points ALSA at a configuration of the test's own where the default PCM is the file
// plugin over the null PCM: playback is written to a file, capture is read from another.
// Separate playback and capture plugins, or the capture's copy would overwrite the
// playback file. The PCM is not paced: it takes and gives sound as fast as it is asked.
class AlsaFileConfig {
 public:
  AlsaFileConfig() {
    char pattern[] = "/tmp/vx_alsa_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      ADD_FAILURE() << "no temporary directory";
      return;
    }
    dir_ = pattern;
    const std::string conf = dir_ + "/asound.conf";
    std::ofstream(conf) << "pcm.!default {\n"
                           "  type asym\n"
                           "  playback.pcm {\n"
                           "    type file\n"
                           "    slave.pcm \"null\"\n"
                           "    file \""
                        << PlayedPath()
                        << "\"\n"
                           "    format \"raw\"\n"
                           "  }\n"
                           "  capture.pcm {\n"
                           "    type file\n"
                           "    slave.pcm \"null\"\n"
                           "    file \""
                        << dir_
                        << "/capture-copy.raw\"\n"
                           "    infile \""
                        << CaptureSourcePath()
                        << "\"\n"
                           "    format \"raw\"\n"
                           "  }\n"
                           "}\n";
    setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf).c_str(), 1);
    WriteCaptureSource({});
  }
  ~AlsaFileConfig() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  std::string PlayedPath() const { return dir_ + "/played.raw"; }
  std::string CaptureSourcePath() const { return dir_ + "/capture-source.raw"; }

  std::vector<uint8_t> Played() const {
    std::ifstream in(PlayedPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteCaptureSource(const std::vector<uint8_t>& bytes) const {
    std::ofstream(CaptureSourcePath(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

 private:
  std::string dir_;
};

}  // namespace vx::testing
