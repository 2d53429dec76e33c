// The data grid's search-panel filter against SQLite's LIKE over the same rows, in one run.
// Both sides hold 1,000,000 records of (integer key, 8-letter lower-case name) and keep the
// records whose name contains a text, case-insensitively:
//   - grid: a data grid over a memory table showing the name column; the search filter is
//     applied with the text, then the kept records are walked and their keys summed;
//   - SQLite (in memory): SELECT key FROM t WHERE name LIKE '%text%', stepped through, keys
//     summed.
// The counts and key sums must be equal, or the run fails. The ratio printed at the end is the
// grid's best of three over SQLite's best of three (lower is better).
//
//     search_bench [--benchmark_...]

#include "BenchCommon.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Forms.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int Records = 1000000;
const char* const Needles[] = {"abc", "zq", "m"};

struct Result {
    int64_t Count = 0;
    int64_t KeySum = 0;
};

std::vector<bench::Row>& Rows() {
    static std::vector<bench::Row> rows = bench::MakeRows(Records);
    return rows;
}

// The grid's side: a form with a grid over a memory table of the rows.
struct GridSide {
    TForm* Form = nullptr;
    TDBGridEh* Grid = nullptr;
    TMemTableEh* Table = nullptr;
    TDataSource* Source = nullptr;

    GridSide() {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("Key"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->CreateDataSet();
        Table->DisableControls();
        for (const bench::Row& r : Rows())
            Table->AppendRecord({Variant(r.Key), Variant(QString::fromStdString(r.Name))});
        Table->First();
        Table->EnableControls();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = Create<TDBGridEh>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 380, 280);
        Grid->SetDataSource(Source);
        // The search looks at the visible columns: the name only, as SQLite's LIKE does.
        Grid->Columns()->Columns(0)->SetVisible(false);
        Form->Show();
    }
    ~GridSide() { Form->Free(); }

    Result Filter(const char* Needle) {
        Grid->ApplySearchFilter(QString::fromLatin1(Needle));
        Result r;
        Table->DisableControls();
        TField* key = Table->FieldByName(QStringLiteral("Key"));
        for (Table->First(); !Table->Eof(); Table->Next()) {
            ++r.Count;
            r.KeySum += key->AsInteger();
        }
        Table->EnableControls();
        Grid->CancelSearchFilter();
        return r;
    }
};

struct SqliteSide {
    sqlite3* Db = nullptr;
    SqliteSide() {
        if (sqlite3_open(":memory:", &Db) != SQLITE_OK) std::exit(2);
        bench::Exec(Db, "CREATE TABLE t(key INTEGER PRIMARY KEY, name TEXT)");
        bench::Exec(Db, "BEGIN");
        sqlite3_stmt* ins = bench::Prepare(Db, "INSERT INTO t VALUES(?, ?)");
        for (const bench::Row& r : Rows()) {
            sqlite3_bind_int(ins, 1, r.Key);
            sqlite3_bind_text(ins, 2, r.Name.c_str(), int(r.Name.size()), SQLITE_STATIC);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        bench::Exec(Db, "COMMIT");
    }
    ~SqliteSide() { sqlite3_close(Db); }

    Result Filter(const char* Needle) {
        sqlite3_stmt* st = bench::Prepare(Db, "SELECT key FROM t WHERE name LIKE ?");
        const std::string pattern = std::string("%") + Needle + "%";
        sqlite3_bind_text(st, 1, pattern.c_str(), int(pattern.size()), SQLITE_TRANSIENT);
        Result r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++r.Count;
            r.KeySum += sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return r;
    }
};

std::unique_ptr<GridSide> TheGrid;
std::unique_ptr<SqliteSide> TheSqlite;
// Each side's best time of its iterations.
double GridSeconds[3] = {}, SqliteSeconds[3] = {};

void KeepBest(double& Best, double Seconds) {
    if (Best == 0 || Seconds < Best) Best = Seconds;
}
Result GridResults[3], SqliteResults[3];

void BM_GridSearchFilter(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        bench::Timer t;
        GridResults[n] = TheGrid->Filter(Needles[n]);
        const double s = t.Seconds();
        KeepBest(GridSeconds[n], s);
        state.SetIterationTime(s);
    }
    state.counters["rows"] = double(GridResults[n].Count);
}

void BM_SqliteLike(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        bench::Timer t;
        SqliteResults[n] = TheSqlite->Filter(Needles[n]);
        const double s = t.Seconds();
        KeepBest(SqliteSeconds[n], s);
        state.SetIterationTime(s);
    }
    state.counters["rows"] = double(SqliteResults[n].Count);
}

BENCHMARK(BM_GridSearchFilter)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteLike)->DenseRange(0, 2)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheGrid = std::make_unique<GridSide>();
    TheSqlite = std::make_unique<SqliteSide>();
    benchmark::RunSpecifiedBenchmarks();
    int failed = 0;
    std::printf("\n%-8s %10s %12s %12s %8s\n", "text", "rows", "grid ms", "sqlite ms", "ratio");
    for (int n = 0; n < 3; ++n) {
        if (GridResults[n].Count != SqliteResults[n].Count ||
            GridResults[n].KeySum != SqliteResults[n].KeySum) {
            std::fprintf(stderr, "results differ for '%s': grid %lld rows, sqlite %lld rows\n", Needles[n],
                         (long long)GridResults[n].Count, (long long)SqliteResults[n].Count);
            failed = 1;
        }
        std::printf("%-8s %10lld %12.1f %12.1f %8.2f\n", Needles[n], (long long)GridResults[n].Count,
                    GridSeconds[n] * 1e3, SqliteSeconds[n] * 1e3,
                    SqliteSeconds[n] > 0 ? GridSeconds[n] / SqliteSeconds[n] : 0.0);
    }
    TheGrid.reset();
    TheSqlite.reset();
    return failed;
}
