// The data grid's columns: widths with their limits, titles with sort markers, the column
// collection's change reaction and the grid's list of sort-marked columns.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "lib/memtable/MemTableEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QFontMetrics>

#include <algorithm>
#include <typeinfo>
#include <utility>

namespace {
// The text metrics of a column's font: the width of "0" and the average character width.
struct DigitMetrics {
    int Zero = 7;
    int Average = 7;
};

DigitMetrics MeasureDigits(TFont* Font) {
    QFontMetrics fm(Font->ToQFont());
    DigitMetrics m;
    m.Zero = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    m.Average = std::max(1, fm.averageCharWidth());
    return m;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Title

TColumnTitleEh::TColumnTitleEh(TColumnEh* AColumn) : TAxisBarTitleEh(AColumn) {}

TColumnEh* TColumnTitleEh::Column() const {
    return static_cast<TColumnEh*>(AxisBar());
}

void TColumnTitleEh::Assign(TPersistent* Source) {
    TAxisBarTitleEh::Assign(Source);
    if (auto* src = dynamic_cast<TColumnTitleEh*>(Source)) {
        SetSortIndex(src->SortIndex());
        SetSortMarker(src->SortMarker());
    }
}

void TColumnTitleEh::RestoreDefaults() {
    TAxisBarTitleEh::RestoreDefaults();
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh Value) {
    if (FSortMarker == Value) return;
    FSortMarker = Value;
    TColumnEh* col = Column();
    auto* bars = dynamic_cast<TDBGridColumnsEh*>(col->Collection());
    TCustomDBGridEh* g = bars ? bars->Grid() : nullptr;
    if (!g || bars->UpdateCount() > 0) return;
    TColumnsEhList* list = g->FSortMarkedColumns.get();
    if (g->OptionsEh().Contains(dghMultiSortMarking)) {
        if (Value != smNoneEh && FSortIndex == 0) {
            int marked = 0;
            for (int i = 0; i < bars->Count(); ++i)
                if (bars->Columns(i)->Title()->FSortIndex != 0) ++marked;
            FSortIndex = marked + 1;
            list->Add(col);
        } else if (Value == smNoneEh && FSortIndex != 0) {
            for (int i = 0; i < bars->Count(); ++i) {
                TColumnTitleEh* t = bars->Columns(i)->Title();
                if (t->FSortIndex > FSortIndex) --t->FSortIndex;
            }
            list->Remove(col);
            FSortIndex = 0;
        }
    } else if (Value != smNoneEh) {
        for (int i = 0; i < bars->Count(); ++i) {
            TColumnTitleEh* t = bars->Columns(i)->Title();
            if (t != this && t->FSortMarker != smNoneEh) {
                t->FSortMarker = smNoneEh;
                t->FSortIndex = 0;
            }
        }
        FSortIndex = 1;
        list->Clear();
        list->Add(col);
    } else {
        FSortIndex = 0;
        list->Clear();
    }
    col->NotifyChanged(false);
}

void TColumnTitleEh::SetSortIndex(int Value) {
    Value = std::max(0, Value);
    if (Value == FSortIndex) return;
    TColumnEh* col = Column();
    auto* bars = dynamic_cast<TDBGridColumnsEh*>(col->Collection());
    TCustomDBGridEh* g = bars ? bars->Grid() : nullptr;
    if (!g || bars->UpdateCount() > 0) {
        FSortIndex = Value;
        return;
    }
    if (FSortMarker == smNoneEh || Value == 0) return;
    // The column holding the wanted place takes this one's place.
    for (int i = 0; i < bars->Count(); ++i) {
        TColumnTitleEh* t = bars->Columns(i)->Title();
        if (t == this || t->FSortIndex != Value) continue;
        TColumnsEhList* list = g->FSortMarkedColumns.get();
        const int a = list->IndexOf(col), b = list->IndexOf(t->Column());
        t->FSortIndex = FSortIndex;
        FSortIndex = Value;
        if (a >= 0 && b >= 0) list->Exchange(a, b);
        col->NotifyChanged(false);
        return;
    }
}

void TColumnTitleEh::SetNextSortMarkerValue(bool KeepMulti) {
    TColumnEh* col = Column();
    auto* bars = dynamic_cast<TDBGridColumnsEh*>(col->Collection());
    if (!KeepMulti && bars)
        for (int i = 0; i < bars->Count(); ++i)
            if (bars->Columns(i) != col) bars->Columns(i)->Title()->SetSortMarker(smNoneEh);
    // The direction a column starts in depends on its field (texts ascend first).
    TCustomDBGridEh* g = bars ? bars->Grid() : nullptr;
    const TSortMarkerEh first = g ? g->Center()->GetFirstSortMarkerState(g, col) : smDownEh;
    switch (FSortMarker) {
    case smNoneEh:
        SetSortMarker(first);
        break;
    case smDownEh:
        SetSortMarker(KeepMulti && first == smUpEh ? smNoneEh : smUpEh);
        break;
    case smUpEh:
        SetSortMarker(KeepMulti && first == smDownEh ? smNoneEh : smDownEh);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Column

TColumnEh::TColumnEh(TCollection* Collection) : TBaseColumnEh(Collection), FMadeIn(Collection) {
    // Auto-fit scales from the width the column was made with.
    FInitWidth = 64;
}

void TColumnEh::AfterConstruction() {
    // The whole construction is one layout change of the grid, not one per step.
    TCollection* coll = std::exchange(FMadeIn, nullptr);
    TCustomDBAxisGridEh* g = coll && coll->InheritsFrom<TGridAxisBarsEh>()
                                 ? static_cast<TGridAxisBarsEh*>(coll)->Grid()
                                 : nullptr;
    const bool layout = g && coll->UpdateCount() == 0;
    if (layout) g->BeginLayout();
    try {
        TBaseColumnEh::AfterConstruction();
        if (!FFooter) FFooter.reset(CreateFooter());
        if (!FFooters) FFooters.reset(CreateFooters());
        if (!FSTFilter) FSTFilter.reset(CreateSTFilter());
        FAutoFitColWidth = true;
        FInitWidth = Width();
    } catch (...) {
        if (layout) g->EndLayout();
        throw;
    }
    if (layout) g->EndLayout();
}

TColumnFooterEh* TColumnEh::CreateFooter() {
    return TColumnFooterEh::CreateApart(this);
}

TColumnFootersEh* TColumnEh::CreateFooters() {
    return new TColumnFootersEh(this, CollectionItemClassOf<TColumnFooterEh>());
}

TColumnEh::~TColumnEh() {
    // The grid's sort list and the collection's references never keep a freed column.
    if (auto* bars = dynamic_cast<TDBGridColumnsEh*>(Collection())) {
        if (bars->FUpDownBaseColumn == this) bars->FUpDownBaseColumn = nullptr;
        if (TCustomDBGridEh* g = bars->Grid())
            if (g->FSortMarkedColumns) g->FSortMarkedColumns->Remove(this);
    }
}

int TColumnEh::LimitWidthToRange(int W) {
    if (FMaxWidth > 0 && W > FMaxWidth) return FMaxWidth;
    if (FMinWidth > 0 && W < FMinWidth) return FMinWidth;
    return W;
}

int TColumnEh::FullWidth() {
    TCustomDBGridEh* g = Grid();
    const int w = Width();
    return g && g->VisibleColumn(0) == this ? w + g->FExtraFirstColumnWidth : w;
}

int TColumnEh::GetSortMarkingWidth() {
    if (Title()->SortIndex() == 0) return 0;
    int w = 16;
    TCustomDBGridEh* g = Grid();
    if (g && g->SortMarkedColumns()->Count() >= 2)
        w +=
            QFontMetrics(SortIndexFont()->ToQFont()).horizontalAdvance(QString::number(Title()->SortIndex()));
    const int room = Width() - 4;
    if (w > room) w -= 14;
    if (w > room) w = 0;
    return w;
}

int TColumnEh::GetFilterButtonAreaWidth() {
    TCustomDBGridEh* g = Grid();
    if (!g || !g->STFilter()->Visible() || !STFilter()->Visible() ||
        g->STFilter()->Location() != stflInTitleFilterEh)
        return 0;
    if (!g->Flat()) return GetSystemMetrics(SM_CXVSCROLL);
    return AxisFlatEditButtonWidth() + (ThemesInUse() ? 0 : 1);
}

void TColumnEh::SetTextArea(TRect& ARect) {
    ARect.Right = ARect.Left + Width();
    if (AlwaysShowEditButton()) ARect.Right -= EditButtonsWidth();
    TCustomDBGridEh* g = Grid();
    if (g && g->VisibleColumn(0) == this) {
        ARect.Left += g->GetCellTreeElmentsAreaWidth();
        // Room for the detail panel's expand button.
        if (g->RowDetailPanel()->Active()) ARect.Left += 18;
        if (g->DataGrouping() && g->DataGrouping()->IsGroupingWorksWithLevel())
            ARect.Left += g->FExtraFirstColumnWidth;
    }
    if (ImageList() && ShowImageAndText()) ARect.Left += ImageList()->Width() + 5;
}

bool TColumnEh::CurLineWordWrap(int RowHeight) {
    if (!WordWrap()) return false;
    // In a row panel a column that spans several lines wraps whatever the row height.
    if (TCustomDBGridEh* g = Grid(); g && g->RowPanelMode()) return InRowLineHeight() > 1;
    return TBaseColumnEh::CurLineWordWrap(RowHeight);
}

void TColumnEh::GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) {
    if (FOnGetCellParams) FOnGetCellParams(this, EditMode, Params);
}

bool TColumnEh::AdjustsColCellParams() const {
    // A descendant may adjust them in an override of its own.
    const std::type_info& kind = typeid(*this);
    return FOnGetCellParams.Assigned() || (kind != typeid(TColumnEh) && kind != typeid(TDBGridColumnEh));
}

void TColumnEh::SetOnGetCellParams(TGetColCellParamsEventEh Value) {
    FOnGetCellParams = Value;
    if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

void TColumnEh::WriteField(TField* Value) {
    if (Value == CachedField()) return;
    TBaseColumnEh::WriteField(Value);
    if (IsDefaultBar()) FInitWidth = Width();
    EnsureSumValues();
}

TField* TColumnEh::ReadField() {
    if (CachedField()) return CachedField();
    TCustomDBGridEh* g = Grid();
    const bool lookingUp = !FieldName().isEmpty() && g && g->DataLink()->DataSet();
    TField* f = TBaseColumnEh::ReadField();
    // Footers that sum the field get their entries once the field is known.
    if (lookingUp && f) EnsureSumValues();
    return f;
}

void TColumnEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName, const String& FilterText,
                                           TLSAutoFilterTypeEh Operation) {
    if (OnDropDownBoxApplyTextFilter)
        OnDropDownBoxApplyTextFilter(Grid(), this, FilterText, Operation, FieldName, DataSet);
    else
        TBaseColumnEh::DropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}

void TColumnEh::SetValueAsText(const String& Text) {
    WriteValueToField(Text, Variant(Text), true);
}

void TColumnEh::SetValueAsVariant(const Variant& Value) {
    WriteValueToField(String(), Value, false);
}

TCustomDBGridEh* TColumnEh::Grid() const {
    // See TAxisBarEh::Grid: no dynamic_cast on this path.
    TCollection* c = Collection();
    if (!c || !c->InheritsFrom<TDBGridColumnsEh>()) return nullptr;
    return static_cast<TDBGridColumnsEh*>(c)->Grid();
}

TAxisBarTitleEh* TColumnEh::CreateTitle() {
    return new TColumnTitleEh(this);
}

void TColumnEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TColumnEh*>(Source);
    if (!src) {
        TBaseColumnEh::Assign(Source);
        return;
    }
    TCollection* coll = Collection();
    if (coll) coll->BeginUpdate();
    struct EndUpdate {
        TCollection* c;
        ~EndUpdate() noexcept(false) {
            if (c) c->EndUpdate();
        }
    } guard{coll};
    TBaseColumnEh::Assign(Source);
    if (src->WidthAssigned()) SetWidth(src->Width());
    FInitWidth = src->FInitWidth;
    SetAutoFitColWidth(src->AutoFitColWidth());
    SetFooter(src->Footer());
    SetFooters(src->Footers());
    SetMinWidth(src->MinWidth());
    SetMaxWidth(src->MaxWidth());
    SetOnGetCellParams(src->OnGetCellParams());
    SetHideDuplicates(src->HideDuplicates());
}

void TColumnEh::DefineProperties(TFiler* Filer) {
    TBaseColumnEh::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("InRowLinePos"), [this](TReader* r) { FRowLine = r->ReadInteger(); },
        [this](TWriter* w) { w->WriteInteger(FRowLine); }, InRowLinePos() != 0);
    Filer->DefineProperty(
        QStringLiteral("InRowLineHeight"), [this](TReader* r) { FHeight = r->ReadInteger(); },
        [this](TWriter* w) { w->WriteInteger(FHeight); }, InRowLineHeight() != 1);
}

int TColumnEh::DefaultWidth() {
    TCustomDBGridEh* g = Grid();
    if (!g) return 64;
    if (TField* f = Field()) {
        const DigitMetrics m = MeasureDigits(Font());
        return f->DisplayWidth() * m.Zero + 4;
    }
    return g->DefaultColWidth();
}

int TColumnEh::GetWidth() {
    return WidthAssigned() ? FWidth : DefaultWidth();
}

bool TColumnEh::IsWidthStored() {
    return WidthAssigned() && FWidth != DefaultWidth();
}

void TColumnEh::StoreWidth(int Value) {
    FWidth = Value;
    FAssignedValues.Include(cvWidth);
}

void TColumnEh::SetWidth(int Value) {
    TCustomDBGridEh* g = Grid();
    bool store = true;
    if (IsDefaultBar() && g) {
        TField* f = Field();
        if (g->HandleAllocated() && f && g->FUpdateFields) {
            const DigitMetrics m = MeasureDigits(Font());
            f->SetDisplayWidth(std::max(0, (Value + m.Average / 2 - 3) / m.Zero));
        }
        store = !g->FLayoutFromDataset || WidthAssigned();
    }
    if (store && Value != -1 && (WidthAssigned() || Value != DefaultWidth())) {
        FWidth = Value;
        FAssignedValues.Include(cvWidth);
        if (FMaxWidth > 0 && FWidth > FMaxWidth) FWidth = FMaxWidth;
        if (FMinWidth > 0 && FWidth < FMinWidth) FWidth = FMinWidth;
    }
    // A row panel places every column again when one of them changes its width.
    NotifyChanged(g && g->RowPanelMode());
}

void TColumnEh::SetMaxWidth(int Value) {
    FMaxWidth = Value;
    if (Value > 0 && Width() > Value) SetWidth(Value);
}

void TColumnEh::SetMinWidth(int Value) {
    FMinWidth = Value;
    if (Value > 0 && Width() < Value) SetWidth(Value);
}

void TColumnEh::SetAutoFitColWidth(bool Value) {
    if (Value == FAutoFitColWidth) return;
    FAutoFitColWidth = Value;
    TCustomDBGridEh* g = Grid();
    if (g && g->AutoFitColWidths() && !g->ComponentState().Contains(csLoading) &&
        !g->ComponentState().Contains(csDesigning))
        SetWidth(FInitWidth);
    NotifyChanged(false);
}

void TColumnEh::WriteHideDuplicates(bool Value) {
    if (Value == FHideDuplicates) return;
    FHideDuplicates = Value;
    NotifyChanged(false);
}

void TColumnEh::SetInRowLinePos(int Value) {
    if (Value == FRowLine) return;
    FRowLine = Value;
    NotifyChanged(true);
}

void TColumnEh::SetInRowLineHeight(int Value) {
    if (Value == FHeight) return;
    FHeight = Value;
    NotifyChanged(true);
}

void TColumnEh::OptimizeWidth() {
    TCustomDBGridEh* g = Grid();
    if (!g) return;
    TColumnsEhList list;
    list.Add(this);
    g->OptimizeColsWidth(&list, -1);
}

int TColumnEh::CalcRowHeight() {
    TCustomDBGridEh* g = Grid();
    return g ? g->CalcColumnRowHeight(this) : 0;
}

// ---------------------------------------------------------------------------------------------
// Collection

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* AGrid, TCollectionItemClass ColumnClass)
    : TBaseColumnsEh(AGrid, ColumnClass), FDBGrid(AGrid) {}

