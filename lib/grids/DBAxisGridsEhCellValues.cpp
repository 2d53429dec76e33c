// What a column's cell shows and how what the user typed, picked, clicked or stepped goes back
// into the field: key and pick lists, check boxes over Boolean, numeric or coded fields, images,
// lookup fields, and the text filter of a drop-down list.

#include "lib/grids/DBAxisGridsEh.h"

#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinGdi.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

bool IsMemoType(TFieldType t) {
    return t == ftMemo || t == ftOraClob || t == ftWideMemo;
}

bool IsCheckNumericType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftFloat || t == ftCurrency || t == ftBCD ||
           t == ftFMTBcd;
}

bool IsStepNumericType(TFieldType t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency ||
           t == ftBCD || t == ftFMTBcd;
}

bool IsNumericKind(TField* f) {
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

String NormaliseLineBreaks(const String& s) {
    String r = s;
    r.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    r.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    r.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return r;
}

// The part of a key-list entry before the first ";".
String FirstListValue(const String& s) {
    const int p = int(s.indexOf(QLatin1Char(';')));
    return p < 0 ? s : s.left(p);
}

// Whether every key field of a lookup field can take a value.
bool LookupKeysModifiable(TField* f) {
    if (f->KeyFields().isEmpty() || !f->DataSet()) return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    if (keys.empty()) return false;
    for (TField* k : keys)
        if (!k->CanModify()) return false;
    return true;
}

TField* FirstKeyField(TField* f) {
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    return keys.empty() ? nullptr : keys.front();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Free helpers

String FormatFieldValue(TField* Field, const String& Format) {
    if (Format.isEmpty()) return Field->DisplayText();
    if (Field->IsNull()) return String();
    if (dynamic_cast<TNumericField*>(Field)) return FormatFloat(Format, Field->AsFloat());
    if (dynamic_cast<TDateTimeField*>(Field) || dynamic_cast<TSQLTimeStampField*>(Field))
        return FormatDateTime(Format, Field->AsDateTime());
    if (auto* agg = dynamic_cast<TAggregateField*>(Field)) {
        const TFieldType rt = agg->ResultType();
        if (rt == ftFloat || rt == ftCurrency) return FormatFloat(Format, agg->Value().AsDouble());
        if (rt == ftDate || rt == ftTime || rt == ftDateTime)
            return FormatDateTime(Format, agg->Value().AsDouble());
    }
    return String();
}

bool MatchesListValue(const String& List, const String& Text) {
    if (List.isEmpty() && Text.isEmpty()) return true;
    const QStringList items = List.split(QLatin1Char(';'));
    for (const QString& item : items)
        if (AnsiCompareText(item, Text) == 0) return true;
    if (List.endsWith(QLatin1Char(';'))) return Text.isEmpty();
    return false;
}

int FieldValueAsInteger(TField* Field, int Default) {
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
        return Field->AsInteger();
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: {
        const double v = Field->AsFloat();
        if (v >= -2147483648.0 && v <= 2147483647.0) return int(v);
        return Default;
    }
    default:
        return Default;
    }
}

bool LookupValueAssigned(TField* Field) {
    TDataSet* lds = Field->LookupDataSet();
    if (!lds || !lds->Active()) return false;
    return !Field->IsNull();
}

bool IsFieldReadOnlyForEdit(TField* Field) {
    if (Field->ReadOnly()) return true;
    if (Field->FieldKind() == fkLookup && !Field->KeyFields().isEmpty()) {
        if (!Field->DataSet()) return true;
        std::vector<TField*> keys;
        Field->DataSet()->GetFieldList(keys, Field->KeyFields());
        bool allReadOnly = !keys.empty();
        for (TField* k : keys)
            allReadOnly = allReadOnly && k->ReadOnly();
        if (allReadOnly) return true;
    }
    return false;
}

bool MeasureCellText(UINT Flags, TCanvas* Canvas, int ExtraMargin, int& Height, int& Width, bool WordWrap,
                     const TRect& ARect, const String& Text, int Interlinear) {
    const int avail = std::max(1, ARect.Width() - ExtraMargin - 4);
    TRect r(0, 0, avail, 0);
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE) | Flags;
    DrawText(Canvas->Handle(), Text, -1, &r, flags);
    Width = r.Width();
    Height = r.Height();
    return avail < Width || ARect.Height() - Interlinear + 1 < Height;
}

