// Group footers: the footer definitions of the grid and of each level, one column item per
// grid column, and how an item accumulates, finalises and shows its aggregate.
//
// Sums and averages take numbers, currency and date-times only; Nulls and values of other
// kinds (texts, Booleans) are skipped as Nulls are, so a sum never concatenates texts and an
// average never divides by a count of zero.

#include "lib/dbgrid/DBGridEhGrouping.h"

#include "lib/dbgrid/DBGridEh.h"

#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QScopeGuard>

#include <typeinfo>
#include <unordered_set>

namespace {

bool IsSummable(const Variant& V) {
    const TVarType t = V.VType();
    return t == varDate || (VarIsNumeric(V) && t != varBoolean);
}

bool GridLoading(TComponent* Grid) {
    return Grid && Grid->ComponentState().Contains(csLoading);
}

// AValue < V; values that cannot be compared count as not less.
bool VarLess(const Variant& A, const Variant& B) {
    try {
        return A < B;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TGridDataGroupFootersEh

TGridDataGroupFootersEh::TGridDataGroupFootersEh(TPersistent* AOwner, TCollectionItemClass FooterClass)
    : TCollection(FooterClass), FOwner(AOwner) {}

TGridDataGroupFootersEh::~TGridDataGroupFootersEh() {
    // Footers leaving now must not rebuild anything: the owner is going too.
    FDestroying = true;
    Clear();
}

TGridDataGroupFooterEh* TGridDataGroupFootersEh::Add() {
    return static_cast<TGridDataGroupFooterEh*>(TCollection::Add());
}

TGridDataGroupFooterEh* TGridDataGroupFootersEh::Footer(int Index) const {
    return static_cast<TGridDataGroupFooterEh*>(Items(Index));
}

void TGridDataGroupFootersEh::SetFooter(int Index, TGridDataGroupFooterEh* Value) {
    Items(Index)->Assign(Value);
}

TGridDataGroupFooterEh* TGridDataGroupFootersEh::GetVisibleFooter(int Index) const {
    if (Index < 0 || Index >= VisibleItemsCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), Index);
    return FVisibleFooters[size_t(Index)];
}

TGridDataGroupLevelEh* TGridDataGroupFootersEh::GroupLevel() const {
    return dynamic_cast<TGridDataGroupLevelEh*>(FOwner);
}

TGridDataGroupsEh* TGridDataGroupFootersEh::Groups() const {
    return dynamic_cast<TGridDataGroupsEh*>(FOwner);
}

TGridDataGroupsEh* TGridDataGroupFootersEh::GetMasterGroups() const {
    if (TGridDataGroupsEh* groups = Groups()) return groups;
    TGridDataGroupLevelEh* level = GroupLevel();
    return level ? level->DataGroups() : nullptr;
}

TComponent* TGridDataGroupFootersEh::GetGrid() const {
    TGridDataGroupsEh* groups = GetMasterGroups();
    return groups ? groups->Grid() : nullptr;
}

IDataGroupsGridEh* TGridDataGroupFootersEh::Link() const {
    TGridDataGroupsEh* groups = GetMasterGroups();
    return groups ? groups->Link() : nullptr;
}

void TGridDataGroupFootersEh::RebuildVisibleFooters() {
    FVisibleFooters.clear();
    for (int i = 0; i < Count(); ++i)
        if (Footer(i)->Visible()) FVisibleFooters.push_back(Footer(i));
}

void TGridDataGroupFootersEh::StructureChanged() {
    if (FDestroying) return;
    RebuildVisibleFooters();
    if (TGridDataGroupsEh* groups = GetMasterGroups()) groups->FooterStructureChanged();
}

void TGridDataGroupFootersEh::ValuesChanged() {
    if (FDestroying) return;
    if (TGridDataGroupsEh* groups = GetMasterGroups()) groups->FooterValuesChanged();
}

void TGridDataGroupFootersEh::AppearanceChanged() {
    if (FDestroying) return;
    if (TGridDataGroupLevelEh* level = GroupLevel())
        level->AppearanceChanged();
    else if (TGridDataGroupsEh* groups = Groups())
        groups->AppearanceChanged();
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupFooterEh

TGridDataGroupFooterEh::TGridDataGroupFooterEh(TCollection* Collection)
    : TCollectionItem(Collection), FFont(std::make_unique<TFont>()) {
    FColumnItems = std::make_unique<TGridDataGroupFooterColumnItemsEh>(
        this, CollectionItemClassOf<TGridDataGroupFooterColumnItemEh>());
    if (TFont* def = DefaultFont()) {
        FFontChanging = true;
        FFont->Assign(def);
        FFontChanging = false;
    }
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupFooterEh::FontChanged);
}

void TGridDataGroupFooterEh::AfterConstruction() {
    TCollectionItem::AfterConstruction();
    TGridDataGroupFootersEh* footers = Footers();
    if (!footers) return;
    if (!GridLoading(footers->GetGrid()))
        SyncColumnItems(footers->Link());
    else if (TGridDataGroupsEh* groups = footers->Groups())
        groups->ColumnsUnbound();
    footers->StructureChanged();
}

void TGridDataGroupFooterEh::BeforeDestruction() {
    TGridDataGroupFootersEh* footers = Footers();
    TCollectionItem::BeforeDestruction();
    if (footers && !footers->Destroying()) footers->StructureChanged();
}

TGridDataGroupFooterEh::~TGridDataGroupFooterEh() {
    FFont->OnChange = nullptr;
    FColumnItems.reset();
    // A footer deleted without Free leaves here; its collection learns of it all the same.
    if (TGridDataGroupFootersEh* footers = Footers()) {
        SetCollection(nullptr);
        if (!footers->Destroying()) footers->StructureChanged();
    }
}

TGridDataGroupFootersEh* TGridDataGroupFooterEh::Footers() const {
    return static_cast<TGridDataGroupFootersEh*>(Collection());
}

void TGridDataGroupFooterEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TGridDataGroupFooterEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetColor(src->Color());
    SetFont(src->Font());
    SetVisible(src->Visible());
    SetColumnItems(src->ColumnItems());
    SetParentColor(src->ParentColor());
    SetParentFont(src->ParentFont());
    SetShowFunctionName(src->ShowFunctionName());
    SetShowFunctionNameStored(src->ShowFunctionNameStored());
    SetRunTimeCustomizable(src->RunTimeCustomizable());
    SetRunTimeCustomizableStored(src->RunTimeCustomizableStored());
}

String TGridDataGroupFooterEh::GetDisplayName() {
    TGridDataGroupFootersEh* footers = Footers();
    if (footers) {
        const String index = QStringLiteral(".Footers[") + IntToStr(Index()) + QStringLiteral("]");
        if (footers->Groups() && footers->GetGrid())
            return footers->GetGrid()->Name() + QStringLiteral(".DataGrouping") + index;
        if (TGridDataGroupLevelEh* level = footers->GroupLevel()) return level->GetDisplayName() + index;
    }
    return TCollectionItem::GetDisplayName();
}

TColor TGridDataGroupFooterEh::DefaultColor() {
    TGridDataGroupFootersEh* footers = Footers();
    if (!footers) return clWindow;
    if (TGridDataGroupLevelEh* level = footers->GroupLevel()) return level->DefaultFooterColor();
    if (TGridDataGroupsEh* groups = footers->Groups()) return groups->DefaultFooterColor();
    return clWindow;
}

TFont* TGridDataGroupFooterEh::DefaultFont() {
    TGridDataGroupFootersEh* footers = Footers();
    if (!footers) return nullptr;
    if (TGridDataGroupLevelEh* level = footers->GroupLevel()) return level->DefaultFooterFont();
    if (TGridDataGroupsEh* groups = footers->Groups()) return groups->DefaultFooterFont();
    return nullptr;
}

bool TGridDataGroupFooterEh::DefaultShowFunctionName() {
    TGridDataGroupsEh* groups = Footers() ? Footers()->GetMasterGroups() : nullptr;
    return groups ? groups->FootersDefValues()->ShowFunctionName() : false;
}

bool TGridDataGroupFooterEh::DefaultRunTimeCustomizable() {
    TGridDataGroupsEh* groups = Footers() ? Footers()->GetMasterGroups() : nullptr;
    return groups ? groups->FootersDefValues()->RunTimeCustomizable() : false;
}

TColor TGridDataGroupFooterEh::Color() {
    return FParentColor ? DefaultColor() : FColor;
}

void TGridDataGroupFooterEh::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    AppearanceChanged();
}

