#include "form/main_window.h"

namespace kestrova {

Form2::Form2(Services& s) : services(s) {
  url1_count_txt.SetEnabled(false);
  start_button.SetToolTip("Start Browsing");
  stop_button.SetToolTip("Stop Browsing");
  cmdOpen.SetToolTip("Load Settings.");
  cmdSave.SetToolTip("Save Settings.");
  txt_url1.SetToolTip("Enter a URL here.");
  // For a screen reader, which must tell every control apart.
  txt_url1.SetLabelledBy(&FraCurrent);
  txt_interval.SetLabelledBy(&Label1);
  url1_count_txt.SetPlainName("Passes");
  lstPlayList.SetPlainName("Playlist");
  txtItemToAdd.SetPlainName("URL to add");
  Frame1.SetPlainName("Top panel");
  fraInterval.SetPlainName("Interval settings");
  FraPlaylist.SetPlainName("Playlist editor");
  Frame2.SetPlainName("Browser panel");
  WebBrowser1.SetPlainName("Web browser");
}

std::vector<Control*> Form2::TabOrder() {
  std::vector<Control*> order;
  ForEachControl([&order](Control& control) { order.push_back(&control); });
  return order;
}

std::vector<MenuItem*> Form2::Menus() {
  return {&File,       &Start, &Stop, &msep,     &Load,    &Save,  &mseperator2, &mnuHide,
          &mseperator, &Exit,  &Help, &Contents, &License, &msep2, &About};
}

}  // namespace kestrova
