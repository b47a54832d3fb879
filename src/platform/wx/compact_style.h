#pragma once
// The design's controls are smaller than the GTK theme's minimum sizes; widgets of the main
// window get a compact style (8pt font, no padding or minimum heights) so they fit their places.

class wxWindow;

namespace kestrova::wx {

void InstallCompactStyle();
void MakeCompact(wxWindow* window);
// The name a screen reader announces for a widget that shows no text of its own.
void SetAccessibleName(wxWindow* window, const char* name);

}  // namespace kestrova::wx
