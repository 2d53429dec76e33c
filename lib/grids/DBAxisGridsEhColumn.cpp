// One column of the axis grid and its title: settings with fallbacks, the assigned-values set,
// field binding by name, copying and naming. The column reaches its grid through its collection;
// without one every grid-side fallback answers the plain default.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <utility>

namespace {

bool IsWordWrapFieldType(TFieldType t) {
    return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftWideString || t == ftOraClob ||
           t == ftWideMemo;
}

// Whether two fonts draw alike (equal fonts share one handle).
bool SameFont(TFont* a, TFont* b) {
    return a->Handle() == b->Handle();
}

// No bidirectional locale is supported here, so right-to-left reading never applies.
constexpr bool MiddleEastLocale = false;

} // namespace

// ---------------------------------------------------------------------------------------------
// Font attributes

void StoreFontAttributes(TFont* Font, TFontDataEh& Data) {
    Data.Height = Font->Height();
    Data.Pitch = Font->Pitch();
    Data.Style = Font->Style();
    Data.Charset = Font->Charset();
    Data.Name = Font->Name();
    Data.Color = Font->Color();
}

void ApplyFontAttributes(const TFontDataEh& Data, TFont* Font) {
    if (Font->Height() != Data.Height) Font->SetHeight(Data.Height);
    if (Font->Pitch() != Data.Pitch) Font->SetPitch(Data.Pitch);
    if (Font->Style() != Data.Style) Font->SetStyle(Data.Style);
    if (Font->Charset() != Data.Charset) Font->SetCharset(Data.Charset);
    if (Font->Name() != Data.Name) Font->SetName(Data.Name);
    if (Font->Color() != Data.Color) Font->SetColor(Data.Color);
}

