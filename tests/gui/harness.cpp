#include "harness.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <thread>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

namespace kestrova::gui {
namespace {

int Px(float twips) { return static_cast<int>(std::lround(twips / 15)); }

std::string Text(const char* text) { return text ? text : ""; }

std::string Take(gchar* text) {
  std::string result = Text(text);
  g_free(text);
  return result;
}

void ButtonLabels(GtkWidget* widget, std::vector<std::string>& labels) {
  if (GTK_IS_BUTTON(widget) && gtk_widget_get_visible(widget)) {
    labels.emplace_back(gtk_button_get_label(GTK_BUTTON(widget)));
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_foreach(GTK_CONTAINER(widget), [](GtkWidget* child, gpointer out) {
      ButtonLabels(child, *static_cast<std::vector<std::string>*>(out));
    }, &labels);
  }
}


// Simulated input goes through GDK's own connection: after a round trip its events are queued.
void Deliver() {
  gdk_display_sync(gdk_display_get_default());
  Pump(10ms);
  PumpUntil([] { return !gtk_events_pending(); }, 2s);
}

}  // namespace

void Pump(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

Window::Window(std::vector<std::string> arguments) : storage_{"kestrova"} {
  storage_.insert(storage_.end(), arguments.begin(), arguments.end());
  for (std::string& argument : storage_) argv_.push_back(argument.data());
  argv_.push_back(nullptr);
  program_ = std::make_unique<wx::Program>(static_cast<int>(storage_.size()), argv_.data());
  program_->Start();
  frame().WebView()->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
    ++pages_loaded_;
    event.Skip();
  });
  settled_ = PumpUntil([&] { return frame().IsActive() && pages_loaded_ > 0; }, 10s) && WaitForLayout();
}

Window::~Window() {
  for (wx::AboutWindow* about : LoadedAboutWindows()) about->Destroy();
  frame().Destroy();  // not Close: closing the main window ends the process
  PumpUntil([] { return wxTopLevelWindows.empty(); });
  program_.reset();
}

wxRect Window::Allocation(const Control& control) {
  GtkWidget* widget = Gtk(Widget(control));
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, Gtk(&panel()), 0, 0, &x, &y);
  return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
}

wxRect Window::Design(const Control& c) {
  return {Px(c.WindowLeft()), Px(c.WindowTop()), Px(c.Width()), Px(c.Height())};
}

bool Window::SetClientSize(int width, int height) {
  frame().SetClientSize(width, height);
  return PumpUntil([&] {
    return frame().GetClientSize() == wxSize(width, height) && form().ScaleWidth == width * 15.0f &&
           form().ScaleHeight == height * 15.0f;
  }) && WaitForLayout();
}

bool Window::WaitForLayout() {
  GtkWidget* top = Gtk(&frame());
  if (!gtk_widget_get_mapped(top)) return false;
  // The layout of the frame before the third tick has been done.
  auto ticks = std::make_shared<int>(0);
  const guint id = gtk_widget_add_tick_callback(
      top, [](GtkWidget*, GdkFrameClock*, gpointer data) -> gboolean {
        return ++**static_cast<std::shared_ptr<int>*>(data) < 3 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
      },
      new std::shared_ptr<int>(ticks), [](gpointer data) { delete static_cast<std::shared_ptr<int>*>(data); });
  const bool done = PumpUntil([&] { return *ticks >= 3; }, 3s);
  if (!done) gtk_widget_remove_tick_callback(top, id);
  return done;
}

void Window::Choose(const MenuItem& item) {
  wxCommandEvent command(wxEVT_MENU, frame().MenuItemOf(item)->GetId());
  command.SetEventObject(&frame());
  frame().HandleWindowEvent(command);
}

wx::AboutWindow* Window::OpenAbout() {
  // Real keys: the window manager hands the focus only to windows raised soon after input.
  if (!PumpUntil([&] { return frame().IsActive(); })) return nullptr;
  bool menu_open = false;
  auto opened = [&](wxMenuEvent& event) {
    event.Skip();
    menu_open = true;
  };
  frame().Bind(wxEVT_MENU_OPEN, opened);
  PressKey('h', wxMOD_ALT);
  const bool open = PumpUntil([&] { return menu_open; });
  frame().Unbind(wxEVT_MENU_OPEN, opened);
  if (!open) return nullptr;
  PressKey('a');
  wx::AboutWindow* about = nullptr;
  PumpUntil([&] {
    const auto loaded = LoadedAboutWindows();
    about = loaded.size() == 1 && loaded[0]->IsActive() ? loaded[0] : nullptr;
    return about != nullptr;
  }, 10s);
  return about;
}

std::vector<wx::AboutWindow*> LoadedAboutWindows() {
  std::vector<wx::AboutWindow*> found;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* about = dynamic_cast<wx::AboutWindow*>(window);
    if (about != nullptr && !about->IsBeingDeleted()) found.push_back(about);
  }
  return found;
}

