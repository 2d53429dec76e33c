#pragma once
// Theme (style) services. With themes in use, elements are drawn with the Qt style of the
// application; the classic path (DrawEdge/DrawFrameControl) is used when themes are off.
// Themes are on by default; KVT_CLASSIC_THEME=1 in the environment or SetThemesInUse(false)
// selects the classic path.

#include "platform/ui/Graphics.h"

#include <utility>
#include <vector>

bool ThemesInUse();
void SetThemesInUse(bool on);

enum TThemedElement {
    teButton,
    teComboBox,
    teEdit,
    teHeader,
    teListView,
    teMenu,
    teScrollBar,
    teSpin,
    teStatus,
    teTab,
    teToolBar,
    teToolTip,
    teTreeview,
    teWindow,
    teGrid
};

enum TThemedButton {
    tbButtonDontCare,
    tbButtonRoot,
    tbPushButtonNormal,
    tbPushButtonHot,
    tbPushButtonPressed,
    tbPushButtonDisabled,
    tbPushButtonDefaulted,
    tbRadioButtonUncheckedNormal,
    tbRadioButtonUncheckedHot,
    tbRadioButtonUncheckedPressed,
    tbRadioButtonUncheckedDisabled,
    tbRadioButtonCheckedNormal,
    tbRadioButtonCheckedHot,
    tbRadioButtonCheckedPressed,
    tbRadioButtonCheckedDisabled,
    tbCheckBoxUncheckedNormal,
    tbCheckBoxUncheckedHot,
    tbCheckBoxUncheckedPressed,
    tbCheckBoxUncheckedDisabled,
    tbCheckBoxCheckedNormal,
    tbCheckBoxCheckedHot,
    tbCheckBoxCheckedPressed,
    tbCheckBoxCheckedDisabled,
    tbCheckBoxMixedNormal,
    tbCheckBoxMixedHot,
    tbCheckBoxMixedPressed,
    tbCheckBoxMixedDisabled,
    tbGroupBoxNormal,
    tbGroupBoxDisabled,
    tbUserButton
};
enum TThemedComboBox {
    tcComboBoxDontCare,
    tcComboBoxRoot,
    tcDropDownButtonNormal,
    tcDropDownButtonHot,
    tcDropDownButtonPressed,
    tcDropDownButtonDisabled
};
enum TThemedEdit {
    teEditDontCare,
    teEditRoot,
    teEditTextNormal,
    teEditTextHot,
    teEditTextSelected,
    teEditTextDisabled,
    teEditTextFocused,
    teEditTextReadOnly,
    teEditTextAssist,
    teEditCaret,
    teEditBorderNoScrollNormal,
    teEditBorderNoScrollHot,
    teEditBorderNoScrollFocused,
    teEditBorderNoScrollDisabled
};
enum TThemedHeader {
    thHeaderDontCare,
    thHeaderRoot,
    thHeaderItemNormal,
    thHeaderItemHot,
    thHeaderItemPressed,
    thHeaderItemLeftNormal,
    thHeaderItemLeftHot,
    thHeaderItemLeftPressed,
    thHeaderItemRightNormal,
    thHeaderItemRightHot,
    thHeaderItemRightPressed,
    thHeaderSortArrowSortedUp,
    thHeaderSortArrowSortedDown
};
enum TThemedScrollBar {
    tsScrollBarDontCare,
    tsScrollBarRoot,
    tsArrowBtnUpNormal,
    tsArrowBtnUpHot,
    tsArrowBtnUpPressed,
    tsArrowBtnUpDisabled,
    tsArrowBtnDownNormal,
    tsArrowBtnDownHot,
    tsArrowBtnDownPressed,
    tsArrowBtnDownDisabled,
    tsArrowBtnLeftNormal,
    tsArrowBtnLeftHot,
    tsArrowBtnLeftPressed,
    tsArrowBtnLeftDisabled,
    tsArrowBtnRightNormal,
    tsArrowBtnRightHot,
    tsArrowBtnRightPressed,
    tsArrowBtnRightDisabled,
    tsThumbBtnHorzNormal,
    tsThumbBtnHorzHot,
    tsThumbBtnHorzPressed,
    tsThumbBtnHorzDisabled,
    tsThumbBtnVertNormal,
    tsThumbBtnVertHot,
    tsThumbBtnVertPressed,
    tsThumbBtnVertDisabled,
    tsLowerTrackHorzNormal,
    tsUpperTrackHorzNormal,
    tsLowerTrackVertNormal,
    tsUpperTrackVertNormal,
    tsSizeBoxRightAlign,
    tsSizeBoxLeftAlign,
    tsSizeBoxTopRightAlign,
    tsSizeBoxBottomLeftAlign
};
enum TThemedSpin {
    tsSpinDontCare,
    tsSpinRoot,
    tsUpNormal,
    tsUpHot,
    tsUpPressed,
    tsUpDisabled,
    tsDownNormal,
    tsDownHot,
    tsDownPressed,
    tsDownDisabled
};
enum TThemedToolBar {
    ttbToolBarDontCare,
    ttbToolBarRoot,
    ttbButtonNormal,
    ttbButtonHot,
    ttbButtonPressed,
    ttbButtonDisabled,
    ttbButtonChecked,
    ttbButtonCheckedHot,
    ttbSplitButtonNormal,
    ttbSplitButtonHot,
    ttbSplitButtonPressed,
    ttbSplitButtonDisabled,
    ttbSplitButtonDropDownNormal,
    ttbSplitButtonDropDownHot,
    ttbSplitButtonDropDownPressed,
    ttbSplitButtonDropDownDisabled
};
enum TThemedToolTip {
    tttToolTipDontCare,
    tttToolTipRoot,
    tttStandardNormal,
    tttStandardLink,
    tttCloseNormal,
    tttCloseHot,
    tttClosePressed
};
enum TThemedTreeview {
    ttTreeviewDontCare,
    ttTreeviewRoot,
    ttItemNormal,
    ttItemHot,
    ttItemSelected,
    ttItemDisabled,
    ttItemSelectedNotFocus,
    ttGlyphClosed,
    ttGlyphOpened,
    ttBranch,
    ttHotGlyphClosed,
    ttHotGlyphOpened
};
enum TThemedWindow {
    twWindowDontCare,
    twWindowRoot,
    twSmallCaptionActive,
    twSmallCaptionInactive,
    twSmallFrameBottomActive,
    twSmallFrameBottomInactive,
    twSmallCloseButtonNormal,
    twSmallCloseButtonHot,
    twSmallCloseButtonPushed,
    twSmallCloseButtonDisabled
};
enum TThemedGrid {
    tgGridDontCare,
    tgGridRoot,
    tgCellNormal,
    tgCellSelected,
    tgCellRowSelectedLeft,
    tgCellRowSelectedCenter,
    tgCellRowSelectedRight,
    tgFixedCellNormal,
    tgFixedCellHot,
    tgFixedCellPressed,
    tgGradientCellNormal,
    tgGradientCellSelected,
    tgGradientFixedCellNormal,
    tgGradientFixedCellHot,
    tgGradientFixedCellPressed,
    tgClassicCellNormal,
    tgClassicCellSelected,
    tgClassicFixedCellNormal,
    tgClassicFixedCellHot,
    tgClassicFixedCellPressed
};
enum TThemedStatus { tsStatusDontCare, tsStatusRoot, tsPane, tsGripperPane, tsGripper };

