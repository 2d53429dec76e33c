// The classic 3-D look: DrawEdge, DrawFrameControl and Frame3D, drawn pixel for pixel.

#include "platform/ui/GraphicsInternal.h"

namespace {

void HLine(HDC dc, int x1, int x2, int y, int colorIndex) {
    if (x2 <= x1) return;
    FillLogicalRect(dc, QRect(x1, y, x2 - x1, 1), InternBrush(BS_SOLID, 0, GetSysColor(colorIndex)));
}
void VLine(HDC dc, int x, int y1, int y2, int colorIndex) {
    if (y2 <= y1) return;
    FillLogicalRect(dc, QRect(x, y1, 1, y2 - y1), InternBrush(BS_SOLID, 0, GetSysColor(colorIndex)));
}
void Fill(HDC dc, const TRect& r, int colorIndex) {
    if (r.IsEmpty()) return;
    FillLogicalRect(dc, QRect(r.Left, r.Top, r.Width(), r.Height()),
                    InternBrush(BS_SOLID, 0, GetSysColor(colorIndex)));
}
void Pixel(HDC dc, int x, int y, int colorIndex) {
    HLine(dc, x, x + 1, y, colorIndex);
}

// Edge colours by the edge bits (BDR_INNER | BDR_OUTER). A lone inner edge is drawn where the
// outer one would be, in the inner edge's colours.
constexpr int N = -1;
constexpr int LTInnerNormal[16] = {
    N, N, N, N, N, COLOR_3DHILIGHT, COLOR_3DHILIGHT, N, N, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, N, N, N, N, N};
constexpr int LTOuterNormal[16] = {N,
                                   COLOR_3DLIGHT,
                                   COLOR_3DSHADOW,
                                   N,
                                   COLOR_3DHILIGHT,
                                   COLOR_3DLIGHT,
                                   COLOR_3DSHADOW,
                                   N,
                                   COLOR_3DDKSHADOW,
                                   COLOR_3DLIGHT,
                                   COLOR_3DSHADOW,
                                   N,
                                   N,
                                   COLOR_3DLIGHT,
                                   COLOR_3DSHADOW,
                                   N};
constexpr int RBInnerNormal[16] = {
    N, N, N, N, N, COLOR_3DSHADOW, COLOR_3DSHADOW, N, N, COLOR_3DLIGHT, COLOR_3DLIGHT, N, N, N, N, N};
constexpr int RBOuterNormal[16] = {N,
                                   COLOR_3DDKSHADOW,
                                   COLOR_3DHILIGHT,
                                   N,
                                   COLOR_3DSHADOW,
                                   COLOR_3DDKSHADOW,
                                   COLOR_3DHILIGHT,
                                   N,
                                   COLOR_3DLIGHT,
                                   COLOR_3DDKSHADOW,
                                   COLOR_3DHILIGHT,
                                   N,
                                   N,
                                   COLOR_3DDKSHADOW,
                                   COLOR_3DHILIGHT,
                                   N};
constexpr int LTInnerSoft[16] = {
    N, N, N, N, N, COLOR_3DLIGHT, COLOR_3DLIGHT, N, N, COLOR_3DSHADOW, COLOR_3DSHADOW, N, N, N, N, N};
constexpr int LTOuterSoft[16] = {N,
                                 COLOR_3DHILIGHT,
                                 COLOR_3DDKSHADOW,
                                 N,
                                 COLOR_3DLIGHT,
                                 COLOR_3DHILIGHT,
                                 COLOR_3DDKSHADOW,
                                 N,
                                 COLOR_3DSHADOW,
                                 COLOR_3DHILIGHT,
                                 COLOR_3DDKSHADOW,
                                 N,
                                 N,
                                 COLOR_3DHILIGHT,
                                 COLOR_3DDKSHADOW,
                                 N};
constexpr int OuterMono[16] = {N,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOW,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOW,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOW,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME,
                               COLOR_WINDOWFRAME};
constexpr int InnerMono[16] = {N,
                               N,
                               N,
                               N,
                               N,
                               COLOR_WINDOW,
                               COLOR_WINDOW,
                               COLOR_WINDOW,
                               N,
                               COLOR_WINDOW,
                               COLOR_WINDOW,
                               COLOR_WINDOW,
                               N,
                               COLOR_WINDOW,
                               COLOR_WINDOW,
                               COLOR_WINDOW};
constexpr int OuterFlat[16] = {N,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DFACE,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DFACE,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DFACE,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW,
                               COLOR_3DSHADOW};
constexpr int InnerFlat[16] = {N,
                               N,
                               N,
                               N,
                               N,
                               COLOR_3DFACE,
                               COLOR_3DFACE,
                               COLOR_3DFACE,
                               N,
                               COLOR_3DFACE,
                               COLOR_3DFACE,
                               COLOR_3DFACE,
                               N,
                               COLOR_3DFACE,
                               COLOR_3DFACE,
                               COLOR_3DFACE};

BOOL DrawRectEdge(HDC dc, TRect* rc, UINT edge, UINT flags) {
    TRect inner = *rc;
    const int o = int(edge & (BDR_INNER | BDR_OUTER)), i = o;
    int ltI, ltO, rbI, rbO;
    if (flags & BF_MONO) {
        ltI = rbI = InnerMono[i];
        ltO = rbO = OuterMono[o];
    } else if (flags & BF_FLAT) {
        ltI = rbI = InnerFlat[i];
        ltO = rbO = OuterFlat[o];
    } else if (flags & BF_SOFT) {
        ltI = LTInnerSoft[i], ltO = LTOuterSoft[o], rbI = RBInnerNormal[i], rbO = RBOuterNormal[o];
    } else {
        ltI = LTInnerNormal[i], ltO = LTOuterNormal[o], rbI = RBInnerNormal[i], rbO = RBOuterNormal[o];
    }
    const int lb = (flags & BF_BOTTOMLEFT) == BF_BOTTOMLEFT ? 1 : 0;
    const int rt = (flags & BF_TOPRIGHT) == BF_TOPRIGHT ? 1 : 0;
    const int rb = (flags & BF_BOTTOMRIGHT) == BF_BOTTOMRIGHT ? 1 : 0;
    const int lt = (flags & BF_TOPLEFT) == BF_TOPLEFT ? 1 : 0;
    const TRect& r = inner;
    // Outer edge: top and left first, then bottom and right over the corners.
    if (ltO >= 0) {
        if (flags & BF_TOP) HLine(dc, r.Left, r.Right, r.Top, ltO);
        if (flags & BF_LEFT) VLine(dc, r.Left, r.Top, r.Bottom, ltO);
    }
    if (rbO >= 0) {
        if (flags & BF_BOTTOM) HLine(dc, r.Left, r.Right, r.Bottom - 1, rbO);
        if (flags & BF_RIGHT) VLine(dc, r.Right - 1, r.Top, r.Bottom, rbO);
    }
    // Inner edge, one pixel in, kept off the outer edge at the corners.
    if (ltI >= 0) {
        if (flags & BF_TOP) HLine(dc, r.Left + lt, r.Right - rt, r.Top + 1, ltI);
        if (flags & BF_LEFT) VLine(dc, r.Left + 1, r.Top + lt, r.Bottom - lb, ltI);
    }
    if (rbI >= 0) {
        if (flags & BF_BOTTOM) HLine(dc, r.Left + lb, r.Right - rb, r.Bottom - 2, rbI);
        if (flags & BF_RIGHT) VLine(dc, r.Right - 2, r.Top + rt, r.Bottom - rb, rbI);
    }
    if (flags & (BF_MIDDLE | BF_ADJUST)) {
        const int add = (OuterMono[o] >= 0 ? 1 : 0) + (InnerMono[i] >= 0 ? 1 : 0);
        if (flags & BF_LEFT) inner.Left += add;
        if (flags & BF_RIGHT) inner.Right -= add;
        if (flags & BF_TOP) inner.Top += add;
        if (flags & BF_BOTTOM) inner.Bottom -= add;
        if (flags & BF_MIDDLE) Fill(dc, inner, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE);
        if (flags & BF_ADJUST) *rc = inner;
    }
    return TRUE;
}

BOOL DrawDiagEdge(HDC dc, TRect* rc, UINT edge, UINT flags) {
    // A diagonal edge: one line per edge part across the rectangle.
    const int o = int(edge & (BDR_INNER | BDR_OUTER)), i = o;
    const int colorO = (flags & BF_MONO) ? OuterMono[o] : (flags & BF_FLAT) ? OuterFlat[o] : LTOuterNormal[o];
    const int colorI = (flags & BF_MONO) ? InnerMono[i] : (flags & BF_FLAT) ? InnerFlat[i] : LTInnerNormal[i];
    const TRect r = *rc;
    auto line = [&](int color, int shift) {
        if (color < 0) return;
        HGDIOBJ old = SelectObject(dc, InternPen(PS_SOLID, 1, GetSysColor(color)));
        TPoint cur;
        GetCurrentPositionEx(dc, &cur);
        const bool up =
            (flags & (BF_TOP | BF_BOTTOM)) == BF_TOP ? ((flags & BF_RIGHT) != 0) : ((flags & BF_LEFT) != 0);
        if (up) {
            MoveToEx(dc, r.Left + shift, r.Bottom - 1);
            LineTo(dc, r.Right, r.Top - 1 + shift);
        } else {
            MoveToEx(dc, r.Left + shift, r.Top);
            LineTo(dc, r.Right, r.Bottom - shift);
        }
        MoveToEx(dc, cur.X, cur.Y);
        SelectObject(dc, old);
    };
    line(colorO, 0);
    line(colorI, 1);
    if (flags & BF_ADJUST) InflateRect(*rc, -1, -1);
    return TRUE;
}

// A filled arrow: a triangle pointing in dir (0 up, 1 down, 2 left, 3 right).
void Arrow(HDC dc, const TRect& r, int dir, int colorIndex, int dx, int dy, int full) {
    const int size = std::max(2, (full + 1) / 4);
    const int base = 2 * size - 1;
    if (dir <= 1) {
        const int x0 = r.Left + (r.Width() - base) / 2 + dx, y0 = r.Top + (r.Height() - size) / 2 + dy;
        for (int k = 0; k < size; ++k) {
            const int row = dir == 1 ? k : size - 1 - k;
            HLine(dc, x0 + k, x0 + base - k, y0 + row, colorIndex);
        }
    } else {
        const int y0 = r.Top + (r.Height() - base) / 2 + dy, x0 = r.Left + (r.Width() - size) / 2 + dx;
        for (int k = 0; k < size; ++k) {
            const int col = dir == 3 ? k : size - 1 - k;
            VLine(dc, x0 + col, y0 + k, y0 + base - k, colorIndex);
        }
    }
}

// The platform's 7x7 check mark.
constexpr const char* kCheck[7] = {"......x", ".....xx", "x...xxx", "xx.xxx.",
                                   "xxxxx..", ".xxx...", "..x...."};

void CheckMark(HDC dc, int x, int y, int colorIndex) {
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (kCheck[row][col] == 'x') Pixel(dc, x + col, y + row, colorIndex);
}

TRect SquareIn(const TRect& r, int size) {
    const int x = r.Left + (r.Width() - size) / 2, y = r.Top + (r.Height() - size) / 2;
    return Bounds(x, y, size, size);
}

UINT EdgeLook(UINT state) {
    return (state & DFCS_FLAT ? UINT(BF_FLAT) : 0u) | (state & DFCS_MONO ? UINT(BF_MONO) : 0u);
}

void PushButton(HDC dc, TRect& r, UINT state) {
    if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
        DrawRectEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | EdgeLook(state));
    } else {
        DrawRectEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST | EdgeLook(state));
    }
    if ((state & DFCS_CHECKED) && !(state & DFCS_PUSHED)) {
        // Checked buttons show a dither of face and highlight.
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                Pixel(dc, x, y, ((x + y) & 1) ? COLOR_3DFACE : COLOR_3DHILIGHT);
    } else {
        Fill(dc, r, COLOR_3DFACE);
    }
}

