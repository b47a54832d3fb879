#include "support/fakes.h"

namespace kestrova::testing {

Lines Journal::Timed(std::int64_t since_ms) const {
  Lines lines;
  for (const auto& e : entries) {
    if (e.at_ms >= since_ms) lines.push_back(std::to_string(e.at_ms) + " " + e.what);
  }
  return lines;
}

void FakeClock::SleepMs(std::int64_t ms) {
  if (ms < 0) throw std::logic_error("negative sleep");
  now_ms += ms;
  slept_ms += ms;
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

void FakePump::ProcessEventsUntil(std::int64_t deadline_ms) {
  while (!actions_.empty() && actions_.begin()->first <= deadline_ms) {
    if (actions_.begin()->first > clock_.now_ms) clock_.SleepMs(actions_.begin()->first - clock_.now_ms);
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
  if (deadline_ms > clock_.now_ms) clock_.SleepMs(deadline_ms - clock_.now_ms);
  ProcessEvents();
}

void RecordingCache::DeleteUrlCacheEntry(const std::string& url) {
  deleted.push_back(url);
  journal_.Add("purge " + url);
}

std::string MemoryLineFile::Open(const std::string& name) {
  path = name;
  return fail_open;
}

std::string MemoryLineFile::Append(const std::string& line) {
  // As a real file: one that did not open takes no line.
  if (!fail_open.empty()) return "the file is not open";
  if (!fail_append.empty()) return fail_append;
  lines.push_back(line);
  return {};
}

std::optional<std::string> ScriptedFileDialog::Show(FileDialogMode mode, const std::string& initial_name) {
  journal_.Add((mode == FileDialogMode::Open ? "open dialog at " : "save dialog at ") + initial_name);
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingMessageBoxes::Show(const std::string& text, const std::string& title) {
  journal_.Add("message " + title + ": " + text);
  if (while_open) while_open();
}

float ScriptedRandom::Next() {
  float v = values.at(next < values.size() ? next : values.size() - 1);
  ++next;
  return v;
}

void FakeApplication::EndProgram() {
  journal_.Add("end program");
  throw ProgramEnded();
}

Harness::Harness() = default;

void Harness::SetPlaylist(const std::vector<std::string>& items) {
  form.lstPlayList.Clear();
  for (const auto& item : items) form.lstPlayList.AddItem(item);
}

void Harness::JournalControls() {
  form.lstPlayList.SetListener([this](Prop prop) {
    if (prop == Prop::Selection) journal.Add("select " + std::to_string(form.lstPlayList.ListIndex()));
  });
  form.txt_url1.SetListener([this](Prop prop) {
    if (prop == Prop::Text) journal.Add("txt_url1 " + form.txt_url1.Text());
  });
  form.url1_count_txt.SetListener([this](Prop prop) {
    if (prop == Prop::Text) journal.Add("count " + form.url1_count_txt.Text());
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
