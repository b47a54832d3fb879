#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "playlist/list_editing.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using Items = std::vector<std::string>;

struct AddCase {
  const char* typed;
  const char* entry;
  friend void PrintTo(const AddCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }
};

class AddItem : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddItem, AppendsTheTrimmedTextAndEmptiesTheBox) {
  Harness h;
  h.SetPlaylist({"http://first.example"});
  h.form.lstPlayList.SetListIndex(0);
  h.form.txtItemToAdd.SetText(GetParam().typed);

  cmdAddItem_Click(h.form);

  EXPECT_EQ(h.form.lstPlayList.Items(), (Items{"http://first.example", GetParam().entry}));
  EXPECT_EQ(h.form.txtItemToAdd.Text(), "");
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), 0) << "Add leaves the selection alone";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddItem,
    ::testing::Values(AddCase{"http://a.example   ", "http://a.example"},
                      AddCase{"  http://a.example", "  http://a.example"},
                      AddCase{" http://a.example/x y  ", " http://a.example/x y"},
                      AddCase{"", ""}, AddCase{"     ", ""},
                      AddCase{"http://first.example ", "http://first.example"},
                      // Only the space is a blank; other white space is part of the entry.
                      AddCase{"http://a.example\t ", "http://a.example\t"}));

struct RemoveCase {
  const char* name;
  Items before;
  std::int64_t selected;
  Items after;
  friend void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }
};

class RemoveItem : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveItem, RemovesOnlyTheSelectedEntryAndSelectsNothing) {
  Harness h;
  h.SetPlaylist(GetParam().before);
  h.form.lstPlayList.SetListIndex(GetParam().selected);

  cmdRemoveItem_Click(h.form);

  EXPECT_EQ(h.form.lstPlayList.Items(), GetParam().after);
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), -1);
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Selections, RemoveItem,
    ::testing::Values(RemoveCase{"Middle", {"a", "b", "c"}, 1, {"a", "c"}},
                      RemoveCase{"First", {"a", "b", "c"}, 0, {"b", "c"}},
                      RemoveCase{"Last", {"a", "b", "c"}, 2, {"a", "b"}},
                      RemoveCase{"OneOfTwoEqual", {"a", "a"}, 1, {"a"}},
                      RemoveCase{"NothingSelected", {"a", "b", "c"}, -1, {"a", "b", "c"}},
                      RemoveCase{"EmptyList", {}, -1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InWindowDrop, AppendsTheSourceTextAndLeavesTheBoxAlone) {
  Harness h;
  h.SetPlaylist({"http://a.example"});
  h.form.lstPlayList.SetListIndex(0);
  h.form.txtItemToAdd.SetText("typed but not added ");
  // A run locks Add and Remove; dropping stays possible then.
  h.form.cmdAddItem.SetEnabled(false);

  txtItemToAdd_DragDrop(h.form, std::nullopt);
  EXPECT_EQ(h.form.lstPlayList.Items(), Items{"http://a.example"}) << "a source without a text adds nothing";

  txtItemToAdd_DragDrop(h.form, std::string("http://dropped.example   "));
  EXPECT_EQ(h.form.lstPlayList.Items(), (Items{"http://a.example", "http://dropped.example"}));
  EXPECT_EQ(h.form.txtItemToAdd.Text(), "typed but not added ");
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), 0);
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

TEST(ForeignDrop, ShowsHereUnderTheCurrentTitleAndChangesNothing) {
  Harness h;
  h.SetPlaylist({"http://a.example"});
  h.form.txtItemToAdd.SetText("http://typed.example");
  // The title follows the application's, which the About dialog changes.
  h.form.app_title = "Kestrova";

  txtItemToAdd_OLEDragDrop(h.form);

  ASSERT_EQ(h.message_boxes.shown.size(), 1u);
  EXPECT_EQ(h.message_boxes.shown[0].text, "here");
  EXPECT_EQ(h.message_boxes.shown[0].title, "Kestrova");
  EXPECT_EQ(h.form.lstPlayList.Items(), Items{"http://a.example"});
  EXPECT_EQ(h.form.txtItemToAdd.Text(), "http://typed.example");
}

}  // namespace
}  // namespace kestrova
