#include "platform/win/wininet_url_cache.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/win/wide_text.h"

// WinINet names its character-set variants through this macro, which would rename our method.
#undef DeleteUrlCacheEntry

namespace kestrova {

bool WinInetUrlCache::Delete(const std::string& url) {
  // Entries come in the user's character set as UTF-8; the cache keys its entries by the URL's text.
  const std::wstring wide = WideFromUtf8(url);
  return DeleteUrlCacheEntryW(wide.c_str()) != FALSE;
}

}  // namespace kestrova
