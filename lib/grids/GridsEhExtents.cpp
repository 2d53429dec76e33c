#include "lib/grids/GridsEhExtents.h"

#include <algorithm>
#include <cassert>

namespace {
// Lines of another size kept one by one before the store turns into an array of every size. An
// insertion into the sorted list moves the entries after it, so the list is kept short against
// the line count (an array costs four bytes a line, an entry eight).
int SparseLimit(int Count) {
    return std::max(1024, Count / 64);
}

bool ByIndex(const std::pair<int, int>& E, int Index) {
    return E.first < Index;
}
} // namespace

std::vector<TLineExtentsEh::Entry>::iterator TLineExtentsEh::LowerBound(int Index) {
    return std::lower_bound(FOther.begin(), FOther.end(), Index, ByIndex);
}

std::vector<TLineExtentsEh::Entry>::const_iterator TLineExtentsEh::LowerBound(int Index) const {
    return std::lower_bound(FOther.begin(), FOther.end(), Index, ByIndex);
}

int TLineExtentsEh::Get(int Index) const {
    assert(Index >= 0 && Index < FCount);
    if (FDense) return FSizes[size_t(Index)];
    // Past the last line of its own (a grid whose title row alone differs): no search.
    if (FOther.empty() || Index > FOther.back().first) return FFill;
    const auto it = LowerBound(Index);
    return it != FOther.end() && it->first == Index ? it->second : FFill;
}

void TLineExtentsEh::Set(int Index, int Value) {
    assert(Index >= 0 && Index < FCount);
    if (FDense) {
        int& s = FSizes[size_t(Index)];
        FTotal += (long long)Value - s;
        s = Value;
        CheckInDebug();
        return;
    }
    const auto it = LowerBound(Index);
    const bool kept = it != FOther.end() && it->first == Index;
    const int old = kept ? it->second : FFill;
    if (old == Value) return;
    FTotal += (long long)Value - old;
    if (Value == FFill) {
        FOther.erase(it);
    } else if (kept) {
        it->second = Value;
    } else if (int(FOther.size()) < SparseLimit(FCount)) {
        FOther.insert(it, {Index, Value});
    } else {
        MakeDense();
        FSizes[size_t(Index)] = Value;
    }
    CheckInDebug();
}

void TLineExtentsEh::Assign(int Count, int Fill) {
    assert(Count >= 0);
    Clear();
    if (Count == 0) return;
    FCount = Count;
    FFill = Fill;
    FTotal = (long long)Count * Fill;
    CheckInDebug();
}

void TLineExtentsEh::Clear() {
    FCount = 0;
    FFill = 0;
    FDense = false;
    FTotal = 0;
    FOther = {};
    FSizes = {};
}

void TLineExtentsEh::MakeDense() {
    if (FDense) return;
    FSizes.assign(size_t(FCount), FFill);
    for (const Entry& e : FOther)
        FSizes[size_t(e.first)] = e.second;
    FOther = {};
    FDense = true;
}

void TLineExtentsEh::Modify(int Index, int Amount, int Default) {
    assert(Index >= 0 && Index <= FCount);
    if (Amount == 0) return;
    const long long newCount = (long long)FCount + Amount;
    assert(newCount >= 0);
    if (newCount == 0) {
        Clear();
        return;
    }
    if (FCount == 0) {
        Assign(int(newCount), Default);
        return;
    }
    if (Amount > 0) {
        // New lines of another size than the fill are entries of their own.
        if (!FDense && Default != FFill && (long long)FOther.size() + Amount > SparseLimit(int(newCount)))
            MakeDense();
        if (FDense) {
            FSizes.insert(FSizes.begin() + Index, size_t(Amount), Default);
        } else {
            const auto at = LowerBound(Index);
            for (auto it = at; it != FOther.end(); ++it)
                it->first += Amount;
            if (Default != FFill) {
                std::vector<Entry> added;
                added.reserve(static_cast<size_t>(Amount));
                for (int i = 0; i < Amount; ++i)
                    added.push_back({Index + i, Default});
                FOther.insert(at, added.begin(), added.end());
            }
        }
        FTotal += (long long)Amount * Default;
        FCount = int(newCount);
        CheckInDebug();
        return;
    }
    // Removing -Amount lines at Index: the lines after the block move down, and what is still
    // beyond the new count (a block reaching past the last line) is cut.
    const int removeEnd = std::min(FCount, Index - Amount);
    const int removed = removeEnd - Index;
    if (FDense) {
        long long cut = 0;
        for (int i = Index; i < removeEnd; ++i)
            cut += FSizes[size_t(i)];
        FSizes.erase(FSizes.begin() + Index, FSizes.begin() + removeEnd);
        for (size_t i = size_t(newCount); i < FSizes.size(); ++i)
            cut += FSizes[i];
        FSizes.resize(size_t(newCount));
        FTotal -= cut;
    } else {
        FTotal -= Sum(Index, removeEnd);
        const auto first = LowerBound(Index);
        const auto last = std::lower_bound(first, FOther.end(), removeEnd, ByIndex);
        const auto rest = FOther.erase(first, last);
        for (auto it = rest; it != FOther.end(); ++it)
            it->first -= removed;
        // Lines still past the new count are cut (their sizes are the fill or an entry).
        const int keptCount = FCount - removed;
        const auto cutFrom = LowerBound(int(newCount));
        FTotal -= (long long)(keptCount - newCount) * FFill;
        for (auto it = cutFrom; it != FOther.end(); ++it)
            FTotal -= it->second - FFill;
        FOther.erase(cutFrom, FOther.end());
    }
    FCount = int(newCount);
    CheckInDebug();
}

