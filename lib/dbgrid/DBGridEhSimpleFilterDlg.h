#pragma once
// The "(Условие...)" dialog of a column's filter list: at most two conditions, each an operator
// and a value, joined by AND or OR, read from the column filter when it opens and written back
// as the filter's text on OK.

#include "lib/dbgrid/DBGridEhFilter.h"
#include "platform/ui/Forms.h"

#include <memory>

class TLabel;
class TBevel;
class TComboBox;
class TEdit;
class TRadioButton;
class TButton;
class TDBComboBoxEh;
class TDBDateTimeEditEh;
class TDBNumberEditEh;
class IMemTableDataFieldValueListEh;

class TDBGridEhSimpleFilterDialog : public TCustomForm {
    KVT_CLASS(TDBGridEhSimpleFilterDialog, TCustomForm)
public:
    explicit TDBGridEhSimpleFilterDialog(TComponent* AOwner);

    // The filter being edited (the column's STFilter) and the column's distinct values, if any.
    TSTColumnFilterEh* ColumnFilter = nullptr;
    std::shared_ptr<IMemTableDataFieldValueListEh> FieldValueList;

    void Init();
    void InitSignComboBox(TComboBox* Box);
    void InitValuesComboBox(TDBComboBoxEh* Box, TEdit* Place);
    void FillDialogFromColumnFilter(TSTColumnFilterEh* Filter);
    void FillDialogFromColumnFilter1(TSTFilterOperatorEh Operator, const Variant& Operand,
                                     TDBComboBoxEh* ValueBox, TComboBox* OperatorBox);
    // Writes the dialog's conditions into the filter; a text the parser rejects raises and
    // leaves the filter as it was.
    void SetFilterFromDialog();
    String SetFilterFromDialog1(TComboBox* OperatorBox, TDBComboBoxEh* ValueBox);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    // Whether the text operators (rows 7 to 14) are offered for the filter's column.
    bool TextOperatorsOffered() const;

    TLabel* Label1;
    TBevel* Bevel1;
    TComboBox* ComboBox1;
    TEdit* Edit1;
    TRadioButton* rbAnd;
    TRadioButton* rbOr;
    TComboBox* ComboBox2;
    TEdit* Edit2;
    TLabel* Label2;
    TLabel* Label3;
    TButton* bOk;
    TButton* bCancel;
    TDBComboBoxEh* DBComboBoxEh1;
    TDBComboBoxEh* DBComboBoxEh2;
    // Part of the layout, never shown.
    TDBDateTimeEditEh* DBDateTimeEditEh1;
    TDBDateTimeEditEh* DBDateTimeEditEh2;
    TDBNumberEditEh* DBNumberEditEh1;
    TDBNumberEditEh* DBNumberEditEh2;
};

// Shows the program's one simple filter dialog for a column filter; true when closed with OK.
bool ShowSimpleFilterDialog(TSTColumnFilterEh* ColumnFilter,
                            std::shared_ptr<IMemTableDataFieldValueListEh> FieldValueList = nullptr);
// The dialog ShowSimpleFilterDialog uses (created on first use, owned by the application).
TDBGridEhSimpleFilterDialog* SimpleFilterDialog();
