// The data grid's model: option sets and their side effects on the base grid, owned objects,
// the shared style and the appearance parameters.

#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QFont>
#include <QFontMetrics>

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
    if (FRegisteredMemTable) FRegisteredMemTable->UnregisterEventReceiver(this);
    FRegisteredMemTable = nullptr;
    if (FIntMemTableComponent) FIntMemTableComponent->RemoveFreeNotification(this);
    FIntMemTableComponent = nullptr;
    if (DataLink()) DataLink()->SetDataSource(nullptr);
    FIntMemTable = nullptr;
    if (FStyle) FStyle->RemoveChangeNotification(this);
    FStyle = nullptr;
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
    // dgRowSelect shows the whole row as selected: no editor, no cell-by-cell movement.
    if (Value.Contains(dgRowSelect)) {
        Value -= dgAlwaysShowEditor;
        Value -= dgEditing;
    }
    FOptions = Value;
    TGridOptions base = TCustomGridEh::Options();
    auto put = [&](TGridOption o, bool on) {
        if (on)
            base += o;
        else
            base -= o;
    };
    put(goFixedVertLine, FOptions.Contains(dgColLines));
    put(goVertLine, FOptions.Contains(dgColLines));
    put(goFixedHorzLine, FOptions.Contains(dgRowLines));
    put(goHorzLine, FOptions.Contains(dgRowLines));
    put(goTabs, FOptions.Contains(dgTabs));
    put(goRowSelect, FOptions.Contains(dgRowSelect));
    put(goEditing, FOptions.Contains(dgEditing));
    put(goAlwaysShowEditor, FOptions.Contains(dgAlwaysShowEditor));
    put(goColSizing, FOptions.Contains(dgColumnResize) || FOptionsEh.Contains(dghColumnResize));
    put(goColMoving, FOptionsEh.Contains(dghColumnMove));
    put(goExtendVertLines, FOptionsEh.Contains(dghExtendVertLines));
    put(goRangeSelect, false);
    TCustomGridEh::SetOptions(base);
    FontChangedHere();
    LayoutChanged();
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions Value) {
    FOptionsEh = Value;
    SetOptions(FOptions);
}

void TCustomDBGridEh::SetIndicatorOptions(TDBGridEhIndicatorOptions Value) {
    if (FIndicatorOptions == Value) return;
    FIndicatorOptions = Value;
    LayoutChanged();
}

void TCustomDBGridEh::SetEvenRowColor(TColor Value) {
    FEvenRowColorStored = true;
    FEvenRowColor = Value;
    InvalidateGrid();
}

void TCustomDBGridEh::SetOddRowColor(TColor Value) {
    FOddRowColorStored = true;
    FOddRowColor = Value;
    InvalidateGrid();
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
    const int c = Value + FIndicatorOffset;
    if (c >= FIndicatorOffset && c < ColCount()) SetCol(c);
}

TColumnEh* TCustomDBGridEh::SelectedColumn() {
    return VisibleColumn(SelectedIndex());
}

TCellAreaTypeEh TCustomDBGridEh::GetCellType(int ACol, int ARow, int& AreaCol, int& AreaRow) const {
    AreaCol = ACol - FIndicatorOffset;
    AreaRow = ARow - TopDataOffset();
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return catOutsideEh;
    if (AreaCol < 0) return catIndicatorEh;
    if (AreaRow < 0) return catTitleEh;
    return catDataEh;
}

// ---------------------------------------------------------------------------------------------
// Layout

int TCustomDBGridEh::CalcIndicatorColWidth() {
    int w = IndicatorOffset() ? 11 : 0;
    if (FOptionsEh.Contains(dghShowRecNo) || FIndicatorOptions.Contains(gioShowRecNoEh)) {
        // Room for the widest record number in a font one point smaller.
        int n = 1;
        if (DataLink()->Active()) {
            TDataSet* ds = DataLink()->DataSet();
            n = std::max(1, ds->RecordCount());
        }
        TFont f;
        f.Assign(Font());
        f.SetSize(f.Size() - 1);
        QFontMetrics fm(f.ToQFont());
        FRecNoTextWidth = fm.horizontalAdvance(QString(QString::number(n).size(), QLatin1Char('0'))) + 4;
        w = std::max(w, FRecNoTextWidth + 9);
    }
    return w;
}

void TCustomDBGridEh::LayoutChanged() {
    if (!AxisBars() || FDestroying || ComponentState().Contains(csDestroying)) return;
    RequestLayoutUpdate();
}

