#pragma once
// Shared pieces of the tool-control tests: a white board to draw on, a theme switch that restores
// itself, and a PNG saver for what a person should look at.

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

struct Board {
    TBitmap Bmp;
    explicit Board(int w = 40, int h = 40, TColor bg = clWhite) {
        Bmp.SetSize(w, h);
        Bmp.Canvas()->Brush()->SetColor(bg);
        Bmp.Canvas()->FillRect(TRect(0, 0, w, h));
    }
    TCanvas* C() { return Bmp.Canvas(); }
    TColor At(int x, int y) { return QColorToColor(Bmp.Image().pixelColor(x, y)); }
    // Bounding box of the pixels that differ from bg.
    TRect Ink(TColor bg = clWhite) {
        const QImage& img = Bmp.Image();
        const TColor b = TColor(ColorToRGB(bg));
        TRect r(img.width(), img.height(), 0, 0);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (QColorToColor(img.pixelColor(x, y)) != b) {
                    r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
};

struct ThemeScope {
    bool Old;
    explicit ThemeScope(bool on) : Old(ThemesInUse()) {
        SetThemesInUse(on);
        ResetButtonBitmapCache();
    }
    ~ThemeScope() {
        SetThemesInUse(Old);
        ResetButtonBitmapCache();
    }
};

inline QString ScreenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    return dir.absoluteFilePath(name + QStringLiteral(".png"));
}

inline String S(const char* utf8) {
    return String::fromUtf8(utf8);
}
