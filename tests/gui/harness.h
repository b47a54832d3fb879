#pragma once
// What the GUI tests share: pumping the real event loop, a freshly started program window, the
// pixel rectangles GTK gave a widget, and a watcher that reads and closes message boxes.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/menuitem.h>
#include <wx/window.h>

#include "app/main_window.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

namespace kestrova::gui {

using namespace std::chrono_literals;

// Runs the program's event loop for a while, as the idle program would.
void Pump(std::chrono::milliseconds duration);
// Runs the event loop until `done` holds or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);

// Real input reaches the window when the window manager lets it through (it sees every click
// first), so its effect is awaited before it is checked: expects `actual` to equal `expected`
// within a few seconds.
#define EXPECT_SOON_EQ(actual, expected)                                                       \
  do {                                                                                         \
    ::kestrova::gui::PumpUntil([&] { return (actual) == (expected); }, std::chrono::seconds(3)); \
    EXPECT_EQ(actual, expected);                                                               \
  } while (false)

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Overlaps(const PixelRect& other) const {
    return x < other.Right() && other.x < Right() && y < other.Bottom() && other.y < Bottom();
  }
  bool operator==(const PixelRect&) const = default;
};
std::ostream& operator<<(std::ostream& out, const PixelRect& rect);

// The model's place for a control converted to pixels at 96 DPI (15 twips a pixel), positions
// summed over the containers.
PixelRect DesignPixels(const Control& control);

// The real program with an empty command line: its window created, loaded, shown and settled.
class Window {
 public:
  Window();
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Pages the browser has finished loading since the window was created.
  int PagesLoaded() const { return pages_loaded_; }
  // The window came up, became active and loaded its first page in time.
  bool Settled() const { return settled_; }
  Form2& form() { return program_->Form(); }
  wx::MainFrame& frame() { return *program_->Frame(); }
  // The panel all widgets sit on; it fills the client area.
  wxWindow& panel();
  wxWindow* Widget(const Control& control) { return frame().WidgetOf(control); }
  template <class T>
  T* As(const Control& control) {
    return dynamic_cast<T*>(Widget(control));
  }
  // What GTK allocated to the widget, relative to the panel; only meaningful when it is mapped.
  PixelRect Allocation(const Control& control);
  // Resizes the client area and waits until the window system has applied it, the layout ran
  // and GTK has allocated the result.
  bool SetClientSize(int width, int height);
  // Waits until GTK has been through a few frames of the window, so that the places given to
  // widgets have become their allocations. False when the window is not on screen.
  bool WaitForLayout();

 private:
  std::unique_ptr<wx::Program> program_;
  bool settled_ = false;
  int pages_loaded_ = 0;
};

// A test with its own freshly started window.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.Settled()); }
  Window window;
  Form2& form = window.form();
};

// The GTK widget of a wx window.
inline GtkWidget* Gtk(wxWindow* window) { return static_cast<GtkWidget*>(window->GetHandle()); }

// A message box as the user saw it.
struct SeenBox {
  std::string title;
  std::string text;
  std::string secondary_text;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  std::vector<std::string> buttons;
  bool modal = false;
  GtkWindow* transient_for = nullptr;
};

// While it lives, every message box that appears on screen is recorded and then closed with its
// OK button, as a user would. It looks from a GLib timer, which also runs inside the box's own
// modal loop.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  static gboolean Look(gpointer self);
  std::vector<SeenBox> seen_;
  guint source_ = 0;
};

// A real click of the left mouse button, through the X server, at a point of the widget
// (`at` from its top-left corner; the middle when left out).
void Click(wxWindow* widget, std::optional<wxPoint> at = std::nullopt);
// Real key presses, through the X server.
void Type(const char* text);
void PressKey(int key_code);

// Runs `body` once, from inside whatever event loop is running (a run's wait included), as soon
// as `ready` holds.
class WhenReady {
 public:
  WhenReady(std::function<bool()> ready, std::function<void()> body);
  ~WhenReady();
  WhenReady(const WhenReady&) = delete;
  WhenReady& operator=(const WhenReady&) = delete;
  bool Done() const { return done_; }

 private:
  static gboolean Poll(gpointer self);
  std::function<bool()> ready_;
  std::function<void()> body_;
  guint source_;
  bool done_ = false;
};

// Sends the command the choice of a menu item sends.
void ChooseMenu(wxFrame& frame, const wxMenuItem& item);

// What GTK shows of a widget: its caption, its value (the text of a text box, "1"/"0" for a
// check box, the rows of a list box one per line), tooltip, sensitivity and whether it is on
// screen.
struct Shown {
  std::string label;
  std::string value;
  std::string tooltip;
  bool sensitive = false;
  bool mapped = false;
  bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& shown);
Shown ReadShown(wxWindow* widget);

// Everything the window shows, one line a control, for before-and-after comparisons.
std::string Snapshot(Window& window);

}  // namespace kestrova::gui
