#pragma once
// Menus: TMenuItem trees, pop-up menus shown at screen positions, the form's main menu, and
// keyboard short cuts.

#include "platform/classes/Classes.h"
#include "platform/ui/Controls.h"

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QAction;
class QMenuBar;
class TCustomImageList;
class TMenu;

using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
String ShortCutToText(TShortCut ShortCut);    // "Ctrl+C", "Shift+Del", "F2"
TShortCut TextToShortCut(const String& Text); // 0 when unreadable
// The caption without the accelerator marks ("&&" stays one "&").
String StripHotkey(const String& Text);
String GetHotkey(const String& Text);
constexpr const char* cLineCaption = "-";

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };

class TMenuItem : public TComponent {
    KVT_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    bool IsLine() const { return FCaption == QLatin1String(cLineCaption); }
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool v) { FRadioItem = v; }
    Byte GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Byte v) { FGroupIndex = v; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v) { FDefault = v; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v) { FShortCut = v; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    String Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    TMenuBreak Break() const { return FBreak; }
    void SetBreak(TMenuBreak v) { FBreak = v; }
    TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
    void SetSubMenuImages(TCustomImageList* v) { FSubMenuImages = v; }
    // The item stays open when clicked inside a pop-up menu (for check lists in menus).
    bool CloseMenuOnClick() const { return FCloseMenuOnClick; }
    void SetCloseMenuOnClick(bool v) { FCloseMenuOnClick = v; }
    Word Command() const { return FCommand; }

    // Children
    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const; // EMenuError "Menu index out of range" when out of range
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void SetMenuIndex(int v);
    void Add(TMenuItem* Item);
    void Add(const std::vector<TMenuItem*>& Items);
    void Insert(int Index, TMenuItem* Item); // EMenuError "Menu inserted twice" when it has a parent
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    void Clear();
    int IndexOf(TMenuItem* Item) const;
    TMenuItem* Find(const String& ACaption) const; // hotkeys ignored, case-insensitive
    TMenu* GetParentMenu() const;
    // The image list used for this item (the parent's SubMenuImages or the menu's Images).
    TCustomImageList* GetImageList() const;

    virtual void Click();
    void InitiateAction() {}

    TNotifyEvent OnClick;

    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* Value) override;

private:
    friend class TMenu;
    void TurnSiblingsOff();
    String FCaption;
    bool FChecked = false, FRadioItem = false, FAutoCheck = false, FEnabled = true, FVisible = true,
         FDefault = false;
    bool FCloseMenuOnClick = true;
    Byte FGroupIndex = 0;
    TShortCut FShortCut = 0;
    int FImageIndex = -1;
    String FHint;
    TMenuBreak FBreak = mbNone;
    TCustomImageList* FSubMenuImages = nullptr;
    Word FCommand;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item
    std::vector<TMenuItem*> FItems;
};

KVT_EXCEPTION(EMenuError, Exception)

class TMenu : public TComponent {
    KVT_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);
    // Runs the item whose short cut matches the key message; true when one ran.
    bool IsShortCut(TMessage& Message);
    TMenuItem* FindItem(int Value, int Kind) const; // Kind 0: command, 1: handle, 2: short cut
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    TMenuItem* FItems;
    TCustomImageList* FImages = nullptr;
};

class TMainMenu : public TMenu {
    KVT_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
    // Builds the menu bar of the form (called when the form's Menu is set or changes).
    void UpdateBar(QWidget* Form);
};

class TPopupMenu : public TMenu {
    KVT_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    // Shows the menu at screen coordinates and returns when it closed (after an item's OnClick).
    virtual void Popup(int X, int Y);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool v) { FAutoPopup = v; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment v) { FAlignment = v; }
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* v) { FPopupComponent = v; }
    TTrackButton TrackButton() const { return FTrackButton; }
    void SetTrackButton(TTrackButton v) { FTrackButton = v; }
    // The item chosen in the last Popup (nullptr when closed without a choice).
    TMenuItem* LastChosen() const { return FLastChosen; }
    // The open Qt menu while Popup runs (tests close it).
    QMenu* ActiveMenu() const { return FActive; }

    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

protected:
    virtual void DoPopup(TObject* Sender);

private:
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TComponent* FPopupComponent = nullptr;
    TTrackButton FTrackButton = tbRightButton;
    TMenuItem* FLastChosen = nullptr;
    QMenu* FActive = nullptr;
};

// Tests answer pop-up menus without UI: the hook gets the menu and the screen position and
// answers the item to click (nullptr: closed without a choice).
using TPopupMenuHook = std::function<TMenuItem*(TPopupMenu* Menu, int X, int Y)>;
void SetPopupMenuHook(TPopupMenuHook Hook);

// Fills a Qt menu with the items (used by pop-ups and the menu bar).
void BuildQtMenu(QMenu* Menu, TMenuItem* Items, TMenuItem** Chosen);