TFont* TGridDataGroupFooterEh::Font() {
    if (FParentFont)
        if (TFont* def = DefaultFont(); def && def->Handle() != FFont->Handle()) RefreshDefaultFont();
    return FFont.get();
}

void TGridDataGroupFooterEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridDataGroupFooterEh::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupFooterEh::RefreshDefaultFont() {
    TFont* def = DefaultFont();
    if (FParentFont && def) {
        FFontChanging = true;
        const auto done = qScopeGuard([this] { FFontChanging = false; });
        FFont->Assign(def);
    }
    for (int i = 0; i < FColumnItems->Count(); ++i)
        FColumnItems->Item(i)->RefreshDefaultFont();
}

void TGridDataGroupFooterEh::FontChanged(TObject*) {
    if (FFontChanging) return;
    FParentFont = false;
    for (int i = 0; i < FColumnItems->Count(); ++i)
        FColumnItems->Item(i)->RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (Footers()) Footers()->StructureChanged();
}

bool TGridDataGroupFooterEh::ShowFunctionName() {
    return FShowFunctionNameStored ? FShowFunctionName : DefaultShowFunctionName();
}

void TGridDataGroupFooterEh::SetShowFunctionName(bool Value) {
    if (FShowFunctionNameStored && Value == FShowFunctionName) return;
    FShowFunctionNameStored = true;
    FShowFunctionName = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetShowFunctionNameStored(bool Value) {
    if (Value == FShowFunctionNameStored) return;
    FShowFunctionNameStored = Value;
    FShowFunctionName = DefaultShowFunctionName();
    ValuesChanged();
}

bool TGridDataGroupFooterEh::RunTimeCustomizable() {
    return FRunTimeCustomizableStored ? FRunTimeCustomizable : DefaultRunTimeCustomizable();
}

void TGridDataGroupFooterEh::SetRunTimeCustomizable(bool Value) {
    if (FRunTimeCustomizableStored && Value == FRunTimeCustomizable) return;
    FRunTimeCustomizableStored = true;
    FRunTimeCustomizable = Value;
}

void TGridDataGroupFooterEh::SetRunTimeCustomizableStored(bool Value) {
    if (Value == FRunTimeCustomizableStored) return;
    FRunTimeCustomizableStored = Value;
    FRunTimeCustomizable = DefaultRunTimeCustomizable();
}

bool TGridDataGroupFooterEh::IsColumnItemsStored() {
    IDataGroupsGridEh* link = Footers() ? Footers()->Link() : nullptr;
    return link && link->DGColumnsCustomized();
}

void TGridDataGroupFooterEh::AppearanceChanged() {
    if (Footers()) Footers()->AppearanceChanged();
}

void TGridDataGroupFooterEh::ValuesChanged() {
    if (Footers()) Footers()->ValuesChanged();
}

void TGridDataGroupFooterEh::BindColumnItems(IDataGroupsGridEh* Columns) {
    if (!Columns) return;
    for (int i = 0; i < Columns->DGColumnCount(); ++i) {
        TPersistent* column = Columns->DGColumn(i);
        TGridDataGroupFooterColumnItemEh* item =
            i < FColumnItems->Count() ? FColumnItems->Item(i) : FColumnItems->AddItem();
        item->BindColumn(column, Columns->DGColumnFieldName(column));
    }
}

bool TGridDataGroupFooterEh::SyncColumnItems(IDataGroupsGridEh* Columns) {
    if (!Columns) return false;
    const int n = Columns->DGColumnCount();
    std::vector<TPersistent*> columns;
    for (int i = 0; i < n; ++i)
        columns.push_back(Columns->DGColumn(i));
    const std::unordered_set<TPersistent*> present(columns.begin(), columns.end());
    for (int i = FColumnItems->Count() - 1; i >= 0; --i)
        if (!present.count(FColumnItems->Item(i)->Column())) FColumnItems->Item(i)->Free();
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        TPersistent* column = columns[size_t(i)];
        const String fieldName = Columns->DGColumnFieldName(column);
        const int at = FColumnItems->ItemIndexByColumn(column);
        if (at == i) {
            if (FColumnItems->Item(i)->FieldName() != fieldName) {
                FColumnItems->Item(i)->SetFieldName(fieldName);
                changed = true;
            }
        } else if (at < 0) {
            TGridDataGroupFooterColumnItemEh* item = FColumnItems->AddItem();
            item->BindColumn(column, fieldName);
            item->SetIndex(i);
            changed = true;
        } else {
            FColumnItems->Item(at)->SetIndex(i);
            changed = true;
        }
    }
    return changed;
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupFooterColumnItemsEh

TGridDataGroupFooterColumnItemsEh::TGridDataGroupFooterColumnItemsEh(TGridDataGroupFooterEh* AOwner,
                                                                     TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(AOwner) {}

TPersistent* TGridDataGroupFooterColumnItemsEh::GetOwner() {
    return FOwner;
}

TGridDataGroupFooterColumnItemEh* TGridDataGroupFooterColumnItemsEh::AddItem() {
    return static_cast<TGridDataGroupFooterColumnItemEh*>(Add());
}

TGridDataGroupFooterColumnItemEh* TGridDataGroupFooterColumnItemsEh::Item(int Index) const {
    return static_cast<TGridDataGroupFooterColumnItemEh*>(Items(Index));
}

void TGridDataGroupFooterColumnItemsEh::SetItem(int Index, TGridDataGroupFooterColumnItemEh* Value) {
    Items(Index)->Assign(Value);
}

int TGridDataGroupFooterColumnItemsEh::ItemIndexByColumn(TPersistent* Column) const {
    for (int i = 0; i < Count(); ++i)
        if (Item(i)->Column() == Column) return i;
    return -1;
}

void TGridDataGroupFooterColumnItemsEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TGridDataGroupFooterColumnItemsEh*>(Source);
    if (!src) {
        TCollection::Assign(Source);
        return;
    }
    BeginUpdate();
    const auto end = qScopeGuard([this] { EndUpdate(); });
    for (int i = 0; i < Count() && i < src->Count(); ++i)
        Item(i)->Assign(src->Item(i));
}

void TGridDataGroupFooterColumnItemsEh::ValuesChanged() {
    if (FOwner) FOwner->ValuesChanged();
}

// ---------------------------------------------------------------------------------------------
// TGridDataGroupFooterColumnItemEh

TGridDataGroupFooterColumnItemEh::TGridDataGroupFooterColumnItemEh(TCollection* Collection)
    : TCollectionItem(Collection), FFont(std::make_unique<TFont>()) {
    if (TGridDataGroupFooterEh* footer = Footer()) {
        FFontChanging = true;
        FFont->Assign(footer->Font());
        FFontChanging = false;
    }
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupFooterColumnItemEh::FontChanged);
}

