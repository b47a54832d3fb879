#include "platform/wx/program.h"

#include <clocale>

#include "app/form_wiring.h"
#include "platform/wx/about_dialog.h"
#include "platform/wx/main_frame.h"

namespace kestrova::wx {

Program::Program(int argc, char** argv)
    : pump_(clock_), app_(argc, argv), services_{*engine_, engine_->Cache(), file_dialog_, message_boxes_, clock_,
                                                 pump_,    random_,          app_,         visit_file_,    *files_},
      form_(services_) {
  WireForm(form_);
  // wxWidgets keeps GTK from adopting the user's locale, which leaves the process in the C
  // locale: every entry outside ASCII would then be taken as Windows-1252, text the user typed
  // included. Entries and typed text are in the user's character set.
  std::setlocale(LC_CTYPE, "");
}

Program::~Program() = default;

void Program::Start() {
  InstallCompactStyle();
  frame_ = new MainFrame(form_);
  engine_->Attach(frame_->WebView(), form_.visit_log, form_.navigation_guard);
  engine_->SetBeforeNavigate([this] { frame_->ApplyChanges(); });
  file_dialog_.SetParent(frame_);
  message_boxes_.SetParent(frame_);
  app_.SetFrame(frame_);
  app_.SetBeforeEnd([this] { engine_->EndWebProcess(); });
  about_ = std::make_unique<AboutBox>(form_, frame_->Scale(), [this] { frame_->NoteOtherFormActivated(); });
  app_.SetAboutHandler([this] { about_->Show(); });
  frame_->Load();
  frame_->Show();
}

}  // namespace kestrova::wx
