// Right-to-left painting: the canvas maps the client area mirrored, so that the painters work
// in left-to-right coordinates. Text lines come out upright on their own; highlighted text
// ranges and images are placed on the unmirrored device instead, or they would land at the
// wrong end of their text or come out reversed.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QScopeGuard>

namespace {

bool CanvasMirrored(TCanvas* Canvas) {
    TPoint p[2] = {TPoint{0, 0}, TPoint{1, 0}};
    LPtoDP(Canvas->Handle(), p, 2);
    return p[1].X < p[0].X;
}

TAlignment Swapped(TAlignment A) {
    return A == taLeftJustify ? taRightJustify : A == taRightJustify ? taLeftJustify : A;
}

// Runs Draw with the canvas unmirrored, handing it ARect in device coordinates and the
// alignment that keeps the logical placement; mirroring is switched on again afterwards.
template <class F>
void DrawUnmirrored(TCanvas* Canvas, int Width, int Height, const TRect& ARect, TAlignment Alignment,
                    F&& Draw) {
    if (!CanvasMirrored(Canvas)) {
        Draw(ARect, Alignment);
        return;
    }
    TPoint p[2] = {TPoint{ARect.Left, ARect.Top}, TPoint{ARect.Right, ARect.Bottom}};
    LPtoDP(Canvas->Handle(), p, 2);
    const TRect device(std::min(p[0].X, p[1].X), p[0].Y, std::max(p[0].X, p[1].X), p[1].Y);
    SetMirroredCanvasMapping(Canvas, false, Width, Height);
    const auto remirror = qScopeGuard([&] { SetMirroredCanvasMapping(Canvas, true, Width, Height); });
    Draw(device, Swapped(Alignment));
}

} // namespace

TDBGridEhDesignTitleFrameProc DBGridEhDesignTitleFrame;

bool TCustomDBGridEh::IsCanvasMirrored(TCanvas* ACanvas) {
    return CanvasMirrored(ACanvas);
}

void TCustomDBGridEh::SetCanvasMirroring(bool Mirror) {
    SetMirroredCanvasMapping(Canvas(), Mirror, ClientWidth(), ClientHeight());
}

void TCustomDBGridEh::PaintHighlightedText(TCanvas* ACanvas, TColumnEh* Column, const TRect& ARect, int DX,
                                           int DY, const String& Text, TAlignment Alignment, bool WordWrap,
                                           const String& SearchText, bool CaseInsensitive,
                                           TColor HighlightColor) {
    // The alignment the cell text was written with.
    if (Column && Column->UseRightToLeftAlignment()) Alignment = Swapped(Alignment);
    const bool centred = Column && Column->Layout() == tlCenter;
    // The matches are measured on the device context: bring the canvas font into it first.
    ACanvas->TextWidth(String());
    DrawUnmirrored(ACanvas, ClientWidth(), ClientHeight(), ARect, Alignment,
                   [&](const TRect& r, TAlignment a) {
                       HighlightTextMatches(ACanvas, r, DX, DY, Text, a, centred, WordWrap, SearchText,
                                            CaseInsensitive, HighlightColor);
                   });
}

void TCustomDBGridEh::PaintCellImage(TColumnEh* Column, TCustomImageList* AImages, const TRect& ARect,
                                     int ImageIndex, TAlignment Alignment) {
    if (!AImages) return;
    if (Column && Column->UseRightToLeftAlignment()) Alignment = Swapped(Alignment);
    TCanvas* c = Canvas();
    DrawUnmirrored(c, ClientWidth(), ClientHeight(), ARect, Alignment, [&](const TRect& r, TAlignment a) {
        PaintImageInRect(AImages, nullptr, c, r, ImageIndex, 0, a, r);
    });
}

void TCustomDBGridEh::DrawNonClientBorder() {
    // The border belongs to the window, not to the mirrored client picture.
    {
        const bool mirrored = CanvasMirrored(Canvas());
        if (mirrored) SetCanvasMirroring(false);
        const auto remirror = qScopeGuard([&] {
            if (mirrored) SetCanvasMirroring(true);
        });
        TCustomDBAxisGridEh::DrawNonClientBorder();
    }
    // The square between the two window scroll bars gets a face-coloured edge at its left and top.
    if (FBorderWidth == 0 || UseRightToLeftReading() || !HandleAllocated()) return;
    const LONG_PTR style = GetWindowLong(Handle(), GWL_STYLE);
    if (!(style & WS_VSCROLL) || !(style & WS_HSCROLL) || HorzScrollBar()->ExtScrollBar()) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    const auto release = qScopeGuard([&] { ReleaseDC(Handle(), dc); });
    const int right = Width() - 1, bottom = Height() - 1;
    const int left = right - GetSystemMetrics(SM_CXVSCROLL), top = bottom - GetSystemMetrics(SM_CYHSCROLL);
    HPEN pen = CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(clBtnFace)));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, left, bottom, nullptr);
    LineTo(dc, left, top);
    LineTo(dc, right, top);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void TCustomDBGridEh::PaintInplaceSearchMatch(TColumnEh* Column, const String& Text, const TRect& ARect,
                                              int DX, int DY, TAlignment Alignment) {
    const int n = int(std::min(InplaceSearchText().size(), Text.size()));
    if (n <= 0) return;
    TCanvas* c = Canvas();
    const String head = Text.left(n);
    const int headWidth = c->TextWidth(head);
    const int restWidth = c->TextWidth(Text.mid(n));
    const int textHeight = c->TextHeight(Text);
    if (Column && Column->UseRightToLeftAlignment()) Alignment = Swapped(Alignment);
    const TTextLayout layout = Column ? Column->Layout() : tlTop;

    const TColor brush = c->Brush()->Color(), font = c->Font()->Color();
    const TBrushStyle brushStyle = c->Brush()->Style();
    const auto restore = qScopeGuard([&] {
        c->Brush()->SetColor(brush);
        c->Brush()->SetStyle(brushStyle);
        c->Font()->SetColor(font);
    });
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(InplaceSearchMatchColor);
    c->Font()->SetColor(InplaceSearchMatchFontColor);
    DrawUnmirrored(c, ClientWidth(), ClientHeight(), ARect, Alignment, [&](const TRect& r, TAlignment a) {
        // The matched part sits where the whole text put it: a right-aligned text keeps the rest of
        // the text as its right margin.
        int x;
        switch (a) {
        case taRightJustify:
            x = r.Right - DX - restWidth - headWidth;
            break;
        case taCenter:
            x = r.Left + (r.Width() - headWidth - restWidth) / 2;
            break;
        default:
            x = r.Left + DX;
        }
        int y = r.Top + DY;
        if (layout == tlCenter)
            y = r.Top + (r.Height() - textHeight) / 2;
        else if (layout == tlBottom)
            y = r.Bottom - textHeight - DY;
        TRect box(x, y, x + headWidth, y + textHeight);
        TRect shown;
        if (!IntersectRect(shown, box, r)) return;
        c->TextRect(shown, x, y, head);
    });
}