TGridDataGroupFooterColumnItemEh::~TGridDataGroupFooterColumnItemEh() {
    FFont->OnChange = nullptr;
}

TGridDataGroupFooterEh* TGridDataGroupFooterColumnItemEh::Footer() const {
    auto* items = static_cast<TGridDataGroupFooterColumnItemsEh*>(Collection());
    return items ? items->Footer() : nullptr;
}

IDataGroupsGridEh* TGridDataGroupFooterColumnItemEh::Link() const {
    TGridDataGroupFooterEh* footer = Footer();
    return footer && footer->Footers() ? footer->Footers()->Link() : nullptr;
}

TField* TGridDataGroupFooterColumnItemEh::ColumnField() const {
    IDataGroupsGridEh* link = Link();
    return link && FColumn ? link->DGColumnField(FColumn) : nullptr;
}

void TGridDataGroupFooterColumnItemEh::BindColumn(TPersistent* AColumn, const String& AFieldName) {
    FColumn = AColumn;
    FFieldName = AFieldName;
}

void TGridDataGroupFooterColumnItemEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TGridDataGroupFooterColumnItemEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetAlignment(src->Alignment());
    SetColor(src->Color());
    SetDisplayFormat(src->DisplayFormat());
    SetFont(src->Font());
    SetParentColor(src->ParentColor());
    SetParentFont(src->ParentFont());
    SetValueType(src->ValueType());
    SetShowFunctionName(src->ShowFunctionName());
    SetShowFunctionNameStored(src->ShowFunctionNameStored());
    SetRunTimeCustomizable(src->RunTimeCustomizable());
    SetRunTimeCustomizableStored(src->RunTimeCustomizableStored());
}

