#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "browse/run_control.h"
#include "cache/purge.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using Lines = std::vector<std::string>;

struct PurgeCase {
  std::string url;
  bool purged;
  std::string url_after;
  friend std::ostream& operator<<(std::ostream& os, const PurgeCase& c) { return os << "'" << c.url << "'"; }
};

class Purge : public ::testing::TestWithParam<PurgeCase> {};

TEST_P(Purge, DeletesOneEntryUnderTheNameItLeavesInTheUrl) {
  const PurgeCase& c = GetParam();
  Harness h;
  std::string url = c.url;
  PurgeCacheForUrl(h.form, url);
  EXPECT_EQ(url, c.url_after);
  EXPECT_EQ(h.cache.deleted, c.purged ? Lines{c.url_after} : Lines{});
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CookieGuard, Purge,
    ::testing::Values(PurgeCase{"http://a/Cookie", false, "http://a/Cookie"},
                      PurgeCase{"http://a/?set=Cookies", false, "http://a/?set=Cookies"},
                      PurgeCase{"http://Cookie", false, "http://Cookie"},
                      PurgeCase{"http://a/cookie", true, "http://a/cookie"},
                      PurgeCase{"http://a/COOKIE", true, "http://a/COOKIE"},
                      PurgeCase{"http://cookie", true, "http://cookie/"}));

// Only an origin with nothing after its host gets the slash a browser would show.
INSTANTIATE_TEST_SUITE_P(
    TrailingSlash, Purge,
    ::testing::Values(PurgeCase{"http://host", true, "http://host/"},
                      PurgeCase{"https://host.example:8080", true, "https://host.example:8080/"},
                      PurgeCase{"HTTP://HOST", true, "HTTP://HOST/"},
                      PurgeCase{"http://host/", true, "http://host/"},
                      PurgeCase{"http://host/page", true, "http://host/page"},
                      PurgeCase{"http://host?q=1", true, "http://host?q=1"},
                      PurgeCase{"http://host#top", true, "http://host#top"},
                      PurgeCase{"host.example", true, "host.example"}, PurgeCase{"http://", true, "http://"},
                      PurgeCase{"file:///tmp/x", true, "file:///tmp/x"}));

// Whatever the text, exactly one deletion happens and the text either stays or gains one slash.
TEST(Purge, NeverFailsOnOddText) {
  const std::vector<std::string> texts = {
      "", "/", ":", "://", "://host", "a://", "1a://host", "h t://x", std::string(100000, 'x'),
      "http://" + std::string(100000, 'h'), std::string("http://a\0b", 10), "\xff\xfe://\x80", "Cooki", "ookie"};
  for (const std::string& text : texts) {
    Harness h;
    std::string url = text;
    PurgeCacheForUrl(h.form, url);
    EXPECT_TRUE(url == text || url == text + "/") << text.substr(0, 40);
    EXPECT_EQ(h.cache.deleted, Lines{url}) << text.substr(0, 40);
  }
}

// The browser goes to the very text that was purged; the current-URL box keeps the item's text.
TEST(Purge, RunNavigatesToThePurgedTextOnlyWhileNoCacheIsTicked) {
  struct Case {
    int no_cache;
    Lines purged;
    Lines navigated;
  };
  for (const Case& c : {Case{1, {"http://host/"}, {"http://host/"}}, Case{0, {}, {"http://host"}}}) {
    Harness h;
    h.form.ckLoop.SetValue(CheckBox::kUnticked);
    h.form.ckCache.SetValue(c.no_cache);
    h.SetPlaylist({"http://host"});
    start_button_Click(h.form);
    EXPECT_EQ(h.cache.deleted, c.purged);
    EXPECT_EQ(h.browser.navigations, c.navigated);
    EXPECT_EQ(h.form.txt_url1.Text(), "http://host");
    EXPECT_EQ(h.form.lstPlayList.List(0), "http://host");
  }
}

}  // namespace
}  // namespace kestrova