void TLineExtentsEh::Move(int FromIndex, int ToIndex) {
    assert(FromIndex >= 0 && FromIndex < FCount && ToIndex >= 0 && ToIndex < FCount);
    if (FromIndex == ToIndex) return;
    if (FDense) {
        MoveLineSize(FSizes.data(), FromIndex, ToIndex);
        CheckInDebug();
        return;
    }
    const int v = Get(FromIndex);
    if (v != FFill) FOther.erase(LowerBound(FromIndex));
    const int lo = std::min(FromIndex, ToIndex), hi = std::max(FromIndex, ToIndex);
    const int step = FromIndex < ToIndex ? -1 : 1;
    for (auto it = LowerBound(lo); it != FOther.end() && it->first <= hi; ++it)
        it->first += step;
    if (v != FFill) FOther.insert(LowerBound(ToIndex), {ToIndex, v});
    CheckInDebug();
}

long long TLineExtentsEh::Sum(int From, int To) const {
    From = std::clamp(From, 0, FCount);
    To = std::clamp(To, From, FCount);
    if (FDense) {
        // The shorter side is summed: the total covers the rest.
        if (To - From > FCount / 2) return FTotal - Sum(0, From) - Sum(To, FCount);
        long long s = 0;
        for (int i = From; i < To; ++i)
            s += FSizes[size_t(i)];
        return s;
    }
    long long s = (long long)(To - From) * FFill;
    for (auto it = LowerBound(From); it != FOther.end() && it->first < To; ++it)
        s += it->second - FFill;
    return s;
}

int TLineExtentsEh::NextOtherThan(int From, int To, int Value) const {
    From = std::max(From, 0);
    To = std::min(To, FCount);
    if (From >= To) return std::max(From, To);
    if (FDense) {
        for (int i = From; i < To; ++i)
            if (FSizes[size_t(i)] != Value) return i;
        return To;
    }
    auto it = LowerBound(From);
    if (Value == FFill) return it != FOther.end() && it->first < To ? it->first : To;
    // Every line not kept has the fill size: the first gap in the kept run starting at From.
    for (int i = From; i < To; ++i, ++it)
        if (it == FOther.end() || it->first != i || it->second != Value) return i;
    return To;
}

bool TLineExtentsEh::SameAs(const TLineExtentsEh& Other) const {
    if (FCount != Other.FCount) return false;
    if (!FDense && !Other.FDense && FFill == Other.FFill) return FOther == Other.FOther;
    if (FTotal != Other.FTotal) return false;
    for (int i = 0; i < FCount; ++i)
        if (Get(i) != Other.Get(i)) return false;
    return true;
}

bool TLineExtentsEh::Valid() const {
    if (FCount < 0) return false;
    if (FCount == 0) return FTotal == 0 && FOther.empty() && FSizes.empty() && !FDense;
    long long sum = 0;
    if (FDense) {
        if (!FOther.empty() || int(FSizes.size()) != FCount) return false;
        for (int s : FSizes)
            sum += s;
        return sum == FTotal;
    }
    if (!FSizes.empty()) return false;
    sum = (long long)FCount * FFill;
    int prev = -1;
    for (const Entry& e : FOther) {
        if (e.first <= prev || e.first >= FCount || e.second == FFill) return false;
        prev = e.first;
        sum += e.second - FFill;
    }
    return sum == FTotal;
}

void TLineExtentsEh::CheckInDebug() const {
#ifndef NDEBUG
    // The sparse form checks in time of its entries; an array of every line only while short.
    if (!FDense || FCount <= 65536) assert(Valid());
#endif
}
