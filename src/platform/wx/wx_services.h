#pragma once
// The services that need only wxWidgets and the standard library.

#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include "platform/services.h"

class wxFrame;

namespace kestrova::wx {

class SteadyClock : public Clock {
 public:
  std::int64_t NowMs() override;
  LocalTime Local() override;
};

// A file of the standard library's buffered output, flushed at each line.
class StdioLineFile : public LineFile {
 public:
  StdioLineFile() = default;
  StdioLineFile(const StdioLineFile&) = delete;
  StdioLineFile& operator=(const StdioLineFile&) = delete;
  ~StdioLineFile() override;
  std::string Open(const std::string& path) override;
  std::string Append(const std::string& line) override;

 private:
  std::FILE* file_ = nullptr;
};

// The program's events, nesting inside another call if need be. Waiting dispatches the system's
// events itself rather than running a nested wx loop: quitting a loop would end the innermost
// one, which, with handlers nested inside waits, need not be the one meant.
class WxEventPump : public EventPump {
 public:
  explicit WxEventPump(Clock& clock) : clock_(clock) {}
  void ProcessEvents() override;
  void ProcessEventsUntil(std::int64_t deadline_ms) override;
  void ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) override;

 private:
  Clock& clock_;
};

class ClockRandom : public RandomSource {
 public:
  void ReseedFromClock() override;
  float Next() override;

 private:
  std::mt19937_64 engine_{std::random_device{}()};
};

class WxMessageBoxes : public MessageBoxes {
 public:
  void SetParent(wxFrame* parent) { parent_ = parent; }
  void Show(const std::string& text, const std::string& title) override;

 private:
  wxFrame* parent_ = nullptr;
};

class WxFileDialog : public FileDialog {
 public:
  void SetParent(wxFrame* parent) { parent_ = parent; }
  std::optional<std::string> Show(FileDialogMode mode, const std::string& initial_name) override;

 private:
  wxFrame* parent_ = nullptr;
};

class WxApplication : public Application {
 public:
  WxApplication(int argc, char** argv);
  void SetFrame(wxFrame* frame) { frame_ = frame; }
  void SetAboutHandler(std::function<void()> show_about) { show_about_ = std::move(show_about); }
  // Runs just before the process ends (stops the web processes).
  void SetBeforeEnd(std::function<void()> before_end) { before_end_ = std::move(before_end); }
  std::string Folder() override { return folder_; }
  // For tests that need the program to live somewhere else than its executable.
  void SetFolder(std::string folder) { folder_ = std::move(folder); }
  std::string CommandLine() override { return command_line_; }
  void HideMainWindow() override;
  [[noreturn]] void EndProgram() override;
  void ShowAbout() override;
  void RunEnded() override;
  void Warn(const std::string& text) override;
  char DecimalSeparator() override;

 private:
  std::string folder_;
  std::string command_line_;
  wxFrame* frame_ = nullptr;
  std::function<void()> show_about_;
  std::function<void()> before_end_;
};

}  // namespace kestrova::wx
