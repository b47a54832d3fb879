#pragma once
// How many twips make one of the window system's logical pixels, so that the form grows with the
// desktop's text as a form measured in twips grows with the system's DPI on Windows.

namespace kestrova {

// The twips of a logical pixel where the desktop draws text at `text_dpi` dots an inch (96 at
// 100 %, 120 or 144 with large text): 15 at 96, 12 at 120, 10 at 144.
float TwipsPerPixel(double text_dpi);

}  // namespace kestrova
