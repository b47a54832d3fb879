#pragma once
// What the GUI tests share: the real program in this process, its event loop turned while a test
// waits, real input through the X server, what GTK shows of a widget, and a stand-in user who
// reads and answers every message box.

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

inline void PrintTo(const wxRect& r, std::ostream* o) { *o << r.x << ',' << r.y << ' ' << r.width << 'x' << r.height; }

namespace kestrova::gui {

using namespace std::chrono_literals;

// Turns the event loop (idle time too, so destroyed windows go) until `done` holds; false when
// `timeout` passed first.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(2ms);
  }
  return true;
}
inline void Pump(std::chrono::milliseconds duration) { PumpUntil([] { return false; }, duration); }

// Real input takes a detour through the window manager, so its effect is awaited.
#define EXPECT_SOON_EQ(actual, expected)                                                         \
  do {                                                                                           \
    ::kestrova::gui::PumpUntil([&] { return (actual) == (expected); }, std::chrono::seconds(3)); \
    EXPECT_EQ(actual, expected);                                                                 \
  } while (false)

inline GtkWidget* Gtk(wxWindow* window) { return static_cast<GtkWidget*>(window->GetHandle()); }

inline std::string Take(gchar* text) {
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

// Real clicks and keys through the X server; `at` from the widget's corner, else its middle. The
// events come back through GDK's own connection, queued after a round trip.
inline void Deliver() {
  gdk_display_sync(gdk_display_get_default());
  Pump(10ms);
  PumpUntil([] { return !gtk_events_pending(); }, 2s);
}
inline void Click(wxWindow* widget, std::optional<wxPoint> at = std::nullopt) {
  const wxRect rect = widget->GetScreenRect();
  wxUIActionSimulator().MouseMove(rect.GetTopLeft() + at.value_or(wxPoint(rect.width / 2, rect.height / 2)));
  Deliver();
  wxUIActionSimulator().MouseClick();
  Deliver();
}
inline void Type(const char* text) {
  wxUIActionSimulator().Text(text);
  Deliver();
}
inline void PressKey(int key_code, int modifiers = 0) {
  wxUIActionSimulator().Char(key_code, modifiers);
  Deliver();
}

// What GTK shows: caption, value (entry text, "1"/"0" of a check box, list rows one a line),
// tooltip, sensitivity, and whether it is on screen.
struct Shown {
  std::string label, value, tooltip;
  bool sensitive = false;
  bool mapped = false;
  bool operator==(const Shown&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{\"" << s.label << "\" value \"" << s.value << "\" tip \"" << s.tooltip << "\""
               << (s.sensitive ? "" : " insensitive") << (s.mapped ? "" : " unmapped") << "}";
  }
};

inline Shown ReadShown(wxWindow* window) {
  GtkWidget* widget = Gtk(window);
  Shown shown;
  if (GTK_IS_FRAME(widget)) {
    shown.label = gtk_frame_get_label(GTK_FRAME(widget)) ? gtk_frame_get_label(GTK_FRAME(widget)) : "";
  } else if (GTK_IS_BUTTON(widget)) {
    // A picture button holds an image instead of a label.
    GtkWidget* inside = gtk_bin_get_child(GTK_BIN(widget));
    if (GTK_IS_LABEL(inside)) shown.label = gtk_label_get_text(GTK_LABEL(inside));
    if (GTK_IS_CHECK_BUTTON(widget)) shown.value = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) ? "1" : "0";
  } else if (GTK_IS_ENTRY(widget)) {
    shown.value = gtk_entry_get_text(GTK_ENTRY(widget));
  } else if (GTK_IS_LABEL(widget)) {
    shown.label = gtk_label_get_text(GTK_LABEL(widget));
  } else if (auto* list = dynamic_cast<wxListBox*>(window)) {
    for (unsigned row = 0; row < list->GetCount(); ++row) {
      shown.value += list->GetString(row).utf8_string() + (list->IsSelected(static_cast<int>(row)) ? " (selected)\n" : "\n");
    }
  }
  shown.tooltip = Take(gtk_widget_get_tooltip_text(widget));
  shown.sensitive = gtk_widget_is_sensitive(widget);
  shown.mapped = gtk_widget_get_mapped(widget);
  return shown;
}

// The room the content asks for fits the room the widget has.
inline bool ContentFits(wxWindow* window) {
  int width = 0, height = 0;
  gtk_widget_get_preferred_width(Gtk(window), &width, nullptr);
  gtk_widget_get_preferred_height(Gtk(window), &height, nullptr);
  return width <= window->GetSize().x && height <= window->GetSize().y;
}

// The colour of a pixel as 0xRRGGBB.
inline unsigned Pixel(GdkPixbuf* image, int x, int y) {
  const guchar* p = gdk_pixbuf_get_pixels(image) + y * gdk_pixbuf_get_rowstride(image) +
                    x * gdk_pixbuf_get_n_channels(image);
  return p[0] << 16 | p[1] << 8 | p[2];
}

inline std::vector<wx::AboutWindow*> LoadedAboutWindows() {
  std::vector<wx::AboutWindow*> found;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* about = dynamic_cast<wx::AboutWindow*>(window);
    if (about != nullptr && !about->IsBeingDeleted()) found.push_back(about);
  }
  return found;
}

