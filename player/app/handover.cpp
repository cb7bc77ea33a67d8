#include "player/app/handover.h"

#include <unistd.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <cstdlib>

namespace vx {
namespace {

constexpr const char* kTopic = "vocrix-open";

// Carries the paths of later copies to the running one.
class HandoverConnection final : public wxConnection {
 public:
  explicit HandoverConnection(const std::function<void(const std::string&)>& received)
      : received_(received) {}

  bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
    std::string path(static_cast<const char*>(data), size);
    while (!path.empty() && path.back() == '\0') path.pop_back();
    if (path.empty()) return false;
    received_(path);
    return true;
  }

 private:
  const std::function<void(const std::string&)>& received_;
};

class HandoverClient final : public wxClient {
 public:
  wxConnectionBase* OnMakeConnection() override { return new wxConnection; }
};

}  // namespace

class Handover::Server final : public wxServer {
 public:
  explicit Server(std::function<void(const std::string&)> received)
      : received_(std::move(received)) {}
  wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
    if (topic != kTopic) return nullptr;
    return new HandoverConnection(received_);
  }

 private:
  std::function<void(const std::string&)> received_;
};

std::string HandoverDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0' && wxDirExists(runtime)) return runtime;
  return std::string(wxFileName::GetTempDir().utf8_str());
}

Handover::Handover(std::string directory) {
  const std::string name = "vocrix-" + std::to_string(getuid());
  socketPath_ = directory + "/" + name + ".socket";
  checker_ = std::make_unique<wxSingleInstanceChecker>();
  checker_->Create(wxString::FromUTF8(name + ".lock"), wxString::FromUTF8(directory));
}

Handover::~Handover() {
  server_.reset();
  if (checker_ && !checker_->IsAnotherRunning() && wxFileExists(wxString::FromUTF8(socketPath_)))
    wxRemoveFile(wxString::FromUTF8(socketPath_));
}

bool Handover::AnotherRunning() const {
  return checker_->IsAnotherRunning();
}

bool Handover::SendToRunningCopy(const std::string& path) const {
  HandoverClient client;
  std::unique_ptr<wxConnectionBase> connection(
      client.MakeConnection("localhost", wxString::FromUTF8(socketPath_), kTopic));
  if (!connection) return false;
  const bool sent = connection->Execute(path.c_str(), path.size() + 1);
  connection->Disconnect();
  return sent;
}

bool Handover::Serve(std::function<void(const std::string&)> received) {
  // A socket left behind by a copy that did not end cleanly would refuse the new one.
  if (wxFileExists(wxString::FromUTF8(socketPath_))) wxRemoveFile(wxString::FromUTF8(socketPath_));
  server_ = std::make_unique<Server>(std::move(received));
  if (!server_->Create(wxString::FromUTF8(socketPath_))) {
    server_.reset();
    return false;
  }
  return true;
}

}  // namespace vx
