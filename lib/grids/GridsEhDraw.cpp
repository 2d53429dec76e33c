// Drawing helpers private to the grid engine.

#include "lib/grids/GridsEhDraw.h"

#include <algorithm>
#include <cmath>

namespace GridsEhDraw {

int ColorLuminance(TColor Color) {
    const TColor c = ColorToRGB(Color);
    return (77 * GetRValue(c) + 150 * GetGValue(c) + 29 * GetBValue(c)) / 256;
}

void PaintVerticalGradient(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor) {
    const int h = Rect.Bottom - Rect.Top;
    if (h <= 0 || Rect.Right <= Rect.Left) return;
    const TColor t = ColorToRGB(TopColor), b = ColorToRGB(BottomColor);
    const TColor savePen = Canvas->Pen()->Color();
    auto channel = [&](int c1, int c2, int i) {
        if (h == 1) return c1;
        const double v = c1 + double(c2 - c1) * i / (h - 1);
        return std::clamp(int(std::lround(v)), 0, 255);
    };
    for (int i = 0; i < h; ++i) {
        Canvas->Pen()->SetColor(
            TColor(RGB(channel(GetRValue(t), GetRValue(b), i), channel(GetGValue(t), GetGValue(b), i),
                       channel(GetBValue(t), GetBValue(b), i))));
        Canvas->MoveTo(Rect.Left, Rect.Top + i);
        Canvas->LineTo(Rect.Right, Rect.Top + i);
    }
    Canvas->Pen()->SetColor(savePen);
}

} // namespace GridsEhDraw