// ---------------------------------------------------------------------------------------------
// Column type and texts

TAxisBarEhType TAxisBarEh::GetColumnType() {
    if (Checkboxes()) return ctCheckboxes;
    TField* f = Field();
    TCustomDBAxisGridEh* g = Grid();
    if (f && f->IsBlob()) {
        auto* blob = dynamic_cast<TBlobField*>(f);
        if (blob && blob->BlobType() == ftGraphic && g && g->DrawGraphicData()) return ctGraphicData;
    }
    if (f && f->FieldKind() == fkLookup) return ctLookupField;
    if (HasPickList() && !HasKeyList()) return ctPickList;
    if (FImageList && !FShowImageAndText) return ctKeyImageList;
    if (HasKeyList() && HasPickList()) return ctKeyPickList;
    return ctCommon;
}

String TAxisBarEh::DisplayText() {
    TField* f = Field();
    if (!f) return String();
    const TAxisBarEhType t = GetColumnType();
    if (t == ctKeyImageList) return String();
    if (HasKeyList()) {
        const int i = KeyList()->IndexOf(f->Text());
        const int n = FPickList ? FPickList->Count() : 0;
        if (i >= 0 && i < n) return FPickList->Strings(i);
        if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < n) return FPickList->Strings(FNotInKeyListIndex);
        return String();
    }
    TCustomDBAxisGridEh* g = Grid();
    if (g && g->DrawMemoText() && IsMemoType(f->DataType())) return f->AsString();
    if (t == ctLookupField && FDropDownSpecRow->Visible()) {
        const bool matches =
            f->DataSet() && !f->KeyFields().isEmpty() &&
            VariantsEqual(f->DataSet()->FieldValues(f->KeyFields()), FDropDownSpecRow->Value());
        if (matches || (FDropDownSpecRow->ShowIfNotInKeyList() && !LookupValueAssigned(f)))
            return FDropDownSpecRow->GetCellText(0);
    }
    return FormatFieldValue(f, FDisplayFormat);
}

String TAxisBarEh::EditText() {
    TField* f = Field();
    if (!f) return String();
    const TAxisBarEhType t = GetColumnType();
    if (t == ctKeyImageList) return String();
    if (HasKeyList()) return DisplayText();
    TCustomDBAxisGridEh* g = Grid();
    if (g && g->DrawMemoText() && IsMemoType(f->DataType())) return f->AsString();
    if (t == ctLookupField) return DisplayText();
    return f->Text();
}

String TAxisBarEh::GetCellEditText() {
    TCustomDBAxisGridEh* g = Grid();
    if (!g || !g->DataLink()->Active()) return String();
    String text;
    TField* f = Field();
    if (f) {
        if (!HasKeyList()) {
            if (g->DrawMemoText() && IsMemoType(f->DataType()))
                text = NormaliseLineBreaks(f->AsString());
            else
                text = f->Text();
        } else {
            const int i = KeyList()->IndexOf(f->Text());
            if (i >= 0 && FPickList && i < FPickList->Count()) text = FPickList->Strings(i);
        }
        if (f->FieldKind() == fkLookup && !f->KeyFields().isEmpty() && f->DataSet()) {
            const Variant keys = f->DataSet()->FieldValues(f->KeyFields());
            if (FDropDownSpecRow->Visible() &&
                (VariantsEqual(keys, FDropDownSpecRow->Value()) ||
                 (FDropDownSpecRow->ShowIfNotInKeyList() && !LookupKeyExists()))) {
                g->FEditKeyValue = FDropDownSpecRow->Value();
                text = FDropDownSpecRow->GetCellText(0);
            } else {
                g->FEditKeyValue = keys;
            }
        } else {
            g->FEditKeyValue = Null();
        }
    } else {
        g->FEditKeyValue = Null();
    }
    TAxisColCellParamsEh params;
    params.SetText(text);
    params.SetFont(g->Canvas()->Font());
    GetColCellParams(true, &params);
    g->FEditText = params.Text();
    return params.Text();
}

