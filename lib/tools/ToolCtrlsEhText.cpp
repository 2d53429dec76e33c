// Cell text painters: aligned and wrapped text, rotated text, search-hit highlighting and the
// clip helpers they share. Geometry follows the classic cell painter exactly (right-aligned text
// ends 3 pixels in from the edge, centred text halves both widths).

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinGdi.h"

#include <QChar>

#include <algorithm>

namespace {

// The shared off-screen bitmap of dithered backgrounds: text and dither pattern are drawn there
// together and copied back. It only grows.
TBitmap& SharedBitmap() {
    static TBitmap bmp;
    return bmp;
}

bool IsPureColor(TCanvas* Canvas, TColor Color) {
    const COLORREF rgb = COLORREF(ColorToRGB(Color));
    return GetNearestColor(Canvas->Handle(), rgb) == rgb;
}

// Locks the shared bitmap's canvas for a drawing and unlocks it on every path.
struct SharedCanvasLock {
    TCanvas* C;
    explicit SharedCanvasLock(TCanvas* c) : C(c) { C->Lock(); }
    ~SharedCanvasLock() { C->Unlock(); }
};

UINT AlignmentFlag(TAlignment Alignment) {
    switch (Alignment) {
    case taRightJustify:
        return DT_RIGHT;
    case taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

// The DrawTextEx way of PaintTextInRect (wrap, ellipsis, margins, layout).
void DrawTextExWay(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const String& Text,
                   TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg,
                   int RightMarg, bool RightToLeftReading, bool SingleLine) {
    UINT flags = WordWrap ? UINT(DT_WORDBREAK) : (SingleLine ? UINT(DT_SINGLELINE) : 0u);
    if (EndEllipsis) flags |= DT_END_ELLIPSIS;
    flags |= DT_EXPANDTABS | DT_NOPREFIX | AlignmentFlag(Alignment);
    if (RightToLeftReading) flags |= DT_RTLREADING;

    DRAWTEXTPARAMS params;
    params.cbSize = 20;
    params.iLeftMargin = LeftMarg;
    params.iRightMargin = RightMarg;

    TRect r = Rect;
    HDC dc = Canvas->Handle();
    if (Layout == tlTop) {
        r.Top = Rect.Top + DY;
    } else {
        TRect calc = Rect;
        calc.Left += DX;
        if (Alignment == taCenter) calc.Right -= DX;
        String s = Text;
        DRAWTEXTPARAMS p = params;
        DrawTextEx(dc, s, -1, &calc, flags | DT_CALCRECT, &p);
        const int h = calc.Height();
        r.Top = Layout == tlCenter ? Rect.Top + Rect.Height() / 2 - h / 2 : Rect.Bottom - h - DY;
    }
    if (Alignment == taLeftJustify)
        params.iLeftMargin += DX;
    else if (Alignment == taRightJustify)
        params.iRightMargin = params.iLeftMargin + DX;

    String s = Text;
    if (r.Top < Rect.Top) {
        HRGN saved = BeginClipToRect(Canvas, Rect);
        ScopeExit restore([&] { EndClipToRect(Canvas, saved); });
        DrawTextEx(dc, s, -1, &r, flags, &params);
    } else {
        DrawTextEx(dc, s, -1, &r, flags, &params);
    }
}

// Draws through the shared bitmap so that a dithered brush and the text are drawn together.
template <class F> void DrawThroughSharedBitmap(TCanvas* Canvas, const TRect& Rect, F draw) {
    TBitmap& bmp = SharedBitmap();
    const int w = Rect.Width(), h = Rect.Height();
    if (w <= 0 || h <= 0) return;
    if (bmp.Width() < w || bmp.Height() < h) bmp.SetSize(std::max(bmp.Width(), w), std::max(bmp.Height(), h));
    TCanvas* bc = bmp.Canvas();
    SharedCanvasLock lock(bc);
    bc->Font()->Assign(Canvas->Font());
    bc->Brush()->Assign(Canvas->Brush());
    bc->Brush()->SetStyle(bsSolid);
    const TRect cell(0, 0, w, h);
    bc->FillRect(cell);
    SetBkMode(bc->Handle(), TRANSPARENT);
    draw(bc, cell);
    Canvas->CopyRect(Rect, bc, cell);
}

} // namespace

HRGN BeginClipToRect(TCanvas* Canvas, const TRect& Rect) {
    HDC dc = Canvas->Handle();
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, saved) != 1) {
        DeleteObject(saved);
        saved = nullptr;
    }
    IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    return saved;
}

