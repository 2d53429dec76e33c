#pragma once
// What the benchmarks that race SQLite share: the rows both engines load, a timer, and SQLite
// calls that end the program on an error.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace bench {

struct Row {
    int Key;
    std::string Name;
    double Price;
    double Date;
};

// The same data for both engines: keys 0..n-1 in shuffled order, lower-case names of 8 letters.
inline std::vector<Row> MakeRows(int n) {
    std::mt19937_64 rng(12345);
    std::vector<Row> rows(static_cast<size_t>(n));
    std::vector<int> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        keys[size_t(i)] = i;
    std::shuffle(keys.begin(), keys.end(), rng);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_real_distribution<double> price(0, 1000);
    for (int i = 0; i < n; ++i) {
        Row& r = rows[size_t(i)];
        r.Key = keys[size_t(i)];
        r.Name.resize(8);
        for (char& c : r.Name)
            c = char(letter(rng));
        r.Price = price(rng);
        r.Date = 45000 + (i % 3650);
    }
    return rows;
}

class Timer {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    }

private:
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};

inline void Exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err ? err : "?");
        std::exit(2);
    }
}

inline sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
    return st;
}

} // namespace bench
