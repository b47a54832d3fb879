#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "playlist/file_commands.h"
#include "playlist_test_files.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Items = std::vector<std::string>;

struct Command {
  const char* name;
  std::function<void(Form2&)> click;
  FileDialogMode mode;
  friend void PrintTo(const Command& c, std::ostream* os) { *os << c.name; }
};

const Command kOpenButton{"cmdOpen", cmdOpen_Click, FileDialogMode::Open};
const Command kOpenMenu{"Load", Load_Click, FileDialogMode::Open};
const Command kSaveButton{"cmdSave", cmdSave_Click, FileDialogMode::Save};
const Command kSaveMenu{"Save", Save_Click, FileDialogMode::Save};

std::string CaseName(const ::testing::TestParamInfo<Command>& info) { return info.param.name; }

class FileCommand : public ::testing::TestWithParam<Command> {
 protected:
  FileCommand() {
    WriteBytes(dir / "previous.txt", "http://previous.example\r\n");
    WriteBytes(dir / "chosen.txt", "http://chosen.example\r\n");
    h.form.PlayListFile = dir / "previous.txt";
    h.form.dlgOpen_FileName = dir / "previous.txt";
    h.SetPlaylist({"http://edited.example"});
  }

  Harness h;
  ScratchFolder dir;
};

