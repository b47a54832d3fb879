// Takes the screenshots of the documentation: the window during a run on a small playlist whose
// first page is a local file, once as it is and once with the top panel hidden.
//   kestrova_gui_screenshots <folder>   (under scripts/run-under-x)
// writes <folder>/screenshot.png and <folder>/screenshot-hidden.png.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

constexpr const char* kPage = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Connection check</title>
<style>
  body { font-family: "DejaVu Sans", sans-serif; margin: 24px 32px; color: #223; background: #f4f7fb; }
  h1 { font-size: 22px; color: #1c4f8c; margin-bottom: 4px; }
  p { font-size: 14px; line-height: 1.5; max-width: 560px; }
  .ok { display: inline-block; padding: 3px 10px; border-radius: 10px; background: #2e8b57; color: white; }
</style></head>
<body>
  <h1>Connection check</h1>
  <p><span class="ok">online</span></p>
  <p>This page was fetched by Kestrova as the first entry of its playlist. The next entry
     follows when the interval has passed; with Loop ticked the list starts again from the top.</p>
</body></html>
)html";

// The window with its frame, as the window manager draws it, read back from the screen.
bool SaveWindow(wxFrame& frame, const std::filesystem::path& file) {
  GdkWindow* window = gtk_widget_get_window(Gtk(&frame));
  GdkRectangle outer{};
  gdk_window_get_frame_extents(window, &outer);
  GdkPixbuf* shot =
      gdk_pixbuf_get_from_window(gdk_get_default_root_window(), outer.x, outer.y, outer.width, outer.height);
  if (shot == nullptr) return false;
  GError* error = nullptr;
  const bool saved = gdk_pixbuf_save(shot, file.c_str(), "png", &error, nullptr);
  if (!saved) std::fprintf(stderr, "%s: %s\n", file.c_str(), error->message);
  g_clear_error(&error);
  g_object_unref(shot);
  return saved;
}

int TakeScreenshots(const std::filesystem::path& folder) {
  // A short, stable name: it shows in the current-URL box and the list.
  const std::filesystem::path page_folder = std::filesystem::temp_directory_path() / "kestrova";
  std::error_code error;
  std::filesystem::create_directories(page_folder, error);
  std::ofstream(page_folder / "check.html") << kPage;
  const std::string page = "file://" + (page_folder / "check.html").string();

  int failures = 0;
  {
    Window window;
    if (!window.Settled()) return 1;
    Form2& form = window.form();
    for (const std::string& entry :
         {page, std::string("https://www.example.org/"), std::string("https://www.example.com/news/today.html"),
          std::string("http://intranet.example.net/status")}) {
      form.lstPlayList.AddItem(entry);
    }
    const int pages_before = window.PagesLoaded();
    wxWebView* browser = window.frame().WebView();
    WhenReady during_run(
        [&] { return window.PagesLoaded() > pages_before && browser->GetCurrentURL() == page; },
        [&] {
          // Out of the way: no tooltip, no hover highlight.
          wxUIActionSimulator().MouseMove(1270, 1010);
          Pump(600ms);
          failures += !SaveWindow(window.frame(), folder / "screenshot.png");
          ChooseMenu(window.frame(), *window.frame().MenuItemOf(form.mnuHide));
          Pump(600ms);
          failures += !SaveWindow(window.frame(), folder / "screenshot-hidden.png");
          ChooseMenu(window.frame(), *window.frame().MenuItemOf(form.mnuHide));
          Click(window.Widget(form.stop_button));
        });
    Click(window.Widget(form.start_button));
    if (!PumpUntil([&] { return during_run.Done(); }, 20s)) ++failures;
  }
  std::filesystem::remove_all(page_folder, error);
  return failures == 0 ? 0 : 1;
}

class ScreenshotApp : public wxApp {
 public:
  bool OnInit() override { return true; }
  int OnRun() override {
    CallAfter([this] {
      result_ = TakeScreenshots(folder_);
      ExitMainLoop();
    });
    wxApp::OnRun();
    return result_;
  }
  static inline std::filesystem::path folder_ = ".";

 private:
  int result_ = 1;
};

}  // namespace
}  // namespace kestrova::gui

wxIMPLEMENT_APP_NO_MAIN(kestrova::gui::ScreenshotApp);

int main(int argc, char** argv) {
  if (argc > 1) kestrova::gui::ScreenshotApp::folder_ = argv[1];
  int wx_argc = 1;
  return wxEntry(wx_argc, argv);
}
