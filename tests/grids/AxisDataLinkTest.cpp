// The axis grid's data link and field map, and the layout rebuild that follows the data set.

#include "AxisGridFixture.h"

class AxisDataLinkTest : public AxisGridFixture {};

TEST_F(AxisDataLinkTest, MapGrowsByDoublingAndAnswersOutsideEntriesWithNil) {
    Build(1);
    TAxisGridDataLinkEh* link = Grid->DataLink();
    link->ClearMapping();
    link->SetSparseMap(true);
    const std::vector<std::pair<int, int>> sizes = {{1, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 32}};
    int added = 0;
    for (auto [count, size] : sizes) {
        while (added < count) {
            link->AddMapping(added % 2 ? QStringLiteral("Nope") : QStringLiteral("Name"));
            ++added;
        }
        EXPECT_EQ(link->FieldCount(), count);
        EXPECT_EQ(link->FieldMapSize(), size);
        EXPECT_TRUE(link->CheckConsistency());
    }
    EXPECT_EQ(link->Fields(0), Data->Name);
    EXPECT_EQ(link->Fields(1), nullptr) << "a missing field in a sparse map";
    EXPECT_EQ(link->Fields(-1), nullptr);
    EXPECT_EQ(link->Fields(link->FieldCount()), nullptr);
    EXPECT_EQ(link->GetMappedFieldIndex(1), -1);
    EXPECT_FALSE(link->DefaultFields()) << "a sparse map with a missing field";

    // A dense map refuses an unknown field with the data set's error.
    link->ClearMapping();
    link->SetSparseMap(false);
    EXPECT_THROW(link->AddMapping(QStringLiteral("Nope")), EDatabaseError);
    EXPECT_EQ(link->FieldCount(), 0);
}

TEST(AxisDataLinkPlainTest, DefaultFieldsWithoutDataSet) {
    CompPtr<TForm> form(new TForm(nullptr));
    auto* grid = Create<TTestAxisGrid>(form.get());
    EXPECT_TRUE(grid->DataLink()->DefaultFields());
    grid->RequestLayoutUpdate();
    EXPECT_EQ(grid->AxisBars()->Count(), 1) << "an empty grid keeps one column";
}

TEST_F(AxisDataLinkTest, UpdateDataWritesOncePerPendingChange) {
    Build(3);
    TAxisGridDataLinkEh* link = Grid->DataLink();
    Grid->SetCol(2); // Name
    int writes = 0;
    Grid->Column(1)->OnUpdateData =
        TColCellUpdateDataEventEh::Callable([&](TAxisBarEh*, String&, Variant&, bool&, bool&) { ++writes; });
    Grid->SetEditTextValue(QStringLiteral("Changed"));

    link->UpdateData();
    EXPECT_EQ(writes, 0) << "nothing pending";

    ASSERT_TRUE(Grid->PrepareCellEditPublic());
    EXPECT_TRUE(link->IsModified());
    link->UpdateData();
    EXPECT_EQ(writes, 1);
    EXPECT_FALSE(link->IsModified());
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Changed"));
    link->UpdateData();
    EXPECT_EQ(writes, 1);

    // A write that fails keeps the change pending, and the guard flag is down again.
    Grid->SetCol(3); // Amount
    Grid->SetEditTextValue(QStringLiteral("abc"));
    link->Modified();
    EXPECT_THROW(link->UpdateData(), Exception);
    EXPECT_TRUE(link->IsModified());
    EXPECT_FALSE(link->InUpdateData());
    Data->T->Cancel();
}

TEST_F(AxisDataLinkTest, ResetRefreshesWithPendingChangeElseCancels) {
    Build(2);
    TAxisGridDataLinkEh* link = Grid->DataLink();
    link->Modified();
    link->Reset();
    EXPECT_FALSE(link->IsModified());
}

TEST_F(AxisDataLinkTest, GeneratedColumnsFollowVisibleFields) {
    Build(2);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    ASSERT_EQ(bars->Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(bars->AxisBar(i)->Stored());
        EXPECT_EQ(bars->AxisBar(i)->Field(), Data->T->Fields()->Fields(i));
    }
    Data->Amount->SetVisible(false); // the data set reports a layout change
    ASSERT_EQ(bars->Count(), 4);
    EXPECT_EQ(bars->AxisBar(2)->Field(), Data->Flag);
    EXPECT_TRUE(Grid->DataLink()->CheckConsistency());

    // Moving a generated column moves its field in the data set.
    Data->Amount->SetVisible(true);
    bars->AxisBar(4)->SetIndex(0);
    EXPECT_EQ(Data->Code->Index(), 0);
    EXPECT_EQ(bars->AxisBar(0)->Field(), Data->Code);
}

TEST_F(AxisDataLinkTest, CustomizedColumnsSurviveFieldChanges) {
    Build(2);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    bars->SetState(csCustomized);
    bars->AxisBar(1)->SetFieldName(QStringLiteral("Ghost"));
    Data->T->Close();
    Data->T->Open();
    EXPECT_EQ(bars->Count(), 5);
    EXPECT_EQ(bars->AxisBar(1)->Field(), nullptr);
    EXPECT_EQ(bars->AxisBar(2)->Field(), Data->Amount);
    EXPECT_EQ(Grid->DataLink()->GetMappedFieldIndex(1), -1);
}

