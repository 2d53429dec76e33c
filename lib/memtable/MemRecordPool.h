#pragma once
// Memory for the records of the stores: blocks of one size are cut from slabs shared by all
// records of that size, and the large slabs may be backed by huge pages, so that loading a
// large store takes few page faults. Blocks are 8-byte aligned.

#include <cstddef>

namespace MemRecordPool {
void* Allocate(size_t Size);
void Free(void* Block) noexcept;
} // namespace MemRecordPool