void EndClipToRect(TCanvas* Canvas, HRGN SavedRegion) {
    SelectClipRgn(Canvas->Handle(), SavedRegion);
    if (SavedRegion) DeleteObject(SavedRegion);
}

void PaintTextInRect(TCanvas* Canvas, const TRect& Rect, bool FillRect, int DX, int DY, const String& Text,
                     TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg,
                     int RightMarg, bool RightToLeftReading, bool SingleLine) {
    TBrush* brush = Canvas->Brush();
    if (!IsPureColor(Canvas, brush->Color())) {
        DrawThroughSharedBitmap(Canvas, Rect, [&](TCanvas* bc, const TRect& cell) {
            DrawTextExWay(bc, cell, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, LeftMarg,
                          RightMarg, RightToLeftReading, SingleLine);
        });
        return;
    }

    const TBrushStyle oldStyle = brush->Style();
    const TColor oldColor = brush->Color();
    auto restoreBrush = [&] {
        brush->SetColor(oldColor);
        brush->SetStyle(oldStyle);
    };

    if (WordWrap || EndEllipsis || LeftMarg != 0 || RightMarg != 0 || Text.size() > 32768 || !SingleLine) {
        if (FillRect)
            Canvas->FillRect(Rect);
        else
            brush->SetStyle(bsClear);
        DrawTextExWay(Canvas, Rect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, LeftMarg,
                      RightMarg, RightToLeftReading, SingleLine);
        if (!FillRect) restoreBrush();
        return;
    }

    // One plain line.
    int width;
    const TFontStyles fs = Canvas->Font()->Style();
    if (Alignment != taLeftJustify && (fs.Contains(fsBold) || fs.Contains(fsItalic))) {
        TRect calc(0, 0, 1, 1);
        DrawText(Canvas->Handle(), Text, -1, &calc, DT_CALCRECT | DT_NOPREFIX);
        width = calc.Width();
    } else {
        width = Canvas->TextWidth(Text);
    }
    int x;
    switch (Alignment) {
    case taRightJustify:
        x = Rect.Right - width - 3;
        break;
    case taCenter:
        x = Rect.Left >= Rect.Right ? 0 : Rect.Left + (Rect.Right - Rect.Left) / 2 - width / 2;
        break;
    default:
        x = Rect.Left + DX;
    }
    int y = Rect.Top;
    if (Layout != tlTop) {
        const int h = Canvas->TextHeight(Text);
        if (h < Rect.Bottom - Rect.Top - DY)
            y = Layout == tlCenter ? (Rect.Bottom + Rect.Top - h) / 2 - DY : Rect.Bottom - h - 2 * DY;
    }
    if (!FillRect) brush->SetStyle(bsClear);
    Canvas->TextRect(Rect, x, y + DY, Text);
    if (!FillRect) restoreBrush();
}

