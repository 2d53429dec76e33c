// String helpers, case mapping, ordinal and locale collation, file-name helpers.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

String Trim(const String& s) {
    int b = 0, e = s.size();
    while (b < e && s[b].unicode() <= ' ')
        ++b;
    while (e > b && s[e - 1].unicode() <= ' ')
        --e;
    return s.mid(b, e - b);
}

String TrimLeft(const String& s) {
    int b = 0;
    while (b < s.size() && s[b].unicode() <= ' ')
        ++b;
    return s.mid(b);
}

String TrimRight(const String& s) {
    int e = s.size();
    while (e > 0 && s[e - 1].unicode() <= ' ')
        --e;
    return s.left(e);
}

String QuotedStr(const String& s) {
    return AnsiQuotedStr(s, '\'');
}

String AnsiQuotedStr(const String& s, QChar quote) {
    String r;
    r.reserve(s.size() + 2);
    r += quote;
    for (QChar c : s) {
        r += c;
        if (c == quote) r += c;
    }
    r += quote;
    return r;
}

String AnsiExtractQuotedStr(const String& s, int& pos, QChar quote) {
    if (pos < 0 || pos >= s.size() || s[pos] != quote) return String();
    String r;
    int i = pos + 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r += quote;
                i += 2;
                continue;
            }
            ++i; // past the closing quote
            pos = i;
            return r;
        }
        r += s[i++];
    }
    pos = i;
    return r;
}

String AnsiDequotedStr(const String& s, QChar quote) {
    int pos = 0;
    String r = AnsiExtractQuotedStr(s, pos, quote);
    // Not quoted, or an unterminated quote: the text stays as it is.
    if ((r.isEmpty() || pos >= s.size()) && !s.isEmpty() &&
        (s.front() != quote || s.back() != quote || s.size() < 2))
        return s;
    return r;
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags) {
    if (oldPattern.isEmpty()) return s;
    const Qt::CaseSensitivity cs = flags.Contains(rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    String r;
    int from = 0;
    for (;;) {
        int i = s.indexOf(oldPattern, from, cs);
        if (i < 0) break;
        r += QStringView(s).mid(from, i - from);
        r += newPattern;
        from = i + oldPattern.size();
        if (!flags.Contains(rfReplaceAll)) break;
    }
    r += QStringView(s).mid(from);
    return r;
}

String UpperCase(const String& s) {
    String r = s;
    for (QChar& c : r)
        if (c >= 'a' && c <= 'z') c = QChar(c.unicode() - 32);
    return r;
}

String LowerCase(const String& s) {
    String r = s;
    for (QChar& c : r)
        if (c >= 'A' && c <= 'Z') c = QChar(c.unicode() + 32);
    return r;
}

// Character by character, like the platform: a text keeps its length ("ß" stays "ß"; the
// full Unicode mapping of QString::toUpper would make it "SS").
template <class Map> String mapCase(const String& s, Map map) {
    String r = s;
    char16_t* p = reinterpret_cast<char16_t*>(r.data());
    const qsizetype n = r.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (QChar::isHighSurrogate(p[i]) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t c = map(QChar::surrogateToUcs4(p[i], p[i + 1]));
            if (QChar::requiresSurrogates(c)) {
                p[i] = QChar::highSurrogate(c);
                p[i + 1] = QChar::lowSurrogate(c);
            }
            ++i;
        } else {
            const char32_t c = map(char32_t(p[i]));
            if (!QChar::requiresSurrogates(c)) p[i] = char16_t(c);
        }
    }
    return r;
}

String AnsiUpperCase(const String& s) {
    return mapCase(s, [](char32_t c) { return QChar::toUpper(c); });
}
String AnsiLowerCase(const String& s) {
    return mapCase(s, [](char32_t c) { return QChar::toLower(c); });
}

int CompareStr(const String& a, const String& b) {
    const int n = std::min(a.size(), b.size());
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i]) return int(a[i].unicode()) - int(b[i].unicode());
    return int(a.size()) - int(b.size());
}

