#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Journal;
using Lines = std::vector<std::string>;

// Times of the navigations, in order.
std::vector<std::int64_t> NavigationTimes(const Harness& h) {
  std::vector<std::int64_t> times;
  for (const Journal::Entry& e : h.journal.With("navigate ")) times.push_back(e.at_ms);
  return times;
}

// A window whose runs make one pass unless a test ticks Loop.
struct Browsing : Harness {
  Browsing() {
    form.ckLoop.SetValue(CheckBox::kUnticked);
    JournalControls();
  }
  // Starts a run and reports whether the program ended inside it.
  bool Run() {
    return EndsProgram([this] { start_button_Click(form); });
  }
  void StopAt(std::int64_t ms) {
    pump.At(ms, [this] { stop_button_Click(form); });
  }
};

TEST(BrowseLoop, EachItemIsSelectedShownPurgedNavigatedAndWaitedFor) {
  Browsing h;
  h.SetPlaylist({"http://a/", "http://b/"});
  h.form.WebBrowser1.SetVisible(false);
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(h.journal.Lines(),
            (Lines{"count 0", "silent on", "select 0", "txt_url1 http://a/", "purge http://a/", "navigate http://a/",
                   "select 1", "txt_url1 http://b/", "purge http://b/", "navigate http://b/", "count 1",
                   "browser stop"}));
  EXPECT_EQ(NavigationTimes(h), (std::vector<std::int64_t>{0, 30000}));
  EXPECT_EQ(h.journal.entries.back().at_ms, 60000);
  EXPECT_EQ(h.clock.now_ms, 60000);
  EXPECT_TRUE(h.form.WebBrowser1.Visible());
  EXPECT_TRUE(h.browser.silent);
}

// The loop neither checks nor skips items: anything in the list is shown, purged, requested and waited for.
TEST(BrowseLoop, UnusableItemsAreStillVisitedWithTheFullWait) {
  Browsing h;
  h.SetPlaylist({"", "not a url", "", "Cookie jar"});
  h.Run();
  EXPECT_EQ(h.browser.navigations, (Lines{"", "not a url", "", "Cookie jar"}));
  EXPECT_EQ(h.cache.deleted, (Lines{"", "not a url", ""}));
  EXPECT_EQ(NavigationTimes(h), (std::vector<std::int64_t>{0, 30000, 60000, 90000}));
  EXPECT_EQ(h.form.url1_count_txt.Text(), "1");
}

TEST(BrowseLoop, OneItemLoopedIsVisitedOncePerPassUntilStopped) {
  Browsing h;
  h.SetPlaylist({"http://a/"});
  h.form.ckLoop.SetValue(CheckBox::kTicked);
  h.StopAt(65000);
  h.Run();
  EXPECT_EQ(NavigationTimes(h), (std::vector<std::int64_t>{0, 30000, 60000}));
  EXPECT_EQ(h.cache.deleted.size(), 3u);
  EXPECT_EQ(h.journal.With("silent on").size(), 4u);
  std::vector<std::string> counts;
  for (const Journal::Entry& e : h.journal.With("count ")) counts.push_back(e.what);
  EXPECT_EQ(counts, (Lines{"count 0", "count 1", "count 2", "count 3"}));
  EXPECT_EQ(h.form.PassCount, 3);
  EXPECT_EQ(h.clock.now_ms, 66000);
}

TEST(BrowseLoop, StopDuringAnItemThatIsNotLastShowsTheNextWithoutRequestingIt) {
  Browsing h;
  h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
  h.StopAt(35000);
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(h.browser.navigations, (Lines{"http://a/", "http://b/"}));
  EXPECT_EQ(h.cache.deleted, (Lines{"http://a/", "http://b/"}));
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), 2);
  EXPECT_EQ(h.form.txt_url1.Text(), "http://c/");
  EXPECT_EQ(h.form.PassCount, 0);
  EXPECT_EQ(h.form.url1_count_txt.Text(), "0");
  EXPECT_EQ(h.browser.stops, 1);
  EXPECT_EQ(h.clock.now_ms, 36000);
}

// A stop during the last item's wait still completes the pass; what follows depends on the options.
TEST(BrowseLoop, StopDuringTheLastItemCountsThePass) {
  struct Case {
    const char* name;
    int exit;
    int loop;
    bool program_ends;
    int browser_stops;
    std::int64_t shown_index;
  };
  for (const Case& c : {Case{"neither", 0, 0, false, 2, 1}, Case{"loop", 0, 1, false, 1, 0},
                        Case{"exit", 1, 0, true, 3, 1}}) {
    Browsing h;
    h.SetPlaylist({"http://a/", "http://b/"});
    h.form.ckLoop.SetValue(c.loop);
    h.form.ckExit.SetValue(c.exit);
    h.StopAt(35000);
    EXPECT_EQ(h.Run(), c.program_ends) << c.name;
    EXPECT_EQ(h.form.url1_count_txt.Text(), "1") << c.name;
    EXPECT_EQ(h.browser.navigations, (Lines{"http://a/", "http://b/"})) << c.name;
    EXPECT_EQ(h.browser.stops, c.browser_stops) << c.name;
    EXPECT_EQ(h.form.lstPlayList.ListIndex(), c.shown_index) << c.name;
    EXPECT_EQ(h.form.txt_url1.Text(), h.form.lstPlayList.List(c.shown_index)) << c.name;
    EXPECT_EQ(h.app.window_hidden, c.program_ends) << c.name;
    EXPECT_EQ(h.clock.now_ms, 36000) << c.name;
  }
}

