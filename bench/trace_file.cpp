#include "trace_file.h"

#include <fstream>
#include <thread>

namespace kestrova::bench {

std::vector<TraceLine> ReadTrace(const std::filesystem::path& file) {
  std::vector<TraceLine> lines;
  std::ifstream in(file);
  for (std::string text; std::getline(in, text);) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) continue;  // a line still being written
    try {
      lines.push_back(TraceLine{std::stoll(text.substr(0, blank)), text.substr(blank + 1)});
    } catch (const std::exception&) {
    }
  }
  return lines;
}

std::optional<TraceLine> WaitForTrace(const std::filesystem::path& file, const std::string& prefix,
                                      std::int64_t after_ms, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (auto& line : ReadTrace(file)) {
      if (line.ms > after_ms && line.event.rfind(prefix, 0) == 0) return line;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::int64_t SteadyMs(std::chrono::steady_clock::time_point at) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

}  // namespace kestrova::bench
