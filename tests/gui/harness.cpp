#include "harness.h"

#include <cmath>
#include <ostream>
#include <sstream>
#include <thread>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

namespace kestrova::gui {
namespace {

constexpr double kTwipsPerPixel = 15.0;  // the test display runs at 96 DPI

int Px(float twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

void CollectButtonLabels(GtkWidget* widget, std::vector<std::string>& labels) {
  if (GTK_IS_BUTTON(widget) && gtk_widget_get_visible(widget)) {
    const char* label = gtk_button_get_label(GTK_BUTTON(widget));
    labels.emplace_back(label ? label : "");
    return;
  }
  if (GTK_IS_CONTAINER(widget)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* it = children; it != nullptr; it = it->next) {
      CollectButtonLabels(static_cast<GtkWidget*>(it->data), labels);
    }
    g_list_free(children);
  }
}

std::string TakeString(gchar* text) {
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

}  // namespace

void Pump(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  do {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
    std::this_thread::sleep_for(2ms);
  } while (std::chrono::steady_clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    Pump(5ms);
  }
  return true;
}

std::ostream& operator<<(std::ostream& out, const PixelRect& rect) {
  return out << "(" << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << ")";
}

PixelRect DesignPixels(const Control& control) {
  return {Px(control.WindowLeft()), Px(control.WindowTop()), Px(control.Width()), Px(control.Height())};
}

Window::Window() {
  static char name[] = "kestrova_gui_tests";
  static char* argv[] = {name, nullptr};
  program_ = std::make_unique<wx::Program>(1, argv);
  program_->Start();
  // Settled: on screen, active, and the blank page the browser starts with has loaded, so no
  // late document-complete fit changes the layout under a test.
  frame().WebView()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
    ++pages_loaded_;
    event.Skip();
  });
  settled_ = PumpUntil(
                 [&] { return gtk_widget_get_mapped(Gtk(&frame())) && frame().IsActive() && pages_loaded_ > 0; },
                 10s) &&
             WaitForLayout();
}

Window::~Window() {
  wxFrame* frame = program_->Frame();
  frame->Destroy();
  PumpUntil([frame] { return !wxTheApp->IsScheduledForDestruction(frame); });
  Pump(20ms);
  program_.reset();
}

wxWindow& Window::panel() { return *Widget(form().start_button)->GetParent(); }

PixelRect Window::Allocation(const Control& control) {
  GtkWidget* widget = Gtk(Widget(control));
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, Gtk(&panel()), 0, 0, &x, &y);
  return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
}

bool Window::SetClientSize(int width, int height) {
  frame().SetClientSize(width, height);
  const bool applied = PumpUntil([&] {
    const wxSize client = frame().GetClientSize();
    return client == wxSize(width, height) && form().ScaleWidth == static_cast<float>(width * kTwipsPerPixel) &&
           form().ScaleHeight == static_cast<float>(height * kTwipsPerPixel);
  });
  return applied && WaitForLayout();
}

bool Window::WaitForLayout() {
  GtkWidget* top = Gtk(&frame());
  if (!gtk_widget_get_mapped(top)) return false;
  // Each tick starts a frame; the layout of the frame before the third tick has been done.
  struct Ticks {
    int count = 0;
  };
  auto ticks = std::make_shared<Ticks>();
  const guint id = gtk_widget_add_tick_callback(
      top,
      [](GtkWidget*, GdkFrameClock*, gpointer data) -> gboolean {
        auto* shared = static_cast<std::shared_ptr<Ticks>*>(data);
        return ++(*shared)->count < 3 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
      },
      new std::shared_ptr<Ticks>(ticks), [](gpointer data) { delete static_cast<std::shared_ptr<Ticks>*>(data); });
  const bool done = PumpUntil([&] { return ticks->count >= 3; }, 3s);
  if (!done) gtk_widget_remove_tick_callback(top, id);
  return done;
}

MessageBoxWatcher::MessageBoxWatcher() : source_(g_timeout_add(50, &MessageBoxWatcher::Look, this)) {}

MessageBoxWatcher::~MessageBoxWatcher() { g_source_remove(source_); }

