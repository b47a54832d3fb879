#pragma once
// What the GUI tests share: the real program in this process, its event loop turned while a test
// waits, real input through the X server, what GTK shows of a widget, and a stand-in user who
// reads and answers every message box.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

namespace kestrova::gui {

using namespace std::chrono_literals;

// Turns the event loop (idle time too, so destroyed windows go) for a while, or until `done`
// holds; PumpUntil returns `done()`.
void Pump(std::chrono::milliseconds duration);
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);

// Real input takes a detour through the window manager, so its effect is awaited.
#define EXPECT_SOON_EQ(actual, expected)                                                 \
  do {                                                                                   \
    ::kestrova::gui::PumpUntil([&] { return (actual) == (expected); }, std::chrono::seconds(3)); \
    EXPECT_EQ(actual, expected);                                                         \
  } while (false)

inline GtkWidget* Gtk(wxWindow* window) { return static_cast<GtkWidget*>(window->GetHandle()); }

// The real program, started with `arguments`: its window created, loaded, shown and settled.
class Window {
 public:
  explicit Window(std::vector<std::string> arguments = {});
  ~Window();
  // On screen, active, and the browser's first page loaded, so no late fit moves anything.
  bool Settled() const { return settled_; }
  int PagesLoaded() const { return pages_loaded_; }
  wx::Program& program() { return *program_; }
  Form2& form() { return program_->Form(); }
  wx::MainFrame& frame() { return *program_->Frame(); }
  wxWindow& panel() { return *Widget(form().start_button)->GetParent(); }
  wxWindow* Widget(const Control& control) { return frame().WidgetOf(control); }
  struct Shown Read(const Control& control);
  // What GTK allocated to the widget, relative to the panel.
  wxRect Allocation(const Control& control);
  // The model's place converted at 96 DPI, 15 twips a pixel, summed over the containers.
  static wxRect Design(const Control& control);
  // Resizes the client area and waits until the model and GTK have both applied it.
  bool SetClientSize(int width, int height);
  // Waits for a few frames of the window, so that given places have become allocations.
  bool WaitForLayout();
  void Choose(const MenuItem& item);
  // Alt+H, A on the keyboard; the About dialog once it is active, else nullptr.
  wx::AboutWindow* OpenAbout();

 private:
  std::vector<std::string> storage_;
  std::vector<char*> argv_;
  std::unique_ptr<wx::Program> program_;
  bool settled_ = false;
  int pages_loaded_ = 0;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.Settled()); }
  Window window;
  Form2& form = window.form();
};

std::vector<wx::AboutWindow*> LoadedAboutWindows();

// A message box as the user saw it.
struct SeenBox {
  std::string title, text;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  std::vector<std::string> buttons;
  bool modal = false;
  GtkWindow* owner = nullptr;
};

// While it lives, every message box on screen is recorded and closed with OK. It looks from a
// GLib timer, which also runs inside the box's own modal loop.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  static gboolean Look(gpointer self);
  std::vector<SeenBox> seen_;
  guint source_ = 0;
};

// Runs `body` once, from inside whatever loop is running (a run's wait too), when `ready` holds.
class WhenReady {
 public:
  WhenReady(std::function<bool()> ready, std::function<void()> body);
  ~WhenReady();
  bool Done() const { return done_; }

 private:
  std::function<bool()> ready_;
  std::function<void()> body_;
  guint source_;
  bool done_ = false;
};

// Real clicks and keys through the X server; `at` from the widget's corner, else its middle.
void Click(wxWindow* widget, std::optional<wxPoint> at = std::nullopt);
void Type(const char* text);
void PressKey(int key_code, int modifiers = 0);

// What GTK shows: caption, value (entry text, "1"/"0" of a check box, list rows one a line),
// tooltip, sensitivity, and whether it is on screen.
struct Shown {
  std::string label, value, tooltip;
  bool sensitive = false;
  bool mapped = false;
  bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& shown);
Shown ReadShown(wxWindow* widget);
// The room the content asks for fits the room the widget has.
bool ContentFits(wxWindow* widget);
// The colour of a pixel as 0xRRGGBB.
unsigned Pixel(GdkPixbuf* image, int x, int y);
// Everything the window shows, one line a control.
std::string Snapshot(Window& window);

}  // namespace kestrova::gui

void PrintTo(const wxRect& rect, std::ostream* out);
