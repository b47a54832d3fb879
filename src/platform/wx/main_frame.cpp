#include "platform/wx/main_frame.h"

#include <gtk/gtk.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "app/shutdown.h"
#include "app/startup.h"
#include "browse/run_control.h"
#include "help/help_documents.h"
#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "platform/wx/compact_style.h"
#include "platform/wx/drop_target.h"
#include "platform/wx/icons.h"
#include "platform/wx/pump_until.h"
#include "platform/wx/text_codec.h"
#include "platform/wx/trace.h"
#include "playlist/file_commands.h"
#include "playlist/list_editing.h"

namespace kestrova::wx {
namespace {

// GTK lays out a row's whole text each time the list is measured, which its selection moving
// does; an entry of megabytes froze the window for seconds at every page. Nobody reads that far
// along a row, so a row shows the start of its entry. The entry itself is kept whole in the model.
constexpr std::size_t kMaxRowCharacters = 1024;

wxString RowText(const std::string& entry) {
  wxString text = ToDisplay(entry);
  if (text.length() > kMaxRowCharacters) {
    text.Truncate(kMaxRowCharacters);
    text += wxString::FromUTF8("\u2026");
  }
  return text;
}

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

IconKind IconFor(const Control& control, const Form2& form) {
  if (&control == &form.start_button) return IconKind::TrafficGreen;
  if (&control == &form.stop_button) return IconKind::TrafficRed;
  if (&control == &form.cmdOpen) return IconKind::OpenFolder;
  return IconKind::FloppyDrive;
}

// A handler the user set off, between two lines of the trace when there is one.
void RunTraced(const std::string& name, const std::function<void()>& handler) {
  if (!TraceEnabled()) {
    handler();
    return;
  }
  Trace("handler " + name);
  handler();
  Trace("handler " + name + " done");
}

}  // namespace

MainFrame::MainFrame(Form2& form) : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(form.caption)), form_(form) {
  SetName("form2");
  SetIcons(WindowIcons());
  panel_ = new wxPanel(this, wxID_ANY);
  panel_->SetName("form2_client");
  CreateWidgets();
  CreateMenus();
  SetClientSize(twips_.ToPx(form.ScaleWidth), twips_.ToPx(form.ScaleHeight));
  PlaceAll();

  Bind(wxEVT_SIZE, &MainFrame::OnSize, this);
  Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& e) {
    e.Skip();
    OnResizeNotification();
  });
  Bind(wxEVT_MAXIMIZE, [this](wxMaximizeEvent& e) {
    e.Skip();
    CallAfter([this] { OnResizeNotification(); });
  });
  Bind(wxEVT_ACTIVATE, &MainFrame::OnActivate, this);
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    e.Skip();
    if (e.IsShown()) OnWindowNews(WindowNews::Shown);
  });
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
}

