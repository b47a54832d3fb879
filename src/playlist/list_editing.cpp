#include "playlist/list_editing.h"

#include <utility>

namespace kestrova {

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

void txtItemToAdd_DragDrop(Form2& form, const std::optional<std::string>& source_text) {
  // A source without a text has nothing to offer; the drop is simply ignored.
  if (!source_text) return;
  form.lstPlayList.AddItem(TrimTrailingBlanks(*source_text));
}

void txtItemToAdd_OLEDragDrop(Form2& form) {
  form.services.message_boxes.Show(kForeignDropMessage, form.app_title);
}

}  // namespace kestrova
