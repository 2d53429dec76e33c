#pragma once
// Memory tables for the tests: the tool's events table built exactly as the main window builds
// it, and a small table of named columns.

#include "lib/memtable/MemTableEh.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Frees a component through Free() (the platform's destruction order).
struct FreeComponent {
    void operator()(TComponent* c) const {
        if (c) c->Free();
    }
};
template <class T> using CompPtr = std::unique_ptr<T, FreeComponent>;

// ControlEventsMemTableEh: ID (auto-increment), bt1, bt2 and the calculated texts.
struct EventsTable {
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* T = nullptr;
    TAutoIncField* ID = nullptr;
    TIntegerField* bt1 = nullptr;
    TIntegerField* bt2 = nullptr;
    TStringField* bt1String = nullptr;
    TStringField* Static = nullptr;
    TStringField* bt2String = nullptr;
    int CalcCount = 0;
    std::vector<bool> AfterScrollDisabled; // ControlsDisabled at each AfterScroll

    EventsTable() {
        T = Create<TMemTableEh>(Owner.get());
        T->SetName(QStringLiteral("ControlEventsMemTableEh"));
        ID = Add<TAutoIncField>("ID", 0);
        bt1 = Add<TIntegerField>("bt1", 0);
        bt2 = Add<TIntegerField>("bt2", 0);
        bt1String = Add<TStringField>("bt1String", 255, true);
        Static = Add<TStringField>("Static", 10, true);
        bt2String = Add<TStringField>("bt2String", 255, true);
        T->OnCalcFields = TDataSetNotifyEvent::Callable([this](TDataSet*) {
            ++CalcCount;
            Static->SetAsString(QStringLiteral("->"));
            bt1String->SetAsString(QStringLiteral("cond %1").arg(bt1->AsInteger() >> 3));
            bt2String->SetAsString(
                QStringLiteral("act %1/%2").arg(bt1->AsInteger() & 7).arg(bt2->AsInteger() & 0xFF));
        });
        T->AfterScroll = TDataSetNotifyEvent::Callable(
            [this](TDataSet* ds) { AfterScrollDisabled.push_back(ds->ControlsDisabled()); });
        T->CreateDataSet();
    }

    template <class F> F* Add(const char* name, int size, bool calculated = false) {
        F* f = Create<F>(Owner.get());
        f->SetFieldName(QString::fromLatin1(name));
        if (size > 0) f->SetSize(size);
        if (calculated) f->SetFieldKind(fkCalculated);
        f->SetDataSet(T);
        return f;
    }

    void AppendPair(int b1, int b2) {
        T->Append();
        bt1->SetAsInteger(b1);
        bt2->SetAsInteger(b2);
        T->Post();
    }

    // bt2 of every row in table order.
    std::vector<int> Bt2s() {
        std::vector<int> r;
        const TBookmark bm = T->GetBookmark();
        T->DisableControls();
        T->First();
        while (!T->Eof()) {
            r.push_back(bt2->AsInteger());
            T->Next();
        }
        if (!bm.empty() && T->BookmarkValid(bm)) T->GotoBookmark(bm);
        T->EnableControls();
        return r;
    }
};

// A table with the given integer and string columns ("name:i" or "name:s").
inline CompPtr<TMemTableEh> MakeTable(std::initializer_list<const char*> cols, TComponent* owner = nullptr) {
    CompPtr<TMemTableEh> t(Create<TMemTableEh>(owner));
    for (const char* c : cols) {
        const QString spec = QString::fromLatin1(c);
        const QString name = spec.section(':', 0, 0);
        const QString kind = spec.section(':', 1, 1);
        if (kind == "s")
            t->FieldDefs()->Add(name, ftString, 20);
        else if (kind == "w")
            t->FieldDefs()->Add(name, ftWideString, 20);
        else if (kind == "f")
            t->FieldDefs()->Add(name, ftFloat);
        else if (kind == "a")
            t->FieldDefs()->Add(name, ftAutoInc);
        else
            t->FieldDefs()->Add(name, ftInteger);
    }
    t->CreateDataSet();
    return t;
}

inline void AppendRow(TDataSet* t, std::initializer_list<Variant> values) {
    t->Append();
    int i = 0;
    for (const Variant& v : values) {
        if (!VarIsEmpty(v)) t->Fields()->Fields(i)->SetAsVariant(v);
        ++i;
    }
    t->Post();
}

// Values of one column in row order.
inline std::vector<Variant> Column(TDataSet* t, const char* name) {
    std::vector<Variant> r;
    t->DisableControls();
    t->First();
    while (!t->Eof()) {
        r.push_back(t->FieldByName(QString::fromLatin1(name))->AsVariant());
        t->Next();
    }
    t->EnableControls();
    return r;
}

inline std::vector<Variant> Ints(std::initializer_list<int> v) {
    std::vector<Variant> r;
    for (int i : v)
        r.emplace_back(i);
    return r;
}
