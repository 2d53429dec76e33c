// Colours, DrawText, the classic 3-D look, blits, bitmaps, pictures and image lists.

#include "platform/ui/ImgList.h"
#include "ui/GraphicsTestUtil.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

// Pins the classic edge colours to distinct values for the duration of a test.
struct PinnedEdgeColors {
    static constexpr COLORREF Light = 0x000001, DkShadow = 0x000002, HiLight = 0x000003, Shadow = 0x000004,
                              Face = 0x000005, Window = 0x000006, Frame = 0x000007, Text = 0x000008;
    PinnedEdgeColors() {
        const int idx[] = {COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DHILIGHT,   COLOR_3DSHADOW,
                           COLOR_3DFACE,  COLOR_WINDOW,     COLOR_WINDOWFRAME, COLOR_WINDOWTEXT};
        const COLORREF val[] = {Light, DkShadow, HiLight, Shadow, Face, Window, Frame, Text};
        SetSysColors(8, idx, val);
    }
    ~PinnedEdgeColors() { ResetSysColors(); }
};

// The picture as letters: one per pinned colour ('L', 'D', 'H', 'S', 'F', 'W', 'M', 'T'), '.' white.
std::vector<std::string> Letters(TestBoard& b, const TRect& r) {
    std::vector<std::string> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::string row;
        for (int x = r.Left; x < r.Right; ++x) {
            const TColor c = b.At(x, y);
            static const char map[] = ".LDHSFWMT";
            row += c == clWhite ? '.' : (c >= 1 && c <= 8 ? map[c] : '?');
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Colors, SystemColorsComeFromThePaletteAndCanBePinned) {
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(ColorToRGB(clWindow), QColorToColor(pal.color(QPalette::Active, QPalette::Base)));
    EXPECT_EQ(ColorToRGB(clHighlight), QColorToColor(pal.color(QPalette::Active, QPalette::Highlight)));
    EXPECT_EQ(ColorToRGB(clBtnFace), QColorToColor(pal.color(QPalette::Active, QPalette::Button)));
    EXPECT_EQ(ColorToRGB(clGrayText), QColorToColor(pal.color(QPalette::Disabled, QPalette::Text)));
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clSkyBlue), 0xF0CAA6);
    EXPECT_EQ(clWindow, TColor(0xFF000005u));
    // A colour without a palette role uses the platform's default scheme.
    EXPECT_EQ(ColorToRGB(clGradientActiveCaption), TColor(RGB(185, 209, 234)));

    const int idx[] = {COLOR_HIGHLIGHT};
    const COLORREF val[] = {RGB(1, 2, 3)};
    SetSysColors(1, idx, val);
    EXPECT_EQ(ColorToRGB(clHighlight), TColor(RGB(1, 2, 3)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(1, 2, 3));
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clHighlight), QColorToColor(pal.color(QPalette::Active, QPalette::Highlight)));
}

