#include "platform/wx/trace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/wx/wx_services.h"

namespace kestrova::wx {
namespace {

std::FILE* TraceFile() {
  // Opened once: the cost of a disabled trace is a test of one pointer.
  static std::FILE* const file = [] {
    const char* name = std::getenv("KESTROVA_TRACE");
    return name != nullptr && name[0] != '\0' ? std::fopen(name, "a") : nullptr;
  }();
  return file;
}

}  // namespace

bool TraceEnabled() { return TraceFile() != nullptr; }

void Trace(std::string_view event) {
  std::FILE* file = TraceFile();
  if (file == nullptr) return;
  const std::int64_t ms = SteadyClock().NowMs();
  std::fprintf(file, "%lld %.*s\n", static_cast<long long>(ms), static_cast<int>(event.size()), event.data());
  // Readers look while the program runs, and the program may end by _exit.
  std::fflush(file);
}

}  // namespace kestrova::wx
