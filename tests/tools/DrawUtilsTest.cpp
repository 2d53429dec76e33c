#include "ToolsTestUtil.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

TEST(ToolColours, InterpolateAndMixRoundPerChannel) {
    struct Case {
        TColor c1, c2;
        double w;
        TColor expected;
    } cases[] = {
        {TColor(RGB(0, 0, 0)), TColor(RGB(10, 10, 10)), 127, TColor(RGB(5, 5, 5))}, // rounds, not truncates
        {clRed, clBlue, 0, clRed},
        {clRed, clBlue, 255, clBlue},
        {TColor(RGB(0, 30, 255)), TColor(RGB(255, 0, 0)), 85, TColor(RGB(85, 20, 170))}, // a third of the way
        {clBtnFace, clBtnFace, 170.67, TColor(ColorToRGB(clBtnFace))}, // system colours resolve
    };
    for (const Case& c : cases)
        EXPECT_EQ(InterpolateColor(c.c1, c.c2, c.w), c.expected) << c.w;
    EXPECT_EQ(MixColorsPercent(TColor(RGB(0, 0, 0)), TColor(RGB(5, 15, 255)), 50), TColor(RGB(2, 8, 128)));
    EXPECT_EQ(ColorLuminance(clWhite), 255);
    EXPECT_EQ(ColorLuminance(TColor(RGB(100, 0, 0))), 30);
    EXPECT_EQ(ColorToGray(TColor(RGB(100, 0, 0))), TColor(RGB(30, 30, 30)));
    // Equal luminance: the first colour.
    EXPECT_EQ(DarkerColor(TColor(RGB(30, 30, 30)), TColor(RGB(100, 0, 0))), TColor(RGB(30, 30, 30)));
    EXPECT_EQ(DarkerColor(clWhite, clBlack), clBlack);
}

TEST(ToolColours, VerticalGradientRows) {
    Board one(4, 1);
    PaintVerticalGradient(one.C(), TRect(0, 0, 4, 1), clRed, clBlue);
    EXPECT_EQ(one.At(0, 0), clWhite);
    Board two(4, 2);
    PaintVerticalGradient(two.C(), TRect(0, 0, 4, 2), clRed, clBlue);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(two.At(x, 0), clRed);
        EXPECT_EQ(two.At(x, 1), clBlue);
    }
    Board five(1, 5);
    PaintVerticalGradient(five.C(), TRect(0, 0, 1, 5), TColor(RGB(0, 0, 0)), TColor(RGB(0, 0, 200)));
    EXPECT_EQ(five.At(0, 2), TColor(RGB(0, 0, 100)));
}

TEST(ToolColours, GradientLinesStepFromFirstToLast) {
    Board b(10, 4);
    PaintGradientLines(b.C(), TPoint(1, 1),
                       {TPoint(0, 0), TPoint(5, 0), TPoint(0, 1), TPoint(5, 1), TPoint(0, 2), TPoint(5, 2)},
                       TColor(RGB(0, 0, 0)), TColor(RGB(200, 0, 0)));
    EXPECT_EQ(b.At(1, 1), TColor(RGB(0, 0, 0)));
    EXPECT_EQ(b.At(1, 2), TColor(RGB(100, 0, 0)));
    EXPECT_EQ(b.At(5, 3), TColor(RGB(200, 0, 0)));
    EXPECT_EQ(b.At(6, 3), clWhite); // the end point is not drawn
}

TEST(ToolRoutines, SmallAnswers) {
    const TRect r(0, 0, 10, 10);
    EXPECT_TRUE(IsPointWithinRect(TPoint(10, 10), r));
    EXPECT_TRUE(IsPointWithinRect(TPoint(0, 5), r));
    EXPECT_FALSE(IsPointWithinRect(TPoint(11, 5), r));
    EXPECT_EQ(ButtonHeightForWidth(15, true), 20);
    EXPECT_EQ(ButtonHeightForWidth(15, false), 15);
    EXPECT_EQ(ButtonHeightForWidth(10, true), 13);
    EXPECT_EQ(ChooseInt(false, 1, 2), 2);

    TStringList list;
    list.Add(S("Яблоко"));
    EXPECT_EQ(FindStringIndex(&list, S("ябл"), 2), 0);
    EXPECT_EQ(FindStringIndex(&list, S("ябл"), 0), -1);
    EXPECT_EQ(FindStringIndex(&list, S("ЯБЛОКО"), 0), 0);

    EXPECT_TRUE(IsNumericFieldKind(ftFMTBcd));
    EXPECT_FALSE(IsNumericFieldKind(ftLargeint));
    EXPECT_TRUE(CanModifyAllFields({}));

    const uint8_t bm[] = {'B', 'M', 0, 0};
    const uint8_t png[] = {0x89, 'P', 'N', 'G'};
    EXPECT_EQ(GraphicClassForStream(bm, 4), &TBitmap::StaticClassInfo());
    EXPECT_EQ(GraphicClassForStream(png, 4), nullptr);
    EXPECT_EQ(GraphicProviderCount(), 1);

    EXPECT_EQ(TextReadingDirection(S("abc"), 5), 0);
    EXPECT_EQ(TextReadingDirection(S("שלום"), 5), 1);
    EXPECT_EQ(TextReadingDirection(S("123"), 5), 5);
    EXPECT_EQ(TextReadingDirection(String(), 5), 0);
    EXPECT_TRUE(IsDoubleClickPair(TPoint(0, 0), TPoint(1, 1), 10));
    EXPECT_FALSE(IsDoubleClickPair(TPoint(0, 0), TPoint(1, 1), int(GetDoubleClickTime()) + 1));
}

