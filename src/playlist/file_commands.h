#pragma once
// The Load Settings and Save Settings buttons and the File menu's Open and Save.

#include "form/main_window.h"

namespace kestrova {

void cmdOpen_Click(Form2& form);
void cmdSave_Click(Form2& form);
// Stops a run first, then does what cmdOpen does.
void Load_Click(Form2& form);
void Save_Click(Form2& form);

}  // namespace kestrova