TEST(BrowseLoop, LoopIsReadAtTheEndOfEachPass) {
  Browsing h;
  h.SetPlaylist({"http://a/", "http://b/"});
  h.pump.At(35000, [&] { h.form.ckLoop.SetValue(CheckBox::kTicked); });
  h.pump.At(95000, [&] { h.form.ckLoop.SetValue(CheckBox::kUnticked); });
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(NavigationTimes(h), (std::vector<std::int64_t>{0, 30000, 60000, 90000}));
  EXPECT_EQ(h.form.url1_count_txt.Text(), "2");
  EXPECT_EQ(h.browser.stops, 1);
  EXPECT_EQ(h.clock.now_ms, 120000);
}

TEST(BrowseLoop, NoCacheIsReadBeforeEachNavigation) {
  Browsing h;
  h.SetPlaylist({"http://a/", "http://a/", "http://b/", "http://a/"});
  h.pump.At(5000, [&] { h.form.ckCache.SetValue(CheckBox::kUnticked); });
  h.pump.At(65000, [&] { h.form.ckCache.SetValue(CheckBox::kTicked); });
  h.Run();
  EXPECT_EQ(h.browser.navigations.size(), 4u);
  EXPECT_EQ(h.journal.With("purge ").size(), 2u);
  std::vector<std::int64_t> purge_times;
  for (const Journal::Entry& e : h.journal.With("purge ")) purge_times.push_back(e.at_ms);
  EXPECT_EQ(purge_times, (std::vector<std::int64_t>{0, 90000}));
}

// Exit ticked before the run or during any item of a looping run: the program ends right after the
// pass's last wait, stopping the run first and hiding the window before it ends.
TEST(BrowseLoop, ExitEndsTheProgramAtTheEndOfThePass) {
  for (std::int64_t tick_at : {-1, 5000, 65000}) {
    Browsing h;
    h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
    h.form.ckLoop.SetValue(CheckBox::kTicked);
    if (tick_at < 0) {
      h.form.ckExit.SetValue(CheckBox::kTicked);
    } else {
      h.pump.At(tick_at, [&] { h.form.ckExit.SetValue(CheckBox::kTicked); });
    }
    EXPECT_TRUE(h.Run());
    EXPECT_EQ(h.browser.navigations.size(), 3u);
    std::vector<std::string> tail;
    for (std::size_t i = h.journal.entries.size() - 4; i < h.journal.entries.size(); ++i) {
      tail.push_back(h.journal.entries[i].what);
      EXPECT_EQ(h.journal.entries[i].at_ms, 90000);
    }
    EXPECT_EQ(tail, (Lines{"browser stop", "browser stop", "hide window", "end program"}));
    EXPECT_TRUE(h.message_boxes.shown.empty());
    EXPECT_EQ(h.form.url1_count_txt.Text(), "1");
    EXPECT_TRUE(h.form.cmdAddItem.Enabled());
    EXPECT_EQ(h.form.StopFlag, kYes);
  }
}

TEST(BrowseLoop, PassCountGoesOnPastSixteenBits) {
  Browsing h;
  h.SetPlaylist({"http://a/"});
  h.form.ckLoop.SetValue(CheckBox::kTicked);
  h.pump.At(5000, [&] { h.form.PassCount = 32767; });
  h.StopAt(35000);
  h.Run();
  EXPECT_EQ(h.form.PassCount, 32769);
  EXPECT_EQ(h.form.url1_count_txt.Text(), "32769");
  EXPECT_EQ(h.journal.With("count 32768").size(), 1u);
}

// The item limit is read at the start of a pass, but a list that got shorter ends the pass at its new end.
TEST(BrowseLoop, ListShortenedDuringAPassEndsThePassAtItsNewEnd) {
  struct Case {
    const char* name;
    std::vector<std::string> replaced_by;
    Lines navigated;
  };
  for (const Case& c : {Case{"one left", {"http://x/"}, {"http://a/"}},
                        Case{"two left", {"http://x/", "http://y/"}, {"http://a/", "http://y/"}},
                        Case{"emptied", {}, {"http://a/"}}}) {
    Browsing h;
    h.SetPlaylist({"http://a/", "http://b/", "http://c/"});
    h.pump.At(5000, [&] { h.form.lstPlayList.ReplaceAll(c.replaced_by); });
    EXPECT_FALSE(h.Run()) << c.name;
    EXPECT_EQ(h.browser.navigations, c.navigated) << c.name;
    EXPECT_EQ(h.form.url1_count_txt.Text(), "1") << c.name;
    EXPECT_EQ(h.form.StopFlag, kYes) << c.name;
  }
}

TEST(BrowseLoop, ItemsAddedDuringAPassAreFirstVisitedInTheNextPass) {
  Browsing h;
  h.SetPlaylist({"http://a/", "http://b/"});
  h.form.ckLoop.SetValue(CheckBox::kTicked);
  h.pump.At(5000, [&] { h.form.lstPlayList.AddItem("http://c/"); });
  h.StopAt(125000);
  h.Run();
  EXPECT_EQ(h.browser.navigations, (Lines{"http://a/", "http://b/", "http://a/", "http://b/", "http://c/"}));
  EXPECT_EQ(h.form.url1_count_txt.Text(), "2");
}

}  // namespace
}  // namespace kestrova