TDBGridColumnsEh::~TDBGridColumnsEh() {
    FDBGrid = nullptr;
}

void TDBGridColumnsEh::Update(TCollectionItem* Item) {
    TCustomDBGridEh* g = FDBGrid;
    if (!g || g->ComponentState().Contains(csLoading) || g->ComponentState().Contains(csDestroying)) return;
    if (Item) {
        ItemChanged(static_cast<TColumnEh*>(Item));
    } else {
        g->SetSortMarkedColumns();
        g->LayoutChanged();
    }
    // The selected column never stays beyond the collection or on a hidden column.
    if (TColumnEh* sel = g->DataColumn(g->SelectedIndex()); (!sel || !sel->Visible()) && !g->RowPanelMode())
        if (TColumnEh* first = g->VisibleColumn(0)) g->SetSelectedIndex(first->Index());
    if (g->LayoutLock() == 0) g->InvalidateEditor();
    if (g->DataGrouping()) g->DataGrouping()->ColumnsChanged();
}

void TDBGridColumnsEh::ItemChanged(TColumnEh* Item) {
    TCustomDBGridEh* g = FDBGrid;
    const int dataCol = g->DataColOf(Item);
    const int raw = dataCol + g->FIndicatorOffset;
    const bool hasCell = dataCol >= 0 && raw < g->ColCount();
    if (hasCell) g->InvalidateCol(raw);
    if (!g->AutoFitColWidths() || g->ComponentState().Contains(csDesigning)) {
        // A width change goes straight into the column's cell; other changes keep the layout,
        // except for the bands of a multi-line title, which follow the leaves' texts.
        if (hasCell && Item->FullWidth() != g->ColWidths(raw) && !g->RowPanelMode())
            g->SetColWidths(raw, Item->Visible() ? g->ColumnWidthToCellWidth(Item, Item->Width()) : -1);
        else if (g->UseMultiTitle())
            g->LayoutChanged();
        return;
    }
    if (!hasCell || g->ColWidths(raw) == -1) return;
    // Auto-fit: the column's starting width follows the width asked for, in the proportion of the
    // cell it has now; the next column gives or takes the difference.
    const int cellW = g->CellWidthToColumnWidth(Item, g->ColWidths(raw));
    const int oldInit = Item->FInitWidth;
    Item->FInitWidth = cellW < 1 ? Item->Width() : MulDiv(Item->FInitWidth, Item->Width(), cellW);
    if (dataCol + 1 < Count()) {
        TColumnEh* next = Columns(dataCol + 1);
        next->FInitWidth = std::max(0, next->FInitWidth + oldInit - Item->FInitWidth);
    }
    g->LayoutChanged();
}

