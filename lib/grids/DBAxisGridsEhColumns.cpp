// The column collection of an axis grid, the grid-wide column defaults and the column stream.
// A stream is read into a fresh collection first and only then assigned, so a stream that fails
// to read leaves the grid's columns as they were.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"

// ---------------------------------------------------------------------------------------------
// TAxisBarCaptionDefValuesEh

TPersistent* TAxisBarCaptionDefValuesEh::GetOwner() {
    return FColumnDefValues;
}

TAlignment TAxisBarCaptionDefValuesEh::Alignment() {
    if (FAssignedValues.Contains(cvdpTitleAlignmentEh)) return FAlignment;
    TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr;
    return g ? g->GetDefaultTitleAlignment() : taLeftJustify;
}

void TAxisBarCaptionDefValuesEh::SetAlignment(TAlignment Value) {
    if (FAssignedValues.Contains(cvdpTitleAlignmentEh) && Value == FAlignment) return;
    FAlignment = Value;
    FAssignedValues.Include(cvdpTitleAlignmentEh);
    if (TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr)
        g->RequestLayoutUpdate();
}

TColor TAxisBarCaptionDefValuesEh::Color() {
    if (FAssignedValues.Contains(cvdpTitleColorEh)) return FColor;
    TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr;
    return g ? g->GetDefaultTitleColor() : clBtnFace;
}

void TAxisBarCaptionDefValuesEh::SetColor(TColor Value) {
    if (FAssignedValues.Contains(cvdpTitleColorEh) && Value == FColor) return;
    FColor = Value;
    FAssignedValues.Include(cvdpTitleColorEh);
    if (TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr) g->Invalidate();
}

void TAxisBarCaptionDefValuesEh::SetEndEllipsis(bool Value) {
    if (Value == FEndEllipsis) return;
    FEndEllipsis = Value;
    if (TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr) g->Invalidate();
}

void TAxisBarCaptionDefValuesEh::SetOrientation(TTextOrientationEh Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    if (TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr)
        g->RequestLayoutUpdate();
}

bool TAxisBarCaptionDefValuesEh::IsAlignmentStored() {
    if (!FAssignedValues.Contains(cvdpTitleAlignmentEh)) return false;
    TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr;
    return FAlignment != (g ? g->GetDefaultTitleAlignment() : taLeftJustify);
}

bool TAxisBarCaptionDefValuesEh::IsColorStored() {
    if (!FAssignedValues.Contains(cvdpTitleColorEh)) return false;
    TCustomDBAxisGridEh* g = FColumnDefValues ? FColumnDefValues->Grid() : nullptr;
    return FColor != (g ? g->GetDefaultTitleColor() : clBtnFace);
}

void TAxisBarCaptionDefValuesEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TAxisBarCaptionDefValuesEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src->AssignedValues().Contains(cvdpTitleAlignmentEh)) SetAlignment(src->Alignment());
    if (src->AssignedValues().Contains(cvdpTitleColorEh)) SetColor(src->Color());
    SetEndEllipsis(src->EndEllipsis());
    SetTitleButton(src->TitleButton());
    SetToolTips(src->ToolTips());
    SetOrientation(src->Orientation());
}

// ---------------------------------------------------------------------------------------------
// TAxisBarDefValuesEh

TAxisBarDefValuesEh::TAxisBarDefValuesEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid) {}

void TAxisBarDefValuesEh::AfterConstruction() {
    TPersistent::AfterConstruction();
    FTitle.reset(CreateTitleDefValues());
}

TAxisBarDefValuesEh::~TAxisBarDefValuesEh() = default;

TPersistent* TAxisBarDefValuesEh::GetOwner() {
    return FGrid;
}

TAxisBarCaptionDefValuesEh* TAxisBarDefValuesEh::CreateTitleDefValues() {
    return new TAxisBarCaptionDefValuesEh(this);
}

void TAxisBarDefValuesEh::SetAlwaysShowEditButton(bool Value) {
    if (Value == FAlwaysShowEditButton) return;
    FAlwaysShowEditButton = Value;
    if (FGrid) FGrid->Invalidate();
}

void TAxisBarDefValuesEh::SetEndEllipsis(bool Value) {
    if (Value == FEndEllipsis) return;
    FEndEllipsis = Value;
    if (FGrid) FGrid->Invalidate();
}

void TAxisBarDefValuesEh::SetLayout(TTextLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    if (FGrid) FGrid->Invalidate();
}

