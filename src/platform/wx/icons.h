#pragma once
// The program's icons, drawn at 32×32 and 16×16 in the 16 colours of the classic palette.

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

namespace kestrova::wx {

enum class IconKind { TrafficGreen, TrafficRed, OpenFolder, FloppyDrive, Globe };

wxBitmap DrawIcon(IconKind kind, int size);
wxBitmapBundle IconBundle(IconKind kind);
wxIconBundle WindowIcons();

}  // namespace kestrova::wx
