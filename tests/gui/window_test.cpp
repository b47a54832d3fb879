// The main window as it first appears, what an empty playlist says on Start, and the widgets and
// the form model kept in step both ways.

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>

#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "harness.h"

namespace kestrova::gui {
namespace {

class ControlTree : public WindowTest {};

struct StartState {
  const char* name;
  const wxClassInfo* wx_class;
  Shown shown;
};

// Picture buttons show no caption; the browser stays hidden until a run shows it.
const StartState kAtStart[] = {
    {"Frame1", wxCLASSINFO(wxStaticBox), {"", "", "", true, true}},
    {"start_button", wxCLASSINFO(wxBitmapButton), {"", "", "Start Browsing", true, true}},
    {"stop_button", wxCLASSINFO(wxBitmapButton), {"", "", "Stop Browsing", true, true}},
    {"cmdOpen", wxCLASSINFO(wxBitmapButton), {"", "", "Load Settings.", true, true}},
    {"cmdSave", wxCLASSINFO(wxBitmapButton), {"", "", "Save Settings.", true, true}},
    {"Frame2", wxCLASSINFO(wxStaticBox), {"", "", "", true, true}},
    {"WebBrowser1", wxCLASSINFO(wxWebView), {"", "", "", true, false}},
    {"FraCurrent", wxCLASSINFO(wxStaticBox), {"Current URL", "", "", true, true}},
    {"url1_count_txt", wxCLASSINFO(wxTextCtrl), {"", "", "", false, true}},
    {"txt_url1", wxCLASSINFO(wxTextCtrl), {"", "", "Enter a URL here.", true, true}},
    {"fraInterval", wxCLASSINFO(wxStaticBox), {"", "", "", true, true}},
    {"chk_random", wxCLASSINFO(wxCheckBox), {"Random - N", "0", "", true, true}},
    {"txt_interval", wxCLASSINFO(wxTextCtrl), {"", "30", "", true, true}},
    {"Label1", wxCLASSINFO(wxStaticText), {"Interval", "", "", true, true}},
    {"FraPlaylist", wxCLASSINFO(wxStaticBox), {"", "", "", true, true}},
    {"txtItemToAdd", wxCLASSINFO(wxTextCtrl), {"", "", "", true, true}},
    {"cmdAddItem", wxCLASSINFO(wxButton), {"Add", "", "", true, true}},
    {"cmdRemoveItem", wxCLASSINFO(wxButton), {"Remove", "", "", true, true}},
    {"lstPlayList", wxCLASSINFO(wxListBox), {"", "", "", true, true}},
    {"ckLoop", wxCLASSINFO(wxCheckBox), {"Loop", "1", "", true, true}},
    {"ckExit", wxCLASSINFO(wxCheckBox), {"Exit", "0", "", true, true}},
    {"ckCache", wxCLASSINFO(wxCheckBox), {"No Cache", "1", "", true, true}},
};

TEST_F(ControlTree, EveryControlHasOneWidgetOfItsKindShowingItsStartState) {
  ASSERT_EQ(form.TabOrder().size(), std::size(kAtStart));
  EXPECT_EQ(window.panel().GetChildren().size(), std::size(kAtStart)) << "nothing the form does not have";
  for (std::size_t i = 0; i < std::size(kAtStart); ++i) {
    SCOPED_TRACE(kAtStart[i].name);
    wxWindow* widget = window.Widget(*form.TabOrder()[i]);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetName(), kAtStart[i].name);
    EXPECT_TRUE(widget->IsKindOf(kAtStart[i].wx_class)) << widget->GetClassInfo()->GetClassName();
    EXPECT_EQ(ReadShown(widget), kAtStart[i].shown);
  }
}

TEST_F(ControlTree, EveryWidgetSitsOnItsDesignPlaceAndItsContentFits) {
  EXPECT_EQ(window.frame().GetTitle(), "Kestrova Pro Version");
  EXPECT_EQ(window.frame().GetClientSize(), wxSize(704, 576));  // 10560 × 8640 twips
  EXPECT_EQ(window.panel().GetRect(), wxRect(0, 0, 704, 576));
  // Worked by hand: (120, 60 + 180) twips; (120 + 120, 60 + 960 + 255) inside two frames.
  EXPECT_EQ(window.Allocation(form.start_button), wxRect(8, 16, 41, 45));
  EXPECT_EQ(window.Allocation(form.txt_url1), wxRect(16, 85, 277, 17));
  // The hidden browser's place: Frame2's less 250 twips both ways, fitted after its first page.
  EXPECT_EQ(window.Widget(form.WebBrowser1)->GetRect(), wxRect(4, 144, 685, 426));
  for (Control* control : form.TabOrder()) {
    if (!control->Shown()) continue;
    SCOPED_TRACE(control->Name());
    EXPECT_EQ(window.Allocation(*control), Window::Design(*control));
    EXPECT_TRUE(ContentFits(window.Widget(*control))) << "content would be cut off";
  }
}

TEST_F(ControlTree, TheTabKeyWalksTheControlsInOrder) {
  // The hidden browser and the disabled pass count take no focus; the walk wraps round.
  const std::vector<std::string> expected = {
      "start_button", "stop_button",   "cmdOpen",     "cmdSave", "txt_url1", "chk_random", "txt_interval",
      "txtItemToAdd", "cmdAddItem",    "cmdRemoveItem", "lstPlayList", "ckLoop", "ckExit", "ckCache",
      "start_button"};
  window.Widget(form.start_button)->SetFocus();
  Pump(30ms);
  std::vector<std::string> walked;
  for (std::size_t step = 0; step < expected.size(); ++step) {
    wxWindow* focus = wxWindow::FindFocus();
    walked.push_back(focus ? focus->GetName().utf8_string() : "(none)");
    PressKey(WXK_TAB);
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(ControlTree, MenusHaveTheExactCaptionsAndNoShortcuts) {
  std::string menus;
  wxMenuBar* bar = window.frame().GetMenuBar();
  for (std::size_t m = 0; m < bar->GetMenuCount(); ++m) {
    menus += gtk_menu_item_get_label(GTK_MENU_ITEM(bar->GetMenu(m)->m_owner)) + std::string(":");
    for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
      auto* gtk_item = GTK_MENU_ITEM(item->GetMenuItem());
      menus += GTK_IS_SEPARATOR_MENU_ITEM(gtk_item) ? " -" : std::string(" ") + gtk_menu_item_get_label(gtk_item);
      if (std::unique_ptr<wxAcceleratorEntry>(item->GetAccel()) || !item->IsEnabled()) menus += "(!)";
    }
    menus += " | ";
  }
  EXPECT_EQ(menus, "_File: St_art S_top - _Open _Save - _Hide - E_xit | _Help: _Contents _License - _About | ");
}

// An empty playlist: a real modal box says so and nothing changes. Boxes carry the application's
// title, which loading the About dialog changes for good.
class EmptyStart : public WindowTest {};

TEST_F(EmptyStart, ShowsTheMessageBoxTitledAsAboutLeftIt) {
  const std::string before = Snapshot(window);
  MessageBoxWatcher watcher;
  Click(window.Widget(form.start_button));
  window.Choose(form.Start);
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() >= 2; }));
  wx::AboutWindow* about = window.OpenAbout();
  ASSERT_NE(about, nullptr);
  PressKey(WXK_ESCAPE);
  ASSERT_TRUE(PumpUntil([] { return LoadedAboutWindows().empty(); }));
  window.Choose(form.Start);
  Pump(150ms);  // time for a box too many
  ASSERT_EQ(watcher.Seen().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const SeenBox& box = watcher.Seen()[i];
    EXPECT_EQ(box.title, i < 2 ? "Corvane" : "Kestrova");
    EXPECT_EQ(box.text, "Please enter at least one URL or open a file.");
    EXPECT_EQ(box.type, GTK_MESSAGE_OTHER) << "no icon";
    EXPECT_EQ(box.buttons, "_OK ");
    EXPECT_TRUE(box.modal);
    EXPECT_EQ(box.owner, GTK_WINDOW(Gtk(&window.frame())));
  }
  EXPECT_EQ(Snapshot(window), before);
  EXPECT_EQ(form.PassCount, 0);
}

