// The data grid's model: option sets and their side effects on the base grid, owned objects,
// the shared style and the appearance parameters.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSearch.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QScopeGuard>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Style

TDBGridEhStyle& TCustomDBGridEh::PaintStyle() const {
    if (FStyle) return *FStyle;
    if (TDBGridEhStyle* d = DefaultGridStyle()) return *d;
    return FallbackGridStyle();
}

void TDBGridEhIndicatorTitle::SetShowDropDownSign(bool v) {
    if (FShowDropDownSign == v) return;
    FShowDropDownSign = v;
    FGrid->InvalidateCell(0, 0);
}

void TDBGridEhIndicatorTitle::SetDown(bool v) {
    if (FDown == v) return;
    FDown = v;
    FGrid->InvalidateCell(0, 0);
}

// ---------------------------------------------------------------------------------------------
// The grid: construction and options

TCustomDBGridEh::TCustomDBGridEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {
    FTryUseMemTableInt = true;
    FSortMarkedColumns = std::make_unique<TColumnsEhList>();
    FVisibleColumns = std::make_unique<TColumnsEhList>();
    FTitleParams = std::make_unique<TDBGridTitleParamsEh>(this);
    FIndicatorParams = std::make_unique<TDBGridIndicatorParamsEh>(this);
    FFooterParams = std::make_unique<TDBGridFooterParamsEh>(this);
    FIndicatorTitle = std::make_unique<TDBGridEhIndicatorTitle>(this);
    FEmptyDataInfo = std::make_unique<TGridEmptyDataInfoEh>(this);
    FHeadTree.reset(THeadTreeNode::CreateText(QStringLiteral("Root"), 10, 0));
    FTreeViewParams = std::make_unique<TGridTreeViewParamsEh>(this);
    CreateOwnedParts();
    CreateScrollBarPanels();
    CreateSearchParts();
    CreateRowPanelParts();
    InstallIndicatorMenuHooks();
}

void TCustomDBGridEh::AfterConstruction() {
    // The scroll bars stand before the axis grid's first layout reads them.
    CreateScrollBars();
    // The axis grid makes the columns, defaults and data link through the factories here.
    TCustomDBAxisGridEh::AfterConstruction();
    SetStyle(DefaultGridStyle());
    DesignOptionsBoost = TGridOptions{goColSizing};
    // The vertical bar is the grid's own: it follows records, not pixels.
    TCustomGridEh::SetScrollBars(ssHorizontal);
    TCustomGridEh::SetOptions(
        TGridOptions{goColSizing, goColMoving, goEditing, goTabs, goThumbTracking, goExtendVertLines});
    SetSaveCellExtents(false);
    FontChangedHere();
    SetOptions(FOptions);
    SetText(String());
}

TCustomDBGridEh::~TCustomDBGridEh() {
    FDestroying = true;
    DestroyFilterParts();
    FreeSearchParts();
    if (FRegisteredMemTable) FRegisteredMemTable->UnregisterEventReceiver(this);
    FRegisteredMemTable = nullptr;
    if (FIntMemTableComponent) FIntMemTableComponent->RemoveFreeNotification(this);
    FIntMemTableComponent = nullptr;
    if (DataLink()) DataLink()->SetDataSource(nullptr);
    FIntMemTable = nullptr;
    if (FStyle) FStyle->RemoveChangeNotification(this);
    FStyle = nullptr;
    // Grouping holds references to the columns: it goes first.
    FDataGrouping.reset();
    FCurGroupDataNode = nullptr;
    // The columns go while this grid is still whole; they stop reporting to it first.
    FSortMarkedColumns->Clear();
    FVisibleColumns->Clear();
    FVisibleAxisBars->Clear();
    if (TDBGridColumnsEh* cols = Columns()) cols->DetachGrid();
    FAxisBars.reset();
    FSTFilter.reset();
    FSumList.reset();
}

TGridAxisBarsEh* TCustomDBGridEh::CreateAxisBars() {
    return new TDBGridColumnsEh(this, CollectionItemClassOf<TDBGridColumnEh>());
}

TAxisBarDefValuesEh* TCustomDBGridEh::CreateAxisBarDefValues() {
    return Create<TColumnDefValuesEh>(this);
}

