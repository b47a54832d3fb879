#include "platform/wx/pending_load.h"

#include <string>

#include <webkit2/webkit2.h>

#include "platform/wx/object_data.h"
#include "platform/wx/pump_until.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

// Once the web process has started the load, the network process still looks the page up in its
// disk cache before it sends the request; a busy one (it also takes the cache purge) has been
// seen to drop a load cancelled 11 ms after its start, unsent, and at a load average of 9 the
// first page of a run was still unsent 300 ms after its start. The page's answer proves it was
// sent; a server that never answers holds the next page this long at most.
constexpr auto kSendGrace = std::chrono::milliseconds(1000);

enum class Stage { None, Requested, Started };

struct Requests {
  // The load that the view was made with starts first, whenever its web process is up, even when
  // a later request came meanwhile: none of its events, up to its end, are the later one's. Its
  // commit had been taken for the answer to the run's first page, which the second then replaced
  // unsent.
  enum class Initial { Waiting, Running, Over } initial = Initial::Waiting;
  Stage stage = Stage::None;
  std::string uri;
  std::chrono::steady_clock::time_point started_at;
};

constexpr const char* kRequestsKey = "kestrova-requested-loads";

Requests* Find(WebKitWebView* web) { return static_cast<Requests*>(g_object_get_data(G_OBJECT(web), kRequestsKey)); }

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer) {
  Requests& requests = *Find(web);
  if (requests.initial != Requests::Initial::Over) {
    if (event == WEBKIT_LOAD_STARTED) requests.initial = Requests::Initial::Running;
    if (event == WEBKIT_LOAD_FINISHED) requests.initial = Requests::Initial::Over;
    return;
  }
  if (event == WEBKIT_LOAD_STARTED) {
    if (requests.stage == Stage::Requested) {
      requests.stage = Stage::Started;
      requests.started_at = std::chrono::steady_clock::now();
    }
  } else if (event == WEBKIT_LOAD_COMMITTED || event == WEBKIT_LOAD_REDIRECTED) {
    requests.stage = Stage::None;  // the server has answered
  }
}

gboolean OnDecidePolicy(WebKitWebView* web, WebKitPolicyDecision*, WebKitPolicyDecisionType type, gpointer) {
  Requests& requests = *Find(web);
  if (requests.initial == Requests::Initial::Over && type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE &&
      requests.stage == Stage::Started) {
    requests.stage = Stage::None;
  }
  return FALSE;
}

// A request cancelled before it started (by Stop) starts no more.
gboolean OnLoadFailed(WebKitWebView* web, WebKitLoadEvent, gchar* uri, GError*, gpointer) {
  Requests& requests = *Find(web);
  if (requests.initial != Requests::Initial::Over) return FALSE;  // its end follows
  if (requests.stage == Stage::Started || (uri != nullptr && requests.uri == uri)) requests.stage = Stage::None;
  return FALSE;
}

// The requests that a process had taken with it are gone.
void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason, gpointer) {
  Find(web)->stage = Stage::None;
  Find(web)->initial = Requests::Initial::Over;
}

}  // namespace

void FollowLoadStarts(WebKitWebView* web) {
  KeepOnObject<Requests>(web, kRequestsKey);
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(web, "decide-policy", G_CALLBACK(OnDecidePolicy), nullptr);
  g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), nullptr);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), nullptr);
}

void NoteLoadRequested(WebKitWebView* web, const std::string& uri) {
  if (Requests* requests = Find(web)) {
    requests->stage = Stage::Requested;
    requests->uri = uri;
  }
}

void AwaitRequestedLoad(WebKitWebView* web, std::chrono::milliseconds timeout) {
  Requests* requests = web ? Find(web) : nullptr;
  if (requests == nullptr || requests->stage == Stage::None) return;
  const auto began = std::chrono::steady_clock::now();
  PumpNonInputUntil([requests] { return requests->stage != Stage::Requested; }, timeout);
  const bool started = requests->stage != Stage::Requested;
  if (requests->stage == Stage::Started) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(requests->started_at + kSendGrace -
                                                                            std::chrono::steady_clock::now());
    if (left.count() > 0) PumpNonInputUntil([requests] { return requests->stage == Stage::None; }, left);
  }
  if (TraceEnabled()) {
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count();
    if (waited > 0 || !started) {
      Trace(std::string(started ? "awaited load " : "load never started ") + std::to_string(waited));
    }
  }
  requests->stage = Stage::None;
}

}  // namespace kestrova::wx
