// The shared edit-button painter: faces, signs and check boxes, flat or 3-D, themed or classic,
// and the cache that renders each distinct look once. The classic geometry is exact; the themed
// path takes its faces and arrows from the application style.

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <algorithm>

bool ButtonBitmapCacheEnabled = true;

namespace {

TRect Shrunk(TRect r, int d) {
    InflateRect(r, -d, -d);
    return r;
}

void FillSolid(TCanvas* c, const TRect& r, TColor color) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(r);
}

// Fills a list of rectangles in the sign colours: classic signs in button text (or, disabled,
// once offset in highlight and then in shadow); themed signs as lines stepping between two tints.
void PaintSign(TCanvas* c, const std::vector<TRect>& rects, bool Enabled, bool TipLast) {
    if (ThemesInUse()) {
        std::vector<TPoint> pts;
        for (const TRect& r : rects)
            for (int y = r.Top; y < r.Bottom; ++y) {
                pts.emplace_back(r.Left, y);
                pts.emplace_back(r.Right, y);
            }
        const TColor from =
            Enabled ? MixColorsPercent(cl3DDkShadow, clBlack, 30) : TColor(ColorToRGB(clGrayText));
        const TColor to =
            Enabled ? TColor(ColorToRGB(cl3DDkShadow)) : MixColorsPercent(clGrayText, clWhite, 30);
        (void)TipLast; // rows run base to tip, so the second tint lands on the tip
        c->Pen()->SetStyle(psSolid);
        PaintGradientLines(c, TPoint(0, 0), pts, from, to);
        return;
    }
    auto fill = [&](TColor color, int off) {
        for (TRect r : rects) {
            OffsetRect(r, off, off);
            FillSolid(c, r, color);
        }
    };
    if (Enabled) {
        fill(clBtnText, 0);
    } else {
        fill(clBtnHighlight, 1);
        fill(clBtnShadow, 0);
    }
}

std::vector<TRect> EllipsisDots(const TRect& r, bool Pressed) {
    const int w = r.Width();
    const int d = w > 7 ? 2 : 1;
    const int gap = w >= 12 ? 2 : 1;
    const int total = 3 * d + 2 * gap;
    int x = r.Left + (w - total) / 2, y = r.Top + (r.Height() - d) / 2;
    if (Pressed) ++x, ++y;
    std::vector<TRect> dots;
    for (int i = 0; i < 3; ++i)
        dots.emplace_back(x + i * (d + gap), y, x + i * (d + gap) + d, y + d);
    return dots;
}

std::vector<TRect> PlusMinusBars(const TRect& r, bool Plus, bool Flat, bool Pressed) {
    const int m = std::min(r.Width(), r.Height());
    int len = std::max(1, m * 4 / 7);
    const int thick = std::max(1, len / 3);
    const int c = Flat ? len - 1 : len;
    if (!Flat) ++len;
    if ((c & 1) == (m & 1)) --len;
    if (Plus && (len & 1) != (thick & 1)) len += m < 12 ? 1 : -1;
    len = std::max(1, len);
    int x = r.Left + (r.Width() - len) / 2, y = r.Top + (r.Height() - thick) / 2;
    if (Pressed) ++x, ++y;
    std::vector<TRect> bars{TRect(x, y, x + len, y + thick)};
    if (Plus) {
        const int off = len / 2 - thick / 2;
        bars.emplace_back(x + off, y - off, x + off + thick, y - off + len);
    }
    return bars;
}

// A filled triangle as rows, base first: pointing down unless Up.
std::vector<TRect> TriangleRows(const TRect& r, bool Up, bool Pressed) {
    const int side = std::min(r.Width(), r.Height());
    const int d = side >= 19 ? 9 : side >= 16 ? 7 : (side > 11 || ThemesInUse()) ? 5 : 3;
    const int rows = d / 2 + 1;
    int x = r.Left + (r.Width() - d) / 2, y = r.Top + (r.Height() - rows) / 2;
    if (Pressed) ++x, ++y;
    std::vector<TRect> out;
    for (int i = 0; i < rows; ++i) {
        const int yy = Up ? y + rows - 1 - i : y + i;
        out.emplace_back(x + i, yy, x + d - i, yy + 1);
    }
    return out;
}

UINT FrameFlags(bool Pressed, bool Flat, bool Enabled) {
    UINT f = 0;
    if (Pressed) f |= DFCS_PUSHED;
    if (Flat) f |= DFCS_FLAT;
    if (!Enabled) f |= DFCS_INACTIVE;
    return f;
}

