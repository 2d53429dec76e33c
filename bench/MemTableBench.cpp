// The memory table against SQLite in memory, doing the same work in one run: open a table over
// n records of (Key, Code, Name, Price), walk it to the end reading two fields, locate keys with
// an index (Key) and without one (Code holds the same values), sort by (Name, Price) and read the
// sorted keys, filter with «Price > 500 AND Name LIKE 'a%'» and read the matching keys.
// Prints the times and the ratio memory table / SQLite for each step. What each step read is
// folded into a check per step; the run fails when the two engines' checks differ.
//
//     memtable_bench [--no-scan] [records...]      (default: 100000 1000000)
//
// --no-scan leaves out the unindexed lookups (for profiling the other steps).

#include "lib/memtable/MemTableEh.h"

#include "bench/BenchCommon.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::Exec;
using bench::MakeRows;
using bench::Prepare;
using bench::Row;
using bench::Timer;

enum Op { opOpen, opWalk, opLocateIx, opLocateScan, opSort, opFilter, opCount };
constexpr int IndexedLocates = 10000;
// Unindexed lookups scan the whole table each time: keep their total work near 10^9 records.
int ScanLocates(int n) {
    return std::clamp(1000000000 / std::max(n, 1), 1, IndexedLocates);
}

struct Result {
    std::array<double, opCount> Seconds{};
    std::array<long long, opCount> Check{}; // folded from what each step read
};

std::vector<int> LocateKeys(int n, int count) {
    std::mt19937_64 rng(777);
    std::uniform_int_distribution<int> key(0, n - 1);
    std::vector<int> out(static_cast<size_t>(count));
    for (int& k : out)
        k = key(rng);
    return out;
}

Result RunMemTable(const std::vector<Row>& rows, const std::vector<int>& keys, int scanKeys) {
    Result res;
    TMemTableEh* t = Create<TMemTableEh>(nullptr);
    {
        Timer tm;
        t->FieldDefs()->Add("Key", ftInteger);
        t->FieldDefs()->Add("Code", ftInteger);
        t->FieldDefs()->Add("Name", ftString, 20);
        t->FieldDefs()->Add("Price", ftFloat);
        t->IndexDefs()->Add("ixKey", "Key", {});
        t->CreateDataSet();
        t->DisableControls();
        TField* key = t->FieldByName("Key");
        TField* code = t->FieldByName("Code");
        TField* name = t->FieldByName("Name");
        TField* price = t->FieldByName("Price");
        for (const Row& r : rows) {
            t->Append();
            key->SetAsInteger(r.Key);
            code->SetAsInteger(r.Key);
            name->SetAsString(QString::fromLatin1(r.Name.data(), int(r.Name.size())));
            price->SetAsFloat(r.Price);
            t->Post();
        }
        t->First();
        res.Seconds[opOpen] = tm.Seconds();
    }
    TField* key = t->FieldByName("Key");
    TField* name = t->FieldByName("Name");
    {
        Timer tm;
        long long sum = 0;
        for (t->First(); !t->Eof(); t->Next())
            sum += key->AsInteger() + name->AsString().size();
        res.Seconds[opWalk] = tm.Seconds();
        res.Check[opWalk] = sum;
    }
    auto locate = [&](const char* field, int count, Op op) {
        Timer tm;
        long long sum = 0;
        for (int i = 0; i < count; ++i)
            if (t->Locate(QString::fromLatin1(field), keys[size_t(i)], {})) sum += name->AsString().size();
        res.Seconds[op] = tm.Seconds();
        res.Check[size_t(op)] = sum;
    };
    locate("Key", IndexedLocates, opLocateIx);
    locate("Code", scanKeys, opLocateScan);
    auto readKeys = [&](Op op, auto&& prepare, auto&& undo) {
        Timer tm;
        prepare();
        long long sum = 0, i = 0;
        for (t->First(); !t->Eof(); t->Next())
            sum += ++i * key->AsInteger();
        res.Seconds[op] = tm.Seconds();
        res.Check[size_t(op)] = sum;
        undo();
    };
    readKeys(
        opSort, [&] { t->SetSortOrder("Name, Price"); }, [&] { t->SetSortOrder(""); });
    readKeys(
        opFilter,
        [&] {
            t->SetFilter("Price > 500 AND Name LIKE 'a%'");
            t->SetFiltered(true);
        },
        [&] { t->SetFiltered(false); });
    t->Free();
    return res;
}

