// The real window: every widget mirrors its control of the form model, clicks, keys and drags
// reach the handlers, the layout holds through the window system's resizes, About and Help.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include <wx/init.h>
#include <wx/listbox.h>
#include <wx/menu.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

std::string Str(const char* text) { return text != nullptr ? text : ""; }
std::string Px(float twips) { return std::to_string(std::lround(twips / 15)); }

std::string Related(GtkWidget* widget, AtkRelationType type) {
  AtkRelationSet* set = atk_object_ref_relation_set(gtk_widget_get_accessible(widget));
  AtkRelation* relation = atk_relation_set_get_relation_by_type(set, type);
  std::string name = relation ? Str(atk_object_get_name(ATK_OBJECT(g_ptr_array_index(atk_relation_get_target(relation), 0)))) : "";
  g_object_unref(set);
  return name;
}

// The window as the model has it (from_model) or as GTK shows it, one line a control and a menu
// item: caption, value, tooltip, state, place in logical pixels, and what a screen reader hears.
std::string Mirror(Window& window, bool from_model) {
  Form2& form = window.form();
  std::ostringstream out;
  out << (from_model ? form.caption : window.frame().GetTitle().utf8_string()) << "\n";
  for (Control* c : form.TabOrder()) {
    GtkWidget* w = Gtk(window.Widget(*c));
    std::string caption = c->Caption(), value, shown = c->Shown() ? "shown" : "hidden";
    if (c->Kind() == ControlKind::TextBox) value = static_cast<TextBox*>(c)->Text();
    if (c->Kind() == ControlKind::CheckBox) value = static_cast<CheckBox*>(c)->Ticked() ? "1" : "0";
    if (auto* list = dynamic_cast<ListBox*>(c)) {
      for (std::int64_t row = 0; row < list->ListCount(); ++row) value += list->List(row) + (row == list->ListIndex() ? "*;" : ";");
    }
    std::string place = Px(c->WindowLeft()) + "," + Px(c->WindowTop()) + " " + Px(c->Width()) + "x" + Px(c->Height());
    std::string names = c->AccessibleName() + " < " + (c->LabelledBy() ? c->LabelledBy()->AccessibleName() : "") +
                        " in " + (c->Container() ? c->Container()->AccessibleName() : "");
    bool enabled = c->Enabled();
    std::string tip = c->ToolTip();
    if (!from_model) {
      GtkWidget* inside = GTK_IS_BIN(w) ? gtk_bin_get_child(GTK_BIN(w)) : nullptr;
      caption = GTK_IS_FRAME(w) ? Str(gtk_frame_get_label(GTK_FRAME(w)))
                : GTK_IS_LABEL(w) ? gtk_label_get_text(GTK_LABEL(w))
                : GTK_IS_BUTTON(w) && GTK_IS_LABEL(inside) ? gtk_label_get_text(GTK_LABEL(inside)) : "";
      value = GTK_IS_ENTRY(w) ? gtk_entry_get_text(GTK_ENTRY(w))
              : GTK_IS_CHECK_BUTTON(w) ? (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)) ? "1" : "0") : "";
      if (auto* list = dynamic_cast<wxListBox*>(window.Widget(*c))) {
        for (unsigned row = 0; row < list->GetCount(); ++row) value += list->GetString(row).utf8_string() + (list->IsSelected(static_cast<int>(row)) ? "*;" : ";");
      }
      int x = 0, y = 0;
      gtk_widget_translate_coordinates(w, Gtk(window.Widget(*c)->GetParent()), 0, 0, &x, &y);
      place = std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(gtk_widget_get_allocated_width(w)) + "x" +
              std::to_string(gtk_widget_get_allocated_height(w));
      names = Str(atk_object_get_name(gtk_widget_get_accessible(w))) + " < " + Related(w, ATK_RELATION_LABELLED_BY) +
              " in " + Related(w, ATK_RELATION_MEMBER_OF);
      enabled = gtk_widget_is_sensitive(w);
      shown = gtk_widget_get_mapped(w) ? "shown" : "hidden";
      gchar* tooltip = gtk_widget_get_tooltip_text(w);
      tip = Str(tooltip);
      g_free(tooltip);
    }
    out << c->Name() << " '" << caption << "' '" << value << "' '" << tip << "' " << (enabled ? "enabled " : "disabled ")
        << shown << " " << (c->Shown() ? place : "") << " " << names << "\n";
  }
  wxMenuBar* bar = window.frame().GetMenuBar();
  std::size_t menu = 0;
  for (MenuItem* item : form.Menus()) {
    std::string caption = item->Caption();
    for (char& ch : caption) ch = ch == '&' ? '_' : ch;
    auto* gtk = GTK_MENU_ITEM(item->Parent() ? window.frame().MenuItemOf(*item)->GetMenuItem() : bar->GetMenu(menu++)->m_owner);
    out << (from_model ? caption : GTK_IS_SEPARATOR_MENU_ITEM(gtk) ? "-" : gtk_menu_item_get_label(gtk))
        << (from_model ? item->Enabled() : gtk_widget_is_sensitive(GTK_WIDGET(gtk))) << " ";
  }
  return out.str();
}

