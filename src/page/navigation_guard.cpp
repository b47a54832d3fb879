#include "page/navigation_guard.h"

#include <algorithm>

namespace kestrova {
namespace {

// WebKit hands a request to the web process only once that process is up, and a request that
// replaces a pending one drops it unsent. A fresh sandboxed process (the program's first, or the
// one after a stuck process was ended) took 1 to 2 s to start its first load at a load average of
// 9, 3 s at worst. Counted from the request, so that it runs beside the interval.
constexpr std::int64_t kStartLimitMs = 5000;

// Once the load has started, the network process still looks the page up in its disk cache before
// it sends the request; a busy one dropped a load cancelled 11 ms after its start, unsent, and at a
// load average of 9 the first page of a run was still unsent 300 ms after its start. The server's
// answer proves the request went out; a server that never answers holds the next page this long.
constexpr std::int64_t kSendGraceMs = 1000;

// An idle process answers the question within a few milliseconds; on a machine loaded five times
// over a healthy one took more than 300 ms now and then, and ending it cost a fresh process's
// start of seconds. One that has not answered after a second is running something it will not
// soon leave: an endless script, a loop of dialogs, a page too big to lay out.
constexpr std::int64_t kAnswerLimitMs = 1000;

// While its page still loads, the process is busy with the page itself, and only a prompt answer
// will do: one parsing a 20 MB page under load answered after 0.9 s and then took more than 5 s to
// start the next load. An existing process started a load within 450 ms at worst on a machine
// loaded twice over.
constexpr std::int64_t kAnswerWhileLoadingMs = 500;

// What an answer already on its way needs to be taken in from the queue.
constexpr std::int64_t kLastLookMs = 50;

// A page that loops on script dialogs has one on its way at nearly every moment, and WebKit leaks
// the process's connection (a thread and about 200 KB) when the process is ended with a dialog in
// flight. Its next dialog is held unanswered, which halts the loop, before the process is ended;
// one is due at any moment, so this wait is short.
constexpr std::int64_t kDialogHoldMs = 300;

GuardStep Wait(std::int64_t until_ms) { return {GuardStep::Kind::Wait, until_ms}; }

// A navigation that differs from the shown document only in its fragment scrolls that document:
// no load starts, nothing is sent.
bool SameDocument(const std::string& shown, const std::string& next) {
  const auto fragment = next.find('#');
  return fragment != std::string::npos && !shown.empty() &&
         shown.substr(0, shown.find('#')) == next.substr(0, fragment);
}

}  // namespace

void NavigationGuard::LoadRequested(const std::string& url) {
  ++heard_;
  checking_ = false;
  stage_ = SameDocument(shown_url_, url) ? Stage::None : Stage::Requested;
  requested_url_ = url;
  requested_at_ = clock_.NowMs();
}

bool NavigationGuard::LoadStarted() {
  ++heard_;
  loading_ = true;
  // The view's own load starts first, whenever its web process is up, even after a request came:
  // none of its events, up to its end, are the request's.
  if (initial_ != Initial::Over) {
    initial_ = Initial::Running;
    return false;
  }
  // A load that the page started itself (a script, a refresh) goes to an address unknown here.
  loading_url_.clear();
  if (stage_ == Stage::Requested) {
    stage_ = Stage::Started;
    started_at_ = clock_.NowMs();
    loading_url_ = requested_url_;
  }
  return true;
}

bool NavigationGuard::LoadCommitted() {
  ++heard_;
  shown_page_ = true;
  if (initial_ == Initial::Over) {
    shown_url_ = loading_url_;
    if (stage_ == Stage::Started) stage_ = Stage::None;
  }
  // A question still open keeps its time: the process has owed the answer since then.
  return !question_open_ || answered_;
}

void NavigationGuard::LoadRedirected() { Answered(); }

void NavigationGuard::Answered() {
  ++heard_;
  if (initial_ == Initial::Over && stage_ == Stage::Started) stage_ = Stage::None;
}

void NavigationGuard::LoadFinished() {
  ++heard_;
  loading_ = false;
  initial_ = Initial::Over;
}

void NavigationGuard::LoadFailed(const std::string& url) {
  ++heard_;
  if (initial_ != Initial::Over) return;  // its end follows
  // A request cancelled before it started (by Stop) starts no more.
  if (stage_ == Stage::Started || (stage_ == Stage::Requested && url == requested_url_)) stage_ = Stage::None;
}

void NavigationGuard::WebProcessEnded() {
  ++heard_;
  Forget();
}

bool NavigationGuard::DialogRaised() {
  ++heard_;
  ++dialogs_since_question_;
  if (holding_dialog_) dialog_held_ = true;
  return holding_dialog_;
}

int NavigationGuard::QuestionAsked() {
  ++heard_;
  question_open_ = true;
  answered_ = false;
  asked_at_ = clock_.NowMs();
  dialogs_since_question_ = 0;
  return ++question_;
}

void NavigationGuard::QuestionAnswered(int question) {
  ++heard_;
  if (question != question_ || !question_open_ || answered_) return;  // a question of an ended process
  answered_ = true;
  answered_at_ = clock_.NowMs();
}

void NavigationGuard::Forget() {
  initial_ = Initial::Over;
  stage_ = Stage::None;
  loading_ = shown_page_ = false;
  shown_url_.clear();
  loading_url_.clear();
  question_open_ = answered_ = false;
  dialogs_since_question_ = 0;
  checking_ = holding_dialog_ = dialog_held_ = false;
}

GuardStep NavigationGuard::EndProcess() {
  Forget();
  return {GuardStep::Kind::EndProcess, 0};
}

GuardStep NavigationGuard::Next() {
  const std::int64_t now = clock_.NowMs();
  // The page requested before must have been sent, or the request would drop it.
  if (stage_ == Stage::Requested && now < requested_at_ + kStartLimitMs) return Wait(requested_at_ + kStartLimitMs);
  if (stage_ == Stage::Started && now < started_at_ + kSendGraceMs) return Wait(started_at_ + kSendGraceMs);
  stage_ = Stage::None;

  // A process still starting cannot answer yet, and one that has shown no page has nothing to be
  // stuck in.
  if (!shown_page_) return {};
  if (!checking_) {
    checking_ = true;
    holding_dialog_ = dialog_held_ = false;
    check_began_ = now;
    answer_limit_ = loading_ ? kAnswerWhileLoadingMs : kAnswerLimitMs;
    // One that answered the question of its page's commit is asked again now; one that has owed
    // the answer since then has had that time already.
    if (!question_open_ || answered_) return {GuardStep::Kind::Ask, 0};
  }
  if (!question_open_) return {};  // the browser could not ask: nothing to hold the page for
  if (answered_) {
    // An answer that came later than the limit counts as none: the process was too busy to take
    // the next page.
    if (answered_at_ <= asked_at_ + answer_limit_ + kLastLookMs) return {};
  } else if (const std::int64_t deadline = std::max(asked_at_ + answer_limit_, check_began_ + kLastLookMs);
             now < deadline) {
    return Wait(deadline);
  }
  if (dialogs_since_question_ > 0 && !dialog_held_) {
    if (!holding_dialog_) {
      holding_dialog_ = true;
      hold_until_ = now + kDialogHoldMs;
    }
    if (now < hold_until_) return Wait(hold_until_);
  }
  return EndProcess();
}

}  // namespace kestrova
