#pragma once
// TLineExtentsEh: the kept sizes of the lines of one grid axis. A data-aware grid has a line per
// record, and nearly all of them usually share one size; so the store keeps a fill size and only
// the lines whose size differs from it, sorted by index. When too many lines differ for that to
// pay (sizes fitted per record), it turns into a plain array of every size. Either way it answers
// the same questions: the size of a line, sums over a range, the next line of another size.
//
// A store with no lines is "not created": the grid then gives every line its default size. The
// range checks and errors are the grid's (TCustomGridEh::ModifyExtents); here they are asserts.

#include <algorithm>
#include <utility>
#include <vector>

// Moves the size at From to To in the array Lines, shifting those between by one.
inline void MoveLineSize(int* Lines, int From, int To) {
    const int v = Lines[From];
    if (From < To)
        std::move(Lines + From + 1, Lines + To + 1, Lines + From);
    else
        std::move_backward(Lines + To, Lines + From, Lines + From + 1);
    Lines[To] = v;
}

class TLineExtentsEh {
public:
    bool Empty() const { return FCount == 0; }
    int Count() const { return FCount; }
    int Get(int Index) const;
    void Set(int Index, int Value);
    // Creates Count lines of size Fill (drops what was kept).
    void Assign(int Count, int Fill);
    void Clear();
    // Amount lines inserted at Index (0 .. Count) with size Default, or -Amount lines removed from
    // Index on (the lines after the block move down). An empty result drops the store.
    void Modify(int Index, int Amount, int Default);
    // The line at FromIndex goes to ToIndex; the lines between shift by one towards FromIndex.
    void Move(int FromIndex, int ToIndex);
    // Sum of the sizes of lines From .. To - 1 (both clamped to the lines kept).
    long long Sum(int From, int To) const;
    long long Total() const { return FTotal; }
    // The first line in From .. To - 1 whose size is not Value, else To.
    int NextOtherThan(int From, int To, int Value) const;
    // Same lines and sizes, however each is stored.
    bool SameAs(const TLineExtentsEh& Other) const;
    // Lines kept one by one in the sparse form (for tests and diagnostics).
    int SparseEntryCount() const { return FDense ? -1 : int(FOther.size()); }
    // The invariants: sorted distinct indexes inside the count, none of the fill size, and a total
    // equal to the sum of every size.
    bool Valid() const;

private:
    using Entry = std::pair<int, int>; // line index, size
    std::vector<Entry>::iterator LowerBound(int Index);
    std::vector<Entry>::const_iterator LowerBound(int Index) const;
    void MakeDense();
    void CheckInDebug() const;

    int FCount = 0;
    int FFill = 0;
    bool FDense = false;
    long long FTotal = 0;
    std::vector<Entry> FOther; // sparse form: the lines whose size is not FFill
    std::vector<int> FSizes;   // dense form: every line's size
};