TEST_F(AxisDataLinkTest, InactiveDataSetKeepsOneEmptyColumn) {
    Build(2);
    Data->T->Close();
    EXPECT_GE(Grid->AxisBars()->Count(), 1);
    EXPECT_EQ(Grid->DataLink()->FieldCount(), 0);
}

TEST_F(AxisDataLinkTest, LayoutRequestsInsideUpdateLockRebuildOnce) {
    Build(2);
    const int before = Grid->RebuildCount();
    Grid->LockUpdate();
    Grid->RequestLayoutUpdate();
    Grid->SetDrawMemoText(true);
    Grid->SetDrawMemoText(true); // unchanged: no request
    EXPECT_EQ(Grid->RebuildCount(), before);
    Grid->UnlockUpdate();
    EXPECT_EQ(Grid->RebuildCount(), before + 1);

    // Nested layouts rebuild once, at the outermost end; a failing rebuild releases every lock.
    Grid->BeginLayout();
    Grid->BeginLayout();
    Grid->EndLayout();
    EXPECT_EQ(Grid->RebuildCount(), before + 1);
    Grid->ThrowInRebuild = true;
    EXPECT_THROW(Grid->EndLayout(), Exception);
    Grid->ThrowInRebuild = false;
    EXPECT_EQ(Grid->LayoutLock(), 0);
    EXPECT_EQ(Grid->UpdateLock(), 0);
    EXPECT_EQ(Grid->AxisBars()->UpdateCount(), 0);
}

TEST_F(AxisDataLinkTest, DeferredLayoutMessageNeverReleasesForeignLocks) {
    Build(2);
    Grid->BeginLayout(); // someone is inside a layout
    const int before = Grid->RebuildCount();
    Grid->Perform(WM_USER + 100, 0, 0);
    EXPECT_EQ(Grid->LayoutLock(), 1);
    EXPECT_EQ(Grid->UpdateLock(), 1);
    EXPECT_EQ(Grid->RebuildCount(), before);
    Grid->EndLayout();
    EXPECT_EQ(Grid->LayoutLock(), 0);
    EXPECT_EQ(Grid->UpdateLock(), 0);
    EXPECT_GT(Grid->RebuildCount(), before);
}

TEST_F(AxisDataLinkTest, SafeMoveTopStopsAtTheLastFullPage) {
    Build(3);
    Grid->SetRowCount(40);
    const int top = Grid->SafeMoveTopVirtual(1000, true);
    EXPECT_LT(top, 39);
    EXPECT_GT(top, 1);
    // From that top the last row is fully visible; one row higher it would not be needed.
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    int extent = 0;
    for (int r = top; r < 40; ++r)
        extent += Grid->RowHeights(r) + di.Vert.EffectiveLineWidth;
    EXPECT_LE(extent, di.Vert.GridExtent - di.Vert.FixedBoundary + di.Vert.EffectiveLineWidth);
    EXPECT_EQ(Grid->SafeMoveTopVirtual(-5, true), 1);
}

// The grid over the data-set layer's own small data set (no memory-table interface).
TEST(AxisPlainDataSetTest, ShowsAPlainDataSet) {
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    auto* ds = new TTestDataSet(owner.get());
    ds->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
    ds->FieldDefs()->Add(QStringLiteral("Text"), ftString, 10);
    for (int i = 0; i < 30; ++i)
        ds->AddRecord({Variant(i), Variant(QStringLiteral("t%1").arg(i))});
    auto* src = Create<TDataSource>(owner.get());
    src->SetDataSet(ds);
    ds->Open();
    CompPtr<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 300, 200);
    auto* grid = Create<TTestAxisGrid>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 290, 190);
    grid->SetTryUseMemTableInt(true);
    grid->SetDataSource(src);
    grid->SyncToData();
    EXPECT_FALSE(grid->UsesMemTable());
    ASSERT_EQ(grid->AxisBars()->Count(), 2);
    EXPECT_EQ(grid->AxisBars()->AxisBar(1)->DisplayText(), QStringLiteral("t0"));
    ds->MoveBy(17);
    EXPECT_EQ(grid->Row(), 1 + grid->DataLink()->ActiveRecord());
    EXPECT_EQ(grid->AxisBars()->AxisBar(0)->Field()->AsInteger(), 17);
    EXPECT_LE(grid->DataLink()->RecordCount(), grid->DataLink()->BufferCount());
}

TEST_F(AxisDataLinkTest, FreedFieldUnbindsItsColumns) {
    Build(2);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* code = Grid->AxisBars()->AxisBar(4);
    ASSERT_EQ(code->Field(), Data->Code);
    Data->T->Close();
    Data->Code->Free();
    Data->Code = nullptr;
    EXPECT_EQ(code->CachedField(), nullptr);
    EXPECT_EQ(Grid->LayoutLock(), 0);
    EXPECT_EQ(Grid->UpdateLock(), 0);
    Data->T->Open();
    EXPECT_EQ(code->Field(), nullptr);
    EXPECT_EQ(code->FieldName(), QStringLiteral("Code")) << "a stored column keeps its name";
}
