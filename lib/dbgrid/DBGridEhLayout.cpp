// Saving and restoring the grid's column layout and row height in the registry stand-in or an
// ini file, and the column interceptors of the property store.
//
// A column's value is nine integers "index,width,marker,visible,sortindex,dropdownrows,
// dropdownwidth,inrowlinepos,inrowlineheight" under "<grid name>.<field name>"; the grid's value
// "rowheight,rowlines" is the section's default value. Reading takes what it can: a missing,
// non-numeric or out-of-range word leaves that property as it is.

#include "lib/dbgrid/DBGridEhLayout.h"

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

const String kDefaultIdent = QStringLiteral("(Default)");

// The two stores behind one set of calls.
struct TLayoutStore {
    TRegIniFile* Reg = nullptr;
    TCustomIniFile* Ini = nullptr;

    explicit TLayoutStore(TObject* Storage)
        : Reg(dynamic_cast<TRegIniFile*>(Storage)), Ini(dynamic_cast<TCustomIniFile*>(Storage)) {}
    String Read(const String& Section, const String& Ident) {
        return Reg ? Reg->ReadString(Section, Ident, String()) : Ini->ReadString(Section, Ident, String());
    }
    void Write(const String& Section, const String& Ident, String Value) {
        if (Reg) return Reg->WriteString(Section, Ident, Value);
        // The ini reader strips one pair of enclosing quotes: give such values another pair.
        if (Value.size() >= 2 && ((Value.startsWith('"') && Value.endsWith('"')) ||
                                  (Value.startsWith('\'') && Value.endsWith('\''))))
            Value = QLatin1Char('"') + Value + QLatin1Char('"');
        Ini->WriteString(Section, Ident, Value);
    }
    void Erase(const String& Section) {
        if (Reg)
            Reg->EraseSection(Section);
        else
            Ini->EraseSection(Section);
    }
    String DefaultIdent() const { return Reg ? String() : kDefaultIdent; }
};

