// Column filters and the grid's filter-row settings. A column filter keeps two forms of its
// condition: the parsed expression (what is applied) and the text it was typed as (what the
// filter cell shows). Both change together or not at all.

#include "lib/dbgrid/DBGridEhFilter.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/toolscore/ToolCtrlsEhDataLink.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

#include <cmath>

namespace {

// The list data link tells its filter when the list data set opens or closes.
class TSTFilterListLinkEh : public TDataLink {
    KVT_CLASS(TSTFilterListLinkEh, TDataLink)
public:
    explicit TSTFilterListLinkEh(TSTColumnFilterEh* AFilter) : FFilter(AFilter) {}

protected:
    void ActiveChanged() override { FFilter->ListLinkActiveChanged(); }

private:
    TSTColumnFilterEh* FFilter;
};

bool HasItems(TStrings* s) {
    return s && s->Count() > 0;
}

template <class F> void ForEachValue(Variant& operand, F&& f) {
    if (VarIsArray(operand)) {
        for (Integer i = VarArrayLowBound(operand, 1); i <= VarArrayHighBound(operand, 1); ++i) {
            Variant v = operand[i];
            f(v);
            operand.ArrayPut({i}, v);
        }
    } else {
        f(operand);
    }
}

std::vector<Variant> ValuesOf(const Variant& operand) {
    std::vector<Variant> r;
    if (VarIsArray(operand)) {
        for (Integer i = VarArrayLowBound(operand, 1); i <= VarArrayHighBound(operand, 1); ++i)
            r.push_back(operand[i]);
    } else {
        r.push_back(operand);
    }
    return r;
}

String Quoted(const String& s) {
    String q = s;
    q.replace(QChar(u'\''), QStringLiteral("''"));
    return QChar(u'\'') + q + QChar(u'\'');
}

bool IsComparisonOperator(TSTFilterOperatorEh op) {
    return op >= foEqual && op <= foNotIn;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSTColumnFilterEh

TSTColumnFilterEh::TSTColumnFilterEh(ISTFilterColumnEh* AColumn)
    : FColumn(AColumn), FKeys(std::make_unique<TStringList>()), FList(std::make_unique<TStringList>()),
      FListLink(std::make_unique<TSTFilterListLinkEh>(this)),
      FPopupFilterItems(std::make_unique<TStringList>()) {
    ClearSTFilterExpression(FExpression);
}

TSTColumnFilterEh::~TSTColumnFilterEh() {
    // The link must not call back into a filter that is being destroyed.
    FListLink->SetDataSource(nullptr);
}

void TSTColumnFilterEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSTColumnFilterEh*>(Source)) {
        SetDataField(s->DataField());
        SetVisible(s->Visible());
        SetKeyField(s->KeyField());
        SetListField(s->ListField());
        SetListSource(s->ListSource());
        return;
    }
    TPersistent::Assign(Source);
}

TDataSource* TSTColumnFilterEh::ListSource() const {
    return FListLink->DataSource();
}

void TSTColumnFilterEh::SetListSource(TDataSource* Value) {
    FListLink->SetDataSource(Value);
}

void TSTColumnFilterEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (FColumn) FColumn->STFilterVisibleChanged();
}

void TSTColumnFilterEh::Clear() {
    FKeyValues = Null();
    SetExpressionStr(String());
}

void TSTColumnFilterEh::SetExpression(const TSTFilterExpressionEh& Value) {
    FExpression = Value;
    FExpressionStr = ExpressionAsText();
    if (FColumn) FColumn->STFilterChanged(this, nullptr);
}

void TSTColumnFilterEh::SetExpressionStr(const String& Value) {
    ParseExpressionStr(Value);
    if (FColumn) FColumn->STFilterChanged(this, &FExpressionStr);
}

void TSTColumnFilterEh::ParseExpressionStr(const String& Text) {
    ParseExpression(Text);
    FExpressionStr = Text;
    if (FColumn) FColumn->STFilterChanged(this, nullptr);
    if (!CurrentKeyField().isEmpty() && CurrentListDataSet() && !CurrentListField().isEmpty()) {
        if (FExpression.Operator1 != foNon) RecodeLookupOperand(FExpression.Operand1);
        if (FExpression.Operator2 != foNon) RecodeLookupOperand(FExpression.Operand2);
    }
}