bool TDBGridColumnsEh::ExistFooterValueType(TFooterValueType Kind) {
    for (int i = 0; i < Count(); ++i)
        if (Columns(i)->Footer()->ValueType() == Kind) return true;
    return false;
}

void TDBGridColumnsEh::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (Action != cnAdded && Item == FUpDownBaseColumn) FUpDownBaseColumn = nullptr;
    // A level grouped by a column that leaves keeps no reference to it.
    if (Action != cnAdded && FDBGrid && FDBGrid->DataGrouping()) FDBGrid->DataGrouping()->ColumnRemoved(Item);
    if (Action != cnAdded && FDBGrid) FDBGrid->FilterColumnDestroying(static_cast<TColumnEh*>(Item));
    TBaseColumnsEh::Notify(Item, Action);
}

// ---------------------------------------------------------------------------------------------
// Navigation between columns

TColumnEh* TDBGridColumnsEh::GetFirstTabColumn() {
    for (int i = 0; i < Count(); ++i)
        if (Columns(i)->CanEditField()) return Columns(i);
    return nullptr;
}

TColumnEh* TDBGridColumnsEh::GetLastTabColumn() {
    if (FDBGrid && FDBGrid->RowPanelMode() &&
        FDBGrid->RowPanel()->TabNavigationType() == rpntLeftToRightPriorityEh) {
        // The lowest line's right-most tab stop.
        TColumnEh* last = nullptr;
        for (int i = 0; i < Count(); ++i) {
            TColumnEh* c = Columns(i);
            if (!c->CanEditField()) continue;
            const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
            if (!last || p.Top > last->RowPlacement().Top ||
                (p.Top == last->RowPlacement().Top && p.Left > last->RowPlacement().Left))
                last = c;
        }
        return last;
    }
    const int contra = FDBGrid ? FDBGrid->ContraColCount() : 0;
    for (int i = Count() - contra - 1; i >= 0; --i)
        if (Columns(i)->CanEditField()) return Columns(i);
    return nullptr;
}

