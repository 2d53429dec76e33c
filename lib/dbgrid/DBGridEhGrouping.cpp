// Grouping settings: the groups object of a grid, its levels, the default values of group rows
// and footers, the bottom-line pen and the grouping panel settings. Changes reach the group
// tree and the grid here: a change of the levels rebuilds the tree from the first level that
// changed, keeping the nodes and expanded states of the levels above it. The published
// properties of all of them are here too, so that they are linked whenever grouping is.

#include "lib/dbgrid/DBGridEhGrouping.h"

#include "lib/dbgrid/DBGridEh.h"
#include "platform/ui/Dialogs.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QScopeGuard>

namespace {
bool GridLoading(TComponent* Grid) {
    return Grid && Grid->ComponentState().Contains(csLoading);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Small settings objects

void TGridGroupLinePenEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TGridGroupLinePenEh*>(Source)) {
        SetColor(src->Color());
        SetWidth(src->Width());
        return;
    }
    TPersistent::Assign(Source);
}

TPersistent* TGridGroupLinePenEh::GetOwner() {
    return FOwner;
}

void TGridGroupLinePenEh::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    if (FOwner && FOwner->DataGroups()) FOwner->DataGroups()->AppearanceChanged();
}

void TGridGroupLinePenEh::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    if (FOwner && FOwner->DataGroups()) FOwner->DataGroups()->AppearanceChanged();
}

TGridDataGroupRowDefValuesEh::TGridDataGroupRowDefValuesEh(TGridDataGroupsEh* ADataGroups)
    : FBottomLine(std::make_unique<TGridGroupLinePenEh>(this)), FDataGroups(ADataGroups) {}

TGridDataGroupRowDefValuesEh::~TGridDataGroupRowDefValuesEh() = default;

TPersistent* TGridDataGroupRowDefValuesEh::GetOwner() {
    return FDataGroups;
}

void TGridDataGroupRowDefValuesEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TGridDataGroupRowDefValuesEh*>(Source)) {
        SetFooterInGroupRow(src->FooterInGroupRow());
        SetRowHeight(src->RowHeight());
        SetRowLines(src->RowLines());
        SetBottomLine(src->BottomLine());
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupRowDefValuesEh::SetFooterInGroupRow(bool Value) {
    if (Value == FFooterInGroupRow) return;
    FFooterInGroupRow = Value;
    if (FDataGroups) FDataGroups->FooterStructureChanged();
}

void TGridDataGroupRowDefValuesEh::SetRowHeight(int Value) {
    if (Value == FRowHeight) return;
    FRowHeight = Value;
    if (FDataGroups) FDataGroups->FooterStructureChanged();
}

void TGridDataGroupRowDefValuesEh::SetRowLines(int Value) {
    if (Value == FRowLines) return;
    FRowLines = Value;
    if (FDataGroups) FDataGroups->FooterStructureChanged();
}

TPersistent* TGridDataGroupFootersDefValuesEh::GetOwner() {
    return FDataGroups;
}

void TGridDataGroupFootersDefValuesEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TGridDataGroupFootersDefValuesEh*>(Source)) {
        SetShowFunctionName(src->ShowFunctionName());
        SetRunTimeCustomizable(src->RunTimeCustomizable());
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupFootersDefValuesEh::SetShowFunctionName(bool Value) {
    if (Value == FShowFunctionName) return;
    FShowFunctionName = Value;
    if (FDataGroups) FDataGroups->FooterValuesChanged();
}

TPersistent* TDBGridEhGroupingPanelEh::GetOwner() {
    return FDataGroups;
}

void TDBGridEhGroupingPanelEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TDBGridEhGroupingPanelEh*>(Source)) {
        SetColor(src->FColor);
        return;
    }
    TPersistent::Assign(Source);
}

TColor TDBGridEhGroupingPanelEh::Color() {
    if (FColor != clDefault) return FColor;
    IDataGroupsGridEh* link = FDataGroups ? FDataGroups->Link() : nullptr;
    return link ? link->DGGroupingPanelColor() : clBtnFace;
}

void TDBGridEhGroupingPanelEh::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    if (IDataGroupsGridEh* link = FDataGroups ? FDataGroups->Link() : nullptr) link->DGInvalidate();
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupLevelEh

TGridDataGroupLevelEh::TGridDataGroupLevelEh(TCollection* Collection)
    : TCollectionItem(Collection), FFont(std::make_unique<TFont>()) {
    FFooters =
        std::make_unique<TGridDataGroupFootersEh>(this, CollectionItemClassOf<TGridDataGroupFooterEh>());
    if (TGridDataGroupsEh* groups = DataGroups()) {
        FFontChanging = true;
        FFont->Assign(groups->Font());
        FFontChanging = false;
    }
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupLevelEh::FontChanged);
}

TGridDataGroupLevelEh::~TGridDataGroupLevelEh() {
    FFont->OnChange = nullptr;
}