namespace {

// A font is streamed as one list of its attributes: the platform's font has no published
// properties of its own here.
void ReadFontList(TReader* Reader, TFont* Font) {
    Reader->ReadListBegin();
    Font->SetName(Reader->ReadString());
    Font->SetHeight(Reader->ReadInteger());
    Font->SetStyle(TFontStyles::FromInt(uint64_t(Reader->ReadInteger())));
    Font->SetColor(TColor(Reader->ReadInteger()));
    Font->SetCharset(TFontCharset(Reader->ReadInteger()));
    Font->SetPitch(TFontPitch(Reader->ReadInteger()));
    Reader->ReadListEnd();
}

void WriteFontList(TWriter* Writer, TFont* Font) {
    Writer->WriteListBegin();
    Writer->WriteString(Font->Name());
    Writer->WriteInteger(Font->Height());
    Writer->WriteInteger(Integer(Font->Style().ToInt()));
    Writer->WriteInteger(Font->Color());
    Writer->WriteInteger(Integer(Font->Charset()));
    Writer->WriteInteger(Integer(Font->Pitch()));
    Writer->WriteListEnd();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TAxisBarTitleEh

TAxisBarTitleEh::TAxisBarTitleEh(TAxisBarEh* Column) : FAxisBar(Column), FFont(std::make_unique<TFont>()) {
    FFont->Assign(DefaultFont());
    FFont->OnChange = TNotifyEvent(this, &TAxisBarTitleEh::FontChanged);
}

TAxisBarTitleEh::~TAxisBarTitleEh() = default;

TPersistent* TAxisBarTitleEh::GetOwner() {
    return FAxisBar;
}

TAxisBarEhValues TAxisBarTitleEh::AssignedValues() const {
    return FAxisBar->FAssignedValues;
}

void TAxisBarTitleEh::FontChanged(TObject*) {
    FAxisBar->Add(cvTitleFont);
    FAxisBar->NotifyChanged(true);
}

TAlignment TAxisBarTitleEh::DefaultAlignment() {
    if (auto* dv = FAxisBar->DefValues()) return dv->Title()->Alignment();
    return taLeftJustify;
}

String TAxisBarTitleEh::DefaultCaption() {
    if (TField* f = FAxisBar->Field()) return f->DisplayName();
    return FAxisBar->FieldName();
}

TColor TAxisBarTitleEh::DefaultColor() {
    if (auto* dv = FAxisBar->DefValues()) return dv->Title()->Color();
    return clBtnFace;
}

TFont* TAxisBarTitleEh::DefaultFont() {
    if (TCustomDBAxisGridEh* g = FAxisBar->Grid()) return g->GetTitleFont();
    return FAxisBar->Font();
}

bool TAxisBarTitleEh::DefaultEndEllipsis() {
    auto* dv = FAxisBar->DefValues();
    return dv && dv->Title()->EndEllipsis();
}

bool TAxisBarTitleEh::DefaultTitleButton() {
    auto* dv = FAxisBar->DefValues();
    return dv && dv->Title()->TitleButton();
}

bool TAxisBarTitleEh::DefaultToolTips() {
    auto* dv = FAxisBar->DefValues();
    return dv && dv->Title()->ToolTips();
}

TTextOrientationEh TAxisBarTitleEh::DefaultOrientation() {
    if (auto* dv = FAxisBar->DefValues()) return dv->Title()->Orientation();
    return tohHorizontal;
}

TAlignment TAxisBarTitleEh::Alignment() {
    return AssignedValues().Contains(cvTitleAlignment) ? FAlignment : DefaultAlignment();
}

void TAxisBarTitleEh::SetAlignment(TAlignment Value) {
    if (AssignedValues().Contains(cvTitleAlignment) && Value == FAlignment) return;
    FAlignment = Value;
    FAxisBar->Add(cvTitleAlignment);
    FAxisBar->NotifyChanged(false);
}

String TAxisBarTitleEh::Caption() {
    return AssignedValues().Contains(cvTitleCaption) ? FCaption : DefaultCaption();
}

void TAxisBarTitleEh::WriteCaption(const String& Value) {
    TAxisBarEh* c = FAxisBar;
    if (c->IsDefaultBar()) {
        // A generated column names its field instead of itself.
        if (c->ActiveLinkWithField()) c->Field()->SetDisplayLabel(Value);
        return;
    }
    if (AssignedValues().Contains(cvTitleCaption) && Value == FCaption) return;
    FCaption = Value;
    c->Add(cvTitleCaption);
    c->NotifyChanged(false);
}

TColor TAxisBarTitleEh::Color() {
    return AssignedValues().Contains(cvTitleColor) ? FColor : DefaultColor();
}

void TAxisBarTitleEh::SetColor(TColor Value) {
    if (AssignedValues().Contains(cvTitleColor) && Value == FColor) return;
    FColor = Value;
    FAxisBar->Add(cvTitleColor);
    FAxisBar->NotifyChanged(false);
}

bool TAxisBarTitleEh::EndEllipsis() {
    return AssignedValues().Contains(cvTitleEndEllipsis) ? FEndEllipsis : DefaultEndEllipsis();
}

void TAxisBarTitleEh::SetEndEllipsis(bool Value) {
    if (AssignedValues().Contains(cvTitleEndEllipsis) && Value == FEndEllipsis) return;
    FEndEllipsis = Value;
    FAxisBar->Add(cvTitleEndEllipsis);
    FAxisBar->NotifyChanged(false);
}

bool TAxisBarTitleEh::TitleButton() {
    return AssignedValues().Contains(cvTitleButton) ? FTitleButton : DefaultTitleButton();
}

void TAxisBarTitleEh::SetTitleButton(bool Value) {
    if (AssignedValues().Contains(cvTitleButton) && Value == FTitleButton) return;
    FTitleButton = Value;
    FAxisBar->Add(cvTitleButton);
    FAxisBar->NotifyChanged(false);
}

bool TAxisBarTitleEh::ToolTips() {
    return AssignedValues().Contains(cvTitleToolTips) ? FToolTips : DefaultToolTips();
}

void TAxisBarTitleEh::SetToolTips(bool Value) {
    if (AssignedValues().Contains(cvTitleToolTips) && Value == FToolTips) return;
    FToolTips = Value;
    FAxisBar->Add(cvTitleToolTips);
}

TTextOrientationEh TAxisBarTitleEh::Orientation() {
    return AssignedValues().Contains(cvTitleOrientation) ? FOrientation : DefaultOrientation();
}

void TAxisBarTitleEh::SetOrientation(TTextOrientationEh Value) {
    if (AssignedValues().Contains(cvTitleOrientation) && Value == FOrientation) return;
    FOrientation = Value;
    FAxisBar->Add(cvTitleOrientation);
    FAxisBar->NotifyChanged(false);
}

void TAxisBarTitleEh::SetImageIndex(int Value) {
    FImageIndex = Value;
    TCustomDBAxisGridEh* g = FAxisBar->Grid();
    if (g && FAxisBar->Collection()->UpdateCount() == 0) g->RequestLayoutUpdate();
}

void TAxisBarTitleEh::SetPopupMenu(TPopupMenu* Value) {
    FPopupMenu = Value;
    if (Value) FAxisBar->FreeNotification(Value);
}

TFont* TAxisBarTitleEh::Font() {
    if (!AssignedValues().Contains(cvTitleFont)) {
        TFont* def = DefaultFont();
        if (def != FFont.get() && (!SameFont(FFont.get(), def) || FFont->Color() != def->Color()))
            RefreshDefaultFont();
    }
    return FFont.get();
}

void TAxisBarTitleEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TAxisBarTitleEh::RefreshDefaultFont() {
    if (AssignedValues().Contains(cvTitleFont)) return;
    TFont* def = DefaultFont();
    if (def == FFont.get()) return;
    const TNotifyEvent save = FFont->OnChange;
    FFont->OnChange = nullptr;
    FFont->Assign(def);
    FFont->OnChange = save;
}

bool TAxisBarTitleEh::IsAlignmentStored() {
    return AssignedValues().Contains(cvTitleAlignment) && FAlignment != DefaultAlignment();
}
bool TAxisBarTitleEh::IsCaptionStored() {
    return AssignedValues().Contains(cvTitleCaption) && FCaption != DefaultCaption();
}
bool TAxisBarTitleEh::IsColorStored() {
    return AssignedValues().Contains(cvTitleColor) && FColor != DefaultColor();
}
bool TAxisBarTitleEh::IsFontStored() {
    return AssignedValues().Contains(cvTitleFont);
}
bool TAxisBarTitleEh::IsEndEllipsisStored() {
    return AssignedValues().Contains(cvTitleEndEllipsis) && FEndEllipsis != DefaultEndEllipsis();
}
bool TAxisBarTitleEh::IsTitleButtonStored() {
    return AssignedValues().Contains(cvTitleButton) && FTitleButton != DefaultTitleButton();
}
bool TAxisBarTitleEh::IsToolTipsStored() {
    return AssignedValues().Contains(cvTitleToolTips) && FToolTips != DefaultToolTips();
}
bool TAxisBarTitleEh::IsOrientationStored() {
    return AssignedValues().Contains(cvTitleOrientation) && FOrientation != DefaultOrientation();
}

void TAxisBarTitleEh::DefineProperties(TFiler* Filer) {
    TPersistent::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("FontAttributes"), [this](TReader* r) { ReadFontList(r, FFont.get()); },
        [this](TWriter* w) { WriteFontList(w, FFont.get()); }, IsFontStored());
}

void TAxisBarTitleEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TAxisBarTitleEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    const TAxisBarEhValues sv = src->AssignedValues();
    if (sv.Contains(cvTitleAlignment)) SetAlignment(src->Alignment());
    if (sv.Contains(cvTitleColor)) SetColor(src->Color());
    if (sv.Contains(cvTitleCaption)) SetCaption(src->Caption());
    if (sv.Contains(cvTitleFont)) SetFont(src->Font());
    SetHint(src->Hint());
    SetOrientation(src->Orientation());
    SetPopupMenu(src->PopupMenu());
    SetImageIndex(src->ImageIndex());
    SetTitleButton(src->TitleButton());
    SetEndEllipsis(src->EndEllipsis());
    SetToolTips(src->ToolTips());
}

