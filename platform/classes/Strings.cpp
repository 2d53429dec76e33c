// TStrings and TStringList.

#include "platform/classes/Classes.h"
#include "platform/classes/MergeSort.h"
#include "platform/rtl/SysUtils.h"

#include <memory>
#include <numeric>

namespace {
const String kSortedListError = QStringLiteral("Operation not allowed on sorted list");
const String kDuplicateString = QStringLiteral("String list does not allow duplicates");
const String kListIndexError = QStringLiteral("List index out of bounds (%d)");

bool IsBlankOrControl(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= ' ';
}

String QuoteWith(const String& s, QChar quote) {
    String r;
    r.reserve(s.size() + 2);
    r += quote;
    for (QChar c : s) {
        if (c == quote) r += quote;
        r += c;
    }
    r += quote;
    return r;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TStrings

void TStrings::Error(const String& Msg, int Data) {
    throw EStringListError(String(Msg).replace(QLatin1String("%d"), QString::number(Data)));
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::Put(int Index, const String& S) {
    TObject* temp = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, temp);
}

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const String& S) {
    const int result = GetCount();
    Insert(result, S);
    return result;
}

int TStrings::AddObject(const String& S, TObject* AObject) {
    const int result = Add(S);
    PutObject(result, AObject);
    return result;
}

int TStrings::AddPair(const String& Name, const String& Value) {
    return Add(Name + FNameValueSeparator + Value);
}

void TStrings::AddStrings(TStrings* Strings) {
    if (!Strings) return;
    BeginUpdate();
    try {
        for (int i = 0; i < Strings->Count(); ++i)
            AddObject(Strings->Get(i), Strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Exchange(int Index1, int Index2) {
    BeginUpdate();
    try {
        TObject* tempObject = GetObject(Index1);
        const String tempString = Get(Index1);
        Put(Index1, Get(Index2));
        PutObject(Index1, GetObject(Index2));
        Put(Index2, tempString);
        PutObject(Index2, tempObject);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    BeginUpdate();
    try {
        const String tempString = Get(CurIndex);
        TObject* tempObject = GetObject(CurIndex);
        PutObject(CurIndex, nullptr); // an owning list must not free it on Delete
        Delete(CurIndex);
        InsertObject(NewIndex, tempString, tempObject);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const String& Name) const {
    for (int i = 0; i < GetCount(); ++i) {
        const String s = Get(i);
        const int p = int(s.indexOf(FNameValueSeparator));
        if (p >= 0 && CompareStrings(s.left(p), Name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

bool TStrings::Equals(TStrings* Strings) const {
    if (!Strings || Strings->GetCount() != GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != Strings->Get(i)) return false;
    return true;
}

String TStrings::Names(int Index) const {
    const String s = Get(Index);
    const int p = int(s.indexOf(FNameValueSeparator));
    return p >= 0 ? s.left(p) : String();
}

String TStrings::Values(const String& Name) const {
    const int i = IndexOfName(Name);
    return i >= 0 ? ValueFromIndex(i) : String();
}

void TStrings::SetValues(const String& Name, const String& Value) {
    int i = IndexOfName(Name);
    if (!Value.isEmpty()) {
        if (i < 0) i = Add(String());
        Put(i, Name + FNameValueSeparator + Value);
    } else if (i >= 0) {
        Delete(i);
    }
}

String TStrings::ValueFromIndex(int Index) const {
    if (Index < 0) return String();
    const String s = Get(Index);
    const int p = int(s.indexOf(FNameValueSeparator));
    return p >= 0 ? s.mid(p + 1) : String();
}

void TStrings::SetValueFromIndex(int Index, const String& Value) {
    if (!Value.isEmpty()) {
        if (Index < 0) Index = Add(String());
        Put(Index, Names(Index) + FNameValueSeparator + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

String TStrings::GetText() const {
    String result;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        result += Get(i);
        if (FTrailingLineBreak || i < count - 1) result += FLineBreak;
    }
    return result;
}

void TStrings::SetText(const String& Value) {
    BeginUpdate();
    try {
        Clear();
        const qsizetype n = Value.size();
        qsizetype p = 0;
        if (FLineBreak == QLatin1String("\r\n") || FLineBreak.isEmpty()) {
            // CR, LF and CR LF each end a line.
            while (p < n) {
                const qsizetype start = p;
                while (p < n && Value[p] != '\r' && Value[p] != '\n')
                    ++p;
                Add(Value.mid(start, p - start));
                if (p < n && Value[p] == '\r') ++p;
                if (p < n && Value[p] == '\n') ++p;
            }
        } else {
            while (p < n) {
                qsizetype q = Value.indexOf(FLineBreak, p);
                if (q < 0) q = n;
                Add(Value.mid(p, q - p));
                p = q < n ? q + FLineBreak.size() : n;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::DelimitedText() const {
    const int count = GetCount();
    if (count == 1 && Get(0).isEmpty()) return String(2, FQuoteChar);
    String result;
    for (int i = 0; i < count; ++i) {
        String s = Get(i);
        // Quoted when a NUL-free prefix reaches a quote, the delimiter or (not strict) a blank.
        for (QChar c : s) {
            if (c.unicode() == 0) break;
            if (c == FQuoteChar || c == FDelimiter || (!FStrictDelimiter && IsBlankOrControl(c))) {
                s = QuoteWith(s, FQuoteChar);
                break;
            }
        }
        if (i > 0) result += FDelimiter;
        result += s;
    }
    return result;
}

void TStrings::SetDelimitedText(const String& Value) {
    // The text ends at a NUL, as the platform reads it.
    const qsizetype nul = Value.indexOf(QChar(0));
    const String v = nul >= 0 ? Value.left(nul) : Value;
    const qsizetype n = v.size();
    auto ch = [&](qsizetype i) { return i < n ? v[i] : QChar(0); };

    BeginUpdate();
    try {
        Clear();
        qsizetype p = 0;
        if (!FStrictDelimiter)
            while (IsBlankOrControl(ch(p)))
                ++p;
        while (p < n) {
            String s;
            if (ch(p) == FQuoteChar) {
                // Quoted item: doubled quotes stand for one; an unclosed quote runs to the end.
                ++p;
                while (p < n) {
                    const qsizetype q = v.indexOf(FQuoteChar, p);
                    if (q < 0) {
                        s += v.mid(p);
                        p = n;
                        break;
                    }
                    s += v.mid(p, q - p);
                    p = q + 1;
                    if (ch(p) == FQuoteChar) {
                        s += FQuoteChar;
                        ++p;
                    } else {
                        break;
                    }
                }
            } else {
                const qsizetype start = p;
                while (p < n && (FStrictDelimiter || ch(p).unicode() > ' ') && ch(p) != FDelimiter)
                    ++p;
                s = v.mid(start, p - start);
            }
            Add(s);
            if (!FStrictDelimiter)
                while (IsBlankOrControl(ch(p)))
                    ++p;
            if (p < n && ch(p) == FDelimiter) {
                if (p + 1 >= n) Add(String()); // a trailing delimiter ends with an empty item
                do {
                    ++p;
                } while (!FStrictDelimiter && IsBlankOrControl(ch(p)));
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::CommaText() const {
    // Always ',' and '"', not strict; the list's own settings are left alone.
    struct Restore {
        TStrings* s;
        QChar d, q;
        bool strict;
        ~Restore() {
            s->FDelimiter = d;
            s->FQuoteChar = q;
            s->FStrictDelimiter = strict;
        }
    };
    auto* self = const_cast<TStrings*>(this);
    Restore restore{self, FDelimiter, FQuoteChar, FStrictDelimiter};
    self->FDelimiter = ',';
    self->FQuoteChar = '"';
    self->FStrictDelimiter = false;
    return DelimitedText();
}

void TStrings::SetCommaText(const String& Value) {
    const QChar d = FDelimiter, q = FQuoteChar;
    const bool strict = FStrictDelimiter;
    FDelimiter = ',';
    FQuoteChar = '"';
    FStrictDelimiter = false;
    try {
        SetDelimitedText(Value);
    } catch (...) {
        FDelimiter = d;
        FQuoteChar = q;
        FStrictDelimiter = strict;
        throw;
    }
    FDelimiter = d;
    FQuoteChar = q;
    FStrictDelimiter = strict;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount <= 0) return;
    --FUpdateCount;
    if (FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::SetDefaultEncoding(const TEncoding* Value) {
    FDefaultEncoding = Value;
}

void TStrings::LoadFromFile(const String& FileName, const TEncoding* Encoding) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream, Encoding);
}

void TStrings::LoadFromStream(TStream* Stream, const TEncoding* Encoding) {
    BeginUpdate();
    try {
        const Int64 size = Stream->Size() - Stream->Position();
        QByteArray bytes;
        if (size > 0) {
            bytes.resize(qsizetype(size));
            Stream->ReadBuffer(bytes.data(), Integer(size));
        }
        String text;
        if (!Encoding) {
            text = DecodeText(bytes);
        } else {
            const QByteArray preamble = Encoding->GetPreamble();
            if (!preamble.isEmpty() && bytes.startsWith(preamble)) bytes.remove(0, preamble.size());
            text = Encoding->GetString(bytes);
        }
        SetText(text);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SaveToFile(const String& FileName, const TEncoding* Encoding) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream, Encoding);
}

void TStrings::SaveToStream(TStream* Stream, const TEncoding* Encoding) {
    const TEncoding* enc = Encoding ? Encoding : (FDefaultEncoding ? FDefaultEncoding : TEncoding::Default());
    QByteArray bytes = FWriteBOM ? enc->GetPreamble() : QByteArray();
    bytes += enc->GetBytes(GetText());
    if (!bytes.isEmpty()) Stream->WriteBuffer(bytes.constData(), Integer(bytes.size()));
}

void TStrings::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            FDefaultEncoding = src->FDefaultEncoding;
            FNameValueSeparator = src->FNameValueSeparator;
            FQuoteChar = src->FQuoteChar;
            FDelimiter = src->FDelimiter;
            FLineBreak = src->FLineBreak;
            FStrictDelimiter = src->FStrictDelimiter;
            FTrailingLineBreak = src->FTrailingLineBreak;
            FWriteBOM = src->FWriteBOM;
            AddStrings(src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

int TStrings::CompareStrings(const String& S1, const String& S2) const {
    return AnsiCompareText(S1, S2);
}

std::vector<String> TStrings::ToStringArray() const {
    std::vector<String> result;
    result.reserve(size_t(GetCount()));
    for (int i = 0; i < GetCount(); ++i)
        result.push_back(Get(i));
    return result;
}

// ---------------------------------------------------------------------------------------------
// TStringList

TStringList::TStringList(TDuplicates Duplicates, bool Sorted, bool CaseSensitive)
    : FSorted(Sorted), FDuplicates(Duplicates), FCaseSensitive(CaseSensitive) {}

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects) {
        std::vector<TStringItem> items;
        items.swap(FList);
        for (auto& item : items)
            if (item.FObject) {
                try {
                    item.FObject->Free();
                } catch (...) {
                }
            }
    }
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= int(FList.size())) Error(kListIndexError, Index);
}

String TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FList[size_t(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return FList[size_t(Index)].FObject;
}

void TStringList::Put(int Index, const String& S) {
    if (FSorted) Error(kSortedListError, 0);
    CheckIndex(Index);
    Changing();
    FList[size_t(Index)].FString = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[size_t(Index)].FObject = AObject;
    Changed();
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < int(FList.size()))
        Error(QStringLiteral("List capacity out of bounds (%d)"), NewCapacity);
    FList.reserve(size_t(NewCapacity));
}

int TStringList::Add(const String& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const String& S, TObject* AObject) {
    int result;
    if (!FSorted) {
        result = int(FList.size());
    } else if (Find(S, result)) {
        switch (FDuplicates) {
        case dupIgnore:
            return result;
        case dupError:
            Error(kDuplicateString, 0);
        case dupAccept:
            break;
        }
    }
    InsertItem(result, S, AObject);
    return result;
}

void TStringList::Insert(int Index, const String& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
    if (FSorted) Error(kSortedListError, 0);
    if (Index < 0 || Index > int(FList.size())) Error(kListIndexError, Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
    Changing();
    FList.insert(FList.begin() + Index, TStringItem{S, AObject});
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    TObject* obj = FOwnsObjects ? FList[size_t(Index)].FObject : nullptr;
    FList.erase(FList.begin() + Index);
    if (obj) obj->Free();
    Changed();
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    std::vector<TStringItem> items;
    items.swap(FList);
    if (FOwnsObjects)
        for (auto& item : items)
            if (item.FObject) item.FObject->Free();
    Changed();
}

void TStringList::ExchangeItems(int Index1, int Index2) {
    std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    ExchangeItems(Index1, Index2);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    // Checked before anything changes, so that a refused move loses no line.
    if (FSorted) Error(kSortedListError, 0);
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    TStrings::Move(CurIndex, NewIndex);
}

int TStringList::IndexOf(const String& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int result;
    return Find(S, result) ? result : -1;
}

bool TStringList::Find(const String& S, int& Index) const {
    bool result = false;
    int l = 0, h = int(FList.size()) - 1;
    while (l <= h) {
        const int i = (l + h) >> 1;
        const int c = CompareStrings(FList[size_t(i)].FString, S);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                result = true;
                if (FDuplicates != dupAccept) l = i;
            }
        }
    }
    Index = l;
    return result;
}

void TStringList::Sort() {
    CustomSort([](TStringList* List, int Index1, int Index2) {
        return List->CompareStrings(List->FList[size_t(Index1)].FString, List->FList[size_t(Index2)].FString);
    });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
    if (FSorted || FList.size() < 2 || !Compare) return;
    Changing();
    // The comparison sees the list unchanged (indexes of the current order) while the order is
    // computed; the result is applied in one step.
    std::vector<int> order(FList.size());
    std::iota(order.begin(), order.end(), 0);
    MergeSortVector(order, [&](int a, int b) { return Compare(this, a, b) < 0; });
    std::vector<TStringItem> sorted;
    sorted.reserve(FList.size());
    for (int i : order)
        sorted.push_back(FList[size_t(i)]);
    FList.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (FCaseSensitive == Value) return;
    FCaseSensitive = Value;
    if (FSorted) {
        FSorted = false;
        SetSorted(true);
    }
}

int TStringList::CompareStrings(const String& S1, const String& S2) const {
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TStringList*>(Source);
    if (!src || src == this) {
        TStrings::Assign(Source);
        return;
    }
    // Take the source's ordering rules first, so that its lines go in unchanged.
    BeginUpdate();
    try {
        Clear();
        FCaseSensitive = src->FCaseSensitive;
        FDuplicates = src->FDuplicates;
        FSorted = src->FSorted;
        TStrings::Assign(Source);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}