void TGridDataGroupLevelEh::AfterConstruction() {
    TCollectionItem::AfterConstruction();
    // The collection could not look at the item while it was being built; it does now.
    if (auto* levels = dynamic_cast<TGridDataGroupLevelsEh*>(Collection())) levels->ItemConstructed();
}

TGridDataGroupsEh* TGridDataGroupLevelEh::DataGroups() const {
    auto* levels = dynamic_cast<TGridDataGroupLevelsEh*>(Collection());
    return levels ? levels->DataGroups() : nullptr;
}

IDataGroupsGridEh* TGridDataGroupLevelEh::Link() const {
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->Link() : nullptr;
}

int TGridDataGroupLevelEh::ActiveIndex() const {
    TGridDataGroupsEh* groups = DataGroups();
    if (!groups) return -1;
    for (int i = 0; i < groups->ActiveGroupLevelsCount(); ++i)
        if (groups->ActiveGroupLevels(i) == this) return i;
    return -1;
}

TColor TGridDataGroupLevelEh::Color() {
    if (FParentColor) {
        TGridDataGroupsEh* groups = DataGroups();
        return groups ? groups->Color() : FColor;
    }
    return FColor;
}

void TGridDataGroupLevelEh::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupLevelEh::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    AppearanceChanged();
}

TFont* TGridDataGroupLevelEh::Font() {
    TGridDataGroupsEh* groups = DataGroups();
    if (FParentFont && groups && groups->Font()->Handle() != FFont->Handle()) RefreshDefaultFont();
    return FFont.get();
}

void TGridDataGroupLevelEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridDataGroupLevelEh::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupLevelEh::RefreshDefaultFont() {
    TGridDataGroupsEh* groups = DataGroups();
    if (!FParentFont || !FFont || !groups) return;
    FFontChanging = true;
    const auto done = qScopeGuard([this] { FFontChanging = false; });
    FFont->Assign(groups->Font());
}

