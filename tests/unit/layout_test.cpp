#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

struct Box {
  std::string name;
  float left, top, width, height;
  bool visible;
  bool operator==(const Box&) const = default;
};

std::vector<Box> Geometry(Form2& form) {
  std::vector<Box> boxes;
  for (Control* c : form.TabOrder()) {
    boxes.push_back({c->Name(), c->Left(), c->Top(), c->Width(), c->Height(), c->Visible()});
  }
  return boxes;
}

void ResizeTo(Harness& h, float width, float height, WindowState state = WindowState::Normal) {
  h.form.ScaleWidth = width;
  h.form.ScaleHeight = height;
  h.form.window_state = state;
  Form_Resize(h.form);
}

// What the arrangement leaves; the browser's height is absent where it must keep its old one.
struct Arranged {
  const char* name;
  float W, H;
  WindowState state;
  float frame1_width, playlist_width, beside_list_left, list_width;
  float frame2_width, frame2_height, browser_width;
  std::optional<float> browser_height;
  friend void PrintTo(const Arranged& a, std::ostream* os) { *os << a.name; }
};

class ResizeArranges : public ::testing::TestWithParam<Arranged> {};

TEST_P(ResizeArranges, FitsTheControlsToTheClientArea) {
  const Arranged& a = GetParam();
  Harness h;
  const float browser_height_before = h.form.WebBrowser1.Height();
  ResizeTo(h, a.W, a.H, a.state);
  Form2& f = h.form;

  EXPECT_TRUE(h.message_boxes.shown.empty());
  EXPECT_EQ(f.Frame1.Width(), a.frame1_width);
  EXPECT_EQ(f.FraPlaylist.Width(), a.playlist_width);
  const std::array<const Control*, 5> beside_list{&f.cmdRemoveItem, &f.cmdAddItem, &f.ckLoop, &f.ckExit, &f.ckCache};
  for (const Control* c : beside_list) {
    EXPECT_EQ(c->Left(), a.beside_list_left) << c->Name();
  }
  EXPECT_EQ(f.lstPlayList.Width(), a.list_width);
  EXPECT_EQ(f.txtItemToAdd.Width(), a.list_width);
  EXPECT_EQ(f.Frame2.Width(), a.frame2_width);
  EXPECT_EQ(f.Frame2.Height(), a.frame2_height);
  EXPECT_EQ(f.WebBrowser1.Width(), a.browser_width);
  EXPECT_EQ(f.WebBrowser1.Height(), a.browser_height.value_or(browser_height_before));

  // What the layout never touches keeps its design values.
  EXPECT_EQ(f.Frame1.Left(), 0);
  EXPECT_EQ(f.Frame1.Height(), 1875);
  EXPECT_EQ(f.Frame2.Top(), 1980);
  EXPECT_EQ(f.FraPlaylist.Left(), 5640);
  EXPECT_EQ(f.cmdAddItem.Width(), 795);
  EXPECT_EQ(f.ckCache.Width(), 1025);
  EXPECT_EQ(f.WebBrowser1.Left(), 60);
  EXPECT_EQ(f.WebBrowser1.Top(), 180);
  EXPECT_EQ(f.FraCurrent.Width(), 5415);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ResizeArranges,
    ::testing::Values(
        Arranged{"DesignSize", 10560, 8640, WindowState::Normal, 10530, 4830, 3780, 3635, 10530, 6640, 10380, 6390},
        Arranged{"SmallestAccepted", 7000, 2000, WindowState::Normal, 6970, 1270, 220, 75, 6970, 0, 6820,
                 std::nullopt},
        Arranged{"BrowserHeightStillNegative", 7000, 2249, WindowState::Normal, 6970, 1270, 220, 75, 6970, 249,
                 6820, std::nullopt},
        Arranged{"BrowserHeightZero", 7000, 2250, WindowState::Normal, 6970, 1270, 220, 75, 6970, 250, 6820, 0},
        Arranged{"Maximized", 20000, 12000, WindowState::Maximized, 19970, 14270, 13220, 13075, 19970, 10000,
                 19820, 9750},
        Arranged{"FractionsKept", 7000.5f, 2250.25f, WindowState::Normal, 6970.5f, 1270.5f, 220.5f, 75.5f,
                 6970.5f, 250.25f, 6820.5f, 0.25f}),
    [](const ::testing::TestParamInfo<Arranged>& info) { return std::string(info.param.name); });

struct Untouched {
  const char* name;
  float W, H;
  WindowState state;
  bool warns;
  friend void PrintTo(const Untouched& u, std::ostream* os) { *os << u.name; }
};

class ResizeLeavesLayout : public ::testing::TestWithParam<Untouched> {};

