#include <gtest/gtest.h>

#include <string>

#include "browse/option_toggles.h"
#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

// Every change of the value flips the caption, whoever changes it; the value itself is not looked at.
TEST(OptionToggles, RandomCaptionFollowsEachChangeOfTheValue) {
  Harness h;
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - N");
  h.form.chk_random.SetValue(CheckBox::kTicked);
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - Y");
  h.form.chk_random.SetValue(CheckBox::kTicked);  // no change, no click
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - Y");
  h.form.chk_random.SetValue(CheckBox::kUnticked);
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - N");
  h.form.chk_random.SetValue(CheckBox::kGreyed);
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - Y");
}

TEST(OptionToggles, OnlyTheExactOffCaptionTurnsRandomOn) {
  struct Case {
    std::string before;
    std::string after;
  };
  for (const Case& c : {Case{"Random - N", "Random - Y"}, Case{"Random - Y", "Random - N"},
                        Case{"random - n", "Random - N"}, Case{"", "Random - N"}, Case{"Random - N ", "Random - N"}}) {
    Harness h;
    h.form.chk_random.SetCaption(c.before);
    chk_random_Click(h.form);
    EXPECT_EQ(h.form.chk_random.Caption(), c.after) << "'" << c.before << "'";
  }
}

TEST(OptionToggles, ExitExcludesLoop) {
  Harness h;
  ASSERT_TRUE(h.form.ckLoop.Ticked());
  h.form.ckExit.SetValue(CheckBox::kTicked);
  EXPECT_EQ(h.form.ckLoop.Value(), CheckBox::kUnticked);
  EXPECT_FALSE(h.form.ckLoop.Enabled());

  h.form.ckExit.SetValue(CheckBox::kUnticked);
  EXPECT_TRUE(h.form.ckLoop.Enabled());
  EXPECT_EQ(h.form.ckLoop.Value(), CheckBox::kUnticked);

  // Loop unticked beforehand: ticking Exit still greys it out.
  h.form.ckExit.SetValue(CheckBox::kTicked);
  EXPECT_FALSE(h.form.ckLoop.Enabled());
  EXPECT_FALSE(h.form.ckLoop.Ticked());
}

// What the end of a pass does with each setting the window allows.
TEST(OptionToggles, EndOfAPassFollowsExitAndLoop) {
  enum class Outcome { RunEnds, NextPass, ProgramEnds };
  struct Case {
    const char* name;
    int exit;
    int loop;
    Outcome outcome;
  };
  for (const Case& c : {Case{"neither", 0, 0, Outcome::RunEnds}, Case{"loop", 0, 1, Outcome::NextPass},
                        Case{"exit", 1, 0, Outcome::ProgramEnds}, Case{"exit after loop", 1, 1, Outcome::ProgramEnds}}) {
    Harness h;
    h.SetPlaylist({"http://a/"});
    h.form.ckLoop.SetValue(c.loop);
    h.form.ckExit.SetValue(c.exit);
    // Ends a run that would otherwise loop for ever, in the wait of its second pass.
    h.pump.At(35000, [&] { stop_button_Click(h.form); });
    const bool ended = h.EndsProgram([&] { start_button_Click(h.form); });
    EXPECT_EQ(ended, c.outcome == Outcome::ProgramEnds) << c.name;
    EXPECT_EQ(h.browser.navigations.size(), c.outcome == Outcome::NextPass ? 2u : 1u) << c.name;
    EXPECT_EQ(h.form.PassCount, c.outcome == Outcome::NextPass ? 2 : 1) << c.name;
    EXPECT_EQ(h.clock.now_ms, c.outcome == Outcome::NextPass ? 36000 : 30000) << c.name;
    EXPECT_EQ(h.form.StopFlag, "Y") << c.name;
  }
}

}  // namespace
}  // namespace kestrova
