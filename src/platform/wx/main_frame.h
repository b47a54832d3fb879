#pragma once
// The main window: the frame around the widgets of the form model, and what the window system
// tells about the window itself (its size, its activation, its closing) turned into the form's
// handlers.

#include <memory>

#include <wx/frame.h>

#include "app/startup.h"
#include "form/main_window.h"
#include "platform/wx/control_binding.h"
#include "platform/wx/twips.h"

class wxWebView;
class wxMenuItem;

namespace kestrova::wx {

class MainFrame : public wxFrame {
 public:
  explicit MainFrame(Form2& form);
  ~MainFrame() override;

  wxWebView* WebView() const { return binding_->WebView(); }
  wxWindow* WidgetOf(const Control& control) const { return binding_->WidgetOf(control); }
  wxMenuItem* MenuItemOf(const MenuItem& item) const { return binding_->MenuItemOf(item); }
  const Twips& Scale() const { return twips_; }
  // Another form of the program (the About box) became active: the next activation of the main
  // window counts as a return to it.
  void NoteOtherFormActivated();
  // Runs the form's load step, before the window is first shown, and takes the caption it set.
  void Load();
  // Places and shows the widgets as the model says now, not only when the event in hand is done.
  void ApplyChanges() { binding_->ApplyChanges(); }

 private:
  void OnResizeNotification();
  void OnWindowNews(WindowNews news);

  Form2& form_;
  Twips twips_;
  std::unique_ptr<ControlBinding> binding_;
};

}  // namespace kestrova::wx
