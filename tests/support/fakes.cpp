#include "support/fakes.h"

#include "browse/option_toggles.h"

namespace kestrova::testing {

std::vector<std::string> Journal::Lines() const {
  std::vector<std::string> lines;
  for (const auto& e : entries) lines.push_back(e.what);
  return lines;
}

std::vector<Journal::Entry> Journal::With(const std::string& prefix) const {
  std::vector<Entry> out;
  for (const auto& e : entries) {
    if (e.what.rfind(prefix, 0) == 0) out.push_back(e);
  }
  return out;
}

void FakeClock::SleepMs(std::int64_t ms) {
  if (ms < 0) throw std::logic_error("negative sleep");
  now_ms += ms;
  slept_ms += ms;
  ++sleeps;
  sleep_log.push_back(ms);
}

void FakePump::ProcessEvents() {
  ++calls;
  clock_.now_ms += cost_ms;
  // Actions may nest further event processing (a start inside a wait), so each is taken off the
  // schedule before it runs.
  while (!actions_.empty() && actions_.begin()->first <= clock_.now_ms) {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
}

void FakePump::At(std::int64_t ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }

void RecordingBrowser::Navigate(const std::string& url) {
  navigations.push_back(url);
  journal_.entries.push_back({clock_.now_ms, "navigate " + url});
}

void RecordingBrowser::Stop() {
  ++stops;
  journal_.entries.push_back({clock_.now_ms, "browser stop"});
}

void RecordingBrowser::SetSilent(bool s) {
  silent = s;
  journal_.entries.push_back({clock_.now_ms, s ? "silent on" : "silent off"});
}

void RecordingCache::DeleteUrlCacheEntry(const std::string& url) {
  deleted.push_back(url);
  journal_.entries.push_back({clock_.now_ms, "purge " + url});
}

std::optional<std::string> ScriptedFileDialog::Show(FileDialogMode mode, const std::string& initial_name) {
  uses.push_back({mode, initial_name});
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingMessageBoxes::Show(const std::string& text, const std::string& title) {
  shown.push_back({text, title});
  journal_.entries.push_back({clock_.now_ms, "message " + text});
  if (while_open) while_open();
}

float ScriptedRandom::Next() {
  float v = values.at(next < values.size() ? next : values.size() - 1);
  ++next;
  return v;
}

void FakeApplication::HideMainWindow() {
  window_hidden = true;
  journal_.entries.push_back({clock_.now_ms, "hide window"});
}

void FakeApplication::EndProgram() {
  ++ended;
  journal_.entries.push_back({clock_.now_ms, "end program"});
  throw ProgramEnded();
}

void FakeApplication::ShowAbout() {
  ++about_shown;
  journal_.entries.push_back({clock_.now_ms, "show about"});
}

Harness::Harness() { WireOptionToggles(form); }

void Harness::SetPlaylist(const std::vector<std::string>& items) {
  form.lstPlayList.Clear();
  for (const auto& item : items) form.lstPlayList.AddItem(item);
}

void Harness::JournalControls() {
  form.lstPlayList.SetListener([this](Prop prop) {
    if (prop == Prop::Selection) {
      journal.entries.push_back({clock.now_ms, "select " + std::to_string(form.lstPlayList.ListIndex())});
    }
  });
  form.txt_url1.SetListener([this](Prop prop) {
    if (prop == Prop::Text) journal.entries.push_back({clock.now_ms, "txt_url1 " + form.txt_url1.Text()});
  });
  form.url1_count_txt.SetListener([this](Prop prop) {
    if (prop == Prop::Text) journal.entries.push_back({clock.now_ms, "count " + form.url1_count_txt.Text()});
  });
}

bool Harness::EndsProgram(const std::function<void()>& action) {
  try {
    action();
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

}  // namespace kestrova::testing
