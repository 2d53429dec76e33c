// The axis grid in use: scrolling a memory table through the buffer window, editing through the
// window messages, bad input, leaving an edited row, and pictures of the grid.

#include "AxisGridFixture.h"

#include "platform/ui/WinApi.h"

class AxisGridInputTest : public AxisGridFixture {
protected:
    void Key(Word vk) { Grid->Perform(WM_KEYDOWN, vk, 0); }
    void Type(const QString& text) {
        for (QChar ch : text) {
            if (Grid->InplaceEditor() && Grid->InplaceEditor()->Visible())
                Grid->InplaceEditor()->Perform(WM_CHAR, ch.unicode(), 0);
            else
                Grid->Perform(WM_CHAR, ch.unicode(), 0);
            PumpGridEvents();
        }
    }
    void Editable() {
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->SetFocus();
        PumpGridEvents();
    }
};

TEST_F(AxisGridInputTest, ScrollsFirstMiddleLastThroughTheBufferWindow) {
    Build(2000, true);
    TAxisGridDataLinkEh* link = Grid->DataLink();
    const int window = link->BufferCount();
    ASSERT_GT(window, 3);
    ASSERT_LT(window, 20);
    EXPECT_EQ(Grid->RowCount(), 1 + window);

    struct Step {
        const char* where;
        std::function<void()> go;
        int id;
    };
    const std::vector<Step> steps = {
        {"first", [&] { Key(VK_UP); }, 1},
        {"down one", [&] { Key(VK_DOWN); }, 2},
        {"page down", [&] { Key(VK_NEXT); }, 2 + Grid->VisibleRowCount()},
        {"middle", [&] { Data->T->SetRecNo(1000); }, 1000},
        {"last",
         [&] {
             Grid->Perform(WM_KEYDOWN, VK_END, 0);
             Data->T->Last();
         },
         2000},
        {"past the end", [&] { Key(VK_DOWN); }, 2000},
        {"back to first", [&] { Data->T->First(); }, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.where);
        Data->CalcCount = 0;
        Grid->DataCellsDrawn = 0;
        s.go();
        Grid->Repaint();
        PumpGridEvents();
        EXPECT_EQ(Data->ID->AsInteger(), s.id);
        EXPECT_EQ(Grid->Row(), 1 + link->ActiveRecord()) << "the current row is the record's buffer row";
        EXPECT_LE(link->RecordCount(), window);
        // Only the rows on screen were read: the calculated field ran for at most a window of them.
        EXPECT_LE(Data->CalcCount, 2 * window + 2);
        EXPECT_LE(Grid->DataCellsDrawn, 2 * window * Grid->AxisBars()->Count())
            << "at most two paints of the window";
    }
    // The last record is the bottom row of the window at the end.
    Data->T->Last();
    EXPECT_EQ(link->ActiveRecord(), link->RecordCount() - 1);
    EXPECT_EQ(Grid->AxisBars()->AxisBar(5)->DisplayText(), QStringLiteral("c2000"));
}

TEST_F(AxisGridInputTest, TypingEditsTheRecordAndLeavingTheRowPosts) {
    Build(20);
    Editable();
    Grid->SetCol(2); // Name
    Type(QStringLiteral("Иван"));
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    EXPECT_EQ(Data->T->State(), dsEdit);
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Иван"));
    Key(VK_DOWN); // leaving the row writes the editor's text and posts
    EXPECT_EQ(Data->T->State(), dsBrowse);
    Data->T->First();
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Иван"));
    EXPECT_EQ(Data->T->RecordCount(), 20);
}

TEST_F(AxisGridInputTest, EscapeCancelsTheEdit) {
    Build(5);
    Editable();
    Grid->SetCol(2);
    Type(QStringLiteral("zzz"));
    ASSERT_EQ(Data->T->State(), dsEdit);
    EXPECT_EQ(Grid->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0) << "nothing reached the record yet";
    Grid->DataLink()->UpdateData();
    EXPECT_EQ(Grid->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1) << "a modified record claims Escape";
    Key(VK_ESCAPE);
    EXPECT_EQ(Data->T->State(), dsBrowse);
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Name 1"));
}

TEST_F(AxisGridInputTest, TextThatDoesNotConvertRaisesAndLeavesTheRecord) {
    Build(5);
    Editable();
    Grid->SetCol(3); // Amount, an integer
    Type(QStringLiteral("12"));
    ASSERT_EQ(Data->T->State(), dsEdit);
    // Letters are refused by the integer field before they reach the editor.
    Type(QStringLiteral("ab"));
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("12"));
    // Text that still does not convert (pasted, or set) fails when the record is written.
    Grid->InplaceEditor()->SetText(QStringLiteral("1-2"));
    PumpGridEvents();
    EXPECT_THROW(Data->T->Post(), Exception);
    EXPECT_EQ(Data->T->State(), dsEdit) << "the record stays in edit, nothing posted";
    EXPECT_EQ(Data->Amount->AsInteger(), 10) << "the field keeps its value";
    EXPECT_TRUE(Grid->DataLink()->IsModified()) << "the pending text is kept";
    Data->T->Cancel();
    EXPECT_EQ(Data->Amount->AsInteger(), 10);
}

