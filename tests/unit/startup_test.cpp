#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "browse/run_control.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;

// The arguments as the platform hands them over, and what the load step makes of them.
struct CommandLineCase {
  const char* name;
  std::string arguments;
  std::string file;
  std::string interval;
  bool random;
  friend void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.arguments; }
};

class LoadWithArguments : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(LoadWithArguments, FillsTheWindowFromTheSwitches) {
  const CommandLineCase& c = GetParam();
  Harness h;
  h.app.command_line = c.arguments;
  Form_Load(h.form);

  EXPECT_EQ(h.form.FileSwitch, c.file);
  EXPECT_EQ(h.form.PlayListFile, c.file);
  EXPECT_EQ(h.form.IntervalSwitch, c.interval);
  EXPECT_EQ(h.form.txt_interval.Text(), c.interval);
  EXPECT_EQ(h.form.chk_random.Value(), c.random ? CheckBox::kTicked : CheckBox::kUnticked);
  EXPECT_EQ(h.form.chk_random.Caption(), c.random ? "Random - Y" : "Random - N");
  EXPECT_EQ(h.form.AutoStartFlag, "Y");
  // The parse works on an extended copy; the arguments are kept as given.
  EXPECT_EQ(h.form.CommandLine, c.arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LoadWithArguments,
    ::testing::Values(
        CommandLineCase{"AllThree", R"(/f=C:\lists\news.txt /r=Y /t=45)", R"(C:\lists\news.txt)", "45", true},
        CommandLineCase{"OrderDoesNotMatter", R"(/t=45 /r=Y /f=C:\lists\news.txt)", R"(C:\lists\news.txt)", "45",
                        true},
        CommandLineCase{"BlanksInsideAValueStay", R"(/t=45 /f=C:\My Lists\a b.txt)", R"(C:\My Lists\a b.txt)",
                        "45", false},
        CommandLineCase{"BlanksAroundAValueGo", "/f=C:\\a.txt /t=  20  ", R"(C:\a.txt)", "20", false},
        CommandLineCase{"ValueEndsAtBlankSlash", R"(/f=C:\dir /b.txt)", R"(C:\dir)", "", false},
        CommandLineCase{"SwitchesAreCaseSensitive", R"(/F=C:\a.txt /T=9 /R=Y)", "", "", false},
        CommandLineCase{"LowerCaseYIsNotYes", "/r=y /t=5", "", "5", false},
        CommandLineCase{"OtherRandomValueIsNotYes", "/r=Yes", "", "", false},
        CommandLineCase{"FirstOfTwoCounts", "/t=10 /r=N /t=20 /r=Y /f=a.txt /f=b.txt", "a.txt", "10", false},
        CommandLineCase{"SwitchFoundInsideAWord", "x/t=7", "", "7", false},
        CommandLineCase{"QuotesBelongToTheValue", R"(/f="C:\a b.txt")", R"("C:\a b.txt")", "", false},
        CommandLineCase{"EmptyValueBeforeNextSwitch", "/t= /f=a.txt", "a.txt", "", false},
        CommandLineCase{"TabsAreNotTrimmed", "/t=\t5\t", "", "\t5\t", false},
        CommandLineCase{"NoSwitchAtAll", "hello", "", "", false}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

TEST(Load, WithoutArgumentsKeepsTheDefaultsAndArmsNothing) {
  Harness h;
  Form_Load(h.form);
  EXPECT_EQ(h.form.caption, "Kestrova Pro Version");
  EXPECT_FALSE(h.form.WebBrowser1.Visible());
  EXPECT_EQ(h.form.StopFlag, "N");
  EXPECT_EQ(h.form.AutoStartFlag, "N");
  EXPECT_EQ(h.form.CommandLine, "");
  EXPECT_EQ(h.form.txt_interval.Text(), "30");
  EXPECT_EQ(h.form.chk_random.Caption(), "Random - N");
  EXPECT_EQ(h.form.PlayListFile, "");
  EXPECT_EQ(h.form.FileSwitch, "");
  EXPECT_EQ(h.form.IntervalSwitch, "");
  EXPECT_EQ(h.form.RandomSwitch, "");
}

// A command line far past the 16-bit range still finds its switches.
TEST(Load, ASwitchBeyondThirtyTwoThousandCharactersIsFound) {
  Harness h;
  h.app.command_line = std::string(40000, 'a') + " /t=12 /f=" + std::string(40000, 'b');
  Form_Load(h.form);
  EXPECT_EQ(h.form.txt_interval.Text(), "12");
  EXPECT_EQ(h.form.PlayListFile, std::string(40000, 'b'));
}

// Watches the controls the load step changes and notes, at each change, the state the earlier
// steps should already have left.
TEST(Load, StepsRunInOrder) {
  Harness h;
  h.app.command_line = "/r=Y /t=8 /f=list.txt";
  std::vector<std::string> seen;
  h.form.WebBrowser1.SetListener([&](Prop p) {
    if (p != Prop::Visible) return;
    seen.push_back("browser hidden; caption=" + h.form.caption + " command=" + h.form.CommandLine +
                   " stop=" + h.form.StopFlag + " auto=" + h.form.AutoStartFlag);
  });
  h.form.txt_interval.SetListener([&](Prop p) {
    if (p != Prop::Text) return;
    seen.push_back("interval; auto=" + h.form.AutoStartFlag + " random=" + h.form.chk_random.Caption() +
                   " browser=" + (h.form.WebBrowser1.Visible() ? "shown" : "hidden"));
  });
  h.form.chk_random.SetListener([&](Prop p) {
    if (p != Prop::Value) return;
    seen.push_back("random ticked; interval=" + h.form.txt_interval.Text() + " file=" + h.form.PlayListFile +
                   " auto=" + h.form.AutoStartFlag);
  });
  // Arm a run on the way in: the load step must disarm it before the parse.
  h.form.AutoStartFlag = "Y";
  Form_Load(h.form);

  EXPECT_EQ(seen, (std::vector<std::string>{
                      "browser hidden; caption=Kestrova Pro Version command=/r=Y /t=8 /f=list.txt stop=N auto=Y",
                      "interval; auto=N random=Random - N browser=hidden",
                      "random ticked; interval=8 file= auto=N",
                  }));
  EXPECT_EQ(h.form.PlayListFile, "list.txt");
  EXPECT_EQ(h.form.AutoStartFlag, "Y");
}

TEST(GetSwitchValue, EdgesOfThePosition) {
  struct Case {
    std::string command_line;
    std::int64_t position;
    std::string value;
  };
  const std::vector<Case> cases{
      {"/t=5 /x=", 1, "5"},
      {"/t=5 /x=", 0, ""},
      {"/t=5 /x=", -3, ""},
      {"/t=5", 1, ""},          // nothing ends the value
      {"/t=", 1, ""},           // the value would start past the end
      {"/t=5 /x=", 99, ""},     // position past the end
      {"a /t=  x y  /z", 3, "x y"},
  };
  for (const Case& c : cases) {
    const std::string before = c.command_line;
    EXPECT_EQ(GetSwitchValue(c.command_line, c.position), c.value) << c.command_line << " @" << c.position;
    EXPECT_EQ(c.command_line, before);
  }
}

TEST(Activate, WithoutArgumentsStartsNothing) {
  Harness h;
  h.SetPlaylist({"http://a/"});
  Form_Load(h.form);
  Form_Activate(h.form);
  EXPECT_TRUE(h.browser.navigations.empty());
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

TEST(Activate, WithArgumentsAndAnEmptyListShowsTheStartMessage) {
  Harness h;
  h.app.command_line = R"(/F=C:\a.txt)";
  Form_Load(h.form);
  Form_Activate(h.form);
  ASSERT_EQ(h.message_boxes.shown.size(), 1u);
  EXPECT_EQ(h.message_boxes.shown[0].text, "Please enter at least one URL or open a file.");
  EXPECT_EQ(h.message_boxes.shown[0].title, "Corvane");
  EXPECT_TRUE(h.browser.navigations.empty());
}

TEST(Activate, WithArgumentsEveryActivationStartsARunFromTheFirstItem) {
  Harness h;
  h.app.command_line = "/t=2";
  Form_Load(h.form);
  h.SetPlaylist({"http://a/", "http://b/"});
  h.form.ckLoop.SetValue(CheckBox::kUnticked);

  Form_Activate(h.form);
  EXPECT_EQ(h.browser.navigations, (std::vector<std::string>{"http://a/", "http://b/"}));
  EXPECT_EQ(h.form.url1_count_txt.Text(), "1");
  // Each page waited the interval from the command line.
  EXPECT_EQ(h.clock.now_ms, 4000);

  // Coming back to the window (from the About box, say) starts another run.
  Form_Activate(h.form);
  EXPECT_EQ(h.browser.navigations,
            (std::vector<std::string>{"http://a/", "http://b/", "http://a/", "http://b/"}));
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

}  // namespace
}  // namespace kestrova
