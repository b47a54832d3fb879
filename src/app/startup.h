#pragma once
// From loading the main window to its first activation: the running caption, the shared state,
// the command line and the automatic start.

#include <cstdint>
#include <string>

#include "app/main_window.h"

namespace kestrova {

inline constexpr const char* kRunningCaption = "Kestrova Pro Version";

// Runs once, before the window is first shown.
void Form_Load(Form2& form);
// Runs each time the main window becomes the program's active window.
void Form_Activate(Form2& form);
// Reads CommandLine and sets FileSwitch, RandomSwitch, IntervalSwitch and LogSwitch.
void ParseCommandLine(Form2& form);
// The value of the switch whose three characters begin at the 1-based `position` of
// `command_line` (0 or less: the switch is absent).
std::string GetSwitchValue(const std::string& command_line, std::int64_t position);
void AutoStart(Form2& form);

}  // namespace kestrova
