#pragma once
// The desktop as a user meets it, through xdotool: the program's windows, the keyboard and the
// mouse. Works on the display named by DISPLAY.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::bench {

struct Window {
  std::string id;  // as xdotool prints it
  std::string name;
};

struct Geometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The mapped windows that `pid` owns: its top-level windows, dialogs and open menus.
std::vector<Window> VisibleWindows(pid_t pid);
// Those of them whose name is exactly `name`.
std::vector<Window> VisibleWindowsNamed(pid_t pid, const std::string& name);
std::optional<Window> WaitForWindow(pid_t pid, const std::string& name, std::chrono::milliseconds timeout);

std::optional<Geometry> GeometryOf(const Window& window);

// Gives the window the keyboard focus, as a click on its title would.
bool Activate(const Window& window);
// Presses keys in xdotool's notation ("alt+f", "Return", "ctrl+a") on the focused window.
bool PressKeys(const std::vector<std::string>& keys);
bool TypeText(const std::string& text);

}  // namespace kestrova::bench
