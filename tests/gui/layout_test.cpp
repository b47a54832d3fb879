// The layout through the real window: resizing, maximizing and minimizing it, the warning for
// too small a window, and hiding and showing the top panel from the File menu.

#include <sstream>

#include <gtest/gtest.h>
#include <wx/menu.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

class Layout : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // A run shows the browser; here the model shows it the same way, so that GTK allocates it
    // and its real size can be checked.
    form.WebBrowser1.SetVisible(true);
    ASSERT_TRUE(window.WaitForLayout());
  }

  // Every widget GTK shows sits exactly where the model says; hidden ones are not on screen.
  void ExpectWidgetsOnTheModel() {
    for (Control* control : form.TabOrder()) {
      SCOPED_TRACE(control->Name());
      GtkWidget* widget = Gtk(window.Widget(*control));
      EXPECT_EQ(gtk_widget_get_mapped(widget), control->Shown());
      if (control->Shown()) {
        EXPECT_EQ(window.Allocation(*control), DesignPixels(*control));
      }
    }
  }

  std::string MenuCaption(const MenuItem& item) {
    return gtk_menu_item_get_label(GTK_MENU_ITEM(window.frame().MenuItemOf(item)->GetMenuItem()));
  }

  // Only the places of the widgets: a minimized window has nothing on screen.
  std::string Places() {
    std::ostringstream out;
    for (Control* control : form.TabOrder()) {
      const wxRect rect = window.Widget(*control)->GetRect();
      out << control->Name() << " " << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << "\n";
    }
    return out.str();
  }
};

// Pixel places for a client area of w × h pixels, worked out by hand from the twips of the
// arrangement (W = 15 w, H = 15 h) and rounded to whole pixels.
struct Expected {
  const char* name;
  PixelRect (*at)(int w, int h);
};
const Expected kArranged[] = {
    {"Frame1", [](int w, int) { return PixelRect{0, 4, w - 2, 125}; }},          // W − 30
    {"FraPlaylist", [](int w, int) { return PixelRect{376, 16, w - 382, 100}; }},  // W − 30 − 5640 − 60
    {"lstPlayList", [](int w, int) { return PixelRect{384, 24, w - 462, 56}; }},   // less 795 + 400
    {"txtItemToAdd", [](int w, int) { return PixelRect{384, 88, w - 462, 21}; }},
    {"cmdRemoveItem", [](int w, int) { return PixelRect{w - 76, 26, 53, 15}; }},  // 1050 from the right
    {"cmdAddItem", [](int w, int) { return PixelRect{w - 76, 43, 53, 15}; }},
    {"ckCache", [](int w, int) { return PixelRect{w - 76, 64, 68, 17}; }},
    {"ckExit", [](int w, int) { return PixelRect{w - 76, 79, 57, 17}; }},
    {"ckLoop", [](int w, int) { return PixelRect{w - 76, 95, 57, 17}; }},
    {"start_button", [](int, int) { return PixelRect{8, 16, 41, 45}; }},           // never moves
    {"FraCurrent", [](int, int) { return PixelRect{8, 68, 361, 49}; }},
    {"Frame2", [](int w, int h) { return PixelRect{0, 132, w - 2, h - 133}; }},   // H − 2000
    {"WebBrowser1", [](int w, int h) { return PixelRect{4, 144, w - 12, h - 150}; }},
};

void ExpectArranged(Window& window, int w, int h) {
  for (const Expected& expected : kArranged) {
    SCOPED_TRACE(expected.name);
    for (Control* control : window.form().TabOrder()) {
      if (control->Name() == expected.name) {
        EXPECT_EQ(window.Allocation(*control), expected.at(w, h));
      }
    }
  }
}

