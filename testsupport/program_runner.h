#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vx::testing {

// Waits up to `bound` for `done`, looking every 20 ms.
template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A program of the suite started by an end-to-end test, in this process's environment and in
// `workingDirectory` (this process's when empty); killed if it is still running when the test
// lets go of it.
class Program {
 public:
  explicit Program(std::string program, std::vector<std::string> arguments = {},
                   const std::string& workingDirectory = {}) {
    arguments.insert(arguments.begin(), std::move(program));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty())
      posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ > 0 && !Exited()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Exited() {
    if (exited_) return true;
    if (pid_ <= 0 || waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
    return exited_;
  }
  // Waits for the end; the exit status, or -1 when it did not end within `bound`.
  int Wait(std::chrono::milliseconds bound) {
    if (!WaitFor([this] { return Exited(); }, bound)) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool exited_ = false;
};

// The size of a file, 0 when there is none.
inline size_t FileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<size_t>(size);
}

// Points the programs started from here at a home, runtime and configuration directory of
// their own inside `dir`.
inline void IsolateEnvironment(const std::string& dir) {
  const std::string run = dir + "/run";
  mkdir(run.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  setenv("HOME", dir.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
}

}  // namespace vx::testing
