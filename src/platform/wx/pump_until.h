#pragma once
// Waiting for an answer from WebKit inside a handler, without running any other window handler.

#include <chrono>
#include <functional>

namespace kestrova::wx {

// Dispatches only non-input sources (so user input stays queued for the wait's next event
// processing) until `done` holds or `timeout` has passed. Returns `done()`. A close request, and
// the open menu's Exit, end the program from inside it.
bool PumpNonInputUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// True inside PumpNonInputUntil.
bool PumpingNonInput();

}  // namespace kestrova::wx
