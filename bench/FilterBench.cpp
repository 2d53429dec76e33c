// The data grid's column filters, footers and grouping against SQLite over the same rows, in
// one run. Both sides hold n records of (Id integer, Kind integer 0..19, Name text, Price float,
// Day date). Per size:
//   - filter: "<5" in the Kind cell and ">500" in the Price cell of the filter row, applied
//     (as an application without a data-set adapter does: the grid's filter string set on the
//     memory table), the kept records walked and their ids summed; SQLite: SELECT id ... WHERE
//     kind < 5 AND price > 500, stepped, ids summed;
//   - footers: SUM(Price), AVG(Price), COUNT recomputed over the filtered records; SQLite: the
//     same aggregates with the same WHERE;
//   - groups: the two-level group tree (Kind, Day) with a group footer summing Price and
//     counting, built over all records; SQLite: SELECT kind, day, SUM(price), COUNT(*) ...
//     GROUP BY kind, day ORDER BY kind, day, stepped;
//   - edit: one record's Price changed and posted in the grouped grid (its group's footer
//     follows); SQLite: the UPDATE and the GROUP BY query run again.
// The kept count and id sum, the aggregates, the group count with every group's sum, and the
// edited group's sum must agree, or the run fails. The table printed at the end gives the grid's
// time over SQLite's (lower is better) per size, and each side's growth between the sizes.
//
//     filter_bench [sizes...] [--benchmark_...]      (default sizes: 100000 1000000)

#include "BenchCommon.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Op { OpFilter, OpFooters, OpGroups, OpEdit, OpCount };
const char* const OpNames[OpCount] = {"filter row, two columns", "footer SUM/AVG/COUNT",
                                      "two-level groups + footers", "edit in a group"};

struct Result {
    int64_t Count = 0;
    int64_t IdSum = 0;
    double Sum = 0, Avg = 0;
    int64_t Groups = 0;
    double GroupSumCheck = 0; // the sum over groups of (group index + 1) * group sum
    double EditedGroupSum = 0;
};

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

int KindOf(const bench::Row& r) {
    return r.Key % 20;
}

// Prices in cents: the footers add up in fixed point (four decimals), SQLite in doubles; with
// two decimals both are exact.
double PriceOf(const bench::Row& r) {
    return std::round(r.Price * 100) / 100;
}

struct GridSide {
    TForm* Form = nullptr;
    TDBGridEh* Grid = nullptr;
    TMemTableEh* Table = nullptr;
    TDataSource* Source = nullptr;
    int EditId = 0;
    int EditKind = 0;
    double EditDay = 0;
    double EditPrice = 0.25;

