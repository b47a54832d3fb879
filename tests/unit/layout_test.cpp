#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;
using Sizes = std::vector<float>;

void ResizeTo(Harness& h, float width, float height, WindowState state = WindowState::Normal) {
  h.form.ScaleWidth = width;
  h.form.ScaleHeight = height;
  h.form.window_state = state;
  Form_Resize(h.form);
}

// What the arrangement sets, in the order it sets it.
Sizes Arrangement(const Form2& f) {
  return {f.Frame1.Width(),       f.FraPlaylist.Width(), f.cmdAddItem.Left(),    f.lstPlayList.Width(),
          f.txtItemToAdd.Width(), f.Frame2.Width(),      f.Frame2.Height(),      f.WebBrowser1.Width(),
          f.WebBrowser1.Height()};
}

const Sizes kDesignSize{10530, 4830, 3780, 3635, 3635, 10530, 6640, 10380, 6390};
const char* const kTooSmall = "0 message Corvane: If you reduce the form to much, it may cause problems.";

// Each case starts from the window at its design size. A browser height below zero is rejected
// and the browser keeps the one it had; a window too small is warned about and left as it is.
TEST(Resize, ArrangesTheControlsOrWarns) {
  struct Case {
    float W, H;
    WindowState state;
    Sizes sizes;
    bool warns = false;
  };
  const Case cases[] = {
      {10560, 8640, WindowState::Normal, kDesignSize},
      {7000, 2000, WindowState::Normal, {6970, 1270, 220, 75, 75, 6970, 0, 6820, 6390}},
      {7000, 2250, WindowState::Normal, {6970, 1270, 220, 75, 75, 6970, 250, 6820, 0}},
      {7000.5f, 2250.25f, WindowState::Normal,
       {6970.5f, 1270.5f, 220.5f, 75.5f, 75.5f, 6970.5f, 250.25f, 6820.5f, 0.25f}},
      {20000, 12000, WindowState::Maximized, {19970, 14270, 13220, 13075, 13075, 19970, 10000, 19820, 9750}},
      {6999, 2000, WindowState::Normal, kDesignSize, true},
      {7000, 1999, WindowState::Normal, kDesignSize, true},
      {100, 100, WindowState::Minimized, kDesignSize},
  };
  for (const Case& c : cases) {
    Harness h;
    ResizeTo(h, 10560, 8640);
    ResizeTo(h, c.W, c.H, c.state);
    const Form2& f = h.form;
    EXPECT_EQ(Arrangement(f), c.sizes) << c.W << " x " << c.H;
    for (const Control* beside : std::vector<const Control*>{&f.cmdRemoveItem, &f.ckLoop, &f.ckExit, &f.ckCache}) {
      EXPECT_EQ(beside->Left(), f.cmdAddItem.Left()) << beside->Name();
    }
    EXPECT_EQ(h.journal.Timed(), c.warns ? Lines{kTooSmall} : Lines{}) << c.W << " x " << c.H;
  }
}

// A size the window system rejects is skipped, and the later steps use the size the control kept.
TEST(ArrangeControls, RejectedWidthIsKeptForTheLaterSteps) {
  Harness h;
  h.form.ScaleWidth = 5000;
  ArrangeControls(h.form);
  EXPECT_EQ(Arrangement(h.form), (Sizes{4970, 4845, 3795, 3650, 3650, 4970, 6640, 4820, 6390}));
}

// The warning's box runs a nested loop in which the window keeps sending resize notifications:
// those are dropped, and the first one after the box closes is handled again.
TEST(Resize, NotificationsWhileTheWarningIsOpenAreDropped) {
  Harness h;
  h.message_boxes.while_open = [&] {
    if (h.journal.entries.size() > 1) return;
    ResizeTo(h, 6000, 8000);
    ResizeTo(h, 15000, 10000);
  };
  ResizeTo(h, 6900, 8000);
  EXPECT_EQ(h.journal.entries.size(), 1u);
  EXPECT_EQ(h.form.Frame1.Width(), 10515);
  ResizeTo(h, 6000, 8000);
  EXPECT_EQ(h.journal.Timed(), (Lines{kTooSmall, kTooSmall}));
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

std::string TopPanel(const Form2& f) {
  auto n = [](float v) { return std::to_string(static_cast<int>(v)); };
  return f.mnuHide.Caption() + (f.Frame1.Visible() ? " shown" : " hidden") + " frame1 " + n(f.Frame1.Width()) +
         " frame2 " + n(f.Frame2.Top()) + " " + n(f.Frame2.Width()) + "x" + n(f.Frame2.Height()) + " browser " +
         n(f.WebBrowser1.Width()) + "x" + n(f.WebBrowser1.Height());
}

// Hide and Show size the browser panel alone, to the window's current size; hiding takes only a
// thin strip until the next resize applies the hidden-panel margin.
TEST(TopPanel, HideShowHideThenResize) {
  Harness h;
  ResizeTo(h, 10560, 8640);
  h.form.ScaleWidth = 12000;
  Lines seen;
  for (int choice = 0; choice < 3; ++choice) {
    mnuHide_Click(h.form);
    seen.push_back(TopPanel(h.form));
  }
  ResizeTo(h, 12000, 9000);
  seen.push_back(TopPanel(h.form));
  EXPECT_EQ(seen, (Lines{"Show hidden frame1 10530 frame2 105 11970x8610 browser 11820x8360",
                         "Hide shown frame1 10530 frame2 1980 11970x6640 browser 11820x6390",
                         "Show hidden frame1 10530 frame2 105 11970x8610 browser 11820x8360",
                         "Show hidden frame1 11970 frame2 105 11970x8750 browser 11820x8500"}));
}

}  // namespace
}  // namespace kestrova
