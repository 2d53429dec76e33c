#pragma once
// The data grid's selection: a set of records, a rectangle of cells, a set of columns or
// everything, one kind at a time. TDBGridEhSelection owns the holder of each kind and keeps the
// active kind; the grid extends it from keys and mouse drags and acts on it through the standard
// edit actions (copy, cut, paste, delete, select all).
//
// Invariants: the kind is gstRecordBookmarks only while the record list is not empty, gstColumns
// only while the column list is not empty, gstRectangle only while the two corners differ;
// a holder of another kind than the active one is empty (its corners unset).

#include "lib/dbgrid/DBGridEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"

#include "platform/ui/ActnList.h"

#include <memory>
#include <vector>

class TDBGridEhSelection;

// The standard edit actions the grid answers to (as focused control).
class TEditAction : public TAction {
    KVT_CLASS(TEditAction, TAction)
public:
    using TAction::TAction;
};
class TEditCut : public TEditAction {
    KVT_CLASS(TEditCut, TEditAction)
public:
    using TEditAction::TEditAction;
};
class TEditCopy : public TEditAction {
    KVT_CLASS(TEditCopy, TEditAction)
public:
    using TEditAction::TEditAction;
};
class TEditPaste : public TEditAction {
    KVT_CLASS(TEditPaste, TEditAction)
public:
    using TEditAction::TEditAction;
};
class TEditSelectAll : public TEditAction {
    KVT_CLASS(TEditSelectAll, TEditAction)
public:
    using TEditAction::TEditAction;
};
class TEditDelete : public TEditAction {
    KVT_CLASS(TEditDelete, TEditAction)
public:
    using TEditAction::TEditAction;
};

// The selected records of a grid, kept in the data set's order.
class TBookmarkListEh : public TBMListEh {
    KVT_CLASS(TBookmarkListEh, TBMListEh)
public:
    explicit TBookmarkListEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    void Clear() override;
    // The grid rows of the selected records on screen; -1 in all four when none is visible.
    TGridRect SelectionToGridRect();
    void Assign(TBookmarkListEh* Source);
    // Takes the memory-table records selected in Source as record references.
    void AssignAsBaseRef(TBookmarkListEh* Source);
    const std::vector<TObject*>& RowsRef() const { return FRowsRef; }

protected:
    TDataSet* ReadDataSet() override;
    void NotifyListChanged() override;
    void WriteCurrentRowSelected(bool Value) override;
    void DropFindCache(const TBookmark& Bookmark) override;
    void UpdateOwnerState() override;

private:
    TCustomDBGridEh* FGrid;
    std::vector<TObject*> FRowsRef;
};

// A data cell: a data column index (-1 unset) and a record bookmark (empty unset).
struct TDBCell {
    int Col = -1;
    TBookmark Row;
    bool operator==(const TDBCell&) const = default;
};

// A rectangle of data cells between an anchor and the corner that moves.
class TDBGridEhSelectionRect : public TObject {
    KVT_CLASS(TDBGridEhSelectionRect, TObject)
public:
    explicit TDBGridEhSelectionRect(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TCustomDBGridEh* Grid() const { return FGrid; }
    void Clear();
    void Select(int ColumnIndex, const TBookmark& Bookmark, bool ExtendSelection);
    bool DataCellSelected(int ColumnIndex, const TBookmark& Bookmark);
    TGridRect SelectionToGridRect();
    void Assign(TDBGridEhSelectionRect* Source);
    // The accessors raise EInvalidGridOperationEh without active data.
    int LeftCol();
    int RightCol();
    TBookmark TopRow();
    TBookmark BottomRow();
    const TDBCell& Anchor() const { return FAnchor; }
    const TDBCell& ShiftCell() const { return FShiftCell; }

protected:
    bool IsDataAvailable();
    TGridRect CellsToGridRect(const TDBCell& Cell1, const TDBCell& Cell2);
    int BookmarkToGridRow(const TBookmark& Bookmark);
    void InvalidateDifference(TGridRect OldRect, TGridRect NewRect);

private:
    TDBCell FAnchor;
    TCustomDBGridEh* FGrid;
    TDBCell FShiftCell;
};

// The selected columns in collection order.
class TDBGridEhSelectionCols : public TColumnsEhList {
    KVT_CLASS(TDBGridEhSelectionCols, TColumnsEhList)
public:
    explicit TDBGridEhSelectionCols(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    void Clear() override;
    void Select(TColumnEh* Column, bool AddSel);
    void InvertSelect(TColumnEh* Column);
    void SelectShift(TColumnEh* Column);
    void Refresh();
    TGridRect SelectionToGridRect();
    TColumnEh* Anchor() const { return FAnchor; }
    TColumnEh* ShiftCol() const { return FShiftCol; }

protected:
    void AddSorted(TColumnEh* Column);
    void InvalidateColumn(TColumnEh* Column);
    TDBGridEhSelection* Owner();

private:
    TColumnEh* FAnchor = nullptr;
    TCustomDBGridEh* FGrid;
    TColumnEh* FShiftCol = nullptr;
    TColumnsEhList FShiftSelectedCols;
};

class TDBGridEhSelection : public TObject {
    KVT_CLASS(TDBGridEhSelection, TObject)
public:
    explicit TDBGridEhSelection(TCustomDBGridEh* AGrid);
    ~TDBGridEhSelection() override;

    TDBGridEhSelectionCols* Columns() const { return FColumns.get(); }
    TDBGridEhSelectionRect* Rect() const { return FRect.get(); }
    TBookmarkListEh* Rows() const;
    TDBGridEhSelectionType SelectionType() const { return FSelectionType; }
    TCustomDBGridEh* Grid() const { return FGrid; }

    void Clear();
    void SelectAll();
    void SetSelectionType(TDBGridEhSelectionType Value);
    void UpdateState();
    void Refresh();
    void ResetForLink(bool Active);
    bool DataCellSelected(int ColumnIndex, const TBookmark& Bookmark);
    TGridRect SelectionToGridRect();
    void Assign(TDBGridEhSelection* Source);
    void AssignAsBaseRef(TDBGridEhSelection* Source);
    virtual void NotifyChanged();

private:
    std::unique_ptr<TDBGridEhSelectionCols> FColumns;
    TCustomDBGridEh* FGrid;
    std::unique_ptr<TDBGridEhSelectionRect> FRect;
    TDBGridEhSelectionType FSelectionType = gstNon;
    std::unique_ptr<TBookmarkListEh> FBMList;
};

// The delete and clear of a selection (WholeGrid: everything, whatever is selected).
void DeleteGridSelection(TCustomDBGridEh* Grid, bool WholeGrid);
