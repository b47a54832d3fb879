// Browsing runs as the web server sees them: order, pace, the cache purge, pages that open
// script dialogs, and Stop.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "support/end_to_end_test.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

// Every page loads the same stylesheet and image, cached as long as the pages are.
class BrowsingTest : public EndToEndTest {
 protected:
  void SetUp() override {
    for (const auto& page : pages) {
      server.Serve(page, Page{"<!DOCTYPE html>\n<html><head><link rel=\"stylesheet\" href=\"/style.css\"></head><body>" +
                              page + "<img src=\"/image.svg\"></body></html>\n"});
    }
    server.Serve("/style.css", Page{"body{color:#123}", "text/css"});
    server.Serve("/image.svg", Page{"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\"/>", "image/svg+xml"});
  }

  // Once the page in hand has had time to load what it loads.
  void ExpectResourcesFetchedOnce(Clock::time_point last_page) {
    std::this_thread::sleep_until(last_page + 500ms);
    auto fetched = PathsOf(server.RequestsFor(resources));
    std::sort(fetched.begin(), fetched.end());  // the page may ask for either first
    EXPECT_EQ(fetched, resources) << Describe(server.Requests());
  }

  const std::vector<std::string> resources{"/image.svg", "/style.css"};
};

TEST_F(BrowsingTest, VisitsTheListInOrderOneIntervalApartAndEveryVisitReachesTheServerForThePageAlone) {
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/t=1"});

  // Two passes: No Cache is ticked at start, so the second pass is fetched again too.
  const auto seen = server.WaitForRequests(pages, 6, 20s);
  ASSERT_EQ(PathsOf(seen), (std::vector<std::string>{"/a.html", "/b.html", "/c.html", "/a.html", "/b.html", "/c.html"}))
      << Describe(seen);
  ExpectSpacingsWithin(seen, 0.8, 1.6, kFirstSpacingLow);
  ExpectResourcesFetchedOnce(seen.back().at);
  std::cout << "[ figures  ] " << Describe(seen) << "\n";
}

TEST_F(BrowsingTest, WithNoCacheClearASecondPassComesFromTheCacheUntilItIsTickedAgain) {
  const auto list = WritePlaylistOf(pages);
  // No arguments: nothing starts by itself, so the options can be set before the run.
  Launch({});
  const auto window = MainWindow();
  ASSERT_TRUE(window);

  ASSERT_TRUE(ChooseMenuItem(program->Pid(), *window, "f", "o"));
  // The file dialog takes a typed path as the file to open.
  ASSERT_TRUE(WaitForWindow(program->Pid(), "Open", 10s)) << "no file dialog";
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(TypeText(list.string()));
  ASSERT_TRUE(PressKeys({"Return"}));
  const auto deadline = Clock::now() + 5s;
  while (!VisibleWindowsNamed(program->Pid(), "Open").empty() && Clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_TRUE(VisibleWindowsNamed(program->Pid(), "Open").empty()) << "the file dialog stayed open";

  ASSERT_TRUE(Click(*window, kIntervalBox));
  ASSERT_TRUE(PressKeys({"ctrl+a"}));
  ASSERT_TRUE(TypeText("1"));
  ASSERT_TRUE(Click(*window, kNoCacheBox));
  ASSERT_TRUE(ChooseMenuItem(program->Pid(), *window, "f", "a"));

  const auto first_pass = server.WaitForRequests(pages, 3, 15s);
  ASSERT_EQ(PathsOf(first_pass), pages) << Describe(first_pass);
  ExpectSpacingsWithin(first_pass, 0.8, 1.6, kFirstSpacingLow);

  // The second pass shows its pages about 1, 2 and 3 s after the first pass's last request;
  // half a second after the last of them, all three have come from the cache.
  std::this_thread::sleep_until(first_pass.back().at + 3500ms);
  EXPECT_EQ(server.RequestsFor(pages).size(), 3u) << Describe(server.RequestsFor(pages));

  // Ticked again, the purge before each visit makes the third pass reach the server.
  ASSERT_TRUE(Click(*window, kNoCacheBox));
  const auto all = server.WaitForRequests(pages, 6, 10s);
  ASSERT_EQ(all.size(), 6u) << Describe(all);
  const std::vector<Request> third_pass(all.begin() + 3, all.end());
  EXPECT_EQ(PathsOf(third_pass), pages) << Describe(all);
  ExpectSpacingsWithin(third_pass, 0.8, 1.6);
  // Three unfetched visits lie between the two fetched passes: four intervals.
  const double quiet = SecondsBetween(first_pass.back().at, third_pass.front().at);
  EXPECT_TRUE(quiet >= 3.6 && quiet <= 5.0) << quiet << " s; " << Describe(all);
  ExpectResourcesFetchedOnce(all.back().at);
  std::cout << "[ figures  ] " << Describe(all) << "\n";
}

TEST_F(BrowsingTest, APageThatOpensScriptDialogsNeitherHoldsTheRunNorOpensAWindow) {
  server.Serve("/dialogs.html", ScriptDialogPage("/dialogs-answered"));
  const std::vector<std::string> list{"/dialogs.html", "/b.html", "/c.html"};
  Launch({"/f=" + WritePlaylistOf(list).string(), "/t=1"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);

  // The page's script went past all three dialogs without anyone answering them.
  const auto answered = server.WaitForRequests({"/dialogs-answered"}, 1, 15s);
  ASSERT_EQ(answered.size(), 1u) << "the page's script stopped at a dialog; requests: "
                                 << Describe(server.Requests());
  EXPECT_EQ(answered.front().target, "/dialogs-answered?confirm=false&prompt=null");
  EXPECT_EQ(VisibleWindows(program->Pid()).size(), 1u);

  const auto visits = server.WaitForRequests(list, 4, 15s);
  EXPECT_EQ(PathsOf(visits), (std::vector<std::string>{"/dialogs.html", "/b.html", "/c.html", "/dialogs.html"}))
      << Describe(visits);
  ExpectSpacingsWithin(visits, 0.8, 1.6, kFirstSpacingLow);
  std::this_thread::sleep_for(300ms);
  const auto windows = VisibleWindows(program->Pid());
  ASSERT_EQ(windows.size(), 1u) << "a window besides the main one: " << windows.back().name;
  EXPECT_EQ(windows.front().name, kMainCaption);
}

TEST_F(BrowsingTest, StopFromTheFileMenuEndsTheRunAndNothingMoreIsFetched) {
  Launch({"/f=" + WritePlaylistOf(pages).string(), "/t=2"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  const auto before = server.WaitForRequests(pages, 2, 15s);
  ASSERT_EQ(PathsOf(before), (std::vector<std::string>{"/a.html", "/b.html"}));

  const auto stopped = ChooseMenuItem(program->Pid(), *window, "f", "t");
  ASSERT_TRUE(stopped);
  ASSERT_LT(SecondsBetween(before.back().at, *stopped), 1.5) << "the stop came too late to tell anything";

  // The third page was due two seconds after the second; wait well past that.
  std::this_thread::sleep_until(before.back().at + 3500ms);
  EXPECT_EQ(PathsOf(server.RequestsFor(pages)), (std::vector<std::string>{"/a.html", "/b.html"}))
      << Describe(server.Requests());
  EXPECT_TRUE(program->Running()) << "Stop ended the program";
  EXPECT_EQ(VisibleWindows(program->Pid()).size(), 1u);
}

}  // namespace
}  // namespace kestrova::e2e