int CompareText(const String& a, const String& b) {
    auto up = [](QChar c) { return c >= 'a' && c <= 'z' ? c.unicode() - 32 : c.unicode(); };
    const int n = std::min(a.size(), b.size());
    for (int i = 0; i < n; ++i) {
        const int d = int(up(a[i])) - int(up(b[i]));
        if (d) return d;
    }
    return int(a.size()) - int(b.size());
}

bool SameText(const String& a, const String& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}
bool SameStr(const String& a, const String& b) {
    return a == b;
}

// ---------------------------------------------------------------------------------------------
// Locale collation. One collator pair per thread for the current collation locale; they are
// rebuilt only when the locale changes.
//
// Texts of printable ASCII only (the common case: field names, codes, most data) are compared
// without the collator, through per-character weights read off the collator itself: a primary
// weight (the case-insensitive order, compared over the whole text first), a case weight that
// breaks primary ties, then code points. The weights are used only for a locale whose collator
// agrees with them on every text of one and two characters and on a sample of longer ones; any
// other locale (contractions, ignorable characters) and any text with another character go to
// the collator.
namespace {

constexpr char16_t kFirstAscii = 0x20, kLastAscii = 0x7E;

struct AsciiWeights {
    uint8_t Primary[128] = {};
    uint8_t Case[128] = {};
};

int sign(int v) {
    return (v > 0) - (v < 0);
}

constexpr int kNotAscii = 2;

// Whether every character is printable ASCII; four characters at a time.
bool isPrintableAscii(const char16_t* p, qsizetype n) {
    constexpr uint64_t kOnes = 0x0001000100010001ull, kHigh = 0xFF80FF80FF80FF80ull;
    constexpr uint64_t kSign = 0x8000800080008000ull;
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        uint64_t x;
        std::memcpy(&x, p + i, sizeof x);
        // A lane of 0x7F or above sets a bit of kHigh (itself or once incremented; lanes below
        // 0x80 do not carry); a lane below 0x20 borrows and sets its sign bit. A lane that
        // carries or borrows into its neighbour is flagged itself, so nothing is missed.
        if ((x & kHigh) | ((x + kOnes) & kHigh) | ((x - 0x20 * kOnes) & kSign)) return false;
    }
    for (; i < n; ++i)
        if (char16_t(p[i] - kFirstAscii) > char16_t(kLastAscii - kFirstAscii)) return false;
    return true;
}

// -1, 0 or 1, or kNotAscii when either text has a character other than printable ASCII (a
// character further on may combine with an earlier one, so both texts are always read whole).
inline int weightCompare(const AsciiWeights& w, QStringView a, QStringView b, bool caseSensitive) {
    const qsizetype na = a.size(), nb = b.size(), n = std::min(na, nb);
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.data());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.data());
    if (!isPrintableAscii(pa, na) || !isPrintableAscii(pb, nb)) return kNotAscii;
    qsizetype i = 0;
    while (i < n && pa[i] == pb[i])
        ++i;
    if (i == n) return na == nb ? 0 : (na < nb ? -1 : 1);
    // From the first different character on, the first different primary weight decides.
    for (qsizetype j = i; j < n; ++j)
        if (w.Primary[pa[j]] != w.Primary[pb[j]]) return w.Primary[pa[j]] < w.Primary[pb[j]] ? -1 : 1;
    if (na != nb) return na < nb ? -1 : 1;
    if (!caseSensitive) return 0;
    for (qsizetype j = i; j < n; ++j)
        if (w.Case[pa[j]] != w.Case[pb[j]]) return w.Case[pa[j]] < w.Case[pb[j]] ? -1 : 1;
    return pa[i] < pb[i] ? -1 : 1; // the first different code point
}

