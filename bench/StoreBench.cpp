// The record store against SQLite in memory, doing the same work in one run: load records of
// (integer key, text, float, date) with a unique index on the key (SQLite: the key is the
// INTEGER PRIMARY KEY), look up random keys reading the record's four values, make a view
// sorted by (text, float) and read the four values of every row, filter with
// «Price > 500 AND Name LIKE 'a%'» and compute SUM, AVG and COUNT. Each engine runs in a child
// process of its own, so that its peak memory is its own; the data each keeps is its peak less
// what both hold before they start (the input rows). Both engines' results (values read, sort
// order, matches, aggregates) must agree, or the run fails.
// Prints the times, the ratio ours / SQLite, the memory of each, and how the times grow from
// 10^5 to 10^6 records (about 10× is linear, a little more is n log n).
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

enum Op { opLoad, opLookup, opSort, opFilter, opAggregate, opCount };
const char* const OpNames[opCount] = {"load + key index", "100000 lookups", "sort + read rows", "filter",
                                      "SUM/AVG/COUNT"};
constexpr int Lookups = 100000;

// What each engine read, folded so that the two can be compared.
struct Result {
    std::array<double, opCount> Seconds{};
    long PeakKiB = 0;          // peak resident set of the child
    long StartKiB = 0;         // resident set when the child started its work
    uint64_t LookupValues = 0; // the four values of every looked-up record, in lookup order
    long long LookupsFound = 0;
    uint64_t SortedRows = 0; // the four values of every row in sorted order
    long long SortedCount = 0;
    long long Matched = 0;
    double Sum = 0, Avg = 0;
    long long Count = 0;
};

// Order-sensitive folding of the values read.
inline void Fold(uint64_t& h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
}
inline void FoldDouble(uint64_t& h, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    Fold(h, bits);
}

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
    // What a reader takes from a record: its four values, the text character by character.
    auto read = [](uint64_t& h, const TMemoryRecordEh* rec) {
        Fold(h, uint64_t(rec->GetDataValue(0, dvvValueEh).AsInteger()));
        const String name = rec->GetDataValue(1, dvvValueEh).AsString();
        for (QChar c : name)
            Fold(h, c.unicode());
        FoldDouble(h, rec->GetDataValue(2, dvvValueEh).AsDouble());
        FoldDouble(h, rec->GetDataValue(3, dvvValueEh).AsDouble());
    };

    Timer load;
    for (const Row& r : rows) {
        TMemoryRecordEh* rec = rl->NewRecord();
        rec->SetDataValue(0, dvvValueEh, Variant(r.Key));
        rec->SetDataValue(1, dvvValueEh, Variant(QString::fromLatin1(r.Name.data(), int(r.Name.size()))));
        rec->SetDataValue(2, dvvValueEh, Variant(r.Price));
        rec->SetDataValue(3, dvvValueEh, Variant::FromDate(r.Date));
        rl->FetchRecord(rec);
    }
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("Key"));
    idx->SetUnical(true);
    idx->SetActive(true);
    res.Seconds[opLoad] = load.Seconds();

    Timer lookup;
    for (int k : lookups) {
        int recIndex = -1;
        if (idx->FindRecordIndexByKey(Variant(k), recIndex)) {
            read(res.LookupValues, rl->Rec(recIndex));
            ++res.LookupsFound;
        }
    }
    res.Seconds[opLookup] = lookup.Seconds();

    // The view makes its rows when it joins the store, then sorts them; every row is read.
    Timer sort;
    TRecordsViewEh view;
    view.SetMemTableData(md.get());
    view.SetSortOrder(QStringLiteral("Name; Price"));
    for (int i = 0; i < view.Count(); ++i)
        read(res.SortedRows, view.Rec(i));
    res.SortedCount = view.Count();
    res.Seconds[opSort] = sort.Seconds();

    Timer filter;
    TDataSetExprParserEh expr(nullptr, dsptFilterEh);
    expr.ParseExpression(QStringLiteral("Price > 500 AND Name LIKE 'a%'"));
    for (TMemoryRecordEh* r : rl->RecList())
        if (expr.IsCurRecordInFilter(r)) ++res.Matched;
    res.Seconds[opFilter] = filter.Seconds();

    Timer agg;
    double values[3] = {};
    int i = 0;
    for (const char* text : {"SUM(Price)", "AVG(Price)", "COUNT(*)"}) {
        TDataSetExprParserEh a(nullptr, dsptAggregateEh);
        a.ParseExpression(QString::fromLatin1(text));
        values[i++] = a.CalcAggregateValue(&view).AsDouble();
    }
    res.Seconds[opAggregate] = agg.Seconds();
    res.Sum = values[0];
    res.Avg = values[1];
    res.Count = std::llround(values[2]);
}

// ---------------------------------------------------------------------------------------------
// SQLite in memory