class ModelSync : public WindowTest {
 protected:
  std::string Rows() { return window.Read(form.lstPlayList).value; }

  void ClickRow(int row) {
    auto* list = dynamic_cast<wxListBox*>(window.Widget(form.lstPlayList));
    GtkTreeView* tree = list->m_treeview;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    GdkRectangle cell{};
    gtk_tree_view_get_cell_area(tree, path, nullptr, &cell);
    gtk_tree_path_free(path);
    int x = 0, y = 0;
    gtk_tree_view_convert_bin_window_to_widget_coords(tree, 8, cell.y + cell.height / 2, &x, &y);
    gtk_widget_translate_coordinates(GTK_WIDGET(tree), Gtk(list), x, y, &x, &y);
    Click(list, wxPoint(x, y));
  }
};

TEST_F(ModelSync, TypingAddingSelectingAndRemoving) {
  Click(window.Widget(form.txtItemToAdd));
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == window.Widget(form.txtItemToAdd); }));
  Type("www.example.org/page  ");
  EXPECT_SOON_EQ(form.txtItemToAdd.Text(), "www.example.org/page  ");
  Click(window.Widget(form.cmdAddItem));
  EXPECT_SOON_EQ(Rows(), "www.example.org/page\n");
  EXPECT_EQ(window.Read(form.txtItemToAdd).value, "");

  form.lstPlayList.AddItem("http://b.example/");
  ASSERT_TRUE(window.WaitForLayout());
  ClickRow(1);
  EXPECT_SOON_EQ(form.lstPlayList.ListIndex(), 1);
  EXPECT_EQ(Rows(), "www.example.org/page\nhttp://b.example/ (selected)\n");
  Click(window.Widget(form.cmdRemoveItem));
  EXPECT_SOON_EQ(Rows(), "www.example.org/page\n");
}

