#pragma once
// UTF-8, the program's text inside, to and from the wide text of the Win32 calls.

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace kestrova {

// `strict`: text that is not valid UTF-8 gives an empty result instead of replacement characters.
inline std::wstring WideFromUtf8(std::string_view utf8, bool strict = false) {
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const auto length = static_cast<int>(utf8.size());
  const int size = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, wide.data(), size);
  return wide;
}

inline std::string Utf8FromWide(std::wstring_view wide) {
  const auto length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace kestrova
