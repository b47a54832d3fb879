#pragma once
// An opt-in record of what the program does and when, for measuring it from outside: with
// KESTROVA_TRACE naming a file, each event is appended to it as one line, "<steady ms> <event>",
// on the same monotonic clock that other processes read. Without it nothing is written.

#include <string_view>

namespace kestrova::wx {

bool TraceEnabled();
void Trace(std::string_view event);

}  // namespace kestrova::wx
