#pragma once
// The real program in this process, its event loop turned while a test waits, real input through
// the X server, and a stand-in user who answers every message box with OK.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

namespace kestrova::gui {

using namespace std::chrono_literals;

// Turns the event loop, idle time too, until `done` holds; false when `timeout` passed first.
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
inline GtkWidget* Gtk(wxWindow* window) { return static_cast<GtkWidget*>(window->GetHandle()); }

// Real input comes back through GDK's own connection, queued after a round trip.
inline void Deliver() {
  gdk_display_sync(gdk_display_get_default());
  Pump(10ms);
  PumpUntil([] { return !gtk_events_pending(); }, 2s);
}
inline void Click(wxWindow* widget, wxPoint at = wxDefaultPosition) {
  const wxRect rect = widget->GetScreenRect();
  wxUIActionSimulator().MouseMove(rect.GetTopLeft() + (at == wxDefaultPosition ? wxPoint(rect.width / 2, rect.height / 2) : at));
  Deliver();
  wxUIActionSimulator().MouseClick();
  Deliver();
}
inline void PressKey(int key_code, int modifiers = 0) {
  wxUIActionSimulator().Char(key_code, modifiers);
  Deliver();
}

inline wx::AboutWindow* LoadedAbout() {
  for (wxWindow* window : wxTopLevelWindows) {
    auto* about = dynamic_cast<wx::AboutWindow*>(window);
    if (about != nullptr && !about->IsBeingDeleted()) return about;
  }
  return nullptr;
}

// The real program, started with `arguments`: its window created, loaded, shown and settled.
class Window {
 public:
  explicit Window(std::vector<std::string> arguments = {}) : args_{"kestrova"} {
    args_.insert(args_.end(), arguments.begin(), arguments.end());
    for (std::string& argument : args_) argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    program_ = std::make_unique<wx::Program>(static_cast<int>(args_.size()), argv_.data());
    program_->Start();
    frame().WebView()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) { event.Skip(), ++pages_loaded_; });
    // Settled: active, and the browser's first page loaded, so no late fit moves anything.
    settled_ = PumpUntil([&] { return frame().IsActive() && pages_loaded_ > 0; }, 10s) && WaitForLayout();
  }
  ~Window() {
    if (wx::AboutWindow* about = LoadedAbout()) about->Destroy();
    frame().Destroy();  // not Close: closing the main window ends the process
    PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  bool settled() const { return settled_; }
  Form2& form() { return program_->Form(); }
  wx::Program& program() { return *program_; }
  wx::MainFrame& frame() { return *program_->Frame(); }
  wxWindow* Widget(const Control& control) { return frame().WidgetOf(control); }

  // Waits for three frames of the window: the places given before the first are allocations.
  bool WaitForLayout() {
    GdkFrameClock* clock = gtk_widget_get_frame_clock(Gtk(&frame()));
    if (clock == nullptr) return false;
    const gint64 first = gdk_frame_clock_get_frame_counter(clock);
    return PumpUntil([&] {
      gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_UPDATE);
      return gdk_frame_clock_get_frame_counter(clock) >= first + 3;
    }, 3s);
  }
  void Choose(const MenuItem& item) {
    wxCommandEvent command(wxEVT_MENU, frame().MenuItemOf(item)->GetId());
    frame().HandleWindowEvent(command);
  }
  // Alt+H, A on the keyboard; the About dialog once it is active, else nullptr.
  wx::AboutWindow* OpenAbout() {
    PumpUntil([&] { return frame().IsActive(); });
    PressKey('h', wxMOD_ALT);
    Pump(200ms);
    PressKey('a');
    PumpUntil([] { return LoadedAbout() != nullptr && LoadedAbout()->IsActive(); });
    return LoadedAbout() != nullptr && LoadedAbout()->IsActive() ? LoadedAbout() : nullptr;
  }

 private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  std::unique_ptr<wx::Program> program_;
  bool settled_ = false;
  int pages_loaded_ = 0;
};

// While it lives, the text of every message box on screen is noted and the box answered with OK.
// It looks from a GLib timer, which also runs inside the box's own modal loop.
class MessageBoxes {
 public:
  MessageBoxes() : source_(g_timeout_add(20, &MessageBoxes::Look, this)) {}
  ~MessageBoxes() { g_source_remove(source_); }
  std::vector<std::string> seen;

 private:
  static gboolean Look(gpointer self) {
    GList* windows = gtk_window_list_toplevels();
    for (GList* it = windows; it != nullptr; it = it->next) {
      auto* box = static_cast<GtkWidget*>(it->data);
      if (!GTK_IS_MESSAGE_DIALOG(box) || !gtk_widget_get_mapped(box) || g_object_get_data(G_OBJECT(box), "seen")) continue;
      g_object_set_data(G_OBJECT(box), "seen", box);  // an answered box may stay on screen a moment
      gchar* text = nullptr;
      g_object_get(box, "text", &text, nullptr);
      static_cast<MessageBoxes*>(self)->seen.push_back(std::string(gtk_window_get_title(GTK_WINDOW(box))) + ": " + text);
      g_free(text);
      gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
  }
  guint source_;
};

}  // namespace kestrova::gui