void CheckBox(HDC dc, const TRect& rc, UINT state) {
    TRect r = SquareIn(rc, std::min(ClassicCheckBoxSize, std::min(rc.Width(), rc.Height())));
    DrawRectEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | EdgeLook(state));
    const bool grayBack =
        (state & (DFCS_INACTIVE | DFCS_PUSHED)) || ((state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED));
    Fill(dc, r, grayBack ? COLOR_3DFACE : COLOR_WINDOW);
    if (state & DFCS_CHECKED) {
        const int color =
            (state & DFCS_INACTIVE) || (state & DFCS_BUTTON3STATE) ? COLOR_3DSHADOW : COLOR_WINDOWTEXT;
        CheckMark(dc, r.Left + (r.Width() - 7) / 2, r.Top + (r.Height() - 7) / 2, color);
    }
}

void RadioButton(HDC dc, const TRect& rc, UINT state) {
    const TRect r = SquareIn(rc, std::min(12, std::min(rc.Width(), rc.Height())));
    // A 12x12 circle out of the four edge colours, as the classic look draws it.
    static const char* outer[12] = {"....ssss....", "..ss....ss..", ".s........s.", ".s........h.",
                                    "s..........h", "s..........h", "s..........h", "s..........h",
                                    ".s........h.", ".h........h.", "..hh....hh..", "....hhhh...."};
    static const char* inner[12] = {"............", "....dddd....", "..dd....ll..", "..d......l..",
                                    ".d........l.", ".d........l.", ".d........l.", ".d........l.",
                                    "..d......l..", "..ll....ll..", "....llll....", "............"};
    const bool flat = state & (DFCS_FLAT | DFCS_MONO);
    const int face = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_3DFACE : COLOR_WINDOW;
    for (int y = 0; y < 12 && y < r.Height(); ++y)
        for (int x = 0; x < 12 && x < r.Width(); ++x) {
            const char o = outer[y][x], i = inner[y][x];
            if (o == 's')
                Pixel(dc, r.Left + x, r.Top + y, flat ? COLOR_3DSHADOW : COLOR_3DSHADOW);
            else if (o == 'h')
                Pixel(dc, r.Left + x, r.Top + y, flat ? COLOR_3DSHADOW : COLOR_3DHILIGHT);
            else if (i == 'd')
                Pixel(dc, r.Left + x, r.Top + y, flat ? face : COLOR_3DDKSHADOW);
            else if (i == 'l')
                Pixel(dc, r.Left + x, r.Top + y, flat ? face : COLOR_3DLIGHT);
        }
    // The face inside the circle.
    static const int spans[8][2] = {{4, 8}, {3, 9}, {2, 10}, {2, 10}, {2, 10}, {2, 10}, {3, 9}, {4, 8}};
    for (int k = 0; k < 8; ++k)
        HLine(dc, r.Left + spans[k][0], r.Left + spans[k][1], r.Top + 2 + k, face);
    if (state & DFCS_CHECKED) {
        const int dot = (state & DFCS_INACTIVE) ? COLOR_3DSHADOW : COLOR_WINDOWTEXT;
        HLine(dc, r.Left + 5, r.Left + 7, r.Top + 4, dot);
        HLine(dc, r.Left + 4, r.Left + 8, r.Top + 5, dot);
        HLine(dc, r.Left + 4, r.Left + 8, r.Top + 6, dot);
        HLine(dc, r.Left + 5, r.Left + 7, r.Top + 7, dot);
    }
}