void RunSQLite(const std::vector<Row>& rows, const std::vector<int>& lookups, Result& res) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    auto read = [](uint64_t& h, sqlite3_stmt* st) {
        Fold(h, uint64_t(sqlite3_column_int(st, 0)));
        const unsigned char* name = sqlite3_column_text(st, 1);
        for (int i = 0, n = sqlite3_column_bytes(st, 1); i < n; ++i)
            Fold(h, name[i]);
        FoldDouble(h, sqlite3_column_double(st, 2));
        FoldDouble(h, sqlite3_column_double(st, 3));
    };

    // The key as a user declares it: the table's own key, its unique index built while loading.
    Timer load;
    Exec(db, "CREATE TABLE t (key INTEGER PRIMARY KEY, name TEXT, price REAL, d REAL)");
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

    Timer lookup;
    sqlite3_stmt* sel = Prepare(db, "SELECT key, name, price, d FROM t WHERE key = ?");
    for (int k : lookups) {
        sqlite3_bind_int(sel, 1, k);
        if (sqlite3_step(sel) == SQLITE_ROW) {
            read(res.LookupValues, sel);
            ++res.LookupsFound;
        }
        sqlite3_reset(sel);
    }
    sqlite3_finalize(sel);
    res.Seconds[opLookup] = lookup.Seconds();

    Timer sort;
    sqlite3_stmt* ord = Prepare(db, "SELECT key, name, price, d FROM t ORDER BY name, price");
    while (sqlite3_step(ord) == SQLITE_ROW) {
        read(res.SortedRows, ord);
        ++res.SortedCount;
    }
    sqlite3_finalize(ord);
    res.Seconds[opSort] = sort.Seconds();

    Timer filter;
    sqlite3_stmt* flt = Prepare(db, "SELECT count(*) FROM t WHERE price > 500 AND name LIKE 'a%'");
    sqlite3_step(flt);
    res.Matched = sqlite3_column_int64(flt, 0);
    sqlite3_finalize(flt);
    res.Seconds[opFilter] = filter.Seconds();

    Timer agg;
    sqlite3_stmt* ag = Prepare(db, "SELECT sum(price), avg(price), count(*) FROM t");
    sqlite3_step(ag);
    res.Sum = sqlite3_column_double(ag, 0);
    res.Avg = sqlite3_column_double(ag, 1);
    res.Count = sqlite3_column_int64(ag, 2);
    sqlite3_finalize(ag);
    res.Seconds[opAggregate] = agg.Seconds();
    sqlite3_close(db);
}

// The differences between the two engines' results, one line each; none when they agree. Sums
// are of the same values in another order, so they agree to rounding.
std::vector<std::string> Differences(const Result& a, const Result& b) {
    std::vector<std::string> out;
    auto close = [](double x, double y) {
        return std::fabs(x - y) <= 1e-9 * std::max(std::fabs(x), std::fabs(y));
    };
    if (a.LookupsFound != b.LookupsFound || a.LookupValues != b.LookupValues)
        out.push_back("lookups: values read differ");
    if (a.SortedCount != b.SortedCount || a.SortedRows != b.SortedRows)
        out.push_back("sort: rows or their order differ");
    if (a.Matched != b.Matched)
        out.push_back("filter: " + std::to_string(a.Matched) + " vs " + std::to_string(b.Matched) + " rows");
    if (!close(a.Sum, b.Sum) || !close(a.Avg, b.Avg) || a.Count != b.Count)
        out.push_back("aggregates differ");
    return out;
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
    bool agree = true;
    for (int n : sizes) {
        const Result lite = RunChild(&RunSQLite, n);
        const Result ours = RunChild(&RunStore, n);
        all.emplace_back(ours, lite);
        std::printf("\n%d records\n", n);
        std::printf("%-18s %12s %12s %8s\n", "operation", "store, ms", "SQLite, ms", "ratio");
        for (int op = 0; op < opCount; ++op)
            std::printf("%-18s %12.1f %12.1f %7.2fx\n", OpNames[op], ours.Seconds[size_t(op)] * 1e3,
                        lite.Seconds[size_t(op)] * 1e3, ours.Seconds[size_t(op)] / lite.Seconds[size_t(op)]);
        const long oursData = ours.PeakKiB - ours.StartKiB, liteData = lite.PeakKiB - lite.StartKiB;
        std::printf("%-18s %8ld MiB %8ld MiB %7.2fx   (peak - input rows; peaks %ld vs %ld MiB)\n",
                    "data kept", oursData / 1024, liteData / 1024, double(oursData) / double(liteData),
                    ours.PeakKiB / 1024, lite.PeakKiB / 1024);
        for (const std::string& d : Differences(ours, lite)) {
            std::printf("RESULTS DIFFER: %s\n", d.c_str());
            agree = false;
        }
    }
    if (all.size() >= 2) {
        const Result& small = all.front().first;
        const Result& large = all.back().first;
        std::printf("\nstore growth %d -> %d records:\n", sizes.front(), sizes.back());
        for (int op = 0; op < opCount; ++op)
            std::printf("%-18s %7.1fx\n", OpNames[op], large.Seconds[size_t(op)] / small.Seconds[size_t(op)]);
    }
    if (!agree) {
        std::printf("\nthe engines' results differ: the run is not valid\n");
        return 1;
    }
    return 0;
}
