#pragma once
// A stable merge sort that stays inside its range whatever the comparison answers: list sorts
// take user comparison functions, which need not be consistent.

#include <algorithm>
#include <cstddef>
#include <vector>

template <class T, class Less> void MergeSortVector(std::vector<T>& v, Less less) {
    const size_t n = v.size();
    if (n < 2) return;
    std::vector<T> buf(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buf[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid)
                buf[k++] = v[i++];
            while (j < hi)
                buf[k++] = v[j++];
        }
        v.swap(buf);
    }
}
