#pragma once
// Waiting for an answer from WebKit inside a handler, without running any other window handler.

#include <chrono>
#include <functional>
#include <memory>

#include <gio/gio.h>

namespace kestrova::wx {

// Dispatches only non-input sources (so user input stays queued for the wait's next event
// processing) until `done` holds or `timeout` has passed. Returns `done()`. A close request, and
// the open menu's Exit, end the program from inside it.
bool PumpNonInputUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// True inside PumpNonInputUntil.
bool PumpingNonInput();

// The answer of one asynchronous call of GLib's kind, awaited for a while and then abandoned: the
// call may still answer long after the wait gave up, or fail once its process is gone, and its
// callback then finds its state alive and frees it.
class AwaitedAnswer {
 public:
  // Collects the result (and frees its error), as the call's `_finish` function must be called.
  using Finish = void (*)(GObject* source, GAsyncResult* result);
  explicit AwaitedAnswer(Finish finish);
  // The callback and its user data for the asynchronous call; Data() is handed to one call only.
  static GAsyncReadyCallback Callback() { return &OnReady; }
  gpointer Data();
  // Waits as PumpNonInputUntil does until the answer came; false when `timeout` passed first.
  bool Await(std::chrono::milliseconds timeout);
  // Whether the answer has come (or the call failed), without waiting, and when it was taken in.
  bool Answered() const { return state_->answered; }
  std::chrono::steady_clock::time_point AnsweredAt() const { return state_->answered_at; }

 private:
  struct State {
    Finish finish;
    bool answered = false;
    std::chrono::steady_clock::time_point answered_at;
  };
  static void OnReady(GObject* source, GAsyncResult* result, gpointer data);
  std::shared_ptr<State> state_;
};

}  // namespace kestrova::wx
