#include <gtest/gtest.h>

#include <string>

#include "app/shutdown.h"
#include "app/startup.h"
#include "browse/run_control.h"
#include "browse/visit_log.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Harness;
using testing::Lines;

TEST(VisitLine, IsOneJsonObjectWithTheOffsetAndAnEscapedUrl) {
  const LocalTime winter{2026, 12, 7, 9, 30, 0, 60};
  const LocalTime india{2027, 1, 2, 3, 4, 5, -(5 * 60 + 30)};
  const LocalTime utc{2026, 6, 1, 0, 0, 9, 0};
  struct Case {
    VisitRecord visit;
    std::string line;
  };
  const Case cases[] = {
      {{winter, 1, 0, "http://example.org/", LoadOutcome::Status(200), 412},
       R"({"time":"2026-12-07T09:30:00+01:00","pass":1,"index":0,"url":"http://example.org/","status":200,"ms":412})"},
      {{india, 12, 3, "http://a/\"q\"\\\n\t", LoadOutcome::Failed(LoadError::Refused), 7},
       R"({"time":"2027-01-02T03:04:05-05:30","pass":12,"index":3,"url":"http://a/\"q\"\\\u000a\u0009","error":"refused","ms":7})"},
      {{utc, 2, 1, "h\xc3\xa9 \xe9 \xed\xa0\x80", LoadOutcome::Failed(LoadError::WebProcessEnded), 0},
       R"({"time":"2026-06-01T00:00:09+00:00","pass":2,"index":1,"url":"hé \ufffd \ufffd\ufffd\ufffd","error":"web-process-ended","ms":0})"},
      {{utc, 1, 0, "\xf0\x9f\x98\x80\xe2\x82" "A\xe2\x82\x80", LoadOutcome::Status(200), 5},
       R"({"time":"2026-06-01T00:00:09+00:00","pass":1,"index":0,"url":"😀\ufffd\ufffdA₀","status":200,"ms":5})"},
      // At the edges of UTF-8: the lowest and highest two-byte forms, an overlong three- and four-byte
      // form, one past the last code point, a three-byte form ending in its highest byte, a cut form.
      {{utc, 1, 1, "\xc2\x80\xdf\xbf\xe0\x9f\xbf\xf0\x8f\xbf\xbf\xf4\x90\x80\x80\xe1\x80\xbf\xc2",
        LoadOutcome::Status(200), 5},
       "{\"time\":\"2026-06-01T00:00:09+00:00\",\"pass\":1,\"index\":1,\"url\":\"\xc2\x80\xdf\xbf"
       "\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\xe1\x80\xbf\\ufffd\",\"status\":200,\"ms\":5}"},
  };
  for (const Case& c : cases) EXPECT_EQ(VisitLine(c.visit), c.line);

  const std::pair<LoadError, std::string> names[] = {
      {LoadError::Timeout, "timeout"}, {LoadError::Dns, "dns"},     {LoadError::Tls, "tls"},
      {LoadError::Cancelled, "cancelled"}, {LoadError::Other, "other"}};
  for (const auto& [error, name] : names) {
    const std::string line = VisitLine({utc, 1, 0, "u", LoadOutcome::Failed(error), 1});
    EXPECT_NE(line.find(",\"error\":\"" + name + "\",\"ms\":1}"), std::string::npos) << line;
  }
}

// Two passes over two items at one second, with the browser's load events scripted: ends heard
// before the visit's own load began belong to the load it replaced, a visit still loading at
// the next navigation is cancelled, and so is the one the program ends in.
TEST(VisitLog, FollowsEachVisitFromItsNavigationToItsLoadEnd) {
  Harness h;
  h.app.command_line = "/t=1 /l=/tmp/visits.jsonl";
  Form_Load(h.form);
  h.SetPlaylist({"http://a/", "http://b/"});
  h.form.ckCache.SetValue(CheckBox::kUnticked);
  h.clock.local = {2026, 12, 7, 9, 30, 0, 60};
  auto& log = h.form.visit_log;
  const auto refused = LoadOutcome::Failed(LoadError::Refused), cancelled = LoadOutcome::Failed(LoadError::Cancelled);
  h.pump.At(100, [&] { log.LoadEnded(LoadOutcome::Status(200)); });
  h.pump.At(150, [&] { log.LoadStarted(); });
  h.pump.At(400, [&] { log.LoadEnded(LoadOutcome::Status(200)); });
  h.pump.At(1100, [&] { log.LoadStarted(); });
  h.pump.At(2050, [&] { log.LoadEnded(cancelled); });
  h.pump.At(2100, [&] { log.LoadStarted(); });
  h.pump.At(2200, [&] { log.LoadEnded(refused); });
  h.pump.At(2300, [&] { log.LoadEnded(LoadOutcome::Status(404)); });
  h.pump.At(3100, [&] { log.LoadStarted(); });
  h.pump.At(3500, [&] { Exit_Click(h.form); });
  EXPECT_TRUE(h.EndsProgram([&] { start_button_Click(h.form); }));

  const std::string time = R"({"time":"2026-12-07T09:30:00+01:00",)";
  EXPECT_EQ(h.visit_file.path, "/tmp/visits.jsonl");
  EXPECT_EQ(h.visit_file.lines,
            (Lines{time + R"("pass":1,"index":0,"url":"http://a/","status":200,"ms":400})",
                   time + R"("pass":1,"index":1,"url":"http://b/","error":"cancelled","ms":1000})",
                   time + R"("pass":2,"index":0,"url":"http://a/","error":"refused","ms":200})",
                   time + R"("pass":2,"index":1,"url":"http://b/","error":"cancelled","ms":500})"}));
}

// A log that cannot be written says so once on standard error, and the run goes on.
TEST(VisitLog, AFileThatFailsIsReportedOnceAndTheRunGoesOn) {
  for (const bool open_fails : {true, false}) {
    Harness h;
    (open_fails ? h.visit_file.fail_open : h.visit_file.fail_append) = "No space left on device";
    h.app.command_line = "/t=1 /l=/full/v.jsonl";
    Form_Load(h.form);
    h.SetPlaylist({"a", "b", "c"});
    h.form.ckLoop.SetValue(CheckBox::kUnticked);
    h.form.ckCache.SetValue(CheckBox::kUnticked);
    start_button_Click(h.form);
    Lines said;
    int navigations = 0;
    for (const auto& entry : h.journal.entries) {
      if (entry.what.rfind("warn", 0) == 0) said.push_back(entry.what);
      if (entry.what.rfind("navigate", 0) == 0) ++navigations;
    }
    EXPECT_EQ(said, Lines{open_fails ? "warn kestrova: cannot open the visit log /full/v.jsonl: No space left on device"
                                     : "warn kestrova: cannot write to the visit log: No space left on device"});
    EXPECT_EQ(navigations, 3) << "the run went on to its end";
  }
}

}  // namespace
}  // namespace kestrova
