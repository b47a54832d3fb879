// The command-line parse, held against a plain character-by-character reading of its grammar:
// each of "/f=", "/r=", "/t=" counts at its first occurrence, and its value runs to the next
// blank followed by "/" (or the end of the arguments), without blanks at either end.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "app/startup.h"
#include "fuzz_check.h"
#include "support/fakes.h"

namespace {

using kestrova::testing::Harness;

constexpr const char* kUnset = "<unset>";

// 1-based position of the first `name` in `text`, 0 when it is absent.
std::int64_t ReferenceFind(const std::string& text, const std::string& name) {
  for (std::size_t i = 0; i + name.size() <= text.size(); ++i) {
    bool match = true;
    for (std::size_t k = 0; k < name.size(); ++k) {
      if (text[i + k] != name[k]) match = false;
    }
    if (match) return static_cast<std::int64_t>(i) + 1;
  }
  return 0;
}

std::string ReferenceValue(const std::string& text, std::int64_t position) {
  if (position <= 0) return "";
  std::string rest;
  for (std::uint64_t i = static_cast<std::uint64_t>(position) + 2; i < text.size(); ++i) rest += text[i];
  std::size_t end = 0;
  bool ended = false;
  for (std::size_t i = 0; i + 1 < rest.size() && !ended; ++i) {
    if (rest[i] == ' ' && rest[i + 1] == '/') {
      end = i;
      ended = true;
    }
  }
  if (!ended) return "";
  std::string value = rest.substr(0, end);
  while (!value.empty() && value.front() == ' ') value.erase(0, 1);
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

struct Switches {
  std::string file, random, interval;
};

Switches ReferenceParse(const std::string& arguments) {
  const std::string extended = arguments + " /x=";
  return {ReferenceValue(extended, ReferenceFind(extended, "/f=")),
          ReferenceValue(extended, ReferenceFind(extended, "/r=")),
          ReferenceValue(extended, ReferenceFind(extended, "/t="))};
}

void CheckValue(const std::string& value, const std::string& arguments) {
  FUZZ_CHECK(value.find(" /") == std::string::npos);
  FUZZ_CHECK(value.empty() || (value.front() != ' ' && value.back() != ' '));
  // A value is always a piece of what was given: the terminator never leaks into it.
  FUZZ_CHECK(arguments.find(value) != std::string::npos);
}

void FuzzParse(const std::string& arguments) {
  Harness h;
  h.form.CommandLine = arguments;
  h.form.FileSwitch = h.form.RandomSwitch = h.form.IntervalSwitch = kUnset;
  kestrova::ParseCommandLine(h.form);
  FUZZ_CHECK(h.form.CommandLine == arguments);
  if (arguments.empty()) {
    FUZZ_CHECK(h.form.FileSwitch == kUnset && h.form.RandomSwitch == kUnset && h.form.IntervalSwitch == kUnset);
    return;
  }
  const Switches expected = ReferenceParse(arguments);
  FUZZ_CHECK(h.form.FileSwitch == expected.file);
  FUZZ_CHECK(h.form.RandomSwitch == expected.random);
  FUZZ_CHECK(h.form.IntervalSwitch == expected.interval);
  for (const std::string* value : {&h.form.FileSwitch, &h.form.RandomSwitch, &h.form.IntervalSwitch}) {
    CheckValue(*value, arguments);
  }
}

// Any position at all, the absurd ones included: before the text, inside the last switch, past the end.
void FuzzPositions(const std::string& text, std::int16_t fuzzed_position) {
  const std::int64_t size = static_cast<std::int64_t>(text.size());
  for (std::int64_t position : {std::int64_t{fuzzed_position}, std::int64_t{0}, std::int64_t{-1}, size - 2,
                                size, size + 1, std::numeric_limits<std::int64_t>::max(),
                                std::numeric_limits<std::int64_t>::min()}) {
    FUZZ_CHECK(kestrova::GetSwitchValue(text, position) == ReferenceValue(text, position));
  }
}

// The whole load step. A playlist file named by the arguments would be read from the disk, so only
// arguments without "/f=" get here: then the load has no file to read.
void FuzzLoad(const std::string& arguments) {
  if (arguments.find("/f=") != std::string::npos) return;
  Harness h;
  h.command_line = arguments;
  kestrova::Form_Load(h.form);
  FUZZ_CHECK(h.form.CommandLine == arguments);
  FUZZ_CHECK(h.form.lstPlayList.ListCount() == 0);
  FUZZ_CHECK(h.form.PlayListFile.empty());
  if (arguments.empty()) {
    FUZZ_CHECK(h.form.AutoStartFlag == "N");
    FUZZ_CHECK(h.form.txt_interval.Text() == "30");
    FUZZ_CHECK(h.form.chk_random.Caption() == "Random - N");
    return;
  }
  const Switches expected = ReferenceParse(arguments);
  FUZZ_CHECK(h.form.AutoStartFlag == "Y");
  FUZZ_CHECK(h.form.txt_interval.Text() == expected.interval);
  FUZZ_CHECK(h.form.chk_random.Caption() == (expected.random == "Y" ? "Random - Y" : "Random - N"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string arguments = kestrova::fuzz::Text(data, size);
  FuzzParse(arguments);
  FuzzLoad(arguments);
  if (size >= 2) {
    FuzzPositions(arguments.substr(2), static_cast<std::int16_t>(data[0] | (data[1] << 8)));
  }
  return 0;
}
