#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "browse/option_toggles.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// The arguments as the platform hands them over, and what the load step makes of them.
TEST(Load, FillsTheWindowFromTheCommandLine) {
  struct Case {
    std::string arguments, file, interval;
    bool random = false;
    std::string log{};
  };
  const std::string long_a(40000, 'a'), long_b(40000, 'b');
  const Case cases[] = {
      {"", "", "30"},
      {R"(/f=C:\lists\news.txt /r=Y /t=45)", R"(C:\lists\news.txt)", "45", true},
      {R"(/t=45 /r=Y /f=C:\My Lists\a b.txt)", R"(C:\My Lists\a b.txt)", "45", true},
      {"/f=C:\\a.txt /t=  20  ", R"(C:\a.txt)", "20"},
      {R"(/f=C:\dir /b.txt)", R"(C:\dir)", ""},
      {R"(/F=C:\a.txt /T=9 /R=Y)", "", ""},
      {"/r=y /t=5", "", "5"},
      {"/r=Yes", "", ""},
      {"/t=10 /r=N /t=20 /r=Y /f=a.txt /f=b.txt", "a.txt", "10"},
      {"/t= /f=a.txt", "a.txt", ""},
      {"x/t=7", "", "7"},
      {"/t=\t5\t", "", "\t5\t"},
      {long_a + " /t=12 /f=" + long_b, long_b, "12"},
      {"/l=/var/log/my visits.jsonl /t=5 /l=b", "", "5", false, "/var/log/my visits.jsonl"},
      {"/L=v.jsonl /t=5", "", "5"},
  };
  for (const Case& c : cases) {
    const std::string name = c.arguments.substr(0, 40);
    Harness h;
    h.app.command_line = c.arguments;
    h.form.AutoStartFlag = kYes;  // left armed: the load step disarms it before the parse
    Form_Load(h.form);
    EXPECT_EQ(h.form.PlayListFile, c.file) << name;
    EXPECT_EQ(h.form.txt_interval.Text(), c.interval) << name;
    EXPECT_EQ(h.form.chk_random.Caption(), c.random ? kRandomOn : kRandomOff) << name;
    EXPECT_EQ(h.form.AutoStartFlag, c.arguments.empty() ? kNo : kYes) << name;
    EXPECT_EQ(h.form.CommandLine, c.arguments) << name;
    EXPECT_EQ(h.visit_file.path, c.log) << name;
    EXPECT_EQ(h.form.caption, "Kestrova Pro Version");
    EXPECT_FALSE(h.form.WebBrowser1.Visible());
    EXPECT_EQ(h.form.StopFlag, kNo);
  }
}

// With arguments the list named by /f= is loaded and every activation starts a run from the
// first item, waiting the interval given by /t=; without arguments no activation starts one.
TEST(Activate, StartsARunOnlyWhenTheProgramHadArguments) {
  for (const std::string& arguments : {std::string(), std::string("/t=2 /f=/lists/list.txt")}) {
    Harness h;
    h.files.files["/lists/list.txt"] = "a\r\nb\r\n";
    h.form.ckLoop.SetValue(CheckBox::kUnticked);
    h.form.ckCache.SetValue(CheckBox::kUnticked);
    if (arguments.empty()) h.SetPlaylist({"a", "b"});
    h.app.command_line = arguments;
    Form_Load(h.form);
    Form_Activate(h.form);
    Form_Activate(h.form);
    const Lines runs = {"0 silent on",       "0 navigate a",     "2000 navigate b", "4000 browser stop",
                        "4000 silent on",    "4000 navigate a",  "6000 navigate b", "8000 browser stop"};
    EXPECT_EQ(h.journal.Timed(), arguments.empty() ? Lines{} : runs) << arguments;
    EXPECT_TRUE(h.visit_file.lines.empty()) << "no visit log without /l=";
  }
}

// The first showing is an activation whoever has the focus; after it only a return from another
// form of the program is, not one from another program.
TEST(Activate, CountsTheFirstShowingAndReturnsFromAnotherForm) {
  using enum WindowNews;
  const std::pair<std::vector<WindowNews>, std::string> cases[] = {
      {{Shown}, "1"},
      {{Shown, Activated, Activated}, "100"},
      {{Activated, Shown}, "10"},
      {{Shown, OtherFormActivated, Activated, Activated, OtherFormActivated, Activated}, "101001"},
  };
  for (const auto& [news, counted] : cases) {
    Harness h;
    std::string seen;
    for (WindowNews n : news) seen += ActivationCounts(h.form, n) ? '1' : '0';
    EXPECT_EQ(seen, counted) << "news ending in " << static_cast<int>(news.back());
  }
}

}  // namespace
}  // namespace kestrova
