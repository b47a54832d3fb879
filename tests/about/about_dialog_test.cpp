// The About dialog on screen: one at a time, its texts and design, the ways it closes, and what
// loading it changes elsewhere in the program.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include "gui_support.h"
#include "help/about.h"

namespace kestrova::testing {
namespace {

constexpr const char* kDescription =
    "This program simulates network activity to keep your Internet connection alive.";
constexpr const char* kEmptyListMessage = "Please enter at least one URL or open a file.";

GtkWindow* GtkOf(wxWindow* window) { return GTK_WINDOW(window->GetHandle()); }

std::vector<long> LongProperty(wxWindow* window, const char* name, Atom type) {
  GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window->GetHandle()));
  Display* display = GDK_WINDOW_XDISPLAY(gdk);
  Atom actual_type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display, GDK_WINDOW_XID(gdk), XInternAtom(display, name, False), 0, 64, False, type,
                         &actual_type, &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const auto* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

bool HasNetWmState(wxWindow* window, const char* state) {
  GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window->GetHandle()));
  const Atom wanted = XInternAtom(GDK_WINDOW_XDISPLAY(gdk), state, False);
  for (long atom : LongProperty(window, "_NET_WM_STATE", XA_ATOM)) {
    if (static_cast<Atom>(atom) == wanted) return true;
  }
  return false;
}

std::string LabelOf(wxWindow* dialog, const char* name) {
  wxWindow* control = wxWindow::FindWindowByName(name, dialog);
  return control ? control->GetLabel().utf8_string() : "<no " + std::string(name) + ">";
}

struct ShownTexts {
  std::string caption, title, version, description, ok;
  bool operator==(const ShownTexts&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const ShownTexts& t) {
    return os << '"' << t.caption << "\" / \"" << t.title << "\" / \"" << t.version << "\" / \"" << t.description
              << "\" / \"" << t.ok << '"';
  }
};

ShownTexts TextsOf(wxWindow* dialog) {
  // The title as the window manager gets it.
  return {gtk_window_get_title(GtkOf(dialog)), LabelOf(dialog, "lblTitle"), LabelOf(dialog, "lblVersion"),
          LabelOf(dialog, "lblDescription"), LabelOf(dialog, "cmdOK")};
}

const ShownTexts kLoadedTexts{"About Kestrova", "Kestrova", "Version 4.0.0", kDescription, "OK"};

class AboutDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(program.Frame().IsActive()) << "the window manager never activated the main window";
    // The expected pixels below are the design's twips at 15 to the pixel.
    ASSERT_EQ(program.Frame().Scale().ToPx(1440), 96);
  }
  RunningProgram program;
};

TEST_F(AboutDialog, OpensOnceWithoutOwnerAndComesForwardOnTheSecondClick) {
  EXPECT_EQ(program.Form().app_title, "Corvane");
  wx::AboutWindow* first = program.OpenAbout();
  ASSERT_NE(first, nullptr) << "no About dialog became active";
  EXPECT_EQ(first->GetParent(), nullptr);
  EXPECT_EQ(gtk_window_get_transient_for(GtkOf(first)), nullptr);
  EXPECT_FALSE(first->IsModal());
  EXPECT_EQ(program.Form().app_title, "Kestrova");

  // The main window stays usable: the user goes back to it with the dialog still open.
  program.ClickMainWindow();
  ASSERT_TRUE(WaitUntil([&] { return program.Frame().IsActive(); }));
  EXPECT_TRUE(first->IsShown());

  // A second load would rename the application again; nothing but loading does.
  program.Form().app_title = "renamed since";
  EXPECT_EQ(program.OpenAbout(), first) << "the open dialog was not brought forward";
  Settle(300ms);
  EXPECT_EQ(LoadedAboutWindows(), std::vector<wx::AboutWindow*>{first});
  EXPECT_EQ(program.Form().app_title, "renamed since");
  EXPECT_EQ(TextsOf(first), kLoadedTexts);
}