// The widgets may follow the model a little later.
void ExpectMirrored(Window& window) {
  PumpUntil([&] { return Mirror(window, false) == Mirror(window, true); }, 3s);
  EXPECT_EQ(Mirror(window, false), Mirror(window, true));
}

class Gui : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.settled()); }
  MessageBoxes boxes;
  Window window;
  Form2& form = window.form();
};

using MainWindow = Gui;
using Layout = Gui;
using Help = Gui;

TEST_F(MainWindow, ShowsTheModelWithContentThatFitsAndTabsThroughIt) {
  ExpectMirrored(window);
  std::vector<std::string> names, expected;
  for (Control* c : form.TabOrder()) {
    names.push_back(c->AccessibleName());
    wxWindow* widget = window.Widget(*c);
    if (!c->Shown()) continue;
    int width = 0, height = 0;  // the room the content asks for fits the room it has
    gtk_widget_get_preferred_width(Gtk(widget), &width, nullptr);
    gtk_widget_get_preferred_height(Gtk(widget), &height, nullptr);
    EXPECT_TRUE(width <= widget->GetSize().x && height <= widget->GetSize().y) << c->Name() << " is cut off";
    if (c->Enabled() && c->Kind() != ControlKind::GroupBox && c->Kind() != ControlKind::Label) expected.push_back(c->Name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Top panel", "Start Browsing", "Stop Browsing", "Load Settings.", "Save Settings.",
                                             "Browser panel", "Web browser", "Current URL", "Passes", "Current URL",
                                             "Interval settings", "Random - N", "Interval", "Interval", "Playlist editor",
                                             "URL to add", "Add", "Remove", "Playlist", "Loop", "Exit", "No Cache"}));
  expected.push_back(expected.front());  // the walk wraps round
  std::vector<std::string> walked;
  window.Widget(form.start_button)->SetFocus();
  for (std::size_t step = 0; step < expected.size(); ++step, PressKey(WXK_TAB)) {
    walked.push_back(wxWindow::FindFocus() ? wxWindow::FindFocus()->GetName().utf8_string() : "none");
  }
  EXPECT_EQ(walked, expected);
}

// Each real click, key or drag and the model it leaves: the options, the box to add from, the
// list with its selection, the run's stop flag and the message boxes shown.
std::string State(Form2& f, const MessageBoxes& boxes) {
  std::string list;
  for (const std::string& item : f.lstPlayList.Items()) list += item + ";";
  return "random " + std::to_string(f.chk_random.Value()) + ", loop " + std::to_string(f.ckLoop.Value()) +
         (f.ckLoop.Enabled() ? "" : " disabled") + ", exit " + std::to_string(f.ckExit.Value()) + ", add '" +
         f.txtItemToAdd.Text() + "', list " + list + std::to_string(f.lstPlayList.ListIndex()) + ", stop " + f.StopFlag +
         ", boxes " + std::to_string(boxes.seen.size()) + (boxes.seen.empty() ? "" : ": " + boxes.seen.back());
}

