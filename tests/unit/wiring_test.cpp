#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "browse/option_toggles.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

constexpr float kDesignedBrowserWidth = 10335;

// What a click left behind: the services' journal, then the controls its handler changes directly.
std::string Effect(const Harness& h) {
  std::string effect;
  const auto add = [&effect](const std::string& fact) { effect += (effect.empty() ? "" : "; ") + fact; };
  const std::string journal = h.Journal();
  for (std::size_t at = 0; at < journal.size();) {
    const std::size_t end = std::min(journal.find('|', at), journal.size());
    add(journal.substr(journal.find(' ', at) + 1, end - journal.find(' ', at) - 1));
    at = end + 1;
  }
  if (h.form.lstPlayList.ListCount() > 0) add("list " + h.form.lstPlayList.List(0));
  if (!h.form.Frame1.Visible()) add("panel hidden");
  if (h.form.chk_random.Caption() != kRandomOff) add(h.form.chk_random.Caption());
  if (!h.form.ckLoop.Enabled()) add("loop locked");
  if (h.form.WebBrowser1.Width() != kDesignedBrowserWidth) add("browser fitted");
  return effect;
}

// Each button, menu command and check box runs its own handler, on an empty playlist; so does the
// browser when a document is complete.
TEST(FormWiring, EachClickRunsItsHandler) {
  struct Row {
    const char* clicked;
    void (*click)(Form2&);
    std::string effect;
  };
  const std::string empty_list = "message Corvane: Please enter at least one URL or open a file.";
  const Row rows[] = {
      {"start_button", [](Form2& f) { f.start_button.Click(); }, empty_list},
      {"Start", [](Form2& f) { f.Start.Click(); }, empty_list},
      {"stop_button", [](Form2& f) { f.stop_button.Click(); }, "browser stop"},
      {"Stop", [](Form2& f) { f.Stop.Click(); }, "browser stop"},
      {"cmdOpen", [](Form2& f) { f.cmdOpen.Click(); }, "open dialog at "},
      {"Load", [](Form2& f) { f.Load.Click(); }, "browser stop; open dialog at "},
      {"cmdSave", [](Form2& f) { f.cmdSave.Click(); }, "save dialog at "},
      {"Save", [](Form2& f) { f.Save.Click(); }, "save dialog at "},
      {"cmdAddItem", [](Form2& f) { f.txtItemToAdd.SetText("a"), f.cmdAddItem.Click(); }, "list a"},
      {"cmdRemoveItem",
       [](Form2& f) { f.lstPlayList.AddItem("a"), f.lstPlayList.AddItem("b"), f.lstPlayList.SetListIndex(0),
                      f.cmdRemoveItem.Click(); },
       "list b"},
      {"mnuHide", [](Form2& f) { f.mnuHide.Click(); }, "panel hidden; browser fitted"},
      {"Contents", [](Form2& f) { f.Contents.Click(); }, "silent on; navigate /opt/kestrova/help.html"},
      {"License", [](Form2& f) { f.License.Click(); }, "silent on; navigate /opt/kestrova/license-pro.html"},
      {"About", [](Form2& f) { f.About.Click(); }, "show about"},
      {"Exit", [](Form2& f) { f.Exit.Click(); }, "browser stop; hide window; end program"},
      {"chk_random", [](Form2& f) { f.chk_random.SetValue(CheckBox::kTicked); }, kRandomOn},
      {"ckExit", [](Form2& f) { f.ckExit.SetValue(CheckBox::kTicked); }, "loop locked"},
      {"WebBrowser1", [](Form2& f) { f.WebBrowser1.DocumentComplete(); }, "browser fitted"},
  };
  for (const Row& row : rows) {
    Harness h;
    try {
      row.click(h.form);
    } catch (const testing::ProgramEnded&) {
    }
    EXPECT_EQ(Effect(h), row.effect) << row.clicked;
  }
  // Only Exit is not held back by a navigation's wait for the browser.
  Harness h;
  for (MenuItem* item : h.form.Menus()) {
    EXPECT_EQ(item->Timing(), item == &h.form.Exit ? WhileNavigating::AtOnce : WhileNavigating::Deferred)
        << item->Name();
  }
}

}  // namespace
}  // namespace kestrova
