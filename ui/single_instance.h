#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/ipc.h>
#include <wx/snglinst.h>

namespace vx {

// One running copy of a program per user: the first copy holds a lock and may serve a UNIX
// socket; a later copy finds the lock and either ends or sends a file's path over the socket
// to the running copy (the player's hand-over).
class SingleInstance {
 public:
  // `program` names the lock and the socket ("vocrix-<uid>.lock"); `directory` holds them
  // (the user's runtime directory).
  SingleInstance(const std::string& program, const std::string& directory);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

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
  std::string topic_;
  std::string socketPath_;
  std::unique_ptr<wxSingleInstanceChecker> checker_;
  std::unique_ptr<Server> server_;
};

}  // namespace vx
