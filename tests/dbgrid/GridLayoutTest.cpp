// Saving and restoring the data grid's column layout and row height through the registry
// stand-in and ini files, damaged stored values, and the column interceptors.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhLayout.h"

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

struct LayoutFixture : DBGridFormFixture<TDBGridEh> {
    QTemporaryDir Dir;
    QByteArray OldRegistry;

    void SetUp() override {
        OldRegistry = qgetenv("KVT_REGISTRY_FILE");
        qputenv("KVT_REGISTRY_FILE", Dir.filePath(QStringLiteral("registry.ini")).toUtf8());
        DBGridFormFixture::SetUp();
        Grid->SetName(QStringLiteral("G"));
        UseTable(3);
        // Stored columns on ID, Name and Qty.
        Grid->Columns()->Clear();
        for (const char* f : {"ID", "Name", "Qty"}) {
            TColumnEh* c = Grid->Columns()->Add();
            c->SetFieldName(QString::fromLatin1(f));
            c->SetWidth(64);
        }
        Pump();
    }
    void TearDown() override {
        DBGridFormFixture::TearDown();
        if (OldRegistry.isEmpty())
            qunsetenv("KVT_REGISTRY_FILE");
        else
            qputenv("KVT_REGISTRY_FILE", OldRegistry);
    }
    QString Ini() { return Dir.filePath(QStringLiteral("layout.ini")); }
    TColumnEh* Col(const char* Field) {
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            if (Grid->Columns()->Columns(i)->FieldName() == QLatin1String(Field))
                return Grid->Columns()->Columns(i);
        return nullptr;
    }
    QStringList Order() {
        QStringList l;
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            l << Grid->Columns()->Columns(i)->FieldName();
        return l;
    }
};

const TDBGridEhRestoreParams kAll{grpColIndexEh,      grpColWidthsEh,           grpSortMarkerEh,
                                  grpColVisibleEh,    grpRowHeightEh,           grpDropDownRowsEh,
                                  grpDropDownWidthEh, grpRowPanelColPlacementEh};

TEST_F(LayoutFixture, ValuesAsStoredInTheIniFile) {
    Grid->SetRowHeight(22);
    Grid->SetRowLines(2);
    Grid->SaveGridLayoutIni(Ini(), QStringLiteral("S"), true);
    TMemIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("G.ID"), String()),
              QStringLiteral("0,64,0,1,0,7,0,0,1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("(Default)"), String()),
              QStringLiteral("22,2"));
}

// Both stores: what is saved comes back, part by part.
TEST_F(LayoutFixture, SaveAndRestoreThroughBothStores) {
    for (bool registry : {true, false}) {
        SCOPED_TRACE(registry ? "registry" : "ini");
        Grid->Columns()->Columns(2)->SetIndex(0); // Qty, ID, Name
        Col("Name")->SetWidth(120);
        Col("ID")->SetVisible(false);
        Col("Qty")->Title()->SetSortMarker(smUpEh);
        Col("Qty")->SetDropDownRows(12);
        Grid->SetRowHeight(30);
        auto save = [&] {
            if (registry) {
                TRegIniFile reg(QStringLiteral("Software\\Kvt"));
                Grid->SaveGridLayout(&reg);
            } else {
                Grid->SaveGridLayoutIni(Ini(), QStringLiteral("Grid"), true);
            }
        };
        auto restore = [&](TDBGridEhRestoreParams p) {
            if (registry) {
                TRegIniFile reg(QStringLiteral("Software\\Kvt"));
                Grid->RestoreGridLayout(&reg, p);
            } else {
                Grid->RestoreGridLayoutIni(Ini(), QStringLiteral("Grid"), p);
            }
        };
        save();
        // Everything back to the start.
        Col("ID")->SetIndex(0);
        Col("Name")->SetIndex(1);
        Col("Name")->SetWidth(64);
        Col("ID")->SetVisible(true);
        Col("Qty")->Title()->SetSortMarker(smNoneEh);
        Col("Qty")->SetDropDownRows(7);
        Grid->SetRowHeight(0);

        restore(TDBGridEhRestoreParams{grpColWidthsEh});
        EXPECT_EQ(Col("Name")->Width(), 120);
        EXPECT_EQ(Order(), (QStringList{"ID", "Name", "Qty"}));
        EXPECT_TRUE(Col("ID")->Visible());
        EXPECT_EQ(Grid->RowHeight(), 0);

        restore(kAll);
        EXPECT_EQ(Order(), (QStringList{"Qty", "ID", "Name"}));
        EXPECT_FALSE(Col("ID")->Visible());
        EXPECT_EQ(Col("Qty")->Title()->SortMarker(), smUpEh);
        EXPECT_EQ(Col("Qty")->Title()->SortIndex(), 1);
        EXPECT_EQ(Col("Qty")->DropDownRows(), 12u);
        EXPECT_EQ(Grid->RowHeight(), 30);
        Col("ID")->SetVisible(true);
        Col("Qty")->Title()->SetSortMarker(smNoneEh);
        Col("Qty")->SetDropDownRows(7);
        Col("ID")->SetIndex(0);
        Col("Name")->SetIndex(1);
        Col("Name")->SetWidth(64);
        Grid->SetRowHeight(0);
    }
}