TAxisGridDataLinkEh* TCustomDBGridEh::CreateDataLink() {
    return new TGridDataLinkEh(this);
}

void TCustomDBGridEh::SetStyle(TDBGridEhStyle* Value) {
    if (!Value) Value = DefaultGridStyle();
    if (FStyle == Value) return;
    if (FStyle) FStyle->RemoveChangeNotification(this);
    FStyle = Value;
    if (FStyle) FStyle->AddChangeNotification(this);
    StyleChanged();
}

void TCustomDBGridEh::StyleChanged() {
    InvalidateGrid();
}

void TCustomDBGridEh::SetOptions(TDBGridOptions Value) {
    TGridOptions base = TCustomGridEh::Options();
    auto put = [&](TGridOption o, bool on) {
        if (on)
            base += o;
        else
            base -= o;
    };
    put(goThumbTracking, true);
    put(goRowSizing, FRowSizingAllowed);
    put(goExtendVertLines, FOptionsEh.Contains(dghExtendVertLines));
    put(goTabs, Value.Contains(dgTabs));
    // dgRowSelect shows the whole row as selected: no editor, no cell-by-cell movement.
    put(goRowSelect, Value.Contains(dgRowSelect));
    if (Value.Contains(dgRowSelect)) {
        Value -= dgAlwaysShowEditor;
        Value -= dgEditing;
    }
    put(goEditing, Value.Contains(dgEditing));
    put(goAlwaysShowEditor, Value.Contains(dgAlwaysShowEditor));
    // The base grid measures its lines from these.
    put(goFixedVertLine, Value.Contains(dgColLines));
    put(goVertLine, Value.Contains(dgColLines));
    put(goFixedHorzLine, Value.Contains(dgRowLines));
    put(goHorzLine, Value.Contains(dgRowLines));
    put(goRangeSelect, false);
    TCustomGridEh::SetOptions(base);
    // Without multi-select no selection can be made or kept.
    if (FOptions.Contains(dgMultiSelect) && !Value.Contains(dgMultiSelect)) ClearSelection();
    if (!ComponentState().Contains(csLoading)) {
        SyncColumnResizeMoveOptions(Value, FOptionsEh);
        // Sizing and moving follow the resize flags as the sync left them, not as they were.
        TGridOptions synced = TCustomGridEh::Options();
        if (FOptionsEh.Contains(dghColumnResize))
            synced += goColSizing;
        else
            synced -= goColSizing;
        if (FOptionsEh.Contains(dghColumnMove))
            synced += goColMoving;
        else
            synced -= goColMoving;
        TCustomGridEh::SetOptions(synced);
    }
    const TDBGridOptions changed = (FOptions - Value) + (Value - FOptions);
    FOptions = Value;
    if (FOptions.Contains(dgIndicator))
        FIndicatorOptions += gioShowRowIndicatorEh;
    else
        FIndicatorOptions -= gioShowRowIndicatorEh;
    // The row line is part of the standard row height: the data rows fitted below see the new
    // one, also when the rebuild waits for a layout lock to end.
    if (changed.Contains(dgRowLines) && !ComponentState().Contains(csLoading)) UpdateStdDefaultRowHeight();
    const TDBGridOptions layout{dgEditing,  dgAlwaysShowEditor, dgTitles,    dgIndicator,
                                dgColLines, dgRowLines,         dgRowSelect, dgAlwaysShowSelection};
    if (!(changed * layout).Empty()) LayoutChanged();
    // Rows fitted to their text measure their lines too.
    if (changed.Contains(dgRowLines)) UpdateAllDataRowHeights();
    if (EditorMode()) InvalidateEditor();
}

