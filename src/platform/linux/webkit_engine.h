#pragma once
// The embedded browser and the URL cache on wxWebView's WebKitGTK backend.

#include <string>

#include "platform/wx/native.h"

namespace kestrova::wx {

// The address the browser loads for an entry's text (see ShapeUrl), a path as its file:// URI.
std::string NavigableUrl(const std::string& text);

class WebKitBrowser;

// WebKit keeps no per-URL entries that could be removed one by one, and removing the cache of
// the URL's whole host made every visit fetch all that its pages load too. Instead the browser's
// next load of the URL bypasses the cache for the page alone.
class WebKitUrlCache : public UrlCache {
 public:
  explicit WebKitUrlCache(WebKitBrowser& browser) : browser_(browser) {}
  void DeleteUrlCacheEntry(const std::string& url) override;

 private:
  WebKitBrowser& browser_;
};

class WebKitBrowser : public Engine {
 public:
  // Asks for WebKit's sandbox, before the first web view starts its web process.
  WebKitBrowser();
  void Attach(wxWebView* view, VisitLog& visit_log, NavigationGuard& guard) override;
  UrlCache& Cache() override { return cache_; }
  void AskWebProcess() override;
  void EndWebProcess() override;
  void Navigate(const std::string& url) override;
  void Stop() override;
  void SetSilent(bool silent) override;
  // The next navigation to exactly this URL asks the server for the page itself, whatever the
  // cache holds for it; what the page loads comes from the cache as usual.
  void FetchAfreshOnce(const std::string& url);

 private:
  wxWebView* view_ = nullptr;
  NavigationGuard* guard_ = nullptr;
  bool silent_ = false;
  std::string fresh_target_;
  WebKitUrlCache cache_{*this};
};

}  // namespace kestrova::wx
