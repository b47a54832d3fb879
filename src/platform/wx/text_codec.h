#pragma once
// Model texts are bytes; widgets show them decoded. Bytes that are not valid in the locale's
// character set are shown as Windows-1252, so any file's entries can be displayed.

#include <string>

#include <wx/string.h>

namespace kestrova::wx {

wxString ToDisplay(const std::string& bytes);
std::string FromDisplay(const wxString& text);

}  // namespace kestrova::wx
