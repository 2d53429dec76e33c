// Column filters over a memory table: typed texts, refused texts, key/pick-list and lookup
// recoding, drop-down check states; and the grid's filter-row settings.

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "memtable/MemTableFixture.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct FakeColumn : ISTFilterColumnEh {
    TDataSet* DataSet = nullptr;
    String FieldName;
    TStringList KeyList, PickList;
    int Changes = 0, Applies = 0, Drops = 0, VisibleChanges = 0;
    String EditorText;

    TField* STFilterField() override { return DataSet ? DataSet->FindField(FieldName) : nullptr; }
    String STFilterFieldName() override { return FieldName; }
    TStrings* STFilterKeyList() override { return &KeyList; }
    TStrings* STFilterPickList() override { return &PickList; }
    TDataSet* STFilterGridDataSet() override { return DataSet; }
    TSTFilterDefaultOperatorEh STFilterDefaultOperator(TSTColumnFilterEh*,
                                                       const TSTFilterExpressionEh&) override {
        return fdoAuto;
    }
    void STFilterChanged(TSTColumnFilterEh*, const String* text) override {
        ++Changes;
        if (text) EditorText = *text;
    }
    void STFilterApplyIfInstant() override { ++Applies; }
    void STFilterVisibleChanged() override { ++VisibleChanges; }
    void STFilterDropFieldValueList() override { ++Drops; }
};

class ColumnFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        T = MakeTable({"Id:i", "Name:s", "Price:f"});
        AppendRow(T.get(), {1, u"One"_qs, 1.5});
        Col.DataSet = T.get();
    }
    CompPtr<TMemTableEh> T;
    FakeColumn Col;
};

TEST_F(ColumnFilterTest, NewFilterAndTypedTexts) {
    Col.FieldName = u"Price"_qs;
    TSTColumnFilterEh f(&Col);
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Expression().Operator1, foNon);
    EXPECT_TRUE(VarIsNull(f.KeyValues()));
    EXPECT_EQ(f.DropDownListRows(), 15);
    EXPECT_EQ(f.PopupListboxDownIndex(), -1);

    f.SetExpressionStr(u">1.5 AND <3"_qs);
    EXPECT_EQ(f.Expression().ExpressionType, botNumber);
    EXPECT_EQ(f.Expression().Operator2, foLessThan);
    EXPECT_EQ(f.ExpressionStr(), u">1.5 AND <3"_qs);
    EXPECT_EQ(f.ExpressionAsText(), u"> 1.5 AND < 3"_qs);
    EXPECT_EQ(Col.EditorText, u">1.5 AND <3"_qs);
    EXPECT_EQ(f.GetFilterFieldName(), u"Price"_qs);

    f.SetExpressionStr(String());
    EXPECT_EQ(f.Expression().Operator1, foNon);
    EXPECT_EQ(f.ExpressionAsText(), String());

    f.SetVisible(false);
    EXPECT_EQ(Col.VisibleChanges, 1);
}

// A text that does not parse, or whose value is no number, leaves the previous filter in force.
TEST_F(ColumnFilterTest, RefusedTextKeepsThePreviousFilter) {
    Col.FieldName = u"Price"_qs;
    TSTColumnFilterEh f(&Col);
    f.SetExpressionStr(u"=5"_qs);
    const char* bad[] = {">5 <10", "=1 OR =2 OR =3", ">abc", "OR 5"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_ANY_THROW(f.SetExpressionStr(QString::fromUtf8(text)));
        EXPECT_EQ(f.ExpressionStr(), u"=5"_qs);
        EXPECT_EQ(f.Expression().Operator1, foEqual);
        EXPECT_DOUBLE_EQ(f.Expression().Operand1.AsDouble(), 5);
        EXPECT_EQ(f.Expression().Relation, foNon);
    }
    try {
        f.SetExpressionStr(u"=1 OR =2 OR =3"_qs);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"Неверное выражение: =1 OR =2 OR =3"_qs);
    }
}

