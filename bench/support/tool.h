#pragma once
// Runs a helper program (xdotool, xwininfo) to its end and hands back what it printed, so that
// the tests can drive the desktop the way a user's tools would.

#include <chrono>
#include <string>
#include <vector>

namespace kestrova::bench {

struct ToolResult {
  // The wait status's exit code; -1 when the tool did not exit normally or could not start.
  int exit_code = -1;
  std::string out;
  bool Succeeded() const { return exit_code == 0; }
};

// A tool that outlives `timeout` is killed; its result then has exit_code -1.
ToolResult RunTool(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace kestrova::bench