void ScrollButton(HDC dc, TRect& r, UINT state) {
    const UINT kind = state & 0xFF;
    if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        if (!(state & DFCS_TRANSPARENT)) Fill(dc, r, COLOR_3DFACE);
        // Diagonal stripes in the bottom-right corner: highlight, shadow, shadow, gap.
        const int n = std::min(r.Width(), r.Height()) - 1;
        for (int d = 1; d <= n; ++d) {
            const int phase = (d - 1) % 4;
            if (phase == 3 || d > 12) continue;
            const int color = phase == 0 ? COLOR_3DHILIGHT : COLOR_3DSHADOW;
            for (int k = 0; k < d; ++k)
                Pixel(dc, r.Right - d + k, r.Bottom - 1 - k, color);
        }
        return;
    }
    const int full = std::min(r.Width(), r.Height());
    if (state & DFCS_PUSHED)
        DrawRectEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_FLAT | BF_ADJUST | BF_MIDDLE);
    else
        DrawRectEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST | BF_MIDDLE | EdgeLook(state));
    int dir = 1;
    switch (kind) {
    case DFCS_SCROLLUP:
        dir = 0;
        break;
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX:
        dir = 1;
        break;
    case DFCS_SCROLLLEFT:
        dir = 2;
        break;
    case DFCS_SCROLLRIGHT:
        dir = 3;
        break;
    default:
        break;
    }
    const int shift = (state & DFCS_PUSHED) ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        Arrow(dc, r, dir, COLOR_3DHILIGHT, 1 + shift, 1 + shift, full);
        Arrow(dc, r, dir, COLOR_3DSHADOW, shift, shift, full);
    } else {
        Arrow(dc, r, dir, COLOR_BTNTEXT, shift, shift, full);
    }
}

