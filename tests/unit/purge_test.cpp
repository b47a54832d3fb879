#include <gtest/gtest.h>

#include <string>

#include "cache/purge.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

// The guard is the exact text "Cookie". A bare origin gets the slash a browser would show, and
// is purged and visited under that name; any other text is purged as it is.
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
      {"http://cookie", "http://cookie/"},
      {"host.example", "host.example"},
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
