#include "x_click.h"

#include <stdexcept>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "trace_file.h"

namespace kestrova::bench {

std::int64_t ClickWhereThePointerIs() {
  // One connection for the whole bench, to the display it runs under.
  static Display* const display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("cannot open the X display");
  const std::int64_t at = SteadyMs();
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
  return at;
}

}  // namespace kestrova::bench
