#pragma once
// The navigator panel that sits beside the horizontal scroll bar of a data grid's scroll-bar
// panel: its settings (visible buttons and items, images, data source, border colour) and its
// width rule. The buttons' actions and the info panels' texts are not drawn from the data set
// here: the panel paints the visible buttons' glyphs and keeps the settings the grid and the
// scroll-bar panel read and write.

#include "platform/ui/Controls.h"

class TDataSource;
class TCustomImageList;

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

constexpr TNavButtonSetEh AllNavButtonsEh{nbFirstEh,  nbPriorEh, nbNextEh, nbLastEh,   nbInsertEh,
                                          nbDeleteEh, nbEditEh,  nbPostEh, nbCancelEh, nbRefreshEh};
constexpr TGridSBItemsEh AllGridSBItemsEh{gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh};

class TDBGridEhNavigatorPanel : public TCustomControl {
    KVT_CLASS(TDBGridEhNavigatorPanel, TCustomControl)
public:
    explicit TDBGridEhNavigatorPanel(TComponent* AOwner);
    ~TDBGridEhNavigatorPanel() override;

    TNavButtonSetEh VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TNavButtonSetEh Value);
    TGridSBItemsEh VisibleItems() const { return FVisibleItems; }
    void SetVisibleItems(TGridSBItemsEh Value);
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);

    // One square button per visible navigator button, as high as the client area.
    int OptimalWidth();
    // Width := OptimalWidth, never wider than the scroll-bar panel it sits in allows.
    void ResetWidth();
    void UpdateInfoPanels();
    void UpdateButtonStates();

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void Paint() override;
    void UpdateVisibleItems();
    int VisibleButtonCount() const;

    TNavButtonSetEh FVisibleButtons = AllNavButtonsEh;
    TGridSBItemsEh FVisibleItems = AllGridSBItemsEh;
    TDataSource* FDataSource = nullptr;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FDisabledImages = nullptr;
    bool FFlat = false;
    TColor FBorderColor = clBtnShadow;
};