// The real program, started with `arguments`: its window created, loaded, shown and settled.
class Window {
 public:
  explicit Window(std::vector<std::string> arguments = {}) : storage_{"kestrova"} {
    storage_.insert(storage_.end(), arguments.begin(), arguments.end());
    for (std::string& argument : storage_) argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    program_ = std::make_unique<wx::Program>(static_cast<int>(storage_.size()), argv_.data());
    program_->Start();
    frame().WebView()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) { event.Skip(), ++pages_loaded_; });
    frame().Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) { event.Skip(), ++menus_opened_; });
    // Settled: on screen, active, and the browser's first page loaded, so no late fit moves anything.
    settled_ = PumpUntil([&] { return frame().IsActive() && pages_loaded_ > 0; }, 10s) && WaitForLayout();
  }
  ~Window() {
    for (wx::AboutWindow* about : LoadedAboutWindows()) about->Destroy();
    frame().Destroy();  // not Close: closing the main window ends the process
    PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  bool Settled() const { return settled_; }
  int PagesLoaded() const { return pages_loaded_; }
  wx::Program& program() { return *program_; }
  Form2& form() { return program_->Form(); }
  wx::MainFrame& frame() { return *program_->Frame(); }
  wxWindow& panel() { return *Widget(form().start_button)->GetParent(); }
  wxWindow* Widget(const Control& control) { return frame().WidgetOf(control); }
  Shown Read(const Control& control) { return ReadShown(Widget(control)); }

  // What GTK allocated to the widget, relative to the panel.
  wxRect Allocation(const Control& control) {
    GtkWidget* widget = Gtk(Widget(control));
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, Gtk(&panel()), 0, 0, &x, &y);
    return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
  }
  // The model's place in logical pixels, 15 twips a pixel at any scale, summed over the containers.
  static wxRect Design(const Control& c) {
    auto px = [](float twips) { return static_cast<int>(std::lround(twips / 15)); };
    return {px(c.WindowLeft()), px(c.WindowTop()), px(c.Width()), px(c.Height())};
  }
  // Resizes the client area and waits until the model and GTK have both applied it.
  bool SetClientSize(int width, int height) {
    frame().SetClientSize(width, height);
    return PumpUntil([&] {
      return frame().GetClientSize() == wxSize(width, height) && form().ScaleWidth == static_cast<float>(width) * 15.0f &&
             form().ScaleHeight == static_cast<float>(height) * 15.0f;
    }) && WaitForLayout();
  }
  // Waits for three frames of the window: the places given before the first are allocations.
  bool WaitForLayout() {
    GdkFrameClock* clock = gtk_widget_get_frame_clock(Gtk(&frame()));
    if (clock == nullptr || !gtk_widget_get_mapped(Gtk(&frame()))) return false;
    const gint64 first = gdk_frame_clock_get_frame_counter(clock);
    return PumpUntil([&] {
      gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_UPDATE);
      return gdk_frame_clock_get_frame_counter(clock) >= first + 3;
    }, 3s);
  }
  void Choose(const MenuItem& item) {
    wxCommandEvent command(wxEVT_MENU, frame().MenuItemOf(item)->GetId());
    command.SetEventObject(&frame());
    frame().HandleWindowEvent(command);
  }
  // Alt+H, A on the keyboard (the window manager activates only windows raised soon after real
  // input); the About dialog once it is active, else nullptr.
  wx::AboutWindow* OpenAbout() {
    const int menus = menus_opened_;
    if (!PumpUntil([&] { return frame().IsActive(); })) return nullptr;
    PressKey('h', wxMOD_ALT);
    if (!PumpUntil([&] { return menus_opened_ > menus; })) return nullptr;
    PressKey('a');
    PumpUntil([] { return LoadedAboutWindows().size() == 1 && LoadedAboutWindows()[0]->IsActive(); }, 10s);
    return LoadedAboutWindows().size() == 1 && LoadedAboutWindows()[0]->IsActive() ? LoadedAboutWindows()[0] : nullptr;
  }

 private:
  std::vector<std::string> storage_;
  std::vector<char*> argv_;
  std::unique_ptr<wx::Program> program_;
  bool settled_ = false;
  int pages_loaded_ = 0, menus_opened_ = 0;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.Settled()); }
  Window window;
  Form2& form = window.form();
};

