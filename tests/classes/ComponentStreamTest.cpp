#include "platform/classes/ComponentStreams.h"

#include "platform/rtl/Currency.h"
#include "platform/rtl/Variant.h"

#include "platform/rtl/SysUtils.h"

#include <QFile>
#include <QStringList>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

// A small component tree: panels with children, a persistent sub-object, a collection, a
// component reference and unpublished data (binary and an integer list).
enum TCsAlign { caLeft, caRight, caCenter };
enum TCsOption { coTitles, coLines, coTabs };
using TCsOptions = TSet<TCsOption>;

struct TCsLive {
    static int& Count() {
        static int n = 0;
        return n;
    }
};

class TCsFont : public TPersistent {
    KVT_CLASS(TCsFont, TPersistent)
public:
    String Name;
    int Size = 8;
    void Assign(TPersistent* Source) override {
        if (auto* f = dynamic_cast<TCsFont*>(Source)) {
            Name = f->Name;
            Size = f->Size;
            return;
        }
        TPersistent::Assign(Source);
    }
};

class TCsColumn : public TCollectionItem {
    KVT_CLASS(TCsColumn, TCollectionItem)
public:
    explicit TCsColumn(TCollection* c) : TCollectionItem(c) { ++TCsLive::Count(); }
    ~TCsColumn() override { --TCsLive::Count(); }
    int Width = 64;
    String Title;
    TCsAlign Align = caLeft;
};

class TCsPanel : public TComponent {
    KVT_CLASS(TCsPanel, TComponent)
public:
    explicit TCsPanel(TComponent* AOwner)
        : TComponent(AOwner), FColumns(new TOwnedCollection(this, CollectionItemClassOf<TCsColumn>())) {
        ++TCsLive::Count();
    }
    ~TCsPanel() override {
        --TCsLive::Count();
        delete FColumns;
    }

    String Caption;
    double Ratio = 0;
    TCsOptions Options{coTitles};
    TCsAlign Align = caLeft;
    Int64 Count = 0;
    Currency Price;
    TDateTime Stamp = 0;
    float Small = 0;
    bool Flag = false;
    TCsPanel* Buddy = nullptr;
    QByteArray Blob;
    std::vector<int> Numbers;
    int LoadedCalls = 0;

    TCsFont* Font() { return &FFont; }
    void SetFont(TCsFont* f) { FFont.Assign(f); }
    TCollection* Columns() { return FColumns; }
    void SetColumns(TCollection* c) { FColumns->Assign(c); }
    TCsColumn* Column(int i) { return static_cast<TCsColumn*>(FColumns->Items(i)); }