TEST_P(ResizeLeavesLayout, AndWarnsOnlyWhenNotMinimized) {
  const Untouched& u = GetParam();
  Harness h;
  ResizeTo(h, 12000, 9000);
  const std::vector<Box> before = Geometry(h.form);
  ResizeTo(h, u.W, u.H, u.state);

  EXPECT_EQ(Geometry(h.form), before);
  if (u.warns) {
    ASSERT_EQ(h.message_boxes.shown.size(), 1u);
    EXPECT_EQ(h.message_boxes.shown[0].text, "If you reduce the form to much, it may cause problems.");
    EXPECT_EQ(h.message_boxes.shown[0].title, "Corvane");
  } else {
    EXPECT_TRUE(h.message_boxes.shown.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ResizeLeavesLayout,
    ::testing::Values(Untouched{"OneTwipTooNarrow", 6999, 2000, WindowState::Normal, true},
                      Untouched{"OneTwipTooLow", 7000, 1999, WindowState::Normal, true},
                      Untouched{"TooNarrowButTall", 6999, 8640, WindowState::Normal, true},
                      Untouched{"Tiny", 100, 100, WindowState::Normal, true},
                      Untouched{"MinimizedTiny", 100, 100, WindowState::Minimized, false},
                      Untouched{"MinimizedLarge", 20000, 12000, WindowState::Minimized, false}),
    [](const ::testing::TestParamInfo<Untouched>& info) { return std::string(info.param.name); });

// A window dragged smaller keeps sending notifications while the warning is open.
TEST(Resize, NotificationsWhileTheWarningIsOpenAreDropped) {
  Harness h;
  ResizeTo(h, 12000, 9000);
  int boxes_opened = 0;
  std::vector<float> frame1_width_inside;
  h.message_boxes.while_open = [&] {
    if (++boxes_opened > 1) return;
    ResizeTo(h, 6500, 8000);
    ResizeTo(h, 6000, 8000);
    // Grown back to an acceptable size while the user still reads the warning.
    ResizeTo(h, 15000, 10000);
    frame1_width_inside.push_back(h.form.Frame1.Width());
  };
  ResizeTo(h, 6900, 8000);

  EXPECT_EQ(h.message_boxes.shown.size(), 1u);
  EXPECT_EQ(frame1_width_inside, std::vector<float>{11970});
  EXPECT_EQ(h.form.Frame1.Width(), 11970);

  // Once it is closed, the next notifications are handled as usual.
  ResizeTo(h, 6000, 8000);
  EXPECT_EQ(h.message_boxes.shown.size(), 2u);
  ResizeTo(h, 15000, 10000);
  EXPECT_EQ(h.form.Frame1.Width(), 14970);
  EXPECT_EQ(h.form.Frame2.Height(), 8000);
}

// A rejected width is skipped, and the steps after it use the width the control kept.
TEST(ArrangeControls, RejectedPlaylistWidthIsKeptAndUsedByTheLaterSteps) {
  Harness h;
  h.form.ScaleWidth = 5000;
  h.form.ScaleHeight = 8640;
  ArrangeControls(h.form);
  EXPECT_EQ(h.form.Frame1.Width(), 4970);
  EXPECT_EQ(h.form.FraPlaylist.Width(), 4845);
  EXPECT_EQ(h.form.cmdAddItem.Left(), 3795);
  EXPECT_EQ(h.form.ckLoop.Left(), 3795);
  EXPECT_EQ(h.form.lstPlayList.Width(), 3650);
  EXPECT_EQ(h.form.Frame2.Width(), 4970);
  EXPECT_EQ(h.form.WebBrowser1.Width(), 4820);
  EXPECT_EQ(h.form.WebBrowser1.Height(), 6390);
}

TEST(DocumentComplete, LeavesTheBrowserNarrowerUntilTheNextResize) {
  Harness h;
  ResizeTo(h, 10560, 8640);
  WebBrowser1_DocumentComplete(h.form);
  EXPECT_EQ(h.form.WebBrowser1.Width(), 10280);
  EXPECT_EQ(h.form.WebBrowser1.Height(), 6390);
  ResizeTo(h, 10560, 8640);
  EXPECT_EQ(h.form.WebBrowser1.Width(), 10380);
}

TEST(DocumentComplete, ANegativeHeightIsSkippedAndTheWidthStillSet) {
  Harness h;
  ResizeTo(h, 10560, 8640);
  ResizeTo(h, 9000, 2100);
  ASSERT_EQ(h.form.Frame2.Height(), 100);
  WebBrowser1_DocumentComplete(h.form);
  EXPECT_EQ(h.form.WebBrowser1.Height(), 6390);
  EXPECT_EQ(h.form.WebBrowser1.Width(), 8720);
}

TEST(Resize, WithTheTopPanelHiddenTheBrowserPanelTakesTheWholeHeight) {
  Harness h;
  ResizeTo(h, 10560, 8640);
  mnuHide_Click(h.form);
  ResizeTo(h, 12000, 9000);
  const Form2& f = h.form;
  EXPECT_FALSE(f.Frame1.Visible());
  EXPECT_EQ(f.mnuHide.Caption(), "Show");
  EXPECT_EQ(f.Frame2.Top(), 105);
  EXPECT_EQ(f.Frame2.Width(), 11970);
  EXPECT_EQ(f.Frame2.Height(), 8750);
  EXPECT_EQ(f.WebBrowser1.Width(), 11820);
  EXPECT_EQ(f.WebBrowser1.Height(), 8500);
  // The hidden panel's contents still follow the width, ready for when it is shown.
  EXPECT_EQ(f.Frame1.Width(), 11970);
  EXPECT_EQ(f.FraPlaylist.Width(), 6270);
}

}  // namespace
}  // namespace kestrova
