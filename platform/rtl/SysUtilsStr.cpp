// String helpers, case mapping, ordinal and locale collation, file-name helpers.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <atomic>
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

String AnsiUpperCase(const String& s) {
    return s.toUpper();
}
String AnsiLowerCase(const String& s) {
    return s.toLower();
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
namespace {

std::mutex gCollMutex;
String gCollLocale; // empty: the system locale
std::atomic<int> gCollGeneration{1};

struct Collators {
    int Generation = 0;
    std::unique_ptr<QCollator> Sensitive, Insensitive;
};

const Collators& collators() {
    thread_local Collators c;
    const int gen = gCollGeneration.load();
    if (c.Generation != gen) {
        String name;
        {
            std::lock_guard<std::mutex> g(gCollMutex);
            name = gCollLocale;
        }
        QLocale loc = name.isEmpty() ? QLocale::system() : QLocale(name);
        // The C locale would compare code points, and ICU's Russian order puts Cyrillic before
        // Latin; the platform sorts Latin first and keeps Ё beside Е: the root order does both.
        if (loc.language() == QLocale::C || loc.language() == QLocale::Russian)
            loc = QLocale(QLocale::English, QLocale::UnitedStates);
        c.Sensitive = std::make_unique<QCollator>(loc);
        c.Sensitive->setCaseSensitivity(Qt::CaseSensitive);
        c.Insensitive = std::make_unique<QCollator>(loc);
        c.Insensitive->setCaseSensitivity(Qt::CaseInsensitive);
        c.Generation = gen;
    }
    return c;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

void SetCollationLocale(const String& localeName) {
    {
        std::lock_guard<std::mutex> g(gCollMutex);
        gCollLocale = localeName;
    }
    ++gCollGeneration;
}

int AnsiCompareStr(const String& a, const String& b) {
    int r = sign(collators().Sensitive->compare(a, b));
    // Texts the collation cannot tell apart (ignorable characters) still order, so that
    // equality means identical text.
    if (r == 0 && a != b) r = sign(CompareStr(a, b));
    return r;
}

int AnsiCompareText(const String& a, const String& b) {
    return sign(collators().Insensitive->compare(a, b));
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
