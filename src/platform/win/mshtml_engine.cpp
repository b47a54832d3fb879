// The embedded browser on Windows: wxWebView on the system's own engine (MSHTML, the WebBrowser
// control, in IE11 mode), and WinINet's URL cache, which that engine reads.

#include <exdisp.h>
#include <windows.h>
#include <wininet.h>

#include <cctype>
#include <string>

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/log.h>
#include <wx/msw/registry.h>
#include <wx/msw/webview_ie.h>
#include <wx/stdpaths.h>
#include <wx/webview.h>

#include "page/navigation_guard.h"
#include "page/url_text.h"
#include "page/visit_log.h"
#include "platform/win/wininet_url_cache.h"
#include "platform/wx/native.h"
#include "platform/wx/text_codec.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

// wxWebView names what went wrong after the engine's own error codes; an HTTP error carries the
// status by its WinINet name.
struct NamedStatus {
  const char* name;
  int status;
};
#define KESTROVA_STATUS(name) \
  { "HTTP_STATUS_" #name, HTTP_STATUS_##name }
constexpr NamedStatus kStatuses[] = {
    KESTROVA_STATUS(BAD_REQUEST),     KESTROVA_STATUS(DENIED),         KESTROVA_STATUS(PAYMENT_REQ),
    KESTROVA_STATUS(FORBIDDEN),       KESTROVA_STATUS(NOT_FOUND),      KESTROVA_STATUS(BAD_METHOD),
    KESTROVA_STATUS(NONE_ACCEPTABLE), KESTROVA_STATUS(PROXY_AUTH_REQ), KESTROVA_STATUS(REQUEST_TIMEOUT),
    KESTROVA_STATUS(CONFLICT),        KESTROVA_STATUS(GONE),           KESTROVA_STATUS(SERVER_ERROR),
    KESTROVA_STATUS(NOT_SUPPORTED),   KESTROVA_STATUS(BAD_GATEWAY),    KESTROVA_STATUS(SERVICE_UNAVAIL),
    KESTROVA_STATUS(GATEWAY_TIMEOUT),
};
#undef KESTROVA_STATUS

LoadOutcome Outcome(const wxWebViewEvent& event) {
  const std::string code = event.GetString().utf8_string();
  for (const NamedStatus& s : kStatuses) {
    if (code == s.name) return LoadOutcome::Status(s.status);
  }
  if (code == "INET_E_CONNECTION_TIMEOUT") return LoadOutcome::Failed(LoadError::Timeout);
  if (code == "INET_E_RESOURCE_NOT_FOUND") return LoadOutcome::Failed(LoadError::Dns);
  switch (event.GetInt()) {
    case wxWEBVIEW_NAV_ERR_CONNECTION: return LoadOutcome::Failed(LoadError::Refused);
    case wxWEBVIEW_NAV_ERR_CERTIFICATE:
    case wxWEBVIEW_NAV_ERR_SECURITY: return LoadOutcome::Failed(LoadError::Tls);
    case wxWEBVIEW_NAV_ERR_USER_CANCELLED: return LoadOutcome::Failed(LoadError::Cancelled);
    default: return LoadOutcome::Failed(LoadError::Other);
  }
}

constexpr const char* kEmulationKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

// A path on a drive ("C:\\lists\\a.html", the help documents beside the program) reads as an
// address of a one-letter scheme; the engine is given its file:// address.
bool IsDrivePath(const std::string& text) {
  return text.size() > 2 && std::isalpha(static_cast<unsigned char>(text[0])) != 0 && text[1] == ':' &&
         (text[2] == '\\' || text[2] == '/');
}

bool IsHttp(const wxString& url) { return url.Lower().StartsWith("http:") || url.Lower().StartsWith("https:"); }

class TracedCache : public UrlCache {
 public:
  void DeleteUrlCacheEntry(const std::string& url) override {
    const bool held = WinInetUrlCache::Delete(url);
    if (TraceEnabled()) Trace("purge " + url + (held ? " (held)" : " (not held)"));
  }
};

class MshtmlBrowser : public Engine {
 public:
  MshtmlBrowser() {
    // Without this the WebBrowser control renders as Internet Explorer 7 did. The setting is the
    // user's own, per executable name, and must be made before the first view exists. (wx's own
    // call gives up with a warning box where the key does not exist yet; nothing here is shown.)
    const wxLogNull quiet;
    wxRegKey key(wxRegKey::HKCU, kEmulationKey);
    if (key.Create(false)) {
      key.SetValue(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetFullName(),
                   static_cast<long>(wxWEBVIEWIE_EMU_IE11));
    }
  }

  void Attach(wxWebView* view, VisitLog& visit_log, NavigationGuard& guard) override {
    view_ = view;
    guard_ = &guard;
    view->Bind(wxEVT_WEBVIEW_NAVIGATING, [this, &visit_log](wxWebViewEvent& event) {
      // The engine's own error pages (res://) would be loads of their own: the error has been
      // reported, and the view stays as it was.
      if (event.GetURL().Lower().StartsWith("res:")) return event.Veto();
      if (TraceEnabled()) Trace("load started " + event.GetURL().utf8_string());
      if (guard_->LoadStarted()) visit_log.LoadStarted();
    });
    view->Bind(wxEVT_WEBVIEW_NAVIGATED, [this](wxWebViewEvent&) {
      Trace("load committed");
      if (guard_->LoadCommitted()) AskWebProcess();
    });
    view->Bind(wxEVT_WEBVIEW_LOADED, [this, &visit_log](wxWebViewEvent& event) {
      Trace("load finished");
      const bool views_own = guard_->ViewsOwnLoad();
      guard_->LoadFinished();
      // The engine tells a page shown from an error, but gives no status: an HTTP page shown is
      // logged as 200, any other as no answer (a file, the blank page).
      LogEnd(visit_log, views_own, event.GetURL(), LoadOutcome::Status(IsHttp(event.GetURL()) ? 200 : 0));
      event.Skip();  // the binding hears it too
    });
    view->Bind(wxEVT_WEBVIEW_ERROR, [this, &visit_log](wxWebViewEvent& event) {
      if (TraceEnabled()) Trace("load failed " + event.GetString().utf8_string());
      // No completion follows a failed load here: the view's own load, if it was one, is over.
      const bool views_own = guard_->ViewsOwnLoad();
      if (views_own) guard_->LoadFinished();
      guard_->LoadFailed(event.GetURL().utf8_string());
      LogEnd(visit_log, views_own, event.GetURL(), Outcome(event));
    });
  }

  // Ends the load in the visit log. The view's own first load is no visit's, unless it ended on an
  // address of its own: then its start was the visit's.
  static void LogEnd(VisitLog& visit_log, bool views_own, const wxString& url, const LoadOutcome& outcome) {
    if (views_own) {
      if (url.empty() || url == "about:blank") return;
      visit_log.LoadStarted();
    }
    visit_log.LoadEnded(outcome);
  }

  UrlCache& Cache() override { return cache_; }

  // The engine runs in this process, on this thread: while the program runs, it has answered.
  void AskWebProcess() override { guard_->QuestionAnswered(guard_->QuestionAsked()); }
  void EndWebProcess() override { Stop(); }

  void Navigate(const std::string& url) override {
    if (view_ == nullptr) return;
    BeforeNavigate();
    const ShapedUrl shaped = ShapeUrl(url);
    const wxString target = shaped.kind == ShapedUrl::Kind::Url && !IsDrivePath(shaped.text)
                                ? ToDisplay(shaped.text)
                                : wxFileSystem::FileNameToURL(wxFileName(ToDisplay(shaped.text)));
    if (TraceEnabled()) Trace("navigate " + target.utf8_string());
    guard_->LoadRequested(target.utf8_string());
    view_->LoadURL(target);
  }

  void Stop() override {
    if (view_ != nullptr) view_->Stop();
  }

  void SetSilent(bool silent) override {
    // Script errors, alerts and the engine's other dialogs are not shown.
    if (auto* browser = view_ ? static_cast<IWebBrowser2*>(view_->GetNativeBackend()) : nullptr)
      browser->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
  }

 private:
  wxWebView* view_ = nullptr;
  NavigationGuard* guard_ = nullptr;
  TracedCache cache_;
};

}  // namespace

// The WebBrowser control needs nothing before it starts.
void PrepareEngine() {}

std::unique_ptr<Engine> MakeEngine() { return std::make_unique<MshtmlBrowser>(); }

}  // namespace kestrova::wx
