#pragma once
// Case-insensitive containment of a text in values stored in the 8-bit code page, without
// decoding them first.
//
// QString::contains(Needle, Qt::CaseInsensitive) compares UTF-16 units after simple case
// folding. The code page is single-byte and every byte decodes to one unit outside the surrogate
// range, so folding each byte's decoded character once gives a 256-entry table, and the needle
// is folded once per search. A needle with surrogates cannot be matched this way (Qt folds a
// surrogate pair as one character); Searchable() is then false and callers compare the decoded
// text as before.

#include "platform/rtl/System.h"

#include <cstddef>
#include <vector>

class TAnsiTextFinderEh {
public:
    TAnsiTextFinderEh();
    // Prepares the search for Needle (a no-op when it is the needle already prepared).
    void SetNeedle(const String& Needle);
    const String& Needle() const { return FNeedle; }
    bool Searchable() const { return FSearchable; }
    // Whether the text decoded from the N bytes at P contains the needle, ignoring case as
    // QString::contains does. Only valid when Searchable().
    bool ContainedIn(const char* P, size_t N) const;

private:
    String FNeedle;
    bool FPrepared = false;
    bool FSearchable = false;
    // The needle folded, and whether some byte folds to each of its units.
    std::vector<char16_t> FFolded;
    bool FMatchable = false;
    // Bytes whose folded character is the needle's first one.
    bool FFirst[256] = {};
};
