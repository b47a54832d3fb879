#pragma once
// Fitting the controls to the window's size, and the browser to its panel after each page.

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kTooSmallMessage = "If you reduce the form to much, it may cause problems.";

// Reads ScaleWidth, ScaleHeight and window_state, which the toolkit sets before calling it.
void Form_Resize(Form2& form);
void ArrangeControls(Form2& form);
void WebBrowser1_DocumentComplete(Form2& form);

// The height of the window the top panel and its margins take from the browser panel.
inline constexpr float kHeightTakenByTopPanel = 2000;

// Gives the browser panel the window's width and its height less `height_taken`, then fits the
// browser into it. A size the window system rejects is left as it was.
void FitBrowserPanel(Form2& form, float height_taken);

}  // namespace kestrova