wxWindow* MainFrame::WidgetOf(const Control& control) const {
  auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

wxMenuItem* MainFrame::MenuItemOf(const MenuItem& item) const {
  auto it = menu_items_.find(&item);
  return it == menu_items_.end() ? nullptr : it->second;
}

void MainFrame::CreateWidgets() {
  // Group boxes first, so that they lie beneath what they hold; then every other control in the
  // window's tab order, which is the order in which the keyboard focus moves.
  std::vector<Control*> order = form_.TabOrder();
  for (Control* control : order) {
    if (control->Kind() == ControlKind::GroupBox) widgets_[control] = CreateWidget(*control);
  }
  for (Control* control : order) {
    if (control->Kind() != ControlKind::GroupBox) widgets_[control] = CreateWidget(*control);
  }
  for (Control* control : order) Listen(*control);
  RelateForScreenReader();

  BindCommand(form_.start_button, start_button_Click);
  BindCommand(form_.stop_button, stop_button_Click);
  BindCommand(form_.cmdOpen, cmdOpen_Click);
  BindCommand(form_.cmdSave, cmdSave_Click);
  BindCommand(form_.cmdAddItem, cmdAddItem_Click);
  BindCommand(form_.cmdRemoveItem, cmdRemoveItem_Click);

  for (CheckBox* box : {&form_.chk_random, &form_.ckCache, &form_.ckExit, &form_.ckLoop}) {
    auto* widget = static_cast<wxCheckBox*>(WidgetOf(*box));
    widget->Bind(wxEVT_CHECKBOX, [box, widget](wxCommandEvent&) {
      RunTraced(box->Name(), [&] { box->SetValue(widget->GetValue() ? CheckBox::kTicked : CheckBox::kUnticked); });
    });
  }
  for (TextBox* box : {&form_.txt_url1, &form_.url1_count_txt, &form_.txt_interval, &form_.txtItemToAdd}) {
    auto* widget = static_cast<wxTextCtrl*>(WidgetOf(*box));
    widget->Bind(wxEVT_TEXT, [box, widget](wxCommandEvent&) { box->TypedText(FromDisplay(widget->GetValue())); });
  }
  auto* list = static_cast<wxListBox*>(WidgetOf(form_.lstPlayList));
  list->Bind(wxEVT_LISTBOX, [this, list](wxCommandEvent&) { form_.lstPlayList.SelectedByUser(list->GetSelection()); });

  web_view_->Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent&) { WebBrowser1_DocumentComplete(form_); });
  web_view_->Bind(wxEVT_WEBVIEW_NEWWINDOW, [](wxWebViewEvent&) {});

  InstallDropTarget(static_cast<wxTextCtrl*>(WidgetOf(form_.txtItemToAdd)), form_,
                    [this](void* native) -> const Control* {
                      // The drag may start on an inner widget (the list box's tree view).
                      for (auto* w = static_cast<GtkWidget*>(native); w != nullptr; w = gtk_widget_get_parent(w)) {
                        for (auto& [control, widget] : widgets_) {
                          if (widget->GetHandle() == w) return control;
                        }
                      }
                      return nullptr;
                    });
}

wxWindow* MainFrame::CreateWidget(Control& control) {
  const wxString name = wxString::FromUTF8(control.Name());
  wxWindow* widget = nullptr;
  switch (control.Kind()) {
    case ControlKind::GroupBox: {
      auto& box = static_cast<GroupBox&>(control);
      widget = new CaptionOfItsOwn<wxStaticBox>(panel_, wxID_ANY, wxString::FromUTF8(box.Caption()), wxDefaultPosition,
                                                wxDefaultSize, 0, name);
      break;
    }
    case ControlKind::PictureButton:
      widget = new wxBitmapButton(panel_, wxID_ANY, ButtonPicture(IconFor(control, form_)), wxDefaultPosition,
                                  wxDefaultSize, wxBU_AUTODRAW, wxDefaultValidator, name);
      break;
    case ControlKind::CommandButton:
      widget = new wxButton(panel_, wxID_ANY, wxString::FromUTF8(static_cast<Button&>(control).Caption()),
                            wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
      break;
    case ControlKind::TextBox:
      widget = new wxTextCtrl(panel_, wxID_ANY, ToDisplay(static_cast<TextBox&>(control).Text()), wxDefaultPosition,
                              wxDefaultSize, 0, wxDefaultValidator, name);
      break;
    case ControlKind::Label:
      widget = new CaptionOfItsOwn<wxStaticText>(panel_, wxID_ANY, wxString::FromUTF8(control.Caption()),
                                                 wxDefaultPosition, wxDefaultSize, 0, name);
      break;
    case ControlKind::CheckBox: {
      auto& box = static_cast<CheckBox&>(control);
      auto* check = new wxCheckBox(panel_, wxID_ANY, wxString::FromUTF8(box.Caption()), wxDefaultPosition,
                                   wxDefaultSize, 0, wxDefaultValidator, name);
      check->SetValue(box.Ticked());
      widget = check;
      break;
    }
    case ControlKind::ListBox:
      widget = new wxListBox(panel_, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_SINGLE,
                             wxDefaultValidator, name);
      // No horizontal scroll bar, as on the list box of the design: in the narrowest arranged
      // window it would get less than no room, which GTK reports as a critical error.
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(widget->GetHandle()), GTK_POLICY_EXTERNAL,
                                     GTK_POLICY_AUTOMATIC);
      break;
    case ControlKind::WebBrowser:
      web_view_ = wxWebView::New(panel_, wxID_ANY, wxWebViewDefaultURLStr, wxDefaultPosition, wxDefaultSize,
                                 wxWebViewBackendDefault, 0, name);
      widget = web_view_;
      break;
    case ControlKind::FileDialog: break;
  }
  if (!control.ToolTip().empty()) widget->SetToolTip(wxString::FromUTF8(control.ToolTip()));
  // GTK names a control with a caption after it, and follows the caption when it changes.
  if (control.Caption().empty()) SetAccessibleName(widget, control.AccessibleName().c_str());
  if (control.Kind() != ControlKind::WebBrowser) MakeCompact(widget);
  widget->Enable(control.Enabled());
  widget->Show(control.Shown());
  return widget;
}

