#include "platform/win/wininet_url_cache.h"

#include <windows.h>
#include <wininet.h>

#include <string>

// WinINet names its character-set variants through this macro, which would rename our method.
#undef DeleteUrlCacheEntry

namespace kestrova {

bool WinInetUrlCache::Delete(const std::string& url) {
  // Entries come in the user's character set as UTF-8; the cache keys its entries by the URL's text.
  const int size = MultiByteToWideChar(CP_UTF8, 0, url.data(), static_cast<int>(url.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, url.data(), static_cast<int>(url.size()), wide.data(), size);
  return DeleteUrlCacheEntryW(wide.c_str()) != FALSE;
}

}  // namespace kestrova