void TCustomDBGridEh::RebuildLayout() {
    if (ComponentState().Contains(csLoading) || FDestroying) return;
    UpdateScrollBarPanels();
    UpdateMemTableInterface();
    // The columns and the field map first, then the grid's geometry over them.
    TCustomDBAxisGridEh::RebuildLayout();
    FVisibleColumns->Clear();
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count(); ++i)
        if (cols->Columns(i)->Visible()) {
            FVisibleColumns->Add(cols->Columns(i));
            FVisibleAxisBars->Add(cols->Columns(i));
        }
    SetSortMarkedColumns();
    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    const int dataCols = std::max(1, VisibleColumnCount());
    const int top = TopDataOffset();
    if (RowCount() <= top) SetRowCount(top + 1);
    SetColCount(FIndicatorOffset + dataCols);
    SetFixedCols(FIndicatorOffset);
    SetFixedRows(top);
    UpdateColumnWidths();
    UpdateRowHeights();
    RecalcDataRowCount();
    UpdateHorzExtScrollBar();
    for (TDBGridEhScrollBarPanelControl* pc : {FHorzScrollBarPanelControl, FVertScrollBarPanelControl})
        if (pc && pc->Visible()) pc->DataSetChanged();
    InvalidateGrid();
}

void TCustomDBGridEh::UpdateColumnWidths() {
    if (FIndicatorOffset && ColCount() > 0) SetColWidths(0, CalcIndicatorColWidth());
    const int n = VisibleColumnCount();
    for (int i = 0; i < n && i + FIndicatorOffset < ColCount(); ++i)
        SetColWidths(i + FIndicatorOffset, VisibleColumn(i)->Width());
}

void TCustomDBGridEh::UpdateRowHeights() {
    SetDefaultRowHeight(FStdDefaultRowHeight);
    if (FOptions.Contains(dgTitles)) {
        int h = FTitleParams->RowHeight() > 0 ? FTitleParams->RowHeight() : FStdDefaultRowHeight + 2;
        SetRowHeights(0, h);
        if (IsUseMultiTitle()) {
            // The title row as high as the tallest stack of bands over a leaf.
            FHeadTree->CreateFieldTree(this);
            h = CalcHeadTreeHeights(FHeadTree.get()) - 1;
            if (!FOptions.Contains(dgRowLines) && FTitleParams->HorzLines()) ++h;
            if (FTitleParams->BorderInFillStyle()) --h;
            if (FTitleParams->RowHeight() <= 0) SetRowHeights(0, std::max(h, 1));
        }
    }
}

void TCustomDBGridEh::ColWidthsChanged() {
    // Widths the grid sets itself while laying out are the columns' own: only a change made
    // outside a layout goes back into the columns.
    if (FInColWidthsChanged || !(DataLink()->Active() || Columns()->State() == csCustomized) ||
        !BeginLayoutIfUnlocked()) {
        TCustomDBAxisGridEh::ColWidthsChanged();
        if (!FInColWidthsChanged && OnColWidthsChanged) OnColWidthsChanged(this);
        return;
    }
    FInColWidthsChanged = true;
    struct Done {
        TCustomDBGridEh* g;
        ~Done() noexcept(false) {
            g->FInColWidthsChanged = false;
            g->EndLayout();
        }
    } done{this};
    TCustomDBAxisGridEh::ColWidthsChanged();
    const int n = VisibleColumnCount();
    for (int i = 0; i < n && i + FIndicatorOffset < ColCount(); ++i) {
        TColumnEh* c = VisibleColumn(i);
        int w = ColWidths(i + FIndicatorOffset);
        // The upper limit first, the lower one last, as the column applies them.
        if (c->MaxWidth() > 0) w = std::min(w, c->MaxWidth());
        if (c->MinWidth() > 0) w = std::max(w, c->MinWidth());
        if (w != ColWidths(i + FIndicatorOffset)) SetColWidths(i + FIndicatorOffset, w);
    }
    for (int i = 0; i < n && i + FIndicatorOffset < ColCount(); ++i) {
        TColumnEh* c = VisibleColumn(i);
        const int w = ColWidths(i + FIndicatorOffset);
        if (!FAutoFitColWidths || ComponentState().Contains(csDesigning)) {
            if (w != c->Width()) c->SetWidth(w);
            continue;
        }
        const int old = c->Width();
        if (w == old) continue;
        if (c->AutoFitColWidth()) {
            // The next column gives or takes what this one's starting width gained or lost.
            const int oldInit = c->FInitWidth;
            c->FInitWidth = old > 0 ? MulDiv(c->FInitWidth, w, old) : w;
            if (TColumnEh* next = VisibleColumn(i + 1))
                next->FInitWidth = std::max(0, next->FInitWidth + oldInit - c->FInitWidth);
        } else {
            c->SetWidth(w);
        }
    }
    FColWidthsChanged = true;
    if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TCustomDBGridEh::ColumnMoved(int FromIndex, int ToIndex) {
    const int from = FromIndex - FIndicatorOffset, to = ToIndex - FIndicatorOffset;
    if (from >= 0 && to >= 0) {
        TColumnEh* a = VisibleColumn(from);
        TColumnEh* b = VisibleColumn(to);
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
        ColExit();
    }
    return can;
}

void TCustomDBGridEh::CurrentCellMoved(const TGridCoord& OldCurrent) {
    TCustomDBAxisGridEh::CurrentCellMoved(OldCurrent);
    if (OldCurrent.X != Col() && Col() >= FIndicatorOffset) ColEnter();
}
