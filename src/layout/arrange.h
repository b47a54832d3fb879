#pragma once
// Fitting the controls to the window's size, and the browser to its panel after each page.

#include "app/main_window.h"

namespace kestrova {

inline constexpr const char* kTooSmallMessage = "If you reduce the form to much, it may cause problems.";

// Reads ScaleWidth, ScaleHeight and window_state, which the toolkit sets before calling it.
void Form_Resize(Form2& form);
void ArrangeControls(Form2& form);
void WebBrowser1_DocumentComplete(Form2& form);

}  // namespace kestrova
