// Export of the data grid in its five formats (checked byte for byte, and read back by Python's
// csv module and by unrtf), import and paste of the text and tagged formats, and the import's
// handling of malformed input.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <limits>
#include <random>

#include <QByteArray>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QByteArray Cp1251(const QString& s) {
    return ToAnsi(s);
}
QByteArray Utf16(const QString& s) {
    QByteArray b;
    for (QChar c : s) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}
QByteArray Le32(int v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(uint32_t(v) >> (8 * i));
    return b;
}
QByteArray Tag5(const QString& s) {
    const QByteArray a = Cp1251(s);
    return QByteArray(1, 5) + Le32(int(a.size())) + a;
}
QByteArray Tag3(int v) {
    return QByteArray(1, 3) + Le32(v);
}

using Rows = std::vector<std::vector<Variant>>;

struct ImpExpFixture : DBGridFormFixture<TDBGridEh> {
    void SetUp() override {
        DBGridFormFixture::SetUp();
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
        Table->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        Table->CreateDataSet();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Pump();
    }
    void TearDown() override {
        SetImportErrorQuery(nullptr);
        DBGridFormFixture::TearDown();
    }
    void Fill(const Rows& R) {
        for (const auto& r : R)
            Table->AppendRecord(r);
        Table->First();
        Pump();
    }
    Rows Read() {
        Rows out;
        const TBookmark bm = Table->Bookmark();
        Table->First();
        while (!Table->Eof()) {
            std::vector<Variant> r;
            for (int i = 0; i < Table->FieldCount(); ++i)
                r.push_back(Table->Fields()->Fields(i)->Value());
            out.push_back(r);
            Table->Next();
        }
        if (!bm.empty()) Table->GotoBookmark(bm);
        return out;
    }
    template <class T> QByteArray Export(bool All = true) {
        TMemoryStream s;
        ExportGridToStream<T>(Grid, &s, All);
        return QByteArray(static_cast<const char*>(s.Memory()), qsizetype(s.Size()));
    }
    template <class T> void Import(const QByteArray& Bytes, bool All = false) {
        TMemoryStream s;
        s.WriteBuffer(Bytes.constData(), Integer(Bytes.size()));
        s.SetPosition(0);
        ImportGridFromStream<T>(Grid, &s, All);
    }
    // The grid at the first column of record Id, nothing selected.
    void At(int Id) {
        Table->Locate(QStringLiteral("ID"), Variant(Id), {});
        Grid->SetSelectedIndex(0);
    }
};

const Variant N = Variant::FromNull();
Variant S(const char* s) {
    return Variant(QString::fromUtf8(s));
}

const Rows kSample = {{Variant(1), S("a\"b"), Variant(3)},
                      {Variant(2), S("x;y"), N},
                      {Variant(3), S("Привет"), Variant(5)},
                      {Variant(4), S("{x}\\y"), Variant(7)}};

TEST_F(ImpExpFixture, EachFormatWritesTheExpectedBytes) {
    Fill(kSample);
    const QString text =
        QString::fromUtf8("ID\tName\tQty\r\n1\ta\"b\t3\r\n2\tx;y\t\r\n3\tПривет\t5\r\n4\t{x}\\y\t7");
    const QString csv =
        QString::fromUtf8("\"ID\";\"Name\";\"Qty\"\r\n\"1\";\"a\"\"b\";\"3\"\r\n\"2\";\"x;y\";\"\"\r\n"
                          "\"3\";\"Привет\";\"5\"\r\n\"4\";\"{x}\\y\";\"7\"");
    QByteArray tagged = QByteArray("VCLDBIF\x01", 8) + Le32(3) + QByteArray("\x01\x00\x01\x00\x01\x00", 6);
    tagged += Tag3(1) + Tag5(QStringLiteral("a\"b")) + Tag3(3);
    tagged += Tag3(2) + Tag5(QStringLiteral("x;y")) + QByteArray(1, 2);
    tagged += Tag3(3) + Tag5(QString::fromUtf8("Привет")) + Tag3(5);
    tagged += Tag3(4) + Tag5(QStringLiteral("{x}\\y")) + Tag3(7) + QByteArray(1, 0);

    struct Case {
        const char* Name;
        QByteArray Got;
        QByteArray Want;
    } cases[] = {
        {"text", Export<TDBGridEhExportAsText>(), Cp1251(text)},
        {"unicode", Export<TDBGridEhExportAsUnicodeText>(), Utf16(text)},
        {"csv", Export<TDBGridEhExportAsCSV>(), Cp1251(csv)},
        {"tagged", Export<TDBGridEhExportAsVCLDBIF>(), tagged},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Got.toHex(' '), c.Want.toHex(' ')) << c.Name;
}

TEST_F(ImpExpFixture, NumbersCopyAsTheyAreEditedWhenTheCentrePrefersIt) {
    Fill({{Variant(1), S("a"), Variant(1500)}, {Variant(2), S("b"), N}});
    auto* qty = static_cast<TNumericField*>(Table->FieldByName(QStringLiteral("Qty")));
    qty->SetDisplayFormat(QStringLiteral("0 'pcs'"));
    qty->SetEditFormat(QStringLiteral("0"));
    TDBGridEhCenter center;
    Grid->SetCenter(&center);
    const auto restore = qScopeGuard([&] { Grid->SetCenter(nullptr); });
    const QString shown = QStringLiteral("ID\tName\tQty\r\n1\ta\t1500 pcs\r\n2\tb\t");
    const QString edited = QStringLiteral("ID\tName\tQty\r\n1\ta\t1500\r\n2\tb\t");
    EXPECT_EQ(Export<TDBGridEhExportAsText>(), Cp1251(shown));
    center.PreferEditFormatForNumberFields = true;
    EXPECT_EQ(Export<TDBGridEhExportAsText>(), Cp1251(edited));
    EXPECT_EQ(Export<TDBGridEhExportAsUnicodeText>(), Utf16(edited));
    // Text fields keep their display text, and CSV always writes what the cells show.
    EXPECT_EQ(
        Export<TDBGridEhExportAsCSV>(),
        Cp1251(QStringLiteral("\"ID\";\"Name\";\"Qty\"\r\n\"1\";\"a\";\"1500 pcs\"\r\n\"2\";\"b\";\"\"")));
}

