#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

struct AfterToggle {
  std::string caption;
  bool top_panel_visible;
  float frame2_top, frame2_width, frame2_height, browser_width, browser_height;
};

TEST(TopPanel, EachChoiceSwapsBetweenHiddenAndShown) {
  Harness h;
  h.form.ScaleWidth = 10560;
  h.form.ScaleHeight = 8640;
  Form_Resize(h.form);
  const AfterToggle hidden{"Show", false, 105, 10530, 8610, 10380, 8360};
  const AfterToggle shown{"Hide", true, 1980, 10530, 6640, 10380, 6390};
  const std::vector<AfterToggle> expected{hidden, shown, hidden, shown};

  for (std::size_t i = 0; i < expected.size(); ++i) {
    mnuHide_Click(h.form);
    const AfterToggle& e = expected[i];
    const Form2& f = h.form;
    SCOPED_TRACE("choice " + std::to_string(i + 1));
    EXPECT_EQ(f.mnuHide.Caption(), e.caption);
    EXPECT_EQ(f.Frame1.Visible(), e.top_panel_visible);
    EXPECT_EQ(f.Frame2.Top(), e.frame2_top);
    EXPECT_EQ(f.Frame2.Width(), e.frame2_width);
    EXPECT_EQ(f.Frame2.Height(), e.frame2_height);
    EXPECT_EQ(f.WebBrowser1.Width(), e.browser_width);
    EXPECT_EQ(f.WebBrowser1.Height(), e.browser_height);
  }
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

// The toggle sizes the browser panel only; the top panel keeps what the last resize gave it.
TEST(TopPanel, DoesNotRearrangeTheTopPanel) {
  Harness h;
  h.form.ScaleWidth = 10560;
  h.form.ScaleHeight = 8640;
  Form_Resize(h.form);
  h.form.ScaleWidth = 12000;
  mnuHide_Click(h.form);
  mnuHide_Click(h.form);
  EXPECT_EQ(h.form.Frame1.Width(), 10530);
  EXPECT_EQ(h.form.FraPlaylist.Width(), 4830);
  EXPECT_EQ(h.form.Frame2.Width(), 11970);
}

TEST(TopPanel, InATinyWindowRejectedSizesAreSkippedAndTheRestDone) {
  Harness h;
  h.form.ScaleWidth = 100;
  h.form.ScaleHeight = 100;

  mnuHide_Click(h.form);
  EXPECT_EQ(h.form.mnuHide.Caption(), "Show");
  EXPECT_FALSE(h.form.Frame1.Visible());
  EXPECT_EQ(h.form.Frame2.Top(), 105);
  EXPECT_EQ(h.form.Frame2.Width(), 70);
  EXPECT_EQ(h.form.Frame2.Height(), 70);
  EXPECT_EQ(h.form.WebBrowser1.Width(), 10335);
  EXPECT_EQ(h.form.WebBrowser1.Height(), 4935);

  mnuHide_Click(h.form);
  EXPECT_EQ(h.form.mnuHide.Caption(), "Hide");
  EXPECT_TRUE(h.form.Frame1.Visible());
  EXPECT_EQ(h.form.Frame2.Top(), 1980);
  EXPECT_EQ(h.form.Frame2.Height(), 70);
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

}  // namespace
}  // namespace kestrova
