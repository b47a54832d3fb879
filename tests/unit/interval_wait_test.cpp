#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "browse/interval_wait.h"
#include "browse/option_toggles.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

// Runs one wait as a run would (no stop requested) and returns how long it lasted.
std::int64_t Wait(Harness& h) {
  h.form.StopFlag = kNo;
  const std::int64_t began = h.clock.now_ms;
  pause(h.form);
  return h.clock.now_ms - began;
}

void RandomMode(Harness& h) { h.form.chk_random.SetValue(CheckBox::kTicked); }

struct FixedCase {
  std::string text;
  std::int64_t slice_ms;
  std::string text_after;
  friend std::ostream& operator<<(std::ostream& os, const FixedCase& c) { return os << "'" << c.text << "'"; }
};

class FixedInterval : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedInterval, WaitsHundredEqualSlicesAndRepairsUnusableText) {
  const FixedCase& c = GetParam();
  Harness h;
  h.form.txt_interval.SetText(c.text);
  EXPECT_EQ(Wait(h), c.slice_ms * 100);
  EXPECT_EQ(h.clock.sleep_log, std::vector<std::int64_t>(100, c.slice_ms));
  EXPECT_EQ(h.pump.calls, 110);
  EXPECT_EQ(h.form.txt_interval.Text(), c.text_after);
  EXPECT_EQ(h.random.reseeds, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FixedInterval,
    ::testing::Values(FixedCase{"30", 300, "30"}, FixedCase{"1", 10, "1"}, FixedCase{" 7 ", 70, " 7 "},
                      FixedCase{"", 10, "1"}, FixedCase{"abc", 10, "1"}, FixedCase{"0", 10, "1"},
                      FixedCase{"0.5", 10, "1"}, FixedCase{"-4", 10, "1"}, FixedCase{"12abc", 10, "1"},
                      FixedCase{"1.5", 20, "1.5"}, FixedCase{"2.5", 20, "2.5"}, FixedCase{"3.5", 40, "3.5"},
                      FixedCase{"2.49", 20, "2.49"}));

struct HugeCase {
  std::string text;
  std::vector<std::int64_t> sleeps;
  friend std::ostream& operator<<(std::ostream& os, const HugeCase& c) { return os << c.text; }
};

class HugeInterval : public ::testing::TestWithParam<HugeCase> {};

// A slice that does not fit 32 bits of milliseconds is skipped; events are still processed.
TEST_P(HugeInterval, SkipsSlicesThatOverflow) {
  Harness h;
  h.form.txt_interval.SetText(GetParam().text);
  Wait(h);
  EXPECT_EQ(h.clock.sleep_log, GetParam().sleeps);
  EXPECT_EQ(h.pump.calls, 110);
  EXPECT_EQ(h.form.txt_interval.Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Limits, HugeInterval,
                         ::testing::Values(HugeCase{"214748364", std::vector<std::int64_t>(100, 2147483640)},
                                           HugeCase{"214748365", {}}, HugeCase{"99999999999", {}}));

struct ReadCase {
  std::string text;
  std::optional<double> seconds;
  friend std::ostream& operator<<(std::ostream& os, const ReadCase& c) { return os << "'" << c.text << "'"; }
};

class ReadingTheInterval : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingTheInterval, TakesOneNumberBetweenBlanks) {
  EXPECT_EQ(ParseInterval(GetParam().text), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadingTheInterval,
    ::testing::Values(ReadCase{"45", 45.0}, ReadCase{"  1.5 ", 1.5}, ReadCase{"+7", 7.0}, ReadCase{"-3", -3.0},
                      ReadCase{"1e3", 1000.0}, ReadCase{".5", 0.5}, ReadCase{"", std::nullopt},
                      ReadCase{"   ", std::nullopt}, ReadCase{"+", std::nullopt},
                      // Found by fuzz_interval: read as -7.
                      ReadCase{"+-7", std::nullopt}, ReadCase{"++7", std::nullopt}, ReadCase{"- 7", std::nullopt},
                      ReadCase{"7 x", std::nullopt}, ReadCase{"\t5", std::nullopt}, ReadCase{"0x10", std::nullopt},
                      ReadCase{"1e400", std::nullopt}, ReadCase{"inf", std::nullopt}, ReadCase{"nan", std::nullopt}));

// The interval is re-read at every stage; a value too large for a stage keeps the previous length.
TEST(IntervalWait, TextChangedDuringTheWaitCountsFromTheNextStage) {
  struct Case {
    std::string changed_to;
    std::int64_t lasts_ms;
    std::string text_after;
  };
  for (const Case& c : {Case{"1", 500 + 9 * 100, "1"}, Case{"zz", 500 + 9 * 100, "1"},
                        Case{"99999999999", 5000, "99999999999"}, Case{"10", 500 + 9 * 1000, "10"}}) {
    Harness h;
    h.form.txt_interval.SetText("5");
    h.pump.At(200, [&] { h.form.txt_interval.SetText(c.changed_to); });
    EXPECT_EQ(Wait(h), c.lasts_ms) << c.changed_to;
    EXPECT_EQ(h.form.txt_interval.Text(), c.text_after);
  }
}

// A stop is noticed at the start of a stage; one during the last stage lets the wait finish.
TEST(IntervalWait, StopEndsTheWaitAtTheStartOfTheNextStage) {
  struct Case {
    std::int64_t stop_at;
    std::int64_t returns_at;
  };
  for (const Case& c : {Case{0, 0}, Case{5000, 6000}, Case{6000, 6000}, Case{6001, 9000}, Case{27500, 30000}}) {
    Harness h;
    h.pump.At(c.stop_at, [&] { h.form.StopFlag = kYes; });
    EXPECT_EQ(Wait(h), c.returns_at) << "stop at " << c.stop_at;
  }
}

TEST(IntervalWait, StopInRandomModeIsNoticedWithinTheStageDrawn) {
  Harness h;
  RandomMode(h);
  h.form.txt_interval.SetText("10");
  h.random.values = {0.25f, 0.75f, 0.05f};  // 3 s, 8 s, then 1 s stages
  h.pump.At(350, [&] { h.form.StopFlag = kYes; });
  EXPECT_EQ(Wait(h), 300 + 800);
  EXPECT_EQ(h.random.reseeds, 2);
}

TEST(IntervalWait, StopAlreadyRequestedProcessesEventsOnceAndReturns) {
  Harness h;
  h.form.txt_interval.SetText("abc");
  RandomMode(h);
  h.form.StopFlag = kYes;
  pause(h.form);
  EXPECT_EQ(h.pump.calls, 1);
  EXPECT_EQ(h.clock.now_ms, 0);
  EXPECT_EQ(h.form.txt_interval.Text(), "abc");
  EXPECT_EQ(h.random.reseeds, 0);
  EXPECT_EQ(h.form.StopFlag, kYes);
}

// Each stage seeds afresh and draws its own length: whole part of interval × r, plus 1.
TEST(IntervalWait, RandomModeDrawsEveryStageAfresh) {
  struct Case {
    std::string interval;
    std::vector<float> draws;
    std::vector<std::int64_t> stage_seconds;
  };
  const std::vector<Case> cases = {
      {"10", {0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 0.55f, 0.65f, 0.75f, 0.85f, 0.95f}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"10", {0.0f}, std::vector<std::int64_t>(10, 1)},
      {"10", {0.99999994f}, std::vector<std::int64_t>(10, 10)},
      {"1.5", {0.6f, 0.7f}, {1, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
      {"1", {0.99999994f}, std::vector<std::int64_t>(10, 1)},
      {"0", {0.99999994f}, std::vector<std::int64_t>(10, 1)},
      // The unrounded interval is drawn from, and a value too large for the fixed length still draws.
      {"2.5", {0.9f}, std::vector<std::int64_t>(10, 3)},
      {"99999999999", {0.0f}, std::vector<std::int64_t>(10, 1)},
  };
  for (const Case& c : cases) {
    Harness h;
    RandomMode(h);
    h.form.txt_interval.SetText(c.interval);
    h.random.values = c.draws;
    std::vector<std::int64_t> expected_sleeps;
    for (std::int64_t seconds : c.stage_seconds) expected_sleeps.insert(expected_sleeps.end(), 10, seconds * 10);
    const std::int64_t total_ms =
        std::accumulate(c.stage_seconds.begin(), c.stage_seconds.end(), std::int64_t{0}) * 100;
    EXPECT_EQ(Wait(h), total_ms) << c.interval;
    EXPECT_EQ(h.clock.sleep_log, expected_sleeps) << c.interval;
    EXPECT_EQ(h.random.reseeds, 10);
    EXPECT_EQ(h.random.next, 10u);
  }
}

TEST(IntervalWait, RandomModeIsTheCaptionNotTheValue) {
  struct Case {
    int value;
    std::string caption;
    std::int64_t lasts_ms;
  };
  for (const Case& c : {Case{0, kRandomOn, 1000}, Case{1, kRandomOff, 10000}, Case{1, "random - y", 10000},
                        Case{1, kRandomOn, 1000}}) {
    Harness h;
    h.form.txt_interval.SetText("10");
    h.form.chk_random.SetValue(c.value);
    h.form.chk_random.SetCaption(c.caption);
    h.random.values = {0.0f};
    EXPECT_EQ(Wait(h), c.lasts_ms) << c.value << " " << c.caption;
  }
}

// Time spent in other handlers is taken from the following sleeps, so a wait keeps its length; only
// the event processing that closes the wait comes on top.
TEST(IntervalWait, EventProcessingTimeDoesNotStretchTheWait) {
  for (std::int64_t cost : {1, 7, 150}) {
    Harness h;
    h.pump.cost_ms = cost;
    EXPECT_EQ(Wait(h), 30000 + cost) << cost;
  }
}

// A handler that held the thread up to one slice, or up to 250 ms where slices are shorter, is
// caught up; a longer one (a dialog) is not, and the wait goes on from then with full slices.
TEST(IntervalWait, LagLongerThanASliceIsNotCaughtUp) {
  struct Case {
    const char* interval;
    std::int64_t lag;
    std::int64_t lasts_ms;
  };
  for (const Case& c : {Case{"30", 100, 30000}, Case{"30", 300, 30000}, Case{"30", 301, 30301},
                        Case{"30", 400, 30400}, Case{"30", 2000, 32000}, Case{"1", 9, 1000}, Case{"1", 120, 1000},
                        Case{"1", 250, 1000}, Case{"1", 251, 1251}, Case{"1", 2000, 3000}, Case{"5", 250, 5000},
                        Case{"5", 251, 5251}}) {
    Harness h;
    h.form.txt_interval.SetText(c.interval);
    h.pump.At(500, [&] { h.clock.now_ms += c.lag; });
    EXPECT_EQ(Wait(h), c.lasts_ms) << "interval " << c.interval << ", lag " << c.lag;
  }
}

}  // namespace
}  // namespace kestrova