struct TThemedElementDetails {
    TThemedElement Element = teButton;
    int Part = 0;  // ordinal of the element value (its enumeration value)
    int State = 0; // 0 normal, 1 hot, 2 pressed, 3 disabled (where it applies)
    friend bool operator==(const TThemedElementDetails&, const TThemedElementDetails&) = default;
};

enum TElementSize { esMinimum, esActual, esStretch };
enum TElementColor {
    ecBorderColor,
    ecFillColor,
    ecTextColor,
    ecEdgeLightColor,
    ecEdgeHighLightColor,
    ecEdgeShadowColor,
    ecEdgeDkShadowColor,
    ecEdgeFillColor,
    ecTransparentColor,
    ecGradientColor1,
    ecGradientColor2,
    ecGradientColor3,
    ecGradientColor4,
    ecGradientColor5,
    ecShadowColor,
    ecGlowColor,
    ecTextBorderColor,
    ecTextShadowColor,
    ecGlyphTextColor,
    ecFillColorHint,
    ecBorderColorHint,
    ecAccentColorHint,
    ecTextColorHint
};
enum TStyleColor {
    scBorder,
    scButtonDisabled,
    scButtonFocused,
    scButtonHot,
    scButtonNormal,
    scButtonPressed,
    scCategoryButtons,
    scCategoryButtonsGradientBase,
    scCategoryButtonsGradientEnd,
    scCategoryPanelGroup,
    scComboBox,
    scComboBoxDisabled,
    scEdit,
    scEditDisabled,
    scGrid,
    scGenericBackground,
    scGenericGradientBase,
    scGenericGradientEnd,
    scHintGradientBase,
    scHintGradientEnd,
    scListBox,
    scListBoxDisabled,
    scListView,
    scPanel,
    scPanelDisabled,
    scSplitter,
    scToolBarGradientBase,
    scToolBarGradientEnd,
    scTreeView,
    scWindow
};
enum TStyleFont {
    sfButtonTextDisabled,
    sfButtonTextFocused,
    sfButtonTextHot,
    sfButtonTextNormal,
    sfButtonTextPressed,
    sfCaptionTextInactive,
    sfCaptionTextNormal,
    sfEditBoxTextDisabled,
    sfEditBoxTextFocused,
    sfEditBoxTextHot,
    sfEditBoxTextNormal,
    sfEditBoxTextSelected,
    sfGridItemFixedHot,
    sfGridItemFixedNormal,
    sfGridItemFixedPressed,
    sfGridItemNormal,
    sfGridItemSelected,
    sfHeaderSectionTextDisabled,
    sfHeaderSectionTextHot,
    sfHeaderSectionTextNormal,
    sfHeaderSectionTextPressed,
    sfListItemTextDisabled,
    sfListItemTextFocused,
    sfListItemTextHot,
    sfListItemTextNormal,
    sfListItemTextSelected,
    sfPanelTextDisabled,
    sfPanelTextNormal,
    sfTreeItemTextDisabled,
    sfTreeItemTextFocused,
    sfTreeItemTextHot,
    sfTreeItemTextNormal,
    sfTreeItemTextSelected,
    sfWindowTextDisabled,
    sfWindowTextNormal
};

