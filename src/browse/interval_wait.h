#pragma once
// The wait after each page: ten stages of ten slices, each slice waiting on the window events.

#include <cstdint>
#include <optional>
#include <string>

#include "form/main_window.h"

namespace kestrova {

void pause(Form2& form);

// The interval box read as a number of seconds: blanks around the number are allowed, and the
// decimal separator is the point or the user's own. Nothing when the text is not a finite number.
std::optional<double> ParseInterval(const std::string& text, char decimal_separator = '.');

// The fixed length of a stage in seconds: the interval rounded half to even, as far as a signed
// 32-bit number goes.
std::int32_t FixedSeconds(double interval);

// The random length of a stage: the whole part of interval × r, plus 1, as far as it goes.
std::int32_t RandomSeconds(double interval, float r);

}  // namespace kestrova
