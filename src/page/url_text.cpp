#include "page/url_text.h"

#include <algorithm>

namespace kestrova {
namespace {

// WebKit parses a URL afresh at several steps of a load, in the window's own thread: a URL of
// megabytes froze the window for seconds. Servers refuse far shorter ones (8 to 64 KB), so text
// past this length is no address anyone can visit.
constexpr std::size_t kMaxUrlLength = std::size_t{256} * 1024;

// ASCII alone: the user's locale must not change what counts as a scheme.
bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiAlpha(c) || (c >= '0' && c <= '9'); }

// The position of the colon that ends the text's scheme, or npos when it begins with none.
std::size_t SchemeEnd(const std::string& text) {
  const std::size_t colon = text.find(':');
  // A colon first leaves no letter to begin a scheme with.
  if (colon == std::string::npos || !IsAsciiAlpha(text[0])) return std::string::npos;
  for (std::size_t i = 1; i < colon; ++i) {
    const char c = text[i];
    if (!IsAsciiAlnum(c) && c != '+' && c != '-' && c != '.') return std::string::npos;
  }
  return colon;
}

// The colon of "scheme://", or npos when the text names no host that way.
std::size_t AuthorityStart(const std::string& url) {
  const std::size_t colon = SchemeEnd(url);
  return colon != std::string::npos && url.compare(colon, 3, "://") == 0 ? colon : std::string::npos;
}

// "host:8080", "host:8080/path": what looks like a scheme is a host when digits alone follow its
// colon up to the end or the path, query or fragment. No scheme is all digits after its colon that
// way, while people write a router or a local server just so.
bool IsHostAndPort(const std::string& text, std::size_t colon) {
  const std::size_t end = std::min(text.find_first_of("/?#", colon), text.size());
  if (end == colon + 1) return false;
  for (std::size_t i = colon + 1; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

ShapedUrl ShapeUrl(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos || text.size() > kMaxUrlLength) return {ShapedUrl::Kind::Url, kBlankPage};
  std::string trimmed = text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
  if (trimmed[0] == '/') return {ShapedUrl::Kind::FilePath, std::move(trimmed)};
  const std::size_t colon = SchemeEnd(trimmed);
  if (colon != std::string::npos && !IsHostAndPort(trimmed, colon)) return {ShapedUrl::Kind::Url, std::move(trimmed)};
  return {ShapedUrl::Kind::Url, "http://" + trimmed};
}

bool IsHttpUrl(const std::string& url) {
  const std::size_t colon = AuthorityStart(url);
  if (colon == std::string::npos) return false;
  std::string scheme = url.substr(0, colon);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return scheme == "http" || scheme == "https";
}

bool IsBareOrigin(const std::string& url) {
  const std::size_t colon = AuthorityStart(url);
  if (colon == std::string::npos) return false;
  const std::size_t host = colon + 3;
  return host < url.size() && url.find_first_of("/?#", host) == std::string::npos;
}

}  // namespace kestrova
