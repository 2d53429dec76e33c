// Building a data grid's two-level group tree with footers over a memory table: the build must
// stay n log n (one sort of the rows' keys, no per-record scans of the groups), however many
// groups the keys make. Reported with the fitted complexity.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Forms.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <map>
#include <memory>
#include <random>

namespace {

class TBenchColumn : public TPersistent {
    KVT_CLASS(TBenchColumn, TPersistent)
public:
    String FieldName;
};

class TBenchGroupingGrid : public TComponent, public IDataGroupsGridEh {
    KVT_CLASS(TBenchGroupingGrid, TComponent)
public:
    using TComponent::TComponent;
    IMemTableEh* DGMemTable() override { return Table; }
    TDataSet* DGDataSet() override { return Table; }
    bool DGDataLinkActive() override { return true; }
    int DGColumnCount() override { return int(Cols.size()); }
    TPersistent* DGColumn(int i) override { return Cols[size_t(i)].get(); }
    TField* DGColumnField(TPersistent* c) override {
        return Table->FindField(static_cast<TBenchColumn*>(c)->FieldName);
    }
    String DGColumnFieldName(TPersistent* c) override { return static_cast<TBenchColumn*>(c)->FieldName; }
    String DGColumnDisplayText(TPersistent* c) override { return DGColumnField(c)->DisplayText(); }

    TMemTableEh* Table = nullptr;
    std::vector<std::unique_ptr<TBenchColumn>> Cols;
};

// One table per size, filled once: Region (100 keys), City (a key per ~3 rows), Amount.
TMemTableEh* TableOf(int rows) {
    static std::map<int, TMemTableEh*> tables;
    TMemTableEh*& t = tables[rows];
    if (t) return t;
    t = Create<TMemTableEh>(nullptr);
    t->FieldDefs()->Add(QStringLiteral("Region"), ftString, 20);
    t->FieldDefs()->Add(QStringLiteral("City"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Amount"), ftFloat);
    t->CreateDataSet();
    std::mt19937 rng(7);
    t->DisableControls();
    for (int i = 0; i < rows; ++i) {
        t->Append();
        t->Fields()->Fields(0)->SetAsString(QStringLiteral("R%1").arg(rng() % 100));
        t->Fields()->Fields(1)->SetAsInteger(int(rng() % uint32_t(std::max(1, rows / 3))));
        t->Fields()->Fields(2)->SetAsFloat(double(rng() % 1000) / 10);
        t->Post();
    }
    t->EnableControls();
    return t;
}

void BuildTwoLevelTree(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto* grid = Create<TBenchGroupingGrid>(nullptr);
    grid->Table = TableOf(rows);
    for (const char* f : {"Region", "City", "Amount"}) {
        auto& c = grid->Cols.emplace_back(std::make_unique<TBenchColumn>());
        c->FieldName = QString::fromLatin1(f);
    }
    auto groups = std::make_unique<TDBGridEhDataGroupsEh>(grid);
    for (int i = 0; i < 2; ++i)
        groups->GroupLevels()->Add()->SetColumn(grid->Cols[size_t(i)].get());
    TGridDataGroupFooterEh* footer = groups->Footers()->Add();
    footer->ColumnItems()->Item(2)->SetValueType(gfvSumEh);
    footer->SetVisible(true);
    for (auto _ : state) {
        groups->GroupDataTree()->Clear();
        groups->GroupDataTree()->RebuildDataTreeEx(grid->Table);
        benchmark::DoNotOptimize(groups->GroupDataTree()->FlatVisibleCount());
    }
    state.SetComplexityN(rows);
    groups.reset();
    grid->Free();
}

BENCHMARK(BuildTwoLevelTree)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

// One record edited and posted in a shown grid grouped by two levels with a footer: the grid
// follows the tree (row count, row heights, current row) in time linear in the visible rows.
void EditInGroupedGrid(benchmark::State& state) {
    const int rows = int(state.range(0));
    TMemTableEh* table = TableOf(rows);
    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 600, 400);
    auto* grid = Create<TDBGridEh>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 580, 380);
    auto* source = new TDataSource(form);
    source->SetDataSet(table);
    for (const char* f : {"Region", "City", "Amount"})
        grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
    grid->SetDataSource(source);
    form->Show();
    TDBGridEhDataGroupsEh* groups = grid->DataGrouping();
    for (int i = 0; i < 2; ++i)
        groups->GroupLevels()->Add()->SetColumn(grid->Columns()->Columns(i));
    TGridDataGroupFooterEh* footer = groups->Footers()->Add();
    footer->ColumnItems()->Item(2)->SetValueType(gfvSumEh);
    footer->SetVisible(true);
    groups->SetDefaultStateExpanded(true);
    groups->SetActive(true);
    table->First();
    double v = 0;
    for (auto _ : state) {
        table->Edit();
        table->Fields()->Fields(2)->SetAsFloat(v += 0.5);
        table->Post();
        benchmark::DoNotOptimize(grid->RowCount());
    }
    state.SetComplexityN(rows);
    groups->SetActive(false);
    form->Free();
}

BENCHMARK(EditInGroupedGrid)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
