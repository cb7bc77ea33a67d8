#include "tools/vxtool/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace vx::cli {
namespace {

sigset_t StopSet() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

void StopSignals::Block() {
  const sigset_t signals = StopSet();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

StopSignals::StopSignals(Input input, std::function<void()> onStop) : onStop_(std::move(onStop)) {
  Block();
  const sigset_t signals = StopSet();
  signalFd_ = ::signalfd(-1, &signals, SFD_CLOEXEC);
  if (signalFd_ < 0 || ::pipe2(wake_, O_CLOEXEC) != 0) return;
  thread_ = std::thread([this, input] { Run(input == Input::kEnterStops); });
}

StopSignals::~StopSignals() {
  if (thread_.joinable()) {
    const char byte = 'q';
    [[maybe_unused]] ssize_t n = ::write(wake_[1], &byte, 1);
    thread_.join();
  }
  for (int fd : {signalFd_, wake_[0], wake_[1]})
    if (fd >= 0) ::close(fd);
}

void StopSignals::Run(bool watchInput) {
  for (;;) {
    pollfd fds[3] = {{wake_[0], POLLIN, 0}, {signalFd_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    if (::poll(fds, watchInput ? 3 : 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents & POLLIN) return;
    bool stop = false;
    if (fds[1].revents & POLLIN) {
      signalfd_siginfo info;
      stop = ::read(signalFd_, &info, sizeof info) == sizeof info;
    }
    if (watchInput && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buffer[256];
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) {
        watchInput = false;  // no more input: only signals stop now
      } else if (std::string_view(buffer, static_cast<size_t>(n)).find('\n') !=
                 std::string_view::npos) {
        stop = true;
      }
    }
    if (stop) {
      requests_.fetch_add(1, std::memory_order_relaxed);
      onStop_();
    }
  }
}

}  // namespace vx::cli
