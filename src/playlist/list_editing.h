#pragma once
// Editing the playlist by hand: Add, Remove, and drops onto the entry box.

#include <string>

#include "form/main_window.h"

namespace kestrova {

inline constexpr const char* kForeignDropMessage = "here";

// The entry as it enters the list: trailing blanks removed.
std::string TrimTrailingBlanks(std::string text);

void cmdAddItem_Click(Form2& form);
void cmdRemoveItem_Click(Form2& form);

// A drag dropped onto txtItemToAdd: `source` is the control of this window it began on, or null
// when it began in another program. Runs the handler of an in-window or a foreign drop.
void txtItemToAdd_Drop(Form2& form, const Control* source);
// Whether that drop counts as one from this window, rather than from outside it.
bool DropIsFromThisWindow(const Control* source);
// A control of the window dropped onto txtItemToAdd: its text is added to the list.
void txtItemToAdd_DragDrop(Form2& form, const Control& source);
// Data dragged from another program dropped onto txtItemToAdd.
void txtItemToAdd_OLEDragDrop(Form2& form);

}  // namespace kestrova