TEST(ToolText, PlainLineAlignment) {
    Board b(100, 20);
    b.C()->Font()->SetColor(clBlack);
    b.C()->Brush()->SetColor(clWhite);
    const int w = b.C()->TextWidth(S("Abc"));
    PaintTextInRect(b.C(), TRect(0, 0, 100, 20), false, 2, 1, S("Abc"), taRightJustify, tlTop, false, false,
                    0, 0, false);
    const TRect ink = b.Ink();
    EXPECT_LE(ink.Right, 100 - 3);
    EXPECT_GE(ink.Left, 100 - 3 - w);

    Board l(100, 20);
    PaintTextInRect(l.C(), TRect(10, 0, 100, 20), true, 2, 1, S("Abc"), taLeftJustify, tlTop, false, false, 0,
                    0, false);
    EXPECT_GE(l.Ink().Left, 12);
    EXPECT_LE(l.Ink().Left, 14);
}

TEST(ToolText, WrappedTextStaysInsideItsCell) {
    Board b(60, 60);
    b.C()->Font()->SetColor(clBlack);
    PaintTextInRect(b.C(), TRect(5, 5, 45, 55), false, 2, 2, S("один два три четыре"), taLeftJustify, tlTop,
                    true, false, 0, 0, false);
    const TRect ink = b.Ink();
    EXPECT_GE(ink.Left, 5);
    EXPECT_LE(ink.Right, 45);
    EXPECT_GT(ink.Height(), b.C()->TextHeight(S("о")));
}

TEST(ToolText, HighlightFindsOverlappingHits) {
    Board b(100, 20);
    const TColor hl = TColor(RGB(255, 255, 0));
    const int w1 = b.C()->TextWidth(S("a"));
    HighlightTextMatches(b.C(), TRect(0, 0, 100, 20), 2, 1, S("aaa"), taLeftJustify, false, false, S("AA"),
                         true, hl);
    // Hits at 0 and 1 cover all three characters.
    EXPECT_EQ(b.At(2, 2), hl);
    EXPECT_EQ(b.At(2 + 3 * w1 - 1, 2), hl);
    EXPECT_EQ(b.At(2 + 3 * w1 + 1, 2), clWhite);
    Board none(100, 20);
    HighlightTextMatches(none.C(), TRect(0, 0, 100, 20), 2, 1, S("abc"), taLeftJustify, false, true, S("x"),
                         true, hl);
    EXPECT_EQ(none.Ink(), TRect(100, 20, 0, 0));
    // A word wider than the cell does not stall the line breaking.
    Board narrow(10, 40);
    HighlightTextMatches(narrow.C(), TRect(0, 0, 10, 40), 0, 0, S("wwwwwwww w"), taLeftJustify, false, true,
                         S("w"), false, hl);
}

TEST(ToolText, VerticalTextMeasuresWithoutDrawing) {
    Board b(40, 100);
    const int extent = PaintVerticalText(b.C(), TRect(0, 0, 40, 100), false, 2, 2, S("Текст"), taLeftJustify,
                                         tlBottom, false, true);
    EXPECT_EQ(extent, b.C()->TextWidth(S("Текст")));
    EXPECT_EQ(b.Ink(), TRect(40, 100, 0, 0));
    PaintVerticalText(b.C(), TRect(0, 0, 40, 100), false, 2, 2, S("Текст"), taLeftJustify, tlBottom, false,
                      false);
    const TRect ink = b.Ink();
    EXPECT_GT(ink.Height(), ink.Width());
    EXPECT_EQ(b.C()->Font()->Orientation(), 0);
}

TEST(ToolText, ClipPairRestoresTheCanvas) {
    Board b(20, 20);
    HRGN saved = BeginClipToRect(b.C(), TRect(5, 5, 10, 10));
    EXPECT_TRUE(saved == nullptr);
    b.C()->Brush()->SetColor(clBlack);
    b.C()->FillRect(TRect(0, 0, 20, 20));
    EndClipToRect(b.C(), saved);
    EXPECT_EQ(b.Ink(), TRect(5, 5, 10, 10));
    b.C()->FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(b.Ink(), TRect(0, 0, 20, 20));
}

