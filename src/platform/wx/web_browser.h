#pragma once
// The embedded browser and the URL cache on wxWebView's WebKitGTK backend.

#include <string>

#include "platform/services.h"

class wxWebView;

namespace kestrova::wx {

// Text that a browser's address bar would not load as typed becomes what a user expects:
// no scheme gets "http://", an absolute path becomes a file:// URI, empty text a blank page. So
// does text too long to be any server's address.
std::string NavigableUrl(const std::string& text);

class WebKitBrowser : public Browser {
 public:
  // Connects the signals that keep the browser from opening dialogs and windows of its own.
  void Attach(wxWebView* view);
  void Navigate(const std::string& url) override;
  void Stop() override;
  void SetSilent(bool silent) override;
  bool Silent() const { return silent_; }

 private:
  wxWebView* view_ = nullptr;
  bool silent_ = false;
};

// Removes the disk and memory cache of a URL's origin through WebKit's website-data manager:
// WebKit keeps no per-URL entries that could be removed one by one.
class WebKitUrlCache : public UrlCache {
 public:
  void Attach(wxWebView* view) { view_ = view; }
  void DeleteUrlCacheEntry(const std::string& url) override;
  // How long the last removal took, for the benchmarks.
  double LastMs() const { return last_ms_; }

 private:
  wxWebView* view_ = nullptr;
  double last_ms_ = 0;
};

}  // namespace kestrova::wx
