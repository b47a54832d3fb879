#pragma once
// Decides when the next navigation may go out, so that every page requested reaches its server.
// The browser reports the neutral events of a page's life; before each navigation the guard says
// whether to request now, to wait, to question the web process, or to end it first. Time comes
// only from the Clock.

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace kestrova {

// What to do next on the way to a navigation. After anything but Request, ask again.
struct GuardStep {
  enum class Kind {
    Request,     // request the page now
    Wait,        // handle the window's events until `until_ms`, or until the guard hears something
    Ask,         // put the trivial question to the web process (Browser::AskWebProcess)
    EndProcess,  // end the web process, so that the page goes to a fresh one
  };
  Kind kind = Kind::Request;
  std::int64_t until_ms = 0;
};

class NavigationGuard {
 public:
  explicit NavigationGuard(Clock& clock) : clock_(clock) {}

  // The browser was asked to load `url`.
  void LoadRequested(const std::string& url);
  // A load started in the web process. False while the events are those of the view's own first
  // load, which belongs to no visit.
  bool LoadStarted();
  // The load's document arrived. True: question the web process now (Browser::AskWebProcess).
  bool LoadCommitted();
  void LoadRedirected();
  // The server answered the main document (its response, before the commit).
  void Answered();
  void LoadFinished();
  void LoadFailed(const std::string& url);
  // The web process ended, whoever ended it: the requests and the question it had are gone.
  void WebProcessEnded();
  // A page's script raised a dialog. True: hold it unanswered until the process is ended.
  bool DialogRaised();
  // The question went out; its answer is reported with the number returned here.
  int QuestionAsked();
  void QuestionAnswered(int question);

  // True while the browser's events are those of the load that the view was made with.
  bool ViewsOwnLoad() const { return initial_ != Initial::Over; }
  // Counts what the guard has heard, so that a wait on it can end as soon as something came.
  std::uint64_t Heard() const { return heard_; }

  // Called when a navigation is due, and again after each step that was not Request.
  GuardStep Next();

 private:
  enum class Initial { Waiting, Running, Over };
  enum class Stage { None, Requested, Started };
  GuardStep EndProcess();
  void Forget();  // what the web process had and owed is gone with it

  Clock& clock_;
  std::uint64_t heard_ = 0;
  Initial initial_ = Initial::Waiting;
  Stage stage_ = Stage::None;
  std::string requested_url_;
  std::string loading_url_;  // the address of the load in progress, as it was requested
  std::string shown_url_;    // the document the web process shows, as it was requested
  std::int64_t requested_at_ = 0, started_at_ = 0;
  bool loading_ = false;
  bool shown_page_ = false;  // the current web process is up: it has committed a page

  int question_ = 0;  // the number of the question last asked
  bool question_open_ = false, answered_ = false;
  std::int64_t asked_at_ = 0, answered_at_ = 0;
  int dialogs_since_question_ = 0;

  // The check before one navigation.
  bool checking_ = false, holding_dialog_ = false, dialog_held_ = false;
  std::int64_t check_began_ = 0, answer_limit_ = 0, hold_until_ = 0;
};

}  // namespace kestrova
