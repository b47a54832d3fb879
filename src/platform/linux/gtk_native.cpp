// What the window layer needs from a Linux desktop: GTK and GLib under wxGTK, and POSIX.

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/listbox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/strconv.h>
#include <wx/toplevel.h>

#include "layout/twips_scale.h"
#include "platform/posix/posix_file_store.h"
#include "platform/wx/native.h"
#include "platform/wx/text_codec.h"

namespace kestrova::wx {
namespace {

GtkWidget* Gtk(wxWindow* window) { return window != nullptr ? static_cast<GtkWidget*>(window->GetHandle()) : nullptr; }

// wx makes a caption the mnemonic label of the next focusable widget created after it, which a
// screen reader takes for that widget's label: the first picture button labelled by an empty group
// box caption, the add box by "Interval". The captions here label only what the model says.
template <class Base>
class CaptionOfItsOwn : public Base {
 public:
  using Base::Base;

 protected:
  bool GTKWidgetNeedsMnemonic() const override { return false; }
};

constexpr int kMostTurns = 1000;

gboolean OnDeadline(gpointer reached) {
  *static_cast<bool*>(reached) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

std::unique_ptr<FileStore> MakeFileStore() { return std::make_unique<PosixFileStore>(); }

const wxMBConv& EntryCharset() { return wxConvLibc; }

wxString ShownPath(const std::string& path) { return ToDisplay(path); }

std::string PathOf(const wxString& shown) {
  const wxCharBuffer name = shown.fn_str();
  return std::string(name.data(), name.length());
}

float ScreenTwipsPerPixel() {
  // GTK's text resolution: GDK_DPI_SCALE, the desktop's text scaling factor or Xft.dpi included.
  GdkScreen* screen = gdk_screen_get_default();
  return TwipsPerPixel(screen != nullptr ? gdk_screen_get_resolution(screen) : -1);
}

void RelateForScreenReader(wxWindow* widget, wxWindow* caption, wxWindow* group) {
  // GTK relates a mnemonic label and its widget both ways for a screen reader; the captions have no
  // access key, so nothing else changes.
  if (GtkWidget* label = Gtk(caption)) {
    if (GTK_IS_FRAME(label)) label = gtk_frame_get_label_widget(GTK_FRAME(label));
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), Gtk(widget));
  }
  // The group boxes are drawn beside what they hold, not around it, so the toolkit's tree does not
  // show what belongs together.
  if (group != nullptr) {
    atk_object_add_relationship(gtk_widget_get_accessible(Gtk(widget)), ATK_RELATION_MEMBER_OF,
                                gtk_widget_get_accessible(Gtk(group)));
  }
}

wxStaticBox* NewGroupBox(wxWindow* parent, const wxString& caption, const wxString& name) {
  return new CaptionOfItsOwn<wxStaticBox>(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, 0, name);
}

wxStaticText* NewCaption(wxWindow* parent, const wxString& caption, const wxString& name) {
  return new CaptionOfItsOwn<wxStaticText>(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, 0, name);
}

void WrapAtItsWidth(wxStaticText* label) {
  // GTK breaks the lines at the width the label is given, in the font it really draws with.
  gtk_label_set_line_wrap(GTK_LABEL(Gtk(label)), TRUE);
}

void KeepOffTaskbar(wxTopLevelWindow* window) {
  // Window managers read the hint, not wx's style flag.
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(Gtk(window)), TRUE);
}

void NoHorizontalScrolling(wxListBox* list) {
  // In the narrowest arranged window a horizontal bar would get less than no room, which GTK
  // reports as a critical error.
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(Gtk(list)), GTK_POLICY_EXTERNAL, GTK_POLICY_AUTOMATIC);
}

struct SoonCall::Pending {
  guint source = 0;
};

void SoonCall::Schedule() {
  if (pending_) return;
  pending_ = std::make_shared<Pending>();
  // Above GTK's layout and drawing, which run at lower priorities of the same loop.
  pending_->source = g_idle_add_full(
      G_PRIORITY_HIGH_IDLE,
      [](gpointer self) {
        auto* soon = static_cast<SoonCall*>(self);
        soon->pending_.reset();
        soon->call_();
        return G_SOURCE_REMOVE;
      },
      this, nullptr);
}

void SoonCall::Cancel() {
  if (pending_) g_source_remove(pending_->source);
  pending_.reset();
}

void DispatchPending() {
  // A source that stays ready (an idle handler that wants more) must not hold the caller: a bounded
  // number of turns, each dispatching what is ready.
  for (int turn = 0; turn < kMostTurns && g_main_context_pending(nullptr); ++turn)
    g_main_context_iteration(nullptr, FALSE);
  if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
}

void DispatchUntil(Clock& clock, std::int64_t deadline_ms, const std::function<bool()>& done) {
  // GLib's timer holds some 49 days at most: a longer slice of a very long interval waits in turns.
  for (std::int64_t left = deadline_ms - clock.NowMs(); left > 0 && !done(); left = deadline_ms - clock.NowMs()) {
    // The timer wakes the blocking iteration at the deadline; until then each window event, web
    // engine message or timer is dispatched as it arrives, as the main loop would. A handler that
    // waits in turn iterates the same context, so this timer also fires inside it, and this wait
    // ends as soon as that handler returns.
    bool reached = false;
    const bool whole = left <= G_MAXUINT;
    g_autoptr(GSource) timer = g_timeout_source_new(static_cast<guint>(std::min<std::int64_t>(left, G_MAXUINT)));
    g_source_set_callback(timer, OnDeadline, &reached, nullptr);
    g_source_attach(timer, nullptr);
    while (!reached && !done()) {
      g_main_context_iteration(nullptr, TRUE);
      // What wx queues for later (CallAfter, posted events) runs here as it would in a yield.
      if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
    }
    g_source_destroy(timer);
    // GLib's clock has reached the deadline; ours may read it a millisecond short, and a second
    // timer for that millisecond doubled the wake-ups of the interval's slices.
    if (reached && whole) break;
  }
}

LocalTime LocalNow() {
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

char UserDecimalSeparator() {
  const locale_t user = newlocale(LC_NUMERIC_MASK, "", locale_t{});
  if (user == locale_t{}) return '.';
  const char* point = nl_langinfo_l(RADIXCHAR, user);
  const char single = point[0] != '\0' && point[1] == '\0' ? point[0] : '.';
  freelocale(user);
  return single;
}

std::string ExecutableFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", error);
  if (error) return ".";
  std::string folder = exe.parent_path().string();
  return folder.empty() ? "/" : folder;
}

std::string CommandLineArguments(int argc, char** argv) {
  // The shell has split the line into words; they are joined again with single blanks.
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

void EndProcessNow() { std::_Exit(0); }

std::FILE* OpenToAppend(const std::string& path) { return std::fopen(path.c_str(), "a"); }

}  // namespace kestrova::wx
