#include "dialog_units.h"

#include <wx/dcmemory.h>
#include <wx/fontenum.h>

namespace wordloom::ui {
namespace {

// Rounds a * b / c to the nearest integer, halves away from zero, as dialog
// templates do when they scale.
int MulDivRound(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

}  // namespace

int DialogUnits::ToPixelsX(int units) const { return MulDivRound(units, baseX, 4); }
int DialogUnits::ToPixelsY(int units) const { return MulDivRound(units, baseY, 8); }
wxPoint DialogUnits::ToPixels(const wxPoint& units) const { return {ToPixelsX(units.x), ToPixelsY(units.y)}; }
wxSize DialogUnits::ToPixels(const wxSize& units) const { return {ToPixelsX(units.x), ToPixelsY(units.y)}; }

DialogUnits DialogUnitsFromMetrics(int widthOf52Letters, int charHeight) {
  DialogUnits units;
  units.baseX = (widthOf52Letters / 26 + 1) / 2;
  units.baseY = charHeight;
  return units;
}

DialogUnits MeasureDialogUnits(const wxFont& font) {
  wxBitmap scratch(1, 1);
  wxMemoryDC dc(scratch);
  dc.SetFont(font);
  wxCoord width = 0, height = 0;
  dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width, &height);
  return DialogUnitsFromMetrics(width, dc.GetCharHeight());
}

wxFont DialogFont(const char* faceUtf8, int pointSize) {
  const wxString candidates[] = {
      wxString::FromUTF8(faceUtf8),
      "SimSun",
      "NSimSun",
      "AR PL UMing CN",
      "AR PL SungtiL GB",
      "Noto Serif CJK SC",
  };
  for (const wxString& face : candidates) {
    if (wxFontEnumerator::IsValidFacename(face)) {
      return wxFont(wxFontInfo(pointSize).FaceName(face));
    }
  }
  return wxFont(wxFontInfo(pointSize).Family(wxFONTFAMILY_DEFAULT));
}

}  // namespace wordloom::ui
