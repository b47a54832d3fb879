#pragma once
// Model texts are bytes; widgets show them decoded. Bytes that are not valid in the entries'
// character set (the locale's; UTF-8 on Windows) are shown as Windows-1252, so any file's entries
// can be displayed.

#include <string>

#include <wx/string.h>

namespace kestrova::wx {

wxString ToDisplay(const std::string& bytes);
std::string FromDisplay(const wxString& text);

}  // namespace kestrova::wx
