// What the window layer needs from Windows: the Win32 API under wxMSW. Names of the file system,
// the command line and the program's folder are UTF-8 inside the program, as the file store takes
// them; playlist entries are read as UTF-8 too (what Notepad writes), other bytes as Windows-1252.

#include <windows.h>

#include <shellapi.h>  // after windows.h, which it needs

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <wx/access.h>
#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/strconv.h>
#include <wx/toplevel.h>

#include "layout/twips_scale.h"
#include "platform/win/wide_text.h"
#include "platform/win/win_file_store.h"
#include "platform/wx/native.h"
#include "playlist/list_editing.h"

namespace kestrova::wx {
namespace {

// Text dropped from another program: the drop is answered, and what is offered is never read.
class EntryDrops : public wxDropTarget {
 public:
  explicit EntryDrops(Form2& form) : wxDropTarget(new wxTextDataObject), form_(form) {}
  wxDragResult OnData(wxCoord, wxCoord, wxDragResult) override {
    // The handlers may show a modal box: let the drag finish first.
    wxTheApp->CallAfter([&form = form_] { txtItemToAdd_Drop(form, nullptr); });
    return wxDragCopy;
  }

 private:
  Form2& form_;
};

// A control that shows no text of its own, named for a screen reader; the rest of what the reader
// asks is the system's standard answer.
class NamedControl : public wxAccessible {
 public:
  NamedControl(wxWindow* window, wxString name) : wxAccessible(window), name_(std::move(name)) {}
  wxAccStatus GetName(int child, wxString* name) override {
    if (child != wxACC_SELF) return wxACC_NOT_IMPLEMENTED;
    *name = name_;
    return wxACC_OK;
  }

 private:
  wxString name_;
};

}  // namespace

std::unique_ptr<FileStore> MakeFileStore() { return std::make_unique<WinFileStore>(); }

const wxMBConv& EntryCharset() { return wxConvUTF8; }

wxString ShownPath(const std::string& path) { return wxString::FromUTF8(path); }

std::string PathOf(const wxString& shown) {
  const wxScopedCharBuffer utf8 = shown.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

float ScreenTwipsPerPixel() {
  // The program is declared DPI-aware, so the screen's own resolution: 96 at 100 %, 120 at 125 %.
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : -1;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return TwipsPerPixel(dpi);
}

// The system's controls are drawn at the sizes the design was made with.
void InstallCompactStyle() {}
void MakeCompact(wxWindow*) {}

void SetAccessibleName(wxWindow* window, const char* name) {
  window->SetAccessible(new NamedControl(window, wxString::FromUTF8(name)));
}

// A screen reader takes a control's name from the caption before it in the window's order, which
// is the tab order the binding made them in; group boxes are drawn around nothing.
void RelateForScreenReader(wxWindow*, wxWindow*, wxWindow*) {}

wxStaticBox* NewGroupBox(wxWindow* parent, const wxString& caption, const wxString& name) {
  return new wxStaticBox(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, 0, name);
}

wxStaticText* NewCaption(wxWindow* parent, const wxString& caption, const wxString& name) {
  return new wxStaticText(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, 0, name);
}

// A static control breaks its lines at its width by itself, and wxFRAME_NO_TASKBAR is the
// system's own style.
void WrapAtItsWidth(wxStaticText*) {}
void KeepOffTaskbar(wxTopLevelWindow*) {}
// A list box made without wxHSCROLL has no horizontal scroll bar.
void NoHorizontalScrolling(wxListBox*) {}

void InstallDropTarget(wxWindow* target, Form2& form, ControlFinder) {
  // The system's own edit and list boxes start no drags of their own: every drop comes from
  // another program.
  target->SetDropTarget(new EntryDrops(form));
}

struct SoonCall::Pending {};

void SoonCall::Schedule() {
  if (pending_ || wxTheApp == nullptr) return;
  pending_ = std::make_shared<Pending>();
  wxTheApp->CallAfter([this, due = std::weak_ptr<Pending>(pending_)] {
    if (due.expired()) return;  // cancelled, or the object is gone
    pending_.reset();
    call_();
  });
}

void SoonCall::Cancel() { pending_.reset(); }

void DispatchPending() {
  // A bounded number of messages: one that keeps coming must not hold the caller. wx's idle time
  // follows what was dispatched, as its main loop gives it once the queue is empty.
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  int turn = 0;
  for (; loop != nullptr && turn < 1000 && loop->Pending(); ++turn) loop->Dispatch();
  if (wxTheApp == nullptr) return;
  wxTheApp->ProcessPendingEvents();
  if (turn > 0) wxTheApp->ProcessIdle();
}

void DispatchUntil(Clock& clock, std::int64_t deadline_ms, const std::function<bool()>& done) {
  // Each message is dispatched as it arrives, through wx's loop (so that dialog keys and
  // accelerators work), until the deadline; a handler that waits in turn dispatches the same queue.
  for (std::int64_t left = deadline_ms - clock.NowMs(); left > 0 && !done(); left = deadline_ms - clock.NowMs()) {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop != nullptr && loop->Pending()) {
      loop->Dispatch();
    } else {
      const auto wait = static_cast<DWORD>(std::min<std::int64_t>(left, 0x7FFFFFFF));
      MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    // What wx queues for later (CallAfter, posted events) runs here as it would in a yield.
    if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
  }
}

LocalTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  // The local time read as if it were UTC, less the time itself: the offset, summer time included.
  const auto offset = static_cast<int>((_mkgmtime(&local) - now) / 60);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min,         local.tm_sec,     offset};
}

char UserDecimalSeparator() {
  wchar_t point[4] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 4);
  return length == 2 && point[0] < 0x80 ? static_cast<char>(point[0]) : '.';
}

std::string ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return ".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  return Utf8FromWide(std::wstring_view(path).substr(0, cut == std::wstring::npos ? 0 : cut));
}

std::string CommandLineArguments(int, char**) {
  // Windows' own rules split the line into words (quotes group, and go); the words after the
  // program's name are joined again with single blanks, as on Linux after the shell.
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string joined;
  for (int i = 1; words != nullptr && i < count; ++i) {
    if (i > 1) joined += ' ';
    joined += Utf8FromWide(words[i]);
  }
  LocalFree(words);
  return joined;
}

void EndProcessNow() {
  // ExitProcess would first run the detach code of every library, the engine's included, which
  // can wait on threads of its own.
  TerminateProcess(GetCurrentProcess(), 0);
  std::_Exit(0);
}

std::FILE* OpenToAppend(const std::string& path) { return _wfopen(WideFromUtf8(path).c_str(), L"a"); }

}  // namespace kestrova::wx
