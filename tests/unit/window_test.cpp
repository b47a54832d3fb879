#include <gtest/gtest.h>

#include <cmath>

#include "app/startup.h"
#include "browse/option_toggles.h"
#include "browse/run_control.h"
#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "layout/twips_scale.h"
#include "playlist/file_commands.h"
#include "playlist/list_editing.h"
#include "playlist/playlist_file.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using namespace std::string_literals;
using testing::Click;
using testing::Fake;
using testing::Handler;
using testing::Lines;

// Hand-aligned tables: each row reads as one case.
// clang-format off
// The arguments as the platform hands them over, and what the load step makes of them. Any
// arguments at all arm the automatic start.
TEST(Load, FillsTheWindowFromTheCommandLine) {
  const std::string long_a(40000, 'a'), long_b(40000, 'b');
  // The list's file, the interval, random, the automatic start, and the journal.
  const std::pair<std::string, std::string> cases[] = {
      {"", "|30|N|N|"}, {R"(/f=C:\lists\news.txt /r=Y /t=45)", R"(C:\lists\news.txt|45|Y|Y|)"},
      {R"(/t=45 /r=Y /f=C:\My Lists\a b.txt)", R"(C:\My Lists\a b.txt|45|Y|Y|)"},
      {"/f=C:\\a.txt /t=  20  ", R"(C:\a.txt|20|N|Y|)"}, {R"(/f=C:\dir /b.txt)", R"(C:\dir||N|Y|)"},
      {R"(/F=C:\a.txt /T=9 /R=Y /L=v.jsonl)", "||N|Y|"}, {"/r=y /t=5", "|5|N|Y|"},
      {"/t=10 /r=N /t=20 /r=Y /f=a.txt /f=b.txt", "a.txt|10|N|Y|"}, {"/t= /f=a.txt", "a.txt||N|Y|"},
      {"x/t=7", "|7|N|Y|"}, {"/t=\t5\t", "|\t5\t|N|Y|"}, {long_a + " /t=12 /f=" + long_b, long_b + "|12|N|Y|"},
      {"/l=/var/log/my visits.jsonl /t=5 /l=b", "|5|N|Y|0 open /var/log/my visits.jsonl"},
      {"/f=/srv/l=x/a.txt /t=x/l=y", "/srv/l=x/a.txt|x/l=y|N|Y|"}, {"/t=3 /l=b", "|3|N|Y|0 open b"},
      {"x/l=a /l=b", "||N|Y|0 open b"},
  };
  for (const auto& [arguments, loaded] : cases) {
    Fake f;
    f.command_line = arguments;
    f.form.AutoStartFlag = kYes;  // left armed: the load step disarms it before the parse
    Form_Load(f.form);
    EXPECT_EQ(f.form.PlayListFile + "|" + f.form.txt_interval.Text() + "|" + f.form.chk_random.Caption().back() + "|" +
                  f.form.AutoStartFlag + "|" + f.Journal(),
              loaded)
        << arguments.substr(0, 40);
  }
}

