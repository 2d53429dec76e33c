// The data grid's selection holders, the keyboard and mouse extension of a selection, the edit
// actions and the delete / clear of what is selected.

#include "lib/dbgrid/DBGridEhSelection.h"

#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/toolscore/PlatformEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WinApi.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr TGridRect kNoRect{-1, -1, -1, -1};

TDataSet* GridDataSet(TCustomDBGridEh* Grid) {
    if (!Grid || !Grid->DataSource()) return nullptr;
    return Grid->DataSource()->DataSet();
}

bool GridLinkActive(TCustomDBGridEh* Grid) {
    return Grid && Grid->DataLink() && Grid->DataLink()->Active();
}

bool RectsIntersect(const TGridRect& A, const TGridRect& B) {
    return A.Left <= B.Right && B.Left <= A.Right && A.Top <= B.Bottom && B.Top <= A.Bottom;
}

// Clears one column's value(s) on the current record: lookup columns clear their key fields.
void ClearColumnValue(TColumnEh* Column) {
    if (!Column->CanModify(false)) return;
    TField* field = Column->Field();
    if (!field) return;
    std::vector<TField*> targets;
    if (field->FieldKind() == fkLookup) {
        TDataSet* ds = field->DataSet();
        for (const String& name : field->KeyFields().split(';', Qt::SkipEmptyParts))
            if (TField* f = ds->FindField(name.trimmed())) targets.push_back(f);
    } else {
        targets.push_back(field);
    }
    for (TField* f : targets) {
        TDataSet* ds = f->DataSet();
        if (!ds->CanModify()) continue;
        ds->Edit();
        if (ds->State() == dsEdit || ds->State() == dsInsert) f->Clear();
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TBookmarkListEh

TDataSet* TBookmarkListEh::ReadDataSet() {
    return GridDataSet(FGrid);
}

void TBookmarkListEh::NotifyListChanged() {
    if (FGrid) FGrid->Invalidate();
}

void TBookmarkListEh::WriteCurrentRowSelected(bool Value) {
    TDataSet* ds = ReadDataSet();
    if (Value && (!ds || ds->IsEmpty())) return;
    TBMListEh::WriteCurrentRowSelected(Value);
    if (FGrid) FGrid->InvalidateRow(FGrid->Row());
}

void TBookmarkListEh::DropFindCache(const TBookmark& Bookmark) {
    TBMListEh::DropFindCache(Bookmark);
    if (!FGrid) return;
    TDBGridEhSelection* sel = FGrid->Selection();
    if (sel->SelectionType() != gstRecordBookmarks && Count() > 0) {
        sel->Clear();
        sel->SetSelectionType(gstRecordBookmarks);
    }
    sel->UpdateState();
    sel->NotifyChanged();
}

void TBookmarkListEh::UpdateOwnerState() {
    if (FGrid) FGrid->Selection()->UpdateState();
}

void TBookmarkListEh::Clear() {
    FRowsRef.clear();
    if (Count() > 0) TBMListEh::Clear();
}

TGridRect TBookmarkListEh::SelectionToGridRect() {
    TGridRect r = kNoRect;
    if (!FGrid || !GridLinkActive(FGrid) || Count() == 0) return r;
    TDataSet* ds = ReadDataSet();
    int first = -1, last = -1;
    const int offset = FGrid->TopDataOffset();
    auto visit = [&](int dataRow, const TBookmark& bm) {
        int index = 0;
        if (Find(bm, index)) {
            if (first < 0) first = dataRow;
            last = dataRow;
        }
    };
    if (FGrid->IntMemTable()) {
        const int top = std::max(0, FGrid->TopRow() - offset);
        const int rows =
            std::min(FGrid->IntMemTable()->InstantReadRowCount(), top + FGrid->VisibleRowCount() + 1);
        for (int i = top; i < rows; ++i) {
            FGrid->InstantReadRowEnter(i);
            const TBookmark bm = ds->Bookmark();
            FGrid->InstantReadRowLeave();
            visit(i, bm);
        }
    } else {
        TDataLink* link = FGrid->DataLink();
        const int saved = link->ActiveRecord();
        struct Back {
            TDataLink* l;
            int a;
            ~Back() { l->SetActiveRecord(a); }
        } back{link, saved};
        for (int i = 0; i < link->RecordCount(); ++i) {
            link->SetActiveRecord(i);
            visit(i, ds->Bookmark());
        }
    }
    if (first < 0) return r;
    return TGridRect{0, first + offset, FGrid->ColCount() - 1, last + offset};
}

void TBookmarkListEh::Assign(TBookmarkListEh* Source) {
    Clear();
    for (int i = 0; i < Source->Count(); ++i)
        AppendItem(Source->Items(i));
}

void TBookmarkListEh::AssignAsBaseRef(TBookmarkListEh* Source) {
    Clear();
    TCustomDBGridEh* src = Source->FGrid;
    if (!src || !src->IntMemTable() || !GridLinkActive(src)) return;
    IMemTableEh* mt = src->IntMemTable();
    TDataSet* ds = GridDataSet(src);
    for (int i = 0; i < mt->InstantReadRowCount(); ++i) {
        mt->InstantReadEnter(i);
        struct Leave {
            IMemTableEh* m;
            ~Leave() { m->InstantReadLeave(); }
        } leave{mt};
        int index = 0;
        if (Source->Find(ds->Bookmark(), index)) FRowsRef.push_back(mt->GetRec());
    }
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhSelectionRect

bool TDBGridEhSelectionRect::IsDataAvailable() {
    return GridDataSet(FGrid) && GridLinkActive(FGrid);
}

int TDBGridEhSelectionRect::LeftCol() {
    if (!IsDataAvailable())
        RaiseInvalidGridOperation(QStringLiteral("Error in TDBGridEhSelectionRect.GetLeftCol"));
    return std::min(FAnchor.Col, FShiftCell.Col);
}

int TDBGridEhSelectionRect::RightCol() {
    if (!IsDataAvailable())
        RaiseInvalidGridOperation(QStringLiteral("Error in TDBGridEhSelectionRect.GetRightCol"));
    return std::max(FAnchor.Col, FShiftCell.Col);
}

TBookmark TDBGridEhSelectionRect::TopRow() {
    if (!IsDataAvailable())
        RaiseInvalidGridOperation(QStringLiteral("Error in TDBGridEhSelectionRect.GetTopRow"));
    TDataSet* ds = GridDataSet(FGrid);
    return CompareRecordBookmarks(ds, FAnchor.Row, FShiftCell.Row) <= 0 ? FAnchor.Row : FShiftCell.Row;
}

TBookmark TDBGridEhSelectionRect::BottomRow() {
    if (!IsDataAvailable())
        RaiseInvalidGridOperation(QStringLiteral("Error in TDBGridEhSelectionRect.GetBottomRow"));
    TDataSet* ds = GridDataSet(FGrid);
    return CompareRecordBookmarks(ds, FAnchor.Row, FShiftCell.Row) < 0 ? FShiftCell.Row : FAnchor.Row;
}

bool TDBGridEhSelectionRect::DataCellSelected(int ColumnIndex, const TBookmark& Bookmark) {
    if (!IsDataAvailable())
        RaiseInvalidGridOperation(QStringLiteral("Error in function TDBGridEhSelectionRect.CellSelected"));
    TDataSet* ds = GridDataSet(FGrid);
    return CompareRecordBookmarks(ds, TopRow(), Bookmark) <= 0 &&
           CompareRecordBookmarks(ds, Bookmark, BottomRow()) <= 0 && LeftCol() <= ColumnIndex &&
           ColumnIndex <= RightCol();
}

void TDBGridEhSelectionRect::Clear() {
    FAnchor = TDBCell();
    FShiftCell = TDBCell();
    if (FGrid) {
        FGrid->Invalidate();
        FGrid->Selection()->NotifyChanged();
    }
}

void TDBGridEhSelectionRect::Assign(TDBGridEhSelectionRect* Source) {
    Clear();
    FAnchor = Source->FAnchor;
    FShiftCell = Source->FShiftCell;
}

namespace {
// The data row that shows a memory-table view row while group rows are shown: the record's own
// row, or the row of the nearest expanded group that hides it; -1 when it is not in the tree.
int GroupedDataRow(TCustomDBGridEh* Grid, int ViewRow) {
    TGridGroupDataTreeEh* tree = Grid->DataGrouping()->GroupDataTree();
    const int flat = tree->IndexOfVisibleRecordViewNo(ViewRow);
    if (flat >= 0) return flat;
    for (TGroupDataTreeNodeEh* n = tree->GetNodeByRecordViewNo(ViewRow); n; n = n->Parent())
        if (const int i = tree->IndexOfVisibleNode(n); i >= 0) return i;
    return -1;
}
} // namespace

// The grid row of a record: by instant-read index over a memory table (through the group rows
// while they are shown), else among the buffered records (before the first gives the first
// row, not found gives the last).
int TDBGridEhSelectionRect::BookmarkToGridRow(const TBookmark& Bookmark) {
    const int offset = FGrid->TopDataOffset();
    if (IMemTableEh* mt = FGrid->IntMemTable()) {
        const int viewRow = mt->InstantReadIndexOfBookmark(Bookmark);
        if (viewRow >= 0 && FGrid->GroupingShowsRows()) return GroupedDataRow(FGrid, viewRow) + offset;
        return viewRow + offset;
    }
    TDataSet* ds = GridDataSet(FGrid);
    TDataLink* link = FGrid->DataLink();
    const int saved = link->ActiveRecord();
    struct Back {
        TDataLink* l;
        int a;
        ~Back() { l->SetActiveRecord(a); }
    } back{link, saved};
    const int n = link->RecordCount();
    for (int i = 0; i < n; ++i) {
        link->SetActiveRecord(i);
        const int c = CompareRecordBookmarks(ds, Bookmark, ds->Bookmark());
        if (c == 0) return i + offset;
        if (c < 0 && i == 0) return offset;
    }
    return std::max(0, n - 1) + offset;
}

TGridRect TDBGridEhSelectionRect::CellsToGridRect(const TDBCell& Cell1, const TDBCell& Cell2) {
    if (!IsDataAvailable() || Cell1.Col < 0 || Cell2.Col < 0) return kNoRect;
    const int io = FGrid->IndicatorOffset();
    const int r1 = BookmarkToGridRow(Cell1.Row);
    const int r2 = BookmarkToGridRow(Cell2.Row);
    return TGridRect{std::min(Cell1.Col, Cell2.Col) + io, std::min(r1, r2),
                     std::max(Cell1.Col, Cell2.Col) + io, std::max(r1, r2)};
}

// Repaints the parts of the two rectangles that are not in both.
void TDBGridEhSelectionRect::InvalidateDifference(TGridRect O, TGridRect N) {
    if (O.Left < 0) {
        if (N.Left >= 0) FGrid->InvalidateCellRect(N);
        return;
    }
    if (N.Left < 0 || !RectsIntersect(O, N)) {
        FGrid->InvalidateCellRect(O);
        if (N.Left >= 0) FGrid->InvalidateCellRect(N);
        return;
    }
    const TGridRect u{std::min(O.Left, N.Left), std::min(O.Top, N.Top), std::max(O.Right, N.Right),
                      std::max(O.Bottom, N.Bottom)};
    const TGridRect i{std::max(O.Left, N.Left), std::max(O.Top, N.Top), std::min(O.Right, N.Right),
                      std::min(O.Bottom, N.Bottom)};
    if (u.Top < i.Top) FGrid->InvalidateCellRect(TGridRect{u.Left, u.Top, u.Right, i.Top - 1});
    if (i.Bottom < u.Bottom) FGrid->InvalidateCellRect(TGridRect{u.Left, i.Bottom + 1, u.Right, u.Bottom});
    if (u.Left < i.Left) FGrid->InvalidateCellRect(TGridRect{u.Left, i.Top, i.Left - 1, i.Bottom});
    if (i.Right < u.Right) FGrid->InvalidateCellRect(TGridRect{i.Right + 1, i.Top, u.Right, i.Bottom});
}

void TDBGridEhSelectionRect::Select(int ColumnIndex, const TBookmark& Bookmark, bool ExtendSelection) {
    TDBGridEhSelection* sel = FGrid->Selection();
    if (sel->SelectionType() != gstRectangle && sel->SelectionType() != gstNon) sel->Clear();
    const TDBCell oldAnchor = FAnchor, oldShift = FShiftCell;
    if (FAnchor.Col < 0 || FAnchor.Row.empty() || !ExtendSelection) FAnchor = TDBCell{ColumnIndex, Bookmark};
    FShiftCell = TDBCell{ColumnIndex, Bookmark};
    const bool single = FAnchor == FShiftCell;
    sel->SetSelectionType(single ? gstNon : gstRectangle);
    if (FGrid->HandleAllocated() && IsDataAvailable()) {
        TGridRect o = CellsToGridRect(oldAnchor, oldShift);
        const TGridRect n = CellsToGridRect(FAnchor, FShiftCell);
        // A single cell is painted as the current cell, a row strip as selected cells.
        if (o.Left >= 0 && o.Left == o.Right && o.Top == o.Bottom && n.Top == n.Bottom) {
            o.Left = FGrid->IndicatorOffset();
            o.Right = FGrid->ColCount() - 1;
        }
        InvalidateDifference(o, n);
    }
    if (!(oldAnchor == FAnchor) || !(oldShift == FShiftCell)) sel->NotifyChanged();
}

TGridRect TDBGridEhSelectionRect::SelectionToGridRect() {
    if (!IsDataAvailable() || FAnchor.Col < 0) return kNoRect;
    const int io = FGrid->IndicatorOffset();
    const int offset = FGrid->TopDataOffset();
    int top = -1, bottom = -1;
    if (IMemTableEh* mt = FGrid->IntMemTable()) {
        top = mt->InstantReadIndexOfBookmark(TopRow());
        bottom = mt->InstantReadIndexOfBookmark(BottomRow());
        if (top >= 0 && bottom >= 0 && FGrid->GroupingShowsRows()) {
            // Group rows reorder the records on screen: the rows between the two corners' rows.
            const int a = GroupedDataRow(FGrid, top), b = GroupedDataRow(FGrid, bottom);
            top = std::min(a, b);
            bottom = std::max(a, b);
        }
    } else {
        TDataSet* ds = GridDataSet(FGrid);
        TDataLink* link = FGrid->DataLink();
        const TBookmark t = TopRow(), b = BottomRow();
        const int saved = link->ActiveRecord();
        struct Back {
            TDataLink* l;
            int a;
            ~Back() { l->SetActiveRecord(a); }
        } back{link, saved};
        for (int i = 0; i < link->RecordCount(); ++i) {
            link->SetActiveRecord(i);
            const TBookmark bm = ds->Bookmark();
            if (top < 0 && CompareRecordBookmarks(ds, bm, t) >= 0) top = i;
            if (CompareRecordBookmarks(ds, bm, b) <= 0) bottom = i;
        }
    }
    if (top < 0 || bottom < 0 || bottom < top) return kNoRect;
    return TGridRect{LeftCol() + io, top + offset, RightCol() + io, bottom + offset};
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhSelectionCols

TDBGridEhSelection* TDBGridEhSelectionCols::Owner() {
    return FGrid ? FGrid->Selection() : nullptr;
}

void TDBGridEhSelectionCols::InvalidateColumn(TColumnEh* Column) {
    if (!FGrid || !Column || !Column->Visible()) return;
    const int vi = FGrid->DataColOf(Column);
    if (vi >= 0) FGrid->InvalidateCol(vi + FGrid->IndicatorOffset());
}

void TDBGridEhSelectionCols::Clear() {
    const bool had = Count() > 0;
    for (int i = 0; i < Count(); ++i)
        InvalidateColumn(Columns(i));
    TColumnsEhList::Clear();
    FAnchor = nullptr;
    TDBGridEhSelection* sel = Owner();
    if (!sel) return;
    if (sel->SelectionType() != gstNon)
        sel->SetSelectionType(gstNon);
    else if (had)
        sel->NotifyChanged();
}

void TDBGridEhSelectionCols::AddSorted(TColumnEh* Column) {
    for (int i = 0; i < Count(); ++i)
        if (Columns(i)->Index() > Column->Index()) {
            Insert(i, Column);
            return;
        }
    Add(Column);
    if (TDBGridEhSelection* sel = Owner()) sel->NotifyChanged();
}

void TDBGridEhSelectionCols::Select(TColumnEh* Column, bool AddSel) {
    TDBGridEhSelection* sel = Owner();
    if (sel && sel->SelectionType() != gstColumns) sel->Clear();
    if (!AddSel) {
        for (int i = 0; i < Count(); ++i)
            InvalidateColumn(Columns(i));
        TColumnsEhList::Clear();
    }
    if (IndexOf(Column) < 0) AddSorted(Column);
    InvalidateColumn(Column);
    FAnchor = FShiftCol = Column;
    if (sel) sel->SetSelectionType(gstColumns);
    FShiftSelectedCols.Clear();
}

void TDBGridEhSelectionCols::InvertSelect(TColumnEh* Column) {
    TDBGridEhSelection* sel = Owner();
    if (sel && sel->SelectionType() != gstColumns) sel->Clear();
    if (IndexOf(Column) >= 0) {
        Remove(Column);
        if (sel) sel->NotifyChanged();
    } else {
        AddSorted(Column);
    }
    InvalidateColumn(Column);
    FAnchor = FShiftCol = Column;
    if (sel) sel->SetSelectionType(Count() > 0 ? gstColumns : gstNon);
    FShiftSelectedCols.Clear();
}

void TDBGridEhSelectionCols::SelectShift(TColumnEh* Column) {
    TDBGridEhSelection* sel = Owner();
    if (sel && sel->SelectionType() != gstColumns) sel->Clear();
    if (!FAnchor) {
        Select(Column, true);
        FAnchor = Column;
        return;
    }
    TDBGridColumnsEh* cols = FGrid->Columns();
    const int a = FAnchor->Index();
    const int s = FShiftCol ? FShiftCol->Index() : a;
    const int c = Column->Index();
    const bool anchorSelected = IndexOf(FAnchor) >= 0;

    auto visit = [&](int index, bool extending) {
        TColumnEh* col = cols->Columns(index);
        const bool selected = IndexOf(col) >= 0;
        bool changed = false;
        if (extending) {
            if (anchorSelected && !selected && col->Visible()) {
                AddSorted(col);
                FShiftSelectedCols.Add(col);
                changed = true;
            } else if (!anchorSelected && selected && col != FAnchor) {
                Remove(col);
                FShiftSelectedCols.Add(col);
                changed = true;
            }
        } else {
            if (anchorSelected && selected && col != FAnchor) {
                changed = true;
                if (FShiftSelectedCols.IndexOf(col) >= 0) {
                    Remove(col);
                    FShiftSelectedCols.Remove(col);
                }
            } else if (!anchorSelected && !selected && col->Visible()) {
                changed = true;
                if (FShiftSelectedCols.IndexOf(col) >= 0) {
                    AddSorted(col);
                    FShiftSelectedCols.Remove(col);
                }
            }
        }
        if (changed) {
            InvalidateColumn(col);
            if (sel) sel->NotifyChanged();
        }
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };

    if (c == s) {
        visit(c, true);
    } else if (s == a) {
        for (int i = a, step = sign(c - a);; i += step) {
            visit(i, true);
            if (i == c) break;
        }
    } else if (sign(s - a) == sign(c - s)) {
        // Further out on the same side: extend from the last shift column.
        for (int i = s, step = sign(c - s);; i += step) {
            visit(i, true);
            if (i == c) break;
        }
    } else {
        // Back towards the anchor or past it: undo down to the anchor, then extend beyond.
        const int step = sign(c - s);
        const bool crosses = sign(c - a) != sign(s - a) && c != a;
        for (int i = s;; i += step) {
            if (!crosses && i == c) break;
            const bool extending = crosses && sign(i - a) != sign(s - a);
            visit(i, extending || (crosses && i == a));
            if (i == c) break;
        }
    }
    FShiftCol = Column;
    if (sel) sel->SetSelectionType(Count() > 0 ? gstColumns : gstNon);
}

void TDBGridEhSelectionCols::Refresh() {
    if (!FGrid) return;
    for (int i = Count() - 1; i >= 0; --i)
        if (Columns(i)->Collection() != FGrid->Columns()) Delete(i);
    Sort([](void* A, void* B) {
        return static_cast<TColumnEh*>(A)->Index() - static_cast<TColumnEh*>(B)->Index();
    });
}

TGridRect TDBGridEhSelectionCols::SelectionToGridRect() {
    if (!FGrid || Count() == 0) return kNoRect;
    int lo = INT_MAX, hi = -1;
    for (int i = 0; i < Count(); ++i) {
        lo = std::min(lo, Columns(i)->Index());
        hi = std::max(hi, Columns(i)->Index());
    }
    const int io = FGrid->IndicatorOffset();
    return TGridRect{lo + io, 0, hi + io, FGrid->RowCount()};
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhSelection

TDBGridEhSelection::TDBGridEhSelection(TCustomDBGridEh* AGrid)
    : FColumns(std::make_unique<TDBGridEhSelectionCols>(AGrid)), FGrid(AGrid),
      FRect(std::make_unique<TDBGridEhSelectionRect>(AGrid)),
      FBMList(std::make_unique<TBookmarkListEh>(nullptr)) {}

TDBGridEhSelection::~TDBGridEhSelection() = default;

TBookmarkListEh* TDBGridEhSelection::Rows() const {
    return FGrid ? FGrid->SelectedRows() : FBMList.get();
}

void TDBGridEhSelection::NotifyChanged() {
    if (FGrid) FGrid->SelectionChanged();
}

void TDBGridEhSelection::SetSelectionType(TDBGridEhSelectionType Value) {
    if (FSelectionType == Value) return;
    FSelectionType = Value;
    if (FGrid) {
        FGrid->SelectionChanged();
        FGrid->InvalidateEditor();
    }
}

void TDBGridEhSelection::Clear() {
    const TDBGridEhSelectionType old = FSelectionType;
    // The in-place editor comes back afterwards whether or not clearing succeeds.
    struct Reshow {
        TCustomDBGridEh* g;
        ~Reshow() {
            if (g && g->Options().Contains(dgAlwaysShowEditor) && g->IsEditorAlwaysShown()) try {
                    g->ShowEditor();
                } catch (...) {
                }
        }
    } reshow{FGrid};
    FSelectionType = gstNon;
    switch (old) {
    case gstRecordBookmarks:
        Rows()->Clear();
        break;
    case gstRectangle:
        FRect->Clear();
        break;
    case gstColumns:
        FColumns->Clear();
        break;
    case gstAll:
        if (FGrid) {
            FGrid->SelectionChanged();
            FGrid->Invalidate();
        }
        break;
    case gstNon:
        break;
    }
}

void TDBGridEhSelection::SelectAll() {
    if (FSelectionType == gstAll) return;
    if (FSelectionType != gstNon) Clear();
    FSelectionType = gstAll;
    if (FGrid) {
        FGrid->Invalidate();
        FGrid->SelectionChanged();
    }
}

void TDBGridEhSelection::UpdateState() {
    if ((FSelectionType == gstRecordBookmarks && Rows()->Count() == 0) ||
        (FSelectionType == gstColumns && FColumns->Count() == 0)) {
        SetSelectionType(gstNon);
        if (FGrid) FGrid->Invalidate();
    }
}

void TDBGridEhSelection::Refresh() {
    if (FSelectionType == gstRecordBookmarks) Rows()->Refresh();
    FColumns->Refresh();
    UpdateState();
}

void TDBGridEhSelection::ResetForLink(bool Active) {
    Rows()->ResetForLink(Active);
    Clear();
}

bool TDBGridEhSelection::DataCellSelected(int ColumnIndex, const TBookmark& Bookmark) {
    switch (FSelectionType) {
    case gstRecordBookmarks: {
        int index = 0;
        return Rows()->Find(Bookmark, index);
    }
    case gstRectangle:
        return ColumnIndex >= 0 && FRect->DataCellSelected(ColumnIndex, Bookmark);
    case gstColumns:
        return ColumnIndex >= 0 && FGrid && ColumnIndex < FGrid->Columns()->Count() &&
               FColumns->IndexOf(FGrid->Columns()->Columns(ColumnIndex)) >= 0;
    case gstAll:
        return true;
    case gstNon:
        return false;
    }
    return false;
}

TGridRect TDBGridEhSelection::SelectionToGridRect() {
    switch (FSelectionType) {
    case gstRecordBookmarks:
        return Rows()->SelectionToGridRect();
    case gstRectangle:
        return FRect->SelectionToGridRect();
    case gstColumns:
        return FColumns->SelectionToGridRect();
    case gstAll:
        return FGrid ? TGridRect{0, 0, FGrid->ColCount(), FGrid->RowCount()} : kNoRect;
    case gstNon:
        break;
    }
    return kNoRect;
}

void TDBGridEhSelection::Assign(TDBGridEhSelection* Source) {
    if (Source->FSelectionType != FSelectionType) Clear();
    switch (Source->FSelectionType) {
    case gstRecordBookmarks:
        Rows()->Assign(Source->Rows());
        break;
    case gstRectangle:
        FRect->Assign(Source->FRect.get());
        break;
    case gstColumns:
        FColumns->Clear();
        for (int i = 0; i < Source->FColumns->Count(); ++i)
            FColumns->Add(Source->FColumns->Columns(i));
        break;
    case gstAll:
        SelectAll();
        break;
    case gstNon:
        break;
    }
    FSelectionType = Source->FSelectionType;
}

void TDBGridEhSelection::AssignAsBaseRef(TDBGridEhSelection* Source) {
    if (Source->FSelectionType == gstRecordBookmarks) {
        if (FSelectionType != gstRecordBookmarks) Clear();
        Rows()->AssignAsBaseRef(Source->Rows());
        FSelectionType = gstRecordBookmarks;
        return;
    }
    // Rectangle corners are copied as Assign does.
    Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// Grid operations

void TCustomDBGridEh::TSelectionDeleter::operator()(TDBGridEhSelection* P) const {
    delete P;
}
void TCustomDBGridEh::TSelectionDeleter::operator()(TBookmarkListEh* P) const {
    delete P;
}

TBookmarkListEh* TCustomDBGridEh::SelectedRows() {
    if (!FBookmarks) FBookmarks.reset(new TBookmarkListEh(this));
    return FBookmarks.get();
}

TDBGridEhSelection* TCustomDBGridEh::Selection() {
    if (!FSelection) {
        SelectedRows();
        FSelection.reset(new TDBGridEhSelection(this));
    }
    return FSelection.get();
}

void TCustomDBGridEh::SelectionChanged() {
    if (ComponentState().Contains(csDestroying)) return;
    if (FVertScrollBarPanelControl && FVertScrollBarPanelControl->Visible())
        FVertScrollBarPanelControl->GridSelectionChanged();
    if (FHorzScrollBarPanelControl && FHorzScrollBarPanelControl->Visible())
        FHorzScrollBarPanelControl->GridSelectionChanged();
    if (OnSelectionChanged) OnSelectionChanged(this);
}

void TCustomDBGridEh::SelectionLinkActiveChanged(bool Active) {
    if (FSelection)
        FSelection->ResetForLink(Active);
    else
        SelectedRows()->ResetForLink(Active);
}

bool TCustomDBGridEh::IsSelectionTypeAllowed(TDBGridEhSelectionType SelType) {
    if (SelType == gstNon) return true;
    if (!FOptions.Contains(dgMultiSelect) || !FAllowedSelections.Contains(SelType)) return false;
    if (SelType == gstRecordBookmarks || SelType == gstAll) return true;
    return !FOptions.Contains(dgRowSelect);
}

void TCustomDBGridEh::ClearSelection() {
    if (FOptions.Contains(dgMultiSelect)) SelectedRows()->Clear();
    FSelecting = false;
    if (Selection()->SelectionType() != gstNon) {
        Selection()->Clear();
        Invalidate();
        InvalidateEditor();
    }
}

void TCustomDBGridEh::ClearSelectionOnMove() {
    if (FOptionsEh.Contains(dghClearSelection)) ClearSelection();
    FSelecting = false;
}

void TCustomDBGridEh::MoveAndSelect(bool Select, int Distance, bool RowSelection, bool ToEnd) {
    TDataSet* ds = GridDataSet(this);
    if (RowSelection || FOptions.Contains(dgRowSelect)) {
        Select = Select && IsSelectionTypeAllowed(gstRecordBookmarks);
        LockUpdate();
        struct Unlock {
            TCustomDBGridEh* g;
            ~Unlock() {
                g->UnlockUpdate();
                if (g->UpdateLock() == 0) g->UpdateVertScrollBar();
            }
        } unlock{this};
        TBookmarkListEh* rows = SelectedRows();
        auto mark = [&](bool on) {
            rows->SetCurrentRowSelected(
                FAntiSelection ? (on ? !FSelectionAnchorSelected : FSelectionAnchorSelected) : on);
        };
        while (Distance != 0) {
            bool markReached = false;
            if (FOptions.Contains(dgMultiSelect) && DataLink()->Active()) {
                if (!Select) {
                    ClearSelectionOnMove();
                } else if (!FSelecting) {
                    FSelectionAnchor = ds->Bookmark();
                    FSelectionAnchorSelected = rows->CurrentRowSelected();
                    mark(true);
                    FSelecting = true;
                    markReached = true;
                } else {
                    const int cmp = CompareRecordBookmarks(ds, ds->Bookmark(), FSelectionAnchor);
                    const int step = Distance > 0 ? 1 : -1;
                    const int cmpSign = (cmp > 0) - (cmp < 0);
                    if (step == -cmpSign) {
                        mark(false);
                    } else {
                        markReached = true;
                    }
                }
            }
            if (MoveBy(Distance > 0 ? 1 : -1) == 0) break;
            if (markReached) mark(true);
            if (!ToEnd) Distance += Distance > 0 ? -1 : 1;
        }
        return;
    }
    if (Select && IsSelectionTypeAllowed(gstRectangle) && ds && DataLink()->Active()) {
        LockUpdate();
        struct Unlock {
            TCustomDBGridEh* g;
            ~Unlock() {
                g->UnlockUpdate();
                if (g->UpdateLock() == 0) g->UpdateVertScrollBar();
            }
        } unlock{this};
        TDBGridEhSelection* sel = Selection();
        const int col = SelectedIndex();
        if (sel->SelectionType() != gstRectangle) {
            sel->Clear();
            sel->Rect()->Select(col, ds->Bookmark(), false);
        }
        if (ToEnd) {
            if (Distance == 1)
                ds->Last();
            else
                ds->First();
        } else {
            MoveBy(Distance);
        }
        sel->Rect()->Select(col, ds->Bookmark(), true);
        return;
    }
    if (!ds) return;
    if (ToEnd) {
        if (Distance == 1)
            ds->Last();
        else
            ds->First();
    } else {
        MoveBy(Distance);
    }
    if (UpdateLock() == 0) UpdateVertScrollBar();
}

TRect TCustomDBGridEh::DataRect() {
    const TGridRect b = DataBox();
    return BoxRect(b.Left, b.Top, b.Right, b.Bottom);
}

TGridRect TCustomDBGridEh::DataBox() {
    return TGridRect{IndicatorOffset(), TopDataOffset(), ColCount() - 1, RowCount() - 1};
}

void TCustomDBGridEh::TrackMouseSelection() {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    const TRect data = DataRect();
    if (FDBGridEhState == dgsColSelecting) {
        const int last = ColCount() - 1;
        if (p.X >= data.Right) {
            const int distance = p.X - data.Right;
            const int lastVisible = std::min(last, LeftCol() + VisibleColCount() - 1);
            int target = lastVisible;
            if (lastVisible < last) {
                SetLeftCol(LeftCol() + 1);
                target = std::min(last, LeftCol() + VisibleColCount());
            }
            if (TColumnEh* c = DataColumn(target - IndicatorOffset()); c && c->Visible())
                Selection()->Columns()->SelectShift(c);
            StartTimer(std::max(0, 200 - 10 * distance));
        } else if (p.X < data.Left) {
            const int distance = data.Left - p.X;
            if (LeftCol() > FixedCols()) {
                SetLeftCol(LeftCol() - 1);
                const int target = LeftCol() > FixedCols() ? LeftCol() - 1 : LeftCol();
                if (TColumnEh* c = DataColumn(target - IndicatorOffset()); c && c->Visible())
                    Selection()->Columns()->SelectShift(c);
            }
            StartTimer(std::max(0, 200 - 10 * distance));
        }
        return;
    }
    int vdir = 0, vdist = 0, hdir = 0, hdist = 0;
    if (p.Y < data.Top) {
        vdir = -1;
        vdist = data.Top - p.Y;
    } else if (p.Y >= data.Bottom) {
        vdir = 1;
        vdist = p.Y - data.Bottom + 1;
    }
    if (p.X < data.Left) {
        hdir = -1;
        hdist = data.Left - p.X;
    } else if (p.X >= data.Right) {
        hdir = 1;
        hdist = p.X - data.Right + 1;
    }
    if (UseRightToLeftAlignment()) hdir = -hdir;
    const int d = std::max(vdist, hdist);
    const int step = std::min(d / 6, 8);
    if (vdir == 0 && hdir == 0) {
        StopTimer();
        return;
    }
    LockUpdate();
    {
        struct Unlock {
            TCustomDBGridEh* g;
            ~Unlock() { g->UnlockUpdate(); }
        } unlock{this};
        TDataSet* ds = GridDataSet(this);
        if (vdir != 0 && FDBGridEhState != dgsRectSelecting)
            MoveAndSelect(GetKeyState(VK_LBUTTON) < 0, vdir * step, true, false);
        if (hdir != 0) {
            if (FDataTracking) {
                if (hdir > 0 && LeftCol() + VisibleColCount() < ColCount())
                    SetLeftCol(LeftCol() + 1);
                else if (hdir < 0 && LeftCol() > FixedCols())
                    SetLeftCol(LeftCol() - 1);
            }
            if (FDBGridEhState != dgsRowSelecting) {
                // Hidden columns' cells are stepped over.
                int next = Col() + hdir;
                while (next >= IndicatorOffset() && next < ColCount() && ColWidths(next) <= 0)
                    next += hdir;
                if (next >= IndicatorOffset() && next < ColCount()) SetCol(next);
            }
        }
        if (FDBGridEhState == dgsRectSelecting && ds) {
            if (vdir != 0) MoveBy(vdir * step);
            const int col = LeftCol() <= FixedCols() && hdir < 0 ? 0 : SelectedIndex();
            Selection()->Rect()->Select(col, ds->Bookmark(), true);
        }
    }
    UpdateVertScrollBar();
    StartTimer(std::max(0, 200 - 15 * d));
}

// ---------------------------------------------------------------------------------------------
// Edit actions

bool TCustomDBGridEh::CheckCopyAction() {
    return DataLink()->Active();
}

bool TCustomDBGridEh::CheckPasteAction() {
    TDataSet* ds = GridDataSet(this);
    if (!DataLink()->Active() || ReadOnly() || !ds || !ds->CanModify()) return false;
    if (!Clipboard()->HasFormat(VCLDBIFClipboardFormat()) && !Clipboard()->HasFormat(CF_TEXT)) return false;
    return ds->State() == dsInsert || AllowedOperations().Contains(alopUpdateEh);
}

bool TCustomDBGridEh::CheckCutAction() {
    return CheckCopyAction() && CheckDeleteAction();
}

bool TCustomDBGridEh::CheckSelectAllAction() {
    TDataSet* ds = GridDataSet(this);
    return DataLink()->Active() && ds && !ds->IsEmpty() && IsSelectionTypeAllowed(gstAll);
}

bool TCustomDBGridEh::CheckDeleteAction() {
    TDataSet* ds = GridDataSet(this);
    if (!DataLink()->Active() || ReadOnly() || !ds || ds->IsEmpty() || !ds->CanModify()) return false;
    const TDBGridEhSelectionType kind = Selection()->SelectionType();
    if (kind == gstRecordBookmarks || kind == gstAll) return AllowedOperations().Contains(alopDeleteEh);
    if (kind == gstRectangle || kind == gstColumns) return AllowedOperations().Contains(alopUpdateEh);
    return false;
}

namespace {
// The grid edit action a standard edit action stands for.
bool GridEditActionOf(TBasicAction* Action, TDBGridEhEditAction& Kind) {
    if (dynamic_cast<TEditCopy*>(Action))
        Kind = geaCopyEh;
    else if (dynamic_cast<TEditPaste*>(Action))
        Kind = geaPasteEh;
    else if (dynamic_cast<TEditCut*>(Action))
        Kind = geaCutEh;
    else if (dynamic_cast<TEditSelectAll*>(Action))
        Kind = geaSelectAllEh;
    else if (dynamic_cast<TEditDelete*>(Action))
        Kind = geaDeleteEh;
    else
        return false;
    return true;
}
} // namespace

bool TCustomDBGridEh::ExecuteAction(TBasicAction* Action) {
    if (DataLink() && DataLink()->ExecuteAction(Action)) return true;
    if (!Focused()) return false;
    TDBGridEhEditAction kind;
    if (!GridEditActionOf(Action, kind) || !EditActionAllowed(kind)) return false;
    RunEditAction(kind);
    return true;
}

bool TCustomDBGridEh::UpdateAction(TBasicAction* Action) {
    if (DataLink() && DataLink()->UpdateAction(Action)) return true;
    if (!Focused()) return false;
    auto* a = dynamic_cast<TCustomAction*>(Action);
    TDBGridEhEditAction kind;
    if (!a || !GridEditActionOf(Action, kind) || !FEditActions.Contains(kind)) return false;
    a->SetEnabled(EditActionAllowed(kind));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Delete and clear

void DeleteGridSelection(TCustomDBGridEh* Grid, bool WholeGrid) {
    TDataSet* ds = GridDataSet(Grid);
    TDBGridEhSelection* sel = Grid->Selection();
    const TDBGridEhSelectionType kind = WholeGrid ? gstAll : sel->SelectionType();
    if (kind == gstNon || !ds) return;

    if (Grid->Options().Contains(dgConfirmDelete)) {
        String text;
        if (kind == gstRecordBookmarks) {
            const int n = sel->Rows()->Count();
            text = n == 1 ? QStringLiteral("Delete record?")
                          : Format(QStringLiteral("Удалить %d выбранных записей?"), {n});
        } else if (kind == gstAll) {
            text = QStringLiteral("Удалить все записи?");
        } else if (kind == gstRectangle) {
            text = QStringLiteral("Очистить выделенные ячейки?");
        }
        if (!text.isEmpty() && MessageDlg(text, mtConfirmation, mbOKCancel) == mrCancel) return;
    }

    Grid->SaveBookmark();
    ds->DisableControls();
    struct Enable {
        TDataSet* d;
        ~Enable() { d->EnableControls(); }
    } enable{ds};

    switch (kind) {
    case gstRecordBookmarks: {
        // The list changes while records go: work on a copy, last record first.
        std::vector<TBookmark> marks;
        for (int i = 0; i < sel->Rows()->Count(); ++i)
            marks.push_back(sel->Rows()->Items(i));
        for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
            if (!ds->BookmarkValid(*it)) continue;
            ds->GotoBookmark(*it);
            ds->Delete();
        }
        Grid->ClearSelection();
        break;
    }
    case gstRectangle: {
        TDBGridEhSelectionRect* r = sel->Rect();
        const int left = r->LeftCol(), right = r->RightCol();
        const TBookmark top = r->TopRow(), bottom = r->BottomRow();
        ds->GotoBookmark(top);
        while (!ds->Eof()) {
            for (int c = left; c <= right; ++c)
                if (TColumnEh* col = Grid->DataColumn(c); col && col->Visible()) ClearColumnValue(col);
            if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
            if (CompareRecordBookmarks(ds, ds->Bookmark(), bottom) == 0) break;
            ds->Next();
        }
        Grid->RestoreBookmark();
        break;
    }
    case gstColumns: {
        TDBGridEhSelectionCols* cols = sel->Columns();
        ds->First();
        while (!ds->Eof()) {
            for (int i = 0; i < cols->Count(); ++i)
                ClearColumnValue(cols->Columns(i));
            if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
            ds->Next();
        }
        Grid->RestoreBookmark();
        break;
    }
    case gstAll:
        ds->First();
        while (!ds->IsEmpty())
            ds->Delete();
        break;
    case gstNon:
        break;
    }
}
