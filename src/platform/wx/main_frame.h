#pragma once
// The main window: one widget per control of the form model, kept in step with it both ways,
// and every widget event turned into a call of its handler.

#include <functional>
#include <map>

#include <wx/frame.h>

#include "app/main_window.h"
#include "app/startup.h"
#include "platform/wx/twips.h"

class wxPanel;
class wxWebView;
class wxMenuItem;

namespace kestrova::wx {

class MainFrame : public wxFrame {
 public:
  explicit MainFrame(Form2& form);

  wxWebView* WebView() const { return web_view_; }
  wxWindow* WidgetOf(const Control& control) const;
  wxMenuItem* MenuItemOf(const MenuItem& item) const;
  const Twips& Scale() const { return twips_; }
  // Another form of the program (the About box) became active: the next activation of the main
  // window counts as a return to it.
  void NoteOtherFormActivated();
  // Puts every widget where the model says.
  void PlaceAll();
  // The caption of the window follows the model's after the load step.
  void SyncCaption();

 private:
  void CreateWidgets();
  void CreateMenus();
  wxWindow* CreateWidget(Control& control);
  void RelateForScreenReader();
  void Listen(Control& control);
  void Sync(Control& control, Prop prop);
  void Place(Control& control);
  void BindCommand(Control& control, std::function<void(Form2&)> handler);
  void OnSize(wxSizeEvent& event);
  void OnActivate(wxActivateEvent& event);
  void OnWindowNews(WindowNews news);
  void OnClose(wxCloseEvent& event);
  void OnResizeNotification();

  Form2& form_;
  Twips twips_;
  wxPanel* panel_ = nullptr;
  wxWebView* web_view_ = nullptr;
  std::map<const Control*, wxWindow*> widgets_;
  std::map<const MenuItem*, wxMenuItem*> menu_items_;
};

}  // namespace kestrova::wx
