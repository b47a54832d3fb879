#pragma once
// What a browser and its helper processes cost the machine, read from /proc: processor time
// and proportional memory (PSS, shared pages counted once across the processes).

#include <sys/types.h>

#include <chrono>
#include <map>
#include <utility>

namespace kestrova::bench {

// The process and all its descendants, summed. PSS divides each shared page among the processes
// that map it, so the file-backed part shrinks while other programs use the same libraries; the
// anonymous part (heaps, caches) is the program's alone.
double TotalPssMb(pid_t root);
double AnonymousPssMb(pid_t root);

// Processor time of a tree of processes over a stretch of time. Processes that start during it
// count from zero; those that end count until they were last sampled, so sample often.
class CpuMeter {
 public:
  explicit CpuMeter(pid_t root);
  void Sample();
  // Seconds of processor time since construction.
  double CpuSeconds() const;
  // CpuSeconds as a share of one core over the wall time since construction, in percent.
  double PercentOfOneCore() const;

 private:
  pid_t root_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point last_;
  // (pid, start ticks) -> (ticks at first sight, ticks at last sight)
  std::map<std::pair<pid_t, unsigned long long>, std::pair<unsigned long long, unsigned long long>> seen_;
};

// Samples `meter` every 200 ms for `duration`.
void SampleFor(CpuMeter& meter, std::chrono::steady_clock::duration duration);

}  // namespace kestrova::bench