TEST_F(MainWindow, ClicksKeysAndDragsReachTheirHandlers) {
  auto click = [&](const Control& c) { return [&] { Click(window.Widget(c)); }; };
  auto drag_from = [&](wxPoint from) {
    wxUIActionSimulator mouse;
    const wxPoint to = window.Widget(form.txtItemToAdd)->GetScreenPosition() + wxPoint(20, 8);
    mouse.MouseMove(from);
    Deliver();
    mouse.MouseDown();
    for (int step = 1; step <= 8; ++step, Pump(20ms)) {
      mouse.MouseMove(from + (to - from) * step / 8);
      Deliver();
    }
    mouse.MouseUp();
  };
  const std::string no_list = "Corvane: Please enter at least one URL or open a file.";
  const std::pair<std::function<void()>, std::string> kSteps[] = {
      {click(form.chk_random), "random 1, loop 1, exit 0, add '', list -1, stop N, boxes 0"},
      {click(form.ckExit), "random 1, loop 0 disabled, exit 1, add '', list -1, stop N, boxes 0"},
      {click(form.ckLoop), "random 1, loop 0 disabled, exit 1, add '', list -1, stop N, boxes 0"},
      {click(form.ckExit), "random 1, loop 0, exit 0, add '', list -1, stop N, boxes 0"},
      {[&] { Click(window.Widget(form.txtItemToAdd)), wxUIActionSimulator().Text("www.example.org/a  "), Deliver(); },
       "random 1, loop 0, exit 0, add 'www.example.org/a  ', list -1, stop N, boxes 0"},
      {click(form.cmdAddItem), "random 1, loop 0, exit 0, add '', list www.example.org/a;-1, stop N, boxes 0"},
      {[&] { Click(window.Widget(form.lstPlayList), wxPoint(30, 8)); },
       "random 1, loop 0, exit 0, add '', list www.example.org/a;0, stop N, boxes 0"},
      {click(form.cmdRemoveItem), "random 1, loop 0, exit 0, add '', list -1, stop N, boxes 0"},
      {click(form.start_button), "random 1, loop 0, exit 0, add '', list -1, stop N, boxes 1: " + no_list},
      {click(form.stop_button), "random 1, loop 0, exit 0, add '', list -1, stop Y, boxes 1: " + no_list},
      // The current URL's text is added; the box keeps what was typed.
      {[&] {
         form.txtItemToAdd.SetText("typed"), form.txt_url1.SetText("http://dragged.example/  ");
         gtk_editable_select_region(GTK_EDITABLE(Gtk(window.Widget(form.txt_url1))), 0, -1);
         drag_from(window.Widget(form.txt_url1)->GetScreenPosition() + wxPoint(8, 8));
       },
       "random 1, loop 0, exit 0, add 'typed', list http://dragged.example/;-1, stop Y, boxes 1: " + no_list},
      // Another program's drag only says "here", and its data is never asked for.
      {[&] {
         const wxPoint at(window.frame().GetScreenRect().x, window.frame().GetScreenRect().GetBottom() + 10);
         const std::string where = std::to_string(at.x) + "," + std::to_string(at.y);
         const char* argv[] = {"/proc/self/exe", "--drag-source", where.c_str(), nullptr};
         GPid source = 0;
         gint out = -1;
         char shown[7] = {};
         ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                              nullptr, &source, nullptr, &out, nullptr, nullptr));
         ASSERT_EQ(read(out, shown, 6), 6);
         drag_from(at + wxPoint(20, 20));
         PumpUntil([&] { return boxes.seen.size() == 2; });
         EXPECT_EQ(waitpid(source, nullptr, WNOHANG), 0) << "the dragged data was read";
         kill(source, SIGTERM), waitpid(source, nullptr, 0), close(out);
       },
       "random 1, loop 0, exit 0, add 'typed', list http://dragged.example/;-1, stop Y, boxes 2: Corvane: here"},
  };
  for (const auto& [act, expected] : kSteps) {
    act();
    PumpUntil([&] { return State(form, boxes) == expected; }, 3s);
    Pump(100ms);  // time for a box too many
    EXPECT_EQ(State(form, boxes), expected);
    ExpectMirrored(window);
  }
  EXPECT_EQ(form.txt_url1.Text(), "http://dragged.example/  ") << "a drag moves no text";
  // Bytes that are not UTF-8 are Windows-1252, whose 0x80-0x9F differ from Latin-1.
  form.txt_url1.SetText("\x93q\x94 caf\xe9 \x80");
  form.lstPlayList.AddItem("\x9f");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(Gtk(window.Widget(form.txt_url1)))), "“q” café €");
  EXPECT_EQ(static_cast<wxListBox*>(window.Widget(form.lstPlayList))->GetString(1).utf8_string(), "Ÿ");
}

