#include <gtest/gtest.h>

#include <string>

#include "browse/url_text.h"
#include "cache/purge.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

// An entry becomes the address the browser takes: blanks trimmed, http:// where it names no
// scheme, a path left a path, blank or too long text a blank page. The purge's guard is the exact
// text "Cookie"; a bare origin gets the slash a browser would show, and is purged (and visited)
// under that name; any other text is purged as it is.
TEST(UrlText, ShapesEntriesAndNamesTheirCacheEntries) {
  using enum ShapedUrl::Kind;
  struct Case {
    std::string text;
    ShapedUrl::Kind kind;
    std::string shaped;
    std::string purged;  // the name the cache entry is deleted under; empty: none is
  };
  const std::string longest(256 * 1024, 'x');
  const Case cases[] = {
      {" \t ", Url, "about:blank", " \t "},
      {longest + "x", Url, "about:blank", longest + "x"},
      {longest, Url, "http://" + longest, longest},
      {"\thost.example/a b ", Url, "http://host.example/a b", "\thost.example/a b "},
      {" /home/me/a b.html", FilePath, "/home/me/a b.html", " /home/me/a b.html"},
      {"HTTPS://host.example:8080", Url, "HTTPS://host.example:8080", "HTTPS://host.example:8080/"},
      {std::string("http://a\0b", 10), Url, std::string("http://a\0b", 10), std::string("http://a\0b/", 11)},
      {"http://host/", Url, "http://host/", "http://host/"},
      {"http://host?q=1", Url, "http://host?q=1", "http://host?q=1"},
      {"http://", Url, "http://", "http://"},
      {"1a://host", Url, "http://1a://host", "1a://host"},
      {"h t://x", Url, "http://h t://x", "h t://x"},
      {"http://a/Cookie", Url, "http://a/Cookie", ""},
      {"http://a/?set=Cookies", Url, "http://a/?set=Cookies", ""},
      {"http://Cookie", Url, "http://Cookie", ""},
      {"http://a/cookie", Url, "http://a/cookie", "http://a/cookie"},
      {"http://cookie", Url, "http://cookie", "http://cookie/"},
  };
  for (const Case& c : cases) {
    const ShapedUrl shaped = ShapeUrl(c.text);
    testing::Fake f;
    std::string url = c.text;
    PurgeCacheForUrl(f.form, url);
    const std::string name = ::testing::PrintToString(c.text.substr(0, 40));
    EXPECT_EQ(shaped.kind, c.kind) << name;
    EXPECT_EQ(shaped.text, c.shaped) << name;
    EXPECT_EQ(f.Journal(), c.purged.empty() ? "" : "0 purge " + c.purged) << name;
    EXPECT_EQ(url, c.purged.empty() ? c.text : c.purged) << name;
  }
}

}  // namespace
}  // namespace kestrova