String TGridDataGroupFooterColumnItemEh::GetDisplayName() {
    if (TGridDataGroupFooterEh* footer = Footer())
        return footer->GetDisplayName() + QStringLiteral("[") + FFieldName + QStringLiteral("]");
    return TCollectionItem::GetDisplayName();
}

void TGridDataGroupFooterColumnItemEh::AppearanceChanged() {
    if (TGridDataGroupFooterEh* footer = Footer()) footer->AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    AppearanceChanged();
}

TColor TGridDataGroupFooterColumnItemEh::Color() {
    if (FParentColor) {
        TGridDataGroupFooterEh* footer = Footer();
        return footer ? footer->Color() : FColor;
    }
    return FColor;
}

void TGridDataGroupFooterColumnItemEh::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetDisplayFormat(const String& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    AppearanceChanged();
}

TFont* TGridDataGroupFooterColumnItemEh::Font() {
    TGridDataGroupFooterEh* footer = Footer();
    if (FParentFont && footer && footer->Font()->Handle() != FFont->Handle()) RefreshDefaultFont();
    return FFont.get();
}

void TGridDataGroupFooterColumnItemEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TGridDataGroupFooterColumnItemEh::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::RefreshDefaultFont() {
    TGridDataGroupFooterEh* footer = Footer();
    if (!FParentFont || !footer) return;
    FFontChanging = true;
    const auto done = qScopeGuard([this] { FFontChanging = false; });
    FFont->Assign(footer->Font());
}

