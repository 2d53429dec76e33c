#pragma once
// An allocator for the large arrays of a store (index entries, view rows, sort keys): blocks of
// 4 MiB and more are mapped on their own, aligned so that the kernel may back them with huge
// pages, which saves most of the page faults of filling them. Smaller blocks come from the heap.

#include <cstddef>
#include <new>
#include <vector>

namespace HugePages {
// Bytes from which a block is mapped on its own.
constexpr size_t Threshold = size_t(2) << 20;
void* Map(size_t Bytes);
void Unmap(void* P, size_t Bytes) noexcept;
} // namespace HugePages

template <class T> class THugePageAllocatorEh {
public:
    using value_type = T;
    THugePageAllocatorEh() noexcept = default;
    template <class U> THugePageAllocatorEh(const THugePageAllocatorEh<U>&) noexcept {}
    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes >= HugePages::Threshold) return static_cast<T*>(HugePages::Map(bytes));
        return static_cast<T*>(::operator new(bytes));
    }
    void deallocate(T* p, size_t n) noexcept {
        const size_t bytes = n * sizeof(T);
        if (bytes >= HugePages::Threshold)
            HugePages::Unmap(p, bytes);
        else
            ::operator delete(p);
    }
    template <class U> bool operator==(const THugePageAllocatorEh<U>&) const noexcept { return true; }
};

template <class T> using TBigVectorEh = std::vector<T, THugePageAllocatorEh<T>>;
