#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/shutdown.h"
#include "browse/option_toggles.h"
#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// A window whose runs make one pass unless a test ticks Loop.
struct Browsing : Harness {
  explicit Browsing(const Lines& items) {
    form.ckLoop.SetValue(CheckBox::kUnticked);
    SetPlaylist(items);
  }
  // Starts a run and reports whether the program ended inside it.
  bool Run() {
    return EndsProgram([this] { start_button_Click(form); });
  }
};

// The names of the disabled controls, in tab order.
Lines Disabled(Form2& form) {
  Lines names;
  for (Control* c : form.TabOrder()) {
    if (!c->Enabled()) names.push_back(c->Name());
  }
  return names;
}

TEST(BrowseLoop, EachItemIsSelectedShownPurgedNavigatedAndWaitedFor) {
  Browsing h({"a", "b"});
  h.form.lstPlayList.SetListIndex(0);  // selected already, yet maybe scrolled out of sight
  h.JournalControls();
  h.form.WebBrowser1.SetVisible(false);
  h.form.url1_count_txt.SetEnabled(true);  // as an earlier run leaves it
  Lines locked_during_run;
  h.pump.At(1000, [&] { locked_during_run = Disabled(h.form); });
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(h.journal.Timed(),
            (Lines{"0 count 0", "0 silent on", "0 select 0", "0 txt_url1 a", "0 purge a", "0 navigate a",
                   "30000 select 1", "30000 txt_url1 b", "30000 purge b", "30000 navigate b", "60000 count 1",
                   "60000 browser stop"}));
  EXPECT_TRUE(h.form.WebBrowser1.Visible());
  EXPECT_EQ(locked_during_run,
            (Lines{"url1_count_txt", "txt_url1", "chk_random", "txt_interval", "cmdAddItem", "cmdRemoveItem"}));
  EXPECT_EQ(Disabled(h.form), Lines{});
}

// Stop 5 s into the second item's wait: the wait ends 6 s after it began. A stop during the last
// item's wait still completes the pass, and Loop and Exit decide what follows.
TEST(BrowseLoop, StopDuringAWait) {
  struct Case {
    Lines items;
    int loop, exit;
    Lines from_stop;
  };
  const Case cases[] = {
      {{"a", "b", "c"}, 0, 0, {"35000 browser stop", "36000 select 2", "36000 txt_url1 c"}},
      {{"a", "b"}, 0, 0, {"35000 browser stop", "36000 count 1", "36000 browser stop"}},
      {{"a", "b"}, 1, 0,
       {"35000 browser stop", "36000 count 1", "36000 silent on", "36000 select 0", "36000 txt_url1 a"}},
      {{"a", "b"}, 0, 1,
       {"35000 browser stop", "36000 count 1", "36000 browser stop", "36000 browser stop", "36000 hide window",
        "36000 end program"}},
  };
  for (const Case& c : cases) {
    Browsing h(c.items);
    h.JournalControls();
    h.form.ckLoop.SetValue(c.loop);
    h.form.ckExit.SetValue(c.exit);
    h.pump.At(35000, [&] { Stop_Click(h.form); });
    h.Run();
    EXPECT_EQ(h.journal.Timed(35000), c.from_stop) << ::testing::PrintToString(c.from_stop);
  }
}

// Loop, No Cache and Exit are read where they are used, so changes during a run count. A bare
// origin is purged and requested with a slash; the box keeps showing the entry as it is.
TEST(BrowseLoop, ReadsTheOptionsLive) {
  Browsing h({"http://a", "http://b"});
  h.pump.At(5000, [&] { h.form.ckCache.SetValue(CheckBox::kUnticked); });
  h.pump.At(35000, [&] { h.form.ckLoop.SetValue(CheckBox::kTicked); });
  h.pump.At(65000, [&] { h.form.ckCache.SetValue(CheckBox::kTicked); });
  h.pump.At(95000, [&] { h.form.ckExit.SetValue(CheckBox::kTicked); });
  EXPECT_TRUE(h.Run());
  EXPECT_EQ(h.journal.Timed(),
            (Lines{"0 silent on", "0 purge http://a/", "0 navigate http://a/", "30000 navigate http://b",
                   "60000 silent on", "60000 navigate http://a", "90000 purge http://b/", "90000 navigate http://b/",
                   "120000 browser stop", "120000 browser stop", "120000 hide window", "120000 end program"}));
  EXPECT_EQ(h.form.txt_url1.Text(), "http://b");
  EXPECT_EQ(h.form.PassCount, 2);
}