class TCustomStyleServices : public TObject {
    KVT_CLASS(TCustomStyleServices, TObject)
public:
    // Themed drawing is in use (ThemesInUse()).
    bool Enabled() const;
    bool Available() const { return true; }
    bool ThemesEnabled() const { return Enabled(); }
    bool ThemesAvailable() const { return true; }
    // The platform's own look, not a custom application style.
    bool IsSystemStyle() const { return true; }
    String Name() const { return QStringLiteral("Windows"); }

    static TThemedElementDetails GetElementDetails(TThemedButton d) { return {teButton, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedComboBox d) {
        return {teComboBox, int(d), StateOf(d)};
    }
    static TThemedElementDetails GetElementDetails(TThemedEdit d) { return {teEdit, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedHeader d) { return {teHeader, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedScrollBar d) {
        return {teScrollBar, int(d), StateOf(d)};
    }
    static TThemedElementDetails GetElementDetails(TThemedSpin d) { return {teSpin, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedToolBar d) {
        return {teToolBar, int(d), StateOf(d)};
    }
    static TThemedElementDetails GetElementDetails(TThemedToolTip d) {
        return {teToolTip, int(d), StateOf(d)};
    }
    static TThemedElementDetails GetElementDetails(TThemedTreeview d) {
        return {teTreeview, int(d), StateOf(d)};
    }
    static TThemedElementDetails GetElementDetails(TThemedWindow d) { return {teWindow, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedGrid d) { return {teGrid, int(d), StateOf(d)}; }
    static TThemedElementDetails GetElementDetails(TThemedStatus d) { return {teStatus, int(d), StateOf(d)}; }

    // Draws the element into r, clipped to clip when given.
    bool DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r,
                     const TRect* clip = nullptr);
    bool DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r, const TRect& clip) {
        return DrawElement(dc, details, r, &clip);
    }
    bool DrawText(HDC dc, const TThemedElementDetails& details, const String& s, TRect& r, TTextFormat flags,
                  TColor color = clNone);
    bool DrawText(HDC dc, const TThemedElementDetails& details, const String& s, TRect& r, UINT dtFlags,
                  TColor color = clNone);
    bool GetElementSize(HDC dc, const TThemedElementDetails& details, TElementSize which, TSize& size);
    bool GetElementSize(HDC dc, const TThemedElementDetails& details, const TRect& r, TElementSize which,
                        TSize& size);
    bool GetElementContentRect(HDC dc, const TThemedElementDetails& details, const TRect& bounds,
                               TRect& content);
    bool GetElementColor(const TThemedElementDetails& details, TElementColor which, TColor& color);
    bool HasTransparentParts(const TThemedElementDetails& details);
    void PaintBorder(TObject* control, bool eraseLRCorner) { (void)control, (void)eraseLRCorner; }
    // System colours as the style shows them (RGB values).
    TColor GetSystemColor(TColor color);
    TColor GetStyleColor(TStyleColor c);
    TColor GetStyleFontColor(TStyleFont f);
    // Resolves system colours through the style.
    TColor ColorToRGB(TColor color) { return GetSystemColor(color); }

private:
    static int StateOf(TThemedButton d);
    static int StateOf(TThemedComboBox d);
    static int StateOf(TThemedEdit d);
    static int StateOf(TThemedHeader d);
    static int StateOf(TThemedScrollBar d);
    static int StateOf(TThemedSpin d);
    static int StateOf(TThemedToolBar d);
    static int StateOf(TThemedToolTip d);
    static int StateOf(TThemedTreeview d);
    static int StateOf(TThemedWindow d);
    static int StateOf(TThemedGrid d);
    static int StateOf(TThemedStatus d);
};
using TThemeServices = TCustomStyleServices;

TCustomStyleServices* StyleServices();
TCustomStyleServices* ThemeServices();

// The application style manager: only the system style exists here. Hooks are registered per
// control class as on the platform; with no custom style active none is ever put in place, so a
// hook's handlers run only when called directly.
class TWinControl;
struct TMessage;
class TStyleHook : public TObject {
    KVT_CLASS(TStyleHook, TObject)
public:
    TStyleHook() = default;
    explicit TStyleHook(TWinControl* AControl) : FControl(AControl) {}
    TWinControl* Control() const { return FControl; }
    // The hook's share of the control's messages; the default leaves them to the control.
    virtual void WndProc(TMessage& Message) { (void)Message; }

protected:
    TWinControl* FControl = nullptr;
};
class TScrollingStyleHook : public TStyleHook {
    KVT_CLASS(TScrollingStyleHook, TStyleHook)
public:
    using TStyleHook::TStyleHook;
    // Repaints the styled scroll bars over the control's own.
    virtual void PaintScroll() {}
};
class TScrollBoxStyleHook : public TScrollingStyleHook {
    KVT_CLASS(TScrollBoxStyleHook, TScrollingStyleHook)
public:
    using TScrollingStyleHook::TScrollingStyleHook;
};
class TStyleManager {
public:
    static bool IsCustomStyleActive() { return false; }
    static bool Enabled() { return false; }
    static void RegisterStyleHook(TClass controlClass, TClass hookClass) {
        if (!IsStyleHookRegistered(controlClass, hookClass)) Hooks().push_back({controlClass, hookClass});
    }
    static void UnRegisterStyleHook(TClass controlClass, TClass hookClass) {
        auto& h = Hooks();
        for (auto it = h.begin(); it != h.end(); ++it)
            if (it->first == controlClass && it->second == hookClass) {
                h.erase(it);
                return;
            }
    }
    static bool IsStyleHookRegistered(TClass controlClass, TClass hookClass) {
        for (const auto& p : Hooks())
            if (p.first == controlClass && p.second == hookClass) return true;
        return false;
    }

private:
    static std::vector<std::pair<TClass, TClass>>& Hooks() {
        static std::vector<std::pair<TClass, TClass>> hooks;
        return hooks;
    }
};
inline bool IsCustomStyleActive() {
    return TStyleManager::IsCustomStyleActive();
}

// Raw theme data by class list ("Button", "Treeview", "Explorer::Treeview", "ScrollBar",
// "Header", "ComboBox", "Spin", "ToolBar", "Tooltip", "Window", "Edit").
using HTHEME = intptr_t;
HTHEME OpenThemeData(const void* window, const String& classList);
int CloseThemeData(HTHEME theme);
// Part and state ids of the platform's theme classes that the library uses.
enum : int { TVP_TREEITEM = 1, TVP_GLYPH = 2, TVP_BRANCH = 3, TVP_HOTGLYPH = 4 };
enum : int { GLPS_CLOSED = 1, GLPS_OPENED = 2, HGLPS_CLOSED = 1, HGLPS_OPENED = 2 };
enum : int { BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3, BP_GROUPBOX = 4 };
enum : int { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };
enum : int { CBS_UNCHECKEDNORMAL = 1, CBS_CHECKEDNORMAL = 5, CBS_MIXEDNORMAL = 9 };
enum THEMESIZE { TS_MIN, TS_TRUE, TS_DRAW };
// S_OK (0) on success.
int DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const TRect* r, const TRect* clip);
int GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const TRect* r, THEMESIZE which, TSize* size);