void TAxisBarDefValuesEh::SetHighlightRequired(bool Value) {
    if (Value == FHighlightRequired) return;
    FHighlightRequired = Value;
    if (FGrid) FGrid->Invalidate();
}

void TAxisBarDefValuesEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TAxisBarDefValuesEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetTitle(src->Title());
    SetAlwaysShowEditButton(src->AlwaysShowEditButton());
    SetEndEllipsis(src->EndEllipsis());
    FAutoDropDown = src->FAutoDropDown;
    FDblClickNextVal = src->FDblClickNextVal;
    FToolTips = src->FToolTips;
    FDropDownSizing = src->FDropDownSizing;
    FDropDownShowTitles = src->FDropDownShowTitles;
}

void TColumnFooterDefValuesEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TColumnFooterDefValuesEh*>(Source)) {
        FToolTips = src->FToolTips;
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TGridAxisBarsEh

TGridAxisBarsEh::TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, TCollectionItemClass ColumnClass)
    : TCollection(ColumnClass), FGrid(Grid) {}

TPersistent* TGridAxisBarsEh::GetOwner() {
    return FGrid;
}

TAxisBarEh* TGridAxisBarsEh::AddDefaultBar() {
    TAxisBarEh* bar = Add();
    bar->FStored = false;
    return bar;
}

TDBGridBarsState TGridAxisBarsEh::State() {
    return Count() > 0 && AxisBar(0)->FStored ? csCustomized : csDefault;
}

void TGridAxisBarsEh::SetState(TDBGridBarsState Value) {
    if (Value == State()) return;
    if (Value == csCustomized)
        RebuildBars();
    else
        Clear();
}

void TGridAxisBarsEh::AddAllBars(bool DeleteExisting) {
    TDataSet* ds = FGrid && FGrid->DataSource() ? FGrid->DataSource()->DataSet() : nullptr;
    if (!ds) {
        if (DeleteExisting) Clear();
        return;
    }
    FGrid->BeginLayout();
    struct EndLayout {
        TCustomDBAxisGridEh* g;
        ~EndLayout() noexcept(false) { g->EndLayout(); }
    };
    try {
        if (DeleteExisting) Clear();
        std::vector<TField*> fields;
        FGrid->ListFieldsForBars(fields);
        for (TField* f : fields)
            Add()->SetFieldName(f->FieldName());
    } catch (...) {
        FGrid->EndLayout();
        throw;
    }
    FGrid->EndLayout();
}

void TGridAxisBarsEh::RestoreDefaults() {
    BeginUpdate();
    try {
        for (int i = 0; i < Count(); ++i)
            AxisBar(i)->RestoreDefaults();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TGridAxisBarsEh::Assign(TPersistent* Source) {
    if (!FGrid) {
        TCollection::Assign(Source);
        return;
    }
    FGrid->BeginLayout();
    try {
        TCollection::Assign(Source);
    } catch (...) {
        FGrid->EndLayout();
        throw;
    }
    FGrid->EndLayout();
}

TAxisBarEh* TGridAxisBarsEh::FindBarByName(const String& ColumnName) {
    for (int i = 0; i < Count(); ++i)
        if (AxisBar(i)->Name() == ColumnName) return AxisBar(i);
    return nullptr;
}

void TGridAxisBarsEh::GetBarNames(TStrings* List) {
    for (int i = 0; i < Count(); ++i)
        List->Add(AxisBar(i)->Name());
}

bool TGridAxisBarsEh::CheckItemInList(TAxisBarEh* Bar) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i) == Bar) return true;
    return false;
}

void TGridAxisBarsEh::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    TCollection::Notify(Item, Action);
    auto* bar = static_cast<TAxisBarEh*>(Item);
    if (Action == cnExtracting && FGrid) FGrid->NotifyRowChange(bar);
    if (Action == cnAdded)
        NotifyBarChange(bar, 0);
    else if (Action == cnExtracting)
        NotifyBarChange(bar, 1);
}

void TGridAxisBarsEh::ActiveChanged() {
    for (int i = 0; i < Count(); ++i)
        AxisBar(i)->FField = nullptr;
}

void TColumnsWrapper::SetAxisBars(TGridAxisBarsEh* Value) {
    // The reader hands the collection it filled in place; another collection is copied.
    if (Value != FAxisBars && FAxisBars) FAxisBars->TCollection::Assign(Value);
}

