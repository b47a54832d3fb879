#include "platform/wx/wx_services.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>

#include "platform/wx/native.h"
#include "platform/wx/text_codec.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {

std::int64_t SteadyClock::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

LocalTime SteadyClock::Local() { return LocalNow(); }

StdioLineFile::~StdioLineFile() {
  if (file_ != nullptr) std::fclose(file_);
}

std::string StdioLineFile::Open(const std::string& path) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = OpenToAppend(path);
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

void WxEventPump::ProcessEvents() { DispatchPending(); }

void WxEventPump::ProcessEventsUntil(std::int64_t deadline_ms) {
  ProcessEventsUntilDone(deadline_ms, [] { return false; });
}

void WxEventPump::ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) {
  // A wait that ran has dispatched what came with its end; one already over (a handler carried the
  // clock past it) dispatches what is pending. A second turn after every wait cost the interval's
  // hundred slices twice the wake-ups.
  if (deadline_ms > clock_.NowMs() && !done()) {
    DispatchUntil(clock_, deadline_ms, done);
  } else {
    ProcessEvents();
  }
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
  const wxString initial = ShownPath(initial_name);
  const std::size_t cut = initial.find_last_of(std::filesystem::path::preferred_separator == '/' ? "/" : "/\\");
  // GTK gives its file chooser no title of its own; these are the titles desktops use.
  wxFileDialog dialog(parent_, open ? "Open" : "Save As", cut == wxString::npos ? wxString() : initial.substr(0, cut),
                      cut == wxString::npos ? initial : initial.substr(cut + 1), wxFileSelectorDefaultWildcardStr,
                      open ? wxFD_OPEN : wxFD_SAVE);
  const int answer = dialog.ShowModal();
  Trace("file dialog closed");
  if (answer != wxID_OK) return std::nullopt;
  return PathOf(dialog.GetPath());
}

WxApplication::WxApplication(int argc, char** argv)
    : folder_(ExecutableFolder()), command_line_(CommandLineArguments(argc, argv)) {}

void WxApplication::HideMainWindow() {
  if (frame_) frame_->Hide();
}

void WxApplication::EndProgram() {
  // Ending means ending, from wherever we are, nested event loops included: nothing more is
  // dispatched, no window is torn down piecemeal. The web processes are told to go first, and
  // the rest of what the process holds is released by the system.
  if (before_end_) before_end_();
  std::fflush(nullptr);
  EndProcessNow();
}

void WxApplication::ShowAbout() {
  if (show_about_) show_about_();
}

void WxApplication::RunEnded() { Trace("run ended"); }

void WxApplication::Warn(const std::string& text) { std::cerr << text << std::endl; }

char WxApplication::DecimalSeparator() {
  static const char separator = UserDecimalSeparator();
  return separator;
}

}  // namespace kestrova::wx
