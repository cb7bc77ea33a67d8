#include "recorder/app/main_frame.h"

namespace vx::vxrecord {

AboutText RecorderAbout(const wxBitmap& icon) {
  return {"About Vocrix Recorder", "Vocrix Recorder for Windows95/NT", "Beta Version 0.3", "",
          icon};
}

CMainFrame::CMainFrame(const RecorderResources& resources)
    : wxFrame(nullptr, wxID_ANY, FromUtf8(resources.strings.Text(57344, kDefaultRecorderTitle)),
              wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX)),
      queue_(resources.services.queue) {
  SetBackgroundColour(panel_colour::kBackground);
  const wxSize client(resources.layout.clientWidth, resources.layout.clientHeight);
  SetClientSize(client);
  SetMinClientSize(client);
  SetMaxClientSize(client);

  view_ = new CVxrecordView(this, resources.services, resources.fileChooser, document_,
                            resources.layout, resources.bitmaps);
  view_->SetShowAbout([this, icon = resources.bitmaps.icon] {
    AboutDialog about(this, RecorderAbout(icon));
    about.ShowModal();
  });
  target_ = queue_.Register([this](const Message& message) {
    if (message.id == kMsgClose) Close();
  });
  view_->Pipeline().SetMainWindow(target_);
  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnCloseWindow, this);
  view_->OnInitialUpdate();
  view_->SetFocus();
}

CMainFrame::~CMainFrame() {
  queue_.Unregister(target_);
}

void CMainFrame::OnCloseWindow(wxCloseEvent& event) {
  if (!view_->Pipeline().CanClose() && event.CanVeto()) {
    event.Veto();
    return;
  }
  Destroy();
}

}  // namespace vx::vxrecord