void MenuGlyph(HDC dc, const TRect& r, UINT state) {
    // Menu glyphs are monochrome: black on white.
    Fill(dc, r, COLOR_WINDOW);
    HGDIOBJ black = InternBrush(BS_SOLID, 0, 0);
    auto px = [&](int x, int y) { FillLogicalRect(dc, QRect(x, y, 1, 1), black); };
    switch (state & 0xFF) {
    case DFCS_MENUARROW:
    case DFCS_MENUARROWRIGHT: {
        const int h = std::max(2, std::min(r.Width(), r.Height()) / 3);
        const int x0 = r.Left + (r.Width() - h) / 2, y0 = r.Top + (r.Height() - (2 * h - 1)) / 2;
        const bool left = (state & 0xFF) == DFCS_MENUARROWRIGHT;
        for (int k = 0; k < h; ++k)
            for (int y = y0 + k; y < y0 + 2 * h - 1 - k; ++y)
                px(left ? x0 + h - 1 - k : x0 + k, y);
        break;
    }
    case DFCS_MENUCHECK: {
        const int x0 = r.Left + (r.Width() - 7) / 2, y0 = r.Top + (r.Height() - 7) / 2;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 7; ++col)
                if (kCheck[row][col] == 'x') px(x0 + col, y0 + row);
        break;
    }
    case DFCS_MENUBULLET: {
        const TRect d = SquareIn(r, std::max(2, std::min(r.Width(), r.Height()) / 3));
        FillLogicalRect(dc, QRect(d.Left, d.Top, d.Width(), d.Height()), black);
        break;
    }
    default:
        break;
    }
}