// Without hooks the text formats take each cell's text alone; every hook, list or override that
// shapes a cell must still be seen, and a descendant still gets the full cell parameters.
struct BackgroundCsv : TDBGridEhExportAsCSV {
    void WriteDataCell(TColumnEh*, TAxisColCellParamsEh* CellParams) override {
        CheckFirstCell();
        PutText(IntToStr(int(CellParams->Background())));
    }
};

TEST_F(ImpExpFixture, CellHooksListsAndDescendantsShapeTheExport) {
    Fill({{Variant(1), S("a"), Variant(2)}});
    TDBGridOptions o = Grid->Options();
    o.Exclude(dgTitles);
    Grid->SetOptions(o);
    TColumnEh* id = Grid->Columns()->Columns(0);
    TColumnEh* name = Grid->Columns()->Columns(1);
    TField* qty = Table->FieldByName(QStringLiteral("Qty"));
    EXPECT_EQ(Export<TDBGridEhExportAsCSV>(), QByteArray("\"1\";\"a\";\"2\""));

    name->SetOnGetCellParams(TColumnEh::TGetColCellParamsEventEh::Callable(
        [](TColumnEh*, bool, TAxisColCellParamsEh* P) { P->SetText(P->Text() + QStringLiteral("!")); }));
    qty->OnGetText = TFieldGetTextEvent::Callable([](TField*, String& Text, bool) { Text = QStringLiteral("q"); });
    id->KeyList()->SetText(QStringLiteral("1"));
    id->PickList()->SetText(QStringLiteral("one"));
    EXPECT_EQ(Export<TDBGridEhExportAsCSV>(), QByteArray("\"one\";\"a!\";\"q\""));
    EXPECT_EQ(Export<TDBGridEhExportAsText>(), QByteArray("one\ta!\tq"));

    Grid->OnGetCellParams = TGetCellEhParamsEvent::Callable(
        [name](TObject*, TColumnEh* Column, TFont*, TColor& Background, TGridDrawState) {
            if (Column == name) Background = clRed;
        });
    const QByteArray want = QByteArray::number(int(id->Color())) + ';' + QByteArray::number(int(clRed)) + ';' +
                            QByteArray::number(int(Grid->Columns()->Columns(2)->Color()));
    EXPECT_EQ(Export<BackgroundCsv>(), want);
    Grid->OnGetCellParams = nullptr;
    EXPECT_EQ(Export<BackgroundCsv>().count(QByteArray::number(int(clRed))), 0);
}

// A column a hook makes read-only receives nothing from an import.
TEST_F(ImpExpFixture, ImportHonoursAReadOnlyCellHook) {
    Fill({{Variant(1), S("a"), Variant(2)}});
    TColumnEh* name = Grid->Columns()->Columns(1);
    name->SetOnGetCellParams(TColumnEh::TGetColCellParamsEventEh::Callable(
        [](TColumnEh*, bool EditMode, TAxisColCellParamsEh* P) {
            if (EditMode) P->SetReadOnly(true);
        }));
    At(1);
    Import<TDBGridEhImportAsText>("5\tz\t6");
    EXPECT_EQ(Read(), (Rows{{Variant(5), S("a"), Variant(6)}}));
    name->SetOnGetCellParams(nullptr);
    At(5);
    Import<TDBGridEhImportAsText>("7\tz\t8");
    EXPECT_EQ(Read(), (Rows{{Variant(7), S("z"), Variant(8)}}));
}

// Imported text reaches the field through the column's update hook and the field's change
// notice when they are set, on existing and on appended records.
TEST_F(ImpExpFixture, ImportedTextPassesTheColumnHookAndFieldNotices) {
    Fill({{Variant(1), S("a"), Variant(2)}});
    TColumnEh* name = Grid->Columns()->Columns(1);
    name->OnUpdateData = TColCellUpdateDataEventEh::Callable(
        [](TAxisBarEh*, String& Text, Variant&, bool&, bool&) { Text = Text.toUpper(); });
    int qtyChanges = 0;
    TField* qty = Table->FieldByName(QStringLiteral("Qty"));
    qty->OnChange = TFieldNotifyEvent::Callable([&](TField*) { ++qtyChanges; });
    const auto restore = qScopeGuard([&] {
        name->OnUpdateData = nullptr;
        qty->OnChange = nullptr;
    });
    TDBGridEhAllowedOperations ops = Grid->AllowedOperations();
    ops.Include(alopAppendEh);
    Grid->SetAllowedOperations(ops);
    At(1);
    Import<TDBGridEhImportAsText>("5\tz\t6\r\n7\ty\t8");
    EXPECT_EQ(Read(), (Rows{{Variant(5), S("Z"), Variant(6)}, {Variant(7), S("Y"), Variant(8)}}));
    EXPECT_EQ(qtyChanges, 2);
}

