// The data grid's columns: their settings and handlers in component streams (and streams written
// before they were stored), the sort marker's first direction and the sorting it asks for, the
// grid's reaction to a column change with and without auto-fit, the row panel, the text area
// beside the detail panel's button, the virtual factories and the drop-down list's text filter.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "platform/classes/ComponentStreams.h"

namespace {

// A grid that offers handlers by name, so that a stream of it can bind the columns' events.
class TColumnsTestGrid : public TDBGridEh {
    KVT_CLASS(TColumnsTestGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    std::vector<String> Calls;
    void CellParams(TColumnEh* Column, bool, TAxisColCellParamsEh*) {
        Calls.push_back(u"params "_qs + Column->FieldName());
    }
    void ApplyText(TCustomDBGridEh*, TColumnEh* Column, const String& Text, TLSAutoFilterTypeEh,
                   const String&, TDataSet*) {
        Calls.push_back(u"filter "_qs + Column->FieldName() + u" "_qs + Text);
    }
    void HintPause(TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, int& Pause, bool& Processed) {
        Pause = 7;
        Processed = true;
    }
    void OpenForm(TCustomDBAxisGridEh*, TAxisBarEh*, TEditButtonEh*, TCustomForm*&, TDynVarsEh*) {
        Calls.push_back(u"open"_qs);
    }
    void UpdateData(TAxisBarEh*, String& Text, Variant&, bool&, bool&) { Calls.push_back(u"update "_qs + Text); }
    void NotInList(TObject*, const String& Text, bool&) { Calls.push_back(u"not in list "_qs + Text); }
    void ButtonClick(TObject*, bool&) { Calls.push_back(u"click"_qs); }
    void ButtonDown(TObject*, bool, bool&, bool&) { Calls.push_back(u"down"_qs); }
};

} // namespace

KVT_PUBLISHED_METHODS(TColumnsTestGrid) {
    M.Method("CellParams", &TColumnsTestGrid::CellParams);
    M.Method("ApplyText", &TColumnsTestGrid::ApplyText);
    M.Method("HintPause", &TColumnsTestGrid::HintPause);
    M.Method("OpenForm", &TColumnsTestGrid::OpenForm);
    M.Method("UpdateData", &TColumnsTestGrid::UpdateData);
    M.Method("NotInList", &TColumnsTestGrid::NotInList);
    M.Method("ButtonClick", &TColumnsTestGrid::ButtonClick);
    M.Method("ButtonDown", &TColumnsTestGrid::ButtonDown);
}

namespace {

const bool kRegistered = (RegisterComponentClass<TColumnsTestGrid>(), true);

struct ColumnsStream : DBGridFormFixture<TColumnsTestGrid> {
    TColumnEh* Col(TDBGridEh* g, int i) { return g->Columns()->Columns(i); }
    static String Text(TMemoryStream& bin) { return BinaryToText(bin); }
    // A fresh grid on the form read from Bin, then bound to the table as a loaded form would be.
    TColumnsTestGrid* ReadBack(TMemoryStream& Bin) { return ReadGridBack<TColumnsTestGrid>(Bin); }
    static void FromText(const String& Text, TMemoryStream& Bin) {
        TStringStream in(Text);
        ObjectTextToBinary(&in, &Bin);
    }
    // Reads the grid back from Bin and from Text (Bin's text form), each copy under a name of its
    // own, and checks each.
    template <class Check> void ForEachReadBack(TMemoryStream& Bin, const String& Text, Check&& check) {
        Grid->SetName(u"Grid0"_qs);
        TMemoryStream fromText;
        FromText(Text, fromText);
        int n = 0;
        for (TMemoryStream* b : {&Bin, &fromText}) {
            SCOPED_TRACE(b == &Bin ? "binary" : "text");
            TColumnsTestGrid* g = ReadBack(*b);
            g->SetName(QStringLiteral("Copy%1").arg(n++));
            check(g);
        }
    }
};

TEST_F(ColumnsStream, WidthsFilterSortMarkersAndHandlersRoundTrip) {
    UseTable(6);
    Grid->Columns()->SetState(csCustomized);
    Grid->SetName(u"Grid1"_qs);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghMultiSortMarking});
    TColumnEh* id = Col(Grid, 0);
    TColumnEh* name = Col(Grid, 1);
    TColumnEh* qty = Col(Grid, 2);
    // The width asked for is its default: nothing is assigned, nothing stored.
    id->SetWidth(id->Width());
    ASSERT_FALSE(id->WidthAssigned());
    // The lower limit wins over the upper one.
    name->SetMaxWidth(100);
    name->SetMinWidth(150);
    name->SetWidth(120);
    ASSERT_EQ(name->Width(), 150);
    qty->SetWidth(90);
    qty->SetAutoFitColWidth(false);
    qty->SetHideDuplicates(true);
    qty->STFilter()->SetVisible(false);
    qty->STFilter()->SetDataField(u"ID"_qs);
    name->Title()->SetSortMarker(smDownEh);
    qty->Title()->SetSortMarker(smUpEh);
    ASSERT_EQ(qty->Title()->SortIndex(), 2);
    Grid->ColumnDefValues()->Footer()->SetToolTips(true);
    name->SetOnGetCellParams(TColumnEh::TGetColCellParamsEventEh(Grid, &TColumnsTestGrid::CellParams));
    qty->OnDropDownBoxApplyTextFilter =
        TColumnEh::TDropDownBoxApplyTextFilterEventEh(Grid, &TColumnsTestGrid::ApplyText);
    qty->OnHintShowPause = TDBGridEhHintShowPauseEvent(Grid, &TColumnsTestGrid::HintPause);
    name->OnOpenDropDownForm = TDBAxisGridShowDropDownFormEventEh(Grid, &TColumnsTestGrid::OpenForm);

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    const String text = Text(bin);
    for (const char* line :
         {"MaxWidth = 100", "MinWidth = 150", "Width = 150", "Width = 90", "AutoFitColWidth = False",
          "HideDuplicates = True", "STFilter.DataField = 'ID'", "STFilter.Visible = False",
          "Title.SortIndex = 2", "Title.SortMarker = smUpEh", "Title.SortMarker = smDownEh",
          "ColumnDefValues.Footer.ToolTips = True", "OnGetCellParams = CellParams",
          "OnDropDownBoxApplyTextFilter = ApplyText", "OnHintShowPause = HintPause",
          "OnOpenDropDownForm = OpenForm"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    // Columns that keep their defaults store none of them; writing made no drop-down list grids.
    EXPECT_EQ(text.count(u"AutoFitColWidth"_qs), 1) << text.toStdString();
    EXPECT_EQ(text.count(u"HideDuplicates"_qs), 1);
    EXPECT_EQ(id->DataListIfAny(), nullptr);
    ForEachReadBack(bin, text, [&](TColumnsTestGrid* g) {
        ASSERT_EQ(g->Columns()->Count(), 3);
        TColumnEh* cid = Col(g, 0);
        TColumnEh* cname = Col(g, 1);
        TColumnEh* cqty = Col(g, 2);
        EXPECT_FALSE(cid->WidthAssigned());
        EXPECT_TRUE(cid->AutoFitColWidth());
        EXPECT_EQ(cname->Width(), 150);
        EXPECT_EQ(cname->MinWidth(), 150);
        EXPECT_EQ(cname->MaxWidth(), 100);
        EXPECT_EQ(cqty->Width(), 90);
        EXPECT_FALSE(cqty->AutoFitColWidth());
        EXPECT_TRUE(cqty->HideDuplicates());
        EXPECT_FALSE(cqty->STFilter()->Visible());
        EXPECT_EQ(cqty->STFilter()->DataField(), u"ID"_qs);
        EXPECT_TRUE(cid->STFilter()->Visible());
        EXPECT_TRUE(g->ColumnDefValues()->Footer()->ToolTips());
        // The marked list is rebuilt from the stored indexes.
        EXPECT_EQ(cname->Title()->SortMarker(), smDownEh);
        EXPECT_EQ(cqty->Title()->SortMarker(), smUpEh);
        ASSERT_EQ(g->SortMarkedColumns()->Count(), 2);
        EXPECT_EQ(g->SortMarkedColumns()->Columns(0), cname);
        EXPECT_EQ(g->SortMarkedColumns()->Columns(1), cqty);
        // The handlers are the reading grid's own.
        // (painting calls the cell handler as well)
        g->Calls.clear();
        TColCellParamsEh params;
        cname->GetColCellParams(false, &params);
        cqty->DropDownBoxApplyTextFilter(Table, u"ID"_qs, u"4"_qs, lsftBeginsWithEh);
        TCustomForm* form = nullptr;
        ASSERT_TRUE(cname->OnOpenDropDownForm.Assigned());
        cname->OnOpenDropDownForm(g, cname, nullptr, form, nullptr);
        EXPECT_EQ(g->Calls, (std::vector<String>{u"params Name"_qs, u"filter Qty 4"_qs, u"open"_qs}));
        int pause = 0;
        bool processed = false;
        ASSERT_TRUE(cqty->OnHintShowPause.Assigned());
        cqty->OnHintShowPause(g, TPoint(), TGridCoord(), TPoint(), cqty, pause, processed);
        EXPECT_EQ(pause, 7);
        EXPECT_FALSE(Table->Filtered()) << "the handler filters instead of the column";
    });
}

// The editing handlers of a column and the filter row's own settings are stored and read back;
// settings left at their defaults are not written.
TEST_F(ColumnsStream, EditHandlersAndFilterRowSettingsRoundTrip) {
    UseTable(3);
    Grid->Columns()->SetState(csCustomized);
    Grid->SetName(u"Grid1"_qs);
    TColumnEh* name = Col(Grid, 1);
    name->OnUpdateData = TColCellUpdateDataEventEh(Grid, &TColumnsTestGrid::UpdateData);
    name->OnNotInList = TColumnNotInListEventEh(Grid, &TColumnsTestGrid::NotInList);
    name->OnEditButtonClick = TAxisBarButtonClickEventEh(Grid, &TColumnsTestGrid::ButtonClick);
    name->OnEditButtonDown = TAxisBarButtonDownEventEh(Grid, &TColumnsTestGrid::ButtonDown);

    TMemoryStream plain;
    WriteComponent(&plain, Grid);
    const String plainText = Text(plain);
    EXPECT_FALSE(plainText.contains(u"STFilter."_qs)) << plainText.toStdString();

    TSTDBGridEhFilter* f = Grid->STFilter();
    f->SetVisible(true);
    f->SetLocal(true);
    f->SetInstantApply(false);
    f->SetLocation(stflInTitleFilterEh);
    f->SetRowLines(2);
    f->SetRowHeight(3);
    f->SetColor(clYellow);
    f->SetHorzLineColor(clRed);
    f->SetVertLineColor(clGreen);
    f->SetFilterButtonDrawTime(fbdtWhenCellHotEh);
    f->Font()->SetSize(f->Font()->Size() + 3);
    ASSERT_FALSE(f->ParentFont());
    const int fontSize = f->Font()->Size();

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    const String text = Text(bin);
    for (const char* line :
         {"OnUpdateData = UpdateData", "OnNotInList = NotInList", "OnEditButtonClick = ButtonClick",
          "OnEditButtonDown = ButtonDown", "STFilter.Visible = True", "STFilter.Local = True",
          "STFilter.InstantApply = False", "STFilter.Location = stflInTitleFilterEh", "STFilter.RowLines = 2",
          "STFilter.RowHeight = 3", "STFilter.FilterButtonDrawTime = fbdtWhenCellHotEh",
          "STFilter.ParentFont = False", "STFilter.Font.", "STFilter.Color = ", "STFilter.HorzLineColor = ",
          "STFilter.VertLineColor = "})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    ForEachReadBack(bin, text, [&](TColumnsTestGrid* g) {
        TSTDBGridEhFilter* r = g->STFilter();
        EXPECT_TRUE(r->Visible());
        EXPECT_TRUE(r->Local());
        EXPECT_TRUE(r->IsInstantApplyStored());
        EXPECT_FALSE(r->InstantApply()) << "the stored value wins over Local";
        EXPECT_EQ(r->Location(), stflInTitleFilterEh);
        EXPECT_EQ(r->RowLines(), 2);
        EXPECT_EQ(r->RowHeight(), 3);
        EXPECT_EQ(r->Color(), clYellow);
        EXPECT_EQ(r->HorzLineColor(), clRed);
        EXPECT_EQ(r->VertLineColor(), clGreen);
        EXPECT_EQ(r->FilterButtonDrawTime(), fbdtWhenCellHotEh);
        EXPECT_FALSE(r->ParentFont());
        EXPECT_EQ(r->Font()->Size(), fontSize);
        TColumnEh* c = g->Columns()->Columns(1);
        ASSERT_TRUE(c->OnUpdateData.Assigned());
        ASSERT_TRUE(c->OnNotInList.Assigned());
        ASSERT_TRUE(c->OnEditButtonClick.Assigned());
        ASSERT_TRUE(c->OnEditButtonDown.Assigned());
        g->Calls.clear();
        String t = u"x"_qs;
        Variant v;
        bool useText = true, handled = false, recheck = false, repeat = false;
        c->OnUpdateData(c, t, v, useText, handled);
        c->OnNotInList(c, u"y"_qs, recheck);
        c->OnEditButtonClick(c, handled);
        c->OnEditButtonDown(c, true, repeat, handled);
        EXPECT_EQ(g->Calls, (std::vector<String>{u"update x"_qs, u"not in list y"_qs, u"click"_qs, u"down"_qs}));
    });
}

TEST_F(ColumnsStream, StreamWithoutTheNewSettingsLoadsTheirDefaults) {
    UseTable(3);
    TMemoryStream bin;
    FromText(u"object Old: TColumnsTestGrid\r\n"
             "  Columns = <\r\n"
             "    item\r\n"
             "      FieldName = 'Name'\r\n"
             "      Title.Caption = 'Имя'\r\n"
             "      Footer.ValueType = fvtCount\r\n"
             "    end\r\n"
             "    item\r\n"
             "      FieldName = 'Qty'\r\n"
             "    end>\r\n"
             "end\r\n"_qs,
             bin);
    TColumnsTestGrid* g = ReadBack(bin);
    ASSERT_EQ(g->Columns()->Count(), 2);
    for (int i = 0; i < 2; ++i) {
        TColumnEh* c = Col(g, i);
        SCOPED_TRACE(c->FieldName().toStdString());
        EXPECT_FALSE(c->WidthAssigned());
        EXPECT_EQ(c->Width(), c->DefaultWidth());
        EXPECT_EQ(c->MinWidth(), 0);
        EXPECT_EQ(c->MaxWidth(), 0);
        EXPECT_TRUE(c->AutoFitColWidth());
        EXPECT_FALSE(c->HideDuplicates());
        EXPECT_TRUE(c->STFilter()->Visible());
        EXPECT_EQ(c->Title()->SortMarker(), smNoneEh);
        EXPECT_EQ(c->Title()->SortIndex(), 0);
        EXPECT_FALSE(c->OnGetCellParams().Assigned());
    }
    EXPECT_EQ(Col(g, 0)->Title()->Caption(), u"Имя"_qs);
    EXPECT_EQ(g->SortMarkedColumns()->Count(), 0);
    EXPECT_TRUE(g->Columns()->ExistFooterValueType(fvtCount));
    EXPECT_FALSE(g->Columns()->ExistFooterValueType(fvtSum));
}

// ---------------------------------------------------------------------------------------------

struct Columns : DBGridFormFixture<TDBGridEh> {
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
    int Raw(TColumnEh* c) { return c->Index() + Grid->IndicatorOffset(); }
};

TEST_F(Columns, SortMarkerStartsInTheFieldsDirectionAndSortsThatWay) {
    UseTable(5);
    // A text column ascends first, a number column descends first; keeping other markers cycles
    // through no marker, a plain click only turns the direction.
    const struct {
        int Column;
        bool KeepMulti;
        TSortMarkerEh Steps[3];
    } cases[] = {
        {1, false, {smUpEh, smDownEh, smUpEh}},
        {1, true, {smUpEh, smDownEh, smNoneEh}},
        {2, false, {smDownEh, smUpEh, smDownEh}},
        {2, true, {smDownEh, smUpEh, smNoneEh}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.Column << " keep " << c.KeepMulti);
        TColumnTitleEh* t = Col(c.Column)->Title();
        t->SetSortMarker(smNoneEh);
        for (TSortMarkerEh want : c.Steps) {
            t->SetNextSortMarkerValue(c.KeepMulti);
            EXPECT_EQ(t->SortMarker(), want);
        }
    }
    // The up marker sorts ascending, the down marker descending.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
    Col(1)->Title()->SetSortMarker(smUpEh);
    Grid->SortMarkingChanged();
    EXPECT_EQ(Table->SortOrder(), u"Name"_qs);
    Table->First();
    EXPECT_EQ(Table->FieldByName(u"Name"_qs)->AsString(), u"Name 1"_qs);
    Col(1)->Title()->SetSortMarker(smDownEh);
    Grid->SortMarkingChanged();
    EXPECT_EQ(Table->SortOrder(), u"Name DESC"_qs);
    Table->First();
    EXPECT_EQ(Table->FieldByName(u"Name"_qs)->AsString(), u"Name 5"_qs);
}

TEST_F(Columns, WidthGoesStraightIntoTheCellWithoutAutoFit) {
    UseTable(5);
    TColumnEh* name = Col(1);
    name->SetWidth(133);
    // No layout pass needed: the cell has the width at once.
    EXPECT_EQ(Grid->ColWidths(Raw(name)), 133);
    name->SetColor(clYellow);
    EXPECT_EQ(Grid->ColWidths(Raw(name)), 133);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(Columns, AutoFitRescalesTheStartingWidthAndTheNextColumnGivesTheDifference) {
    UseTable(5);
    Grid->SetAutoFitColWidths(true);
    Pump();
    TColumnEh* id = Col(0);
    TColumnEh* name = Col(1);
    TColumnEh* qty = Col(2);
    const int cell = Grid->CellWidthToColumnWidth(id, Grid->ColWidths(Raw(id)));
    const int init0 = id->InitWidth(), init1 = name->InitWidth(), init2 = qty->InitWidth();
    ASSERT_GT(cell, 0);
    id->SetWidth(cell * 2);
    const int want0 = MulDiv(init0, cell * 2, cell);
    EXPECT_EQ(id->InitWidth(), want0);
    EXPECT_EQ(name->InitWidth(), std::max(0, init1 + init0 - want0));
    EXPECT_EQ(qty->InitWidth(), init2);
    // The last column has no next one to take from.
    const int lastCell = Grid->CellWidthToColumnWidth(qty, Grid->ColWidths(Raw(qty)));
    const int lastInit = qty->InitWidth();
    const int nameInit = name->InitWidth();
    qty->SetWidth(lastCell + 10);
    EXPECT_EQ(qty->InitWidth(), MulDiv(lastInit, lastCell + 10, lastCell));
    EXPECT_EQ(name->InitWidth(), nameInit);
}

TEST_F(Columns, WidthInARowPanelPlacesTheOtherColumnsAgain) {
    UseTable(5);
    Grid->Columns()->Clear();
    TColumnEh* a = Grid->Columns()->Add();
    a->SetFieldName(u"ID"_qs);
    a->SetWidth(100);
    TColumnEh* b = Grid->Columns()->Add();
    b->SetFieldName(u"Name"_qs);
    b->SetWidth(50);
    Grid->RowPanel()->SetActive(true);
    Pump();
    ASSERT_EQ(b->RowPlacement().Left, 101);
    a->SetWidth(120);
    EXPECT_EQ(b->RowPlacement().Left, 121);
    EXPECT_EQ(Grid->GridMasterCellWidth(), 171);
}

TEST_F(Columns, TextAreaOfTheFirstColumnLeavesRoomForTheDetailButton) {
    UseTable(5);
    TColumnEh* first = Grid->VisibleColumn(0);
    TColumnEh* second = Grid->VisibleColumn(1);
    TRect r1(10, 0, 0, 20), r2(10, 0, 0, 20);
    first->SetTextArea(r1);
    second->SetTextArea(r2);
    EXPECT_EQ(r1.Left, 10);
    EXPECT_EQ(r1.Right, 10 + first->Width());
    Grid->RowDetailPanel()->SetActive(true);
    Pump();
    TRect d1(10, 0, 0, 20), d2(10, 0, 0, 20);
    first->SetTextArea(d1);
    second->SetTextArea(d2);
    EXPECT_EQ(d1.Left, 28);
    EXPECT_EQ(d1.Right, 10 + first->Width());
    EXPECT_EQ(d2.Left, 10) << "only the first visible column carries the button";
}

// A column class whose footer, footers and filter come from its own factories.
class TMadeColumn : public TDBGridColumnEh {
    KVT_CLASS(TMadeColumn, TDBGridColumnEh)
public:
    using TDBGridColumnEh::TDBGridColumnEh;
    int Made = 0;
    TColumnFooterEh* CreateFooter() override {
        ++Made;
        TColumnFooterEh* f = TDBGridColumnEh::CreateFooter();
        f->SetValueType(fvtStaticText);
        f->SetValue(u"made"_qs);
        return f;
    }
    TColumnFootersEh* CreateFooters() override {
        ++Made;
        return TDBGridColumnEh::CreateFooters();
    }
    TSTColumnFilterEh* CreateSTFilter() override {
        ++Made;
        TSTColumnFilterEh* f = TDBGridColumnEh::CreateSTFilter();
        f->SetVisible(false);
        return f;
    }
};

TEST_F(Columns, ConstructionUsesTheColumnsFactories) {
    TDBGridColumnsEh own(nullptr, CollectionItemClassOf<TMadeColumn>());
    auto* c = static_cast<TMadeColumn*>(own.Add());
    EXPECT_EQ(c->Made, 3);
    EXPECT_EQ(c->Footer()->Value(), u"made"_qs);
    EXPECT_FALSE(c->STFilter()->Visible());
    EXPECT_EQ(c->Footers()->Count(), 0);
    EXPECT_EQ(c->InitWidth(), 64);
    EXPECT_TRUE(own.ExistFooterValueType(fvtStaticText));

    TColumnEh* g = Grid->Columns()->Add();
    EXPECT_EQ(g->InitWidth(), Grid->DefaultColWidth());
    EXPECT_EQ(g->Footer()->Column(), g);
}

TEST_F(Columns, DropDownListTextFilterGoesToTheHandlerInsteadOfTheDataSet) {
    UseTable(5);
    TColumnEh* name = Col(1);
    std::vector<String> seen;
    name->OnDropDownBoxApplyTextFilter = TColumnEh::TDropDownBoxApplyTextFilterEventEh::Callable(
        [&](TCustomDBGridEh* g, TColumnEh* c, const String& text, TLSAutoFilterTypeEh op, const String& field,
            TDataSet* ds) {
            EXPECT_EQ(g, Grid);
            EXPECT_EQ(c, name);
            EXPECT_EQ(op, lsftContainsEh);
            EXPECT_EQ(ds, Table);
            seen.push_back(field + u":"_qs + text);
        });
    name->DropDownBoxApplyTextFilter(Table, u"Name"_qs, u"me 3"_qs, lsftContainsEh);
    EXPECT_EQ(seen, std::vector<String>{u"Name:me 3"_qs});
    EXPECT_FALSE(Table->Filtered());
    // Without a handler the column filters the list's data set itself.
    name->OnDropDownBoxApplyTextFilter = {};
    name->DropDownBoxApplyTextFilter(Table, u"Name"_qs, u"me 3"_qs, lsftContainsEh);
    EXPECT_TRUE(Table->Filtered());
    EXPECT_TRUE(Table->Filter().contains(u"me 3"_qs)) << Table->Filter().toStdString();
}

} // namespace