void MainFrame::RelateForScreenReader() {
  auto gtk = [this](const Control& control) { return static_cast<GtkWidget*>(WidgetOf(control)->GetHandle()); };
  for (auto& [control, widget] : widgets_) {
    // GTK relates a mnemonic label and its widget both ways for a screen reader; the captions
    // have no access key, so nothing else changes.
    if (const Control* label = control->LabelledBy()) {
      GtkWidget* caption = gtk(*label);
      if (GTK_IS_FRAME(caption)) caption = gtk_frame_get_label_widget(GTK_FRAME(caption));
      gtk_label_set_mnemonic_widget(GTK_LABEL(caption), gtk(*control));
    }
    // The group boxes are drawn beside what they hold, not around it, so the toolkit's tree
    // does not show what belongs together.
    if (const Control* group = control->Container()) {
      atk_object_add_relationship(gtk_widget_get_accessible(gtk(*control)), ATK_RELATION_MEMBER_OF,
                                  gtk_widget_get_accessible(gtk(*group)));
    }
  }
}

void MainFrame::Listen(Control& control) {
  control.SetListener([this, &control](Prop prop) { Sync(control, prop); });
}

void MainFrame::Sync(Control& control, Prop prop) {
  wxWindow* widget = WidgetOf(control);
  if (widget == nullptr) return;
  switch (prop) {
    case Prop::Text:
      static_cast<wxTextCtrl*>(widget)->ChangeValue(ToDisplay(static_cast<TextBox&>(control).Text()));
      break;
    case Prop::Value: static_cast<wxCheckBox*>(widget)->SetValue(static_cast<CheckBox&>(control).Ticked()); break;
    case Prop::Caption:
      if (control.Kind() == ControlKind::CheckBox) {
        widget->SetLabel(wxString::FromUTF8(static_cast<CheckBox&>(control).Caption()));
      } else if (control.Kind() == ControlKind::Label) {
        widget->SetLabel(wxString::FromUTF8(static_cast<Label&>(control).Caption()));
      }
      break;
    case Prop::Enabled: widget->Enable(control.Enabled()); break;
    case Prop::Visible:
      // A container's visibility reaches everything inside it.
      for (auto& [model, shown_widget] : widgets_) shown_widget->Show(model->Shown());
      break;
    case Prop::Geometry: PlaceAll(); break;
    case Prop::Items: {
      auto* list = static_cast<wxListBox*>(widget);
      wxArrayString items;
      const auto& entries = static_cast<ListBox&>(control).Items();
      items.reserve(entries.size());
      for (const auto& entry : entries) items.push_back(RowText(entry));
      list->Freeze();
      list->Set(items);
      const auto selected = static_cast<ListBox&>(control).ListIndex();
      if (selected >= 0) list->SetSelection(static_cast<int>(selected));
      list->Thaw();
      if (TraceEnabled()) Trace("list items " + std::to_string(entries.size()));
      break;
    }
    case Prop::Selection: {
      auto* list = static_cast<wxListBox*>(widget);
      const auto index = static_cast<ListBox&>(control).ListIndex();
      if (index < 0) {
        list->SetSelection(wxNOT_FOUND);
      } else {
        list->SetSelection(static_cast<int>(index));
        list->EnsureVisible(static_cast<int>(index));
      }
      break;
    }
    case Prop::TopIndex:
      static_cast<wxListBox*>(widget)->SetFirstItem(static_cast<int>(static_cast<ListBox&>(control).TopIndex()));
      break;
  }
}

