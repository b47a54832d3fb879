#pragma once
// The embedded browser and the URL cache on wxWebView's WebKitGTK backend.

#include <functional>
#include <string>

#include "platform/services.h"

class wxWebView;

namespace kestrova {
class NavigationGuard;
class VisitLog;
}  // namespace kestrova

namespace kestrova::wx {

// The address the browser loads for an entry's text (see ShapeUrl), a path as its file:// URI.
std::string NavigableUrl(const std::string& text);

class WebKitBrowser : public Browser {
 public:
  // Asks for WebKit's sandbox, before the first web view starts its web process.
  WebKitBrowser();
  // Takes the view just made: reports its page's events to the navigation guard and the visit log,
  // and keeps the browser from opening dialogs and windows of its own.
  void Attach(wxWebView* view, VisitLog& visit_log, NavigationGuard& guard);
  void AskWebProcess() override;
  void EndWebProcess() override;
  // Runs before each navigation, to bring the window up to the model: a run shows the browser
  // just before it navigates, and the view is to be on screen when it is asked to load.
  void SetBeforeNavigate(std::function<void()> before) { before_navigate_ = std::move(before); }
  void Navigate(const std::string& url) override;
  void Stop() override;
  void SetSilent(bool silent) override;
  // The next navigation to exactly this URL asks the server for the page itself, whatever the
  // cache holds for it; what the page loads comes from the cache as usual.
  void FetchAfreshOnce(const std::string& url);

 private:
  wxWebView* view_ = nullptr;
  NavigationGuard* guard_ = nullptr;
  std::function<void()> before_navigate_;
  bool silent_ = false;
  std::string fresh_target_;
};

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

}  // namespace kestrova::wx
