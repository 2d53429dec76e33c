// Shared pieces of the data grid tests: an event pump, the screenshot folder and a fixture that
// shows a form with a grid and a data source, optionally over a small memory table.

#pragma once

#include "lib/dbgrid/DBGridEh.h"
#include "lib/memtable/MemTableEh.h"

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

protected:
    const int FormHeight;
    const int GridHeight;
};
