#include <gtest/gtest.h>

#include <string>

#include "cache/purge.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// The guard is the exact text "Cookie". An origin with nothing after its host gets the slash a
// browser would show; any other text, however odd, is purged as it is.
TEST(Purge, DeletesOneEntryUnderTheNameItLeavesInTheUrl) {
  struct Case {
    std::string url, after;
    bool purged = true;
  };
  const Case cases[] = {
      {"http://a/Cookie", "http://a/Cookie", false},
      {"http://a/?set=Cookies", "http://a/?set=Cookies", false},
      {"http://Cookie", "http://Cookie", false},
      {"http://a/cookie", "http://a/cookie"},
      {"http://a/COOKIE", "http://a/COOKIE"},
      {"http://cookie", "http://cookie/"},
      {"https://host.example:8080", "https://host.example:8080/"},
      {"http://host/page", "http://host/page"},
      {"http://host?q=1", "http://host?q=1"},
      {"http://host#top", "http://host#top"},
      {"host.example", "host.example"},
      {"http://", "http://"},
      {"1a://host", "1a://host"},
      {"h t://x", "h t://x"},
      {"", ""},
      {"://", "://"},
      {std::string("http://a\0b", 10), std::string("http://a\0b/", 11)},
      {std::string(100000, 'x'), std::string(100000, 'x')},
  };
  for (const Case& c : cases) {
    Harness h;
    std::string url = c.url;
    PurgeCacheForUrl(h.form, url);
    EXPECT_EQ(url, c.after) << c.url.substr(0, 40);
    EXPECT_EQ(h.cache.deleted, c.purged ? Lines{c.after} : Lines{}) << c.url.substr(0, 40);
  }
}

}  // namespace
}  // namespace kestrova
