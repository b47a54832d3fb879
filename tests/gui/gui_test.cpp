// The real program in this process under a private X server: every widget mirrors its control of
// the form model, real clicks, keys and drags reach the handlers, the layout follows the window
// system, and the About dialog comes and goes.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

namespace kestrova::gui {
namespace {

using namespace std::chrono_literals;
GtkWidget* Gtk(wxWindow* window) { return static_cast<GtkWidget*>(window->GetHandle()); }
std::string Str(const char* text) { return text != nullptr ? text : ""; }

// Turns the event loop, idle time too, until `done` holds; false when `timeout` passed first.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  for (const auto end = std::chrono::steady_clock::now() + timeout; !done(); std::this_thread::sleep_for(2ms)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessIdle();
  }
  return true;
}
void Pump(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

// Real input through the X server comes back through GDK's own connection after a round trip.
void Deliver(bool /*sent*/) {
  gdk_display_sync(gdk_display_get_default());
  Pump(10ms);
  PumpUntil([] { return !gtk_events_pending(); }, 2s);
}
void Click(wxWindow* widget, wxPoint at = {-1, -1}) {
  const wxRect r = widget->GetScreenRect();
  Deliver(wxUIActionSimulator().MouseMove(r.GetTopLeft() + (at.x < 0 ? wxPoint(r.width / 2, r.height / 2) : at)));
  Deliver(wxUIActionSimulator().MouseClick());
}
void Drag(wxPoint from, wxPoint to) { Deliver(wxUIActionSimulator().MouseDragDrop(from.x, from.y, to.x, to.y)); }
void Key(int key_code, int modifiers = 0) { Deliver(wxUIActionSimulator().Char(key_code, modifiers)); }

// What the stand-in user saw: every message box ("title: text"), each answered with OK from a GLib
// timer, which also runs inside the box's own modal loop.
std::vector<std::string> seen;
gboolean AnswerMessageBoxes(gpointer /*unused*/) {
  for (GList* it = gtk_window_list_toplevels(); it != nullptr; it = g_list_delete_link(it, it)) {
    auto* box = static_cast<GtkWidget*>(it->data);
    if (!GTK_IS_MESSAGE_DIALOG(box) || !gtk_widget_get_mapped(box) || g_object_get_data(G_OBJECT(box), "seen"))
      continue;
    g_object_set_data(G_OBJECT(box), "seen", box);  // an answered box may stay on screen a moment
    g_autofree gchar* text = nullptr;
    g_object_get(box, "text", &text, nullptr);
    seen.push_back(Str(gtk_window_get_title(GTK_WINDOW(box))) + ": " + text);
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  }
  return G_SOURCE_CONTINUE;
}

// The real program, started with `arguments`: created, loaded, shown, active, and its first page
// loaded, so that no late fit moves anything.
struct Window {
  explicit Window(const char* argument = nullptr)
      : argv{const_cast<char*>("kestrova"), const_cast<char*>(argument)},
        program(std::make_unique<wx::Program>(argument ? 2 : 1, argv)) {
    seen.clear();
    program->Start();
    frame = program->Frame();
    frame->WebView()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) { event.Skip(), loaded = true; });
    EXPECT_TRUE(PumpUntil([&] { return frame->IsActive() && loaded; }, 10s)) << "the window did not settle";
  }
  ~Window() {
    for (wxWindow* window : wxTopLevelWindows) window->Destroy();  // not Close, which ends the process
    PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  wxWindow* Widget(const Control& control) const { return frame->WidgetOf(control); }
  char* argv[3];
  std::unique_ptr<wx::Program> program;
  wx::MainFrame* frame = nullptr;
  Form2* form = &program->Form();
  bool loaded = false;
};

// The rows of a list, in UTF-8.
std::string Rows(const auto& rows) {
  std::string text;
  for (const auto& row : rows) text += wxString(row).utf8_string() + ";";
  return text;
}

