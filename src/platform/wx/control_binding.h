#pragma once
// One widget for each control and menu command of the form model, each made with a listener of
// its control's own type that mirrors the model onto it; what the user does goes back to the
// model and to the handler the model wired. Moves and visibility are gathered and applied once
// per event dispatch: one resize moves a dozen controls, and each widget is placed once.

#include <functional>
#include <string>
#include <vector>

#include <wx/gdicmn.h>

#include "form/main_window.h"
#include "platform/wx/native.h"
#include "platform/wx/twips.h"

class wxFrame;
class wxMenuBar;
class wxMenuItem;
class wxWebView;
class wxWindow;

namespace kestrova::wx {

class ControlBinding {
 public:
  // Makes the widgets on `panel` and the menu bar of `frame`.
  ControlBinding(Form2& form, wxFrame& frame, wxWindow& panel, const Twips& twips);
  ~ControlBinding();
  ControlBinding(const ControlBinding&) = delete;
  ControlBinding& operator=(const ControlBinding&) = delete;

  wxWindow* WidgetOf(const Control& control) const;
  wxMenuItem* MenuItemOf(const MenuItem& item) const;
  wxWebView* WebView() const { return web_view_; }

  // Runs what an event of the window sets off, then applies what it gathered.
  void Dispatch(const std::function<void()>& handler);
  // The same for a handler the user set off, between two lines of the trace when there is one.
  void DispatchTraced(const std::string& name, const std::function<void()>& handler);
  // Places and shows the widgets as the model now says, where it has changed.
  void ApplyChanges();

 private:
  struct Bound {
    Control* control;
    wxWindow* widget;
    wxRect placed;
  };

  void Create(GroupBox& box);
  void Create(Label& label);
  void Create(Button& button);
  void Create(TextBox& box);
  void Create(CheckBox& box);
  void Create(ListBox& list);
  void Create(WebBrowserControl& browser);
  // Registers the widget, gives it the model's start state, and listens to the control: the
  // properties every control has are handled here, the others by `own`.
  void Adopt(Control& control, wxWindow* widget, std::function<void(Prop)> own = {});
  void Gather(Prop prop);
  void Place(Bound& bound);
  void RelateForScreenReader();
  void CreateMenus();
  const Control* ControlOfNative(void* native) const;

  Form2& form_;
  wxFrame& frame_;
  wxWindow& panel_;
  const Twips& twips_;
  std::vector<Bound> bound_;
  std::vector<std::pair<MenuItem*, wxMenuItem*>> menu_items_;
  wxWebView* web_view_ = nullptr;
  bool moved_ = false;
  bool visibility_changed_ = false;
  // Applies what changed inside a wait of the model's (a run, a message box) as soon as the loop
  // that waits turns, before the toolkit lays the window out.
  SoonCall apply_soon_{[this] { ApplyChanges(); }};
};

}  // namespace kestrova::wx