// The window's own words, places and order, written from the design's tables and not from the
// code: each control in tab order with its container, place in twips, caption and tooltip (with
// its period where it has one); then each menu item under its menu, separators where they stand.
TEST(MainWindow, HoldsTheDesignsWordsAndPlaces) {
  struct Row { const char* name; const char* inside; float left, top, width, height; const char* caption = ""; const char* tooltip = ""; };
  const Row design[] = {
      {"Frame1", "", 0, 60, 10515, 1875},                                  {"start_button", "Frame1", 120, 180, 615, 675, "", "Start Browsing"},
      {"stop_button", "Frame1", 795, 180, 615, 675, "", "Stop Browsing"},  {"cmdOpen", "Frame1", 1485, 180, 615, 675, "", "Load Settings."},
      {"cmdSave", "Frame1", 2160, 180, 615, 675, "", "Save Settings."},    {"Frame2", "", 0, 1980, 10515, 5295},
      {"WebBrowser1", "Frame2", 60, 180, 10335, 4935},                     {"FraCurrent", "Frame1", 120, 960, 5415, 735, "Current URL"},
      {"url1_count_txt", "FraCurrent", 4440, 240, 555, 285},               {"txt_url1", "FraCurrent", 120, 255, 4155, 255, "", "Enter a URL here."},
      {"fraInterval", "Frame1", 2880, 180, 2655, 735},                     {"chk_random", "fraInterval", 1320, 240, 1275, 255, "Random - N"},
      {"txt_interval", "fraInterval", 780, 240, 495, 285},                 {"Label1", "fraInterval", 120, 255, 675, 255, "Interval"},
      {"FraPlaylist", "Frame1", 5640, 180, 4845, 1500},                    {"txtItemToAdd", "FraPlaylist", 120, 1080, 3495, 315},
      {"cmdAddItem", "FraPlaylist", 3840, 400, 795, 220, "Add"},           {"cmdRemoveItem", "FraPlaylist", 3840, 150, 795, 220, "Remove"},
      {"lstPlayList", "FraPlaylist", 120, 120, 3495, 840},                 {"ckLoop", "FraPlaylist", 3680, 1180, 855, 255, "Loop"},
      {"ckExit", "FraPlaylist", 3680, 940, 855, 255, "Exit"},              {"ckCache", "FraPlaylist", 3680, 720, 1025, 255, "No Cache"},
  };

  const Lines menus = {"File &File", "File/Start St&art", "File/Stop S&top", "File/msep -", "File/Load &Open",
                       "File/Save &Save", "File/mseperator2 -", "File/mnuHide &Hide", "File/mseperator -",
                       "File/Exit E&xit", "Help &Help", "Help/Contents &Contents", "Help/License &License",
                       "Help/msep2 -", "Help/About &About"};
  Fake f;
  const std::vector<Control*> order = f.form.TabOrder();
  ASSERT_EQ(order.size(), std::size(design));
  for (std::size_t i = 0; i < order.size(); ++i) {
    const Control& c = *order[i];
    const Row& r = design[i];
    const auto row = [](auto name, auto inside, auto... values) { return ::testing::PrintToString(std::tuple(std::string(name), std::string(inside), values...)); };
    EXPECT_EQ(row(c.Name(), c.Container() ? c.Container()->Name() : "", c.Left(), c.Top(), c.Width(), c.Height(), c.Caption(), c.ToolTip()),
              row(r.name, r.inside, r.left, r.top, r.width, r.height, std::string(r.caption), std::string(r.tooltip)));
    EXPECT_NE(c.AccessibleName(), "") << c.Name() << " has no name for a screen reader";
  }
  Lines seen;
  for (const MenuItem* m : f.form.Menus()) seen.push_back((m->Parent() ? m->Parent()->Name() + "/" : "") + m->Name() + " " + m->Caption());
  EXPECT_EQ(seen, menus);
  EXPECT_EQ(f.form.caption, "Kestrova");
}

// The first showing is an activation whoever has the focus; after it only a return from another
// form of the program is, not one from another program.
TEST(Activate, CountsTheFirstShowingAndReturnsFromAnotherForm) {
  using enum WindowNews;
  const std::pair<std::vector<WindowNews>, std::string> cases[] = {
      {{Shown, Activated, Activated}, "100"}, {{Activated, Shown}, "10"},
      {{Shown, OtherFormActivated, Activated, Activated, OtherFormActivated, Activated}, "101001"},
  };
  for (const auto& [news, counted] : cases) {
    Fake f;
    std::string seen;
    for (WindowNews n : news) seen += ActivationCounts(f.form, n) ? '1' : '0';
    EXPECT_EQ(seen, counted);
  }
}

// The menu's caption and what the arrangement sets, in the order it sets it.
std::string Geometry(const Form2& f) {
  std::string out = f.mnuHide.Caption();
  for (float v : {f.Frame1.Width(), f.FraPlaylist.Width(), f.cmdAddItem.Left(), f.lstPlayList.Width(),
                  f.txtItemToAdd.Width(), f.Frame2.Top(), f.Frame2.Width(), f.Frame2.Height(), f.WebBrowser1.Width(),
                  f.WebBrowser1.Height()}) {
    out += " " + std::to_string(static_cast<int>(v));
  }
  return out;
}

// The window grows while the too-small warning is open.
void GrowWhileWarned(Form2& f) {
  static_cast<Fake&>(f.services.app).while_open = [&f] { f.ScaleWidth = 15000, Form_Resize(f); };
}

