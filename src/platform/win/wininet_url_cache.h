#pragma once
// The URL cache of Windows (WinINet's, which the system's browser engine uses): one entry removed
// before a page is shown, so that the visit reaches the network.

#include "platform/services.h"

namespace kestrova {

class WinInetUrlCache : public UrlCache {
 public:
  // The outcome is not reported: an entry that is not there is as good as one removed.
  void DeleteUrlCacheEntry(const std::string& url) override;
};

}  // namespace kestrova
