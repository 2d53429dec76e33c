// Case-insensitive search in 8-bit code-page bytes through a table of folded characters.

#include "lib/dbgrid/DBGridEhTextMatch.h"

#include "platform/rtl/SysUtils.h"

#include <array>

namespace {

// Each byte's decoded character, case-folded as Qt folds it for a case-insensitive compare.
const std::array<char16_t, 256>& FoldedBytes() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        AnsiString all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const String decoded = FromAnsiBytes(all);
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = decoded.size() == 256 ? char16_t(QChar::toCaseFolded(decoded[b].unicode())) : 0;
        return t;
    }();
    return table;
}

} // namespace

TAnsiTextFinderEh::TAnsiTextFinderEh() = default;

void TAnsiTextFinderEh::SetNeedle(const String& Needle) {
    if (FPrepared && Needle == FNeedle) return;
    FPrepared = true;
    FNeedle = Needle;
    FFolded.clear();
    FSearchable = true;
    FMatchable = true;
    for (const QChar c : Needle) {
        if (c.isSurrogate()) {
            FSearchable = false;
            return;
        }
        FFolded.push_back(char16_t(QChar::toCaseFolded(c.unicode())));
    }
    const auto& fold = FoldedBytes();
    // A unit that no byte folds to can never be matched.
    for (const char16_t u : FFolded) {
        bool some = false;
        for (int b = 0; b < 256 && !some; ++b)
            some = fold[size_t(b)] == u;
        if (!some) FMatchable = false;
    }
    for (int b = 0; b < 256; ++b)
        FFirst[b] = !FFolded.empty() && fold[size_t(b)] == FFolded[0];
}

bool TAnsiTextFinderEh::ContainedIn(const char* P, size_t N) const {
    const size_t m = FFolded.size();
    if (m == 0) return true;
    if (!FMatchable || N < m) return false;
    const auto& fold = FoldedBytes();
    const auto* s = reinterpret_cast<const unsigned char*>(P);
    const size_t last = N - m;
    for (size_t i = 0; i <= last; ++i) {
        if (!FFirst[s[i]]) continue;
        size_t k = 1;
        while (k < m && fold[s[i + k]] == FFolded[k])
            ++k;
        if (k == m) return true;
    }
    return false;
}
