#include "platform/wx/pump_until.h"

#include <thread>
#include <vector>

#include <gtk/gtk.h>
#include <wx/app.h>

namespace kestrova::wx {
namespace {

bool pumping = false;

// An open menu holds GTK's grab, so that all input goes to it: a click elsewhere only closes it.
bool MenuIsOpen() {
  GtkWidget* grab = gtk_grab_get_current();
  return grab != nullptr && GTK_IS_MENU_SHELL(grab);
}

// Holds back what the user does, to be handled after the wait in the order it came. A request to
// close a window goes through: closing ends the program, and must not wait for WebKit. So does
// what is done in an open menu, whose commands the main window holds back itself, except Exit.
void HoldInput(GdkEvent* event, gpointer held) {
  if (event->type == GDK_DELETE || MenuIsOpen()) {
    gtk_main_do_event(event);
    return;
  }
  static_cast<std::vector<GdkEvent*>*>(held)->push_back(gdk_event_copy(event));
}

void DispatchAll(GdkEvent* event, gpointer) { gtk_main_do_event(event); }

}  // namespace

bool PumpingNonInput() { return pumping; }

bool PumpNonInputUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  if (done()) return true;
  auto* app = static_cast<wxApp*>(wxTheApp);
  std::vector<GdkEvent*> held;
  pumping = true;
  // What wx queued (CallAfter, posted events) is a window handler too; it runs after the wait.
  if (app != nullptr) app->SuspendProcessingOfPendingEvents();
  gdk_event_handler_set(HoldInput, &held, nullptr);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    // wx's idle source would always be ready while its queue is held; EventsPending leaves it out.
    while (app != nullptr ? app->EventsPending() : g_main_context_pending(nullptr)) {
      g_main_context_iteration(nullptr, FALSE);
    }
    if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  gdk_event_handler_set(DispatchAll, nullptr, nullptr);
  for (GdkEvent* event : held) {
    gdk_display_put_event(gdk_display_get_default(), event);
    gdk_event_free(event);
  }
  if (app != nullptr) app->ResumeProcessingOfPendingEvents();
  pumping = false;
  return done();
}

AwaitedAnswer::AwaitedAnswer(Finish finish) : state_(std::make_shared<State>(State{finish, false, {}})) {}

gpointer AwaitedAnswer::Data() { return std::make_unique<std::shared_ptr<State>>(state_).release(); }

void AwaitedAnswer::OnReady(GObject* source, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(data));
  (*state)->finish(source, result);
  (*state)->answered = true;
  (*state)->answered_at = std::chrono::steady_clock::now();
}

bool AwaitedAnswer::Await(std::chrono::milliseconds timeout) {
  return PumpNonInputUntil([state = state_.get()] { return state->answered; }, timeout);
}

}  // namespace kestrova::wx
