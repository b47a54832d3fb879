#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup.h"
#include "browse/interval_wait.h"
#include "browse/option_toggles.h"
#include "browse/purge.h"
#include "browse/run_control.h"
#include "browse/shutdown.h"
#include "help/about.h"
#include "page/url_text.h"
#include "page/visit_log.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

using testing::Click;
using testing::Fake;
using testing::Handler;
using testing::Lines;

Fake& Of(Form2& form) { return static_cast<Fake&>(form.services.app); }
// A journal a line an entry, so that a failure shows the lines that differ.
std::string AsLines(std::string journal) {
  std::ranges::replace(journal, '|', '\n');
  return journal;
}
// Journals the disabled controls, in tab order.
void Locked(Form2& form) {
  std::string names = "locked";
  for (Control* c : form.TabOrder()) names += c->Enabled() ? "" : " " + c->Name();
  Of(form).Log(names);
}
void LoopOn(Form2& form) { form.ckLoop.SetValue(CheckBox::kTicked); }
void ExitOn(Form2& form) { form.ckExit.SetValue(CheckBox::kTicked); }
void CacheOff(Form2& form) { form.ckCache.SetValue(CheckBox::kUnticked); }
void CacheOn(Form2& form) { form.ckCache.SetValue(CheckBox::kTicked); }
// The file dialog answers a list of two entries.
void LoadsList(Fake& f) { f.answers = {"/lists/a.txt"}, f.files["/lists/a.txt"] = "c\r\nd\r\n"; }
// The browser's load events, as the visit log hears them.
void Started(Form2& form) { form.visit_log.LoadStarted(); }
template <int status>
void Ended(Form2& form) {
  form.visit_log.LoadEnded(LoadOutcome::Status(status));
}
template <LoadError error>
void Failed(Form2& form) {
  form.visit_log.LoadEnded(LoadOutcome::Failed(error));
}
// The navigation guard hears that the view's own load is over and the page just requested is
// pending; then that its load started.
void Pending(Form2& form) { form.navigation_guard.LoadFinished(), form.navigation_guard.LoadRequested("a"); }
void Sending(Form2& form) { form.navigation_guard.LoadStarted(); }

// A window just loaded, Loop unticked, interval 30 s. `at` are the user's actions during the
// handlers; `watch` journals the list's selection, the current URL, the passes and the browser.
struct Scenario {
  const char* name;
  Lines items;
  std::vector<Handler> handlers;
  std::vector<std::pair<std::int64_t, Handler>> at;
  std::string journal;
  bool watch = false;
  std::int64_t since = 0;
  std::string command_line{};
  void (*setup)(Fake&) = nullptr;  // before the load step
};