void TAxisBarTitleEh::RestoreDefaults() {
    const bool fontAssigned = AssignedValues().Contains(cvTitleFont);
    for (int v = cvTitleColor; v <= cvTitleOrientation; ++v)
        FAxisBar->FAssignedValues.Exclude(TAxisBarEhValue(v));
    FCaption.clear();
    RefreshDefaultFont();
    FAxisBar->NotifyChanged(fontAssigned);
}

// ---------------------------------------------------------------------------------------------
// TAxisBarEh

TAxisBarEh::TAxisBarEh(TCollection* Collection) : TCollectionItem(nullptr) {
    // Joining the collection comes last (AfterConstruction), so that the grid sees a whole
    // column when it is told about it.
    FPendingCollection = Collection;
    auto* bars = dynamic_cast<TGridAxisBarsEh*>(Collection);
    TCustomDBAxisGridEh* grid = bars ? bars->Grid() : nullptr;
    FCheckModifyColCellParamsEh.reset(grid ? grid->CreateCellParamsRecord() : new TAxisColCellParamsEh());
    FDynProps = std::make_unique<TDynVarsEh>(this);
    FFont = std::make_unique<TFont>();
    FDropDownBox = std::make_unique<TColumnDropDownBoxEh>(this);
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = TNotifyEvent(this, &TAxisBarEh::ImageListChanged);
    FDropDownSpecRow = std::make_unique<TSpecRowEh>(this);
    FDropDownSpecRow->OnChanged = TNotifyEvent(this, &TAxisBarEh::SpecRowChanged);
    FMRUList = std::make_unique<TMRUListEh>(this);
    FDropDownFormParams = std::make_unique<TDropDownFormCallParamsEh>();
    FDropDownFormParams->OnChanged = TNotifyEvent(this, &TAxisBarEh::DropDownFormParamsChanged);
}

TAxisBarTitleEh* TAxisBarEh::CreateTitle() {
    return new TAxisBarTitleEh(this);
}

TEditButtonsEh* TAxisBarEh::CreateEditButtons() {
    return new TEditButtonsEh(this, CollectionItemClassOf<TVisibleEditButtonEh>());
}

void TAxisBarEh::EditButtonsChanged(TObject*) {
    NotifyChanged(false);
}

void TAxisBarEh::DropDownFormParamsChanged(TObject*) {
    if (TCustomDBAxisGridEh* g = Grid()) g->Invalidate();
}

void TAxisBarEh::SpecRowChanged(TObject*) {
    // The drop-down list grid that would show the row comes with the data grid.
    NotifyChanged(false);
}

void TAxisBarEh::AfterConstruction() {
    TCollectionItem::AfterConstruction();
    // The virtual factories run here, where the descendant's overrides are in place.
    FTitle.reset(CreateTitle());
    FEditButtons.reset(CreateEditButtons());
    FEditButtons->OnChanged = TNotifyEvent(this, &TAxisBarEh::EditButtonsChanged);
    TCollection* coll = FPendingCollection;
    FPendingCollection = nullptr;
    auto* bars = dynamic_cast<TGridAxisBarsEh*>(coll);
    TCustomDBAxisGridEh* grid = bars ? bars->Grid() : nullptr;
    const bool layout = grid && coll->UpdateCount() == 0;
    if (layout) grid->BeginLayout();
    try {
        SetCollection(coll);
        FFont->Assign(DefaultFont());
        FFont->OnChange = TNotifyEvent(this, &TAxisBarEh::FontChanged);
        FTitle->RefreshDefaultFont();
    } catch (...) {
        if (layout) grid->EndLayout();
        throw;
    }
    if (layout) grid->EndLayout();
}

TAxisBarEh::~TAxisBarEh() {
    // The list grid tells the column when it goes; clear first so that call finds nothing.
    if (TComponent* list = std::exchange(FDataList, nullptr)) list->Free();
}

void TAxisBarEh::BeforeDestruction() {
    if (FImageList) FImageList->UnRegisterChanges(FImageChangeLink.get());
    TCollectionItem::BeforeDestruction();
}

TCustomDBAxisGridEh* TAxisBarEh::Grid() const {
    // Asked several times per cell: the class chain walk is far cheaper than a dynamic_cast,
    // which compares type names all the way up the collection's hierarchy.
    TCollection* c = Collection();
    if (!c || !c->InheritsFrom<TGridAxisBarsEh>()) return nullptr;
    return static_cast<TGridAxisBarsEh*>(c)->Grid();
}

TAxisBarDefValuesEh* TAxisBarEh::DefValues() {
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->AxisBarDefValues() : nullptr;
}

