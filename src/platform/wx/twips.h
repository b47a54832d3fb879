#pragma once
// Twips (1/1440 inch) to the toolkit's logical pixels: 15 twips a pixel, what a 96-DPI screen at
// 100 % gives. On a scaled desktop GTK multiplies logical pixels by the scale itself, so the window
// only grows there; the screen's DPI must not scale it a second time.

#include <cmath>

namespace kestrova::wx {

class Twips {
 public:
  static constexpr float kPerPixel = 15;
  int ToPx(float twips) const { return static_cast<int>(std::lround(twips / kPerPixel)); }
  float FromPx(int px) const { return static_cast<float>(px) * kPerPixel; }
};

}  // namespace kestrova::wx
