#pragma once
// Starting and stopping a browsing run, and ending the program from a run or the menu.

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kEmptyPlaylistMessage = "Please enter at least one URL or open a file.";

// The start operation. Returns only when the run it starts has ended.
void start_button_Click(Form2& form);
void Start_Click(Form2& form);
// The stop operation: stops the browser, asks the run to stop and unlocks the editing controls.
void stop_button_Click(Form2& form);
void Stop_Click(Form2& form);
// Ends the program; the real program does not return from it.
void ExitApplication(Form2& form);

}  // namespace kestrova
