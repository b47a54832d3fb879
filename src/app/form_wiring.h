#pragma once
// Which handler each button, menu command and check box of the main window runs when clicked, and
// which one the browser runs when it has loaded a document.

#include "form/main_window.h"

namespace kestrova {

// Gives every clickable control and menu command its handler. Whoever makes the form wires it
// before anything else touches it, so that a value set by the program raises a check box's
// handler as a click would.
void WireForm(Form2& form);

}  // namespace kestrova
