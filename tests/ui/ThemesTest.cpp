// Theme services: element details, the classic and the styled drawing, raw theme data.

#include "platform/ui/Themes.h"

#include "ui/GraphicsTestUtil.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct ThemesOff {
    bool Was = ThemesInUse();
    ThemesOff() { SetThemesInUse(false); }
    ~ThemesOff() { SetThemesInUse(Was); }
};

TEST(Themes, SwitchAndElementDetails) {
    const bool was = ThemesInUse();
    SetThemesInUse(true);
    EXPECT_TRUE(StyleServices()->Enabled());
    SetThemesInUse(false);
    EXPECT_FALSE(StyleServices()->Enabled());
    EXPECT_FALSE(IsCustomStyleActive());
    SetThemesInUse(was);
    EXPECT_EQ(ThemeServices(), StyleServices());

    struct Case {
        TThemedElementDetails D;
        TThemedElement Element;
        int State;
    };
    const Case cases[] = {
        {TCustomStyleServices::GetElementDetails(tbPushButtonPressed), teButton, 2},
        {TCustomStyleServices::GetElementDetails(tbCheckBoxCheckedHot), teButton, 1},
        {TCustomStyleServices::GetElementDetails(tbCheckBoxMixedDisabled), teButton, 3},
        {TCustomStyleServices::GetElementDetails(tcDropDownButtonNormal), teComboBox, 0},
        {TCustomStyleServices::GetElementDetails(tsArrowBtnLeftHot), teScrollBar, 1},
        {TCustomStyleServices::GetElementDetails(thHeaderItemPressed), teHeader, 2},
        {TCustomStyleServices::GetElementDetails(ttHotGlyphOpened), teTreeview, 1},
        {TCustomStyleServices::GetElementDetails(tttClosePressed), teToolTip, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.D.Element, c.Element);
        EXPECT_EQ(c.D.State, c.State) << c.D.Part;
    }
}

TEST(Themes, ClassicPathDrawsTheFrameControls) {
    ThemesOff off;
    TestBoard a(13, 13), b(13, 13);
    TRect r(0, 0, 13, 13);
    EXPECT_TRUE(StyleServices()->DrawElement(
        a.DC(), TCustomStyleServices::GetElementDetails(tbCheckBoxCheckedNormal), r));
    DrawFrameControl(b.DC(), r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(a.Bmp.Image(), b.Bmp.Image());

    TestBoard c(17, 17), d(17, 17);
    TRect s(0, 0, 17, 17);
    StyleServices()->DrawElement(c.DC(), TCustomStyleServices::GetElementDetails(tsArrowBtnUpPressed), s);
    DrawFrameControl(d.DC(), s, DFC_SCROLL, DFCS_SCROLLUP | DFCS_PUSHED);
    EXPECT_EQ(c.Bmp.Image(), d.Bmp.Image());

    TSize size;
    EXPECT_TRUE(StyleServices()->GetElementSize(
        a.DC(), TCustomStyleServices::GetElementDetails(tbCheckBoxUncheckedNormal), esActual, size));
    EXPECT_EQ(size, TSize(13, 13));
}

TEST(Themes, StyledElementsStayInsideTheirRectangleAndClip) {
    const bool was = ThemesInUse();
    SetThemesInUse(true);
    const TThemedElementDetails elements[] = {
        TCustomStyleServices::GetElementDetails(tbPushButtonNormal),
        TCustomStyleServices::GetElementDetails(tbCheckBoxCheckedNormal),
        TCustomStyleServices::GetElementDetails(tbRadioButtonCheckedNormal),
        TCustomStyleServices::GetElementDetails(tcDropDownButtonHot),
        TCustomStyleServices::GetElementDetails(tsArrowBtnDownNormal),
        TCustomStyleServices::GetElementDetails(tsThumbBtnVertNormal),
        TCustomStyleServices::GetElementDetails(thHeaderItemNormal),
        TCustomStyleServices::GetElementDetails(thHeaderSortArrowSortedUp),
        TCustomStyleServices::GetElementDetails(ttGlyphClosed),
        TCustomStyleServices::GetElementDetails(ttGlyphOpened),
        TCustomStyleServices::GetElementDetails(tttStandardNormal),
        TCustomStyleServices::GetElementDetails(teEditBorderNoScrollNormal),
        TCustomStyleServices::GetElementDetails(ttbButtonHot),
        TCustomStyleServices::GetElementDetails(tsSizeBoxRightAlign),
    };
    TestBoard sheet(30 * int(std::size(elements)), 30);
    int x = 0;
    for (const auto& e : elements) {
        TestBoard b(40, 40);
        const TRect r(10, 10, 30, 30);
        EXPECT_TRUE(StyleServices()->DrawElement(b.DC(), e, r)) << e.Element << " " << e.Part;
        const TRect ink = b.Ink();
        EXPECT_FALSE(ink.IsEmpty()) << e.Element << " " << e.Part;
        EXPECT_TRUE(ink.Left >= 10 && ink.Top >= 10 && ink.Right <= 30 && ink.Bottom <= 30)
            << e.Element << " " << e.Part;
        // The clip limits the drawing; the context's own clip is unchanged afterwards.
        TestBoard c(40, 40);
        const TRect clip(10, 10, 20, 30);
        StyleServices()->DrawElement(c.DC(), e, r, &clip);
        EXPECT_LE(c.Ink().Right, 20);
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetClipRgn(c.DC(), rgn), 0);
        DeleteObject(rgn);
        StyleServices()->DrawElement(sheet.DC(), e, Bounds(x + 5, 5, 20, 20));
        x += 30;
    }
    // A sheet of the styled elements for a person to look at.
    QDir().mkpath("screenshots");
    sheet.Bmp.Image().save("screenshots/theme-elements.png");
    SetThemesInUse(was);
}

