// The interval box read as seconds, the two stage lengths made from it, and the whole wait.
//
// Input: the interval text, optionally followed by a line feed, a mode byte (bit 0: random mode)
// and one byte per stage for the random draws (0xFF: the largest float below 1).

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "browse/interval_wait.h"
#include "fuzz_check.h"
#include "support/fakes.h"

namespace {

using kestrova::FixedSeconds;
using kestrova::ParseInterval;
using kestrova::RandomSeconds;

constexpr double kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr double kInt32Min = std::numeric_limits<std::int32_t>::min();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as people type one: sign, digits with at most one point, an exponent.
bool IsDecimalNumber(const std::string& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == text.size();
}

void CheckParse(const std::string& text) {
  const std::optional<double> value = ParseInterval(text);
  if (value) FUZZ_CHECK(std::isfinite(*value));
  // Blanks around the number change nothing.
  FUZZ_CHECK(ParseInterval("  " + text + " ") == value);

  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (!IsDecimalNumber(trimmed)) {
    FUZZ_CHECK(!value);
    return;
  }
  errno = 0;
  const double expected = std::strtod(trimmed.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(expected)) {
    FUZZ_CHECK(!value);
  } else if (errno == ERANGE) {
    // Too small to hold: read as nothing or as a tiny number, the box is repaired to "1" either way.
    FUZZ_CHECK(!value || std::fabs(*value) < 1);
  } else {
    FUZZ_CHECK(value && *value == expected);
  }
}

// Rounding half to even, done by hand.
std::optional<std::int32_t> ReferenceFixed(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double low = std::floor(x);
  const double fraction = x - low;
  double rounded = low + 1;
  if (fraction < 0.5 || (fraction == 0.5 && std::fmod(low, 2) == 0)) rounded = low;
  if (rounded < kInt32Min || rounded > kInt32Max) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

// `interval` is what the wait works with: at least 1, since a smaller one is repaired first.
void CheckRandom(double interval, const std::vector<float>& draws) {
  const double most = std::floor(interval) + 1;
  std::optional<std::int32_t> previous;
  float previous_r = -1;
  for (const float r : draws) {
    const std::optional<std::int32_t> seconds = RandomSeconds(interval, r);
    if (most <= kInt32Max) FUZZ_CHECK(seconds.has_value());
    if (!seconds) continue;
    FUZZ_CHECK(*seconds >= 1 && *seconds <= most);
    // A whole interval of N seconds never draws more than N.
    if (interval == std::floor(interval)) FUZZ_CHECK(*seconds <= interval);
    if (r == 0) FUZZ_CHECK(*seconds == 1);
    if (previous && previous_r <= r) FUZZ_CHECK(*previous <= *seconds);
    if (previous && previous_r >= r) FUZZ_CHECK(*previous >= *seconds);
    previous = seconds;
    previous_r = r;
  }
}

// The wait itself on a virtual clock: what it leaves in the box and how long it sleeps.
void CheckPause(const std::string& text, bool random, const std::vector<float>& draws) {
  kestrova::testing::Harness h;
  h.form.txt_interval.SetText(text);
  if (random) h.form.chk_random.SetValue(kestrova::CheckBox::kTicked);
  if (!draws.empty()) h.draws.assign(draws.begin(), draws.end());
  kestrova::pause(h.form);

  const std::optional<double> value = ParseInterval(text);
  const bool repaired = !value || *value < 1;
  FUZZ_CHECK(h.form.txt_interval.Text() == (repaired ? std::string("1") : text));
  const double interval = repaired ? 1.0 : *value;

  std::int64_t expected_ms = 0;
  std::int32_t seconds = 0;
  for (int stage = 0; stage < 10; ++stage) {
    if (auto fixed = FixedSeconds(interval)) seconds = *fixed;
    if (random) {
      // The scripted source repeats its last value once the list runs out.
      const float r = draws.empty() ? 0.0f : draws.at(std::min<std::size_t>(stage, draws.size() - 1));
      if (auto drawn = RandomSeconds(interval, r)) seconds = *drawn;
    }
    // Ten slices of ten times the seconds in milliseconds, unless that overflows a slice.
    const std::int64_t slice_ms = std::int64_t{seconds} * 10;
    if (slice_ms <= std::numeric_limits<std::int32_t>::max()) expected_ms += 10 * slice_ms;
  }
  FUZZ_CHECK(h.now_ms == expected_ms);
  FUZZ_CHECK(h.pumps == 110);
  FUZZ_CHECK(h.reseeds == (random ? 10 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = kestrova::fuzz::Text(data, size);
  const std::size_t line_end = input.find('\n');
  const std::string text = input.substr(0, line_end);
  bool random = false;
  std::vector<float> draws;
  if (line_end != std::string::npos && line_end + 1 < input.size()) {
    random = (input[line_end + 1] & 1) != 0;
    for (std::size_t i = line_end + 2; i < input.size() && draws.size() < 10; ++i) {
      const auto byte = static_cast<unsigned char>(input[i]);
      draws.push_back(byte == 0xFF ? std::nextafter(1.0f, 0.0f) : static_cast<float>(byte) / 255.0f);
    }
  }

  CheckParse(text);
  const std::optional<double> value = ParseInterval(text);
  if (value) FUZZ_CHECK(FixedSeconds(*value) == ReferenceFixed(*value));
  if (size >= sizeof(double)) {
    double raw = 0;
    std::memcpy(&raw, data, sizeof raw);
    FUZZ_CHECK(FixedSeconds(raw) == ReferenceFixed(raw));
  }
  CheckRandom(value && *value >= 1 ? *value : 1.0, draws);
  CheckPause(text, random, draws);
  return 0;
}