TEST_F(AboutDialog, ShowsItsTextsAtTheDesignPlacesInAFixedWindowOffTheTaskBar) {
  wx::AboutWindow* about = program.OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(TextsOf(about), kLoadedTexts);
  EXPECT_EQ(about->GetClientSize(), wxSize(214, 185));

  struct Expected {
    const char* name;
    wxRect rect;
  };
  for (const Expected& e : {Expected{"lblTitle", {8, 8, 187, 16}}, Expected{"lblVersion", {8, 32, 195, 15}},
                            Expected{"lblDescription", {8, 56, 195, 62}}, Expected{"cmdOK", {176, 144, 28, 23}}}) {
    wxWindow* control = wxWindow::FindWindowByName(e.name, about);
    ASSERT_NE(control, nullptr) << e.name;
    EXPECT_EQ(control->GetRect(), e.rect) << e.name;
  }

  // The description is broken into lines that fit its place, in the font it is drawn with.
  auto* description = wxWindow::FindWindowByName("lblDescription", about);
  PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(description->GetHandle()));
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  EXPECT_GE(pango_layout_get_line_count(layout), 2);
  EXPECT_LE(width, 195);
  EXPECT_LE(height, 62);
  // Neither the title nor the version needs more than its place.
  for (const char* name : {"lblTitle", "lblVersion"}) {
    auto* label = wxWindow::FindWindowByName(name, about);
    pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label->GetHandle())), &width, &height);
    EXPECT_LE(width, label->GetSize().x) << name;
    EXPECT_LE(height, label->GetSize().y) << name;
  }

  auto* ok = wxWindow::FindWindowByName("cmdOK", about);
  EXPECT_EQ(about->GetDefaultItem(), ok);
  EXPECT_TRUE(ok->HasFocus());

  // What the window manager is told: a fixed size, no minimise or maximise, no task-bar entry.
  EXPECT_FALSE(about->HasFlag(wxRESIZE_BORDER));
  XSizeHints hints{};
  long supplied = 0;
  GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(about->GetHandle()));
  ASSERT_TRUE(XGetWMNormalHints(GDK_WINDOW_XDISPLAY(gdk), GDK_WINDOW_XID(gdk), &hints, &supplied));
  EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
  EXPECT_EQ(wxSize(hints.min_width, hints.min_height), wxSize(214, 185));
  EXPECT_EQ(wxSize(hints.max_width, hints.max_height), wxSize(214, 185));
  const std::vector<long> motif = LongProperty(about, "_MOTIF_WM_HINTS", AnyPropertyType);
  ASSERT_GE(motif.size(), 3u);
  constexpr long kFunctionsGiven = 1, kDecorationsGiven = 2;
  constexpr long kFuncMinimise = 8, kFuncMaximise = 16, kFuncClose = 32;
  constexpr long kDecorMinimise = 32, kDecorMaximise = 64;
  EXPECT_TRUE((motif[0] & kFunctionsGiven) && (motif[0] & kDecorationsGiven));
  EXPECT_EQ(motif[1] & (kFuncMinimise | kFuncMaximise), 0);
  EXPECT_NE(motif[1] & kFuncClose, 0);
  EXPECT_EQ(motif[2] & (kDecorMinimise | kDecorMaximise), 0);
  EXPECT_TRUE(WaitUntil([&] { return HasNetWmState(about, "_NET_WM_STATE_SKIP_TASKBAR"); }));
}

TEST_F(AboutDialog, DrawsAnEtchedRuleAboveTheButton) {
  wx::AboutWindow* about = program.OpenAbout();
  ASSERT_NE(about, nullptr);
  const wxSize size = about->GetClientSize();
  struct Row {
    int y;
    int first_x;
    guint32 rgb;
  };
  // Grey from twips 90 to 3120 on row 1965; white, two pixels high, from 105 on row 1980.
  const std::vector<Row> rule{{131, 6, 0x808080}, {132, 7, 0xFFFFFF}, {133, 7, 0xFFFFFF}};
  constexpr int kEnd = 208;
  auto pixel = [](GdkPixbuf* shot, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
                      x * gdk_pixbuf_get_n_channels(shot);
    return static_cast<guint32>(p[0] << 16 | p[1] << 8 | p[2]);
  };
  std::string mismatch;
  const bool drawn = WaitUntil([&] {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(about->GTKGetDrawingWindow(), 0, 0, size.x, size.y);
    if (shot == nullptr) return false;
    mismatch.clear();
    const guint32 background = pixel(shot, 100, 128);
    for (const Row& row : rule) {
      for (int x = 0; x < size.x && mismatch.empty(); ++x) {
        const bool inside = x >= row.first_x && x < kEnd;
        const guint32 seen = pixel(shot, x, row.y);
        if (inside ? seen != row.rgb : seen == row.rgb) {
          mismatch = "row " + std::to_string(row.y) + " x " + std::to_string(x);
        }
      }
    }
    // The rule is three rows high and no more.
    for (int y : {130, 134}) {
      if (pixel(shot, 100, y) != background) mismatch += " row " + std::to_string(y) + " is not background";
    }
    g_object_unref(shot);
    return mismatch.empty();
  }, 5s);
  EXPECT_TRUE(drawn) << mismatch;
}

