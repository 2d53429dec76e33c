#include "ToolsTestUtil.h"

#include "platform/classes/TypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

// ---------------------------------------------------------------------------------------------
// Painter

TEST(ButtonPainter, SpinOfOddHeightHasAMiddleLineInTheBorderColour) {
    ThemeScope classic(false);
    Board b(17, 21);
    const TColor border = TColor(RGB(0, 200, 0));
    DrawStyledButton(b.C(), TRect(0, 0, 17, 21), border, bcsUpDownEh, 0, false, false, true, cbUnchecked);
    for (int x = 0; x < 17; ++x)
        EXPECT_EQ(b.At(x, 10), border) << x;
    EXPECT_NE(b.At(8, 9), border);
    EXPECT_NE(b.At(8, 11), border);
    // Each half is a raised classic frame: dark shadow at its bottom-right edge, face inside.
    EXPECT_EQ(b.At(2, 2), TColor(ColorToRGB(clBtnFace)));
    EXPECT_EQ(b.At(16, 9), TColor(ColorToRGB(cl3DDkShadow)));
    EXPECT_EQ(b.At(16, 20), TColor(ColorToRGB(cl3DDkShadow)));
}

TEST(ButtonPainter, CheckBoxIsSquareAndCentred) {
    ThemeScope classic(false);
    Board b(20, 12, clLime);
    DrawStyledButton(b.C(), TRect(0, 0, 20, 12), clWindow, bcsCheckboxEh, 0, false, false, true, cbChecked);
    EXPECT_EQ(b.Ink(clLime), TRect(4, 0, 16, 12));
}

TEST(ButtonPainter, FlatInactiveButtonKeepsABorder) {
    ThemeScope classic(false);
    Board b(16, 20);
    const TColor border = TColor(RGB(0, 0, 200));
    DrawStyledButton(b.C(), TRect(0, 0, 16, 20), border, bcsEllipsisEh, 0, true, false, true, cbUnchecked);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(b.At(x, 0), border);
        EXPECT_EQ(b.At(x, 19), border);
    }
    // Three dots of 2 pixels with gaps of 2 in button text, centred in the inner 14 x 18.
    const TColor text = TColor(ColorToRGB(clBtnText));
    EXPECT_EQ(b.At(3, 9), text);
    EXPECT_EQ(b.At(4, 10), text);
    EXPECT_NE(b.At(5, 9), text);
    EXPECT_EQ(b.At(7, 9), text);
    EXPECT_EQ(b.At(11, 9), text);
}

TEST(ButtonPainter, DisabledSignIsEmbossed) {
    ThemeScope classic(false);
    Board b(17, 17);
    DrawStyledButton(b.C(), TRect(0, 0, 17, 17), clWindow, bcsMinusEh, 0, false, false, false, cbUnchecked);
    int shadow = 0, light = 0;
    for (int y = 2; y < 15; ++y)
        for (int x = 2; x < 15; ++x) {
            shadow += b.At(x, y) == TColor(ColorToRGB(clBtnShadow));
            light += b.At(x, y) == TColor(ColorToRGB(clBtnHighlight));
        }
    EXPECT_GT(shadow, 0);
    EXPECT_GT(light, 0);
}

TEST(ButtonPainter, CacheRendersEachLookOnce) {
    ThemeScope classic(false);
    TButtonBitmapInfoEh info;
    info.Size = TPoint(15, 18);
    info.BitmapType = bcsPlusEh;
    TBitmap* a = ButtonsBitmapCache().GetButtonBitmap(info);
    EXPECT_EQ(ButtonsBitmapCache().GetButtonBitmap(info), a);
    info.Pressed = true;
    EXPECT_NE(ButtonsBitmapCache().GetButtonBitmap(info), a);
    const int n = ButtonsBitmapCache().Count();
    TButtonBitmapInfoEh neg = info;
    neg.Size = TPoint(-5, -1);
    TBitmap* z = ButtonsBitmapCache().GetButtonBitmap(neg);
    neg.Size = TPoint(0, 0);
    EXPECT_EQ(ButtonsBitmapCache().GetButtonBitmap(neg), z);
    EXPECT_EQ(ButtonsBitmapCache().Count(), n + 1);
    ResetButtonBitmapCache();
    EXPECT_EQ(ButtonsBitmapCache().Count(), 0);

    // The cached and the direct way draw the same pixels.
    for (TDrawButtonControlStyleEh st :
         {bcsDropDownEh, bcsEllipsisEh, bcsUpDownEh, bcsPlusEh, bcsAltDropDownEh}) {
        Board cached(17, 21), direct(17, 21);
        DrawStyledButton(cached.C(), TRect(0, 0, 17, 21), clWindow, st, 1, true, true, true, cbUnchecked);
        ButtonBitmapCacheEnabled = false;
        DrawStyledButton(direct.C(), TRect(0, 0, 17, 21), clWindow, st, 1, true, true, true, cbUnchecked);
        ButtonBitmapCacheEnabled = true;
        EXPECT_EQ(cached.Bmp.Image(), direct.Bmp.Image()) << int(st);
    }
}