void TAxisBarEh::SetCellEditText(const String& Text) {
    if (TCustomDBAxisGridEh* g = Grid()) g->FEditText = Text;
}

String TAxisBarEh::GetEditMask() {
    TCustomDBAxisGridEh* g = Grid();
    if (!g || !g->DataLink()->Active()) return String();
    if (!FEditMask.isEmpty()) return FEditMask;
    TField* f = Field();
    if (!f || HasKeyList()) return String();
    return f->EditMask();
}

// ---------------------------------------------------------------------------------------------
// Check boxes

TCheckBoxState TAxisBarEh::CheckboxState() {
    TField* f = Field();
    if (!f) return cbUnchecked;
    const TFieldType t = f->DataType();
    if (t == ftBoolean && !HasKeyList()) {
        if (f->IsNull()) return cbGrayed;
        return f->AsBoolean() ? cbChecked : cbUnchecked;
    }
    if (IsCheckNumericType(t) && !HasKeyList()) {
        if (f->IsNull()) return cbGrayed;
        return f->AsFloat() == 1.0 ? cbChecked : cbUnchecked;
    }
    const String text = f->Text();
    TStrings* keys = KeyList();
    if (keys->Count() > 0 && MatchesListValue(keys->Strings(0), text)) return cbChecked;
    if (keys->Count() >= 2 && MatchesListValue(keys->Strings(1), text)) return cbUnchecked;
    return cbGrayed;
}

void TAxisBarEh::SetCheckboxState(TCheckBoxState Value) {
    TField* f = Field();
    if (!f) return;
    if (Value == cbGrayed) {
        WriteValueToField(String(), Null(), false);
        return;
    }
    const bool checked = Value == cbChecked;
    const TFieldType t = f->DataType();
    if (t == ftBoolean && !HasKeyList()) {
        WriteValueToField(String(), Variant(checked), false);
    } else if (IsCheckNumericType(t) && !HasKeyList()) {
        WriteValueToField(String(), Variant(checked ? 1 : 0), false);
    } else {
        TStrings* keys = KeyList();
        String s;
        if (checked && keys->Count() > 0) s = FirstListValue(keys->Strings(0));
        if (!checked && keys->Count() >= 2) s = FirstListValue(keys->Strings(1));
        WriteValueToField(s, Variant(s), true);
    }
}

// ---------------------------------------------------------------------------------------------
// Images and cell parameters

int TAxisBarEh::GetImageIndex() {
    TField* f = Field();
    if (!f) return -1;
    int r;
    if (HasKeyList())
        r = KeyList()->IndexOf(f->Text());
    else if (HasPickList())
        r = PickList()->IndexOf(f->Text());
    else if (f->IsNull() || !IsNumericKind(f))
        r = -1;
    else
        r = FieldValueAsInteger(f, -1);
    return r == -1 ? FNotInKeyListIndex : r;
}

void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh* Params) {
    TCustomDBAxisGridEh* g = Grid();
    int col = 0, row = 0;
    if (g) g->GetBarCellCoord(this, col, row);
    Params->SetCol(col);
    Params->SetRow(row);
    Params->SetState(TGridDrawState());
    Params->SetFont(g ? g->FDummiFont.get() : nullptr);
    Params->SetBackground(Color());
    Params->SetAlignment(Alignment());
    Params->SetImageIndex(GetImageIndex());
    Params->SetText(DisplayText());
    Params->SetCheckboxState(CheckboxState());
    Params->SetReadOnly(ReadOnly());
    Params->SetTextEditing(TextEditing());
    Params->SetBlankCell(false);
}