void TGridDataGroupFooterColumnItemEh::FontChanged(TObject*) {
    if (FFontChanging) return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetValueType(TGroupFooterValueTypeEh Value) {
    if (Value == FValueType) return;
    FValueType = Value;
    if (auto* items = static_cast<TGridDataGroupFooterColumnItemsEh*>(Collection())) items->ValuesChanged();
}

bool TGridDataGroupFooterColumnItemEh::ShowFunctionName() {
    if (FShowFunctionNameStored) return FShowFunctionName;
    TGridDataGroupFooterEh* footer = Footer();
    return footer ? footer->ShowFunctionName() : false;
}

void TGridDataGroupFooterColumnItemEh::SetShowFunctionName(bool Value) {
    if (FShowFunctionNameStored && Value == FShowFunctionName) return;
    FShowFunctionNameStored = true;
    FShowFunctionName = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetShowFunctionNameStored(bool Value) {
    if (Value == FShowFunctionNameStored) return;
    FShowFunctionNameStored = Value;
    TGridDataGroupFooterEh* footer = Footer();
    FShowFunctionName = footer ? footer->ShowFunctionName() : false;
    if (auto* items = static_cast<TGridDataGroupFooterColumnItemsEh*>(Collection())) items->ValuesChanged();
}

bool TGridDataGroupFooterColumnItemEh::DefaultRunTimeCustomizable() {
    TGridDataGroupFooterEh* footer = Footer();
    return footer ? footer->RunTimeCustomizable() : false;
}

bool TGridDataGroupFooterColumnItemEh::RunTimeCustomizable() {
    return FRunTimeCustomizableStored ? FRunTimeCustomizable : DefaultRunTimeCustomizable();
}

void TGridDataGroupFooterColumnItemEh::SetRunTimeCustomizable(bool Value) {
    if (FRunTimeCustomizableStored && Value == FRunTimeCustomizable) return;
    FRunTimeCustomizableStored = true;
    FRunTimeCustomizable = Value;
}

void TGridDataGroupFooterColumnItemEh::SetRunTimeCustomizableStored(bool Value) {
    if (Value == FRunTimeCustomizableStored) return;
    FRunTimeCustomizableStored = Value;
    FRunTimeCustomizable = DefaultRunTimeCustomizable();
}

bool TGridDataGroupFooterColumnItemEh::EventsAvailable() const {
    TGridDataGroupFooterEh* footer = Footer();
    TGridDataGroupFootersEh* footers = footer ? footer->Footers() : nullptr;
    return footers && footers->Link() && !GridLoading(footers->GetGrid());
}

bool TGridDataGroupFooterColumnItemEh::CheckCustomAggregateValue(Variant& AValue,
                                                                 TGroupDataTreeNodeEh* Node) {
    if (!EventsAvailable()) return false;
    bool processed = false;
    Link()->DGFooterAggregateValue(FColumn, Footer(), this, AValue, Node, processed);
    return processed;
}

bool TGridDataGroupFooterColumnItemEh::CheckCustomFinalizeValue(Variant& AValue) {
    if (!EventsAvailable()) return false;
    bool processed = false;
    Link()->DGFooterFinalizeValue(FColumn, Footer(), this, AValue, processed);
    return processed;
}

bool TGridDataGroupFooterColumnItemEh::CheckCustomConvertToDisplayText(Variant& AValue,
                                                                       String& DisplayValue) {
    if (!EventsAvailable()) return false;
    bool processed = false;
    Link()->DGFooterToDisplayText(FColumn, Footer(), this, AValue, DisplayValue, processed);
    return processed;
}

void TGridDataGroupFooterColumnItemEh::AggregateValue(Variant& AValue, TGroupDataTreeNodeEh* Node) {
    TField* field = ColumnField();
    const Variant value = field ? field->Value() : Null();
    if (FValueType != gfvNonEh && CheckCustomAggregateValue(AValue, Node)) return;
    AccumulateValue(FValueType, AValue, value);
}

void TGridDataGroupFooterColumnItemEh::AccumulateValue(TGroupFooterValueTypeEh Type, Variant& AValue,
                                                       const Variant& value) {
    if (Type == gfvNonEh) {
        // Null for the first record, the empty text after it (once there, it stays).
        if (AValue.IsEmpty())
            AValue = Null();
        else if (AValue.VType() != varUString || !AValue.AsString().isEmpty())
            AValue = Variant(String());
        return;
    }
    const bool skip = value.IsNull() || value.IsEmpty();
    const bool summable = !skip && IsSummable(value);
    if (AValue.IsEmpty()) {
        switch (Type) {
        case gfvNonEh:
            AValue = Null();
            break;
        case gfvSumEh:
            AValue = summable ? value : Null();
            break;
        case gfvMaxEh:
        case gfvMinEh:
            AValue = skip ? Null() : value;
            break;
        case gfvAvgEh:
            AValue = VarArrayOf({summable ? value : Null(), Variant(Integer(summable ? 1 : 0))});
            break;
        case gfvCountEh:
            AValue = Variant(Integer(skip ? 0 : 1));
            break;
        case gfvStaticTextEh:
            AValue = Variant(QStringLiteral("StaticText"));
            break;
        case gfvCustomEh:
            AValue = Variant(QStringLiteral("Custom"));
            break;
        }
        return;
    }
    switch (Type) {
    case gfvNonEh:
        break;
    case gfvSumEh:
        if (summable) AValue = AValue.IsNull() ? value : AValue + value;
        break;
    case gfvAvgEh:
        if (summable && AValue.IsArray()) {
            const Variant sum = AValue[0];
            AValue.ArrayPut({0}, sum.IsNull() ? value : sum + value);
            AValue.ArrayPut({1}, AValue[1] + Variant(Integer(1)));
        }
        break;
    case gfvCountEh:
        if (!skip) AValue = AValue + Variant(Integer(1));
        break;
    case gfvMaxEh:
        if (!skip && (AValue.IsNull() || VarLess(AValue, value))) AValue = value;
        break;
    case gfvMinEh:
        if (!skip && (AValue.IsNull() || VarLess(value, AValue))) AValue = value;
        break;
    case gfvStaticTextEh:
        AValue = Variant(QStringLiteral("StaticText"));
        break;
    case gfvCustomEh:
        AValue = Variant(QStringLiteral("Custom"));
        break;
    }
}

bool TGridDataGroupFooterColumnItemEh::AggregatesPlainly() const {
    using Item = TGridDataGroupFooterColumnItemEh;
    // An application's own item class may aggregate its own way.
    if (typeid(*this) != typeid(Item)) return false;
    if (FValueType == gfvNonEh || !EventsAvailable()) return true;
    return !Link()->DGHasFooterValueHandlers(FColumn);
}

void TGridDataGroupFooterColumnItemEh::FinalizeValue(Variant& AValue) {
    if (FValueType != gfvNonEh && CheckCustomFinalizeValue(AValue)) return;
    FinalizeAccumulated(FValueType, AValue);
}

void TGridDataGroupFooterColumnItemEh::FinalizeAccumulated(TGroupFooterValueTypeEh Type, Variant& AValue) {
    if (Type == gfvCountEh && AValue.IsEmpty()) {
        AValue = Variant(Integer(0));
    } else if (Type == gfvAvgEh && AValue.IsArray()) {
        const Variant sum = AValue[0];
        const Variant count = AValue[1];
        AValue = sum.IsNull() || count.IsNull() || count.AsInteger() == 0 ? Null() : sum / count;
    }
}

Variant TGridDataGroupFooterColumnItemEh::AggrValue(TGroupDataTreeNodeEh* FooterNode) {
    const int index = Index();
    if (!FooterNode || index < 0 || index > FooterNode->FooterValueCount()) return Variant();
    return FooterNode->GetFooterValues(index);
}

String TGridDataGroupFooterColumnItemEh::ConvertToDisplayText(const Variant& AValue) {
    Variant value = AValue;
    String display;
    if (FValueType != gfvNonEh && CheckCustomConvertToDisplayText(value, display)) return display;
    IDataGroupsGridEh* link = Link();
    const String format = !FDisplayFormat.isEmpty()
                              ? FDisplayFormat
                              : (link && FColumn ? link->DGColumnDisplayFormat(FColumn) : String());
    TField* field = ColumnField();
    if (field && (FValueType == gfvSumEh || FValueType == gfvMaxEh || FValueType == gfvMinEh))
        display = FieldValueDisplayText(value, field, format);
    else if (field && FValueType == gfvAvgEh)
        display = FieldValueDisplayText(value, field,
                                        FDisplayFormat.isEmpty() ? QStringLiteral("0.####") : FDisplayFormat);
    else
        display = VarToStr(value);
    if (ShowFunctionName()) {
        static const char* const prefixes[] = {"Sum = ", "Avg = ", "Cnt = ", "Max = ", "Min = "};
        if (FValueType >= gfvSumEh && FValueType <= gfvMinEh)
            display = QString::fromLatin1(prefixes[FValueType - gfvSumEh]) + display;
    }
    return display;
}

bool TCustomDBGridEh::DGHasFooterValueHandlers(TPersistent* Column) {
    if (OnDataGroupFooterAggregateValue || OnDataGroupFooterFinalizeValue) return true;
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c && (c->OnDataGroupFooterAggregateValue || c->OnDataGroupFooterFinalizeValue);
}