bool TAxisBarEh::ActiveLinkWithField() {
    TCustomDBAxisGridEh* g = Grid();
    return g && g->DataLink()->Active() && Field() != nullptr;
}

void TAxisBarEh::FreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    if (TCustomDBAxisGridEh* g = Grid()) AComponent->FreeNotification(g);
}

template <class T> void TAxisBarEh::SetRuleA(T& Field, const T& Value, TAxisBarEhValue V, bool Notify) {
    if (FAssignedValues.Contains(V) && Value == Field) return;
    Field = Value;
    Add(V);
    if (Notify) NotifyChanged(false);
}

// Fallbacks

TAlignment TAxisBarEh::DefaultAlignment() {
    if (TField* f = Field()) return f->Alignment();
    return taLeftJustify;
}

TColor TAxisBarEh::DefaultColor() {
    if (TCustomDBAxisGridEh* g = Grid()) return g->Color();
    return clWindow;
}

TFont* TAxisBarEh::DefaultFont() {
    if (TCustomDBAxisGridEh* g = Grid()) return g->Font();
    return FFont.get();
}

TImeMode TAxisBarEh::DefaultImeMode() {
    if (TCustomDBAxisGridEh* g = Grid()) return g->ImeMode();
    return FImeMode;
}

TImeName TAxisBarEh::DefaultImeName() {
    if (TCustomDBAxisGridEh* g = Grid()) return g->ImeName();
    return FImeName;
}

bool TAxisBarEh::DefaultReadOnly() {
    TCustomDBAxisGridEh* g = Grid();
    return (g && g->ReadOnly()) || (FField && FField->ReadOnly());
}

bool TAxisBarEh::DefaultWordWrap() {
    if (!Grid()) return false;
    TField* f = Field();
    return f && IsWordWrapFieldType(f->DataType());
}

String TAxisBarEh::DefaultLookupDisplayFields() {
    if (TField* f = Field()) return f->LookupResultField();
    return String();
}

bool TAxisBarEh::DefaultCheckboxes() {
    TField* f = Field();
    return f && f->DataType() == ftBoolean;
}

bool TAxisBarEh::DefaultTextEditing() {
    const TAxisBarEhType t = GetColumnType();
    return t != ctKeyImageList && t != ctCheckboxes;
}

TBiDiMode TAxisBarEh::DefaultBiDiMode() {
    if (TCustomDBAxisGridEh* g = Grid()) return g->BiDiMode();
    return FBiDiMode;
}

// Assigned properties

TColor TAxisBarEh::Color() {
    return FAssignedValues.Contains(cvColor) ? FColor : DefaultColor();
}
void TAxisBarEh::SetColor(TColor Value) {
    SetRuleA(FColor, Value, cvColor, true);
}

TFont* TAxisBarEh::Font() {
    if (!FAssignedValues.Contains(cvFont)) {
        TFont* def = DefaultFont();
        if (def != FFont.get() && !SameFont(FFont.get(), def)) RefreshDefaultFont();
    }
    return FFont.get();
}

void TAxisBarEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TAxisBarEh::RefreshDefaultFont() {
    if (FAssignedValues.Contains(cvFont)) return;
    TFont* def = DefaultFont();
    if (def == FFont.get()) return;
    const TNotifyEvent save = FFont->OnChange;
    FFont->OnChange = nullptr;
    FFont->Assign(def);
    FFont->OnChange = save;
}

void TAxisBarEh::FontChanged(TObject*) {
    Add(cvFont);
    FTitle->RefreshDefaultFont();
    NotifyChanged(false);
}

TAlignment TAxisBarEh::Alignment() {
    return FAssignedValues.Contains(cvAlignment) ? FAlignment : DefaultAlignment();
}

void TAxisBarEh::WriteAlignment(TAlignment Value) {
    if (IsDefaultBar()) {
        if (ActiveLinkWithField()) Field()->SetAlignment(Value);
        return;
    }
    SetRuleA(FAlignment, Value, cvAlignment, true);
}

bool TAxisBarEh::ReadOnly() {
    return FAssignedValues.Contains(cvReadOnly) ? FReadonly : DefaultReadOnly();
}

void TAxisBarEh::WriteReadOnly(bool Value) {
    if (IsDefaultBar() && ActiveLinkWithField()) {
        Field()->SetReadOnly(Value);
        return;
    }
    SetRuleA(FReadonly, Value, cvReadOnly, true);
}

TImeMode TAxisBarEh::ImeMode() {
    return FAssignedValues.Contains(cvImeMode) ? FImeMode : DefaultImeMode();
}

void TAxisBarEh::WriteImeMode(TImeMode Value) {
    if (FAssignedValues.Contains(cvImeMode) || Value != DefaultImeMode()) {
        FImeMode = Value;
        Add(cvImeMode);
    }
    NotifyChanged(false);
}

TImeName TAxisBarEh::ImeName() {
    return FAssignedValues.Contains(cvImeName) ? FImeName : DefaultImeName();
}

void TAxisBarEh::WriteImeName(const TImeName& Value) {
    if (FAssignedValues.Contains(cvImeName) || Value != DefaultImeName()) {
        FImeName = Value;
        Add(cvImeName);
    }
    NotifyChanged(false);
}

bool TAxisBarEh::WordWrap() {
    return FAssignedValues.Contains(cvWordWrap) ? FWordWrap : DefaultWordWrap();
}

void TAxisBarEh::WriteWordWrap(bool Value) {
    TCustomDBAxisGridEh* g = Grid();
    const bool loading = g && g->ComponentState().Contains(csLoading);
    if (FAssignedValues.Contains(cvWordWrap) || Value != DefaultWordWrap() || loading) {
        FWordWrap = Value;
        Add(cvWordWrap);
    }
    NotifyChanged(false);
}

