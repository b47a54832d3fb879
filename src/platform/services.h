#pragma once
// The services through which the handlers reach the platform. The toolkit layer implements them
// with wxWidgets and WebKitGTK; the unit tests use fakes with a virtual clock.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_store.h"

namespace kestrova {

// The embedded web browser's engine. Visibility and size are the WebBrowser1 control's.
class Browser {
 public:
  virtual ~Browser() = default;
  // Starts loading and returns at once; never waits for the page.
  virtual void Navigate(const std::string& url) = 0;
  // Cancels a load in progress; harmless when nothing is loading.
  virtual void Stop() = 0;
  // Puts a question to the page's web process that only its main thread can answer, and reports
  // it and its answer to the navigation guard. Returns at once.
  virtual void AskWebProcess() = 0;
  // Ends the page's web process at once (and any script dialog held for it), so that the next
  // load starts in a fresh one.
  virtual void EndWebProcess() = 0;
  // True: the browser opens no dialog or window of its own.
  virtual void SetSilent(bool silent) = 0;
};

// The platform's URL cache.
class UrlCache {
 public:
  virtual ~UrlCache() = default;
  // Removes what the cache holds for the URL; the outcome is not reported.
  virtual void DeleteUrlCacheEntry(const std::string& url) = 0;
};

enum class FileDialogMode { Open, Save };

// The common file dialog. It remembers the name of its last use.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Shows the dialog, starting at `initial_name`, and waits for it to close. Returns the chosen
  // name, or nothing when the user cancelled.
  virtual std::optional<std::string> Show(FileDialogMode mode, const std::string& initial_name) = 0;
};

// Message boxes with an OK button only and no icon.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns when the user has closed the box.
  virtual void Show(const std::string& text, const std::string& title) = 0;
};

// The wall-clock time where the user is, with its distance from UTC.
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int utc_offset_minutes = 0;  // east of UTC positive
};

// Time: a monotonic clock in milliseconds, and the local wall-clock time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t NowMs() = 0;
  virtual LocalTime Local() = 0;
};

// A text file kept open to grow by whole lines.
class LineFile {
 public:
  virtual ~LineFile() = default;
  // Opens the file for appending, creating it when it does not exist. Returns why it could not,
  // or the empty text.
  virtual std::string Open(const std::string& path) = 0;
  // Appends the line and a line end, and hands both to the system at once. Returns why it could
  // not, or the empty text.
  virtual std::string Append(const std::string& line) = 0;
};

// The window events of the program. Every other handler runs inside these calls while a run
// waits, so they must allow nesting: a handler may itself wait on them, for as long as it likes.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Processes all pending window events and returns.
  virtual void ProcessEvents() = 0;
  // Waits on the window events until the clock reaches `deadline_ms`, handling each as it
  // arrives, those that come with the deadline included; one already past processes what is
  // pending as ProcessEvents does. It sleeps while nothing comes: no polling. A handler that runs
  // long inside it can carry it past the deadline.
  virtual void ProcessEventsUntil(std::int64_t deadline_ms) = 0;
  // As ProcessEventsUntil, but returns as soon as `done` holds after an event was handled.
  virtual void ProcessEventsUntilDone(std::int64_t deadline_ms, const std::function<bool()>& done) = 0;
};

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void ReseedFromClock() = 0;
  // Uniform in [0, 1).
  virtual float Next() = 0;
};

// The running program: its folder, its arguments, and the window host that ends it.
class Application {
 public:
  virtual ~Application() = default;
  // The folder holding the executable, without a trailing separator (except for the root).
  virtual std::string Folder() = 0;
  // The arguments joined with single blanks, without the program's own path.
  virtual std::string CommandLine() = 0;
  virtual void HideMainWindow() = 0;
  // Ends the process at once, from wherever it is. The real program does not return from it.
  virtual void EndProgram() = 0;
  // Shows the About dialog, or brings it forward when it is already open.
  virtual void ShowAbout() = 0;
  // Told when a browsing run has ended, however it ended. Only for observing the program.
  virtual void RunEnded() {}
  // Says something to whoever started the program, without a dialog (standard error).
  virtual void Warn(const std::string& text) = 0;
  // The decimal separator of the numbers the user writes ("2,5" in much of Europe).
  virtual char DecimalSeparator() { return '.'; }
};

struct Services {
  Browser& browser;
  UrlCache& url_cache;
  FileDialog& file_dialog;
  MessageBoxes& message_boxes;
  Clock& clock;
  EventPump& pump;
  RandomSource& random;
  Application& app;
  LineFile& visit_file;
  FileStore& files;
};

}  // namespace kestrova
