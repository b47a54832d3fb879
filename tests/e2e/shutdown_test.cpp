// The three ways the program ends: the Exit option at the end of a pass, closing the window,
// and File > Exit. Each ends the whole program at once, cleanly, web engine helpers included.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/end_to_end_test.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

class ShutdownTest : public EndToEndTest {};

TEST_F(ShutdownTest, ExitOptionEndsTheProgramAfterTheLastWaitOfThePass) {
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/t=1"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  // Exit is read at the end of the pass, so ticking it during the first wait is in time.
  ASSERT_EQ(server.WaitForRequests(pages, 1, 15s).size(), 1u);
  program->NoteHelpers();
  ASSERT_TRUE(Click(*window, kExitBox));

  const auto status = program->WaitForExit(10s);
  ASSERT_TRUE(status) << "still running after " << Describe(server.Requests());
  const auto seen = server.Requests();
  ASSERT_EQ(PathsOf(seen), pages) << Describe(seen);
  ExpectSpacingsWithin(seen, 0.8, 1.6, kFirstSpacingLow);
  const double last_wait = SecondsBetween(seen.back().at, program->ExitedAt());
  EXPECT_TRUE(last_wait >= 0.8 && last_wait <= 1.6) << "ended " << last_wait << " s after the last request";
  ExpectCleanEnd();

  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(server.Requests().size(), 3u) << Describe(server.Requests());
  std::cout << "[ figures  ] " << Describe(seen) << "; ended " << last_wait << " s after the last\n";
}

// Whether the program's trace has a line with `event` yet.
bool Traced(const std::filesystem::path& trace, const std::string& event) {
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.find(event) != std::string::npos) return true;
  }
  return false;
}

// Closing the window (alt+F4 asks the window manager, as the close button does) and File > Exit
// end the program within 300 ms, whatever it does: nothing, a long wait, or awaiting a web
// process that a page's endless script keeps busy (a check of up to 300 ms before each page).
TEST_F(ShutdownTest, ClosingEndsTheProgramAtOnceInEveryState) {
  enum class State { Idle, Waiting, StuckWebProcess };
  const struct {
    State state;
    bool file_exit;
  } cases[] = {{State::Idle, true},
               {State::Waiting, false},
               {State::Waiting, true},
               {State::StuckWebProcess, false},
               {State::StuckWebProcess, true}};
  server.Serve("/endless.html", Page{"<!DOCTYPE html><html><body><script>for (;;) {}</script></body></html>"});
  for (const auto& c : cases) {
    const std::string name = std::to_string(static_cast<int>(c.state)) + (c.file_exit ? " File > Exit" : " close");
    const std::string row = std::to_string(&c - cases);
    const auto trace = scratch.Path() / ("trace-" + row);
    const std::vector<std::string> page{"/wait-" + row + ".html"};
    setenv("KESTROVA_TRACE", trace.c_str(), 1);
    if (c.state == State::Idle) Launch({});
    if (c.state == State::Waiting) Launch({"/f=" + WritePlaylistOf(page, "list-" + row).string(), "/t=300"});
    if (c.state == State::StuckWebProcess) Launch({"/f=" + WritePlaylistOf({"/endless.html"}).string(), "/t=1"});
    unsetenv("KESTROVA_TRACE");
    const auto window = MainWindow();
    ASSERT_TRUE(window) << name;
    ASSERT_TRUE(Activate(*window)) << name;
    if (c.file_exit) {
      const std::size_t before = VisibleWindows(program->Pid()).size();
      ASSERT_TRUE(PressKeys({"alt+f"})) << name;
      const auto shown_by = Clock::now() + 3s;
      while (VisibleWindows(program->Pid()).size() <= before && Clock::now() < shown_by) std::this_thread::sleep_for(20ms);
    }
    // Into the state: a second of the wait, or the moment the check on the web process begins.
    if (c.state == State::Waiting) {
      const auto first = server.WaitForRequests(page, 1, 15s);
      ASSERT_EQ(first.size(), 1u) << name;
      std::this_thread::sleep_until(first.front().at + 1s);
    }
    const auto checking_by = Clock::now() + 15s;
    while (c.state == State::StuckWebProcess && !Traced(trace, "web process check") && Clock::now() < checking_by) {
      std::this_thread::sleep_for(2ms);
    }
    program->NoteHelpers();
    // Without them in sight, "no helper outlived the program" would prove nothing.
    EXPECT_TRUE(c.state == State::Idle || !program->Helpers().empty()) << name;
    const auto closed = Clock::now();
    ASSERT_TRUE(PressKeys({c.file_exit ? "x" : "alt+F4"})) << name;
    ASSERT_TRUE(program->WaitForExit(5s)) << name << ": the program did not end";
    const double close_to_exit = SecondsBetween(closed, program->ExitedAt());
    EXPECT_LT(close_to_exit, 0.3) << name;
    ExpectCleanEnd();
    std::cout << "[ figures  ] " << name << ": close to exit " << close_to_exit << " s\n";
  }
}

}  // namespace
}  // namespace kestrova::e2e
