// kestrova_make_icons: writes the window's globe icon as PNG files for the desktop's icon theme,
// so that the menu entry shows the same picture as the running program.
//
//   kestrova_make_icons <folder> <size>...
//
// Each size goes to <folder>/<size>x<size>/apps/kestrova.png.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/init.h>

#include "platform/wx/icons.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
    return 2;
  }
  // Even a memory bitmap's drawing asks GTK for the default font, which needs a display.
  wxApp::SetInstance(new wxApp);
  int toolkit_argc = 1;
  if (!wxEntryStart(toolkit_argc, argv)) {
    std::fprintf(stderr, "%s: cannot initialise the toolkit (is DISPLAY set?)\n", argv[0]);
    return 1;
  }
  wxImage::AddHandler(new wxPNGHandler);
  const std::filesystem::path folder = argv[1];
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
      return 2;
    }
    const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path target = folder / dimension / "apps" / "kestrova.png";
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    wxImage image = kestrova::wx::DrawIcon(kestrova::wx::IconKind::Globe, size).ConvertToImage();
    if (error || !image.SaveFile(wxString::FromUTF8(target.string()), wxBITMAP_TYPE_PNG)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], target.c_str());
      return 1;
    }
  }
  wxEntryCleanup();
  return 0;
}
