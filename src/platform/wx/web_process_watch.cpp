#include "platform/wx/web_process_watch.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include <webkit2/webkit2.h>

#include "platform/wx/object_data.h"
#include "platform/wx/pump_until.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {
namespace {

// A process that is idle answers within a few milliseconds; on a machine loaded five times over a
// healthy one took more than 300 ms now and then, and ending it cost a fresh process's start of
// seconds. One that has not answered after this long is running something it will not soon leave.
constexpr auto kAnswerTimeout = std::chrono::milliseconds(1000);

// The limit while the page still loads: an existing process started a load within 450 ms at worst
// on a machine loaded twice over.
constexpr auto kAnswerWhileLoading = std::chrono::milliseconds(500);

// What an answer that has already come needs to be taken in from the queue.
constexpr auto kLastLook = std::chrono::milliseconds(50);

// The dialogs of a page that loops on them are held this long at most: one is due at any moment.
constexpr auto kDialogWait = std::chrono::milliseconds(300);

// Set on the view while its current web process has shown a page: one still starting up, and
// WebKit's sandbox makes that take a while, would not answer in time.
constexpr const char* kShownPageKey = "kestrova-web-process-shown-page";

void SetShownPage(WebKitWebView* web, bool shown) {
  g_object_set_data(G_OBJECT(web), kShownPageKey, GINT_TO_POINTER(shown ? 1 : 0));
}

bool ShownPage(WebKitWebView* web) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(web), kShownPageKey)) != 0; }

// Any question that the process's main thread must answer would do; this one changes nothing.
void FinishCanExecute(GObject* source, GAsyncResult* result) {
  GError* error = nullptr;
  (void)webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(source), result, &error);
  g_clear_error(&error);
}

// The question last put to the view's web process, and when.
struct Question {
  std::optional<AwaitedAnswer> answer;
  std::chrono::steady_clock::time_point asked;
  int dialogs_since = 0;  // script dialogs the page raised since it was asked
};

constexpr const char* kQuestionKey = "kestrova-web-process-question";

Question& QuestionOf(WebKitWebView* web) {
  return *static_cast<Question*>(g_object_get_data(G_OBJECT(web), kQuestionKey));
}

void Ask(WebKitWebView* web, Question& question) {
  question.answer.emplace(FinishCanExecute);
  question.asked = std::chrono::steady_clock::now();
  question.dialogs_since = 0;
  webkit_web_view_can_execute_editing_command(web, WEBKIT_EDITING_COMMAND_COPY, nullptr, AwaitedAnswer::Callback(),
                                              question.answer->Data());
}

bool Unanswered(const Question& question) { return question.answer && !question.answer->Answered(); }

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) {
  if (event != WEBKIT_LOAD_COMMITTED) return;
  SetShownPage(web, true);
  // A question still open keeps its time: the process has owed the answer since then.
  auto* question = static_cast<Question*>(data);
  if (!Unanswered(*question)) Ask(web, *question);
}

void OnTerminated(WebKitWebView* web, WebKitWebProcessTerminationReason, gpointer) { SetShownPage(web, false); }

// A page that loops on script dialogs has one of them on its way to the window at nearly every
// moment, and WebKit leaks the process's connection (a thread and about 200 KB) when the process
// is ended with a dialog in flight: every pass of a long run grew the program. The page's next
// dialog is therefore held unanswered, which halts the loop, before the process is ended.
struct Dialogs {
  bool holding = false;
  WebKitScriptDialog* held = nullptr;
};

gboolean OnScriptDialog(WebKitWebView* web, WebKitScriptDialog* dialog, gpointer data) {
  auto* dialogs = static_cast<Dialogs*>(data);
  ++QuestionOf(web).dialogs_since;
  if (!dialogs->holding) return FALSE;  // answered as the browser's settings say
  if (dialogs->held == nullptr) dialogs->held = webkit_script_dialog_ref(dialog);
  return TRUE;
}

constexpr const char* kDialogsKey = "kestrova-web-process-dialogs";

Dialogs& DialogsOf(WebKitWebView* web) { return *static_cast<Dialogs*>(g_object_get_data(G_OBJECT(web), kDialogsKey)); }

}  // namespace

void WatchWebProcess(WebKitWebView* web) {
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), KeepOnObject<Question>(web, kQuestionKey));
  g_signal_connect(web, "web-process-terminated", G_CALLBACK(OnTerminated), nullptr);
  g_signal_connect(web, "script-dialog", G_CALLBACK(OnScriptDialog), KeepOnObject<Dialogs>(web, kDialogsKey));
}

void EndWebProcessIfStuck(WebKitWebView* web) {
  if (web == nullptr || !ShownPage(web)) return;
  Question& question = QuestionOf(web);
  // A page still loading keeps its process busy with the page itself, and then only a prompt answer
  // will do: one still parsing a 20 MB page under load answered after 0.9 s, and then took more
  // than 5 s to start the next load, which the navigation after it dropped unsent. An answer
  // already on its way is still taken in, however long ago the question went out, but one that
  // came after the limit counts as none.
  const auto limit = webkit_web_view_is_loading(web) ? kAnswerWhileLoading : kAnswerTimeout;
  if (!Unanswered(question)) Ask(web, question);
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(question.asked + limit - std::chrono::steady_clock::now());
  // No window handler runs inside a navigation while the answer is awaited.
  Trace("web process check");
  if (question.answer->Await(std::max(left, kLastLook)) &&
      question.answer->AnsweredAt() <= question.asked + limit + kLastLook) {
    return;
  }
  Dialogs& dialogs = DialogsOf(web);
  if (question.dialogs_since > 0) {
    dialogs.holding = true;
    PumpNonInputUntil([&dialogs] { return dialogs.held != nullptr; }, kDialogWait);
  }
  Trace("web process did not answer; ended");
  webkit_web_view_terminate_web_process(web);
  SetShownPage(web, false);
  question.answer.reset();
  if (dialogs.held != nullptr) {
    webkit_script_dialog_close(dialogs.held);
    webkit_script_dialog_unref(dialogs.held);
    dialogs.held = nullptr;
  }
  dialogs.holding = false;
}

}  // namespace kestrova::wx
