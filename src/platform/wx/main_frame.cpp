#include "platform/wx/main_frame.h"

#include <wx/panel.h>

#include "browse/shutdown.h"
#include "layout/arrange.h"
#include "platform/wx/icons.h"
#include "platform/wx/trace.h"

namespace kestrova::wx {

MainFrame::MainFrame(Form2& form) : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(form.caption)), form_(form) {
  SetName("form2");
  SetIcons(WindowIcons());
  auto* panel = new wxPanel(this, wxID_ANY);
  panel->SetName("form2_client");
  binding_ = std::make_unique<ControlBinding>(form, *this, *panel, twips_);
  SetClientSize(twips_.ToPx(form.ScaleWidth), twips_.ToPx(form.ScaleHeight));

  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    OnResizeNotification();
  });
  Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& e) {
    e.Skip();
    OnResizeNotification();
  });
  Bind(wxEVT_MAXIMIZE, [this](wxMaximizeEvent& e) {
    e.Skip();
    CallAfter([this] { OnResizeNotification(); });
  });
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& e) {
    e.Skip();
    if (e.GetActive()) OnWindowNews(WindowNews::Activated);
  });
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    e.Skip();
    if (e.IsShown()) OnWindowNews(WindowNews::Shown);
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { binding_->Dispatch([this] { Form_QueryUnload(form_); }); });
}

MainFrame::~MainFrame() = default;

void MainFrame::Load() {
  binding_->Dispatch([this] { Form_Load(form_); });
  SetTitle(wxString::FromUTF8(form_.caption));
}

void MainFrame::OnResizeNotification() {
  const wxSize client = GetClientSize();
  form_.ScaleWidth = twips_.FromPx(client.GetWidth());
  form_.ScaleHeight = twips_.FromPx(client.GetHeight());
  form_.window_state =
      IsIconized() ? WindowState::Minimized : (IsMaximized() ? WindowState::Maximized : WindowState::Normal);
  binding_->Dispatch([this] { Form_Resize(form_); });
}

void MainFrame::NoteOtherFormActivated() { OnWindowNews(WindowNews::OtherFormActivated); }

void MainFrame::OnWindowNews(WindowNews news) {
  if (!ActivationCounts(form_, news)) return;
  Trace("activation");
  // The handler may run a whole browsing run: let the showing or activation finish first.
  CallAfter([this] { binding_->Dispatch([this] { Form_Activate(form_); }); });
}

}  // namespace kestrova::wx
