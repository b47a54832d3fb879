// The web engine failing under the program: its web process killed in the middle of a run.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <thread>

#include "support/end_to_end_test.h"
#include "support/processes.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

class BrowserFaultTest : public EndToEndTest {};

// The program's web processes. With WebKit's sandbox on they run below bubblewrap processes, so
// they are found by their command line among all of the program's descendants.
std::vector<ProcessInfo> WebProcesses(pid_t program) {
  auto found = Descendants(program);
  found.erase(std::remove_if(found.begin(), found.end(),
                             [](const ProcessInfo& p) {
                               return p.state == 'Z' || p.command_line.find("WebKitWebProcess") == std::string::npos ||
                                      p.command_line.find("bwrap") != std::string::npos;
                             }),
              found.end());
  return found;
}

bool SameProcess(const ProcessInfo& a, const ProcessInfo& b) { return a.pid == b.pid && a.start_ticks == b.start_ticks; }

TEST_F(BrowserFaultTest, AKilledWebProcessIsReplacedAndTheRunGoesOnWithoutADialog) {
  const std::vector<std::string> names{"a", "b", "c", "d"};
  std::vector<std::string> paths;
  for (const auto& name : names) {
    paths.push_back("/" + name + ".html");
    server.Serve(paths.back(), ReportingPage(name, "/ran?page=" + name));
  }
  Launch({"/f=" + WritePlaylistOf(paths).string(), "/t=1"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);

  // Twice, in the wait of a page that has been shown: the process dies with the page in it.
  std::vector<ProcessInfo> killed;
  for (const std::string target : {"/ran?page=a", "/ran?page=b"}) {
    const auto ran = server.WaitUntil(
        [&](const std::vector<Request>& all) {
          return std::any_of(all.begin(), all.end(), [&](const Request& r) { return r.target == target; });
        },
        20s);
    ASSERT_TRUE(std::any_of(ran.begin(), ran.end(), [&](const Request& r) { return r.target == target; }))
        << Describe(ran);
    const auto victims = WebProcesses(program->Pid());
    ASSERT_FALSE(victims.empty()) << "no web process found below the program";
    // The pages run in WebKit's sandbox, which bubblewrap sets up, as root too.
    const auto family = Descendants(program->Pid());
    EXPECT_TRUE(std::any_of(family.begin(), family.end(),
                            [](const ProcessInfo& p) { return p.command_line.find("bwrap") != std::string::npos; }))
        << "no sandbox around the web process";
    for (const auto& victim : victims) {
      ASSERT_EQ(::kill(victim.pid, SIGKILL), 0);
      killed.push_back(victim);
    }
  }

  // The pages after each kill were shown by a fresh process: their scripts ran.
  const auto reports = server.WaitForRequests({"/ran"}, 4, 10s);
  EXPECT_EQ(PathsOf(server.RequestsFor(paths)), paths) << Describe(server.Requests());
  std::vector<std::string> targets;
  for (const auto& report : reports) targets.push_back(report.target);
  EXPECT_EQ(targets, (std::vector<std::string>{"/ran?page=a", "/ran?page=b", "/ran?page=c", "/ran?page=d"}))
      << Describe(reports);
  ExpectSpacingsWithin(server.RequestsFor(paths), 0.6, 2.5, 0.3);

  const auto now = WebProcesses(program->Pid());
  EXPECT_FALSE(now.empty()) << "no web process runs after the kills";
  for (const auto& process : now) {
    for (const auto& victim : killed) EXPECT_FALSE(SameProcess(process, victim)) << "pid " << victim.pid << " survived";
  }
  EXPECT_TRUE(program->Running()) << "stderr:\n" << program->Stderr();
  const auto windows = VisibleWindows(program->Pid());
  ASSERT_EQ(windows.size(), 1u) << "also shown: " << windows.back().name;
  EXPECT_EQ(windows.front().name, kMainCaption);
  std::cout << "[ figures  ] " << Describe(server.Requests()) << "\n";
}

}  // namespace
}  // namespace kestrova::e2e