gboolean MessageBoxWatcher::Look(gpointer self) {
  auto* watcher = static_cast<MessageBoxWatcher*>(self);
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    auto* window = static_cast<GtkWidget*>(it->data);
    // Only a box the user could see: mapped on the screen.
    if (!GTK_IS_MESSAGE_DIALOG(window) || !gtk_widget_get_mapped(window)) continue;
    SeenBox box;
    const char* title = gtk_window_get_title(GTK_WINDOW(window));
    box.title = title ? title : "";
    gchar* text = nullptr;
    gchar* secondary = nullptr;
    g_object_get(window, "text", &text, "secondary-text", &secondary, "message-type", &box.type, nullptr);
    box.text = TakeString(text);
    box.secondary_text = TakeString(secondary);
    CollectButtonLabels(window, box.buttons);
    box.modal = gtk_window_get_modal(GTK_WINDOW(window));
    box.transient_for = gtk_window_get_transient_for(GTK_WINDOW(window));
    watcher->seen_.push_back(box);
    gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_OK);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

WhenReady::WhenReady(std::function<bool()> ready, std::function<void()> body)
    : ready_(std::move(ready)), body_(std::move(body)), source_(g_timeout_add(20, &WhenReady::Poll, this)) {}

WhenReady::~WhenReady() {
  if (!done_) g_source_remove(source_);
}

gboolean WhenReady::Poll(gpointer self) {
  auto* when = static_cast<WhenReady*>(self);
  if (!when->ready_()) return G_SOURCE_CONTINUE;
  when->done_ = true;
  when->body_();
  return G_SOURCE_REMOVE;
}

void DeliverSimulatedInput() {
  // The simulated input goes through GDK's own connection: once the server has answered a
  // round trip, the events it made are queued here, and are then dispatched.
  gdk_display_sync(gdk_display_get_default());
  Pump(10ms);
  PumpUntil([] { return !gtk_events_pending(); }, 2s);
}

void Click(wxWindow* widget, std::optional<wxPoint> at) {
  const wxRect rect = widget->GetScreenRect();
  const wxPoint point = rect.GetTopLeft() + at.value_or(wxPoint(rect.width / 2, rect.height / 2));
  wxUIActionSimulator mouse;
  mouse.MouseMove(point);
  DeliverSimulatedInput();
  mouse.MouseClick();
  DeliverSimulatedInput();
}

void Type(const char* text) {
  wxUIActionSimulator().Text(text);
  DeliverSimulatedInput();
}

void PressKey(int key_code) {
  wxUIActionSimulator().Char(key_code);
  DeliverSimulatedInput();
}

void ChooseMenu(wxFrame& frame, const wxMenuItem& item) {
  wxCommandEvent command(wxEVT_MENU, item.GetId());
  command.SetEventObject(&frame);
  frame.HandleWindowEvent(command);
}

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
  return out << "{label \"" << shown.label << "\", value \"" << shown.value << "\", tooltip \"" << shown.tooltip
             << "\", " << (shown.sensitive ? "sensitive" : "insensitive") << ", "
             << (shown.mapped ? "on screen" : "not on screen") << "}";
}

Shown ReadShown(wxWindow* window) {
  GtkWidget* widget = Gtk(window);
  Shown shown;
  if (GTK_IS_FRAME(widget)) {
    const char* label = gtk_frame_get_label(GTK_FRAME(widget));
    shown.label = label ? label : "";
  } else if (GTK_IS_BUTTON(widget)) {
    // The caption is the text of the label inside; a picture button holds an image instead.
    GtkWidget* inside = gtk_bin_get_child(GTK_BIN(widget));
    if (GTK_IS_LABEL(inside)) shown.label = gtk_label_get_text(GTK_LABEL(inside));
    if (GTK_IS_CHECK_BUTTON(widget)) {
      shown.value = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) ? "1" : "0";
    }
  } else if (GTK_IS_ENTRY(widget)) {
    shown.value = gtk_entry_get_text(GTK_ENTRY(widget));
  } else if (GTK_IS_LABEL(widget)) {
    shown.label = gtk_label_get_text(GTK_LABEL(widget));
  } else if (auto* list = dynamic_cast<wxListBox*>(window)) {
    for (unsigned row = 0; row < list->GetCount(); ++row) {
      shown.value += list->GetString(row).utf8_string();
      if (list->IsSelected(static_cast<int>(row))) shown.value += " (selected)";
      shown.value += "\n";
    }
  }
  shown.tooltip = TakeString(gtk_widget_get_tooltip_text(widget));
  shown.sensitive = gtk_widget_is_sensitive(widget);
  shown.mapped = gtk_widget_get_mapped(widget);
  return shown;
}

std::string Snapshot(Window& window) {
  std::ostringstream out;
  for (Control* control : window.form().TabOrder()) {
    wxWindow* widget = window.Widget(*control);
    out << control->Name() << " " << ReadShown(widget) << " " << widget->GetRect().x << "," << widget->GetRect().y
        << " " << widget->GetSize().x << "x" << widget->GetSize().y << "\n";
  }
  return out.str();
}

}  // namespace kestrova::gui
