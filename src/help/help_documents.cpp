#include "help/help_documents.h"

namespace kestrova {
namespace {

void ShowDocument(Form2& form, const char* file_name) {
  form.WebBrowser1.SetVisible(true);
  form.services.browser.SetSilent(true);
  form.services.browser.Navigate(DocumentAddress(form.services.app.Folder(), file_name));
}

}  // namespace

// Joined as text and nothing more: the browser service turns it into a file address.
std::string DocumentAddress(const std::string& folder, const std::string& file_name) {
  return folder + "/" + file_name;
}

void Contents_Click(Form2& form) { ShowDocument(form, kHelpDocument); }

void License_Click(Form2& form) { ShowDocument(form, kLicenseDocument); }

void About_Click(Form2& form) { form.services.app.ShowAbout(); }

}  // namespace kestrova