TEST_F(ImpExpFixture, SelectionKindsChooseRowsAndColumns) {
    Fill(kSample);
    TDBGridOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    Grid->SetOptions(o);
    // Two selected records, with titles: lines separated, not terminated.
    At(1);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
    At(3);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_EQ(Export<TDBGridEhExportAsText>(false),
              Cp1251(QString::fromUtf8("ID\tName\tQty\r\n1\ta\"b\t3\r\n3\tПривет\t5")));
    // A rectangle: its columns and records only.
    At(2);
    const TBookmark top = Table->Bookmark();
    At(3);
    Grid->Selection()->Rect()->Select(1, top, false);
    Grid->Selection()->Rect()->Select(2, Table->Bookmark(), true);
    EXPECT_EQ(Export<TDBGridEhExportAsText>(false),
              Cp1251(QString::fromUtf8("Name\tQty\r\nx;y\t\r\nПривет\t5")));
    // Selected columns, every record.
    Grid->Selection()->Columns()->Select(Grid->Columns()->Columns(2), false);
    EXPECT_EQ(Export<TDBGridEhExportAsText>(false), QByteArray("Qty\r\n3\r\n\r\n5\r\n7"));
    // Nothing selected: the current cell alone, no title.
    Grid->ClearSelection();
    At(4);
    Grid->SetSelectedIndex(1);
    EXPECT_EQ(Export<TDBGridEhExportAsText>(false), QByteArray("{x}\\y"));
}

// Footer rows follow the records, with what OnGetFooterParams gives each cell.
TEST_F(ImpExpFixture, FooterRowsFollowTheRecords) {
    Fill({{Variant(1), S("a"), Variant(2)}, {Variant(2), S("b"), Variant(3)}});
    Grid->SetFooterRowCount(1);
    Grid->OnGetFooterParams =
        decltype(Grid->OnGetFooterParams)::Callable([](TObject*, int, int, TColumnEh* Column, TFont*, TColor&,
                                                       TAlignment&, TGridDrawState, String& Text) {
            Text = Column->FieldName() == QLatin1String("Qty") ? QStringLiteral("5")
                                                               : QString::fromUtf8("Итого");
        });
    EXPECT_EQ(Export<TDBGridEhExportAsText>(),
              Cp1251(QString::fromUtf8("ID\tName\tQty\r\n1\ta\t2\r\n2\tb\t3\r\nИтого\tИтого\t5")));
    EXPECT_TRUE(
        Export<TDBGridEhExportAsCSV>().endsWith(Cp1251(QString::fromUtf8("\r\n\"Итого\";\"Итого\";\"5\""))));
    // The tagged format carries records only.
    EXPECT_TRUE(Export<TDBGridEhExportAsVCLDBIF>().endsWith(Tag3(2) + Tag5(QStringLiteral("b")) + Tag3(3) +
                                                            QByteArray(1, 0)));
}

// Sums and counts are taken over the exported records only.
TEST_F(ImpExpFixture, FooterSumsAndCountsCoverTheExportedRecords) {
    Fill(kSample);
    Grid->SetFooterRowCount(1);
    TColumnEh* name = Grid->Columns()->Columns(1);
    TColumnEh* qty = Grid->Columns()->Columns(2);
    name->Footer()->SetValueType(fvtCount);
    name->Footer()->SetDisplayFormat(QStringLiteral("0' rows'"));
    qty->Footer()->SetValueType(fvtSum);
    Pump();
    EXPECT_TRUE(Export<TDBGridEhExportAsText>().endsWith("\r\n\t4 rows\t15"));
    TDBGridOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    Grid->SetOptions(o);
    At(2);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
    At(3);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
    EXPECT_TRUE(Export<TDBGridEhExportAsCSV>(false).endsWith("\r\n\"\";\"2 rows\";\"5\""));
}

TEST_F(ImpExpFixture, CsvQuoteAndSeparatorSettings) {
    Fill({{Variant(1), S("a\"b"), Variant(2)}});
    TDBGridOptions o = Grid->Options();
    o.Exclude(dgTitles);
    Grid->SetOptions(o);
    struct Case {
        char Quote, Sep;
        QByteArray Want;
    } cases[] = {
        {'"', ';', "\"1\";\"a\"\"b\";\"2\""},
        {0, ';', "1;a\"b;2"},
        {'"', 0, "\"1\"\"a\"\"b\"\"2\""},
        {'\'', ',', "'1','a\"b','2'"},
    };
    for (const Case& c : cases) {
        TDBGridEhExportAsCSV e;
        e.SetDBGridEh(Grid);
        e.SetQuoteChar(c.Quote);
        e.SetSeparator(c.Sep);
        TMemoryStream s;
        e.ExportToStream(&s, true);
        EXPECT_EQ(QByteArray(static_cast<const char*>(s.Memory()), qsizetype(s.Size())), c.Want)
            << int(c.Quote) << " " << int(c.Sep);
    }
}

// Runs a program and answers its standard output; skips the test when it is not installed.
#define RUN_TOOL(out, program, args)                                                                         \
    QString out;                                                                                             \
    {                                                                                                        \
        if (QStandardPaths::findExecutable(program).isEmpty())                                               \
            GTEST_SKIP() << program << " is not installed (scripts/setup.sh installs it)";                   \
        QProcess p;                                                                                          \
        p.start(program, args);                                                                              \
        ASSERT_TRUE(p.waitForFinished(20000));                                                               \
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();                                \
        out = QString::fromUtf8(p.readAllStandardOutput());                                                  \
    }

TEST_F(ImpExpFixture, CsvReadsBackWithPythonCsvModule) {
    Rows rows = kSample;
    rows.push_back({Variant(5), S("two\r\nlines; \"q\""), Variant(9)});
    Fill(rows);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grid.csv"));
    ExportGridToFile<TDBGridEhExportAsCSV>(Grid, file, true);
    const QString script =
        QStringLiteral("import csv,sys\n"
                       "with open(sys.argv[1], encoding='cp1251', newline='') as f:\n"
                       "    for row in csv.reader(f, delimiter=';'):\n"
                       "        sys.stdout.buffer.write(('|'.join(row) + '\\n#\\n').encode('utf-8'))\n");
    RUN_TOOL(out, QStringLiteral("python3"), (QStringList{QStringLiteral("-c"), script, file}));
    const QString want =
        QString::fromUtf8("ID|Name|Qty\n#\n1|a\"b|3\n#\n2|x;y|\n#\n3|Привет|5\n#\n4|{x}\\y|7\n#\n"
                          "5|two\r\nlines; \"q\"|9\n#\n");
    EXPECT_EQ(out, want);
}