// The words of a stored value; a word that is not an integer is empty.
std::vector<std::optional<int>> Words(const String& Value) {
    std::vector<std::optional<int>> out;
    static const QRegularExpression sep(QStringLiteral("[ ,]"));
    for (const String& w : Value.split(sep, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = w.toInt(&ok);
        out.push_back(ok ? std::optional<int>(v) : std::nullopt);
    }
    return out;
}

std::optional<int> WordAt(const std::vector<std::optional<int>>& W, size_t N) {
    return N < W.size() ? W[N] : std::nullopt;
}

String ColumnIdent(TCustomDBGridEh* Grid, TColumnEh* Column) {
    return Grid->Name() + QLatin1Char('.') + Column->FieldName();
}

struct TColumnInfo {
    TColumnEh* Column = nullptr;
    int Index = 0;
    int SortIndex = 0;
    bool Stored = false;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Workers

void TCustomDBGridEh::WriteColumnsLayout(TObject* Storage, const String& Section, bool DeleteSection) {
    TLayoutStore store(Storage);
    if (store.Reg || DeleteSection) store.Erase(Section);
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        const String value = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9")
                                 .arg(c->Index())
                                 .arg(c->Width())
                                 .arg(int(c->Title()->SortMarker()))
                                 .arg(c->Visible() ? 1 : 0)
                                 .arg(c->Title()->SortIndex())
                                 .arg(c->DropDownRows())
                                 .arg(c->DropDownWidth())
                                 .arg(c->InRowLinePos())
                                 .arg(c->InRowLineHeight());
        store.Write(Section, ColumnIdent(this, c), value);
    }
}

void TCustomDBGridEh::ReadColumnsLayout(TObject* Storage, const String& Section,
                                        TDBGridEhRestoreParams Parts) {
    TLayoutStore store(Storage);
    TDBGridColumnsEh* cols = Columns();
    const bool autoFit = AutoFitColWidths();
    BeginLayout();
    if (autoFit) SetAutoFitColWidths(false);
    // The layout lock and auto-fit come back however reading ends.
    struct Finish {
        TCustomDBGridEh* g;
        bool autoFit;
        ~Finish() {
            try {
                if (autoFit)
                    g->SetAutoFitColWidths(true);
                else
                    g->LayoutChanged();
            } catch (...) {
            }
            g->EndLayout();
        }
    } finish{this, autoFit};

    std::vector<TColumnInfo> infos;
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        TColumnInfo info{c, c->Index(), 0, false};
        const String value = store.Read(Section, ColumnIdent(this, c));
        const auto w = Words(value);
        if (!value.trimmed().isEmpty()) {
            info.Stored = true;
            if (auto v = WordAt(w, 0); v && *v >= 0) info.Index = *v;
            if (Parts.Contains(grpColWidthsEh))
                if (auto v = WordAt(w, 1); v && *v >= 0) c->SetWidth(*v);
            if (Parts.Contains(grpSortMarkerEh)) {
                // Another number than the three markers is taken as no marker.
                if (auto v = WordAt(w, 2)) {
                    cols->BeginUpdate();
                    c->Title()->SetSortMarker(*v == 1 ? smDownEh : *v == 2 ? smUpEh : smNoneEh);
                    cols->EndUpdate();
                }
                if (auto v = WordAt(w, 4); v && *v > 0) info.SortIndex = *v;
            }
            if (Parts.Contains(grpColVisibleEh))
                if (auto v = WordAt(w, 3); v && (*v == 0 || *v == 1)) c->SetVisible(*v == 1);
            if (Parts.Contains(grpDropDownRowsEh))
                if (auto v = WordAt(w, 5); v && *v >= 0) c->SetDropDownRows(uint32_t(*v));
            if (Parts.Contains(grpDropDownWidthEh))
                if (auto v = WordAt(w, 6); v && *v >= 0) c->SetDropDownWidth(*v);
            if (Parts.Contains(grpRowPanelColPlacementEh)) {
                if (auto v = WordAt(w, 7); v && *v >= 0) c->SetInRowLinePos(*v);
                if (auto v = WordAt(w, 8); v && *v >= 1) c->SetInRowLineHeight(*v);
            }
        }
        infos.push_back(info);
    }

    if (Parts.Contains(grpSortMarkerEh)) {
        // Sort places are renumbered 1..n in stored order, so a damaged store cannot leave gaps.
        std::vector<TColumnInfo*> marked;
        for (TColumnInfo& i : infos)
            if (i.Column->Title()->SortMarker() != smNoneEh) marked.push_back(&i);
        std::stable_sort(marked.begin(), marked.end(), [](TColumnInfo* a, TColumnInfo* b) {
            const int ka = a->SortIndex > 0 ? a->SortIndex : INT_MAX,
                      kb = b->SortIndex > 0 ? b->SortIndex : INT_MAX;
            return ka < kb;
        });
        cols->BeginUpdate();
        for (TColumnInfo& i : infos)
            i.Column->Title()->SetSortIndex(0);
        int place = 0;
        for (TColumnInfo* i : marked)
            i->Column->Title()->SetSortIndex(++place);
        cols->EndUpdate();
        SetSortMarkedColumns();
    }

    if (Parts.Contains(grpColIndexEh)) {
        cols->BeginUpdate();
        struct End {
            TDBGridColumnsEh* c;
            ~End() { c->EndUpdate(); }
        } end{cols};
        const int n = int(infos.size());
        for (int pos = 0; pos < n; ++pos)
            for (TColumnInfo& i : infos)
                if (i.Index == pos) {
                    i.Column->SetIndex(pos);
                    break;
                }
    }
}

void TCustomDBGridEh::WriteGridLayout(TObject* Storage, const String& Section, bool DeleteSection) {
    WriteColumnsLayout(Storage, Section, DeleteSection);
    TLayoutStore store(Storage);
    store.Write(Section, store.DefaultIdent(), QStringLiteral("%1,%2").arg(RowHeight()).arg(RowLines()));
}

void TCustomDBGridEh::ReadGridLayout(TObject* Storage, const String& Section, TDBGridEhRestoreParams Parts) {
    ReadColumnsLayout(Storage, Section, Parts);
    if (!Parts.Contains(grpRowHeightEh)) return;
    TLayoutStore store(Storage);
    const auto w = Words(store.Read(Section, store.DefaultIdent()));
    const auto h = WordAt(w, 0), l = WordAt(w, 1);
    SetRowHeight(h && *h >= 0 ? *h : 0);
    SetRowLines(l && *l >= 0 ? *l : 0);
}

// ---------------------------------------------------------------------------------------------
// Public forms

