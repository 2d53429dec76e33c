// Shared pieces of the data grid tests: an event pump, the screenshot folder and a fixture that
// shows a form with a grid and a data source, optionally over a small memory table.

#pragma once

#include "lib/dbgrid/DBGridEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/classes/ComponentStreams.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QString>

// Runs Qt events and queued window messages for at least ms milliseconds.
inline void Pump(int ms = 20) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        DispatchQueuedMessages();
    } while (t.elapsed() < ms);
}

// <application dir>/../screenshots/<name>.png; the folder is made when missing.
inline QString ScreenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    return dir.absoluteFilePath(name + QStringLiteral(".png"));
}

// A shown form 520 wide with a grid of type TGrid 500 wide at its top left and a data source.
// The form and grid heights are given by the deriving fixture.
template <class TGrid> struct DBGridFormFixture : ::testing::Test {
    TForm* Form = nullptr;
    TGrid* Grid = nullptr;
    TDataSource* Source = nullptr;
    TMemTableEh* Table = nullptr;

    explicit DBGridFormFixture(int AFormHeight = 360, int AGridHeight = 300)
        : FormHeight(AFormHeight), GridHeight(AGridHeight) {}

    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 520, FormHeight);
        Grid = Create<TGrid>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 500, GridHeight);
        Source = new TDataSource(Form);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        Form->Free();
        Pump();
    }

    // A (A.1 (A.1.a), A.2), B (B.1), all expanded: rows A, A.1, A.1.a, A.2, B, B.1 on levels
    // 1, 2, 3, 2, 1, 2.
    void UseTree() {
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Parent"), ftInteger);
        Table->CreateDataSet();
        const struct {
            const char* Name;
            int Id, Parent;
        } rows[] = {{"A", 1, 0}, {"A.1", 2, 1}, {"A.2", 3, 1}, {"A.1.a", 4, 2}, {"B", 5, 0}, {"B.1", 6, 5}};
        for (const auto& r : rows)
            Table->AppendRecord(
                {Variant(QString::fromLatin1(r.Name)), Variant(r.Id), r.Parent ? Variant(r.Parent) : Null()});
        Table->TreeList()->SetKeyFieldName(QStringLiteral("ID"));
        Table->TreeList()->SetRefParentFieldName(QStringLiteral("Parent"));
        Table->TreeList()->SetActive(true);
        Table->TreeList()->FullExpand();
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Grid->TreeViewParams()->SetGlyphStyle(tvgsClassicEh);
        Grid->SetFocus();
        Pump();
    }

    // Reads the grid back into new grids on the form, from Bin and from Text converted to binary,
    // and runs Check on each. The binary copy is renamed after its check so that the next one may
    // take the stored name; the copy read from the text is returned as it was read.
    template <class F> TDBGridEh* CheckReadBack(TMemoryStream& Bin, const String& Text, F Check) {
        auto* fromBinary = Create<TDBGridEh>(Form);
        Bin.SetPosition(0);
        ReadComponent(&Bin, fromBinary);
        {
            SCOPED_TRACE("read from the binary form");
            Check(fromBinary);
        }
        fromBinary->SetName(QStringLiteral("ReadBackFromBinary"));
        TStringStream textIn(Text);
        TMemoryStream bin;
        ObjectTextToBinary(&textIn, &bin);
        auto* fromText = Create<TDBGridEh>(Form);
        bin.SetPosition(0);
        ReadComponent(&bin, fromText);
        SCOPED_TRACE("read from the text form");
        Check(fromText);
        return fromText;
    }

    // A memory table of Cols text fields F0.. and Rows records, the cell of record r (from 1) and
    // field c being CellFormat.arg(r).arg(c), shown in the grid as Cols columns of Width pixels.
    void UseTextTable(int Cols, int Rows, const QString& CellFormat, int Width) {
        Table = Create<TMemTableEh>(Form);
        for (int c = 0; c < Cols; ++c)
            Table->FieldDefs()->Add(QStringLiteral("F%1").arg(c), ftString, 20);
        Table->CreateDataSet();
        for (int r = 1; r <= Rows; ++r) {
            std::vector<Variant> values;
            for (int c = 0; c < Cols; ++c)
                values.emplace_back(CellFormat.arg(r).arg(c));
            Table->AppendRecord(values);
        }
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Grid->Columns()->Clear();
        for (int c = 0; c < Cols; ++c) {
            TColumnEh* col = Grid->Columns()->Add();
            col->SetFieldName(QStringLiteral("F%1").arg(c));
            col->SetWidth(Width);
        }
        Grid->SetFocus();
        Pump();
    }

    // A memory table of N rows: ID 1..N, Name NameFormat.arg(n) and Qty n mod 7, shown in the grid.
    void UseTable(int N, const QString& NameFormat = QStringLiteral("Name %1")) {
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        Table->CreateDataSet();
        for (int i = 1; i <= N; ++i)
            Table->AppendRecord({Variant(i), Variant(NameFormat.arg(i)), Variant(i % 7)});
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Pump();
    }

    // The text form of the binary component stream Bin.
    static String BinaryToText(TMemoryStream& Bin) {
        Bin.SetPosition(0);
        TStringStream text;
        ObjectBinaryToText(&Bin, &text);
        return text.DataString();
    }
    // A fresh grid of class G on the form read from Bin, then bound to the data source as a
    // loaded form would be.
    template <class G> G* ReadGridBack(TMemoryStream& Bin) {
        auto* g = Create<G>(Form);
        Bin.SetPosition(0);
        ReadComponent(&Bin, g);
        g->SetParent(Form);
        g->SetDataSource(Source);
        Pump();
        return g;
    }

    // A column of Field, Width pixels wide, on row-panel line Line.
    TColumnEh* AddPanelColumn(const QString& Field, int Width, int Line) {
        TColumnEh* c = Grid->Columns()->Add();
        c->SetFieldName(Field);
        c->SetWidth(Width);
        c->SetInRowLinePos(Line);
        return c;
    }

    // The 20-row table of UseTable in row-panel mode: ID (100) and Name (50) side by side on line
    // 0, Qty (80) under ID on line 1; Options are added to the grid's options before the panel
    // is switched on.
    struct PanelColumns {
        TColumnEh* ID;
        TColumnEh* Name;
        TColumnEh* Qty;
    };
    PanelColumns UseRowPanelTable(TDBGridEhOptions Options = {}) {
        UseTable(20);
        Grid->Columns()->Clear();
        PanelColumns cols{};
        cols.ID = AddPanelColumn(QStringLiteral("ID"), 100, 0);
        cols.Qty = AddPanelColumn(QStringLiteral("Qty"), 80, 1);
        cols.Name = AddPanelColumn(QStringLiteral("Name"), 50, 0);
        TDBGridEhOptions o = Grid->OptionsEh();
        o += Options;
        Grid->SetOptionsEh(o);
        Grid->RowPanel()->SetActive(true);
        Grid->SetFocus();
        Pump();
        return cols;
    }

protected:
    const int FormHeight;
    const int GridHeight;
};
