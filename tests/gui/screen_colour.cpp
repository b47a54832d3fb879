// kestrova_screen_colour RRGGBB: prints how many pixels of the screen show that colour. Lets a
// script tell whether a page it expects is drawn, without an image tool.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RRGGBB\n", argv[0]);
    return 2;
  }
  const unsigned long wanted = std::strtoul(argv[1], nullptr, 16);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "%s: no display\n", argv[0]);
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return 1;
  if (image->red_mask != 0xFF0000 || image->green_mask != 0xFF00 || image->blue_mask != 0xFF) {
    std::fprintf(stderr, "%s: not a 24-bit RGB screen\n", argv[0]);
    return 1;
  }
  long count = 0;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) == wanted) ++count;
    }
  }
  std::printf("%ld\n", count);
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}
