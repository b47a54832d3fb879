#include "platform/wx/drop_target.h"

#include <gtk/gtk.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/app.h>
#include <wx/textctrl.h>

#include "playlist/list_editing.h"

namespace kestrova::wx {
namespace {

// The text a control offers as the source of an in-window drop: a text box its text, a list box
// its selected entry; controls without a text offer none.
std::optional<std::string> SourceText(const Control* control) {
  if (control == nullptr) return std::nullopt;
  if (control->Kind() == ControlKind::TextBox) return static_cast<const TextBox*>(control)->Text();
  if (control->Kind() == ControlKind::ListBox) {
    const auto* list = static_cast<const ListBox*>(control);
    return list->ListIndex() >= 0 ? list->List(list->ListIndex()) : std::string();
  }
  return std::nullopt;
}

class EntryDropTarget : public wxDropTarget {
 public:
  EntryDropTarget(Form2& form, ControlFinder find_control) : form_(form), find_control_(std::move(find_control)) {
    auto* data = new wxDataObjectComposite;
    data->Add(new wxTextDataObject, true);
    data->Add(new wxFileDataObject);
    SetDataObject(data);
  }

  wxDragResult OnDragOver(wxCoord, wxCoord, wxDragResult def) override { return def == wxDragNone ? wxDragCopy : def; }

  wxDragResult OnData(wxCoord, wxCoord, wxDragResult) override {
    GtkWidget* source = m_dragContext ? gtk_drag_get_source_widget(m_dragContext) : nullptr;
    // The handlers may show a modal box: let the drag finish first.
    if (source != nullptr) {
      const Control* control = find_control_(source);
      if (control != nullptr) {
        std::optional<std::string> text = SourceText(control);
        wxTheApp->CallAfter([this, text] { txtItemToAdd_DragDrop(form_, text); });
        return wxDragNone;  // nothing is inserted by the toolkit itself
      }
    }
    wxTheApp->CallAfter([this] { txtItemToAdd_OLEDragDrop(form_); });
    return wxDragNone;
  }

 private:
  Form2& form_;
  ControlFinder find_control_;
};

}  // namespace

void InstallDropTarget(wxTextCtrl* target, Form2& form, ControlFinder find_control) {
  target->SetDropTarget(new EntryDropTarget(form, std::move(find_control)));
}

}  // namespace kestrova::wx