TEST_F(ImpExpFixture, RtfReadsBackWithUnrtf) {
    Fill(kSample);
    Grid->Columns()->Columns(0)->SetWidth(96);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grid.rtf"));
    ExportGridToFile<TDBGridEhExportAsRTF>(Grid, file, true);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray rtf = f.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf0\\ansi"));
    EXPECT_TRUE(rtf.contains("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;"));
    EXPECT_TRUE(rtf.contains("\\cellx1440\r\n")); // 96 pixels at 96 per inch
    EXPECT_TRUE(rtf.contains("\\{x\\}\\\\y"));
    EXPECT_TRUE(rtf.endsWith("}"));
    // unrtf's plain-text output is 7-bit; its HTML output carries every character.
    RUN_TOOL(html, QStringLiteral("unrtf"), (QStringList{QStringLiteral("--html"), file}));
    QString out;
    static const QRegularExpression entity(QStringLiteral("&#(\\d+);"));
    qsizetype last = 0;
    for (auto it = entity.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out += html.mid(last, m.capturedStart() - last) + QChar(char16_t(m.captured(1).toInt()));
        last = m.capturedEnd();
    }
    out += html.mid(last);
    out.replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    for (const char* s : {"Привет", "a\"b", "x;y", "{x}\\y", "Name", "Qty"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(s))) << s << "\n" << out.toStdString();
}

// Bands over several columns are merged: their text once, no borders inside the block.
TEST_F(ImpExpFixture, RtfMultiLevelTitlesMergeBands) {
    Fill(kSample);
    Grid->Columns()->Columns(0)->Title()->SetCaption(QStringLiteral("Group|A"));
    Grid->Columns()->Columns(1)->Title()->SetCaption(QStringLiteral("Group|B"));
    Grid->Columns()->Columns(2)->Title()->SetCaption(QStringLiteral("C"));
    Grid->SetUseMultiTitle(true);
    Pump();
    const QByteArray rtf = Export<TDBGridEhExportAsRTF>();
    EXPECT_EQ(rtf.count("Group"), 1);
    const qsizetype top = rtf.indexOf("\\trowd"), cells = rtf.indexOf("{\\trrh0", top);
    const QByteArray def = rtf.mid(top, cells - top);
    EXPECT_EQ(def.count("\\clbrdrl"), 2);
    EXPECT_EQ(def.count("\\clbrdrr"), 2);
    EXPECT_EQ(def.count("\\clbrdrb"), 2); // C goes on down into the leaf row
    const qsizetype second = rtf.indexOf("\\row}", cells);
    const QByteArray leafRow = rtf.mid(second, rtf.indexOf("\\row}", second + 5) - second);
    EXPECT_TRUE(leafRow.contains(" A\\cell}"));
    EXPECT_TRUE(leafRow.contains(" B\\cell}"));
    EXPECT_FALSE(leafRow.contains(" C\\cell}"));
    EXPECT_TRUE(rtf.contains("\\trowd\\trgaph40\r\n\\clbrdrl\\brdrs\\brdrcf0\r\n\\clbrdrt"));
}

TEST_F(ImpExpFixture, TaggedRoundTripKeepsValuesNullsAndCyrillic) {
    Fill(kSample);
    const QByteArray tagged = Export<TDBGridEhExportAsVCLDBIF>();
    const Rows before = Read();
    while (!Table->IsEmpty())
        Table->Delete();
    Import<TDBGridEhImportAsVCLDBIF>(tagged, true);
    EXPECT_EQ(Read(), before);

    // Tag 1 leaves a field alone, tag 2 sets Null.
    QByteArray one = QByteArray("VCLDBIF\x01", 8) + Le32(3) + QByteArray("\x01\x00\x01\x00\x01\x00", 6);
    one += QByteArray(1, 1) + QByteArray(1, 2) + Tag3(42) + QByteArray(1, 0);
    At(1);
    Import<TDBGridEhImportAsVCLDBIF>(one);
    EXPECT_EQ(Read()[0], (std::vector<Variant>{Variant(1), N, Variant(42)}));
}

TEST_F(ImpExpFixture, PasteOfTextFromAnotherProgram) {
    Fill({{Variant(1), S("one"), Variant(1)}, {Variant(2), S("two"), Variant(2)}});
    TDBGridEhAllowedOperations ops = Grid->AllowedOperations();
    ops.Include(alopAppendEh);
    Grid->SetAllowedOperations(ops);
    // What a Linux program puts: UTF-8 text with LF line ends, empty cells, no terminator.
    Clipboard()->SetAsText(QString::fromUtf8("7\tСемь\n8\t\t4\n9\tДевять"));
    At(2);
    PasteGridFromClipboard(Grid, false);
    EXPECT_EQ(Read(), (Rows{{Variant(1), S("one"), Variant(1)},
                            {Variant(7), S("Семь"), Variant(2)},
                            {Variant(8), S(""), Variant(4)},
                            {Variant(9), S("Девять"), N}}));

    // The grid's own copy carries the tagged format, which paste prefers.
    Clipboard()->Clear();
    At(1);
    Grid->SetSelectedIndex(1);
    CopyGridSelectionToClipboard(Grid, false);
    EXPECT_TRUE(Clipboard()->HasFormat(VCLDBIFClipboardFormat()));
    EXPECT_TRUE(Clipboard()->HasFormat(CsvClipboardFormat()));
    EXPECT_TRUE(Clipboard()->HasFormat(RtfClipboardFormat()));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("one"));
    At(7);
    Grid->SetSelectedIndex(1);
    PasteGridFromClipboard(Grid, false);
    EXPECT_EQ(Read()[1][1], S("one"));
}