// From the window arranged at its design size. A size the window system rejects (below zero) is
// skipped, and the later steps use the size the control kept; a window too small is
// warned about and left as it is. A loaded page leaves the browser narrower; Hide and Show size
// the browser panel alone, and the next resize gives it the hidden-panel margin.
TEST(Layout, ArrangesTheControlsOrWarns) {
  struct Case {
    float width, height;
    std::vector<Handler> handlers;
    std::string geometry;
    bool warns = false;
    WindowState state = WindowState::Normal;
  };
  const Handler hide = Click<&Form2::mnuHide>, loaded = [](Form2& f) { f.WebBrowser1.DocumentComplete(); };
  const std::string design = "&Hide 10530 4830 3780 3635 3635 1980 10530 6640 10380 6390";
  const Case cases[] = {
      {7000, 2000, {Form_Resize}, "&Hide 6970 1270 220 75 75 1980 6970 0 6820 6390"},
      {7000, 2250, {Form_Resize}, "&Hide 6970 1270 220 75 75 1980 6970 250 6820 0"},
      {6999, 2000, {Form_Resize}, design, true}, {7000, 1999, {Form_Resize}, design, true},
      {100, 100, {Form_Resize}, design, false, WindowState::Minimized},
      {30, 8640, {ArrangeControls}, "&Hide 0 4830 3780 3635 3635 1980 0 6640 10380 6390"},
      {10560, 8640, {loaded}, "&Hide 10530 4830 3780 3635 3635 1980 10530 6640 10280 6390"},
      {12000, 8640, {hide}, "Show 10530 4830 3780 3635 3635 105 11970 8610 11820 8360"},
      {12000, 8640, {hide, hide}, "Hide 10530 4830 3780 3635 3635 1980 11970 6640 11820 6390"},
      {12000, 8640, {hide, hide, hide}, "Show 10530 4830 3780 3635 3635 105 11970 8610 11820 8360"},
      {12000, 9000, {hide, Form_Resize}, "Show 11970 6270 5220 5075 5075 105 11970 8750 11820 8500"},
      // The warning's box runs a nested loop in which the window keeps sending resize notifications:
      // those are dropped, and the first one after the box closes is handled again.
      {6900, 8640, {GrowWhileWarned, Form_Resize}, design, true},
      {6900, 8640, {GrowWhileWarned, Form_Resize, Form_Resize}, "&Hide 14970 9270 8220 8075 8075 1980 14970 6640 14820 6390", true},
  };
  for (const Case& c : cases) {
    Fake f;
    Form_Resize(f.form);
    EXPECT_EQ(Geometry(f.form), design);
    f.form.ScaleWidth = c.width;
    f.form.ScaleHeight = c.height;
    f.form.window_state = c.state;
    f.Play(c.handlers);
    EXPECT_EQ(Geometry(f.form), c.geometry) << c.width << " x " << c.height;
    EXPECT_EQ(f.Journal(), c.warns ? "0 message Corvane: "s + kTooSmallMessage : "") << c.width << " x " << c.height;
  }
}

// The form grows with the desktop's text: 15 twips a pixel at 96 DPI, 12 at 120, 10 at 144; a
// resolution unknown, below the design's or beyond four times it keeps to those bounds.
TEST(Layout, TwipsFollowTheTextResolution) {
  const std::pair<double, float> cases[] = {{96, 15}, {120, 12}, {144, 10}, {192, 7.5f}, {-1, 15}, {72, 15},
                                            {std::nan(""), 15}, {1e6, 3.75f}};
  for (const auto& [dpi, twips] : cases) EXPECT_FLOAT_EQ(TwipsPerPixel(dpi), twips) << dpi;
}

// Add and drops take the text without its trailing blanks; empty entries and duplicates are
// allowed; the selection stays. Remove takes the selected entry only. A drop from another
// program or from the web page only says "here".
TEST(ListEditing, AddRemoveAndDrops) {
  Fake f;
  f.form.lstPlayList.ReplaceAll({"a", "b"});
  f.form.lstPlayList.SetListIndex(0);
  for (const char* typed : {"  c \t  ", "", "   ", "a"}) {
    f.form.txtItemToAdd.SetText(typed);
    f.form.cmdAddItem.Click();
    EXPECT_EQ(f.form.txtItemToAdd.Text(), "");
  }
  f.form.cmdRemoveItem.Click();
  f.form.cmdRemoveItem.Click();  // nothing is selected now
  f.form.txt_url1.SetText("d  ");
  f.form.txtItemToAdd.SetText("typed");
  // Dropped from: a button (no text), the current URL, the list with no entry selected, another
  // program, the page in the browser; then the list with an entry selected.
  const std::vector<const Control*> sources{&f.form.cmdAddItem, &f.form.txt_url1, &f.form.lstPlayList, nullptr, &f.form.WebBrowser1};
  for (const Control* source : sources) txtItemToAdd_Drop(f.form, source);
  f.form.lstPlayList.SetListIndex(0);
  txtItemToAdd_Drop(f.form, &f.form.lstPlayList);
  EXPECT_EQ(f.form.lstPlayList.Items(), (Lines{"b", "  c \t", "", "", "a", "d", "", "b"}));
  EXPECT_EQ(f.form.txtItemToAdd.Text(), "typed");
  EXPECT_EQ(f.Journal(), "0 message Corvane: here|0 message Corvane: here");
}