int ThemedState(bool Pressed, bool Active, bool Enabled) {
    return !Enabled ? 3 : Pressed ? 2 : Active ? 1 : 0;
}

// One glyph of a kind in one rectangle (the whole bitmap of a cache entry).
void DrawButtonGlyph(TCanvas* c, TRect r, TDrawButtonControlStyleEh Kind, bool Flat, bool Pressed,
                     bool Active, bool Enabled, bool DownDirect) {
    const bool themes = ThemesInUse();
    const TRect outer = r;
    HRGN saved = nullptr;
    bool clipped = false;
    if (Active && Flat && !themes) {
        saved = BeginClipToRect(c, Shrunk(outer, 1));
        clipped = true;
    }
    if (Flat && !themes) InflateRect(r, Active ? 1 : 2, Active ? 1 : 2);

    const int st = ThemedState(Pressed, Active, Enabled);
    HDC dc = c->Handle();
    switch (Kind) {
    case bcsDropDownEh:
        if (themes) {
            StyleServices()->DrawElement(
                dc, TCustomStyleServices::GetElementDetails(TThemedComboBox(tcDropDownButtonNormal + st)), r);
        } else {
            DrawFrameControl(dc, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | FrameFlags(Pressed, Flat, Enabled));
        }
        break;
    case bcsUpDownEh:
        if (themes) {
            const TThemedSpin part = TThemedSpin((DownDirect ? tsDownNormal : tsUpNormal) + st);
            StyleServices()->DrawElement(dc, TCustomStyleServices::GetElementDetails(part), r);
        } else {
            DrawFrameControl(dc, r, DFC_SCROLL,
                             (DownDirect ? DFCS_SCROLLDOWN : DFCS_SCROLLUP) |
                                 FrameFlags(Pressed, Flat, Enabled));
        }
        break;
    default: {
        TRect face = r;
        PaintButtonBackground(c, face, clBtnFace, Enabled, Active, Flat, Pressed);
        switch (Kind) {
        case bcsEllipsisEh:
            PaintSign(c, EllipsisDots(face, Pressed), Enabled, false);
            break;
        case bcsPlusEh:
        case bcsMinusEh:
            PaintSign(c, PlusMinusBars(face, Kind == bcsPlusEh, Flat, Pressed), Enabled, false);
            break;
        case bcsAltDropDownEh:
        case bcsAltUpDownEh: {
            const bool up = Kind == bcsAltUpDownEh && !DownDirect;
            TRect tr = face;
            if (themes && Kind == bcsAltUpDownEh) {
                if (DownDirect)
                    --tr.Top;
                else
                    ++tr.Bottom;
            }
            const std::vector<TRect> rows = TriangleRows(tr, up, Pressed);
            if (themes) {
                PaintSign(c, rows, Enabled, true);
            } else {
                for (const TRect& row : rows)
                    FillSolid(c, row, Enabled ? clWindowText : clGrayText);
            }
            break;
        }
        default:
            break;
        }
    }
    }

    if (clipped) {
        EndClipToRect(c, saved);
        TRect fr = outer;
        DrawEdge(dc, fr, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
}

// The check-box glyph in a square.
void DrawCheckBoxGlyph(TCanvas* c, TRect r, bool Flat, bool Pressed, bool Active, bool Enabled,
                       TCheckBoxState State) {
    const bool themes = ThemesInUse();
    HDC dc = c->Handle();
    const TRect square = r;
    HRGN saved = nullptr;
    if (Flat) {
        saved = BeginClipToRect(c, Shrunk(square, themes ? 2 : 1));
        if (!themes) InflateRect(r, 1, 1);
    }
    if (themes) {
        const int base = State == cbChecked  ? tbCheckBoxCheckedNormal
                         : State == cbGrayed ? tbCheckBoxMixedNormal
                                             : tbCheckBoxUncheckedNormal;
        StyleServices()->DrawElement(dc,
                                     TCustomStyleServices::GetElementDetails(
                                         TThemedButton(base + ThemedState(Pressed, Active, Enabled))),
                                     r);
    } else {
        UINT f = DFCS_BUTTONCHECK;
        if (State == cbChecked) f |= DFCS_CHECKED;
        if (State == cbGrayed) f |= DFCS_BUTTON3STATE | DFCS_CHECKED;
        if (!Enabled) f |= DFCS_INACTIVE;
        if (Pressed) f |= DFCS_PUSHED;
        DrawFrameControl(dc, r, DFC_BUTTON, f);
    }
    if (Flat) {
        EndClipToRect(c, saved);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Active && !themes ? clBtnFace : clBtnShadow);
        c->FrameRect(themes ? Shrunk(square, 1) : square);
    }
}

void RenderGlyph(TCanvas* c, const TRect& r, const TButtonBitmapInfoEh& i) {
    if (i.BitmapType == bcsCheckboxEh)
        DrawCheckBoxGlyph(c, r, i.Flat, i.Pressed, i.Active, i.Enabled, i.CheckState);
    else
        DrawButtonGlyph(c, r, i.BitmapType, i.Flat, i.Pressed, i.Active, i.Enabled, i.DownDirect);
}

// One glyph onto the canvas: a copy of the cached bitmap, or drawn in place (clipped to Area).
void PaintGlyph(TCanvas* c, const TRect& Area, const TButtonBitmapInfoEh& Info) {
    if (Area.Width() <= 0 || Area.Height() <= 0) return;
    if (ButtonBitmapCacheEnabled) {
        TBitmap* bmp = ButtonsBitmapCache().GetButtonBitmap(Info);
        c->CopyRect(Area, bmp->Canvas(), TRect(0, 0, bmp->Width(), bmp->Height()));
        return;
    }
    HRGN saved = BeginClipToRect(c, Area);
    ScopeExit restore([&] { EndClipToRect(c, saved); });
    RenderGlyph(c, Area, Info);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TBitmap* TButtonsBitmapCache::GetButtonBitmap(TButtonBitmapInfoEh Info) {
    Info.Size.X = std::max(0, Info.Size.X);
    Info.Size.Y = std::max(0, Info.Size.Y);
    for (const auto& e : FItems)
        if (e->BitmapInfo == Info) return e->Bitmap.get();
    auto e = std::make_unique<TButtonBitmapInfoBitmapEh>();
    e->BitmapInfo = Info;
    e->Bitmap = std::make_unique<TBitmap>();
    e->Bitmap->SetSize(Info.Size.X, Info.Size.Y);
    if (Info.Size.X > 0 && Info.Size.Y > 0) {
        TCanvas* c = e->Bitmap->Canvas();
        FillSolid(c, TRect(0, 0, Info.Size.X, Info.Size.Y), clBtnFace);
        RenderGlyph(c, TRect(0, 0, Info.Size.X, Info.Size.Y), Info);
    }
    FItems.push_back(std::move(e));
    return FItems.back()->Bitmap.get();
}

TButtonsBitmapCache& ButtonsBitmapCache() {
    static TButtonsBitmapCache cache;
    return cache;
}

void ResetButtonBitmapCache() {
    ButtonsBitmapCache().Clear();
}

void PaintButtonBackground(TCanvas* Canvas, TRect& Rect, TColor Color, bool Enabled, bool Active, bool Flat,
                           bool Pressed) {
    HDC dc = Canvas->Handle();
    if (ThemesInUse()) {
        FillSolid(Canvas, Rect, Color);
        TThemedElementDetails det;
        if (Flat)
            det = TCustomStyleServices::GetElementDetails(!Enabled  ? ttbButtonDisabled
                                                          : Pressed ? ttbButtonPressed
                                                                    : ttbButtonHot);
        else
            det = TCustomStyleServices::GetElementDetails(!Enabled  ? tbPushButtonDisabled
                                                          : Pressed ? tbPushButtonPressed
                                                          : Active  ? tbPushButtonHot
                                                                    : tbPushButtonNormal);
        StyleServices()->DrawElement(dc, det, Rect);
        InflateRect(Rect, -2, -2);
        return;
    }
    if (Flat) {
        FillSolid(Canvas, Rect, clBtnFace);
        InflateRect(Rect, -1, -1);
    } else {
        TRect r = Rect;
        DrawEdge(dc, r, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        InflateRect(Rect, -2, -2);
    }
}

void DrawStyledButton(TCanvas* Canvas, const TRect& Rect, TColor BorderColor, TDrawButtonControlStyleEh Style,
                      int DownButton, bool Flat, bool Active, bool Enabled, TCheckBoxState CheckState) {
    const bool themes = ThemesInUse();
    TButtonBitmapInfoEh info;
    info.BitmapType = Style;
    info.Flat = Flat;
    info.Active = Active;
    info.Enabled = Enabled;
    info.CheckState = CheckState;

    if (Style == bcsCheckboxEh) {
        const int side = std::min(Rect.Width(), Rect.Height());
        TRect sq(Rect.Left + (Rect.Width() - side) / 2, Rect.Top + (Rect.Height() - side) / 2, 0, 0);
        sq.Right = sq.Left + side;
        sq.Bottom = sq.Top + side;
        if (Flat && !themes) InflateRect(sq, -1, -1);
        info.Pressed = DownButton != 0;
        info.Size = TPoint(sq.Width(), sq.Height());
        PaintGlyph(Canvas, sq, info);
        if (!Flat) return;
        if (!themes) InflateRect(sq, 1, 1);
        if (Active && !themes) {
            DrawEdge(Canvas->Handle(), sq, BDR_SUNKENOUTER, BF_RECT);
        } else {
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->Brush()->SetColor(BorderColor);
            Canvas->FrameRect(sq);
        }
        return;
    }

    const bool border = Flat && !Active && !themes;
    const TRect area = border ? Shrunk(Rect, 1) : Rect;
    if (Style == bcsUpDownEh || Style == bcsAltUpDownEh) {
        // Halves of height div 2 on the full rectangle; an odd height leaves a middle line.
        const int half = Rect.Height() / 2;
        TRect upper(Rect.Left, Rect.Top, Rect.Right, Rect.Top + half);
        TRect lower(Rect.Left, Rect.Bottom - half, Rect.Right, Rect.Bottom);
        if (Rect.Height() % 2 != 0)
            FillSolid(Canvas, TRect(Rect.Left, upper.Bottom, Rect.Right, lower.Top), BorderColor);
        if (border) {
            InflateRect(upper, -1, -1);
            InflateRect(lower, -1, -1);
            FillSolid(Canvas, TRect(Rect.Left, upper.Bottom, Rect.Right, lower.Top), BorderColor);
        }
        info.Pressed = DownButton == 1;
        info.DownDirect = false;
        info.Size = TPoint(upper.Width(), upper.Height());
        PaintGlyph(Canvas, upper, info);
        info.Pressed = DownButton == 2;
        info.DownDirect = true;
        info.Size = TPoint(lower.Width(), lower.Height());
        PaintGlyph(Canvas, lower, info);
    } else {
        info.Pressed = DownButton != 0;
        info.Size = TPoint(area.Width(), area.Height());
        PaintGlyph(Canvas, area, info);
    }
    if (border) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(BorderColor);
        Canvas->FrameRect(Rect);
    }
}

TSize CheckBoxSize() {
    static const TSize size = [] {
        HBITMAP h = LoadBitmap(0, OBM_CHECKBOXES);
        BITMAP bm;
        if (h && GetObject(h, sizeof(bm), &bm)) return TSize(bm.bmWidth / 4, bm.bmHeight / 3);
        return TSize(ClassicCheckBoxSize, ClassicCheckBoxSize);
    }();
    return size;
}

void AlignCheckBoxRect(const TRect& Rect, int HorzAlign, int VertAlign, TRect& GlyphRect) {
    const TSize g = CheckBoxSize();
    const int w = std::min<int>(g.cx, Rect.Width()), h = std::min<int>(g.cy, Rect.Height());
    int x = Rect.Left, y = Rect.Top;
    if (Rect.Width() > w) {
        if (HorzAlign == 1)
            x = Rect.Right - w;
        else if (HorzAlign == 2)
            x = Rect.Left + Rect.Width() / 2 - w / 2;
    }
    if (Rect.Height() > h) {
        if (VertAlign == 1)
            y = Rect.Top + Rect.Height() / 2 - h / 2;
        else if (VertAlign == 2)
            y = Rect.Bottom - h;
    }
    GlyphRect = TRect(x, y, x + w, y + h);
}

int DefaultEditButtonWidth() {
    TFont font;
    HDC dc = ScreenDC();
    HGDIOBJ old = SelectObject(dc, font.Handle());
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    int w = int(Round(tm.tmHeight * 2 / 3.0));
    if (ThemesInUse()) {
        if (w % 2 != 0) ++w;
    } else if (w % 2 == 0) {
        ++w;
    }
    return std::min(w, GetSystemMetrics(SM_CXVSCROLL));
}

int FlatEditButtonWidth() {
    static const int w = DefaultEditButtonWidth();
    return w;
}

TDrawButtonControlStyleEh EditButtonStyleToDrawButtonStyle(TEditButtonStyleEh Style) {
    switch (Style) {
    case ebsDropDownEh:
        return bcsDropDownEh;
    case ebsEllipsisEh:
        return bcsEllipsisEh;
    case ebsGlyphEh:
    case ebsUpDownEh:
        return bcsUpDownEh;
    case ebsPlusEh:
        return bcsPlusEh;
    case ebsMinusEh:
        return bcsMinusEh;
    case ebsAltDropDownEh:
        return bcsAltDropDownEh;
    case ebsAltUpDownEh:
        return bcsAltUpDownEh;
    }
    return bcsDropDownEh;
}
