#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Runs the real vxtool program (VXTOOL_PATH) as a user would, and reads and writes the files
// it works on.
namespace vx::tooltest {

struct Outcome {
  int status;  // the exit status, -1 when the program did not exit by itself
  std::string out, err;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// `vxtool ARGUMENTS` in `directory`, standard input from the shell command `input` (or
// /dev/null), its output and errors kept in files of that directory. Every run is bounded by
// timeout(1), so a program that hangs fails its test instead of the whole run.
inline Outcome RunVxtool(const std::filesystem::path& directory, const std::string& arguments,
                         const std::string& input = "") {
  const std::string out = (directory / "stdout").string();
  const std::string err = (directory / "stderr").string();
  const std::string run = "timeout 120 " + std::string(VXTOOL_PATH) + " " + arguments;
  const std::string command = "cd '" + directory.string() + "' && " +
                              (input.empty() ? run + " </dev/null" : input + " | " + run) + " >'" +
                              out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

}  // namespace vx::tooltest
