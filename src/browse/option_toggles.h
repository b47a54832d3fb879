#pragma once
// The check boxes with click handling of their own: Random shows its state in its caption, Exit
// excludes Loop.

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kRandomOff = "Random - N";
inline constexpr const char* kRandomOn = "Random - Y";

void chk_random_Click(Form2& form);
void ckExit_Click(Form2& form);

}  // namespace kestrova
