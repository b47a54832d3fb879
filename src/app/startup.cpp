#include "app/startup.h"

#include "browse/run_control.h"
#include "playlist/playlist_file.h"

namespace kestrova {
namespace {

// Appended for the search only: it gives the last switch a " /" to end at, like the others.
constexpr const char* kTerminator = " /x=";
constexpr std::string::size_type kSwitchLength = 3;

// 1-based position of the first occurrence, 0 when absent.
std::int64_t FindSwitch(const std::string& command_line, const char* name) {
  const auto found = command_line.find(name);
  return found == std::string::npos ? 0 : static_cast<std::int64_t>(found) + 1;
}

// Our own switch counts only as a word of its own, at the start or after a blank: the others are
// found anywhere, so that a path such as "/f=/srv/l=x/a.txt" would otherwise also name a log.
std::int64_t FindOwnSwitch(const std::string& command_line, const char* name) {
  for (auto found = command_line.find(name); found != std::string::npos; found = command_line.find(name, found + 1)) {
    if (found == 0 || command_line[found - 1] == ' ') return static_cast<std::int64_t>(found) + 1;
  }
  return 0;
}

std::string TrimBlanks(const std::string& text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

}  // namespace

void Form_Load(Form2& form) {
  form.caption = kRunningCaption;
  form.CommandLine = form.services.app.CommandLine();
  form.IntervalSwitch.clear();
  form.FileSwitch.clear();
  form.LogSwitch.clear();
  form.StopFlag = kNo;
  form.WebBrowser1.SetVisible(false);
  form.AutoStartFlag = kNo;
  ParseCommandLine(form);
  if (form.CommandLine.empty()) return;
  form.visit_log.Open(form.LogSwitch);

  // An empty interval is taken as well: the first wait repairs it.
  form.txt_interval.SetText(form.IntervalSwitch);
  if (form.RandomSwitch == kYes) form.chk_random.SetValue(CheckBox::kTicked);
  form.PlayListFile = form.FileSwitch;
  LoadPlayList(form);
  // Any arguments at all ask for browsing, even when no list came with them.
  form.AutoStartFlag = kYes;
}

void Form_Activate(Form2& form) {
  if (form.AutoStartFlag == kYes) AutoStart(form);
}

bool ActivationCounts(Form2& form, WindowNews news) {
  switch (news) {
    case WindowNews::OtherFormActivated: form.other_form_was_active = true; return false;
    case WindowNews::Shown:
    case WindowNews::Activated:
      // Where the focus comes first, it is the first showing all the same; coming back from
      // another program is no return to the main window.
      if (form.shown_once && !(news == WindowNews::Activated && form.other_form_was_active)) return false;
      form.shown_once = true;
      form.other_form_was_active = false;
      return true;
  }
  return false;
}

void ParseCommandLine(Form2& form) {
  if (form.CommandLine.empty()) return;
  // The arguments themselves stay as they were given.
  const std::string extended = form.CommandLine + kTerminator;
  form.FileSwitch = GetSwitchValue(extended, FindSwitch(extended, "/f="));
  form.RandomSwitch = GetSwitchValue(extended, FindSwitch(extended, "/r="));
  form.IntervalSwitch = GetSwitchValue(extended, FindSwitch(extended, "/t="));
  form.LogSwitch = GetSwitchValue(extended, FindOwnSwitch(extended, "/l="));
}

std::string GetSwitchValue(const std::string& command_line, std::int64_t position) {
  if (position <= 0) return {};
  const auto value_start = static_cast<std::string::size_type>(position - 1) + kSwitchLength;
  if (value_start >= command_line.size()) return {};
  const std::string rest = command_line.substr(value_start);
  const auto end = rest.find(" /");
  if (end == std::string::npos) return {};
  return TrimBlanks(rest.substr(0, end));
}

void AutoStart(Form2& form) { start_button_Click(form); }

}  // namespace kestrova
