#pragma once
// The File menu's Hide / Show: gives the whole window to the browser and back.

#include "form/main_window.h"

namespace kestrova {

void mnuHide_Click(Form2& form);

}  // namespace kestrova