// Everything the window shows, one line a control.
inline std::string Snapshot(Window& window) {
  std::ostringstream out;
  for (Control* control : window.form().TabOrder()) {
    out << control->Name() << " " << window.Read(*control) << " ";
    PrintTo(window.Widget(*control)->GetRect(), &out);
    out << "\n";
  }
  return out.str();
}

// A message box as the user saw it.
struct SeenBox {
  std::string title, text;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  std::string buttons;
  bool modal = false;
  GtkWindow* owner = nullptr;
};

// While it lives, every message box on screen is recorded and closed with OK. It looks from a
// GLib timer, which also runs inside the box's own modal loop.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() : source_(g_timeout_add(20, &MessageBoxWatcher::Look, this)) {}
  ~MessageBoxWatcher() { g_source_remove(source_); }
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  static gboolean Look(gpointer self) {
    GList* windows = gtk_window_list_toplevels();
    for (GList* it = windows; it != nullptr; it = it->next) {
      auto* box = static_cast<GtkWidget*>(it->data);
      // A box just answered may stay on screen for a moment.
      if (!GTK_IS_MESSAGE_DIALOG(box) || !gtk_widget_get_mapped(box) || g_object_get_data(G_OBJECT(box), "seen")) {
        continue;
      }
      g_object_set_data(G_OBJECT(box), "seen", box);
      SeenBox seen;
      seen.title = Take(g_strdup(gtk_window_get_title(GTK_WINDOW(box))));
      gchar* text = nullptr;
      g_object_get(box, "text", &text, "message-type", &seen.type, nullptr);
      seen.text = Take(text);
      for (int response : {GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL, GTK_RESPONSE_YES, GTK_RESPONSE_NO}) {
        GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), response);
        if (button != nullptr) seen.buttons += gtk_button_get_label(GTK_BUTTON(button)) + std::string(" ");
      }
      seen.modal = gtk_window_get_modal(GTK_WINDOW(box));
      seen.owner = gtk_window_get_transient_for(GTK_WINDOW(box));
      static_cast<MessageBoxWatcher*>(self)->seen_.push_back(seen);
      gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
  }
  std::vector<SeenBox> seen_;
  guint source_;
};

}  // namespace kestrova::gui