// Open and Save share the dialog's remembered name. A dialog cancelled, or closed without a name,
// neither reloads nor overwrites anything; a missing file leaves the list as it is. A list saved
// under a name that begins with a dot loads again. A save that failed says why.
TEST(FileCommands, ShareTheDialogsNameAndDoNothingWhenCancelled) {
  const std::string a = "/lists/a.txt", b = "/lists/b.txt", c = "/lists/c.txt", dot = "/home/me/.keepalive.txt", missing = "/lists/missing.txt";
  Fake f;
  f.files[a] = "c\r\nd\r\n";
  f.answers = {a, b, std::nullopt, missing, "", c, dot, dot, "/full/a.txt"};
  const Handler load = Click<&Form2::Load>, save = Click<&Form2::Save>;
  f.Play({Click<&Form2::cmdOpen>, [](Form2& form) { form.lstPlayList.AddItem("x"); }, Click<&Form2::cmdSave>,
          [](Form2& form) { form.lstPlayList.ReplaceAll({"edited"}); }, load, load, save, save, save,
          [](Form2& form) { form.lstPlayList.Clear(); }, load, save});
  EXPECT_EQ(f.files[b] + f.files[c], "c\r\nd\r\nx\r\nedited\r\n");
  EXPECT_EQ(f.form.lstPlayList.Items(), Lines{"edited"});
  EXPECT_EQ(f.Journal(), "0 open dialog at |0 save dialog at " + a + "|0 browser stop|0 open dialog at " + b +
                             "|0 browser stop|0 open dialog at " + b + "|0 save dialog at " + missing +
                             "|0 save dialog at " + missing + "|0 save dialog at " + c + "|0 browser stop|0 open dialog at " + dot +
                             "|0 save dialog at " + dot + "|0 message Corvane: Could not save the playlist to /full/a.txt: No space left on device.");
}

// Each line is an entry: CR LF, LF and CR each end a line, a byte-order mark at the start is
// skipped, trailing blanks go and every other byte stays. Every list saves as lines ended by
// CR LF and loads back unchanged; a file in that form (`ours`) is written back byte for byte.
TEST(PlaylistFormat, ReadsAndWritesOneEntryPerLine) {
  struct Case { std::string bytes; Lines entries; bool ours; };
  const std::string bom = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"", {}, true}, {"a\r\n\r\nb\r\n\r\n", {"a", "", "b", ""}, true}, {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, false},
      {"a\n\rb", {"a", "", "b"}, false}, {"a\r\r\nb\r\n", {"a", "", "b"}, false},
      {"  a   \r\n   \r\nb\t\r\n", {"  a", "", "b\t"}, false}, {bom + "a\r\n", {"a"}, false},
      {"a\r\n" + bom + "b\r\n", {"a", bom + "b"}, true}, {"\xEF\xBB" "a\r\n", {"\xEF\xBB" "a"}, true},
      // Found by fuzz_playlist: an entry that begins with the mark came back without it.
      {bom + bom + "a\r\nb\r\n", {bom + "a", "b"}, true},
      {"\xC3\x28\r\n\xE9t\xE9\r\na\0b\r\n"s, {"\xC3\x28", "\xE9t\xE9", "a\0b"s}, true},
  };
  for (const Case& c : cases) {
    const std::string name = ::testing::PrintToString(c.bytes);
    EXPECT_EQ(ParsePlaylist(c.bytes), c.entries) << name;
    EXPECT_EQ(ParsePlaylist(FormatPlaylist(c.entries)), c.entries) << name;
    if (c.ours) { EXPECT_EQ(FormatPlaylist(c.entries), c.bytes) << name; }
  }
}

// clang-format on
}  // namespace
}  // namespace kestrova
