#include "platform/wx/program.h"

#include <clocale>

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "app/startup.h"
#include "platform/wx/about_dialog.h"
#include "platform/wx/compact_style.h"
#include "platform/wx/main_frame.h"
#include "platform/wx/pending_load.h"
#include "platform/wx/visit_watch.h"

namespace kestrova::wx {

Program::Program(int argc, char** argv)
    : pump_(clock_),
      app_(argc, argv),
      services_{browser_, url_cache_, file_dialog_, message_boxes_, clock_, pump_, random_, app_, visit_file_},
      form_(services_) {
  // wxWidgets keeps GTK from adopting the user's locale, which leaves the process in the C
  // locale: every entry outside ASCII would then be taken as Windows-1252, text the user typed
  // included. Entries and typed text are in the user's character set.
  std::setlocale(LC_CTYPE, "");
}

Program::~Program() = default;

void Program::Start() {
  InstallCompactStyle();
  // Pages run in WebKit's sandbox. It must be asked for before the first web process starts, and
  // only once: the web context outlives a window (the GUI tests make one after another).
  static const bool sandboxed = [] {
    webkit_web_context_set_sandbox_enabled(webkit_web_context_get_default(), TRUE);
    return true;
  }();
  (void)sandboxed;
  frame_ = new MainFrame(form_);
  auto* web = static_cast<WebKitWebView*>(frame_->WebView()->GetNativeBackend());
  FollowLoadStarts(web);
  WatchVisits(web, form_);
  browser_.Attach(frame_->WebView());
  file_dialog_.SetParent(frame_);
  message_boxes_.SetParent(frame_);
  app_.SetFrame(frame_);
  about_ = std::make_unique<AboutBox>(form_, frame_->Scale(), [this] { frame_->NoteOtherFormActivated(); });
  app_.SetAboutHandler([this] { about_->Show(); });
  app_.SetBeforeEnd([web] {
    if (web) webkit_web_view_terminate_web_process(web);
  });
  Form_Load(form_);
  frame_->SyncCaption();
  frame_->Show();
}

}  // namespace kestrova::wx
