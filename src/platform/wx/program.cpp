#include "platform/wx/program.h"

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "app/startup.h"
#include "browse/option_toggles.h"
#include "platform/wx/compact_style.h"
#include "platform/wx/main_frame.h"

namespace kestrova::wx {

Program::Program(int argc, char** argv)
    : app_(argc, argv),
      services_{browser_, url_cache_, file_dialog_, message_boxes_, clock_, pump_, random_, app_},
      form_(services_) {}

void Program::Start() {
  InstallCompactStyle();
  // Pages run in WebKit's sandbox; it must be asked for before the first web process starts.
  webkit_web_context_set_sandbox_enabled(webkit_web_context_get_default(), TRUE);
  WireOptionToggles(form_);
  frame_ = new MainFrame(form_);
  browser_.Attach(frame_->WebView());
  url_cache_.Attach(frame_->WebView());
  file_dialog_.SetParent(frame_);
  message_boxes_.SetParent(frame_);
  app_.SetFrame(frame_);
  app_.SetBeforeEnd([this] {
    if (frame_ && frame_->WebView()) {
      auto* web = static_cast<WebKitWebView*>(frame_->WebView()->GetNativeBackend());
      if (web) webkit_web_view_terminate_web_process(web);
    }
  });
  Form_Load(form_);
  frame_->SyncCaption();
  frame_->Show();
}

}  // namespace kestrova::wx
