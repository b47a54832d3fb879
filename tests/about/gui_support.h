#pragma once
// What the About and Help tests need around the real program: a running Program in this
// process, a wait that keeps the event loop turning, and a stand-in user for message boxes.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/timer.h>

#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/program.h"

namespace kestrova::testing {

using namespace std::chrono_literals;

// Turns the event loop (idle time included, so destroyed windows go) until `done` holds or the
// time is up. Returns whether `done` held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s);
void Settle(std::chrono::milliseconds time);

// The About windows that exist and are not being destroyed.
std::vector<wx::AboutWindow*> LoadedAboutWindows();
// Every wx top-level window still in existence, destroyed or not.
int TopLevelWindowCount();
// The GTK windows of the process that are on screen.
int VisibleGtkWindowCount();
// A click in the middle of a widget, through the X server.
void ClickOn(wxWindow* widget);

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The program as the executable runs it, started with `arguments` (no program name).
class RunningProgram {
 public:
  explicit RunningProgram(std::vector<std::string> arguments = {});
  ~RunningProgram();
  Form2& Form() { return program_->Form(); }
  wx::MainFrame& Frame() { return *program_->Frame(); }
  wx::Program& Program() { return *program_; }
  // Chooses a menu item the way the menu bar reports a choice.
  void ChooseMenu(const MenuItem& item);
  void PressButton(const Control& button);
  // Opens the About dialog as a user does, Alt+H then A on the main window, and waits until it
  // is the active window; nullptr when it never was. Real input matters: the window manager
  // hands the focus only to windows raised soon after the user did something.
  wx::AboutWindow* OpenAbout();
  // Brings the main window back as a user does: a click on its client area.
  void ClickMainWindow();

 private:
  std::vector<std::string> storage_;
  std::vector<char*> argv_;
  std::unique_ptr<wx::Program> program_;
};

// Stands in for the user in front of message boxes: every box that appears while it lives is
// read and answered with OK.
class MessageBoxAnswerer {
 public:
  struct Box {
    std::string title;
    std::string text;
  };
  MessageBoxAnswerer();
  ~MessageBoxAnswerer();
  const std::vector<Box>& Seen() const { return seen_; }
  std::vector<std::string> Titles() const;

 private:
  void Look();
  wxTimer timer_;
  std::vector<Box> seen_;
};

}  // namespace kestrova::testing
