// Pixel tests of the canvas on a bitmap: half-open rectangles, line end pixels, frames, XOR
// drawing, clipping and text measuring.

#include "ui/GraphicsTestUtil.h"

#include "platform/ui/Controls.h"

#include <QPainter>
#include <QWidget>

#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Board = TestBoard;

TEST(Canvas, FillRectCoversHalfOpenRectangle) {
    Board b;
    b.C()->Brush()->SetColor(clRed);
    b.C()->FillRect(Rect(2, 3, 7, 5));
    EXPECT_EQ(b.Ink(), Rect(2, 3, 7, 5));
    EXPECT_EQ(b.Count(clRed), 5 * 2);
    // An empty or inverted rectangle paints nothing.
    b.C()->Brush()->SetColor(clBlue);
    b.C()->FillRect(Rect(10, 10, 10, 15));
    b.C()->FillRect(Rect(12, 12, 11, 15));
    EXPECT_EQ(b.Count(clBlue), 0);
}

TEST(Canvas, LineToLeavesOutTheEndPixel) {
    struct Case {
        TPoint From, To;
        TRect Ink;
        int Pixels;
    };
    const Case cases[] = {
        {{2, 5}, {8, 5}, Rect(2, 5, 8, 6), 6},   // right
        {{8, 5}, {2, 5}, Rect(3, 5, 9, 6), 6},   // left
        {{4, 1}, {4, 9}, Rect(4, 1, 5, 9), 8},   // down
        {{4, 9}, {4, 1}, Rect(4, 2, 5, 10), 8},  // up
        {{1, 1}, {6, 6}, Rect(1, 1, 6, 6), 5},   // diagonal
        {{3, 3}, {3, 3}, Rect(20, 20, 0, 0), 0}, // a point draws nothing
    };
    for (const Case& c : cases) {
        Board b;
        b.C()->Pen()->SetColor(clBlack);
        b.C()->MoveTo(c.From.X, c.From.Y);
        b.C()->LineTo(c.To.X, c.To.Y);
        EXPECT_EQ(b.Ink(), c.Ink) << c.From.X << "," << c.From.Y << " -> " << c.To.X << "," << c.To.Y;
        EXPECT_EQ(b.Count(clBlack), c.Pixels);
        EXPECT_EQ(b.C()->PenPos(), c.To);
    }
}

TEST(Canvas, PolylineJoinsSegmentsWithoutTheLastPixel) {
    Board b;
    const TPoint pts[] = {{1, 1}, {5, 1}, {5, 5}};
    b.C()->Polyline(pts, 3);
    EXPECT_EQ(b.Count(clBlack), 8); // 4 across, 4 down, (5,5) left out
    EXPECT_EQ(b.At(5, 1), clBlack);
    EXPECT_EQ(b.At(5, 5), clWhite);
}

TEST(Canvas, DottedPenSkipsPixels) {
    Board b(40, 4);
    b.C()->Pen()->SetStyle(psDot);
    b.C()->MoveTo(0, 1);
    b.C()->LineTo(36, 1);
    EXPECT_EQ(b.Count(clBlack), 18);
    EXPECT_EQ(b.At(0, 1), clBlack);
    EXPECT_EQ(b.At(3, 1), clWhite);
}

TEST(Canvas, RectangleAndFrameRect) {
    Board b;
    b.C()->Brush()->SetColor(clYellow);
    b.C()->Pen()->SetColor(clBlue);
    b.C()->Rectangle(2, 2, 8, 6);
    EXPECT_EQ(b.Ink(), Rect(2, 2, 8, 6));
    EXPECT_EQ(b.Count(clBlue), 2 * 6 + 2 * 2);
    EXPECT_EQ(b.Count(clYellow), 4 * 2);

    Board f;
    f.C()->Brush()->SetColor(clGreen);
    f.C()->FrameRect(Rect(3, 3, 9, 7));
    EXPECT_EQ(f.Ink(), Rect(3, 3, 9, 7));
    EXPECT_EQ(f.Count(clGreen), 16);
    EXPECT_EQ(f.At(4, 4), clWhite);
}

TEST(Canvas, RectangleWithClearPenIsOnePixelSmaller) {
    Board b;
    b.C()->Pen()->SetStyle(psClear);
    b.C()->Brush()->SetColor(clRed);
    b.C()->Rectangle(2, 2, 8, 6);
    EXPECT_EQ(b.Ink(), Rect(2, 2, 7, 5));
}