int collatorCompare(const QCollator& c, const String& a, const String& b, bool caseSensitive) {
    int r = sign(c.compare(a, b));
    // Texts the collation cannot tell apart (ignorable characters) still order, so that
    // case-sensitive equality means identical text.
    if (caseSensitive && r == 0 && a != b) r = sign(CompareStr(a, b));
    return r;
}

// Whether the weights order `texts` exactly as the collators do. Sorted by the weights, every
// neighbouring pair must compare alike; the collator's order being transitive, all pairs then do.
bool agreeOnTexts(const AsciiWeights& w, const QCollator& sens, const QCollator& insens,
                  std::vector<String>& texts) {
    std::sort(texts.begin(), texts.end(),
              [&](const String& a, const String& b) { return weightCompare(w, a, b, true) < 0; });
    for (size_t i = 1; i < texts.size(); ++i) {
        const String &a = texts[i - 1], &b = texts[i];
        if (collatorCompare(sens, a, b, true) != weightCompare(w, a, b, true)) return false;
        if (collatorCompare(insens, a, b, false) != weightCompare(w, a, b, false)) return false;
    }
    return true;
}

std::unique_ptr<AsciiWeights> deriveWeights(const QCollator& sens, const QCollator& insens) {
    std::vector<char16_t> chars;
    for (char16_t c = kFirstAscii; c <= kLastAscii; ++c)
        chars.push_back(c);
    auto one = [](char16_t c) { return String(QChar(c)); };
    std::stable_sort(chars.begin(), chars.end(),
                     [&](char16_t a, char16_t b) { return collatorCompare(sens, one(a), one(b), true) < 0; });
    auto w = std::make_unique<AsciiWeights>();
    // The case-sensitive order keeps each case-insensitive group together (checked below, with
    // the texts of one character), so ranks can be handed out along it.
    int primary = 1, rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i > 0) {
            const String prev = one(chars[i - 1]), cur = one(chars[i]);
            if (collatorCompare(insens, prev, cur, false) != 0) {
                ++primary;
                rank = 0;
            } else if (sens.compare(prev, cur) != 0) {
                ++rank;
            }
        }
        w->Primary[chars[i]] = uint8_t(primary);
        w->Case[chars[i]] = uint8_t(rank);
    }

    std::vector<String> texts;
    texts.reserve(95 + 95 * 95 + 2000);
    for (char16_t a = kFirstAscii; a <= kLastAscii; ++a) {
        texts.push_back(one(a));
        for (char16_t b = kFirstAscii; b <= kLastAscii; ++b) {
            const QChar pair[2] = {QChar(a), QChar(b)};
            texts.push_back(String(pair, 2));
        }
    }
    // Longer texts from a fixed generator: letters, digits and separators, mixed case.
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    static const char alphabet[] = "aAbBcChHlLnNsSzZ09 -_.'";
    for (int i = 0; i < 2000; ++i) {
        String t;
        for (uint32_t len = 3 + next(6); len > 0; --len)
            t += QChar(alphabet[next(sizeof alphabet - 1)]);
        texts.push_back(t);
    }
    if (!agreeOnTexts(*w, sens, insens, texts)) return nullptr;
    return w;
}

std::mutex gCollMutex;
String gCollLocale; // empty: the system locale
std::atomic<int> gCollGeneration{1};
// Weights per collation locale, derived once per process; null where they do not hold.
std::map<String, std::shared_ptr<const AsciiWeights>> gWeights;

struct Collators {
    int Generation = 0;
    std::unique_ptr<QCollator> Sensitive, Insensitive;
    std::shared_ptr<const AsciiWeights> Weights;
};

// The weights of this thread's collators, kept apart from them so that the common case reads
// two plain thread-locals; valid while tWeightsGeneration is current.
thread_local const AsciiWeights* tWeights = nullptr;
thread_local int tWeightsGeneration = 0;