// Hand-aligned tables: each row reads as one case.
// clang-format off
// A stop inside a wait is seen at the start of the next stage (3 s); at the last item the pass
// still completes, and Loop and Exit decide what follows. Options are read where they are used.
// A start inside a wait supersedes the run: it requests nothing more, counts no pass, ignores Exit.
// The item count is read at the start of a pass; a list replaced during it is walked up to that
// count or its own end. With arguments every activation starts a run from the first item of the
// list named by /f= (a dot in a folder's name hides nothing), waiting /t=; without, none does. A
// visit log that cannot be written says so once on standard error, and the run goes on.
TEST(Handlers, Scenarios) {
  const Handler start = Click<&Form2::start_button>;
  const std::string line = R"( append {"time":"2026-12-07T09:30:00+01:00","pass":)";
  const Scenario scenarios[] = {
      {"a run locks, walks and unlocks", {"a", "b"}, {Locked, [](Form2& f) { f.lstPlayList.SetListIndex(0); }, start, Locked}, {{1000, Locked}},
       "0 locked url1_count_txt|0 lstPlayList 0|0 url1_count_txt 0|0 WebBrowser1 shown|0 silent on|0 lstPlayList 0|"
       "0 txt_url1 a|0 purge a|0 navigate a|1000 locked url1_count_txt txt_url1 chk_random txt_interval cmdAddItem "
       "cmdRemoveItem|30000 lstPlayList 1|30000 txt_url1 b|30000 purge b|30000 navigate b|60000 url1_count_txt 1|"
       "60000 browser stop|60000 run ended|60000 locked",
       true},
      {"File > Stop in a wait", {"a", "b", "c"}, {start}, {{35000, Click<&Form2::Stop>}},
       "35000 browser stop|36000 lstPlayList 2|36000 txt_url1 c|36000 run ended", true, 35000},
      {"Stop with Loop ticked", {"a", "b"}, {start}, {{0, LoopOn}, {35000, Click<&Form2::Stop>}}, "35000 browser stop|36000 url1_count_txt 1|"
       "36000 silent on|36000 lstPlayList 0|36000 txt_url1 a|36000 run ended", true, 35000},
      {"Stop with Exit ticked", {"a", "b"}, {start}, {{0, ExitOn}, {35000, Click<&Form2::stop_button>}}, "35000 browser stop|36000 url1_count_txt 1|"
       "36000 browser stop|36000 browser stop|36000 hide window|36000 end program", true, 35000},
      {"options read where used", {"http://a", "http://b"}, {start}, {{5000, CacheOff}, {35000, LoopOn}, {65000, CacheOn}, {95000, ExitOn}},
       "0 silent on|0 purge http://a/|0 navigate http://a/|30000 navigate http://b|60000 silent on|"
       "60000 navigate http://a|90000 purge http://b/|90000 navigate http://b/|120000 browser stop|"
       "120000 browser stop|120000 hide window|120000 end program"},
      {"a start inside a wait", {"a", "b"}, {start}, {{35000, [](Form2& f) { f.Start.Click(), ExitOn(f); }}},
       "0 silent on|0 purge a|0 navigate a|30000 purge b|30000 navigate b|35000 silent on|35000 purge a|"
       "35000 navigate a|65000 purge b|65000 navigate b|95000 browser stop|95000 run ended|95900 run ended"},
      {"a shorter list meanwhile", {"a", "b", "c"}, {start}, {{0, CacheOff}, {5000, [](Form2& f) { f.lstPlayList.ReplaceAll({"x", "y"}); }}},
       "30000 navigate y|60000 browser stop|60000 run ended", false, 30000},
      {"a longer list meanwhile", {"a", "b", "c"}, {start}, {{0, CacheOff}, {5000, [](Form2& f) { f.lstPlayList.ReplaceAll({"w", "x", "y", "z"}); }}},
       "30000 navigate x|60000 navigate y|90000 browser stop|90000 run ended", false, 30000},
      {"File > Exit", {}, {Click<&Form2::Exit>}, {}, "0 browser stop|0 hide window|0 end program"},
      {"closing the window", {}, {Form_QueryUnload}, {}, "0 end program"},
      // Open from the menu stops a run before it shows the dialog; the button leaves the run going
      // on the list it loaded.
      {"File > Open stops the run", {"a", "b"}, {CacheOff, start}, {{500, Click<&Form2::Load>}}, "500 browser stop|500 open dialog at |3000 run ended",
       false, 500, "", LoadsList},
      {"the Open button does not", {"a", "b"}, {CacheOff, start}, {{500, Click<&Form2::cmdOpen>}}, "500 open dialog at |30000 navigate d|"
       "60000 browser stop|60000 run ended", false, 500, "", LoadsList},
      {"the help documents", {}, {Click<&Form2::Contents>, Click<&Form2::License>}, {}, "0 WebBrowser1 shown|0 silent on|0 navigate /opt/kestrova/help.html|"
       "0 silent on|0 navigate /opt/kestrova/license-pro.html", true},
      // The About box renames the application for good: untitled message boxes carry the new name.
      {"About renames the application", {}, {start, Click<&Form2::About>, [](Form2& f) { AboutDialog d; frmAbout_Load(d, f); Of(f).Log(d.caption + ": " + d.lblDescription); }, start},
       {}, "0 message Corvane: Please enter at least one URL or open a file.|0 show about|0 About Kestrova: This "
       "program simulates network activity to keep your Internet connection alive.|"
       "0 message Kestrova: Please enter at least one URL or open a file."},
      {"no arguments, no start", {"a", "b"}, {CacheOff, Form_Activate, Form_Activate}, {}, ""},
      {"every activation starts", {}, {CacheOff, Form_Activate, Form_Activate}, {}, "0 silent on|0 navigate a|2000 navigate b|4000 browser stop|"
       "4000 run ended|4000 silent on|4000 navigate a|6000 navigate b|8000 browser stop|8000 run ended", false, 0,
       "/t=2 /f=/.dot/list.txt", [](Fake& f) { f.files["/.dot/list.txt"] = "a\r\nb\r\n"; }},
      {"the log cannot be opened", {"a", "b", "c"}, {CacheOff, start}, {}, "0 open /full/v.jsonl|0 warn kestrova: cannot open the visit log "
       "/full/v.jsonl: No space left on device|0 silent on|0 navigate a|1000 navigate b|2000 navigate c|"
       "3000 browser stop|3000 run ended", false, 0, "/t=1 /l=/full/v.jsonl",
       [](Fake& f) { f.open_error = "No space left on device"; }},
      {"the log cannot be written", {"a", "b", "c"}, {CacheOff, start}, {}, "0 open /full/v.jsonl|0 silent on|0 navigate a|1000 warn kestrova: "
       "cannot write to the visit log: No space left on device|1000 navigate b|2000 navigate c|3000 browser stop|"
       "3000 run ended", false, 0, "/t=1 /l=/full/v.jsonl", [](Fake& f) { f.append_error = "No space left on device"; }},
      // Two passes over two items at one second, with the browser's load events scripted: ends heard
      // before the visit's own load began belong to the load it replaced, a visit still loading at the
      // next navigation is cancelled, and so is the one the program ends in. The log shows the address
      // the browser is to take.
      {"the visit log's lines", {"http://a/", " b/ "}, {CacheOff, LoopOn, start}, {{100, Ended<200>}, {150, Started}, {400, Ended<200>},
       {1100, Started}, {2050, Failed<LoadError::Cancelled>}, {2100, Started}, {2200, Failed<LoadError::Refused>},
       {2300, Ended<404>}, {3100, Started}, {3500, Click<&Form2::Exit>}}, "0 open /tmp/visits.jsonl|0 silent on|"
       "0 navigate http://a/|400" + line + R"(1,"index":0,"url":"http://a/","status":200,"ms":400}|1000 navigate  b/ |)"
       "2000 silent on|2000" + line + R"(1,"index":1,"url":"http://b/","error":"cancelled","ms":1000}|)"
       "2000 navigate http://a/|2200" + line + R"(2,"index":0,"url":"http://a/","error":"refused","ms":200}|)"
       "3000 navigate  b/ |3500 browser stop|3500 hide window|3500" + line +
       R"(2,"index":1,"url":"http://b/","error":"cancelled","ms":500}|3500 end program)", false, 0,
       "/t=1 /l=/tmp/visits.jsonl", [](Fake& f) { f.local = {2026, 12, 7, 9, 30, 0, 60}; }},
      // A load that ends with no HTTP answer is no status: the engine refused the port, or the page
      // came from no server.
      {"no HTTP answer is no status", {"HTTPS://127.0.0.1:9/", "/home/a.html", "about:blank"}, {CacheOff, start}, {{100, Started}, {200, Ended<0>},
       {1100, Started}, {1200, Ended<0>}, {2100, Started}, {2200, Ended<0>}}, "200" + line +
       R"(1,"index":0,"url":"HTTPS://127.0.0.1:9/","error":"blocked","ms":200}|1000 navigate /home/a.html|1200)" + line +
       R"(1,"index":1,"url":"/home/a.html","error":"local","ms":200}|2000 navigate about:blank|2200)" + line +
       R"(1,"index":2,"url":"about:blank","error":"local","ms":200}|3000 browser stop|3000 run ended)", false, 200,
       "/t=1 /l=/tmp/visits.jsonl", [](Fake& f) { f.local = {2026, 12, 7, 9, 30, 0, 60}; }},
      // The page waits on the guard as on the interval: a stop then means it is never requested; the
      // wait runs beside the interval, which counts from the request.
      {"Stop while the page waits", {"a", "b"}, {CacheOff, start}, {{0, Pending}, {1500, Click<&Form2::stop_button>}}, "0 silent on|0 navigate a|"
       "1500 browser stop|1500 run ended", false, 0, "/t=1"},
      {"the guard's wait beside the interval", {"a", "b", "c"}, {CacheOff, start}, {{0, Pending}, {300, Sending}}, "0 silent on|0 navigate a|1300 navigate b|"
       "2300 navigate c|3300 browser stop|3300 run ended", false, 0, "/t=1"},
  };
  for (const Scenario& s : scenarios) {
    Fake f;
    f.command_line = s.command_line;
    if (s.setup) s.setup(f);
    f.form.lstPlayList.ReplaceAll(s.items);
    Form_Load(f.form);
    f.form.ckLoop.SetValue(CheckBox::kUnticked);
    for (Control* c : std::vector<Control*>{&f.form.lstPlayList, &f.form.txt_url1, &f.form.url1_count_txt,
                                            &f.form.WebBrowser1}) if (s.watch) f.Watch(*c);
    for (auto [ms, action] : s.at) f.At(ms, [&f, action = action] { action(f.form); });
    f.Play(s.handlers);
    SCOPED_TRACE(s.name);
    EXPECT_EQ(AsLines(f.Journal(s.since)), AsLines(s.journal));
  }
}

