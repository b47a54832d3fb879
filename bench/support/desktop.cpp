#include "support/desktop.h"

#include <sstream>
#include <thread>

#include "support/tool.h"

namespace kestrova::bench {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

bool Xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "xdotool");
  return RunTool(arguments).Succeeded();
}

}  // namespace

std::vector<Window> VisibleWindows(pid_t pid) {
  // This xdotool joins --pid and --name with "or", so names are matched here instead.
  const ToolResult ids = RunTool({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)});
  std::vector<Window> windows;
  for (const auto& id : Lines(ids.out)) {
    const ToolResult name = RunTool({"xdotool", "getwindowname", id});
    if (!name.Succeeded()) continue;  // gone meanwhile
    std::string text = name.out;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    windows.push_back(Window{id, text});
  }
  return windows;
}

std::vector<Window> VisibleWindowsNamed(pid_t pid, const std::string& name) {
  std::vector<Window> named;
  for (auto& window : VisibleWindows(pid)) {
    if (window.name == name) named.push_back(window);
  }
  return named;
}

std::optional<Window> WaitForWindow(pid_t pid, const std::string& name, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto named = VisibleWindowsNamed(pid, name);
    if (!named.empty()) return named.front();
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::optional<Geometry> GeometryOf(const Window& window) {
  const ToolResult shell = RunTool({"xdotool", "getwindowgeometry", "--shell", window.id});
  if (!shell.Succeeded()) return std::nullopt;
  Geometry geometry;
  int found = 0;
  for (const auto& line : Lines(shell.out)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::stoi(line.substr(equals + 1));
    if (key == "X") geometry.x = value, ++found;
    if (key == "Y") geometry.y = value, ++found;
    if (key == "WIDTH") geometry.width = value, ++found;
    if (key == "HEIGHT") geometry.height = value, ++found;
  }
  if (found != 4) return std::nullopt;
  return geometry;
}

bool Activate(const Window& window) { return Xdotool({"windowactivate", "--sync", window.id}); }

bool PressKeys(const std::vector<std::string>& keys) {
  std::vector<std::string> arguments{"key", "--clearmodifiers", "--delay", "60"};
  arguments.insert(arguments.end(), keys.begin(), keys.end());
  return Xdotool(arguments);
}

bool TypeText(const std::string& text) { return Xdotool({"type", "--delay", "15", text}); }

}  // namespace kestrova::bench