String TAxisBarEh::LookupDisplayFields() {
    return FAssignedValues.Contains(cvLookupDisplayFields) ? FLookupDisplayFields
                                                           : DefaultLookupDisplayFields();
}

void TAxisBarEh::WriteLookupDisplayFields(const String& Value) {
    if (FAssignedValues.Contains(cvLookupDisplayFields) || Value != DefaultLookupDisplayFields()) {
        FLookupDisplayFields = Value;
        Add(cvLookupDisplayFields);
    }
    // The list grid that would take it as its ListField comes with the data grid.
    NotifyChanged(false);
}

bool TAxisBarEh::Checkboxes() {
    return FAssignedValues.Contains(cvCheckboxes) ? FCheckboxes : DefaultCheckboxes();
}
void TAxisBarEh::SetCheckboxes(bool Value) {
    SetRuleA(FCheckboxes, Value, cvCheckboxes, true);
}

bool TAxisBarEh::AlwaysShowEditButton() {
    if (FAssignedValues.Contains(cvAlwaysShowEditButton)) return FAlwaysShowEditButton;
    auto* dv = DefValues();
    return dv && dv->AlwaysShowEditButton();
}
void TAxisBarEh::SetAlwaysShowEditButton(bool Value) {
    SetRuleA(FAlwaysShowEditButton, Value, cvAlwaysShowEditButton, true);
}

bool TAxisBarEh::EndEllipsis() {
    if (FAssignedValues.Contains(cvEndEllipsis)) return FEndEllipsis;
    auto* dv = DefValues();
    return dv && dv->EndEllipsis();
}
void TAxisBarEh::SetEndEllipsis(bool Value) {
    SetRuleA(FEndEllipsis, Value, cvEndEllipsis, true);
}

bool TAxisBarEh::AutoDropDown() {
    if (FAssignedValues.Contains(cvAutoDropDown)) return FAutoDropDown;
    auto* dv = DefValues();
    return dv && dv->AutoDropDown();
}
void TAxisBarEh::SetAutoDropDown(bool Value) {
    SetRuleA(FAutoDropDown, Value, cvAutoDropDown, false);
}

bool TAxisBarEh::DblClickNextVal() {
    if (FAssignedValues.Contains(cvDblClickNextVal)) return FDblClickNextVal;
    auto* dv = DefValues();
    return dv && dv->DblClickNextVal();
}
void TAxisBarEh::SetDblClickNextVal(bool Value) {
    SetRuleA(FDblClickNextVal, Value, cvDblClickNextVal, false);
}

bool TAxisBarEh::ToolTips() {
    if (FAssignedValues.Contains(cvToolTips)) return FToolTips;
    auto* dv = DefValues();
    return dv && dv->ToolTips();
}
void TAxisBarEh::SetToolTips(bool Value) {
    SetRuleA(FToolTips, Value, cvToolTips, false);
}

bool TAxisBarEh::DropDownSizing() {
    if (FAssignedValues.Contains(cvDropDownSizing)) return FDropDownSizing;
    auto* dv = DefValues();
    return dv && dv->DropDownSizing();
}
void TAxisBarEh::SetDropDownSizing(bool Value) {
    SetRuleA(FDropDownSizing, Value, cvDropDownSizing, false);
}

bool TAxisBarEh::DropDownShowTitles() {
    if (FAssignedValues.Contains(cvDropDownShowTitles)) return FDropDownShowTitles;
    auto* dv = DefValues();
    return dv && dv->DropDownShowTitles();
}
void TAxisBarEh::SetDropDownShowTitles(bool Value) {
    SetRuleA(FDropDownShowTitles, Value, cvDropDownShowTitles, false);
}

TTextLayout TAxisBarEh::Layout() {
    if (FAssignedValues.Contains(cvLayout)) return FLayout;
    auto* dv = DefValues();
    return dv ? dv->Layout() : tlTop;
}
void TAxisBarEh::SetLayout(TTextLayout Value) {
    SetRuleA(FLayout, Value, cvLayout, true);
}

bool TAxisBarEh::HighlightRequired() {
    if (FAssignedValues.Contains(cvHighlightRequired)) return FHighlightRequired;
    auto* dv = DefValues();
    return dv && dv->HighlightRequired();
}
void TAxisBarEh::WriteHighlightRequired(bool Value) {
    SetRuleA(FHighlightRequired, Value, cvHighlightRequired, true);
}

TBiDiMode TAxisBarEh::BiDiMode() {
    return FAssignedValues.Contains(cvBiDiMode) ? FBiDiMode : DefaultBiDiMode();
}
void TAxisBarEh::SetBiDiMode(TBiDiMode Value) {
    SetRuleA(FBiDiMode, Value, cvBiDiMode, true);
}

bool TAxisBarEh::TextEditing() {
    return FAssignedValues.Contains(cvTextEditing) ? FTextEditing : DefaultTextEditing();
}

void TAxisBarEh::SetTextEditing(bool Value) {
    TCustomDBAxisGridEh* g = Grid();
    const bool loading = g && g->ComponentState().Contains(csLoading);
    if (FAssignedValues.Contains(cvTextEditing) || Value != DefaultTextEditing() || loading) {
        FTextEditing = Value;
        Add(cvTextEditing);
    }
    NotifyChanged(false);
}

// Storage predicates: assigned and different from the fallback

