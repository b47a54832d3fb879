#include <gtest/gtest.h>

#include <string>

#include "browse/option_toggles.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Fake;

constexpr float kDesignedBrowserWidth = 10335;

// What a click left behind: the services' journal, then the controls its handler changes directly.
std::string Effect(Fake& f) {
  if (f.form.lstPlayList.ListCount() > 0) f.Log("list " + f.form.lstPlayList.List(0));
  if (!f.form.Frame1.Visible()) f.Log("panel hidden");
  if (f.form.chk_random.Caption() != kRandomOff) f.Log(f.form.chk_random.Caption());
  if (!f.form.ckLoop.Enabled()) f.Log("loop locked");
  if (f.form.WebBrowser1.Width() != kDesignedBrowserWidth) f.Log("browser fitted");
  return f.Journal();
}

// Each button, menu command and check box runs its own handler, on an empty playlist; so does the
// browser when a document is complete.
TEST(FormWiring, EachClickRunsItsHandler) {
  struct Row {
    const char* clicked;
    testing::Handler click;
    std::string effect;
  };
  const std::string empty_list = "message Corvane: Please enter at least one URL or open a file.";
  const Row rows[] = {
      {"start_button", [](Form2& f) { f.start_button.Click(); }, "0 " + empty_list},
      {"Start", [](Form2& f) { f.Start.Click(); }, "0 " + empty_list},
      {"stop_button", [](Form2& f) { f.stop_button.Click(); }, "0 browser stop"},
      {"Stop", [](Form2& f) { f.Stop.Click(); }, "0 browser stop"},
      {"cmdOpen", [](Form2& f) { f.cmdOpen.Click(); }, "0 open dialog at "},
      {"Load", [](Form2& f) { f.Load.Click(); }, "0 browser stop|0 open dialog at "},
      {"cmdSave", [](Form2& f) { f.cmdSave.Click(); }, "0 save dialog at "},
      {"Save", [](Form2& f) { f.Save.Click(); }, "0 save dialog at "},
      {"cmdAddItem", [](Form2& f) { f.txtItemToAdd.SetText("a"), f.cmdAddItem.Click(); }, "0 list a"},
      {"cmdRemoveItem",
       [](Form2& f) {
         f.lstPlayList.AddItem("a"), f.lstPlayList.AddItem("b"), f.lstPlayList.SetListIndex(0), f.cmdRemoveItem.Click();
       },
       "0 list b"},
      {"mnuHide", [](Form2& f) { f.mnuHide.Click(); }, "0 panel hidden|0 browser fitted"},
      {"Contents", [](Form2& f) { f.Contents.Click(); }, "0 silent on|0 navigate /opt/kestrova/help.html"},
      {"License", [](Form2& f) { f.License.Click(); }, "0 silent on|0 navigate /opt/kestrova/license-pro.html"},
      {"About", [](Form2& f) { f.About.Click(); }, "0 show about"},
      {"Exit", [](Form2& f) { f.Exit.Click(); }, "0 browser stop|0 hide window|0 end program"},
      {"chk_random", [](Form2& f) { f.chk_random.SetValue(CheckBox::kTicked); }, "0 " + std::string(kRandomOn)},
      {"ckExit", [](Form2& f) { f.ckExit.SetValue(CheckBox::kTicked); }, "0 loop locked"},
      {"WebBrowser1", [](Form2& f) { f.WebBrowser1.DocumentComplete(); }, "0 browser fitted"},
  };
  for (const Row& row : rows) {
    Fake h;
    h.Play({row.click});
    EXPECT_EQ(Effect(h), row.effect) << row.clicked;
  }
  // Only Exit is not held back by a navigation's wait for the browser.
  Fake h;
  for (MenuItem* item : h.form.Menus()) {
    EXPECT_EQ(item->Timing(), item == &h.form.Exit ? WhileNavigating::AtOnce : WhileNavigating::Deferred)
        << item->Name();
  }
}

}  // namespace
}  // namespace kestrova