// Other programs find each format under its MIME type, as they expect it.
TEST_F(ImpExpFixture, CopyOffersTheFormatsToOtherPrograms) {
    Fill(kSample);
    CopyGridSelectionToClipboard(Grid, true);
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->text().contains(QString::fromUtf8("3\tПривет\t5")));
    const QByteArray csv = m->data(QStringLiteral("text/csv"));
    EXPECT_TRUE(csv.endsWith("\"7\""));
    EXPECT_EQ(QString::fromUtf8(csv), QString::fromUtf8(csv.constData()));
    EXPECT_TRUE(csv.contains("\"3\";\"Привет\";\"5\""));
    const QByteArray rtf = m->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf0"));
    EXPECT_TRUE(rtf.endsWith("}"));
    EXPECT_TRUE(m->hasFormat(QStringLiteral("application/x-kvt-VCLDBIF")));
    // Read back, the blocks are the platform's: Windows-1251 with a terminating zero.
    EXPECT_TRUE(
        Clipboard()->GetAsBytes(CsvClipboardFormat()).endsWith(Cp1251(QString::fromUtf8("\"7\"")) + '\0'));
}

// The current cell of a detail grid is not copied: the clipboard keeps what it had, so a
// later paste does not meet an empty block.
TEST_F(ImpExpFixture, CurrentCellOfADetailGridCopiesNothing) {
    Fill(kSample);
    auto* master = Create<TMemTableEh>(Form);
    master->FieldDefs()->Add(QStringLiteral("K"), ftInteger);
    master->CreateDataSet();
    master->AppendRecord({Variant(1)});
    auto* masterSource = new TDataSource(Form);
    masterSource->SetDataSet(master);
    Table->SetMasterSource(masterSource);
    Clipboard()->SetAsText(QStringLiteral("before"));
    CopyGridSelectionToClipboard(Grid, false);
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("before"));
    EXPECT_FALSE(Clipboard()->HasFormat(VCLDBIFClipboardFormat()));
    // The whole grid still copies.
    CopyGridSelectionToClipboard(Grid, true);
    EXPECT_TRUE(Clipboard()->HasFormat(VCLDBIFClipboardFormat()));
}

TEST_F(ImpExpFixture, TextFileIsReadToItsLastByte) {
    Fill({{Variant(1), S("one"), Variant(1)}});
    At(1);
    Import<TDBGridEhImportAsText>(Cp1251(QString::fromUtf8("5\tЖ")));
    EXPECT_EQ(Read()[0], (std::vector<Variant>{Variant(5), S("Ж"), Variant(1)}));
    At(5);
    Import<TDBGridEhImportAsUnicodeText>(QByteArray("\xFF\xFE", 2) + Utf16(QStringLiteral("6\tq\r\n")));
    EXPECT_EQ(Read()[0], (std::vector<Variant>{Variant(6), S("q"), Variant(1)}));
}

