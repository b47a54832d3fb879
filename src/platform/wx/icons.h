#pragma once
// The program's icons, drawn at 32×32 and 16×16 (and larger for scaled screens and the desktop's
// icon theme) in the 16 colours of the classic palette.

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

namespace kestrova::wx {

enum class IconKind { TrafficGreen, TrafficRed, OpenFolder, FloppyDrive, Globe };

wxBitmap DrawIcon(IconKind kind, int size);
// A picture button's image, 32 logical pixels, also drawn at 64 for a desktop at 200 %.
wxBitmapBundle ButtonPicture(IconKind kind);
wxIconBundle WindowIcons();

}  // namespace kestrova::wx