String TSTColumnFilterEh::ParseExpression(const String& Text) {
    // Parsed into a copy: a malformed text leaves the condition in force as it was.
    TSTFilterExpressionEh e = FExpression;
    TField* field = FColumn ? FColumn->STFilterField() : nullptr;
    if (field) e.ExpressionType = FieldTypeToSTOperandType(field->DataType());
    if (FColumn && HasItems(FColumn->STFilterKeyList()) && HasItems(FColumn->STFilterPickList()))
        e.ExpressionType = botString;
    // Values typed for a list data set are its display texts: they become keys after the parse,
    // so converting them to the key field's type would refuse every one of them.
    if (!CurrentKeyField().isEmpty() && CurrentListDataSet() && !CurrentListField().isEmpty())
        e.ExpressionType = botString;
    const TSTFilterDefaultOperatorEh def = FColumn ? FColumn->STFilterDefaultOperator(this, e) : fdoAuto;
    ParseSTFilterExpression(Text, e, def);
    if (!ListSource()) CheckRecodeKeyList(e, true);
    FExpression = e;
    return ExpressionAsText();
}

String TSTColumnFilterEh::ExpressionAsText() {
    if (FExpression.ExpressionType == botNon || FExpression.Operator1 == foNon) return String();
    if (ListSource()) {
        if (!VarIsArray(FExpression.Operand1)) return VarToStr(FExpression.Operand1);
        QStringList parts;
        for (const Variant& v : ValuesOf(FExpression.Operand1))
            parts << Quoted(VarToStr(v));
        return parts.join(QChar(u','));
    }
    return STFilterExpressionAsText(FExpression);
}

String TSTColumnFilterEh::GetFilterFieldName() {
    return CurrentDataField();
}

Variant TSTColumnFilterEh::GetOperand1() {
    return CurrentKeyField().isEmpty() ? FExpression.Operand1 : FKeyValues;
}

Variant TSTColumnFilterEh::GetOperand2() {
    return FExpression.Operand2;
}

void TSTColumnFilterEh::CheckRecodeKeyList(TSTFilterExpressionEh& Expression, bool DisplayToData) {
    TStrings* keys = FColumn ? FColumn->STFilterKeyList() : nullptr;
    TStrings* pick = FColumn ? FColumn->STFilterPickList() : nullptr;
    if (!HasItems(keys) || !HasItems(pick)) return;
    TStrings* from = DisplayToData ? pick : keys;
    TStrings* to = DisplayToData ? keys : pick;
    auto recode = [&](Variant& v) {
        const int i = from->IndexOf(VarToStr(v));
        if (i >= 0 && i < to->Count()) v = to->Strings(i);
    };
    if (IsComparisonOperator(Expression.Operator1)) ForEachValue(Expression.Operand1, recode);
    if (IsComparisonOperator(Expression.Operator2)) ForEachValue(Expression.Operand2, recode);
}

void TSTColumnFilterEh::RecodeLookupOperand(Variant& Operand) {
    TDataSet* ds = CurrentListDataSet();
    const String listField = CurrentListField();
    const String keyField = CurrentKeyField();
    ForEachValue(Operand, [&](Variant& v) { v = ds->Lookup(listField, v, keyField); });
}

Variant TSTColumnFilterEh::KeyToDisplay(const Variant& Value) {
    TDataSet* ds = CurrentListDataSet();
    return ds->Lookup(CurrentKeyField(), Value, CurrentListField());
}

namespace {
TField* LookupFieldOf(ISTFilterColumnEh* column) {
    if (!column || !column->STFilterGridDataSet()) return nullptr;
    TField* f = column->STFilterField();
    return f && f->Lookup() ? f : nullptr;
}
} // namespace

