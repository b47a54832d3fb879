#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using Lines = std::vector<std::string>;

// The controls a run locks, in the order it locks them.
std::vector<Control*> EditingControls(Form2& form) {
  return {&form.cmdRemoveItem, &form.cmdAddItem, &form.chk_random,
          &form.url1_count_txt, &form.txt_interval, &form.txt_url1};
}

// The names of the controls that are disabled, in tab order.
Lines Disabled(Form2& form) {
  Lines names;
  for (Control* c : form.TabOrder()) {
    if (!c->Enabled()) names.push_back(c->Name());
  }
  return names;
}

// The same six, as Disabled() lists them.
const Lines kLocked = {"url1_count_txt", "txt_url1", "chk_random", "txt_interval", "cmdAddItem", "cmdRemoveItem"};

struct OneShot : Harness {
  OneShot() { form.ckLoop.SetValue(CheckBox::kUnticked); }
};

TEST(RunControl, EmptyPlaylistOnlyShowsTheMessage) {
  Harness h;
  start_button_Click(h.form);
  ASSERT_EQ(h.message_boxes.shown.size(), 1u);
  EXPECT_EQ(h.message_boxes.shown[0].text, "Please enter at least one URL or open a file.");
  EXPECT_EQ(h.message_boxes.shown[0].title, "Corvane");
  EXPECT_EQ(h.form.url1_count_txt.Text(), "");
  EXPECT_TRUE(h.browser.navigations.empty());
  EXPECT_EQ(Disabled(h.form), Lines{"url1_count_txt"});
  EXPECT_EQ(h.form.StopFlag, "");
}

// idle -> running (locked) -> stopping (unlocked, run not yet returned) -> idle.
TEST(RunControl, StatesOfARun) {
  OneShot h;
  h.SetPlaylist({"http://a/", "http://b/"});
  h.form.url1_count_txt.SetEnabled(true);  // as an earlier run leaves it
  Lines lock_changes;
  for (Control* c : EditingControls(h.form)) {
    c->SetListener([&lock_changes, c](Prop prop) {
      if (prop == Prop::Enabled) lock_changes.push_back((c->Enabled() ? "unlock " : "lock ") + c->Name());
    });
  }
  bool returned = false;
  h.pump.At(1000, [&] {
    EXPECT_EQ(h.form.StopFlag, "N");
    EXPECT_EQ(Disabled(h.form), kLocked);
    EXPECT_EQ(h.form.url1_count_txt.Text(), "0");
  });
  h.pump.At(5000, [&] { stop_button_Click(h.form); });
  h.pump.At(5500, [&] {
    EXPECT_FALSE(returned);
    EXPECT_EQ(h.form.StopFlag, "Y");
    EXPECT_TRUE(Disabled(h.form).empty());
    EXPECT_EQ(h.browser.stops, 1);
  });
  start_button_Click(h.form);
  returned = true;
  EXPECT_EQ(h.pump.Pending(), 0u);
  EXPECT_EQ(h.clock.now_ms, 6000);
  EXPECT_EQ(h.browser.navigations, Lines{"http://a/"});
  EXPECT_EQ(lock_changes, (Lines{"lock cmdRemoveItem", "lock cmdAddItem", "lock chk_random", "lock url1_count_txt",
                                 "lock txt_interval", "lock txt_url1", "unlock cmdRemoveItem", "unlock cmdAddItem",
                                 "unlock chk_random", "unlock url1_count_txt", "unlock txt_interval",
                                 "unlock txt_url1"}));
}

// The menu items and the buttons lead to the same operations.
TEST(RunControl, MenuItemsBehaveLikeTheButtons) {
  using Handler = std::function<void(Form2&)>;
  struct Case {
    const char* name;
    Handler start;
    Handler stop;
  };
  for (const Case& c : {Case{"buttons", start_button_Click, stop_button_Click}, Case{"menus", Start_Click, Stop_Click},
                        Case{"mixed", Start_Click, stop_button_Click}}) {
    OneShot h;
    h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
    h.pump.At(5000, [&] { c.stop(h.form); });
    c.start(h.form);
    EXPECT_EQ(h.browser.navigations, Lines{"http://a/"}) << c.name;
    EXPECT_EQ(h.form.txt_url1.Text(), "http://b/") << c.name;
    EXPECT_EQ(h.form.url1_count_txt.Text(), "0") << c.name;
    EXPECT_EQ(h.browser.stops, 1) << c.name;
    EXPECT_EQ(h.clock.now_ms, 6000) << c.name;
    EXPECT_TRUE(Disabled(h.form).empty()) << c.name;
  }
}

