// The data grid's CSV export and text import against plain C++ doing the same work, in one run.
//
// A memory table holds N records of five columns (integer key, 8-letter name, price with two
// decimals, integer quantity, short code, one code in ten holding a double quote):
//   - export: the grid writes every record to a CSV file (titles, ';' between cells, every cell
//     in double quotes with quotes doubled, CR LF between lines); the floor is a loop over the
//     same values that formats them with std::to_chars into a buffer and writes the file with
//     fwrite. Both files must hold the same bytes, or the run fails.
//   - import: the grid's text importer reads a tab-separated export of the table (the grid reads
//     no CSV back) into an empty memory table; the floor splits the same file with plain C++,
//     converts the numbers with std::from_chars and appends the records to a memory table. Both
//     tables must end with the same record count, key sum and name checksum. The import's memory
//     is its peak resident set over the resident set after it (the records it added stay).
// Each record count runs in a child process of its own, so that the peak resident set of one
// does not hide the growth of another. The export's memory is the growth of the peak resident
// set (VmHWM, reset through /proc/self/clear_refs) over the resident set before it starts.
//
//     impexp_bench [N ...] [--benchmark_...]      (default: 100000 1000000)

#include "BenchCommon.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Rec {
    int Key;
    std::string Name;
    double Price;
    int Qty;
    std::string Code;
};

std::vector<Rec> MakeRecs(int n) {
    std::vector<bench::Row> rows = bench::MakeRows(n);
    std::vector<Rec> out;
    out.reserve(rows.size());
    for (const bench::Row& r : rows) {
        Rec x;
        x.Key = r.Key;
        x.Name = r.Name;
        x.Price = std::round(r.Price * 100) / 100;
        x.Qty = r.Key % 1000;
        x.Code = r.Name.substr(0, 3);
        if (r.Key % 10 == 0) x.Code.insert(1, 1, '"');
        out.push_back(std::move(x));
    }
    return out;
}