void TCustomDBGridEh::SyncColumnResizeMoveOptions(TDBGridOptions NewOptions, TDBGridEhOptions NewOptionsEh) {
    const TDBGridEhOptions both{dghColumnResize, dghColumnMove};
    const bool bothNew = NewOptionsEh.Contains(dghColumnResize) && NewOptionsEh.Contains(dghColumnMove);
    const bool bothOld = FOptionsEh.Contains(dghColumnResize) && FOptionsEh.Contains(dghColumnMove);
    if (NewOptions.Contains(dgColumnResize) && !FOptions.Contains(dgColumnResize)) {
        FOptionsEh += both;
    } else if (!NewOptions.Contains(dgColumnResize) && FOptions.Contains(dgColumnResize)) {
        FOptionsEh -= both;
    } else if (bothNew && !bothOld) {
        FOptions += dgColumnResize;
    } else if (!bothNew && bothOld) {
        FOptions -= dgColumnResize;
    }
    if (NewOptions == FOptions && FOptions.Contains(dgColumnResize) && NewOptionsEh == FOptionsEh) {
        FOptionsEh += both;
        NewOptionsEh += both;
    }
    TGridOptions base = TCustomGridEh::Options();
    if (NewOptionsEh.Contains(dghColumnResize))
        base += goColSizing;
    else
        base -= goColSizing;
    if (NewOptionsEh.Contains(dghColumnMove))
        base += goColMoving;
    else
        base -= goColMoving;
    TCustomGridEh::SetOptions(base);
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions Value) {
    if (FOptionsEh.Contains(dghMultiSortMarking) && !Value.Contains(dghMultiSortMarking)) {
        // Only the first marker of the sort order stays.
        for (int i = FSortMarkedColumns->Count() - 1; i >= 1; --i)
            if (TColumnEh* c = FSortMarkedColumns->Columns(i)) c->Title()->SetSortMarker(smNoneEh);
    }
    const bool loading = ComponentState().Contains(csLoading);
    if (!loading) SyncColumnResizeMoveOptions(FOptions, Value);
    const TDBGridEhOptions old = FOptionsEh;
    FOptionsEh = Value;
    if (FOptionsEh.Contains(dghShowRecNo))
        FIndicatorOptions += gioShowRecNoEh;
    else
        FIndicatorOptions -= gioShowRecNoEh;
    const bool extOff = old.Contains(dghExtendVertLines) && !Value.Contains(dghExtendVertLines);
    const bool extOn = !old.Contains(dghExtendVertLines) && Value.Contains(dghExtendVertLines);
    TDBGridLineParamsEh* lines = GridLineParams();
    if (!loading) {
        if (extOff && lines->VertEmptySpaceStyle() != dessNonEh)
            lines->SetVertEmptySpaceStyle(dessNonEh);
        else if (extOn && lines->VertEmptySpaceStyle() == dessNonEh)
            lines->SetVertEmptySpaceStyle(dessGradiendEh);
    } else if (extOff && lines->VertEmptySpaceStyle() == dessGradiendEh) {
        lines->SetVertEmptySpaceStyle(dessNonEh);
    }
    // The line parameters may have edited the option on the way: the caller's value holds.
    FOptionsEh = Value;
    if (old.Contains(dghAutoFitRowHeight) != Value.Contains(dghAutoFitRowHeight)) UpdateAllDataRowHeights();
    TGridOptions base = TCustomGridEh::Options();
    if (Value.Contains(dghExtendVertLines))
        base += goExtendVertLines;
    else
        base -= goExtendVertLines;
    TCustomGridEh::SetOptions(base);
    LayoutChanged();
}

void TCustomDBGridEh::SetIndicatorOptions(TDBGridEhIndicatorOptions Value) {
    if (FIndicatorOptions == Value) return;
    FIndicatorOptions = Value;
    if (Value.Contains(gioShowRowIndicatorEh))
        FOptions += dgIndicator;
    else
        FOptions -= dgIndicator;
    if (Value.Contains(gioShowRecNoEh))
        FOptionsEh += dghShowRecNo;
    else
        FOptionsEh -= dghShowRecNo;
    CheckIndicatorColWidthChanged();
    LayoutChanged();
}

void TCustomDBGridEh::SetEvenRowColor(TColor Value) {
    const TColor old = EvenRowColor();
    FEvenRowColorStored = true;
    FEvenRowColor = Value;
    if (old != Value) InvalidateGrid();
}

void TCustomDBGridEh::SetOddRowColor(TColor Value) {
    const TColor old = OddRowColor();
    FOddRowColorStored = true;
    FOddRowColor = Value;
    if (old != Value) InvalidateGrid();
}

