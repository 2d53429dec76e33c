// How data events reach data links and data sources: dispatch, disabled controls, editing
// through a link, master links and circular links.

#include "db/DbFixture.h"

using S = std::vector<String>;

class Links : public DbFixture {};

TEST_F(Links, EditingAFieldAndPostingReachTheLinkInOrder) {
    Fill(3);
    TRecordingLink* grid = Link(3);
    grid->LogCheckBrowse = true;
    S changes;
    src->OnDataChange = TDataChangeEvent::Callable(
        [&](TObject*, TField* f) { changes.push_back(f ? f->FieldName() : QStringLiteral("-")); });
    ds->Open();
    EXPECT_EQ(changes, S{"-"}); // the source became active
    grid->Log.clear();
    changes.clear();

    ds->Edit();
    EXPECT_EQ(grid->Log, (S{"checkbrowse", "editing", "record"}));
    grid->Log.clear();
    ds->FieldByName("Name")->SetAsString("x");
    EXPECT_EQ(grid->Log, S{"record:Name"});
    grid->Log.clear();
    ds->Post();
    EXPECT_EQ(grid->Log, (S{"update", "checkbrowse", "browsing", "changed"}));
    EXPECT_EQ(changes, (S{"-", "Name", "-"}));

    grid->Log.clear();
    ds->Close();
    EXPECT_EQ(grid->Log, (S{"inactive"}));
    EXPECT_EQ(grid->ActiveRecord(), 0);
}

TEST_F(Links, DisabledControlsHearNothingButTheSwitchAndOneChangeAtTheEnd) {
    Fill(10);
    TRecordingLink* grid = Link(4);
    grid->LogDataEvents = true;
    ds->Open();
    grid->Log.clear();
    ds->DisableControls();
    ds->DisableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->Next();
    ds->Next();
    ds->Edit();
    ds->FieldByName("Qty")->SetAsInteger(1);
    ds->Post();
    ds->EnableControls();
    EXPECT_EQ(grid->Log, S{"disabled:0"});
    ds->EnableControls();
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(grid->Log, (S{"disabled:0", "disabled:1", "changed"}));
    EXPECT_EQ(grid->ActiveRecord(), 2);

    grid->Log.clear();
    ds->DisableControls();
    ds->Edit(); // the state differs at the end: the link learns it first
    ds->EnableControls();
    EXPECT_EQ(grid->Log, (S{"disabled:0", "disabled:1", "editing", "changed"}));
    ds->Cancel();

    grid->Log.clear();
    ds->DisableControls();
    ds->FieldByName("ID")->SetVisible(false); // a layout change is what the link hears at the end
    ds->EnableControls();
    EXPECT_EQ(grid->Log, (S{"disabled:0", "disabled:1", "layout"}));
}

TEST_F(Links, EditThroughTheLinkFollowsAutoEditAndReadOnly) {
    Fill(2);
    TRecordingLink* editor = Link(1);
    ds->Open();
    EXPECT_TRUE(editor->Edit());
    EXPECT_EQ(ds->State(), dsEdit);
    ds->Cancel();
    src->SetAutoEdit(false);
    EXPECT_FALSE(editor->Edit());
    EXPECT_EQ(ds->State(), dsBrowse);
    src->SetAutoEdit(true);
    editor->SetReadOnly(true);
    EXPECT_FALSE(editor->Edit());
    ds->Edit();
    EXPECT_FALSE(editor->Editing());
    ds->Cancel();

    src->SetEnabled(false);
    EXPECT_FALSE(editor->Active());
    EXPECT_EQ(src->State(), dsInactive);
    src->SetEnabled(true);
    EXPECT_TRUE(editor->Active());
}

TEST_F(Links, FocusControlHandsTheFieldToTheLinks) {
    Fill(1);
    struct FocusLink : TDataLink {
        TField* seen = nullptr;
        void FocusControl(TField** f) override {
            seen = *f;
            *f = nullptr;
        }
    } link;
    link.SetDataSource(src);
    ds->Open();
    ds->FieldByName("Qty")->FocusControl();
    EXPECT_EQ(link.seen, ds->FieldByName("Qty"));
    link.SetDataSource(nullptr);
}

TEST_F(Links, FreeingTheDataSetOrTheSourceLeavesNoDanglingLinks) {
    Fill(2);
    TRecordingLink* grid = Link(2);
    ds->Open();
    ds->Free();
    ds = nullptr;
    EXPECT_EQ(src->DataSet(), nullptr);
    EXPECT_FALSE(grid->Active());
    src->Free();
    src = nullptr;
    EXPECT_EQ(grid->DataSource(), nullptr);
}

namespace {
// A detail data set whose master is given by a data source.
class TDetailSet : public TTestDataSet {
public:
    explicit TDetailSet(TComponent* AOwner) : TTestDataSet(AOwner), Master(this) {}
    TDataSource* GetDataSource() override { return Master.DataSource(); }
    TMasterDataLink Master;
};
} // namespace

TEST_F(Links, MasterLinkTellsTheDetailAboutTheMastersKeyFieldsOnly) {
    Fill(3);
    ds->Open();
    auto* detail = new TDetailSet(owner.get());
    detail->FieldDefs()->Add("X", ftInteger);
    detail->Open();
    int changes = 0, disables = 0;
    detail->Master.SetFieldNames("ID");
    detail->Master.OnMasterChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    detail->Master.OnMasterDisable = TNotifyEvent::Callable([&](TObject*) { ++disables; });
    detail->Master.SetDataSource(src);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(detail->Master.Fields().size(), 1u);
    ds->Next();
    EXPECT_EQ(changes, 2);
    ds->Edit();
    const int before = changes;
    ds->FieldByName("Name")->SetAsString("n");
    EXPECT_EQ(changes, before);
    ds->FieldByName("ID")->SetAsInteger(99);
    EXPECT_EQ(changes, before + 1);
    ds->Cancel();
    ds->Close();
    EXPECT_EQ(disables, 1);

    // Neither a detail's master chain nor a source may loop back.
    auto* detailSource = new TDataSource(owner.get());
    detailSource->SetDataSet(detail);
    auto* grand = new TDetailSet(owner.get());
    grand->Master.SetDataSource(detailSource);
    auto* grandSource = new TDataSource(owner.get());
    grandSource->SetDataSet(grand);
    try {
        detail->Master.SetDataSource(grandSource);
        FAIL() << "circular link accepted";
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(detail->Master.DataSource(), src);
    try {
        detailSource->SetDataSet(grand);
        FAIL() << "circular source accepted";
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed");
    }
    grand->Master.SetDataSource(nullptr);
    detail->Master.SetDataSource(nullptr);
}
