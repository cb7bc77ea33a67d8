#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vx::cli {

// The stop requests of every command: SIGINT and SIGTERM, and where asked Enter on standard
// input. The signals are blocked in the calling thread, and so in every thread it starts
// later (sound backends, conversion workers), whose reads and writes a signal would otherwise
// break off; a thread of the watcher's own takes them and calls `onStop` for each request. A
// repeated signal only stops again: wrappers such as timeout(1) pass one Ctrl-C on to the
// process and to its group, so one may arrive twice. The signals stay blocked after the
// watcher ends: a late Ctrl-C cannot break off the writing of an output, and the program ends
// with its command.
class StopSignals {
 public:
  enum class Input { kIgnored, kEnterStops };

  // Blocks SIGINT and SIGTERM in the calling thread; a command calls it before it starts the
  // threads that must not take them.
  static void Block();
  // Stop requests taken by any watcher so far in this process.
  static int Requests() { return requests_.load(std::memory_order_relaxed); }

  StopSignals(Input input, std::function<void()> onStop);
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  ~StopSignals();

 private:
  void Run(bool watchInput);

  static inline std::atomic<int> requests_{0};
  std::function<void()> onStop_;
  int signalFd_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace vx::cli