TColumnEh* TDBGridColumnsEh::GetNextTabColumn(TColumnEh* ForColumn, bool GoForward) {
    if (FDBGrid && FDBGrid->RowPanelMode() &&
        FDBGrid->RowPanel()->TabNavigationType() == rpntLeftToRightPriorityEh)
        return GetNextHorzColumn(ForColumn, GoForward, true, true);
    const int contra = FDBGrid ? FDBGrid->ContraColCount() : 0;
    int i = ForColumn ? ForColumn->Index() : -1;
    for (;;) {
        i += GoForward ? 1 : -1;
        if (i >= Count() - contra || i < 0) return ForColumn;
        if (Columns(i)->CanEditField()) return Columns(i);
    }
}

TColumnEh* TDBGridColumnsEh::GetNextHorzColumn(TColumnEh* ForColumn, bool GoForward, bool TabStopsOnly,
                                               bool CrossLines) {
    if (!ForColumn) return nullptr;
    const TColumnEhInRowPanelPlacement& f = ForColumn->RowPlacement();
    auto usable = [&](TColumnEh* c) {
        return c != ForColumn && c->Visible() && (!TabStopsOnly || c->CanEditField());
    };
    TColumnEh* best = nullptr;
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Columns(i);
        const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
        if (!usable(c) || p.Top != f.Top) continue;
        if (GoForward) {
            if (p.DataCellLeft > f.DataCellLeft && (!best || p.Left < best->RowPlacement().Left)) best = c;
        } else if (p.Left < f.Left && (!best || p.Left > best->RowPlacement().Left)) {
            best = c;
        }
    }
    if (!best && CrossLines) {
        for (int i = 0; i < Count(); ++i) {
            TColumnEh* c = Columns(i);
            const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
            if (!usable(c)) continue;
            if (GoForward) {
                if (p.Top <= f.Top) continue;
                if (!best || (p.Top <= best->RowPlacement().Top && p.Left <= best->RowPlacement().Left))
                    best = c;
            } else {
                if (p.Top >= f.Top) continue;
                if (!best || (p.Top >= best->RowPlacement().Top && p.Left >= best->RowPlacement().Left))
                    best = c;
            }
        }
    }
    return best ? best : ForColumn;
}

