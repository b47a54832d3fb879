#include "platform/linux/webkit_engine.h"

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "page/navigation_guard.h"
#include "page/url_text.h"
#include "platform/linux/page_events.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

WebKitWebView* Native(wxWebView* view) {
  return view ? static_cast<WebKitWebView*>(view->GetNativeBackend()) : nullptr;
}

gboolean OnAuthenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
  webkit_authentication_request_cancel(request);
  return TRUE;
}

gboolean OnPrint(WebKitWebView*, WebKitPrintOperation*, gpointer) { return TRUE; }

gboolean OnFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
  webkit_file_chooser_request_cancel(request);
  return TRUE;
}

gboolean OnPermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
  webkit_permission_request_deny(request);
  return TRUE;
}

void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) { webkit_download_cancel(download); }

GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer) { return nullptr; }

}  // namespace

std::string NavigableUrl(const std::string& text) {
  const ShapedUrl shaped = ShapeUrl(text);
  if (shaped.kind == ShapedUrl::Kind::Url) return shaped.text;
  g_autofree gchar* uri = g_filename_to_uri(shaped.text.c_str(), nullptr, nullptr);
  return uri != nullptr ? std::string(uri) : std::string(kBlankPage);
}

WebKitBrowser::WebKitBrowser() {
  // Pages run in WebKit's sandbox. It must be asked for before the first web process starts, and
  // only once: the web context outlives a browser (the GUI tests make one window after another).
  static const bool sandboxed = [] {
    webkit_web_context_set_sandbox_enabled(webkit_web_context_get_default(), TRUE);
    return true;
  }();
  (void)sandboxed;
}

void WebKitBrowser::Attach(wxWebView* view, VisitLog& visit_log, NavigationGuard& guard) {
  view_ = view;
  guard_ = &guard;
  WebKitWebView* web = Native(view);
  if (web == nullptr) return;
  FollowPage(web, guard, visit_log, [this] { return silent_; });
  g_signal_connect(web, "authenticate", G_CALLBACK(OnAuthenticate), nullptr);
  g_signal_connect(web, "print", G_CALLBACK(OnPrint), nullptr);
  g_signal_connect(web, "run-file-chooser", G_CALLBACK(OnFileChooser), nullptr);
  g_signal_connect(web, "permission-request", G_CALLBACK(OnPermission), nullptr);
  g_signal_connect(web, "create", G_CALLBACK(OnCreate), nullptr);
  // A page opened from a file must not read other local files. These are WebKit's defaults, set
  // here so that no other default or setting of the toolkit can turn them on.
  WebKitSettings* settings = webkit_web_view_get_settings(web);
  webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
  g_signal_connect(webkit_web_view_get_context(web), "download-started", G_CALLBACK(OnDownloadStarted), nullptr);
}

void WebKitBrowser::Navigate(const std::string& url) {
  WebKitWebView* web = Native(view_);
  if (web == nullptr) return;
  BeforeNavigate();
  const std::string target = NavigableUrl(url);
  const bool afresh = !fresh_target_.empty() && target == fresh_target_;
  fresh_target_.clear();
  if (TraceEnabled()) Trace("navigate " + target);
  // Text that is not valid UTF-8 cannot be a URI as it stands; escape its bytes.
  g_autofree gchar* escaped = g_utf8_validate(target.data(), static_cast<gssize>(target.size()), nullptr)
                                  ? nullptr
                                  : g_uri_escape_string(target.c_str(), ":/?#[]@!$&'()*+,;=%", TRUE);
  const char* uri = escaped ? escaped : target.c_str();
  g_autoptr(WebKitURIRequest) request = webkit_uri_request_new(uri);
  // Only HTTP requests carry headers; other schemes have no cache entry to bypass.
  if (SoupMessageHeaders* headers = afresh ? webkit_uri_request_get_http_headers(request) : nullptr) {
    // These two ask the server and any proxy for a fresh answer, but WebKit itself still showed
    // its stored copy despite them. With a condition added it went to the server every time, and
    // dropped the condition on the way: the server saw a plain GET.
    soup_message_headers_replace(headers, "Cache-Control", "no-cache");
    soup_message_headers_replace(headers, "Pragma", "no-cache");
    soup_message_headers_replace(headers, "If-Modified-Since", "Thu, 01 Jan 1970 00:00:00 GMT");
  }
  guard_->LoadRequested(uri);
  webkit_web_view_load_request(web, request);
}

void WebKitBrowser::AskWebProcess() {
  if (WebKitWebView* web = Native(view_)) wx::AskWebProcess(web);
}

void WebKitBrowser::EndWebProcess() {
  if (WebKitWebView* web = Native(view_)) wx::EndWebProcess(web);
}

void WebKitBrowser::Stop() {
  if (WebKitWebView* web = Native(view_)) webkit_web_view_stop_loading(web);
}

void WebKitBrowser::SetSilent(bool silent) { silent_ = silent; }

void WebKitBrowser::FetchAfreshOnce(const std::string& url) { fresh_target_ = NavigableUrl(url); }

void WebKitUrlCache::DeleteUrlCacheEntry(const std::string& url) {
  browser_.FetchAfreshOnce(url);
  if (TraceEnabled()) Trace("purge " + url);
}

}  // namespace kestrova::wx

namespace kestrova::wx {

void PrepareEngine() {
  // One page at a time needs no GPU compositing: without it the program and its WebKit processes
  // held 50 MB less after a hundred visits, at the same processor time. It must be known before
  // the web view exists: the same choice made on the view afterwards lost the first page loaded.
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
}

std::unique_ptr<Engine> MakeEngine() { return std::make_unique<WebKitBrowser>(); }

}  // namespace kestrova::wx