TEST_F(LayoutFixture, RegistrySaveErasesGoneColumnsIniKeepsThemUnlessAsked) {
    {
        TRegIniFile reg(QStringLiteral("Software\\Kvt"));
        reg.WriteString(LayoutSectionName(Grid), QStringLiteral("G.Gone"), QStringLiteral("1,2,3"));
        Grid->SaveColumnsLayout(&reg);
        EXPECT_EQ(reg.ReadString(LayoutSectionName(Grid), QStringLiteral("G.Gone"), QStringLiteral("-")),
                  QStringLiteral("-"));
    }
    {
        TMemIniFile ini(Ini());
        ini.WriteString(QStringLiteral("S"), QStringLiteral("G.Gone"), QStringLiteral("1,2,3"));
        Grid->SaveColumnsLayout(&ini, QStringLiteral("S"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("G.Gone"), String()),
                  QStringLiteral("1,2,3"));
        ini.UpdateFile();
    }
    Grid->SaveColumnsLayoutIni(Ini(), QStringLiteral("S"), true);
    TMemIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("G.Gone"), QStringLiteral("-")),
              QStringLiteral("-"));
}

// An old or damaged store is taken piece by piece; unknown columns and bad words change nothing.
TEST_F(LayoutFixture, DamagedValuesAreIgnoredPieceByPiece) {
    {
        TMemIniFile ini(Ini());
        ini.WriteString(QStringLiteral("S"), QStringLiteral("G.ID"), QStringLiteral("2,abc,9,5,77"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("G.Name"), QStringLiteral(" , ,1 , -4"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("G.Qty"),
                        QStringLiteral("-3,-50,2,0,3,-1,x,-2,0"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("(Default)"), QStringLiteral("x"));
        ini.UpdateFile();
    }
    Grid->SetRowHeight(25);
    Grid->RestoreGridLayoutIni(Ini(), QStringLiteral("S"), kAll);
    // ID: index 2, width kept, marker 9 is no marker, visible 5 ignored.
    EXPECT_EQ(Order(), (QStringList{"Name", "Qty", "ID"}));
    EXPECT_EQ(Col("ID")->Width(), 64);
    EXPECT_EQ(Col("ID")->Title()->SortMarker(), smNoneEh);
    EXPECT_TRUE(Col("ID")->Visible());
    // Qty: negative numbers leave the values, marker up, hidden; sort places renumbered.
    EXPECT_EQ(Col("Qty")->Width(), 64);
    EXPECT_EQ(Col("Qty")->Title()->SortMarker(), smUpEh);
    EXPECT_EQ(Col("Qty")->Title()->SortIndex(), 1);
    EXPECT_FALSE(Col("Qty")->Visible());
    EXPECT_EQ(Col("Qty")->DropDownRows(), 7u);
    EXPECT_EQ(Col("Qty")->InRowLineHeight(), 1);
    EXPECT_EQ(Grid->SortMarkedColumns()->Count(), 1);
    EXPECT_EQ(Grid->RowHeight(), 0);
    EXPECT_EQ(Grid->Columns()->Count(), 3);
}

TEST_F(LayoutFixture, AutoFitTakesRestoredWidthsAsItsBase) {
    Col("Name")->SetWidth(200);
    Grid->SaveColumnsLayoutIni(Ini(), QStringLiteral("S"), true);
    Col("Name")->SetWidth(64);
    Grid->SetAutoFitColWidths(true);
    Grid->RestoreColumnsLayoutIni(Ini(), QStringLiteral("S"), TDBGridEhRestoreParams{grpColWidthsEh});
    EXPECT_TRUE(Grid->AutoFitColWidths());
    EXPECT_GT(Col("Name")->Width(), Col("ID")->Width());
}

TEST_F(LayoutFixture, Interceptors) {
    TColumnsEhPropertyInterceptor cols(Grid->Columns());
    EXPECT_EQ(cols.ColumnsIndex(), QStringLiteral("\"ID\",\"Name\",\"Qty\""));
    cols.SetColumnsIndex(QStringLiteral("\"Qty\",\"id\",\"ID\""));
    EXPECT_EQ(Order(), (QStringList{"Qty", "Name", "ID"}));

    TColumnEhPropertyInterceptor width(Col("Name"));
    width.SetWidth(90);
    EXPECT_EQ(Col("Name")->Width(), 90);
    Grid->SetAutoFitColWidths(true);
    width.SetWidth(33);
    EXPECT_EQ(Col("Name")->InitWidth(), 33);
    EXPECT_EQ(FindPropertyInterceptorClass(&TColumnEh::StaticClassInfo()).Info,
              &TColumnEhPropertyInterceptor::StaticClassInfo());
}

} // namespace
