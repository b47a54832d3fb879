#include "platform/wx/control_binding.h"

#include <type_traits>

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "platform/wx/icons.h"
#include "platform/wx/native.h"
#include "platform/wx/text_codec.h"
#include "platform/wx/trace.h"

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

wxString Utf8(const std::string& text) { return wxString::FromUTF8(text); }

// A widget placed nowhere yet.
const wxRect kUnplaced(0, 0, -1, -1);

}  // namespace

ControlBinding::ControlBinding(Form2& form, wxFrame& frame, wxWindow& panel, const Twips& twips)
    : form_(form), frame_(frame), panel_(panel), twips_(twips) {
  // Group boxes first, so that they lie beneath what they hold; then every other control in the
  // window's tab order, which is the order in which the keyboard focus moves.
  form_.ForEachControl([this](auto& control) {
    if constexpr (std::is_same_v<std::decay_t<decltype(control)>, GroupBox>) Create(control);
  });
  form_.ForEachControl([this](auto& control) {
    if constexpr (!std::is_same_v<std::decay_t<decltype(control)>, GroupBox>) Create(control);
  });
  RelateForScreenReader();
  InstallDropTarget(WidgetOf(form_.txtItemToAdd), form_, [this](void* native) { return ControlOfNative(native); });
  CreateMenus();
}

ControlBinding::~ControlBinding() {
  apply_soon_.Cancel();
  // The model outlives the window (the GUI tests make one window after another on it).
  for (Bound& bound : bound_) bound.control->SetListener({});
  for (auto& [item, entry] : menu_items_) item->SetListener({});
}

wxWindow* ControlBinding::WidgetOf(const Control& control) const {
  for (const Bound& bound : bound_) {
    if (bound.control == &control) return bound.widget;
  }
  return nullptr;
}

wxMenuItem* ControlBinding::MenuItemOf(const MenuItem& item) const {
  for (const auto& [model, entry] : menu_items_) {
    if (model == &item) return entry;
  }
  return nullptr;
}

void ControlBinding::Dispatch(const std::function<void()>& handler) {
  handler();
  ApplyChanges();
}

void ControlBinding::DispatchTraced(const std::string& name, const std::function<void()>& handler) {
  if (!TraceEnabled()) {
    Dispatch(handler);
    return;
  }
  Trace("handler " + name);
  Dispatch(handler);
  Trace("handler " + name + " done");
}

void ControlBinding::ApplyChanges() {
  apply_soon_.Cancel();
  if (visibility_changed_) {
    visibility_changed_ = false;
    // A container's visibility reaches everything inside it.
    for (Bound& bound : bound_) bound.widget->Show(bound.control->Shown());
  }
  if (moved_) {
    moved_ = false;
    for (Bound& bound : bound_) Place(bound);
  }
}

void ControlBinding::Gather(Prop prop) {
  (prop == Prop::Geometry ? moved_ : visibility_changed_) = true;
  apply_soon_.Schedule();
}

void ControlBinding::Place(Bound& bound) {
  const Control& control = *bound.control;
  const wxRect rect(twips_.ToPx(control.WindowLeft()), twips_.ToPx(control.WindowTop()), twips_.ToPx(control.Width()),
                    twips_.ToPx(control.Height()));
  if (rect == bound.placed) return;
  bound.placed = rect;
  bound.widget->SetSize(rect);
  if (TraceEnabled()) {
    const auto at = [](auto x, auto y, auto w, auto h) {
      return std::to_string(int(x)) + "," + std::to_string(int(y)) + " " + std::to_string(int(w)) + "x" +
             std::to_string(int(h));
    };
    Trace("placed " + control.Name() + " " +
          at(control.WindowLeft(), control.WindowTop(), control.Width(), control.Height()) + " twips at " +
          at(rect.x, rect.y, rect.width, rect.height));
  }
}

void ControlBinding::Adopt(Control& control, wxWindow* widget, std::function<void(Prop)> own) {
  if (!control.ToolTip().empty()) widget->SetToolTip(Utf8(control.ToolTip()));
  // The toolkit names a control with a caption after it, and follows the caption when it changes.
  if (control.Caption().empty()) SetAccessibleName(widget, control.AccessibleName().c_str());
  if (widget != web_view_) MakeCompact(widget);
  widget->Enable(control.Enabled());
  widget->Show(control.Shown());
  bound_.push_back({&control, widget, kUnplaced});
  Place(bound_.back());
  control.SetListener([this, &control, widget, own = std::move(own)](Prop prop) {
    if (prop == Prop::Enabled) {
      widget->Enable(control.Enabled());
    } else if (prop == Prop::Visible || prop == Prop::Geometry) {
      Gather(prop);
    } else if (own) {
      own(prop);
    }
  });
}

void ControlBinding::Create(GroupBox& box) { Adopt(box, NewGroupBox(&panel_, Utf8(box.Caption()), Utf8(box.Name()))); }

void ControlBinding::Create(Label& label) {
  wxStaticText* widget = NewCaption(&panel_, Utf8(label.Caption()), Utf8(label.Name()));
  Adopt(label, widget, [&label, widget](Prop prop) {
    if (prop == Prop::Caption) widget->SetLabel(Utf8(label.Caption()));
  });
}