// The window as the model has it, or as GTK shows it: a line a control with its caption, value,
// state, place in logical pixels and the name a screen reader hears; then the menu items.
std::string Mirror(const Window& window, bool shown) {
  std::string out = shown ? window.frame->GetTitle().utf8_string() : window.form->caption;
  for (Control* c : window.form->TabOrder()) {
    auto px = [&](float twips) { return std::to_string(window.frame->Scale().ToPx(twips)); };
    std::string caption = c->Caption(), value, name = c->AccessibleName();
    std::string at = px(c->WindowLeft()) + "," + px(c->WindowTop()) + " " + px(c->Width()) + "x" + px(c->Height());
    bool enabled = c->Enabled(), mapped = c->Shown();
    if (auto* box = dynamic_cast<TextBox*>(c)) value = box->Text();
    if (auto* box = dynamic_cast<CheckBox*>(c)) value = box->Ticked() ? "1" : "0";
    if (auto* box = dynamic_cast<ListBox*>(c)) value = Rows(box->Items()) + std::to_string(box->ListIndex());
    if (shown) {
      GtkWidget* w = Gtk(window.Widget(*c));
      GtkWidget* label = GTK_IS_FRAME(w) ? gtk_frame_get_label_widget(GTK_FRAME(w))
                         : GTK_IS_BIN(w) ? gtk_bin_get_child(GTK_BIN(w))
                                         : w;
      caption = GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
      value = GTK_IS_ENTRY(w)          ? gtk_entry_get_text(GTK_ENTRY(w))
              : GTK_IS_CHECK_BUTTON(w) ? (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)) ? "1" : "0")
                                       : "";
      if (auto* list = dynamic_cast<wxListBox*>(window.Widget(*c)))
        value = Rows(list->GetStrings()) + std::to_string(list->GetSelection());
      int x = 0, y = 0;
      gtk_widget_translate_coordinates(w, gtk_widget_get_parent(w), 0, 0, &x, &y);
      at = std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(gtk_widget_get_allocated_width(w)) + "x" +
           std::to_string(gtk_widget_get_allocated_height(w));
      enabled = gtk_widget_is_sensitive(w), mapped = gtk_widget_get_mapped(w);
      name = Str(atk_object_get_name(gtk_widget_get_accessible(w)));
    }
    for (const std::string& part : {"\n" + c->Name(), " '" + caption, "' '" + value,
                                    std::string(enabled ? "' on " : "' off "), mapped ? at : "hidden", " " + name})
      out += part;
  }
  for (MenuItem* item : window.form->Menus()) {
    if (item->Parent() == nullptr) continue;
    GtkWidget* w = window.frame->MenuItemOf(*item)->GetMenuItem();
    std::string caption = !shown                          ? item->Caption()
                          : GTK_IS_SEPARATOR_MENU_ITEM(w) ? "-"
                                                          : gtk_menu_item_get_label(GTK_MENU_ITEM(w));
    std::ranges::replace(caption, '_', '&');
    out += " " + caption + ((!shown || gtk_widget_is_sensitive(w)) ? "" : "(off)");
  }
  return out;
}

// The widgets may follow the model a little later.
void ExpectMirrored(const Window& window) {
  PumpUntil([&] { return Mirror(window, true) == Mirror(window, false); }, 3s);
  EXPECT_EQ(Mirror(window, true), Mirror(window, false));
}

// What another program offers in a drag of links.
const GtkTargetEntry kLinks{const_cast<gchar*>("text/uri-list"), 0, 0};

// After each real click, key or drag: the About dialogs (and whether one is active), the options,
// the box to add from, the list and its selection, and the message boxes shown meanwhile.
std::string State(const Form2& f) {
  int abouts = 0;
  bool active = false;
  for (wxWindow* w : wxTopLevelWindows) {
    if (auto* about = dynamic_cast<wx::AboutWindow*>(w)) ++abouts, active = about->IsActive();
  }
  return "about " + std::to_string(abouts) + (active ? " active" : "") + ", random " +
         std::to_string(f.chk_random.Value()) + ", add '" + f.txtItemToAdd.Text() + "', list " +
         Rows(f.lstPlayList.Items()) + std::to_string(f.lstPlayList.ListIndex()) + ", seen " + Rows(seen);
}

