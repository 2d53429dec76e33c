#include "lib/dbgrid/DBGridEhSimpleFilterDlg.h"

#include "lib/tools/DBCtrlsEh.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

// The operator rows: the text shown, the filter text written before the value, and whether
// the row takes a value at all.
struct OperatorRow {
    const char* Text;
    const char* Sign;
};
const OperatorRow Rows[] = {
    {"", ""},
    {"равно", "="},
    {"не равно", "<>"},
    {"больше", ">"},
    {"больше или равно", ">="},
    {"меньше", "<"},
    {"меньше или равно", "<="},
    {"начинается с", "~"},
    {"не начинается с", "!~"},
    {"заканчивается на", "~"},
    {"не заканчивается на", "!~"},
    {"содержит", "~"},
    {"не содержит", "!~"},
    {"подобно", "~"},
    {"не подобно", "!~"},
    {"в списке", "in"},
    {"не в списке", "!in"},
    {"пустые", "=Null"},
    {"не пустые", "<>Null"},
};
constexpr int RowCount = int(sizeof(Rows) / sizeof(Rows[0]));

// Row numbers ride in the items' objects.
TObject* RowObject(int N) {
    return reinterpret_cast<TObject*>(static_cast<intptr_t>(N));
}
int RowNumber(TObject* O) {
    return int(reinterpret_cast<intptr_t>(O));
}

void SelectRow(TComboBox* Box, int N) {
    Box->SetItemIndex(Box->Items()->IndexOfObject(RowObject(N)));
}

template <class T> T* Place(T* Control, TWinControl* Parent, const char* Name, int L, int T_, int W, int H) {
    Control->SetName(QString::fromLatin1(Name));
    Control->SetParent(Parent);
    Control->SetBounds(L, T_, W, H);
    return Control;
}

TLabel* MakeLabel(TWinControl* Parent, const char* Name, const char* Caption, int L, int T_) {
    auto* label = Place(new TLabel(Parent), Parent, Name, L, T_, 0, 0);
    label->SetAutoSize(true);
    label->SetCaption(QString::fromUtf8(Caption));
    return label;
}

} // namespace

TDBGridEhSimpleFilterDialog::TDBGridEhSimpleFilterDialog(TComponent* AOwner) : TCustomForm(AOwner, 0) {
    SetName(QStringLiteral("DBGridEhSimpleFilterDialog"));
    SetCaption(QString::fromUtf8("Пользовательский фильтр"));
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientWidth(410);
    SetClientHeight(218);
    Font()->SetName(Screen ? Screen->IconFont()->Name() : Font()->Name());

    Label1 = MakeLabel(this, "Label1", "Показывать только те записи, значения которых:", 6, 7);
    Bevel1 = Place(new TBevel(this), this, "Bevel1", 4, 27, 399, 8);
    Bevel1->SetShape(bsTopLine);
    ComboBox1 = Place(new TComboBox(this), this, "ComboBox1", 8, 39, 191, 21);
    ComboBox1->SetStyle(csDropDownList);
    ComboBox1->SetTabOrder(0);
    Edit1 = Place(new TEdit(this), this, "Edit1", 207, 39, 191, 21);
    Edit1->SetVisible(false);
    rbAnd = Place(new TRadioButton(this), this, "rbAnd", 38, 69, 60, 17);
    rbAnd->SetCaption(QString::fromUtf8("&И"));
    rbAnd->SetChecked(true);
    rbOr = Place(new TRadioButton(this), this, "rbOr", 105, 69, 60, 17);
    rbOr->SetCaption(QString::fromUtf8("И&ли"));
    ComboBox2 = Place(new TComboBox(this), this, "ComboBox2", 8, 92, 191, 21);
    ComboBox2->SetStyle(csDropDownList);
    Edit2 = Place(new TEdit(this), this, "Edit2", 207, 92, 191, 21);
    Edit2->SetVisible(false);
    Label2 = MakeLabel(this, "Label2", "Знак '_' обозначает один любой знак", 6, 131);
    Label3 = MakeLabel(this, "Label3", "Знак '%' обозначает последовательность любых знаков", 6, 151);
    bOk = Place(new TButton(this), this, "bOk", 237, 188, 78, 22);
    bOk->SetCaption(QStringLiteral("OK"));
    bOk->SetDefault(true);
    bOk->SetModalResult(mrOk);
    bCancel = Place(new TButton(this), this, "bCancel", 323, 188, 78, 22);
    bCancel->SetCaption(QString::fromUtf8("Отмена"));
    bCancel->SetCancel(true);
    bCancel->SetModalResult(mrCancel);
    for (TDBComboBoxEh** box : {&DBComboBoxEh1, &DBComboBoxEh2}) {
        *box = new TDBComboBoxEh(this);
        (*box)->SetParent(this);
        (*box)->SetVisible(false);
        (*box)->DropDownBox()->Rows = 17;
        (*box)->DropDownBox()->Sizable = true;
    }
    DBComboBoxEh1->SetName(QStringLiteral("DBComboBoxEh1"));
    DBComboBoxEh2->SetName(QStringLiteral("DBComboBoxEh2"));
    auto hidden = [this](TWinControl* c, const char* name) {
        c->SetName(QString::fromLatin1(name));
        c->SetParent(this);
        c->SetVisible(false);
    };
    hidden(DBDateTimeEditEh1 = new TDBDateTimeEditEh(this), "DBDateTimeEditEh1");
    hidden(DBDateTimeEditEh2 = new TDBDateTimeEditEh(this), "DBDateTimeEditEh2");
    hidden(DBNumberEditEh1 = new TDBNumberEditEh(this), "DBNumberEditEh1");
    hidden(DBNumberEditEh2 = new TDBNumberEditEh(this), "DBNumberEditEh2");
    OnCloseQuery = TCloseQueryEvent(this, &TDBGridEhSimpleFilterDialog::FormCloseQuery);
}

