// The desktop's icons are the picture the running program draws for its window.

#include <gtest/gtest.h>

#include <cstdlib>

#include <wx/image.h>

#include "gui_support.h"
#include "platform/wx/icons.h"

namespace kestrova::testing {
namespace {

// Empty when the two images show the same picture: same size, same opaque pixels, same
// transparency (the colour under a transparent pixel does not count).
std::string Difference(const wxImage& seen, const wxImage& drawn) {
  if (seen.GetSize() != drawn.GetSize()) return "size differs";
  if (!seen.HasAlpha()) return "no transparency";
  for (int y = 0; y < seen.GetHeight(); ++y) {
    for (int x = 0; x < seen.GetWidth(); ++x) {
      const unsigned char alpha = seen.GetAlpha(x, y);
      const bool same = alpha == drawn.GetAlpha(x, y) &&
                        (alpha == 0 || (seen.GetRed(x, y) == drawn.GetRed(x, y) &&
                                        seen.GetGreen(x, y) == drawn.GetGreen(x, y) &&
                                        seen.GetBlue(x, y) == drawn.GetBlue(x, y)));
      if (!same) return "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
    }
  }
  return {};
}

TEST(DesktopIcons, AreTheWindowsGlobeAtEveryThemeSize) {
  wxImage::AddHandler(new wxPNGHandler);
  TempFolder made;
  const std::string command = std::string(KESTROVA_MAKE_ICONS) + " " + made.Path().string() + " 16 32 48 128";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  for (int size : {16, 32, 48, 128}) {
    SCOPED_TRACE(size);
    const std::string file = std::to_string(size) + "x" + std::to_string(size) + "/apps/kestrova.png";
    const wxImage drawn = wx::DrawIcon(wx::IconKind::Globe, size).ConvertToImage();
    const wxImage fresh(wxString::FromUTF8((made.Path() / file).string()), wxBITMAP_TYPE_PNG);
    const wxImage kept(wxString(KESTROVA_SOURCE_DIR "/resources/icons/hicolor/") + file, wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(fresh.IsOk() && kept.IsOk());
    EXPECT_EQ(fresh.GetSize(), wxSize(size, size));
    EXPECT_EQ(Difference(fresh, drawn), "");
    EXPECT_EQ(Difference(kept, drawn), "") << "resources/icons is out of date: build the kestrova_icons target";
    // The globe stands on a transparent ground.
    EXPECT_EQ(kept.GetAlpha(0, 0), 0);
    EXPECT_EQ(kept.GetAlpha(size / 2, size * 13 / 32), 255);
  }
}

}  // namespace
}  // namespace kestrova::testing
