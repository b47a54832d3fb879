// The GUI test runner: a wx application whose main loop runs the tests, so that everything a test
// does happens inside a live event loop, as the program's handlers do.

#include <cstdio>

#include <wx/init.h>

#include "harness.h"

namespace {

int result = 1;

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    SetExitOnFrameDelete(false);  // the tests destroy their main windows
    CallAfter([this] {
      result = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(GuiTestApp);

int main(int argc, char** argv) {
  // For the end-to-end script: how many pixels of the screen show a colour.
  if (argc == 3 && std::string(argv[1]) == "--screen-colour") {
    const unsigned long wanted = std::stoul(argv[2], nullptr, 16);
    gdk_init(&argc, &argv);
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
    long count = 0;
    for (int y = 0; y < gdk_pixbuf_get_height(shot); ++y) {
      for (int x = 0; x < gdk_pixbuf_get_width(shot); ++x) count += kestrova::gui::Pixel(shot, x, y) == wanted;
    }
    std::printf("%ld\n", count);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  wxEntry(argc, argv);
  // The entries look for this line: the program's own shut-down would end the process with 0.
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