TEST(Themes, ColorsAndRawThemeData) {
    TColor c = clNone;
    EXPECT_TRUE(StyleServices()->GetElementColor(TCustomStyleServices::GetElementDetails(tttStandardNormal),
                                                 ecFillColor, c));
    EXPECT_EQ(c, ColorToRGB(clInfoBk));
    EXPECT_TRUE(StyleServices()->GetElementColor(TCustomStyleServices::GetElementDetails(tgCellSelected),
                                                 ecTextColor, c));
    EXPECT_EQ(c, ColorToRGB(clHighlightText));
    EXPECT_EQ(StyleServices()->GetSystemColor(clBtnFace), ColorToRGB(clBtnFace));
    EXPECT_EQ(StyleServices()->GetStyleFontColor(sfListItemTextSelected), ColorToRGB(clHighlightText));

    HTHEME tree = OpenThemeData(nullptr, "Explorer::Treeview");
    EXPECT_NE(tree, 0);
    EXPECT_EQ(OpenThemeData(nullptr, "NoSuchClass"), 0);
    TestBoard b(20, 20);
    const TRect r(2, 2, 18, 18);
    EXPECT_EQ(DrawThemeBackground(tree, b.DC(), TVP_GLYPH, GLPS_CLOSED, &r, nullptr), 0);
    EXPECT_FALSE(b.Ink().IsEmpty());
    EXPECT_NE(DrawThemeBackground(tree, b.DC(), 99, 1, &r, nullptr), 0);
    CloseThemeData(tree);

    // Text in the element's colour, the context's colours left as they were.
    TestBoard t(100, 20);
    SetTextColor(t.DC(), RGB(1, 2, 3));
    TRect tr(0, 0, 100, 20);
    StyleServices()->DrawText(t.DC(), TCustomStyleServices::GetElementDetails(tbPushButtonNormal), "Abc", tr,
                              TTextFormat{tfSingleLine, tfVerticalCenter}, clRed);
    // Antialiased red text on white: every touched pixel is a tint of red.
    const QImage& img = t.Bmp.Image();
    int ink = 0, other = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c == Qt::white) continue;
            ++ink;
            if (c.red() < c.green() || c.green() != c.blue()) ++other;
        }
    EXPECT_GT(ink, 0);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(GetTextColor(t.DC()), RGB(1, 2, 3));
}

} // namespace