TColumnEh* TDBGridColumnsEh::GetNextVertColumn(TColumnEh* ForColumn, bool GoForward) {
    if (!ForColumn) return nullptr;
    const TColumnEhInRowPanelPlacement& base =
        (FUpDownBaseColumn ? FUpDownBaseColumn : ForColumn)->RowPlacement();
    const int a = base.Left, b = base.Left + base.Width;
    const TColumnEhInRowPanelPlacement& f = ForColumn->RowPlacement();
    auto overlaps = [&](const TColumnEhInRowPanelPlacement& p) {
        const int c = p.Left, d = p.Left + p.Width;
        return (a >= c && d >= a) || (c >= a && b >= c);
    };
    TColumnEh* best = nullptr;
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Columns(i);
        const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
        if (c == ForColumn || !c->Visible() || !overlaps(p)) continue;
        if (GoForward) {
            if (p.Top < f.Top + f.Height) continue;
            if (!best || p.Top < best->RowPlacement().Top ||
                (p.Top == best->RowPlacement().Top && p.Left < best->RowPlacement().Left))
                best = c;
        } else {
            if (p.Top >= f.Top) continue;
            if (!best || p.Top > best->RowPlacement().Top ||
                (p.Top == best->RowPlacement().Top && p.Left < best->RowPlacement().Left))
                best = c;
        }
    }
    return best ? best : ForColumn;
}

