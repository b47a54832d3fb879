#include "support/fakes.h"

#include <algorithm>
#include <stdexcept>

namespace kestrova::testing {

void Fake::Log(const std::string& what) {
  if (journal_.size() >= 100'000) throw std::runtime_error("runaway: 100,000 journal entries");
  journal_.push_back(std::to_string(now_ms) + " " + what);
}

std::string Fake::Journal(std::int64_t since_ms) const {
  std::string out;
  for (const auto& entry : journal_) {
    if (std::stoll(entry) >= since_ms) out += (out.empty() ? "" : "|") + entry;
  }
  return out;
}

void Fake::Watch(Control& control) {
  control.SetListener([this, &control](Prop prop) {
    const std::string name = control.Name() + " ";
    if (prop == Prop::Text) Log(name + static_cast<TextBox&>(control).Text());
    if (prop == Prop::Selection) Log(name + std::to_string(static_cast<ListBox&>(control).ListIndex()));
    if (prop == Prop::Visible) Log(name + (control.Visible() ? "shown" : "hidden"));
  });
}

void Fake::Play(const std::vector<Handler>& handlers) {
  try {
    for (Handler handler : handlers) handler(form);
  } catch (const ProgramEnded&) {
  }
}

std::optional<std::string> Fake::Show(FileDialogMode mode, const std::string& initial_name) {
  Log((mode == FileDialogMode::Open ? "open dialog at " : "save dialog at ") + initial_name);
  return answers.empty() ? std::nullopt : Take(answers);
}

void Fake::RunDueActions(std::int64_t until_ms, const std::function<bool()>& done) {
  // An action may itself wait on the events (a start inside a wait), so each leaves the schedule
  // before it runs.
  while (!done() && !actions_.empty() && actions_.begin()->first <= until_ms) {
    auto due = actions_.extract(actions_.begin());
    now_ms = std::max(now_ms, due.key());
    due.mapped()();
  }
}

void Fake::ProcessEvents() {
  now_ms += cost_ms;
  RunDueActions(now_ms);
}

void Fake::ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) {
  RunDueActions(deadline_ms, done);
  if (!done()) now_ms = std::max(now_ms, deadline_ms);
  ProcessEvents();
}

std::string Fake::Append(const std::string& line) {
  // As a real file: one that did not open takes no line.
  if (!open_error.empty()) return open_error;
  if (append_error.empty()) Log("append " + line);
  return append_error;
}

}  // namespace kestrova::testing
