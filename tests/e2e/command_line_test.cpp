// Start-up from the command line: random waits, a playlist path with blanks, a misspelt switch,
// and no arguments at all. (A plain "/f= /t=" start is the first browsing test.)

#include <gtest/gtest.h>

#include <httplib.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <thread>

#include "support/dead_ends.h"
#include "support/end_to_end_test.h"
#include "support/tool.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

class CommandLineTest : public EndToEndTest {};
// Run where the desktop gives a new window no focus (see tests/e2e/CMakeLists.txt).
class WithoutFocusTest : public EndToEndTest {};

// As at login or from a script while the user types elsewhere: under X another program holds the
// focus; Wayland's headless compositor gives it to nobody.
TEST_F(WithoutFocusTest, ACommandLineRunStartsWhenTheWindowIsShown) {
  const bool x11 = std::getenv("DISPLAY") != nullptr;
  if (x11) {
    ASSERT_EQ(std::system("xmessage -title focus-holder 'another program' >/dev/null 2>&1 &"), 0);
    ASSERT_TRUE(RunTool({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^focus-holder$",
                         "windowactivate", "--sync"})
                    .Succeeded());
  }
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/t=1"});

  const auto seen = server.WaitForRequests(pages, 3, 20s);
  EXPECT_EQ(PathsOf(seen), pages) << Describe(seen) << "; stderr:\n" << program->Stderr();
  if (x11) {
    EXPECT_EQ(RunTool({"xdotool", "getactivewindow", "getwindowname"}).out, "focus-holder\n");
  }
}

TEST_F(CommandLineTest, RandomModeWaitsBetweenOneAndTheIntervalInSeconds) {
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/r=Y", "/t=2"});

  const auto seen = server.WaitForRequests(pages, 6, 25s);
  ASSERT_EQ(PathsOf(seen), (std::vector<std::string>{"/a.html", "/b.html", "/c.html", "/a.html", "/b.html", "/c.html"}))
      << Describe(seen);
  ExpectSpacingsWithin(seen, 0.9, 2.3, kFirstSpacingLow);
  // Each wait is ten draws of one or two tenths of a second's worth; five waits that all drew
  // two every time would mean the mode was never on (odds about 1 in 10^15 otherwise).
  const auto gaps = Spacings(seen);
  EXPECT_LT(*std::min_element(gaps.begin(), gaps.end()), 1.9) << Describe(seen);
  std::cout << "[ figures  ] " << Describe(seen) << "\n";
}

TEST_F(CommandLineTest, APlaylistPathWithBlanksNeedsNoQuotes) {
  const auto list = WritePlaylistOf(pages, "My Lists/a b.txt");
  const std::string argument = "/f=" + list.string();
  // The shell would hand the unquoted path over as separate words; the program joins them.
  const auto first_blank = argument.find(' ');
  const auto second_blank = argument.find(' ', first_blank + 1);
  ASSERT_NE(second_blank, std::string::npos);
  Launch({argument.substr(0, first_blank), argument.substr(first_blank + 1, second_blank - first_blank - 1),
          argument.substr(second_blank + 1), "/t=1"});

  const auto seen = server.WaitForRequests(pages, 3, 20s);
  EXPECT_EQ(PathsOf(seen), pages) << Describe(seen);
  ExpectSpacingsWithin(seen, 0.8, 1.6, kFirstSpacingLow);
}

TEST_F(CommandLineTest, AnUpperCaseSwitchLoadsNothingAndTheStartAsksForAList) {
  Launch({"/F=" + WritePlaylistOf(pages).string()});
  ASSERT_TRUE(MainWindow());

  const auto box = WaitForWindow(program->Pid(), kApplicationTitle, 20s);
  ASSERT_TRUE(box) << "no message box titled " << kApplicationTitle;
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(server.Requests().empty()) << Describe(server.Requests());

  // Once the box is answered the program waits, idle, for the user.
  ASSERT_TRUE(Activate(*box));
  ASSERT_TRUE(PressKeys({"Return"}));
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(VisibleWindowsNamed(program->Pid(), kApplicationTitle).empty());
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(server.Requests().empty()) << Describe(server.Requests());
}

// The log of a page, a missing page and a refused port, appended to what the file held.
TEST_F(CommandLineTest, TheVisitLogGetsOneLinePerVisitWithItsOutcome) {
  server.Handle("/gone.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("gone", "text/html");
  });
  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const std::vector<std::string> urls{server.Url("/a.html"), server.Url("/gone.html"), refused};
  const auto list = scratch.Path() / "list.txt";
  WritePlaylist(list, urls);
  const auto log = scratch.Path() / "visit log.jsonl";
  std::ofstream(log) << "earlier line\n";
  Launch({"/f=" + list.string(), "/t=3", "/l=" + log.string()});

  std::vector<std::string> lines;
  for (int i = 0; i < 200 && lines.size() < 4; ++i) {
    std::this_thread::sleep_for(100ms);
    std::ifstream file(log);
    lines.clear();
    for (std::string line; std::getline(file, line);) lines.push_back(line);
  }
  ASSERT_EQ(lines.size(), 4u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "earlier line");
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char offset[8];
  std::strftime(offset, sizeof offset, "%z", &local);  // +hhmm
  const std::string zone = std::string(offset, 3) + ":" + std::string(offset + 3, 2);
  const std::string ends[] = {R"("status":200)", R"("status":404)", R"("error":"refused")"};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::regex shape(R"(\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)" + std::regex_replace(zone, std::regex("\\+"), "\\+") +
                           R"(","pass":1,"index":)" + std::to_string(i) + R"(,"url":")" + urls[i] + R"(",)" + ends[i] +
                           R"(,"ms":(\d+)\})");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i + 1], match, shape)) << lines[i + 1];
    EXPECT_LT(std::stoi(match[1]), 3000) << lines[i + 1];
  }
}

TEST_F(CommandLineTest, NoArgumentsStartNoRun) {
  Launch({});
  const auto window = MainWindow();
  ASSERT_TRUE(window);

  // A start on the empty list would say so in a message box.
  std::this_thread::sleep_for(2s);
  const auto windows = VisibleWindows(program->Pid());
  ASSERT_EQ(windows.size(), 1u) << "also shown: " << windows.back().name;
  EXPECT_EQ(windows.front().name, kMainCaption);
  EXPECT_TRUE(server.Requests().empty()) << Describe(server.Requests());
  EXPECT_TRUE(program->Running());
}

}  // namespace
}  // namespace kestrova::e2e