void ControlBinding::Create(Button& button) {
  wxButton* widget = nullptr;
  if (button.Kind() == ControlKind::PictureButton) {
    const IconKind icon = &button == &form_.start_button  ? IconKind::TrafficGreen
                          : &button == &form_.stop_button ? IconKind::TrafficRed
                          : &button == &form_.cmdOpen     ? IconKind::OpenFolder
                                                          : IconKind::FloppyDrive;
    widget = new wxBitmapButton(&panel_, wxID_ANY, ButtonPicture(icon), wxDefaultPosition, wxDefaultSize, wxBU_AUTODRAW,
                                wxDefaultValidator, Utf8(button.Name()));
  } else {
    widget = new wxButton(&panel_, wxID_ANY, Utf8(button.Caption()), wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, Utf8(button.Name()));
  }
  widget->Bind(wxEVT_BUTTON,
               [this, &button](wxCommandEvent&) { DispatchTraced(button.Name(), [&] { button.Click(); }); });
  Adopt(button, widget);
}

void ControlBinding::Create(TextBox& box) {
  auto* widget = new wxTextCtrl(&panel_, wxID_ANY, ToDisplay(box.Text()), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, Utf8(box.Name()));
  widget->Bind(wxEVT_TEXT, [this, &box, widget](wxCommandEvent&) {
    Dispatch([&] { box.TypedText(FromDisplay(widget->GetValue())); });
  });
  Adopt(box, widget, [&box, widget](Prop prop) {
    if (prop == Prop::Text) widget->ChangeValue(ToDisplay(box.Text()));
  });
}

void ControlBinding::Create(CheckBox& box) {
  auto* widget = new wxCheckBox(&panel_, wxID_ANY, Utf8(box.Caption()), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, Utf8(box.Name()));
  widget->SetValue(box.Ticked());
  widget->Bind(wxEVT_CHECKBOX, [this, &box, widget](wxCommandEvent&) {
    DispatchTraced(box.Name(), [&] { box.SetValue(widget->GetValue() ? CheckBox::kTicked : CheckBox::kUnticked); });
  });
  Adopt(box, widget, [&box, widget](Prop prop) {
    if (prop == Prop::Value) widget->SetValue(box.Ticked());
    if (prop == Prop::Caption) widget->SetLabel(Utf8(box.Caption()));
  });
}

void ControlBinding::Create(ListBox& list) {
  auto* widget = new wxListBox(&panel_, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_SINGLE,
                               wxDefaultValidator, Utf8(list.Name()));
  NoHorizontalScrolling(widget);
  widget->Bind(wxEVT_LISTBOX, [this, &list, widget](wxCommandEvent&) {
    Dispatch([&] { list.SelectedByUser(widget->GetSelection()); });
  });
  Adopt(list, widget, [&list, widget](Prop prop) {
    if (prop == Prop::Items) {
      wxArrayString rows;
      rows.reserve(list.Items().size());
      for (const auto& entry : list.Items()) rows.push_back(RowText(entry));
      widget->Freeze();
      widget->Set(rows);
      if (list.ListIndex() >= 0) widget->SetSelection(static_cast<int>(list.ListIndex()));
      widget->Thaw();
      if (TraceEnabled()) Trace("list items " + std::to_string(list.Items().size()));
    } else if (prop == Prop::Selection) {
      const auto index = static_cast<int>(list.ListIndex());
      widget->SetSelection(index < 0 ? wxNOT_FOUND : index);
      if (index >= 0) widget->EnsureVisible(index);
    }
  });
}

void ControlBinding::Create(WebBrowserControl& browser) {
  web_view_ = wxWebView::New(&panel_, wxID_ANY, wxWebViewDefaultURLStr, wxDefaultPosition, wxDefaultSize,
                             wxWebViewBackendDefault, 0, Utf8(browser.Name()));
  web_view_->Bind(wxEVT_WEBVIEW_LOADED,
                  [this, &browser](wxWebViewEvent&) { Dispatch([&] { browser.DocumentComplete(); }); });
  web_view_->Bind(wxEVT_WEBVIEW_NEWWINDOW, [](wxWebViewEvent&) {});
  Adopt(browser, web_view_);
}

void ControlBinding::RelateForScreenReader() {
  for (const Bound& bound : bound_) {
    const Control* caption = bound.control->LabelledBy();
    const Control* group = bound.control->Container();
    wx::RelateForScreenReader(bound.widget, caption ? WidgetOf(*caption) : nullptr, group ? WidgetOf(*group) : nullptr);
  }
}

const Control* ControlBinding::ControlOfNative(void* native) const {
  for (const Bound& bound : bound_) {
    if (bound.widget->GetHandle() == native) return bound.control;
  }
  return nullptr;
}

void ControlBinding::CreateMenus() {
  auto* bar = new wxMenuBar;
  std::vector<std::pair<const MenuItem*, wxMenu*>> menus;
  for (MenuItem* item : form_.Menus()) {
    if (item->Parent() == nullptr) {
      menus.emplace_back(item, new wxMenu);
      bar->Append(menus.back().second, Utf8(item->Caption()));
      continue;
    }
    wxMenu* menu = nullptr;
    for (auto& [parent, parent_menu] : menus) {
      if (parent == item->Parent()) menu = parent_menu;
    }
    if (item->IsSeparator()) {
      menu_items_.emplace_back(item, menu->AppendSeparator());
      continue;
    }
    wxMenuItem* entry = menu->Append(wxID_ANY, Utf8(item->Caption()));
    menu_items_.emplace_back(item, entry);
    frame_.Bind(
        wxEVT_MENU,
        [this, item, name = item->Caption()](wxCommandEvent&) { DispatchTraced(name, [item] { item->Click(); }); },
        entry->GetId());
    item->SetListener([entry, item] { entry->SetItemLabel(Utf8(item->Caption())); });
  }
  frame_.SetMenuBar(bar);
}

}  // namespace kestrova::wx
