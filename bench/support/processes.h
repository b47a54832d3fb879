#pragma once
// What /proc says about processes: who descends from whom, which process group they are in,
// and whether they are still running. Used to find the web engine's helper processes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrova::bench {

struct ProcessInfo {
  pid_t pid = 0;
  pid_t parent = 0;
  pid_t group = 0;
  char state = '?';
  unsigned long long start_ticks = 0;  // since boot; tells a process from a later one with its id
  std::string command_line;            // arguments joined with blanks
};

std::vector<ProcessInfo> AllProcesses();
// Every process below `root` in the parent tree, at this moment.
std::vector<ProcessInfo> Descendants(pid_t root);
// Every process whose process group is `group`, `group`'s leader left out.
std::vector<ProcessInfo> GroupMembers(pid_t group);
// True while the same process (same id and start) exists and has not ended. A zombie has ended.
bool StillRunning(const ProcessInfo& process);

}  // namespace kestrova::bench
