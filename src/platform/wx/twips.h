#pragma once
// Twips (1/1440 inch) to pixels: 15 twips a pixel at 96 DPI, scaled by the screen's DPI.

#include <cmath>

namespace kestrova::wx {

class Twips {
 public:
  explicit Twips(double dpi) : px_per_twip_(dpi / 1440.0) {}
  int ToPx(float twips) const { return static_cast<int>(std::lround(twips * px_per_twip_)); }
  float FromPx(int px) const { return static_cast<float>(px / px_per_twip_); }

 private:
  double px_per_twip_;
};

}  // namespace kestrova::wx