void TGridDataGroupLevelEh::FontChanged(TObject*) {
    if (FFontChanging) return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupLevelEh::SetColumn(TPersistent* Value) {
    if (Value == FColumn) return;
    FColumn = Value;
    Changed(false);
}

void TGridDataGroupLevelEh::SetSortOrder(TSortOrderEh Value) {
    if (Value == FSortOrder) return;
    FSortOrder = Value;
    if (auto* levels = dynamic_cast<TGridDataGroupLevelsEh*>(Collection()))
        levels->LevelSortOrderChanged(this);
}

int TGridDataGroupLevelEh::RowHeight() {
    if (FRowHeightStored) return FRowHeight;
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->GroupRowDefValues()->RowHeight() : 0;
}

void TGridDataGroupLevelEh::SetRowHeight(int Value) {
    if (FRowHeightStored && Value == FRowHeight) return;
    FRowHeightStored = true;
    FRowHeight = Value;
    if (TGridDataGroupsEh* groups = DataGroups()) groups->FooterStructureChanged();
}

void TGridDataGroupLevelEh::SetRowHeightStored(bool Value) {
    if (Value == FRowHeightStored) return;
    FRowHeightStored = Value;
    TGridDataGroupsEh* groups = DataGroups();
    FRowHeight = groups ? groups->GroupRowDefValues()->RowHeight() : 0;
}

int TGridDataGroupLevelEh::RowLines() {
    if (FRowLinesStored) return FRowLines;
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->GroupRowDefValues()->RowLines() : 0;
}

void TGridDataGroupLevelEh::SetRowLines(int Value) {
    if (FRowLinesStored && Value == FRowLines) return;
    FRowLinesStored = true;
    FRowLines = Value;
    if (TGridDataGroupsEh* groups = DataGroups()) groups->FooterStructureChanged();
}

void TGridDataGroupLevelEh::SetRowLinesStored(bool Value) {
    if (Value == FRowLinesStored) return;
    FRowLinesStored = Value;
    TGridDataGroupsEh* groups = DataGroups();
    FRowLines = groups ? groups->GroupRowDefValues()->RowLines() : 0;
}

bool TGridDataGroupLevelEh::FooterInGroupRow() {
    if (FFooterInGroupRowStored) return FFooterInGroupRow;
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->GroupRowDefValues()->FooterInGroupRow() : false;
}

void TGridDataGroupLevelEh::SetFooterInGroupRow(bool Value) {
    if (FFooterInGroupRowStored && Value == FFooterInGroupRow) return;
    FFooterInGroupRowStored = true;
    FFooterInGroupRow = Value;
    if (TGridDataGroupsEh* groups = DataGroups()) groups->FooterStructureChanged();
}

void TGridDataGroupLevelEh::SetFooterInGroupRowStored(bool Value) {
    if (Value == FFooterInGroupRowStored) return;
    FFooterInGroupRowStored = Value;
    TGridDataGroupsEh* groups = DataGroups();
    FFooterInGroupRow = groups ? groups->GroupRowDefValues()->FooterInGroupRow() : false;
}

bool TGridDataGroupLevelEh::IsFootersStored() const {
    return FFooters->Count() > 0;
}

TGridDataGroupFootersEh* TGridDataGroupLevelEh::UsedFooters() const {
    TGridDataGroupsEh* groups = DataGroups();
    return FParentFooters && groups ? groups->Footers() : FFooters.get();
}

TGridDataGroupFooterEh* TGridDataGroupLevelEh::GetVisibleFooter(int Index) const {
    return UsedFooters()->Footer(Index);
}

int TGridDataGroupLevelEh::VisibleFootersCount() const {
    return UsedFooters()->Count();
}

void TGridDataGroupLevelEh::CollapseNodes() {
    const int i = ActiveIndex();
    if (i >= 0) DataGroups()->GroupDataTree()->CollapseLevelNodes(i + 1);
}

void TGridDataGroupLevelEh::ExpandNodes() {
    const int i = ActiveIndex();
    if (i >= 0) DataGroups()->GroupDataTree()->ExpandLevelNodes(i + 1);
}

void TGridDataGroupLevelEh::ExtractNodes() {
    ExpandNodes();
}

String TGridDataGroupLevelEh::GetDisplayName() {
    String result;
    TGridDataGroupsEh* groups = DataGroups();
    if (groups && groups->Grid()) result = groups->Grid()->Name() + QStringLiteral(".DataGrouping");
    IDataGroupsGridEh* link = Link();
    const String fieldName = link && FColumn ? link->DGColumnFieldName(FColumn) : String();
    if (!fieldName.isEmpty()) result += QStringLiteral("['") + fieldName + QStringLiteral("']");
    return result.isEmpty() ? TCollectionItem::GetDisplayName() : result;
}

TColor TGridDataGroupLevelEh::DefaultFooterColor() {
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->DefaultFooterColor() : clWindow;
}

TFont* TGridDataGroupLevelEh::DefaultFooterFont() {
    TGridDataGroupsEh* groups = DataGroups();
    return groups ? groups->DefaultFooterFont() : nullptr;
}

void TGridDataGroupLevelEh::AppearanceChanged() {
    if (IDataGroupsGridEh* link = Link()) link->DGInvalidate();
}

String TGridDataGroupLevelEh::GetGroupRowText(TGroupDataTreeNodeEh*) {
    return String();
}

Variant TGridDataGroupLevelEh::GetKeyValue() {
    if (OnGetKeyValue) {
        OnGetKeyValue(this);
        return Variant();
    }
    IDataGroupsGridEh* link = Link();
    TField* field = link && FColumn ? link->DGColumnField(FColumn) : nullptr;
    if (field && field->DataSet() && field->DataSet()->Active()) return field->Value();
    return Variant();
}

String TGridDataGroupLevelEh::GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode) {
    return GroupDataTreeNode ? VarToStr(GroupDataTreeNode->KeyValue()) : String();
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhDataGroupLevelEh

void TDBGridEhDataGroupLevelEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TDBGridEhDataGroupLevelEh*>(Source);
    if (!src) {
        TGridDataGroupLevelEh::Assign(Source);
        return;
    }
    SetColor(src->Color());
    SetColumnName(src->Column() ? src->ColumnName() : src->LoadingColumnName());
    SetFont(src->Font());
    SetParentColor(src->ParentColor());
    SetParentFont(src->ParentFont());
    SetSortOrder(src->SortOrder());
    SetRowHeight(src->RowHeight());
    SetRowHeightStored(src->RowHeightStored());
    SetRowLines(src->RowLines());
    SetRowLinesStored(src->RowLinesStored());
    OnGetKeyValue = src->OnGetKeyValue;
    OnGetKeyValueAsText = src->OnGetKeyValueAsText;
    OnGetGroupRowText = src->OnGetGroupRowText;
}

String TDBGridEhDataGroupLevelEh::ColumnName() {
    IDataGroupsGridEh* link = Link();
    return link && Column() ? link->DGColumnName(Column()) : String();
}

void TDBGridEhDataGroupLevelEh::SetColumnName(const String& Value) {
    TGridDataGroupsEh* groups = DataGroups();
    if (groups && GridLoading(groups->Grid())) {
        FLoadingColumnName = Value;
        return;
    }
    IDataGroupsGridEh* link = Link();
    SetColumn(link && !Value.isEmpty() ? link->DGFindColumnByName(Value) : nullptr);
}

void TDBGridEhDataGroupLevelEh::AppearanceChanged() {
    TGridDataGroupLevelEh::AppearanceChanged();
    if (IDataGroupsGridEh* link = Link(); link && Column()) link->DGUpdateAllDataRowHeights();
}

