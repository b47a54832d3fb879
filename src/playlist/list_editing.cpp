#include "playlist/list_editing.h"

#include <optional>
#include <utility>

namespace kestrova {
namespace {

// The text a control offers as the source of an in-window drop: a text box its text, the list
// its selected entry (empty when none is selected); the other controls offer none.
std::optional<std::string> SourceText(const Control& control) {
  if (control.Kind() == ControlKind::TextBox) return static_cast<const TextBox&>(control).Text();
  if (control.Kind() == ControlKind::ListBox) {
    const auto& list = static_cast<const ListBox&>(control);
    return list.ListIndex() >= 0 ? list.List(list.ListIndex()) : std::string();
  }
  return std::nullopt;
}

}  // namespace

std::string TrimTrailingBlanks(std::string text) {
  // Only the space character counts as a blank: a tab at the end is part of the entry.
  const auto last = text.find_last_not_of(' ');
  text.erase(last == std::string::npos ? 0 : last + 1);
  return text;
}

void cmdAddItem_Click(Form2& form) {
  form.lstPlayList.AddItem(TrimTrailingBlanks(form.txtItemToAdd.Text()));
  form.txtItemToAdd.SetText("");
}

void cmdRemoveItem_Click(Form2& form) {
  const std::int64_t selected = form.lstPlayList.ListIndex();
  if (selected < 0) return;
  form.lstPlayList.RemoveItem(selected);
}

void txtItemToAdd_Drop(Form2& form, const Control* source) {
  if (DropIsFromThisWindow(source)) {
    txtItemToAdd_DragDrop(form, *source);
  } else {
    txtItemToAdd_OLEDragDrop(form);
  }
}

bool DropIsFromThisWindow(const Control* source) {
  // The page in the browser is not ours: a link or text dragged from it comes from the web.
  return source != nullptr && source->Kind() != ControlKind::WebBrowser;
}

void txtItemToAdd_DragDrop(Form2& form, const Control& source) {
  const std::optional<std::string> text = SourceText(source);
  // A source without a text has nothing to offer; the drop is simply ignored.
  if (!text) return;
  form.lstPlayList.AddItem(TrimTrailingBlanks(*text));
}

void txtItemToAdd_OLEDragDrop(Form2& form) { form.services.message_boxes.Show(kForeignDropMessage, form.app_title); }

}  // namespace kestrova