    void DefineProperties(TFiler* Filer) override {
        TComponent::DefineProperties(Filer);
        Filer->DefineBinaryProperty(
            "Blob",
            [this](TStream* s) {
                Blob.resize(int(s->Size()));
                s->ReadBuffer(Blob.data(), Integer(Blob.size()));
            },
            [this](TStream* s) { s->WriteBuffer(Blob.constData(), Integer(Blob.size())); }, !Blob.isEmpty());
        Filer->DefineProperty(
            "Numbers",
            [this](TReader* r) {
                Numbers.clear();
                r->ReadListBegin();
                while (!r->EndOfList())
                    Numbers.push_back(r->ReadInteger());
                r->ReadListEnd();
            },
            [this](TWriter* w) {
                w->WriteListBegin();
                for (int n : Numbers)
                    w->WriteInteger(n);
                w->WriteListEnd();
            },
            !Numbers.empty());
    }
    void GetChildren(TGetChildProc Proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
    TComponent* GetChildOwner() override { return this; }
    void Loaded() override {
        TComponent::Loaded();
        ++LoadedCalls;
    }

private:
    TCsFont FFont;
    TCollection* FColumns;
};

class TCsLeaf : public TComponent {
    KVT_CLASS(TCsLeaf, TComponent)
public:
    explicit TCsLeaf(TComponent* AOwner) : TComponent(AOwner) { ++TCsLive::Count(); }
    ~TCsLeaf() override { --TCsLive::Count(); }
    int Width = 10;
    TCsAlign Kind = caLeft;
    TCsOptions Flags;
    String Text;
    double Value = 0;
    bool Hidden = false;
    bool IsHiddenStored() const { return Hidden; }
};

KVT_ENUM_TYPE(TCsAlign, caLeft, caRight, caCenter)
KVT_ENUM_TYPE(TCsOption, coTitles, coLines, coTabs)

KVT_PUBLISHED(TCsFont) {
    P.Prop("Name", &TCsFont::Name, &TCsFont::Name);
    P.Prop("Size", &TCsFont::Size, &TCsFont::Size).Default(8);
}
KVT_PUBLISHED(TCsColumn) {
    P.Prop("Width", &TCsColumn::Width, &TCsColumn::Width).Default(64);
    P.Prop("Title", &TCsColumn::Title, &TCsColumn::Title);
    P.Prop("Align", &TCsColumn::Align, &TCsColumn::Align).Default(caLeft);
}
KVT_PUBLISHED(TCsPanel) {
    P.Prop("Caption", &TCsPanel::Caption, &TCsPanel::Caption);
    P.Prop("Ratio", &TCsPanel::Ratio, &TCsPanel::Ratio);
    P.Prop("Options", &TCsPanel::Options, &TCsPanel::Options).Default(TCsOptions{coTitles});
    P.Prop("Align", &TCsPanel::Align, &TCsPanel::Align).Default(caLeft);
    P.Prop("Count", &TCsPanel::Count, &TCsPanel::Count);
    P.Prop("Price", &TCsPanel::Price, &TCsPanel::Price);
    P.Date("Stamp", &TCsPanel::Stamp, &TCsPanel::Stamp);
    P.Prop("Small", &TCsPanel::Small, &TCsPanel::Small);
    P.Prop("Flag", &TCsPanel::Flag, &TCsPanel::Flag); // no default: always written
    P.Prop("Font", &TCsPanel::Font, &TCsPanel::SetFont);
    P.Prop("Columns", &TCsPanel::Columns, &TCsPanel::SetColumns);
    P.Prop("Buddy", &TCsPanel::Buddy, &TCsPanel::Buddy);
}
KVT_PUBLISHED(TCsLeaf) {
    P.Prop("Width", &TCsLeaf::Width, &TCsLeaf::Width).Default(10);
    P.Prop("Kind", &TCsLeaf::Kind, &TCsLeaf::Kind).Default(caLeft);
    P.Prop("Flags", &TCsLeaf::Flags, &TCsLeaf::Flags).Default(TCsOptions{});
    P.Prop("Text", &TCsLeaf::Text, &TCsLeaf::Text);
    P.Prop("Value", &TCsLeaf::Value, &TCsLeaf::Value);
    P.Prop("Hidden", &TCsLeaf::Hidden, &TCsLeaf::Hidden).Stored(&TCsLeaf::IsHiddenStored);
}

namespace {

struct Registrar {
    Registrar() {
        RegisterComponentClass<TCsPanel>();
        RegisterComponentClass<TCsLeaf>();
    }
} registrar;

QByteArray Bytes(TMemoryStream& ms) {
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

void Load(TMemoryStream& ms, const QByteArray& b) {
    ms.Clear();
    ms.WriteBuffer(b.constData(), Integer(b.size()));
    ms.SetPosition(0);
}

QByteArray Save(TComponent* c) {
    TMemoryStream ms;
    WriteComponent(&ms, c);
    return Bytes(ms);
}

QString ToText(const QByteArray& binary) {
    TMemoryStream in, out;
    Load(in, binary);
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(Bytes(out));
}

QByteArray ToBinary(const QString& text) {
    TMemoryStream in, out;
    Load(in, text.toUtf8());
    ObjectTextToBinary(&in, &out);
    return Bytes(out);
}

// Root "Main" with a column collection, a font, unpublished data and two children; the second
// child refers to the first by name (and to the root).
TCsPanel* BuildTree() {
    auto* root = Create<TCsPanel>(nullptr);
    root->SetName("Main");
    root->Caption = QString::fromUtf8("It's \"Привет\", мир");
    root->Ratio = 1.5;
    root->Options = {coLines, coTabs};
    root->Align = caCenter;
    root->Count = INT64_C(5000000000);
    root->Price = Currency::FromScaled(123456);
    root->Stamp = 45000.25;
    root->Small = 0.5f;
    root->SetTag(-7);
    root->Font()->Name = "Arial";
    root->Font()->Size = 12;
    auto* c0 = static_cast<TCsColumn*>(root->Columns()->Add());
    c0->Width = 100;
    c0->Title = QString::fromUtf8("Имя");
    static_cast<TCsColumn*>(root->Columns()->Add())->Align = caRight;
    root->Blob = QByteArray("\x00\x01\xFF\x7F", 4);
    root->Numbers = {1, -300, 70000};
    auto* a = Create<TCsLeaf>(root);
    a->SetName("LeafA");
    a->Width = 300;
    a->Text = "leaf";
    auto* b = Create<TCsPanel>(root);
    b->SetName("Sub");
    b->Flag = true;
    root->Buddy = b;
    auto* inner = Create<TCsPanel>(b);
    inner->SetName("Inner");
    b->Buddy = root;
    return root;
}

TEST(ComponentStream, BinaryTextBinaryRoundTripRebuildsTheTree) {
    const int live = TCsLive::Count();
    {
        std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> src(BuildTree(), [](TCsPanel* p) { p->Free(); });
        const QByteArray bin = Save(src.get());

        TMemoryStream ms;
        Load(ms, bin);
        auto* copy = dynamic_cast<TCsPanel*>(ReadComponent(&ms, nullptr));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(ms.Position(), ms.Size());
        EXPECT_EQ(copy->Name(), "Main");
        EXPECT_EQ(copy->Caption, src->Caption);
        EXPECT_EQ(copy->Ratio, 1.5);
        EXPECT_EQ(copy->Options, (TCsOptions{coLines, coTabs}));
        EXPECT_EQ(copy->Align, caCenter);
        EXPECT_EQ(copy->Count, INT64_C(5000000000));
        EXPECT_EQ(copy->Price.Scaled(), 123456);
        EXPECT_EQ(copy->Stamp, 45000.25);
        EXPECT_EQ(copy->Small, 0.5f);
        EXPECT_EQ(copy->Tag(), -7);
        EXPECT_EQ(copy->Font()->Name, "Arial");
        EXPECT_EQ(copy->Font()->Size, 12);
        ASSERT_EQ(copy->Columns()->Count(), 2);
        EXPECT_EQ(copy->Column(0)->Width, 100);
        EXPECT_EQ(copy->Column(0)->Title, QString::fromUtf8("Имя"));
        EXPECT_EQ(copy->Column(1)->Align, caRight);
        EXPECT_EQ(copy->Blob, src->Blob);
        EXPECT_EQ(copy->Numbers, (std::vector<int>{1, -300, 70000}));
        ASSERT_EQ(copy->ComponentCount(), 2);
        auto* leaf = dynamic_cast<TCsLeaf*>(copy->FindComponent("LeafA"));
        auto* sub = dynamic_cast<TCsPanel*>(copy->FindComponent("Sub"));
        ASSERT_TRUE(leaf && sub);
        EXPECT_EQ(leaf->Width, 300);
        EXPECT_EQ(leaf->Text, "leaf");
        EXPECT_TRUE(sub->Flag);
        EXPECT_EQ(copy->Buddy, sub); // a forward reference, fixed up after reading
        EXPECT_EQ(sub->Buddy, copy);
        ASSERT_EQ(sub->ComponentCount(), 1);
        EXPECT_EQ(sub->Components(0)->Name(), "Inner");
        EXPECT_EQ(copy->LoadedCalls, 1);
        EXPECT_EQ(sub->LoadedCalls, 1);
        EXPECT_FALSE(copy->ComponentState().Contains(csLoading));
        EXPECT_FALSE(sub->ComponentState().Contains(csReading));

        const QString text = ToText(bin);
        EXPECT_EQ(ToBinary(text), bin);
        EXPECT_EQ(Save(copy), bin);
        copy->Free();
    }
    EXPECT_EQ(TCsLive::Count(), live);
}

TEST(ComponentStream, TextFormShowsEachValueKind) {
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> src(BuildTree(), [](TCsPanel* p) { p->Free(); });
    const QString text = ToText(Save(src.get()));
    const QString expected =
        QString::fromUtf8("object Main: TCsPanel\r\n"
                          "  Tag = -7\r\n"
                          "  Caption = 'It'#39's \"'#1055#1088#1080#1074#1077#1090'\", '#1084#1080#1088\r\n"
                          "  Ratio = 1.5\r\n"
                          "  Options = [coLines, coTabs]\r\n"
                          "  Align = caCenter\r\n"
                          "  Count = 5000000000\r\n"
                          "  Price = 123456c\r\n"
                          "  Stamp = 45000.25d\r\n"
                          "  Small = 0.5s\r\n"
                          "  Flag = False\r\n"
                          "  Font.Name = 'Arial'\r\n"
                          "  Font.Size = 12\r\n"
                          "  Columns = <\r\n"
                          "    item\r\n"
                          "      Width = 100\r\n"
                          "      Title = #1048#1084#1103\r\n"
                          "    end\r\n"
                          "    item\r\n"
                          "      Align = caRight\r\n"
                          "    end>\r\n"
                          "  Buddy = Sub\r\n"
                          "  Blob = {\r\n"
                          "    0001FF7F}\r\n"
                          "  Numbers = (\r\n"
                          "    1\r\n"
                          "    -300\r\n"
                          "    70000)\r\n"
                          "  object LeafA: TCsLeaf\r\n"
                          "    Width = 300\r\n"
                          "    Text = 'leaf'\r\n"
                          "  end\r\n"
                          "  object Sub: TCsPanel\r\n"
                          "    Flag = True\r\n"
                          "    Columns = <>\r\n"
                          "    Buddy = Owner\r\n"
                          "    object Inner: TCsPanel\r\n"
                          "      Flag = False\r\n"
                          "      Columns = <>\r\n"
                          "    end\r\n"
                          "  end\r\n"
                          "end\r\n");
    EXPECT_EQ(text, expected);
}

TEST(ComponentStream, ExactBytesOfASmallComponent) {
    auto* leaf = Create<TCsLeaf>(nullptr);
    leaf->SetName("L1");
    leaf->SetTag(5);
    leaf->Width = 300;
    leaf->Kind = caRight;
    leaf->Flags = {coTitles, coTabs};
    leaf->Text = "Ab";
    leaf->Value = 1.5;
    const QByteArray got = Save(leaf);
    leaf->Free();
    const unsigned char expected[] = {
        'T', 'P', 'F', '0',                                                // signature
        7, 'T', 'C', 's', 'L', 'e', 'a', 'f', 2, 'L', '1',                 // class, name
        3, 'T', 'a', 'g', 0x02, 0x05,                                      // vaInt8 5
        5, 'W', 'i', 'd', 't', 'h', 0x03, 0x2C, 0x01,                      // vaInt16 300
        4, 'K', 'i', 'n', 'd', 0x07, 7, 'c', 'a', 'R', 'i', 'g', 'h', 't', // vaIdent
        5, 'F', 'l', 'a', 'g', 's', 0x0B,                                  // vaSet
        8, 'c', 'o', 'T', 'i', 't', 'l', 'e', 's', 6, 'c', 'o', 'T', 'a', 'b', 's', 0, 4, 'T', 'e', 'x', 't',
        0x06, 2, 'A', 'b',                                                       // vaString
        5, 'V', 'a', 'l', 'u', 'e', 0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F, // vaExtended
                                                                                 // 1.5
        0x00,                                                                    // end of properties
        0x00,                                                                    // end of children
    };
    EXPECT_EQ(got, QByteArray(reinterpret_cast<const char*>(expected), sizeof expected));
}

TEST(ComponentStream, DefaultsAndStoredRulesDecideWhatIsWritten) {
    auto* leaf = Create<TCsLeaf>(nullptr);
    leaf->SetName("L");
    EXPECT_EQ(ToText(Save(leaf)), "object L: TCsLeaf\r\nend\r\n");
    leaf->Hidden = true; // stored only when set
    leaf->Value = -0.001;
    EXPECT_EQ(ToText(Save(leaf)), "object L: TCsLeaf\r\n  Value = -0.001\r\n  Hidden = True\r\nend\r\n");
    leaf->Free();
}

TEST(ComponentStream, StringCodesFollowTheText) {
    struct Case {
        QString text;
        TValueType code;
    } cases[] = {
        {"plain", vaString},
        {QString(300, 'x'), vaLString},
        {QString::fromUtf8("Привет"), vaWString},     // UTF-8 is not shorter than UTF-16
        {QString::fromUtf8("Привет!"), vaUTF8String}, // UTF-8 is shorter
        {QString(), vaString},
    };
    for (const Case& c : cases) {
        TMemoryStream ms;
        {
            TWriter w(&ms, 16);
            w.WriteString(c.text);
        }
        EXPECT_EQ(uint8_t(Bytes(ms)[0]), c.code) << c.text.toStdString();
        ms.SetPosition(0);
        TReader r(&ms, 16);
        EXPECT_EQ(r.ReadString(), c.text);
    }
}

TEST(ComponentStream, ValuesRoundTripThroughWriterAndReader) {
    TMemoryStream ms;
    const Int64 ints[] = {0, -128, 127, 128, -32769, 40000, INT32_MIN, INT64_C(1) << 40, INT64_MIN};
    const long double floats[] = {0.0L, -2.5L, 1e-300L, 3.4e4000L, 1.0L / 3.0L};
    {
        TWriter w(&ms, 32);
        for (Int64 v : ints)
            w.WriteInteger(v);
        for (long double f : floats)
            w.WriteFloat(f);
        w.WriteVariant(Variant(int(42)));
        w.WriteVariant(Null());
        w.WriteVariant(Variant());
        w.WriteVariant(Variant(QString::fromUtf8("Ёж")));
        w.WriteVariant(Variant(true));
        w.WriteVariant(Variant(Currency::FromScaled(-15)));
        w.WriteVariant(Variant::FromDate(1.25));
        w.WriteIdent("nil");
    }
    ms.SetPosition(0);
    TReader r(&ms, 32);
    for (Int64 v : ints)
        EXPECT_EQ(r.ReadInt64(), v);
    for (long double f : floats)
        EXPECT_EQ(r.ReadFloat(), f);
    Variant small = r.ReadVariant();
    EXPECT_EQ(small.VType(), varShortInt); // vaInt8 comes back as a ShortInt
    EXPECT_EQ(small.AsInteger(), 42);
    EXPECT_TRUE(r.ReadVariant().IsNull());
    EXPECT_TRUE(r.ReadVariant().IsEmpty());
    EXPECT_EQ(r.ReadVariant().AsString(), QString::fromUtf8("Ёж"));
    EXPECT_TRUE(r.ReadVariant().AsBoolean());
    EXPECT_EQ(r.ReadVariant().AsCurrency().Scaled(), -15);
    Variant d = r.ReadVariant();
    EXPECT_EQ(d.VType(), varDate);
    EXPECT_EQ(d.AsDateTime(), 1.25);
    EXPECT_EQ(r.ReadIdent(), "nil");
    EXPECT_EQ(r.Position(), ms.Size());
}

// A hand-made root "X: TX" whose one property holds the values that Values writes as a list.
QByteArray OneListStream(const std::function<void(TWriter&)>& Values) {
    TMemoryStream ms;
    {
        TWriter w(&ms, 64);
        w.WriteSignature();
        w.WritePrefix({}, 0);
        w.WriteStr("TX");
        w.WriteStr("X");
        w.WriteStr("V");
        w.WriteListBegin();
        Values(w);
        w.WriteListEnd();
        w.WriteListEnd(); // properties
        w.WriteListEnd(); // children
    }
    return Bytes(ms);
}

void OpenList(TMemoryStream& ms, TReader& r) {
    r.ReadSignature();
    TFilerFlags flags;
    Integer pos;
    r.ReadPrefix(flags, pos);
    for (const char* s : {"TX", "X", "V"})
        EXPECT_EQ(r.ReadStr(), s);
    r.ReadListBegin();
    (void)ms;
}

template <class F> bool SameBits(F a, F b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

TEST(ComponentStream, FloatsComeBackBitExactThroughTheTextForm) {
    const double doubles[] = {1e-20,
                              0.30000000000000004,
                              0.1,
                              1.5,
                              2.0,
                              -0.0,
                              5e-324,
                              2.2250738585072014e-308,
                              1.7976931348623157e308,
                              1.0 / 3.0,
                              123456789012345680.0,
                              INFINITY,
                              -INFINITY,
                              NAN};
    const long double extendeds[] = {0.1L,     1.0L / 3.0L, 3.4e4000L,
                                     1e-4940L, -2.5L,       std::numeric_limits<long double>::max(),
                                     1e26L,    9.5e-3L};
    const float singles[] = {0.1f, 1e-45f, 3.4028235e38f, -INFINITY, NAN};
    const double dates[] = {45000.25, 45000.123456789012, -693593.0, INFINITY};
    const QByteArray bin = OneListStream([&](TWriter& w) {
        for (double d : doubles)
            w.WriteFloat(d); // what the memory table writes
        for (double d : doubles)
            w.WriteDouble(d);
        for (long double e : extendeds)
            w.WriteFloat(e);
        for (float f : singles)
            w.WriteSingle(f);
        for (double d : dates)
            w.WriteDate(d);
    });
    const QString text = ToText(bin);
    for (const char* shown :
         {"    1E-20\r\n", "    0.30000000000000004\r\n", "    1.5\r\n", "    2.0\r\n", "    -INF\r\n",
          "    NAN\r\n", "    -0.0\r\n", "    1E-45s\r\n", "    INFd)\r\n"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << "\n" << text.toStdString();

    // The text, under a locale whose decimal separator is a comma, reads back to the same bits.
    const char* saved = setlocale(LC_NUMERIC, nullptr);
    const std::string savedName = saved ? saved : "C";
    setlocale(LC_NUMERIC, "ru_RU.UTF-8");
    const QByteArray back = ToBinary(text);
    setlocale(LC_NUMERIC, savedName.c_str());
    TMemoryStream ms;
    Load(ms, back);
    TReader r(&ms, 64);
    OpenList(ms, r);
    for (int pass = 0; pass < 2; ++pass)
        for (double d : doubles)
            EXPECT_TRUE(SameBits(double(r.ReadFloat()), d)) << d;
    for (long double e : extendeds)
        EXPECT_TRUE(SameBits(r.ReadFloat(), e)) << double(e);
    for (float f : singles)
        EXPECT_TRUE(SameBits(r.ReadSingle(), f)) << f;
    for (double d : dates)
        EXPECT_TRUE(SameBits(double(r.ReadDate()), d)) << d;
    r.ReadListEnd();
    // Text from older writers (fixed 18 decimals) still reads as the double it names.
    EXPECT_EQ(ToText(ToBinary("object X: TX\r\n  V = 0.300000000000000040\r\nend\r\n")),
              "object X: TX\r\n  V = 0.30000000000000004\r\nend\r\n");
    // A memory-table file of the text form holding -INF loads; its value is the infinity.
    QFile fixture(QStringLiteral(KVT_TEST_DATA "/bad-input/memtable-float-minus-inf.txt"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QString table = QString::fromUtf8(fixture.readAll());
    const QByteArray tableBinary = ToBinary(table);
    const int at = tableBinary.indexOf("\x04"
                                       "Data") +
                   1;
    ASSERT_GT(at, 0);
    EXPECT_EQ(tableBinary.mid(at + 4, 13), QByteArray("\x01\x01\x05\0\0\0\0\0\0\0\x80\xFF\xFF", 13));
    EXPECT_EQ(ToText(tableBinary), QString(table).replace("\n", "\r\n").replace("\r\r", "\r"));
    // An integer too large for a currency is an error, not a wrapped value.
    EXPECT_THROW(ToBinary("object X: TX\r\n  V = 99999999999999999999c\r\nend\r\n"), EParserError);
}

TEST(ComponentStream, TextFormCarriesOnlyNamesItReadsBack) {
    // INF and NAN are floats as values and names where a name stands.
    const QString inf = "object INF: NAN\r\n  INF = INF\r\n  NANs = [INFd]\r\nend\r\n";
    EXPECT_EQ(ToText(ToBinary(inf)), inf);
    for (const char* bad : {"a b", "end", "Object", "1x", ""}) {
        TMemoryStream ms;
        {
            TWriter w(&ms, 64);
            w.WriteSignature();
            w.WritePrefix({}, 0);
            w.WriteStr("TX");
            w.WriteStr("X");
            w.WriteStr(bad); // a property name
            w.WriteInteger(1);
            w.WriteListEnd();
            w.WriteListEnd();
        }
        EXPECT_THROW(ToText(Bytes(ms)), EReadError) << bad;
    }
}

TEST(ComponentStream, TextWithNulCharactersKeepsItsLength) {
    const QString withNul = QString::fromUtf8("ab\0cd", 5);
    const QString wide = QString::fromUtf8("Ё\0ж", 4);
    const QByteArray bin = OneListStream([&](TWriter& w) {
        w.WriteString(withNul);
        w.WriteString(wide);
        w.WriteWideString(wide);
        w.WriteString(QString(300, QChar(0)));
    });
    const QString text = ToText(bin);
    EXPECT_TRUE(text.contains(QLatin1String("'ab'#0'cd'"))) << text.toStdString();
    for (const QByteArray& b : {bin, ToBinary(text)}) {
        TMemoryStream ms;
        Load(ms, b);
        TReader r(&ms, 64);
        OpenList(ms, r);
        EXPECT_EQ(r.ReadString(), withNul);
        EXPECT_EQ(r.ReadString(), wide);
        EXPECT_EQ(r.ReadVariant().AsString(), wide);
        EXPECT_EQ(r.ReadString(), QString(300, QChar(0)));
    }
}

// Every prefix of a valid stream, and every single-byte corruption of it, either reads or fails
// with an exception; nothing created by a failed read stays alive.
TEST(ComponentStream, TruncatedAndCorruptedStreamsFailCleanly) {
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> src(BuildTree(), [](TCsPanel* p) { p->Free(); });
    const QByteArray bin = Save(src.get());
    const int live = TCsLive::Count();
    for (int cut = 0; cut < bin.size(); ++cut) {
        TMemoryStream ms;
        Load(ms, bin.left(cut));
        EXPECT_THROW(ReadComponent(&ms, nullptr), EFilerError) << "cut at " << cut;
        ASSERT_EQ(TCsLive::Count(), live) << "cut at " << cut;
    }
    for (int i = 4; i < bin.size(); ++i)
        for (unsigned char v : {0x00, 0x01, 0x07, 0x0E, 0x15, 0x7F, 0xF3, 0xFF}) {
            QByteArray bad = bin;
            bad[i] = char(v);
            TMemoryStream ms;
            Load(ms, bad);
            try {
                TComponent* c = ReadComponent(&ms, nullptr);
                c->Free();
            } catch (const Exception&) {
            }
            ASSERT_EQ(TCsLive::Count(), live) << "byte " << i << " = " << int(v);
        }
}

TEST(ComponentStream, FailedReadIntoAnExistingRootFreesWhatItCreated) {
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> src(BuildTree(), [](TCsPanel* p) { p->Free(); });
    const QByteArray bin = Save(src.get());
    auto* target = Create<TCsPanel>(nullptr);
    target->SetName("Main");
    const int live = TCsLive::Count();
    TMemoryStream ms;
    Load(ms, bin.left(bin.size() - 3));
    EXPECT_THROW(ReadComponent(&ms, target), EReadError);
    EXPECT_EQ(target->ComponentCount(), 0);
    // The properties read before the failure stay (the two columns); the children are gone.
    EXPECT_EQ(TCsLive::Count(), live + target->Columns()->Count());
    EXPECT_FALSE(target->ComponentState().Contains(csLoading));
    EXPECT_FALSE(target->ComponentState().Contains(csReading));
    target->Free();
}

TEST(ComponentStream, ReaderErrorsCarryThePlatformTexts) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"object X: TCsLeaf\n  Bogus = 1\nend", "Property Bogus does not exist"},
        {"object X: TCsLeaf\n  Width = 'wide'\nend", "Invalid property value"},
        {"object X: TCsLeaf\n  Kind = caNowhere\nend", "Invalid property value"},
        {"object X: TCsLeaf\n  Flags = [coTitles, coBogus]\nend", "Invalid property value"},
        {"object X: TCsLeaf\n  Width.Sub = 1\nend", "Invalid property path"},
        {"object X: TCsPanel\n  Numbers = 5\nend", "Invalid property value"},
        {"object X: TCsPanel\n  Blob = 'abc'\nend", "Invalid property value"},
    };
    for (const Case& c : cases) {
        TMemoryStream ms;
        Load(ms, ToBinary(c.text));
        try {
            ReadComponent(&ms, nullptr);
            ADD_FAILURE() << c.text;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text;
        }
    }
    TMemoryStream ms;
    Load(ms, ToBinary("object X: TNoSuchClass\nend"));
    try {
        ReadComponent(&ms, nullptr);
        ADD_FAILURE();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchClass not found");
    }
    Load(ms, QByteArray("TPF1\x07TCsLeaf\x00\x00\x00", 14));
    EXPECT_THROW(
        try { ReadComponent(&ms, nullptr); } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Invalid stream format");
            throw;
        },
        EReadError);
}

TEST(ComponentStream, OnErrorSkipsUnknownPropertiesAndHooksReplaceComponents) {
    const QByteArray bin = ToBinary("object X: TCsPanel\n  Bogus = (1 2 (3))\n  Caption = 'kept'\n"
                                    "  object Y: TCsLeaf\n    Width = 1\n  end\nend");
    TMemoryStream ms;
    Load(ms, bin);
    auto* root = Create<TCsPanel>(nullptr);
    auto* existing = Create<TCsLeaf>(nullptr);
    QStringList errors;
    {
        TReader r(&ms, 8);
        r.OnError = TReaderError::Callable([&](TReader*, const String& msg, bool& handled) {
            errors << msg;
            handled = true;
        });
        r.OnCreateComponent = TCreateComponentEvent::Callable([&](TReader*, TClass cls, TComponent*& c) {
            if (cls == &TCsLeaf::StaticClassInfo()) c = existing;
        });
        r.ReadRootComponent(root);
    }
    EXPECT_EQ(errors, QStringList{"Property Bogus does not exist"});
    EXPECT_EQ(root->Caption, "kept");
    EXPECT_EQ(existing->Name(), "Y");
    EXPECT_EQ(existing->Width, 1);
    EXPECT_EQ(root->ComponentCount(), 0); // the supplied component keeps its owner
    existing->Free();
    root->Free();
}

TEST(ComponentStream, TextParserAcceptsTheFormFileSyntax) {
    const QString text = QString::fromUtf8("inherited X: TCsLeaf [2]\r\n"
                                           "  Text = 'a''b' + \r\n   #1071'z'#$41\r\n"
                                           "  Width = $10\r\n"
                                           "  Value = -1.25E2\r\n"
                                           "end\r\n");
    const QByteArray withBom = "\xEF\xBB\xBF" + text.toUtf8();
    TMemoryStream ms, textStream, binStream;
    Load(textStream, withBom);
    ObjectTextToBinary(&textStream, &binStream);
    const QByteArray bin = Bytes(binStream);
    Load(ms, bin);
    TReader r(&ms, 64);
    r.ReadSignature();
    TFilerFlags flags;
    Integer pos = 0;
    r.ReadPrefix(flags, pos);
    EXPECT_TRUE(flags.Contains(ffInherited) && flags.Contains(ffChildPos));
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(r.ReadStr(), "TCsLeaf");
    EXPECT_EQ(r.ReadStr(), "X");
    EXPECT_EQ(r.ReadStr(), "Text");
    EXPECT_EQ(r.ReadString(), QString::fromUtf8("a'bЯzA"));
    EXPECT_EQ(r.ReadStr(), "Width");
    EXPECT_EQ(r.ReadInteger(), 16);
    EXPECT_EQ(r.ReadStr(), "Value");
    EXPECT_EQ(r.ReadFloat(), -125.0L);

    TMemoryStream probe;
    Load(probe, withBom);
    EXPECT_EQ(TestStreamFormat(&probe), sofUTF8Text);
    ms.SetPosition(0);
    EXPECT_EQ(TestStreamFormat(&ms), sofBinary);
    Load(probe, "  object A: B\nend");
    EXPECT_EQ(TestStreamFormat(&probe), sofText);
    Load(probe, "garbage");
    EXPECT_EQ(TestStreamFormat(&probe), sofUnknown);
    EXPECT_EQ(probe.Position(), 0);

    EXPECT_EQ(ToText(ToBinary("object TCsLeaf\n  Value = 0.1s\nend")),
              "object TCsLeaf\r\n  Value = 0.1s\r\nend\r\n"); // an unnamed root
    for (const char* bad : {"object X: TCsLeaf\n  Width = \nend", "object X: TCsLeaf\n  Text = 'open\nend",
                            "object X: TCsLeaf\n  Width = 1\n", "thing X: Y\nend"}) {
        EXPECT_THROW(ToBinary(bad), EParserError) << bad;
    }
}

TEST(ComponentStream, LongStringsWrapInTheTextForm) {
    auto* leaf = Create<TCsLeaf>(nullptr);
    leaf->SetName("L");
    leaf->Text = QString(70, 'a');
    const QString text = ToText(Save(leaf));
    EXPECT_EQ(text, "object L: TCsLeaf\r\n  Text = \r\n    '" + QString(64, 'a') +
                        "' +\r\n    'aaaaaa'\r\nend\r\n");
    EXPECT_EQ(ToBinary(text), Save(leaf));
    leaf->Free();
}

} // namespace

namespace {

TEST(ComponentStream, DescendentWritesOnlyWhatDiffersFromTheAncestor) {
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> anc(BuildTree(), [](TCsPanel* p) { p->Free(); });
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> desc(BuildTree(), [](TCsPanel* p) { p->Free(); });
    desc->Caption = "changed";
    static_cast<TCsLeaf*>(desc->FindComponent("LeafA"))->Width = 5;
    auto* extra = Create<TCsLeaf>(desc.get());
    extra->SetName("Extra");
    TMemoryStream ms;
    WriteDescendent(&ms, desc.get(), anc.get());
    EXPECT_EQ(ToText(Bytes(ms)), "inherited Main: TCsPanel\r\n"
                                 "  Caption = 'changed'\r\n"
                                 "  Blob = {\r\n"
                                 "    0001FF7F}\r\n"
                                 "  Numbers = (\r\n"
                                 "    1\r\n"
                                 "    -300\r\n"
                                 "    70000)\r\n"
                                 "  inherited LeafA: TCsLeaf\r\n"
                                 "    Width = 5\r\n"
                                 "  end\r\n"
                                 "  inherited Sub: TCsPanel\r\n"
                                 "    inherited Inner: TCsPanel\r\n"
                                 "    end\r\n"
                                 "  end\r\n"
                                 "  object Extra: TCsLeaf\r\n"
                                 "  end\r\n"
                                 "end\r\n");
    // Reading the difference over a copy of the ancestor gives the descendant.
    std::unique_ptr<TCsPanel, void (*)(TCsPanel*)> copy(BuildTree(), [](TCsPanel* p) { p->Free(); });
    ms.SetPosition(0);
    ReadComponent(&ms, copy.get());
    EXPECT_EQ(copy->Caption, "changed");
    EXPECT_EQ(static_cast<TCsLeaf*>(copy->FindComponent("LeafA"))->Width, 5);
    ASSERT_NE(copy->FindComponent("Extra"), nullptr);
    EXPECT_EQ(copy->ComponentCount(), 3);
    EXPECT_EQ(Save(copy.get()), Save(desc.get()));
}

bool ColorToIdent(Integer v, String& s) {
    if (v != 0xFF) return false;
    s = "clRed";
    return true;
}
bool IdentToColor(const String& s, Integer& v) {
    if (s.compare("clRed", Qt::CaseInsensitive) != 0) return false;
    v = 0xFF;
    return true;
}

class TCsColored : public TComponent {
    KVT_CLASS(TCsColored, TComponent)
public:
    using TComponent::TComponent;
    int Color = 0;
};

} // namespace

KVT_PUBLISHED(TCsColored) {
    static const PTypeInfo colorType = [] {
        auto* t = new TTypeInfo(*TypeInfoInteger());
        t->Name = "TColor";
        return t;
    }();
    P.Typed("Color", colorType, &TCsColored::Color, &TCsColored::Color).Default(0);
}

namespace {

TEST(ComponentStream, IntegerConstantsAreWrittenAndReadByName) {
    RegisterIntegerConsts(GetPropInfo(&TCsColored::StaticClassInfo(), "Color")->PropType, &IdentToColor,
                          &ColorToIdent);
    TCsColored c(nullptr);
    c.SetName("C");
    c.Color = 0xFF;
    EXPECT_EQ(ToText(Save(&c)), "object C: TCsColored\r\n  Color = clRed\r\nend\r\n");
    c.Color = 0x10;
    EXPECT_EQ(ToText(Save(&c)), "object C: TCsColored\r\n  Color = 16\r\nend\r\n");
    TMemoryStream ms;
    Load(ms, ToBinary("object C: TCsColored\n  Color = clRED\nend"));
    ReadComponent(&ms, &c);
    EXPECT_EQ(c.Color, 0xFF);
}

// The memory table's record store writes its rows this way: a list of record lists.
TEST(ComponentStream, NestedIntegerListsHaveTheCompactEncoding) {
    TMemoryStream ms;
    {
        TWriter w(&ms, 1024);
        w.WriteListBegin();
        for (int r = 1; r <= 3; ++r) {
            w.WriteListBegin();
            w.WriteInteger(-r);
            w.WriteInteger(8 * r);
            w.WriteInteger(r);
            w.WriteListEnd();
        }
        w.WriteListEnd();
    }
    EXPECT_EQ(Bytes(ms).toHex(' ').toUpper(),
              "01 01 02 FF 02 08 02 01 00 01 02 FE 02 10 02 02 00 01 02 FD 02 18 02 03 00 00");
}

} // namespace

// A reference to a component of another root is written as "Root.Component" and resolved
// through the data modules and the registered look-ups, at once or when that root appears.
namespace {
TComponent* gFormForLookup = nullptr;
TComponent* FindTestForm(const String& Name) {
    return gFormForLookup && SameText(gFormForLookup->Name(), Name) ? gFormForLookup : nullptr;
}

TCsPanel* NewModuleWithTarget(TComponent* module) {
    module->SetName("Other");
    auto* target = Create<TCsPanel>(module);
    target->SetName("Target");
    return target;
}

TCsPanel* ReadPanel(const QByteArray& bin) {
    TMemoryStream ms;
    Load(ms, bin);
    return static_cast<TCsPanel*>(ReadComponent(&ms, nullptr));
}
} // namespace

TEST(ComponentStream, ReferencesIntoOtherRootsAreResolvedWhenThatRootExists) {
    auto* module = Create<TDataModule>(nullptr);
    TCsPanel* target = NewModuleWithTarget(module);
    auto* main = Create<TCsPanel>(nullptr);
    main->SetName("Main");
    main->Buddy = target;
    const QByteArray bin = Save(main);
    main->Free();
    EXPECT_TRUE(ToText(bin).contains("Buddy = Other.Target"));

    // The module exists: resolved while reading.
    TCsPanel* copy = ReadPanel(bin);
    EXPECT_EQ(copy->Buddy, target);
    copy->Free();

    // The module comes later: pending until then.
    module->Free();
    copy = ReadPanel(bin);
    EXPECT_EQ(copy->Buddy, nullptr);
    module = Create<TDataModule>(nullptr);
    target = NewModuleWithTarget(module);
    GlobalFixupReferences();
    EXPECT_EQ(copy->Buddy, target);
    copy->Free();
    module->Free();

    // A form found through a registered look-up.
    auto* form = Create<TCsPanel>(nullptr);
    target = NewModuleWithTarget(form);
    gFormForLookup = form;
    RegisterFindGlobalComponentProc(FindTestForm);
    copy = ReadPanel(bin);
    EXPECT_EQ(copy->Buddy, target);
    UnregisterFindGlobalComponentProc(FindTestForm);
    gFormForLookup = nullptr;
    copy->Free();
    form->Free();
}

TEST(ComponentStream, PendingReferencesDieWithTheirHolder) {
    auto* main = Create<TCsPanel>(nullptr);
    main->SetName("Main");
    auto* sub = Create<TCsPanel>(main);
    sub->SetName("Sub");
    auto* module = Create<TDataModule>(nullptr);
    TCsPanel* target = NewModuleWithTarget(module);
    main->Buddy = target;
    sub->Buddy = target;
    const QByteArray bin = Save(main);
    main->Free();
    module->Free();

    TCsPanel* a = ReadPanel(bin);
    auto* aSub = static_cast<TCsPanel*>(a->FindComponent("Sub"));
    TCsPanel* b = ReadPanel(bin);
    aSub->Free(); // its pending reference goes with it
    b->Free();    // and the whole root's
    module = Create<TDataModule>(nullptr);
    target = NewModuleWithTarget(module);
    GlobalFixupReferences(); // must touch neither freed panel
    EXPECT_EQ(a->Buddy, target);
    a->Free();
    module->Free();
}
