#include "support/processes.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

namespace kestrova::bench {
namespace {

std::optional<ProcessInfo> ReadFiles(pid_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid);
  std::ifstream stat_file(dir + "/stat");
  std::string stat((std::istreambuf_iterator<char>(stat_file)), std::istreambuf_iterator<char>());
  // The command name sits in parentheses and may itself hold blanks and parentheses.
  const auto name_end = stat.rfind(')');
  if (name_end == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(name_end + 2));
  ProcessInfo info;
  info.pid = pid;
  std::string skip;
  fields >> info.state >> info.parent >> info.group;
  // Fields 6 to 21 of stat come before the start time (field 22).
  for (int field = 6; field <= 21; ++field) fields >> skip;
  fields >> info.start_ticks;
  if (!fields) return std::nullopt;

  std::ifstream cmdline_file(dir + "/cmdline");
  std::string cmdline((std::istreambuf_iterator<char>(cmdline_file)), std::istreambuf_iterator<char>());
  while (!cmdline.empty() && cmdline.back() == '\0') cmdline.pop_back();
  for (char& c : cmdline) {
    if (c == '\0') c = ' ';
  }
  info.command_line = cmdline;
  return info;
}

// Reading the files of a process that ends meanwhile fails with ESRCH, which the stream reports
// by throwing.
std::optional<ProcessInfo> Read(pid_t pid) {
  try {
    return ReadFiles(pid);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

std::vector<ProcessInfo> AllProcesses() {
  std::vector<ProcessInfo> all;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    pid_t pid = 0;
    const auto [end, parse_error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (parse_error != std::errc() || end != name.data() + name.size()) continue;
    if (auto info = Read(pid)) all.push_back(*info);
  }
  return all;
}

std::vector<ProcessInfo> Descendants(pid_t root) {
  const auto all = AllProcesses();
  std::set<pid_t> family{root};
  std::vector<ProcessInfo> found;
  // Parents can have larger ids than their children; go round until nothing new turns up.
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& process : all) {
      if (family.count(process.parent) != 0 && family.insert(process.pid).second) {
        found.push_back(process);
        grew = true;
      }
    }
  }
  return found;
}

std::vector<ProcessInfo> GroupMembers(pid_t group) {
  std::vector<ProcessInfo> members;
  for (const auto& process : AllProcesses()) {
    if (process.group == group && process.pid != group) members.push_back(process);
  }
  return members;
}

bool StillRunning(const ProcessInfo& process) {
  const auto now = Read(process.pid);
  return now && now->start_ticks == process.start_ticks && now->state != 'Z' && now->state != 'X';
}

}  // namespace kestrova::bench
