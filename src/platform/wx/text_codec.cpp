#include "platform/wx/text_codec.h"

#include <wx/strconv.h>

namespace kestrova::wx {

wxString ToDisplay(const std::string& bytes) {
  if (bytes.empty()) return wxString();
  wxString text(bytes.data(), wxConvLibc, bytes.size());
  if (!text.empty()) return text;
  static wxCSConv cp1252(wxFONTENCODING_CP1252);
  return wxString(bytes.data(), cp1252, bytes.size());
}

std::string FromDisplay(const wxString& text) {
  const wxCharBuffer buffer = text.mb_str(wxConvLibc);
  if (buffer.data() != nullptr && (buffer.length() > 0 || text.empty())) {
    return std::string(buffer.data(), buffer.length());
  }
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

}  // namespace kestrova::wx
