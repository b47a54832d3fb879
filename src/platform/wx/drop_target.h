#pragma once
// Drops onto the entry box txtItemToAdd. A drag that began on a control of our own window is an
// in-window drop of that control; anything dragged from another application is a foreign drop.

#include <functional>

#include "app/main_window.h"

class wxTextCtrl;

namespace kestrova::wx {

// Maps a native widget (a GtkWidget*) to the control of the form model it belongs to, or null.
using ControlFinder = std::function<const Control*(void* native_widget)>;

void InstallDropTarget(wxTextCtrl* target, Form2& form, ControlFinder find_control);

}  // namespace kestrova::wx