MessageBoxWatcher::MessageBoxWatcher() : source_(g_timeout_add(20, &MessageBoxWatcher::Look, this)) {}
MessageBoxWatcher::~MessageBoxWatcher() { g_source_remove(source_); }

gboolean MessageBoxWatcher::Look(gpointer self) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    auto* box = static_cast<GtkWidget*>(it->data);
    // A box just answered may stay on screen for a moment.
    if (!GTK_IS_MESSAGE_DIALOG(box) || !gtk_widget_get_mapped(box) || g_object_get_data(G_OBJECT(box), "seen")) {
      continue;
    }
    g_object_set_data(G_OBJECT(box), "seen", box);
    SeenBox seen;
    seen.title = Text(gtk_window_get_title(GTK_WINDOW(box)));
    gchar* text = nullptr;
    g_object_get(box, "text", &text, "message-type", &seen.type, nullptr);
    seen.text = Take(text);
    ButtonLabels(box, seen.buttons);
    seen.modal = gtk_window_get_modal(GTK_WINDOW(box));
    seen.owner = gtk_window_get_transient_for(GTK_WINDOW(box));
    static_cast<MessageBoxWatcher*>(self)->seen_.push_back(seen);
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

WhenReady::WhenReady(std::function<bool()> ready, std::function<void()> body)
    : ready_(std::move(ready)), body_(std::move(body)), source_(g_timeout_add(20, [](gpointer self) -> gboolean {
        auto* when = static_cast<WhenReady*>(self);
        if (!when->ready_()) return G_SOURCE_CONTINUE;
        when->done_ = true;
        when->body_();
        return G_SOURCE_REMOVE;
      }, this)) {}

WhenReady::~WhenReady() {
  if (!done_) g_source_remove(source_);
}

void Click(wxWindow* widget, std::optional<wxPoint> at) {
  const wxRect rect = widget->GetScreenRect();
  wxUIActionSimulator mouse;
  mouse.MouseMove(rect.GetTopLeft() + at.value_or(wxPoint(rect.width / 2, rect.height / 2)));
  Deliver();
  mouse.MouseClick();
  Deliver();
}

void Type(const char* text) {
  wxUIActionSimulator().Text(text);
  Deliver();
}

void PressKey(int key_code, int modifiers) {
  wxUIActionSimulator().Char(key_code, modifiers);
  Deliver();
}

unsigned Pixel(GdkPixbuf* image, int x, int y) {
  const guchar* p = gdk_pixbuf_get_pixels(image) + y * gdk_pixbuf_get_rowstride(image) +
                    x * gdk_pixbuf_get_n_channels(image);
  return p[0] << 16 | p[1] << 8 | p[2];
}

std::ostream& operator<<(std::ostream& out, const Shown& s) {
  return out << "{\"" << s.label << "\" value \"" << s.value << "\" tip \"" << s.tooltip << "\""
             << (s.sensitive ? "" : " insensitive") << (s.mapped ? "" : " unmapped") << "}";
}

Shown Window::Read(const Control& control) { return ReadShown(Widget(control)); }

Shown ReadShown(wxWindow* window) {
  GtkWidget* widget = Gtk(window);
  Shown shown;
  if (GTK_IS_FRAME(widget)) {
    shown.label = Text(gtk_frame_get_label(GTK_FRAME(widget)));
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

bool ContentFits(wxWindow* window) {
  int width = 0, height = 0;
  gtk_widget_get_preferred_width(Gtk(window), &width, nullptr);
  gtk_widget_get_preferred_height(Gtk(window), &height, nullptr);
  return width <= window->GetSize().x && height <= window->GetSize().y;
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

void PrintTo(const wxRect& r, std::ostream* out) { *out << r.x << "," << r.y << " " << r.width << "x" << r.height; }

namespace {

// The tests run inside the live event loop, as the program's handlers do.
class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    SetExitOnFrameDelete(false);  // the tests destroy their main windows
    CallAfter([this] {
      result_ = RUN_ALL_TESTS();
      ExitMainLoop();
    });
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    return result_;
  }

 private:
  int result_ = 1;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(GuiTestApp);

int main(int argc, char** argv) {
  // For the end-to-end script: how many pixels of the screen show a colour.
  if (argc == 3 && std::string(argv[1]) == "--screen-colour") {
    const unsigned long wanted = std::stoul(argv[2], nullptr, 16);
    gdk_init(&argc, &argv);
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
    long count = 0;
    for (int y = 0; y < gdk_pixbuf_get_height(shot); ++y) {
      for (int x = 0; x < gdk_pixbuf_get_width(shot); ++x) count += kestrova::gui::Pixel(shot, x, y) == wanted;
    }
    std::printf("%ld\n", count);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  const int result = wxEntry(argc, argv);
  // The entries look for this line: the program's own shut-down would end the process with 0.
  if (result == 0) std::printf("kestrova_gui_tests: every test passed\n");
  return result;
}