bool TAxisBarEh::IsCellTextEditing() {
    TAxisColCellParamsEh* p = FCheckModifyColCellParamsEh.get();
    FillColCellParams(p);
    TCustomDBAxisGridEh* g = Grid();
    if (!g || !g->ComponentState().Contains(csLoading)) GetColCellParams(false, p);
    return p->TextEditing();
}

// ---------------------------------------------------------------------------------------------
// Editing checks

bool TAxisBarEh::CanEditAcceptKey(QChar Key) {
    TField* f = Field();
    if (!f) return OnUpdateData.Assigned();
    if (HasKeyList()) return true;
    return f->IsValidChar(Key);
}

String TAxisBarEh::GetAcceptableEditText(const String& InputEditText) {
    // Usually every character passes: the text is then shared, not copied.
    const qsizetype n = InputEditText.size();
    qsizetype i = 0;
    while (i < n && CanEditAcceptKey(InputEditText[i]))
        ++i;
    if (i == n) return InputEditText;
    String r;
    r.reserve(n);
    r.append(InputEditText.constData(), i);
    for (++i; i < n; ++i)
        if (CanEditAcceptKey(InputEditText[i])) r += InputEditText[i];
    return r;
}

bool TAxisBarEh::CanModify(bool TryEdit) {
    TCustomDBAxisGridEh* g = Grid();
    bool result = g ? !g->ReadOnly() && g->DataLink()->Active() && !g->DataLink()->ReadOnly() : true;
    result = result && !ReadOnly();
    TField* f = Field();
    if (!f) return false;
    if (result) {
        TField* edited = f;
        if (f->FieldKind() == fkLookup) {
            result = LookupKeysModifiable(f);
            edited = result ? FirstKeyField(f) : nullptr;
        }
        if (result) result = edited->CanModify();
        if (result) {
            if (!edited->IsBlob() || edited->OnSetText.Assigned())
                result = !g || g->IsDataEditAllowed();
            else
                result = g && g->DrawMemoText() && IsMemoType(edited->DataType()) && g->IsDataEditAllowed();
        }
    }
    // Filling the parameters reads the value several times over: done only for a hook to see.
    if (AdjustsColCellParams()) {
        TAxisColCellParamsEh* p = FCheckModifyColCellParamsEh.get();
        FillColCellParams(p);
        p->SetReadOnly(!result);
        GetColCellParams(true, p);
        result = !p->ReadOnly();
    }
    if (TryEdit && result && g) {
        g->DataLink()->Edit();
        result = g->DataLink()->Editing();
        if (result) g->DataLink()->Modified();
    }
    return result;
}

bool TAxisBarEh::CanEditField() {
    TCustomDBAxisGridEh* g = Grid();
    TField* f = Field();
    return Visible() && !ReadOnly() && g && g->DataLink()->Active() && f && f->FieldKind() != fkCalculated &&
           !IsFieldReadOnlyForEdit(f);
}

// ---------------------------------------------------------------------------------------------
// Writing and stepping values

void TAxisBarEh::WriteValueToField(const String& Text, const Variant& Value, bool UseText) {
    TCustomDBAxisGridEh* g = Grid();
    if (!g) return;
    TAxisGridDataLinkEh* link = g->DataLink();
    const bool setFlag = !link->InUpdateData();
    if (setFlag) link->SetInUpdateData(true);
    struct Clear {
        TAxisGridDataLinkEh* l;
        bool on;
        ~Clear() {
            if (on) l->SetInUpdateData(false);
        }
    } guard{link, setFlag};

    String text = Text;
    Variant value = Value;
    bool useText = UseText;
    bool handled = false;
    if (OnUpdateData.Assigned()) OnUpdateData(this, text, value, useText, handled);
    TField* f = Field();
    if (handled || !f) return;
    if (useText) {
        if (g->DrawMemoText() && IsMemoType(f->DataType()))
            f->SetAsString(text);
        else
            f->SetText(text);
    } else if (f->FieldKind() == fkLookup && !f->KeyFields().isEmpty()) {
        SetFieldValuesFromVariant(f->DataSet(), f->KeyFields(), value);
    } else {
        f->SetValue(value);
    }
    TInplaceEdit* ed = g->InplaceEditor();
    if (FMRUList->AutoAdd() && FMRUList->Active() && ed && ed->Visible() && ed->Showing())
        FMRUList->Add(text);
}