TEST(ButtonPainter, CheckBoxGlyphPlacementAndDefaultWidth) {
    TRect g;
    const TSize cb = CheckBoxSize();
    AlignCheckBoxRect(TRect(0, 0, 40, 30), 2, 1, g);
    EXPECT_EQ(g, TRect(20 - cb.cx / 2, 15 - cb.cy / 2, 20 - cb.cx / 2 + cb.cx, 15 - cb.cy / 2 + cb.cy));
    AlignCheckBoxRect(TRect(0, 0, 40, 30), 1, 2, g);
    EXPECT_EQ(g.Right, 40);
    EXPECT_EQ(g.Bottom, 30);
    AlignCheckBoxRect(TRect(5, 5, 10, 10), 2, 2, g);
    EXPECT_EQ(g, TRect(5, 5, 10, 10));
    {
        ThemeScope themed(true);
        EXPECT_EQ(DefaultEditButtonWidth() % 2, 0);
    }
    ThemeScope classic(false);
    EXPECT_EQ(DefaultEditButtonWidth() % 2, 1);
    EXPECT_LE(DefaultEditButtonWidth(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(EditButtonStyleToDrawButtonStyle(ebsAltDropDownEh), bcsAltDropDownEh);
    EXPECT_EQ(EditButtonStyleToDrawButtonStyle(ebsPlusEh), bcsPlusEh);
}

// ---------------------------------------------------------------------------------------------
// Settings objects

TEST(EditButtonSettings, DefaultsClampsAndAssign) {
    TEditButtonEh b(static_cast<TWinControl*>(nullptr));
    EXPECT_TRUE(b.Enabled());
    EXPECT_FALSE(b.Visible());
    EXPECT_EQ(b.Style(), ebsDropDownEh);
    EXPECT_EQ(b.ShortCut(), 0);
    b.SetNumGlyphs(0);
    EXPECT_EQ(b.NumGlyphs(), 1);
    b.SetNumGlyphs(7);
    EXPECT_EQ(b.NumGlyphs(), 4);

    TDropDownEditButtonEh dd(static_cast<TWinControl*>(nullptr));
    EXPECT_EQ(dd.ShortCut(), 32808);
    EXPECT_FALSE(dd.Visible());
    TVisibleEditButtonEh vis(static_cast<TWinControl*>(nullptr));
    EXPECT_EQ(vis.ShortCut(), 32808);
    EXPECT_TRUE(vis.Visible());

    TDropDownFormCallParamsEh* p = b.DropDownFormParams();
    EXPECT_EQ(p->Align(), daCenter);
    EXPECT_EQ(p->PassParams(), pspFieldValueEh);
    EXPECT_EQ(p->FormWidth(), -1);
    EXPECT_TRUE(p->SaveFormSize());
    p->SetPassFieldNames(S("A;B"));
    vis.DropDownFormParams()->SetPassFieldNames(S("X"));
    vis.SetStyle(ebsEllipsisEh);
    vis.SetHint(S("Подсказка"));
    b.Assign(&vis);
    EXPECT_EQ(b.Style(), ebsEllipsisEh);
    EXPECT_EQ(b.Hint(), S("Подсказка"));
    EXPECT_TRUE(b.Visible());
    EXPECT_EQ(b.DropDownFormParams()->PassFieldNames(), S("A;B"));
}

TEST(EditButtonSettings, ChangesAreAnnouncedOnlyWhenValuesDiffer) {
    int changes = 0;
    TEditButtonEh b(static_cast<TWinControl*>(nullptr));
    b.FOnChanged = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    b.SetWidth(20);
    b.SetWidth(20);
    b.SetVisible(true);
    b.SetStyle(ebsPlusEh);
    b.Images()->SetNormalIndex(3);
    EXPECT_EQ(changes, 4);

    TEditButtonsEh buttons(nullptr, CollectionItemClassOf<TVisibleEditButtonEh>());
    int collectionChanges = 0;
    buttons.OnChanged = TNotifyEvent::Callable([&](TObject*) { ++collectionChanges; });
    TEditButtonEh* item = buttons.Add();
    EXPECT_EQ(item->ClassName(), S("TVisibleEditButtonEh"));
    EXPECT_TRUE(item->Visible());
    const int before = collectionChanges;
    item->SetWidth(30);
    EXPECT_GT(collectionChanges, before);

    TCustomImageList list(16, 16);
    TComponent* notified = nullptr;
    buttons.OnRefComponentChanged =
        TRefComponentNotifyEventEh::Callable([&](TObject*, TComponent* c) { notified = c; });
    item->Images()->SetHotImages(&list);
    EXPECT_EQ(notified, &list);
}

TEST(EditButtonSettings, ActionSuppliesItsValues) {
    TCustomAction action(nullptr);
    action.SetHint(S("Из действия"));
    action.SetShortCut(0x4000 | 'K');
    TEditButtonEh b(static_cast<TWinControl*>(nullptr));
    b.SetAction(&action);
    EXPECT_EQ(b.Hint(), S("Из действия"));
    EXPECT_EQ(b.ShortCut(), 0x4000 | 'K');
    EXPECT_FALSE(b.IsHintStored());
    action.SetEnabled(false);
    EXPECT_FALSE(b.Enabled());
    int executed = 0;
    action.OnExecute = TNotifyEvent::Callable([&](TObject*) { ++executed; });
    bool handled = false;
    b.Click(&b, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(executed, 1);
    b.SetAction(nullptr);
    EXPECT_EQ(b.Action(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Button control

namespace {
struct ButtonFixture : ::testing::Test {
    std::unique_ptr<TForm> Form;
    TEditButtonControlEh* Btn = nullptr;
    std::vector<bool> Downs;
    bool StopRepeat = false;
    int Clicks = 0;

    void SetUp() override {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 200, 100);
        Btn = new TEditButtonControlEh(Form.get());
        Btn->SetParent(Form.get());
        Btn->SetBounds(10, 10, 17, 21);
        Btn->OnDown = TButtonDownEventEh::Callable([this](TObject*, bool top, bool& autoRepeat, bool&) {
            Downs.push_back(top);
            if (StopRepeat) autoRepeat = false;
        });
        Btn->OnClick = TNotifyEvent::Callable([this](TObject*) { ++Clicks; });
        Form->HandleNeeded();
    }
    void Press(int x, int y) { Btn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(x, y)); }
    void Move(int x, int y) { Btn->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(x, y)); }
    void Release(int x, int y) { Btn->Perform(WM_LBUTTONUP, 0, PointToLParam(x, y)); }
};
} // namespace

TEST_F(ButtonFixture, SpinPressRepeatsAt400ThenEvery100) {
    Btn->SetStyle(ebsUpDownEh);
    Press(8, 3);
    EXPECT_EQ(Btn->ButtonNum(), 1);
    ASSERT_EQ(Downs, std::vector<bool>{true});
    ASSERT_NE(Btn->RepeatTimer(), nullptr);
    EXPECT_TRUE(Btn->RepeatTimer()->Enabled());
    EXPECT_EQ(Btn->RepeatTimer()->Interval(), 400u);
    Btn->TimerTick();
    EXPECT_EQ(Btn->RepeatTimer()->Interval(), 100u);
    Btn->TimerTick();
    EXPECT_EQ(Downs.size(), 3u);
    Release(8, 3);
    EXPECT_FALSE(Btn->RepeatTimer()->Enabled());
    EXPECT_EQ(Btn->ButtonNum(), 0);
    EXPECT_EQ(Clicks, 1);

    // Lower half.
    Downs.clear();
    Press(8, 18);
    EXPECT_EQ(Btn->ButtonNum(), 2);
    EXPECT_EQ(Downs, std::vector<bool>{false});
    Release(8, 18);
}

TEST_F(ButtonFixture, HandlerThatDeclinesRepeatGetsNone) {
    Btn->SetStyle(ebsAltUpDownEh);
    StopRepeat = true;
    Press(8, 3);
    EXPECT_EQ(Downs.size(), 1u);
    EXPECT_TRUE(Btn->RepeatTimer() == nullptr || !Btn->RepeatTimer()->Enabled());
    Release(8, 3);
}

TEST_F(ButtonFixture, DraggingOffThePressedHalfReleasesWithoutAClick) {
    Btn->SetStyle(ebsUpDownEh);
    Press(8, 3);
    Btn->SetMouseCapture(true);
    Move(8, 19); // below Height - Height div 2 = 11
    EXPECT_EQ(Btn->State(), bsUp);
    Release(8, 19);
    EXPECT_EQ(Clicks, 0);
    Btn->SetMouseCapture(false);
}

TEST_F(ButtonFixture, PlainStylesPressAsOneButtonWithoutRepeat) {
    Btn->SetStyle(ebsEllipsisEh);
    Press(8, 18);
    EXPECT_EQ(Btn->ButtonNum(), 1);
    EXPECT_EQ(Downs, std::vector<bool>{true});
    EXPECT_TRUE(Btn->RepeatTimer() == nullptr);
    EXPECT_EQ(Btn->GetState(), ebstPressedEh);
    Release(8, 18);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Btn->GetState(), ebstNormalEh);
    Btn->SetEnabled(false);
    EXPECT_EQ(Btn->GetState(), ebstDisabledEh);
}

TEST_F(ButtonFixture, AlwaysDownHoldsTheButton) {
    Btn->SetAlwaysDown(true);
    EXPECT_TRUE(Btn->Down());
    EXPECT_EQ(Btn->GroupIndex(), 1);
    EXPECT_EQ(Btn->ButtonNum(), 1);
    EXPECT_EQ(Btn->GetState(), ebstPressedEh);
    Btn->SetAlwaysDown(false);
    EXPECT_FALSE(Btn->Down());
    EXPECT_EQ(Btn->GroupIndex(), 0);
    EXPECT_EQ(Btn->ButtonNum(), 0);
}

TEST(EditButtonImages, StateListsFallBackToNormal) {
    TEditButtonEh b(static_cast<TWinControl*>(nullptr));
    TCustomImageList normal(8, 8), hot(8, 8);
    TEditButtonImagesEh* im = b.Images();
    im->SetNormalImages(&normal);
    im->SetHotImages(&hot);
    EXPECT_EQ(im->GetStateImages(ebstHotEh), &hot);
    EXPECT_EQ(im->GetStateIndex(ebstHotEh), 0);
    EXPECT_EQ(im->GetStateImages(ebstPressedEh), &normal);
    EXPECT_EQ(im->GetStateImages(ebstControlHotEh), &normal);
    EXPECT_EQ(im->GetStateIndex(ebstControlHotEh), -1);
}

// ---------------------------------------------------------------------------------------------
// Screenshots: every style in every state, classic and themed, flat and 3-D.

TEST(EditButtonScreenshots, EveryStyleAndState) {
    const TEditButtonStyleEh styles[] = {ebsDropDownEh, ebsEllipsisEh,    ebsUpDownEh,   ebsPlusEh,
                                         ebsMinusEh,    ebsAltDropDownEh, ebsAltUpDownEh};
    struct St {
        int down;
        bool active, enabled;
    } states[] = {{0, false, true}, {0, true, true}, {1, true, true}, {2, true, true}, {0, false, false}};
    const int cw = 22, ch = 26;
    for (bool themes : {false, true}) {
        ThemeScope scope(themes);
        Board b(8 + 4 * 5 * cw, 8 + 8 * ch, clWindow);
        int row = 0;
        for (TEditButtonStyleEh st : styles) {
            int col = 0;
            for (bool flat : {false, true})
                for (const St& s : states) {
                    const TRect r(4 + col * cw, 4 + row * ch, 4 + col * cw + 17, 4 + row * ch + 21);
                    DrawStyledButton(b.C(), r, clWindow, EditButtonStyleToDrawButtonStyle(st), s.down, flat,
                                     s.active, s.enabled, cbUnchecked);
                    ++col;
                }
            ++row;
        }
        int col = 0;
        for (TCheckBoxState cs : {cbUnchecked, cbChecked, cbGrayed})
            for (bool flat : {false, true}) {
                const TRect r(4 + col * cw, 4 + row * ch, 4 + col * cw + 17, 4 + row * ch + 17);
                DrawStyledButton(b.C(), r, clWindow, bcsCheckboxEh, 0, flat, false, true, cs);
                ++col;
            }
        EXPECT_TRUE(b.Bmp.Image().save(ScreenshotPath(themes ? QStringLiteral("editbuttons-themed")
                                                             : QStringLiteral("editbuttons-classic"))));
    }
}

TEST(EditButtonSettings, StoredPropertiesAndDefaults) {
    TEditButtonEh b(static_cast<TWinControl*>(nullptr));
    EXPECT_FALSE(IsStoredProp(&b, S("Visible")));
    EXPECT_FALSE(IsStoredProp(&b, S("ShortCut")));
    b.SetVisible(true);
    EXPECT_TRUE(IsStoredProp(&b, S("Visible")));
    TVisibleEditButtonEh v(static_cast<TWinControl*>(nullptr));
    EXPECT_FALSE(IsStoredProp(&v, S("Visible")));
    EXPECT_FALSE(IsStoredProp(&v, S("ShortCut")));
    v.SetShortCut(0);
    EXPECT_TRUE(IsStoredProp(&v, S("ShortCut")));
    SetEnumProp(&b, S("Style"), S("ebsAltUpDownEh"));
    EXPECT_EQ(b.Style(), ebsAltUpDownEh);
    EXPECT_EQ(GetPropInfo(&b, S("NumGlyphs"))->Default, 1);
    TObject* params = GetObjectProp(&b, S("DropDownFormParams"));
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(GetEnumProp(params, S("Align")), S("daCenter"));
    EXPECT_EQ(GetPropInfo(params, S("FormWidth"))->Default, -1);
}

TEST(ButtonPainter, PlusMinusAndTriangleGeometry) {
    ThemeScope classic(false);
    const TColor text = TColor(ColorToRGB(clBtnText));
    auto inkOf = [&](Board& b, TColor c) {
        TRect r(b.Bmp.Width(), b.Bmp.Height(), 0, 0);
        for (int y = 0; y < b.Bmp.Height(); ++y)
            for (int x = 0; x < b.Bmp.Width(); ++x)
                if (b.At(x, y) == c) {
                    r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    };
    // 17 x 21, 3-D: the face leaves 13 x 17; m = 13, bar length 7 (minus) or 6 (plus), thickness 2.
    Board minus(17, 21);
    DrawStyledButton(minus.C(), TRect(0, 0, 17, 21), clWindow, bcsMinusEh, 0, false, false, true,
                     cbUnchecked);
    EXPECT_EQ(inkOf(minus, text), TRect(5, 9, 12, 11));
    Board plus(17, 21);
    DrawStyledButton(plus.C(), TRect(0, 0, 17, 21), clWindow, bcsPlusEh, 0, false, false, true, cbUnchecked);
    EXPECT_EQ(inkOf(plus, text), TRect(5, 7, 11, 13));
    // Pressed: one pixel right and down.
    Board pressed(17, 21);
    DrawStyledButton(pressed.C(), TRect(0, 0, 17, 21), clWindow, bcsMinusEh, 1, false, false, true,
                     cbUnchecked);
    EXPECT_EQ(inkOf(pressed, text), TRect(6, 10, 13, 12));
    // Triangles: 5 wide for a smaller side of 13 (more than 11), 3 rows, in window text.
    Board tri(17, 21);
    DrawStyledButton(tri.C(), TRect(0, 0, 17, 21), clWindow, bcsAltDropDownEh, 0, false, false, true,
                     cbUnchecked);
    const TRect t = inkOf(tri, TColor(ColorToRGB(clWindowText)));
    EXPECT_EQ(t.Width(), 5);
    EXPECT_EQ(t.Height(), 3);
}
