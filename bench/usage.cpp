#include "usage.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/processes.h"

namespace kestrova::bench {
namespace {

std::vector<ProcessInfo> Tree(pid_t root) {
  std::vector<ProcessInfo> tree = Descendants(root);
  for (const auto& process : AllProcesses()) {
    if (process.pid == root) tree.push_back(process);
  }
  return tree;
}

// The first line of a /proc file, or nothing when the process has gone meanwhile (reading the
// file of a process that has just ended fails with ESRCH, which the stream reports by throwing).
bool ReadProcLine(const std::string& path, std::string& text) {
  try {
    std::ifstream in(path);
    return static_cast<bool>(std::getline(in, text));
  } catch (const std::exception&) {
    return false;
  }
}

// utime + stime in clock ticks, or nothing when the process is gone.
bool ReadTicks(pid_t pid, unsigned long long& ticks) {
  std::string text;
  if (!ReadProcLine("/proc/" + std::to_string(pid) + "/stat", text)) return false;
  // The command name may hold blanks and parentheses: fields are counted after the last ')'.
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) utime = std::stoull(field);
    if (index == 15) {
      stime = std::stoull(field);
      ticks = utime + stime;
      return true;
    }
  }
  return false;
}

}  // namespace

namespace {

double SummedField(pid_t root, const std::string& field) {
  double kb = 0;
  for (const auto& process : Tree(root)) {
    try {
      std::ifstream in("/proc/" + std::to_string(process.pid) + "/smaps_rollup");
      for (std::string line; std::getline(in, line);) {
        if (line.rfind(field, 0) == 0) {
          kb += std::stod(line.substr(field.size()));
          break;
        }
      }
    } catch (const std::exception&) {
      // gone meanwhile: it holds no memory any more
    }
  }
  return kb / 1024.0;
}

}  // namespace

double TotalPssMb(pid_t root) { return SummedField(root, "Pss:"); }
double AnonymousPssMb(pid_t root) { return SummedField(root, "Pss_Anon:"); }

CpuMeter::CpuMeter(pid_t root) : root_(root), started_(std::chrono::steady_clock::now()), last_(started_) {
  for (const auto& process : Tree(root_)) {
    unsigned long long ticks = 0;
    if (ReadTicks(process.pid, ticks)) seen_[{process.pid, process.start_ticks}] = {ticks, ticks};
  }
}

void CpuMeter::Sample() {
  for (const auto& process : Tree(root_)) {
    unsigned long long ticks = 0;
    if (!ReadTicks(process.pid, ticks)) continue;
    auto [it, added] = seen_.try_emplace({process.pid, process.start_ticks}, 0ULL, ticks);
    if (!added) it->second.second = ticks;
  }
  last_ = std::chrono::steady_clock::now();
}

double CpuMeter::CpuSeconds() const {
  unsigned long long ticks = 0;
  for (const auto& [key, span] : seen_) ticks += span.second - span.first;
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double CpuMeter::PercentOfOneCore() const {
  const double wall = std::chrono::duration<double>(last_ - started_).count();
  return wall > 0 ? 100.0 * CpuSeconds() / wall : 0.0;
}

void SampleFor(CpuMeter& meter, std::chrono::steady_clock::duration duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(std::chrono::milliseconds(200),
                                                                              end - std::chrono::steady_clock::now()));
    meter.Sample();
  }
}

}  // namespace kestrova::bench
