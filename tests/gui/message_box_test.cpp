// Starting with an empty playlist: a real modal box says so, and nothing else happens.

#include <gtest/gtest.h>
#include <wx/menu.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

class EmptyStart : public WindowTest {};

struct WayToStart {
  const char* name;
  void (*start)(Window&);
};

const WayToStart kWaysToStart[] = {
    {"click on Start Browsing", [](Window& w) { Click(w.Widget(w.form().start_button)); }},
    {"File > Start", [](Window& w) { ChooseMenu(w.frame(), *w.frame().MenuItemOf(w.form().Start)); }},
};

TEST_F(EmptyStart, ShowsTheMessageBoxAndChangesNothing) {
  for (const WayToStart& way : kWaysToStart) {
    SCOPED_TRACE(way.name);
    const std::string before = Snapshot(window);
    std::vector<SeenBox> seen;
    {
      MessageBoxWatcher watcher;
      way.start(window);
      PumpUntil([&] { return !watcher.Seen().empty(); });
      // Time for a second box, which must not come.
      Pump(150ms);
      seen = watcher.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    const SeenBox& box = seen[0];
    EXPECT_EQ(box.text, "Please enter at least one URL or open a file.");
    EXPECT_EQ(box.secondary_text, "");
    EXPECT_EQ(box.title, "Corvane");
    EXPECT_EQ(box.type, GTK_MESSAGE_OTHER) << "no icon";
    EXPECT_EQ(box.buttons, std::vector<std::string>{"_OK"});
    EXPECT_TRUE(box.modal);
    EXPECT_EQ(box.transient_for, GTK_WINDOW(Gtk(&window.frame())));
    EXPECT_EQ(Snapshot(window), before);
    EXPECT_EQ(form.StopFlag, "N");
    EXPECT_EQ(form.PassCount, 0);
  }
}

}  // namespace
}  // namespace kestrova::gui
