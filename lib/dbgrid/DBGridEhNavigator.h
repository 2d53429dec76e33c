#pragma once
// The navigator panel that sits beside the horizontal scroll bar of a data grid's scroll-bar
// panel: a records-info panel (record count and selected records), ten data-set buttons, the
// search panel when it is placed there, and a selection-info panel with the aggregates of the
// selected cells of one column. A data link keeps the buttons' enabled states with the data set.

#include "platform/db/DB.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"

#include <memory>
#include <vector>

class TDataSource;
class TCustomImageList;
class TTimer;
class TDBGridSearchPanelControlEh;
class TDBGridEhNavigatorPanel;
class TCustomDBGridEh;

enum TNavigateBtnEh {
    nbFirstEh,
    nbPriorEh,
    nbNextEh,
    nbLastEh,
    nbInsertEh,
    nbDeleteEh,
    nbEditEh,
    nbPostEh,
    nbCancelEh,
    nbRefreshEh
};
using TNavButtonSetEh = TSet<TNavigateBtnEh>;

enum TGridSBItemEh { gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh };
using TGridSBItemsEh = TSet<TGridSBItemEh>;

enum TNavButtonStyleItem { nsAllowTimer, nsFocusRect };
using TNavButtonStyle = TSet<TNavButtonStyleItem>;

constexpr TNavButtonSetEh AllNavButtonsEh{nbFirstEh,  nbPriorEh, nbNextEh, nbLastEh,   nbInsertEh,
                                          nbDeleteEh, nbEditEh,  nbPostEh, nbCancelEh, nbRefreshEh};
constexpr TGridSBItemsEh AllGridSBItemsEh{gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh};

using ENavClickEh = TEvent<void(TObject* Sender, TNavigateBtnEh Button)>;

// A flat square button of the navigator and the search panel, drawn from an image list.
class TNavButtonEh : public TSpeedButton {
    KVT_CLASS(TNavButtonEh, TSpeedButton)
public:
    explicit TNavButtonEh(TComponent* AOwner);
    ~TNavButtonEh() override;
    TNavigateBtnEh Index() const { return FIndex; }
    void SetIndex(TNavigateBtnEh Value) { FIndex = Value; }
    TNavButtonStyle NavStyle() const { return FNavStyle; }
    void SetNavStyle(TNavButtonStyle Value) { FNavStyle = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    TTimer* RepeatTimer() const { return FRepeatTimer; }
    // Replaces the button's own painting when assigned.
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void TimerExpired(TObject* Sender);

    TNavigateBtnEh FIndex = nbFirstEh;
    TNavButtonStyle FNavStyle;
    TTimer* FRepeatTimer = nullptr;
    int FImageIndex = -1;
    TCustomImageList* FDisabledImages = nullptr;
    TCustomImageList* FImages = nullptr;
};

class TNavDataLinkEh : public TDataLink {
    KVT_CLASS(TNavDataLinkEh, TDataLink)
public:
    explicit TNavDataLinkEh(TDBGridEhNavigatorPanel* ANav);
    // The panel going away stops hearing from the link.
    void Detach() { FNavigator = nullptr; }

protected:
    void EditingChanged() override;
    void DataSetChanged() override;
    void ActiveChanged() override;

private:
    TDBGridEhNavigatorPanel* FNavigator;
};

struct TSelectionInfoPanelItemEh {
    String Text;
    int Left = 0;
    int Right = 0;
};

class TDBGridEhNavigatorPanel : public TCustomControl {
    KVT_CLASS(TDBGridEhNavigatorPanel, TCustomControl)
public:
    explicit TDBGridEhNavigatorPanel(TComponent* AOwner);
    ~TDBGridEhNavigatorPanel() override;

    TNavButtonSetEh VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TNavButtonSetEh Value);
    TGridSBItemsEh VisibleItems() const { return FVisibleItems; }
    void SetVisibleItems(TGridSBItemsEh Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool Value) { FConfirmDelete = Value; }
    // One line per button; an empty line keeps the default hint.
    TStrings* Hints();
    void SetHints(TStrings* Value);
    TDBGridSearchPanelControlEh* SearchPanelControl() const { return FSearchPanelControl; }
    void SetSearchPanelControl(TDBGridSearchPanelControlEh* Value);
    TNavButtonEh* Button(TNavigateBtnEh Index) const { return NavButtons[Index]; }
    TNavButtonEh* RecordsInfo() const { return RecordsInfoPanel; }
    TNavButtonEh* SelectionInfo() const { return SelectionInfoPanel; }
    const std::vector<TSelectionInfoPanelItemEh>& SelectionInfoItems() const {
        return SelectionInfoPanelDataEh;
    }
    TNavigateBtnEh FocusedButton() const { return FFocusedButton; }
    // The grid the panel serves: the owner of the scroll-bar panel it sits in.
    TCustomDBGridEh* Grid() const;

    ENavClickEh BeforeAction;
    ENavClickEh OnNavClick;

    virtual int DividerWidth() { return 7; }
    virtual void NavBtnClick(TNavigateBtnEh Index);
    int OptimalWidth();
    void ResetWidth();
    void UpdateInfoPanels();
    void UpdateButtonStates();
    void EditingChanged();
    void ActiveChanged();
    String GetSelectionInfoPanelText();
    String RecordsInfoText();
    int ArrangeControls();

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void SetEnabled(bool Value) override;
    void WndProc(TMessage& Message) override;
    TRect NonClientMargins() override;

protected:
    void Paint() override;
    void PaintBorder(HDC DC);
    void KeyDown(Word& Key, TShiftState Shift) override;
    void CreateParts();
    void InitHints();
    void UpdateVisibleItems();
    void HintsChanged(TObject* Sender);
    void ClickHandler(TObject* Sender);
    void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PaintInfoPanel(TObject* Sender);
    void PaintDivider(TObject* Sender);
    void SelectionInfoMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    int RecordsInfoWidth();
    int SelectionInfoWidth();
    int InfoWidth(const String& Text, TFont* Font);
    int VisibleButtonCount() const;

    std::unique_ptr<TNavDataLinkEh> FDataLink;
    TNavButtonSetEh FVisibleButtons = AllNavButtonsEh;
    std::unique_ptr<TStringList> FHints;
    std::unique_ptr<TStringList> FDefHints;
    int ButtonWidth = 0;
    TPoint MinBtnSize{10, 10};
    TNavigateBtnEh FFocusedButton = nbFirstEh;
    bool FConfirmDelete = true;
    bool FFlat = false;
    TCustomImageList* FDisabledImages = nullptr;
    TCustomImageList* FImages = nullptr;
    TColor FBorderColor = clBtnShadow;
    String FSelectionInfoPanelText;
    TGridSBItemsEh FVisibleItems = AllGridSBItemsEh;
    TDBGridSearchPanelControlEh* FSearchPanelControl = nullptr;
    TNavButtonEh* NavButtons[10] = {};
    TNavButtonEh* NavButtonsDivider = nullptr;
    TNavButtonEh* FindEditDivider = nullptr;
    TNavButtonEh* RecordsInfoPanel = nullptr;
    TNavButtonEh* SelectionInfoDivider = nullptr;
    TNavButtonEh* SelectionInfoPanel = nullptr;
    std::vector<TSelectionInfoPanelItemEh> SelectionInfoPanelDataEh;
};