String TDBGridEhDataGroupLevelEh::GetGroupRowText(TGroupDataTreeNodeEh* GroupDataTreeNode) {
    if (!GroupDataTreeNode) return String();
    IDataGroupsGridEh* link = Link();
    String text;
    TGridDataGroupLevelEh* level = GroupDataTreeNode->DataGroupLevel();
    if (link && level && level->Column())
        text = link->DGColumnTitleCaption(level->Column()) + QStringLiteral(": ");
    text += GroupDataTreeNode->DisplayValue() + QStringLiteral(" (") + IntToStr(GroupDataTreeNode->Count()) +
            QStringLiteral(")");
    if (link) link->DGDataGroupGetRowText(GroupDataTreeNode, text);
    if (OnGetGroupRowText && Column())
        OnGetGroupRowText(link ? link->DGGrid() : nullptr, GroupDataTreeNode, text);
    return text;
}

Variant TDBGridEhDataGroupLevelEh::GetKeyValue() {
    Variant value = TGridDataGroupLevelEh::GetKeyValue();
    IDataGroupsGridEh* link = Link();
    if (link && Column()) link->DGColumnGroupGetKeyValue(Column(), value);
    if (OnGetKeyValue && Column()) OnGetKeyValue(link ? link->DGGrid() : nullptr, this, value);
    return value;
}

String TDBGridEhDataGroupLevelEh::GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode) {
    IDataGroupsGridEh* link = Link();
    const Variant key = GroupDataTreeNode ? GroupDataTreeNode->KeyValue() : Variant();
    String text = link && Column() ? link->DGColumnDisplayText(Column()) : VarToStr(key);
    if (link && Column()) link->DGColumnGroupGetKeyValueAsText(Column(), GroupDataTreeNode, key, text);
    if (OnGetKeyValueAsText)
        OnGetKeyValueAsText(link ? link->DGGrid() : nullptr, GroupDataTreeNode, key, text);
    return text;
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupLevelsEh

TGridDataGroupLevelsEh::TGridDataGroupLevelsEh(TGridDataGroupsEh* ADataGroups, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FDataGroups(ADataGroups) {}

TPersistent* TGridDataGroupLevelsEh::GetOwner() {
    return FDataGroups;
}

TGridDataGroupLevelEh* TGridDataGroupLevelsEh::Add() {
    return static_cast<TGridDataGroupLevelEh*>(TCollection::Add());
}

TGridDataGroupLevelEh* TGridDataGroupLevelsEh::GetDataGroup(int Index) const {
    return static_cast<TGridDataGroupLevelEh*>(Items(Index));
}

void TGridDataGroupLevelsEh::SetDataGroup(int Index, TGridDataGroupLevelEh* Value) {
    Items(Index)->Assign(Value);
}

TComponent* TGridDataGroupLevelsEh::Grid() const {
    return FDataGroups ? FDataGroups->Grid() : nullptr;
}

void TGridDataGroupLevelsEh::InsertItem(TCollectionItem* Item) {
    ++FInserting;
    const auto done = qScopeGuard([this] { --FInserting; });
    TCollection::InsertItem(Item);
}

void TGridDataGroupLevelsEh::ItemConstructed() {
    if (!FPendingUpdate) return;
    FPendingUpdate = false;
    Changed();
}

void TGridDataGroupLevelsEh::Update(TCollectionItem* Item) {
    // An item joins the collection before its own fields exist; it reports once it is whole.
    if (FInserting > 0) {
        FPendingUpdate = true;
        return;
    }
    TCollection::Update(Item);
    if (FDataGroups) FDataGroups->CheckActiveGroupLevels();
}

void TGridDataGroupLevelsEh::LevelSortOrderChanged(TGridDataGroupLevelEh* Level) {
    if (!FDataGroups) return;
    for (int i = 0; i < FDataGroups->ActiveGroupLevelsCount(); ++i)
        if (FDataGroups->ActiveGroupLevels(i) == Level) {
            FDataGroups->ResortGroupLevel(i, Level->SortOrder());
            return;
        }
}

void TGridDataGroupLevelsEh::RefreshParentFonts() {
    for (int i = 0; i < Count(); ++i)
        GetDataGroup(i)->RefreshDefaultFont();
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupsEh

TGridDataGroupsEh::TGridDataGroupsEh(TComponent* AGrid, TCollectionItemClass LevelClass)
    : FGrid(AGrid), FLink(dynamic_cast<IDataGroupsGridEh*>(AGrid)) {
    FFootersDefValues = std::make_unique<TGridDataGroupFootersDefValuesEh>(this);
    FGroupRowDefValues = std::make_unique<TGridDataGroupRowDefValuesEh>(this);
    FFont = std::make_unique<TFont>();
    if (TFont* def = DefaultFont()) FFont->Assign(def);
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupsEh::FontChanged);
    FGroupLevels = std::make_unique<TGridDataGroupLevelsEh>(this, LevelClass);
    FGroupDataTree = std::make_unique<TGridGroupDataTreeEh>(this);
    FFooters =
        std::make_unique<TGridDataGroupFootersEh>(this, CollectionItemClassOf<TGridDataGroupFooterEh>());
}

TGridDataGroupsEh::~TGridDataGroupsEh() {
    FDestroying = true;
    FGroupDataTree->Clear();
    FGroupLevels.reset();
    FGroupDataTree.reset();
    FFooters.reset();
    FActiveGroupLevels.clear();
    FActiveGroupColumns.clear();
    FFont->OnChange = nullptr;
    FFont.reset();
    FGroupRowDefValues.reset();
    FFootersDefValues.reset();
}

void TGridDataGroupsEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TGridDataGroupsEh*>(Source)) {
        SetActive(src->Active());
        SetGroupLevels(src->GroupLevels());
        SetGroupPanelVisible(src->GroupPanelVisible());
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupsEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    ActiveChanged();
}

TColor TGridDataGroupsEh::Color() {
    return FParentColor ? DefaultColor() : FColor;
}

void TGridDataGroupsEh::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupsEh::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    AppearanceChanged();
}

