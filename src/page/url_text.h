#pragma once
// How the text of a playlist entry becomes an address: what a browser's address bar would make
// of it as typed, and the form of an address that the cache purge completes.

#include <string>

namespace kestrova {

inline constexpr const char* kBlankPage = "about:blank";

// Entry text, without its surrounding blanks, as the browser is to take it.
struct ShapedUrl {
  enum class Kind { Url, FilePath };
  Kind kind;
  std::string text;
};

// No scheme gets "http://", and so does a host with a port ("localhost:8080/x"); an absolute path
// is a file for the platform to turn into its address; blank text, or text too long to be any
// server's address, is the blank page.
ShapedUrl ShapeUrl(const std::string& text);

// An address that a web server answers: http:// or https://, in any case.
bool IsHttpUrl(const std::string& url);

// "scheme://host" with nothing after the host: the address a browser shows as "scheme://host/".
bool IsBareOrigin(const std::string& url);

}  // namespace kestrova
