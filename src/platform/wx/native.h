#pragma once
// What the window layer needs from the system under it. The layer itself is the same everywhere;
// each system's folder defines these: platform/linux on GTK and WebKitGTK, platform/win on the
// Win32 API and the system's own browser engine (MSHTML) and URL cache.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include <wx/string.h>

#include "form/main_window.h"
#include "platform/file_store.h"
#include "platform/services.h"

class wxListBox;
class wxMBConv;
class wxStaticBox;
class wxStaticText;
class wxTopLevelWindow;
class wxWebView;
class wxWindow;

namespace kestrova {
class NavigationGuard;
class VisitLog;
}  // namespace kestrova

namespace kestrova::wx {

// The browser engine behind the form's browser control, and the URL cache it reads.
class Engine : public Browser {
 public:
  // Takes the view just made: reports its page's events to the navigation guard and the visit log,
  // and keeps the engine from opening dialogs, windows and downloads of its own.
  virtual void Attach(wxWebView* view, VisitLog& visit_log, NavigationGuard& guard) = 0;
  virtual UrlCache& Cache() = 0;
  // Runs before each navigation, to bring the window up to the model: a run shows the browser
  // just before it navigates, and the view is to be on screen when it is asked to load.
  void SetBeforeNavigate(std::function<void()> before) { before_navigate_ = std::move(before); }

 protected:
  void BeforeNavigate() const {
    if (before_navigate_) before_navigate_();
  }

 private:
  std::function<void()> before_navigate_;
};

// Before the toolkit starts: what the engine must know before its first view exists.
void PrepareEngine();
std::unique_ptr<Engine> MakeEngine();
std::unique_ptr<FileStore> MakeFileStore();

// The character set of playlist entries and typed text, for the widgets.
const wxMBConv& EntryCharset();
// A name of the file system (as the file store takes it) for a dialog, and a dialog's answer back.
wxString ShownPath(const std::string& path);
std::string PathOf(const wxString& shown);

// Twips per logical pixel at the resolution the system draws text with.
float ScreenTwipsPerPixel();

// The widgets of the design are smaller than the toolkit's themes make them: a compact style for
// the main window's and the About box's widgets (installed once, then applied to each widget).
void InstallCompactStyle();
void MakeCompact(wxWindow* window);
// The name a screen reader announces for a widget that shows no text of its own.
void SetAccessibleName(wxWindow* window, const char* name);
// Tells a screen reader which caption labels `widget` (if any) and which group box holds it.
void RelateForScreenReader(wxWindow* widget, wxWindow* caption, wxWindow* group);
// A group box and a caption that label nothing but what the model says they label.
wxStaticBox* NewGroupBox(wxWindow* parent, const wxString& caption, const wxString& name);
wxStaticText* NewCaption(wxWindow* parent, const wxString& caption, const wxString& name);
// Breaks the label's text into lines at the width it is given.
void WrapAtItsWidth(wxStaticText* label);
void KeepOffTaskbar(wxTopLevelWindow* window);
// No horizontal scroll bar, as on the list box of the design.
void NoHorizontalScrolling(wxListBox* list);

// Maps a native widget (a window handle of the system) to its control of the form model, or null.
using ControlFinder = std::function<const Control*(void* native_widget)>;
// Drops onto the entry box txtItemToAdd run the program's handler for the control the drag began
// on, or for a drag from outside the window, and never read what is offered.
void InstallDropTarget(wxWindow* target, Form2& form, ControlFinder find_control);

// Runs a call once, as the event loop next turns and before the window is laid out again; it is
// dropped by Cancel and with the object.
class SoonCall {
 public:
  explicit SoonCall(std::function<void()> call) : call_(std::move(call)) {}
  ~SoonCall() { Cancel(); }
  SoonCall(const SoonCall&) = delete;
  SoonCall& operator=(const SoonCall&) = delete;
  // Nothing more when it is already due.
  void Schedule();
  void Cancel();

 private:
  std::function<void()> call_;
  struct Pending;
  std::shared_ptr<Pending> pending_;
};

// Dispatches what has arrived, without waiting. Unlike a yield of wx's, it forces no idle-time
// processing on every window (wx asks for that itself when something happened): the interval
// wait calls this a hundred times an interval, and the forced idle time was most of the program's
// own processor time while browsing.
void DispatchPending();
// Dispatches the window's events as they arrive, nested inside another call if need be, until
// `deadline_ms` or until `done` holds; then once more what is due.
void DispatchUntil(Clock& clock, std::int64_t deadline_ms, const std::function<bool()>& done);

LocalTime LocalNow();
// The user's own decimal separator: the process keeps the C locale for numbers.
char UserDecimalSeparator();
// The folder of the running executable, links resolved.
std::string ExecutableFolder();
// The command line after the program's name, as the load step reads it.
std::string CommandLineArguments(int argc, char** argv);
// Ends the process at once with status 0, running nothing more of its own.
[[noreturn]] void EndProcessNow();
// Opens a file for appending lines; null with errno set where it cannot.
std::FILE* OpenToAppend(const std::string& path);

}  // namespace kestrova::wx
