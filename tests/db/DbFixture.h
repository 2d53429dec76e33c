#pragma once
// Shared fixture: a data set of N records (ID, Name, Qty, Price) named "T1", a data source and
// helpers that read the buffered window.

#include "db/TestDataSet.h"

#include <gtest/gtest.h>

class DbFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        owner = std::make_unique<TComponent>(nullptr);
        ds = new TTestDataSet(owner.get());
        ds->SetName(QStringLiteral("T1"));
        ds->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        ds->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        ds->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        ds->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
        src = new TDataSource(owner.get());
        src->SetDataSet(ds);
    }
    void TearDown() override {
        links.clear();
        owner.reset();
    }

    void Fill(int n) {
        for (int i = 1; i <= n; ++i)
            ds->AddRecord({i, QStringLiteral("N%1").arg(i), i * 10, i * 1.5});
    }
    TRecordingLink* Link(int rows) {
        links.push_back(std::make_unique<TRecordingLink>(rows));
        links.back()->SetDataSource(src);
        return links.back().get();
    }
    int Id() { return ds->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    // IDs of the link's buffered rows, as a grid would read them by moving ActiveRecord.
    std::vector<int> Window(TDataLink* l) {
        std::vector<int> ids;
        const int save = l->ActiveRecord();
        for (int i = 0; i < l->RecordCount(); ++i) {
            l->SetActiveRecord(i);
            ids.push_back(Id());
        }
        l->SetActiveRecord(save);
        return ids;
    }
    std::vector<int> AllIds() {
        std::vector<int> ids;
        for (auto& r : ds->Records)
            ids.push_back(r.Values[0].AsInteger());
        return ids;
    }

    std::unique_ptr<TComponent> owner;
    TTestDataSet* ds = nullptr;
    TDataSource* src = nullptr;
    std::vector<std::unique_ptr<TRecordingLink>> links;
};