void CaptionButton(HDC dc, TRect& r, UINT state) {
    PushButton(dc, r, state);
    const int color = (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
    const int s = std::max(4, std::min(r.Width(), r.Height()) - 6);
    const int off = (state & DFCS_PUSHED) ? 1 : 0;
    const TRect g = SquareIn(TRect(r.Left + off, r.Top + off, r.Right + off, r.Bottom + off), s);
    switch (state & 0xFF) {
    case DFCS_CAPTIONCLOSE:
        for (int k = 0; k < s; ++k) {
            HLine(dc, g.Left + k, g.Left + k + 2, g.Top + k, color);
            HLine(dc, g.Right - k - 2, g.Right - k, g.Top + k, color);
        }
        break;
    case DFCS_CAPTIONMIN:
        HLine(dc, g.Left, g.Right - 1, g.Bottom - 2, color),
            HLine(dc, g.Left, g.Right - 1, g.Bottom - 1, color);
        break;
    case DFCS_CAPTIONMAX:
        HLine(dc, g.Left, g.Right, g.Top, color), HLine(dc, g.Left, g.Right, g.Top + 1, color);
        HLine(dc, g.Left, g.Right, g.Bottom - 1, color);
        VLine(dc, g.Left, g.Top, g.Bottom, color), VLine(dc, g.Right - 1, g.Top, g.Bottom, color);
        break;
    case DFCS_CAPTIONRESTORE: {
        const int h = s * 2 / 3;
        TRect a = Bounds(g.Right - h, g.Top, h, h), b = Bounds(g.Left, g.Bottom - h, h, h);
        for (const TRect& q : {a, b}) {
            HLine(dc, q.Left, q.Right, q.Top, color), HLine(dc, q.Left, q.Right, q.Top + 1, color);
            HLine(dc, q.Left, q.Right, q.Bottom - 1, color);
            VLine(dc, q.Left, q.Top, q.Bottom, color), VLine(dc, q.Right - 1, q.Top, q.Bottom, color);
        }
        break;
    }
    case DFCS_CAPTIONHELP: {
        HGDIOBJ old = SelectObject(dc, DefaultFontObject());
        const COLORREF oldText = SetTextColor(dc, GetSysColor(color));
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        DrawText(dc, QStringLiteral("?"), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldText);
        SelectObject(dc, old);
        break;
    }
    default:
        break;
    }
}

} // namespace