// Started with arguments, so that each return to the main window from another of its forms starts
// a run, which on the empty list asks for one. The About dialog comes once, from the keyboard, and
// every way of closing it unloads it.
TEST(MainWindow, ClicksKeysAndDragsReachTheirHandlers) {
  Window window("/t=1");
  Form2& form = *window.form;
  const wxPoint box = window.Widget(form.txtItemToAdd)->GetScreenPosition() + wxPoint(20, 8);  // where drags end
  auto about = [&] {
    PumpUntil([&] { return window.frame->IsActive(); });
    Key('h', wxMOD_ALT), Pump(200ms), Key('a');
    PumpUntil([&] { return State(form).starts_with("about 1 active"); });
    return wxGetTopLevelParent(wxWindow::FindWindowByName("cmdOK"));
  };
  const std::string asked = "seen Kestrova: Please enter at least one URL or open a file.;";
  // Which button runs which handler is the core's wiring; here real input reaches the model at all.
  // clang-format off
  const std::pair<std::function<void()>, std::string> kSteps[] = {
      {[&] { about(); },                                             "about 1 active, random 0, add '', list -1, seen "},
      {[&] { Click(window.Widget(form.Label1)); },                    "about 1, random 0, add '', list -1, " + asked},
      {[&] { about(); },                                             "about 1 active, random 0, add '', list -1, seen "},
      {[&] { Click(wxWindow::FindWindowByName("cmdOK", about())); }, "about 0, random 0, add '', list -1, " + asked},
      {[&] { about(), Key(WXK_ESCAPE); },                            "about 0, random 0, add '', list -1, " + asked},
      {[&] { gtk_window_close(GTK_WINDOW(Gtk(about()))); },          "about 0, random 0, add '', list -1, " + asked},
      {[&] { Click(window.Widget(form.chk_random)); },               "about 0, random 1, add '', list -1, seen "},
      {[&] { Click(window.Widget(form.txtItemToAdd)), Deliver(wxUIActionSimulator().Text("www.example.org/a")); },
                                                                     "about 0, random 1, add 'www.example.org/a', list -1, seen "},
      {[&] { Click(window.Widget(form.cmdAddItem)); },               "about 0, random 1, add '', list www.example.org/a;-1, seen "},
      {[&] { Click(window.Widget(form.lstPlayList), {30, 8}); },     "about 0, random 1, add '', list www.example.org/a;0, seen "},
      // The current URL's text is added, and the box keeps what was typed.
      {[&] {
         form.txtItemToAdd.SetText("typed"), form.txt_url1.SetText("http://dragged.example/");
         gtk_editable_select_region(GTK_EDITABLE(Gtk(window.Widget(form.txt_url1))), 0, -1);
         Drag(window.Widget(form.txt_url1)->GetScreenPosition() + wxPoint(8, 8), box);
       }, "about 0, random 1, add 'typed', list www.example.org/a;http://dragged.example/;0, seen "},
      // Links offered by a window not the program's: the drop says "here" and never asks for them.
      {[&] {
         GtkWidget* other = gtk_window_new(GTK_WINDOW_POPUP);  // 40 pixels square, under the window's corner
         gtk_window_move(GTK_WINDOW(other), window.frame->GetScreenRect().x, window.frame->GetScreenRect().GetBottom() + 9);
         gtk_widget_set_size_request(other, 40, 40);
         gtk_drag_source_set(other, GDK_BUTTON1_MASK, &kLinks, 1, GDK_ACTION_COPY);
         g_signal_connect(other, "drag-data-get", G_CALLBACK(+[] { seen.push_back("the links were read"); }), nullptr);
         gtk_widget_show_all(other);
         Drag(window.frame->GetScreenRect().GetBottomLeft() + wxPoint(20, 30), box);
         gtk_widget_destroy(other);
       }, "about 0, random 1, add 'typed', list www.example.org/a;http://dragged.example/;0, seen Kestrova: here;"},
  };
  // clang-format on
  for (const auto& [act, expected] : kSteps) {
    seen.clear();
    act();
    PumpUntil([&, expected = expected] { return State(form) == expected; }, 3s);
    Pump(100ms);  // time for a box too many
    EXPECT_EQ(State(form), expected);
    ExpectMirrored(window);
  }
  EXPECT_EQ(form.txt_url1.Text(), "http://dragged.example/") << "the drag moved the text";
}

