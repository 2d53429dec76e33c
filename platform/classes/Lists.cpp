// TList and TObjectList.

#include "platform/classes/Classes.h"
#include "platform/classes/MergeSort.h"

#include <algorithm>

void TList::Error(const String& Msg, NativeInt Data) {
    throw EListError(String(Msg).replace(QLatin1String("%d"), QString::number(Data)));
}

TList::~TList() {
    // Notify overrides are gone by now: only the storage is released.
    FList.clear();
}

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) Error(QStringLiteral("List index out of bounds (%d)"), Index);
}

void TList::Grow() {
    int delta;
    if (FCapacity > 64)
        delta = FCapacity / 4;
    else if (FCapacity > 8)
        delta = 16;
    else
        delta = 4;
    SetCapacity(FCapacity + delta);
}

int TList::Add(void* Item) {
    const int result = Count();
    if (result == FCapacity) Grow();
    FList.push_back(Item);
    if (Item) Notify(Item, lnAdded);
    return result;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) Error(QStringLiteral("List index out of bounds (%d)"), Index);
    if (Count() == FCapacity) Grow();
    FList.insert(FList.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index);
    void* temp = FList[size_t(Index)];
    FList.erase(FList.begin() + Index);
    if (temp) Notify(temp, lnDeleted);
}

int TList::Remove(void* Item) {
    const int result = IndexOf(Item);
    if (result >= 0) Delete(result);
    return result;
}

void* TList::Extract(void* Item) {
    const int i = IndexOf(Item);
    if (i < 0) return nullptr;
    FList.erase(FList.begin() + i);
    if (Item) Notify(Item, lnExtracted);
    return Item;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(FList.begin(), FList.end(), Item);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(NewIndex);
    CheckIndex(CurIndex);
    void* item = FList[size_t(CurIndex)];
    FList.erase(FList.begin() + CurIndex);
    FList.insert(FList.begin() + NewIndex, item);
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
}

void TList::Sort(TListSortCompare Compare) {
    if (!Compare) return;
    MergeSortVector(FList, [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Pack() {
    for (int i = Count() - 1; i >= 0; --i)
        if (!FList[size_t(i)]) Delete(i);
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void* TList::First() const {
    return Items(0);
}

void* TList::Last() const {
    return Items(Count() - 1);
}

TList* TList::Expand() {
    if (Count() == FCapacity) Grow();
    return this;
}

void* TList::Items(int Index) const {
    CheckIndex(Index);
    return FList[size_t(Index)];
}

void TList::SetItems(int Index, void* Item) {
    CheckIndex(Index);
    void* temp = FList[size_t(Index)];
    if (temp == Item) return;
    FList[size_t(Index)] = Item;
    if (temp) Notify(temp, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0) Error(QStringLiteral("List count out of bounds (%d)"), NewCount);
    if (NewCount > FCapacity) SetCapacity(NewCount);
    if (NewCount > Count())
        FList.resize(size_t(NewCount), nullptr);
    else
        for (int i = Count() - 1; i >= NewCount; --i)
            Delete(i);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count()) Error(QStringLiteral("List capacity out of bounds (%d)"), NewCapacity);
    FCapacity = NewCapacity;
    if (size_t(NewCapacity) > FList.capacity())
        FList.reserve(size_t(NewCapacity));
    else if (NewCapacity == 0)
        FList.shrink_to_fit();
}

void TList::Notify(void*, TListNotification) {}

// ---------------------------------------------------------------------------------------------
// TObjectList

TObjectList::~TObjectList() {
    Clear();
}

void TObjectList::Notify(void* Ptr, TListNotification Action) {
    if (FOwnsObjects && Action == lnDeleted) static_cast<TObject*>(Ptr)->Free();
    TList::Notify(Ptr, Action);
}

int TObjectList::FindInstanceOf(const TClassInfo* AClass, bool AExact, int AStartAt) const {
    for (int i = std::max(AStartAt, 0); i < Count(); ++i) {
        TObject* o = Items(i);
        if (!o) continue;
        if (AExact ? o->ClassType() == AClass : o->InheritsFrom(AClass)) return i;
    }
    return -1;
}
