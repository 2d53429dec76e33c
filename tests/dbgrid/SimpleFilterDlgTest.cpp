// The simple filter dialog: conditions read back from a column filter, texts written from the
// dialog's rows and values, a rejected text keeping the dialog open, and how the dialog looks.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhSimpleFilterDlg.h"
#include "lib/tools/DBCtrlsEh.h"

#include "memtable/MemTableFixture.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct DlgColumn : ISTFilterColumnEh {
    TDataSet* DataSet = nullptr;
    String FieldName;
    TStringList KeyList, PickList;
    TField* STFilterField() override { return DataSet ? DataSet->FindField(FieldName) : nullptr; }
    String STFilterFieldName() override { return FieldName; }
    TStrings* STFilterKeyList() override { return &KeyList; }
    TStrings* STFilterPickList() override { return &PickList; }
    TDataSet* STFilterGridDataSet() override { return DataSet; }
    TSTFilterDefaultOperatorEh STFilterDefaultOperator(TSTColumnFilterEh*,
                                                       const TSTFilterExpressionEh&) override {
        return fdoAuto;
    }
    void STFilterChanged(TSTColumnFilterEh*, const String*) override {}
    void STFilterApplyIfInstant() override {}
    void STFilterVisibleChanged() override {}
    void STFilterDropFieldValueList() override {}
};

class SimpleFilterDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        T = MakeTable({"Id:i", "Name:s"});
        Col.DataSet = T.get();
        Dlg = SimpleFilterDialog();
    }
    // Opens the dialog (without showing it) on a filter of the column with the text.
    void Open(const char* field, const char* text) {
        Col.FieldName = QString::fromLatin1(field);
        Filter = std::make_unique<TSTColumnFilterEh>(&Col);
        Filter->SetExpressionStr(QString::fromUtf8(text));
        Dlg->ColumnFilter = Filter.get();
        Dlg->Init();
    }
    static String Selected(TComboBox* box) {
        return box->ItemIndex() < 0 ? u"<none>"_qs : box->Items()->Strings(box->ItemIndex());
    }
    static void Choose(TComboBox* box, const char* row) {
        box->SetItemIndex(box->Items()->IndexOf(QString::fromUtf8(row)));
        ASSERT_GE(box->ItemIndex(), 0) << row;
    }

    CompPtr<TMemTableEh> T;
    DlgColumn Col;
    std::unique_ptr<TSTColumnFilterEh> Filter;
    TDBGridEhSimpleFilterDialog* Dlg = nullptr;
};

