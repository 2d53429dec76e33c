#include "lib/toolscore/PlatformEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
String S(const char* utf8) {
    return String::fromUtf8(utf8);
}
} // namespace

TEST(PlatformEh, LocaleCompareCountsCharactersFirstThenCase) {
    EXPECT_EQ(LocaleCompareStrN("abc", "ABD", 2, true), 0);
    EXPECT_EQ(LocaleCompareStrN("abc", "ABD", 0, true), -1);
    EXPECT_EQ(LocaleCompareWideStrN(S("abc"), S("ABD"), 2, true), 0);
    // A count past the end stops at the texts' ends.
    EXPECT_EQ(LocaleCompareWideStrN(S("ab"), S("ab"), 100, false), 0);
    EXPECT_EQ(LocaleCompareWideStrN(S("Б"), S("б"), 0, true), 0);
    EXPECT_EQ(LocaleCompareText(S("Ёлка"), S("ёЛКА")), 0);
    EXPECT_NE(LocaleCompareStr(S("a"), S("A")), 0);
    EXPECT_EQ(LocaleUpperCase(S("привет")), (S("ПРИВЕТ")));
    EXPECT_EQ(LocaleLowerCase(S("ABC")), (S("abc")));
}

TEST(PlatformEh, CharSetsRectanglesAndPassThroughs) {
    TSysCharSet set;
    set.set('a');
    EXPECT_TRUE(IsCharInSet(QChar('a'), set));
    EXPECT_FALSE(IsCharInSet(QChar('b'), set));
    EXPECT_FALSE(IsCharInSet(QChar(0x0161), set)); // 0x161 would alias 'a' + 256

    TRect r(1, 2, 3, 4);
    MakeEmptyRect(r);
    EXPECT_EQ(r, TRect(0, 0, 0, 0));
    EXPECT_TRUE(RectIsEmpty(TRect(5, 0, 5, 10)));
    EXPECT_TRUE(RectIsEmpty(TRect(0, 5, 10, 5)));
    EXPECT_FALSE(RectIsEmpty(TRect(0, 0, 1, 1)));

    const TSmallPoint p{-3, 7};
    EXPECT_EQ(LParamAsSmallPoint(SmallPointAsLParam(p)), p);
    int x = 0;
    EXPECT_EQ(reinterpret_cast<int*>(PointerAsWParam(&x)), &x);

    TMessage src{0x100, 5, 6, 7}, dst;
    CopyMessageToKeyRecord(src, dst);
    EXPECT_EQ(TWMKey(dst).CharCode(), 5);
    EXPECT_EQ(dst.Result, 7);
}

TEST(PlatformEh, CopyWideCharsNeverWritesPastTheDestination) {
    QChar buf[4] = {QChar('x'), QChar('x'), QChar('x'), QChar('x')};
    const String src = S("abcdef");
    CopyWideChars(buf, 3, src.constData());
    EXPECT_EQ(buf[0], QChar('a'));
    EXPECT_EQ(buf[1], QChar('b'));
    EXPECT_TRUE(buf[2].isNull());
    EXPECT_EQ(buf[3], QChar('x'));
}

TEST(PlatformEh, VariantHelpers) {
    EXPECT_EQ(VariantToAnsiText(Variant::FromNull()), AnsiString());
    EXPECT_EQ(VariantToAnsiText(Variant(42)), AnsiString("42"));
    TDataSource obj(nullptr);
    Variant v;
    ObjectToVariant(&obj, v);
    EXPECT_EQ(VariantToObject(v), &obj);
    Variant a = VarArrayOf({Variant(1), Variant(2)});
    RedimVariantArray(a, 3);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    EXPECT_EQ(VarArrayGet(a, {1}).AsInteger(), 2);
}

TEST(PlatformEh, FormatSettingsProxyWritesTheProcessSettings) {
    const TFormatSettings saved = FormatSettings();
    TFormatSettingsProxyEh& p = FormatSettingsProxy();
    EXPECT_EQ(&p, &FormatSettingsProxy());
    p.SetDecimalSeparator(',');
    p.SetThousandSeparator(' ');
    p.SetDateSeparator('.');
    p.SetTimeSeparator(':');
    p.SetCurrencyDecimals(3);
    p.SetShortDateFormat(S("dd.mm.yyyy"));
    p.SetLongDateFormat(S("d mmmm yyyy"));
    p.SetLongTimeFormat(S("hh:nn:ss"));
    EXPECT_EQ(FormatFloat(S("0.00"), 1.5), (S("1,50")));
    EXPECT_EQ(FormatSettings().DateSeparator, QChar('.'));
    EXPECT_EQ(p.CurrencyDecimals(), 3);
    EXPECT_EQ(p.LongDateFormat(), (S("d mmmm yyyy")));
    SetFormatSettings(saved);
}

// A component with published object properties, to read a data source through them.
class TSourceHolder : public TComponent {
    KVT_CLASS(TSourceHolder, TComponent)
public:
    using TComponent::TComponent;
    TComponent* Source() const { return FSource; }
    void SetSource(TComponent* v) { FSource = v; }
    TComponent* FSource = nullptr;
};

KVT_PUBLISHED(TSourceHolder) {
    P.Prop("Source", &TSourceHolder::Source, &TSourceHolder::SetSource);
}

