// The GUI test runner: a wx application whose main loop runs the tests, so that everything a test
// does happens inside a live event loop, as the program's handlers do.

#include <cstdio>
#include <fstream>

#include <wx/init.h>

#include "harness.h"

namespace {

int result = 1;

// Another program's window for the drop tests: a 40-pixel square at x, y that offers a drag of
// data of one type. It notes "shown" in a file once it is on screen, and "read" when it is asked
// for the data.
std::string drag_note;
void Note(const char* what) { std::ofstream(drag_note, std::ios::app) << what; }

int DragSource(const char* type, int x, int y) {
  gtk_init(nullptr, nullptr);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_POPUP);
  gtk_window_move(GTK_WINDOW(window), x, y);
  gtk_widget_set_size_request(window, 40, 40);
  GtkTargetEntry offered{const_cast<gchar*>(type), 0, 0};
  gtk_drag_source_set(window, GDK_BUTTON1_MASK, &offered, 1, GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_LINK));
  g_signal_connect(window, "map-event", G_CALLBACK(+[]() -> gboolean { Note("shown"); return FALSE; }), nullptr);
  g_signal_connect(window, "drag-data-get", G_CALLBACK(+[] { Note("read"); }), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}

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
  if (argc == 6 && std::string(argv[1]) == "--drag-source") {
    drag_note = argv[5];
    return DragSource(argv[2], std::stoi(argv[3]), std::stoi(argv[4]));
  }
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