void TCustomDBGridEh::SaveColumnsLayout(TRegIniFile* ARegIni) {
    WriteColumnsLayout(ARegIni, LayoutSectionName(this), true);
}
void TCustomDBGridEh::SaveColumnsLayout(TCustomIniFile* ACustIni, const String& Section) {
    WriteColumnsLayout(ACustIni, Section, false);
}
void TCustomDBGridEh::SaveColumnsLayoutIni(const String& IniFileName, const String& Section,
                                           bool DeleteSection) {
    TIniFile ini(IniFileName);
    WriteColumnsLayout(&ini, Section, DeleteSection);
}
void TCustomDBGridEh::RestoreColumnsLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams) {
    ReadColumnsLayout(ARegIni, LayoutSectionName(this), RestoreParams);
}
void TCustomDBGridEh::RestoreColumnsLayout(TCustomIniFile* ACustIni, const String& Section,
                                           TDBGridEhRestoreParams RestoreParams) {
    ReadColumnsLayout(ACustIni, Section, RestoreParams);
}
void TCustomDBGridEh::RestoreColumnsLayoutIni(const String& IniFileName, const String& Section,
                                              TDBGridEhRestoreParams RestoreParams) {
    TIniFile ini(IniFileName);
    ReadColumnsLayout(&ini, Section, RestoreParams);
}
void TCustomDBGridEh::SaveGridLayout(TRegIniFile* ARegIni) {
    WriteGridLayout(ARegIni, LayoutSectionName(this), true);
}
void TCustomDBGridEh::SaveGridLayout(TCustomIniFile* ACustIni, const String& Section) {
    WriteGridLayout(ACustIni, Section, false);
}
void TCustomDBGridEh::SaveGridLayoutIni(const String& IniFileName, const String& Section,
                                        bool DeleteSection) {
    TIniFile ini(IniFileName);
    WriteGridLayout(&ini, Section, DeleteSection);
}
void TCustomDBGridEh::RestoreGridLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams) {
    ReadGridLayout(ARegIni, LayoutSectionName(this), RestoreParams);
}
void TCustomDBGridEh::RestoreGridLayout(TCustomIniFile* ACustIni, const String& Section,
                                        TDBGridEhRestoreParams RestoreParams) {
    ReadGridLayout(ACustIni, Section, RestoreParams);
}
void TCustomDBGridEh::RestoreGridLayoutIni(const String& IniFileName, const String& Section,
                                           TDBGridEhRestoreParams RestoreParams) {
    TIniFile ini(IniFileName);
    ReadGridLayout(&ini, Section, RestoreParams);
}

// ---------------------------------------------------------------------------------------------
// Interceptors

int TColumnEhPropertyInterceptor::Width() const {
    auto* c = dynamic_cast<TColumnEh*>(Target());
    return c ? c->Width() : 0;
}

void TColumnEhPropertyInterceptor::SetWidth(int Value) {
    auto* c = dynamic_cast<TColumnEh*>(Target());
    if (!c) return;
    if (c->Grid() && c->Grid()->AutoFitColWidths())
        c->SetInitWidth(Value);
    else
        c->SetWidth(Value);
}

String TColumnsEhPropertyInterceptor::ColumnsIndex() const {
    auto* cols = dynamic_cast<TDBGridColumnsEh*>(Target());
    if (!cols) return String();
    QStringList names;
    for (int i = 0; i < cols->Count(); ++i)
        names << QLatin1Char('"') + cols->Columns(i)->FieldName() + QLatin1Char('"');
    return names.join(QLatin1Char(','));
}

void TColumnsEhPropertyInterceptor::SetColumnsIndex(const String& Value) {
    FColumnsIndex = Value;
    auto* cols = dynamic_cast<TDBGridColumnsEh*>(Target());
    if (!cols) return;
    TStringList names;
    names.SetCommaText(Value);
    cols->BeginUpdate();
    struct End {
        TDBGridColumnsEh* c;
        ~End() { c->EndUpdate(); }
    } end{cols};
    for (int i = 0; i < names.Count() && i < cols->Count(); ++i) {
        for (int k = 0; k < cols->Count(); ++k)
            if (cols->Columns(k)->FieldName() == names.Strings(i)) {
                cols->Columns(k)->SetIndex(i);
                break;
            }
    }
}

KVT_PUBLISHED(TColumnEhPropertyInterceptor) {
    P.Prop("Width", &TColumnEhPropertyInterceptor::Width, &TColumnEhPropertyInterceptor::SetWidth);
}

KVT_PUBLISHED(TColumnsEhPropertyInterceptor) {
    P.Prop("ColumnsIndex", &TColumnsEhPropertyInterceptor::ColumnsIndex,
           &TColumnsEhPropertyInterceptor::SetColumnsIndex);
}

namespace {
const bool gInterceptorsRegistered = [] {
    RegisterPropertyInterceptor(&TColumnEh::StaticClassInfo(),
                                InterceptorClassOf<TColumnEhPropertyInterceptor>());
    RegisterPropertyInterceptor(&TDBGridColumnsEh::StaticClassInfo(),
                                InterceptorClassOf<TColumnsEhPropertyInterceptor>());
    return true;
}();
} // namespace
