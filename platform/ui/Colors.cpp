// Colours: system colours from the application palette, names, Qt conversions.

#include "platform/ui/GraphicsInternal.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <map>
#include <mutex>

namespace {

// The platform's default scheme, used when no GUI application exists and for colours the Qt
// palette has no role for.
constexpr std::array<COLORREF, 31> kClassic = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
    RGB(240, 240, 240)};

std::mutex gSysMutex;
std::map<int, COLORREF> gOverrides;

bool PaletteColor(int index, COLORREF& out) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    const QPalette pal = QGuiApplication::palette();
    QColor c;
    switch (index) {
    case COLOR_WINDOW:
        c = pal.color(QPalette::Active, QPalette::Base);
        break;
    case COLOR_WINDOWTEXT:
        c = pal.color(QPalette::Active, QPalette::Text);
        break;
    case COLOR_BTNFACE:
    case COLOR_MENU:
    case COLOR_MENUBAR:
        c = pal.color(QPalette::Active, QPalette::Button);
        break;
    case COLOR_BTNTEXT:
    case COLOR_MENUTEXT:
        c = pal.color(QPalette::Active, QPalette::ButtonText);
        break;
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT:
        c = pal.color(QPalette::Active, QPalette::Highlight);
        break;
    case COLOR_HIGHLIGHTTEXT:
        c = pal.color(QPalette::Active, QPalette::HighlightedText);
        break;
    case COLOR_GRAYTEXT:
        c = pal.color(QPalette::Disabled, QPalette::Text);
        break;
    case COLOR_BTNSHADOW:
        c = pal.color(QPalette::Active, QPalette::Dark);
        break;
    case COLOR_3DDKSHADOW:
        c = pal.color(QPalette::Active, QPalette::Shadow);
        break;
    case COLOR_BTNHIGHLIGHT:
        c = pal.color(QPalette::Active, QPalette::Light);
        break;
    case COLOR_3DLIGHT:
        c = pal.color(QPalette::Active, QPalette::Midlight);
        break;
    case COLOR_INFOBK:
        c = pal.color(QPalette::Active, QPalette::ToolTipBase);
        break;
    case COLOR_INFOTEXT:
        c = pal.color(QPalette::Active, QPalette::ToolTipText);
        break;
    case COLOR_HOTLIGHT:
        c = pal.color(QPalette::Active, QPalette::Link);
        break;
    case COLOR_APPWORKSPACE:
        c = pal.color(QPalette::Active, QPalette::Mid);
        break;
    default:
        return false;
    }
    out = RGB(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
    return true;
}

struct TColorName {
    TColor Value;
    const char* Name;
};
constexpr TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

} // namespace

DWORD GetSysColor(int index) {
    {
        std::lock_guard<std::mutex> lock(gSysMutex);
        auto it = gOverrides.find(index);
        if (it != gOverrides.end()) return it->second;
    }
    COLORREF c;
    if (PaletteColor(index, c)) return c;
    if (index >= 0 && index < int(kClassic.size())) return kClassic[size_t(index)];
    return 0;
}

BOOL SetSysColors(int count, const int* elements, const COLORREF* values) {
    std::lock_guard<std::mutex> lock(gSysMutex);
    for (int i = 0; i < count; ++i)
        gOverrides[elements[i]] = values[i] & 0xFFFFFF;
    return TRUE;
}

void ResetSysColors() {
    std::lock_guard<std::mutex> lock(gSysMutex);
    gOverrides.clear();
}

int32_t ColorToRGB(TColor color) {
    if (color < 0) return int32_t(GetSysColor(color & 0xFF));
    return color;
}

String ColorToString(TColor color) {
    String s;
    if (ColorToIdent(color, s)) return s;
    return QStringLiteral("$") + QStringLiteral("%1").arg(uint32_t(color), 8, 16, QChar('0')).toUpper();
}

bool ColorToIdent(int32_t color, String& ident) {
    for (const auto& n : kColorNames)
        if (n.Value == color) {
            ident = QString::fromLatin1(n.Name);
            return true;
        }
    return false;
}

bool IdentToColor(const String& ident, int32_t& color) {
    for (const auto& n : kColorNames)
        if (ident.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) {
            color = n.Value;
            return true;
        }
    return false;
}

TColor StringToColor(const String& s) {
    int32_t c;
    if (IdentToColor(s, c)) return c;
    QString t = s.trimmed();
    bool neg = false;
    if (t.startsWith('-'))
        neg = true, t.remove(0, 1);
    else if (t.startsWith('+'))
        t.remove(0, 1);
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith('$'))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || t.isEmpty() || v > 0xFFFFFFFFll)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    if (neg) v = -v;
    return TColor(uint32_t(v));
}

void GetColorValues(const TGetStrProc& proc) {
    for (const auto& n : kColorNames)
        proc(QString::fromLatin1(n.Name));
}

QColor RefToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF QColorToRef(const QColor& c) {
    return RGB(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

COLORREF ColorToRef(TColor c) {
    if (c == clNone || c == clDefault) return CLR_INVALID;
    return COLORREF(ColorToRGB(c)) & 0xFFFFFF;
}

QColor ColorToQColor(TColor color) {
    if (color == clNone) return QColor(Qt::transparent);
    return RefToQColor(COLORREF(ColorToRGB(color)));
}

TColor QColorToColor(const QColor& c) {
    if (!c.isValid() || c.alpha() == 0) return clNone;
    return TColor(QColorToRef(c));
}