TColumnEh* TDBGridColumnsEh::GetTopColumn(TColumnEh* Column) {
    for (TColumnEh* c = Column;;) {
        TColumnEh* up = GetNextVertColumn(c, false);
        if (up == c) return c;
        c = up;
    }
}

TColumnEh* TDBGridColumnsEh::GetBottomColumn(TColumnEh* Column) {
    for (TColumnEh* c = Column;;) {
        TColumnEh* down = GetNextVertColumn(c, true);
        if (down == c) return c;
        c = down;
    }
}

void TDBGridColumnsEh::ActiveChanged() {
    TBaseColumnsEh::ActiveChanged();
    // Value lists were read from the data set that was or was not open: read them again.
    for (int i = 0; i < Count(); ++i)
        Columns(i)->DropFieldValueList();
}

// ---------------------------------------------------------------------------------------------
// Column defaults

TColumnDefValuesEh::TColumnDefValuesEh(TCustomDBAxisGridEh* AGrid)
    : TCustomColumnDefValuesEh(AGrid), FFooter(std::make_unique<TColumnFooterDefValuesEh>()) {}

TColumnDefValuesEh::~TColumnDefValuesEh() = default;

TAxisBarCaptionDefValuesEh* TColumnDefValuesEh::CreateTitleDefValues() {
    return new TColumnTitleDefValuesEh(this);
}

void TColumnDefValuesEh::Assign(TPersistent* Source) {
    TCustomColumnDefValuesEh::Assign(Source);
    if (auto* src = dynamic_cast<TColumnDefValuesEh*>(Source)) FFooter->Assign(src->Footer());
}

// ---------------------------------------------------------------------------------------------
// Grid side

void TCustomDBGridEh::UpdateExtraFirstColumnWidth() {
    // Group levels take room in front of the first column's record cells.
    FExtraFirstColumnWidth = 0;
    if (!FDataGrouping || !FDataGrouping->IsGroupingWorksWithLevel()) return;
    const int levels = FDataGrouping->ActiveGroupLevelsCount();
    FExtraFirstColumnWidth = FDataGrouping->ShiftFolldataGroupRow() ? 18 * levels : 18 * levels - 18;
}

int TCustomDBGridEh::ColumnWidthToCellWidth(TColumnEh* Column, int W) {
    if (!Column->Visible()) return FOptions.Contains(dgColLines) ? -1 : 0;
    return VisibleColumn(0) == Column ? W + FExtraFirstColumnWidth : W;
}

int TCustomDBGridEh::CellWidthToColumnWidth(TColumnEh* Column, int W) {
    return VisibleColumn(0) == Column ? W - FExtraFirstColumnWidth : W;
}