void TCustomDBGridEh::SetTryUseMemTableInt(bool Value) {
    if (TryUseMemTableInt() == Value) return;
    TCustomDBAxisGridEh::SetTryUseMemTableInt(Value);
    LayoutChanged();
}

void TCustomDBGridEh::FontChangedHere() {
    // The standard row height: "Wg" in the grid's font, 3 pixels of air (1 when flat), and the
    // line between rows.
    QFontMetrics fm(Font()->ToQFont());
    FStdDefaultRowHeight =
        fm.height() + (Flat() ? 1 : 3) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
    // Title, footer and empty-data fonts that follow the grid's font.
    if (FTitleParams) FTitleParams->RefreshParentFont();
    if (FFooterParams) FFooterParams->RefreshParentFont();
    if (FEmptyDataInfo) FEmptyDataInfo->RefreshDefaultFont();
}

void TCustomDBGridEh::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove) SearchNotification(AComponent);
    if (Operation == opRemove && AComponent && AComponent == FIntMemTableComponent) {
        // The table goes away before the link notices: drop the interface now.
        FRegisteredMemTable = nullptr;
        FIntMemTable = nullptr;
        FIntMemTableComponent = nullptr;
    }
    if (FTitleParams) FTitleParams->Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent) ScrollBarNotification(AComponent);
    TCustomDBAxisGridEh::Notification(AComponent, Operation);
    if (Operation != opRemove || FDestroying) return;
    if (auto* ds = dynamic_cast<TDataSet*>(AComponent)) {
        UpdateMemTableInterface();
        if (FSumList && FSumList->DataSet() == ds) {
            FSumList->SetDataSet(nullptr);
            if (UsesMemTable()) RecalcDataRowCount();
        }
        RequestLayoutUpdate();
    }
}

void TCustomDBGridEh::SetSelectedIndex(int Value) {
    if (RowPanelMode()) {
        if (TColumnEh* c = DataColumn(Value); c && c->Visible()) SelectDataColumn(Value, 0, false);
        return;
    }
    // A hidden column's cell has no width: the current cell cannot stand on it.
    const int c = Value + FIndicatorOffset;
    if (c >= FIndicatorOffset && c < ColCount() && DataColumn(Value)->Visible()) SetCol(c);
}

TColumnEh* TCustomDBGridEh::SelectedColumn() {
    return DataColumn(SelectedIndex());
}

TAxisBarEh* TCustomDBGridEh::SelectedAxisBar() {
    return SelectedColumn();
}

TCellAreaTypeEh TCustomDBGridEh::GetCellType(int ACol, int ARow, int& AreaCol, int& AreaRow) const {
    AreaCol = ACol - FIndicatorOffset;
    AreaRow = ARow - TopDataOffset();
    if (ACol < 0 || ARow < 0 || ACol >= GetFullColCount() || ARow >= RowCount()) return catOutsideEh;
    if (AreaCol < 0) return catIndicatorEh;
    if (AreaRow < 0) return catTitleEh;
    return catDataEh;
}

// ---------------------------------------------------------------------------------------------
// Layout

bool TCustomDBGridEh::IsIndicatorVisible() {
    return FOptions.Contains(dgIndicator) || FOptionsEh.Contains(dghShowRecNo) ||
           FIndicatorOptions.Contains(gioShowRowselCheckboxesEh);
}

int TCustomDBGridEh::CalcIndicatorColWidth() {
    int w = FOptions.Contains(dgIndicator) ? 11 : 0;
    TFont f;
    f.Assign(Font());
    f.SetSize(f.Size() - 1);
    const QFontMetrics fm(f.ToQFont());
    TDataSet* ds = DataLink()->DataSet();
    if (FOptionsEh.Contains(dghShowRecNo) && ds) {
        // Room for the widest record number in a font one point smaller.
        const int n = DataLink()->Active() && ds->Active() ? std::max(0, ds->RecordCount()) : 0;
        const int digits = std::min(102, int(QString::number(n).size()));
        const int sample = fm.horizontalAdvance(QString(digits, QLatin1Char('0')));
        w = std::max(11, sample + (w ? w : 2) + 2);
    }
    if (FIndicatorOptions.Contains(gioShowRowselCheckboxesEh)) {
        FRowselCheckboxesWidth = fm.horizontalAdvance(QLatin1Char('0')) + CheckBoxSize().cx;
        w += FRowselCheckboxesWidth;
    } else {
        FRowselCheckboxesWidth = 0;
    }
    return w;
}

