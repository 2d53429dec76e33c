// The record store against SQLite in memory, doing the same work in one run: load records of
// (integer key, text, float, date), build a unique index on the key, look up random keys, sort
// a view by (text, float), filter with «Price > 500 AND Name LIKE 'a%'» and compute SUM, AVG and
// COUNT. Each engine runs in a child process of its own, so that its peak memory is its own.
// Prints the times, the ratio ours / SQLite, the peak memory of each, and how the times grow
// from 10^5 to 10^6 records (about 10× is linear, a little more is n log n).
//
//     store_bench [records...]      (default: 100000 1000000)

#include "lib/memtable/MemTableDataEh.h"
#include "platform/rtl/SysUtils.h"

#include "bench/BenchCommon.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::Exec;
using bench::MakeRows;
using bench::Prepare;
using bench::Row;
using bench::Timer;

enum Op { opLoad, opIndex, opLookup, opSort, opFilter, opAggregate, opCount };
const char* const OpNames[opCount] = {"load",      "unique index", "100000 lookups",
                                      "sort view", "filter",       "SUM/AVG/COUNT"};
constexpr int Lookups = 100000;

struct Result {
    std::array<double, opCount> Seconds{};
    long PeakKiB = 0;  // peak resident set of the child
    long StartKiB = 0; // resident set when the child started its work
    long long Check = 0;
};

std::vector<int> LookupKeys(int n) {
    std::mt19937_64 rng(777);
    std::uniform_int_distribution<int> key(0, n - 1);
    std::vector<int> out(Lookups);
    for (int& k : out)
        k = key(rng);
    return out;
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// ---------------------------------------------------------------------------------------------
// The record store

void RunStore(const std::vector<Row>& rows, const std::vector<int>& lookups, Result& res) {
    auto md = std::make_unique<TMemTableDataEh>(nullptr);
    TMTDataStructEh* ds = md->DataStruct();
    const std::pair<const char*, TFieldType> cols[] = {
        {"Key", ftInteger}, {"Name", ftWideString}, {"Price", ftFloat}, {"D", ftDateTime}};
    for (const auto& [name, type] : cols) {
        TMTDataFieldEh* f = ds->CreateField(DefaultDataFieldClasses(type));
        f->AssignDataType(type);
        f->SetFieldName(QString::fromLatin1(name));
    }
    TRecordsListEh* rl = md->RecordsList();

    Timer load;
    for (const Row& r : rows) {
        TMemoryRecordEh* rec = rl->NewRecord();
        rec->SetDataValue(0, dvvValueEh, Variant(r.Key));
        rec->SetDataValue(1, dvvValueEh, Variant(QString::fromLatin1(r.Name.data(), int(r.Name.size()))));
        rec->SetDataValue(2, dvvValueEh, Variant(r.Price));
        rec->SetDataValue(3, dvvValueEh, Variant::FromDate(r.Date));
        rl->FetchRecord(rec);
    }
    res.Seconds[opLoad] = load.Seconds();

    Timer index;
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("Key"));
    idx->SetUnical(true);
    idx->SetActive(true);
    res.Seconds[opIndex] = index.Seconds();

    Timer lookup;
    long long sum = 0;
    for (int k : lookups) {
        int recIndex = -1;
        if (idx->FindRecordIndexByKey(Variant(k), recIndex))
            sum += rl->Rec(recIndex)->GetDataValue(0, dvvValueEh).AsInteger();
    }
    res.Seconds[opLookup] = lookup.Seconds();
    res.Check += sum;

    // The view's rows are made when it joins the store; the sort is measured on its own.
    TRecordsViewEh view;
    view.SetMemTableData(md.get());
    Timer sort;
    view.SetSortOrder(QStringLiteral("Name; Price"));
    res.Seconds[opSort] = sort.Seconds();
    res.Check += view.Rec(0)->GetDataValue(0, dvvValueEh).AsInteger();

    Timer filter;
    TDataSetExprParserEh expr(nullptr, dsptFilterEh);
    expr.ParseExpression(QStringLiteral("Price > 500 AND Name LIKE 'a%'"));
    long long matched = 0;
    for (TMemoryRecordEh* r : rl->RecList())
        if (expr.IsCurRecordInFilter(r)) ++matched;
    res.Seconds[opFilter] = filter.Seconds();
    res.Check += matched;

    Timer agg;
    double total = 0;
    for (const char* text : {"SUM(Price)", "AVG(Price)", "COUNT(*)"}) {
        TDataSetExprParserEh a(nullptr, dsptAggregateEh);
        a.ParseExpression(QString::fromLatin1(text));
        total += a.CalcAggregateValue(&view).AsDouble();
    }
    res.Seconds[opAggregate] = agg.Seconds();
    res.Check += std::llround(total / 1000);
}

// ---------------------------------------------------------------------------------------------
// SQLite in memory

