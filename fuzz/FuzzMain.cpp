// A libFuzzer program for one entry point, named by KVT_FUZZ_TARGET at compile time.

#include "fuzz/FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

namespace {
const kvt_fuzz::Target* TheTarget = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kvt_fuzz::Init();
    TheTarget = kvt_fuzz::FindTarget(KVT_FUZZ_TARGET);
    if (!TheTarget) {
        std::fprintf(stderr, "no fuzz target named %s\n", KVT_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TheTarget->Run(Data, Size);
    return 0;
}
