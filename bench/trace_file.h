#pragma once
// Reads the program's trace (KESTROVA_TRACE): lines of "<steady ms> <event>".

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::bench {

struct TraceLine {
  std::int64_t ms = 0;
  std::string event;
};

std::vector<TraceLine> ReadTrace(const std::filesystem::path& file);

// The first line after `after_ms` (exclusive) whose event starts with `prefix`, waiting for it
// up to `timeout`.
std::optional<TraceLine> WaitForTrace(const std::filesystem::path& file, const std::string& prefix,
                                      std::int64_t after_ms, std::chrono::milliseconds timeout);

// The steady clock in whole milliseconds, as the trace writes it.
std::int64_t SteadyMs(std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now());

}  // namespace kestrova::bench
