#pragma once
// Drops onto the entry box txtItemToAdd, taken over from the entry itself: the drop runs the
// program's handler for the control the drag began on, or for a drag from outside the window.

#include <functional>

#include "form/main_window.h"

class wxWindow;

namespace kestrova::wx {

// Maps a native widget (a GtkWidget*) to the control of the form model it belongs to, or null.
using ControlFinder = std::function<const Control*(void* native_widget)>;

void InstallDropTarget(wxWindow* target, Form2& form, ControlFinder find_control);

}  // namespace kestrova::wx
