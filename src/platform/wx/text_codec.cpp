#include "platform/wx/text_codec.h"

#include <wx/strconv.h>

#include "platform/wx/native.h"

namespace kestrova::wx {
namespace {

// Windows-1252 at 0x80–0x9F, where it differs from Latin-1. The five bytes it leaves unassigned
// stand for the control characters of the same number, as Windows itself decodes them, so that
// no byte makes a whole entry undisplayable.
constexpr wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

wxString FromCp1252(const std::string& bytes) {
  wxString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<wchar_t>(byte);
  }
  return text;
}

}  // namespace

wxString ToDisplay(const std::string& bytes) {
  if (bytes.empty()) return wxString();
  wxString text(bytes.data(), EntryCharset(), bytes.size());
  if (!text.empty()) return text;
  return FromCp1252(bytes);
}

std::string FromDisplay(const wxString& text) {
  const wxCharBuffer buffer = text.mb_str(EntryCharset());
  if (buffer.data() != nullptr && (buffer.length() > 0 || text.empty())) {
    return std::string(buffer.data(), buffer.length());
  }
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

}  // namespace kestrova::wx