TFont* TGridDataGroupsEh::Font() {
    if (FParentFont)
        if (TFont* def = DefaultFont(); def && def->Handle() != FFont->Handle()) RefreshDefaultFont();
    return FFont.get();
}

void TGridDataGroupsEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridDataGroupsEh::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupsEh::RefreshDefaultFont() {
    TFont* def = DefaultFont();
    if (FParentFont && def) {
        FFontChanging = true;
        const auto done = qScopeGuard([this] { FFontChanging = false; });
        FFont->Assign(def);
    }
    if (FGroupLevels) FGroupLevels->RefreshParentFonts();
}

void TGridDataGroupsEh::FontChanged(TObject*) {
    if (FFontChanging) return;
    FParentFont = false;
    if (FGroupLevels) FGroupLevels->RefreshParentFonts();
    if (FFooters)
        for (int i = 0; i < FFooters->Count(); ++i)
            FFooters->Footer(i)->RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupsEh::SetGroupPanelVisible(bool Value) {
    if (Value == FGroupPanelVisible) return;
    FGroupPanelVisible = Value;
    if (FLink) FLink->DGUpdateGroupingPanelLayout();
}

void TGridDataGroupsEh::SetShiftFolldataGroupRow(bool Value) {
    if (Value == FShiftFolldataGroupRow) return;
    FShiftFolldataGroupRow = Value;
    if (FLink) FLink->DGLayoutChanged();
}

bool TGridDataGroupsEh::IsGroupLevelsStored() const {
    return FGroupLevels->Count() > 0;
}

bool TGridDataGroupsEh::IsFootersStored() const {
    return FFooters->Count() > 0;
}

Variant TGridDataGroupsEh::GetKeyValueForViewRecNo(int ViewRecNo) {
    const int n = ActiveGroupLevelsCount();
    Variant key = VarArrayCreate({0, n}, varVariant);
    IMemTableEh* mt = FLink ? FLink->DGMemTable() : nullptr;
    const bool enter = mt && mt->GetInstantReadCurRow() != ViewRecNo;
    if (enter) mt->InstantReadEnter(ViewRecNo);
    const auto leave = qScopeGuard([&] {
        if (enter) mt->InstantReadLeave();
    });
    for (int i = 0; i < n; ++i)
        key.ArrayPut({i}, ActiveGroupLevels(i)->GetKeyValue());
    key.ArrayPut({n}, Variant(Integer(ViewRecNo)));
    return key;
}

TColor TGridDataGroupsEh::DefaultColor() {
    return FLink ? FLink->DGColor() : clWindow;
}

TFont* TGridDataGroupsEh::DefaultFont() {
    return FLink ? FLink->DGFont() : nullptr;
}

TColor TGridDataGroupsEh::DefaultFooterColor() {
    return DefaultColor();
}

TFont* TGridDataGroupsEh::DefaultFooterFont() {
    return DefaultFont();
}

void TGridDataGroupsEh::AppearanceChanged() {
    if (FLink) FLink->DGInvalidate();
}

void TGridDataGroupsEh::CheckActiveGroupLevels() {
    if (FDestroying || !FGroupLevels) return;
    size_t p = 0;
    bool matched = true;
    for (int i = 0; i < FGroupLevels->Count(); ++i) {
        TGridDataGroupLevelEh* level = FGroupLevels->GetDataGroup(i);
        if (!level->Column()) continue;
        if (p < FActiveGroupLevels.size() && FActiveGroupLevels[p] == level &&
            FActiveGroupColumns[p] == level->Column()) {
            ++p;
            continue;
        }
        matched = false;
        break;
    }
    if (matched && p == FActiveGroupLevels.size()) return;
    FGroupDataTree->DeleteRecordNodesUpToLevel(int(p) + 1);
    {
        IMemTableEh* mt = FLink ? FLink->DGMemTable() : nullptr;
        FGroupDataTree->BeginUpdate();
        if (mt) mt->MTDisableControls();
        const auto done = qScopeGuard([&] {
            const auto end = qScopeGuard([&] { FGroupDataTree->EndUpdate(); });
            if (mt) mt->MTEnableControls(false);
        });
        RebuildActiveGroupLevels();
    }
    if (FActive) GroupingStructChanged();
}

void TGridDataGroupsEh::RebuildActiveGroupLevels() {
    FActiveGroupLevels.clear();
    FActiveGroupColumns.clear();
    for (int i = 0; i < FGroupLevels->Count(); ++i) {
        TGridDataGroupLevelEh* level = FGroupLevels->GetDataGroup(i);
        if (!level->Column()) continue;
        FActiveGroupLevels.push_back(level);
        FActiveGroupColumns.push_back(level->Column());
    }
}

void TGridDataGroupsEh::ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder) {
    FGroupDataTree->ResortLevel(LevelIndex, SortOrder);
}

