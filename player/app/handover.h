#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/ipc.h>
#include <wx/snglinst.h>

namespace vx {

// Single instance and hand-over: the first copy of the player holds a lock and serves a UNIX
// socket; a later copy finds the lock, sends its file's path over the socket and ends.
class Handover {
 public:
  // `directory` holds the lock and the socket (the user's runtime directory).
  explicit Handover(std::string directory);
  ~Handover();
  Handover(const Handover&) = delete;
  Handover& operator=(const Handover&) = delete;

  // Another copy holds the lock.
  bool AnotherRunning() const;
  // Sends `path` to the running copy; false when it cannot be reached or refuses.
  bool SendToRunningCopy(const std::string& path) const;
  // Serves the socket for later copies; each path they send is given to `received` on the UI
  // thread. False when the socket cannot be served.
  bool Serve(std::function<void(const std::string&)> received);

  const std::string& SocketPath() const { return socketPath_; }

  class Server;

 private:
  std::string socketPath_;
  std::unique_ptr<wxSingleInstanceChecker> checker_;
  std::unique_ptr<Server> server_;
};

// The directory for the lock and the socket: $XDG_RUNTIME_DIR, else the temporary directory.
std::string HandoverDirectory();

}  // namespace vx