int TCustomDBGridEh::VisibleColumnCount() const {
    TDBGridColumnsEh* cols = Columns();
    if (!cols) return 0;
    int n = 0;
    for (int i = 0; i < cols->Count(); ++i)
        if (cols->Columns(i)->Visible()) ++n;
    return n;
}

TColumnEh* TCustomDBGridEh::DataColumn(int DataCol) const {
    TDBGridColumnsEh* cols = Columns();
    return cols && DataCol >= 0 && DataCol < cols->Count() ? cols->Columns(DataCol) : nullptr;
}

int TCustomDBGridEh::DataColOf(TAxisBarEh* Column) const {
    TDBGridColumnsEh* cols = Columns();
    if (!Column || !cols) return -1;
    const int i = Column->Index();
    return i >= 0 && i < cols->Count() && cols->Columns(i) == Column ? i : -1;
}

TColumnEh* TCustomDBGridEh::VisibleColumn(int Index) const {
    TDBGridColumnsEh* cols = Columns();
    if (Index < 0 || !cols) return nullptr;
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        if (!c->Visible()) continue;
        if (Index-- == 0) return c;
    }
    return nullptr;
}

void TCustomDBGridEh::SetSortMarkedColumns() {
    FSortMarkedColumns->Clear();
    TDBGridColumnsEh* cols = Columns();
    if (!cols) return;
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        const int si = c->Title()->SortIndex();
        if (si <= 0) continue;
        while (FSortMarkedColumns->Count() < si)
            FSortMarkedColumns->Add(nullptr);
        FSortMarkedColumns->SetColumns(si - 1, c);
    }
}

void TCustomDBGridEh::SortMarkingChanged() {
    if (!FOptionsEh.Contains(dghAutoSortMarking)) return;
    if (OnSortMarkingChanged)
        OnSortMarkingChanged(this);
    else
        DefaultApplySorting();
}

void TCustomDBGridEh::DefaultApplySorting() {
    // A memory table sorts its own view; other data sets are left to the handler.
    auto* mt = dynamic_cast<TCustomMemTableEh*>(DataLink()->Active() ? DataLink()->DataSet() : nullptr);
    if (!mt) return;
    String order;
    for (int i = 0; i < FSortMarkedColumns->Count(); ++i) {
        TColumnEh* c = FSortMarkedColumns->Columns(i);
        if (!c || c->FieldName().isEmpty()) continue;
        if (!order.isEmpty()) order += QStringLiteral(", ");
        order += c->FieldName();
        // The up marker stands for the ascending order, the down marker for the descending.
        if (c->Title()->SortMarker() == smDownEh) order += QStringLiteral(" DESC");
    }
    mt->SetSortOrder(order);
}

// ---------------------------------------------------------------------------------------------
// Stored column properties. A width, like the axis grid's assigned values, is written only while
// it is the column's own and differs from its default.

// Inline: the look-up may be defined by another unit that streams sort markers too.
inline ::PTypeInfo KvtTypeInfo(TSortMarkerEh*) {
    static const ::PTypeInfo ti = ::MakeEnumTypeInfo("TSortMarkerEh", "smNoneEh, smDownEh, smUpEh");
    return ti;
}

KVT_PUBLISHED(TColumnTitleEh) {
    using C = TColumnTitleEh;
    P.Prop("SortIndex", &C::SortIndex, &C::SetSortIndex).Default(0);
    P.Prop("SortMarker", &C::SortMarker, &C::SetSortMarker).Default(smNoneEh);
}

KVT_PUBLISHED(TSTColumnFilterEh) {
    using C = TSTColumnFilterEh;
    P.Prop("DataField", &C::DataField, &C::SetDataField);
    P.Prop("KeyField", &C::KeyField, &C::SetKeyField);
    P.Prop("ListField", &C::ListField, &C::SetListField);
    P.Prop("ListSource", &C::ListSource, &C::SetListSource);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
}

KVT_PUBLISHED(TColumnDefValuesEh) {
    using C = TColumnDefValuesEh;
    P.Prop("Footer", &C::Footer, &C::SetFooter);
}

