#include <gtest/gtest.h>

#include <string>

#include "browse/run_control.h"
#include "help/about.h"
#include "help/help_documents.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// The document is the application folder, "/" and its name joined as text: the root doubles the slash.
TEST(HelpMenu, ShowsTheDocumentInTheSilentBrowser) {
  struct Case {
    void (*click)(Form2&);
    std::string folder, address;
  };
  for (const Case& c : {Case{Contents_Click, "/opt/kestrova", "/opt/kestrova/help.html"},
                        Case{License_Click, "/", "//license-pro.html"}}) {
    Harness h;
    h.app.folder = c.folder;
    h.form.WebBrowser1.SetVisible(false);
    h.form.WebBrowser1.SetListener([&](Prop) { h.journal.Add(h.form.WebBrowser1.Visible() ? "shown" : "hidden"); });
    c.click(h.form);
    EXPECT_EQ(h.journal.Timed(), (Lines{"0 shown", "0 silent on", "0 navigate " + c.address}));
  }
}

// Loading the About dialog fills its texts and renames the application for good: untitled
// message boxes carry the new title from then on.
TEST(AboutDialog, FillsItsTextsAndRenamesTheApplication) {
  Harness h;
  start_button_Click(h.form);
  About_Click(h.form);
  AboutDialog dialog;
  frmAbout_Load(dialog, h.form);
  EXPECT_EQ((Lines{dialog.caption, dialog.lblTitle, dialog.lblVersion, dialog.lblDescription}),
            (Lines{"About Kestrova", "Kestrova", "Version 4.0.0",
                   "This program simulates network activity to keep your Internet connection alive."}));
  start_button_Click(h.form);
  EXPECT_TRUE(h.form.txt_interval.Enabled()) << "an empty list locks nothing";
  EXPECT_EQ(h.journal.Timed(), (Lines{"0 message Corvane: Please enter at least one URL or open a file.",
                                      "0 show about",
                                      "0 message Kestrova: Please enter at least one URL or open a file."}));
}

}  // namespace
}  // namespace kestrova