void MainFrame::Place(Control& control) {
  wxWindow* widget = WidgetOf(control);
  if (widget == nullptr) return;
  widget->SetSize(twips_.ToPx(control.WindowLeft()), twips_.ToPx(control.WindowTop()), twips_.ToPx(control.Width()),
                  twips_.ToPx(control.Height()));
}

void MainFrame::PlaceAll() {
  for (Control* control : form_.TabOrder()) Place(*control);
}

void MainFrame::SyncCaption() { SetTitle(wxString::FromUTF8(form_.caption)); }

void MainFrame::BindCommand(Control& control, std::function<void(Form2&)> handler) {
  WidgetOf(control)->Bind(wxEVT_BUTTON, [this, handler, name = control.Name()](wxCommandEvent&) {
    RunTraced(name, [&] { handler(form_); });
  });
}

void MainFrame::CreateMenus() {
  auto* bar = new wxMenuBar;
  std::map<const MenuItem*, wxMenu*> menus;
  std::map<const MenuItem*, std::function<void(Form2&)>> handlers = {
      {&form_.Start, Start_Click},       {&form_.Stop, Stop_Click},       {&form_.Load, Load_Click},
      {&form_.Save, Save_Click},         {&form_.mnuHide, mnuHide_Click}, {&form_.Exit, Exit_Click},
      {&form_.Contents, Contents_Click}, {&form_.License, License_Click}, {&form_.About, About_Click},
  };
  for (MenuItem* item : form_.Menus()) {
    if (item->Parent() == nullptr) {
      auto* menu = new wxMenu;
      menus[item] = menu;
      bar->Append(menu, wxString::FromUTF8(item->Caption()));
      continue;
    }
    wxMenu* menu = menus.at(item->Parent());
    if (item->IsSeparator()) {
      menu_items_[item] = menu->AppendSeparator();
      continue;
    }
    wxMenuItem* entry = menu->Append(wxID_ANY, wxString::FromUTF8(item->Caption()));
    menu_items_[item] = entry;
    auto handler = handlers.at(item);
    Bind(
        wxEVT_MENU,
        [this, handler, exit = item == &form_.Exit, name = item->Caption()](wxCommandEvent&) {
          // A command chosen while WebKit is awaited inside a navigation runs once that wait is
          // over, like any other input; only Exit, which ends everything, runs at once.
          if (PumpingNonInput() && !exit) {
            CallAfter([this, handler, name] { RunTraced(name, [&] { handler(form_); }); });
            return;
          }
          RunTraced(name, [&] { handler(form_); });
        },
        entry->GetId());
    item->SetListener([entry, item] {
      entry->SetItemLabel(wxString::FromUTF8(item->Caption()));
      entry->Enable(item->Enabled());
    });
  }
  SetMenuBar(bar);
}

void MainFrame::OnSize(wxSizeEvent& event) {
  event.Skip();
  OnResizeNotification();
}

void MainFrame::OnResizeNotification() {
  const wxSize client = GetClientSize();
  form_.ScaleWidth = twips_.FromPx(client.GetWidth());
  form_.ScaleHeight = twips_.FromPx(client.GetHeight());
  form_.window_state =
      IsIconized() ? WindowState::Minimized : (IsMaximized() ? WindowState::Maximized : WindowState::Normal);
  Form_Resize(form_);
}

void MainFrame::OnActivate(wxActivateEvent& event) {
  event.Skip();
  if (event.GetActive()) OnWindowNews(WindowNews::Activated);
}

void MainFrame::NoteOtherFormActivated() { OnWindowNews(WindowNews::OtherFormActivated); }

void MainFrame::OnWindowNews(WindowNews news) {
  if (!ActivationCounts(form_, news)) return;
  Trace("activation");
  // The handler may run a whole browsing run: let the showing or activation finish first.
  CallAfter([this] { Form_Activate(form_); });
}

void MainFrame::OnClose(wxCloseEvent&) { Form_QueryUnload(form_); }

}  // namespace kestrova::wx