// A start inside a wait begins a new run from the first item; the earlier run then requests
// nothing more, and neither counts its pass nor applies Exit.
TEST(BrowseLoop, StartDuringAWaitSupersedesTheRun) {
  Browsing h({"a", "b"});
  h.pump.At(35000, [&] {
    Start_Click(h.form);
    h.form.ckExit.SetValue(CheckBox::kTicked);
  });
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(h.journal.Timed(),
            (Lines{"0 silent on", "0 purge a", "0 navigate a", "30000 purge b", "30000 navigate b", "35000 silent on",
                   "35000 purge a", "35000 navigate a", "65000 purge b", "65000 navigate b", "95000 browser stop"}));
  EXPECT_EQ(h.form.PassCount, 1);
  // The earlier run notices the end of the new one at the start of its next stage: the slice of
  // 35,000 is over long since, and its three others last 900 ms.
  EXPECT_EQ(h.clock.now_ms, 95900);
  EXPECT_EQ(h.app.run_ends_ms, (std::vector<std::int64_t>{95000, 95900}));
}

// The number of items is read at the start of a pass: a list replaced during the pass is walked
// up to that number or to its own end, whichever comes first.
TEST(BrowseLoop, ListReplacedDuringAPass) {
  const std::pair<Lines, Lines> cases[] = {
      {{"x", "y"}, {"30000 navigate y", "60000 browser stop"}},
      {{"w", "x", "y", "z"}, {"30000 navigate x", "60000 navigate y", "90000 browser stop"}},
  };
  for (const auto& [replacement, from_second] : cases) {
    Browsing h({"a", "b", "c"});
    h.form.ckCache.SetValue(CheckBox::kUnticked);
    h.pump.At(5000, [&] { h.form.lstPlayList.ReplaceAll(replacement); });
    h.Run();
    EXPECT_EQ(h.journal.Timed(30000), from_second);
    EXPECT_EQ(h.form.PassCount, 1);
  }
}

// Every change of the value flips the caption, whoever makes it; only the exact off caption
// turns random on.
TEST(OptionToggles, RandomCaptionFlipsOnEachChangeOfTheValue) {
  Harness h;
  Lines captions;
  for (int value : {1, 1, 0, 2}) {
    h.form.chk_random.SetValue(value);
    captions.push_back(h.form.chk_random.Caption());
  }
  h.form.chk_random.SetCaption("random - n");
  chk_random_Click(h.form);
  captions.push_back(h.form.chk_random.Caption());
  EXPECT_EQ(captions, (Lines{"Random - Y", "Random - Y", "Random - N", "Random - Y", "Random - N"}));
}

TEST(OptionToggles, ExitUnticksAndDisablesLoopUntilItIsUnticked) {
  Harness h;
  std::vector<std::pair<int, bool>> loop;
  for (int exit : {1, 0, 1}) {
    h.form.ckExit.SetValue(exit);
    loop.emplace_back(h.form.ckLoop.Value(), h.form.ckLoop.Enabled());
  }
  EXPECT_EQ(loop, (std::vector<std::pair<int, bool>>{{0, false}, {0, true}, {0, false}}));
}

TEST(Shutdown, ExitAndClosingTheWindowEndTheProgramAtOnce) {
  const std::pair<void (*)(Form2&), Lines> cases[] = {
      {Exit_Click, {"0 browser stop", "0 hide window", "0 end program"}},
      {Form_QueryUnload, {"0 end program"}},
  };
  for (const auto& [handler, journal] : cases) {
    Harness h;
    EXPECT_TRUE(h.EndsProgram([&] { handler(h.form); }));
    EXPECT_EQ(h.journal.Timed(), journal);
    EXPECT_EQ(h.form.StopFlag, kYes);
  }
}

}  // namespace
}  // namespace kestrova