// Every change of the value flips the random caption, whoever makes it; only the exact off
// caption turns random on. Exit unticks and disables Loop until Exit is unticked.
TEST(OptionToggles, FollowTheirCheckBoxes) {
  Fake f;
  std::string seen;
  for (int value : {1, 1, 0, 2}) {
    f.form.chk_random.SetValue(value);
    seen += f.form.chk_random.Caption() + ",";
  }
  f.form.chk_random.SetCaption("random - n");
  chk_random_Click(f.form);
  for (int exit : {1, 0, 1}) {
    f.form.ckExit.SetValue(exit);
    seen += std::to_string(f.form.ckLoop.Value()) + (f.form.ckLoop.Enabled() ? "on," : "off,");
  }
  EXPECT_EQ(seen + f.form.chk_random.Caption(), "Random - Y,Random - Y,Random - N,Random - Y,0off,0on,0off,Random - N");
}

// Ten stages of ten slices, a slice a hundredth of the interval rounded half to even; an interval
// too long for 32 bits of seconds waits as long as they hold. Text that is no number of at least 1
// (in the point's or the user's decimal notation) is repaired to "1". A stop is seen at the start
// of a stage, where the text is read afresh. Time spent in other handlers is taken from the
// following slices; a lag of more than a slice (and more than 250 ms) is not caught up. Random mode
// is the exact caption: each stage reseeds and lasts a tenth of the whole part of interval × r,
// plus 1, seconds, drawn from the unrounded interval.
TEST(IntervalWait, Lasts) {
  struct Case {
    std::string text;
    std::int64_t lasts_ms;
    std::string text_after{};  // empty: left as it was
    std::int64_t stop_at = -1, change_at = -1, cost = 0, lag = 0, lag_at = 5100;
    std::string caption = kRandomOff;
    std::deque<float> draws{0.0f};
    char decimal = '.';  // the user's decimal separator
  };
  const Case cases[] = {
      {"30", 30000},        {" +7 ", 7000},        {"", 1000, "1"},     {"abc", 1000, "1"},  {"12abc", 1000, "1"},
      {"\t5", 1000, "1"},   {"inf", 1000, "1"},    {"0.5", 1000, "1"},  {"-4", 1000, "1"},   {"+-7", 1000, "1"},
      {"1", 1000},          {"2.5", 2000},         {"214748364", 214748364000},                {"214748365", 214748365000},
      {"99999999999", 2147483647000},
      {.text = "2,5", .lasts_ms = 2000, .decimal = ','},     {.text = " 2.5 ", .lasts_ms = 2000, .decimal = ','},
      {.text = "2,5", .lasts_ms = 1000, .text_after = "1"},  {.text = "1,5,", .lasts_ms = 1000, .text_after = "1", .decimal = ','},
      {.text = "30", .lasts_ms = 7, .stop_at = 0, .cost = 7},  {.text = "30", .lasts_ms = 6000, .stop_at = 5000},
      {.text = "30", .lasts_ms = 9000, .stop_at = 6001},       {.text = "30", .lasts_ms = 3900, .text_after = "1", .change_at = 200},
      {.text = "30", .lasts_ms = 30007, .cost = 7},            {.text = "30", .lasts_ms = 30000, .lag = 300},
      {.text = "30", .lasts_ms = 30301, .lag = 301},           {.text = "5", .lasts_ms = 5000, .lag = 250, .lag_at = 500},
      {.text = "5", .lasts_ms = 5251, .lag = 251, .lag_at = 500},
      {.text = "10", .lasts_ms = 5500, .caption = kRandomOn, .draws = {0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 0.55f, 0.65f, 0.75f, 0.85f, 0.95f}},
      {.text = "10", .lasts_ms = 10000, .caption = kRandomOn, .draws = {0.99999994f}},
      {.text = "1.5", .lasts_ms = 1900, .caption = kRandomOn, .draws = {0.6f, 0.7f}},
      {.text = "99999999999", .lasts_ms = 2147483647000, .caption = kRandomOn, .draws = {0.5f}},
      {.text = "10", .lasts_ms = 10000, .caption = "random - y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "'" << c.text << "' " << c.caption << ", stop at " << c.stop_at << ", text changed at "
                                      << c.change_at << ", cost " << c.cost << ", lag " << c.lag << " at " << c.lag_at);
    Fake f;
    f.form.txt_interval.SetText(c.text);
    f.form.chk_random.SetCaption(c.caption);
    f.draws = c.draws;
    f.decimal = c.decimal;
    if (c.stop_at >= 0) f.At(c.stop_at, [&] { f.form.StopFlag = kYes; });
    if (c.change_at >= 0) f.At(c.change_at, [&] { f.form.txt_interval.SetText("zz"); });
    f.At(c.lag_at, [&] { f.now_ms += c.lag; });
    f.cost_ms = c.cost;
    pause(f.form);
    EXPECT_EQ(f.now_ms, c.lasts_ms);
    EXPECT_EQ(f.form.txt_interval.Text(), c.text_after.empty() ? c.text : c.text_after);
    EXPECT_EQ(f.reseeds, c.caption == kRandomOn ? 10 : 0) << "each random stage draws afresh";
  }
}

