// The memory table's files and the filter parser over a data set.

#include "fuzz/FuzzEntries.h"

#include "lib/memtable/MemTableEh.h"
#include "platform/db/FilterExpr.h"

#include <cmath>
#include <cstring>

namespace kvt_fuzz {

namespace {

struct FreeComponent {
    void operator()(TComponent* c) const {
        if (c) c->Free();
    }
};
using TablePtr = std::unique_ptr<TMemTableEh, FreeComponent>;

// Values compare by kind and content; doubles by their bits (NaN equals NaN).
bool SameValue(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull() || a.IsEmpty() || b.IsEmpty())
        return a.IsNull() == b.IsNull() && a.IsEmpty() == b.IsEmpty();
    if (VarIsFloat(a) && VarIsFloat(b)) {
        const double x = a.AsDouble(), y = b.AsDouble();
        return std::memcmp(&x, &y, sizeof x) == 0 || (std::isnan(x) && std::isnan(y));
    }
    try {
        return a.AsString() == b.AsString();
    } catch (const Exception&) {
        return false;
    }
}

// What a table shows: open or not, its fields and, when open, every value of every row.
struct Snapshot {
    bool Active = false;
    std::vector<std::pair<String, int>> Fields; // name, data type
    std::vector<std::vector<Variant>> Rows;

    bool operator==(const Snapshot& o) const {
        if (Active != o.Active || Fields != o.Fields || Rows.size() != o.Rows.size()) return false;
        for (size_t i = 0; i < Rows.size(); ++i)
            for (size_t j = 0; j < Rows[i].size(); ++j)
                if (!SameValue(Rows[i][j], o.Rows[i][j])) return false;
        return true;
    }
};

Snapshot Take(TMemTableEh* t) {
    Snapshot s;
    s.Active = t->Active();
    if (!s.Active) return s;
    for (TField* f : *t->Fields())
        s.Fields.emplace_back(f->FieldName(), int(f->DataType()));
    t->DisableControls();
    for (t->First(); !t->Eof(); t->Next()) {
        std::vector<Variant> row;
        for (TField* f : *t->Fields())
            row.push_back(f->AsVariant());
        s.Rows.push_back(std::move(row));
    }
    t->First();
    t->EnableControls();
    return s;
}

TablePtr SampleTable() {
    TablePtr t(Create<TMemTableEh>(nullptr));
    t->FieldDefs()->Add(QStringLiteral("ID"), ftAutoInc);
    t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    t->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
    t->FieldDefs()->Add(QStringLiteral("Note"), ftWideString, 30);
    t->FieldDefs()->Add(QStringLiteral("Born"), ftDateTime);
    t->CreateDataSet();
    const struct {
        const char* Name;
        int Qty;
        double Price;
        const char* Note;
        double Born;
    } rows[] = {
        {"Anna", 5, 1.5, "first", 45000.5},
        {"Boris", -3, 0.30000000000000004, "Ёж", 1.0},
        {"", 0, 1e-20, nullptr, -700000.25},
        {"Zoe's", 70000, -INFINITY, "a\tb", 2958465.99},
    };
    for (const auto& r : rows) {
        t->Append();
        t->FieldByName(QStringLiteral("Name"))->SetAsString(QString::fromUtf8(r.Name));
        t->FieldByName(QStringLiteral("Qty"))->SetAsInteger(r.Qty);
        t->FieldByName(QStringLiteral("Price"))->SetAsFloat(r.Price);
        if (r.Note) t->FieldByName(QStringLiteral("Note"))->SetAsString(QString::fromUtf8(r.Note));
        t->FieldByName(QStringLiteral("Born"))->SetAsDateTime(r.Born);
        t->Post();
    }
    t->First();
    return t;
}

// Saves T in Format and loads the file into a new table: the same fields and rows come back.
void RoundTrip(TMemTableEh* T, TDfmStreamFormatEh Format, const Snapshot& Expected) {
    const QString path =
        QString::fromStdString(ScratchFile(Format == dfmTextEh ? "rt.txt" : "rt.bin", nullptr, 0));
    try {
        T->SaveToFile(path, Format);
    } catch (const Exception&) {
        return; // refused: nothing was promised
    }
    TablePtr back(Create<TMemTableEh>(nullptr));
    try {
        back->LoadFromFile(path);
        back->Open();
    } catch (const Exception& e) {
        Check(false, std::string(Format == dfmTextEh ? "text" : "binary") +
                         " file written by SaveToFile does not load: " + e.Message().toStdString());
    }
    Check(Take(back.get()) == Expected,
          std::string(Format == dfmTextEh ? "text" : "binary") + " save -> load changed the table");
}

} // namespace

void MemTable(const uint8_t* Data, size_t Size) {
    const QString path = QString::fromStdString(ScratchFile("fuzz.mt", Data, Size));
    TablePtr t = SampleTable();
    const Snapshot before = Take(t.get());
    try {
        t->LoadFromFile(path);
    } catch (const Exception&) {
        Check(Take(t.get()) == before, "a failed load changed the table");
        return;
    }
    try {
        if (!t->Active()) t->Open();
    } catch (const Exception& e) {
        Check(false, "a file that loads gives a table that does not open: " + e.Message().toStdString());
    }
    const Snapshot loaded = Take(t.get());
    RoundTrip(t.get(), dfmBinaryEh, loaded);
    RoundTrip(t.get(), dfmTextEh, loaded);
}

void Filter(const uint8_t* Data, size_t Size) {
    static TablePtr table = SampleTable();
    TMemTableEh* t = table.get();
    const String text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
    try {
        TExprParser p(t, text, {}, {poExtSyntax, poAggregate});
        (void)TExprParser::NodeToText(p.Root());
    } catch (const Exception&) {
    }
    const int total = t->RecordCount();
    try {
        t->SetFilter(text);
        t->SetFiltered(true);
        int n = 0;
        for (t->First(); !t->Eof(); t->Next())
            ++n;
        Check(n <= total, "a filter shows more rows than the table holds");
    } catch (const Exception&) {
    }
    try {
        t->SetFiltered(false);
        t->SetFilter(String());
    } catch (const Exception&) {
    }
    Check(t->RecordCount() == total, "filtering changed the table");
}

} // namespace kvt_fuzz