bool TDBGridEhSimpleFilterDialog::TextOperatorsOffered() const {
    TField* field =
        ColumnFilter && ColumnFilter->Column() ? ColumnFilter->Column()->STFilterField() : nullptr;
    if (!field) return true;
    const TSTOperandTypeEh type = FieldTypeToSTOperandType(field->DataType());
    return type == botNon || type == botString;
}

void TDBGridEhSimpleFilterDialog::Init() {
    InitSignComboBox(ComboBox1);
    InitSignComboBox(ComboBox2);
    InitValuesComboBox(DBComboBoxEh1, Edit1);
    InitValuesComboBox(DBComboBoxEh2, Edit2);
    if (ColumnFilter) FillDialogFromColumnFilter(ColumnFilter);
}

void TDBGridEhSimpleFilterDialog::InitSignComboBox(TComboBox* Box) {
    Box->Items()->Clear();
    const bool text = TextOperatorsOffered();
    for (int n = 0; n < RowCount; ++n) {
        if (!text && n >= 7 && n <= 14) continue;
        Box->Items()->AddObject(QString::fromUtf8(Rows[n].Text), RowObject(n));
    }
    Box->SetDropDownCount(Box->Items()->Count());
}

void TDBGridEhSimpleFilterDialog::InitValuesComboBox(TDBComboBoxEh* Box, TEdit* Place) {
    Box->SetBounds(Place->Left(), Place->Top(), Place->Width(), Place->Height());
    Box->SetVisible(true);
    Box->Items()->Clear();
    if (FieldValueList)
        if (TStrings* values = FieldValueList->GetValues()) Box->Items()->Assign(values);
    Box->SetText(String());
}

void TDBGridEhSimpleFilterDialog::FillDialogFromColumnFilter(TSTColumnFilterEh* Filter) {
    TSTFilterExpressionEh e = Filter->Expression();
    if (!Filter->ListSource()) Filter->CheckRecodeKeyList(e, false);
    FillDialogFromColumnFilter1(e.Operator1, e.Operand1, DBComboBoxEh1, ComboBox1);
    if (e.Relation == foOR)
        rbOr->SetChecked(true);
    else
        rbAnd->SetChecked(true);
    FillDialogFromColumnFilter1(e.Operator2, e.Operand2, DBComboBoxEh2, ComboBox2);
}

