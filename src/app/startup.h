#pragma once
// From loading the main window to its first activation: the running caption, the shared state,
// the command line and the automatic start.

#include <cstdint>
#include <string>

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kRunningCaption = "Kestrova Pro Version";

// Runs once, before the window is first shown.
void Form_Load(Form2& form);
// Runs when the window is first shown, and each time it becomes the program's active window again
// after another form of the program was active.
void Form_Activate(Form2& form);

// What the window system tells about the main window.
enum class WindowNews { Shown, Activated, OtherFormActivated };
// Whether the news is an activation of the window, that is whether Form_Activate is due. The
// first showing counts whoever has the focus: a desktop may give it to another program, or give it
// to none, and a run started from a script or at login must still start.
bool ActivationCounts(Form2& form, WindowNews news);
// Reads CommandLine and sets FileSwitch, RandomSwitch, IntervalSwitch and LogSwitch.
void ParseCommandLine(Form2& form);
// The value of the switch whose three characters begin at the 1-based `position` of
// `command_line` (0 or less: the switch is absent).
std::string GetSwitchValue(const std::string& command_line, std::int64_t position);
void AutoStart(Form2& form);

}  // namespace kestrova
