// The widgets and the form model in step both ways: what the user does with the real widgets
// reaches the handlers, and what the handlers change shows in the widgets.

#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

class ModelSync : public WindowTest {
 protected:
  std::string Rows() { return ReadShown(window.Widget(form.lstPlayList)).value; }

  // A real click on a row of the playlist.
  void ClickRow(int row) {
    auto* list = window.As<wxListBox>(form.lstPlayList);
    ASSERT_TRUE(window.WaitForLayout());
    GtkTreeView* tree = list->m_treeview;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell{};
    gtk_tree_view_get_cell_area(tree, path, nullptr, &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(tree, 8, cell.y + cell.height / 2, &x, &y);
    gtk_widget_translate_coordinates(GTK_WIDGET(tree), Gtk(list), x, y, &x, &y);
    ASSERT_GT(cell.height, 0);
    ASSERT_LT(y, list->GetSize().y) << "row " << row << " is not in view";
    Click(list, wxPoint(x, y));
  }
};

TEST_F(ModelSync, TypedTextAndAddMakeANewRow) {
  wxWindow* entry = window.Widget(form.txtItemToAdd);
  Click(entry);
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == entry; }));
  Type("www.example.org/page   ");
  EXPECT_SOON_EQ(form.txtItemToAdd.Text(), "www.example.org/page   ");

  Click(window.Widget(form.cmdAddItem));
  EXPECT_SOON_EQ(Rows(), "www.example.org/page\n");
  EXPECT_EQ(ReadShown(entry).value, "");
  EXPECT_EQ(wxWindow::FindFocus(), window.Widget(form.cmdAddItem));

  // An empty box adds an empty row.
  Click(window.Widget(form.cmdAddItem));
  EXPECT_SOON_EQ(Rows(), "www.example.org/page\n\n");
}

TEST_F(ModelSync, ClickingARowSelectsItForRemove) {
  for (const char* entry : {"http://a.example/", "http://b.example/", "http://c.example/"}) {
    form.lstPlayList.AddItem(entry);
  }
  ClickRow(1);
  EXPECT_SOON_EQ(form.lstPlayList.ListIndex(), 1);
  EXPECT_EQ(Rows(), "http://a.example/\nhttp://b.example/ (selected)\nhttp://c.example/\n");

  Click(window.Widget(form.cmdRemoveItem));
  EXPECT_SOON_EQ(Rows(), "http://a.example/\nhttp://c.example/\n");
  EXPECT_EQ(form.lstPlayList.ListIndex(), -1);
  // With nothing selected Remove does nothing. Clicks arrive in order: once the row clicked
  // after it shows as selected, Remove has had its turn.
  Click(window.Widget(form.cmdRemoveItem));
  ClickRow(0);
  EXPECT_SOON_EQ(Rows(), "http://a.example/ (selected)\nhttp://c.example/\n");
}

TEST_F(ModelSync, RandomCaptionFollowsRealClicks) {
  wxWindow* random = window.Widget(form.chk_random);
  Click(random);
  EXPECT_SOON_EQ(ReadShown(random).label, "Random - Y");
  EXPECT_EQ(ReadShown(random).value, "1");
  EXPECT_EQ(form.chk_random.Value(), 1);
  Click(random);
  EXPECT_SOON_EQ(ReadShown(random).label, "Random - N");
  EXPECT_EQ(ReadShown(random).value, "0");
  EXPECT_EQ(form.chk_random.Value(), 0);
}

TEST_F(ModelSync, TickingExitUnticksAndDisablesLoop) {
  wxWindow* exit_box = window.Widget(form.ckExit);
  wxWindow* loop = window.Widget(form.ckLoop);
  Click(exit_box);
  EXPECT_SOON_EQ(ReadShown(exit_box).value, "1");
  EXPECT_EQ(ReadShown(loop).value, "0");
  EXPECT_FALSE(ReadShown(loop).sensitive);

  // A click on the disabled Loop does nothing; the click on Exit after it unticks Exit and
  // enables Loop again, without ticking it.
  Click(loop);
  Click(exit_box);
  EXPECT_SOON_EQ(ReadShown(exit_box).value, "0");
  EXPECT_TRUE(ReadShown(loop).sensitive);
  EXPECT_EQ(ReadShown(loop).value, "0");
  Click(loop);
  EXPECT_SOON_EQ(ReadShown(loop).value, "1");
  EXPECT_EQ(form.ckLoop.Value(), 1);
}

// Entries are bytes as a file held them; what is not UTF-8 is read as Windows-1252, whose
// 0x80–0x9F differ from Latin-1 and five of which are unassigned.
struct Decoding {
  const char* bytes;
  const char* shown;  // UTF-8
};
const Decoding kDecodings[] = {
    {"http://example.org/caf\xc3\xa9", "http://example.org/caf\xc3\xa9"},          // UTF-8 as it is
    {"http://example.org/caf\xe9", "http://example.org/caf\xc3\xa9"},              // é
    {"\x80 \x93quoted\x94 \x9f", "\xe2\x82\xac \xe2\x80\x9cquoted\xe2\x80\x9d \xc5\xb8"},  // € “ ” Ÿ
    {"a\x81" "b\x8d" "c\x90", "a\xc2\x81" "b\xc2\x8d" "c\xc2\x90"},                // unassigned: kept as controls
    {"\xc3", "\xc3\x83"},                                                          // a cut UTF-8 sequence
};

TEST_F(ModelSync, EntriesThatAreNotUtf8AreShownAsWindows1252) {
  std::string expected_rows;
  for (const Decoding& decoding : kDecodings) {
    form.lstPlayList.AddItem(decoding.bytes);
    expected_rows += std::string(decoding.shown) + "\n";
  }
  EXPECT_EQ(Rows(), expected_rows);
  // The current-URL box shows an entry the same way.
  for (const Decoding& decoding : kDecodings) {
    form.txt_url1.SetText(decoding.bytes);
    EXPECT_EQ(ReadShown(window.Widget(form.txt_url1)).value, decoding.shown);
  }
}

TEST_F(ModelSync, NonAsciiTextTypedInTheBoxIsListedAsTyped) {
  const std::string typed = "http://example.org/M\xc3\xbcller/caf\xc3\xa9";  // Müller, café
  // Setting the value raises the same text event a keyboard would.
  window.As<wxTextCtrl>(form.txtItemToAdd)->SetValue(wxString::FromUTF8(typed));
  Click(window.Widget(form.cmdAddItem));
  EXPECT_SOON_EQ(Rows(), typed + "\n");
}

}  // namespace
}  // namespace kestrova::gui
