#pragma once
// The About dialog frmAbout on screen: a window drawn from the dialog model, and the one place
// that knows whether the dialog is loaded.

#include <functional>

#include <wx/dialog.h>
#include <wx/weakref.h>

#include "form/main_window.h"
#include "help/about.h"
#include "platform/wx/twips.h"

namespace kestrova::wx {

// A loaded frmAbout. Constructing it runs the load step; OK, Escape, Enter and the close box
// unload it, which destroys the window and its model together.
class AboutWindow : public wxDialog {
 public:
  AboutWindow(Form2& form, const Twips& twips, std::function<void()> on_activated);

 private:
  void CreateControls();
  void Unload();
  void OnPaint(wxPaintEvent& event);

  AboutDialog model_;
  Twips twips_;
  std::function<void()> on_activated_;
};

// The dialog exists at most once per process; it has no owner window, so the main window stays
// usable beside it.
class AboutBox {
 public:
  // `on_activated` runs each time the dialog becomes the active window.
  AboutBox(Form2& form, const Twips& twips, std::function<void()> on_activated);
  // Loads and shows the dialog, or brings the loaded one forward.
  void Show();
  // The loaded dialog, or nullptr.
  AboutWindow* Loaded() const;

 private:
  Form2& form_;
  Twips twips_;
  std::function<void()> on_activated_;
  wxWeakRef<AboutWindow> window_;
};

}  // namespace kestrova::wx
