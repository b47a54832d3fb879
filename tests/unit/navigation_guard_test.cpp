#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "page/navigation_guard.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

// Plays a script against the guard on the virtual clock, as the browse loop and the browser would,
// and returns what was done. The script's items are "<ms> <code> [argument]" joined by "|":
//   n URL  a navigation is due: it follows the guard's steps, each wait ending at its time or at
//          the next event, until the page is requested
//   s c a r f  the load started, committed, was answered (its response), redirected, finished
//   x URL  a load failed      k  the web process ended      d  the page raised a script dialog
//   q MS   from now on the web process answers a question MS after it (-1: never; 2 at first)
// What was done: "<ms> R URL" (requested), "<ms> A" (a question asked), "<ms> H" (a dialog held),
// "<ms> E" (the web process ended).
std::string Play(const std::string& script) {
  testing::Fake clock;
  NavigationGuard guard(clock);
  std::multimap<std::int64_t, std::string> items;
  std::istringstream in(script);
  for (std::string item; std::getline(in, item, '|');) items.emplace(std::stoll(item), item.substr(item.find(' ') + 1));
  std::string done;
  std::int64_t& now = clock.now_ms;
  std::int64_t delay = 2;
  auto note = [&](const std::string& what) { done += (done.empty() ? "" : "|") + std::to_string(now) + " " + what; };
  auto ask = [&] {
    note("A");
    const int question = guard.QuestionAsked();
    if (delay >= 0) items.emplace(now + delay, "y " + std::to_string(question));
  };
  auto apply = [&](const std::string& item) {
    const std::string argument = item.size() > 2 ? item.substr(2) : "";
    switch (item[0]) {
      case 's': guard.LoadStarted(); break;
      case 'c':
        if (guard.LoadCommitted()) ask();
        break;
      case 'a': guard.Answered(); break;
      case 'r': guard.LoadRedirected(); break;
      case 'f': guard.LoadFinished(); break;
      case 'x': guard.LoadFailed(argument); break;
      case 'k': guard.WebProcessEnded(); break;
      case 'd':
        if (guard.DialogRaised()) note("H");
        break;
      case 'y': guard.QuestionAnswered(std::stoi(argument)); break;
      case 'q': delay = std::stoll(argument); break;
    }
  };
  while (!items.empty()) {
    const auto [ms, item] = *items.begin();
    items.erase(items.begin());
    now = std::max(now, ms);
    if (item[0] != 'n') {
      apply(item);
      continue;
    }
    for (GuardStep step = guard.Next(); step.kind != GuardStep::Kind::Request; step = guard.Next()) {
      if (step.kind == GuardStep::Kind::Ask) ask();
      if (step.kind == GuardStep::Kind::EndProcess) note("E"), guard.WebProcessEnded();
      if (step.kind != GuardStep::Kind::Wait) continue;
      if (step.until_ms <= now) return done + "|a wait that is over";
      const auto next = items.begin();
      if (next == items.end() || next->first > step.until_ms || next->second[0] == 'n') {
        now = step.until_ms;
        continue;
      }
      now = std::max(now, next->first);
      const std::string event = next->second;
      items.erase(next);
      apply(event);
    }
    note("R " + item.substr(2));
    guard.LoadRequested(item.substr(2));
  }
  return done;
}

// clang-format off
// The view's own load has run, and page a has loaded in a process that answers in 2 ms.
const std::string kShown = "0 s|1 c|3 f|100 n a|110 s|120 a|130 c|140 f|", kShownDone = "1 A|100 A|102 R a|130 A|";
// A row for each case that the soaks found, and for each rule that a mutant of it would break.
TEST(NavigationGuard, Scenarios) {
  const std::pair<std::string, std::string> rows[] = {
      // The view's own first load starts only once the process is up, after the first request: its
      // start and commit are not the request's, whose own start is awaited.
      {"0 n a|1000 n b|1500 s|1550 c|1560 f|1700 s|1750 a", "0 R a|1550 A|1750 A|1752 R b"},
      // A first page still unsent under load: its start is awaited up to 5 s after its request.
      {"0 s|1 c|3 f|100 n a|3300 s|3350 a|1100 n b", "1 A|100 A|102 R a|3350 A|3352 R b"},
      // A process idle after a download (its load failed: not loading) that answers in 0.7 s is kept.
      {kShown + "1100 n d|1110 s|1120 a|1125 x d|1126 f|2000 q 700|2100 n b", kShownDone + "1100 A|1102 R d|2100 A|2800 R b"},
      // A 20 MB page still parsing: while its page loads, a process must answer within half a second.
      {kShown + "1100 n h|1110 s|1120 a|1130 c|1500 q 800|2100 n b", kShownDone + "1100 A|1102 R h|1130 A|2100 A|2600 E|2600 R b"},
      // An endless script: the question of the commit, unanswered since, is not asked again; a last look.
      {kShown + "1100 n e|1110 s|1120 a|1125 q -1|1130 c|3100 n b", kShownDone + "1100 A|1102 R e|1130 A|3150 E|3150 R b"},
      // A dialog loop: the next dialog is held before the process is ended, or 300 ms pass.
      {kShown + "1100 n d|1110 s|1120 a|1125 q -1|1130 c|1140 d|3100 n b|3200 d|3210 d",
       kShownDone + "1100 A|1102 R d|1130 A|3200 H|3200 E|3200 R b"},
      {kShown + "1100 n d|1110 s|1120 a|1125 q -1|1130 c|1140 d|3100 n b", kShownDone + "1100 A|1102 R d|1130 A|3450 E|3450 R b"},
      // A refused port: its failure is the end of the wait; so is a request cancelled (Stop) before its start.
      {kShown + "1100 n p|1110 s|1115 x p|1116 f|2100 n b", kShownDone + "1100 A|1102 R p|2100 A|2102 R b"},
      {kShown + "1100 n c|1150 x c|2100 n b", kShownDone + "1100 A|1102 R c|2100 A|2102 R b"},
      // A server that never answers holds the next page one second after the start.
      {kShown + "1100 n z|1600 s|2100 n b", kShownDone + "1100 A|1102 R z|2600 A|2602 R b"},
      // A redirect is the server's answer.
      {kShown + "1100 n r|1110 s|1120 r|2100 n b", kShownDone + "1100 A|1102 R r|2100 A|2102 R b"},
      // A fragment-only entry after its page starts no load; a fragment of another page does.
      {kShown + "1100 n a#x|2100 n b", kShownDone + "1100 A|1102 R a#x|2100 A|2102 R b"},
      {kShown + "1100 n c#x|2100 n b", kShownDone + "1100 A|1102 R c#x|6102 A|6104 R b"},
      // A process that crashed took its requests and its question: a fresh one is not asked.
      {kShown + "1100 n p|1110 s|1120 k|2100 n b|2110 s|3100 n c", kShownDone + "1100 A|1102 R p|2100 R b|3110 R c"},
      // An answer later than the limit counts as none.
      {kShown + "1100 n p|1110 s|1120 a|1125 q 1090|1130 c|1140 f|2200 n b", kShownDone + "1100 A|1102 R p|1130 A|2220 E|2220 R b"},
  };
  for (const auto& row : rows) EXPECT_EQ(Play(row.first), row.second) << "row " << &row - rows;
}
// clang-format on

}  // namespace
}  // namespace kestrova
