#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browse/interval_wait.h"
#include "browse/option_toggles.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using Sleeps = std::vector<std::int64_t>;

// Runs one wait and returns how long it lasted.
std::int64_t Wait(Harness& h) {
  const std::int64_t began = h.clock.now_ms;
  pause(h.form);
  return h.clock.now_ms - began;
}

// A hundred equal slices of a hundredth of the interval, rounded half to even. Text that is no
// number of at least 1 is repaired to "1"; a slice too long for 32 bits of milliseconds is skipped.
TEST(IntervalWait, SlicesTheFixedIntervalAndRepairsUnusableText) {
  struct Case {
    std::string text;
    std::int64_t slice_ms;
    std::string text_after;
  };
  const Case cases[] = {
      {"30", 300, "30"},       {" +7 ", 70, " +7 "},   {"1e3", 10000, "1e3"}, {"", 10, "1"},
      {"abc", 10, "1"},        {"12abc", 10, "1"},     {"\t5", 10, "1"},      {"inf", 10, "1"},
      {"0", 10, "1"},          {"0.5", 10, "1"},       {"-4", 10, "1"},       {"1.5", 20, "1.5"},
      {"2.5", 20, "2.5"},      {"3.5", 40, "3.5"},     {"214748364", 2147483640, "214748364"},
      {"214748365", 0, "214748365"},                   {"99999999999", 0, "99999999999"},
  };
  for (const Case& c : cases) {
    Harness h;
    h.form.txt_interval.SetText(c.text);
    Wait(h);
    EXPECT_EQ(h.clock.sleep_log, Sleeps(c.slice_ms ? 100 : 0, c.slice_ms)) << "'" << c.text << "'";
    EXPECT_EQ(h.form.txt_interval.Text(), c.text_after) << "'" << c.text << "'";
    EXPECT_EQ(h.pump.calls, 110) << "'" << c.text << "'";
  }
  // Found by fuzz_interval: once read as -7.
  EXPECT_EQ(ParseInterval("+-7"), std::nullopt);
  // The comma is a decimal separator only where the user writes numbers with one.
  EXPECT_EQ(ParseInterval(" 2,5 ", ','), 2.5);
  EXPECT_EQ(ParseInterval("2,5"), std::nullopt);
}

// A stop is seen at the start of a stage, and the text is read afresh there. A click is handled
// when it comes, not at the end of its slice. Time spent in other handlers is taken from the
// following slices; a lag of more than one slice (and more than 250 ms) is not caught up.
TEST(IntervalWait, WhenTheWaitEnds) {
  struct Case {
    std::string text = "30";
    bool stopped = false;
    std::int64_t stop_at = -1, change_at = -1, click_at = -1, cost = 0, lag = 0, lag_at = 5100;
    std::int64_t lasts_ms;
    std::string text_after = "30";
  };
  const Case cases[] = {
      // Events are processed once (7 ms here) before a stop already requested is seen.
      {.text = "abc", .stopped = true, .cost = 7, .lasts_ms = 7, .text_after = "abc"},
      {.stop_at = 5000, .lasts_ms = 6000},
      {.stop_at = 6000, .lasts_ms = 6000},
      {.stop_at = 6001, .lasts_ms = 9000},
      {.stop_at = 27500, .lasts_ms = 30000},
      {.change_at = 200, .lasts_ms = 3000 + 9 * 100, .text_after = "1"},
      {.text = "3600", .click_at = 1, .lasts_ms = 3600000, .text_after = "3600"},
      {.cost = 7, .lasts_ms = 30007},
      {.lag = 300, .lasts_ms = 30000},
      {.lag = 301, .lasts_ms = 30301},
      // Where slices are shorter, lags of up to 250 ms are still caught up.
      {.text = "5", .lag = 250, .lag_at = 500, .lasts_ms = 5000, .text_after = "5"},
      {.text = "5", .lag = 251, .lag_at = 500, .lasts_ms = 5251, .text_after = "5"},
  };
  for (const Case& c : cases) {
    Harness h;
    h.form.txt_interval.SetText(c.text);
    if (c.stopped) h.form.StopFlag = kYes;
    if (c.stop_at >= 0) h.pump.At(c.stop_at, [&] { h.form.StopFlag = kYes; });
    if (c.change_at >= 0) h.pump.At(c.change_at, [&] { h.form.txt_interval.SetText("zz"); });
    std::int64_t clicked = -1;
    if (c.click_at >= 0) h.pump.At(c.click_at, [&] { clicked = h.clock.now_ms; });
    h.pump.At(c.lag_at, [&] { h.clock.now_ms += c.lag; });
    h.pump.cost_ms = c.cost;
    EXPECT_EQ(Wait(h), c.lasts_ms) << "case " << &c - cases;
    EXPECT_EQ(h.form.txt_interval.Text(), c.text_after) << "case " << &c - cases;
    EXPECT_EQ(clicked, c.click_at) << "case " << &c - cases;
  }
}

// Random mode is the caption, not the value. Each stage reseeds and lasts the whole part of
// interval × r, plus 1, seconds; the unrounded interval is drawn from.
TEST(IntervalWait, RandomModeDrawsEachStage) {
  struct Case {
    std::string interval;
    int value;
    std::string caption;
    std::vector<float> draws;
    Sleeps stage_seconds;
  };
  const Case cases[] = {
      {"10", 0, kRandomOn, {0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 0.55f, 0.65f, 0.75f, 0.85f, 0.95f},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"10", 0, kRandomOn, {0.99999994f}, Sleeps(10, 10)},
      {"1.5", 0, kRandomOn, {0.6f, 0.7f}, {1, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
      {"2.5", 0, kRandomOn, {0.9f}, Sleeps(10, 3)},
      {"10", 1, "random - y", {0.0f}, Sleeps(10, 10)},
  };
  for (const Case& c : cases) {
    Harness h;
    h.form.txt_interval.SetText(c.interval);
    h.form.chk_random.SetValue(c.value);
    h.form.chk_random.SetCaption(c.caption);
    h.random.values = c.draws;
    Wait(h);
    Sleeps sleeps;
    for (std::int64_t s : c.stage_seconds) sleeps.insert(sleeps.end(), 10, s * 10);
    EXPECT_EQ(h.clock.sleep_log, sleeps) << c.interval << " " << c.caption;
    EXPECT_EQ(h.random.reseeds, c.caption == kRandomOn ? 10 : 0) << c.interval << " " << c.caption;
  }
}

}  // namespace
}  // namespace kestrova
