#pragma once
// A small record store for view, expression and tree tests: columns given as name/type pairs,
// records added from value lists.

#include "lib/memtable/MemTableDataEh.h"

#include <initializer_list>
#include <memory>
#include <utility>

inline std::unique_ptr<TMemTableDataEh>
MakeStore(std::initializer_list<std::pair<const char*, TFieldType>> Columns) {
    auto md = std::make_unique<TMemTableDataEh>(nullptr);
    md->SetName(QStringLiteral("MemTableData"));
    for (const auto& [name, type] : Columns) {
        TMTDataFieldEh* f = md->DataStruct()->CreateField(DefaultDataFieldClasses(type));
        f->AssignDataType(type);
        f->SetFieldName(QString::fromLatin1(name));
    }
    return md;
}

inline TMemoryRecordEh* AddRec(TMemTableDataEh* md, std::initializer_list<Variant> Values) {
    TRecordsListEh* rl = md->RecordsList();
    TMemoryRecordEh* r = rl->NewRecord();
    int i = 0;
    for (const Variant& v : Values)
        r->SetDataValue(i++, dvvValueEh, v);
    rl->AddRecord(r);
    return r;
}

// Edits one value of an attached record and posts it.
inline void EditRec(TMemoryRecordEh* r, int Field, const Variant& Value) {
    r->Edit();
    r->SetDataValue(Field, dvvValueEh, Value);
    r->Post();
}