// A visit's line is one JSON object: the local time with its offset, and the URL with every byte
// that is not part of UTF-8 made U+FFFD.
TEST(VisitLog, LineIsOneJsonObject) {
  const LocalTime india{2027, 1, 2, 3, 4, 5, -(5 * 60 + 30)};
  const LocalTime utc{2026, 6, 1, 0, 0, 9, 0};
  const std::pair<VisitRecord, std::string> cases[] = {
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
  for (const auto& [visit, line] : cases) EXPECT_EQ(VisitLine(visit), line);
}

// An entry becomes the address the browser takes: blanks trimmed, http:// where it names no
// scheme or a host and port, a path left a path, blank or too long text a blank page. The purge's guard is the exact
// text "Cookie"; a bare origin gets the slash a browser would show, and is purged (and visited)
// under that name; any other text is purged as it is.
TEST(UrlText, ShapesEntriesAndNamesTheirCacheEntries) {
  using enum ShapedUrl::Kind;
  struct Case { std::string text; ShapedUrl::Kind kind; std::string shaped, purged; };  // purged: the cache entry's name
  const std::string longest(std::size_t{256} * 1024, 'x');
  const Case cases[] = {
      {" \t ", Url, "about:blank", " \t "},                   {longest + "x", Url, "about:blank", longest + "x"},
      {longest, Url, "http://" + longest, longest},            {"\thost.example/a b ", Url, "http://host.example/a b", "\thost.example/a b "},
      {" /home/me/a b.html", FilePath, "/home/me/a b.html", " /home/me/a b.html"},
      {"HTTPS://host.example:8080", Url, "HTTPS://host.example:8080", "HTTPS://host.example:8080/"},
      {std::string("http://a\0b", 10), Url, std::string("http://a\0b", 10), std::string("http://a\0b/", 11)},
      {"http://host/", Url, "http://host/", "http://host/"},   {"http://host?q=1", Url, "http://host?q=1", "http://host?q=1"},
      {"http://", Url, "http://", "http://"},                  {"1a://host", Url, "http://1a://host", "1a://host"},
      {"h t://x", Url, "http://h t://x", "h t://x"},           {"About:blank", Url, "About:blank", "About:blank"},
      {"aZz09+-.:x", Url, "aZz09+-.:x", "aZz09+-.:x"},         {"http://a/cookie", Url, "http://a/cookie", "http://a/cookie"},
      {"http://a/Cookie", Url, "http://a/Cookie", ""},         {"http://a/?set=Cookies", Url, "http://a/?set=Cookies", ""},
      {"http://Cookie", Url, "http://Cookie", ""},             {"http://cookie", Url, "http://cookie", "http://cookie/"},
      {"localhost:8080", Url, "http://localhost:8080", "localhost:8080"},
      {"example.com:8080/status", Url, "http://example.com:8080/status", "example.com:8080/status"},
      {"router.lan:81?a#b", Url, "http://router.lan:81?a#b", "router.lan:81?a#b"},
      {"host:#1", Url, "host:#1", "host:#1"},                  {"host:8o80", Url, "host:8o80", "host:8o80"},
      {"host:/x", Url, "host:/x", "host:/x"},
      {"mailto:x", Url, "mailto:x", "mailto:x"},               {"file:///tmp/a", Url, "file:///tmp/a", "file:///tmp/a"},
  };
  for (const Case& c : cases) {
    const ShapedUrl shaped = ShapeUrl(c.text);
    Fake f;
    std::string url = c.text;
    PurgeCacheForUrl(f.form, url);
    const std::string name = ::testing::PrintToString(c.text.substr(0, 40));
    EXPECT_EQ(shaped.kind, c.kind) << name;
    EXPECT_EQ(shaped.text, c.shaped) << name;
    EXPECT_EQ(f.Journal(), c.purged.empty() ? "" : "0 purge " + c.purged) << name;
    EXPECT_EQ(url, c.purged.empty() ? c.text : c.purged) << name;
  }
}

// clang-format on
}  // namespace
}  // namespace kestrova
