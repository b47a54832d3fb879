#include "layout/twips_scale.h"

#include <algorithm>
#include <cmath>

namespace kestrova {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kDesignDpi = 96;
// Text smaller than the design's fits its boxes as they are; a desktop that reports no resolution
// (GTK says -1) is taken at the design's.
constexpr double kLeastDpi = kDesignDpi;
// Four times the design is a window of some 2,800 by 2,300 pixels, more than any screen shows
// whole: a resolution beyond that is a misreading, not a wish.
constexpr double kMostDpi = 4 * kDesignDpi;

}  // namespace

float TwipsPerPixel(double text_dpi) {
  const double dpi = std::isfinite(text_dpi) ? std::clamp(text_dpi, kLeastDpi, kMostDpi) : kDesignDpi;
  return static_cast<float>(kTwipsPerInch / dpi);
}

}  // namespace kestrova
