#include "browse/interval_wait.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "browse/option_toggles.h"

namespace kestrova {
namespace {

constexpr int kStages = 10;
constexpr int kSlicesPerStage = 10;
// The seconds of a stage saturate at the widest a signed 32-bit count holds (some 68 years a
// wait), and a slice is counted in 64 bits: an interval too long for the arithmetic is the longest
// wait it can make, never no wait at all, which would send page after page with no pause.
std::int32_t SaturateInt32(double value) {
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, kLowest, kHighest));
}

// Lags up to this long are caught up even where they exceed a slice: at an interval of a second
// a slice is 10 ms, and a page being painted or a busy machine would otherwise add every such
// hiccup to the wait.
constexpr std::int64_t kCatchUpMs = 250;

// The end of the next slice, counted from where the previous one should have ended, so that the
// time spent in handlers does not add up over the hundred slices of a wait. A longer lag (a
// dialog was open inside a handler) is not caught up: the wait goes on from now with a full slice.
std::int64_t NextSliceEnd(Clock& clock, std::int64_t& deadline, std::int64_t slice_ms) {
  const std::int64_t now = clock.NowMs();
  if (now - deadline > std::max(slice_ms, kCatchUpMs)) deadline = now;
  deadline += slice_ms;
  return deadline;
}

}  // namespace

std::optional<double> ParseInterval(const std::string& text, char decimal_separator) {
  std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return std::nullopt;
  std::size_t end = text.find_last_not_of(' ') + 1;
  std::string number = text.substr(begin, end - begin);
  // The conversion below takes no plus sign; dropping it must not let a minus through behind it.
  if (number[0] == '+' && !number.starts_with("+-")) number.erase(0, 1);
  std::replace(number.begin(), number.end(), decimal_separator, '.');
  double value = 0;
  const char* first = number.data();
  const char* last = number.data() + number.size();
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::int32_t FixedSeconds(double interval) {
  // nearbyint rounds a half to the even neighbour under the default rounding mode.
  return SaturateInt32(std::nearbyint(interval));
}

std::int32_t RandomSeconds(double interval, float r) {
  return SaturateInt32(std::floor(interval * static_cast<double>(r)) + 1.0);
}

void pause(Form2& form) {
  Services& s = form.services;
  std::int64_t deadline = s.clock.NowMs();
  for (int stage = 0; stage < kStages; ++stage) {
    s.pump.ProcessEvents();
    if (form.StopFlag == kYes) return;

    std::optional<double> interval = ParseInterval(form.txt_interval.Text(), s.app.DecimalSeparator());
    if (!interval || *interval < 1) {
      form.txt_interval.SetText("1");
      interval = 1.0;
    }
    std::int32_t seconds = FixedSeconds(*interval);
    if (form.chk_random.Caption() == kRandomOn) {
      s.random.ReseedFromClock();
      seconds = RandomSeconds(*interval, s.random.Next());
    }
    const std::int64_t slice_ms = static_cast<std::int64_t>(seconds) * 10;
    // A slice waits on the window events, not in a sleep: a click is handled when it comes, at
    // any interval.
    for (int slice = 0; slice < kSlicesPerStage; ++slice) {
      s.pump.ProcessEventsUntil(NextSliceEnd(s.clock, deadline, slice_ms));
    }
  }
}

}  // namespace kestrova