KVT_PUBLISHED(TDBGridColumnEh) {
    using C = TDBGridColumnEh;
    // The limits come before the width, which they would otherwise cut when read back.
    P.Prop(
         "AutoFitColWidth", [](C* c) { return c->AutoFitColWidth(); },
         [](C* c, bool v) { c->SetAutoFitColWidth(v); })
        .Default(true);
    P.Prop(
        "Footer", [](C* c) { return c->Footer(); }, [](C* c, TColumnFooterEh* v) { c->SetFooter(v); });
    P.Prop(
        "Footers", [](C* c) { return c->Footers(); }, [](C* c, TColumnFootersEh* v) { c->SetFooters(v); });
    P.Prop("HideDuplicates", &C::HideDuplicates, &C::SetHideDuplicates).Default(false);
    P.Prop(
         "MaxWidth", [](C* c) { return c->MaxWidth(); }, [](C* c, int v) { c->SetMaxWidth(v); })
        .Default(0);
    P.Prop(
         "MinWidth", [](C* c) { return c->MinWidth(); }, [](C* c, int v) { c->SetMinWidth(v); })
        .Default(0);
    P.Prop(
        "STFilter", [](C* c) { return c->STFilter(); }, [](C* c, TSTColumnFilterEh* v) { c->SetSTFilter(v); });
    P.Prop(
         "Width", [](C* c) { return c->Width(); }, [](C* c, int v) { c->SetWidth(v); })
        .Stored([](C* c) { return c->IsWidthStored(); });
    P.Prop("OnAdvDrawDataCell", &C::OnAdvDrawDataCell, &C::OnAdvDrawDataCell);
    P.Prop("OnCheckDrawRequiredState", &C::OnCheckDrawRequiredState, &C::OnCheckDrawRequiredState);
    P.Prop("OnCloseDropDownForm", &C::OnCloseDropDownForm, &C::OnCloseDropDownForm);
    P.Prop("OnDataGroupFooterAggregateValue", &C::OnDataGroupFooterAggregateValue,
           &C::OnDataGroupFooterAggregateValue);
    P.Prop("OnDataGroupFooterFinalizeValue", &C::OnDataGroupFooterFinalizeValue,
           &C::OnDataGroupFooterFinalizeValue);
    P.Prop("OnDataGroupFooterToDisplayText", &C::OnDataGroupFooterToDisplayText,
           &C::OnDataGroupFooterToDisplayText);
    P.Prop("OnDataHintShow", &C::OnDataHintShow, &C::OnDataHintShow);
    P.Prop("OnDropDownBoxApplyTextFilter", &C::OnDropDownBoxApplyTextFilter, &C::OnDropDownBoxApplyTextFilter);
    P.Prop("OnEditButtonClick", &C::OnEditButtonClick, &C::OnEditButtonClick);
    P.Prop("OnEditButtonDown", &C::OnEditButtonDown, &C::OnEditButtonDown);
    // The list grid's events are read only from a list grid that exists: writing a stream does
    // not make one per column.
    const auto hasList = [](C* c) { return c->DataListIfAny() != nullptr; };
    P.Prop("OnDropDownBoxCheckButton", &C::OnDropDownBoxCheckButton, &C::SetOnDropDownBoxCheckButton)
        .Stored(hasList);
    P.Prop("OnDropDownBoxDrawColumnCell", &C::OnDropDownBoxDrawColumnCell, &C::SetOnDropDownBoxDrawColumnCell)
        .Stored(hasList);
    P.Prop("OnDropDownBoxGetCellParams", &C::OnDropDownBoxGetCellParams, &C::SetOnDropDownBoxGetCellParams)
        .Stored(hasList);
    P.Prop("OnDropDownBoxTitleBtnClick", &C::OnDropDownBoxTitleBtnClick, &C::SetOnDropDownBoxTitleBtnClick)
        .Stored(hasList);
    P.Prop("OnFillSTFilterListValues", &C::OnFillSTFilterListValues, &C::OnFillSTFilterListValues);
    P.Prop(
        "OnGetCellParams", [](C* c) { return c->OnGetCellParams(); },
        [](C* c, const TColumnEh::TGetColCellParamsEventEh& v) { c->SetOnGetCellParams(v); });
    P.Prop("OnGetHideDuplicatesValue", &C::OnGetHideDuplicatesValue, &C::OnGetHideDuplicatesValue);
    P.Prop("OnGroupGetKeyValue", &C::OnGroupGetKeyValue, &C::OnGroupGetKeyValue);
    P.Prop("OnGroupGetKeyValueAsText", &C::OnGroupGetKeyValueAsText, &C::OnGroupGetKeyValueAsText);
    P.Prop("OnHintShowPause", &C::OnHintShowPause, &C::OnHintShowPause);
    P.Prop("OnNotInList", &C::OnNotInList, &C::OnNotInList);
    P.Prop("OnOpenDropDownForm", &C::OnOpenDropDownForm, &C::OnOpenDropDownForm);
    P.Prop("OnUpdateData", &C::OnUpdateData, &C::OnUpdateData);
}