    explicit GridSide(const std::vector<bench::Row>& Rows) {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 700, 400);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Kind"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
        Table->FieldDefs()->Add(QStringLiteral("Day"), ftDate);
        Table->CreateDataSet();
        Table->DisableControls();
        for (const bench::Row& r : Rows)
            Table->AppendRecord({Variant(r.Key), Variant(KindOf(r)), Variant(QString::fromStdString(r.Name)),
                                 Variant(PriceOf(r)), Variant(TDateTime(r.Date))});
        Table->First();
        Table->EnableControls();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 680, 380);
        for (const char* f : {"Id", "Kind", "Name", "Price", "Day"})
            Grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
        Grid->SetDataSource(Source);
        Grid->STFilter()->SetVisible(true);
        Grid->OnApplyFilter = TNotifyEvent::Callable(
            [this](TObject*) {
                const String f = STFilterGridFilterString(Grid);
                Table->SetFilter(f);
                Table->SetFiltered(!f.trimmed().isEmpty());
            },
            Form);
        Grid->SetFooterRowCount(1);
        Grid->Columns()->Columns(0)->Footer()->SetValueType(fvtCount);
        Grid->Columns()->Columns(3)->Footer()->SetValueType(fvtSum);
        Grid->Columns()->Columns(4)->Footer()->SetFieldName(QStringLiteral("Price"));
        Grid->Columns()->Columns(4)->Footer()->SetValueType(fvtAvg);
        Grid->SumList()->SetActive(true);
        Form->Show();
        QApplication::processEvents();
    }
    ~GridSide() { Form->Free(); }

    void TypeFilter(int DataCol, const char* Text) {
        Grid->StartFilterEdit(DataCol);
        Grid->FilterEdit()->SetText(QString::fromLatin1(Text));
    }

    Result Filter() {
        Grid->SumList()->SetActive(false);
        TypeFilter(1, "<5");
        TypeFilter(3, ">500");
        Grid->ApplyFilter();
        Result r;
        Table->DisableControls();
        TField* id = Table->FieldByName(QStringLiteral("Id"));
        for (Table->First(); !Table->Eof(); Table->Next()) {
            ++r.Count;
            r.IdSum += id->AsInteger();
        }
        Table->EnableControls();
        return r;
    }

    // Switching the sum list on computes every footer over the filtered records.
    Result Footers() {
        Grid->SumList()->SetActive(true);
        Result r;
        r.Count = Grid->Columns()->Columns(0)->Footer()->SumValue().AsInteger();
        r.Sum = Grid->Columns()->Columns(3)->Footer()->SumValue().AsDouble();
        r.Avg = Grid->Columns()->Columns(4)->Footer()->SumValue().AsDouble();
        return r;
    }

    void ClearFilter() {
        Grid->StopFilterEdit();
        Grid->ClearFilter();
        Grid->ApplyFilter();
        Grid->StopFilterEdit();
    }

    Result Groups() {
        TDBGridEhDataGroupsEh* g = Grid->DataGrouping();
        g->SetActive(false);
        g->GroupLevels()->Clear();
        g->Footers()->Clear();
        for (int c : {1, 4})
            g->GroupLevels()->Add()->SetColumn(Grid->Columns()->Columns(c));
        TGridDataGroupFooterEh* footer = g->Footers()->Add();
        footer->ColumnItems()->Item(3)->SetValueType(gfvSumEh);
        footer->ColumnItems()->Item(0)->SetValueType(gfvCountEh);
        footer->SetVisible(true);
        g->SetDefaultStateExpanded(false);
        g->SetActive(true);
        return GroupSums();
    }

    Result GroupSums() {
        Result r;
        TGridDataGroupFooterColumnItemEh* sum =
            Grid->DataGrouping()->Footers()->Footer(0)->ColumnItems()->Item(3);
        TGroupDataTreeNodeEh* root = Grid->DataGrouping()->GroupDataTree()->Root();
        for (int i = 0; i < root->Count(); ++i) {
            TGroupDataTreeNodeEh* kind = root->GetDataItem(i);
            for (int j = 0; j < kind->Count(); ++j) {
                TGroupDataTreeNodeEh* day = kind->GetDataItem(j);
                const Variant v = sum->AggrValue(day->GetFooterItem(0));
                ++r.Groups;
                r.GroupSumCheck += double(r.Groups) * (v.IsNull() ? 0.0 : v.AsDouble());
            }
        }
        return r;
    }

    // Finds the record to edit (not timed: SQLite finds it by its primary key).
    void FindEdited() { Table->Locate(QStringLiteral("Id"), Variant(EditId), TLocateOptions()); }

    Result Edit() {
        EditPrice += 1.0;
        Table->Edit();
        Table->FieldByName(QStringLiteral("Price"))->SetAsFloat(EditPrice);
        Table->Post();
        // The edited record's group footer, found by its keys.
        Result r;
        TGridDataGroupFooterColumnItemEh* sum =
            Grid->DataGrouping()->Footers()->Footer(0)->ColumnItems()->Item(3);
        TGroupDataTreeNodeEh* root = Grid->DataGrouping()->GroupDataTree()->Root();
        for (int i = 0; i < root->Count(); ++i) {
            TGroupDataTreeNodeEh* kind = root->GetDataItem(i);
            if (kind->KeyValue().AsInteger() != EditKind) continue;
            for (int j = 0; j < kind->Count(); ++j) {
                TGroupDataTreeNodeEh* day = kind->GetDataItem(j);
                if (day->KeyValue().AsDouble() == EditDay)
                    r.EditedGroupSum = sum->AggrValue(day->GetFooterItem(0)).AsDouble();
            }
        }
        return r;
    }
};

struct SqliteSide {
    sqlite3* Db = nullptr;
    int EditId = 0;
    int EditKind = 0;
    double EditDay = 0;
    double EditPrice = 0.25;

