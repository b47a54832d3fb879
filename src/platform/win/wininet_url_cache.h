#pragma once
// The URL cache of Windows (WinINet's, which the system's browser engine uses): one entry removed
// before a page is shown, so that the visit reaches the network.

#include "platform/services.h"

namespace kestrova {

class WinInetUrlCache : public UrlCache {
 public:
  // An entry that is not there is as good as one removed: the outcome is for the trace alone.
  void DeleteUrlCacheEntry(const std::string& url) override { (void)Delete(url); }
  // True when the cache held an entry of that name.
  static bool Delete(const std::string& url);
};

}  // namespace kestrova