void TAxisBarEh::CycleValue(Extended Step) {
    TCustomDBAxisGridEh* g = Grid();
    if (!g) return;
    TAxisGridDataLinkEh* link = g->DataLink();
    TField* f = Field();
    if (g->ReadOnly() || !link->Active() || link->ReadOnly() || ReadOnly() || !f) return;
    TField* edited = f;
    if (f->FieldKind() == fkLookup) {
        if (!LookupKeysModifiable(f)) return;
        edited = FirstKeyField(f);
    }
    if (!edited->CanModify()) return;
    if (edited->IsBlob() && !edited->OnSetText.Assigned()) return;
    if (!g->IsDataEditAllowed()) return;
    TAxisColCellParamsEh* s = g->GetCellParamsRecord();
    FillColCellParams(s);
    s->SetReadOnly(!CanModify(false));
    GetColCellParams(true, s);
    if (s->ReadOnly()) return;
    link->Edit();
    if (!link->Editing()) return;
    link->Modified();

    const bool forward = Step == 1.0L;
    TInplaceEdit* ed = g->InplaceEditor();
    const String curText = ed && ed->Visible() ? ed->Text() : f->Text();

    switch (GetColumnType()) {
    case ctCheckboxes:
        SetCheckboxState(CheckboxState() == cbChecked ? cbUnchecked : cbChecked);
        return;
    case ctKeyPickList:
    case ctKeyImageList: {
        if (!HasKeyList()) return;
        TStrings* keys = KeyList();
        const int i = keys->IndexOf(f->Text());
        const int n = keys->Count();
        int k;
        if (forward)
            k = (i == -1 || i == n - 1) ? 0 : i + 1;
        else
            k = (i == -1 || i == 0) ? n - 1 : i - 1;
        WriteValueToField(curText, Variant(keys->Strings(k)), false);
        return;
    }
    case ctPickList: {
        TStrings* picks = PickList();
        const int i = picks->IndexOf(f->Text());
        const int n = picks->Count();
        if (forward && (i == -1 || i == n - 1)) {
            f->SetText(picks->Strings(0));
        } else if (!forward && (i == -1 || i == 0)) {
            f->SetText(picks->Strings(n - 1));
        } else {
            const String s = picks->Strings(forward ? i + 1 : i - 1);
            WriteValueToField(s, Variant(s), true);
        }
        return;
    }
    case ctLookupField: {
        TDataSet* list = GetListDataSet();
        if (!list) return;
        if (edited->IsNull()) {
            list->First();
        } else if (!list->Locate(f->LookupKeyFields(), f->DataSet()->FieldValues(f->KeyFields()), {})) {
            list->First();
        } else if (forward) {
            if (list->Eof())
                list->First();
            else {
                list->Next();
                if (list->Eof()) list->First();
            }
        } else {
            if (list->Bof())
                list->Last();
            else {
                list->Prior();
                if (list->Bof()) list->Last();
            }
        }
        WriteValueToField(curText, list->FieldValues(f->LookupKeyFields()), false);
        f->SetText(list->FieldByName(f->LookupResultField())->Text());
        return;
    }
    default:
        break;
    }
    if (!IsStepNumericType(f->DataType())) return;
    // A Null value steps from -Step, so the first step lands on 0.
    const double base = f->IsNull() ? -double(Step) : f->AsFloat();
    try {
        WriteValueToField(curText, Variant(base + double(Step)), false);
    } catch (const EDatabaseError&) {
    }
}

// ---------------------------------------------------------------------------------------------
// Lookup support