// Malformed input fails with a clear message and leaves the records it did not fully write as
// they were.
TEST_F(ImpExpFixture, MalformedInputFailsCleanly) {
    const Rows start = {{Variant(1), S("one"), Variant(1)}, {Variant(2), S("two"), Variant(2)}};
    QByteArray head = QByteArray("VCLDBIF\x01", 8) + Le32(3) + QByteArray("\x01\x00\x01\x00\x01\x00", 6);
    QByteArray twoRecords = head + Tag3(7) + Tag5(QStringLiteral("seven")) + Tag3(7) + Tag3(8) +
                            Tag5(QStringLiteral("eight")) + Tag3(8) + QByteArray(1, 0);
    struct Case {
        const char* Name;
        char Kind; // t text, u UTF-16 text, v tagged
        QByteArray Input;
        QString Message; // the start of the error text
        Rows After;
    } cases[] = {
        {"lone CR", 't', "7\tA\r8\tB",
         QStringLiteral("TDBGridEhImportAsText.CheckState: Неверный формат текста"), start},
        {"too many cells", 't', "7\tA\t3\t9", QStringLiteral("TDBGridEhImportAsText: строка 1"), start},
        {"second line too long",
         't',
         "7\tA\r\n8\tB\t3\t4",
         QStringLiteral("TDBGridEhImportAsText: строка 2"),
         {{Variant(7), S("A"), Variant(1)}, start[1]}},
        {"UTF-16 in the other byte order", 'u',
         QByteArray("\xFE\xFF", 2) + QByteArray("\x00"
                                                "7\x00\t\x00"
                                                "A",
                                                6),
         QStringLiteral("TDBGridEhImportAsUnicodeText.CheckState: Неверный формат текста"), start},
        {"UTF-16 cut in a code unit", 'u', Utf16(QStringLiteral("7\tA")) + "B",
         QStringLiteral("TDBGridEhImportAsUnicodeText.CheckState: Неверный формат текста"), start},
        {"signature", 'v', "VCLDBIX\x01" + Le32(3),
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"), start},
        {"truncated",
         'v',
         twoRecords.left(twoRecords.size() - 4),
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"),
         {{Variant(7), S("seven"), Variant(7)}, start[1]}},
        {"huge length", 'v', head + Tag3(7) + QByteArray(1, 5) + Le32(0x7FFFFFFF) + "abc",
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"), start},
        {"big-endian count", 'v', QByteArray("VCLDBIF\x01\x00\x00\x00\x03", 12),
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"), start},
        {"odd UTF-16 length", 'v', head + Tag3(7) + QByteArray(1, 7) + Le32(3) + "abc" + Tag3(1),
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"), start},
        {"no columns, then data", 'v', QByteArray("VCLDBIF\x01", 8) + Le32(0) + "\x03\x01\x00\x00\x00",
         QStringLiteral("TDBGridEhImportAsVCLDBIF.ReadPrefix: Неверный формат VCLDBIF"), start},
    };
    for (const Case& c : cases) {
        while (!Table->IsEmpty())
            Table->Delete();
        Fill(start);
        At(1);
        try {
            if (c.Kind == 'v')
                Import<TDBGridEhImportAsVCLDBIF>(c.Input);
            else if (c.Kind == 'u')
                Import<TDBGridEhImportAsUnicodeText>(c.Input);
            else
                Import<TDBGridEhImportAsText>(c.Input);
            ADD_FAILURE() << c.Name << ": no error";
        } catch (const Exception& E) {
            EXPECT_TRUE(E.Message().startsWith(c.Message)) << c.Name << ": " << E.Message().toStdString();
        }
        EXPECT_EQ(Table->State(), dsBrowse) << c.Name;
        EXPECT_EQ(Read(), c.After) << c.Name;
    }
}

TEST_F(ImpExpFixture, ValueErrorsAskAndNeverHalfWriteARecord) {
    const Rows start = {{Variant(1), S("one"), Variant(1)}, {Variant(2), S("two"), Variant(2)}};
    const QByteArray input = "5\tfive\t1-2\r\n6\tsix\t3+4";
    struct Case {
        int Answer;
        int Questions;
        Rows After;
    } cases[] = {
        // No: the import stops and the record being written stays as it was.
        {mrNo, 1, start},
        // Yes: the bad value is skipped, the rest of the record is written.
        {mrYes, 2, {{Variant(5), S("five"), Variant(1)}, {Variant(6), S("six"), Variant(2)}}},
        // All: skipped without asking again.
        {mrAll, 1, {{Variant(5), S("five"), Variant(1)}, {Variant(6), S("six"), Variant(2)}}},
    };
    for (const Case& c : cases) {
        while (!Table->IsEmpty())
            Table->Delete();
        Fill(start);
        std::vector<String> asked;
        SetImportErrorQuery([&](const String& Message) {
            asked.push_back(Message);
            return c.Answer;
        });
        At(1);
        Import<TDBGridEhImportAsText>(input);
        ASSERT_EQ(int(asked.size()), c.Questions) << c.Answer;
        EXPECT_TRUE(
            asked[0].startsWith(QStringLiteral("Ошибка при вставке значения:\nстрока 1, столбец «Qty»")))
            << asked[0].toStdString();
        EXPECT_TRUE(asked[0].endsWith(QStringLiteral("\n\nИгнорировать ошибку?")));
        EXPECT_EQ(Read(), c.After) << c.Answer;
    }
}

// Numbers and strings are written straight from the record when nothing can change their text;
// every value must come out as the same bytes as through the cell's display text, which a
// no-op cell hook forces.
TEST_F(ImpExpFixture, CsvFromStoredValuesMatchesTheDisplayText) {
    auto* t = Create<TMemTableEh>(Form);
    t->FieldDefs()->Add(QStringLiteral("I"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("L"), ftLargeint);
    t->FieldDefs()->Add(QStringLiteral("F"), ftFloat);
    t->FieldDefs()->Add(QStringLiteral("F7"), ftFloat);
    t->FieldDefs()->Add(QStringLiteral("F2"), ftFloat);
    t->FieldDefs()->Add(QStringLiteral("S"), ftString, 20);
    t->CreateDataSet();
    static_cast<TFloatField*>(t->FieldByName(QStringLiteral("F7")))->SetPrecision(7);
    static_cast<TFloatField*>(t->FieldByName(QStringLiteral("F2")))->SetPrecision(2);
    Source->SetDataSet(t);
    Pump();

    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> floats = {0.0,      -0.0,     1,         -1,        0.1,        0.5,      0.125,
                                  2.5,      0.3,      0.1 + 0.2, 1.005,     123.45,     -123.45,  100,
                                  1e14,     1e15,     1e16,      1e100,     1e-3,       1e-4,     1e-5,
                                  1.5e-4,   9.5,      99.5,      999999999999999.0,     1234567890123456.0,
                                  0.000999, 0.0009995, DBL_MAX,  -DBL_MAX,  DBL_MIN,    DBL_TRUE_MIN,
                                  4.9e-310, inf,      -inf,      std::nan(""), 9.999999e14, 0.95, 0.05};
    std::mt19937_64 rng(16);
    for (int i = 0; i < 600; ++i) {
        const uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        floats.push_back(d);
        floats.push_back(std::round(double(rng() % 100000000) - 5e7) / 100); // prices
        floats.push_back(double(rng() % 1000) * std::pow(10.0, int(rng() % 40) - 20));
    }
    const std::vector<qint64> ints = {0, 1, -1, INT_MAX, INT_MIN, 1000000};
    const char* strings[] = {"", "a\"b", "5-E\"", "Привет", "x;y", " "};
    t->DisableControls();
    for (size_t i = 0; i < floats.size(); ++i) {
        const qint64 n = ints[i % ints.size()];
        t->AppendRecord({Variant(int(n)), Variant(qlonglong(n) * 4000000000LL), Variant(floats[i]),
                         Variant(floats[i]), Variant(floats[i]), S(strings[i % std::size(strings)])});
    }
    t->AppendRecord({N, N, N, N, N, N});
    t->First();
    t->EnableControls();
    Pump();

    struct Case {
        char Quote, Sep, Decimal;
    } cases[] = {{'"', ';', '.'}, {0, ';', '.'}, {'5', 0, ','}, {'-', ',', '.'}, {'E', ';', '.'}};
    TFormatSettings& fs = FormatSettings();
    const TFormatSettings saved = fs;
    const auto restore = qScopeGuard([&] {
        fs = saved;
        Grid->OnGetCellParams = nullptr;
    });
    for (const Case& c : cases) {
        fs.DecimalSeparator = QLatin1Char(c.Decimal);
        auto csv = [&] {
            TDBGridEhExportAsCSV e;
            e.SetDBGridEh(Grid);
            e.SetQuoteChar(c.Quote);
            e.SetSeparator(c.Sep);
            TMemoryStream s;
            e.ExportToStream(&s, true);
            return QByteArray(static_cast<const char*>(s.Memory()), qsizetype(s.Size()));
        };
        Grid->OnGetCellParams = nullptr;
        const QByteArray direct = csv();
        Grid->OnGetCellParams = TGetCellEhParamsEvent::Callable(
            [](TObject*, TColumnEh*, TFont*, TColor&, TGridDrawState) {});
        const QByteArray shown = csv();
        ASSERT_EQ(direct.count("\r\n"), qsizetype(floats.size()) + 1) << c.Quote;
        const QList<QByteArray> a = direct.split('\n'), b = shown.split('\n');
        ASSERT_EQ(a.size(), b.size());
        for (qsizetype i = 0; i < a.size(); ++i)
            ASSERT_EQ(a[i].toStdString(), b[i].toStdString())
                << "line " << i << ", quote " << int(c.Quote) << ", value "
                << (i > 0 && size_t(i - 1) < floats.size() ? floats[size_t(i - 1)] : 0.0);
    }
    // A few texts spelled out, so that both ways are not wrong alike.
    fs.DecimalSeparator = QLatin1Char('.');
    Grid->OnGetCellParams = nullptr;
    const QByteArray out = Export<TDBGridEhExportAsCSV>();
    for (const char* want : {"\"0\";\"0\";\"0\";\"0\";\"0\";\"\"", "\"0.1\";\"0.1\";\"0.1\";",
                             "\"0.125\";\"0.125\";\"0.13\";", "\"99.5\";\"99.5\";\"1E2\";",
                             "\"1E15\";\"1E15\";\"1E15\";", "\"1E-5\";\"1E-5\";\"1E-5\";",
                             "\"0.0001\";", "\"1.23456789012346E15\";\"1.234568E15\";\"1.2E15\";",
                             "\"INF\";\"INF\";\"INF\";", "\"NAN\";", "\"2147483647\";\"8589934588000000000\";",
                             "\r\n\"\";\"\";\"\";\"\";\"\";\"\""})
        EXPECT_TRUE(out.contains(want)) << want;
}

// A whole-table CSV export reads a memory table's view rows from the store; with a cell hook it
// walks the records with the cursor. Both give the same bytes for a sorted and filtered view with
// fields of several kinds, and leave the table, the grid and the data source as they were.
TEST_F(ImpExpFixture, CsvOfAViewMatchesTheRecordWalkAndLeavesTheSameState) {
    auto* t = Create<TMemTableEh>(Form);
    t->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Small"), ftSmallint);
    t->FieldDefs()->Add(QStringLiteral("W"), ftWord);
    t->FieldDefs()->Add(QStringLiteral("Big"), ftLargeint);
    t->FieldDefs()->Add(QStringLiteral("Name"), ftString, 6);
    t->FieldDefs()->Add(QStringLiteral("Fixed"), ftFixedChar, 6);
    t->FieldDefs()->Add(QStringLiteral("Day"), ftDate);
    t->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
    t->CreateDataSet();
    static_cast<TStringField*>(t->FieldByName(QStringLiteral("Fixed")))->SetFixedChar(true);
    const char* names[] = {"ab", "q\"q", "Жук", "", "  x  ", "abcdef", "a;b"};
    for (int i = 1; i <= 60; ++i) {
        const Variant none = Variant::FromNull();
        t->AppendRecord({Variant(i), Variant(int(i % 7) - 3), Variant(i * 1000), Variant(qlonglong(i) << 40),
                         i % 11 == 0 ? none : S(names[i % 7]), S(i % 3 ? "ab  " : "Жё "),
                         i % 5 ? Variant::FromDate(EncodeDate(2020, 1 + i % 12, 1 + i % 28)) : none,
                         i % 4 ? Variant(i / 8.0) : Variant(1.0 / 3)});
    }
    t->SetSortOrder(QStringLiteral("Small DESC, ID"));
    t->SetFilter(QStringLiteral("ID <> 7"));
    t->SetFiltered(true);
    Source->SetDataSet(t);
    Pump();
    t->Locate(QStringLiteral("ID"), Variant(31), {});
    Pump();

    int changes = 0, scrolls = 0;
    Source->OnDataChange = TDataChangeEvent::Callable([&](TObject*, TField*) { ++changes; });
    struct State {
        int RecNo, Row, TopRow, Active, Changes;
        bool Bof, Eof;
        bool operator==(const State&) const = default;
    };
    auto state = [&] {
        return State{t->RecNo(), Grid->Row(), Grid->TopRow(), Grid->DataLink()->ActiveRecord(), changes,
                     t->Bof(), t->Eof()};
    };
    const auto restore = qScopeGuard([&] {
        Grid->OnGetCellParams = nullptr;
        Source->OnDataChange = nullptr;
    });
    const State before = state();
    Grid->OnGetCellParams = nullptr;
    const QByteArray direct = Export<TDBGridEhExportAsCSV>();
    const State afterDirect = state();
    Grid->OnGetCellParams =
        TGetCellEhParamsEvent::Callable([](TObject*, TColumnEh*, TFont*, TColor&, TGridDrawState) {});
    changes = before.Changes;
    const QByteArray walked = Export<TDBGridEhExportAsCSV>();
    EXPECT_EQ(direct.toStdString(), walked.toStdString());
    EXPECT_TRUE(afterDirect == state());
    EXPECT_EQ(afterDirect.RecNo, before.RecNo);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 31);

    // Spelled out: view order, text trimmed and quoted, the date and the float as shown.
    const QList<QByteArray> lines = direct.split('\n');
    ASSERT_EQ(lines.size(), 60); // the title and 59 records
    const auto row = [](const char* Head, TDateTime Day, const char* Tail) {
        return ToAnsi(QString::fromUtf8(Head) + DateToStr(Day) + QString::fromUtf8(Tail)).toStdString();
    };
    EXPECT_EQ(lines[1].toStdString(), row("\"6\";\"3\";\"6000\";\"6597069766656\";\"a;b\";\"Жё\";\"",
                                          EncodeDate(2020, 7, 7), "\";\"0.75\"\r"));
    EXPECT_EQ(lines[2].toStdString(), row("\"13\";\"3\";\"13000\";\"14293651161088\";\"a;b\";\"ab\";\"",
                                          EncodeDate(2020, 2, 14), "\";\"1.625\"\r"));

    // A scroll handler would notice the walk: the export then moves record by record.
    Grid->OnGetCellParams = nullptr;
    t->AfterScroll = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++scrolls; });
    EXPECT_EQ(Export<TDBGridEhExportAsCSV>().toStdString(), direct.toStdString());
    EXPECT_GE(scrolls, 59);
    t->AfterScroll = nullptr;
}

// A stream that hands out at most Step bytes a read, as a pipe or a socket may.
struct TrickleStream : TStream {
    QByteArray Data;
    qsizetype Pos = 0;
    int Step = 1;
    Integer MaxAsked = 0;
    Integer Read(void* Buffer, Integer Count) override {
        MaxAsked = std::max(MaxAsked, Count);
        const qsizetype n = std::min<qsizetype>({Count, Step, Data.size() - Pos});
        std::memcpy(Buffer, Data.constData() + Pos, size_t(n));
        Pos += n;
        return Integer(n);
    }
    Integer Write(const void*, Integer) override { return 0; }
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
        Pos = qsizetype(Origin == soBeginning ? Offset : Origin == soCurrent ? Pos + Offset : Data.size() + Offset);
        return Pos;
    }
};

// The text readers take the input in pieces: a line, a CR LF pair, a Windows-1251 or UTF-16
// character may be cut anywhere, and the result is what the whole input gives.
TEST_F(ImpExpFixture, TextInputCutAnywhereReadsTheSame) {
    TDBGridEhAllowedOperations ops = Grid->AllowedOperations();
    ops.Include(alopAppendEh);
    Grid->SetAllowedOperations(ops);
    const QString text = QString::fromUtf8("7\tСемь\t1\r\n8\t\t2\n\t\t\r\n9\tДевять\t3\r\n");
    const Rows want = {{Variant(7), S("Семь"), Variant(1)},
                       {Variant(8), S(""), Variant(2)},
                       {N, S(""), N},
                       {Variant(9), S("Девять"), Variant(3)}};
    struct Input {
        char Kind;
        QByteArray Bytes;
    } inputs[] = {{'t', Cp1251(text)},
                  {'t', Cp1251(text) + QByteArray("\0junk", 5)},
                  {'u', QByteArray("\xFF\xFE", 2) + Utf16(text)},
                  {'u', Utf16(text) + QByteArray("\0\0junk", 6)}};
    for (const Input& in : inputs)
        for (int step : {1, 2, 3, 7, 1 << 20}) {
            while (!Table->IsEmpty())
                Table->Delete();
            TrickleStream s;
            s.Data = in.Bytes;
            s.Step = step;
            if (in.Kind == 'u')
                ImportGridFromStream<TDBGridEhImportAsUnicodeText>(Grid, &s, false);
            else
                ImportGridFromStream<TDBGridEhImportAsText>(Grid, &s, false);
            EXPECT_EQ(Read(), want) << in.Kind << " step " << step;
        }
}

// A large input is read a block at a time: records are written while most of the file is still
// unread, and a fault deep in the file names its line and leaves the records before it.
TEST_F(ImpExpFixture, LargeTextInputIsReadInBlocks) {
    TDBGridEhAllowedOperations ops = Grid->AllowedOperations();
    ops.Include(alopAppendEh);
    Grid->SetAllowedOperations(ops);
    QByteArray data;
    const int lines = 5000;
    const QByteArray pad(30, 'x');
    for (int i = 1; i <= lines; ++i)
        data += QByteArray::number(i) + "\tname " + QByteArray::number(i) + pad + "\t" + QByteArray::number(i % 7) +
                "\r\n";
    ASSERT_GT(data.size(), 3 * TDBGridEhImportAsText::kInBlock);
    TrickleStream s;
    s.Data = data;
    s.Step = 1 << 30;
    qsizetype firstPost = -1;
    Table->AfterPost = TDataSetNotifyEvent::Callable([&](TDataSet*) {
        if (firstPost < 0) firstPost = s.Pos;
    });
    const auto unhook = qScopeGuard([&] { Table->AfterPost = nullptr; });
    ImportGridFromStream<TDBGridEhImportAsText>(Grid, &s, false);
    EXPECT_EQ(Table->RecordCount(), lines);
    EXPECT_LE(firstPost, TDBGridEhImportAsText::kInBlock);
    EXPECT_LE(s.MaxAsked, TDBGridEhImportAsText::kInBlock);
    Table->Last();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("name 5000") + QString(pad));

    // The same file with a bad line near its end.
    Table->EmptyTable();
    const QByteArray bad = QByteArray::number(lines - 1) + "\tname " + QByteArray::number(lines - 1) + pad + "\t";
    const qsizetype at = data.indexOf(bad);
    ASSERT_GT(at, 2 * TDBGridEhImportAsText::kInBlock);
    s.Data = data.left(at) + bad + "6\t99\r\n" + data.mid(at + bad.size() + 3);
    s.Pos = 0;
    try {
        ImportGridFromStream<TDBGridEhImportAsText>(Grid, &s, false);
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_TRUE(E.Message().startsWith(QStringLiteral("TDBGridEhImportAsText: строка %1").arg(lines - 1)))
            << E.Message().toStdString();
    }
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecordCount(), lines - 2);
}

} // namespace
