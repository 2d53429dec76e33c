// The field data link of the editors and the editors' small companions: image settings,
// placeholder text and the tool-tip window.
//
// The link holds the fields it binds in FFields, rebuilt by UpdateFieldList whenever the data
// set's layout or activity changes; while the data set's controls are disabled it holds none.

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/DBCtrlsEhPublish.h"

#include "platform/ui/ImgList.h"

#include <QStringList>

namespace {
bool IsMemoField(TField* f) {
    return f && (f->DataType() == ftMemo || f->DataType() == ftWideMemo);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TFieldDataLinkEh

TFieldDataLinkEh::TFieldDataLinkEh() {
    SetVisualControl(true);
}

bool TFieldDataLinkEh::Active() const {
    return FDataIndepended || (TDataLink::Active() && Field() != nullptr);
}

bool TFieldDataLinkEh::CanModify() {
    if (FDataIndepended) return true;
    TField* f = Field();
    return f && f->CanModify();
}

bool TFieldDataLinkEh::DataSetActive() const {
    return DataSource() && DataSource()->DataSet() && DataSource()->DataSet()->Active();
}

TField* TFieldDataLinkEh::GetFieldsField(int Index) const {
    if (Index < 0 || Index >= int(FFields.size())) return nullptr;
    return FFields[size_t(Index)];
}

bool TFieldDataLinkEh::IsDataIndepended() const {
    return DataSource() == nullptr && FFieldName.isEmpty();
}

bool TFieldDataLinkEh::HoldsField(TField* Field) const {
    return std::find(FFields.begin(), FFields.end(), Field) != FFields.end();
}

bool TFieldDataLinkEh::Edit() {
    if (FDataIndepended) {
        if (!FEditing && !ReadOnly()) {
            FEditing = true;
            FModified = false;
            if (OnEditingChange) OnEditingChange(this);
        }
    } else if (CanModify()) {
        TDataLink::Edit();
    }
    return FEditing;
}

void TFieldDataLinkEh::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLinkEh::SetText(const String& Text) {
    if (FDataIndepended) {
        DataIndependentValue = Variant(Text);
        RecordChanged(nullptr);
        return;
    }
    // A link that names a field it has not found (no data set yet) has nothing to write to.
    TField* f = Field();
    if (!f) return;
    if (IsMemoField(f))
        f->SetAsString(Text);
    else
        f->SetText(Text);
}

void TFieldDataLinkEh::SetValue(const Variant& Value) {
    if (FDataIndepended) {
        DataIndependentValue = Value;
        RecordChanged(nullptr);
        return;
    }
    if (FFields.size() > 1) {
        if (VarIsNull(Value)) {
            for (TField* f : FFields)
                f->Clear();
            return;
        }
        // Each field takes its element; a value of the wrong shape is refused before anything
        // is written, so that no field is left half-assigned.
        if (!VarIsArray(Value) || VarArrayDimCount(Value) != 1 ||
            VarArrayHighBound(Value, 1) - VarArrayLowBound(Value, 1) + 1 < int(FFields.size()))
            DatabaseErrorFmt(QStringLiteral("Value for fields '%s' must be an array of %d values"),
                             {FFieldName, int(FFields.size())}, FControl);
        int low = VarArrayLowBound(Value, 1);
        for (size_t i = 0; i < FFields.size(); ++i)
            FFields[i]->SetValue(Value[low + int(i)]);
        return;
    }
    if (TField* f = Field()) f->SetValue(Value);
}

void TFieldDataLinkEh::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    TDataLink::SetDataSource(Value);
    UpdateDataIndepended();
}

void TFieldDataLinkEh::SetFieldName(const String& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    UpdateFieldList();
    UpdateDataIndepended();
}

void TFieldDataLinkEh::SetMultiFields(bool Value) {
    if (Value == FMultiFields) return;
    FMultiFields = Value;
    UpdateFieldList();
}

void TFieldDataLinkEh::UpdateDataIndepended() {
    bool di = IsDataIndepended();
    if (di == FDataIndepended) return;
    FDataIndepended = di;
    DataIndependentValue = Variant::FromNull();
    LayoutChanged();
    if (di) RecordChanged(nullptr);
}

void TFieldDataLinkEh::UpdateFieldList() {
    TFieldsArrEh list;
    if (TDataLink::Active() && !FFieldName.isEmpty()) {
        TDataSet* ds = DataSet();
        if (FMultiFields) {
            if (FControl) {
                for (const String& n : FFieldName.split(QLatin1Char(';'))) {
                    TField* f = ds->FindField(n.trimmed());
                    if (!f) DatabaseErrorFmt(DBConsts::SFieldNotFound, {n.trimmed()}, FControl);
                    list.push_back(f);
                }
            } else {
                ds->GetFieldList(list, FFieldName);
            }
        } else if (FControl) {
            TField* f = ds->FindField(FFieldName);
            if (!f) DatabaseErrorFmt(DBConsts::SFieldNotFound, {FFieldName}, FControl);
            list.push_back(f);
        } else {
            list.push_back(ds->FieldByName(FFieldName));
        }
    }
    FFields = std::move(list);
    EditingChanged();
    RecordChanged(nullptr);
    // Right-to-left text alignment of the bound field needs the window rebuilt; there is no
    // right-to-left edit window style here, so nothing further to check.
}

void TFieldDataLinkEh::ActiveChanged() {
    UpdateFieldList();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkEh::LayoutChanged() {
    UpdateFieldList();
}

void TFieldDataLinkEh::EditingChanged() {
    bool e = TDataLink::Editing() && CanModify();
    if (e == FEditing) return;
    FEditing = e;
    FModified = false;
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLinkEh::RecordChanged(TField* Field) {
    if (Field && !HoldsField(Field)) return;
    if (OnDataChange) OnDataChange(this);
    FModified = false;
}

void TFieldDataLinkEh::UpdateData() {
    if (FDataIndepended) {
        if (FModified && OnUpdateData) OnUpdateData(this);
        FEditing = false;
        FModified = false;
        return;
    }
    if (!FModified) return;
    if (Field() && OnUpdateData) OnUpdateData(this);
    FModified = false;
}

void TFieldDataLinkEh::FocusControl(TField** Field) {
    if (!Field || !*Field || !HoldsField(*Field)) return;
    auto* wc = dynamic_cast<TWinControl*>(FControl);
    if (wc && wc->CanFocus()) {
        *Field = nullptr;
        wc->SetFocus();
    }
}

void TFieldDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
    TDataLink::DataEvent(Event, Info);
    if (Event == deDisabledStateChange) {
        if (Info)
            UpdateFieldList();
        else
            FFields.clear();
    }
}

// ---------------------------------------------------------------------------------------------
// TEditImageEh

TEditImageEh::TEditImageEh(TWinControl* EditControl) : FEditControl(EditControl) {}

void TEditImageEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TEditImageEh*>(Source)) {
        SetImages(s->Images());
        SetImageIndex(s->ImageIndex());
        SetVisible(s->Visible());
        SetWidth(s->Width());
        return;
    }
    TPersistent::Assign(Source);
}

