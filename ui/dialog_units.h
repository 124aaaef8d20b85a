#pragma once
#include <wx/font.h>
#include <wx/gdicmn.h>

namespace wordloom::ui {

// Dialog base units of a font, measured the way dialog templates expect:
// x is the average width of the 52 Latin letters, y the character height.
// One horizontal dialog unit is x/4 pixels, one vertical unit y/8.
struct DialogUnits {
  int baseX = 0;
  int baseY = 0;

  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  wxPoint ToPixels(const wxPoint& units) const;
  wxSize ToPixels(const wxSize& units) const;
};

// Base units from the width of "A..Za..z" and the height of the font, in pixels.
DialogUnits DialogUnitsFromMetrics(int widthOf52Letters, int charHeight);
DialogUnits MeasureDialogUnits(const wxFont& font);

// The template's face at its point size, or the nearest Song-style face this
// system has (SimSun is rarely there outside Windows).
wxFont DialogFont(const char* faceUtf8, int pointSize);

}  // namespace wordloom::ui
