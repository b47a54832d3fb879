#include <gtest/gtest.h>

#include <string>

#include "browse/url_text.h"
#include "cache/purge.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

TEST(UrlText, ShapesEntriesAndFindsBareOrigins) {
  using enum ShapedUrl::Kind;
  struct Case {
    std::string text;
    ShapedUrl::Kind kind;
    std::string shaped;
    bool bare_origin = false;
  };
  const std::string longest(256 * 1024, 'x');
  const Case cases[] = {
      {" \t ", Url, "about:blank"},
      {longest + "x", Url, "about:blank"},
      {longest, Url, "http://" + longest},
      {"\thost.example/a b ", Url, "http://host.example/a b"},
      {" /home/me/a b.html", FilePath, "/home/me/a b.html"},
      {"HTTPS://host.example:8080", Url, "HTTPS://host.example:8080", true},
      {std::string("http://a\0b", 10), Url, std::string("http://a\0b", 10), true},
      {"http://host/", Url, "http://host/"},
      {"http://host?q=1", Url, "http://host?q=1"},
      {"http://", Url, "http://"},
      {"1a://host", Url, "http://1a://host"},
      {"h t://x", Url, "http://h t://x"},
  };
  for (const Case& c : cases) {
    const ShapedUrl shaped = ShapeUrl(c.text);
    EXPECT_EQ(shaped.kind, c.kind) << c.text.substr(0, 40);
    EXPECT_EQ(shaped.text, c.shaped) << c.text.substr(0, 40);
    EXPECT_EQ(IsBareOrigin(c.text), c.bare_origin) << c.text.substr(0, 40);
  }
}

// The guard is the exact text "Cookie". A bare origin gets the slash a browser would show, and
// is purged and visited under that name; any other text is purged as it is.
TEST(Purge, DeletesOneEntryUnderTheNameItLeavesInTheUrl) {
  // The text, what it becomes, and whether it is purged.
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"http://a/Cookie", "http://a/Cookie", false}, {"http://a/?set=Cookies", "http://a/?set=Cookies", false},
      {"http://Cookie", "http://Cookie", false},     {"http://a/cookie", "http://a/cookie", true},
      {"http://cookie", "http://cookie/", true},     {"host.example", "host.example", true},
  };
  for (auto [url, after, purged] : cases) {
    testing::Fake f;
    const std::string text = url;
    PurgeCacheForUrl(f.form, url);
    EXPECT_EQ(url + "|" + f.Journal(), after + "|" + (purged ? "0 purge " + after : "")) << text;
  }
}

}  // namespace
}  // namespace kestrova
