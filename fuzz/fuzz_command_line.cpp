// The command line and the interval box take any text at all: ASan, UBSan, the bounds-checked
// standard library and libFuzzer's timeout catch a crash, a read past the text or a hang.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/startup.h"
#include "browse/interval_wait.h"
#include "browse/option_toggles.h"
#include "support/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kestrova::testing::Fake h;
  h.form.CommandLine = text;
  kestrova::ParseCommandLine(h.form);
  // A switch at any position at all, before the text and past its end included.
  if (size > 0) kestrova::GetSwitchValue(text, std::int64_t{data[0]} - 2);
  // A whole wait in random mode on the fakes' clock reads the box both as a fixed and as a
  // random length, the latter from the top of the draws.
  h.form.txt_interval.SetText(text);
  h.form.chk_random.SetCaption(kestrova::kRandomOn);
  h.draws = {0.999f};
  kestrova::pause(h.form);
  return 0;
}
