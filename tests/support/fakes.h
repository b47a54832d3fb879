#pragma once
// Fake services for the core tests: a virtual clock, an event pump that runs the user actions a
// test scheduled for a virtual time, and services that write what the handlers asked of them into
// one journal.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/services.h"
#include "support/memory_file_store.h"

namespace kestrova::testing {

using Lines = std::vector<std::string>;

class FakeClock : public Clock {
 public:
  std::int64_t NowMs() override { return now_ms; }
  // Time passing while the program waits for events.
  void SleepMs(std::int64_t ms);
  LocalTime Local() override { return local; }
  std::int64_t now_ms = 0;
  LocalTime local;
  std::int64_t slept_ms = 0;
  // The length of every stretch of waiting, in order.
  std::vector<std::int64_t> sleep_log;
};

// What the fakes saw, in order, each with the virtual time: "30000 navigate http://a/".
struct Journal {
  struct Entry {
    std::int64_t at_ms;
    std::string what;
  };
  explicit Journal(const FakeClock& virtual_clock) : clock(virtual_clock) {}
  // A run that never ends (its stop lost) fails the test here instead of hanging it.
  void Add(std::string what) {
    if (entries.size() >= 100'000) throw std::runtime_error("runaway: 100,000 journal entries");
    entries.push_back({clock.now_ms, std::move(what)});
  }
  // "<ms> <what>" for each entry made at or after `since_ms`.
  Lines Timed(std::int64_t since_ms = 0) const;
  const FakeClock& clock;
  std::vector<Entry> entries;
};

// Runs each scheduled action once: at its time when it falls in a wait for events, otherwise at
// the first event processing after it.
class FakePump : public EventPump {
 public:
  explicit FakePump(FakeClock& clock) : clock_(clock) {}
  void ProcessEvents() override;
  void ProcessEventsUntil(std::int64_t deadline_ms) override;
  void At(std::int64_t ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }
  // Every event processing takes this long (time spent in other handlers).
  std::int64_t cost_ms = 0;
  std::int64_t calls = 0;

 private:
  FakeClock& clock_;
  std::multimap<std::int64_t, std::function<void()>> actions_;
};

class RecordingBrowser : public Browser {
 public:
  explicit RecordingBrowser(Journal& journal) : journal_(journal) {}
  void Navigate(const std::string& url) override { journal_.Add("navigate " + url); }
  void Stop() override { journal_.Add("browser stop"); }
  void SetSilent(bool silent) override { journal_.Add(silent ? "silent on" : "silent off"); }

 private:
  Journal& journal_;
};

class RecordingCache : public UrlCache {
 public:
  explicit RecordingCache(Journal& journal) : journal_(journal) {}
  void DeleteUrlCacheEntry(const std::string& url) override;
  std::vector<std::string> deleted;

 private:
  Journal& journal_;
};

// Keeps the lines; `fail_open` and `fail_append` are the reasons it gives for failing.
class MemoryLineFile : public LineFile {
 public:
  std::string Open(const std::string& path) override;
  std::string Append(const std::string& line) override;
  std::string path;
  Lines lines;
  std::string fail_open;
  std::string fail_append;
};

// Journals "open dialog at <name>" or "save dialog at <name>" and answers with the next scripted
// answer (nothing: the user cancelled).
class ScriptedFileDialog : public FileDialog {
 public:
  explicit ScriptedFileDialog(Journal& journal) : journal_(journal) {}
  std::optional<std::string> Show(FileDialogMode mode, const std::string& initial_name) override;
  std::deque<std::optional<std::string>> answers;

 private:
  Journal& journal_;
};

// Journals "message <title>: <text>".
class RecordingMessageBoxes : public MessageBoxes {
 public:
  explicit RecordingMessageBoxes(Journal& journal) : journal_(journal) {}
  void Show(const std::string& text, const std::string& title) override;
  // Runs while the box is open (the user reading it); may be empty.
  std::function<void()> while_open;

 private:
  Journal& journal_;
};

// Draws the scripted values in turn, then repeats the last one.
class ScriptedRandom : public RandomSource {
 public:
  void ReseedFromClock() override { ++reseeds; }
  float Next() override;
  std::vector<float> values{0.0f};
  std::size_t next = 0;
  int reseeds = 0;
};

// Thrown by the fake application when the program ends, so a test can see where it ended.
struct ProgramEnded : std::runtime_error {
  ProgramEnded() : std::runtime_error("program ended") {}
};

class FakeApplication : public Application {
 public:
  explicit FakeApplication(Journal& journal) : journal_(journal) {}
  std::string Folder() override { return folder; }
  std::string CommandLine() override { return command_line; }
  void HideMainWindow() override { journal_.Add("hide window"); }
  void EndProgram() override;
  void ShowAbout() override { journal_.Add("show about"); }
  // Kept apart from the journal: the end of a run is a signal for the benchmarks' trace.
  void RunEnded() override { run_ends_ms.push_back(journal_.clock.now_ms); }
  void Warn(const std::string& text) override { journal_.Add("warn " + text); }
  std::string folder = "/opt/kestrova";
  std::string command_line;
  std::vector<std::int64_t> run_ends_ms;

 private:
  Journal& journal_;
};

// A main window on fake services, with the option toggles wired as the program wires them.
struct Harness {
  Harness();
  FakeClock clock;
  Journal journal{clock};
  FakePump pump{clock};
  RecordingBrowser browser{journal};
  RecordingCache cache{journal};
  ScriptedFileDialog file_dialog{journal};
  RecordingMessageBoxes message_boxes{journal};
  ScriptedRandom random;
  FakeApplication app{journal};
  MemoryLineFile visit_file;
  MemoryFileStore files;
  Services services{browser, cache, file_dialog, message_boxes, clock, pump, random, app, visit_file, files};
  Form2 form{services};

  // Fills the playlist.
  void SetPlaylist(const std::vector<std::string>& items);
  // Journals what a run shows the user: "select 1", "txt_url1 http://b", "count 2".
  void JournalControls();
  // Runs `action` and reports whether the program ended inside it.
  bool EndsProgram(const std::function<void()>& action);
};

}  // namespace kestrova::testing