TEST(Colors, NamesAndTexts) {
    struct Case {
        TColor Color;
        const char* Text;
    };
    const Case cases[] = {{clRed, "clRed"},
                          {clBtnFace, "clBtnFace"},
                          {clNone, "clNone"},
                          {clDefault, "clDefault"},
                          {clSilver, "clSilver"},
                          {0x00FF8000, "$00FF8000"},
                          {cl3DDkShadow, "cl3DDkShadow"},
                          {clMoneyGreen, "clMoneyGreen"}};
    for (const Case& c : cases) {
        EXPECT_EQ(ColorToString(c.Color), QString::fromLatin1(c.Text));
        EXPECT_EQ(StringToColor(QString::fromLatin1(c.Text)), c.Color) << c.Text;
    }
    EXPECT_EQ(ColorToString(clLtGray), "clSilver"); // the first name of a value wins
    EXPECT_EQ(StringToColor("CLRED"), clRed);
    EXPECT_EQ(StringToColor("12632256"), clSilver);
    EXPECT_EQ(StringToColor("-16777201"), clBtnFace);
    EXPECT_THROW(StringToColor("clNoSuchColor"), EConvertError);
    EXPECT_THROW(StringToColor(""), EConvertError);
    int32_t v = 0;
    EXPECT_FALSE(IdentToColor("red", v));
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

// ---------------------------------------------------------------------------------------------
TEST(DrawTextTest, CalcRectMeasuresLinesAndWidth) {
    TestBoard b(200, 100);
    HDC dc = b.DC();
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    const int w = b.C()->TextWidth("Hello world");

    TRect r(10, 10, 300, 10);
    EXPECT_EQ(DrawText(dc, QStringLiteral("Hello world"), -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(r, Rect(10, 10, 10 + w, 10 + tm.tmHeight));

    // Word breaking at the rectangle's width: three lines, the widest decides the width.
    const int word =
        std::max({b.C()->TextWidth("alpha"), b.C()->TextWidth("beta"), b.C()->TextWidth("gamma")});
    TRect wr(0, 0, word + 2, 0);
    EXPECT_EQ(DrawText(dc, QStringLiteral("alpha beta gamma"), -1, &wr, DT_CALCRECT | DT_WORDBREAK),
              3 * tm.tmHeight);
    EXPECT_EQ(wr.Bottom, 3 * tm.tmHeight);
    EXPECT_LE(wr.Right, word + 2);
    EXPECT_EQ(wr.Right, word);

    // A word wider than the rectangle widens it; line breaks count; count limits the text.
    TRect nr(0, 0, 5, 0);
    DrawText(dc, QStringLiteral("unbreakable"), -1, &nr, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(nr.Right, b.C()->TextWidth("unbreakable"));
    TRect lr(0, 0, 100, 0);
    EXPECT_EQ(DrawText(dc, QStringLiteral("a\r\nb\nc"), -1, &lr, DT_CALCRECT), 3 * tm.tmHeight);
    TRect cr(0, 0, 100, 0);
    DrawText(dc, QStringLiteral("abcdef"), 3, &cr, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(cr.Right, b.C()->TextWidth("abc"));
    // Prefixes: "&&" shows one ampersand, "&x" none.
    TRect pr(0, 0, 100, 0), qr(0, 0, 100, 0);
    DrawText(dc, QStringLiteral("&File && Edit"), -1, &pr, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(pr.Right, b.C()->TextWidth("File & Edit"));
    DrawText(dc, QStringLiteral("&File"), -1, &qr, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(qr.Right, b.C()->TextWidth("&File"));
}

TEST(DrawTextTest, AlignmentPlacesTheText) {
    struct Case {
        UINT Flags;
        bool Right, Center, VCenter, Bottom;
    };
    const Case cases[] = {
        {DT_LEFT | DT_TOP | DT_SINGLELINE, false, false, false, false},
        {DT_RIGHT | DT_SINGLELINE, true, false, false, false},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, false, true, true, false},
        {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, true, false, false, true},
    };
    for (const Case& c : cases) {
        TestBoard b(200, 60);
        SetBkMode(b.DC(), TRANSPARENT);
        const TRect box(20, 10, 180, 50);
        TRect r = box;
        const int h = DrawText(b.DC(), QStringLiteral("MMM"), -1, &r, c.Flags);
        const TRect ink = b.Ink();
        const int tw = b.C()->TextWidth("MMM"), th = b.C()->TextHeight("MMM");
        ASSERT_FALSE(ink.IsEmpty());
        if (c.Right) {
            EXPECT_GE(ink.Right, box.Right - 3);
            EXPECT_LE(ink.Right, box.Right);
        } else if (c.Center) {
            EXPECT_NEAR(ink.Left + ink.Width() / 2, (box.Left + box.Right) / 2, 3);
        } else {
            EXPECT_LE(ink.Left, box.Left + 2);
            EXPECT_GE(ink.Left, box.Left);
        }
        if (c.VCenter) {
            EXPECT_NEAR(ink.Top + ink.Height() / 2, (box.Top + box.Bottom) / 2, 3);
            EXPECT_EQ(h, (box.Height() - th) / 2 + th);
        } else if (c.Bottom) {
            EXPECT_LE(ink.Bottom, box.Bottom);
            EXPECT_GE(ink.Top, box.Bottom - th);
            EXPECT_EQ(h, box.Height());
        } else {
            EXPECT_GE(ink.Top, box.Top);
            EXPECT_LE(ink.Bottom, box.Top + th);
            EXPECT_EQ(h, th);
        }
        EXPECT_LE(ink.Width(), tw + 1);
    }
}

TEST(DrawTextTest, EllipsesShortenToTheWidth) {
    TestBoard b(300, 40);
    HDC dc = b.DC();
    const int width = b.C()->TextWidth("A long caption");
    String text = QStringLiteral("A long caption that does not fit");
    TRect r(0, 0, width, 20);
    DrawText(dc, text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_TRUE(text.endsWith("...")) << text.toStdString();
    EXPECT_TRUE(text.startsWith("A long")) << text.toStdString();
    EXPECT_LE(b.C()->TextWidth(text), width);
    EXPECT_LE(b.Ink().Right, width);

    String path = QStringLiteral("/home/user/documents/projects/settings.ini");
    const int pw = b.C()->TextWidth("/home/.../settings.ini") + 2;
    TRect pr(0, 20, pw, 40);
    DrawText(dc, path, -1, &pr, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_TRUE(path.endsWith("/settings.ini")) << path.toStdString();
    EXPECT_TRUE(path.contains("...")) << path.toStdString();
    EXPECT_LE(b.C()->TextWidth(path), pw);

    // A long text is shortened quickly too.
    String longText = QString(20000, QChar('x'));
    TRect lr(0, 0, 50, 20);
    DrawText(dc, longText, -1, &lr, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_LT(longText.size(), 20);
    EXPECT_LE(b.C()->TextWidth(longText), 50);

    // Text that fits is left alone.
    String fits = QStringLiteral("ok");
    TRect fr(0, 0, 100, 20);
    DrawText(dc, fits, -1, &fr, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_EQ(fits, "ok");
}

TEST(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
    TestBoard b(200, 40);
    SetBkMode(b.DC(), TRANSPARENT);
    TRect r(10, 10, 20, 30);
    DrawText(b.DC(), QStringLiteral("Wide text here"), -1, &r, DT_SINGLELINE);
    EXPECT_EQ(b.Ink().Right <= 20 && b.Ink().Left >= 10, true);

    TestBoard n(200, 40);
    SetBkMode(n.DC(), TRANSPARENT);
    TRect r2(10, 10, 20, 30);
    DrawText(n.DC(), QStringLiteral("Wide text here"), -1, &r2, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(n.Ink().Right, 30);

    // A multi-line edit-control text shows no partial last line.
    TestBoard e(200, 60);
    SetBkMode(e.DC(), TRANSPARENT);
    TEXTMETRICW tm;
    GetTextMetrics(e.DC(), &tm);
    TRect er(0, 0, 200, tm.tmHeight + tm.tmHeight / 2);
    DrawText(e.DC(), QStringLiteral("first\nsecond"), -1, &er, DT_EDITCONTROL);
    EXPECT_LE(e.Ink().Bottom, tm.tmHeight);
}

TEST(DrawTextTest, OpaqueBackgroundAndPrefixUnderline) {
    TestBoard b(100, 30);
    HDC dc = b.DC();
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 255, 0));
    TRect r(0, 0, 100, 30);
    DrawText(dc, QStringLiteral("&Go"), -1, &r, DT_SINGLELINE);
    EXPECT_GT(b.Count(clLime), 0);
    EXPECT_EQ(b.Ink().Left, 0);
    EXPECT_EQ(b.Ink().Right, b.C()->TextWidth("Go"));

    // The underline marks the prefixed character only, below the baseline.
    TestBoard u(100, 30), plain(100, 30);
    SetBkMode(u.DC(), TRANSPARENT);
    SetBkMode(plain.DC(), TRANSPARENT);
    TRect a(0, 0, 100, 30), c(0, 0, 100, 30);
    DrawText(u.DC(), QStringLiteral("G&o"), -1, &a, DT_SINGLELINE);
    DrawText(plain.DC(), QStringLiteral("Go"), -1, &c, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_GT(u.Count(clBlack), plain.Count(clBlack));
}

TEST(DrawTextTest, ExtTextOutAlignmentOpaqueAndClip) {
    TestBoard b(100, 30);
    HDC dc = b.DC();
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    const int w = b.C()->TextWidth("Abc");
    // Right/baseline alignment puts the text's box left of and above the point.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 255, 0));
    SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
    ExtTextOut(dc, 60, 20, 0, nullptr, QStringLiteral("Abc"));
    EXPECT_EQ(b.Ink(), Rect(60 - w, 20 - tm.tmAscent, 60, 20 - tm.tmAscent + tm.tmHeight));

    // Opaque fills the rectangle, clipped keeps to it.
    TestBoard c(100, 30);
    SetBkMode(c.DC(), TRANSPARENT);
    SetBkColor(c.DC(), RGB(0, 255, 0));
    const TRect r(10, 5, 20, 25);
    ExtTextOut(c.DC(), 12, 8, ETO_OPAQUE | ETO_CLIPPED, &r, QStringLiteral("Wide text"));
    EXPECT_EQ(c.Ink(), r);
    EXPECT_GT(c.Count(clLime), 0);
    // TA_UPDATECP draws at the current position and moves it.
    TestBoard u(100, 30);
    SetTextAlign(u.DC(), TA_UPDATECP);
    MoveToEx(u.DC(), 5, 5);
    ExtTextOut(u.DC(), 0, 0, 0, nullptr, QStringLiteral("Abc"));
    TPoint cp;
    GetCurrentPositionEx(u.DC(), &cp);
    EXPECT_EQ(cp, Point(5 + w, 5));
    EXPECT_GE(u.Ink().Left, 5);
}

// ---------------------------------------------------------------------------------------------
TEST(ClassicLook, DrawEdgeRaisedPixels) {
    PinnedEdgeColors pin;
    TestBoard b(10, 10);
    TRect r(1, 1, 7, 6);
    DrawEdge(b.DC(), r, EDGE_RAISED, BF_RECT);
    const std::vector<std::string> want = {
        "LLLLLD", "LHHHSD", "LH..SD", "LSSSSD", "DDDDDD",
    };
    EXPECT_EQ(Letters(b, TRect(1, 1, 7, 6)), want);
    EXPECT_EQ(b.Ink(), TRect(1, 1, 7, 6));
    EXPECT_EQ(r, TRect(1, 1, 7, 6)); // no BF_ADJUST
}

TEST(ClassicLook, DrawEdgeVariants) {
    PinnedEdgeColors pin;
    struct Case {
        UINT Edge, Flags;
        std::vector<std::string> Want;
        TRect Adjusted;
    };
    const Case cases[] = {
        {EDGE_SUNKEN,
         BF_RECT | BF_ADJUST | BF_MIDDLE,
         {"SSSSH", "SDDLH", "SDFLH", "SLLLH", "HHHHH"},
         TRect(2, 2, 3, 3)},
        {EDGE_ETCHED, BF_RECT, {"SSSSH", "SHHSH", "SH.SH", "SSSSH", "HHHHH"}, TRect(0, 0, 5, 5)},
        {BDR_SUNKENOUTER,
         BF_RECT | BF_ADJUST,
         {"SSSSH", "S...H", "S...H", "S...H", "HHHHH"},
         TRect(1, 1, 4, 4)},
        {BDR_RAISEDINNER, BF_TOPLEFT, {"HHHHH", "H....", "H....", "H....", "H...."}, TRect(0, 0, 5, 5)},
        {EDGE_SUNKEN, BF_RECT | BF_FLAT, {"SSSSS", "SFFFS", "SF.FS", "SFFFS", "SSSSS"}, TRect(0, 0, 5, 5)},
        {EDGE_RAISED,
         BF_RECT | BF_MONO | BF_MIDDLE,
         {"MMMMM", "MWWWM", "MWWWM", "MWWWM", "MMMMM"},
         TRect(0, 0, 5, 5)},
        {EDGE_RAISED, BF_RECT | BF_SOFT, {"HHHHD", "HLLSD", "HL.SD", "HSSSD", "DDDDD"}, TRect(0, 0, 5, 5)},
    };
    for (const Case& c : cases) {
        TestBoard b(5, 5);
        TRect r(0, 0, 5, 5);
        DrawEdge(b.DC(), r, c.Edge, c.Flags);
        EXPECT_EQ(Letters(b, TRect(0, 0, 5, 5)), c.Want) << c.Edge << " " << c.Flags;
        EXPECT_EQ(r, c.Adjusted) << c.Edge << " " << c.Flags;
    }
}

TEST(ClassicLook, FrameControlsAndFrame3D) {
    PinnedEdgeColors pin;
    // A push button: soft raised edge around a face.
    TestBoard b(8, 6);
    TRect r(0, 0, 8, 6);
    DrawFrameControl(b.DC(), r, DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(Letters(b, TRect(0, 0, 8, 6)), (std::vector<std::string>{"HHHHHHHD", "HLLLLLSD", "HLFFFFSD",
                                                                       "HLFFFFSD", "HSSSSSSD", "DDDDDDDD"}));
    // Pushed: sunken.
    TestBoard p(5, 5);
    TRect pr(0, 0, 5, 5);
    DrawFrameControl(p.DC(), pr, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(p.At(0, 0), TColor(PinnedEdgeColors::Shadow));
    EXPECT_EQ(p.At(4, 4), TColor(PinnedEdgeColors::HiLight));

    // A checked check box: a 13x13 sunken box on the window colour with the 7x7 mark in text colour.
    TestBoard c(13, 13);
    TRect cr(0, 0, 13, 13);
    DrawFrameControl(c.DC(), cr, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(c.At(0, 0), TColor(PinnedEdgeColors::Shadow));
    EXPECT_EQ(c.At(2, 2), TColor(PinnedEdgeColors::Window));
    EXPECT_EQ(c.Count(TColor(PinnedEdgeColors::Text)), 21);
    TestBoard u(13, 13);
    DrawFrameControl(u.DC(), cr, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(u.Count(TColor(PinnedEdgeColors::Text)), 0);

    // A combo box arrow: a raised button with a downward triangle.
    TestBoard a(17, 17);
    TRect ar(0, 0, 17, 17);
    DrawFrameControl(a.DC(), ar, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    const TColor text = ColorToRGB(clBtnText);
    int widthTop = 0, widthBottom = 0, top = -1;
    for (int y = 0; y < 17; ++y) {
        int n = 0;
        for (int x = 0; x < 17; ++x)
            n += a.At(x, y) == text;
        if (n && top < 0) top = y, widthTop = n;
        if (n) widthBottom = n;
    }
    EXPECT_EQ(widthTop, 7);
    EXPECT_EQ(widthBottom, 1);

    // Frame3D: top/left in one colour, bottom/right in the other; the rectangle shrinks.
    TestBoard f(6, 6);
    TRect fr(0, 0, 6, 6);
    Frame3D(f.C(), fr, clRed, clBlue, 1);
    EXPECT_EQ(fr, TRect(1, 1, 5, 5));
    EXPECT_EQ(f.At(0, 0), clRed);
    EXPECT_EQ(f.At(0, 5), clBlue);
    EXPECT_EQ(f.At(5, 0), clBlue);
    EXPECT_EQ(f.At(5, 5), clBlue);
    EXPECT_EQ(f.Count(clRed), 9); // the bottom-left corner goes to the bottom colour
    EXPECT_EQ(f.Count(clBlue), 11);
}

TEST(ClassicLook, SystemCheckBoxBitmapAndFontSlope) {
    HBITMAP boxes = LoadBitmap(0, OBM_CHECKBOXES);
    BITMAP bm;
    ASSERT_EQ(GetObject(boxes, sizeof(bm), &bm), int(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth / 4, ClassicCheckBoxSize);
    EXPECT_EQ(bm.bmHeight, 3 * ClassicCheckBoxSize);
    DeleteObject(boxes); // a system bitmap stays
    EXPECT_EQ(LoadBitmap(0, OBM_CHECKBOXES), boxes);

    TestBoard b(10, 10);
    OUTLINETEXTMETRICW otm;
    EXPECT_GT(GetOutlineTextMetrics(b.DC(), sizeof(otm), &otm), 0u);
    EXPECT_EQ(otm.otmsCharSlopeRun, 0);
    b.C()->Font()->SetStyle({fsItalic});
    b.C()->TextWidth("x"); // selects the font
    GetOutlineTextMetrics(b.DC(), sizeof(otm), &otm);
    EXPECT_GT(otm.otmsCharSlopeRun, 0);
    EXPECT_GT(otm.otmsCharSlopeRise, otm.otmsCharSlopeRun);
}

// ---------------------------------------------------------------------------------------------
TEST(Blits, CopyModesAndConstantAlpha) {
    TestBoard src(4, 4), dst(4, 4);
    src.C()->Brush()->SetColor(clBlack);
    src.C()->FillRect(Rect(0, 0, 2, 4));
    BitBlt(dst.DC(), 0, 0, 4, 4, src.DC(), 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Count(clBlack), 8);
    const QImage copied = dst.Bmp.Image().copy();
    dst.C()->Brush()->SetColor(clRed);
    dst.C()->FillRect(Rect(0, 0, 4, 1));
    const QImage before = dst.Bmp.Image().copy();
    BitBlt(dst.DC(), 0, 0, 4, 4, src.DC(), 0, 0, SRCINVERT);
    BitBlt(dst.DC(), 0, 0, 4, 4, src.DC(), 0, 0, SRCINVERT);
    EXPECT_EQ(dst.Bmp.Image(), before);
    BitBlt(dst.DC(), 0, 0, 4, 4, src.DC(), 0, 0, SRCAND);
    EXPECT_EQ(dst.At(0, 0), clBlack);
    EXPECT_EQ(dst.At(3, 0), clRed);
    EXPECT_NE(copied, before);

    // A bitmap selected into a memory context; the context outlives the bitmap safely.
    HDC mem = CreateCompatibleDC(nullptr);
    {
        TBitmap sel(3, 3);
        SelectObject(mem, sel.Handle());
        PatBlt(mem, 0, 0, 3, 3, BLACKNESS);
        EXPECT_EQ(sel.Canvas()->Pixels(1, 1), clBlack);
    }
    EXPECT_EQ(PatBlt(mem, 0, 0, 3, 3, WHITENESS), FALSE);
    DeleteDC(mem);

    // Reading pixels from a copy of another picture (a grabbed window).
    HDC shot = CreateImageDC(src.Bmp.Image());
    TestBoard copy(4, 4);
    BitBlt(copy.DC(), 0, 0, 4, 4, shot, 0, 0, SRCCOPY);
    EXPECT_EQ(copy.Count(clBlack), 8);
    EXPECT_EQ(GetPixel(shot, 0, 0), COLORREF(0));
    DeleteDC(shot);

    // A horizontal gradient from black to white, and pattern operations.
    TestBoard g(5, 1);
    TRIVERTEX vert[2];
    vert[0].x = 0, vert[0].y = 0;
    vert[1].x = 5, vert[1].y = 1, vert[1].Red = vert[1].Green = vert[1].Blue = 0xFF00;
    GRADIENT_RECT gr{0, 1};
    GradientFill(g.DC(), vert, 2, &gr, 1, GRADIENT_FILL_RECT_H);
    EXPECT_EQ(g.At(0, 0), clBlack);
    EXPECT_LT(GetRValue(ColorToRGB(g.At(1, 0))), GetRValue(ColorToRGB(g.At(3, 0))));
    PatBlt(g.DC(), 0, 0, 5, 1, DSTINVERT);
    EXPECT_EQ(g.At(0, 0), clWhite);
    PatBlt(g.DC(), 0, 0, 2, 1, BLACKNESS);
    EXPECT_EQ(g.At(1, 0), clBlack);

    TestBoard grey(2, 2);
    BLENDFUNCTION bf;
    bf.SourceConstantAlpha = 102;
    AlphaBlend(grey.DC(), 0, 0, 2, 2, src.DC(), 0, 0, 2, 2, bf);
    const int v = GetRValue(ColorToRGB(grey.At(0, 0)));
    EXPECT_NEAR(v, 255 - 102, 2);
}

TEST(Bitmaps, StreamRoundTripAndTransparentDraw) {
    TBitmap bmp(5, 3);
    bmp.Canvas()->Brush()->SetColor(clFuchsia);
    bmp.Canvas()->FillRect(Rect(0, 0, 5, 3));
    bmp.Canvas()->Pixels(0, 0);
    bmp.Canvas()->SetPixels(2, 1, clNavy);
    TMemoryStream ms;
    bmp.SaveToStream(&ms);
    const Int64 size = ms.Size();
    const char tail[] = "after";
    ms.WriteBuffer(tail, 5);
    ASSERT_GT(size, 14);
    EXPECT_EQ(static_cast<const char*>(ms.Memory())[0], 'B');
    ms.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&ms);
    EXPECT_EQ(ms.Position(), size); // only the bitmap's own bytes were read
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Height(), 3);
    EXPECT_EQ(back.Canvas()->Pixels(2, 1), clNavy);

    // Transparent: the bottom-left colour is left out when drawing.
    back.SetTransparent(true);
    TestBoard b(10, 10);
    b.C()->Draw(2, 2, &back);
    EXPECT_EQ(b.Ink(), TRect(4, 3, 5, 4));

    TMemoryStream junk;
    junk.WriteBuffer("nonsense", 8);
    junk.SetPosition(0);
    EXPECT_THROW(back.LoadFromStream(&junk), EInvalidGraphic);
    EXPECT_THROW(back.ScanLine(3), ERangeError);
}

TEST(Bitmaps, ResizeKeepsPictureAndNewAreaIsWhite) {
    TBitmap bmp(2, 2);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 2, 2));
    bmp.SetSize(4, 3);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(bmp.Canvas()->Pixels(3, 2), clWhite);
    // Drawing state survives access to the pixels.
    HDC dc = bmp.Canvas()->Handle();
    IntersectClipRect(dc, 0, 0, 1, 1);
    bmp.Image();
    bmp.Canvas()->Brush()->SetColor(clBlue);
    bmp.Canvas()->FillRect(Rect(0, 0, 4, 3));
    EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), clBlue);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), -1); // outside the clip region
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clRed);
}

TEST(Pictures, FormatIsRecognisedBySignature) {
    QImage img(3, 2, QImage::Format_ARGB32);
    img.fill(Qt::green);
    for (const char* fmt : {"PNG", "BMP", "JPEG", "GIF"}) {
        QByteArray data;
        QBuffer buf(&data);
        buf.open(QIODevice::WriteOnly);
        if (!img.save(&buf, fmt)) continue; // a reader may be missing
        TMemoryStream ms;
        ms.WriteBuffer(data.constData(), Integer(data.size()));
        ms.SetPosition(0);
        TPicture pic;
        int changes = 0;
        pic.OnChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
        pic.LoadFromStream(&ms);
        EXPECT_EQ(pic.Width(), 3) << fmt;
        EXPECT_EQ(pic.Height(), 2) << fmt;
        EXPECT_GT(changes, 0);
        if (QByteArray(fmt) == "BMP")
            EXPECT_TRUE(dynamic_cast<TBitmap*>(pic.Graphic()));
        else
            EXPECT_TRUE(dynamic_cast<TImageGraphic*>(pic.Graphic())) << fmt;
        EXPECT_EQ(pic.Bitmap()->Width(), 3);
    }
    TMemoryStream junk;
    junk.WriteBuffer("XYZW1234", 8);
    junk.SetPosition(0);
    TPicture pic;
    EXPECT_THROW(pic.LoadFromStream(&junk), EInvalidGraphic);
    EXPECT_TRUE(pic.Empty());
}

// ---------------------------------------------------------------------------------------------
TEST(ImageLists, AddMaskedDrawAndChangeLinks) {
    TImageList list(4, 4);
    int linkCalls = 0, listCalls = 0;
    auto* link = new TChangeLink;
    link->OnChange = TNotifyEvent::Callable([&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++linkCalls;
    });
    list.RegisterChanges(link);
    list.OnChange = TNotifyEvent::Callable([&](TObject*) { ++listCalls; });

    // A strip of two images on a fuchsia background: a red and a blue 2x2 square.
    TBitmap strip(8, 4);
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(Rect(0, 0, 8, 4));
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(Rect(1, 1, 3, 3));
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(Rect(5, 1, 7, 3));
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(linkCalls, 1);
    EXPECT_EQ(listCalls, 1);

    TestBoard b(10, 10);
    list.Draw(b.C(), 3, 3, 1);
    EXPECT_EQ(b.Ink(), TRect(4, 4, 6, 6));
    EXPECT_EQ(b.Count(clBlue), 4);
    list.Draw(b.C(), 0, 0, 7); // out of range: nothing
    EXPECT_EQ(b.Ink(), TRect(4, 4, 6, 6));

    TestBoard d(10, 10);
    list.Draw(d.C(), 3, 3, 0, false); // disabled: no original colour
    EXPECT_EQ(d.Count(clRed), 0);
    EXPECT_FALSE(d.Ink().IsEmpty());

    TBitmap one;
    EXPECT_TRUE(list.GetBitmap(0, &one));
    EXPECT_EQ(one.Width(), 4);
    EXPECT_EQ(one.Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(one.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_FALSE(list.GetBitmap(2, &one));

    list.BeginUpdate();
    list.Delete(0);
    list.Add(&strip, nullptr);
    EXPECT_EQ(linkCalls, 1);
    list.EndUpdate();
    EXPECT_EQ(linkCalls, 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);

    delete link; // unregisters itself
    list.Clear();
    EXPECT_EQ(linkCalls, 2);

    // A list that goes first leaves its links without a sender.
    TChangeLink survivor;
    {
        TImageList temp(2, 2);
        temp.RegisterChanges(&survivor);
        EXPECT_EQ(survivor.Sender(), &temp);
    }
    EXPECT_EQ(survivor.Sender(), nullptr);
}

} // namespace