TEST_P(FileCommand, UsesTheChosenNameFromNowOn) {
  h.file_dialog.answers = {dir / "chosen.txt"};

  GetParam().click(h.form);

  ASSERT_EQ(h.file_dialog.uses.size(), 1u);
  EXPECT_EQ(h.file_dialog.uses[0].mode, GetParam().mode);
  EXPECT_EQ(h.file_dialog.uses[0].initial_name, dir / "previous.txt");
  EXPECT_EQ(h.form.PlayListFile, dir / "chosen.txt");
  EXPECT_EQ(h.form.dlgOpen_FileName, dir / "chosen.txt");
  if (GetParam().mode == FileDialogMode::Open) {
    EXPECT_EQ(h.form.lstPlayList.Items(), Items{"http://chosen.example"});
  } else {
    EXPECT_EQ(ReadBytes(dir / "chosen.txt"), "http://edited.example\r\n");
  }
  EXPECT_EQ(ReadBytes(dir / "previous.txt"), "http://previous.example\r\n");
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

TEST_P(FileCommand, CancelledDialogNeitherReloadsNorOverwritesThePreviousFile) {
  // A dialog closed without a name is taken as cancelled too.
  for (const std::optional<std::string>& answer : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
    SCOPED_TRACE(answer ? "empty name" : "cancel");
    h.file_dialog.answers = {answer};

    GetParam().click(h.form);

    EXPECT_EQ(h.form.lstPlayList.Items(), Items{"http://edited.example"});
    EXPECT_EQ(ReadBytes(dir / "previous.txt"), "http://previous.example\r\n");
    EXPECT_EQ(h.form.PlayListFile, dir / "previous.txt");
    EXPECT_EQ(h.form.dlgOpen_FileName, dir / "previous.txt");
  }
  EXPECT_EQ(h.file_dialog.uses.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Commands, FileCommand, ::testing::Values(kOpenButton, kOpenMenu, kSaveButton, kSaveMenu),
                         CaseName);

TEST(FileDialog, OpenAndSaveShareOneRememberedName) {
  Harness h;
  ScratchFolder dir;
  const std::string a = dir / "a.txt", b = dir / "b.txt", c = dir / "c.txt";
  h.file_dialog.answers = {a, b, std::nullopt, c};

  cmdOpen_Click(h.form);
  cmdSave_Click(h.form);
  Load_Click(h.form);
  Save_Click(h.form);

  ASSERT_EQ(h.file_dialog.uses.size(), 4u);
  const std::vector<std::pair<FileDialogMode, std::string>> expected = {
      {FileDialogMode::Open, ""}, {FileDialogMode::Save, a}, {FileDialogMode::Open, b}, {FileDialogMode::Save, b}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(h.file_dialog.uses[i].mode, expected[i].first) << "use " << i;
    EXPECT_EQ(h.file_dialog.uses[i].initial_name, expected[i].second) << "use " << i;
  }
  EXPECT_EQ(h.form.dlgOpen_FileName, c);
}

// The window as the dialog finds it when it opens.
struct SeenAtDialog {
  std::string stop_flag;
  bool add_enabled;
  int browser_stops;
};

// Answers with one name and notes the state of the run at the moment it opens.
class ObservingDialog : public FileDialog {
 public:
  std::optional<std::string> Show(FileDialogMode, const std::string&) override {
    seen.push_back({form->StopFlag, form->cmdAddItem.Enabled(), browser->stops});
    return answer;
  }
  Form2* form = nullptr;
  testing::RecordingBrowser* browser = nullptr;
  std::string answer;
  std::vector<SeenAtDialog> seen;
};

struct DuringRunCase {
  Command command;
  bool stops_run;
  friend void PrintTo(const DuringRunCase& c, std::ostream* os) { *os << c.command.name; }
};

class FileCommandDuringRun : public ::testing::TestWithParam<DuringRunCase> {
 protected:
  FileCommandDuringRun() {
    dialog.form = &form;
    dialog.browser = &h.browser;
  }

  Harness h;
  ObservingDialog dialog;
  Services services{h.browser, h.cache, dialog, h.message_boxes, h.clock, h.pump, h.random, h.app};
  Form2 form{services};
  ScratchFolder dir;
};

TEST_P(FileCommandDuringRun, OnlyTheMenusOpenStopsTheRunBeforeTheDialog) {
  constexpr std::int64_t kCommandAtMs = 1'000;
  const bool opens = GetParam().command.mode == FileDialogMode::Open;
  WriteBytes(dir / "list.txt", "http://loaded.example/page\r\n");
  dialog.answer = dir / (opens ? "list.txt" : "saved.txt");
  for (const char* url : {"http://a.example/page", "http://b.example/page"}) form.lstPlayList.AddItem(url);
  h.pump.At(kCommandAtMs, [&] { GetParam().command.click(form); });
  // Loop is ticked: a run that goes on is ended well after the first page comes round again.
  h.pump.At(200'000, [&] { stop_button_Click(form); });

  start_button_Click(form);

  ASSERT_EQ(dialog.seen.size(), 1u);
  const SeenAtDialog& seen = dialog.seen[0];
  const auto later = h.journal.With("navigate ");
  const bool navigated_after = !later.empty() && later.back().at_ms > kCommandAtMs;
  if (GetParam().stops_run) {
    EXPECT_EQ(seen.stop_flag, "Y");
    EXPECT_TRUE(seen.add_enabled);
    EXPECT_EQ(seen.browser_stops, 1);
    EXPECT_FALSE(navigated_after);
  } else {
    EXPECT_EQ(seen.stop_flag, "N");
    EXPECT_FALSE(seen.add_enabled);
    EXPECT_EQ(seen.browser_stops, 0);
    EXPECT_TRUE(navigated_after);
  }
  if (opens) {
    EXPECT_EQ(form.lstPlayList.Items(), Items{"http://loaded.example/page"});
    // A run that went on shows the replaced list.
    if (!GetParam().stops_run) {
      EXPECT_EQ(h.browser.navigations.back(), "http://loaded.example/page");
    }
  } else {
    EXPECT_EQ(ReadBytes(dir / "saved.txt"), "http://a.example/page\r\nhttp://b.example/page\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, FileCommandDuringRun,
                         ::testing::Values(DuringRunCase{kOpenMenu, true}, DuringRunCase{kOpenButton, false},
                                           DuringRunCase{kSaveMenu, false}, DuringRunCase{kSaveButton, false}),
                         [](const auto& info) { return std::string(info.param.command.name); });

}  // namespace
}  // namespace kestrova
