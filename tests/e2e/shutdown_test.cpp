// The three ways the program ends: the Exit option at the end of a pass, closing the window,
// and File > Exit. Each ends the whole program at once, cleanly, web engine helpers included.

#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(ShutdownTest, ClosingTheWindowDuringAWaitEndsTheProgramAtOnce) {
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/t=3"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  const auto first = server.WaitForRequests(pages, 1, 15s);
  ASSERT_EQ(first.size(), 1u);
  program->NoteHelpers();
  // Without these in sight, "no helper outlived the program" would prove nothing.
  for (const char* helper : {"WebKitWebProcess", "WebKitNetworkProcess"}) {
    const auto& helpers = program->Helpers();
    EXPECT_TRUE(std::any_of(helpers.begin(), helpers.end(),
                            [&](const ProcessInfo& process) { return process.command_line.find(helper) != std::string::npos; }))
        << "no " << helper << " among the program's processes";
  }

  std::this_thread::sleep_until(first.front().at + 1s);
  ASSERT_TRUE(Activate(*window));
  const auto closed = Clock::now();
  ASSERT_TRUE(PressKeys({"alt+F4"}));
  ASSERT_TRUE(program->WaitForExit(5s)) << "the program did not end";
  const double close_to_exit = SecondsBetween(closed, program->ExitedAt());
  EXPECT_LT(close_to_exit, 1.0);
  ExpectCleanEnd();

  // The second page was due three seconds after the first.
  std::this_thread::sleep_until(first.front().at + 3500ms);
  EXPECT_EQ(server.Requests().size(), 1u) << Describe(server.Requests());
  std::cout << "[ figures  ] close to exit " << close_to_exit << " s\n";
}

TEST_F(ShutdownTest, FileExitWithNoRunEndsTheProgramAtOnce) {
  Launch({});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  program->NoteHelpers();

  const auto chosen = ChooseMenuItem(program->Pid(), *window, "f", "x");
  ASSERT_TRUE(chosen);
  ASSERT_TRUE(program->WaitForExit(5s)) << "the program did not end";
  const double choice_to_exit = SecondsBetween(*chosen, program->ExitedAt());
  EXPECT_LT(choice_to_exit, 1.0);
  ExpectCleanEnd();
  EXPECT_TRUE(server.Requests().empty()) << Describe(server.Requests());
  std::cout << "[ figures  ] File > Exit to exit " << choice_to_exit << " s\n";
}

}  // namespace
}  // namespace kestrova::e2e
