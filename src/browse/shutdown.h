#pragma once
// Closing the main window and the Exit menu item: both end the program at once.

#include "form/main_window.h"

namespace kestrova {

void Exit_Click(Form2& form);
// Raised whenever the window is about to close, for any reason; never cancels.
void Form_QueryUnload(Form2& form);

}  // namespace kestrova