bool TGridDataGroupsEh::IsGroupingWorks() {
    return FActive;
}

void TGridDataGroupsEh::FooterStructureChanged() {
    if (FDestroying || !FGroupDataTree || !FFooters) return;
    if (FActive) {
        FGroupDataTree->RebuildFooters();
    } else if (FGroupDataTree->Root()->GetCount() > 0) {
        // An inactive tree is not shown; it goes rather than keep nodes of removed footers.
        FGroupDataTree->Clear();
        FGroupDataTree->Root()->SetFooterItemCount(0);
        FGroupDataTree->RebuildFlatVisibleList();
    }
}

void TGridDataGroupsEh::FooterValuesChanged() {
    if (FDestroying || !FGroupDataTree) return;
    if (IsGroupingWorks()) {
        FGroupDataTree->RecalculateFootersValues();
        FGroupDataTree->UpdateAllDataRowHeights();
    }
}

void TGridDataGroupsEh::ColumnsLoaded() {
    FColumsLoaded = true;
    for (int i = 0; i < FFooters->Count(); ++i)
        FFooters->Footer(i)->BindColumnItems(FLink);
}

void TGridDataGroupsEh::ColumnsChanged() {
    if (!FColumsLoaded || !FActive) return;
    bool changed = false;
    for (int i = 0; i < FFooters->Count(); ++i)
        changed = FFooters->Footer(i)->SyncColumnItems(FLink) || changed;
    if (changed) FGroupDataTree->RebuildFooters();
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhDataGroupsEh

TDBGridEhDataGroupsEh::TDBGridEhDataGroupsEh(TComponent* AGrid)
    : TGridDataGroupsEh(AGrid, CollectionItemClassOf<TDBGridEhDataGroupLevelEh>()),
      FGroupPanel(std::make_unique<TDBGridEhGroupingPanelEh>(this)) {}

TDBGridEhDataGroupsEh::~TDBGridEhDataGroupsEh() = default;

bool TDBGridEhDataGroupsEh::IsGroupingWorks() {
    return FActive && FLink && FLink->DGMemTable() && FLink->DGDataLinkActive();
}

bool TDBGridEhDataGroupsEh::IsGroupingWorksWithLevel() {
    return IsGroupingWorks() && ActiveGroupLevelsCount() > 0;
}

TColor TDBGridEhDataGroupsEh::DefaultFooterColor() {
    return FLink ? FLink->DGFooterColor() : clWindow;
}

TFont* TDBGridEhDataGroupsEh::DefaultFooterFont() {
    return FLink ? FLink->DGFooterFont() : nullptr;
}

void TDBGridEhDataGroupsEh::AppearanceChanged() {
    TGridDataGroupsEh::AppearanceChanged();
    if (FLink) FLink->DGUpdateAllDataRowHeights();
}

void TDBGridEhDataGroupsEh::ActiveChanged() {
    if (!FLink) return;
    // At run time grouping over another data set simply does nothing; the designer is told.
    if (TCustomDBGridEh* grid = FLink->DGGrid())
        if (Active() && grid->ComponentState().Contains(csDesigning) &&
            !grid->ComponentState().Contains(csLoading) && FLink->DGDataLinkActive() && !FLink->DGMemTable())
            ShowMessage(
                QStringLiteral("DataSet doesn't support IMemTableEh interface. Grouping won't work."));
    FLink->DGLinkActiveChanged();
    FLink->DGUpdateGroupingPanelLayout();
    FLink->DGActiveGroupingStructChanged();
}

void TDBGridEhDataGroupsEh::GroupingStructChanged() {
    if (!FLink) return;
    FLink->DGViewDataChanged();
    FLink->DGUpdateGroupingPanelLayout();
    FLink->DGActiveGroupingStructChanged();
}

void TDBGridEhDataGroupsEh::RebuildActiveGroupLevels() {
    TGridDataGroupsEh::RebuildActiveGroupLevels();
    FHotTrackGroupLevelIdx = -1;
    if (FLink && FLink->DGDataLinkActive()) FLink->DGSortMarkingChanged();
}

void TDBGridEhDataGroupsEh::ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder) {
    TGridDataGroupsEh::ResortGroupLevel(LevelIndex, SortOrder);
    if (FLink && FLink->DGDataLinkActive()) FLink->DGSortMarkingChanged();
}

