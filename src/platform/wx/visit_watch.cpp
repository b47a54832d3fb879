#include "platform/wx/visit_watch.h"

#include <string>

#include <webkit2/webkit2.h>

#include "app/main_window.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

// libsoup 2 reports what went wrong on the way to the server as its own status numbers in its
// own error domain, or as GIO's errors.
constexpr int kSoupCantResolve = 2;
constexpr int kSoupCantResolveProxy = 3;
constexpr int kSoupCantConnect = 4;
constexpr int kSoupSslFailed = 6;

LoadError Classify(const GError* error) {
  if (error->domain == WEBKIT_NETWORK_ERROR && error->code == WEBKIT_NETWORK_ERROR_CANCELLED) {
    return LoadError::Cancelled;
  }
  if (error->domain == G_IO_ERROR) {
    switch (error->code) {
      case G_IO_ERROR_CANCELLED: return LoadError::Cancelled;
      case G_IO_ERROR_CONNECTION_REFUSED: return LoadError::Refused;
      case G_IO_ERROR_TIMED_OUT: return LoadError::Timeout;
      case G_IO_ERROR_HOST_NOT_FOUND: return LoadError::Dns;
      default: return LoadError::Other;
    }
  }
  if (error->domain == G_RESOLVER_ERROR) return LoadError::Dns;
  if (error->domain == G_TLS_ERROR) return LoadError::Tls;
  if (error->domain == g_quark_from_static_string("soup-http-error-quark")) {
    switch (error->code) {
      case kSoupCantResolve:
      case kSoupCantResolveProxy: return LoadError::Dns;
      case kSoupCantConnect: return LoadError::Refused;
      case kSoupSslFailed: return LoadError::Tls;
      default: return LoadError::Other;
    }
  }
  return LoadError::Other;
}

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) {
  auto& form = *static_cast<Form2*>(data);
  if (event == WEBKIT_LOAD_STARTED) {
    if (TraceEnabled()) Trace(std::string("load started ") + (webkit_web_view_get_uri(web) ? webkit_web_view_get_uri(web) : ""));
    form.visit_log.LoadStarted();
  } else if (event == WEBKIT_LOAD_COMMITTED) {
    if (TraceEnabled()) Trace("load committed");
  } else if (event == WEBKIT_LOAD_FINISHED) {
    WebKitWebResource* resource = webkit_web_view_get_main_resource(web);
    WebKitURIResponse* response = resource ? webkit_web_resource_get_response(resource) : nullptr;
    const int status = response ? static_cast<int>(webkit_uri_response_get_status_code(response)) : 0;
    if (TraceEnabled()) Trace("load finished " + std::to_string(status));
    form.visit_log.LoadEnded(LoadOutcome::Status(status));
  }
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
  if (TraceEnabled()) {
    Trace(std::string("load failed ") + g_quark_to_string(error->domain) + " " + std::to_string(error->code) + " " +
          (uri ? uri : ""));
  }
  static_cast<Form2*>(data)->visit_log.LoadEnded(LoadOutcome::Failed(Classify(error)));
  return FALSE;
}

gboolean OnTlsFailed(WebKitWebView*, gchar*, GTlsCertificate*, GTlsCertificateFlags, gpointer data) {
  if (TraceEnabled()) Trace("load failed tls");
  static_cast<Form2*>(data)->visit_log.LoadEnded(LoadOutcome::Failed(LoadError::Tls));
  return FALSE;
}

void OnTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data) {
  if (TraceEnabled()) Trace("web process ended " + std::to_string(static_cast<int>(reason)));
  // The program ends a stuck process itself only just before the next navigation, which has
  // already closed the visit that process held.
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
  static_cast<Form2*>(data)->visit_log.LoadEnded(LoadOutcome::Failed(LoadError::WebProcessEnded));
}

}  // namespace

void WatchVisits(WebKitWebView* web, Form2& form) {
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), &form);
  g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), &form);
  g_signal_connect(web, "load-failed-with-tls-errors", G_CALLBACK(OnTlsFailed), &form);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), &form);
}

}  // namespace kestrova::wx
