// The window as it first appears: which widgets there are, what they show, where they sit, the
// order the Tab key walks, and the menus.

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include <map>
#include <memory>
#include <set>

#include "harness.h"

namespace kestrova::gui {
namespace {

class ControlTree : public WindowTest {
 protected:
  Control& Named(const std::string& name) {
    for (Control* control : form.TabOrder()) {
      if (control->Name() == name) return *control;
    }
    throw std::runtime_error("no control " + name);
  }
};

struct StartState {
  const char* name;
  const wxClassInfo* wx_class;
  Shown shown;
};

// What the user sees right after start-up. Picture buttons show no caption; the browser is
// hidden by the load step until a run shows it.
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
  std::set<wxWindow*> widgets;
  for (const StartState& expected : kAtStart) {
    SCOPED_TRACE(expected.name);
    wxWindow* widget = window.Widget(Named(expected.name));
    ASSERT_NE(widget, nullptr);
    widgets.insert(widget);
    EXPECT_TRUE(widget->IsKindOf(expected.wx_class)) << widget->GetClassInfo()->GetClassName();
    // A bitmap button is a wxButton too; a plain caption button must not be a picture button.
    if (expected.wx_class == wxCLASSINFO(wxButton)) {
      EXPECT_FALSE(widget->IsKindOf(wxCLASSINFO(wxBitmapButton)));
    }
    EXPECT_EQ(widget->GetName(), expected.name);
    EXPECT_EQ(ReadShown(widget), expected.shown);
  }
  EXPECT_EQ(widgets.size(), form.TabOrder().size());
  // Nothing on the window that the form does not have.
  EXPECT_EQ(window.panel().GetChildren().size(), widgets.size());
  EXPECT_EQ(window.frame().GetChildren().size(), 1u) << "everything sits on the one panel";
}

TEST_F(ControlTree, PictureButtonsShowTheirPictures) {
  for (const char* name : {"start_button", "stop_button", "cmdOpen", "cmdSave"}) {
    SCOPED_TRACE(name);
    auto* button = window.As<wxBitmapButton>(Named(name));
    ASSERT_NE(button, nullptr);
    const wxBitmap picture = button->GetBitmap();
    ASSERT_TRUE(picture.IsOk());
    EXPECT_EQ(picture.GetSize(), wxSize(32, 32));
    // The picture fits the 41×45 button without being cut.
    EXPECT_LE(picture.GetWidth(), button->GetSize().x);
    EXPECT_LE(picture.GetHeight(), button->GetSize().y);
  }
  // Four different pictures.
  std::set<std::string> seen;
  for (const char* name : {"start_button", "stop_button", "cmdOpen", "cmdSave"}) {
    const wxImage image = window.As<wxBitmapButton>(Named(name))->GetBitmap().ConvertToImage();
    seen.emplace(reinterpret_cast<const char*>(image.GetData()), image.GetWidth() * image.GetHeight() * 3);
  }
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(ControlTree, TheWindowOpensWithTheDesignedClientArea) {
  // 10560 × 8640 twips.
  EXPECT_EQ(window.frame().GetClientSize(), wxSize(704, 576));
  EXPECT_EQ(window.panel().GetPosition(), wxPoint(0, 0));
  EXPECT_EQ(window.panel().GetSize(), wxSize(704, 576));
  EXPECT_EQ(window.frame().GetTitle(), "Kestrova Pro Version");
}

// Pixel places at 96 DPI after the first layout of the 704 × 576 client area, worked out by hand
// from the twips of the design: positions summed over the containers, divided by 15.
struct Place {
  const char* name;
  PixelRect rect;
};
const Place kPlacesAtStart[] = {
    {"Frame1", {0, 4, 702, 125}},          // width W − 30 twips
    {"start_button", {8, 16, 41, 45}},     // (120, 60 + 180)
    {"stop_button", {53, 16, 41, 45}},     // 795
    {"cmdOpen", {99, 16, 41, 45}},         // 1485
    {"cmdSave", {144, 16, 41, 45}},        // 2160
    {"FraCurrent", {8, 68, 361, 49}},      // (120, 60 + 960)
    {"txt_url1", {16, 85, 277, 17}},       // (120 + 120, 60 + 960 + 255)
    {"url1_count_txt", {304, 84, 37, 19}},
    {"fraInterval", {192, 16, 177, 49}},
    {"Label1", {200, 33, 45, 17}},
    {"txt_interval", {244, 32, 33, 19}},
    {"chk_random", {280, 32, 85, 17}},
    {"FraPlaylist", {376, 16, 322, 100}},  // width 10530 − 5640 − 60
    {"lstPlayList", {384, 24, 242, 56}},   // width 4830 − 795 − 400
    {"cmdRemoveItem", {628, 26, 53, 15}},  // left 4830 − 1050
    {"cmdAddItem", {628, 43, 53, 15}},
    {"ckCache", {628, 64, 68, 17}},
    {"ckExit", {628, 79, 57, 17}},
    {"ckLoop", {628, 95, 57, 17}},
    {"txtItemToAdd", {384, 88, 242, 21}},
    {"Frame2", {0, 132, 702, 443}},        // 8640 − 2000 twips high
};

TEST_F(ControlTree, WidgetsSitWhereTheDesignPutsThem) {
  for (const Place& place : kPlacesAtStart) {
    SCOPED_TRACE(place.name);
    EXPECT_EQ(window.Allocation(Named(place.name)), place.rect);
  }
  // GTK does not allocate the hidden browser; wx holds the place it takes when shown: Frame2's
  // size less 250 twips both ways, the fit after the blank page it starts with has loaded.
  EXPECT_EQ(window.Widget(form.WebBrowser1)->GetRect(), wxRect(4, 144, 685, 426));
}

TEST_F(ControlTree, EveryShownWidgetFitsItsPlaceAndItsContainer) {
  const PixelRect client{0, 0, 704, 576};
  for (Control* control : form.TabOrder()) {
    if (!control->Shown()) continue;
    SCOPED_TRACE(control->Name());
    GtkWidget* widget = Gtk(window.Widget(*control));
    const PixelRect place = window.Allocation(*control);
    EXPECT_EQ(place, DesignPixels(*control));
    // Content that needs more room than the design gives would be cut off.
    int min_width = 0, min_height = 0;
    gtk_widget_get_preferred_width(widget, &min_width, nullptr);
    gtk_widget_get_preferred_height(widget, &min_height, nullptr);
    EXPECT_LE(min_width, place.width);
    EXPECT_LE(min_height, place.height);
    const PixelRect outer = control->Container() ? window.Allocation(*control->Container()) : client;
    EXPECT_GE(place.x, outer.x);
    EXPECT_GE(place.y, outer.y);
    EXPECT_LE(place.Right(), outer.Right());
    EXPECT_LE(place.Bottom(), outer.Bottom());
  }
}

TEST_F(ControlTree, OnlyTheDesignsOwnNeighboursTouch) {
  // The design lets the Interval label run one pixel into its text box and stacks the three
  // check boxes with a pixel or two of overlap; nothing else may cover anything.
  const std::set<std::pair<std::string, std::string>> expected = {
      {"Label1", "txt_interval"}, {"ckCache", "ckExit"}, {"ckExit", "ckLoop"}};
  std::vector<Control*> leaves;
  for (Control* control : form.TabOrder()) {
    if (control->Kind() != ControlKind::GroupBox && control->Shown()) leaves.push_back(control);
  }
  std::set<std::pair<std::string, std::string>> overlapping;
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    for (std::size_t j = i + 1; j < leaves.size(); ++j) {
      if (window.Allocation(*leaves[i]).Overlaps(window.Allocation(*leaves[j]))) {
        overlapping.insert(std::minmax(leaves[i]->Name(), leaves[j]->Name()));
      }
    }
  }
  EXPECT_EQ(overlapping, expected);
  // The two panels do not overlap either.
  EXPECT_FALSE(window.Allocation(form.Frame1).Overlaps(window.Allocation(form.Frame2)));
}

TEST_F(ControlTree, ChildrenAreInTheDesignedTabOrder) {
  std::vector<std::string> focusable;
  for (wxWindow* child : window.panel().GetChildren()) {
    if (child->AcceptsFocus()) focusable.push_back(child->GetName().utf8_string());
  }
  const std::vector<std::string> expected = {
      "start_button", "stop_button",  "cmdOpen",    "cmdSave",       "WebBrowser1", "url1_count_txt",
      "txt_url1",     "chk_random",   "txt_interval", "txtItemToAdd", "cmdAddItem",  "cmdRemoveItem",
      "lstPlayList",  "ckLoop",       "ckExit",     "ckCache"};
  EXPECT_EQ(focusable, expected);
}

TEST_F(ControlTree, TheTabKeyWalksTheControlsInOrder) {
  // The hidden browser and the disabled pass count take no focus; after the last control the
  // walk starts again at the first.
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

struct MenuLine {
  const char* wx_label;   // "" for a separator
  const char* gtk_label;  // the access key as GTK marks it
};

TEST_F(ControlTree, MenusHaveTheExactCaptionsAndNoShortcuts) {
  const std::vector<std::pair<MenuLine, std::vector<MenuLine>>> expected = {
      {{"&File", "_File"},
       {{"St&art", "St_art"},
        {"S&top", "S_top"},
        {"", ""},
        {"&Open", "_Open"},
        {"&Save", "_Save"},
        {"", ""},
        {"&Hide", "_Hide"},
        {"", ""},
        {"E&xit", "E_xit"}}},
      {{"&Help", "_Help"}, {{"&Contents", "_Contents"}, {"&License", "_License"}, {"", ""}, {"&About", "_About"}}},
  };
  wxMenuBar* bar = window.frame().GetMenuBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->GetMenuCount(), expected.size());
  for (std::size_t m = 0; m < expected.size(); ++m) {
    const auto& [title, lines] = expected[m];
    SCOPED_TRACE(title.wx_label);
    EXPECT_EQ(bar->GetMenuLabel(m), title.wx_label);
    EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(bar->GetMenu(m)->m_owner)), title.gtk_label);
    const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
    ASSERT_EQ(items.size(), lines.size());
    std::size_t i = 0;
    for (wxMenuItem* item : items) {
      const MenuLine& line = lines[i++];
      SCOPED_TRACE(i);
      EXPECT_EQ(item->IsSeparator(), *line.wx_label == '\0');
      auto* gtk_item = GTK_MENU_ITEM(item->GetMenuItem());
      if (item->IsSeparator()) {
        EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(gtk_item));
        continue;
      }
      EXPECT_EQ(item->GetItemLabel(), line.wx_label);
      EXPECT_STREQ(gtk_menu_item_get_label(gtk_item), line.gtk_label);
      EXPECT_TRUE(gtk_menu_item_get_use_underline(gtk_item));
      EXPECT_EQ(std::unique_ptr<wxAcceleratorEntry>(item->GetAccel()), nullptr) << "no shortcut key";
      EXPECT_TRUE(item->IsEnabled());
      EXPECT_FALSE(item->IsCheckable());
    }
  }
}

}  // namespace
}  // namespace kestrova::gui