TEST(PlatformEh, DataSetFromSourcePropertyReadsTheDataSourcesDataSet) {
    TSourceHolder holder(nullptr);
    TDataSource source(nullptr);
    TDataSet ds(nullptr);
    source.SetDataSet(&ds);
    PPropInfo info = GetPropInfo(&holder, S("Source"));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(DataSetFromSourceProperty(&holder, info), nullptr); // empty property
    holder.SetSource(&source);
    EXPECT_EQ(DataSetFromSourceProperty(&holder, info), &ds);
    TComponent other(nullptr);
    holder.SetSource(&other); // not a data source
    EXPECT_EQ(DataSetFromSourceProperty(&holder, info), nullptr);
}

TEST(PlatformEh, DataSetFromSourcePropertyAnswersNothingForAnythingElse) {
    TTypeInfo classType;
    classType.Kind = tkClass;
    TTypeInfo intType;
    intType.Kind = tkInteger;
    TPropInfo wrongKind;
    wrongKind.PropType = &intType;
    TSourceHolder holder(nullptr);
    EXPECT_EQ(DataSetFromSourceProperty(&holder, nullptr), nullptr);
    EXPECT_EQ(DataSetFromSourceProperty(&holder, &wrongKind), nullptr);
    // A property without an accessor cannot be read: swallowed.
    TPropInfo unreadable;
    unreadable.PropType = &classType;
    EXPECT_EQ(DataSetFromSourceProperty(&holder, &unreadable), nullptr);
}

TEST(LibraryInterfaces, IdentifiersAreTheRegisteredOnes) {
    EXPECT_EQ(IMemTableEh::IID, TGUID::FromString(S("{A8C3C87A-E556-4BDB-B8A7-5B33497D1624}")));
    EXPECT_EQ(IMTEventReceiverEh::IID, TGUID::FromString(S("{60C6C1A2-A817-4043-885A-BDDC750587BD}")));
    EXPECT_EQ(IMemTableDataFieldValueListEh::IID,
              TGUID::FromString(S("{28F8194C-5FF3-42C4-87A6-8B3E06210FA6}")));
    EXPECT_EQ(IComboEditEh::IID, TGUID::FromString(S("{B64255B5-386A-4524-8BC7-7F49DDB410F4}")));
    EXPECT_EQ(IDropDownFormEh::IID, TGUID::FromString(S("{A665F4AE-003C-465E-95E9-B1061E9EAEF4}")));
}

namespace {
class TComboLike : public TComponent, public IComboEditEh {
    KVT_CLASS(TComboLike, TComponent)
public:
    using TComponent::TComponent;
    void CloseUp(bool Accept) override { Closed = Accept ? 1 : 0; }
    int Closed = -1;
};
} // namespace

TEST(LibraryInterfaces, AGuidQueryAnswersOnlyWhatTheObjectImplements) {
    TComboLike combo(nullptr);
    TComponent plain(nullptr);
    void* out = &plain;
    EXPECT_TRUE(SupportsEh(&combo, IComboEditEh::IID, &out));
    static_cast<IComboEditEh*>(out)->CloseUp(true);
    EXPECT_EQ(combo.Closed, 1);
    for (const TGUID& iid : {IMemTableEh::IID, IMTEventReceiverEh::IID, IMemTableDataFieldValueListEh::IID,
                             IComboEditEh::IID, IDropDownFormEh::IID}) {
        out = &plain;
        EXPECT_FALSE(SupportsEh(&plain, iid, &out));
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_FALSE(SupportsEh(nullptr, IComboEditEh::IID, &out));
    EXPECT_TRUE(Supports<IComboEditEh>(&combo));
}

TEST(MemoryStreamEh, CapacityGrowsInStepsOfTwiceHalfMemoryDelta) {
    TMemoryStreamEh s;
    EXPECT_EQ(s.HalfMemoryDelta(), 4096);
    const char byte = 'x';
    s.Write(&byte, 1);
    EXPECT_EQ(s.Capacity(), 8192);
    s.SetPosition(8192);
    s.Write(&byte, 1); // byte 8193
    EXPECT_EQ(s.Capacity(), 16384);
    EXPECT_EQ(s.Size(), 8193);
    EXPECT_EQ(static_cast<const char*>(s.Memory())[0], 'x');
    EXPECT_EQ(static_cast<const char*>(s.Memory())[8191], 0);

    TMemoryStreamEh big;
    big.SetHalfMemoryDelta(65536); // as the clipboard export sets it
    EXPECT_EQ(big.HalfMemoryDelta(), 65536);
    big.Write(&byte, 1);
    EXPECT_EQ(big.Capacity(), 131072);
    const std::vector<char> block(200000, 'y');
    big.Write(block.data(), int(block.size()));
    EXPECT_EQ(big.Capacity(), 262144);

    // A size equal to the data size is taken exactly.
    TMemoryStreamEh exact;
    exact.SetSize(10000);
    EXPECT_EQ(exact.Capacity(), 16384);
    exact.SetSize(10000);
    EXPECT_EQ(exact.Capacity(), 10000);
    exact.Clear();
    EXPECT_EQ(exact.Capacity(), 0);
    EXPECT_EQ(exact.Memory(), nullptr);
}

// A step that is not a power of two still never rounds below the request.
TEST(MemoryStreamEh, OtherStepsNeverRoundBelowTheRequest) {
    for (int half : {3, 100, 5000}) {
        TMemoryStreamEh s;
        s.SetHalfMemoryDelta(half);
        for (int n : {1, 7, 199, 10001}) {
            s.SetPosition(n - 1);
            const char byte = 'z';
            s.Write(&byte, 1);
            EXPECT_GE(s.Capacity(), n) << half << " " << n;
            EXPECT_LT(s.Capacity(), n + 2 * half) << half << " " << n;
        }
    }
}
