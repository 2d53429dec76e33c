// The lookup grid: binding the list and the master, the key value and the special row,
// incremental search, the column classes and the painting of the key record and special row.

#include "lib/dbgrid/DBLookupGridsEh.h"

#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/ControlsTypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>
#include <QStringList>

#include <algorithm>

namespace {

const char* const SPropDefByLookup = "Property already defined by lookup field";
const char* const SDataSourceFixed = "Operation not allowed in a DBCtrlGrid";

// The time of the last incremental-search keystroke, shared by every lookup grid.
uint32_t SearchTickCount = 0;
constexpr uint32_t SearchResetMs = 2000;
constexpr int SearchTextMax = 32;

struct ListChangingScope {
    TDBLookupGridEh* Grid;
    explicit ListChangingScope(TDBLookupGridEh* g) : Grid(g) { Grid->BeginListDataChanging(); }
    ~ListChangingScope() { Grid->EndListDataChanging(); }
    ListChangingScope(const ListChangingScope&) = delete;
    ListChangingScope& operator=(const ListChangingScope&) = delete;
};

struct FlagScope {
    bool& Flag;
    bool Old;
    explicit FlagScope(bool& f) : Flag(f), Old(f) { Flag = true; }
    ~FlagScope() { Flag = Old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

String JoinNames(const TFieldsArrEh& Fields) {
    QStringList names;
    for (TField* f : Fields)
        names << f->FieldName();
    return names.join(QLatin1Char(';'));
}

bool IsMemoType(TFieldType t) {
    return t == ftMemo || t == ftOraClob || t == ftWideMemo;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TLookupGridDataLinkEh

void TLookupGridDataLinkEh::ActiveChanged() {
    if (FDBLookupGrid) FDBLookupGrid->UpdateDataFields();
}

void TLookupGridDataLinkEh::LayoutChanged() {
    if (FDBLookupGrid) FDBLookupGrid->UpdateDataFields();
}

void TLookupGridDataLinkEh::FocusControl(TField** Field) {
    if (!FDBLookupGrid || !Field || !*Field) return;
    if (*Field == FDBLookupGrid->Field() && FDBLookupGrid->CanFocus()) {
        *Field = nullptr;
        FDBLookupGrid->SetFocus();
    }
}

void TLookupGridDataLinkEh::RecordChanged(TField* Field) {
    if (FDBLookupGrid) FDBLookupGrid->MasterRecordChanged(Field);
}

// ---------------------------------------------------------------------------------------------
// TGridColumnSpecCellEh

TGridColumnSpecCellEh::TGridColumnSpecCellEh(TPersistent* Owner)
    : FOwner(Owner), FFont(std::make_unique<TFont>()) {
    if (TFont* f = DefaultFont()) FFont->Assign(f);
    FFont->OnChange = TNotifyEvent(this, &TGridColumnSpecCellEh::FontChanged);
}

TGridColumnSpecCellEh::~TGridColumnSpecCellEh() = default;

void TGridColumnSpecCellEh::FontChanged(TObject*) {
    FFontAssigned = true;
}

namespace {
TSpecRowEh* SpecRowOf(TPersistent* Owner) {
    auto* column = dynamic_cast<TDBLookupGridColumnEh*>(Owner);
    TDBLookupGridEh* grid = column ? column->Grid() : nullptr;
    return grid ? grid->SpecRow() : nullptr;
}
} // namespace

String TGridColumnSpecCellEh::DefaultText() {
    TSpecRowEh* row = SpecRowOf(FOwner);
    if (!row) return FText;
    return row->GetCellText(
        static_cast<TCollectionItem*>(dynamic_cast<TDBLookupGridColumnEh*>(FOwner))->Index());
}

TColor TGridColumnSpecCellEh::DefaultColor() {
    TSpecRowEh* row = SpecRowOf(FOwner);
    return row ? row->Color() : FColor;
}

TFont* TGridColumnSpecCellEh::DefaultFont() {
    TSpecRowEh* row = SpecRowOf(FOwner);
    return row ? row->Font() : FFont.get();
}

String TGridColumnSpecCellEh::Text() {
    return FTextAssigned ? FText : DefaultText();
}

void TGridColumnSpecCellEh::SetText(const String& Value) {
    if (Value == Text()) return;
    FText = Value;
    FTextAssigned = true;
}

TColor TGridColumnSpecCellEh::Color() {
    return FColorAssigned ? FColor : DefaultColor();
}

void TGridColumnSpecCellEh::SetColor(TColor Value) {
    if (Value == Color()) return;
    FColor = Value;
    FColorAssigned = true;
}

TFont* TGridColumnSpecCellEh::Font() {
    if (!FFontAssigned) {
        TFont* fallback = DefaultFont();
        if (fallback && fallback != FFont.get() && fallback->Handle() != FFont->Handle()) {
            // Reading follows the fallback without marking the font as the cell's own.
            const TNotifyEvent keep = FFont->OnChange;
            FFont->OnChange = TNotifyEvent();
            FFont->Assign(fallback);
            FFont->OnChange = keep;
        }
    }
    return FFont.get();
}

void TGridColumnSpecCellEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridColumnSpecCellEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TGridColumnSpecCellEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetText(src->Text());
    SetColor(src->Color());
    if (src->FFontAssigned) SetFont(src->Font());
}

// ---------------------------------------------------------------------------------------------
// TDBLookupGridColumnEh

TDBLookupGridColumnEh::TDBLookupGridColumnEh(TCollection* Collection)
    : TColumnEh(Collection), FSpecCell(std::make_unique<TGridColumnSpecCellEh>(this)) {}

TDBLookupGridColumnEh::~TDBLookupGridColumnEh() = default;

TDBLookupGridEh* TDBLookupGridColumnEh::Grid() const {
    return dynamic_cast<TDBLookupGridEh*>(TColumnEh::Grid());
}

namespace {
// The special row's cell texts in the order the columns take after moving From to To.
void MoveSpecRowText(TSpecRowEh* Row, int ColumnCount, int From, int To) {
    QStringList texts;
    for (int i = 0; i < ColumnCount; ++i)
        texts << Row->GetCellText(i);
    if (From < 0 || From >= texts.size() || To < 0 || To >= texts.size()) return;
    texts.move(From, To);
    Row->SetCellsText(texts.join(QLatin1Char(';')));
}
} // namespace

void TDBLookupGridColumnEh::WriteIndex(int Value) {
    TDBLookupGridEh* g = Grid();
    const int old = Index();
    if (!g || !g->DataLink()->Active() || old == Value) {
        TColumnEh::WriteIndex(Value);
        return;
    }
    const int count = Collection()->Count();
    if (IsDefaultBar()) {
        g->LockUpdate();
        const auto unlock = qScopeGuard([g] { g->UnlockUpdate(); });
        int& lf = g->FListFieldIndex;
        if (lf == old) {
            lf = Value;
        } else {
            if (old < lf) --lf;
            if (lf >= Value) ++lf;
        }
        MoveSpecRowText(g->SpecRow(), count, old, Value);
        {
            // The move is the list's own: the field keeps its place in the data set.
            FlagScope stored(FStored);
            TColumnEh::WriteIndex(Value);
        }
        QStringList names;
        for (int i = 0; i < Collection()->Count(); ++i)
            names << static_cast<TColumnEh*>(Collection()->Items(i))->FieldName();
        g->FListFieldName = names.join(QLatin1Char(';'));
    } else {
        MoveSpecRowText(g->SpecRow(), count, old, Value);
        TColumnEh::WriteIndex(Value);
    }
}

void TDBLookupGridColumnEh::SetWidth(int Value) {
    if (IsDefaultBar()) {
        FlagScope stored(FStored);
        TColumnEh::SetWidth(Value);
    } else {
        TColumnEh::SetWidth(Value);
    }
}

// ---------------------------------------------------------------------------------------------
// TDBLookupGridEh: construction

TDBLookupGridEh::TDBLookupGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner) {
    FNoDesignController = true;
    TControlStyle cs = ControlStyle();
    cs.Include(csReplicatable);
    SetControlStyle(cs);
    FLookupSource = new TDataSource(this);
    FDataLink = std::make_unique<TLookupGridDataLinkEh>(this);
    FSpecRow = std::make_unique<TSpecRowEh>(this);
    FSpecRow->OnChanged = TNotifyEvent(this, &TDBLookupGridEh::SpecRowChanged);
    FHighlightTextParams = std::make_unique<TGridHighlightTextParamsEh>();
}

void TDBLookupGridEh::AfterConstruction() {
    TCustomDBGridEh::AfterConstruction();
    SetParentColor(false);
    SetColor(clWindow);
    SetOptions(TDBGridOptions{dgColLines, dgRowSelect});
    TDBGridEhOptions oe = OptionsEh();
    oe.Include(dghTraceColSizing);
    SetOptionsEh(oe);
    SetFlat(true);
    TCustomDBAxisGridEh::SetDrawMemoText(true);
    SetTabStop(false);
    SetVTitleMargin(5);
}

TDBLookupGridEh::~TDBLookupGridEh() {
    FLookupDestroying = true;
    FDataLink->Detach();
    FDataLink->SetDataSource(nullptr);
    if (FSpecRow) FSpecRow->OnChanged = TNotifyEvent();
}

TGridAxisBarsEh* TDBLookupGridEh::CreateAxisBars() {
    return new TDBGridColumnsEh(this, CollectionItemClassOf<TDBLookupGridColumnEh>());
}

TAxisBarDefValuesEh* TDBLookupGridEh::CreateAxisBarDefValues() {
    return Create<TDBLookupGridColumnDefValuesEh>(this);
}

void TDBLookupGridEh::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomDBGridEh::Notification(AComponent, Operation);
    // The master source going away takes the list binding with it.
    if (Operation == opRemove && FDataLink && AComponent && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        if (!FLookupMode && DataSource()) WriteDataSource(nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Property writers

void TDBLookupGridEh::SetDataField(const String& Value) {
    if (Value == FDataFieldName) return;
    FDataFieldName = Value;
    UpdateDataFields();
}

void TDBLookupGridEh::SetMasterSource(TDataSource* Value) {
    if (Value == FDataLink->DataSource()) return;
    if (TDataSource* old = FDataLink->DataSource()) old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    UpdateDataFields();
}

void TDBLookupGridEh::CheckNotInLookupMode() {
    if (FLookupMode) DatabaseError(SPropDefByLookup, this);
    if (FDataLink->DataSourceFixed()) DatabaseError(SDataSourceFixed, this);
}

void TDBLookupGridEh::CheckListLinkNotCircular() {
    TDataSet* list = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    TDataSource* master = FDataLink->DataSource();
    if (list && master && list->IsLinkedTo(master)) DatabaseError(DBConsts::SCircularDataLink, this);
}

void TDBLookupGridEh::WriteKeyField(const String& Value) {
    CheckNotInLookupMode();
    if (Value == FKeyFieldName) return;
    FKeyFieldName = Value;
    UpdateListFields();
    FitColumnWidths();
}

void TDBLookupGridEh::WriteListField(const String& Value) {
    if (Value == FListFieldName) return;
    FListFieldName = Value;
    UpdateListFields();
    FitColumnWidths();
}

void TDBLookupGridEh::WriteListSource(TDataSource* Value) {
    CheckNotInLookupMode();
    WriteDataSource(Value);
}

void TDBLookupGridEh::WriteKeyValue(const Variant& Value) {
    if (VariantsEqual(Value, FKeyValue)) return;
    FKeyValue = Value;
    KeyValueChanged();
}

void TDBLookupGridEh::WriteOptions(TDBLookupGridEhOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    TDBGridOptions o = Options();
    auto put = [](auto& set, auto item, bool on) {
        if (on)
            set.Include(item);
        else
            set.Exclude(item);
    };
    put(o, dgColumnResize, Value.Contains(dlgColumnResizeEh));
    put(o, dgColLines, Value.Contains(dlgColLinesEh));
    put(o, dgRowLines, Value.Contains(dlgRowLinesEh));
    TDBGridEhOptions oe = OptionsEh();
    put(oe, dghAutoSortMarking, Value.Contains(dlgAutoSortMarkingEh));
    put(oe, dghMultiSortMarking, Value.Contains(dlgMultiSortMarkingEh));
    SetOptions(o);
    SetOptionsEh(oe);
}

// ---------------------------------------------------------------------------------------------
// Master binding

void TDBLookupGridEh::UpdateDataFields() {
    FMasterFieldNames.clear();
    FDataFields.clear();
    FMasterFields.clear();
    if (FDataLink->Active() && !FDataFieldName.isEmpty()) {
        CheckListLinkNotCircular();
        TDataSet* ds = FDataLink->DataSet();
        FieldsArrayFromNames(ds, this, FDataFieldName, FDataFields);
        if (FDataFields.size() == 1 && FDataFields.front()->FieldKind() == fkLookup)
            FieldsArrayFromNames(ds, this, FDataFields.front()->KeyFields(), FMasterFields);
        else
            FMasterFields = FDataFields;
        FMasterFieldNames = JoinNames(FMasterFields);
    }
    SwitchLookupMode(FDataFields.size() == 1 && FDataFields.front()->FieldKind() == fkLookup);
    MasterRecordChanged(nullptr);
}

void TDBLookupGridEh::SwitchLookupMode(bool On) {
    if (On == FLookupMode) return;
    if (On) {
        TField* f = FDataFields.front();
        FMasterFields.clear();
        FieldsArrayFromNames(f->DataSet(), this, f->KeyFields(), FMasterFields);
        FLookupSource->SetDataSet(f->LookupDataSet());
        FKeyFieldName = f->LookupKeyFields();
        FLookupMode = true;
        WriteDataSource(FLookupSource);
    } else {
        WriteDataSource(nullptr);
        FLookupMode = false;
        FKeyFieldName.clear();
        FLookupSource->SetDataSet(nullptr);
        FMasterFields = FDataFields;
    }
}

void TDBLookupGridEh::MasterRecordChanged(TField* Field) {
    if (Field && std::find(FMasterFields.begin(), FMasterFields.end(), Field) == FMasterFields.end()) return;
    if (FMasterFields.empty() || !FDataLink->Active())
        SetKeyValue(Variant::FromNull());
    else
        SetKeyValue(FDataLink->DataSet()->FieldValues(FMasterFieldNames));
}

// ---------------------------------------------------------------------------------------------
// List binding

void TDBLookupGridEh::UpdateListFields() {
    FListActive = false;
    FListField = nullptr;
    FListFields.clear();
    FKeyFields.clear();
    // Whatever happens, the key and the list position follow what is resolved.
    const auto finish = qScopeGuard([this] {
        if (FListActive)
            KeyValueChanged();
        else
            UpdateListPosition();
    });
    if (!DataLink()->Active() || FKeyFieldName.isEmpty()) return;
    CheckListLinkNotCircular();
    TDataSet* ds = DataLink()->DataSet();
    FieldsArrayFromNames(ds, this, FKeyFieldName, FKeyFields);
    try {
        ds->GetFieldList(FListFields, FListFieldName);
    } catch (const Exception&) {
        FListFields.clear();
        DatabaseErrorFmt(DBConsts::SFieldNotFound, {FListFieldName}, this);
    }
    if (FLookupMode) {
        TField* result = ds->FieldByName(Field()->LookupResultField());
        if (std::find(FListFields.begin(), FListFields.end(), result) == FListFields.end())
            FListFields.insert(FListFields.begin(), result);
        FListField = result;
    } else {
        if (FListFields.empty()) FListFields = FKeyFields;
        const bool inside = FListFieldIndex >= 0 && FListFieldIndex < int(FListFields.size());
        FListField = FListFields.empty() ? nullptr : FListFields[size_t(inside ? FListFieldIndex : 0)];
    }
    FListActive = FListField != nullptr;
    // The columns show the list fields.
    LayoutChanged();
}

bool TDBLookupGridEh::CanLocateKey(const TFieldsArrEh&, const Variant&) {
    return true;
}

bool TDBLookupGridEh::LocateKey() {
    ListChangingScope changing(this);
    try {
        TDataSet* ds = DataLink()->DataSet();
        if (VarIsNull(FKeyValue) || !ds || !ds->Active() || !CanLocateKey(FKeyFields, FKeyValue))
            return false;
        const Variant keep = FKeyValue;
        if (!ds->Locate(FKeyFieldName, FKeyValue, TLocateOptions{})) return false;
        FKeyValue = keep;
        if (IsExtendedScrolling() && HandleAllocated()) SafeMoveTop(Row() - VisibleRowCount() / 2, false);
        return true;
    } catch (const Exception&) {
        // A key that cannot be searched for is a key that is not there.
        return false;
    }
}

void TDBLookupGridEh::KeyValueChanged() {
    bool located = false;
    if (SpecRowVisible()) {
        FSpecRow->SetSelected(VariantsEqual(FKeyValue, FSpecRow->Value()));
        if (!FLockPosition && !FSpecRow->Selected() && FSpecRow->ShowIfNotInKeyList()) {
            located = LocateKey();
            if (located)
                UpdateListPosition();
            else
                FSpecRow->SetSelected(true);
        }
    } else {
        FSpecRow->SetSelected(false);
    }
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    {
        ListChangingScope changing(this);
        if (FListActive && !FLockPosition && ds) {
            if (located || LocateKey() || FSpecRow->Selected())
                UpdateListPosition();
            else if (!ds->IsEmpty())
                ds->First();
        }
    }
    FSelectedItem.clear();
    if (FListField && ds && SpecRowVisible() && FSpecRow->Selected()) {
        FSelectedItem = FSpecRow->GetCellText(FListFieldIndex);
    } else if (FListField && ds && !ds->IsEmpty() && !VarIsNull(FKeyValue) &&
               VariantsEqual(ds->FieldValues(FKeyFieldName), FKeyValue)) {
        // Only the key's own record names the selection; a list left on another record does not.
        if (DrawMemoText() && IsMemoType(FListField->DataType()))
            FSelectedItem = FListField->AsString();
        else
            FSelectedItem = FListField->DisplayText();
    }
    LinkDataChanged();
    InvalidateList();
}

void TDBLookupGridEh::UpdateListPosition() {
    TDataSet* ds = FListActive && DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (ds) {
        if (IsExtendedScrolling()) {
            FRecordIndex = std::max(0, ds->RecNo() - 1);
            FRecordCount = ds->RecordCount();
        } else {
            FRecordIndex = DataLink()->ActiveRecord();
            FRecordCount = DataLink()->RecordCount();
        }
        FKeySelected = !VarIsNull(FKeyValue) || !ds->Bof();
    } else {
        FRecordIndex = 0;
        FRecordCount = 0;
        FKeySelected = false;
    }
    if (HandleAllocated()) {
        UpdateVertScrollBar();
        InvalidateList();
    }
}

void TDBLookupGridEh::SelectKeyValue(const Variant& Value) {
    if (FMasterFields.empty()) {
        SetKeyValue(Value);
    } else if (FDataLink->Edit()) {
        SetFieldValuesFromVariant(FDataLink->DataSet(), FMasterFieldNames, Value);
    }
    LinkDataChanged();
    Repaint();
    Click();
}

void TDBLookupGridEh::SelectCurrentListRecord() {
    TDataSet* ds = FListActive && DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (!ds || ds->IsEmpty()) return;
    FlagScope lock(FLockPosition);
    const Variant v = ds->FieldValues(FKeyFieldName);
    if (!VariantsEqual(v, FKeyValue)) SelectKeyValue(v);
}

void TDBLookupGridEh::SelectSpecRow() {
    FlagScope lock(FLockPosition);
    if (!VariantsEqual(FSpecRow->Value(), FKeyValue)) SelectKeyValue(FSpecRow->Value());
    FSpecRow->SetSelected(true);
    if (FListField) FSelectedItem = FSpecRow->GetCellText(FListFieldIndex);
    InvalidateList();
}

void TDBLookupGridEh::ProcessSearchKey(QChar Key) {
    if (!FListField) return;
    const TFieldKind kind = FListField->FieldKind();
    const TFieldType type = FListField->DataType();
    if (!(kind == fkData || kind == fkCalculated || kind == fkInternalCalc)) return;
    if (!(type == ftString || type == ftWideString)) return;
    if (Key == QChar(8) || Key == QChar(27)) {
        FSearchText.clear();
        return;
    }
    if (Key.unicode() < 32 || !CanModify()) return;
    const uint32_t now = GetTickCount();
    if (now - SearchTickCount > SearchResetMs) FSearchText.clear();
    SearchTickCount = now;
    if (FSearchText.size() >= SearchTextMax) return;
    const String s = FSearchText + Key;
    TDataSet* ds = DataLink()->DataSet();
    ListChangingScope changing(this);
    try {
        if (ds->Locate(FListField->FieldName(), Variant(s),
                       TLocateOptions{loCaseInsensitive, loPartialKey})) {
            SelectKeyValue(ds->FieldValues(FKeyFieldName));
            FSearchText = s;
        }
    } catch (const Exception&) {
        FSearchText = s;
    }
}

bool TDBLookupGridEh::CanModify() {
    if (!FListActive || ReadOnly()) return false;
    if (!FDataLink->DataSource()) return true;
    if (FMasterFields.empty()) return false;
    for (TField* f : FMasterFields)
        if (!f->CanModify()) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sizes

int TDBLookupGridEh::GetBorderHeight() {
    if (!HandleAllocated()) return 0;
    // The scroll-bar panels inside the client area hold no rows either.
    return Height() - ClientHeight() + OutBoundaryData()->TopIndent() + OutBoundaryData()->BottomIndent();
}

int TDBLookupGridEh::GetSpecRowHeight() {
    return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridEh::GetListRowHeight() {
    return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridEh::TitleRowsHeight() {
    if (!ShowTitles()) return 0;
    return RowHeights(0) + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

void TDBLookupGridEh::SpecRowChanged(TObject*) {
    // Showing or hiding the special row adds or removes a fixed row above the data.
    if (SpecRowVisible() != FSpecRowShown) {
        FSpecRowShown = SpecRowVisible();
        LayoutChanged();
        if (!FInternalHeightSetting) WriteRowCount(FRowCount);
    }
    InvalidateList();
}

void TDBLookupGridEh::InvalidateList() {
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

void TDBLookupGridEh::DataRect(TRect& Rect) {
    const int firstRow = TopDataOffset() - (SpecRowVisible() ? 1 : 0);
    int lastRow = GetTitleRowCount() + GetFilterRowCount() + FRowCount - 1;
    if (FooterRowCount() > 0) lastRow -= FooterRowCount() + 2;
    lastRow = std::max(firstRow, std::min(lastRow, TCustomGridEh::RowCount() - 1));
    const TRect a = CellRect(IndicatorOffset(), firstRow);
    const TRect b = CellRect(std::max(IndicatorOffset(), ColCount() - 1), lastRow);
    Rect = TRect(a.Left, a.Top, std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom));
}

int TDBLookupGridEh::GetColumnsWidthToFit() {
    int w = 0;
    const bool lines = Options().Contains(dgColLines);
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Columns(i);
        if (c->Visible()) w += FLGAutoFitColWidths && c->InitWidth() > 0 ? c->InitWidth() : c->Width();
        if (lines) w += GridLineWidth();
    }
    return w;
}

// ---------------------------------------------------------------------------------------------
// Columns, field map and the list link's reactions

void TDBLookupGridEh::ListFieldsForBars(std::vector<TField*>& List) {
    List.insert(List.end(), FListFields.begin(), FListFields.end());
}

void TDBLookupGridEh::BuildFieldMap() {
    TAxisGridDataLinkEh* link = DataLink();
    if (Columns()->State() == csCustomized) {
        link->SetSparseMap(true);
        for (int i = 0; i < Columns()->Count(); ++i)
            link->AddMapping(Columns()->Columns(i)->FieldName());
    } else {
        link->SetSparseMap(false);
        for (TField* f : FListFields)
            link->AddMapping(f->FieldName());
    }
}

void TDBLookupGridEh::RequestLayoutUpdate() {
    if (BeginLayoutIfUnlocked()) EndLayout();
}

void TDBLookupGridEh::LinkActiveChanged(bool Value) {
    if (FLookupDestroying || ComponentState().Contains(csDestroying)) {
        TCustomDBGridEh::LinkActiveChanged(Value);
        return;
    }
    // The grid follows the link even when the list fields cannot be resolved.
    const auto after = qScopeGuard([this, Value] {
        TCustomDBGridEh::LinkActiveChanged(Value);
        FitColumnWidths();
    });
    UpdateListFields();
}

void TDBLookupGridEh::LinkDataSetChanged() {
    TCustomDBGridEh::LinkDataSetChanged();
    UpdateListPosition();
}

void TDBLookupGridEh::LinkDataSetScrolled(int Distance) {
    LockUpdate();
    const auto unlock = qScopeGuard([this] { UnlockUpdate(); });
    TCustomDBGridEh::LinkDataSetScrolled(Distance);
    UpdateListPosition();
}

int TDBLookupGridEh::KeyRecordBufferIndex() {
    if (VarIsNull(FKeyValue) || !DataLink()->Active() || FKeyFieldName.isEmpty()) return -1;
    TDataSet* ds = DataLink()->DataSet();
    const int saved = DataLink()->ActiveRecord();
    const auto restore = qScopeGuard([this, saved] { DataLink()->SetActiveRecord(saved); });
    for (int i = 0; i < FRecordCount; ++i) {
        DataLink()->SetActiveRecord(i);
        if (VariantsEqual(ds->FieldValues(FKeyFieldName), FKeyValue)) return i;
    }
    return -1;
}

int TDBLookupGridEh::KeyRecordDataRow() {
    if (VarIsNull(FKeyValue) || !FListActive || !DataLink()->Active()) return -1;
    TDataSet* ds = DataLink()->DataSet();
    if (ds->IsEmpty()) return -1;
    if (UsesMemTable()) {
        return VariantsEqual(ds->FieldValues(FKeyFieldName), FKeyValue) ? ds->RecNo() - 1 : -1;
    }
    const int saved = DataLink()->ActiveRecord();
    const auto restore = qScopeGuard([this, saved] { DataLink()->SetActiveRecord(saved); });
    for (int i = 0; i < DataLink()->RecordCount(); ++i) {
        DataLink()->SetActiveRecord(i);
        if (VariantsEqual(ds->FieldValues(FKeyFieldName), FKeyValue)) return i;
    }
    return -1;
}

void TDBLookupGridEh::LinkDataChanged() {
    // The list moving under an in-place search ends it, unless the search itself moved it.
    if (!InplaceSearchingInProcess()) StopInplaceSearch();
    FKeyRowVisible = false;
    if (!DataLink()->Active() || !HandleAllocated() || ComponentState().Contains(csLoading)) {
        TCustomDBGridEh::LinkDataChanged();
        return;
    }
    if (UsesMemTable()) {
        // The grid's row follows the list's cursor, which stands on the key when it is found.
        TCustomDBGridEh::LinkDataChanged();
        FKeyRowVisible = KeyRecordDataRow() >= 0;
        return;
    }
    const int dataRow = KeyRecordDataRow();
    if (dataRow < 0 || dataRow >= DataRowCount()) return;
    const int row = TopDataOffset() + dataRow;
    if (row != Row()) {
        if (!Options().Contains(dgAlwaysShowEditor)) HideEditor();
        FocusCell(Col(), row, false, false, true);
        InvalidateEditor();
    }
    FKeyRowVisible = true;
}

// ---------------------------------------------------------------------------------------------
// Painting

int TDBLookupGridEh::GetFilterRowCount() const {
    return SpecRowVisible() ? 1 : 0;
}

bool TDBLookupGridEh::IsExtendedScrolling() {
    return UsesMemTable();
}

bool TDBLookupGridEh::IsFixedStyleCell(const TGridCoord& Cell, TGridDrawState State) {
    if (SpecRowVisible() && Cell.Y == SpecRowGridRow()) return false;
    return TCustomDBGridEh::IsFixedStyleCell(Cell, State);
}

bool TDBLookupGridEh::ShowRowFocusRect() {
    return FKeyRowVisible && TCustomDBGridEh::ShowRowFocusRect();
}

bool TDBLookupGridEh::HighlightDataCellColor(int, int, TFont* AFont, TColor& AColor, TGridDrawState,
                                             const String&) {
    // The record holding the key is the selection, not the list's current record.
    bool highlighted = false;
    if (!VarIsNull(FKeyValue) && DataLink()->Active() && UpdateLock() == 0 && !FKeyFieldName.isEmpty()) {
        try {
            highlighted = VariantsEqual(DataLink()->DataSet()->FieldValues(FKeyFieldName), FKeyValue);
        } catch (const Exception&) {
            highlighted = false;
        }
    }
    if (highlighted) {
        // A custom style gives its own selection colours.
        const bool styled = CustomStyleInUse();
        AColor = styled ? StyleServices()->GetSystemColor(clHighlight) : clHighlight;
        if (AFont)
            AFont->SetColor(styled ? StyleServices()->GetStyleFontColor(sfListItemTextSelected)
                                   : clHighlightText);
    } else if (AFont) {
        AFont->SetColor(clWindowText);
    }
    return highlighted;
}

void TDBLookupGridEh::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (SpecRowVisible() && ARow == SpecRowGridRow() && ACol >= IndicatorOffset()) {
        DrawSpecRowCell(ACol, ARow, ARect);
        return;
    }
    TCustomDBGridEh::DrawCell(ACol, ARow, ARect, AState);
}

void TDBLookupGridEh::DrawSpecRowCell(int ACol, int ARow, const TRect& ARect) {
    TCanvas* c = Canvas();
    const int dataCol = ACol - IndicatorOffset();
    auto* column = dynamic_cast<TDBLookupGridColumnEh*>(DataColumn(dataCol));
    c->Font()->Assign(FSpecRow->Font());
    const bool styled = CustomStyleInUse();
    if (styled) c->Font()->SetColor(StyleServices()->GetSystemColor(c->Font()->Color()));
    TColor back = column ? column->SpecCell()->Color() : FSpecRow->Color();
    const bool selected = FSpecRow->Selected();
    if (selected) {
        c->Font()->SetColor(styled ? StyleServices()->GetStyleFontColor(sfListItemTextSelected)
                                   : clHighlightText);
        back = clHighlight;
    }
    c->Brush()->SetColor(back);
    const String text = column ? column->SpecCell()->Text() : FSpecRow->GetCellText(dataCol);
    const TAlignment align = column ? column->Alignment() : taLeftJustify;
    WriteCellText(column, c, true, false, tlCenter, align, text, 2, GetDataCellLeftOffset(), true, ARect);
    if (selected) {
        c->Font()->SetColor(clWindowText);
        c->Brush()->SetColor(clWindow);
        // One focus rectangle round the whole row, drawn with its last cell.
        if (ACol == ColCount() - 1) {
            const TRect first = CellRect(IndicatorOffset(), ARow);
            TRect r(first.Left, ARect.Top, ARect.Right, ARect.Bottom);
            c->DrawFocusRect(r);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Stored properties

KVT_ENUM_TYPE(TDBLookupGridEhOption, dlgColumnResizeEh, dlgColLinesEh, dlgRowLinesEh, dlgAutoSortMarkingEh,
              dlgMultiSortMarkingEh)

// Only what was set on a cell itself is stored; the rest comes from the special row.
KVT_PUBLISHED(TGridColumnSpecCellEh) {
    using C = TGridColumnSpecCellEh;
    P.Prop("Color", &C::Color, &C::SetColor).Stored(&C::ColorAssigned);
    P.Prop(
         "Font", [](C* c) { return c->Font(); }, &C::SetFont)
        .Stored(&C::FontAssigned);
    P.Prop("Text", &C::Text, &C::SetText).Stored(&C::TextAssigned);
}

// A list column offers only what makes sense in a pick list: no editing, drop-downs or footers.
// Its font is streamed by the column itself (FontAttributes).
KVT_PUBLISHED(TDBLookupGridColumnEh) {
    using C = TDBLookupGridColumnEh;
    P.Retain({"Alignment", "Checkboxes", "Color", "EndEllipsis", "FieldName", "ImeMode", "ImeName", "KeyList",
              "NotInKeyListIndex", "PickList", "ShowImageAndText", "Tag", "Title", "ToolTips", "Visible"});
    P.Prop(
         "AutoFitColWidth", [](C* c) { return c->AutoFitColWidth(); },
         [](C* c, bool v) { c->SetAutoFitColWidth(v); })
        .Default(true);
    P.Prop(
         "Font", [](C* c) { return c->Font(); }, [](C* c, TFont* v) { c->SetFont(v); })
        .Stored(false);
    P.Prop(
        "ImageList", [](C* c) { return c->ImageList(); },
        [](C* c, TCustomImageList* v) { c->SetImageList(v); });
    P.Prop(
         "MaxWidth", [](C* c) { return c->MaxWidth(); }, [](C* c, int v) { c->SetMaxWidth(v); })
        .Default(0);
    P.Prop(
         "MinWidth", [](C* c) { return c->MinWidth(); }, [](C* c, int v) { c->SetMinWidth(v); })
        .Default(0);
    P.Prop(
        "PopupMenu", [](C* c) { return c->PopupMenu(); }, [](C* c, TPopupMenu* v) { c->SetPopupMenu(v); });
    P.Prop(
        "SpecCell", [](C* c) { return c->SpecCell(); }, &C::SetSpecCell);
    P.Prop(
         "Width", [](C* c) { return c->Width(); }, [](C* c, int v) { c->SetWidth(v); })
        .Stored([](C* c) { return c->IsWidthStored(); });
    P.Prop(
        "OnGetCellParams", [](C* c) { return c->OnGetCellParams(); },
        [](C* c, const TColumnEh::TGetColCellParamsEventEh& v) { c->SetOnGetCellParams(v); });
}

KVT_PUBLISHED(TDBLookupGridColumnDefValuesEh) {
    P.Retain({"EndEllipsis", "Title", "ToolTips"});
}

// The list source and key come before the list fields and the height, which are resolved and
// fitted against them when read back. The height in rows follows from Height and is not stored.
KVT_PUBLISHED(TDBLookupGridEh) {
    using C = TDBLookupGridEh;
    P.Publish({"Align", "Anchors", "BiDiMode", "Constraints", "Ctl3D", "DragCursor", "DragMode", "Enabled",
               "Font", "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
               "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible"});
    P.Prop(
         "Color", [](C* c) { return c->Color(); }, [](C* c, TColor v) { c->SetColor(v); })
        .Default(clWindow);
    P.Prop(
        "DataSource", [](C* c) { return c->MasterSource(); },
        [](C* c, TDataSource* v) { c->SetMasterSource(v); });
    P.Prop(
        "DataField", [](C* c) { return String(c->DataField()); },
        [](C* c, const String& v) { c->SetDataField(v); });
    P.Prop("ListSource", &C::ListSource, &C::SetListSource);
    P.Prop("KeyField", &C::KeyField, &C::SetKeyField);
    P.Prop(
        "ListField", [](C* c) { return String(c->ListField()); },
        [](C* c, const String& v) { c->SetListField(v); });
    P.Prop("ListFieldIndex", &C::ListFieldIndex, &C::SetListFieldIndex).Default(0);
    P.Prop("Options", &C::LookupOptions, &C::SetLookupOptions).Default(TDBLookupGridEhOptions{dlgColLinesEh});
    P.Prop("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
    P.Prop("ShowTitles", &C::ShowTitles, &C::SetShowTitles).Default(false);
    P.Prop("UseMultiTitle", &C::UseMultiTitle, &C::SetUseMultiTitle).Default(false);
    P.Prop("AutoFitColWidths", &C::AutoFitColWidths, &C::SetAutoFitColWidths).Default(false);
    P.Prop(
        "SpecRow", [](C* c) { return c->SpecRow(); }, &C::SetSpecRow);
    P.Prop(
         "RowCount", [](C* c) { return c->RowCount(); }, [](C* c, int v) { c->SetRowCount(v); })
        .Stored([](C*) { return false; });
    P.Prop(
        "OnColumnMoved", [](C* c) { return c->OnColumnMoved; },
        [](C* c, const TMovedEvent& v) { c->OnColumnMoved = v; });
    P.Publish({"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp",
               "OnStartDrag"});
}