const Collators& collators() {
    thread_local Collators c;
    const int gen = gCollGeneration.load();
    if (c.Generation != gen) {
        std::lock_guard<std::mutex> g(gCollMutex);
        QLocale loc = gCollLocale.isEmpty() ? QLocale::system() : QLocale(gCollLocale);
        // The C locale would compare code points, and ICU's Russian order puts Cyrillic before
        // Latin; the platform sorts Latin first and keeps Ё beside Е: the root order does both.
        if (loc.language() == QLocale::C || loc.language() == QLocale::Russian)
            loc = QLocale(QLocale::English, QLocale::UnitedStates);
        c.Sensitive = std::make_unique<QCollator>(loc);
        c.Sensitive->setCaseSensitivity(Qt::CaseSensitive);
        c.Insensitive = std::make_unique<QCollator>(loc);
        c.Insensitive->setCaseSensitivity(Qt::CaseInsensitive);
        const String key = loc.name();
        auto it = gWeights.find(key);
        if (it == gWeights.end())
            it = gWeights.emplace(key, deriveWeights(*c.Sensitive, *c.Insensitive)).first;
        c.Weights = it->second;
        c.Generation = gen;
        tWeights = c.Weights.get();
        tWeightsGeneration = gen;
    }
    return c;
}

const AsciiWeights* asciiWeights() {
    if (tWeightsGeneration != gCollGeneration.load(std::memory_order_relaxed)) collators();
    return tWeights;
}

} // namespace

void SetCollationLocale(const String& localeName) {
    {
        std::lock_guard<std::mutex> g(gCollMutex);
        gCollLocale = localeName;
    }
    ++gCollGeneration;
}

bool CollationFastPathActive() {
    return asciiWeights() != nullptr;
}

// The primary weights of the first eight characters, one byte each, then zeros: primary
// weights start at 1, so a shorter text sorts first, as weightCompare has it.
bool CollationKeyPrefix(QStringView s, uint64_t& key) {
    const AsciiWeights* w = asciiWeights();
    const char16_t* p = reinterpret_cast<const char16_t*>(s.data());
    if (!w || !isPrintableAscii(p, s.size())) return false;
    const qsizetype n = std::min<qsizetype>(s.size(), 8);
    uint64_t k = 0;
    for (qsizetype i = 0; i < 8; ++i)
        k = (k << 8) | (i < n ? w->Primary[p[i]] : 0u);
    key = k;
    return true;
}

bool CollationKeyPrefix(const char* p, qsizetype n, uint64_t& key) {
    const AsciiWeights* w = asciiWeights();
    if (!w) return false;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        if (c < kFirstAscii || c > kLastAscii) return false;
    }
    uint64_t k = 0;
    for (qsizetype i = 0; i < 8; ++i)
        k = (k << 8) | (i < n ? w->Primary[uint8_t(p[i])] : 0u);
    key = k;
    return true;
}

int AnsiCompareStr(const String& a, const String& b) {
    if (const AsciiWeights* w = asciiWeights()) {
        const int r = weightCompare(*w, a, b, true);
        if (r != kNotAscii) return r;
    }
    return collatorCompare(*collators().Sensitive, a, b, true);
}

int AnsiCompareText(const String& a, const String& b) {
    if (const AsciiWeights* w = asciiWeights()) {
        const int r = weightCompare(*w, a, b, false);
        if (r != kNotAscii) return r;
    }
    return collatorCompare(*collators().Insensitive, a, b, false);
}

bool AnsiSameText(const String& a, const String& b) {
    return AnsiCompareText(a, b) == 0;
}
bool AnsiSameStr(const String& a, const String& b) {
    return a == b;
}

int WideCompareStr(const String& a, const String& b) {
    return AnsiCompareStr(a, b);
}
int WideCompareText(const String& a, const String& b) {
    return AnsiCompareText(a, b);
}

// ---------------------------------------------------------------------------------------------
int AnsiPos(const String& sub, const String& s) {
    return Pos(sub, s, 1);
}

int Pos(const String& sub, const String& s, int offset) {
    if (sub.isEmpty() || offset < 1 || offset > s.size()) return 0;
    return int(s.indexOf(sub, offset - 1)) + 1;
}

