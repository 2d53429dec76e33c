#pragma once
// A white bitmap to draw on in the graphics tests, with helpers to read back what was drawn.

#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QImage>

struct TestBoard {
    TBitmap Bmp;
    explicit TestBoard(int w = 20, int h = 20) {
        Bmp.SetSize(w, h);
        Bmp.Canvas()->Brush()->SetColor(clWhite);
        Bmp.Canvas()->FillRect(Rect(0, 0, w, h));
    }
    TCanvas* C() { return Bmp.Canvas(); }
    HDC DC() { return Bmp.Canvas()->Handle(); }
    TColor At(int x, int y) { return QColorToColor(Bmp.Image().pixelColor(x, y)); }
    // The bounding box of the pixels that are not white.
    TRect Ink() {
        const QImage& img = Bmp.Image();
        TRect r(img.width(), img.height(), 0, 0);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                    r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
    int Count(TColor c) {
        const QImage& img = Bmp.Image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (TColor(ColorToRGB(c)) == QColorToColor(img.pixelColor(x, y))) ++n;
        return n;
    }
};
