#pragma once
// The grid's filter editor (the combo box that edits a filter row cell) and the row objects of
// the filter drop-down lists: sort commands, the separator, the filter commands and the value
// rows with their check boxes. One object of each row kind serves every grid.

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/ToolCtrlsEh.h"

class TCustomDBGridEh;
class TColumnEh;

class TInplaceFilterEditEh : public TDBComboBoxEh {
    KVT_CLASS(TInplaceFilterEditEh, TDBComboBoxEh)
public:
    explicit TInplaceFilterEditEh(TComponent* AOwner);
    TCustomDBGridEh* GetGrid() const;
    // The column whose filter is edited; nullptr while the editor is hidden.
    TColumnEh* FColumn = nullptr;

    // The grid drops the list down from its filter-list shortcut.
    using TDBComboBoxEh::DropDown;
    void CloseUp(bool Accept) override;
    void SelectNextValue(bool IsPrior) override;

protected:
    void TextAreaRect(TRect& Rect) override;
    TColor ListColor() override;
    TFont* ListFont() override;
};

class TDBGridFilterPopupListboxItemEh : public TPopupListboxItemEh {
    KVT_CLASS(TDBGridFilterPopupListboxItemEh, TPopupListboxItemEh)
public:
    // The column the list belongs to: the grid's in-title list column, else the editor's column.
    TColumnEh* GetFilterColumn(TPopupListboxEh* Sender);
    bool IsSelectable(TPopupListboxEh*, int) override { return true; }

protected:
    // The margin of the check-box glyph before the text; the text drawn in the rest.
    void DrawTextAfterMargin(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect,
                             TOwnerDrawState State);
};

class TPopupListboxItemEhSort : public TDBGridFilterPopupListboxItemEh {
    KVT_CLASS(TPopupListboxItemEhSort, TDBGridFilterPopupListboxItemEh)
public:
    explicit TPopupListboxItemEhSort(TSortMarkerEh ASortState) : FSortState(ASortState) {}
    TSortMarkerEh SortState() const { return FSortState; }
    // The grouping level the in-title list was opened for; nullptr otherwise.
    TObject* GetGroupLevel(TPopupListboxEh* Sender);
    void DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect, TOwnerDrawState State) override;
    bool CloseOnExecute(TPopupListboxEh*, int) override { return true; }
    void Execute(TPopupListboxEh* Sender, int ItemIndex, TPoint InItemPos, TShiftState Shift) override;

private:
    TSortMarkerEh FSortState;
};

class TPopupListboxItemEhLine : public TDBGridFilterPopupListboxItemEh {
    KVT_CLASS(TPopupListboxItemEhLine, TDBGridFilterPopupListboxItemEh)
public:
    bool IsSelectable(TPopupListboxEh*, int) override { return false; }
    void DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect, TOwnerDrawState State) override;
    bool CloseOnExecute(TPopupListboxEh*, int) override { return false; }
};

enum TPopupListboxItemEhSpecType {
    ptFilterSpecItemClearFilter,
    ptFilterSpecItemAll,
    ptFilterSpecItemEmpties,
    ptFilterSpecItemNotEmties,
    ptFilterSpecItemDialog,
    ptFilterApply
};

class TPopupListboxItemEhSpec : public TDBGridFilterPopupListboxItemEh {
    KVT_CLASS(TPopupListboxItemEhSpec, TDBGridFilterPopupListboxItemEh)
public:
    explicit TPopupListboxItemEhSpec(TPopupListboxItemEhSpecType AType) : FType(AType) {}
    TPopupListboxItemEhSpecType SpecType() const { return FType; }
    void DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect, TOwnerDrawState State) override;
    bool CloseOnExecute(TPopupListboxEh*, int) override { return true; }
    void Execute(TPopupListboxEh* Sender, int ItemIndex, TPoint InItemPos, TShiftState Shift) override;

private:
    TPopupListboxItemEhSpecType FType;
};

class TPopupListboxItemEhData : public TDBGridFilterPopupListboxItemEh {
    KVT_CLASS(TPopupListboxItemEhData, TDBGridFilterPopupListboxItemEh)
public:
    void DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect, TOwnerDrawState State) override;
    void HandleMouseDown(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TMouseButton Button,
                         TShiftState Shift) override;
    void HandleMouseMove(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TShiftState Shift) override;
    void HandleMouseUp(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TMouseButton Button,
                       TShiftState Shift, bool& IsCloseListbox) override;
    bool CloseOnExecute(TPopupListboxEh*, int) override { return false; }
    void Execute(TPopupListboxEh* Sender, int ItemIndex, TPoint InItemPos, TShiftState Shift) override;
};

// The shared row objects (made on first use, in the order line, sort up, sort down, the six spec
// kinds, data; they live as long as the program).
TPopupListboxItemEhLine* PopupListboxItemEhLine();
TPopupListboxItemEhSort* PopupListboxItemEhSort(TSortMarkerEh State);
TPopupListboxItemEhSpec* PopupListboxItemEhSpec(TPopupListboxItemEhSpecType Type);
TPopupListboxItemEhData* PopupListboxItemEhData();
// The width of the system's check-box glyph.
int FilterCheckBoxWidth();