TEST_F(AxisGridInputTest, EditorLoadsTheFieldTextAndKeyList) {
    Build(3);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* code = Grid->FindFieldColumn(QStringLiteral("Code"));
    code->KeyList()->Add(QStringLiteral("B"));
    code->PickList()->Add(QStringLiteral("Бета"));
    Editable();
    Grid->SetCol(5);
    Grid->ShowEditor();
    PumpGridEvents();
    ASSERT_TRUE(Grid->InplaceEditor());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Бета")) << "row 1 holds code B";
    EXPECT_EQ(Grid->EditTextValue(), QStringLiteral("Бета"));
}

TEST_F(AxisGridInputTest, DownMouseInfoIsReadOnce) {
    Build(1);
    Grid->SetDownMouse(TPoint(5, 6), 1234);
    TPoint p;
    int t = 0;
    Grid->GetDownMouseInfo(p, t);
    EXPECT_EQ(t, 1234);
    EXPECT_EQ(p, Grid->ClientToScreen(TPoint(5, 6)));
    Grid->GetDownMouseInfo(p, t);
    EXPECT_EQ(t, 0);
}

TEST_F(AxisGridInputTest, TimerKeepsItsInterval) {
    Build(1);
    Grid->StartTimer(60);
    EXPECT_TRUE(Grid->TimerActive());
    EXPECT_EQ(Grid->TimerInterval(), 60);
    Grid->StartTimer(200);
    EXPECT_EQ(Grid->TimerInterval(), 200);
    Grid->StopTimer();
    EXPECT_FALSE(Grid->TimerActive());
    EXPECT_EQ(Grid->TimerInterval(), -1);
}

TEST_F(AxisGridInputTest, LineParamsAndBorder) {
    Build(1);
    auto* lines = static_cast<TDBAxisGridLineParamsEh*>(Grid->GridLineColors());
    EXPECT_TRUE(lines->DataHorzLines());
    lines->SetDataHorzLinesStored(true);
    EXPECT_TRUE(lines->DataHorzLines()) << "switching the flag on copies the default";
    lines->SetDataHorzLines(false);
    EXPECT_FALSE(lines->DataHorzLines());
    EXPECT_EQ(lines->GetDataBoundaryColor(), lines->GetDarkColor()) << "equal data line colours";
    lines->SetColorScheme(glcsFlatEh);
    EXPECT_EQ(lines->GetDarkColor(), TColor(0x808080));
    lines->SetColorScheme(glcsThemedEh);
    EXPECT_EQ(lines->GetDarkColor(), TColor(0xB8C7CB));

    TControlBorderEh* b = Grid->Border();
    EXPECT_FALSE(b->ExtendedDraw()) << "a grid that is not flat keeps the standard border";
    Grid->SetFlat(true);
    Grid->SetCtl3D(false);
    EXPECT_FALSE(b->ExtendedDraw());
    const int recreated = b->RecreateCount();
    b->SetEdgeBorders(TEdgeBorders{ebLeft, ebTop, ebRight});
    EXPECT_TRUE(b->ExtendedDraw());
    EXPECT_EQ(b->RecreateCount(), recreated + 1);
}

TEST_F(AxisGridInputTest, Screenshots) {
    Build(40);
    Grid->AxisBars()->SetState(csCustomized);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    bars->AxisBar(1)->Title()->SetCaption(QStringLiteral("Имя"));
    bars->AxisBar(2)->SetAlignment(taRightJustify);
    bars->AxisBar(2)->SetColor(TColor(0xE0F0FF));
    TAxisBarEh* code = bars->AxisBar(4);
    code->KeyList()->Add(QStringLiteral("A"));
    code->KeyList()->Add(QStringLiteral("B"));
    code->KeyList()->Add(QStringLiteral("C"));
    code->PickList()->Add(QStringLiteral("Альфа"));
    code->PickList()->Add(QStringLiteral("Бета"));
    code->PickList()->Add(QStringLiteral("Гамма"));
    code->SetAlwaysShowEditButton(true);
    TEditButtonEh* extra = bars->AxisBar(1)->EditButtons()->Add();
    extra->SetStyle(ebsEllipsisEh);
    extra->SetVisible(true);
    bars->AxisBar(1)->SetAlwaysShowEditButton(true);
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Data->T->SetRecNo(7);
    Grid->SetCol(2);
    Grid->SetFocus();
    PumpGridEvents();
    const QString path = SaveControlScreenshot(Form.get(), QStringLiteral("axis_grid_memtable"));
    EXPECT_FALSE(path.isEmpty());
    Grid->SetFlat(true);
    Grid->ShowEditor();
    PumpGridEvents();
    EXPECT_FALSE(
        SaveControlScreenshot(Form.get(), QStringLiteral("axis_grid_memtable_flat_editing")).isEmpty());
}

namespace {
// A control on a grid that notes which grid the designer put it on.
class TDesignChild : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TObject* Grid = nullptr;
    int Notes = 0;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == 45111) {
            ++Notes;
            Grid = reinterpret_cast<TObject*>(Message.LParam);
        }
        TCustomControl::WndProc(Message);
    }
};
} // namespace

TEST(AxisGridDesignTest, ChildControlsHearOfTheirGridOnlyAtDesignTime) {
    InitForms();
    for (bool designing : {false, true}) {
        CompPtr<TForm> form(new TForm(nullptr));
        auto* grid = Create<TTestAxisGrid>(form.get());
        grid->SetParent(form.get());
        auto* child = new TDesignChild(form.get());
        child->SetParent(grid);
        if (designing) grid->SetDesigning(true, false);
        grid->HandleNeeded();
        EXPECT_EQ(child->Notes, designing ? 1 : 0);
        EXPECT_EQ(child->Grid, designing ? grid : nullptr);
    }
}