bool TCustomDBGridEh::CheckIndicatorColWidthChanged() {
    const int w = CalcIndicatorColWidth();
    if (w == FRecNoTextWidth) return false;
    FRecNoTextWidth = w;
    FSizeChanged = true;
    return true;
}

void TCustomDBGridEh::LayoutChanged() {
    if (!AxisBars() || FDestroying || ComponentState().Contains(csDestroying)) return;
    RequestLayoutUpdate();
}

void TCustomDBGridEh::RebuildLayout() {
    if (ComponentState().Contains(csLoading) || FDestroying) return;
    // Side margins that change while laying out change the client width the layout was fitted
    // to: one more pass follows, posted, since this one runs inside the caller's layout lock.
    const auto sideIndents = [this] {
        return OutBoundaryData()->LeftIndent() + OutBoundaryData()->RightIndent();
    };
    const int oldIndents = sideIndents();
    const auto relayout = qScopeGuard([&] {
        constexpr UINT WM_DEFERRED_LAYOUT = WM_USER + 100;
        MSG msg{};
        if (sideIndents() != oldIndents && HandleAllocated() &&
            !PeekMessage(&msg, Handle(), WM_DEFERRED_LAYOUT, WM_DEFERRED_LAYOUT, PM_NOREMOVE))
            PostMessage(Handle(), WM_DEFERRED_LAYOUT, 0, 0);
    });
    // Nothing paints a half-built layout; the scroll range is taken again once it is whole, or
    // once it failed.
    LockPaint();
    const auto unlockPaint = qScopeGuard([this] {
        UnlockPaint();
        UpdateScrollRange();
    });
    UpdateScrollBarPanels();
    UpdateMemTableInterface();
    // The columns and the field map first, then the grid's geometry over them.
    TCustomDBAxisGridEh::RebuildLayout();
    // The row panel renumbers the columns by their places before the visible list is taken.
    RowPanelRebuildLayout();
    FVisibleColumns->Clear();
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count(); ++i)
        if (cols->Columns(i)->Visible()) {
            FVisibleColumns->Add(cols->Columns(i));
            FVisibleAxisBars->Add(cols->Columns(i));
        }
    SetSortMarkedColumns();
    FIndicatorOffset = IsIndicatorVisible() ? 1 : 0;
    UpdateStdDefaultRowHeight();
    const int top = TopDataOffset();
    if (RowCount() <= top) SetRowCount(top + 1);
    LayoutFrozenAndContraCols();
    SetFixedRows(top);
    // A rebuild covers a size change that came while the layout was locked.
    FSizeChanged = false;
    // The window's own vertical bar scrolls pixels only in extended scrolling with smooth
    // steps; otherwise the grid feeds its vertical bar itself.
    if (FHorzScrollBar && FVertScrollBar) {
        const bool horz = FHorzScrollBar->Visible() && !FHorzScrollBar->ExtScrollBar();
        const bool vert = FVertScrollBar->Visible() && IsExtendedScrolling() && FVertScrollBar->SmoothStep();
        const TScrollStyle ss = horz && vert ? ssBoth : horz ? ssHorizontal : vert ? ssVertical : ssNone;
        if (!IsScrollRangeUpdating() && ss != ScrollBars()) {
            SetScrollBars(ss);
            if (HandleAllocated()) UpdateVertScrollBar();
        }
    }
    UpdateColumnWidths();
    if (FAutoFitColWidths && !ComponentState().Contains(csDesigning) && HandleAllocated()) {
        UpdateVertScrollBar();
        if (RowPanelMode())
            ScaleRowPanelToClient();
        else
            FitColumnWidthsToClient();
        UpdateColumnWidths();
    }
    UpdateRowHeights();
    UpdateFooterRowHeights();
    FinishLayoutRebuild();
    UpdateHorzExtScrollBar();
    for (TDBGridEhScrollBarPanelControl* pc : {FHorzScrollBarPanelControl, FVertScrollBarPanelControl})
        if (pc && pc->Visible()) pc->DataSetChanged();
}