void RunSQLite(const std::vector<Row>& rows, const std::vector<int>& lookups, Result& res) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    Exec(db, "CREATE TABLE t (key INTEGER, name TEXT, price REAL, d REAL)");

    Timer load;
    Exec(db, "BEGIN");
    sqlite3_stmt* ins = Prepare(db, "INSERT INTO t VALUES (?, ?, ?, ?)");
    for (const Row& r : rows) {
        sqlite3_bind_int(ins, 1, r.Key);
        sqlite3_bind_text(ins, 2, r.Name.data(), int(r.Name.size()), SQLITE_STATIC);
        sqlite3_bind_double(ins, 3, r.Price);
        sqlite3_bind_double(ins, 4, r.Date);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    Exec(db, "COMMIT");
    res.Seconds[opLoad] = load.Seconds();

    Timer index;
    Exec(db, "CREATE UNIQUE INDEX t_key ON t (key)");
    res.Seconds[opIndex] = index.Seconds();

    Timer lookup;
    long long sum = 0;
    sqlite3_stmt* sel = Prepare(db, "SELECT key, name, price, d FROM t WHERE key = ?");
    for (int k : lookups) {
        sqlite3_bind_int(sel, 1, k);
        if (sqlite3_step(sel) == SQLITE_ROW) sum += sqlite3_column_int(sel, 0);
        sqlite3_reset(sel);
    }
    sqlite3_finalize(sel);
    res.Seconds[opLookup] = lookup.Seconds();
    res.Check += sum;

    // The sorted result is read through, as a view's rows would be.
    Timer sort;
    sqlite3_stmt* ord = Prepare(db, "SELECT key, name, price, d FROM t ORDER BY name, price");
    long long first = -1;
    while (sqlite3_step(ord) == SQLITE_ROW)
        if (first < 0) first = sqlite3_column_int(ord, 0);
    sqlite3_finalize(ord);
    res.Seconds[opSort] = sort.Seconds();
    res.Check += first;

    Timer filter;
    sqlite3_stmt* flt = Prepare(db, "SELECT count(*) FROM t WHERE price > 500 AND name LIKE 'a%'");
    sqlite3_step(flt);
    res.Check += sqlite3_column_int64(flt, 0);
    sqlite3_finalize(flt);
    res.Seconds[opFilter] = filter.Seconds();

    Timer agg;
    sqlite3_stmt* ag = Prepare(db, "SELECT sum(price), avg(price), count(*) FROM t");
    sqlite3_step(ag);
    const double total =
        sqlite3_column_double(ag, 0) + sqlite3_column_double(ag, 1) + sqlite3_column_int64(ag, 2);
    sqlite3_finalize(ag);
    res.Seconds[opAggregate] = agg.Seconds();
    res.Check += std::llround(total / 1000);
    sqlite3_close(db);
}

// Runs one engine in a child process; its times come back through a pipe, its peak memory
// from the kernel's accounting of the child.
Result RunChild(void (*Run)(const std::vector<Row>&, const std::vector<int>&, Result&), int n) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Result r;
        const std::vector<Row> rows = MakeRows(n);
        const std::vector<int> keys = LookupKeys(n);
        r.StartKiB = ResidentKiB();
        Run(rows, keys, r);
        if (write(fds[1], &r, sizeof r) != ssize_t(sizeof r)) _exit(3);
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    Result r;
    if (read(fds[0], &r, sizeof r) != ssize_t(sizeof r)) {
        std::fprintf(stderr, "child failed\n");
        std::exit(2);
    }
    close(fds[0]);
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    r.PeakKiB = ru.ru_maxrss;
    return r;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};

    std::vector<std::pair<Result, Result>> all;
    for (int n : sizes) {
        const Result lite = RunChild(&RunSQLite, n);
        const Result ours = RunChild(&RunStore, n);
        all.emplace_back(ours, lite);
        std::printf("\n%d records\n", n);
        std::printf("%-16s %12s %12s %8s\n", "operation", "store, ms", "SQLite, ms", "ratio");
        for (int op = 0; op < opCount; ++op)
            std::printf("%-16s %12.1f %12.1f %7.2fx\n", OpNames[op], ours.Seconds[size_t(op)] * 1e3,
                        lite.Seconds[size_t(op)] * 1e3, ours.Seconds[size_t(op)] / lite.Seconds[size_t(op)]);
        std::printf("%-16s %9ld MiB %9ld MiB %7.2fx   (data: %ld MiB vs %ld MiB)\n", "peak memory",
                    ours.PeakKiB / 1024, lite.PeakKiB / 1024, double(ours.PeakKiB) / double(lite.PeakKiB),
                    (ours.PeakKiB - ours.StartKiB) / 1024, (lite.PeakKiB - lite.StartKiB) / 1024);
        if (ours.Check != lite.Check) std::printf("results differ: %lld vs %lld\n", ours.Check, lite.Check);
    }
    if (all.size() >= 2) {
        const Result& small = all.front().first;
        const Result& large = all.back().first;
        std::printf("\nstore growth %d -> %d records:\n", sizes.front(), sizes.back());
        for (int op = 0; op < opCount; ++op)
            std::printf("%-16s %7.1fx\n", OpNames[op], large.Seconds[size_t(op)] / small.Seconds[size_t(op)]);
    }
    return 0;
}
