#pragma once
// The About dialog frmAbout without its widgets: the texts it shows, filled by its load steps.
// The toolkit layer keeps one while the dialog is loaded and draws it.

#include <string>

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kProductTitle = "Kestrova";
inline constexpr const char* kProductDescription =
    "This program simulates network activity to keep your Internet connection alive.";

struct AppVersion {
  int major;
  int minor;
  int revision;
};
inline constexpr AppVersion kAppVersion{4, 0, 0};

struct AboutDialog {
  std::string caption;
  std::string lblTitle;
  std::string lblVersion;
  std::string lblDescription;
  std::string cmdOK = "OK";
};

// Runs each time the dialog is loaded, before it is first drawn. Besides filling the dialog it
// renames the application for the rest of the run, which later untitled message boxes show.
void frmAbout_Load(AboutDialog& dialog, Form2& form);

}  // namespace kestrova