void TGridAxisBarsEh::SaveToStream(TStream* S) {
    std::unique_ptr<TColumnsWrapper> wrapper(Create<TColumnsWrapper>(nullptr));
    wrapper->FAxisBars = this;
    WriteComponent(S, wrapper.get());
}

void TGridAxisBarsEh::LoadFromStream(TStream* S) {
    // A stream of another kind of object is refused before anything is read into columns.
    const Int64 start = S->Position();
    {
        TReader probe(S, 4096);
        probe.ReadSignature();
        TFilerFlags flags;
        Integer childPos = 0;
        probe.ReadPrefix(flags, childPos);
        const String className = probe.ReadStr();
        if (className.compare(TColumnsWrapper::StaticClassInfo().ClassName(), Qt::CaseInsensitive) != 0)
            throw EReadError(
                QStringLiteral("Invalid stream format: %1 is not a column stream").arg(className));
    }
    S->SetPosition(start);
    std::unique_ptr<TColumnsWrapper> wrapper(Create<TColumnsWrapper>(nullptr));
    // The columns are read into a collection of the grid's own kind and assigned afterwards, so a
    // stream that fails half-way leaves this collection as it was.
    std::unique_ptr<TGridAxisBarsEh> fresh(FGrid ? FGrid->CreateAxisBars()
                                                 : new TGridAxisBarsEh(nullptr, ItemClass()));
    wrapper->FAxisBars = fresh.get();
    ReadComponent(S, wrapper.get());
    Assign(fresh.get());
}

void TGridAxisBarsEh::SaveToFile(const String& FileName) {
    TFileStream fs(FileName, fmCreate);
    SaveToStream(&fs);
}

void TGridAxisBarsEh::LoadFromFile(const String& FileName) {
    TFileStream fs(FileName, fmOpenRead);
    LoadFromStream(&fs);
}

// ---------------------------------------------------------------------------------------------
// Published properties of the column stream