String TSTColumnFilterEh::CurrentKeyField() {
    if (!FKeyField.isEmpty()) return FKeyField;
    if (TField* f = LookupFieldOf(FColumn)) return f->LookupKeyFields();
    return String();
}

String TSTColumnFilterEh::CurrentDataField() {
    if (!FDataField.isEmpty()) return FDataField;
    if (TField* f = LookupFieldOf(FColumn)) return f->KeyFields();
    return FColumn ? FColumn->STFilterFieldName() : String();
}

TDataSet* TSTColumnFilterEh::CurrentListDataSet() {
    if (ListSource()) return ListSource()->DataSet();
    if (TField* f = LookupFieldOf(FColumn)) return f->LookupDataSet();
    return nullptr;
}

String TSTColumnFilterEh::CurrentListField() {
    if (!FListField.isEmpty()) return FListField;
    if (TField* f = LookupFieldOf(FColumn)) return f->LookupResultField();
    return String();
}

std::shared_ptr<IMemTableDataFieldValueListEh> TSTColumnFilterEh::GetFieldValueList() {
    TDataSet* ds = ListSource() ? ListSource()->DataSet() : nullptr;
    if (!FColumn || !FColumn->STFilterGridDataSet() || !ds || !ds->Active()) return nullptr;
    const String name = FListField.isEmpty() ? FColumn->STFilterFieldName() : FListField;
    if (!ds->FindField(name)) return nullptr;
    auto list = std::make_shared<TDatasetFieldValueListEh>();
    list->SetFieldName(name);
    list->SetDataSource(ListSource());
    return list;
}

void TSTColumnFilterEh::SetKeyListValues(const String& Text, const Variant& KeyValues) {
    SetExpressionStr(String());
    if (VarIsNull(KeyValues)) {
        FKeyValues = Null();
        return;
    }
    TSTFilterExpressionEh e = FExpression;
    e.ExpressionType = botString;
    e.Operator1 = foIn;
    e.Operand1 = Text;
    SetExpression(e);
    FKeyValues = KeyValues;
}

void TSTColumnFilterEh::SetKeysFromListValues(TStrings* Strings) {
    if (!FListLink->Active() || FListField.isEmpty()) return;
    TDataSet* ds = FListLink->DataSet();
    const String keyField = FKeyField.isEmpty() ? FListField : FKeyField;
    std::vector<Variant> keys;
    QStringList texts;
    for (int i = 0; i < Strings->Count(); ++i) {
        keys.push_back(ds->Lookup(FListField, Strings->Strings(i), keyField));
        texts << Quoted(Strings->Strings(i));
    }
    SetKeyListValues(texts.join(QChar(u',')), VarArrayOf(keys));
}

String TSTColumnFilterEh::GetOperandAsString(TSTFilterOperatorEh Operator, const Variant& Operand) {
    const bool lookup = !CurrentKeyField().isEmpty() && CurrentListDataSet() && !CurrentListField().isEmpty();
    const bool list = Operator == foIn || Operator == foNotIn;
    QStringList parts;
    for (const Variant& value : ValuesOf(Operand)) {
        const String s = VarToStr(lookup ? KeyToDisplay(value) : value);
        const String u = s.toUpper();
        const bool quote = (list && s.contains(QChar(u','))) || s.startsWith(QChar(u' ')) ||
                           s.startsWith(QChar(u'\'')) || s.endsWith(QChar(u' ')) || u.endsWith(u" OR"_qs) ||
                           u.endsWith(u" AND"_qs) || u == u"OR"_qs || u == u"AND"_qs;
        parts << (quote ? Quoted(s) : s);
    }
    return parts.join(QChar(u','));
}