TEST(Canvas, XorPenTwiceRestoresThePicture) {
    Board b;
    b.C()->Brush()->SetColor(clAqua);
    b.C()->FillRect(Rect(0, 0, 10, 20));
    const QImage before = b.Bmp.Image().copy();
    for (TPenMode mode : {pmXor, pmNotXor, pmNot}) {
        b.C()->Pen()->SetMode(mode);
        b.C()->Pen()->SetColor(clRed);
        for (int pass = 0; pass < 2; ++pass) {
            b.C()->MoveTo(5, 0);
            b.C()->LineTo(5, 20);
            b.C()->Rectangle(1, 1, 15, 15);
            if (pass == 0) {
                EXPECT_NE(b.Bmp.Image(), before) << mode;
            }
        }
        EXPECT_EQ(b.Bmp.Image(), before) << mode;
    }
    // pmNot inverts whatever is there.
    b.C()->Pen()->SetMode(pmNot);
    b.C()->MoveTo(0, 18);
    b.C()->LineTo(1, 18);
    EXPECT_EQ(b.At(0, 18), TColor(0xFFFFFF ^ ColorToRGB(clAqua)));
}

TEST(Canvas, DrawFocusRectIsDottedAndUndoesItself) {
    Board b;
    const QImage before = b.Bmp.Image().copy();
    b.C()->DrawFocusRect(Rect(2, 2, 10, 8));
    EXPECT_EQ(b.Ink(), Rect(2, 2, 10, 8));
    EXPECT_EQ(b.At(2, 2), clBlack);
    EXPECT_EQ(b.At(3, 2), clWhite);
    EXPECT_EQ(b.At(4, 4), clWhite);
    b.C()->DrawFocusRect(Rect(2, 2, 10, 8));
    EXPECT_EQ(b.Bmp.Image(), before);
}

TEST(Canvas, ClipNarrowedAndRestored) {
    Board b;
    HDC dc = b.C()->Handle();
    EXPECT_EQ(b.C()->ClipRect(), Rect(0, 0, 20, 20));
    const int saved = SaveDC(dc);
    EXPECT_EQ(IntersectClipRect(dc, 5, 5, 10, 10), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(dc, 5, 5, 7, 10), SIMPLEREGION);
    EXPECT_EQ(b.C()->ClipRect(), Rect(7, 5, 10, 10));
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, rgn), 1);
    TRect box;
    GetRgnBox(rgn, &box);
    EXPECT_EQ(box, Rect(7, 5, 10, 10));
    b.C()->Brush()->SetColor(clRed);
    b.C()->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Ink(), Rect(7, 5, 10, 10));

    RestoreDC(dc, saved);
    EXPECT_EQ(GetClipRgn(dc, rgn), 0);
    EXPECT_EQ(b.C()->ClipRect(), Rect(0, 0, 20, 20));
    b.C()->Brush()->SetColor(clBlue);
    b.C()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(b.At(0, 0), clBlue);

    // A selected region, then none.
    HRGN two = CreateRectRgn(0, 0, 3, 3);
    HRGN other = CreateRectRgn(15, 15, 18, 18);
    CombineRgn(two, two, other, RGN_OR);
    EXPECT_EQ(SelectClipRgn(dc, two), COMPLEXREGION);
    b.C()->Brush()->SetColor(clGreen);
    b.C()->FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Count(clGreen), 18);
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetClipRgn(dc, rgn), 0);
    DeleteObject(rgn);
    DeleteObject(two);
    DeleteObject(other);
}

TEST(Canvas, ViewportOriginShiftsDrawingButNotTheClip) {
    Board b;
    HDC dc = b.C()->Handle();
    IntersectClipRect(dc, 0, 0, 10, 20);
    TPoint old;
    SetViewportOrgEx(dc, 5, 0, &old);
    EXPECT_EQ(old, Point(0, 0));
    b.C()->Brush()->SetColor(clRed);
    b.C()->FillRect(Rect(0, 0, 10, 2)); // device 5..15, clipped at 10
    EXPECT_EQ(b.Ink(), Rect(5, 0, 10, 2));
    EXPECT_EQ(b.C()->ClipRect(), Rect(-5, 0, 5, 20));
    OffsetWindowOrgEx(dc, 5, 0); // back to device = logical
    TPoint p{3, 3};
    LPtoDP(dc, &p, 1);
    EXPECT_EQ(p, Point(3, 3));
}