bool TAxisBarEh::IsColorStored() {
    return FAssignedValues.Contains(cvColor) && FColor != DefaultColor();
}
bool TAxisBarEh::IsFontStored() {
    return FAssignedValues.Contains(cvFont);
}
bool TAxisBarEh::IsAlignmentStored() {
    return FAssignedValues.Contains(cvAlignment) && FAlignment != DefaultAlignment();
}
bool TAxisBarEh::IsReadOnlyStored() {
    return FAssignedValues.Contains(cvReadOnly) && FReadonly != DefaultReadOnly();
}
bool TAxisBarEh::IsImeModeStored() {
    return FAssignedValues.Contains(cvImeMode) && FImeMode != DefaultImeMode();
}
bool TAxisBarEh::IsImeNameStored() {
    return FAssignedValues.Contains(cvImeName) && FImeName != DefaultImeName();
}
bool TAxisBarEh::IsWordWrapStored() {
    return FAssignedValues.Contains(cvWordWrap) && FWordWrap != DefaultWordWrap();
}
bool TAxisBarEh::IsLookupDisplayFieldsStored() {
    return FAssignedValues.Contains(cvLookupDisplayFields) &&
           FLookupDisplayFields != DefaultLookupDisplayFields();
}
bool TAxisBarEh::IsCheckboxesStored() {
    return FAssignedValues.Contains(cvCheckboxes);
}
bool TAxisBarEh::IsAlwaysShowEditButtonStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvAlwaysShowEditButton) &&
           FAlwaysShowEditButton != (dv && dv->AlwaysShowEditButton());
}
bool TAxisBarEh::IsEndEllipsisStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvEndEllipsis) && FEndEllipsis != (dv && dv->EndEllipsis());
}
bool TAxisBarEh::IsAutoDropDownStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvAutoDropDown) && FAutoDropDown != (dv && dv->AutoDropDown());
}
bool TAxisBarEh::IsDblClickNextValStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvDblClickNextVal) && FDblClickNextVal != (dv && dv->DblClickNextVal());
}
bool TAxisBarEh::IsToolTipsStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvToolTips) && FToolTips != (dv && dv->ToolTips());
}
bool TAxisBarEh::IsDropDownSizingStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvDropDownSizing) && FDropDownSizing != (dv && dv->DropDownSizing());
}
bool TAxisBarEh::IsDropDownShowTitlesStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvDropDownShowTitles) &&
           FDropDownShowTitles != (dv && dv->DropDownShowTitles());
}
bool TAxisBarEh::IsLayoutStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvLayout) && FLayout != (dv ? dv->Layout() : tlTop);
}
bool TAxisBarEh::IsHighlightRequiredStored() {
    auto* dv = DefValues();
    return FAssignedValues.Contains(cvHighlightRequired) &&
           FHighlightRequired != (dv && dv->HighlightRequired());
}
bool TAxisBarEh::IsBiDiModeStored() {
    return FAssignedValues.Contains(cvBiDiMode);
}
bool TAxisBarEh::IsTextEditingStored() {
    return FAssignedValues.Contains(cvTextEditing) && FTextEditing != DefaultTextEditing();
}

// Plain properties

void TAxisBarEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    NotifyChanged(true);
}

void TAxisBarEh::SetPopupMenu(TPopupMenu* Value) {
    FPopupMenu = Value;
    if (Value) FreeNotification(Value);
}

void TAxisBarEh::ImageListChanged(TObject*) {
    if (TCustomDBAxisGridEh* g = Grid()) g->Invalidate();
}

void TAxisBarEh::SetImageList(TCustomImageList* Value) {
    if (FImageList) FImageList->UnRegisterChanges(FImageChangeLink.get());
    FImageList = Value;
    if (Value) {
        Value->RegisterChanges(FImageChangeLink.get());
        FreeNotification(Value);
    }
    if (TCustomDBAxisGridEh* g = Grid()) g->Invalidate();
}

void TAxisBarEh::SetNotInKeyListIndex(int Value) {
    if (Value == FNotInKeyListIndex) return;
    FNotInKeyListIndex = Value;
    if (TCustomDBAxisGridEh* g = Grid()) g->Invalidate();
}

void TAxisBarEh::SetShowImageAndText(bool Value) {
    if (Value == FShowImageAndText) return;
    FShowImageAndText = Value;
    NotifyChanged(false);
}

TStrings* TAxisBarEh::PickList() {
    if (!FPickList) FPickList = std::make_unique<TStringList>();
    return FPickList.get();
}

void TAxisBarEh::SetPickList(TStrings* Value) {
    if (!Value)
        FPickList.reset();
    else
        PickList()->Assign(Value);
}

TStrings* TAxisBarEh::KeyList() {
    if (!FKeyList) FKeyList = std::make_unique<TStringList>();
    return FKeyList.get();
}

void TAxisBarEh::SetKeyList(TStrings* Value) {
    if (!Value)
        FKeyList.reset();
    else
        KeyList()->Assign(Value);
    if (TCustomDBAxisGridEh* g = Grid()) g->Invalidate();
}

bool TAxisBarEh::HasPickList() const {
    return FPickList && FPickList->Count() > 0;
}

bool TAxisBarEh::HasKeyList() const {
    return FKeyList && FKeyList->Count() > 0;
}

void TAxisBarEh::SetButtonStyle(TCellButtonStyleEh Value) {
    if (Value == FButtonStyle) return;
    FButtonStyle = Value;
    NotifyChanged(false);
}

void TAxisBarEh::SetDropDownWidth(int Value) {
    if (Value == FDropDownWidth) return;
    FDropDownWidth = Value;
    NotifyChanged(false);
}