void TCustomDBGridEh::UpdateColumnWidths() {
    if (FIndicatorOffset && ColCount() > 0) SetColWidths(0, CalcIndicatorColWidth());
    if (RowPanelMode()) {
        // One master cell holds the whole panel.
        if (FIndicatorOffset < ColCount()) SetColWidths(FIndicatorOffset, std::max(1, FGridMasterCellWidth));
        for (int c = FIndicatorOffset + 1; c < GetFullColCount(); ++c)
            SetColWidths(c, FOptions.Contains(dgColLines) ? -1 : 0);
        FLastVisibleCol = std::min(int(FIndicatorOffset), ColCount() - 1);
        return;
    }
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count() && i + FIndicatorOffset < GetFullColCount(); ++i) {
        TColumnEh* c = cols->Columns(i);
        // A hidden column's cell stays in place with no width.
        SetColWidths(i + FIndicatorOffset, ColumnWidthToCellWidth(c, c->Width()));
    }
    FLastVisibleCol = -1;
    for (int c = GetFullColCount() - 1; c >= 0 && FLastVisibleCol < 0; --c)
        if (ColWidths(c) > 0) FLastVisibleCol = c;
}

void TCustomDBGridEh::UpdateRowHeights() {
    if (RowPanelMode() && FGridMasterCellHeight > 0) {
        // Every record and the titles are one master cell high.
        SetDefaultRowHeight(FGridMasterCellHeight);
        FTitleRowHeight = FGridMasterCellHeight;
        if (FOptions.Contains(dgTitles) && RowCount() > 0) SetRowHeights(0, FTitleRowHeight);
        return;
    }
    SetDefaultRowHeight(FStdDefaultRowHeight);
    // The new default dropped the fitted heights: the row count taken next fits them again.
    if (FOptionsEh.Contains(dghAutoFitRowHeight)) FColWidthsChanged = true;
    if (FOptions.Contains(dgTitles)) {
        // As high as the tallest title font needs; a height fixed by TitleHeight or TitleLines
        // gets one pixel more when rows have lines.
        int h = CalcTitleTextHeight();
        if (FTitleParams->RowHeight() > 0 || FTitleParams->RowLines() > 0)
            h = CalcFixedTitleHeight() + (FOptions.Contains(dgRowLines) ? 1 : 0);
        FTitleRowHeight = h;
        SetRowHeights(0, h);
        if (IsUseMultiTitle()) {
            // The title row as high as the tallest stack of bands over a leaf.
            FHeadTree->CreateFieldTree(this);
            h = CalcHeadTreeHeights(FHeadTree.get()) - 1;
            if (!FOptions.Contains(dgRowLines) && FTitleParams->HorzLines()) ++h;
            if (FTitleParams->BorderInFillStyle()) --h;
            if (FTitleParams->RowHeight() <= 0) {
                FTitleRowHeight = std::max(h, 1);
                SetRowHeights(0, FTitleRowHeight);
            }
        }
    }
}

