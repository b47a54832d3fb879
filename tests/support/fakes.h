#pragma once
// Fake services for the core tests: a virtual clock, an event pump that runs the user actions a
// test scheduled for a virtual time, and services that record what the handlers asked of them.

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

namespace kestrova::testing {

// What the fakes saw, in order, with the virtual time: "navigate http://a", "purge http://a", ...
struct Journal {
  struct Entry {
    std::int64_t at_ms;
    std::string what;
  };
  std::vector<Entry> entries;
  std::vector<std::string> Lines() const;
  // The entries that start with `prefix`.
  std::vector<Entry> With(const std::string& prefix) const;
};

class FakeClock : public Clock {
 public:
  std::int64_t NowMs() override { return now_ms; }
  void SleepMs(std::int64_t ms) override;
  std::int64_t now_ms = 0;
  std::int64_t slept_ms = 0;
  std::int64_t sleeps = 0;
  // The length of every sleep, in order.
  std::vector<std::int64_t> sleep_log;
};

// Runs each scheduled action once, at the first event processing at or after its time.
class FakePump : public EventPump {
 public:
  explicit FakePump(FakeClock& clock) : clock_(clock) {}
  void ProcessEvents() override;
  void At(std::int64_t ms, std::function<void()> action);
  // Every event processing takes this long (time spent in other handlers).
  std::int64_t cost_ms = 0;
  std::int64_t calls = 0;
  std::size_t Pending() const { return actions_.size(); }

 private:
  FakeClock& clock_;
  std::multimap<std::int64_t, std::function<void()>> actions_;
};

class RecordingBrowser : public Browser {
 public:
  RecordingBrowser(Journal& journal, FakeClock& clock) : journal_(journal), clock_(clock) {}
  void Navigate(const std::string& url) override;
  void Stop() override;
  void SetSilent(bool silent) override;
  std::vector<std::string> navigations;
  int stops = 0;
  bool silent = false;

 private:
  Journal& journal_;
  FakeClock& clock_;
};

class RecordingCache : public UrlCache {
 public:
  RecordingCache(Journal& journal, FakeClock& clock) : journal_(journal), clock_(clock) {}
  void DeleteUrlCacheEntry(const std::string& url) override;
  std::vector<std::string> deleted;

 private:
  Journal& journal_;
  FakeClock& clock_;
};

// Answers each use with the next scripted answer (nothing: the user cancelled).
class ScriptedFileDialog : public FileDialog {
 public:
  std::optional<std::string> Show(FileDialogMode mode, const std::string& initial_name) override;
  std::deque<std::optional<std::string>> answers;
  struct Use {
    FileDialogMode mode;
    std::string initial_name;
  };
  std::vector<Use> uses;
};

class RecordingMessageBoxes : public MessageBoxes {
 public:
  RecordingMessageBoxes(Journal& journal, FakeClock& clock) : journal_(journal), clock_(clock) {}
  void Show(const std::string& text, const std::string& title) override;
  struct Shown {
    std::string text;
    std::string title;
  };
  std::vector<Shown> shown;
  // Runs while the box is open (the user reading it); may be empty.
  std::function<void()> while_open;

 private:
  Journal& journal_;
  FakeClock& clock_;
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
  FakeApplication(Journal& journal, FakeClock& clock) : journal_(journal), clock_(clock) {}
  std::string Folder() override { return folder; }
  std::string CommandLine() override { return command_line; }
  void HideMainWindow() override;
  void EndProgram() override;
  void ShowAbout() override;
  void RunEnded() override { run_ends_ms.push_back(clock_.now_ms); }
  std::string folder = "/opt/kestrova";
  std::string command_line;
  bool window_hidden = false;
  int ended = 0;
  int about_shown = 0;
  std::vector<std::int64_t> run_ends_ms;  // when each run was told to have ended

 private:
  Journal& journal_;
  FakeClock& clock_;
};

// A main window on fake services, with the option toggles wired as the program wires them.
struct Harness {
  Harness();
  Journal journal;
  FakeClock clock;
  FakePump pump{clock};
  RecordingBrowser browser{journal, clock};
  RecordingCache cache{journal, clock};
  ScriptedFileDialog file_dialog;
  RecordingMessageBoxes message_boxes{journal, clock};
  ScriptedRandom random;
  FakeApplication app{journal, clock};
  Services services{browser, cache, file_dialog, message_boxes, clock, pump, random, app};
  Form2 form{services};

  // Fills the playlist.
  void SetPlaylist(const std::vector<std::string>& items);
  // Journals what a run shows the user: "select 1", "txt_url1 http://b", "count 2".
  void JournalControls();
  // Runs `action` and reports whether the program ended inside it.
  bool EndsProgram(const std::function<void()>& action);
};

}  // namespace kestrova::testing