BOOL DrawEdge(HDC dc, TRect* r, UINT edge, UINT flags) {
    if (!dc || !r) return FALSE;
    if (flags & BF_DIAGONAL) return DrawDiagEdge(dc, r, edge, flags);
    return DrawRectEdge(dc, r, edge, flags);
}

BOOL DrawFrameControl(HDC dc, TRect* r, UINT type, UINT state) {
    if (!dc || !r) return FALSE;
    TRect rc = *r;
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH)
            PushButton(dc, rc, state);
        else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK))
            RadioButton(dc, rc, state);
        else
            CheckBox(dc, rc, state);
        break;
    case DFC_SCROLL:
        ScrollButton(dc, rc, state);
        break;
    case DFC_MENU:
    case DFC_POPUPMENU:
        MenuGlyph(dc, rc, state);
        break;
    case DFC_CAPTION:
        CaptionButton(dc, rc, state);
        break;
    default:
        return FALSE;
    }
    if (state & DFCS_ADJUSTRECT) InflateRect(*r, -2, -2);
    return TRUE;
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas->Pen()->SetWidth(1);
    rect.Bottom -= 1;
    rect.Right -= 1;
    while (width > 0) {
        --width;
        TPoint topRight(rect.Right, rect.Top), bottomLeft(rect.Left, rect.Bottom);
        canvas->Pen()->SetColor(topColor);
        const TPoint a[3] = {bottomLeft, rect.TopLeft(), topRight};
        canvas->Polyline(a, 3);
        canvas->Pen()->SetColor(bottomColor);
        bottomLeft.X -= 1;
        const TPoint b[3] = {topRight, rect.BottomRight(), bottomLeft};
        canvas->Polyline(b, 3);
        InflateRect(rect, -1, -1);
    }
    rect.Bottom += 1;
    rect.Right += 1;
}
