// A browsing run on local pages, seen through the widgets: what it locks, what it shows, and
// how a real click on Stop ends it.

#include <gtest/gtest.h>
#include <wx/webview.h>

#include <filesystem>
#include <fstream>

#include "harness.h"

namespace kestrova::gui {
namespace {

class Run : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    char pattern[] = "/tmp/kestrova-gui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    first_ = Page("first.html", "First page");
    second_ = Page("second.html", "Second page");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Page(const std::string& name, const std::string& title) {
    std::ofstream(folder_ / name) << "<html><head><title>" << title << "</title></head><body><h1>" << title
                                  << "</h1></body></html>";
    return "file://" + (folder_ / name).string();
  }

  bool Sensitive(const Control& control) { return ReadShown(window.Widget(control)).sensitive; }

  std::filesystem::path folder_;
  std::string first_, second_;
};

TEST_F(Run, WidgetsShowTheRunAndARealStopEndsIt) {
  form.lstPlayList.AddItem(first_);
  form.lstPlayList.AddItem(second_);
  // Three seconds: the wait looks for a stop every 0.3 s.
  form.txt_interval.SetText("3");
  wxWebView* browser = window.frame().WebView();
  const int pages_before = window.PagesLoaded();

  WhenReady during_first_wait(
      [&] { return window.PagesLoaded() > pages_before && browser->GetCurrentURL() == first_; },
      [&] {
        EXPECT_TRUE(window.WaitForLayout());
        EXPECT_EQ(ReadShown(window.Widget(form.url1_count_txt)).value, "0");
        EXPECT_EQ(ReadShown(window.Widget(form.txt_url1)).value, first_);
        EXPECT_EQ(ReadShown(window.Widget(form.lstPlayList)).value, first_ + " (selected)\n" + second_ + "\n");
        for (const Control* locked : std::initializer_list<const Control*>{
                 &form.cmdRemoveItem, &form.cmdAddItem, &form.chk_random, &form.url1_count_txt,
                 &form.txt_interval, &form.txt_url1}) {
          EXPECT_FALSE(Sensitive(*locked)) << locked->Name();
        }
        for (const Control* usable : std::initializer_list<const Control*>{
                 &form.start_button, &form.stop_button, &form.cmdOpen, &form.cmdSave, &form.lstPlayList,
                 &form.txtItemToAdd, &form.ckLoop, &form.ckExit, &form.ckCache}) {
          EXPECT_TRUE(Sensitive(*usable)) << usable->Name();
        }
        // The browser is on screen with the page, fitted after it loaded: Frame2 less 250 twips.
        EXPECT_TRUE(gtk_widget_get_mapped(Gtk(browser)));
        EXPECT_EQ(window.Allocation(form.WebBrowser1), (PixelRect{4, 144, 685, 426}));
        EXPECT_EQ(browser->GetCurrentTitle(), "First page");

        Click(window.Widget(form.stop_button));
        EXPECT_SOON_EQ(Sensitive(form.cmdRemoveItem), true);
        for (const Control* unlocked : std::initializer_list<const Control*>{
                 &form.cmdRemoveItem, &form.cmdAddItem, &form.chk_random, &form.url1_count_txt,
                 &form.txt_interval, &form.txt_url1}) {
          EXPECT_TRUE(Sensitive(*unlocked)) << unlocked->Name();
        }
      });

  Click(window.Widget(form.start_button));
  // The run happens inside the click's handling; this returns once it has ended.
  ASSERT_TRUE(PumpUntil([&] { return during_first_wait.Done(); }, 15s));
  Pump(100ms);
  EXPECT_EQ(form.StopFlag, "Y");
  // The loop still moved on to the second entry before it noticed the stop, without loading it.
  EXPECT_EQ(ReadShown(window.Widget(form.txt_url1)).value, second_);
  EXPECT_EQ(ReadShown(window.Widget(form.lstPlayList)).value, first_ + "\n" + second_ + " (selected)\n");
  EXPECT_EQ(browser->GetCurrentURL(), first_);
  EXPECT_EQ(ReadShown(window.Widget(form.url1_count_txt)).value, "0");
  EXPECT_TRUE(Sensitive(form.cmdAddItem));
}

}  // namespace
}  // namespace kestrova::gui