TEST(Canvas, MirroredMappingFlipsRectangles) {
    Board b(20, 4);
    HDC dc = b.C()->Handle();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 20, 0);
    SetWindowExtEx(dc, -1, 1);
    SetViewportExtEx(dc, 1, 1);
    b.C()->Brush()->SetColor(clRed);
    b.C()->FillRect(Rect(0, 0, 3, 4)); // the first three columns, seen from the right
    EXPECT_EQ(b.Ink(), Rect(17, 0, 20, 4));
    TPoint p{2, 0};
    LPtoDP(dc, &p, 1);
    EXPECT_EQ(p, Point(18, 0));
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0);
    b.C()->Brush()->SetColor(clBlue);
    b.C()->FillRect(Rect(0, 0, 1, 4));
    EXPECT_EQ(b.At(0, 0), clBlue);
}

// Pens on a mirrored mapping hit the pixel their point maps to, one right of the rectangle cell
// of the same logical pixel; right-to-left painters draw their lines one pixel further for it.
TEST(Canvas, MirroredMappingPutsPenPixelsOnTheMappedPoint) {
    Board b(20, 4);
    HDC dc = b.C()->Handle();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 20, 0);
    SetWindowExtEx(dc, -20, 4);
    SetViewportExtEx(dc, 20, 4);
    b.C()->Pen()->SetColor(clRed);
    b.C()->MoveTo(3, 0);
    b.C()->LineTo(3, 4);
    EXPECT_EQ(b.Ink(), Rect(17, 0, 18, 4));
    // A horizontal line leaves out its end pixel in device terms too.
    b.C()->Pen()->SetColor(clBlue);
    b.C()->MoveTo(2, 1);
    b.C()->LineTo(6, 1);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(b.At(x, 1) == clBlue, x >= 15 && x <= 18) << x;
    SetPixel(dc, 10, 3, COLORREF(ColorToRGB(clLime)));
    EXPECT_EQ(b.At(10, 3), clLime);
    EXPECT_EQ(GetPixel(dc, 10, 3), COLORREF(ColorToRGB(clLime)));
}

// A line too long for its rectangle keeps its beginning in view whether the mapping is mirrored
// or not: the text is upright either way, so it is put against the mapped right end.
TEST(Canvas, MirroredTextTooLongForItsRectangleShowsItsBeginning) {
    auto draw = [](bool mirrored) {
        Board b(120, 20);
        HDC dc = b.C()->Handle();
        if (mirrored) {
            SetMapMode(dc, MM_ANISOTROPIC);
            SetWindowOrgEx(dc, 120, 0);
            SetWindowExtEx(dc, -120, 20);
            SetViewportExtEx(dc, 120, 20);
        }
        b.C()->Font()->SetName("Tahoma");
        b.C()->Font()->SetHeight(-11);
        b.C()->Font()->SetColor(clBlack);
        b.C()->Brush()->SetStyle(bsClear);
        // Logical 40..60 lands on device 40..60 either way.
        TRect r = mirrored ? Rect(60, 2, 80, 18) : Rect(40, 2, 60, 18);
        String s = "Wide caption";
        DrawText(dc, s, -1, &r, DT_LEFT | DT_SINGLELINE);
        return b.Bmp.Image().copy(40, 0, 20, 20);
    };
    const QImage plain = draw(false), mirrored = draw(true);
    EXPECT_EQ(plain, mirrored);
}

TEST(Canvas, TextMeasuresAndDrawsInsideItsExtent) {
    Board b(120, 30);
    b.C()->Font()->SetName("Tahoma");
    b.C()->Font()->SetHeight(-11);
    const TSize s = b.C()->TextExtent("Wg");
    EXPECT_GT(s.cx, 8);
    EXPECT_GE(s.cy, 11);
    EXPECT_EQ(b.C()->TextWidth("WgWg"), 2 * s.cx);
    EXPECT_EQ(b.C()->TextWidth(""), 0);
    // Extents of each prefix; how many characters fit.
    const String text = QStringLiteral("Wg Wg");
    int fit = 0, ext[5] = {};
    TSize all;
    GetTextExtentExPoint(b.C()->Handle(), text.constData(), 5, s.cx, &fit, ext, &all);
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(ext[1], s.cx);
    EXPECT_EQ(ext[4], all.cx);
    EXPECT_EQ(all.cx, b.C()->TextWidth(text));

    TEXTMETRICW tm;
    GetTextMetrics(b.C()->Handle(), &tm);
    EXPECT_EQ(tm.tmHeight, s.cy);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 11);
    EXPECT_GT(tm.tmAveCharWidth, 0);

    b.C()->Brush()->SetStyle(bsClear);
    b.C()->TextOut(10, 5, "Wg");
    const TRect ink = b.Ink();
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + s.cx + 1);
    EXPECT_GE(ink.Top, 5);
    EXPECT_LE(ink.Bottom, 5 + s.cy);
    EXPECT_EQ(b.C()->PenPos(), Point(10 + s.cx, 5));
}

