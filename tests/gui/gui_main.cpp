// The GUI test runner: a wx application whose main loop runs the tests, so that everything a
// test does happens inside a live event loop, as it does in the program.

#include <cstdio>
#include <string>

#include <glib.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

// A warning or critical error of GTK, GDK or GObject means the window asked the toolkit for
// something it could not do (a widget given less room than nothing, a bad call): it fails the
// test it happened in, and still goes to stderr as usual.
GLogWriterOutput FailOnToolkitComplaint(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
  if (level & (G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)) {
    std::string domain, message;
    for (gsize i = 0; i < count; ++i) {
      const std::string key = fields[i].key;
      const auto* value = static_cast<const char*>(fields[i].value);
      if (fields[i].length >= 0 || value == nullptr) continue;  // only the text fields
      if (key == "GLIB_DOMAIN") domain = value;
      if (key == "MESSAGE") message = value;
    }
    if (domain == "Gtk" || domain == "Gdk" || domain.starts_with("GLib")) ADD_FAILURE() << domain << ": " << message;
  }
  return g_log_writer_default(level, fields, count, data);
}

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
  g_log_set_writer_func(FailOnToolkitComplaint, nullptr, nullptr);
  const int result = wxEntry(argc, argv);
  // The test entries look for this line: a run that ended any other way did not pass, even
  // with a zero exit status (the program's own shut-down ends the process with status 0).
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
