#pragma once
// One fake of every service over one journal: what the program did, in order, each entry with
// its virtual time. Waiting advances the virtual clock; the pump runs the user actions a test
// scheduled for a virtual time.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/form_wiring.h"
#include "form/main_window.h"
#include "platform/file_store.h"

namespace kestrova::testing {

using Lines = std::vector<std::string>;
using Handler = void (*)(Form2&);

// A click on the form's button or menu item, as a handler: Click<&Form2::Start>.
template <auto control>
void Click(Form2& form) {
  (form.*control).Click();
}

// Thrown where the program ends, so that a test sees where it ended.
struct ProgramEnded {};

// clang-format off
class Fake : public Browser, public UrlCache, public FileDialog, public MessageBoxes, public Clock, public EventPump,
             public RandomSource, public Application, public LineFile, public FileStore {
  // clang-format on
 public:
  Fake() { WireForm(form); }
  // A run whose stop was lost fails here instead of hanging the test.
  void Log(const std::string& what);
  // The entries made at or after `since_ms`, as "<ms> <what>" joined by "|".
  std::string Journal(std::int64_t since_ms = 0) const;
  // Runs the action at its time when a wait reaches it, otherwise at the next event processing.
  void At(std::int64_t ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }
  // Journals the control's text, selection or visibility at each change: "txt_url1 a".
  void Watch(Control& control);
  // Runs the handlers in turn until the program ends.
  void Play(const std::vector<Handler>& handlers);

  void Navigate(const std::string& url) override { Log("navigate " + url); }
  void Stop() override { Log("browser stop"); }
  void AskWebProcess() override { Log("ask web process"), form.navigation_guard.QuestionAsked(); }
  void EndWebProcess() override { Log("end web process"); }
  void SetSilent(bool silent) override { Log(silent ? "silent on" : "silent off"); }
  void DeleteUrlCacheEntry(const std::string& url) override { Log("purge " + url); }
  // Journals "open dialog at <name>" or "save dialog at <name>"; answers the next of `answers`
  // (none left: the user cancelled).
  std::optional<std::string> Show(FileDialogMode mode, const std::string& initial_name) override;
  void Show(const std::string& text, const std::string& title) override {
    Log("message " + title + ": " + text);
    if (while_open) while_open();
  }
  std::int64_t NowMs() override { return now_ms; }
  LocalTime Local() override { return local; }
  void ProcessEvents() override;
  void ProcessEventsUntil(std::int64_t until_ms) override { ProcessEventsUntilDone(until_ms, Never); }
  void ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) override;
  void ReseedFromClock() override { ++reseeds; }
  // The scripted draws in turn, then the last one again.
  float Next() override { return draws.size() > 1 ? Take(draws) : draws.front(); }
  std::string Folder() override { return folder; }
  std::string CommandLine() override { return command_line; }
  void HideMainWindow() override { Log("hide window"); }
  void EndProgram() override { Log("end program"), throw ProgramEnded{}; }
  void ShowAbout() override { Log("show about"); }
  void RunEnded() override { Log("run ended"); }
  void Warn(const std::string& text) override { Log("warn " + text); }
  char DecimalSeparator() override { return decimal; }
  std::string Open(const std::string& path) override { return Log("open " + path), open_error; }
  std::string Append(const std::string& line) override;
  // Files kept in memory, by name.
  std::optional<std::string> Read(const std::string& path) override {
    return files.contains(path) ? std::optional(files[path]) : std::nullopt;
  }
  // A save under /full/ fails for want of room.
  std::string Replace(const std::string& path, std::string_view bytes) override {
    return path.starts_with("/full/") ? "No space left on device" : (files[path] = bytes, "");
  }

  // `cost_ms`: every event processing takes this long (time spent in other handlers).
  std::int64_t now_ms = 0, cost_ms = 0;
  int reseeds = 0;
  char decimal = '.';
  LocalTime local;
  std::deque<float> draws{0.0f};
  std::deque<std::optional<std::string>> answers;
  // Runs while a message box is open (the user reading it).
  std::function<void()> while_open;
  std::string folder = "/opt/kestrova", command_line;
  // Why the visit log's file fails to open or to take a line; empty: it does not fail.
  std::string open_error, append_error;

  std::map<std::string, std::string> files;
  Services services{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this};
  Form2 form{services};

 private:
  template <typename T>
  static T Take(std::deque<T>& queue) {
    T front = queue.front();
    return queue.pop_front(), front;
  }
  static bool Never() { return false; }
  void RunDueActions(std::int64_t until_ms, const std::function<bool()>& done = Never);

  Lines journal_;
  std::multimap<std::int64_t, std::function<void()>> actions_;
};

}  // namespace kestrova::testing