TDataSet* TAxisBarEh::GetListDataSet() {
    if (FDropDownBox->ListSource() && FDropDownBox->ListSource()->DataSet())
        return FDropDownBox->ListSource()->DataSet();
    return GetLookupDataSet();
}

TDataSet* TAxisBarEh::GetLookupDataSet() {
    TField* f = Field();
    return f ? f->LookupDataSet() : nullptr;
}

bool TAxisBarEh::LookupKeyExists() {
    TField* f = Field();
    if (!f) return false;
    TDataSet* lds = f->LookupDataSet();
    if (!lds || !lds->Active()) return false;
    return lds->Locate(f->LookupKeyFields(), f->DataSet()->FieldValues(f->KeyFields()), {loCaseInsensitive});
}

void TAxisBarEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                            const String& FilterText, TLSAutoFilterTypeEh Operation) {
    DefaultDropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}

void TAxisBarEh::DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                                   const String& FilterText, TLSAutoFilterTypeEh Operation) {
    const String wildcard = FDropDownBox->GetLikeWildcardForSeveralCharacters();
    const String leading = Operation == lsftContainsEh ? wildcard : String();
    if (!DataSet) return;
    if (FilterText.isEmpty()) {
        DataSet->SetFilter(String());
        return;
    }
    String quoted = FilterText;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    DataSet->SetFilter(QStringLiteral("[") + FieldName + QStringLiteral("] like '") + leading + quoted +
                       wildcard + QStringLiteral("'"));
    DataSet->SetFiltered(true);
}

// ---------------------------------------------------------------------------------------------
// TColumnDropDownBoxEh

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* Owner) : FOwner(Owner) {}

TColumnDropDownBoxEh::~TColumnDropDownBoxEh() = default;

void TColumnDropDownBoxEh::SetListSource(TDataSource* Value) {
    if (Value == FListSource) return;
    FListSource = Value;
    if (auto* owner = dynamic_cast<ILookupGridOwner*>(FOwner)) owner->FreeNotification(Value);
}

String TColumnDropDownBoxEh::GetLikeWildcardForSeveralCharacters() {
    String result = QStringLiteral("*");
    TDataSet* ds = FListSource ? FListSource->DataSet() : nullptr;
    // Without a list source the list shows the lookup field's data set: its filter syntax counts.
    if (!ds)
        if (auto* column = dynamic_cast<TAxisBarEh*>(FOwner)) ds = column->GetListDataSet();
    IMemTableEh* mt = nullptr;
    if (ds && Supports(ds, &mt)) mt->GetLikeWildcardForSeveralCharacters(result);
    // Data-set adapters of other classes come with the data grid's behaviour centre.
    return result;
}

void TColumnDropDownBoxEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TColumnDropDownBoxEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    FAlign = src->FAlign;
    FAutoDrop = src->FAutoDrop;
    FAutoFitColWidths = src->FAutoFitColWidths;
    FRows = src->FRows;
    FWidth = src->FWidth;
    FSizable = src->FSizable;
    FShowTitles = src->FShowTitles;
    FUseMultiTitle = src->FUseMultiTitle;
    SetListSource(src->FListSource);
    // The list grid's settings: a source without a list grid has only defaults to give.
    auto* srcOwner = dynamic_cast<TAxisBarEh*>(src->FOwner);
    if (srcOwner && srcOwner->DataListIfAny()) {
        if (TCustomColumnDefValuesEh* d = src->ColumnDefValues()) SetColumnDefValues(d);
        if (TBaseColumnsEh* c = Columns()) {
            TBaseColumnsEh* sc = src->Columns();
            if (sc && sc->State() == csCustomized)
                c->Assign(sc);
            else
                c->Clear();
        }
        SetOptions(src->Options());
    } else if (auto* owner = dynamic_cast<TAxisBarEh*>(FOwner); owner && owner->DataListIfAny()) {
        if (TBaseColumnsEh* c = Columns()) c->Clear();
    }
}