TEST_F(ColumnFilterTest, KeyAndPickListsStoreKeysAndShowTheTypedText) {
    Col.FieldName = u"Id"_qs;
    Col.KeyList.Add(u"1"_qs);
    Col.KeyList.Add(u"2"_qs);
    Col.PickList.Add(u"One"_qs);
    Col.PickList.Add(u"Two"_qs);
    TSTColumnFilterEh f(&Col);
    f.SetExpressionStr(u"=Two"_qs);
    EXPECT_EQ(f.Expression().ExpressionType, botString);
    EXPECT_EQ(VarToStr(f.Expression().Operand1), u"2"_qs);
    EXPECT_EQ(f.ExpressionStr(), u"=Two"_qs);
    f.SetExpressionStr(u"in (One,Two,Three)"_qs);
    EXPECT_EQ(STFilterOperatorAsText(foIn, f.Expression().Operand1), u"In ('1','2','Three')"_qs);

    // Drop-down rows show pick-list texts; the check states follow the stored keys.
    TStringList items;
    TObject dataItem;
    for (const char* s : {"One", "Two"})
        items.AddObject(QString::fromLatin1(s), &dataItem);
    f.SetExpressionStr(u"=Two"_qs);
    f.CheckItemsFromExpression(&items, &dataItem);
    EXPECT_EQ(f.ListValuesCheckingState(), (std::vector<bool>{false, true}));
}

