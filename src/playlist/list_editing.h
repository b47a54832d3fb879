#pragma once
// Editing the playlist by hand: Add, Remove, and drops onto the entry box.

#include <optional>
#include <string>

#include "app/main_window.h"

namespace kestrova {

inline constexpr const char* kForeignDropMessage = "here";

// The entry as it enters the list: trailing blanks removed.
std::string TrimTrailingBlanks(std::string text);

void cmdAddItem_Click(Form2& form);
void cmdRemoveItem_Click(Form2& form);
// A control of the window dropped onto txtItemToAdd; `source_text` is the source's text, or
// nothing when the source has none.
void txtItemToAdd_DragDrop(Form2& form, const std::optional<std::string>& source_text);
// Data dragged from another application dropped onto txtItemToAdd.
void txtItemToAdd_OLEDragDrop(Form2& form);

}  // namespace kestrova
