#include "platform/wx/icons.h"

#include <cmath>

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

namespace kestrova::wx {
namespace {

// The classic 16-colour palette.
const wxColour kBlack(0, 0, 0), kMaroon(128, 0, 0), kGreen(0, 128, 0), kOlive(128, 128, 0), kNavy(0, 0, 128),
    kGray(128, 128, 128), kSilver(192, 192, 192), kRed(255, 0, 0), kLime(0, 255, 0), kYellow(255, 255, 0),
    kBlue(0, 0, 255), kWhite(255, 255, 255), kTeal(0, 128, 128), kAqua(0, 255, 255);

// Drawing happens on a 32-unit grid; a 16-pixel icon is the same picture at half scale.
struct Pen {
  wxDC& dc;
  double k;
  int S(double v) const { return static_cast<int>(std::lround(v * k)); }
  // Outlines grow with the picture, so that a 64-pixel image is the 32-pixel one at twice the size.
  wxPen Outline(const wxColour& line) const { return wxPen(line, std::max(1, S(1))); }
  void Rect(double x, double y, double w, double h, const wxColour& fill, const wxColour& line) {
    dc.SetBrush(wxBrush(fill));
    dc.SetPen(Outline(line));
    dc.DrawRectangle(S(x), S(y), std::max(1, S(w)), std::max(1, S(h)));
  }
  void Circle(double cx, double cy, double r, const wxColour& fill, const wxColour& line) {
    dc.SetBrush(wxBrush(fill));
    dc.SetPen(Outline(line));
    dc.DrawCircle(S(cx), S(cy), std::max(1, S(r)));
  }
  void Poly(std::initializer_list<wxPoint> pts, const wxColour& fill, const wxColour& line) {
    std::vector<wxPoint> scaled;
    for (auto p : pts) scaled.emplace_back(S(p.x), S(p.y));
    dc.SetBrush(wxBrush(fill));
    dc.SetPen(Outline(line));
    dc.DrawPolygon(static_cast<int>(scaled.size()), scaled.data());
  }
};

void DrawTrafficLight(Pen& p, bool green_lit) {
  p.Rect(13, 26, 6, 6, kGray, kBlack);   // post
  p.Rect(8, 0, 16, 27, kBlack, kBlack);  // housing
  p.Circle(16, 5, 3.4, green_lit ? kMaroon : kRed, kGray);
  p.Circle(16, 13.5, 3.4, kOlive, kGray);
  p.Circle(16, 22, 3.4, green_lit ? kLime : kGreen, kGray);
}

void DrawOpenFolder(Pen& p) {
  p.Poly({{2, 8}, {11, 8}, {13, 11}, {26, 11}, {26, 27}, {2, 27}}, kOlive, kBlack);  // back
  p.Rect(6, 13, 18, 12, kWhite, kGray);                                              // paper
  p.Poly({{2, 27}, {7, 16}, {31, 16}, {26, 27}}, kYellow, kBlack);                   // front flap
}

void DrawFloppyAtDrive(Pen& p) {
  p.Rect(1, 18, 30, 12, kSilver, kBlack);  // drive body
  p.Rect(5, 21, 22, 2, kBlack, kBlack);    // slot
  p.Rect(24, 26, 4, 2, kLime, kGreen);     // busy lamp
  p.Rect(7, 2, 18, 19, kNavy, kBlack);     // disk going in
  p.Rect(11, 2, 10, 6, kSilver, kGray);    // shutter
  p.Rect(10, 11, 12, 8, kWhite, kGray);    // label
}

void DrawGlobe(Pen& p) {
  p.Rect(8, 28, 16, 3, kGray, kBlack);  // base
  p.Rect(15, 23, 2, 6, kGray, kBlack);  // stem
  p.Circle(16, 13, 11, kBlue, kNavy);   // sea
  p.Poly({{9, 7}, {15, 5}, {17, 10}, {13, 14}, {10, 12}}, kGreen, kGreen);
  p.Poly({{18, 14}, {24, 12}, {25, 18}, {20, 21}}, kGreen, kGreen);
  p.Circle(12, 8, 1.2, kAqua, kAqua);  // highlight
  p.dc.SetBrush(*wxTRANSPARENT_BRUSH);
  p.dc.SetPen(wxPen(kTeal, std::max(1, p.S(1.5))));
  p.dc.DrawArc(p.S(3), p.S(24), p.S(29), p.S(2), p.S(16), p.S(13));  // meridian ring
}

}  // namespace

wxBitmap DrawIcon(IconKind kind, int size) {
  wxBitmap bitmap(size, size, 24);
  {
    wxMemoryDC dc(bitmap);
    // Smoothed edges would blend the shapes with the transparent key colour into a pink fringe;
    // the palette's icons have hard edges anyway.
    if (wxGraphicsContext* gc = dc.GetGraphicsContext()) gc->SetAntialiasMode(wxANTIALIAS_NONE);
    const wxColour key(255, 0, 255);
    dc.SetBackground(wxBrush(key));
    dc.Clear();
    Pen p{dc, size / 32.0};
    switch (kind) {
      case IconKind::TrafficGreen: DrawTrafficLight(p, true); break;
      case IconKind::TrafficRed: DrawTrafficLight(p, false); break;
      case IconKind::OpenFolder: DrawOpenFolder(p); break;
      case IconKind::FloppyDrive: DrawFloppyAtDrive(p); break;
      case IconKind::Globe: DrawGlobe(p); break;
    }
  }
  wxImage image = bitmap.ConvertToImage();
  image.SetMaskColour(255, 0, 255);
  image.InitAlpha();
  return wxBitmap(image);
}

wxBitmapBundle ButtonPicture(IconKind kind) {
  // The smallest image is the size in logical pixels; GTK picks the one drawn for the scale.
  return wxBitmapBundle::FromBitmaps(DrawIcon(kind, 32), DrawIcon(kind, 64));
}

wxIconBundle WindowIcons() {
  wxIconBundle icons;
  for (int size : {16, 32}) {
    wxIcon icon;
    icon.CopyFromBitmap(DrawIcon(IconKind::Globe, size));
    icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace kestrova::wx
