#pragma once
// A click of the first pointer button where the pointer is, sent through the X server's XTest
// extension from this process: the moment taken is the moment the click leaves for the server,
// with no tool's start-up in it.

#include <cstdint>

namespace kestrova::bench {

// Presses and releases the button and returns the steady-clock milliseconds just before the press.
std::int64_t ClickWhereThePointerIs();

}  // namespace kestrova::bench
