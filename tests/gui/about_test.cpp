// The About dialog, the Help menu's documents in the browser, the desktop's icons, and the
// documentation's screenshots (on demand).

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <wx/image.h>

#include "harness.h"
#include "platform/wx/icons.h"

namespace kestrova::gui {
namespace {

namespace fs = std::filesystem;

class About : public WindowTest {};

TEST_F(About, OpensOnceInAFixedEtchedWindowOffTheTaskBarAndComesForwardOnTheSecondClick) {
  wx::AboutWindow* about = window.OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(form.app_title, "Kestrova");
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(Gtk(about))), "About Kestrova");
  EXPECT_EQ(about->GetParent(), nullptr);
  EXPECT_FALSE(about->IsModal());
  EXPECT_EQ(about->GetClientSize(), wxSize(214, 185));
  EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(Gtk(about))));
  EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(Gtk(about))));
  EXPECT_FALSE(about->HasFlag(wxMINIMIZE_BOX | wxMAXIMIZE_BOX));
  const std::tuple<const char*, const char*, wxRect> kControls[] = {
      {"lblTitle", "Kestrova", {8, 8, 187, 16}},
      {"lblVersion", "Version 4.0.0", {8, 32, 195, 15}},
      {"lblDescription", "This program simulates network activity to keep your Internet connection alive.",
       {8, 56, 195, 62}},
      {"cmdOK", "OK", {176, 144, 28, 23}}};
  for (const auto& [name, text, rect] : kControls) {
    SCOPED_TRACE(name);
    wxWindow* control = wxWindow::FindWindowByName(name, about);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetLabel(), text);
    EXPECT_EQ(control->GetRect(), rect);
    EXPECT_TRUE(ContentFits(control));
  }
  EXPECT_TRUE(wxWindow::FindWindowByName("cmdOK", about)->HasFocus());
  // Grey from twips 90 to 3120 on row 1965; white, two pixels high, from 105 on row 1980: rows
  // 130 to 134 at x = 5, 6, 7, 100, 207 and 208, as background, grey or white.
  std::string seen;
  EXPECT_TRUE(PumpUntil([&] {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(about->GTKGetDrawingWindow(), 0, 0, 214, 185);
    seen.clear();
    for (int y = 130; y <= 134; ++y) {
      for (int x : {5, 6, 7, 100, 207, 208}) {
        const unsigned colour = Pixel(shot, x, y);
        seen += colour == Pixel(shot, 100, 128) ? '.' : colour == 0x808080 ? 'g' : colour == 0xffffff ? 'w' : '?';
      }
      seen += ' ';
    }
    g_object_unref(shot);
    return seen == "...... .gggg. ..www. ..www. ...... ";
  }, 5s)) << seen;

  // The main window stays usable beside it; the second choice brings the same dialog forward
  // without loading it again (which would rename the application once more).
  Click(window.Widget(form.Label1));
  ASSERT_TRUE(PumpUntil([&] { return window.frame().IsActive(); }));
  form.app_title = "renamed since";
  EXPECT_EQ(window.OpenAbout(), about);
  Pump(300ms);
  EXPECT_EQ(LoadedAboutWindows().size(), 1u);
  EXPECT_EQ(form.app_title, "renamed since");
}

TEST_F(About, OkEnterEscapeAndTheCloseBoxUnloadItAndTheNextOpeningLoadsItAfresh) {
  const std::pair<const char*, std::function<void(wx::AboutWindow*)>> ways[] = {
      {"OK", [](wx::AboutWindow* about) { Click(wxWindow::FindWindowByName("cmdOK", about)); }},
      {"Enter", [](wx::AboutWindow*) { PressKey(WXK_RETURN); }},
      {"Escape", [](wx::AboutWindow*) { PressKey(WXK_ESCAPE); }},
      {"close box", [](wx::AboutWindow* about) { gtk_window_close(GTK_WINDOW(Gtk(about))); }},
  };
  const std::size_t windows_before = wxTopLevelWindows.size();
  for (const auto& [how, close] : ways) {
    SCOPED_TRACE(how);
    form.app_title = "Corvane";
    wx::AboutWindow* about = window.OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(form.app_title, "Kestrova");
    close(about);
    EXPECT_TRUE(PumpUntil([&] { return wxTopLevelWindows.size() == windows_before; })) << "not destroyed";
  }
}

