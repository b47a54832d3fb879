#pragma once
// The engine of a browsing run: walks the playlist, shows each URL and waits between them.

#include "form/main_window.h"

namespace kestrova {

void BrowseLoop(Form2& form);

}  // namespace kestrova