// What the window system does to the window, and the model and widgets after it. Runs at 100 %
// and on a desktop at 200 %, where every logical pixel must come out as at 100 %.
bool Resize(Window& window, int width, int height) {
  window.frame().SetClientSize(width, height);
  return PumpUntil([&] { return window.frame().GetClientSize() == wxSize(width, height); });
}

TEST_F(Layout, FollowsTheWindowSystem) {
  EXPECT_EQ(gtk_widget_get_scale_factor(Gtk(&window.frame())), std::getenv("GDK_SCALE") ? 2 : 1);
  form.WebBrowser1.SetVisible(true);  // as a run does, so that GTK allocates the browser
  for (int i = 0; i < 30; ++i) form.lstPlayList.AddItem("http://www.example.org/a/long/path/" + std::to_string(i));
  auto wait_state = [&](WindowState state) { return PumpUntil([&] { return form.window_state == state; }); };
  const std::tuple<const char*, std::function<bool()>, bool> kSteps[] = {
      {"design size", [] { return true; }, false},
      {"smallest arranged, a long list in a 5-pixel box", [&] { return Resize(window, 467, 134); }, false},
      {"a pixel too narrow", [&] { return Resize(window, 466, 134); }, true},
      {"a pixel too low", [&] { return Resize(window, 467, 133); }, true},
      {"800x600", [&] { return Resize(window, 800, 600); }, false},
      {"maximized", [&] { return window.frame().Maximize(), wait_state(WindowState::Maximized); }, false},
      {"restored", [&] { return window.frame().Maximize(false), wait_state(WindowState::Normal); }, false},
      {"minimized and back",
       [&] {
         window.frame().Iconize();
         return wait_state(WindowState::Minimized) && (window.frame().Iconize(false), wait_state(WindowState::Normal));
       },
       false},
      {"top panel hidden", [&] { return window.Choose(form.mnuHide), true; }, false},
      {"resized while hidden", [&] { return Resize(window, 900, 650); }, false},
      {"top panel shown", [&] { return window.Choose(form.mnuHide), true; }, false},
  };
  for (const auto& [what, act, warns] : kSteps) {
    SCOPED_TRACE(what);
    boxes.seen.clear();
    ASSERT_TRUE(act());
    const wxSize client = window.frame().GetClientSize();
    EXPECT_TRUE(PumpUntil([&] {
      return form.ScaleWidth == static_cast<float>(client.x * 15) && form.ScaleHeight == static_cast<float>(client.y * 15) &&
             boxes.seen.empty() != warns;
    })) << client.x << "x" << client.y;
    EXPECT_TRUE(window.WaitForLayout());
    ExpectMirrored(window);
    // One box a resize notification; how many a resize brings is the window system's affair.
    for (const std::string& box : boxes.seen) EXPECT_EQ(box, "Corvane: If you reduce the form to much, it may cause problems.");
  }
}