// Started with arguments, every return to the main window starts a run: a click on it beside the
// dialog, and the dialog's closing.
TEST(AboutReturn, ReturningFromAboutStartsTheArgumentsRunAgain) {
  MessageBoxWatcher watcher;
  Window window({"/t=1"});
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() == 1; })) << "the first showing started no run";
  wx::AboutWindow* about = window.OpenAbout();
  ASSERT_NE(about, nullptr);
  Pump(300ms);
  EXPECT_EQ(watcher.Seen().size(), 1u) << "opening the dialog is no return";
  Click(window.Widget(window.form().Label1));
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() == 2; })) << "clicking the main window started no run";
  Click(wxWindow::FindWindowByName("lblDescription", about));
  ASSERT_TRUE(PumpUntil([&] { return about->IsActive(); }));
  PressKey(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() == 3; })) << "closing the dialog started no run";
  for (const SeenBox& box : watcher.Seen()) EXPECT_EQ(box.text, "Please enter at least one URL or open a file.");
}

// Help documents come from beside the program; a missing one shows the browser's own error page
// naming it, and no window or box.
class Help : public WindowTest {};

TEST_F(Help, ShowsItsDocumentsInTheBrowser) {
  wxWebView* view = window.frame().WebView();
  MessageBoxWatcher watcher;
  const std::size_t windows_before = wxTopLevelWindows.size();
  // The folder, the menu item, the document and its title; no title: the document is missing.
  const std::tuple<const char*, const MenuItem*, const char*, const char*> kCases[] = {
      {KESTROVA_BUILD_DIR, &form.Contents, "/help.html", "Kestrova Help"},
      {"/tmp/kestrova-nothing-here", &form.License, "/license-pro.html", ""}};
  for (const auto& [folder, item, file, title] : kCases) {
    SCOPED_TRACE(file);
    window.program().App().SetFolder(folder);
    const std::string path = folder + std::string(file);
    window.Choose(*item);
    std::string seen;
    EXPECT_TRUE(PumpUntil([&] {
      if (view->GetCurrentURL() != "file://" + path) return false;
      wxString text = view->GetCurrentTitle();
      if (!*title && !view->RunScript("document.body ? document.body.innerText : ''", &text)) return false;
      seen = text.utf8_string();
      return *title ? seen == title : seen.find(path) != std::string::npos;
    }, 10s)) << view->GetCurrentURL() << ": " << seen;
    EXPECT_TRUE(view->IsShown());
  }
  Pump(300ms);
  EXPECT_EQ(wxTopLevelWindows.size(), windows_before) << "a window opened";
  EXPECT_TRUE(watcher.Seen().empty());
}

// The icons made for the desktop, and those kept with the sources, are the window's own globe:
// same size, same transparency, same opaque pixels.
TEST(DesktopIcons, AreTheWindowsGlobeAtEveryThemeSize) {
  wxImage::AddHandler(new wxPNGHandler);
  const fs::path made = fs::temp_directory_path() / "kestrova-icons";
  ASSERT_EQ(std::system((std::string(KESTROVA_MAKE_ICONS) + " " + made.string() + " 16 32 48 128").c_str()), 0);
  for (int size : {16, 32, 48, 128}) {
    const std::string file = std::to_string(size) + "x" + std::to_string(size) + "/apps/kestrova.png";
    const wxImage drawn = wx::DrawIcon(wx::IconKind::Globe, size).ConvertToImage();
    for (const fs::path& path : {made / file, fs::path(KESTROVA_SOURCE_DIR "/resources/icons/hicolor") / file}) {
      SCOPED_TRACE(path.string());
      const wxImage icon(wxString(path.string()), wxBITMAP_TYPE_PNG);
      ASSERT_TRUE(icon.IsOk() && icon.HasAlpha() && icon.GetSize() == drawn.GetSize());
      int differing = 0;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const int at = (y * size + x) * 3;  // the colour under a transparent pixel does not count
          differing += icon.GetAlpha(x, y) != drawn.GetAlpha(x, y) ||
                       (icon.GetAlpha(x, y) && std::memcmp(icon.GetData() + at, drawn.GetData() + at, 3));
        }
      }
      EXPECT_EQ(differing, 0) << "out of date? build the kestrova_icons target";
      EXPECT_EQ(icon.GetAlpha(0, 0), 0);  // on a transparent ground
    }
  }
  fs::remove_all(made);
}

}  // namespace
}  // namespace kestrova::gui
