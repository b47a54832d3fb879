#include "platform/wx/visit_watch.h"

#include <string>

#include <webkit2/webkit2.h>

#include "browse/visit_log.h"
#include "platform/wx/object_data.h"
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

// The status of the main document's last response, kept on the view: WebKit keeps no main
// resource of its own for a view that follows no resource loads.
constexpr const char* kStatusKey = "kestrova-main-document-status";

gboolean OnDecidePolicy(WebKitWebView* web, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    auto* response_decision = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (webkit_response_policy_decision_is_main_frame_main_resource(response_decision)) {
      WebKitURIResponse* response = webkit_response_policy_decision_get_response(response_decision);
      const guint status = webkit_uri_response_get_status_code(response);
      g_object_set_data(G_OBJECT(web), kStatusKey, GUINT_TO_POINTER(status));
      if (TraceEnabled()) Trace("main response " + std::to_string(status));
    }
  }
  return FALSE;  // the decision itself is the browser's
}

struct Watch {
  VisitLog& log;
  // The blank page that the view loads as it is made may start only once the web process is up,
  // after the first visit's navigation: its start and end are not that visit's.
  bool first_load = true;
};

// Ends the load in the visit log; the view's own first load only when it was a visit's.
void Ended(WebKitWebView* web, Watch& watch, const LoadOutcome& outcome) {
  if (watch.first_load) {
    watch.first_load = false;
    const char* uri = webkit_web_view_get_uri(web);
    if (uri == nullptr || uri[0] == '\0' || std::string(uri) == "about:blank") return;
    watch.log.LoadStarted();
  }
  watch.log.LoadEnded(outcome);
}

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) {
  auto& watch = *static_cast<Watch*>(data);
  if (event == WEBKIT_LOAD_STARTED) {
    g_object_set_data(G_OBJECT(web), kStatusKey, nullptr);
    Trace("load started");
    if (!watch.first_load) watch.log.LoadStarted();
  } else if (event == WEBKIT_LOAD_COMMITTED) {
    Trace("load committed");
  } else if (event == WEBKIT_LOAD_FINISHED) {
    const int status = static_cast<int>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(web), kStatusKey)));
    if (TraceEnabled()) Trace("load finished " + std::to_string(status));
    Ended(web, watch, LoadOutcome::Status(status));
  }
}

gboolean OnLoadFailed(WebKitWebView* web, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
  if (TraceEnabled()) {
    Trace(std::string("load failed ") + g_quark_to_string(error->domain) + " " + std::to_string(error->code) + " " +
          (uri ? uri : ""));
  }
  Ended(web, *static_cast<Watch*>(data), LoadOutcome::Failed(Classify(error)));
  return FALSE;
}

gboolean OnTlsFailed(WebKitWebView* web, gchar*, GTlsCertificate*, GTlsCertificateFlags, gpointer data) {
  Trace("load failed tls");
  Ended(web, *static_cast<Watch*>(data), LoadOutcome::Failed(LoadError::Tls));
  return FALSE;
}

void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason reason, gpointer data) {
  if (TraceEnabled()) Trace("web process ended " + std::to_string(static_cast<int>(reason)));
  // The program ends a stuck process itself only just before the next navigation, which has
  // already closed the visit that process held.
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
  Ended(web, *static_cast<Watch*>(data), LoadOutcome::Failed(LoadError::WebProcessEnded));
}

}  // namespace

void WatchVisits(WebKitWebView* web, VisitLog& log) {
  Watch* watch = KeepOnObject<Watch>(web, "kestrova-visit-watch", log);
  // Before the browser's own handler, which ends the emission for what it refuses.
  g_signal_connect(web, "decide-policy", G_CALLBACK(OnDecidePolicy), nullptr);
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), watch);
  g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), watch);
  g_signal_connect(web, "load-failed-with-tls-errors", G_CALLBACK(OnTlsFailed), watch);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), watch);
}

}  // namespace kestrova::wx
