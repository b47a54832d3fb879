#include <gtest/gtest.h>
#include <iostream>
#include <wx/menu.h>
#include <wx/uiaction.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>
#include <wx/listbox.h>
#include "harness.h"
using namespace kestrova;
using namespace kestrova::gui;
TEST(Explore, Tab) {
  Window w;
  wxUIActionSimulator sim;
  w.Widget(w.form().start_button)->SetFocus();
  Pump(50ms);
  for (int i = 0; i < 18; ++i) {
    wxWindow* f = wxWindow::FindFocus();
    std::cout << (f ? f->GetName() : wxString("null")) << " ";
    sim.Char(WXK_TAB);
    Pump(30ms);
  }
  std::cout << "\n";
}
TEST(Explore, Clicks) {
  Window w;
  wxUIActionSimulator sim;
  auto click = [&](wxWindow* win) {
    wxPoint c = win->GetScreenRect().GetPosition() + wxPoint(6, win->GetSize().y / 2);
    sim.MouseMove(c); Pump(30ms); sim.MouseClick(); Pump(100ms);
  };
  click(w.Widget(w.form().chk_random));
  std::cout << "random: " << w.Widget(w.form().chk_random)->GetLabel() << " " << w.form().chk_random.Caption() << "\n";
  click(w.Widget(w.form().txtItemToAdd));
  sim.Text("www.example.org/page  ");
  Pump(100ms);
  std::cout << "typed: [" << w.form().txtItemToAdd.Text() << "]\n";
  click(w.Widget(w.form().cmdAddItem));
  auto* list = w.As<wxListBox>(w.form().lstPlayList);
  std::cout << "list " << list->GetCount() << " " << (list->GetCount() ? list->GetString(0) : "") << " entry=[" << w.As<wxTextCtrl>(w.form().txtItemToAdd)->GetValue() << "]\n";
  w.form().lstPlayList.AddItem("caf\xe9 \x80 \x93q\x94");
  w.form().lstPlayList.AddItem("a\x81" "b");
  w.form().lstPlayList.AddItem("caf\xc3\xa9");
  Pump(50ms);
  for (unsigned i = 0; i < list->GetCount(); ++i) std::cout << "row " << i << " [" << list->GetString(i).utf8_str() << "]\n";
}
TEST(Explore, Resize) {
  Window w;
  for (auto [x, y] : std::vector<std::pair<int,int>>{{800,600},{1024,768},{467,134},{466,134},{467,133}}) {
    MessageBoxWatcher watch;
    bool ok = w.SetClientSize(x, y);
    Pump(300ms);
    std::cout << x << "x" << y << " ok=" << ok << " client=" << w.frame().GetClientSize().x << "x" << w.frame().GetClientSize().y << " boxes=" << watch.Seen().size() << " Frame1=" << w.Allocation(w.form().Frame1) << " model W=" << w.form().ScaleWidth << "\n";
  }
  w.frame().Maximize();
  PumpUntil([&]{ return w.frame().IsMaximized(); });
  Pump(300ms);
  std::cout << "max client=" << w.frame().GetClientSize().x << "x" << w.frame().GetClientSize().y << " W=" << w.form().ScaleWidth << " Frame1=" << w.Allocation(w.form().Frame1) << "\n";
}