TEST_F(SimpleFilterDlgTest, OpensWithTheFiltersConditions) {
    struct Case {
        const char *field, *text, *row1, *value1, *row2, *value2;
        bool orChecked;
    };
    const Case cases[] = {
        {"Name", "~%abc%", "содержит", "abc", "", "", false},
        {"Name", "!~abc%", "не начинается с", "abc", "", "", false},
        {"Name", "~%abc", "заканчивается на", "abc", "", "", false},
        {"Name", "~a%b", "подобно", "a%b", "", "", false},
        {"Id", ">5", "больше", "5", "", "", false},
        {"Id", ">=1 OR =Null", "больше или равно", "1", "пустые", "", true},
        {"Id", "in(1,2)", "в списке", "1,2", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Open(c.field, c.text);
        EXPECT_EQ(Selected(Dlg->ComboBox1), QString::fromUtf8(c.row1));
        EXPECT_EQ(Dlg->DBComboBoxEh1->Text(), QString::fromUtf8(c.value1));
        EXPECT_EQ(Selected(Dlg->ComboBox2), QString::fromUtf8(c.row2));
        EXPECT_EQ(Dlg->DBComboBoxEh2->Text(), QString::fromUtf8(c.value2));
        EXPECT_EQ(Dlg->rbOr->Checked(), c.orChecked);
    }
    // A number column offers no text operators: rows 0 to 6 and 15 to 18.
    Open("Id", "");
    EXPECT_EQ(Dlg->ComboBox1->Items()->Count(), 11);
    EXPECT_LT(Dlg->ComboBox1->Items()->IndexOf(QString::fromUtf8("содержит")), 0);
    Open("Name", "");
    EXPECT_EQ(Dlg->ComboBox1->Items()->Count(), 19);
}

TEST_F(SimpleFilterDlgTest, WritesTheTextOfItsRows) {
    struct Case {
        const char *field, *row1, *value1, *row2, *value2;
        bool orChecked;
        const char* written;
    };
    const Case cases[] = {
        {"Id", "в списке", "1,2", "", "", false, "in(1,2)"},
        {"Id", "пустые", "7", "", "", false, "=Null"},
        {"Id", "равно", "1", "равно", "2", true, "=1 OR =2"},
        {"Id", "больше", "1", "меньше", "9", false, ">1 AND <9"},
        {"Name", "не заканчивается на", "ov", "", "", false, "!~%ov"},
        {"Name", "содержит", "ab", "", "", false, "~%ab%"},
        {"Name", "равно", "O'Brien (x)", "", "", false, "='O''Brien (x)'"},
        // Only the second condition: it alone, not a text opening with AND or OR.
        {"Id", "", "", "равно", "5", true, "=5"},
        {"Id", "", "", "", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        Open(c.field, "");
        Choose(Dlg->ComboBox1, c.row1);
        Dlg->DBComboBoxEh1->SetText(QString::fromUtf8(c.value1));
        Choose(Dlg->ComboBox2, c.row2);
        Dlg->DBComboBoxEh2->SetText(QString::fromUtf8(c.value2));
        (c.orChecked ? Dlg->rbOr : Dlg->rbAnd)->SetChecked(true);
        Dlg->SetModalResult(mrOk);
        bool canClose = false;
        Dlg->FormCloseQuery(Dlg, canClose);
        EXPECT_TRUE(canClose);
        EXPECT_EQ(Filter->ExpressionStr(), QString::fromUtf8(c.written));
        if (*c.written == 0) {
            EXPECT_EQ(Filter->Expression().Operator1, foNon);
        }
    }
    // The quoted value reads back as typed.
    Open("Name", "='O''Brien (x)'");
    EXPECT_EQ(Dlg->DBComboBoxEh1->Text(), u"O'Brien (x)"_qs);
}

TEST_F(SimpleFilterDlgTest, RejectedTextKeepsTheDialogOpenAndTheFilter) {
    Open("Id", ">1");
    Choose(Dlg->ComboBox1, "больше");
    Dlg->DBComboBoxEh1->SetText(u"abc"_qs);
    Dlg->SetModalResult(mrOk);
    bool canClose = true;
    EXPECT_THROW(Dlg->FormCloseQuery(Dlg, canClose), Exception);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(Filter->ExpressionStr(), u">1"_qs);
    // Cancel closes without touching the filter.
    Dlg->SetModalResult(mrCancel);
    canClose = true;
    Dlg->FormCloseQuery(Dlg, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(Filter->ExpressionStr(), u">1"_qs);
}

TEST_F(SimpleFilterDlgTest, Screenshot) {
    Open("Name", "~%abc% OR !~x%");
    EXPECT_EQ(Dlg->ClientWidth(), 410);
    EXPECT_EQ(Dlg->ClientHeight(), 218);
    EXPECT_EQ(Dlg->DBComboBoxEh1->Left(), Dlg->Edit1->Left());
    EXPECT_EQ(Dlg->DBComboBoxEh2->Top(), Dlg->Edit2->Top());
    Dlg->Show();
    QCoreApplication::processEvents();
    DispatchQueuedMessages();
    QCoreApplication::processEvents();
    QWidget* w = Dlg->Widget();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->grab().save(ScreenshotPath(QStringLiteral("simple_filter_dialog")), "PNG"));
    Dlg->Hide();
}

} // namespace