void TCustomDBGridEh::ColWidthsChanged() {
    // Widths the grid sets itself while laying out are the columns' own: only a change made
    // outside a layout goes back into the columns.
    if (FInColWidthsChanged) {
        TCustomDBAxisGridEh::ColWidthsChanged();
        return;
    }
    FSTFilter->BeginUpdate();
    const auto filterRow = qScopeGuard([this] {
        FSTFilter->EndUpdate();
        if (FFilterEditMode) UpdateFilterEdit(false);
    });
    // The master cell's width is the row panel's: it never goes back into a column.
    if (!RowPanelMode() && (DataLink()->Active() || Columns()->State() == csCustomized) &&
        BeginLayoutIfUnlocked()) {
        FInColWidthsChanged = true;
        const auto done = qScopeGuard([this] {
            FInColWidthsChanged = false;
            EndLayout();
        });
        TCustomDBAxisGridEh::ColWidthsChanged();
        TDBGridColumnsEh* cols = Columns();
        const int n = cols->Count();
        for (int i = 0; i < n && i + FIndicatorOffset < GetFullColCount(); ++i) {
            TColumnEh* c = cols->Columns(i);
            if (!c->Visible()) continue;
            const int raw = i + FIndicatorOffset;
            // The limits hold for the column's own part of the first column's cell.
            int w = CellWidthToColumnWidth(c, ColWidths(raw));
            if (c->MaxWidth() > 0) w = std::min(w, c->MaxWidth());
            if (c->MinWidth() > 0) w = std::max(w, c->MinWidth());
            w = ColumnWidthToCellWidth(c, w);
            if (w != ColWidths(raw)) SetColWidths(raw, w);
        }
        for (int i = 0; i < n && i + FIndicatorOffset < GetFullColCount(); ++i) {
            TColumnEh* c = cols->Columns(i);
            if (!c->Visible()) continue;
            const int w = CellWidthToColumnWidth(c, ColWidths(i + FIndicatorOffset));
            if (!FAutoFitColWidths || ComponentState().Contains(csDesigning)) {
                if (w != c->Width()) c->SetWidth(w);
                continue;
            }
            const int old = c->Width();
            if (w == old) continue;
            if (FOptionsEh.Contains(dghResizeWholeRightPart)) {
                ResizeColumnsRightOf(i);
            } else if (c->AutoFitColWidth()) {
                // The next column gives or takes what this one's starting width gained or lost.
                const int oldInit = c->FInitWidth;
                c->FInitWidth = old > 0 ? MulDiv(c->FInitWidth, w, old) : w;
                TColumnEh* next = nullptr;
                for (int k = i + 1; k < n && !next; ++k)
                    if (cols->Columns(k)->Visible()) next = cols->Columns(k);
                if (next) next->FInitWidth = std::max(0, next->FInitWidth + oldInit - c->FInitWidth);
            } else {
                c->SetWidth(w);
            }
        }
    } else {
        TCustomDBAxisGridEh::ColWidthsChanged();
    }
    InvalidateEditor();
    // Row heights that follow wrapped texts change with the widths; without a memory table (or
    // inside a layout) they are fitted when the row count is taken next.
    if (!DataLink()->Active() || !FIntMemTable || !BeginLayoutIfUnlocked()) {
        FColWidthsChanged = true;
    } else {
        const auto done = qScopeGuard([this] { EndLayout(); });
        UpdateAllDataRowHeights();
    }
    if (OnColWidthsChanged) OnColWidthsChanged(this);
    UpdateHorzExtScrollBar();
}

void TCustomDBGridEh::ColumnMoved(int FromIndex, int ToIndex) {
    const int from = FromIndex - FIndicatorOffset, to = ToIndex - FIndicatorOffset;
    if (from >= 0 && to >= 0) {
        TColumnEh* a = DataColumn(from);
        TColumnEh* b = DataColumn(to);
        if (a && b) {
            BeginLayout();
            struct End {
                TCustomDBGridEh* g;
                ~End() noexcept(false) { g->EndLayout(); }
            } end{this};
            a->SetIndex(b->Index());
        }
    }
    TCustomDBAxisGridEh::ColumnMoved(FromIndex, ToIndex);
    if (OnColumnMoved) OnColumnMoved(this, from, to);
}

bool TCustomDBGridEh::CanSelectCell(int ACol, int ARow) {
    const bool can = ACol >= FIndicatorOffset && ARow >= TopDataOffset();
    // The column being left hears of it before the current cell moves, and an edited text goes
    // into its field first: once the cell moved it would be written to the new column.
    if (can && ACol != Col() && Col() >= FIndicatorOffset) {
        if (EditorMode() && DataLink()->IsModified()) DataLink()->UpdateData();
        if (!FInColExit) ColExit();
    }
    return can;
}

void TCustomDBGridEh::CurrentCellMoved(const TGridCoord& OldCurrent) {
    TCustomDBAxisGridEh::CurrentCellMoved(OldCurrent);
    if (OldCurrent.X != Col() && Col() >= FIndicatorOffset) ColEnter();
}