void PaintAlignedTextLine(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const String& Text,
                          TAlignment Alignment) {
    if (!IsPureColor(Canvas, Canvas->Brush()->Color())) {
        DrawThroughSharedBitmap(Canvas, Rect, [&](TCanvas* bc, const TRect& cell) {
            TRect r(DX, DY, cell.Width() - 1, cell.Height() - 1);
            DrawText(bc->Handle(), Text, -1, &r,
                     DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | AlignmentFlag(Alignment));
        });
        return;
    }
    int x;
    switch (Alignment) {
    case taRightJustify:
        x = Rect.Right - Canvas->TextWidth(Text) - 3;
        break;
    case taCenter:
        x = Rect.Left + (Rect.Right - Rect.Left) / 2 - Canvas->TextWidth(Text) / 2;
        break;
    default:
        x = Rect.Left + DX;
    }
    HDC dc = Canvas->Handle();
    SetBkColor(dc, COLORREF(ColorToRGB(Canvas->Brush()->Color())));
    SetTextColor(dc, COLORREF(ColorToRGB(Canvas->Font()->Color())));
    ExtTextOut(dc, x, Rect.Top + DY, ETO_OPAQUE | ETO_CLIPPED, &Rect, Text);
}

int PaintVerticalText(TCanvas* Canvas, const TRect& Rect, bool FillRect, int DX, int DY, const String& Text,
                      TAlignment Alignment, TTextLayout Layout, bool /*Reserved*/, bool MeasureOnly) {
    TFont* font = Canvas->Font();
    const int oldHeight = font->Height();
    const int oldOrientation = font->Orientation();
    // The font is always given back, also after a failure.
    ScopeExit restore([&] {
        font->SetOrientation(oldOrientation);
        font->SetHeight(oldHeight);
    });
    font->SetOrientation(900);

    HDC dc = Canvas->Handle();
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    // Rotated text is measured unrotated: the orientation does not change the advance.
    font->SetOrientation(0);
    int extent = Canvas->TextWidth(Text);
    font->SetOrientation(900);
    if (font->Style().Contains(fsItalic)) {
        OUTLINETEXTMETRICW otm;
        if (GetOutlineTextMetrics(dc, sizeof(otm), &otm) && otm.otmsCharSlopeRise != 0)
            extent += (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
    } else {
        extent += tm.tmOverhang;
    }
    if (MeasureOnly) return extent;

    const int textHeight = tm.tmHeight;
    int x;
    switch (Alignment) {
    case taRightJustify:
        x = Rect.Right - textHeight;
        break;
    case taCenter:
        x = Rect.Left + (Rect.Width() - textHeight) / 2;
        break;
    default:
        x = Rect.Left + DX;
    }
    int y;
    switch (Layout) {
    case tlTop:
        y = Rect.Top + extent;
        break;
    case tlBottom:
        y = Rect.Bottom - DY;
        break;
    default:
        y = Rect.Top + Rect.Height() / 2 + extent / 2;
    }
    TBrush* brush = Canvas->Brush();
    const TBrushStyle oldStyle = brush->Style();
    const TColor oldColor = brush->Color();
    if (FillRect && !IsPureColor(Canvas, oldColor)) {
        DrawThroughSharedBitmap(Canvas, Rect, [&](TCanvas* bc, const TRect& cell) {
            bc->Font()->SetOrientation(900);
            bc->TextRect(cell, x - Rect.Left, y - Rect.Top, Text);
            bc->Font()->SetOrientation(0);
        });
        return extent;
    }
    if (!FillRect) brush->SetStyle(bsClear);
    Canvas->TextRect(Rect, x, y, Text);
    if (!FillRect) {
        brush->SetColor(oldColor);
        brush->SetStyle(oldStyle);
    }
    return extent;
}

int TextReadingDirection(const String& Text, int Default) {
    if (Text.isEmpty()) return 0;
    switch (Text.at(0).direction()) {
    case QChar::DirL:
        return 0;
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return 1;
    default:
        return Default;
    }
}

namespace {
struct TextLine {
    int Start = 0; // first character
    int End = 0;   // one past the last
    int Width = 0;
};
} // namespace

void HighlightTextMatches(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const String& CellText,
                          TAlignment Alignment, bool CenterVertically, bool WordWrap,
                          const String& SearchText, bool CaseInsensitive, TColor HighlightColor) {
    if (SearchText.isEmpty() || CellText.isEmpty()) return;
    const String hay = CaseInsensitive ? LocaleUpperCase(CellText) : CellText;
    const String needle = CaseInsensitive ? LocaleUpperCase(SearchText) : SearchText;
    std::vector<int> hits;
    for (qsizetype p = hay.indexOf(needle); p >= 0; p = hay.indexOf(needle, p + 1))
        hits.push_back(int(p));
    if (hits.empty()) return;

    HDC dc = Canvas->Handle();
    const int n = int(CellText.size());
    std::vector<int> ext(static_cast<size_t>(n), 0), widths(static_cast<size_t>(n), 0);
    TSize size;
    GetTextExtentExPoint(dc, CellText.constData(), n, 10000, nullptr, ext.data(), &size);
    for (int i = 0; i < n; ++i)
        widths[size_t(i)] = ext[size_t(i)] - (i ? ext[size_t(i - 1)] : 0);
    const int lineHeight = size.cy;

    // Lines break at the last blank before the overflow (word wrap) or at the overflow itself.
    const int avail = Rect.Width() - 2 * DX;
    std::vector<TextLine> lines;
    for (int start = 0; start < n;) {
        int sum = 0, lastBlank = -1, beforeBlank = 0, i = start;
        TextLine line{start, n, 0};
        bool broken = false;
        for (; i < n; ++i) {
            if (CellText.at(i) == QLatin1Char(' ')) lastBlank = i, beforeBlank = sum;
            sum += widths[size_t(i)];
            if (sum > avail && i > start) {
                if (WordWrap && lastBlank > start)
                    line = {start, lastBlank, beforeBlank};
                else
                    line = {start, i, sum - widths[size_t(i)]};
                broken = true;
                break;
            }
        }
        if (!broken) line = {start, n, sum};
        lines.push_back(line);
        if (!WordWrap) break;
        // A line that ended at a blank resumes after it.
        start = line.End < n && CellText.at(line.End) == QLatin1Char(' ') ? line.End + 1 : line.End;
    }

    int originY = Rect.Top + DY;
    if (CenterVertically) {
        TRect calc(0, 0, Rect.Width(), 0);
        DrawText(dc, CellText, -1, &calc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        originY = Rect.Top + Rect.Height() / 2 - calc.Height() / 2;
    }
    const bool rtl = TextReadingDirection(CellText, 0) == 1;
    const int width = Rect.Width();

    const TColor oldBrush = Canvas->Brush()->Color();
    const TColor oldFont = Canvas->Font()->Color();
    ScopeExit restore([&] {
        Canvas->Brush()->SetColor(oldBrush);
        Canvas->Font()->SetColor(oldFont);
    });
    Canvas->Brush()->SetColor(HighlightColor);
    Canvas->Font()->SetColor(clWindowText);
    SetBkColor(Canvas->Handle(), COLORREF(ColorToRGB(HighlightColor)));
    SetTextColor(Canvas->Handle(), COLORREF(ColorToRGB(clWindowText)));

    for (int hit : hits) {
        for (size_t li = 0; li < lines.size(); ++li) {
            const TextLine& line = lines[li];
            if (hit < line.Start || hit >= line.End) continue;
            int before = 0;
            for (int i = line.Start; i < hit; ++i)
                before += widths[size_t(i)];
            int hitWidth = 0;
            const int hitEnd = std::min(n, hit + int(needle.size()));
            for (int i = hit; i < hitEnd; ++i)
                hitWidth += widths[size_t(i)];
            int offset;
            switch (Alignment) {
            case taRightJustify:
                offset = width - line.Width - DX;
                break;
            case taCenter:
                offset = (width - line.Width) / 2;
                break;
            default:
                offset = DX;
            }
            int x = Rect.Left + before + offset;
            if (rtl) x = Rect.Left + offset + (line.Width - before - hitWidth);
            const int y = originY + int(li) * lineHeight;
            const TRect hr(x, y, x + hitWidth, y + lineHeight);
            ExtTextOut(Canvas->Handle(), x, y, ETO_OPAQUE | ETO_CLIPPED, &hr, CellText.constData() + hit,
                       hitEnd - hit);
            break;
        }
    }
}
