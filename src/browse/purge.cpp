#include "browse/purge.h"

#include "page/url_text.h"

namespace kestrova {

void PurgeCacheForUrl(Form2& form, std::string& url) {
  if (url.find("Cookie") != std::string::npos) return;
  // Sending the browser to the same text that was purged keeps the two in step.
  if (IsBareOrigin(url)) url += '/';
  form.services.url_cache.DeleteUrlCacheEntry(url);
}

}  // namespace kestrova
