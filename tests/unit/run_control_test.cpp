#include <gtest/gtest.h>

#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

TEST(RunControl, EmptyPlaylistOnlyShowsTheMessage) {
  Harness h;
  start_button_Click(h.form);
  ASSERT_EQ(h.message_boxes.shown.size(), 1u);
  EXPECT_EQ(h.message_boxes.shown[0].text, "Please enter at least one URL or open a file.");
  EXPECT_EQ(h.message_boxes.shown[0].title, "Corvane");
  EXPECT_EQ(h.form.url1_count_txt.Text(), "");
  EXPECT_TRUE(h.form.cmdAddItem.Enabled());
  EXPECT_TRUE(h.browser.navigations.empty());
}

}  // namespace
}  // namespace kestrova
