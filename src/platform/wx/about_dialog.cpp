#include "platform/wx/about_dialog.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include "platform/wx/native.h"

namespace kestrova::wx {
namespace {

// The design, in twips: client area, controls, and the etched rule under the description.
constexpr float kClientWidth = 3210, kClientHeight = 2775;

struct Place {
  float left, top, width, height;
};
constexpr Place kTitlePlace{120, 120, 2805, 240};
constexpr Place kVersionPlace{120, 480, 2925, 225};
constexpr Place kDescriptionPlace{120, 840, 2925, 930};
constexpr Place kOkPlace{2640, 2160, 420, 345};

struct Rule {
  float x1, x2, y;
  int thickness_px;
  unsigned char grey;
};
constexpr Rule kShadowRule{90, 3120, 1965, 1, 0x80};
constexpr Rule kLightRule{105, 3120, 1980, 2, 0xFF};

constexpr long kStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxFRAME_NO_TASKBAR;

}  // namespace

AboutWindow::AboutWindow(Form2& form, const Twips& twips, std::function<void()> on_activated)
    : twips_(twips), on_activated_(std::move(on_activated)) {
  frmAbout_Load(model_, form);
  // No owner: the dialog neither stays above the main window nor blocks it.
  Create(nullptr, wxID_ANY, wxString::FromUTF8(model_.caption), wxDefaultPosition, wxDefaultSize, kStyle, "frmAbout");
  KeepOffTaskbar(this);
  CreateControls();
  SetClientSize(twips_.ToPx(kClientWidth), twips_.ToPx(kClientHeight));
  CentreOnScreen();

  Bind(wxEVT_PAINT, &AboutWindow::OnPaint, this);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Unload(); }, wxID_OK);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Unload(); });
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
    event.Skip();
    if (event.GetActive() && on_activated_) on_activated_();
  });
}

void AboutWindow::CreateControls() {
  auto place = [this](wxWindow* widget, const Place& at) {
    MakeCompact(widget);
    widget->SetSize(twips_.ToPx(at.left), twips_.ToPx(at.top), twips_.ToPx(at.width), twips_.ToPx(at.height));
  };
  auto label = [this, &place](const std::string& text, const char* name, const Place& at) {
    auto* widget = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(text), wxDefaultPosition, wxDefaultSize,
                                    wxST_NO_AUTORESIZE, name);
    place(widget, at);
    return widget;
  };
  label(model_.lblTitle, "lblTitle", kTitlePlace);
  label(model_.lblVersion, "lblVersion", kVersionPlace);
  wxStaticText* description = label(model_.lblDescription, "lblDescription", kDescriptionPlace);
  WrapAtItsWidth(description);

  auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8(model_.cmdOK), wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, "cmdOK");
  place(ok, kOkPlace);
  ok->SetDefault();
  ok->SetFocus();
  SetAffirmativeId(wxID_OK);
  SetEscapeId(wxID_OK);
}

void AboutWindow::Unload() { Destroy(); }

void AboutWindow::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetPen(*wxTRANSPARENT_PEN);
  // Filled rectangles rather than pen strokes: a thick pen would straddle the line's row and
  // smear over its neighbour.
  for (const Rule& rule : {kShadowRule, kLightRule}) {
    const int x1 = twips_.ToPx(rule.x1);
    dc.SetBrush(wxBrush(wxColour(rule.grey, rule.grey, rule.grey)));
    dc.DrawRectangle(x1, twips_.ToPx(rule.y), twips_.ToPx(rule.x2) - x1, rule.thickness_px);
  }
}

AboutBox::AboutBox(Form2& form, const Twips& twips, std::function<void()> on_activated)
    : form_(form), twips_(twips), on_activated_(std::move(on_activated)) {}

void AboutBox::Show() {
  if (AboutWindow* loaded = Loaded()) {
    loaded->Raise();
    return;
  }
  window_ = new AboutWindow(form_, twips_, on_activated_);
  window_->Show();
}

AboutWindow* AboutBox::Loaded() const {
  // A destroyed top-level window lingers until the next idle time; it is already unloaded.
  AboutWindow* window = window_.get();
  return window != nullptr && !window->IsBeingDeleted() ? window : nullptr;
}

}  // namespace kestrova::wx