String Copy(const String& s, int index1, int count) {
    if (index1 < 1) index1 = 1;
    if (count <= 0 || index1 > s.size()) return String();
    return s.mid(index1 - 1, std::min<qsizetype>(count, s.size() - (index1 - 1)));
}

String StringOfChar(QChar c, int count) {
    return count > 0 ? String(count, c) : String();
}

String IncludeTrailingPathDelimiter(const String& s) {
    return s.endsWith('/') ? s : s + '/';
}

String ExcludeTrailingPathDelimiter(const String& s) {
    String r = s;
    if (r.endsWith('/')) r.chop(1);
    return r;
}

String ExtractFilePath(const String& s) {
    return s.left(s.lastIndexOf('/') + 1);
}

String ExtractFileName(const String& s) {
    return s.mid(s.lastIndexOf('/') + 1);
}

String ExtractFileExt(const String& s) {
    const int dot = s.lastIndexOf('.');
    if (dot < 0 || dot < s.lastIndexOf('/')) return String();
    return s.mid(dot);
}

String ChangeFileExt(const String& s, const String& ext) {
    const int dot = s.lastIndexOf('.');
    if (dot < 0 || dot < s.lastIndexOf('/')) return s + ext;
    return s.left(dot) + ext;
}

bool FileExists(const String& path) {
    QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

bool DirectoryExists(const String& path) {
    return QFileInfo(path).isDir();
}

bool DeleteFile(const String& path) {
    return !DirectoryExists(path) && QFile::remove(path);
}

bool RenameFile(const String& oldName, const String& newName) {
    // Like the platform: refuses to replace an existing file.
    if (QFileInfo::exists(newName)) return false;
    return QDir().rename(oldName, newName);
}

// ---------------------------------------------------------------------------------------------
String WrapText(const String& line, int maxCol) {
    return WrapText(line, QStringLiteral("\r\n"), QStringLiteral(" -\t"), maxCol);
}

String WrapText(const String& line, const String& breakStr, const String& breakChars, int maxCol) {
    // Breaks after the last break character that keeps the line within maxCol; quoted text
    // is never broken; line breaks already in the text start a new line.
    String result;
    const int n = line.size();
    int lineStart = 0, breakPos = -1, col = 1; // counted as the platform does
    QChar quote;
    int i = 0;
    while (i < n) {
        const QChar c = line[i];
        if (quote.isNull() && !breakStr.isEmpty() && QStringView(line).mid(i).startsWith(breakStr)) {
            i += breakStr.size();
            result += QStringView(line).mid(lineStart, i - lineStart);
            lineStart = i;
            breakPos = -1;
            col = 1;
            continue;
        }
        if (c == '\'' || c == '"') {
            if (quote.isNull())
                quote = c;
            else if (quote == c)
                quote = QChar();
        } else if (quote.isNull() && breakChars.contains(c)) {
            breakPos = i;
        }
        ++i;
        ++col;
        if (quote.isNull() && col > maxCol && breakPos >= lineStart) {
            result += QStringView(line).mid(lineStart, breakPos - lineStart + 1);
            int next = breakPos + 1;
            while (next < n && (line[next] == ' ' || line[next] == '\t'))
                ++next;
            if (next < n) result += breakStr;
            lineStart = next;
            i = next;
            breakPos = -1;
            col = 1;
        }
    }
    result += QStringView(line).mid(lineStart);
    return result;
}

bool IsValidIdent(const String& ident, bool allowDots) {
    auto alpha = [](QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto alnum = [&](QChar c) { return alpha(c) || (c >= '0' && c <= '9'); };
    if (ident.isEmpty() || !alpha(ident[0])) return false;
    for (int i = 1; i < ident.size(); ++i) {
        const QChar c = ident[i];
        if (allowDots && c == '.') {
            if (i + 1 >= ident.size() || !alpha(ident[i + 1])) return false;
            continue;
        }
        if (!alnum(c)) return false;
    }
    return true;
}
