#include "platform/wx/twips.h"

#include <gdk/gdk.h>

#include "layout/twips_scale.h"

namespace kestrova::wx {

Twips::Twips() {
  GdkScreen* screen = gdk_screen_get_default();
  per_pixel_ = TwipsPerPixel(screen != nullptr ? gdk_screen_get_resolution(screen) : -1);
}

}  // namespace kestrova::wx
