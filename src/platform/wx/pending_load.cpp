#include "platform/wx/pending_load.h"

#include <string>

#include <webkit2/webkit2.h>

#include "platform/wx/pump_until.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

struct Requests {
  // The load that the view was made with starts first, whenever its web process is up, even when
  // a later request came meanwhile: its start is not the later one's.
  bool first_load_to_start = true;
  bool pending = false;
  std::string uri;
};

constexpr const char* kRequestsKey = "kestrova-requested-loads";

Requests& Of(WebKitWebView* web) { return *static_cast<Requests*>(g_object_get_data(G_OBJECT(web), kRequestsKey)); }

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_STARTED) return;
  Requests& requests = Of(web);
  if (requests.first_load_to_start) {
    requests.first_load_to_start = false;
  } else {
    requests.pending = false;
  }
}

// A request cancelled before it started (by Stop) starts no more.
gboolean OnLoadFailed(WebKitWebView* web, WebKitLoadEvent, gchar* uri, GError*, gpointer) {
  Requests& requests = Of(web);
  if (uri != nullptr && requests.uri == uri) requests.pending = false;
  return FALSE;
}

// The requests that a process had taken with it are gone.
void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason, gpointer) {
  Of(web).pending = false;
  Of(web).first_load_to_start = false;
}

}  // namespace

void FollowLoadStarts(WebKitWebView* web) {
  g_object_set_data_full(G_OBJECT(web), kRequestsKey, new Requests,
                         [](gpointer data) { delete static_cast<Requests*>(data); });
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), nullptr);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), nullptr);
}

void NoteLoadRequested(WebKitWebView* web, const std::string& uri) {
  if (g_object_get_data(G_OBJECT(web), kRequestsKey) == nullptr) return;
  Of(web).pending = true;
  Of(web).uri = uri;
}

void AwaitRequestedLoad(WebKitWebView* web, std::chrono::milliseconds timeout) {
  if (web == nullptr || g_object_get_data(G_OBJECT(web), kRequestsKey) == nullptr || !Of(web).pending) return;
  const auto began = std::chrono::steady_clock::now();
  const bool started = PumpNonInputUntil([web] { return !Of(web).pending; }, timeout);
  if (TraceEnabled()) {
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count();
    Trace(std::string(started ? "awaited load start " : "load never started ") + std::to_string(waited));
  }
  Of(web).pending = false;
}

}  // namespace kestrova::wx
