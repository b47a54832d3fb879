#pragma once
// Twips (1/1440 inch) to the toolkit's logical pixels, at the desktop's text resolution: 15 twips a
// pixel at 96 DPI, fewer where the desktop draws larger text, so that the form grows with its
// captions. On a scaled desktop (GDK_SCALE) GTK multiplies logical pixels by the scale itself and
// keeps the text resolution at 96, so the screen's DPI must not scale the form a second time. On
// Windows a pixel is the screen's own: 15 twips at 96 DPI, 12 at 120.

#include <cmath>

#include "platform/wx/native.h"

namespace kestrova::wx {

class Twips {
 public:
  // At the resolution the system draws the screen's text with.
  Twips() : per_pixel_(ScreenTwipsPerPixel()) {}
  int ToPx(float twips) const { return static_cast<int>(std::lround(twips / per_pixel_)); }
  float FromPx(int px) const { return static_cast<float>(px) * per_pixel_; }
  float PerPixel() const { return per_pixel_; }

 private:
  float per_pixel_;
};

}  // namespace kestrova::wx
