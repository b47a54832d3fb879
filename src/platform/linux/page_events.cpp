#include "platform/linux/page_events.h"

#include <memory>
#include <string>

#include <webkit2/webkit2.h>

#include "page/navigation_guard.h"
#include "page/visit_log.h"
#include "platform/linux/object_data.h"
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

// A reference to a script dialog, given back however its holder goes.
struct DialogUnref {
  void operator()(WebKitScriptDialog* dialog) const { webkit_script_dialog_unref(dialog); }
};
using HeldDialog = std::unique_ptr<WebKitScriptDialog, DialogUnref>;

struct Page {
  Page(NavigationGuard& page_guard, VisitLog& page_log, std::function<bool()> is_silent)
      : guard(page_guard), log(page_log), silent(std::move(is_silent)) {}
  NavigationGuard& guard;
  VisitLog& log;
  std::function<bool()> silent;
  // The status of the main document's last response: WebKit keeps no main resource of its own
  // for a view that follows no resource loads.
  guint status = 0;
  HeldDialog held;  // the dialog held until the process is ended
};

constexpr const char* kPageKey = "kestrova-page";

Page* Find(WebKitWebView* web) { return static_cast<Page*>(g_object_get_data(G_OBJECT(web), kPageKey)); }

// Ends the load in the visit log. The view's own first load is no visit's, unless it ended on an
// address of its own: then its start was the visit's.
void LogEnd(WebKitWebView* web, Page& page, bool views_own, const LoadOutcome& outcome) {
  if (views_own) {
    const char* uri = webkit_web_view_get_uri(web);
    if (uri == nullptr || uri[0] == '\0' || std::string(uri) == "about:blank") return;
    page.log.LoadStarted();
  }
  page.log.LoadEnded(outcome);
}

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) {
  Page& page = *static_cast<Page*>(data);
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      page.status = 0;
      Trace("load started");
      if (page.guard.LoadStarted()) page.log.LoadStarted();
      break;
    case WEBKIT_LOAD_REDIRECTED:
      Trace("load redirected");
      page.guard.LoadRedirected();
      break;
    case WEBKIT_LOAD_COMMITTED:
      Trace("load committed");
      if (page.guard.LoadCommitted()) AskWebProcess(web);
      break;
    case WEBKIT_LOAD_FINISHED: {
      if (TraceEnabled()) Trace("load finished " + std::to_string(page.status));
      const bool views_own = page.guard.ViewsOwnLoad();
      page.guard.LoadFinished();
      LogEnd(web, page, views_own, LoadOutcome::Status(static_cast<int>(page.status)));
      break;
    }
  }
}

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer data) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  Page& page = *static_cast<Page*>(data);
  auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
  if (webkit_response_policy_decision_is_main_frame_main_resource(response)) {
    page.status = webkit_uri_response_get_status_code(webkit_response_policy_decision_get_response(response));
    if (TraceEnabled()) Trace("main response " + std::to_string(page.status));
    page.guard.Answered();
  }
  // A response the browser cannot show would become a download: nothing is ever saved.
  if (!webkit_response_policy_decision_is_mime_type_supported(response)) {
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  return FALSE;
}

void Failed(WebKitWebView* web, Page& page, const gchar* uri, LoadError error) {
  const bool views_own = page.guard.ViewsOwnLoad();
  page.guard.LoadFailed(uri != nullptr ? uri : "");
  LogEnd(web, page, views_own, LoadOutcome::Failed(error));
}

gboolean OnLoadFailed(WebKitWebView* web, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
  if (TraceEnabled()) {
    Trace(std::string("load failed ") + g_quark_to_string(error->domain) + " " + std::to_string(error->code) + " " +
          (uri ? uri : ""));
  }
  Failed(web, *static_cast<Page*>(data), uri, Classify(error));
  return FALSE;
}

gboolean OnTlsFailed(WebKitWebView* web, gchar* uri, GTlsCertificate*, GTlsCertificateFlags, gpointer data) {
  Trace("load failed tls");
  Failed(web, *static_cast<Page*>(data), uri, LoadError::Tls);
  return FALSE;
}

void CloseHeldDialog(Page& page) {
  if (page.held == nullptr) return;
  webkit_script_dialog_close(page.held.get());
  page.held.reset();
}

void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason reason, gpointer data) {
  if (TraceEnabled()) Trace("web process ended " + std::to_string(static_cast<int>(reason)));
  Page& page = *static_cast<Page*>(data);
  const bool views_own = page.guard.ViewsOwnLoad();
  page.guard.WebProcessEnded();
  // The program ends a process itself only when the next navigation is due; the visit that
  // process held is cancelled by that navigation.
  if (reason != WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
    LogEnd(web, page, views_own, LoadOutcome::Failed(LoadError::WebProcessEnded));
  }
  CloseHeldDialog(page);
}

gboolean OnScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
  Page& page = *static_cast<Page*>(data);
  if (page.guard.DialogRaised()) {
    if (page.held == nullptr) page.held.reset(webkit_script_dialog_ref(dialog));
    return TRUE;
  }
  // TRUE: handled, so WebKit shows nothing; confirm and prompt answer as if cancelled.
  return page.silent() ? TRUE : FALSE;
}

// Any question that the process's main thread must answer would do; this one changes nothing. The
// view lives until its calls have answered.
void OnAnswer(GObject* source, GAsyncResult* result, gpointer question) {
  g_autoptr(GError) error = nullptr;
  (void)webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(source), result, &error);
  if (Page* page = Find(WEBKIT_WEB_VIEW(source))) page->guard.QuestionAnswered(GPOINTER_TO_INT(question));
}

}  // namespace

void FollowPage(WebKitWebView* web, NavigationGuard& guard, VisitLog& log, std::function<bool()> silent) {
  Page* page = KeepOnObject<Page>(web, kPageKey, guard, log, std::move(silent));
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), page);
  g_signal_connect(web, "decide-policy", G_CALLBACK(OnDecidePolicy), page);
  g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), page);
  g_signal_connect(web, "load-failed-with-tls-errors", G_CALLBACK(OnTlsFailed), page);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), page);
  g_signal_connect(web, "script-dialog", G_CALLBACK(OnScriptDialog), page);
}

void AskWebProcess(WebKitWebView* web) {
  Page* page = Find(web);
  if (page == nullptr) return;
  const int question = page->guard.QuestionAsked();
  webkit_web_view_can_execute_editing_command(web, WEBKIT_EDITING_COMMAND_COPY, nullptr, OnAnswer,
                                              GINT_TO_POINTER(question));
}

void EndWebProcess(WebKitWebView* web) {
  Trace("web process ended by the program");
  webkit_web_view_terminate_web_process(web);
  if (Page* page = Find(web)) CloseHeldDialog(*page);
}

}  // namespace kestrova::wx