void TAxisBarEh::SetDisplayFormat(const String& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    NotifyChanged(false);
}

void TAxisBarEh::SetEditMask(const String& Value) {
    if (Value == FEditMask) return;
    FEditMask = Value;
    NotifyChanged(false);
}

String TAxisBarEh::Name() {
    return QStringLiteral("Column_%1_%2").arg(Index()).arg(FFieldName);
}

String TAxisBarEh::GetDisplayName() {
    return FFieldName.isEmpty() ? TCollectionItem::GetDisplayName() : FFieldName;
}

// Field binding

TField* TAxisBarEh::ReadField() {
    if (FField) return FField;
    TCustomDBAxisGridEh* g = Grid();
    if (FFieldName.isEmpty() || !g) return nullptr;
    TDataSet* ds = g->DataLink()->DataSet();
    if (!ds) return nullptr;
    if (!ds->Active() && ds->DefaultFields()) return nullptr;
    TField* f = ds->FindField(FFieldName);
    if (f && f != FField) {
        FField = f;
        FFieldName = f->FieldName();
    }
    // The design-time list binding has no run-time counterpart.
    return FField;
}

void TAxisBarEh::WriteField(TField* Value) {
    if (Value == FField) return;
    FField = Value;
    if (Value) FFieldName = Value->FieldName();
    if (IsDefaultBar()) {
        if (!Value) FFieldName.clear();
        RestoreDefaults();
    }
    NotifyChanged(false);
}

void TAxisBarEh::SetFieldName(const String& Value) {
    TField* f = nullptr;
    TCustomDBAxisGridEh* g = Grid();
    if (g && g->DataLink()->DataSet() && !g->ComponentState().Contains(csLoading) && !Value.isEmpty())
        f = g->DataLink()->DataSet()->FindField(Value);
    FFieldName = Value;
    WriteField(f);
    NotifyChanged(false);
}

void TAxisBarEh::WriteIndex(int Value) {
    auto* bars = dynamic_cast<TGridAxisBarsEh*>(Collection());
    TCustomDBAxisGridEh* g = Grid();
    if (bars && g && bars->State() == csDefault && g->DataLink()->Active()) {
        // Generated columns follow the data set's field order, so moving one moves its field.
        TField* target = g->DataLink()->Fields(Value);
        TField* own = Field();
        if (target && own) own->SetIndex(target->Index());
    }
    const int cur = Index();
    if (bars && cur >= 0 && Value != cur && Value >= 0 && Value < bars->Count())
        bars->NotifyBarChange(this, 2);
    TCollectionItem::SetIndex(Value);
}

// Geometry and reading direction

int TAxisBarEh::GetInplaceEditorButtonWidth() {
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->InplaceEditorButtonWidth() : 0;
}

int TAxisBarEh::GetInplaceEditorButtonHeight() {
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->InplaceEditorButtonHeight() : 0;
}

int TAxisBarEh::EditButtonsWidth() {
    TCustomDBAxisGridEh* g = Grid();
    const bool flat = g && g->Flat();
    const int mainWidth =
        flat ? AxisFlatEditButtonWidth() + (ThemesInUse() ? 0 : 1) : GetSystemMetrics(SM_CXVSCROLL);
    int result = 0;
    if (GetColumnEditStyle(this) != esSimple) result += mainWidth;
    for (int i = 0; i < FEditButtons->Count(); ++i) {
        TEditButtonEh* b = FEditButtons->Items(i);
        if (!b->Visible()) continue;
        result += b->Width() > 0 ? b->Width() : mainWidth;
        if (flat && !ThemesInUse()) ++result;
    }
    return result;
}

bool TAxisBarEh::UseRightToLeftReading() {
    return MiddleEastLocale && BiDiMode() != bdLeftToRight;
}

bool TAxisBarEh::UseRightToLeftAlignment() {
    return MiddleEastLocale && BiDiMode() == bdRightToLeft;
}

bool TAxisBarEh::UseRightToLeftScrollBar() {
    const TBiDiMode m = BiDiMode();
    return MiddleEastLocale && (m == bdRightToLeft || m == bdRightToLeftNoAlign);
}

bool TAxisBarEh::CurLineWordWrap(int RowHeight) {
    if (!WordWrap()) return false;
    TCustomDBAxisGridEh* g = Grid();
    if (!g) return false;
    TCanvas* c = g->Canvas();
    TFontDataEh saved;
    StoreFontAttributes(c->Font(), saved);
    TFont* own = Font();
    const bool differs = !SameFont(c->Font(), own) || c->Font()->Color() != own->Color();
    if (differs) c->Font()->Assign(own);
    TEXTMETRIC tm{};
    GetTextMetrics(c->Handle(), &tm);
    if (differs) ApplyFontAttributes(saved, c->Font());
    return RowHeight > tm.tmHeight + tm.tmInternalLeading + tm.tmExternalLeading + g->Interlinear();
}

int TAxisBarEh::GetCellHeight(int Row) {
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->RowHeights(Row) : 0;
}

void TAxisBarEh::SetTextArea(TRect&) {
    throw Exception(QStringLiteral(" TAxisBarEh.SetTextArea must be realized in the inherited class."));
}

void TAxisBarEh::GetColCellParams(bool, TAxisColCellParamsEh*) {
    throw Exception(QStringLiteral(" TAxisBarEh.GetColCellParams must be realized in the inherited class."));
}

