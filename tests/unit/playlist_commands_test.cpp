#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "playlist/file_commands.h"
#include "playlist/list_editing.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// Open and Save share the dialog's remembered name. A dialog cancelled, or closed without a name,
// neither reloads nor overwrites anything. The menu's Open stops a run first.
TEST(FileCommands, ShareTheDialogsNameAndDoNothingWhenCancelled) {
  Harness h;
  const std::string a = "/lists/a.txt", b = "/lists/b.txt", c = "/lists/c.txt";
  h.files.files[a] = "http://a\r\n";
  h.file_dialog.answers = {a, b, std::nullopt, "", c};
  cmdOpen_Click(h.form);
  h.form.lstPlayList.AddItem("http://x");
  cmdSave_Click(h.form);
  h.SetPlaylist({"edited"});
  Load_Click(h.form);
  Save_Click(h.form);
  EXPECT_EQ(h.form.lstPlayList.Items(), Lines{"edited"});
  EXPECT_EQ(h.files.files[b], "http://a\r\nhttp://x\r\n");
  Save_Click(h.form);
  EXPECT_EQ(h.files.files[c], "edited\r\n");
  EXPECT_EQ(h.journal.Timed(), (Lines{"0 open dialog at ", "0 save dialog at " + a, "0 browser stop",
                                      "0 open dialog at " + b, "0 save dialog at " + b, "0 save dialog at " + b}));
}

// Open from the menu stops a run before it shows the dialog; the button leaves the run going on
// the list it loaded.
TEST(FileCommands, OnlyTheMenusOpenStopsARun) {
  const std::pair<void (*)(Form2&), Lines> cases[] = {
      {Load_Click, {"500 browser stop", "500 open dialog at "}},
      {cmdOpen_Click, {"500 open dialog at ", "1000 navigate d", "2000 browser stop"}},
  };
  for (const auto& [open, from_open] : cases) {
    Harness h;
    h.form.ckLoop.SetValue(CheckBox::kUnticked);
    h.form.ckCache.SetValue(CheckBox::kUnticked);
    h.form.txt_interval.SetText("1");
    h.SetPlaylist({"a", "b"});
    h.files.files["/lists/list.txt"] = "c\r\nd\r\n";
    h.file_dialog.answers = {"/lists/list.txt"};
    h.pump.At(500, [&] { open(h.form); });
    start_button_Click(h.form);
    EXPECT_EQ(h.form.lstPlayList.Items(), (Lines{"c", "d"}));
    EXPECT_EQ(h.journal.Timed(500), from_open);
  }
}

// Add and drops take the text without its trailing blanks; empty entries and duplicates are
// allowed; the selection stays. Remove takes the selected entry only. A drop from another
// program or from the web page only says "here".
TEST(ListEditing, AddRemoveAndDrops) {
  Harness h;
  h.SetPlaylist({"a", "b"});
  h.form.lstPlayList.SetListIndex(1);
  for (const char* typed : {"  c \t  ", "", "   ", "a"}) {
    h.form.txtItemToAdd.SetText(typed);
    cmdAddItem_Click(h.form);
    EXPECT_EQ(h.form.txtItemToAdd.Text(), "");
  }
  cmdRemoveItem_Click(h.form);
  cmdRemoveItem_Click(h.form);  // nothing is selected now
  h.form.txt_url1.SetText("d  ");
  h.form.txtItemToAdd.SetText("typed");
  // Dropped from: a button (no text), the current URL, the list with no entry selected, another
  // program, the page in the browser; then the list with an entry selected.
  const Control* const sources[] = {&h.form.cmdAddItem, &h.form.txt_url1, &h.form.lstPlayList, nullptr,
                                    &h.form.WebBrowser1};
  for (const Control* source : sources) txtItemToAdd_Drop(h.form, source);
  h.form.lstPlayList.SetListIndex(1);
  txtItemToAdd_Drop(h.form, &h.form.lstPlayList);
  EXPECT_EQ(h.form.lstPlayList.Items(), (Lines{"a", "  c \t", "", "", "a", "d", "", "  c \t"}));
  EXPECT_EQ(h.form.txtItemToAdd.Text(), "typed");
  EXPECT_EQ(h.journal.Timed(), (Lines{"0 message Corvane: here", "0 message Corvane: here"}));
}

}  // namespace
}  // namespace kestrova
