// The bookmark list: binary search in record order with a one-entry cache, selection of the
// current row, and the operations that walk the data set (select all, delete, refresh).

#include "lib/toolscore/PlatformEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

namespace {
const char* const kClosedDataSet = "Cannot perform this operation on a closed dataset";
}

TBMListEh::~TBMListEh() {
    Clear();
    UpdateOwnerState();
}

void TBMListEh::CheckIndex(int Index, int Last) const {
    if (Index < 0 || Index > Last)
        throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}

const TBookmark& TBMListEh::GetItem(int Index) const {
    CheckIndex(Index, Count() - 1);
    return FList[size_t(Index)];
}

void TBMListEh::SetItem(int Index, const TBookmark& Bookmark) {
    CheckIndex(Index, Count() - 1);
    FList[size_t(Index)] = Bookmark;
    FCacheIndex = -1;
    FCache.clear();
}

void TBMListEh::RaiseListError(const String& Msg) {
    throw Exception(Msg);
}

void TBMListEh::DropFindCache(const TBookmark&) {
    FCacheIndex = -1;
    FCache.clear();
    FCacheFind = false;
}

int TBMListEh::CompareTwoBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return CompareRecordBookmarks(DataSet(), Bookmark1, Bookmark2);
}

bool TBMListEh::Find(const TBookmark& Bookmark, int& Index) {
    // Every change of the list empties the cache, so an entry always describes the current list.
    if (FCacheIndex != -1 && FCache == Bookmark) {
        Index = FCacheIndex;
        return FCacheFind;
    }
    bool found = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = CompareTwoBookmarks(FList[size_t(mid)], Bookmark);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                lo = mid;
                found = true;
            }
        }
    }
    Index = lo;
    FCache = Bookmark;
    FCacheIndex = Index;
    FCacheFind = found;
    return found;
}

int TBMListEh::IndexOf(const TBookmark& Bookmark) {
    int index = -1;
    return Find(Bookmark, index) ? index : -1;
}

void TBMListEh::InsertItem(int Index, const TBookmark& Bookmark) {
    CheckIndex(Index, Count());
    FList.insert(FList.begin() + Index, Bookmark);
    DropFindCache(Bookmark);
}

void TBMListEh::DeleteItem(int Index) {
    CheckIndex(Index, Count() - 1);
    const TBookmark removed = std::move(FList[size_t(Index)]);
    FList.erase(FList.begin() + Index);
    DropFindCache(removed);
}

void TBMListEh::Clear() {
    if (FList.empty()) return;
    FList.clear();
    FCacheIndex = -1;
    FCache.clear();
    FCacheFind = false;
    UpdateOwnerState();
    NotifyListChanged();
}

TBookmark TBMListEh::CurrentBookmark() {
    if (!FLinkActive) RaiseListError(QString::fromLatin1(kClosedDataSet));
    TDataSet* ds = DataSet();
    if (!ds) RaiseListError(QString::fromLatin1(kClosedDataSet));
    return ds->GetBookmark();
}

bool TBMListEh::CurrentRowSelected() {
    int index = 0;
    return Find(CurrentBookmark(), index);
}

void TBMListEh::WriteCurrentRowSelected(bool Value) {
    const TBookmark current = CurrentBookmark();
    int index = 0;
    if (Find(current, index) == Value) return;
    if (Value)
        InsertItem(index, current);
    else
        DeleteItem(index);
}

TDataSet* TBMListEh::CheckedDataSet() {
    TDataSet* ds = DataSet();
    if (!ds) RaiseListError(QString::fromLatin1(kClosedDataSet));
    return ds;
}

void TBMListEh::SelectAll() {
    if (!FLinkActive) return;
    TDataSet* ds = CheckedDataSet();
    ds->DisableControls();
    try {
        const TBookmark start = ds->GetBookmark();
        ds->First();
        while (!ds->Eof()) {
            WriteCurrentRowSelected(true);
            ds->Next();
        }
        if (!start.empty() && ds->BookmarkValid(start)) ds->GotoBookmark(start);
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

void TBMListEh::Delete() {
    TDataSet* ds = CheckedDataSet();
    ds->DisableControls();
    try {
        for (int i = Count() - 1; i >= 0; --i) {
            ds->GotoBookmark(FList[size_t(i)]);
            ds->Delete();
            DeleteItem(i);
        }
    } catch (...) {
        ds->EnableControls();
        UpdateOwnerState();
        throw;
    }
    ds->EnableControls();
    UpdateOwnerState();
}

bool TBMListEh::Refresh() {
    TDataSet* ds = CheckedDataSet();
    bool dropped = false;
    auto finish = [&] {
        UpdateOwnerState();
        if (ds->Active()) ds->UpdateCursorPos();
        if (dropped) NotifyListChanged();
    };
    try {
        ds->CheckBrowseMode();
        for (int i = Count() - 1; i >= 0; --i)
            if (!ds->BookmarkValid(FList[size_t(i)])) {
                DeleteItem(i);
                dropped = true;
            }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return dropped;
}

void TBMListEh::QuickSort(int L, int R, TDataSet* DataSet, const TCompareFunc& Compare) {
    int i = L;
    do {
        i = L;
        int j = R;
        int p = (L + R) >> 1;
        do {
            // The bounds only matter for a comparison that is not a consistent order.
            while (i < R && Compare(this, DataSet, i, p) < 0)
                ++i;
            while (j > L && Compare(this, DataSet, j, p) > 0)
                --j;
            if (i <= j) {
                if (i != j) std::swap(FList[size_t(i)], FList[size_t(j)]);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j) QuickSort(L, j, DataSet, Compare);
        L = i;
    } while (i < R);
}

void TBMListEh::CustomSort(TDataSet* DataSet, const TCompareFunc& Compare) {
    if (Count() < 2 || !Compare) return;
    FCacheIndex = -1;
    FCache.clear();
    QuickSort(0, Count() - 1, DataSet, Compare);
}

void TBMListEh::ResetForLink(bool Active) {
    Clear();
    UpdateOwnerState();
    FLinkActive = Active;
}