TEST(ToolImages, ImageInRectAlignsAndSkipsInvisibleCells) {
    TBitmap img;
    img.SetSize(4, 4);
    img.Canvas()->Brush()->SetColor(clBlack);
    img.Canvas()->FillRect(TRect(0, 0, 4, 4));
    Board b(40, 20);
    PaintImageInRect(nullptr, &img, b.C(), TRect(0, 0, 40, 20), 0, 1, taRightJustify, TRect(0, 0, 40, 20));
    EXPECT_EQ(b.Ink(), TRect(37, 8, 40, 12)); // right edge + DX, clipped to the cell
    Board c(40, 20);
    PaintImageInRect(nullptr, &img, c.C(), TRect(0, 0, 40, 20), 0, 0, taCenter, TRect(50, 0, 60, 20));
    EXPECT_EQ(c.Ink(), TRect(40, 20, 0, 0));
}

TEST(ToolTree, GlyphBoxAndSign) {
    ThemeScope classic(false);
    Board b(19, 19);
    b.C()->Pen()->SetColor(clBlack);
    PaintTreeNodeGlyph(b.C(), TRect(0, 0, 19, 19), 7, false, 1.0, 1.0, false, false, tvgsClassicEh);
    // Box (5,5)-(14,14), the plus bars 2 pixels inside it, no connectors for kind 7.
    EXPECT_EQ(b.Ink(), TRect(5, 5, 14, 14));
    EXPECT_EQ(b.At(9, 7), clBlack);
    EXPECT_EQ(b.At(7, 9), clBlack);
    EXPECT_EQ(b.At(6, 9), clWhite);
    Board line(19, 19);
    line.C()->Pen()->SetColor(clBlack);
    PaintTreeNodeGlyph(line.C(), TRect(0, 0, 19, 19), 11, false, 1.0, 1.0, false, false, tvgsClassicEh);
    const TRect ink = line.Ink();
    EXPECT_EQ(ink.Left, 9);
    EXPECT_EQ(ink.Width(), 1);
    // Dotted: every other pixel.
    EXPECT_NE(line.At(9, 1) == clBlack, line.At(9, 2) == clBlack);
}

namespace {
// A drop-down that records the side messages it receives.
class TProbeDropDown : public TCustomControl {
    KVT_CLASS(TProbeDropDown, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> Sides;
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_USER_SIZEGRIPSIDE) Sides.push_back(m.WParam);
        TCustomControl::WndProc(m);
    }
};
} // namespace

TEST(ToolPlacement, DropDownSidesAndCuts) {
    const TRect wa = Screen->MonitorFromRect(TRect(0, 0, 10, 10))->WorkareaRect();
    TProbeDropDown dd(nullptr);
    TPoint pos;
    // Room below: below, left aligned.
    dd.SetBounds(0, 0, 100, 50);
    PlaceDropDownNearRect(TRect(wa.Left + 10, wa.Top + 10, wa.Left + 60, wa.Top + 30), &dd, daLeft, pos);
    EXPECT_EQ(pos, TPoint(wa.Left + 10, wa.Top + 30));
    EXPECT_EQ(dd.Sides, (std::vector<WPARAM>{sgcpToBottom, sgcpToRight}));

    // Taller than both rooms: the larger side, cut to that room exactly.
    dd.Sides.clear();
    const int anchorTop = wa.Top + wa.Height() / 3;
    dd.SetBounds(0, 0, 100, wa.Height() * 2);
    PlaceDropDownNearRect(TRect(wa.Left + 10, anchorTop, wa.Left + 60, anchorTop + 20), &dd, daRight, pos);
    EXPECT_EQ(dd.Height(), wa.Bottom - (anchorTop + 20));
    EXPECT_EQ(pos.Y, anchorTop + 20);
    // Right aligned past the work area's left edge: pushed right.
    EXPECT_EQ(pos.X, wa.Left);
    EXPECT_EQ(dd.Sides, (std::vector<WPARAM>{sgcpToBottom, sgcpToRight}));

    // Only room above; right edge pushed left; too wide: cut to the work area.
    dd.Sides.clear();
    dd.SetBounds(0, 0, wa.Width() + 50, 40);
    PlaceDropDownNearRect(TRect(wa.Right - 20, wa.Bottom - 20, wa.Right, wa.Bottom), &dd, daLeft, pos);
    EXPECT_EQ(dd.Width(), wa.Width());
    EXPECT_EQ(pos, TPoint(wa.Right - wa.Width(), wa.Bottom - 20 - 40));
    EXPECT_EQ(dd.Sides, (std::vector<WPARAM>{sgcpToTop, sgcpToLeft}));
}