// What the window system does to the window, and the model and widgets after it, at 100 %, on a
// desktop at 200 %, where the window keeps its logical pixels, and with large text, where the form
// grows with the text. Too small a size warns (one box a resize notification; how many a resize
// brings is the window system's affair) and moves nothing.
TEST(Layout, FollowsTheWindowSystem) {
  Window window;
  Form2& form = *window.form;
  EXPECT_EQ(gtk_widget_get_scale_factor(Gtk(window.frame)), std::getenv("GDK_SCALE") ? 2 : 1);
  const wx::Twips& scale = window.frame->Scale();
  EXPECT_FLOAT_EQ(scale.PerPixel(), 15 / std::stof(std::getenv("GDK_DPI_SCALE") ? std::getenv("GDK_DPI_SCALE") : "1"));
  // The least width that is arranged, in pixels at this scale, and a height that leaves the browser
  // panel a pixel (GTK leaves a widget given no height at all where it was).
  const int least_width = static_cast<int>(std::ceil(7000 / scale.PerPixel()));
  const int least_height = static_cast<int>(std::ceil(2000 / scale.PerPixel() + 0.5f));
  form.WebBrowser1.SetVisible(true);  // as a run does, so that GTK allocates the browser
  for (int i = 0; i < 30; ++i) form.lstPlayList.AddItem("http://www.example.org/a/long/path/" + std::to_string(i));
  // The model's size in twips follows the window's client size, and the warning came or not.
  const auto twips = [&] { return wxSize(int(form.ScaleWidth), int(form.ScaleHeight)); };
  const auto client = [&, px = [&] { return window.frame->GetClientSize(); }] {
    return wxSize(int(scale.FromPx(px().x)), int(scale.FromPx(px().y)));
  };
  // clang-format off
  const std::tuple<const char*, wxSize, bool> kSteps[] = {
      {"narrowest arranged, a long list in a 5-pixel box", {least_width, least_height},     false},
      {"a pixel too narrow",                               {least_width - 1, least_height}, true},
      {"800x600, arranged again after the warning",        {800, 600},                      false},
  };
  // clang-format on
  for (const auto& [what, size, warns] : kSteps) {
    SCOPED_TRACE(what);
    seen.clear();
    window.frame->SetClientSize(size);
    // wx takes the new size at once; the window system answers each request later, in order, so
    // the size is settled when GTK has given the client area the last one asked.
    ASSERT_TRUE(PumpUntil(
        [&, size = size] {
          GtkWidget* area = window.frame->m_wxwindow;
          return gtk_widget_get_allocated_width(area) == size.x && gtk_widget_get_allocated_height(area) == size.y;
        },
        10s));
    EXPECT_TRUE(PumpUntil([&, warns = warns] { return twips() == client() && seen.empty() != warns; }, 10s))
        << "model " << twips().x << "x" << twips().y << " twips, " << seen.size() << " boxes";
    ExpectMirrored(window);
  }
  // Every widget asks no more room than it has, and every caption is whole: the width it would like
  // is the width it has, or less. (Whether it shows is the mirror's.)
  for (Control* c : form.TabOrder()) {
    GtkRequisition least{}, natural{};
    gtk_widget_get_preferred_size(Gtk(window.Widget(*c)), &least, &natural);
    const wxSize has = window.Widget(*c)->GetSize();
    EXPECT_TRUE(least.width <= has.x && least.height <= has.y && (c->Caption().empty() || natural.width <= has.x))
        << c->Name() << " '" << c->Caption() << "' wants " << natural.width << " pixels, has " << has.x;
  }
  // The top panel hidden: its widgets go, and the menu item's label follows its caption.
  form.mnuHide.Click();
  ExpectMirrored(window);
}

}  // namespace
}  // namespace kestrova::gui

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  int result = 1;
  wxApp::SetInstance(new wxApp);
  wxTheApp->SetExitOnFrameDelete(false);  // the tests destroy their main windows
  wxTheApp->CallAfter([&result] {
    g_timeout_add(20, kestrova::gui::AnswerMessageBoxes, nullptr);
    result = RUN_ALL_TESTS(), wxTheApp->ExitMainLoop();
  });
  wxEntry(argc, argv);
  // The entries look for this line: the program's own shut-down would end the process with 0.
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
