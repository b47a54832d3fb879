#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "help/about.h"
#include "help/help_documents.h"
#include "layout/arrange.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

TEST(DocumentAddress, JoinsFolderAndNameAsPlainText) {
  struct Case {
    std::string folder, file, address;
  };
  const std::vector<Case> cases{
      {"/opt/kestrova", "help.html", "/opt/kestrova/help.html"},
      // The root keeps its own separator, so the join doubles it.
      {"/", "help.html", "//help.html"},
      {"/home/ann/My Apps", "license-pro.html", "/home/ann/My Apps/license-pro.html"},
      {R"(C:\Program Files\Kestrova)", "help.html", R"(C:\Program Files\Kestrova/help.html)"},
      {R"(C:\)", "help.html", R"(C:\/help.html)"},
  };
  for (const Case& c : cases) EXPECT_EQ(DocumentAddress(c.folder, c.file), c.address);
}

struct DocumentCase {
  const char* name;
  void (*click)(Form2&);
  std::string folder;
  std::string address;
  friend void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }
};

class HelpMenuDocument : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(HelpMenuDocument, ShowsTheDocumentInTheSilentBrowser) {
  const DocumentCase& c = GetParam();
  Harness h;
  h.app.folder = c.folder;
  h.form.WebBrowser1.SetVisible(false);
  h.form.WebBrowser1.SetListener([&](Prop p) {
    if (p != Prop::Visible) return;
    h.journal.entries.push_back({h.clock.now_ms, h.form.WebBrowser1.Visible() ? "shown" : "hidden"});
  });
  c.click(h.form);

  EXPECT_TRUE(h.form.WebBrowser1.Visible());
  EXPECT_TRUE(h.browser.silent);
  EXPECT_EQ(h.journal.Lines(), (std::vector<std::string>{"shown", "silent on", "navigate " + c.address}));
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Items, HelpMenuDocument,
    ::testing::Values(DocumentCase{"Contents", Contents_Click, "/opt/kestrova", "/opt/kestrova/help.html"},
                      DocumentCase{"License", License_Click, "/opt/kestrova", "/opt/kestrova/license-pro.html"},
                      DocumentCase{"ContentsFromRoot", Contents_Click, "/", "//help.html"},
                      DocumentCase{"LicenseFromRoot", License_Click, "/", "//license-pro.html"}),
    [](const ::testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

TEST(HelpMenu, AboutAsksTheApplicationForTheDialogEachTime) {
  Harness h;
  About_Click(h.form);
  About_Click(h.form);
  // Whether a second dialog opens is the window host's call; the menu only asks.
  EXPECT_EQ(h.app.about_shown, 2);
  // Only loading the dialog renames the application.
  EXPECT_EQ(h.form.app_title, "Corvane");
  EXPECT_TRUE(h.browser.navigations.empty());
}

// The window host may keep one dialog model and load it again on each opening.
TEST(AboutDialog, EachLoadFillsTheSameTexts) {
  Harness h;
  AboutDialog dialog;
  for (int opening = 1; opening <= 2; ++opening) {
    SCOPED_TRACE("opening " + std::to_string(opening));
    frmAbout_Load(dialog, h.form);
    EXPECT_EQ(h.form.app_title, "Kestrova");
    EXPECT_EQ(dialog.caption, "About Kestrova");
    EXPECT_EQ(dialog.lblTitle, "Kestrova");
    EXPECT_EQ(dialog.lblVersion, "Version 4.0.0");
    EXPECT_EQ(dialog.lblDescription,
              "This program simulates network activity to keep your Internet connection alive.");
    EXPECT_EQ(dialog.cmdOK, "OK");
  }
}

// Untitled message boxes carry the application title, which the dialog's load changes for good.
TEST(AboutDialog, MessageBoxesCarryTheOldTitleBeforeAndTheNewOneAfter) {
  const std::vector<std::pair<const char*, std::function<void(Form2&)>>> messages{
      {"empty playlist", [](Form2& f) { start_button_Click(f); }},
      {"window too small",
       [](Form2& f) {
         f.ScaleWidth = 5000;
         Form_Resize(f);
       }},
  };
  for (const auto& [what, show] : messages) {
    SCOPED_TRACE(what);
    Harness h;
    show(h.form);
    AboutDialog dialog;
    frmAbout_Load(dialog, h.form);
    show(h.form);
    ASSERT_EQ(h.message_boxes.shown.size(), 2u);
    EXPECT_EQ(h.message_boxes.shown[0].title, "Corvane");
    EXPECT_EQ(h.message_boxes.shown[1].title, "Kestrova");
  }
}

}  // namespace
}  // namespace kestrova