TEST_F(ModelSync, CheckBoxesFollowRealClicks) {
  Click(window.Widget(form.chk_random));
  EXPECT_SOON_EQ(window.Read(form.chk_random).label, "Random - Y");
  EXPECT_EQ(form.chk_random.Value(), 1);
  Click(window.Widget(form.chk_random));
  EXPECT_SOON_EQ(window.Read(form.chk_random).label, "Random - N");

  // Exit unticks and disables Loop; a click on the disabled Loop does nothing.
  Click(window.Widget(form.ckExit));
  EXPECT_SOON_EQ(window.Read(form.ckExit).value, "1");
  EXPECT_EQ(window.Read(form.ckLoop).value, "0");
  EXPECT_FALSE(window.Read(form.ckLoop).sensitive);
  Click(window.Widget(form.ckLoop));
  Click(window.Widget(form.ckExit));
  EXPECT_SOON_EQ(window.Read(form.ckLoop).sensitive, true);
  EXPECT_EQ(window.Read(form.ckLoop).value, "0");
}

// Real drags onto the box under the list. The current URL's text is added to the list; a drag
// from another program, of any data, only says "here", and that data is never read. Neither
// changes the text of either box.
TEST_F(ModelSync, DropsOntoTheEntryBox) {
  // Offered by another program (none: the drag starts on the current URL's text); boxes shown.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {nullptr, {}}, {"text/uri-list", {"here"}}, {"image/png", {"here"}}};
  const std::vector<std::string> list_after{"http://dragged.example/"};
  form.txt_url1.SetText("http://dragged.example/  ");
  const wxPoint outside(window.frame().GetScreenRect().x, window.frame().GetScreenRect().GetBottom() + 10);
  ASSERT_LT(outside.y + 40, wxGetDisplaySize().y);
  const std::string note = ::testing::TempDir() + "kestrova-drag-note";
  auto noted = [&] {
    gchar* text = nullptr;
    g_file_get_contents(note.c_str(), &text, nullptr, nullptr);
    return Take(text);
  };
  for (const auto& [offered, boxes] : cases) {
    SCOPED_TRACE(offered ? offered : "txt_url1");
    std::remove(note.c_str());
    form.txtItemToAdd.SetText("typed");
    GPid source = 0;
    wxPoint from = window.Widget(form.txt_url1)->GetScreenPosition() + wxPoint(8, 8);
    if (offered != nullptr) {
      const std::string x = std::to_string(outside.x), y = std::to_string(outside.y);
      const char* argv[] = {"/proc/self/exe", "--drag-source", offered, x.c_str(), y.c_str(), note.c_str(), nullptr};
      ASSERT_TRUE(g_spawn_async(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                nullptr, &source, nullptr));
      ASSERT_TRUE(PumpUntil([&] { return noted() == "shown"; }));
      from = outside + wxPoint(20, 20);
    } else {
      gtk_editable_select_region(GTK_EDITABLE(Gtk(window.Widget(form.txt_url1))), 0, -1);
    }
    MessageBoxWatcher watcher;
    const wxPoint to = window.Widget(form.txtItemToAdd)->GetScreenPosition() + wxPoint(20, 8);
    wxUIActionSimulator mouse;
    mouse.MouseMove(from);
    Deliver();
    mouse.MouseDown();
    for (int step = 1; step <= 8; ++step) {
      mouse.MouseMove(from + (to - from) * step / 8);
      Deliver();
      Pump(20ms);
    }
    mouse.MouseUp();
    PumpUntil([&] { return form.lstPlayList.Items() == list_after && watcher.Seen().size() == boxes.size(); });
    Pump(150ms);  // time for anything more
    EXPECT_EQ(form.lstPlayList.Items(), list_after);
    std::vector<std::string> seen;
    for (const SeenBox& box : watcher.Seen()) seen.push_back(box.text);
    EXPECT_EQ(seen, boxes);
    EXPECT_EQ(window.Read(form.txtItemToAdd).value, "typed");
    EXPECT_EQ(window.Read(form.txt_url1).value, "http://dragged.example/  ");
    if (source != 0) {
      ::kill(source, SIGTERM);
      ::waitpid(source, nullptr, 0);
      EXPECT_EQ(noted(), "shown") << "the dragged data was read";
    }
  }
}

// Entries are bytes as a file held them: what is not UTF-8 is Windows-1252, whose 0x80–0x9F
// differ from Latin-1 and five of which are unassigned.
TEST_F(ModelSync, EntriesThatAreNotUtf8AreShownAsWindows1252) {
  const std::pair<const char*, const char*> kBytesAndShown[] = {
      {"caf\xc3\xa9", "caf\xc3\xa9"},                                                    // UTF-8 as it is
      {"caf\xe9", "caf\xc3\xa9"},                                                        // é
      {"\x80 \x93q\x94 \x9f", "\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d \xc5\xb8"},        // € “ ” Ÿ
      {"a\x81" "b\x8d", "a\xc2\x81" "b\xc2\x8d"},                                        // unassigned: kept
  };
  std::string rows;
  for (const auto& [bytes, shown] : kBytesAndShown) {
    form.lstPlayList.AddItem(bytes);
    rows += std::string(shown) + "\n";
    form.txt_url1.SetText(bytes);
    EXPECT_EQ(window.Read(form.txt_url1).value, shown);
  }
  EXPECT_EQ(Rows(), rows);
}

}  // namespace
}  // namespace kestrova::gui
