#include "player/app/main_frame.h"

#include <wx/accel.h>
#include <wx/config.h>
#include <wx/filehistory.h>

#include "ui/about_dialog.h"

namespace vx {

OpenFileRequest PlayerOpenRequest() {
  OpenFileRequest request;
  request.defaultExtension = "vxs";
  request.initialName = "*.vxs";
  request.filter = "Vocrix 0.2(*.vxs)|*.vxs|Vocrix 0.1(*.cht)|*.cht|All Files (*.*)|*.*||";
  request.mustExist = true;
  return request;
}

AboutText PlayerAbout() {
  return {"About Vocrix Player",
          "Vocrix Player for Windows95/NT",
          "Beta Version 0.3",
          "Made by the Vocrix developers",
          {}};
}

CMainFrame::CMainFrame(const PlayerResources& resources, const std::string& path)
    : wxFrame(nullptr, wxID_ANY,
              wxString::FromUTF8(resources.strings.Text(57344, kDefaultPlayerTitle)),
              wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX)),
      resources_(resources) {
  SetBackgroundColour(panel_colour::kBackground);
  document_.SetPath(path);
  const wxSize client(resources.layout.clientWidth, resources.layout.clientHeight);
  SetClientSize(client);
  SetMinClientSize(client);
  SetMaxClientSize(client);

  view_ = new CVocrixView(this, resources.services, document_, resources.layout, resources.bitmaps,
                          resources.atoms);
  view_->SetShowAbout([this] {
    AboutDialog about(this, PlayerAbout());
    about.ShowModal();
  });
  view_->SetFileOpened([this](const std::string& opened) {
    if (resources_.history == nullptr) return;
    resources_.history->AddFileToHistory(wxString::FromUTF8(opened));
    if (wxConfigBase* config = wxConfigBase::Get()) {
      resources_.history->Save(*config);
      config->Flush();
    }
  });
  target_ = resources.services.queue.Register([this](const Message& m) { OnMessage(m); });
  view_->Engine().SetMainWindow(target_);
  if (std::optional<std::string_view> retry = resources.strings.Find(3))
    view_->Engine().SetRetryOpenText(std::string(*retry));

  wxAcceleratorEntry open(wxACCEL_CTRL, 'O', wxID_OPEN);
  SetAcceleratorTable(wxAcceleratorTable(1, &open));
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { OnFileOpen(); }, wxID_OPEN);
  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnCloseWindow, this);
  DragAcceptFiles(true);
  Bind(wxEVT_DROP_FILES, &CMainFrame::OnDropFiles, this);

  view_->OnInitialUpdate();
}

CMainFrame::~CMainFrame() {
  resources_.services.queue.Unregister(target_);
}

void CMainFrame::OnMessage(const Message& message) {
  switch (message.id) {
    case kMsgClose:
      Close();
      break;
    case kMsgOpenNamedFile:
      resources_.services.queue.Post(view_->Target(), message.id, message.wparam, message.lparam);
      break;
    default:
      break;
  }
}

void CMainFrame::OnCloseWindow(wxCloseEvent& event) {
  if (!view_->CanClose() && event.CanVeto()) {
    event.Veto();
    return;
  }
  Destroy();
}

void CMainFrame::OpenFile(const std::string& path) {
  view_->OpenFile(path);
}

void CMainFrame::OnFileOpen() {
  if (std::optional<std::string> path = resources_.fileChooser.ChooseOpenFile(PlayerOpenRequest()))
    OpenFile(*path);
}

void CMainFrame::OnDropFiles(wxDropFilesEvent& event) {
  if (event.GetNumberOfFiles() < 1) return;
  if (IsIconized()) Iconize(false);
  OpenFile(std::string(event.GetFiles()[0].utf8_str()));
}

}  // namespace vx