struct Closing {
  const char* how;
  std::function<void(wx::AboutWindow*)> close;
};

TEST_F(AboutDialog, OkEnterEscapeAndTheCloseBoxUnloadItAndTheNextOpeningLoadsItAfresh) {
  const std::vector<Closing> ways{
      {"OK clicked", [](wx::AboutWindow* about) { ClickOn(wxWindow::FindWindowByName("cmdOK", about)); }},
      {"Enter", [](wx::AboutWindow*) { wxUIActionSimulator().Char(WXK_RETURN); }},
      {"Escape", [](wx::AboutWindow*) { wxUIActionSimulator().Char(WXK_ESCAPE); }},
      // What the window manager's close box asks of the window.
      {"close box", [](wx::AboutWindow* about) { gtk_window_close(GtkOf(about)); }},
  };
  const int windows_before = TopLevelWindowCount();
  for (const Closing& way : ways) {
    SCOPED_TRACE(way.how);
    program.Form().app_title = "Corvane";
    wx::AboutWindow* about = program.OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(TextsOf(about), kLoadedTexts);
    EXPECT_EQ(program.Form().app_title, "Kestrova");
    way.close(about);
    EXPECT_TRUE(WaitUntil([&] { return TopLevelWindowCount() == windows_before; })) << "the dialog was not destroyed";
    EXPECT_TRUE(LoadedAboutWindows().empty());
  }
}

// Message boxes without a title of their own carry the application's title, which the About
// dialog's loading changes for good.
TEST(MessageBoxTitle, EmptyListBoxCarriesCorvaneBeforeAboutWasOpenedAndKestrovaAfter) {
  RunningProgram program;
  MessageBoxAnswerer user;
  program.PressButton(program.Form().start_button);
  wx::AboutWindow* about = program.OpenAbout();
  ASSERT_NE(about, nullptr);
  wxUIActionSimulator().Char(WXK_ESCAPE);
  ASSERT_TRUE(WaitUntil([] { return LoadedAboutWindows().empty(); }));
  program.PressButton(program.Form().start_button);
  program.ChooseMenu(program.Form().Start);

  ASSERT_EQ(user.Seen().size(), 3u);
  EXPECT_EQ(user.Titles(), (std::vector<std::string>{"Corvane", "Kestrova", "Kestrova"}));
  for (const auto& box : user.Seen()) EXPECT_EQ(box.text, kEmptyListMessage);
}

// Started with arguments, every return to the main window starts a run; coming back from the
// About dialog, by closing it or by clicking the main window, is such a return.
TEST(MessageBoxTitle, ReturningFromAboutStartsTheArgumentsRunAgain) {
  MessageBoxAnswerer user;
  RunningProgram program({"/t=1"});
  ASSERT_TRUE(WaitUntil([&] { return user.Seen().size() == 1; })) << "the first showing started no run";
  EXPECT_EQ(user.Seen()[0].title, "Corvane");
  EXPECT_EQ(user.Seen()[0].text, kEmptyListMessage);

  wx::AboutWindow* about = program.OpenAbout();
  ASSERT_NE(about, nullptr);
  Settle(300ms);
  EXPECT_EQ(user.Seen().size(), 1u) << "opening the dialog is no return to the main window";

  program.ClickMainWindow();
  ASSERT_TRUE(WaitUntil([&] { return user.Seen().size() == 2; })) << "clicking the main window started no run";
  EXPECT_EQ(user.Seen()[1].title, "Kestrova");
  EXPECT_TRUE(about->IsShown());

  // Back to the dialog, then OK: the main window is active again, and that is a return too.
  ClickOn(wxWindow::FindWindowByName("lblDescription", about));
  ASSERT_TRUE(WaitUntil([&] { return about->IsActive(); }));
  wxUIActionSimulator().Char(WXK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return user.Seen().size() == 3; }))
      << "closing the dialog started no run; dialogs left: " << LoadedAboutWindows().size()
      << ", main window active: " << program.Frame().IsActive();
  EXPECT_EQ(user.Seen()[2].title, "Kestrova");
  EXPECT_TRUE(LoadedAboutWindows().empty());
}

}  // namespace
}  // namespace kestrova::testing