void TDBGridEhDataGroupsEh::ColumnRemoved(TPersistent* Column) {
    if (!Column) return;
    for (int i = 0; i < GroupLevels()->Count(); ++i) {
        TGridDataGroupLevelEh* level = GroupLevels()->GetDataGroup(i);
        if (level->Column() == Column) level->SetColumn(nullptr);
    }
}

void TDBGridEhDataGroupsEh::ResolveLoadedColumnNames() {
    for (int i = 0; i < GroupLevels()->Count(); ++i)
        if (auto* level = dynamic_cast<TDBGridEhDataGroupLevelEh*>(GroupLevels()->GetDataGroup(i)))
            level->SetColumnName(level->LoadingColumnName());
    ColumnsLoaded();
}

// ---------------------------------------------------------------------------------------------
// Published properties

// Defined with the data-set fields.
KVT_ENUM_DECL(TAlignment)

KVT_ENUM_TYPE(TGroupFooterValueTypeEh, gfvNonEh, gfvSumEh, gfvAvgEh, gfvCountEh, gfvMaxEh, gfvMinEh,
              gfvStaticTextEh, gfvCustomEh)

namespace {
// The sort order's names, kept local: other units publish sort orders of their own.
PTypeInfo SortOrderTypeInfo() {
    static const PTypeInfo ti = MakeEnumTypeInfo("TSortOrderEh", "soAscEh, soDescEh");
    return ti;
}
} // namespace

KVT_PUBLISHED(TGridGroupLinePenEh) {
    P.Prop("Color", &TGridGroupLinePenEh::Color, &TGridGroupLinePenEh::SetColor).Default(clDefault);
    P.Prop("Width", &TGridGroupLinePenEh::Width, &TGridGroupLinePenEh::SetWidth).Default(1);
}

KVT_PUBLISHED(TGridDataGroupRowDefValuesEh) {
    P.Prop("FooterInGroupRow", &TGridDataGroupRowDefValuesEh::FooterInGroupRow,
           &TGridDataGroupRowDefValuesEh::SetFooterInGroupRow)
        .Default(false);
    P.Prop("RowHeight", &TGridDataGroupRowDefValuesEh::RowHeight, &TGridDataGroupRowDefValuesEh::SetRowHeight)
        .Default(0);
    P.Prop("RowLines", &TGridDataGroupRowDefValuesEh::RowLines, &TGridDataGroupRowDefValuesEh::SetRowLines)
        .Default(0);
    P.Prop("BottomLine", &TGridDataGroupRowDefValuesEh::BottomLine,
           &TGridDataGroupRowDefValuesEh::SetBottomLine);
}

KVT_PUBLISHED(TGridDataGroupFootersDefValuesEh) {
    P.Prop("ShowFunctionName", &TGridDataGroupFootersDefValuesEh::ShowFunctionName,
           &TGridDataGroupFootersDefValuesEh::SetShowFunctionName)
        .Default(false);
    P.Prop("RunTimeCustomizable", &TGridDataGroupFootersDefValuesEh::RunTimeCustomizable,
           &TGridDataGroupFootersDefValuesEh::SetRunTimeCustomizable)
        .Default(false);
}

KVT_PUBLISHED(TDBGridEhGroupingPanelEh) {
    P.Prop("Color", &TDBGridEhGroupingPanelEh::Color, &TDBGridEhGroupingPanelEh::SetColor)
        .Stored(&TDBGridEhGroupingPanelEh::IsColorStored);
}

KVT_PUBLISHED(TGridDataGroupFooterColumnItemEh) {
    using I = TGridDataGroupFooterColumnItemEh;
    P.Prop("Alignment", &I::Alignment, &I::SetAlignment).Default(taRightJustify);
    P.Prop("Color", &I::Color, &I::SetColor).Stored(&I::IsColorStored);
    P.Prop("DisplayFormat", &I::DisplayFormat, &I::SetDisplayFormat);
    P.Prop("Font", &I::Font, &I::SetFont).Stored(&I::IsFontStored);
    P.Prop("ParentColor", &I::ParentColor, &I::SetParentColor).Default(true);
    P.Prop("ParentFont", &I::ParentFont, &I::SetParentFont).Default(true);
    P.Prop("ValueType", &I::ValueType, &I::SetValueType).Default(gfvNonEh);
    P.Prop("ShowFunctionName", &I::ShowFunctionName, &I::SetShowFunctionName).Stored([](I* i) {
        return i->IsShowFunctionNameStored();
    });
    P.Prop("ShowFunctionNameStored", &I::ShowFunctionNameStored, &I::SetShowFunctionNameStored)
        .Default(false);
    P.Prop("RunTimeCustomizable", &I::RunTimeCustomizable, &I::SetRunTimeCustomizable)
        .Stored(&I::IsRunTimeCustomizableStored);
    P.Prop("RunTimeCustomizableStored", &I::RunTimeCustomizableStored, &I::SetRunTimeCustomizableStored)
        .Default(false);
}

