#include "platform/wx/web_process_watch.h"

#include <chrono>

#include <webkit2/webkit2.h>

#include "platform/wx/object_data.h"
#include "platform/wx/pump_until.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

// A process that is idle answers within a few milliseconds, even on a loaded machine; one that has
// not answered after this long is running something it will not soon leave.
constexpr auto kAnswerTimeout = std::chrono::milliseconds(300);

// Set on the view while its current web process has shown a page: one still starting up, and
// WebKit's sandbox makes that take a while, would not answer in time.
constexpr const char* kShownPageKey = "kestrova-web-process-shown-page";

void SetShownPage(WebKitWebView* web, bool shown) {
  g_object_set_data(G_OBJECT(web), kShownPageKey, GINT_TO_POINTER(shown ? 1 : 0));
}

bool ShownPage(WebKitWebView* web) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(web), kShownPageKey)) != 0; }

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer) {
  if (event == WEBKIT_LOAD_COMMITTED) SetShownPage(web, true);
}

void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason, gpointer) { SetShownPage(web, false); }

// A page that loops on script dialogs has one of them on its way to the window at nearly every
// moment, and WebKit leaks the process's connection (a thread and about 200 KB) when the process
// is ended with a dialog in flight: every pass of a long run grew the program. The page's next
// dialog is therefore held unanswered, which halts the loop, before the process is ended.
struct Dialogs {
  int seen = 0;
  bool holding = false;
  WebKitScriptDialog* held = nullptr;
};

gboolean OnScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
  auto* dialogs = static_cast<Dialogs*>(data);
  ++dialogs->seen;
  if (!dialogs->holding) return FALSE;  // answered as the browser's settings say
  if (dialogs->held == nullptr) dialogs->held = webkit_script_dialog_ref(dialog);
  return TRUE;
}

constexpr const char* kDialogsKey = "kestrova-web-process-dialogs";

Dialogs& DialogsOf(WebKitWebView* web) { return *static_cast<Dialogs*>(g_object_get_data(G_OBJECT(web), kDialogsKey)); }

// Any question that the process's main thread must answer would do; this one changes nothing.
void FinishCanExecute(GObject* source, GAsyncResult* result) {
  GError* error = nullptr;
  (void)webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(source), result, &error);
  g_clear_error(&error);
}

}  // namespace

void WatchWebProcess(WebKitWebView* web) {
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), nullptr);
  g_signal_connect(web, "script-dialog", G_CALLBACK(OnScriptDialog), KeepOnObject<Dialogs>(web, kDialogsKey));
}

void EndWebProcessIfStuck(WebKitWebView* web) {
  if (web == nullptr || !ShownPage(web)) return;
  Dialogs& dialogs = DialogsOf(web);
  dialogs.seen = 0;
  AwaitedAnswer answer(FinishCanExecute);
  webkit_web_view_can_execute_editing_command(web, WEBKIT_EDITING_COMMAND_COPY, nullptr, AwaitedAnswer::Callback(),
                                              answer.Data());
  // No window handler runs inside a navigation while the answer is awaited.
  Trace("web process check");
  if (answer.Await(kAnswerTimeout)) return;
  if (dialogs.seen > 0) {
    dialogs.holding = true;
    PumpNonInputUntil([&dialogs] { return dialogs.held != nullptr; }, kAnswerTimeout);
  }
  Trace("web process did not answer; ended");
  webkit_web_view_terminate_web_process(web);
  SetShownPage(web, false);
  if (dialogs.held != nullptr) {
    webkit_script_dialog_close(dialogs.held);
    webkit_script_dialog_unref(dialogs.held);
    dialogs.held = nullptr;
  }
  dialogs.holding = false;
}

}  // namespace kestrova::wx