// The drop-down list and the pressed button belong to the axis grid's own in-place editor; the
// base editor has neither.
// The editor of the grid serves this column only while it is the selected one.
static TDBAxisGridInplaceEdit* EditorOfBar(TAxisBarEh* Bar) {
    TCustomDBAxisGridEh* g = Bar->Grid();
    if (!g || g->SelectedAxisBar() != Bar) return nullptr;
    auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(g->InplaceEditor());
    return ed && ed->Visible() ? ed : nullptr;
}

void TAxisBarEh::DropDown() {
    if (TCustomDBAxisGridEh* g = Grid(); g && !EditorOfBar(this)) g->ShowEditor();
    if (TDBAxisGridInplaceEdit* ed = EditorOfBar(this)) ed->ShowDropDownList();
}

bool TAxisBarEh::EditButtonPressed() {
    TDBAxisGridInplaceEdit* ed = EditorOfBar(this);
    return ed && ed->IsMainButtonDown();
}

void TAxisBarEh::SetEditButtonPressed(bool Value) {
    if (TDBAxisGridInplaceEdit* ed = EditorOfBar(this)) ed->SetMainButtonDown(Value);
}

TPicture* TAxisBarEh::GetPictureFromBlobField() {
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->GetPictureFromBlobField(this) : nullptr;
}

// Copying and defaults

void TAxisBarEh::RestoreDefaults() {
    const bool fontAssigned = FAssignedValues.Contains(cvFont);
    FTitle->RestoreDefaults();
    FAssignedValues = TAxisBarEhValues();
    RefreshDefaultFont();
    FPickList.reset();
    FButtonStyle = cbsAuto;
    NotifyChanged(fontAssigned);
    FKeyList.reset();
}

void TAxisBarEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TAxisBarEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* coll = Collection();
    if (coll) coll->BeginUpdate();
    struct EndUpdate {
        TCollection* c;
        ~EndUpdate() {
            if (c) c->EndUpdate();
        }
    } guard{coll};

    RestoreDefaults();
    SetFieldName(src->FieldName());
    const TAxisBarEhValues sv = src->AssignedValues();
    if (sv.Contains(cvColor)) SetColor(src->Color());
    if (sv.Contains(cvFont)) SetFont(src->Font());
    if (sv.Contains(cvImeMode)) SetImeMode(src->ImeMode());
    if (sv.Contains(cvImeName)) SetImeName(src->ImeName());
    if (sv.Contains(cvAlignment)) SetAlignment(src->Alignment());
    if (sv.Contains(cvReadOnly)) SetReadOnly(src->ReadOnly());
    FTitle->Assign(src->Title());
    SetDropDownRows(src->DropDownRows());
    SetButtonStyle(src->ButtonStyle());
    SetPickList(src->HasPickList() ? src->PickList() : nullptr);
    SetPopupMenu(src->PopupMenu());
    if (sv.Contains(cvWordWrap)) SetWordWrap(src->WordWrap());
    SetEndEllipsis(src->EndEllipsis());
    SetDropDownWidth(src->DropDownWidth());
    if (sv.Contains(cvLookupDisplayFields)) SetLookupDisplayFields(src->LookupDisplayFields());
    SetAutoDropDown(src->AutoDropDown());
    SetAlwaysShowEditButton(src->AlwaysShowEditButton());
    SetWordWrap(src->WordWrap());
    SetKeyList(src->HasKeyList() ? src->KeyList() : nullptr);
    if (sv.Contains(cvCheckboxes)) SetCheckboxes(src->Checkboxes());
    SetIncrement(src->Increment());
    SetToolTips(src->ToolTips());
    SetTag(src->Tag());
    SetVisible(src->Visible());
    SetImageList(src->ImageList());
    SetNotInKeyListIndex(src->NotInKeyListIndex());
    SetDblClickNextVal(src->DblClickNextVal());
    SetDropDownSizing(src->DropDownSizing());
    SetDropDownShowTitles(src->DropDownShowTitles());
    OnNotInList = src->OnNotInList;
    OnUpdateData = src->OnUpdateData;
    OnEditButtonClick = src->OnEditButtonClick;
    OnEditButtonDown = src->OnEditButtonDown;
    FEditButtons->Assign(src->EditButtons());
    FDropDownBox->Assign(src->DropDownBox());
    FMRUList->Assign(src->MRUList());
    SetDisplayFormat(src->DisplayFormat());
    SetEditMask(src->EditMask());
    SetShowImageAndText(src->ShowImageAndText());
    SetLayout(src->Layout());
}

void TAxisBarEh::DefineProperties(TFiler* Filer) {
    TCollectionItem::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("FontAttributes"), [this](TReader* r) { ReadFontList(r, FFont.get()); },
        [this](TWriter* w) { WriteFontList(w, FFont.get()); }, IsFontStored());
}

// ---------------------------------------------------------------------------------------------
// TBaseColumnEh: the data grid's column supplies the widths.

namespace {
[[noreturn]] void Abstract() {
    throw Exception(QStringLiteral("Abstract Error"));
}
} // namespace

bool TBaseColumnEh::GetAutoFitColWidth() {
    Abstract();
}
int TBaseColumnEh::GetWidth() {
    Abstract();
}
int TBaseColumnEh::GetMinWidth() {
    Abstract();
}
int TBaseColumnEh::GetMaxWidth() {
    Abstract();
}
void TBaseColumnEh::SetAutoFitColWidth(bool) {
    Abstract();
}
void TBaseColumnEh::SetMaxWidth(int) {
    Abstract();
}
void TBaseColumnEh::SetMinWidth(int) {
    Abstract();
}
void TBaseColumnEh::SetWidth(int) {
    Abstract();
}