void TEditImageEh::Changed() {
    if (FEditControl) FEditControl->Perform(CM_EDITIMAGECHANGEDEH, 0, LPARAM(this));
}

void TEditImageEh::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    if (FEditControl) FEditControl->Invalidate();
}

void TEditImageEh::SetImages(TCustomImageList* Value) {
    if (Value == FImages) return;
    FImages = Value;
    if (FImages && FEditControl) FImages->FreeNotification(FEditControl);
    Changed();
}

void TEditImageEh::SetUseImageHeight(bool Value) {
    if (Value == FUseImageHeight) return;
    FUseImageHeight = Value;
    Changed();
}

void TEditImageEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed();
}

void TEditImageEh::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TControlEmptyDataInfoEh

TControlEmptyDataInfoEh::TControlEmptyDataInfoEh(TCustomDBEditEh* Control)
    : FControl(Control), FFont(std::make_unique<TFont>()) {
    FFont->Assign(Control->Font());
    FFont->SetColor(clSilver);
    {
        TFontStyles st = FFont->Style();
        st.Include(fsItalic);
        FFont->SetStyle(st);
    }
    FFont->OnChange = TNotifyEvent(this, &TControlEmptyDataInfoEh::FontChanged);
    FAlignment = Control->Alignment();
}

TControlEmptyDataInfoEh::~TControlEmptyDataInfoEh() = default;

void TControlEmptyDataInfoEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlEmptyDataInfoEh*>(Source)) {
        SetText(s->Text());
        if (!s->ParentFont()) SetFont(s->Font());
        SetParentFont(s->ParentFont());
        if (s->AlignmentIsStored()) SetAlignment(s->Alignment());
        return;
    }
    TPersistent::Assign(Source);
}

void TControlEmptyDataInfoEh::FontChanged(TObject*) {
    FParentFont = false;
    PaintEmptyDataInfo();
}

void TControlEmptyDataInfoEh::SetText(const String& Value) {
    if (Value == FText) return;
    FText = Value;
    PaintEmptyDataInfo();
}

void TControlEmptyDataInfoEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TControlEmptyDataInfoEh::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    FControl->Invalidate();
}

TAlignment TControlEmptyDataInfoEh::Alignment() const {
    return FAlignmentIsStored ? FAlignment : FControl->Alignment();
}

void TControlEmptyDataInfoEh::SetAlignment(TAlignment Value) {
    SetAlignmentIsStored(true);
    if (Value == FAlignment) return;
    FAlignment = Value;
    FControl->Invalidate();
}

void TControlEmptyDataInfoEh::SetAlignmentIsStored(bool Value) {
    if (Value == FAlignmentIsStored) return;
    FAlignmentIsStored = Value;
    if (Value) FAlignment = FControl->Alignment();
    FControl->Invalidate();
}

void TControlEmptyDataInfoEh::RefreshDefaultFont() {
    if (!FParentFont) return;
    TNotifyEvent saved = FFont->OnChange;
    FFont->OnChange = nullptr;
    FFont->SetSize(FControl->Font()->Size());
    FFont->SetName(FControl->Font()->Name());
    FFont->SetCharset(FControl->Font()->Charset());
    FFont->OnChange = saved;
}

// The edit window draws the placeholder itself (as its hint text) in this object's font, colour
// and alignment; it is handed the text only while the placeholder is to show.
void TControlEmptyDataInfoEh::PaintEmptyDataInfo() {
    FControl->ShowEmptyDataInfo(Showing() ? FText : String(), FFont.get(), Alignment());
}

bool TControlEmptyDataInfoEh::Showing() const {
    return !FText.isEmpty() && !FControl->Focused() && FControl->Text().isEmpty();
}

// ---------------------------------------------------------------------------------------------
// TToolTipsWindow

TRect TToolTipsWindow::CalcHintRect(int MaxWidth, const String& AHint, void* AData) {
    if (AData) Font()->Assign(static_cast<TFont*>(AData));
    return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

// ---------------------------------------------------------------------------------------------
// Stored properties of the image and placeholder settings

KVT_PUBLISHED(TEditImageEh) {
    using C = TEditImageEh;
    P.Prop("ImageIndex", &C::ImageIndex, &C::SetImageIndex).Default(-1);
    P.Prop("Images", &C::Images, &C::SetImages);
    P.Prop("UseImageHeight", &C::UseImageHeight, &C::SetUseImageHeight).Default(true);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(false);
    P.Prop("Width", &C::Width, &C::SetWidth).Default(0);
}

KVT_PUBLISHED(TControlEmptyDataInfoEh) {
    using C = TControlEmptyDataInfoEh;
    P.Prop("Text", &C::Text, &C::SetText);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* e) { return !e->ParentFont(); });
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("Alignment", &C::Alignment, &C::SetAlignment).Stored(&C::AlignmentIsStored);
    P.Prop("AlignmentIsStored", &C::AlignmentIsStored, &C::SetAlignmentIsStored).Stored(false);
}