// The About dialog beside the main window. Started with arguments, each return to the main window
// starts a run, which on the empty list asks for one.
TEST(About, OpensOnceEachReturnStartsTheRunAndEveryWayOfClosingUnloadsIt) {
  MessageBoxes boxes;
  Window window({"/t=1"});
  Form2& form = window.form();
  ASSERT_TRUE(PumpUntil([&] { return boxes.seen.size() == 1; })) << "the first showing started no run";
  wx::AboutWindow* about = window.OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(Gtk(about))), "About Kestrova");
  // The etched line: grey on row 130, white on 131 and 132, from x = 6 to 207.
  std::string seen;
  EXPECT_TRUE(PumpUntil([&] {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(about->GTKGetDrawingWindow(), 0, 0, 214, 185);
    auto pixel = [&](int x, int y) {
      const guchar* p = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) + x * gdk_pixbuf_get_n_channels(shot);
      return p[0] << 16 | p[1] << 8 | p[2];
    };
    seen.clear();
    for (int y = 130; y <= 134; ++y, seen += ' ') {
      for (int x : {5, 6, 7, 100, 207, 208}) {
        const int colour = pixel(x, y);
        seen += colour == pixel(100, 128) ? '.' : colour == 0x808080 ? 'g' : colour == 0xffffff ? 'w' : '?';
      }
    }
    g_object_unref(shot);
    return seen == "...... .gggg. ..www. ..www. ...... ";
  })) << seen;
  EXPECT_EQ(boxes.seen.size(), 1u) << "opening the dialog is no return";
  Click(window.Widget(form.Label1));
  EXPECT_TRUE(PumpUntil([&] { return boxes.seen.size() == 2; })) << "a click on the main window beside it is a return";
  form.app_title = "renamed since";
  EXPECT_EQ(window.OpenAbout(), about) << "the second choice brings the same dialog forward";
  const std::function<void()> kClosings[] = {
      [&] { Click(wxWindow::FindWindowByName("cmdOK", about)); }, [] { PressKey(WXK_RETURN); },
      [] { PressKey(WXK_ESCAPE); }, [&] { gtk_window_close(GTK_WINDOW(Gtk(about))); }};
  for (const auto& close : kClosings) {
    const std::size_t before = boxes.seen.size();
    close();
    EXPECT_TRUE(PumpUntil([&] { return LoadedAbout() == nullptr && boxes.seen.size() == before + 1; }));
    form.app_title = "Corvane";
    ASSERT_NE(about = window.OpenAbout(), nullptr);
    EXPECT_EQ(form.app_title, "Kestrova") << "loaded afresh";
  }
}

// Help documents from beside the program in the browser; a missing one shows the browser's own
// page naming it. No window or box opens.
TEST_F(Help, ShowsItsDocumentsInTheBrowser) {
  wxWebView* view = window.frame().WebView();
  const std::tuple<const char*, const MenuItem*, std::string> kRows[] = {
      {KESTROVA_BUILD_DIR, &form.Contents, "Kestrova Help"},
      {"/tmp/kestrova-nothing-here", &form.License, "/tmp/kestrova-nothing-here/license-pro.html"}};
  const std::size_t windows = wxTopLevelWindows.size();
  for (const auto& [folder, item, shown] : kRows) {
    window.program().App().SetFolder(folder);
    window.Choose(*item);
    wxString text;
    EXPECT_TRUE(PumpUntil([&] {
      return view->GetCurrentTitle() == shown.c_str() ||
             (view->RunScript("document.body.innerText", &text) && text.Contains(shown.c_str()));
    }, 10s)) << shown;
    EXPECT_TRUE(view->IsShown());
  }
  Pump(300ms);
  EXPECT_EQ(wxTopLevelWindows.size(), windows);
  EXPECT_TRUE(boxes.seen.empty());
}

}  // namespace
}  // namespace kestrova::gui

int result = 1;

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    SetExitOnFrameDelete(false);  // the tests destroy their main windows
    CallAfter([this] { result = RUN_ALL_TESTS(), ExitMainLoop(); });
    return true;
  }
};
wxIMPLEMENT_APP_NO_MAIN(GuiTestApp);

int main(int argc, char** argv) {
  // Another program's window at x,y offering a drag; it says when it is shown, and ends if asked
  // for the data.
  if (argc == 3 && std::string(argv[1]) == "--drag-source") {
    gtk_init(nullptr, nullptr);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_move(GTK_WINDOW(window), std::atoi(argv[2]), std::atoi(std::strchr(argv[2], ',') + 1));
    gtk_widget_set_size_request(window, 40, 40);
    GtkTargetEntry offered{const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_drag_source_set(window, GDK_BUTTON1_MASK, &offered, 1, GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_LINK));
    g_signal_connect(window, "map-event", G_CALLBACK(+[]() -> gboolean { return (std::puts("shown") + std::fflush(stdout)) < 0; }), nullptr);
    g_signal_connect(window, "drag-data-get", G_CALLBACK(+[] { _exit(1); }), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  wxEntry(argc, argv);
  // The entries look for this line: the program's own shut-down would end the process with 0.
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
