#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "browse/navigation_guard.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

// Plays a script of the browser's events and of due navigations ("<ms> <what> [url]", joined by
// "|") against the guard on the virtual clock, as the browse loop and the browser would: a
// navigation follows the guard's steps, a wait ends at its time or at the next event, and the
// web process answers each question `delay` ms after it was asked (-1: never). Returns what was
// done: "<ms> request <url>", "<ms> ask", "<ms> hold" (a dialog held), "<ms> end".
std::string Play(const std::string& script) {
  testing::Fake clock;
  NavigationGuard guard(clock);
  std::multimap<std::int64_t, std::pair<std::string, std::string>> items;
  std::istringstream in(script);
  for (std::string item; std::getline(in, item, '|');) {
    std::istringstream words(item);
    std::int64_t ms = 0;
    std::string what, url;
    words >> ms >> what >> url;
    items.emplace(ms, std::pair(what, url));
  }
  std::string done;
  std::int64_t delay = 2;
  auto& now = clock.now_ms;
  auto note = [&](const std::string& what) { done += (done.empty() ? "" : "|") + std::to_string(now) + " " + what; };
  auto ask = [&] {
    note("ask");
    const int question = guard.QuestionAsked();
    if (delay >= 0) items.emplace(now + delay, std::pair("reply", std::to_string(question)));
  };
  auto apply = [&](const std::string& what, const std::string& url) {
    if (what == "start") guard.LoadStarted();
    if (what == "commit" && guard.LoadCommitted()) ask();
    if (what == "redirect") guard.LoadRedirected();
    if (what == "answer") guard.Answered();
    if (what == "finish") guard.LoadFinished();
    if (what == "fail") guard.LoadFailed(url);
    if (what == "crash") guard.WebProcessEnded();
    if (what == "dialog" && guard.DialogRaised()) note("hold");
    if (what == "reply") guard.QuestionAnswered(std::stoi(url));
    if (what == "delay") delay = std::stoll(url);
  };
  while (!items.empty()) {
    auto [ms, item] = *items.begin();
    items.erase(items.begin());
    now = std::max(now, ms);
    if (item.first != "nav") {
      apply(item.first, item.second);
      continue;
    }
    for (GuardStep step = guard.Next(); step.kind != GuardStep::Kind::Request; step = guard.Next()) {
      if (step.kind == GuardStep::Kind::Ask) ask();
      if (step.kind == GuardStep::Kind::EndProcess) note("end"), guard.WebProcessEnded();
      if (step.kind != GuardStep::Kind::Wait) continue;
      if (step.until_ms <= now) return done + "|a wait that is over";
      const auto next = items.begin();
      if (next != items.end() && next->first <= step.until_ms && next->second.first != "nav") {
        now = std::max(now, next->first);
        const auto [what, url] = next->second;
        items.erase(next);
        apply(what, url);
      } else {
        now = step.until_ms;
      }
    }
    note("request " + item.second);
    guard.LoadRequested(item.second);
  }
  return done;
}

// The view's own blank load has run, and page a has loaded in a process that answers in 2 ms.
const std::string kShown = "0 start|1 commit|3 finish|100 nav http://a/|110 start|120 answer|130 commit|140 finish|";
const std::string kShownDone = "1 ask|100 ask|102 request http://a/|130 ask|";

// clang-format off
// Each row names the rule it covers: the one that a mutant breaking it makes fail.
TEST(NavigationGuard, Scenarios) {
  const std::pair<std::string, std::string> rows[] = {
      // The view's own first load starts only once the process is up, after the first request:
      // its start and commit are not the request's (the request's own start is awaited).
      {"0 nav http://a/|1000 nav http://b/|1500 start|1550 commit|1560 finish|1700 start|1750 answer",
       "0 request http://a/|1550 ask|1750 ask|1752 request http://b/"},
      // A first page still unsent under load: its start is awaited up to 5 s after its request.
      {"0 start|1 commit|3 finish|100 nav http://a/|3300 start|3350 answer|1100 nav http://b/",
       "1 ask|100 ask|102 request http://a/|3350 ask|3352 request http://b/"},
      {"0 start|1 commit|3 finish|100 nav http://a/|1100 nav http://b/", "1 ask|100 ask|102 request http://a/|5102 ask|"
       "5104 request http://b/"},
      // A process idle after a download (its load failed, so not loading) that answers in 0.7 s is kept.
      {kShown + "1100 nav http://a/download|1110 start|1120 answer|1125 fail http://a/download|1126 finish|2000 delay 700|"
       "2100 nav http://b/", kShownDone + "1100 ask|1102 request http://a/download|2100 ask|2800 request http://b/"},
      // A 20 MB page still parsing: while it loads, an answer must come within half a second.
      {kShown + "1100 nav http://a/huge|1110 start|1120 answer|1130 commit|1500 delay 800|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/huge|1130 ask|2100 ask|2600 end|2600 request http://b/"},
      // An endless script: the question of the commit, unanswered since, is not asked again; a last look.
      {kShown + "1100 nav http://a/endless|1110 start|1120 answer|1125 delay -1|1130 commit|3100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/endless|1130 ask|3150 end|3150 request http://b/"},
      // A dialog loop: the next dialog is held before the process is ended; at most 300 ms.
      {kShown + "1100 nav http://a/dialogs|1110 start|1120 answer|1125 delay -1|1130 commit|1140 dialog|3100 nav http://b/|"
       "3200 dialog|3210 dialog", kShownDone + "1100 ask|1102 request http://a/dialogs|1130 ask|3200 hold|3200 end|"
       "3200 request http://b/"},
      {kShown + "1100 nav http://a/dialogs|1110 start|1120 answer|1125 delay -1|1130 commit|1140 dialog|3100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/dialogs|1130 ask|3450 end|3450 request http://b/"},
      // A refused port: the failure ends the wait; so does a request cancelled (by Stop) before it started.
      {kShown + "1100 nav http://a:9/|1110 start|1115 fail http://a:9/|1116 finish|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a:9/|2100 ask|2102 request http://b/"},
      {kShown + "1100 nav http://c/|1150 fail http://c/|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://c/|2100 ask|2102 request http://b/"},
      // A server that never answers holds the next page one second after the start.
      {kShown + "1100 nav http://a:8/|1600 start|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a:8/|2600 ask|2602 request http://b/"},
      // A redirect is the server's answer.
      {kShown + "1100 nav http://a/r|1110 start|1120 redirect|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/r|2100 ask|2102 request http://b/"},
      // A fragment-only entry after its page starts no load; another page's fragment does.
      {kShown + "1100 nav http://a/#x|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/#x|2100 ask|2102 request http://b/"},
      {kShown + "1100 nav http://c/#x|2100 nav http://b/",
       kShownDone + "1100 ask|1102 request http://c/#x|6102 ask|6104 request http://b/"},
      // A process that crashed took its requests and its question: a fresh one is not asked.
      {kShown + "1100 nav http://a/p|1110 start|1120 crash|2100 nav http://b/|2110 start|3100 nav http://c/",
       kShownDone + "1100 ask|1102 request http://a/p|2100 request http://b/|3110 request http://c/"},
      // An answer later than the limit counts as none; one from an ended process, as nothing.
      {kShown + "1100 nav http://a/p|1110 start|1120 answer|1125 delay 1090|1130 commit|1140 finish|2200 nav http://b/",
       kShownDone + "1100 ask|1102 request http://a/p|1130 ask|2220 end|2220 request http://b/"},
  };
  for (const auto& [script, done] : rows) EXPECT_EQ(Play(script), done) << script;
}
// clang-format on

}  // namespace
}  // namespace kestrova
