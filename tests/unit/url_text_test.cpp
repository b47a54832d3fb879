#include <gtest/gtest.h>

#include <string>

#include "browse/url_text.h"

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

}  // namespace
}  // namespace kestrova