void TDBGridEhSimpleFilterDialog::FillDialogFromColumnFilter1(TSTFilterOperatorEh Operator,
                                                              const Variant& Operand, TDBComboBoxEh* ValueBox,
                                                              TComboBox* OperatorBox) {
    String text = ColumnFilter ? ColumnFilter->GetOperandAsString(Operator, Operand) : VarToStr(Operand);
    switch (Operator) {
    case foNon:
        SelectRow(OperatorBox, 0);
        break;
    case foEqual:
        SelectRow(OperatorBox, 1);
        break;
    case foNotEqual:
        SelectRow(OperatorBox, 2);
        break;
    case foGreaterThan:
        SelectRow(OperatorBox, 3);
        break;
    case foGreaterOrEqual:
        SelectRow(OperatorBox, 4);
        break;
    case foLessThan:
        SelectRow(OperatorBox, 5);
        break;
    case foLessOrEqual:
        SelectRow(OperatorBox, 6);
        break;
    case foIn:
        SelectRow(OperatorBox, 15);
        break;
    case foNotIn:
        SelectRow(OperatorBox, 16);
        break;
    case foNull:
        SelectRow(OperatorBox, 17);
        break;
    case foNotNull:
        SelectRow(OperatorBox, 18);
        break;
    case foLike:
    case foNotLike: {
        const int n = text.length();
        auto at = [&](int i) { return i >= 0 && i < n ? text[i] : QChar(); };
        const bool leading = at(0) == u'%' && at(1) != u'%';
        const bool trailing = at(n - 1) == u'%' && at(n - 2) != u'%';
        const int offset = Operator == foNotLike ? 1 : 0;
        if (leading && trailing) {
            SelectRow(OperatorBox, 11 + offset);
            text = text.mid(1, n - 2);
        } else if (leading) {
            SelectRow(OperatorBox, 9 + offset);
            text = text.mid(1);
        } else if (trailing) {
            SelectRow(OperatorBox, 7 + offset);
            text.chop(1);
        } else {
            SelectRow(OperatorBox, 13 + offset);
        }
        break;
    }
    default:
        break; // the Null comparisons keep the selection
    }
    ValueBox->SetText(text);
}

String TDBGridEhSimpleFilterDialog::SetFilterFromDialog1(TComboBox* OperatorBox, TDBComboBoxEh* ValueBox) {
    if (OperatorBox->ItemIndex() < 0) OperatorBox->SetItemIndex(0);
    const int n = OperatorBox->ItemIndex() >= 0
                      ? RowNumber(OperatorBox->Items()->Objects(OperatorBox->ItemIndex()))
                      : 0;
    String text = QString::fromLatin1(n >= 0 && n < RowCount ? Rows[n].Sign : "");
    String v = ValueBox->Text();
    const bool stringColumn = ColumnFilter && ColumnFilter->Expression().ExpressionType == botString;
    // A quote inside a quoted value is doubled, so the parser reads the value back as typed.
    auto quote = [](const String& s) {
        String doubled = s;
        doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
        return QLatin1Char('\'') + doubled + QLatin1Char('\'');
    };
    if (stringColumn && v.startsWith(QLatin1Char(' ')))
        v = quote(v);
    else if (v.contains(QLatin1Char(')')) || v.contains(QLatin1Char('(')))
        v = quote(v);
    if (n == 7 || n == 8 || n == 11 || n == 12) v += QLatin1Char('%');
    if (n >= 9 && n <= 12) v = QLatin1Char('%') + v;
    if (n == 15 || n == 16) v = QLatin1Char('(') + v + QLatin1Char(')');
    if (n != 17 && n != 18 && !v.isEmpty()) text += v;
    return text;
}

void TDBGridEhSimpleFilterDialog::SetFilterFromDialog() {
    const String t1 = SetFilterFromDialog1(ComboBox1, DBComboBoxEh1);
    const String t2 = SetFilterFromDialog1(ComboBox2, DBComboBoxEh2);
    String text = t1;
    // The second condition alone when the first is empty: a leading AND / OR is no condition.
    if (!t2.isEmpty())
        text = t1.isEmpty() ? t2
                            : t1 + (rbOr->Checked() ? QStringLiteral(" OR ") : QStringLiteral(" AND ")) + t2;
    if (ColumnFilter) ColumnFilter->SetExpressionStr(text);
}

void TDBGridEhSimpleFilterDialog::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() != mrOk) return;
    CanClose = false;
    SetFilterFromDialog(); // a rejected text raises: the dialog stays open
    CanClose = true;
}

TDBGridEhSimpleFilterDialog* SimpleFilterDialog() {
    static TDBGridEhSimpleFilterDialog* dialog = nullptr;
    if (!dialog) {
        dialog = new TDBGridEhSimpleFilterDialog(Application);
        // Forgotten when the application frees it.
        dialog->OnDestroy = TNotifyEvent::Callable([](TObject*) { dialog = nullptr; });
    }
    return dialog;
}

bool ShowSimpleFilterDialog(TSTColumnFilterEh* ColumnFilter,
                            std::shared_ptr<IMemTableDataFieldValueListEh> FieldValueList) {
    TDBGridEhSimpleFilterDialog* dialog = SimpleFilterDialog();
    dialog->ColumnFilter = ColumnFilter;
    dialog->FieldValueList = std::move(FieldValueList);
    dialog->Init();
    return dialog->ShowModal() == mrOk;
}
