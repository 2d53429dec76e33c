#pragma once
// Small drawing helpers of the grid engine. The shared drawing routines of the tool controls have
// the same names; these stay private to the grids until the grids can use those.

#include "platform/ui/Graphics.h"

namespace GridsEhDraw {

// (77 R + 150 G + 29 B) div 256 of the colour in RGB (system colours resolved).
int ColorLuminance(TColor Color);
// Fills Rect one pixel row at a time from TopColor to BottomColor (channels interpolated to the
// nearest integer), drawn with the canvas pen; the pen colour is restored afterwards.
void PaintVerticalGradient(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor);

} // namespace GridsEhDraw
