// Theme services: elements drawn with the application's Qt style, or the classic look.

#include "platform/ui/Themes.h"

#include "platform/ui/GraphicsInternal.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>

#include <cstdlib>

namespace {

bool& ThemesFlag() {
    static bool on = [] {
        const char* v = std::getenv("KVT_CLASSIC_THEME");
        return !(v && *v && std::string(v) != "0");
    }();
    return on;
}

QStyle* AppStyle() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
}

enum { sNormal = 0, sHot = 1, sPressed = 2, sDisabled = 3, sExtra = 4 };

int Group(int v, int first, int size) {
    return (v - first) % size;
}

QRect QR(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// The classic drawing of an element.
bool DrawClassic(HDC dc, const TThemedElementDetails& d, const TRect& r) {
    TRect rc = r;
    const int st = d.State;
    UINT push = (st == sPressed ? UINT(DFCS_PUSHED) : 0u) | (st == sDisabled ? UINT(DFCS_INACTIVE) : 0u) |
                (st == sHot ? UINT(DFCS_HOT) : 0u);
    switch (d.Element) {
    case teButton:
        if (d.Part >= tbPushButtonNormal && d.Part <= tbPushButtonDefaulted)
            return DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | push);
        if (d.Part >= tbRadioButtonUncheckedNormal && d.Part <= tbRadioButtonCheckedDisabled)
            return DrawFrameControl(dc, &rc, DFC_BUTTON,
                                    DFCS_BUTTONRADIO | push |
                                        (d.Part >= tbRadioButtonCheckedNormal ? DFCS_CHECKED : 0u));
        if (d.Part >= tbCheckBoxUncheckedNormal && d.Part <= tbCheckBoxMixedDisabled) {
            UINT s = DFCS_BUTTONCHECK | push;
            if (d.Part >= tbCheckBoxMixedNormal)
                s |= DFCS_BUTTON3STATE | DFCS_CHECKED;
            else if (d.Part >= tbCheckBoxCheckedNormal)
                s |= DFCS_CHECKED;
            return DrawFrameControl(dc, &rc, DFC_BUTTON, s);
        }
        if (d.Part == tbGroupBoxNormal || d.Part == tbGroupBoxDisabled)
            return DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
        return false;
    case teComboBox:
        return DrawFrameControl(dc, &rc, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | push);
    case teScrollBar:
        if (d.Part >= tsArrowBtnUpNormal && d.Part <= tsArrowBtnRightDisabled) {
            static const UINT dirs[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
            return DrawFrameControl(dc, &rc, DFC_SCROLL, dirs[(d.Part - tsArrowBtnUpNormal) / 4] | push);
        }
        if (d.Part >= tsThumbBtnHorzNormal && d.Part <= tsThumbBtnVertDisabled)
            return DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        if (d.Part >= tsSizeBoxRightAlign) return DrawFrameControl(dc, &rc, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        FillRect(dc, rc, GetSysColorBrush(COLOR_SCROLLBAR));
        return true;
    case teSpin: {
        const bool up = d.Part >= tsUpNormal && d.Part <= tsUpDisabled;
        return DrawFrameControl(dc, &rc, DFC_SCROLL, (up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | push);
    }
    case teHeader:
        if (d.Part == thHeaderSortArrowSortedUp || d.Part == thHeaderSortArrowSortedDown) {
            // A small filled triangle in the shadow colour.
            const bool upArrow = d.Part == thHeaderSortArrowSortedUp;
            const int h = std::max(2, std::min(r.Height(), (r.Width() + 1) / 2));
            const int x0 = r.Left + (r.Width() - (2 * h - 1)) / 2, y0 = r.Top + (r.Height() - h) / 2;
            HBRUSH b = GetSysColorBrush(COLOR_3DSHADOW);
            for (int k = 0; k < h; ++k) {
                const int row = upArrow ? h - 1 - k : k;
                FillRect(dc, TRect(x0 + k, y0 + row, x0 + 2 * h - 1 - k, y0 + row + 1), b);
            }
            return true;
        }
        return DrawEdge(dc, &rc, st == sPressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                        BF_RECT | BF_MIDDLE | BF_SOFT);
    case teToolBar:
        FillRect(dc, rc, GetSysColorBrush(COLOR_BTNFACE));
        if (st == sHot) return DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
        if (st == sPressed || st == sExtra) return DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
        return true;
    case teToolTip:
        FillRect(dc, rc, GetSysColorBrush(COLOR_INFOBK));
        FrameRect(dc, rc, GetSysColorBrush(COLOR_INFOTEXT));
        return true;
    case teTreeview:
        if (d.Part == ttGlyphClosed || d.Part == ttGlyphOpened || d.Part == ttHotGlyphClosed ||
            d.Part == ttHotGlyphOpened) {
            // A 9x9 box with a minus, and a plus when closed.
            const TRect b = Bounds(r.Left + (r.Width() - 9) / 2, r.Top + (r.Height() - 9) / 2, 9, 9);
            FillRect(dc, b, GetSysColorBrush(COLOR_WINDOW));
            FrameRect(dc, b, GetSysColorBrush(COLOR_BTNSHADOW));
            HBRUSH t = GetSysColorBrush(COLOR_WINDOWTEXT);
            FillRect(dc, TRect(b.Left + 2, b.Top + 4, b.Right - 2, b.Top + 5), t);
            if (d.Part == ttGlyphClosed || d.Part == ttHotGlyphClosed)
                FillRect(dc, TRect(b.Left + 4, b.Top + 2, b.Left + 5, b.Bottom - 2), t);
            return true;
        }
        FillRect(dc, rc, GetSysColorBrush(st == sPressed ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        return true;
    case teEdit:
        if (d.Part >= teEditBorderNoScrollNormal) return DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        FillRect(dc, rc, GetSysColorBrush(st == sDisabled ? COLOR_BTNFACE : COLOR_WINDOW));
        return true;
    case teGrid:
        switch (d.Part) {
        case tgCellSelected:
        case tgCellRowSelectedLeft:
        case tgCellRowSelectedCenter:
        case tgCellRowSelectedRight:
        case tgGradientCellSelected:
        case tgClassicCellSelected:
            FillRect(dc, rc, GetSysColorBrush(COLOR_HIGHLIGHT));
            return true;
        case tgFixedCellNormal:
        case tgFixedCellHot:
        case tgFixedCellPressed:
        case tgGradientFixedCellNormal:
        case tgGradientFixedCellHot:
        case tgGradientFixedCellPressed:
        case tgClassicFixedCellNormal:
        case tgClassicFixedCellHot:
        case tgClassicFixedCellPressed:
            return DrawEdge(dc, &rc, st == sPressed ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        default:
            FillRect(dc, rc, GetSysColorBrush(COLOR_WINDOW));
            return true;
        }
    case teWindow:
        if (d.Part == twSmallCaptionActive || d.Part == twSmallCaptionInactive) {
            FillRect(dc, rc,
                     GetSysColorBrush(d.Part == twSmallCaptionActive ? COLOR_ACTIVECAPTION
                                                                     : COLOR_INACTIVECAPTION));
            return true;
        }
        if (d.Part == twSmallFrameBottomActive || d.Part == twSmallFrameBottomInactive) {
            FillRect(dc, rc, GetSysColorBrush(COLOR_ACTIVEBORDER));
            return true;
        }
        return DrawFrameControl(dc, &rc, DFC_CAPTION, DFCS_CAPTIONCLOSE | push);
    case teStatus:
        if (d.Part == tsGripper) return DrawFrameControl(dc, &rc, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        return DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    default:
        return false;
    }
}

void InitOption(QStyleOption& o, const TThemedElementDetails& d, const TRect& r) {
    o.rect = QR(r);
    o.palette = QApplication::palette();
    o.state = QStyle::State_None;
    if (d.State != sDisabled) o.state |= QStyle::State_Enabled;
    if (d.State == sHot) o.state |= QStyle::State_MouseOver;
    if (d.State == sPressed)
        o.state |= QStyle::State_Sunken;
    else
        o.state |= QStyle::State_Raised;
    if (d.State == sExtra) o.state |= QStyle::State_On;
}

bool DrawStyled(QStyle* style, QPainter* p, const TThemedElementDetails& d, const TRect& r) {
    switch (d.Element) {
    case teButton: {
        QStyleOptionButton o;
        InitOption(o, d, r);
        if (d.Part >= tbPushButtonNormal && d.Part <= tbPushButtonDefaulted) {
            if (d.Part == tbPushButtonDefaulted) o.features |= QStyleOptionButton::DefaultButton;
            style->drawControl(QStyle::CE_PushButtonBevel, &o, p);
            return true;
        }
        if (d.Part >= tbRadioButtonUncheckedNormal && d.Part <= tbRadioButtonCheckedDisabled) {
            o.state |= d.Part >= tbRadioButtonCheckedNormal ? QStyle::State_On : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &o, p);
            return true;
        }
        if (d.Part >= tbCheckBoxUncheckedNormal && d.Part <= tbCheckBoxMixedDisabled) {
            o.state |= d.Part >= tbCheckBoxMixedNormal     ? QStyle::State_NoChange
                       : d.Part >= tbCheckBoxCheckedNormal ? QStyle::State_On
                                                           : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, p);
            return true;
        }
        if (d.Part == tbGroupBoxNormal || d.Part == tbGroupBoxDisabled) {
            QStyleOptionFrame f;
            InitOption(f, d, r);
            f.lineWidth = 1;
            style->drawPrimitive(QStyle::PE_FrameGroupBox, &f, p);
            return true;
        }
        return false;
    }
    case teComboBox:
    case teSpin:
    case teScrollBar: {
        QStyleOption o;
        InitOption(o, d, r);
        QStyle::PrimitiveElement arrow = QStyle::PE_IndicatorArrowDown;
        if (d.Element == teScrollBar) {
            if (d.Part >= tsSizeBoxRightAlign) {
                QStyleOptionSizeGrip g;
                InitOption(g, d, r);
                g.corner = d.Part == tsSizeBoxLeftAlign ? Qt::BottomLeftCorner : Qt::BottomRightCorner;
                style->drawControl(QStyle::CE_SizeGrip, &g, p);
                return true;
            }
            if (d.Part >= tsThumbBtnHorzNormal && d.Part <= tsThumbBtnVertDisabled) {
                style->drawPrimitive(QStyle::PE_PanelButtonBevel, &o, p);
                return true;
            }
            if (d.Part >= tsLowerTrackHorzNormal) {
                p->fillRect(QR(r), o.palette.color(QPalette::Window).darker(105));
                return true;
            }
            static const QStyle::PrimitiveElement dirs[] = {
                QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown, QStyle::PE_IndicatorArrowLeft,
                QStyle::PE_IndicatorArrowRight};
            arrow = dirs[(d.Part - tsArrowBtnUpNormal) / 4];
        } else if (d.Element == teSpin && d.Part >= tsUpNormal && d.Part <= tsUpDisabled) {
            arrow = QStyle::PE_IndicatorArrowUp;
        }
        style->drawPrimitive(QStyle::PE_PanelButtonBevel, &o, p);
        QStyleOption a = o;
        const int s = std::max(5, std::min(r.Width(), r.Height()) / 2);
        a.rect = QRect(r.Left + (r.Width() - s) / 2, r.Top + (r.Height() - s) / 2, s, s);
        if (d.State == sPressed) a.rect.translate(1, 1);
        style->drawPrimitive(arrow, &a, p);
        return true;
    }
    case teHeader: {
        QStyleOptionHeader h;
        InitOption(h, d, r);
        if (d.Part == thHeaderSortArrowSortedUp || d.Part == thHeaderSortArrowSortedDown) {
            h.sortIndicator = d.Part == thHeaderSortArrowSortedUp ? QStyleOptionHeader::SortUp
                                                                  : QStyleOptionHeader::SortDown;
            style->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &h, p);
            return true;
        }
        style->drawControl(QStyle::CE_HeaderSection, &h, p);
        return true;
    }
    case teToolBar: {
        QStyleOption o;
        InitOption(o, d, r);
        o.state |= QStyle::State_AutoRaise;
        if (d.State == sExtra || d.Part == ttbButtonChecked || d.Part == ttbButtonCheckedHot)
            o.state |= QStyle::State_On;
        style->drawPrimitive(QStyle::PE_PanelButtonTool, &o, p);
        return true;
    }
    case teToolTip: {
        QStyleOptionFrame f;
        InitOption(f, d, r);
        style->drawPrimitive(QStyle::PE_PanelTipLabel, &f, p);
        return true;
    }
    case teTreeview:
        if (d.Part == ttGlyphClosed || d.Part == ttGlyphOpened || d.Part == ttHotGlyphClosed ||
            d.Part == ttHotGlyphOpened) {
            QStyleOption o;
            InitOption(o, d, r);
            o.state |= QStyle::State_Children | QStyle::State_Item;
            if (d.Part == ttGlyphOpened || d.Part == ttHotGlyphOpened) o.state |= QStyle::State_Open;
            style->drawPrimitive(QStyle::PE_IndicatorBranch, &o, p);
            return true;
        }
        return false;
    case teEdit:
        if (d.Part >= teEditBorderNoScrollNormal) {
            QStyleOptionFrame f;
            InitOption(f, d, r);
            f.lineWidth = 1;
            if (d.Part == teEditBorderNoScrollFocused) f.state |= QStyle::State_HasFocus;
            style->drawPrimitive(QStyle::PE_FrameLineEdit, &f, p);
            return true;
        }
        return false;
    case teGrid:
        if ((d.Part >= tgFixedCellNormal && d.Part <= tgFixedCellPressed) ||
            (d.Part >= tgGradientFixedCellNormal && d.Part <= tgGradientFixedCellPressed)) {
            QStyleOptionHeader h;
            InitOption(h, d, r);
            style->drawControl(QStyle::CE_HeaderSection, &h, p);
            return true;
        }
        return false;
    case teStatus:
        if (d.Part == tsGripper) {
            QStyleOptionSizeGrip g;
            InitOption(g, d, r);
            g.corner = Qt::BottomRightCorner;
            style->drawControl(QStyle::CE_SizeGrip, &g, p);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace

bool ThemesInUse() {
    return ThemesFlag();
}
void SetThemesInUse(bool on) {
    ThemesFlag() = on;
}

TCustomStyleServices* StyleServices() {
    static TCustomStyleServices s;
    return &s;
}
TCustomStyleServices* ThemeServices() {
    return StyleServices();
}

bool TCustomStyleServices::Enabled() const {
    return ThemesInUse();
}

int TCustomStyleServices::StateOf(TThemedButton d) {
    const int v = int(d);
    if (v >= tbPushButtonNormal && v <= tbPushButtonDefaulted)
        return v == tbPushButtonDefaulted ? sExtra : v - tbPushButtonNormal;
    if (v >= tbRadioButtonUncheckedNormal && v <= tbRadioButtonCheckedDisabled)
        return Group(v, tbRadioButtonUncheckedNormal, 4);
    if (v >= tbCheckBoxUncheckedNormal && v <= tbCheckBoxMixedDisabled)
        return Group(v, tbCheckBoxUncheckedNormal, 4);
    if (v == tbGroupBoxDisabled) return sDisabled;
    return sNormal;
}
int TCustomStyleServices::StateOf(TThemedComboBox d) {
    return d >= tcDropDownButtonNormal ? d - tcDropDownButtonNormal : 0;
}
int TCustomStyleServices::StateOf(TThemedEdit d) {
    switch (d) {
    case teEditTextHot:
    case teEditBorderNoScrollHot:
        return sHot;
    case teEditTextSelected:
        return sPressed;
    case teEditTextDisabled:
    case teEditBorderNoScrollDisabled:
        return sDisabled;
    case teEditTextFocused:
    case teEditBorderNoScrollFocused:
        return sExtra;
    default:
        return sNormal;
    }
}
int TCustomStyleServices::StateOf(TThemedHeader d) {
    return d >= thHeaderItemNormal && d <= thHeaderItemRightPressed ? Group(d, thHeaderItemNormal, 3) : 0;
}
int TCustomStyleServices::StateOf(TThemedScrollBar d) {
    return d >= tsArrowBtnUpNormal && d <= tsThumbBtnVertDisabled ? Group(d, tsArrowBtnUpNormal, 4) : 0;
}
int TCustomStyleServices::StateOf(TThemedSpin d) {
    return d >= tsUpNormal ? Group(d, tsUpNormal, 4) : 0;
}
int TCustomStyleServices::StateOf(TThemedToolBar d) {
    if (d >= ttbButtonNormal && d <= ttbButtonDisabled) return d - ttbButtonNormal;
    if (d == ttbButtonChecked) return sExtra;
    if (d == ttbButtonCheckedHot) return sHot;
    if (d >= ttbSplitButtonNormal) return Group(d, ttbSplitButtonNormal, 4);
    return 0;
}
int TCustomStyleServices::StateOf(TThemedToolTip d) {
    return d >= tttCloseNormal ? d - tttCloseNormal : 0;
}
int TCustomStyleServices::StateOf(TThemedTreeview d) {
    switch (d) {
    case ttItemHot:
    case ttHotGlyphClosed:
    case ttHotGlyphOpened:
        return sHot;
    case ttItemSelected:
        return sPressed;
    case ttItemDisabled:
        return sDisabled;
    case ttItemSelectedNotFocus:
        return sExtra;
    default:
        return sNormal;
    }
}
int TCustomStyleServices::StateOf(TThemedWindow d) {
    if (d >= twSmallCloseButtonNormal) return Group(d, twSmallCloseButtonNormal, 4);
    return d == twSmallCaptionInactive || d == twSmallFrameBottomInactive ? sDisabled : sNormal;
}
int TCustomStyleServices::StateOf(TThemedGrid d) {
    switch (d) {
    case tgFixedCellHot:
    case tgGradientFixedCellHot:
    case tgClassicFixedCellHot:
        return sHot;
    case tgFixedCellPressed:
    case tgGradientFixedCellPressed:
    case tgClassicFixedCellPressed:
        return sPressed;
    default:
        return sNormal;
    }
}
int TCustomStyleServices::StateOf(TThemedStatus) {
    return sNormal;
}

bool TCustomStyleServices::DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r,
                                       const TRect* clip) {
    if (!dc || r.IsEmpty()) return false;
    const int saved = SaveDC(dc);
    if (clip) IntersectClipRect(dc, clip->Left, clip->Top, clip->Right, clip->Bottom);
    // Styles may paint shadows around an element; the platform keeps to the rectangle.
    IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
    bool done = false;
    QStyle* style = Enabled() ? AppStyle() : nullptr;
    if (style && dc->Prepare()) {
        QPainter* p = dc->Painter;
        p->save();
        p->setRenderHint(QPainter::Antialiasing, true);
        done = DrawStyled(style, p, details, r);
        p->restore();
        dc->Dirty = true;
    }
    if (!done) done = DrawClassic(dc, details, r);
    RestoreDC(dc, saved);
    return done;
}

bool TCustomStyleServices::DrawText(HDC dc, const TThemedElementDetails& details, const String& s, TRect& r,
                                    UINT dtFlags, TColor color) {
    if (!dc) return false;
    TColor c = color;
    if (c == clNone || c == clDefault) GetElementColor(details, ecTextColor, c);
    const COLORREF oldText = SetTextColor(dc, ColorToRef(c));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    String text = s;
    ::DrawText(dc, text, -1, &r, dtFlags);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
    return true;
}

bool TCustomStyleServices::DrawText(HDC dc, const TThemedElementDetails& details, const String& s, TRect& r,
                                    TTextFormat flags, TColor color) {
    return DrawText(dc, details, s, r, TextFormatFlags(flags), color);
}

bool TCustomStyleServices::GetElementSize(HDC dc, const TThemedElementDetails& d, TElementSize which,
                                          TSize& size) {
    return GetElementSize(dc, d, TRect(), which, size);
}

bool TCustomStyleServices::GetElementSize(HDC, const TThemedElementDetails& d, const TRect& r,
                                          TElementSize which, TSize& size) {
    QStyle* style = Enabled() ? AppStyle() : nullptr;
    auto metric = [&](QStyle::PixelMetric m, int classic) { return style ? style->pixelMetric(m) : classic; };
    switch (d.Element) {
    case teButton:
        if (d.Part >= tbCheckBoxUncheckedNormal && d.Part <= tbCheckBoxMixedDisabled) {
            size = TSize(metric(QStyle::PM_IndicatorWidth, ClassicCheckBoxSize),
                         metric(QStyle::PM_IndicatorHeight, ClassicCheckBoxSize));
            return true;
        }
        if (d.Part >= tbRadioButtonUncheckedNormal && d.Part <= tbRadioButtonCheckedDisabled) {
            size = TSize(metric(QStyle::PM_ExclusiveIndicatorWidth, 12),
                         metric(QStyle::PM_ExclusiveIndicatorHeight, 12));
            return true;
        }
        break;
    case teScrollBar:
    case teComboBox:
    case teSpin: {
        const int e = metric(QStyle::PM_ScrollBarExtent, 17);
        if (d.Element == teScrollBar && d.Part >= tsSizeBoxRightAlign) {
            const int g = style ? std::max(e, style->pixelMetric(QStyle::PM_SizeGripSize)) : e;
            size = TSize(g, g);
        } else {
            size = TSize(e, e);
        }
        return true;
    }
    case teHeader:
        if (d.Part == thHeaderSortArrowSortedUp || d.Part == thHeaderSortArrowSortedDown) {
            size = TSize(9, 5);
            return true;
        }
        size = TSize(which == esStretch ? r.Width() : 0, metric(QStyle::PM_HeaderMargin, 4) * 2 + 13);
        return true;
    case teTreeview:
        size = TSize(9, 9);
        return true;
    case teStatus:
        if (d.Part == tsGripper) {
            const int g = style ? style->pixelMetric(QStyle::PM_SizeGripSize) : 13;
            size = TSize(g, g);
            return true;
        }
        break;
    default:
        break;
    }
    size = which == esStretch ? r.Size() : TSize();
    return false;
}

bool TCustomStyleServices::GetElementContentRect(HDC, const TThemedElementDetails& d, const TRect& bounds,
                                                 TRect& content) {
    content = bounds;
    const int in =
        d.Element == teButton || d.Element == teEdit || d.Element == teHeader || d.Element == teToolBar ? 2
                                                                                                        : 0;
    InflateRect(content, -in, -in);
    return true;
}

bool TCustomStyleServices::GetElementColor(const TThemedElementDetails& d, TElementColor which,
                                           TColor& color) {
    TColor c = clNone;
    const bool selected =
        d.Element == teGrid &&
        (d.Part == tgCellSelected || d.Part == tgGradientCellSelected || d.Part == tgClassicCellSelected ||
         (d.Part >= tgCellRowSelectedLeft && d.Part <= tgCellRowSelectedRight));
    switch (which) {
    case ecFillColor:
    case ecFillColorHint:
        switch (d.Element) {
        case teToolTip:
            c = clInfoBk;
            break;
        case teEdit:
        case teTreeview:
            c = d.State == sDisabled ? clBtnFace : clWindow;
            break;
        case teGrid:
            c = selected ? clHighlight : (d.Part >= tgFixedCellNormal ? clBtnFace : clWindow);
            break;
        default:
            c = clBtnFace;
            break;
        }
        break;
    case ecTextColor:
    case ecTextColorHint:
    case ecGlyphTextColor:
        if (d.State == sDisabled)
            c = clGrayText;
        else
            switch (d.Element) {
            case teToolTip:
                c = clInfoText;
                break;
            case teEdit:
            case teTreeview:
                c = clWindowText;
                break;
            case teGrid:
                c = selected ? clHighlightText : (d.Part >= tgFixedCellNormal ? clBtnText : clWindowText);
                break;
            default:
                c = clBtnText;
                break;
            }
        break;
    case ecBorderColor:
    case ecBorderColorHint:
        c = d.Element == teToolTip ? clInfoText : clBtnShadow;
        break;
    case ecEdgeLightColor:
        c = cl3DLight;
        break;
    case ecEdgeHighLightColor:
        c = clBtnHighlight;
        break;
    case ecEdgeShadowColor:
        c = clBtnShadow;
        break;
    case ecEdgeDkShadowColor:
        c = cl3DDkShadow;
        break;
    case ecEdgeFillColor:
        c = clBtnFace;
        break;
    case ecGradientColor1:
    case ecGradientColor2:
        c = d.Element == teGrid ? clBtnFace : clBtnHighlight;
        break;
    case ecAccentColorHint:
        c = clHighlight;
        break;
    default:
        return false;
    }
    color = ColorToRGB(c);
    return true;
}

bool TCustomStyleServices::HasTransparentParts(const TThemedElementDetails& d) {
    return d.Element == teButton && d.Part >= tbRadioButtonUncheckedNormal;
}

TColor TCustomStyleServices::GetSystemColor(TColor color) {
    return ::ColorToRGB(color);
}

TColor TCustomStyleServices::GetStyleColor(TStyleColor c) {
    switch (c) {
    case scBorder:
        return ::ColorToRGB(clWindowFrame);
    case scEdit:
    case scComboBox:
    case scListBox:
    case scListView:
    case scTreeView:
    case scGrid:
        return ::ColorToRGB(clWindow);
    case scEditDisabled:
    case scComboBoxDisabled:
    case scListBoxDisabled:
        return ::ColorToRGB(clBtnFace);
    default:
        return ::ColorToRGB(clBtnFace);
    }
}

TColor TCustomStyleServices::GetStyleFontColor(TStyleFont f) {
    switch (f) {
    case sfButtonTextDisabled:
    case sfEditBoxTextDisabled:
    case sfHeaderSectionTextDisabled:
    case sfListItemTextDisabled:
    case sfPanelTextDisabled:
    case sfTreeItemTextDisabled:
    case sfWindowTextDisabled:
        return ::ColorToRGB(clGrayText);
    case sfEditBoxTextSelected:
    case sfGridItemSelected:
    case sfListItemTextSelected:
    case sfTreeItemTextSelected:
        return ::ColorToRGB(clHighlightText);
    case sfButtonTextNormal:
    case sfButtonTextHot:
    case sfButtonTextPressed:
    case sfButtonTextFocused:
    case sfHeaderSectionTextNormal:
    case sfHeaderSectionTextHot:
    case sfHeaderSectionTextPressed:
    case sfGridItemFixedNormal:
    case sfGridItemFixedHot:
    case sfGridItemFixedPressed:
        return ::ColorToRGB(clBtnText);
    default:
        return ::ColorToRGB(clWindowText);
    }
}

// ---------------------------------------------------------------------------------------------
// Raw theme data
HTHEME OpenThemeData(const void*, const String& classList) {
    for (const QString& name : classList.split(';')) {
        QString n = name.trimmed();
        const int sep = int(n.indexOf(QLatin1String("::")));
        if (sep >= 0) n = n.mid(sep + 2);
        const QString l = n.toLower();
        if (l == "button") return 1 + teButton;
        if (l == "treeview") return 1 + teTreeview;
        if (l == "scrollbar") return 1 + teScrollBar;
        if (l == "header") return 1 + teHeader;
        if (l == "combobox") return 1 + teComboBox;
        if (l == "spin") return 1 + teSpin;
        if (l == "toolbar") return 1 + teToolBar;
        if (l == "tooltip") return 1 + teToolTip;
        if (l == "window") return 1 + teWindow;
        if (l == "edit") return 1 + teEdit;
    }
    return 0;
}

int CloseThemeData(HTHEME) {
    return 0;
}

namespace {
bool DetailsOf(HTHEME theme, int part, int state, TThemedElementDetails& d) {
    switch (TThemedElement(theme - 1)) {
    case teTreeview:
        if (part == TVP_GLYPH)
            d = TCustomStyleServices::GetElementDetails(state == GLPS_OPENED ? ttGlyphOpened : ttGlyphClosed);
        else if (part == TVP_HOTGLYPH)
            d = TCustomStyleServices::GetElementDetails(state == HGLPS_OPENED ? ttHotGlyphOpened
                                                                              : ttHotGlyphClosed);
        else
            return false;
        return true;
    case teButton: {
        const int s = std::max(1, state);
        if (part == BP_PUSHBUTTON)
            d = TCustomStyleServices::GetElementDetails(
                TThemedButton(tbPushButtonNormal + std::min(s, 5) - 1));
        else if (part == BP_RADIOBUTTON)
            d = TCustomStyleServices::GetElementDetails(
                TThemedButton(tbRadioButtonUncheckedNormal + std::min(s, 8) - 1));
        else if (part == BP_CHECKBOX)
            d = TCustomStyleServices::GetElementDetails(
                TThemedButton(tbCheckBoxUncheckedNormal + std::min(s, 12) - 1));
        else if (part == BP_GROUPBOX)
            d = TCustomStyleServices::GetElementDetails(tbGroupBoxNormal);
        else
            return false;
        return true;
    }
    default:
        return false;
    }
}
} // namespace

int DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const TRect* r, const TRect* clip) {
    TThemedElementDetails d;
    if (!r || !DetailsOf(theme, part, state, d)) return int(0x80004005u); // E_FAIL
    return StyleServices()->DrawElement(dc, d, *r, clip) ? 0 : int(0x80004005u);
}

int GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const TRect* r, THEMESIZE which,
                     TSize* size) {
    TThemedElementDetails d;
    if (!size || !DetailsOf(theme, part, state, d)) return int(0x80004005u);
    const TElementSize es = which == TS_MIN ? esMinimum : which == TS_TRUE ? esActual : esStretch;
    return StyleServices()->GetElementSize(dc, d, r ? *r : TRect(), es, *size) ? 0 : int(0x80004005u);
}
