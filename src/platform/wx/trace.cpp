#include "platform/wx/trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

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
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count();
  std::fprintf(file, "%lld %.*s\n", static_cast<long long>(ms), static_cast<int>(event.size()), event.data());
  // Readers look while the program runs, and the program may end by _exit.
  std::fflush(file);
}

}  // namespace kestrova::wx
