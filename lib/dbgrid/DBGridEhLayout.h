#pragma once
// Property-storage interceptors of the data grid's columns: a generic property store saves and
// restores a column's width and the column order through them.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/tools/PropFilerEh.h"

// Target: a TColumnEh. Width written here goes to the auto-fit base width while the grid fits
// its columns, else to the column's width.
class TColumnEhPropertyInterceptor : public TStoragePropertyInterceptor {
    KVT_CLASS(TColumnEhPropertyInterceptor, TStoragePropertyInterceptor)
public:
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
    int Width() const;
    void SetWidth(int Value);
};

// Target: a TDBGridColumnsEh. ColumnsIndex is the comma text of the columns' field names in
// double quotes, in collection order; writing it moves the named columns to those places.
class TColumnsEhPropertyInterceptor : public TStoragePropertyInterceptor {
    KVT_CLASS(TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor)
public:
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
    String ColumnsIndex() const;
    void SetColumnsIndex(const String& Value);
    void Readed() override {}

private:
    String FColumnsIndex;
};