    explicit SqliteSide(const std::vector<bench::Row>& Rows) {
        if (sqlite3_open(":memory:", &Db) != SQLITE_OK) std::exit(2);
        bench::Exec(Db,
                    "CREATE TABLE t(id INTEGER PRIMARY KEY, kind INTEGER, name TEXT, price REAL, day REAL)");
        bench::Exec(Db, "BEGIN");
        sqlite3_stmt* ins = bench::Prepare(Db, "INSERT INTO t VALUES(?, ?, ?, ?, ?)");
        for (const bench::Row& r : Rows) {
            sqlite3_bind_int(ins, 1, r.Key);
            sqlite3_bind_int(ins, 2, KindOf(r));
            sqlite3_bind_text(ins, 3, r.Name.c_str(), int(r.Name.size()), SQLITE_STATIC);
            sqlite3_bind_double(ins, 4, PriceOf(r));
            sqlite3_bind_double(ins, 5, r.Date);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        bench::Exec(Db, "COMMIT");
        // The grid edits its first record; SQLite the same one.
        EditId = Rows[0].Key;
        EditKind = KindOf(Rows[0]);
        EditDay = Rows[0].Date;
    }
    ~SqliteSide() { sqlite3_close(Db); }

    Result Filter() {
        sqlite3_stmt* st = bench::Prepare(Db, "SELECT id FROM t WHERE kind < 5 AND price > 500");
        Result r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++r.Count;
            r.IdSum += sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return r;
    }

    Result Footers() {
        sqlite3_stmt* st = bench::Prepare(
            Db, "SELECT COUNT(*), SUM(price), AVG(price) FROM t WHERE kind < 5 AND price > 500");
        Result r;
        if (sqlite3_step(st) == SQLITE_ROW) {
            r.Count = sqlite3_column_int64(st, 0);
            r.Sum = sqlite3_column_double(st, 1);
            r.Avg = sqlite3_column_double(st, 2);
        }
        sqlite3_finalize(st);
        return r;
    }

    Result Groups() {
        sqlite3_stmt* st = bench::Prepare(
            Db, "SELECT kind, day, SUM(price), COUNT(*) FROM t GROUP BY kind, day ORDER BY kind, day");
        Result r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++r.Groups;
            r.GroupSumCheck += double(r.Groups) * sqlite3_column_double(st, 2);
            if (sqlite3_column_int(st, 0) == EditKind && sqlite3_column_double(st, 1) == EditDay)
                r.EditedGroupSum = sqlite3_column_double(st, 2);
        }
        sqlite3_finalize(st);
        return r;
    }

    Result Edit() {
        EditPrice += 1.0;
        sqlite3_stmt* st = bench::Prepare(Db, "UPDATE t SET price = ? WHERE id = ?");
        sqlite3_bind_double(st, 1, EditPrice);
        sqlite3_bind_int(st, 2, EditId);
        sqlite3_step(st);
        sqlite3_finalize(st);
        return Groups();
    }
};

struct SizeRun {
    int Rows = 0;
    double GridSeconds[OpCount] = {};
    double SqliteSeconds[OpCount] = {};
    Result GridResult[OpCount];
    Result SqliteResult[OpCount];
};

std::map<int, SizeRun> Runs;
std::unique_ptr<GridSide> TheGrid;
std::unique_ptr<SqliteSide> TheSqlite;
int CurrentRows = 0;

void Prepare(int Rows) {
    if (CurrentRows == Rows) return;
    TheGrid.reset();
    TheSqlite.reset();
    const std::vector<bench::Row> rows = bench::MakeRows(Rows);
    TheGrid = std::make_unique<GridSide>(rows);
    TheSqlite = std::make_unique<SqliteSide>(rows);
    // Both sides edit the same record: the grid's first record in its own order.
    TheGrid->Table->First();
    const int id = TheGrid->Table->FieldByName(QStringLiteral("Id"))->AsInteger();
    for (const bench::Row& r : rows)
        if (r.Key == id) {
            TheSqlite->EditId = TheGrid->EditId = r.Key;
            TheSqlite->EditKind = TheGrid->EditKind = KindOf(r);
            TheSqlite->EditDay = TheGrid->EditDay = r.Date;
        }
    CurrentRows = Rows;
    Runs[Rows].Rows = Rows;
}

// The best of the iterations counts.
void Record(double& Slot, double Seconds) {
    Slot = Slot == 0 ? Seconds : std::min(Slot, Seconds);
}

// The timed step of one operation; both sides answer the same four questions.
template <class Side> Result RunOp(Side& S, Op What) {
    switch (What) {
    case OpFilter:
        return S.Filter();
    case OpFooters:
        return S.Footers();
    case OpGroups:
        return S.Groups();
    case OpEdit:
        return S.Edit();
    default:
        return Result();
    }
}

void GridOp(benchmark::State& state, int Rows, Op What) {
    Prepare(Rows);
    SizeRun& run = Runs[Rows];
    for (auto _ : state) {
        if (What == OpFooters) TheGrid->Filter();
        if (What == OpEdit) {
            if (!TheGrid->Grid->DataGrouping()->Active()) TheGrid->Groups();
            TheGrid->FindEdited();
        }
        bench::Timer t;
        const Result r = RunOp(*TheGrid, What);
        const double s = t.Seconds();
        state.SetIterationTime(s);
        Record(run.GridSeconds[What], s);
        run.GridResult[What] = r;
        if (What == OpFilter || What == OpFooters) TheGrid->ClearFilter();
    }
}