Result RunSqlite(const std::vector<Row>& rows, const std::vector<int>& keys, int scanKeys) {
    Result res;
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    {
        Timer tm;
        Exec(db, "CREATE TABLE t(Key INTEGER, Code INTEGER, Name TEXT, Price REAL)");
        Exec(db, "CREATE INDEX ixKey ON t(Key)");
        Exec(db, "BEGIN");
        sqlite3_stmt* ins = Prepare(db, "INSERT INTO t VALUES(?, ?, ?, ?)");
        for (const Row& r : rows) {
            sqlite3_bind_int(ins, 1, r.Key);
            sqlite3_bind_int(ins, 2, r.Key);
            sqlite3_bind_text(ins, 3, r.Name.data(), int(r.Name.size()), SQLITE_STATIC);
            sqlite3_bind_double(ins, 4, r.Price);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        Exec(db, "COMMIT");
        res.Seconds[opOpen] = tm.Seconds();
    }
    {
        Timer tm;
        long long sum = 0;
        sqlite3_stmt* s = Prepare(db, "SELECT Key, Name FROM t");
        while (sqlite3_step(s) == SQLITE_ROW)
            sum += sqlite3_column_int(s, 0) + sqlite3_column_bytes(s, 1);
        sqlite3_finalize(s);
        res.Seconds[opWalk] = tm.Seconds();
        res.Check[opWalk] = sum;
    }
    auto locate = [&](const char* sql, int count, Op op) {
        Timer tm;
        long long sum = 0;
        sqlite3_stmt* s = Prepare(db, sql);
        for (int i = 0; i < count; ++i) {
            sqlite3_bind_int(s, 1, keys[size_t(i)]);
            if (sqlite3_step(s) == SQLITE_ROW) sum += sqlite3_column_bytes(s, 0);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        res.Seconds[op] = tm.Seconds();
        res.Check[size_t(op)] = sum;
    };
    locate("SELECT Name FROM t WHERE Key = ? LIMIT 1", IndexedLocates, opLocateIx);
    locate("SELECT Name FROM t WHERE Code = ? LIMIT 1", scanKeys, opLocateScan);
    auto readKeys = [&](const char* sql, Op op) {
        Timer tm;
        long long sum = 0, i = 0;
        sqlite3_stmt* s = Prepare(db, sql);
        while (sqlite3_step(s) == SQLITE_ROW)
            sum += ++i * sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        res.Seconds[op] = tm.Seconds();
        res.Check[size_t(op)] = sum;
    };
    readKeys("SELECT Key FROM t ORDER BY Name, Price", opSort);
    readKeys("SELECT Key FROM t WHERE Price > 500 AND Name LIKE 'a%'", opFilter);
    sqlite3_close(db);
    return res;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    bool scan = true;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--no-scan")
            scan = false;
        else
            sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};
    bool agree = true;
    // LIKE in SQLite is case-insensitive for ASCII; the names are all lower case, so both
    // engines select the same rows.
    for (int n : sizes) {
        if (n <= 0) continue;
        const std::vector<Row> rows = MakeRows(n);
        const int scanKeys = scan ? ScanLocates(n) : 0;
        const std::vector<int> keys = LocateKeys(n, IndexedLocates);
        const Result ours = RunMemTable(rows, keys, scanKeys);
        const Result theirs = RunSqlite(rows, keys, scanKeys);
        char locIx[64], locScan[64];
        std::snprintf(locIx, sizeof locIx, "Locate %d keys, index", IndexedLocates);
        std::snprintf(locScan, sizeof locScan, "Locate %d keys, no index", scanKeys);
        const char* names[opCount] = {"open (append n records)", "walk First/Next, 2 fields", locIx, locScan,
                                      "sort + read keys",        "filter + read keys"};
        std::printf("\n%d records%s\n", n,
                    scanKeys > 0 && scanKeys < IndexedLocates
                        ? " (fewer unindexed keys: each one scans the table)"
                        : "");
        std::printf("%-30s %12s %12s %8s\n", "step", "memtable s", "sqlite s", "ratio");
        for (int op = 0; op < opCount; ++op)
            std::printf("%-30s %12.4f %12.4f %8.2f\n", names[op], ours.Seconds[size_t(op)],
                        theirs.Seconds[size_t(op)],
                        theirs.Seconds[size_t(op)] > 0 ? ours.Seconds[size_t(op)] / theirs.Seconds[size_t(op)]
                                                       : 0.0);
        for (int op = 0; op < opCount; ++op)
            if (ours.Check[size_t(op)] != theirs.Check[size_t(op)]) {
                std::printf("RESULTS DIFFER in \"%s\": memtable %lld, sqlite %lld\n", names[op],
                            ours.Check[size_t(op)], theirs.Check[size_t(op)]);
                agree = false;
            }
    }
    if (!agree) {
        std::printf("\nthe engines' results differ: the run is not valid\n");
        return 1;
    }
    return 0;
}