// The resident set now and at its peak, in KiB.
long StatusKiB(const char* Key) {
    std::ifstream f("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(Key);
    while (std::getline(f, line))
        if (line.compare(0, n, Key) == 0) return std::strtol(line.c_str() + n + 1, nullptr, 10);
    return -1;
}
bool ResetPeak() {
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    return bool(f);
}

// ---------------------------------------------------------------------------------------------
// The floor

// Appends Text in double quotes, doubling the quotes inside.
void PutQuoted(std::string& Out, std::string_view Text) {
    Out += '"';
    for (char c : Text) {
        if (c == '"') Out += '"';
        Out += c;
    }
    Out += '"';
}

void PlainExport(const std::vector<Rec>& Recs, const char* Path) {
    std::FILE* f = std::fopen(Path, "wb");
    if (!f) std::exit(2);
    std::string buf;
    buf.reserve(1 << 17);
    auto flush = [&] {
        std::fwrite(buf.data(), 1, buf.size(), f);
        buf.clear();
    };
    buf += "\"Key\";\"Name\";\"Price\";\"Qty\";\"Code\"";
    char num[64];
    for (const Rec& r : Recs) {
        buf += "\r\n";
        auto n = std::to_chars(num, num + sizeof num, r.Key).ptr;
        PutQuoted(buf, std::string_view(num, size_t(n - num)));
        buf += ';';
        PutQuoted(buf, r.Name);
        buf += ';';
        n = std::to_chars(num, num + sizeof num, r.Price, std::chars_format::general, 15).ptr;
        PutQuoted(buf, std::string_view(num, size_t(n - num)));
        buf += ';';
        n = std::to_chars(num, num + sizeof num, r.Qty).ptr;
        PutQuoted(buf, std::string_view(num, size_t(n - num)));
        buf += ';';
        PutQuoted(buf, r.Code);
        if (buf.size() >= (1 << 16)) flush();
    }
    flush();
    std::fclose(f);
}

struct Check {
    long long Count = 0, KeySum = 0;
    unsigned long long NameSum = 0;
    bool operator==(const Check&) const = default;
};

Check TableCheck(TMemTableEh* T) {
    Check c;
    T->DisableControls();
    TField* key = T->FieldByName(QStringLiteral("Key"));
    TField* name = T->FieldByName(QStringLiteral("Name"));
    for (T->First(); !T->Eof(); T->Next()) {
        ++c.Count;
        c.KeySum += key->AsInteger();
        for (QChar ch : name->AsString())
            c.NameSum = c.NameSum * 31 + ch.unicode();
    }
    T->EnableControls();
    return c;
}

// ---------------------------------------------------------------------------------------------
// The grid's side

TMemTableEh* MakeTable(TComponent* Owner) {
    auto* t = Create<TMemTableEh>(Owner);
    t->FieldDefs()->Add(QStringLiteral("Key"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    t->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
    t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Code"), ftString, 8);
    t->CreateDataSet();
    return t;
}

void AppendRec(TMemTableEh* T, int Key, const QString& Name, double Price, int Qty, const QString& Code) {
    T->AppendRecord({Variant(Key), Variant(Name), Variant(Price), Variant(Qty), Variant(Code)});
}

struct GridSide {
    TForm* Form = nullptr;
    TMemTableEh* Table = nullptr;
    TDBGridEh* Grid = nullptr;
    TMemTableEh* Target = nullptr;
    TDBGridEh* TargetGrid = nullptr;

    explicit GridSide(const std::vector<Rec>& Recs) {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 600, 400);
        Table = MakeTable(Form);
        Table->DisableControls();
        for (const Rec& r : Recs)
            AppendRec(Table, r.Key, QString::fromStdString(r.Name), r.Price, r.Qty,
                      QString::fromStdString(r.Code));
        Table->First();
        Table->EnableControls();
        Grid = MakeGrid(Table, 0);
        Target = MakeTable(Form);
        TargetGrid = MakeGrid(Target, 300);
        Form->Show();
    }
    ~GridSide() { Form->Free(); }

    TDBGridEh* MakeGrid(TMemTableEh* T, int Left) {
        auto* src = new TDataSource(Form);
        src->SetDataSet(T);
        auto* g = Create<TDBGridEh>(Form);
        g->SetParent(Form);
        g->SetBounds(Left, 0, 290, 380);
        g->SetDataSource(src);
        return g;
    }

    void ExportCsv(const char* Path) {
        ExportGridToFile<TDBGridEhExportAsCSV>(Grid, QString::fromLocal8Bit(Path), true);
    }

    // The tab-separated file the import reads: the text export without the title line.
    void ExportText(const char* Path) {
        const TDBGridOptions o = Grid->Options();
        Grid->SetOptions(o - TDBGridOptions{dgTitles});
        ExportGridToFile<TDBGridEhExportAsText>(Grid, QString::fromLocal8Bit(Path), true);
        Grid->SetOptions(o);
    }

    void Import(const char* Path) {
        Target->EmptyTable();
        TDBGridEhImportAsText imp;
        imp.SetDBGridEh(TargetGrid);
        imp.ImportFromFile(QString::fromLocal8Bit(Path), true);
    }
};

// The floor of the import: the same file split and converted by hand, appended to a table.
void PlainImport(TMemTableEh* T, const char* Path) {
    T->EmptyTable();
    std::ifstream f(Path, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    T->DisableControls();
    size_t pos = 0;
    std::string_view cells[5];
    while (pos < data.size()) {
        size_t end = data.find("\r\n", pos);
        if (end == std::string::npos) end = data.size();
        const std::string_view line(data.data() + pos, end - pos);
        size_t a = 0;
        for (int i = 0; i < 5; ++i) {
            size_t b = line.find('\t', a);
            if (b == std::string_view::npos) b = line.size();
            cells[i] = line.substr(a, b - a);
            a = b + 1;
        }
        int key = 0, qty = 0;
        double price = 0;
        std::from_chars(cells[0].data(), cells[0].data() + cells[0].size(), key);
        std::from_chars(cells[2].data(), cells[2].data() + cells[2].size(), price);
        std::from_chars(cells[3].data(), cells[3].data() + cells[3].size(), qty);
        AppendRec(T, key, QString::fromLatin1(cells[1].data(), qsizetype(cells[1].size())), price, qty,
                  QString::fromLatin1(cells[4].data(), qsizetype(cells[4].size())));
        pos = end + 2;
    }
    T->First();
    T->EnableControls();
}

bool SameFiles(const char* A, const char* B) {
    std::ifstream a(A, std::ios::binary), b(B, std::ios::binary);
    std::string x((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    std::string y((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    if (x != y) {
        size_t i = 0;
        while (i < x.size() && i < y.size() && x[i] == y[i])
            ++i;
        std::fprintf(stderr, "files differ at byte %zu (sizes %zu, %zu)\n", i, x.size(), y.size());
        return false;
    }
    return !x.empty();
}

// ---------------------------------------------------------------------------------------------
// One record count, in a child process

std::string Dir() {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp") + "/impexp_bench." + std::to_string(getpid());
}

int RunSize(int argc, char** argv, int N) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    SetFormatSettings(TFormatSettings::Invariant());
    const std::string dir = Dir();
    const std::string gridCsv = dir + ".grid.csv", plainCsv = dir + ".plain.csv", text = dir + ".txt";

    const std::vector<Rec> recs = MakeRecs(N);
    auto grid = std::make_unique<GridSide>(recs);
    TMemTableEh* plainTable = MakeTable(grid->Form);

    // Memory first, on a quiet process: the export's peak over the resident set before it.
    const bool peakReset = ResetPeak();
    const long rssBefore = StatusKiB("VmRSS:");
    grid->ExportCsv(gridCsv.c_str());
    const long peakAfter = StatusKiB("VmHWM:");
    const long tableKiB = rssBefore;

    // The import's memory: its peak over the resident set once it is done, so that the records
    // it added (which stay) do not count; what is left is what the reading held on the way.
    grid->ExportText(text.c_str());
    const bool importPeakReset = ResetPeak();
    const long rssBeforeImport = StatusKiB("VmRSS:");
    grid->Import(text.c_str());
    const long importPeak = StatusKiB("VmHWM:"), rssAfterImport = StatusKiB("VmRSS:");
    long textKiB = 0;
    if (std::FILE* f = std::fopen(text.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        textKiB = std::ftell(f) / 1024;
        std::fclose(f);
    }

    double gridExport = 1e9, plainExport = 1e9, gridImport = 1e9, plainImport = 1e9;
    auto best = [](double& b, double s) { b = std::min(b, s); };
    benchmark::RegisterBenchmark("CsvExport/grid",
                                 [&](benchmark::State& st) {
                                     for (auto _ : st) {
                                         bench::Timer t;
                                         grid->ExportCsv(gridCsv.c_str());
                                         const double s = t.Seconds();
                                         best(gridExport, s);
                                         st.SetIterationTime(s);
                                     }
                                 })
        ->Arg(N)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CsvExport/plain",
                                 [&](benchmark::State& st) {
                                     for (auto _ : st) {
                                         bench::Timer t;
                                         PlainExport(recs, plainCsv.c_str());
                                         const double s = t.Seconds();
                                         best(plainExport, s);
                                         st.SetIterationTime(s);
                                     }
                                 })
        ->Arg(N)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TextImport/grid",
                                 [&](benchmark::State& st) {
                                     for (auto _ : st) {
                                         bench::Timer t;
                                         grid->Import(text.c_str());
                                         const double s = t.Seconds();
                                         best(gridImport, s);
                                         st.SetIterationTime(s);
                                     }
                                 })
        ->Arg(N)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TextImport/plain",
                                 [&](benchmark::State& st) {
                                     for (auto _ : st) {
                                         bench::Timer t;
                                         PlainImport(plainTable, text.c_str());
                                         const double s = t.Seconds();
                                         best(plainImport, s);
                                         st.SetIterationTime(s);
                                     }
                                 })
        ->Arg(N)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();

    int failed = 0;
    if (!SameFiles(gridCsv.c_str(), plainCsv.c_str())) failed = 1;
    const Check source = TableCheck(grid->Table), imported = TableCheck(grid->Target),
                plain = TableCheck(plainTable);
    if (!(source == imported) || !(source == plain)) {
        std::fprintf(stderr, "imported tables differ: source %lld, grid %lld, plain %lld records\n",
                     source.Count, imported.Count, plain.Count);
        failed = 1;
    }
    std::printf("\nN=%d\n", N);
    std::printf("  csv export   grid %8.1f ms  plain %8.1f ms  ratio %5.2f\n", gridExport * 1e3,
                plainExport * 1e3, gridExport / plainExport);
    std::printf("  text import  grid %8.1f ms  plain %8.1f ms  ratio %5.2f\n", gridImport * 1e3,
                plainImport * 1e3, gridImport / plainImport);
    if (peakReset)
        std::printf("  export memory: peak growth %ld KiB over a resident set of %ld KiB\n",
                    std::max(0L, peakAfter - rssBefore), tableKiB);
    else
        std::printf("  export memory: /proc/self/clear_refs not writable, peak not measured\n");
    if (importPeakReset)
        std::printf("  import memory: peak %ld KiB over the resident set after it (%ld KiB before it, a "
                    "file of %ld KiB)\n",
                    std::max(0L, importPeak - rssAfterImport), rssBeforeImport, textKiB);
    std::fflush(stdout);
    grid.reset();
    for (const std::string& p : {gridCsv, plainCsv, text})
        std::remove(p.c_str());
    return failed;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' && std::atoi(argv[i]) > 0)
            sizes.push_back(std::atoi(argv[i]));
        else
            rest.push_back(argv[i]);
    }
    if (sizes.empty()) sizes = {100000, 1000000};
    int failed = 0;
    for (int n : sizes) {
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0) {
            int c = int(rest.size());
            benchmark::Initialize(&c, rest.data());
            std::_Exit(RunSize(c, rest.data(), n));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failed = 1;
    }
    return failed;
}
