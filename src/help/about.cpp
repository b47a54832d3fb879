#include "help/about.h"

namespace kestrova {

void frmAbout_Load(AboutDialog& dialog, Form2& form) {
  form.app_title = kProductTitle;
  dialog.caption = "About " + form.app_title;
  dialog.lblVersion = "Version " + std::to_string(kAppVersion.major) + "." + std::to_string(kAppVersion.minor) + "." +
                      std::to_string(kAppVersion.revision);
  dialog.lblTitle = form.app_title;
  dialog.lblDescription = kProductDescription;
}

}  // namespace kestrova