// Outside painting every control canvas measures on the one screen context: a canvas must not
// measure with the font another canvas (or a control drawing on the raw context) left there.
TEST(Canvas, ControlCanvasesSharingTheScreenContextMeasureWithTheirOwnFont) {
    TControlCanvas big, small;
    big.Font()->SetHeight(-14);
    small.Font()->SetHeight(-8);
    const String text = QStringLiteral("Name 10");
    auto measure = [&](TCanvas* c) {
        TRect r(0, 0, 1000, 0);
        DrawText(c->Handle(), text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        return r.Width();
    };
    const int bigW = measure(&big);
    EXPECT_EQ(bigW, big.TextWidth(text));
    ASSERT_EQ(big.Handle(), small.Handle()) << "both measure on the screen context";
    const int smallW = measure(&small);
    EXPECT_LT(smallW, bigW);
    EXPECT_EQ(measure(&big), bigW);
    // A font selected into the raw context behind the canvas's back does not stick either.
    SelectObject(small.Handle(), small.Font()->Handle());
    EXPECT_EQ(measure(&big), bigW);
    // Nor does a font change go unnoticed by the raw context.
    big.Font()->SetHeight(-8);
    EXPECT_EQ(measure(&big), smallW);
}

TEST(Canvas, TextRectClipsAndFillsWithSolidBrush) {
    Board b(120, 30);
    b.C()->Brush()->SetColor(clYellow);
    b.C()->TextRect(Rect(5, 5, 20, 20), 6, 6, "Some long text that does not fit");
    EXPECT_EQ(b.Ink(), Rect(5, 5, 20, 20));
}

TEST(Canvas, FontSizeAndHeight) {
    TFont f;
    EXPECT_EQ(f.Name(), "Tahoma");
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.PixelSize(), 13);
    int changes = 0;
    f.OnChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    f.SetSize(10);
    EXPECT_EQ(changes, 0);
    f.SetStyle({fsBold});
    EXPECT_EQ(changes, 1);
    // Equal fonts share a handle.
    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.Handle(), f.Handle());
    g.SetStyle({});
    EXPECT_NE(g.Handle(), f.Handle());
    EXPECT_FALSE(ResolveFontFamily("Courier New").isEmpty());
    EXPECT_NE(ResolveFontFamily("Courier New"), ResolveFontFamily("Tahoma"));
}

// A widget painting through a canvas bound to its paint event's painter.
class CanvasWidget : public QWidget {
public:
    TRect ClipSeen;
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        TCanvas c;
        c.BindPainter(&p);
        ClipSeen = c.ClipRect();
        c.Brush()->SetColor(clWhite);
        c.FillRect(Rect(0, 0, width(), height()));
        c.Brush()->SetColor(clRed);
        HDC dc = c.Handle();
        SetViewportOrgEx(dc, 10, 10);
        IntersectClipRect(dc, 0, 0, 5, 5);
        c.FillRect(Rect(0, 0, 20, 20));
        c.ReleasePainter();
        // The painter is handed back as it came: no clip, no offset.
        p.fillRect(QRect(0, 0, 2, 2), Qt::blue);
    }
};

TEST(Canvas, BindsToAWidgetPainter) {
    CanvasWidget w;
    w.resize(40, 30);
    const QImage img = w.grab().toImage();
    EXPECT_EQ(w.ClipSeen, Rect(0, 0, 40, 30));
    auto at = [&](int x, int y) { return QColorToColor(img.pixelColor(x, y)); };
    EXPECT_EQ(at(10, 10), clRed);
    EXPECT_EQ(at(14, 14), clRed);
    EXPECT_EQ(at(15, 15), clWhite);
    EXPECT_EQ(at(9, 9), clWhite);
    EXPECT_EQ(at(1, 1), clBlue);
}

} // namespace
