#include "site.h"

#include <cstdint>

namespace kestrova::bench {
namespace {

constexpr std::size_t kCssBytes = 8 * 1024;
constexpr std::size_t kScriptBytes = 8 * 1024;

// From 50 KB for the first page to 200 KB for the last, evenly.
std::size_t TargetWeight(int index) { return (50 + 150 * static_cast<std::size_t>(index) / (kSitePages - 1)) * 1024; }

std::size_t HtmlBytes(int index) { return TargetWeight(index) * 3 / 10; }

std::size_t ImageBytes(int index) { return (TargetWeight(index) - HtmlBytes(index) - kCssBytes - kScriptBytes) / 2; }

std::string Name(int index) { return "p" + std::to_string(index); }

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// An uncompressed 24-bit BMP of about `bytes`, so that every byte is really sent and decoded.
std::string Bitmap(std::size_t bytes, int seed) {
  const std::uint32_t width = 128;
  const std::uint32_t row = width * 3;
  const std::uint32_t height = static_cast<std::uint32_t>(bytes > 54 + row ? (bytes - 54) / row : 1);
  std::string out = "BM";
  PutLe(out, 54 + row * height, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, width, 4);
  PutLe(out, height, 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);
  PutLe(out, row * height, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      out.push_back(static_cast<char>((x * 2 + static_cast<std::uint32_t>(seed) * 37) & 0xff));
      out.push_back(static_cast<char>((y * 3) & 0xff));
      out.push_back(static_cast<char>((x ^ y) & 0xff));
    }
  }
  return out;
}

std::string Padded(std::string text, std::size_t bytes, const std::string& filler) {
  while (text.size() + filler.size() <= bytes) text += filler;
  return text;
}

std::string Stylesheet(int index) {
  std::string css = "body{font-family:sans-serif;margin:1em;background:#f" + std::to_string(index % 10) +
                    "f}\nh1{color:#235}\np{line-height:1.4}\nimg{width:256px;border:1px solid #888}\n";
  std::string rules;
  for (int i = 0; css.size() + rules.size() < kCssBytes; ++i) {
    rules += ".c" + std::to_string(i) + "{margin:" + std::to_string(i % 7) + "px;padding:" + std::to_string(i % 5) +
             "px;color:#" + std::to_string(100 + i % 800) + "}\n";
  }
  return css + rules;
}

std::string Script(int index) {
  std::string js = "(function(){var n=0;for(var i=0;i<2000;i++){n+=i%" + std::to_string(index + 3) +
                   ";}var e=document.getElementById('sum');if(e)e.textContent='sum '+n;})();\n";
  return Padded(js, kScriptBytes, "// padding so that the script weighs what a small library does\n");
}

std::string Html(int index, const std::string& prefix, int refresh_seconds) {
  const std::string name = Name(index);
  std::string head = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Page " + std::to_string(index) +
                     "</title>\n<link rel=\"stylesheet\" href=\"/s/" + name + ".css\">\n";
  if (refresh_seconds > 0) {
    head += "<meta http-equiv=\"refresh\" content=\"" + std::to_string(refresh_seconds) + ";url=" + prefix +
            Name((index + 1) % kSitePages) + ".html\">\n";
  }
  head += "</head><body>\n<h1>Page " + std::to_string(index) + "</h1><p id=\"sum\"></p>\n<img src=\"/s/" + name +
          "-a.bmp\" alt=\"\"> <img src=\"/s/" + name + "-b.bmp\" alt=\"\">\n";
  const std::string tail = "<script src=\"/s/" + name + ".js\"></script>\n</body></html>\n";
  std::string body;
  for (int i = 0; head.size() + body.size() + tail.size() < HtmlBytes(index); ++i) {
    body += "<p class=\"c" + std::to_string(i % 200) +
            "\">Keeping a connection awake takes a page now and then; this paragraph is number " + std::to_string(i) +
            " of a page that is long enough to be laid out and painted in earnest.</p>\n";
  }
  return head + body + tail;
}

}  // namespace

void ServeSite(RecordingServer& server, int refresh_seconds) {
  for (int i = 0; i < kSitePages; ++i) {
    const std::string name = Name(i);
    server.Serve("/p/" + name + ".html", Page{Html(i, "/p/", 0)});
    // Asked for again at every visit, or a browser cycling through them would after the first
    // round show them from its cache and the server would see no more visits.
    server.Serve("/r/" + name + ".html", Page{Html(i, "/r/", refresh_seconds), "text/html; charset=utf-8", "no-cache"});
    server.Serve("/s/" + name + ".css", Page{Stylesheet(i), "text/css"});
    server.Serve("/s/" + name + ".js", Page{Script(i), "application/javascript"});
    server.Serve("/s/" + name + "-a.bmp", Page{Bitmap(ImageBytes(i), i), "image/bmp"});
    server.Serve("/s/" + name + "-b.bmp", Page{Bitmap(ImageBytes(i), i + 50), "image/bmp"});
  }
}

std::vector<std::string> PlainPagePaths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kSitePages; ++i) paths.push_back("/p/" + Name(i) + ".html");
  return paths;
}

std::vector<std::string> RefreshingPagePaths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kSitePages; ++i) paths.push_back("/r/" + Name(i) + ".html");
  return paths;
}

std::size_t PageWeight(int index) {
  return Html(index, "/p/", 0).size() + Stylesheet(index).size() + Script(index).size() +
         2 * Bitmap(ImageBytes(index), 0).size();
}

}  // namespace kestrova::bench