// The end of a run is told once it has really returned (at the stage start after Stop, here with
// stages of 3 s), once for each run, and never when no run began.
TEST(RunControl, TellsWhenEachRunHasEnded) {
  OneShot h;
  start_button_Click(h.form);
  EXPECT_TRUE(h.app.run_ends_ms.empty());

  h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
  h.pump.At(4500, [&] { stop_button_Click(h.form); });
  start_button_Click(h.form);
  EXPECT_EQ(h.app.run_ends_ms, std::vector<std::int64_t>{6000});

  OneShot nested;
  nested.SetPlaylist({"http://a/"});
  nested.pump.At(5000, [&] { start_button_Click(nested.form); });
  start_button_Click(nested.form);
  // The inner run ends after its own wait; the outer one at its next stage start after that.
  EXPECT_EQ(nested.app.run_ends_ms, (std::vector<std::int64_t>{35100, 36000}));
}

TEST(RunControl, StopWithoutARunOnlyStopsTheBrowserAndUnlocks) {
  Harness h;
  h.SetPlaylist({"http://a/"});
  h.form.WebBrowser1.SetVisible(false);
  stop_button_Click(h.form);
  EXPECT_EQ(h.journal.Lines(), Lines{"browser stop"});
  EXPECT_EQ(h.form.StopFlag, "Y");
  EXPECT_TRUE(Disabled(h.form).empty());
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), -1);
  EXPECT_EQ(h.form.txt_url1.Text(), "");
  EXPECT_FALSE(h.form.WebBrowser1.Visible());
  EXPECT_EQ(h.clock.now_ms, 0);
}

// A start inside the wait of a run begins a new run; the earlier one requests nothing more when it
// resumes, not even counting its pass or applying Exit.
TEST(RunControl, StartDuringARunSupersedesIt) {
  struct Case {
    const char* name;
    std::int64_t stop_at;  // -1: no stop before the new start
    std::int64_t start_at;
  };
  for (const Case& c : {Case{"start while running", -1, 5000}, Case{"start while stopping", 4000, 5000}}) {
    OneShot h;
    h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
    if (c.stop_at >= 0) h.pump.At(c.stop_at, [&] { stop_button_Click(h.form); });
    h.pump.At(c.start_at, [&] { start_button_Click(h.form); });
    EXPECT_FALSE(h.EndsProgram([&] { start_button_Click(h.form); })) << c.name;
    Lines navigated;
    std::vector<std::int64_t> times;
    for (const auto& e : h.journal.With("navigate ")) {
      navigated.push_back(e.what);
      times.push_back(e.at_ms);
    }
    EXPECT_EQ(navigated, (Lines{"navigate http://a/", "navigate http://a/", "navigate http://b/", "navigate http://c/"}))
        << c.name;
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 5100, 35100, 65100})) << c.name;
    EXPECT_EQ(h.form.PassCount, 1) << c.name;
    EXPECT_EQ(h.form.lstPlayList.ListIndex(), 2) << c.name;
    EXPECT_EQ(h.form.txt_url1.Text(), "http://c/") << c.name;
    // The earlier run notices the end of the new one at the start of its next stage.
    EXPECT_EQ(h.clock.now_ms, 96000) << c.name;
  }
}

TEST(RunControl, SupersededRunNeitherCountsItsPassNorExits) {
  OneShot h;
  h.SetPlaylist({"http://a/", "http://b/"});
  h.pump.At(35000, [&] {
    start_button_Click(h.form);
    h.form.ckExit.SetValue(CheckBox::kTicked);
  });
  EXPECT_FALSE(h.EndsProgram([&] { start_button_Click(h.form); }));
  EXPECT_EQ(h.browser.navigations.size(), 4u);
  EXPECT_EQ(h.form.PassCount, 1);
  EXPECT_EQ(h.form.url1_count_txt.Text(), "1");
  EXPECT_FALSE(h.app.window_hidden);
}

}  // namespace
}  // namespace kestrova
