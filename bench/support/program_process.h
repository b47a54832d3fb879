#pragma once
// The program under test, started as a user would start it: its own process group, its output
// in files, and a home of its own for the web engine's cache and settings. Whatever happens in
// the test, the destructor leaves no process of it behind.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/processes.h"

namespace kestrova::bench {

using Clock = std::chrono::steady_clock;

struct ExitStatus {
  bool exited = false;  // by exit(): `code` is valid; otherwise it was killed by `signal`
  int code = 0;
  int signal = 0;
  std::string Describe() const;
};

class ProgramProcess {
 public:
  // `home` receives stdout.log, stderr.log and the program's cache and settings folders.
  ProgramProcess(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                 const std::filesystem::path& home);
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  pid_t Pid() const { return pid_; }
  Clock::time_point StartedAt() const { return started_; }

  // The status once the program has ended by itself, or nothing when it still runs at the end
  // of `timeout`.
  std::optional<ExitStatus> WaitForExit(Clock::duration timeout);
  bool Running();
  // When the end was first seen (within a few milliseconds of the real end).
  Clock::time_point ExitedAt() const { return exited_at_; }

  std::string Stdout() const;
  std::string Stderr() const;

  // Writes down the helper processes (web engine processes) that the program runs now.
  void NoteHelpers();
  const std::vector<ProcessInfo>& Helpers() const { return helpers_; }
  // Notes the helpers once more, then gives them up to `grace` to end; returns those still running.
  std::vector<ProcessInfo> HelpersStillRunningAfter(Clock::duration grace);

  // Kills the program, its process group and every noted helper.
  void Kill();

 private:
  void AddHelpers(const std::vector<ProcessInfo>& found);

  pid_t pid_ = -1;
  bool reaped_ = false;
  std::optional<ExitStatus> status_;
  Clock::time_point started_;
  Clock::time_point exited_at_;
  std::filesystem::path home_;
  std::vector<ProcessInfo> helpers_;
};

}  // namespace kestrova::bench
