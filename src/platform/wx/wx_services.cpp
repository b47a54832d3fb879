#include "platform/wx/wx_services.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>

#include <glib.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>

#include "platform/wx/text_codec.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {

std::int64_t SteadyClock::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

LocalTime SteadyClock::Local() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return LocalTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(local.tm_gmtoff / 60)};
}

StdioLineFile::~StdioLineFile() {
  if (file_ != nullptr) std::fclose(file_);
}

std::string StdioLineFile::Open(const std::string& path) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "a");
  return file_ == nullptr ? std::strerror(errno) : "";
}

std::string StdioLineFile::Append(const std::string& line) {
  if (file_ == nullptr) return "the file is not open";
  // The program may end by _exit at any moment: each line reaches the system whole, at once.
  if (std::fprintf(file_, "%s\n", line.c_str()) < 0 || std::fflush(file_) != 0) {
    std::string why = std::strerror(errno);
    std::clearerr(file_);
    return why;
  }
  return {};
}

void WxEventPump::ProcessEvents() {
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
}

namespace {

gboolean OnDeadline(gpointer reached) {
  *static_cast<bool*>(reached) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

void WxEventPump::ProcessEventsUntil(std::int64_t deadline_ms) {
  ProcessEventsUntilDone(deadline_ms, [] { return false; });
}

void WxEventPump::ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) {
  // GLib's timer holds some 49 days at most: a longer slice of a very long interval waits in turns.
  for (std::int64_t left = deadline_ms - clock_.NowMs(); left > 0 && !done(); left = deadline_ms - clock_.NowMs()) {
    // The timer wakes the blocking iteration at the deadline; until then each window event, web
    // engine message or timer is dispatched as it arrives, as the main loop would. A handler that
    // waits in turn iterates the same context, so this timer also fires inside it, and this wait
    // ends as soon as that handler returns.
    bool reached = false;
    g_autoptr(GSource) timer = g_timeout_source_new(static_cast<guint>(std::min<std::int64_t>(left, G_MAXUINT)));
    g_source_set_callback(timer, OnDeadline, &reached, nullptr);
    g_source_attach(timer, nullptr);
    while (!reached && !done()) {
      g_main_context_iteration(nullptr, TRUE);
      // What wx queues for later (CallAfter, posted events) runs here as it would in a yield.
      if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
    }
    g_source_destroy(timer);
  }
  ProcessEvents();
}

void ClockRandom::ReseedFromClock() {
  engine_.seed(static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^
               engine_());
}

float ClockRandom::Next() {
  // 24 random bits: every value is exactly representable, and 1.0 cannot come out.
  return static_cast<float>(engine_() >> 40) / static_cast<float>(1 << 24);
}

void WxMessageBoxes::Show(const std::string& text, const std::string& title) {
  wxMessageDialog dialog(parent_ && parent_->IsShown() ? parent_ : nullptr, ToDisplay(text), ToDisplay(title),
                         wxOK | wxICON_NONE);
  dialog.ShowModal();
}

std::optional<std::string> WxFileDialog::Show(FileDialogMode mode, const std::string& initial_name) {
  const bool open = mode == FileDialogMode::Open;
  std::filesystem::path initial(initial_name);
  // GTK gives its file chooser no title of its own; these are the titles desktops use.
  wxFileDialog dialog(parent_, open ? "Open" : "Save As", ToDisplay(initial.parent_path().string()),
                      ToDisplay(initial.filename().string()), wxFileSelectorDefaultWildcardStr,
                      open ? wxFD_OPEN : wxFD_SAVE);
  const int answer = dialog.ShowModal();
  Trace("file dialog closed");
  if (answer != wxID_OK) return std::nullopt;
  const wxCharBuffer name = dialog.GetPath().fn_str();
  return std::string(name.data(), name.length());
}

WxApplication::WxApplication(int argc, char** argv)
    : folder_(ExecutableFolder()), command_line_(JoinArguments(argc, argv)) {}

void WxApplication::HideMainWindow() {
  if (frame_) frame_->Hide();
}

void WxApplication::EndProgram() {
  // Ending means ending, from wherever we are, nested event loops included: nothing more is
  // dispatched, no window is torn down piecemeal. The web processes are told to go first, and
  // the rest of what the process holds is released by the system.
  if (before_end_) before_end_();
  std::fflush(nullptr);
  _exit(0);
}

void WxApplication::ShowAbout() {
  if (show_about_) show_about_();
}

void WxApplication::RunEnded() { Trace("run ended"); }

void WxApplication::Warn(const std::string& text) { std::cerr << text << std::endl; }

char WxApplication::DecimalSeparator() {
  // The process keeps the C locale for numbers, so the user's own is looked up apart.
  static const char separator = [] {
    const locale_t user = newlocale(LC_NUMERIC_MASK, "", locale_t{});
    if (user == locale_t{}) return '.';
    const char* point = nl_langinfo_l(RADIXCHAR, user);
    const char single = point[0] != '\0' && point[1] == '\0' ? point[0] : '.';
    freelocale(user);
    return single;
  }();
  return separator;
}

std::string ExecutableFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", error);
  if (error) return ".";
  std::string folder = exe.parent_path().string();
  return folder.empty() ? "/" : folder;
}

std::string JoinArguments(int argc, char** argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

}  // namespace kestrova::wx
