// Record memory: per block size, blocks cut from slabs that grow from 64 KiB to 2 MiB; the
// 2 MiB slabs are aligned so that the kernel may back them with huge pages (HugePages::Map,
// also used by the allocator of large arrays). Each block starts
// with a word naming its pool (null for a block too large for a pool, taken from the heap).
// Freed blocks are kept on a list for reuse; a pool whose blocks are all free gives back its
// slabs but the first.
#include "lib/memtable/MemRecordPool.h"

#include "lib/memtable/HugePageAllocatorEh.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KVT_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KVT_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KVT_POISON(p, n) ((void)(p), (void)(n))
#define KVT_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr size_t HeaderSize = 8;
constexpr size_t FirstSlab = size_t(64) << 10;
constexpr size_t HugeSlab = size_t(2) << 20;
// Larger blocks (records of very many fields) come from the heap.
constexpr size_t MaxPooledBlock = 4096;

struct Pool {
    std::mutex Lock;
    size_t BlockSize = 0; // the header included, a multiple of 8
    size_t NextSlabSize = FirstSlab;
    char* Next = nullptr;
    char* End = nullptr;
    char* FreeList = nullptr; // blocks linked through the word after their header
    size_t Live = 0;
    std::vector<std::pair<void*, size_t>> Slabs;

    void AddSlab() {
        const size_t size = NextSlabSize;
        void* base;
        if (size >= HugeSlab) {
            base = HugePages::Map(size);
        } else {
            base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (base == MAP_FAILED) throw std::bad_alloc();
            NextSlabSize = size * 2;
        }
        try {
            Slabs.emplace_back(base, size);
        } catch (...) {
            munmap(base, size);
            throw;
        }
        KVT_POISON(base, size);
        Next = static_cast<char*>(base);
        End = Next + size;
    }

    char* Take() {
        char* block;
        if (FreeList) {
            block = FreeList;
            KVT_UNPOISON(block, BlockSize);
            FreeList = *reinterpret_cast<char**>(block + HeaderSize);
        } else {
            if (size_t(End - Next) < BlockSize) AddSlab();
            block = Next;
            Next += BlockSize;
            KVT_UNPOISON(block, BlockSize);
        }
        ++Live;
        return block;
    }

    void Give(char* Block) noexcept {
        if (--Live == 0) {
            // Every block is free: the slabs but the first (the smallest) go back, and the
            // pool starts again from there.
            for (size_t i = 1; i < Slabs.size(); ++i) {
                KVT_UNPOISON(Slabs[i].first, Slabs[i].second);
                munmap(Slabs[i].first, Slabs[i].second);
            }
            Slabs.resize(1);
            FreeList = nullptr;
            Next = static_cast<char*>(Slabs[0].first);
            End = Next + Slabs[0].second;
            NextSlabSize = Slabs[0].second * 2;
            KVT_POISON(Next, Slabs[0].second);
            return;
        }
        *reinterpret_cast<char**>(Block + HeaderSize) = FreeList;
        FreeList = Block;
        KVT_POISON(Block, BlockSize);
    }
};

std::array<std::atomic<Pool*>, MaxPooledBlock / 8 + 1> gPools{};
std::mutex gPoolsLock;

Pool* PoolFor(size_t BlockSize) {
    std::atomic<Pool*>& slot = gPools[BlockSize / 8];
    Pool* p = slot.load(std::memory_order_acquire);
    if (p) return p;
    std::lock_guard<std::mutex> g(gPoolsLock);
    p = slot.load(std::memory_order_relaxed);
    if (!p) {
        // Pools live as long as the process: records may be freed by static destructors.
        p = new Pool();
        p->BlockSize = BlockSize;
        slot.store(p, std::memory_order_release);
    }
    return p;
}

} // namespace

// Mapped with room to spare, then trimmed to a block aligned on a huge page. The length is
// rounded up to whole small pages only: a tail shorter than a huge page stays in small pages.
constexpr size_t SmallPage = 4096;

void* HugePages::Map(size_t Bytes) {
    const size_t size = (Bytes + SmallPage - 1) & ~(SmallPage - 1);
    const size_t mapped = size + HugeSlab;
    void* m = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t start = uintptr_t(m), aligned = (start + HugeSlab - 1) & ~(HugeSlab - 1);
    if (aligned > start) munmap(m, aligned - start);
    if (aligned + size < start + mapped)
        munmap(reinterpret_cast<void*>(aligned + size), start + mapped - aligned - size);
    void* base = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(base, size, MADV_HUGEPAGE);
#endif
    return base;
}

void HugePages::Unmap(void* P, size_t Bytes) noexcept {
    if (P) munmap(P, (Bytes + SmallPage - 1) & ~(SmallPage - 1));
}

void* MemRecordPool::Allocate(size_t Size) {
    const size_t blockSize = (Size + HeaderSize + 7) & ~size_t(7);
    if (blockSize > MaxPooledBlock) {
        char* block = static_cast<char*>(::operator new(blockSize));
        *reinterpret_cast<Pool**>(block) = nullptr;
        return block + HeaderSize;
    }
    Pool* pool = PoolFor(blockSize);
    char* block;
    {
        std::lock_guard<std::mutex> g(pool->Lock);
        block = pool->Take();
    }
    *reinterpret_cast<Pool**>(block) = pool;
    return block + HeaderSize;
}

void MemRecordPool::Free(void* P) noexcept {
    if (!P) return;
    char* block = static_cast<char*>(P) - HeaderSize;
    Pool* pool = *reinterpret_cast<Pool**>(block);
    if (!pool) {
        ::operator delete(block);
        return;
    }
    std::lock_guard<std::mutex> g(pool->Lock);
    pool->Give(block);
}