TEST_F(Layout, ResizingArrangesTheWidgets) {
  const wxSize sizes[] = {{800, 600}, {1024, 768}, {480, 160}, {704, 576}};
  MessageBoxWatcher watcher;
  for (const wxSize size : sizes) {
    SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
    ASSERT_TRUE(window.SetClientSize(size.x, size.y));
    ExpectArranged(window, size.x, size.y);
    ExpectWidgetsOnTheModel();
  }
  EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(Layout, TheSmallestArrangedSizeKeepsTheBrowsersLastHeight) {
  // 467 × 134 pixels is 7005 × 2010 twips, just above the limit: arranged, no warning. The
  // browser's height would come out below zero and is not applied. The list box and the entry
  // box are 5 pixels wide then; a long list must still not make GTK complain.
  for (int i = 0; i < 30; ++i) {
    form.lstPlayList.AddItem("http://www.example.org/a/rather/long/path/" + std::to_string(i));
  }
  form.txtItemToAdd.SetText("http://www.example.org/another/long/path/");
  MessageBoxWatcher watcher;
  ASSERT_TRUE(window.SetClientSize(800, 600));
  ASSERT_TRUE(window.SetClientSize(467, 134));
  EXPECT_TRUE(watcher.Seen().empty());
  EXPECT_EQ(window.Allocation(form.Frame1), (PixelRect{0, 4, 465, 125}));
  EXPECT_EQ(window.Allocation(form.lstPlayList), (PixelRect{384, 24, 5, 56}));
  EXPECT_EQ(window.Allocation(form.Frame2), (PixelRect{0, 132, 465, 1}));
  EXPECT_EQ(window.Allocation(form.WebBrowser1), (PixelRect{4, 144, 455, 450}));
  ExpectWidgetsOnTheModel();
}

TEST_F(Layout, TooSmallAWindowWarnsAndKeepsTheLayout) {
  // One pixel narrower or lower than the smallest arranged size.
  for (const wxSize size : {wxSize(466, 134), wxSize(467, 133)}) {
    SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
    ASSERT_TRUE(window.SetClientSize(800, 600));
    const std::string before = Snapshot(window);
    MessageBoxWatcher watcher;
    ASSERT_TRUE(window.SetClientSize(size.x, size.y));
    ASSERT_TRUE(PumpUntil([&] { return !watcher.Seen().empty(); }));
    Pump(100ms);
    // One box for each resize notification with too small a size; how many notifications one
    // resize brings is the window system's affair.
    for (const SeenBox& box : watcher.Seen()) {
      EXPECT_EQ(box.text, "If you reduce the form to much, it may cause problems.");
      EXPECT_EQ(box.title, "Corvane");
      EXPECT_EQ(box.type, GTK_MESSAGE_OTHER);
      EXPECT_EQ(box.buttons, std::vector<std::string>{"_OK"});
    }
    EXPECT_EQ(Snapshot(window), before);
    EXPECT_EQ(window.frame().GetClientSize(), size) << "the window keeps the size the user gave it";
  }
}

TEST_F(Layout, MaximizingArrangesForTheWholeScreen) {
  MessageBoxWatcher watcher;
  const wxSize normal = window.frame().GetClientSize();
  window.frame().Maximize();
  ASSERT_TRUE(PumpUntil([&] {
    const wxSize client = window.frame().GetClientSize();
    return window.frame().IsMaximized() && client.x > normal.x && form.ScaleWidth == client.x * 15.0f &&
           form.ScaleHeight == client.y * 15.0f && form.window_state == WindowState::Maximized;
  }));
  ASSERT_TRUE(window.WaitForLayout());
  const wxSize maximized = window.frame().GetClientSize();
  EXPECT_GE(maximized.x, 1200);  // the test screen is 1280 wide
  ExpectArranged(window, maximized.x, maximized.y);
  ExpectWidgetsOnTheModel();

  window.frame().Maximize(false);
  ASSERT_TRUE(PumpUntil(
      [&] { return window.frame().GetClientSize() == normal && form.ScaleWidth == normal.x * 15.0f; }));
  ASSERT_TRUE(window.WaitForLayout());
  ExpectArranged(window, normal.x, normal.y);
  EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(Layout, MinimizingChangesNothingAndRestoringArranges) {
  MessageBoxWatcher watcher;
  ASSERT_TRUE(window.SetClientSize(800, 600));
  const std::string before = Places();
  window.frame().Iconize();
  ASSERT_TRUE(PumpUntil([&] { return form.window_state == WindowState::Minimized; }));
  Pump(100ms);
  EXPECT_EQ(Places(), before);
  EXPECT_TRUE(watcher.Seen().empty()) << "a minimized window is not too small";

  window.frame().Iconize(false);
  ASSERT_TRUE(PumpUntil([&] {
    return form.window_state == WindowState::Normal && gtk_widget_get_mapped(Gtk(&window.frame()));
  }));
  ASSERT_TRUE(window.WaitForLayout());
  ExpectArranged(window, 800, 600);
  EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(Layout, HideAndShowTheTopPanelFromTheFileMenu) {
  ASSERT_TRUE(window.SetClientSize(800, 600));
  const wxMenuItem& hide = *window.frame().MenuItemOf(form.mnuHide);

  ChooseMenu(window.frame(), hide);
  ASSERT_TRUE(window.WaitForLayout());
  EXPECT_EQ(MenuCaption(form.mnuHide), "Show") << "no access key any more";
  EXPECT_EQ(hide.GetItemLabel(), "Show");
  for (Control* control : form.TabOrder()) {
    bool in_top_panel = false;
    for (const Control* c = control; c != nullptr; c = c->Container()) in_top_panel |= c == &form.Frame1;
    SCOPED_TRACE(control->Name());
    EXPECT_EQ(gtk_widget_get_visible(Gtk(window.Widget(*control))), !in_top_panel);
  }
  // The browser panel moves to the top (105 twips) and runs 30 twips short of the window's size.
  EXPECT_EQ(window.Allocation(form.Frame2), (PixelRect{0, 7, 798, 598}));
  EXPECT_EQ(window.Allocation(form.WebBrowser1), (PixelRect{4, 19, 788, 581}));
  ExpectWidgetsOnTheModel();

  // A resize keeps the panel hidden and leaves 250 twips below the browser panel.
  ASSERT_TRUE(window.SetClientSize(900, 650));
  EXPECT_FALSE(gtk_widget_get_visible(Gtk(window.Widget(form.Frame1))));
  EXPECT_EQ(window.Allocation(form.Frame2), (PixelRect{0, 7, 898, 633}));
  EXPECT_EQ(window.Allocation(form.WebBrowser1), (PixelRect{4, 19, 888, 617}));
  ExpectWidgetsOnTheModel();

  ChooseMenu(window.frame(), hide);
  ASSERT_TRUE(window.WaitForLayout());
  EXPECT_EQ(MenuCaption(form.mnuHide), "Hide");
  EXPECT_EQ(hide.GetItemLabel(), "Hide");
  ExpectArranged(window, 900, 650);
  ExpectWidgetsOnTheModel();
  for (Control* control : form.TabOrder()) {
    if (control != &form.WebBrowser1) {
      EXPECT_TRUE(gtk_widget_get_mapped(Gtk(window.Widget(*control)))) << control->Name();
    }
  }
}

}  // namespace
}  // namespace kestrova::gui
