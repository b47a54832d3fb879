#include "cache/purge.h"

#include <cctype>

namespace kestrova {
namespace {

// "scheme://host" with nothing after the host: the address a browser shows as "scheme://host/".
bool IsBareOrigin(const std::string& url) {
  const std::size_t sep = url.find("://");
  if (sep == std::string::npos || sep == 0) return false;
  if (!std::isalpha(static_cast<unsigned char>(url[0]))) return false;
  for (std::size_t i = 1; i < sep; ++i) {
    const char c = url[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  const std::size_t host = sep + 3;
  return host < url.size() && url.find_first_of("/?#", host) == std::string::npos;
}

}  // namespace

void PurgeCacheForUrl(Form2& form, std::string& url) {
  if (url.find("Cookie") != std::string::npos) return;
  // Sending the browser to the same text that was purged keeps the two in step.
  if (IsBareOrigin(url)) url += '/';
  form.services.url_cache.DeleteUrlCacheEntry(url);
}

}  // namespace kestrova