TEST_F(ColumnFilterTest, CheckedDropDownRowsBuildTheFilterText) {
    Col.FieldName = u"Price"_qs;
    TSTColumnFilterEh f(&Col);
    TStringList items;
    TObject dataItem, sortItem;
    items.AddObject(u"(Сортировка по возрастанию)"_qs, &sortItem);
    for (const char* s : {"", "5", "6", "7"})
        items.AddObject(QString::fromLatin1(s), &dataItem);
    struct Case {
        std::vector<bool> checked;
        const char* text;
    };
    const Case cases[] = {
        {{true, false, true, false, true}, "in ('5','7')"}, // the sort row is no value row
        {{false, true, false, false, false}, "=Null"},
        {{false, true, true, false, false}, "='5' OR =Null "},
        {{false, false, false, true, false}, "='6'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        f.ListValuesCheckingState() = c.checked;
        f.SetFilterFromCheckedItems(&items, &dataItem);
        EXPECT_EQ(f.ExpressionStr(), QString::fromLatin1(c.text));
        EXPECT_EQ(Col.EditorText, QString::fromLatin1(c.text));
    }
    EXPECT_EQ(Col.Applies, 4);

    f.SetExpressionStr(u"in (5,7)"_qs);
    f.ListValuesCheckingState().assign(items.Count(), true);
    f.CheckItemsFromExpression(&items, &dataItem);
    EXPECT_EQ(f.ListValuesCheckingState(), (std::vector<bool>{true, false, true, false, true}));
    f.SetExpressionStr(u"=6 OR =7"_qs);
    f.CheckItemsFromExpression(&items, &dataItem);
    EXPECT_EQ(f.ListValuesCheckingState(), (std::vector<bool>{true, false, false, true, true}));
}

TEST_F(ColumnFilterTest, OperandTextsForEditingQuoteOnlyWhatWouldNotReadBack) {
    Col.FieldName = u"Name"_qs;
    TSTColumnFilterEh f(&Col);
    struct Case {
        TSTFilterOperatorEh op;
        Variant operand;
        const char* text;
    };
    const Case cases[] = {
        {foEqual, u"plain text"_qs, "plain text"},
        {foEqual, u"a,b"_qs, "a,b"},
        {foIn, VarArrayOf({u"a,b"_qs, u"c"_qs}), "'a,b',c"},
        {foEqual, u" lead"_qs, "' lead'"},
        {foEqual, u"trail "_qs, "'trail '"},
        {foEqual, u"'q"_qs, "'''q'"},
        {foEqual, u"Tom or"_qs, "'Tom or'"},
        {foEqual, u"and"_qs, "'and'"},
        {foEqual, u"O'Brien"_qs, "O'Brien"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.GetOperandAsString(c.op, c.operand), QString::fromUtf8(c.text));
}

TEST_F(ColumnFilterTest, ListSourceSuppliesDisplayValuesAndKeys) {
    auto list = MakeTable({"Code:i", "Title:s"});
    AppendRow(list.get(), {1, u"Один"_qs});
    AppendRow(list.get(), {2, u"Два"_qs});
    auto owner = CompPtr<TComponent>(Create<TComponent>(nullptr));
    auto* src = Create<TDataSource>(owner.get());
    Col.FieldName = u"Id"_qs;
    TSTColumnFilterEh f(&Col);
    f.SetKeyField(u"Code"_qs);
    f.SetListField(u"Title"_qs);
    f.SetListSource(src);
    src->SetDataSet(list.get());
    EXPECT_EQ(f.List()->Count(), 2);
    list->Close();
    list->Open();
    // Reopening reads the lists afresh.
    EXPECT_EQ(f.List()->Count(), 2);
    EXPECT_EQ(f.Keys()->Strings(1), u"2"_qs);
    EXPECT_GE(Col.Drops, 2);

    f.SetExpressionStr(u"=Два"_qs);
    EXPECT_EQ(f.Expression().Operand1.AsInteger(), 2);
    EXPECT_EQ(f.ExpressionStr(), u"=Два"_qs);
    EXPECT_EQ(f.GetOperandAsString(foEqual, 2), u"Два"_qs);

    TStringList chosen;
    chosen.Add(u"Один"_qs);
    chosen.Add(u"Два"_qs);
    f.SetKeysFromListValues(&chosen);
    EXPECT_EQ(f.Expression().Operator1, foIn);
    EXPECT_EQ(f.ExpressionAsText(), u"'Один','Два'"_qs);
    ASSERT_TRUE(VarIsArray(f.KeyValues()));
    EXPECT_EQ(f.KeyValues()[1].AsInteger(), 2);
    EXPECT_EQ(f.GetOperand1()[0].AsInteger(), 1);
    f.Clear();
    EXPECT_TRUE(VarIsNull(f.KeyValues()));
    EXPECT_EQ(f.Expression().Operator1, foNon);
    f.SetListSource(nullptr);
}

struct FakeGrid : ISTFilterGridEh {
    TFont GridFont;
    TColor Fixed = clBtnFace;
    int Layouts = 0, Invalidates = 0;
    TFont* STFilterGridFont() override { return &GridFont; }
    TColor STFilterGridFixedColor() override { return Fixed; }
    TColor STFilterGridDataLineColor(bool horz) override { return horz ? clSilver : clGray; }
    bool STFilterGridLoading() override { return false; }
    bool STFilterGridChangingFonts() override { return false; }
    void STFilterGridLayoutChanged() override { ++Layouts; }
    void STFilterGridInvalidate() override { ++Invalidates; }
    void STFilterGridVisibleChanged(bool) override { ++Layouts; }
    int STFilterGridRowHeight(TFont*, int lines, int height) override { return lines * 13 + height; }
    int STFilterGridStdRowHeight() override { return 17; }
    int STFilterGridTextHeight(TFont* f, const String&) override { return f->Size() * 2; }
    int STFilterGridInterlineSpacing() override { return 3; }
    int STFilterGridEditButtonWidth() override { return 16; }
    bool STFilterGridFlat() override { return false; }
};

TEST(GridFilterSettingsTest, DefaultsFollowTheGrid) {
    FakeGrid g;
    TSTDBGridEhFilter s(&g);
    EXPECT_FALSE(s.InstantApply());
    s.SetLocal(true);
    EXPECT_TRUE(s.InstantApply());
    s.SetInstantApply(false);
    EXPECT_FALSE(s.InstantApply());

    g.Fixed = clWindow;
    EXPECT_EQ(ColorToRGB(s.GetColor()), ColorToRGB(clWindow));
    s.SetColor(clRed);
    EXPECT_EQ(s.GetColor(), clRed);
    EXPECT_EQ(s.GetHorzLineColor(), clSilver);
    EXPECT_EQ(s.GetVertLineColor(), clGray);

    // The filter font follows the grid's font in blue until it is set itself.
    EXPECT_TRUE(s.ParentFont());
    EXPECT_EQ(s.Font()->Color(), clBlue);
    EXPECT_EQ(s.RowFullRowHeight(), 17);
    s.Font()->SetSize(s.Font()->Size() + 4);
    EXPECT_FALSE(s.ParentFont());
    EXPECT_EQ(s.RowFullRowHeight(), s.Font()->Size() * 2 + 3);
    s.SetRowLines(2);
    EXPECT_EQ(s.RowFullRowHeight(), 26);
    s.UpdateInplaceEditorButtonHeight();
    EXPECT_EQ(s.InplaceEditorButtonHeight(), ButtonHeightForWidth(16, false)); // 26 > 24
    s.SetRowLines(0);
    s.SetParentFont(true);
    EXPECT_EQ(s.Font()->Size(), g.GridFont.Size());
    s.UpdateInplaceEditorButtonHeight();
    EXPECT_EQ(s.InplaceEditorButtonHeight(), 17);

    s.BeginUpdate();
    EXPECT_EQ(s.UpdateCount(), 1);
    s.EndUpdate();
    EXPECT_EQ(s.UpdateCount(), 0);
}

} // namespace
