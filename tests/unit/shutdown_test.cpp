#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/shutdown.h"
#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using Lines = std::vector<std::string>;

struct Ending {
  const char* name;
  std::function<void(Form2&)> handler;
  Lines journal;  // what the ending leaves in the journal
};

const std::vector<Ending> kEndings = {
    {"Exit menu", Exit_Click, {"browser stop", "hide window", "end program"}},
    {"ExitApplication", ExitApplication, {"browser stop", "hide window", "end program"}},
    {"window closed", Form_QueryUnload, {"end program"}},
};

TEST(Shutdown, EachWayEndsTheProgramAtOnceWithoutAsking) {
  for (const Ending& e : kEndings) {
    Harness h;
    h.SetPlaylist({"http://a/"});
    EXPECT_TRUE(h.EndsProgram([&] { e.handler(h.form); })) << e.name;
    EXPECT_EQ(h.journal.Lines(), e.journal) << e.name;
    EXPECT_EQ(h.app.ended, 1) << e.name;
    EXPECT_EQ(h.form.StopFlag, "Y") << e.name;
    EXPECT_TRUE(h.message_boxes.shown.empty()) << e.name;
    EXPECT_TRUE(h.file_dialog.uses.empty()) << e.name;
  }
}

// Ending the program inside a run's wait abandons the run there: no further page, no pass counted.
TEST(Shutdown, EndingDuringAWaitRequestsNoFurtherPage) {
  for (const Ending& e : kEndings) {
    Harness h;
    h.SetPlaylist({"http://a/", "http://b/"});
    h.pump.At(5000, [&] { e.handler(h.form); });
    EXPECT_TRUE(h.EndsProgram([&] { start_button_Click(h.form); })) << e.name;
    EXPECT_EQ(h.browser.navigations, Lines{"http://a/"}) << e.name;
    EXPECT_EQ(h.journal.entries.back().what, "end program") << e.name;
    EXPECT_EQ(h.journal.entries.back().at_ms, 5100) << e.name;
    EXPECT_EQ(h.form.url1_count_txt.Text(), "0") << e.name;
    EXPECT_EQ(h.pump.Pending(), 0u) << e.name;
  }
}

// The browser is stopped and the window hidden before the program ends, and the stop request is
// already made when the browser is stopped.
TEST(Shutdown, ExitApplicationRequestsTheStopBeforeStoppingTheBrowser) {
  struct WatchingBrowser : Browser {
    void Navigate(const std::string&) override {}
    void Stop() override { flag_at_stop = form->StopFlag; }
    void SetSilent(bool) override {}
    Form2* form = nullptr;
    std::string flag_at_stop = "never stopped";
  };
  Harness h;
  WatchingBrowser browser;
  Services services{browser, h.cache, h.file_dialog, h.message_boxes, h.clock, h.pump, h.random, h.app};
  Form2 watched{services};
  browser.form = &watched;
  watched.StopFlag = "N";
  EXPECT_TRUE(h.EndsProgram([&] { ExitApplication(watched); }));
  EXPECT_EQ(browser.flag_at_stop, "Y");
  EXPECT_EQ(h.journal.Lines(), (Lines{"hide window", "end program"}));
}

}  // namespace
}  // namespace kestrova
