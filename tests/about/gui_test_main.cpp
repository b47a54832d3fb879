// Runs the tests inside the running event loop of a wx application, as the program's handlers
// run: modal loops, activation and pending deletions behave as they do for a user.

#include <gtest/gtest.h>
#include <wx/app.h>

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override {
    // The tests destroy their main windows; the loop must outlive them.
    SetExitOnFrameDelete(false);
    CallAfter([this] {
      status_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return status_;
  }

 private:
  int status_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  return wxEntry(argc, argv);
}