// Enumerations of the platform and the tool controls that the column stream names. The look-up
// is inline (one shared table per name), so another unit may define the same.
#define KVT_AXIS_ENUM_TYPE(E, ...)                                                                           \
    inline ::PTypeInfo KvtTypeInfo(E*) {                                                                     \
        static const ::PTypeInfo ti = ::MakeEnumTypeInfo(#E, #__VA_ARGS__);                                  \
        return ti;                                                                                           \
    }
KVT_ENUM_DECL(TAlignment)
KVT_AXIS_ENUM_TYPE(TTextLayout, tlTop, tlCenter, tlBottom)
KVT_AXIS_ENUM_TYPE(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
KVT_AXIS_ENUM_TYPE(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata,
                   imKata, imChinese, imSHanguel, imHanguel)
KVT_AXIS_ENUM_TYPE(TDropDownAlign, daLeft, daRight, daCenter)
KVT_AXIS_ENUM_TYPE(TLSAutoFilterTypeEh, lsftBeginsWithEh, lsftContainsEh)

KVT_ENUM_TYPE(TAxisBarEhValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor,
              cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton, cvTitleEndEllipsis,
              cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName, cvWordWrap, cvLookupDisplayFields,
              cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown, cvDblClickNextVal,
              cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout, cvHighlightRequired, cvBiDiMode,
              cvTextEditing)
KVT_ENUM_TYPE(TCellButtonStyleEh, cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown, cbsAltUpDown,
              cbsAltDropDown)
KVT_ENUM_TYPE(TTextOrientationEh, tohHorizontal, tohVertical)
KVT_ENUM_TYPE(TDBGridBarsState, csDefault, csCustomized)
KVT_ENUM_TYPE(TIncludeImageModuleEh, iimJpegImageModuleEh, iimGIFImageModuleEh, iimPNGImageModuleEh)

KVT_PUBLISHED(TAxisBarTitleEh) {
    P.Prop("Alignment", &TAxisBarTitleEh::Alignment, &TAxisBarTitleEh::SetAlignment)
        .Stored(&TAxisBarTitleEh::IsAlignmentStored);
    P.Prop("Caption", &TAxisBarTitleEh::Caption, &TAxisBarTitleEh::SetCaption)
        .Stored(&TAxisBarTitleEh::IsCaptionStored);
    P.Prop("Color", &TAxisBarTitleEh::Color, &TAxisBarTitleEh::SetColor)
        .Stored(&TAxisBarTitleEh::IsColorStored);
    P.Prop("EndEllipsis", &TAxisBarTitleEh::EndEllipsis, &TAxisBarTitleEh::SetEndEllipsis)
        .Stored(&TAxisBarTitleEh::IsEndEllipsisStored);
    P.Prop("Hint", &TAxisBarTitleEh::Hint, &TAxisBarTitleEh::SetHint);
    P.Prop("ImageIndex", &TAxisBarTitleEh::ImageIndex, &TAxisBarTitleEh::SetImageIndex).Default(-1);
    P.Prop("TitleButton", &TAxisBarTitleEh::TitleButton, &TAxisBarTitleEh::SetTitleButton)
        .Stored(&TAxisBarTitleEh::IsTitleButtonStored);
    P.Prop("ToolTips", &TAxisBarTitleEh::ToolTips, &TAxisBarTitleEh::SetToolTips)
        .Stored(&TAxisBarTitleEh::IsToolTipsStored);
    P.Prop("Orientation", &TAxisBarTitleEh::Orientation, &TAxisBarTitleEh::SetOrientation)
        .Stored(&TAxisBarTitleEh::IsOrientationStored);
}

KVT_PUBLISHED(TColumnDropDownBoxEh) {
    P.Prop("Align", &TColumnDropDownBoxEh::Align, &TColumnDropDownBoxEh::SetAlign).Default(daLeft);
    P.Prop("AutoDrop", &TColumnDropDownBoxEh::AutoDrop, &TColumnDropDownBoxEh::SetAutoDrop).Default(false);
    P.Prop("AutoFitColWidths", &TColumnDropDownBoxEh::AutoFitColWidths,
           &TColumnDropDownBoxEh::SetAutoFitColWidths)
        .Default(true);
    P.Prop("ListSourceAutoFilter", &TColumnDropDownBoxEh::ListSourceAutoFilter,
           &TColumnDropDownBoxEh::SetListSourceAutoFilter)
        .Default(false);
    P.Prop("ListSourceAutoFilterType", &TColumnDropDownBoxEh::ListSourceAutoFilterType,
           &TColumnDropDownBoxEh::SetListSourceAutoFilterType)
        .Default(lsftBeginsWithEh);
    P.Prop("Rows", &TColumnDropDownBoxEh::Rows, &TColumnDropDownBoxEh::SetRows).Default(7);
    P.Prop("ShowTitles", &TColumnDropDownBoxEh::ShowTitles, &TColumnDropDownBoxEh::SetShowTitles)
        .Default(false);
    P.Prop("Sizable", &TColumnDropDownBoxEh::Sizable, &TColumnDropDownBoxEh::SetSizable).Default(false);
    P.Prop("UseMultiTitle", &TColumnDropDownBoxEh::UseMultiTitle, &TColumnDropDownBoxEh::SetUseMultiTitle)
        .Default(false);
    P.Prop("Width", &TColumnDropDownBoxEh::Width, &TColumnDropDownBoxEh::SetWidth).Default(0);
}

KVT_PUBLISHED(TAxisBarEh) {
    P.Prop("AlwaysShowEditButton", &TAxisBarEh::AlwaysShowEditButton, &TAxisBarEh::SetAlwaysShowEditButton)
        .Stored(&TAxisBarEh::IsAlwaysShowEditButtonStored);
    P.Prop("Alignment", &TAxisBarEh::Alignment, &TAxisBarEh::SetAlignment)
        .Stored(&TAxisBarEh::IsAlignmentStored);
    P.Prop("AutoDropDown", &TAxisBarEh::AutoDropDown, &TAxisBarEh::SetAutoDropDown)
        .Stored(&TAxisBarEh::IsAutoDropDownStored);
    P.Prop("BiDiMode", &TAxisBarEh::BiDiMode, &TAxisBarEh::SetBiDiMode).Stored(&TAxisBarEh::IsBiDiModeStored);
    P.Prop("ButtonStyle", &TAxisBarEh::ButtonStyle, &TAxisBarEh::SetButtonStyle).Default(cbsAuto);
    P.Prop("Checkboxes", &TAxisBarEh::Checkboxes, &TAxisBarEh::SetCheckboxes)
        .Stored(&TAxisBarEh::IsCheckboxesStored);
    P.Prop("Color", &TAxisBarEh::Color, &TAxisBarEh::SetColor).Stored(&TAxisBarEh::IsColorStored);
    P.Prop("DblClickNextVal", &TAxisBarEh::DblClickNextVal, &TAxisBarEh::SetDblClickNextVal)
        .Stored(&TAxisBarEh::IsDblClickNextValStored);
    P.Prop("DisplayFormat", &TAxisBarEh::DisplayFormat, &TAxisBarEh::SetDisplayFormat);
    P.Prop("DropDownBox", &TAxisBarEh::DropDownBox, &TAxisBarEh::SetDropDownBox);
    P.Prop("DropDownRows", &TAxisBarEh::DropDownRows, &TAxisBarEh::SetDropDownRows).Default(7);
    P.Prop("DropDownShowTitles", &TAxisBarEh::DropDownShowTitles, &TAxisBarEh::SetDropDownShowTitles)
        .Stored(&TAxisBarEh::IsDropDownShowTitlesStored);
    P.Prop("DropDownSizing", &TAxisBarEh::DropDownSizing, &TAxisBarEh::SetDropDownSizing)
        .Stored(&TAxisBarEh::IsDropDownSizingStored);
    P.Prop("DropDownWidth", &TAxisBarEh::DropDownWidth, &TAxisBarEh::SetDropDownWidth).Default(0);
    P.Prop("DynProps", &TAxisBarEh::DynProps, &TAxisBarEh::SetDynProps);
    P.Prop("EditButtons", &TAxisBarEh::EditButtons, &TAxisBarEh::SetEditButtons);
    P.Prop("EditMask", &TAxisBarEh::EditMask, &TAxisBarEh::SetEditMask);
    P.Prop("DropDownSpecRow", &TAxisBarEh::DropDownSpecRow, &TAxisBarEh::SetDropDownSpecRow);
    P.Prop("DropDownFormParams", &TAxisBarEh::DropDownFormParams, &TAxisBarEh::SetDropDownFormParams);
    P.Prop("MRUList", &TAxisBarEh::MRUList, &TAxisBarEh::SetMRUList);
    P.Prop("EndEllipsis", &TAxisBarEh::EndEllipsis, &TAxisBarEh::SetEndEllipsis)
        .Stored(&TAxisBarEh::IsEndEllipsisStored);
    P.Prop("FieldName", &TAxisBarEh::FieldName, &TAxisBarEh::SetFieldName);
    P.Prop("HighlightRequired", &TAxisBarEh::HighlightRequired, &TAxisBarEh::SetHighlightRequired)
        .Stored(&TAxisBarEh::IsHighlightRequiredStored);
    P.Prop("ImeMode", &TAxisBarEh::ImeMode, &TAxisBarEh::SetImeMode).Stored(&TAxisBarEh::IsImeModeStored);
    P.Prop("ImeName", &TAxisBarEh::ImeName, &TAxisBarEh::SetImeName).Stored(&TAxisBarEh::IsImeNameStored);
    P.Prop("Increment", &TAxisBarEh::Increment, &TAxisBarEh::SetIncrement)
        .Stored(&TAxisBarEh::IsIncrementStored);
    P.Prop("KeyList", &TAxisBarEh::KeyList, &TAxisBarEh::SetKeyList).Stored(&TAxisBarEh::IsKeyListStored);
    P.Prop("Layout", &TAxisBarEh::Layout, &TAxisBarEh::SetLayout).Stored(&TAxisBarEh::IsLayoutStored);
    P.Prop("LookupDisplayFields", &TAxisBarEh::LookupDisplayFields, &TAxisBarEh::SetLookupDisplayFields)
        .Stored(&TAxisBarEh::IsLookupDisplayFieldsStored);
    P.Prop("NotInKeyListIndex", &TAxisBarEh::NotInKeyListIndex, &TAxisBarEh::SetNotInKeyListIndex)
        .Default(-1);
    P.Prop("PickList", &TAxisBarEh::PickList, &TAxisBarEh::SetPickList).Stored(&TAxisBarEh::IsPickListStored);
    P.Prop("ReadOnly", &TAxisBarEh::ReadOnly, &TAxisBarEh::SetReadOnly).Stored(&TAxisBarEh::IsReadOnlyStored);
    P.Prop("ShowImageAndText", &TAxisBarEh::ShowImageAndText, &TAxisBarEh::SetShowImageAndText)
        .Default(false);
    P.Prop("Tag", &TAxisBarEh::Tag, &TAxisBarEh::SetTag).Default(0);
    P.Prop("TextEditing", &TAxisBarEh::TextEditing, &TAxisBarEh::SetTextEditing)
        .Stored(&TAxisBarEh::IsTextEditingStored);
    P.Prop("Title", &TAxisBarEh::Title, &TAxisBarEh::SetTitle);
    P.Prop("ToolTips", &TAxisBarEh::ToolTips, &TAxisBarEh::SetToolTips).Stored(&TAxisBarEh::IsToolTipsStored);
    P.Prop("Visible", &TAxisBarEh::Visible, &TAxisBarEh::SetVisible).Default(true);
    P.Prop("WordWrap", &TAxisBarEh::WordWrap, &TAxisBarEh::SetWordWrap).Stored(&TAxisBarEh::IsWordWrapStored);
}

KVT_PUBLISHED(TColumnsWrapper) {
    P.Prop("AxisBars", &TColumnsWrapper::AxisBars, &TColumnsWrapper::SetAxisBars);
}

KVT_PUBLISHED(TAxisBarCaptionDefValuesEh) {
    P.Prop("Alignment", &TAxisBarCaptionDefValuesEh::Alignment, &TAxisBarCaptionDefValuesEh::SetAlignment)
        .Stored(&TAxisBarCaptionDefValuesEh::IsAlignmentStored);
    P.Prop("Color", &TAxisBarCaptionDefValuesEh::Color, &TAxisBarCaptionDefValuesEh::SetColor)
        .Stored(&TAxisBarCaptionDefValuesEh::IsColorStored);
    P.Prop("EndEllipsis", &TAxisBarCaptionDefValuesEh::EndEllipsis,
           &TAxisBarCaptionDefValuesEh::SetEndEllipsis)
        .Default(false);
    P.Prop("Orientation", &TAxisBarCaptionDefValuesEh::Orientation,
           &TAxisBarCaptionDefValuesEh::SetOrientation)
        .Default(tohHorizontal);
    P.Prop("TitleButton", &TAxisBarCaptionDefValuesEh::TitleButton,
           &TAxisBarCaptionDefValuesEh::SetTitleButton)
        .Default(false);
    P.Prop("ToolTips", &TAxisBarCaptionDefValuesEh::ToolTips, &TAxisBarCaptionDefValuesEh::SetToolTips)
        .Default(false);
}

KVT_PUBLISHED(TCustomColumnDefValuesEh) {
    P.Prop("AlwaysShowEditButton", &TCustomColumnDefValuesEh::AlwaysShowEditButton,
           &TCustomColumnDefValuesEh::SetAlwaysShowEditButton)
        .Default(false);
    P.Prop("AutoDropDown", &TCustomColumnDefValuesEh::AutoDropDown,
           &TCustomColumnDefValuesEh::SetAutoDropDown)
        .Default(false);
    P.Prop("DblClickNextVal", &TCustomColumnDefValuesEh::DblClickNextVal,
           &TCustomColumnDefValuesEh::SetDblClickNextVal)
        .Default(false);
    P.Prop("DropDownShowTitles", &TCustomColumnDefValuesEh::DropDownShowTitles,
           &TCustomColumnDefValuesEh::SetDropDownShowTitles)
        .Default(false);
    P.Prop("DropDownSizing", &TCustomColumnDefValuesEh::DropDownSizing,
           &TCustomColumnDefValuesEh::SetDropDownSizing)
        .Default(false);
    P.Prop("EndEllipsis", &TCustomColumnDefValuesEh::EndEllipsis, &TCustomColumnDefValuesEh::SetEndEllipsis)
        .Default(false);
    P.Prop("HighlightRequired", &TCustomColumnDefValuesEh::HighlightRequired,
           &TCustomColumnDefValuesEh::SetHighlightRequired)
        .Default(false);
    P.Prop("Layout", &TCustomColumnDefValuesEh::Layout, &TCustomColumnDefValuesEh::SetLayout).Default(tlTop);
    P.Prop("Title", &TCustomColumnDefValuesEh::Title, &TCustomColumnDefValuesEh::SetTitle);
    P.Prop("ToolTips", &TCustomColumnDefValuesEh::ToolTips, &TCustomColumnDefValuesEh::SetToolTips)
        .Default(false);
}

KVT_PUBLISHED(TColumnFooterDefValuesEh) {
    P.Prop("ToolTips", &TColumnFooterDefValuesEh::ToolTips, &TColumnFooterDefValuesEh::SetToolTips)
        .Default(false);
}

KVT_REGISTER_CLASS(TColumnsWrapper)
