// The grid's exporters and importers and the clipboard copy and paste built on them.

#include "lib/dbgrid/DBGridEhImpExp.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhHeadTree.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/memtable/MemTableDataEh.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/toolscore/PlatformEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinGdi.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

#include <cmath>
#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <exception>
#include <typeinfo>
#include <utility>

namespace {

constexpr char kSignature[7] = {'V', 'C', 'L', 'D', 'B', 'I', 'F'};
constexpr uint8_t kVersion = 1;

TDataSet* GridDataSet(TCustomDBGridEh* Grid) {
    if (!Grid || !Grid->DataSource()) return nullptr;
    return Grid->DataSource()->DataSet();
}

int32_t GetLE32(const uint8_t* b) {
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

bool IsNumericField(TField* F) {
    switch (F->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftLargeint:
    case ftShortint:
    case ftByte:
    case ftLongWord:
    case ftExtended:
    case ftSingle:
        return true;
    default:
        return false;
    }
}

// RTF text: control characters escaped, characters outside ASCII as \u with a Windows-1251
// fallback byte, so that every reader shows Cyrillic whatever code page it assumes.
String RtfEscape(const String& Text) {
    String out;
    out.reserve(Text.size());
    for (QChar ch : Text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += QLatin1Char('\\');
            out += ch;
        } else if (u < 0x80) {
            out += ch;
        } else {
            const AnsiString a = ToAnsi(String(ch));
            const uint8_t fb = a.isEmpty() ? uint8_t('?') : uint8_t(a[0]);
            out += QStringLiteral("\\u%1\\'%2").arg(int(int16_t(u))).arg(fb, 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

// The general-format text of a double with at most Precision (1 to 15) significant digits and
// no exponent digits, as FloatToStrF gives it, written as ASCII into Out (room for 32 bytes).
// Answers the length, or -1 where the text cannot be told from the shortest digits alone
// (more shortest digits than kept, so the exact value must be rounded; subnormals, infinities
// and NaN): those take the general conversion.
//
// The shortest digits that read back as a normal double lie within half a unit of its last
// place, which is less than half a unit of the 15th significant digit; so when there are no
// more of them than are kept, rounding the exact value to Precision digits gives these digits.
int GeneralFloatText(double D, int Precision, char DecimalSeparator, char* Out) {
    if (D == 0) { // -0 too: a zero shows no sign
        Out[0] = '0';
        return 1;
    }
    if (!std::isnormal(D) || Precision < 1 || Precision > 15) return -1;
    char sci[40];
    const char* end = std::to_chars(sci, sci + sizeof sci, std::fabs(D), std::chars_format::scientific).ptr;
    char digits[24];
    int count = 0;
    const char* p = sci;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.' && count < 20) digits[count++] = *p;
    int exp10 = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, exp10);
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count == 0 || count > Precision) return -1;
    const int e = exp10 + 1; // the value is 0.d1d2... x 10^e
    int n = 0;
    if (D < 0) Out[n++] = '-';
    if (e > Precision || e < -3) {
        Out[n++] = digits[0];
        if (count > 1) {
            Out[n++] = DecimalSeparator;
            for (int i = 1; i < count; ++i)
                Out[n++] = digits[i];
        }
        Out[n++] = 'E';
        n += int(std::to_chars(Out + n, Out + 32, e - 1).ptr - (Out + n));
        return n;
    }
    if (e <= 0) {
        Out[n++] = '0';
        Out[n++] = DecimalSeparator;
        for (int i = e; i < 0; ++i)
            Out[n++] = '0';
        for (int i = 0; i < count; ++i)
            Out[n++] = digits[i];
        return n;
    }
    for (int i = 0; i < e; ++i)
        Out[n++] = i < count ? digits[i] : '0';
    if (count > e) {
        Out[n++] = DecimalSeparator;
        for (int i = e; i < count; ++i)
            Out[n++] = digits[i];
    }
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Clipboard formats

UINT VCLDBIFClipboardFormat() {
    static const UINT id = RegisterClipboardFormat(QStringLiteral("VCLDBIF"));
    return id;
}
UINT CsvClipboardFormat() {
    static const UINT id = RegisterClipboardFormat(QStringLiteral("Csv"));
    return id;
}
UINT RtfClipboardFormat() {
    static const UINT id = RegisterClipboardFormat(QStringLiteral("Rich Text Format"));
    return id;
}
void RegisterGridClipboardFormats() {
    VCLDBIFClipboardFormat();
    CsvClipboardFormat();
    RtfClipboardFormat();
}
namespace {
const bool gFormatsRegistered = (RegisterGridClipboardFormats(), true);
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhExport

TDBGridEhExport::TDBGridEhExport()
    : FColCellParamsEh(std::make_unique<TAxisColCellParamsEh>()),
      FExpCols(std::make_unique<TColumnsEhList>()) {}

TDBGridEhExport::~TDBGridEhExport() = default;

// Output is gathered in a block and written a block at a time: a file stream writes every
// call through to the system, and an export makes several calls per cell.
void TDBGridEhExport::PutBytes(const void* Data, int Count) {
    if (Count <= 0) return;
    if (Count >= kOutBlock) {
        FlushOut();
        FStream->WriteBuffer(Data, Count);
        return;
    }
    const char* p = static_cast<const char*>(Data);
    FOut.insert(FOut.end(), p, p + Count);
    if (FOut.size() >= size_t(kOutBlock)) FlushOut();
}

void TDBGridEhExport::PutInt32(int32_t Value) {
    const uint8_t b[4] = {uint8_t(Value), uint8_t(Value >> 8), uint8_t(Value >> 16), uint8_t(Value >> 24)};
    PutBytes(b, 4);
}

void TDBGridEhExport::FlushOut() {
    if (FOut.empty()) return;
    // Emptied whatever the stream does: a stream that fails is not given the same block again.
    const auto empty = qScopeGuard([&] { FOut.clear(); });
    FStream->WriteBuffer(FOut.data(), Integer(FOut.size()));
}

void TDBGridEhExport::FlushOutOnUnwind() noexcept {
    // What was written before a failure still reaches the stream, as it did without the block.
    try {
        FlushOut();
    } catch (...) {
    }
}

void TDBGridEhExport::PutText(const String& Text) {
    // Plain ASCII, the usual cell text, is the same in the code page: copied as it is.
    const QChar* d = Text.constData();
    const qsizetype n = Text.size();
    const bool ascii = std::all_of(d, d + n, [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii || n >= kOutBlock) {
        const AnsiString a = ToAnsi(Text);
        PutBytes(a.constData(), int(a.size()));
        return;
    }
    for (qsizetype i = 0; i < n; ++i)
        FOut.push_back(char(d[i].unicode()));
    if (FOut.size() >= size_t(kOutBlock)) FlushOut();
}

void TDBGridEhExport::ExportToStream(TStream* Stream, bool IsExportAll) {
    FStream = Stream;
    FOut.clear();
    FOut.reserve(size_t(kOutBlock) * 2);
    const int failing = std::uncaught_exceptions();
    const auto unwind = qScopeGuard([&] {
        if (std::uncaught_exceptions() > failing) FlushOutOnUnwind();
    });
    Walk(IsExportAll);
    FlushOut();
}

void TDBGridEhExport::ExportToFile(const String& FileName, bool IsExportAll) {
    TFileStream file(FileName, fmCreate);
    ExportToStream(&file, IsExportAll);
}

void TDBGridEhExport::Walk(bool IsExportAll) {
    FWritten = false;
    FTextOnlyKnown = false;
    TCustomDBGridEh* g = FDBGridEh;
    TDataSet* ds = GridDataSet(g);
    if (!g || !ds || !g->DataLink()->Active()) return;
    TDBGridEhSelection* sel = g->Selection();
    const TDBGridEhSelectionType kind = IsExportAll ? gstAll : sel->SelectionType();

    if (kind == gstNon) {
        TDataSource* master = ds->GetDataSource();
        if (master && master->DataSet() && master->DataSet()->Active() && !master->DataSet()->IsEmpty())
            return;
    }
    const bool callerCols = FExpCols->Count() > 0;
    auto setCols = [&](const std::vector<TColumnEh*>& cols) {
        if (callerCols) return;
        for (TColumnEh* c : cols)
            FExpCols->Add(c);
    };
    std::vector<TColumnEh*> visible;
    for (int i = 0; i < g->VisibleColumnCount(); ++i)
        visible.push_back(g->VisibleColumn(i));

    ds->DisableControls();
    struct Restore {
        TDataSet* d;
        TCustomDBGridEh* g;
        ~Restore() {
            try {
                g->RestoreBookmark();
            } catch (...) {
            }
            d->EnableControls();
        }
    };
    g->SaveBookmark();
    {
        Restore restore{ds, g};
        const int footers = g->FooterRowCount();
        auto startTable = [&] {
            FooterValues.assign(size_t(std::max(0, footers) * FExpCols->Count()), Currency());
            WritePrefix();
            if (g->Options().Contains(dgTitles)) WriteTitle(FExpCols.get());
        };
        auto writeFooters = [&] {
            for (int r = 0; r < footers; ++r)
                WriteFooter(FExpCols.get(), r);
        };
        switch (kind) {
        case gstRecordBookmarks: {
            setCols(visible);
            startTable();
            std::vector<TBookmark> marks;
            for (int i = 0; i < sel->Rows()->Count(); ++i)
                marks.push_back(sel->Rows()->Items(i));
            for (const TBookmark& bm : marks) {
                ds->GotoBookmark(bm);
                CalcFooterValues();
                WriteRecord(FExpCols.get());
            }
            writeFooters();
            break;
        }
        case gstRectangle: {
            TDBGridEhSelectionRect* r = sel->Rect();
            std::vector<TColumnEh*> cols;
            for (int c = r->LeftCol(); c <= r->RightCol(); ++c)
                if (TColumnEh* col = g->DataColumn(c); col && col->Visible()) cols.push_back(col);
            setCols(cols);
            startTable();
            const TBookmark bottom = r->BottomRow();
            ds->GotoBookmark(r->TopRow());
            while (!ds->Eof()) {
                WriteRecord(FExpCols.get());
                CalcFooterValues();
                if (CompareRecordBookmarks(ds, ds->Bookmark(), bottom) == 0) break;
                ds->Next();
            }
            writeFooters();
            break;
        }
        case gstColumns:
        case gstAll: {
            if (kind == gstColumns) {
                std::vector<TColumnEh*> cols;
                for (int i = 0; i < sel->Columns()->Count(); ++i)
                    cols.push_back(sel->Columns()->Columns(i));
                setCols(cols);
            } else {
                setCols(visible);
            }
            startTable();
            const int count = ds->RecordCount();
            ds->First();
            if (footers > 0 || !WriteViewRows(ds, count)) {
                while (!ds->Eof()) {
                    WriteRecord(FExpCols.get());
                    CalcFooterValues();
                    if (ds->IsSequenced() && ds->RecNo() >= count) break;
                    ds->Next();
                }
            }
            writeFooters();
            break;
        }
        case gstNon:
            if (TColumnEh* c = g->SelectedColumn()) setCols({c});
            WritePrefix();
            WriteRecord(FExpCols.get());
            break;
        }
    }
    FWritten = true;
    WriteSuffix();
}

// True when a data cell of this export needs nothing but its text: the exporter is one of the
// plain text formats (a descendant may read the other parameters) and no column has a hook or
// an override that could change them. Decided once per export.
bool TDBGridEhExport::CellTextOnly(TColumnsEhList* Columns) {
    if (FTextOnlyKnown) return FTextOnly;
    FTextOnlyKnown = true;
    const std::type_info& self = typeid(*this);
    FTextOnly = self == typeid(TDBGridEhExportAsText) || self == typeid(TDBGridEhExportAsUnicodeText) ||
                self == typeid(TDBGridEhExportAsCSV);
    FPlainCells.clear();
    for (int i = 0; FTextOnly && i < Columns->Count(); ++i) {
        TColumnEh* col = Columns->Columns(i);
        const std::type_info& kind = typeid(*col);
        FTextOnly = (kind == typeid(TDBGridColumnEh) || kind == typeid(TColumnEh)) && !col->OnGetCellParams();
        // A column that shows its field's own display text (no lists, images, check boxes,
        // format or memo text of its own) is read straight from the field.
        TField* f = col->Field();
        const bool plain = f && !f->IsBlob() && col->DisplayFormat().isEmpty() && !col->HasKeyList() &&
                           col->GetColumnType() == ctCommon;
        TPlainCell cell;
        cell.Field = plain ? f : nullptr;
        // The library's own field classes show their stored value by known rules; a descendant
        // (or a text hook) may show anything.
        if (plain && !f->OnGetText) {
            const std::type_info& fk = typeid(*f);
            if (fk == typeid(TIntegerField) || fk == typeid(TSmallintField) || fk == typeid(TWordField) ||
                fk == typeid(TShortintField) || fk == typeid(TByteField) || fk == typeid(TLongWordField) ||
                fk == typeid(TAutoIncField) || fk == typeid(TLargeintField)) {
                if (static_cast<TIntegerField*>(f)->DisplayFormat().isEmpty()) cell.Kind = TPlainKind::Integer;
            } else if (fk == typeid(TFloatField) || fk == typeid(TCurrencyField) || fk == typeid(TExtendedField) ||
                       fk == typeid(TSingleField)) {
                auto* ff = static_cast<TFloatField*>(f);
                if (ff->DisplayFormat().isEmpty() && !ff->currency()) {
                    cell.Kind = TPlainKind::Float;
                    cell.Precision = ff->Precision();
                }
            } else if (fk == typeid(TStringField)) {
                cell.Kind = TPlainKind::String;
            }
        }
        FPlainCells.push_back(cell);
    }
    return FTextOnly;
}

void TDBGridEhExport::WriteRecord(TColumnsEhList* Columns) {
    TCustomDBGridEh* g = FDBGridEh;
    if (!g->OnGetCellParams && CellTextOnly(Columns)) {
        // Without hooks the text formats write the display text alone; the font, colours,
        // image and check box would be filled for nobody.
        TAxisColCellParamsEh* p = FColCellParamsEh.get();
        for (int i = 0; i < Columns->Count(); ++i) {
            TColumnEh* col = Columns->Columns(i);
            TField* f = size_t(i) < FPlainCells.size() ? FPlainCells[size_t(i)].Field : nullptr;
            p->FText = f ? f->DisplayText() : col->DisplayText();
            WriteDataCell(col, p);
        }
        return;
    }
    for (int i = 0; i < Columns->Count(); ++i) {
        TColumnEh* col = Columns->Columns(i);
        if (!FScratchFont) FScratchFont = std::make_unique<TFont>();
        TFont& font = *FScratchFont;
        font.Assign(col->Font());
        TAxisColCellParamsEh* p = FColCellParamsEh.get();
        p->SetRow(-1);
        p->SetCol(-1);
        p->SetState(TGridDrawState());
        p->SetFont(&font);
        p->SetBackground(col->Color());
        p->SetAlignment(col->Alignment());
        p->SetImageIndex(col->GetImageIndex());
        p->SetText(col->DisplayText());
        // Only a check-box column has a state; reading it elsewhere converts the value for nothing.
        p->SetCheckboxState(col->GetColumnType() == ctCheckboxes ? col->CheckboxState() : cbUnchecked);
        if (g->OnGetCellParams) {
            TColor bg = p->Background();
            g->OnGetCellParams(g, col, &font, bg, p->State());
            p->SetBackground(bg);
        }
        col->GetColCellParams(false, p);
        WriteDataCell(col, p);
        p->SetFont(nullptr);
    }
}

// The field a footer sums or counts: its own field name, else its column's.
static TField* FooterField(TDataSet* DataSet, TColumnEh* Column, TColumnFooterEh* Footer) {
    if (!DataSet || !Footer) return nullptr;
    return DataSet->FindField(Footer->FieldName().isEmpty() ? Column->FieldName() : Footer->FieldName());
}

void TDBGridEhExport::CalcFooterValues() {
    TDataSet* ds = GridDataSet(FDBGridEh);
    const int n = FExpCols->Count();
    for (int r = 0; r < FDBGridEh->FooterRowCount(); ++r)
        for (int c = 0; c < n; ++c) {
            TColumnEh* col = FExpCols->Columns(c);
            TColumnFooterEh* f = col->UsedFooter(r);
            TField* field = FooterField(ds, col, f);
            const size_t i = size_t(c + r * n);
            if (!field || i >= FooterValues.size()) continue;
            if (f->ValueType() == fvtSum && !field->IsNull())
                FooterValues[i] += field->AsCurrency();
            else if (f->ValueType() == fvtCount)
                FooterValues[i] += Currency(1);
        }
}

String TDBGridEhExport::FormatFooterValue(int FooterRow, int DataCol) {
    const size_t i = size_t(DataCol + FooterRow * FExpCols->Count());
    if (i >= FooterValues.size()) return String();
    TColumnEh* col = FExpCols->Columns(DataCol);
    TColumnFooterEh* f = col->UsedFooter(FooterRow);
    if (!f) return String();
    const Currency v = FooterValues[i];
    if (f->ValueType() == fvtCount)
        return f->DisplayFormat().isEmpty() ? IntToStr(v.Trunc())
                                            : FormatFloat(f->DisplayFormat(), v.ToExtended());
    TField* field = FooterField(GridDataSet(FDBGridEh), col, f);
    if (!field) return String();
    String fmt = f->DisplayFormat();
    if (fmt.isEmpty())
        if (auto* num = dynamic_cast<TNumericField*>(field)) fmt = num->DisplayFormat();
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return fmt.isEmpty() ? IntToStr(v.Trunc()) : FormatFloat(fmt, v.ToExtended());
    case ftFloat:
    case ftCurrency: {
        if (!fmt.isEmpty()) return FormatFloat(fmt, v.ToExtended());
        auto* ff = dynamic_cast<TFloatField*>(field);
        if (ff && ff->currency())
            return FloatToStrF(v.ToExtended(), ffCurrency, 15, FormatSettings().CurrencyDecimals);
        return FloatToStrF(v.ToExtended(), ffGeneral, ff ? ff->Precision() : 15, 0);
    }
    case ftBCD:
    case ftFMTBcd: {
        if (!fmt.isEmpty()) return FormatCurr(fmt, v);
        auto* bf = dynamic_cast<TBCDField*>(field);
        if (bf && bf->currency()) return CurrToStrF(v, ffCurrency, FormatSettings().CurrencyDecimals);
        return CurrToStrF(v, ffGeneral, 0);
    }
    default:
        return String();
    }
}

void TDBGridEhExport::WriteFooter(TColumnsEhList* Columns, int FooterRow) {
    TCustomDBGridEh* g = FDBGridEh;
    for (int i = 0; i < Columns->Count(); ++i) {
        TColumnEh* col = Columns->Columns(i);
        TColumnFooterEh* footer = col->UsedFooter(FooterRow);
        TFont font;
        font.Assign(footer ? footer->Font() : g->FooterFont());
        TColor bg = footer ? footer->Color() : g->FooterColor();
        TAlignment al = footer ? footer->Alignment() : col->Alignment();
        const bool counted = footer && (footer->ValueType() == fvtSum || footer->ValueType() == fvtCount);
        String text = counted ? FormatFooterValue(FooterRow, i) : g->GetFooterValue(FooterRow, col);
        if (g->OnGetFooterParams)
            g->OnGetFooterParams(g, col->Index(), FooterRow, col, &font, bg, al, TGridDrawState(), text);
        WriteFooterCell(i, FooterRow, text, al, bg, &font, col);
    }
}

// ---------------------------------------------------------------------------------------------
// Text

void TDBGridEhExportAsText::ExportToStream(TStream* Stream, bool IsExportAll) {
    FirstRec = true;
    TDBGridEhExport::ExportToStream(Stream, IsExportAll);
}

void TDBGridEhExportAsText::CheckFirstRec() {
    if (!FirstRec) PutText(QStringLiteral("\r\n"));
    FirstRec = false;
}

void TDBGridEhExportAsText::CheckFirstCell() {
    if (!FirstCell) PutText(QStringLiteral("\t"));
    FirstCell = false;
}

void TDBGridEhExportAsText::WriteTitle(TColumnsEhList* Columns) {
    CheckFirstRec();
    for (int i = 0; i < Columns->Count(); ++i) {
        PutText(Columns->Columns(i)->Title()->Caption());
        if (i + 1 < Columns->Count()) PutText(QStringLiteral("\t"));
    }
}

void TDBGridEhExportAsText::WriteRecord(TColumnsEhList* Columns) {
    CheckFirstRec();
    FirstCell = true;
    TDBGridEhExport::WriteRecord(Columns);
}

void TDBGridEhExportAsText::WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh* CellParams) {
    CheckFirstCell();
    // Numbers may be copied as they are edited (no thousands separators, currency signs) so
    // that pasting them back reads the same values.
    TField* f = Column ? Column->Field() : nullptr;
    if (f && IsNumericField(f) && FDBGridEh->Center()->PreferEditFormatForNumberFields)
        PutText(Column->EditText());
    else
        PutText(CellParams->Text());
}

void TDBGridEhExportAsText::WriteFooter(TColumnsEhList* Columns, int FooterRow) {
    CheckFirstRec();
    FirstCell = true;
    TDBGridEhExport::WriteFooter(Columns, FooterRow);
}

void TDBGridEhExportAsText::WriteFooterCell(int, int, const String& Text, TAlignment, TColor, TFont*,
                                            TColumnEh*) {
    CheckFirstCell();
    PutText(Text);
}

void TDBGridEhExportAsUnicodeText::PutText(const String& Text) {
    QByteArray b;
    b.reserve(Text.size() * 2);
    for (QChar ch : Text) {
        b.append(char(ch.unicode() & 0xFF));
        b.append(char(ch.unicode() >> 8));
    }
    PutBytes(b.constData(), int(b.size()));
}

// ---------------------------------------------------------------------------------------------
// CSV

char DBGridEhExportCSVSeparator = ';';
char DBGridEhExportCSVQuoteChar = '"';

TDBGridEhExportAsCSV::TDBGridEhExportAsCSV()
    : FSeparator(DBGridEhExportCSVSeparator), FQuoteChar(DBGridEhExportCSVQuoteChar) {}

String TDBGridEhExportAsCSV::Quoted(const String& Text) const {
    if (FQuoteChar == 0) return Text;
    const QChar q = QLatin1Char(FQuoteChar);
    String s = Text;
    s.replace(q, String(2, q));
    return q + s + q;
}

void TDBGridEhExportAsCSV::CheckFirstCell() {
    if (!FirstCell && FSeparator != 0) {
        if (uint8_t(FSeparator) < 0x80)
            PutBytes(&FSeparator, 1);
        else
            PutText(String(QLatin1Char(FSeparator)));
    }
    FirstCell = false;
}

void TDBGridEhExportAsCSV::PutQuoted(const String& Text) {
    const qsizetype n = Text.size();
    if (FQuoteChar != 0 && uint8_t(FQuoteChar) < 0x80 && n < kOutBlock) {
        // ASCII text is its own code page form: quoted straight into the block in one pass.
        // Anything else takes the general conversion below.
        const size_t start = FOut.size();
        FOut.resize(start + size_t(n) * 2 + 2);
        char* out = FOut.data() + start;
        const QChar* d = Text.constData();
        const char q = FQuoteChar;
        *out++ = q;
        bool ascii = true;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = d[i].unicode();
            if (u >= 0x80) {
                ascii = false;
                break;
            }
            if (char(u) == q) *out++ = q;
            *out++ = char(u);
        }
        if (ascii) {
            *out++ = q;
            FOut.resize(size_t(out - FOut.data()));
            if (FOut.size() >= size_t(kOutBlock)) FlushOut();
            return;
        }
        FOut.resize(start);
    }
    PutText(Quoted(Text));
}

void TDBGridEhExportAsCSV::PutQuotedAscii(const char* Text, int Count) {
    const size_t start = FOut.size();
    FOut.resize(start + size_t(Count) * 2 + 2);
    char* out = FOut.data() + start;
    const char q = FQuoteChar;
    if (q) *out++ = q;
    for (int i = 0; i < Count; ++i) {
        if (q && Text[i] == q) *out++ = q;
        *out++ = Text[i];
    }
    if (q) *out++ = q;
    FOut.resize(size_t(out - FOut.data()));
    if (FOut.size() >= size_t(kOutBlock)) FlushOut();
}

// Without hooks, numbers and plain strings go from the record straight into the output: an
// integer as its digits, a float as the field's general-format text when its shortest digits
// fit the field's precision (see GeneralFloatText), a string quoted as it is. Every other cell
// takes its display text.
void TDBGridEhExportAsCSV::WriteRecord(TColumnsEhList* Columns) {
    const bool asciiQuote = uint8_t(FQuoteChar) < 0x80;
    const char16_t dec = FormatSettings().DecimalSeparator.unicode();
    if (FDBGridEh->OnGetCellParams || !asciiQuote || dec == 0 || dec >= 0x80 || !CellTextOnly(Columns) ||
        FPlainCells.size() != size_t(Columns->Count())) {
        TDBGridEhExportAsText::WriteRecord(Columns);
        return;
    }
    CheckFirstRec();
    FirstCell = true;
    for (int i = 0; i < Columns->Count(); ++i) {
        CheckFirstCell();
        WritePlainCell(i, Columns->Columns(i), dec);
    }
}

void TDBGridEhExportAsCSV::WritePlainCell(int Index, TColumnEh* Column, char16_t DecimalSeparator) {
    const TPlainCell& cell = FPlainCells[size_t(Index)];
    char buf[64];
    switch (cell.Kind) {
    case TPlainKind::Integer: {
        Int64 v = 0;
        if (!static_cast<TIntegerField*>(cell.Field)->GetValue(v)) {
            PutQuotedAscii(buf, 0);
            break;
        }
        const char* end = std::to_chars(buf, buf + sizeof buf, v).ptr;
        PutQuotedAscii(buf, int(end - buf));
        break;
    }
    case TPlainKind::Float: {
        double d = 0;
        if (!static_cast<TFloatField*>(cell.Field)->GetValue(d)) {
            PutQuotedAscii(buf, 0);
            break;
        }
        const int n = GeneralFloatText(d, cell.Precision, char(DecimalSeparator), buf);
        if (n >= 0)
            PutQuotedAscii(buf, n);
        else
            PutQuoted(cell.Field->DisplayText());
        break;
    }
    case TPlainKind::String: {
        String s;
        static_cast<TStringField*>(cell.Field)->GetValue(s);
        PutQuoted(s);
        break;
    }
    case TPlainKind::Text:
        PutQuoted(cell.Field ? cell.Field->DisplayText() : Column->DisplayText());
        break;
    }
}

namespace {
// A record of the view is read from the table's record store, without the cursor, when nothing
// could notice the difference: the library's own memory table in browse state, flat, without a
// data driver (which fetches while the cursor moves), scroll or calculation handlers, value
// hooks, or fields other than stored ones.
TCustomMemTableEh* ViewReadableTable(TDataSet* DataSet) {
    const std::type_info& kind = typeid(*DataSet);
    if (kind != typeid(TMemTableEh) && kind != typeid(TCustomMemTableEh)) return nullptr;
    auto* mt = static_cast<TCustomMemTableEh*>(DataSet);
    if (mt->State() != dsBrowse || mt->InstantReadMode() || mt->DataDriver() || mt->GetViewAsTreeList() ||
        mt->OnGetFieldValue || mt->BeforeScroll || mt->AfterScroll || mt->OnCalcFields)
        return nullptr;
    for (int i = 0; i < mt->FieldCount(); ++i) {
        TField* f = mt->Fields()->Fields(i);
        if (f->FieldKind() != fkData || f->FieldNo() <= 0 || f->OnGetText) return nullptr;
    }
    return mt;
}

// The row being written: cells go straight into a buffer that grows as needed.
struct TRowOut {
    std::vector<char>& Buf;
    size_t Len = 0;
    char* Reserve(size_t N) {
        if (Len + N > Buf.size()) Buf.resize(std::max(Buf.size() * 2, Len + N + 256));
        return Buf.data() + Len;
    }
    // ASCII characters quoted with Q (zero: no quotes); Code gives a stored character's code.
    template <class Char, class Code> void Quoted(const Char* Text, size_t Count, char Q, Code code) {
        char* out = Reserve(Count * 2 + 2);
        char* p = out;
        if (Q) *p++ = Q;
        for (size_t i = 0; i < Count; ++i) {
            const char c = char(code(Text[i]));
            if (Q && c == Q) *p++ = Q;
            *p++ = c;
        }
        if (Q) *p++ = Q;
        Len += size_t(p - out);
    }
    void Quoted(const char* Text, size_t Count, char Q) {
        Quoted(Text, Count, Q, [](char c) { return c; });
    }
};
} // namespace

// The whole-table walk over a memory table's view rows (see ViewReadableTable): each cell is
// formatted from the stored value by the same rules as WritePlainCell; a cell that these rules
// do not cover (text outside ASCII or longer than the field, unusual stored types, floats with
// more digits than kept, other field kinds) is read through its field with the row lent to the
// table's instant read, which is what the field layer would show on that record.
bool TDBGridEhExportAsCSV::WriteViewRows(TDataSet* DataSet, int Count) {
    TColumnsEhList* cols = FExpCols.get();
    const char16_t dec = FormatSettings().DecimalSeparator.unicode();
    if (FDBGridEh->OnGetCellParams || uint8_t(FQuoteChar) >= 0x80 || uint8_t(FSeparator) >= 0x80 || dec == 0 ||
        dec >= 0x80 || cols->Count() == 0 || !CellTextOnly(cols) || FPlainCells.size() != size_t(cols->Count()))
        return false;
    for (const TPlainCell& c : FPlainCells)
        if (!c.Field || c.Field->DataSet() != DataSet) return false;
    TCustomMemTableEh* mt = ViewReadableTable(DataSet);
    if (!mt || Count > mt->ViewRowCount()) return false;

    const char q = FQuoteChar, sep = FSeparator;
    const int n = cols->Count();
    std::vector<char> row(512);
    char num[64];
    for (int r = 0; r < Count; ++r) {
        TMemoryRecordEh* rec = mt->ViewRowRec(r); // r is below the view's row count
        const TRecValuesEh& data = rec->Data();
        const TMTDataStructEh* st = rec->DataStruct();
        TRowOut out{row};
        if (!FirstRec) {
            char* p = out.Reserve(2);
            p[0] = '\r';
            p[1] = '\n';
            out.Len += 2;
        }
        FirstRec = false;
        // A failure part way leaves the row's cells written so far, as the record walk does.
        const int failing = std::uncaught_exceptions();
        const auto partial = qScopeGuard([&] {
            if (std::uncaught_exceptions() > failing && out.Len > 0) PutBytes(row.data(), int(out.Len));
        });
        for (int i = 0; i < n; ++i) {
            if (i > 0 && sep) {
                *out.Reserve(1) = sep;
                ++out.Len;
            }
            const TPlainCell& cell = FPlainCells[size_t(i)];
            TField* f = cell.Field;
            const size_t fi = size_t(f->FieldNo() - 1);
            const Variant* v = fi < data.size() && (!st || int(fi) < st->Count()) ? &data[fi] : nullptr;
            bool done = false;
            if (v && (VarIsNull(*v) || VarIsEmpty(*v))) {
                // A field without a value shows an empty text, whatever its kind.
                out.Quoted(num, 0, q);
                done = true;
            } else if (v) {
                switch (cell.Kind) {
                case TPlainKind::Integer: {
                    Int64 x = 0;
                    done = true;
                    switch (f->DataType()) {
                    case ftInteger:
                    case ftAutoInc:
                        x = v->AsInteger();
                        break;
                    case ftLargeint:
                        x = v->AsInt64();
                        break;
                    case ftSmallint:
                        x = int16_t(v->AsInteger());
                        break;
                    case ftWord:
                        x = uint16_t(v->AsInteger());
                        break;
                    default:
                        done = false;
                        break;
                    }
                    if (done) out.Quoted(num, size_t(std::to_chars(num, num + sizeof num, x).ptr - num), q);
                    break;
                }
                case TPlainKind::Float: {
                    if (f->DataType() != ftFloat && f->DataType() != ftCurrency) break;
                    const int len = GeneralFloatText(v->AsDouble(), cell.Precision, char(dec), num);
                    if (len >= 0) {
                        out.Quoted(num, size_t(len), q);
                        done = true;
                    }
                    break;
                }
                case TPlainKind::String: {
                    const TFieldType t = f->DataType();
                    if (!(t == ftString || t == ftFixedChar || t == ftGuid) || f->Size() <= 0) break;
                    // Stored text that passes the field's 8-bit buffer unchanged: ASCII without
                    // zero characters, no longer than the field.
                    auto put = [&](const auto* d, qsizetype len, auto code) {
                        if (len > f->Size()) return false;
                        for (qsizetype k = 0; k < len; ++k)
                            if (code(d[k]) == 0 || code(d[k]) >= 0x80) return false;
                        qsizetype end = len;
                        if (static_cast<TStringField*>(f)->FixedChar())
                            while (end > 0 && code(d[end - 1]) <= 0x20)
                                --end;
                        out.Quoted(d, size_t(end), q, code);
                        return true;
                    };
                    if (v->VType() == varString) {
                        const AnsiString& s = VariantAccess::Ansi(*v);
                        done = put(s.constData(), s.size(), [](char c) { return unsigned(uint8_t(c)); });
                    } else if (v->VType() == varUString) {
                        const String& s = VariantAccess::Str(*v);
                        done = put(s.constData(), s.size(), [](QChar c) { return unsigned(c.unicode()); });
                    }
                    break;
                }
                case TPlainKind::Text:
                    break;
                }
            }
            if (!done) {
                // The field layer's answer on this row: what was gathered goes out first.
                PutBytes(row.data(), int(out.Len));
                out.Len = 0;
                mt->InstantReadEnter(r);
                const auto leave = qScopeGuard([&] { mt->InstantReadLeave(); });
                WritePlainCell(i, cols->Columns(i), dec);
            }
        }
        PutBytes(row.data(), int(out.Len));
        out.Len = 0;
    }
    // Where the record-by-record walk ends.
    if (Count > 0) DataSet->Last();
    return true;
}

void TDBGridEhExportAsCSV::WriteTitle(TColumnsEhList* Columns) {
    CheckFirstRec();
    for (int i = 0; i < Columns->Count(); ++i) {
        PutQuoted(Columns->Columns(i)->Title()->Caption());
        if (i + 1 < Columns->Count() && FSeparator != 0) PutText(String(QLatin1Char(FSeparator)));
    }
}

void TDBGridEhExportAsCSV::WriteDataCell(TColumnEh*, TAxisColCellParamsEh* CellParams) {
    CheckFirstCell();
    PutQuoted(CellParams->Text());
}

void TDBGridEhExportAsCSV::WriteFooterCell(int, int, const String& Text, TAlignment, TColor, TFont*,
                                           TColumnEh*) {
    CheckFirstCell();
    PutQuoted(Text);
}

// ---------------------------------------------------------------------------------------------
// RTF

TDBGridEhExportAsRTF::TDBGridEhExportAsRTF() = default;
TDBGridEhExportAsRTF::~TDBGridEhExportAsRTF() = default;

void TDBGridEhExportAsRTF::PutLine(const String& Text) {
    PutText(Text + QStringLiteral("\r\n"));
}

int TDBGridEhExportAsRTF::ColorIndex(TColor Color) {
    const int32_t rgb = ColorToRGB(Color);
    const String key = QString::asprintf("%3d%3d%3d", GetRValue(COLORREF(rgb)), GetGValue(COLORREF(rgb)),
                                         GetBValue(COLORREF(rgb)));
    int i = ColorTblList->IndexOf(key);
    if (i < 0) i = ColorTblList->Add(key);
    return i;
}

int TDBGridEhExportAsRTF::FontIndex(const String& Name) {
    int i = FontTblList->IndexOf(Name);
    if (i < 0) i = FontTblList->Add(Name);
    return i;
}

void TDBGridEhExportAsRTF::ExportToStream(TStream* Stream, bool IsExportAll) {
    FCacheStream = std::make_unique<TMemoryStreamEh>();
    FCacheStream->SetHalfMemoryDelta(65536);
    ColorTblList = std::make_unique<TStringList>();
    FontTblList = std::make_unique<TStringList>();
    struct Free {
        TDBGridEhExportAsRTF* e;
        ~Free() {
            e->FCacheStream.reset();
            e->ColorTblList.reset();
            e->FontTblList.reset();
        }
    } free{this};
    ColorIndex(clBlack);
    ColorIndex(clWhite);
    ColorIndex(clBtnFace);
    TDBGridEhExport::ExportToStream(FCacheStream.get(), IsExportAll);
    FStream = Stream;
    // A walk that wrote nothing gives no document (not a header without its end).
    if (!FWritten) return;
    // The code page word lets readers without \u support decode the fallback bytes.
    PutLine(QStringLiteral("{\\rtf0\\ansi\\ansicpg1251"));
    PutText(QStringLiteral("{\\colortbl"));
    for (int i = 0; i < ColorTblList->Count(); ++i) {
        const String k = ColorTblList->Strings(i);
        PutText(QStringLiteral("\\red%1\\green%2\\blue%3;")
                    .arg(k.mid(0, 3).trimmed(), k.mid(3, 3).trimmed(), k.mid(6, 3).trimmed()));
    }
    PutLine(QStringLiteral("}"));
    PutText(QStringLiteral("{\\fonttbl"));
    for (int i = 0; i < FontTblList->Count(); ++i)
        PutText(QStringLiteral("\\f%1\\fnil %2;").arg(i).arg(RtfEscape(FontTblList->Strings(i))));
    PutLine(QStringLiteral("}"));
    PutBytes(FCacheStream->Memory(), int(FCacheStream->Size()));
    FlushOut();
}

void TDBGridEhExportAsRTF::WriteSuffix() {
    PutText(QStringLiteral("}"));
}

int TDBGridEhExportAsRTF::ColumnTwips(TColumnEh* Column) {
    int ppi = 96;
    if (FDBGridEh && FDBGridEh->HandleAllocated()) {
        const int dc = GetDeviceCaps(FDBGridEh->Canvas()->Handle(), LOGPIXELSX);
        if (dc > 0) ppi = dc;
    }
    return int(std::lround(double(Column->Width()) / ppi * 1440.0));
}

void TDBGridEhExportAsRTF::WriteCellBorders(bool Left, bool Top, bool Bottom, bool Right) {
    if (Left) PutLine(QStringLiteral("\\clbrdrl\\brdrs\\brdrcf0"));
    if (Top) PutLine(QStringLiteral("\\clbrdrt\\brdrs\\brdrcf0"));
    if (Bottom) PutLine(QStringLiteral("\\clbrdrb\\brdrs\\brdrcf0"));
    if (Right) PutLine(QStringLiteral("\\clbrdrr\\brdrs\\brdrcf0"));
}

void TDBGridEhExportAsRTF::WriteRowDefinition(TColumnsEhList* Columns,
                                              const std::vector<TColor>& Backgrounds) {
    PutText(QStringLiteral("\\trowd"));
    PutLine(QStringLiteral("\\trgaph40"));
    int edge = 0;
    for (int i = 0; i < Columns->Count(); ++i) {
        WriteCellBorders(true, true, true, true);
        PutText(QStringLiteral("\\clshdng10000\\clcfpat%1").arg(ColorIndex(Backgrounds[size_t(i)])));
        edge += ColumnTwips(Columns->Columns(i));
        PutLine(QStringLiteral("\\cellx%1").arg(edge));
    }
    PutLine(QStringLiteral("{\\trrh0"));
}

void TDBGridEhExportAsRTF::WriteFontedText(TFont* Font, TColor Background, const String& Text) {
    String s = QStringLiteral("\\fs%1").arg(Font->Size() * 2);
    if (Font->Style().Contains(fsBold)) s += QStringLiteral("\\b");
    if (Font->Style().Contains(fsItalic)) s += QStringLiteral("\\i");
    if (Font->Style().Contains(fsStrikeOut)) s += QStringLiteral("\\strike");
    if (Font->Style().Contains(fsUnderline)) s += QStringLiteral("\\ul");
    s += QStringLiteral("\\f%1\\cf%2\\cb%3 ")
             .arg(FontIndex(Font->Name()))
             .arg(ColorIndex(Font->Color()))
             .arg(ColorIndex(Background));
    PutText(s + RtfEscape(Text));
}

void TDBGridEhExportAsRTF::WriteCell(TAlignment Alignment, TFont* Font, TColor Background,
                                     const String& Text) {
    const char* al = Alignment == taRightJustify ? "\\qr" : Alignment == taCenter ? "\\qc" : "\\ql";
    const bool flat = FDBGridEh && !FDBGridEh->OptionsEh().Contains(dghData3D);
    const String n = flat ? QStringLiteral("12") : QStringLiteral("24");
    PutText(QStringLiteral("\\pard\\intbl{") + QLatin1String(al) + QStringLiteral("\\sb") + n +
            QStringLiteral("\\sa") + n);
    WriteFontedText(Font, Background, Text);
    PutLine(QStringLiteral("\\cell}"));
}

TColor TDBGridEhExportAsRTF::CellBackground(TColumnEh* Column) {
    TColor bg = Column->Color();
    if (FDBGridEh->OnGetCellParams) {
        TFont font;
        font.Assign(Column->Font());
        FDBGridEh->OnGetCellParams(FDBGridEh, Column, &font, bg, TGridDrawState());
    }
    return bg;
}

TColor TDBGridEhExportAsRTF::FooterCellBackground(TColumnEh* Column, int FooterRow) {
    TColumnFooterEh* footer = Column->UsedFooter(FooterRow);
    TColor bg = footer ? footer->Color() : FDBGridEh->FooterColor();
    if (FDBGridEh->OnGetFooterParams) {
        TFont font;
        font.Assign(FDBGridEh->FooterFont());
        TAlignment al = Column->Alignment();
        String text = FDBGridEh->GetFooterValue(FooterRow, Column);
        FDBGridEh->OnGetFooterParams(FDBGridEh, Column->Index(), FooterRow, Column, &font, bg, al,
                                     TGridDrawState(), text);
    }
    return bg;
}

void TDBGridEhExportAsRTF::WriteTitle(TColumnsEhList* Columns) {
    if (FDBGridEh->UseMultiTitle() && FDBGridEh->HeadTree()) return WriteMultiTitle(Columns);
    std::vector<TColor> bgs;
    for (int i = 0; i < Columns->Count(); ++i)
        bgs.push_back(Columns->Columns(i)->Title()->Color());
    WriteRowDefinition(Columns, bgs);
    for (int i = 0; i < Columns->Count(); ++i) {
        TColumnEh* c = Columns->Columns(i);
        WriteCell(c->Title()->Alignment(), c->Title()->Font(), c->Title()->Color(), c->Title()->Caption());
    }
    PutLine(QStringLiteral("\\pard\\intbl\\row}"));
}

// Levels of the title tree over the exported columns, leaves first: each pass lifts the
// columns whose stacks are lowest by one band, so bands of equal height share a level.
std::vector<std::vector<THeadTreeNode*>> TDBGridEhExportAsRTF::BuildTitleLevels(TColumnsEhList* Columns) {
    THeadTreeNode* root = FDBGridEh->HeadTree();
    std::vector<THeadTreeNode*> cur;
    std::vector<int> acc;
    for (int i = 0; i < Columns->Count(); ++i) {
        THeadTreeNode* leaf = nullptr;
        for (const TLeafCol& l : FDBGridEh->LeafFieldArr())
            if (l.FColumn == Columns->Columns(i)) leaf = l.FLeaf;
        cur.push_back(leaf);
        acc.push_back(leaf ? leaf->Height : 0);
    }
    std::vector<std::vector<THeadTreeNode*>> levels{cur};
    auto canMove = [&](size_t i) { return cur[i] && cur[i]->Host && cur[i]->Host != root; };
    for (;;) {
        int low = INT_MAX;
        for (size_t i = 0; i < cur.size(); ++i)
            if (canMove(i)) low = std::min(low, acc[i]);
        if (low == INT_MAX) break;
        for (size_t i = 0; i < cur.size(); ++i)
            if (canMove(i) && acc[i] == low) {
                cur[i] = cur[i]->Host;
                acc[i] += cur[i]->Height;
            }
        levels.push_back(cur);
    }
    return levels;
}

void TDBGridEhExportAsRTF::WriteMultiTitle(TColumnsEhList* Columns) {
    auto levels = BuildTitleLevels(Columns);
    std::reverse(levels.begin(), levels.end()); // top level first
    const size_t rows = levels.size(), cols = size_t(Columns->Count());
    std::vector<std::vector<bool>> blank(rows, std::vector<bool>(cols, false));
    int ppi = 96;
    if (FDBGridEh->HandleAllocated()) {
        const int dc = GetDeviceCaps(FDBGridEh->Canvas()->Handle(), LOGPIXELSX);
        if (dc > 0) ppi = dc;
    }
    const String n =
        QString::number(std::lround(double(FDBGridEh->VTitleMargin()) / 2.0 / ppi * 1440.0 - 20.0));
    // The block a node covers from its first cell: rows down and columns right.
    auto block = [&](size_t r, size_t c, size_t& down, size_t& right) {
        THeadTreeNode* node = levels[r][c];
        down = 1;
        while (r + down < rows && levels[r + down][c] == node)
            ++down;
        right = 1;
        while (c + right < cols && levels[r][c + right] == node)
            ++right;
    };
    for (size_t r = 0; r < rows; ++r) {
        const bool leafRow = r + 1 == rows;
        // Row definition: borders only on the edges of each node's block.
        PutText(QStringLiteral("\\trowd"));
        PutLine(QStringLiteral("\\trgaph40"));
        int edge = 0;
        for (size_t c = 0; c < cols; ++c) {
            THeadTreeNode* node = levels[r][c];
            const bool left = c == 0 || levels[r][c - 1] != node;
            const bool right = c + 1 == cols || levels[r][c + 1] != node;
            const bool top = r == 0 || levels[r - 1][c] != node;
            const bool bottom = leafRow || levels[r + 1][c] != node;
            WriteCellBorders(left, top, bottom, right);
            TColumnEh* col = Columns->Columns(int(c));
            const TColor bg = leafRow ? col->Title()->Color() : FDBGridEh->FixedColor();
            PutText(QStringLiteral("\\clshdng10000\\clcfpat%1").arg(ColorIndex(bg)));
            edge += ColumnTwips(col);
            PutLine(QStringLiteral("\\cellx%1").arg(edge));
        }
        PutLine(QStringLiteral("{\\trrh0"));
        for (size_t c = 0; c < cols; ++c) {
            TColumnEh* col = Columns->Columns(int(c));
            TFont* font = leafRow ? col->Title()->Font() : FDBGridEh->TitleFont();
            const TColor bg = leafRow ? col->Title()->Color() : FDBGridEh->FixedColor();
            if (blank[r][c]) {
                PutText(QStringLiteral("\\pard\\intbl{\\qc"));
                WriteFontedText(font, bg, String());
                PutLine(QStringLiteral("\\cell}"));
                continue;
            }
            size_t down = 1, right = 1;
            block(r, c, down, right);
            for (size_t i = r; i < r + down; ++i)
                for (size_t k = c; k < c + right; ++k)
                    if (i != r || k != c) blank[i][k] = true;
            THeadTreeNode* node = levels[r][c];
            const String text = node ? node->Text : col->Title()->Caption();
            PutText(QStringLiteral("\\pard\\intbl{\\qc\\sb") + n + QStringLiteral("\\sa") + n);
            WriteFontedText(font, bg, text);
            PutLine(QStringLiteral("\\cell}"));
        }
        PutLine(QStringLiteral("\\pard\\intbl\\row}"));
    }
}

void TDBGridEhExportAsRTF::WriteRecord(TColumnsEhList* Columns) {
    std::vector<TColor> bgs;
    for (int i = 0; i < Columns->Count(); ++i)
        bgs.push_back(CellBackground(Columns->Columns(i)));
    WriteRowDefinition(Columns, bgs);
    TDBGridEhExport::WriteRecord(Columns);
    PutLine(QStringLiteral("\\pard\\intbl\\row}"));
}

void TDBGridEhExportAsRTF::WriteDataCell(TColumnEh*, TAxisColCellParamsEh* CellParams) {
    WriteCell(CellParams->Alignment(), CellParams->Font(), CellParams->Background(), CellParams->Text());
}

void TDBGridEhExportAsRTF::WriteFooter(TColumnsEhList* Columns, int FooterRow) {
    std::vector<TColor> bgs;
    for (int i = 0; i < Columns->Count(); ++i)
        bgs.push_back(FooterCellBackground(Columns->Columns(i), FooterRow));
    WriteRowDefinition(Columns, bgs);
    TDBGridEhExport::WriteFooter(Columns, FooterRow);
    PutLine(QStringLiteral("\\pard\\intbl\\row}"));
}

void TDBGridEhExportAsRTF::WriteFooterCell(int, int, const String& Text, TAlignment Alignment,
                                           TColor Background, TFont* Font, TColumnEh*) {
    WriteCell(Alignment, Font, Background, Text);
}

// ---------------------------------------------------------------------------------------------
// VCLDBIF

void TDBGridEhExportAsVCLDBIF::WritePrefix() {
    PutBytes(kSignature, 7);
    PutBytes(&kVersion, 1);
    PutInt32(FExpCols->Count());
    for (int i = 0; i < FExpCols->Count(); ++i) {
        const uint8_t b[2] = {uint8_t(FExpCols->Columns(i)->Visible() ? 1 : 0), 0};
        PutBytes(b, 2);
    }
}

void TDBGridEhExportAsVCLDBIF::WriteSuffix() {
    const uint8_t z = 0;
    PutBytes(&z, 1);
}

void TDBGridEhExportAsVCLDBIF::WriteDataCell(TColumnEh* Column, TAxisColCellParamsEh*) {
    auto tag = [&](uint8_t t) { PutBytes(&t, 1); };
    auto counted = [&](uint8_t t, const QByteArray& b) {
        tag(t);
        PutInt32(int32_t(b.size()));
        PutBytes(b.constData(), int(b.size()));
    };
    auto utf16 = [](const String& s) {
        QByteArray b;
        for (QChar ch : s) {
            b.append(char(ch.unicode() & 0xFF));
            b.append(char(ch.unicode() >> 8));
        }
        return b;
    };
    TField* f = Column->Field();
    if (!f) return tag(1);
    if (f->FieldKind() == fkLookup) {
        TStringList keys;
        TDataSet* ds = f->DataSet();
        for (const String& name : f->KeyFields().split(';', Qt::SkipEmptyParts))
            if (TField* k = ds->FindField(name.trimmed())) keys.Add(k->AsString());
        return counted(7, utf16(keys.CommaText()));
    }
    if (f->IsNull()) return tag(2);
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftShortint:
    case ftByte: {
        tag(3);
        PutInt32(f->AsInteger());
        return;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftFMTBcd: {
        tag(4);
        const double d = f->AsFloat();
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        uint8_t b[8];
        for (int i = 0; i < 8; ++i)
            b[i] = uint8_t(bits >> (8 * i));
        PutBytes(b, 8);
        return;
    }
    case ftString:
    case ftBoolean:
    case ftMemo:
    case ftFixedChar:
    case ftLargeint:
    case ftOraClob:
    case ftGuid:
    case ftOraTimeStamp:
    case ftOraInterval:
    case ftLongWord:
    case ftExtended:
        return counted(5, f->AsAnsiString());
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob: {
        const TBytes bytes = f->AsBytes();
        return counted(6, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo:
        return counted(7, utf16(f->AsWideString()));
    default:
        return tag(1);
    }
}

// ---------------------------------------------------------------------------------------------
// Clipboard copy

void PutStreamToClipboard(UINT Format, TStream* Stream) {
    const Int64 size = Stream->Size();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size_t(size));
    if (size > 0) {
        void* p = GlobalLock(h);
        Stream->SetPosition(0);
        Stream->ReadBuffer(p, Integer(size));
        GlobalUnlock(h);
    }
    OpenClipboard(nullptr);
    struct Close {
        ~Close() { CloseClipboard(); }
    } close;
    try {
        SetClipboardData(Format, h);
    } catch (...) {
        GlobalFree(h);
        throw;
    }
}

namespace {
// Every format the copy puts, in order, with its terminator.
template <class T> bool ExportFormat(TCustomDBGridEh* Grid, TMemoryStreamEh* S, bool All, int Zeros) {
    S->Clear();
    T e;
    e.SetDBGridEh(Grid);
    e.ExportToStream(S, All);
    if (!e.Written()) return false;
    const uint8_t z[2] = {0, 0};
    if (Zeros > 0) S->WriteBuffer(z, Zeros);
    return true;
}
} // namespace

void CopyGridSelectionToClipboard(TCustomDBGridEh* Grid, bool IsExportAll) {
    TDataSet* ds = GridDataSet(Grid);
    if (!ds) return;
    Clipboard()->Open();
    ds->DisableControls();
    struct Done {
        TDataSet* d;
        ~Done() {
            d->EnableControls();
            Clipboard()->Close();
        }
    } done{ds};
    TMemoryStreamEh s;
    s.SetHalfMemoryDelta(65536);
    // A walk that wrote nothing puts nothing, so a later paste falls back to what else is there.
    if (!ExportFormat<TDBGridEhExportAsText>(Grid, &s, IsExportAll, 1)) return;
    PutStreamToClipboard(CF_TEXT, &s);
    ExportFormat<TDBGridEhExportAsUnicodeText>(Grid, &s, IsExportAll, 2);
    PutStreamToClipboard(CF_UNICODETEXT, &s);
    ExportFormat<TDBGridEhExportAsCSV>(Grid, &s, IsExportAll, 1);
    PutStreamToClipboard(CsvClipboardFormat(), &s);
    ExportFormat<TDBGridEhExportAsRTF>(Grid, &s, IsExportAll, 1);
    PutStreamToClipboard(RtfClipboardFormat(), &s);
    ExportFormat<TDBGridEhExportAsVCLDBIF>(Grid, &s, IsExportAll, 0);
    PutStreamToClipboard(VCLDBIFClipboardFormat(), &s);
}

void CutGridSelectionToClipboard(TCustomDBGridEh* Grid, bool IsExportAll) {
    CopyGridSelectionToClipboard(Grid, IsExportAll);
    DeleteGridSelection(Grid, IsExportAll);
}

// ---------------------------------------------------------------------------------------------
// Importers

namespace {
TImportErrorQueryEh& ErrorQuery() {
    static TImportErrorQueryEh q;
    return q;
}

int DefaultErrorQuery(const String& Message) {
    QMessageBox box(QMessageBox::Critical, Application ? Application->Title() : String(), Message);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    box.addButton(QMessageBox::No);
    QPushButton* all = box.addButton(QMessageBox::YesToAll);
    box.exec();
    if (box.clickedButton() == yes) return mrYes;
    if (box.clickedButton() == all) return mrAll;
    return mrNo;
}
} // namespace

void SetImportErrorQuery(TImportErrorQueryEh Query) {
    ErrorQuery() = std::move(Query);
}

TDBGridEhImport::TDBGridEhImport() : FImpCols(std::make_unique<TColumnsEhList>()) {}
TDBGridEhImport::~TDBGridEhImport() = default;

void TDBGridEhImport::FormatError(const String& Where, const String& Message) {
    throw Exception(Where + QStringLiteral(": ") + Message);
}

void TDBGridEhImport::ImportFromFile(const String& FileName, bool IsImportAll) {
    TFileStream file(FileName, fmOpenRead);
    ImportFromStream(&file, IsImportAll);
}

template <class TWrite> bool TDBGridEhImport::WriteGuarded(TColumnEh* Column, TWrite&& Write) {
    try {
        Write();
        return true;
    } catch (const Exception& E) {
        return WriteFailed(Column, E);
    }
}

bool TDBGridEhImport::WriteFailed(TColumnEh* Column, const Exception& E) {
    if (FIgnoreAll) return true;
    const String where =
        QStringLiteral("строка %1, столбец «%2»")
            .arg(FRecordNo)
            .arg(Column->Title()->Caption().isEmpty() ? Column->FieldName() : Column->Title()->Caption());
    const String msg = QStringLiteral("Ошибка при вставке значения:\n") + where + QStringLiteral(": ") +
                       E.Message() + QStringLiteral("\n\nИгнорировать ошибку?");
    const int answer = ErrorQuery() ? ErrorQuery()(msg) : DefaultErrorQuery(msg);
    if (answer == mrYes) return true;
    if (answer == mrAll) {
        FIgnoreAll = true;
        return true;
    }
    FAborted = true;
    return false;
}

// Reads one record and writes it into the current record; the record is left as it was when
// anything fails.
void TDBGridEhImport::ReadRecord(TColumnsEhList* Columns) {
    std::vector<TImportValueEh>& values = FValues;
    values.clear();
    ++FRecordNo;
    if (!ReadRecordValues(values)) {
        Eos = true;
        return;
    }
    TDataSet* ds = GridDataSet(FDBGridEh);
    const TDataSetState before = ds->State();
    try {
        for (size_t i = 0; i < values.size() && i < size_t(Columns->Count()); ++i) {
            ReadDataCell(Columns->Columns(int(i)), values[i]);
            if (FAborted) break;
        }
        if (!FAborted && before == dsBrowse && (ds->State() == dsEdit || ds->State() == dsInsert)) ds->Post();
    } catch (...) {
        if (before == dsBrowse && (ds->State() == dsEdit || ds->State() == dsInsert)) ds->Cancel();
        throw;
    }
    if (FAborted && before == dsBrowse && (ds->State() == dsEdit || ds->State() == dsInsert)) ds->Cancel();
}

void TDBGridEhImport::AppendImportedRows(TColumnsEhList* Columns, bool AppendMode) {
    TDataSet* ds = GridDataSet(FDBGridEh);
    std::vector<TImportValueEh>& values = FValues;
    while (!Eos && !FAborted) {
        values.clear();
        ++FRecordNo;
        if (!ReadRecordValues(values)) {
            Eos = true;
            break;
        }
        if (AppendMode)
            ds->Append();
        else
            ds->Insert();
        try {
            for (size_t i = 0; i < values.size() && i < size_t(Columns->Count()); ++i) {
                ReadDataCell(Columns->Columns(int(i)), values[i]);
                if (FAborted) break;
            }
            if (FAborted) {
                ds->Cancel();
                break;
            }
            ds->Post();
        } catch (...) {
            if (ds->State() == dsInsert || ds->State() == dsEdit) ds->Cancel();
            throw;
        }
        if (!AppendMode) ds->Next();
    }
}

void TDBGridEhImport::ImportFromStream(TStream* Stream, bool IsImportAll) {
    FStream = Stream;
    Eos = false;
    FAborted = false;
    FIgnoreAll = false;
    FRecordNo = 0;
    TCustomDBGridEh* g = FDBGridEh;
    TDataSet* ds = GridDataSet(g);
    if (!g || !ds || !g->DataLink()->Active()) return;
    TDBGridEhSelection* sel = g->Selection();
    if (IsImportAll) {
        g->ClearSelection();
        ds->First();
        if (TColumnEh* first = g->VisibleColumn(0)) g->SetSelectedIndex(first->Index());
    }
    const bool appendMode = ds->Eof();
    bool insertState = ds->State() == dsInsert;
    if (!insertState) g->SaveBookmark();
    ds->DisableControls();
    struct Restore {
        TCustomDBGridEh* g;
        TDataSet* d;
        bool* insertState;
        ~Restore() {
            if (!*insertState) try {
                    g->RestoreBookmark();
                } catch (...) {
                }
            d->EnableControls();
        }
    } restore{g, ds, &insertState};

    FImpCols->Clear();
    const TDBGridEhSelectionType kind = IsImportAll ? gstNon : sel->SelectionType();
    auto visibleFrom = [&](int from, int to) {
        for (int i = std::max(0, from); i <= to && i < g->Columns()->Count(); ++i)
            if (TColumnEh* c = g->Columns()->Columns(i); c->Visible()) FImpCols->Add(c);
    };
    switch (kind) {
    case gstRecordBookmarks:
    case gstAll:
        visibleFrom(0, g->Columns()->Count() - 1);
        break;
    case gstRectangle:
        visibleFrom(sel->Rect()->LeftCol(), sel->Rect()->RightCol());
        break;
    case gstColumns:
        for (int i = 0; i < sel->Columns()->Count(); ++i)
            FImpCols->Add(sel->Columns()->Columns(i));
        break;
    case gstNon:
        visibleFrom(std::max(0, g->SelectedIndex()), g->Columns()->Count() - 1);
        break;
    }
    ReadPrefix();
    if (insertState) {
        AppendImportedRows(FImpCols.get(), appendMode);
    } else {
        switch (kind) {
        case gstRecordBookmarks: {
            std::vector<TBookmark> marks;
            for (int i = 0; i < sel->Rows()->Count(); ++i)
                marks.push_back(sel->Rows()->Items(i));
            for (const TBookmark& bm : marks) {
                if (Eos || FAborted) break;
                ds->GotoBookmark(bm);
                ReadRecord(FImpCols.get());
            }
            break;
        }
        case gstRectangle: {
            const TBookmark bottom = sel->Rect()->BottomRow();
            ds->GotoBookmark(sel->Rect()->TopRow());
            while (!ds->Eof() && !Eos && !FAborted) {
                ReadRecord(FImpCols.get());
                if (CompareRecordBookmarks(ds, ds->Bookmark(), bottom) == 0) break;
                ds->Next();
            }
            break;
        }
        case gstColumns:
        case gstAll:
            ds->First();
            while (!ds->Eof() && !Eos && !FAborted) {
                ReadRecord(FImpCols.get());
                ds->Next();
            }
            break;
        case gstNon:
            if (!ds->IsEmpty()) g->RestoreBookmark();
            while (!ds->Eof() && !Eos && !FAborted) {
                ReadRecord(FImpCols.get());
                ds->Next();
            }
            if (!Eos && !FAborted && g->AllowedOperations().Contains(alopAppendEh)) {
                AppendImportedRows(FImpCols.get(), true);
                insertState = true;
            }
            break;
        }
    }
    ReadSuffix();
}

// ---------------------------------------------------------------------------------------------
// Text readers

namespace {
// Windows-1251 to UTF-16, every byte (the undefined ones as the code page routine maps them).
const char16_t* AnsiTable() {
    static const std::array<char16_t, 256> table = [] {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const String text = FromAnsiBytes(all);
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = text[i].unicode();
        return t;
    }();
    return table.data();
}
} // namespace

bool TDBGridEhImportAsText::DecodeBlock(const char* Bytes, qsizetype Count, bool) {
    const void* zero = std::memchr(Bytes, 0, size_t(Count));
    const qsizetype take = zero ? static_cast<const char*>(zero) - Bytes : Count;
    const char16_t* table = AnsiTable();
    const qsizetype old = FText.size();
    FText.resize(old + take);
    QChar* out = FText.data() + old;
    for (qsizetype i = 0; i < take; ++i)
        out[i] = QChar(table[uint8_t(Bytes[i])]);
    return !zero;
}

void TDBGridEhImportAsUnicodeText::ReadPrefix() {
    FStarted = false;
    FHasOdd = false;
    TDBGridEhImportAsText::ReadPrefix();
}

bool TDBGridEhImportAsUnicodeText::DecodeBlock(const char* Bytes, qsizetype Count, bool Last) {
    const String where = ReaderName() + QStringLiteral(".CheckState");
    if (Last && FHasOdd) FormatError(where, QStringLiteral("Неверный формат текста (нечётное число байтов)"));
    const qsizetype old = FText.size();
    FText.resize(old + (Count + 1) / 2);
    QChar* out = FText.data() + old;
    qsizetype n = 0, i = 0;
    bool more = true;
    auto put = [&](char16_t u) {
        if (!FStarted) {
            FStarted = true;
            // Bytes FE FF: big-endian text, which this reader does not take.
            if (u == 0xFFFE)
                FormatError(where, QStringLiteral("Неверный формат текста (обратный порядок байтов UTF-16)"));
            if (u == 0xFEFF) return; // the byte-order mark
        }
        if (u == 0)
            more = false;
        else
            out[n++] = QChar(u);
    };
    if (FHasOdd && Count > 0) {
        FHasOdd = false;
        put(char16_t(uint8_t(FOdd) | uint8_t(Bytes[0]) << 8));
        i = 1;
    }
    for (; more && i + 1 < Count; i += 2)
        put(char16_t(uint8_t(Bytes[i]) | uint8_t(Bytes[i + 1]) << 8));
    if (more && i < Count) {
        FHasOdd = true;
        FOdd = Bytes[i];
    }
    FText.resize(old + n);
    return more;
}

bool TDBGridEhImportAsText::Refill(int& Keep) {
    if (FInputEnd) return false;
    if (Keep > 0) {
        FText.remove(0, Keep);
        FPos -= Keep;
        Keep = 0;
    }
    const qsizetype before = FText.size();
    // A short read may bring no whole character: read on until one comes or the input ends.
    while (FText.size() == before && !FInputEnd) {
        if (FBlock.size() != kInBlock) FBlock.resize(kInBlock);
        const Integer n = FStream->Read(FBlock.data(), kInBlock);
        const bool last = n <= 0;
        if (!DecodeBlock(FBlock.constData(), last ? 0 : n, last) || last) FInputEnd = true;
    }
    return FText.size() > before;
}

void TDBGridEhImportAsText::ImportFromStream(TStream* Stream, bool IsImportAll) {
    FText.clear();
    FPos = 0;
    FInputEnd = false;
    const auto release = qScopeGuard([&] {
        FText = String();
        FBlock = QByteArray();
    });
    TDBGridEhImport::ImportFromStream(Stream, IsImportAll);
}

// The input is read a block at a time; only the line being read is kept across blocks.
void TDBGridEhImportAsText::ReadPrefix() {
    FText.clear();
    FPos = 0;
    FInputEnd = false;
    int keep = 0;
    Refill(keep);
    Eos = FText.isEmpty();
}

// A line: values separated by tabs, ended by CR LF (or a lone LF) or the end of the text.
bool TDBGridEhImportAsText::ReadRecordValues(std::vector<TImportValueEh>& Values) {
    int start = FPos;
    if (FPos >= FText.size() && !Refill(start)) return false;
    // Each value is cut from the text in one piece.
    auto push = [&](int to) {
        Values.push_back(TImportValueEh{true, Variant(String(FText.constData() + start, to - start))});
    };
    for (;;) {
        if (FPos >= FText.size()) {
            if (Refill(start)) continue;
            push(FPos); // the text ends without a line break
            break;
        }
        const char16_t ch = FText.constData()[FPos].unicode();
        if (ch == u'\t') {
            push(FPos);
            start = ++FPos;
        } else if (ch == u'\r') {
            if (FPos + 1 >= FText.size() && Refill(start)) continue;
            if (FPos + 1 >= FText.size() || FText.constData()[FPos + 1] != QLatin1Char('\n'))
                FormatError(ReaderName() + QStringLiteral(".CheckState"),
                            QStringLiteral("Неверный формат текста"));
            push(FPos);
            FPos += 2;
            break;
        } else if (ch == u'\n') {
            push(FPos);
            ++FPos;
            break;
        } else {
            ++FPos;
        }
    }
    // The input is exhausted when nothing follows the line.
    if (FPos >= FText.size()) {
        int keep = FPos;
        if (!Refill(keep)) Eos = true;
    }
    if (Values.size() > size_t(FImpCols->Count()))
        FormatError(ReaderName(),
                    QStringLiteral("строка %1: %2 значений на %3 столбцов, лишнее значение в столбце %4")
                        .arg(FRecordNo)
                        .arg(Values.size())
                        .arg(FImpCols->Count())
                        .arg(FImpCols->Count() + 1));
    return true;
}

namespace {
// True when writing a text through the column comes down to the field's SetText: a column of the
// library's own classes without an update hook or a list of recent values to feed, and a field
// that is neither a blob nor watched for changes (nothing could see the column's update flag).
bool WritesTextDirectly(TColumnEh* Column, TField* Field) {
    const std::type_info& kind = typeid(*Column);
    return (kind == typeid(TDBGridColumnEh) || kind == typeid(TColumnEh)) && !Column->OnUpdateData.Assigned() &&
           !(Column->MRUList()->AutoAdd() && Column->MRUList()->Active()) && !Field->IsBlob() &&
           !Field->OnChange.Assigned();
}
} // namespace

void TDBGridEhImportAsText::ReadDataCell(TColumnEh* Column, const TImportValueEh& Value) {
    if (!Column || !Column->CanModify(false)) return;
    TField* field = Column->Field();
    if (!field) return;
    if (field->FieldKind() == fkLookup && field->KeyFields().isEmpty()) return;
    TDataSet* ds = field->DataSet();
    if (!ds->CanModify()) return;
    const String text = Value.Value.AsString();
    WriteGuarded(Column, [&] {
        ds->Edit();
        if (ds->State() != dsEdit && ds->State() != dsInsert) return;
        if (field->FieldKind() == fkLookup) {
            TDataSet* lds = field->LookupDataSet();
            if (lds &&
                lds->Locate(field->LookupResultField(), Variant(text), {loCaseInsensitive, loPartialKey}))
                Column->SetValueAsVariant(lds->FieldValues(field->LookupKeyFields()));
        } else if (Column->GetColumnType() == ctKeyPickList) {
            const int i = Column->PickList()->IndexOf(text);
            Column->SetValueAsText(i < 0 || i >= Column->KeyList()->Count() ? String()
                                                                            : Column->KeyList()->Strings(i));
        } else if (WritesTextDirectly(Column, field)) {
            field->SetText(Column->GetAcceptableEditText(text));
        } else {
            Column->SetValueAsText(Column->GetAcceptableEditText(text));
        }
    });
}

// ---------------------------------------------------------------------------------------------
// VCLDBIF reader

namespace {
const String kVCLDBIFWhere = QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix");
const String kVCLDBIFError = QStringLiteral("Неверный формат VCLDBIF");
} // namespace

void TDBGridEhImportAsVCLDBIF::ReadExact(void* Buffer, Int64 Count) {
    if (Count <= 0) return;
    if (FStream->Read(Buffer, Integer(Count)) != Count) FormatError(kVCLDBIFWhere, kVCLDBIFError);
}

void TDBGridEhImportAsVCLDBIF::ImportFromStream(TStream* Stream, bool IsImportAll) {
    UseFieldNames = false;
    FFieldNames.clear();
    TDBGridEhImport::ImportFromStream(Stream, IsImportAll);
}

void TDBGridEhImportAsVCLDBIF::ReadPrefix() {
    uint8_t head[12];
    ReadExact(head, 12);
    if (std::memcmp(head, kSignature, 7) != 0) FormatError(kVCLDBIFWhere, kVCLDBIFError);
    FColCount = GetLE32(head + 8);
    const Int64 left = FStream->Size() - FStream->Position();
    // Each column takes at least two bytes of the head: a count beyond that is not ours (or is
    // in another byte order).
    if (FColCount < 0 || Int64(FColCount) * 2 > left) FormatError(kVCLDBIFWhere, kVCLDBIFError);
    for (int i = 0; i < FColCount; ++i) {
        uint8_t flag = 0;
        ReadExact(&flag, 1);
        QByteArray name;
        for (;;) {
            char c = 0;
            ReadExact(&c, 1);
            if (c == 0) break;
            name.append(c);
        }
        FFieldNames.emplace_back(FromAnsiBytes(name), flag != 0);
        if (!name.isEmpty()) UseFieldNames = true;
    }
    // A stream without columns carries no values: only its end byte may follow.
    if (FColCount == 0) {
        uint8_t tag = 0;
        if (FStream->Read(&tag, 1) == 1 && tag != 0) FormatError(kVCLDBIFWhere, kVCLDBIFError);
        Eos = true;
    }
}

TImportValueEh TDBGridEhImportAsVCLDBIF::ReadValue(bool& End) {
    End = false;
    uint8_t tag = 0;
    ReadExact(&tag, 1);
    auto count = [&](bool even) {
        uint8_t b[4];
        ReadExact(b, 4);
        const uint32_t n = uint32_t(GetLE32(b));
        const Int64 left = FStream->Size() - FStream->Position();
        if (Int64(n) > left || (even && n % 2)) FormatError(kVCLDBIFWhere, kVCLDBIFError);
        QByteArray data(qsizetype(n), '\0');
        ReadExact(data.data(), n);
        return data;
    };
    switch (tag) {
    case 0:
        End = true;
        return {};
    case 2:
        return {true, Variant::FromNull()};
    case 3: {
        uint8_t b[4];
        ReadExact(b, 4);
        return {true, Variant(GetLE32(b))};
    }
    case 4: {
        uint8_t b[8];
        ReadExact(b, 8);
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= uint64_t(b[i]) << (8 * i);
        double d;
        std::memcpy(&d, &bits, 8);
        return {true, Variant(d)};
    }
    case 5:
    case 6:
        return {true, Variant(FromAnsiBytes(count(false)))};
    case 7: {
        const QByteArray data = count(true);
        String s;
        for (qsizetype i = 0; i + 1 < data.size(); i += 2)
            s += QChar(char16_t(uint8_t(data[i]) | uint8_t(data[i + 1]) << 8));
        return {true, Variant(s)};
    }
    default:
        return {};
    }
}

bool TDBGridEhImportAsVCLDBIF::ReadRecordValues(std::vector<TImportValueEh>& Values) {
    if (Eos) return false;
    for (int i = 0; i < FColCount; ++i) {
        bool end = false;
        TImportValueEh v;
        try {
            v = ReadValue(end);
        } catch (const Exception& E) {
            throw Exception(E.Message() +
                            QStringLiteral(" (запись %1, столбец %2)").arg(FRecordNo).arg(i + 1));
        }
        if (end) {
            Eos = true;
            // The end byte belongs between records only.
            if (i != 0)
                FormatError(
                    kVCLDBIFWhere,
                    kVCLDBIFError +
                        QStringLiteral(" (запись %1 оборвана на столбце %2)").arg(FRecordNo).arg(i + 1));
            return false;
        }
        Values.push_back(v);
    }
    if (FColCount > FImpCols->Count() && FImpCols->Count() > 0)
        FormatError(kVCLDBIFWhere,
                    QStringLiteral("запись %1: %2 значений на %3 столбцов, лишнее значение в столбце %4")
                        .arg(FRecordNo)
                        .arg(FColCount)
                        .arg(FImpCols->Count())
                        .arg(FImpCols->Count() + 1));
    if (FStream->Position() >= FStream->Size()) Eos = true;
    return true;
}

void TDBGridEhImportAsVCLDBIF::ReadDataCell(TColumnEh* Column, const TImportValueEh& Value) {
    if (!Value.Assigned || !Column || !Column->CanModify(false)) return;
    TField* field = Column->Field();
    if (!field) return;
    TDataSet* ds = field->DataSet();
    if (!ds->CanModify()) return;
    WriteGuarded(Column, [&] {
        ds->Edit();
        if (ds->State() != dsEdit && ds->State() != dsInsert) return;
        if (field->FieldKind() == fkLookup) {
            TStringList parts;
            parts.SetCommaText(VarToStr(Value.Value));
            const QStringList keys = field->KeyFields().split(';', Qt::SkipEmptyParts);
            for (int i = 0; i < keys.size() && i < parts.Count(); ++i)
                if (TField* k = ds->FindField(keys[i].trimmed())) k->SetAsString(parts.Strings(i));
        } else {
            Column->SetValueAsVariant(Value.Value);
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Paste

void GetStreamFromClipboard(UINT Format, TStream* Stream) {
    OpenClipboard(nullptr);
    struct Close {
        ~Close() { CloseClipboard(); }
    } close;
    HGLOBAL h = GetClipboardData(Format);
    if (!h) return;
    const size_t n = GlobalSize(h);
    if (n == 0) return;
    const void* p = GlobalLock(h);
    struct Unlock {
        HGLOBAL h;
        ~Unlock() { GlobalUnlock(h); }
    } unlock{h};
    Stream->WriteBuffer(p, Integer(n));
}

void PasteGridFromClipboard(TCustomDBGridEh* Grid, bool IsImportAll) {
    OpenClipboard(nullptr);
    struct Close {
        ~Close() { CloseClipboard(); }
    } close;
    auto run = [&](UINT format, auto importer) {
        TMemoryStream s;
        GetStreamFromClipboard(format, &s);
        s.SetPosition(0);
        importer.SetDBGridEh(Grid);
        importer.ImportFromStream(&s, IsImportAll);
    };
    if (IsClipboardFormatAvailable(VCLDBIFClipboardFormat()))
        run(VCLDBIFClipboardFormat(), TDBGridEhImportAsVCLDBIF());
    else if (IsClipboardFormatAvailable(CF_UNICODETEXT))
        run(CF_UNICODETEXT, TDBGridEhImportAsUnicodeText());
    else if (IsClipboardFormatAvailable(CF_TEXT))
        run(CF_TEXT, TDBGridEhImportAsText());
}