KVT_PUBLISHED(TGridDataGroupFooterEh) {
    using F = TGridDataGroupFooterEh;
    P.Prop("Color", &F::Color, &F::SetColor).Stored(&F::IsColorStored);
    P.Prop("Font", &F::Font, &F::SetFont).Stored(&F::IsFontStored);
    P.Prop("Visible", &F::Visible, &F::SetVisible).Default(false);
    P.Prop("ColumnItems", &F::ColumnItems, &F::SetColumnItems).Stored([](F* f) {
        return f->IsColumnItemsStored();
    });
    P.Prop("ParentColor", &F::ParentColor, &F::SetParentColor).Default(true);
    P.Prop("ParentFont", &F::ParentFont, &F::SetParentFont).Default(true);
    P.Prop("ShowFunctionName", &F::ShowFunctionName, &F::SetShowFunctionName).Stored([](F* f) {
        return f->ShowFunctionNameStored();
    });
    P.Prop("ShowFunctionNameStored", &F::ShowFunctionNameStored, &F::SetShowFunctionNameStored)
        .Default(false);
    P.Prop("RunTimeCustomizable", &F::RunTimeCustomizable, &F::SetRunTimeCustomizable).Stored([](F* f) {
        return f->RunTimeCustomizableStored();
    });
    P.Prop("RunTimeCustomizableStored", &F::RunTimeCustomizableStored, &F::SetRunTimeCustomizableStored)
        .Default(false);
}

KVT_PUBLISHED(TDBGridEhDataGroupLevelEh) {
    using L = TDBGridEhDataGroupLevelEh;
    P.Prop("Color", &L::Color, &L::SetColor).Stored(&L::IsColorStored);
    P.Prop("ColumnName", &L::ColumnName, &L::SetColumnName);
    P.Prop("Font", &L::Font, &L::SetFont).Stored(&L::IsFontStored);
    P.Prop("ParentColor", &L::ParentColor, &L::SetParentColor).Default(true);
    P.Prop("ParentFont", &L::ParentFont, &L::SetParentFont).Default(true);
    P.Typed("SortOrder", SortOrderTypeInfo(), &L::SortOrder, &L::SetSortOrder).Default(soAscEh);
    P.Prop("RowHeight", &L::RowHeight, &L::SetRowHeight).Stored([](L* l) { return l->RowHeightStored(); });
    P.Prop("RowHeightStored", &L::RowHeightStored, &L::SetRowHeightStored).Default(false);
    P.Prop("RowLines", &L::RowLines, &L::SetRowLines).Stored([](L* l) { return l->RowLinesStored(); });
    P.Prop("RowLinesStored", &L::RowLinesStored, &L::SetRowLinesStored).Default(false);
    P.Prop("OnGetKeyValue", &L::OnGetKeyValue, &L::OnGetKeyValue);
    P.Prop("OnGetKeyValueAsText", &L::OnGetKeyValueAsText, &L::OnGetKeyValueAsText);
    P.Prop("OnGetGroupRowText", &L::OnGetGroupRowText, &L::OnGetGroupRowText);
}

KVT_PUBLISHED(TGridDataGroupsEh) {
    using G = TGridDataGroupsEh;
    P.Prop("Active", &G::Active, &G::SetActive).Default(false);
    P.Prop("Color", &G::Color, &G::SetColor).Stored(&G::IsColorStored);
    P.Prop("Font", &G::Font, &G::SetFont).Stored(&G::IsFontStored);
    P.Prop("GroupLevels", &G::GroupLevels, &G::SetGroupLevels).Stored(&G::IsGroupLevelsStored);
    P.Prop("Footers", &G::Footers, &G::SetFooters).Stored(&G::IsFootersStored);
    P.Prop("FootersDefValues", &G::FootersDefValues, &G::SetFootersDefValues);
    P.Prop("GroupPanelVisible", &G::GroupPanelVisible, &G::SetGroupPanelVisible).Default(false);
    P.Prop("ParentColor", &G::ParentColor, &G::SetParentColor).Default(true);
    P.Prop("ParentFont", &G::ParentFont, &G::SetParentFont).Default(true);
    P.Prop("DefaultStateExpanded", &G::DefaultStateExpanded, &G::SetDefaultStateExpanded).Default(false);
    P.Prop("GroupRowDefValues", &G::GroupRowDefValues, &G::SetGroupRowDefValues);
    P.Prop("ShiftFolldataGroupRow", &G::ShiftFolldataGroupRow, &G::SetShiftFolldataGroupRow).Default(true);
}

KVT_PUBLISHED(TDBGridEhDataGroupsEh) {
    P.Prop("GroupPanel", &TDBGridEhDataGroupsEh::GroupPanel, &TDBGridEhDataGroupsEh::SetGroupPanel);
}