void TSTColumnFilterEh::SetFilterFromCheckedItems(TStrings* Items, TObject* DataItem) {
    TField* field = FColumn ? FColumn->STFilterField() : nullptr;
    const TSTOperandTypeEh t = field ? FieldTypeToSTOperandType(field->DataType()) : botNon;
    QStringList chosen;
    bool emptyChosen = false;
    for (int i = 0; i < Items->Count(); ++i) {
        if (Items->Objects(i) != DataItem || i >= int(FListValuesCheckingState.size()) ||
            !FListValuesCheckingState[i])
            continue;
        const String text = Items->Strings(i);
        if ((t == botNumber || t == botDateTime || t == botBoolean) && text.isEmpty())
            emptyChosen = true;
        else
            chosen << Quoted(text);
    }
    String text;
    if (chosen.size() == 1)
        text = QChar(u'=') + chosen.front();
    else if (chosen.size() > 1)
        text = u"in ("_qs + chosen.join(QChar(u',')) + QChar(u')');
    if (emptyChosen) text += chosen.isEmpty() ? u"=Null"_qs : u" OR =Null "_qs;
    ParseExpressionStr(text);
    if (FColumn) {
        FColumn->STFilterChanged(this, &FExpressionStr);
        FColumn->STFilterApplyIfInstant();
    }
}

void TSTColumnFilterEh::CheckItemsFromExpression(TStrings* Items, TObject* DataItem) {
    std::vector<Variant> values;
    if (FExpression.Operator1 == foIn) {
        values = ValuesOf(FExpression.Operand1);
    } else if (FExpression.Operator1 == foEqual) {
        values.push_back(FExpression.Operand1);
        if (FExpression.Relation == foOR && FExpression.Operator2 == foEqual)
            values.push_back(FExpression.Operand2);
    }
    if (!CurrentKeyField().isEmpty() && CurrentListDataSet() && !CurrentListField().isEmpty())
        for (Variant& v : values)
            v = KeyToDisplay(v);
    QStringList texts;
    for (const Variant& v : values)
        texts << VarToStr(v);
    TStrings* keys = FColumn ? FColumn->STFilterKeyList() : nullptr;
    TStrings* pick = FColumn ? FColumn->STFilterPickList() : nullptr;
    const bool recode = HasItems(keys) && HasItems(pick);
    FListValuesCheckingState.resize(Items->Count(), false);
    for (int i = 0; i < Items->Count(); ++i) {
        if (Items->Objects(i) != DataItem) continue;
        String row = Items->Strings(i);
        if (recode) {
            const int k = pick->IndexOf(row);
            if (k >= 0 && k < keys->Count()) row = keys->Strings(k);
        }
        FListValuesCheckingState[i] = texts.contains(row);
    }
}

void TSTColumnFilterEh::ListLinkActiveChanged() {
    TDataSet* ds = FListLink->DataSet();
    if (FListLink->Active() && ds && !FListField.isEmpty() && !FKeyField.isEmpty()) {
        // Every reopening reads the lists afresh, so they never hold stale or doubled pairs.
        FList->Clear();
        FKeys->Clear();
        ds->DisableControls();
        struct Enable {
            TDataSet* ds;
            ~Enable() { ds->EnableControls(); }
        } enable{ds};
        TField* listField = ds->FieldByName(FListField);
        TField* keyField = ds->FieldByName(FKeyField);
        ds->First();
        while (!ds->Eof()) {
            FList->Add(listField->AsString());
            FKeys->Add(keyField->AsString());
            ds->Next();
        }
        ds->First();
    }
    if (FColumn) FColumn->STFilterDropFieldValueList();
}

// ---------------------------------------------------------------------------------------------
// TSTDBGridEhFilter

TSTDBGridEhFilter::TSTDBGridEhFilter(ISTFilterGridEh* AGrid)
    : FGrid(AGrid), FFont(std::make_unique<TFont>()) {
    FFont->OnChange = TNotifyEvent(this, &TSTDBGridEhFilter::FontChanged);
    RefreshDefaultFont();
}

TSTDBGridEhFilter::~TSTDBGridEhFilter() {
    FFont->OnChange = TNotifyEvent();
}

void TSTDBGridEhFilter::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSTDBGridEhFilter*>(Source)) {
        SetVisible(s->Visible());
        SetLocal(s->Local());
        return;
    }
    TPersistent::Assign(Source);
}

void TSTDBGridEhFilter::EndUpdate() {
    if (FUpateCount > 0) --FUpateCount;
}

