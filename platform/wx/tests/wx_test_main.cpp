// The main of the GUI test programs: wx is set up (a display is needed: the tests run on a
// virtual X server of their own), logged errors go to stderr instead of a modal box that would
// hang the run, and the PNG handler is registered before any bitmap is loaded.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

namespace {

class TestApp final : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

namespace {

// A failed wx assertion fails the test instead of opening a box.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion " << cond << " in " << func << ": " << msg;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  wxEntryStart(argc, argv);
  if (!wxTheApp->CallOnInit()) return 1;
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxSetAssertHandler(FailOnAssert);
  wxInitAllImageHandlers();
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
