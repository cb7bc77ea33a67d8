#include "ui/single_instance.h"

#include <unistd.h>
#include <wx/filefn.h>

namespace vx {
namespace {

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

class SingleInstance::Server final : public wxServer {
 public:
  Server(std::string topic, std::function<void(const std::string&)> received)
      : topic_(std::move(topic)), received_(std::move(received)) {}
  wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
    if (topic != wxString::FromUTF8(topic_)) return nullptr;
    return new HandoverConnection(received_);
  }

 private:
  std::string topic_;
  std::function<void(const std::string&)> received_;
};

SingleInstance::SingleInstance(const std::string& program, const std::string& directory)
    : topic_(program + "-open") {
  const std::string name = program + "-" + std::to_string(getuid());
  socketPath_ = directory + "/" + name + ".socket";
  checker_ = std::make_unique<wxSingleInstanceChecker>();
  checker_->Create(wxString::FromUTF8(name + ".lock"), wxString::FromUTF8(directory));
}

SingleInstance::~SingleInstance() {
  server_.reset();
  if (checker_ && !checker_->IsAnotherRunning() && wxFileExists(wxString::FromUTF8(socketPath_)))
    wxRemoveFile(wxString::FromUTF8(socketPath_));
}

bool SingleInstance::AnotherRunning() const {
  return checker_->IsAnotherRunning();
}

bool SingleInstance::SendToRunningCopy(const std::string& path) const {
  HandoverClient client;
  std::unique_ptr<wxConnectionBase> connection(client.MakeConnection(
      "localhost", wxString::FromUTF8(socketPath_), wxString::FromUTF8(topic_)));
  if (!connection) return false;
  const bool sent = connection->Execute(path.c_str(), path.size() + 1);
  connection->Disconnect();
  return sent;
}

bool SingleInstance::Serve(std::function<void(const std::string&)> received) {
  // A socket left behind by a copy that did not end cleanly would refuse the new one.
  if (wxFileExists(wxString::FromUTF8(socketPath_))) wxRemoveFile(wxString::FromUTF8(socketPath_));
  server_ = std::make_unique<Server>(topic_, std::move(received));
  if (!server_->Create(wxString::FromUTF8(socketPath_))) {
    server_.reset();
    return false;
  }
  return true;
}

}  // namespace vx