void SqliteOp(benchmark::State& state, int Rows, Op What) {
    Prepare(Rows);
    SizeRun& run = Runs[Rows];
    for (auto _ : state) {
        bench::Timer t;
        const Result r = RunOp(*TheSqlite, What);
        const double s = t.Seconds();
        state.SetIterationTime(s);
        Record(run.SqliteSeconds[What], s);
        run.SqliteResult[What] = r;
    }
}

bool Check(const SizeRun& Run) {
    bool ok = true;
    auto fail = [&](const char* what) {
        std::fprintf(stderr, "%d rows: %s differ\n", Run.Rows, what);
        ok = false;
    };
    const Result* g = Run.GridResult;
    const Result* s = Run.SqliteResult;
    if (g[OpFilter].Count != s[OpFilter].Count || g[OpFilter].IdSum != s[OpFilter].IdSum)
        fail("filtered rows");
    if (g[OpFooters].Count != s[OpFooters].Count || !Near(g[OpFooters].Sum, s[OpFooters].Sum) ||
        std::fabs(g[OpFooters].Avg - s[OpFooters].Avg) > 1e-4) {
        std::fprintf(stderr, "  grid %lld %.6f %.6f, sqlite %lld %.6f %.6f\n", (long long)g[OpFooters].Count,
                     g[OpFooters].Sum, g[OpFooters].Avg, (long long)s[OpFooters].Count, s[OpFooters].Sum,
                     s[OpFooters].Avg);
        fail("footer aggregates");
    }
    if (g[OpGroups].Groups != s[OpGroups].Groups ||
        !Near(g[OpGroups].GroupSumCheck, s[OpGroups].GroupSumCheck))
        fail("group sums");
    if (!Near(g[OpEdit].EditedGroupSum, s[OpEdit].EditedGroupSum)) {
        std::fprintf(stderr, "  grid %.6f, sqlite %.6f\n", g[OpEdit].EditedGroupSum,
                     s[OpEdit].EditedGroupSum);
        fail("edited group's sum");
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    SetFormatSettings(TFormatSettings::Invariant());
    benchmark::Initialize(&argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (int n = std::atoi(argv[i]); n > 0) sizes.push_back(n);
    if (sizes.empty()) sizes = {100000, 1000000};
    for (int n : sizes)
        for (int op = 0; op < OpCount; ++op) {
            const std::string suffix = std::string(OpNames[op]) + "/" + std::to_string(n);
            benchmark::RegisterBenchmark(("grid: " + suffix).c_str(),
                                         [n, op](benchmark::State& s) { GridOp(s, n, Op(op)); })
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("sqlite: " + suffix).c_str(),
                                         [n, op](benchmark::State& s) { SqliteOp(s, n, Op(op)); })
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
        }
    benchmark::RunSpecifiedBenchmarks();
    TheGrid.reset();
    TheSqlite.reset();

    int failed = 0;
    std::printf("\n%-28s %10s %12s %12s %8s\n", "operation", "rows", "grid ms", "sqlite ms", "ratio");
    for (const auto& [n, run] : Runs) {
        if (!Check(run)) failed = 1;
        for (int op = 0; op < OpCount; ++op)
            std::printf("%-28s %10d %12.2f %12.2f %8.2f\n", OpNames[op], n, run.GridSeconds[op] * 1e3,
                        run.SqliteSeconds[op] * 1e3,
                        run.SqliteSeconds[op] > 0 ? run.GridSeconds[op] / run.SqliteSeconds[op] : 0.0);
    }
    if (Runs.size() >= 2) {
        const SizeRun& a = Runs.begin()->second;
        const SizeRun& b = Runs.rbegin()->second;
        std::printf("\ngrowth from %d to %d rows (n grows %.0fx)\n%-28s %8s %8s\n", a.Rows, b.Rows,
                    double(b.Rows) / a.Rows, "operation", "grid", "sqlite");
        for (int op = 0; op < OpCount; ++op)
            std::printf("%-28s %7.1fx %7.1fx\n", OpNames[op],
                        a.GridSeconds[op] > 0 ? b.GridSeconds[op] / a.GridSeconds[op] : 0.0,
                        a.SqliteSeconds[op] > 0 ? b.SqliteSeconds[op] / a.SqliteSeconds[op] : 0.0);
    }
    return failed;
}
