// The GUI test runner: a wx application whose main loop runs the tests, so that everything a
// test does happens inside a live event loop, as it does in the program.

#include <cstdio>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

class GuiTestApp : public wxApp {
 public:
  // The toolkit must not parse the test runner's arguments.
  bool OnInit() override { return true; }

  int OnRun() override {
    CallAfter([this] {
      result_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    wxApp::OnRun();
    return result_;
  }

 private:
  int result_ = 1;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(GuiTestApp);

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = wxEntry(argc, argv);
  // The test entries look for this line: a run that ended any other way did not pass, even
  // with a zero exit status (the program's own shut-down ends the process with status 0).
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
