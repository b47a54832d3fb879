// The Help menu's documents in the embedded browser: the copies beside the built program load,
// and a missing document shows the browser's own error page without any dialog.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>

#include <wx/webview.h>

#include "gui_support.h"

namespace kestrova::testing {
namespace {

namespace fs = std::filesystem;

// What the browser reported about the last page it finished or gave up on.
struct PageOutcome {
  bool failed = false;
  std::string url;
};

class BrowserWatch {
 public:
  explicit BrowserWatch(wxWebView* view) : view_(view) {
    // Skip: the main window's own handlers must still see the events.
    view_->Bind(wxEVT_WEBVIEW_LOADED, &BrowserWatch::OnLoaded, this);
    view_->Bind(wxEVT_WEBVIEW_ERROR, &BrowserWatch::OnError, this);
  }
  ~BrowserWatch() {
    view_->Unbind(wxEVT_WEBVIEW_LOADED, &BrowserWatch::OnLoaded, this);
    view_->Unbind(wxEVT_WEBVIEW_ERROR, &BrowserWatch::OnError, this);
  }
  // The first outcome for a URL that ends with `suffix`.
  std::optional<PageOutcome> For(const std::string& suffix) const {
    for (const PageOutcome& o : outcomes_) {
      if (o.url.size() >= suffix.size() && o.url.compare(o.url.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return o;
      }
    }
    return std::nullopt;
  }

 private:
  void OnLoaded(wxWebViewEvent& e) {
    e.Skip();
    outcomes_.push_back({false, e.GetURL().utf8_string()});
  }
  void OnError(wxWebViewEvent& e) {
    e.Skip();
    outcomes_.push_back({true, e.GetURL().utf8_string()});
  }
  wxWebView* view_;
  std::vector<PageOutcome> outcomes_;
};

struct DocumentCase {
  const char* name;
  MenuItem Form2::*item;
  const char* file;
  const char* title;  // empty: the document is missing
  friend void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }
};

class HelpDocuments : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(HelpDocuments, ShowTheDocumentBesideTheProgramInTheBrowser) {
  const DocumentCase& c = GetParam();
  TempFolder empty_folder;
  RunningProgram program;
  // Present documents come from the build folder, where the build puts them beside the program;
  // a missing one from a folder that holds nothing.
  const std::string folder = *c.title ? KESTROVA_BUILD_DIR : empty_folder.Path().string();
  program.Program().App().SetFolder(folder);
  ASSERT_EQ(fs::exists(fs::path(folder) / c.file), *c.title != '\0');

  wxWebView* view = program.Frame().WebView();
  ASSERT_FALSE(view->IsShown()) << "the browser starts hidden";
  BrowserWatch watch(view);
  MessageBoxAnswerer user;
  const int windows_before = VisibleGtkWindowCount();
  const std::string suffix = std::string("/") + c.file;

  program.ChooseMenu(program.Form().*c.item);
  ASSERT_TRUE(WaitUntil([&] { return watch.For(suffix).has_value(); })) << "the browser reported nothing for " << suffix;
  EXPECT_TRUE(view->IsShown());
  EXPECT_EQ(view->GetCurrentURL().utf8_string(), "file://" + folder + suffix);
  if (*c.title) {
    EXPECT_FALSE(watch.For(suffix)->failed);
    EXPECT_TRUE(WaitUntil([&] { return view->GetCurrentTitle().utf8_string() == c.title; }))
        << "title: " << view->GetCurrentTitle().utf8_string();
  } else {
    EXPECT_TRUE(watch.For(suffix)->failed);
    // The browser puts its own page in place of the missing document, naming it.
    std::string text;
    EXPECT_TRUE(WaitUntil([&] {
      wxString shown;
      if (!view->RunScript("document.body ? document.body.innerText : ''", &shown)) return false;
      text = shown.utf8_string();
      return text.find(folder + suffix) != std::string::npos;
    })) << "page text: " << text;
  }
  Settle(500ms);
  EXPECT_EQ(VisibleGtkWindowCount(), windows_before) << "a window opened";
  EXPECT_TRUE(user.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Menu, HelpDocuments,
    ::testing::Values(DocumentCase{"Contents", &Form2::Contents, "help.html", "Kestrova Help"},
                      DocumentCase{"License", &Form2::License, "license-pro.html", "Kestrova License"},
                      DocumentCase{"LicenseMissing", &Form2::License, "license-pro.html", ""}),
    [](const ::testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrova::testing