void TSTDBGridEhFilter::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    FGrid->STFilterGridVisibleChanged(Value);
}

void TSTDBGridEhFilter::SetInstantApply(bool Value) {
    FIsInstantApplyStored = true;
    FInstantApply = Value;
}

void TSTDBGridEhFilter::SetLocation(TSTFilterLocationEh Value) {
    if (Value == FLocation) return;
    FLocation = Value;
    FGrid->STFilterGridLayoutChanged();
}

void TSTDBGridEhFilter::SetRowLines(int Value) {
    if (Value == FRowLines) return;
    FRowLines = Value;
    FGrid->STFilterGridLayoutChanged();
}

void TSTDBGridEhFilter::SetRowHeight(int Value) {
    if (Value == FRowHeight) return;
    FRowHeight = Value;
    FGrid->STFilterGridLayoutChanged();
}

void TSTDBGridEhFilter::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    FGrid->STFilterGridInvalidate();
}

void TSTDBGridEhFilter::SetHorzLineColor(TColor Value) {
    if (Value == FHorzLineColor) return;
    FHorzLineColor = Value;
    FGrid->STFilterGridInvalidate();
}

void TSTDBGridEhFilter::SetVertLineColor(TColor Value) {
    if (Value == FVertLineColor) return;
    FVertLineColor = Value;
    FGrid->STFilterGridInvalidate();
}

void TSTDBGridEhFilter::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    RefreshDefaultFont();
    FGrid->STFilterGridInvalidate();
}

void TSTDBGridEhFilter::SetFilterButtonDrawTime(TDBGridFilterButtonDrawTimeEh Value) {
    if (Value == FFilterButtonDrawTime) return;
    FFilterButtonDrawTime = Value;
    FGrid->STFilterGridInvalidate();
}

TFont* TSTDBGridEhFilter::DefaultFont() {
    return FGrid->STFilterGridFont();
}

void TSTDBGridEhFilter::RefreshDefaultFont() {
    if (!FParentFont) return;
    TFont* def = DefaultFont();
    FFontChanging = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{FFontChanging};
    if (def) FFont->Assign(def);
    FFont->SetColor(clBlue);
}

void TSTDBGridEhFilter::FontChanged(TObject*) {
    if (FFontChanging || FGrid->STFilterGridLoading() || FGrid->STFilterGridChangingFonts()) return;
    FParentFont = false;
    FGrid->STFilterGridLayoutChanged();
}

TColor TSTDBGridEhFilter::GetColor() {
    if (FColor != clDefault) return FColor;
    return InterpolateColor(clWindow, FGrid->STFilterGridFixedColor(), 8);
}

TColor TSTDBGridEhFilter::GetHorzLineColor() {
    return FHorzLineColor != clDefault ? FHorzLineColor : FGrid->STFilterGridDataLineColor(true);
}

TColor TSTDBGridEhFilter::GetVertLineColor() {
    return FVertLineColor != clDefault ? FVertLineColor : FGrid->STFilterGridDataLineColor(false);
}

int TSTDBGridEhFilter::RowFullRowHeight() {
    if (FRowLines != 0 || FRowHeight != 0)
        return FGrid->STFilterGridRowHeight(FFont.get(), FRowLines, FRowHeight);
    TFont* def = DefaultFont();
    if (def && FFont->Size() == def->Size()) return FGrid->STFilterGridStdRowHeight();
    return FGrid->STFilterGridTextHeight(FFont.get(), u"Wg"_qs) + FGrid->STFilterGridInterlineSpacing();
}

void TSTDBGridEhFilter::UpdateInplaceEditorButtonHeight() {
    const int h = RowFullRowHeight();
    const int w = FGrid->STFilterGridEditButtonWidth();
    // Round half to even, as the platform rounds.
    const int limit = int(std::nearbyint(3.0 * w / 2));
    FInplaceEditorButtonHeight = h > limit ? ButtonHeightForWidth(w, FGrid->STFilterGridFlat()) : h;
}
