#pragma once
// The Help menu: the help and licence documents in the embedded browser, and the About box.

#include <string>

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kHelpDocument = "help.html";
inline constexpr const char* kLicenseDocument = "license-pro.html";

// The application folder, "/", and the file name, joined as plain text.
std::string DocumentAddress(const std::string& folder, const std::string& file_name);

void Contents_Click(Form2& form);
void License_Click(Form2& form);
void About_Click(Form2& form);

}  // namespace kestrova
