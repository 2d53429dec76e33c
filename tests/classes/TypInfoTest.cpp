#include "platform/classes/TypInfo.h"

#include <QStringList>

#include <gtest/gtest.h>

// Published classes live at namespace scope, where their TPublisher friends are.
enum TTiShape { tsCircle, tsSquare, tsTriangle };
using TTiShapes = TSet<TTiShape>;

class TTiBase : public TObject {
    KVT_CLASS(TTiBase, TObject)
    int Width() const { return FWidth; }
    void SetWidth(int w) { FWidth = w; }
    String Caption() const { return FCaption; }
    void SetCaption(const String& c) { FCaption = c; }
    int FWidth = 64;
    String FCaption;
    TTiShape Shape = tsCircle;
};

class TTiChild : public TTiBase {
    KVT_CLASS(TTiChild, TTiBase)
    TTiShapes Shapes;
    double Ratio = 0;
    bool Flag = true;
    Int64 Big = 0;
    TTiBase* Link = nullptr;
    int ReadOnlyValue() const { return 7; }
    bool IsRatioStored() const { return Ratio > 1; }

private:
    int FSecret = 3;
    template <class> friend struct TPublisher;
};

KVT_ENUM_TYPE(TTiShape, tsCircle, tsSquare, tsTriangle)

KVT_PUBLISHED(TTiBase) {
    P.Prop("Width", &TTiBase::Width, &TTiBase::SetWidth).Default(64);
    P.Prop("Caption", &TTiBase::Caption, &TTiBase::SetCaption);
    P.Prop("Shape", &TTiBase::Shape, &TTiBase::Shape).Default(tsCircle);
}

KVT_PUBLISHED(TTiChild) {
    P.Prop("Shapes", &TTiChild::Shapes, &TTiChild::Shapes).Default(TTiShapes{tsSquare});
    P.Prop("Ratio", &TTiChild::Ratio, &TTiChild::Ratio).Stored(&TTiChild::IsRatioStored);
    P.Prop("Flag", &TTiChild::Flag, &TTiChild::Flag).Default(true);
    P.Prop("Big", &TTiChild::Big, &TTiChild::Big);
    P.Prop("Link", &TTiChild::Link, &TTiChild::Link);
    P.Prop("ReadOnlyValue", &TTiChild::ReadOnlyValue);
    P.Prop(
        "Secret", [](TTiChild* c) { return c->FSecret; }, [](TTiChild* c, int v) { c->FSecret = v; });
    // Republishing keeps the inherited position and changes the default.
    P.Prop("Width", &TTiChild::Width, &TTiChild::SetWidth).Default(100);
}

namespace {

TEST(TypInfo, TablesExtendTheParentInDeclarationOrder) {
    TTiChild c;
    TPropList list = GetPropList(&c);
    QStringList names;
    for (PPropInfo p : list)
        names << p->Name;
    EXPECT_EQ(names.join(','), "Width,Caption,Shape,Shapes,Ratio,Flag,Big,Link,ReadOnlyValue,Secret");
    EXPECT_EQ(GetPropInfo(&c, "WIDTH")->Default, 100);
    EXPECT_EQ(GetPropInfo(&c, "width")->Owner, &TTiChild::StaticClassInfo());
    TTiBase b;
    EXPECT_EQ(GetPropInfo(&b, "Width")->Default, 64);
    EXPECT_EQ(GetPropInfo(&b, "Shapes"), nullptr);
    EXPECT_EQ(GetPropList(&c, {tkEnumeration}).size(), 2u); // Shape, Flag

    struct Kind {
        const char* name;
        TTypeKind kind;
    } kinds[] = {{"Width", tkInteger}, {"Caption", tkUString},  {"Shape", tkEnumeration}, {"Shapes", tkSet},
                 {"Ratio", tkFloat},   {"Flag", tkEnumeration}, {"Big", tkInt64},         {"Link", tkClass}};
    for (auto& k : kinds)
        EXPECT_TRUE(PropIsType(&c, k.name, k.kind)) << k.name;
    EXPECT_EQ(GetPropInfo(&c, "Link")->PropType->ClassType, &TTiBase::StaticClassInfo());
    EXPECT_EQ(GetPropInfo(&c, "Flag")->PropType->Name, "Boolean");
}

TEST(TypInfo, AccessByName) {
    TTiChild c;
    SetOrdProp(&c, "Width", 12);
    EXPECT_EQ(c.Width(), 12);
    SetStrProp(&c, "Caption", QString::fromUtf8("Привет 'x'"));
    EXPECT_EQ(GetStrProp(&c, "caption"), QString::fromUtf8("Привет 'x'"));
    SetEnumProp(&c, "Shape", "TSSQUARE");
    EXPECT_EQ(c.Shape, tsSquare);
    EXPECT_EQ(GetEnumProp(&c, "Shape"), "tsSquare");
    SetSetProp(&c, "Shapes", "[tsCircle, tsTriangle]");
    EXPECT_TRUE(c.Shapes.Contains(tsCircle) && c.Shapes.Contains(tsTriangle) && !c.Shapes.Contains(tsSquare));
    EXPECT_EQ(GetSetProp(&c, "Shapes"), "tsCircle,tsTriangle");
    EXPECT_EQ(GetSetProp(&c, "Shapes", true), "[tsCircle,tsTriangle]");
    SetFloatProp(&c, "Ratio", 2.5L);
    EXPECT_EQ(c.Ratio, 2.5);
    SetInt64Prop(&c, "Big", INT64_C(1) << 40);
    EXPECT_EQ(GetInt64Prop(&c, "Big"), INT64_C(1) << 40);
    SetOrdProp(&c, "Flag", 0);
    EXPECT_FALSE(c.Flag);
    EXPECT_EQ(GetEnumProp(&c, "Flag"), "False");
    TTiBase other;
    SetObjectProp(&c, "Link", &other);
    EXPECT_EQ(GetObjectProp(&c, "Link"), &other);
    EXPECT_EQ(GetObjectProp(&c, "Link", &TTiChild::StaticClassInfo()), nullptr);
    SetOrdProp(&c, "Secret", 9);
    EXPECT_EQ(GetOrdProp(&c, "Secret"), 9);
    EXPECT_EQ(GetOrdProp(&c, "ReadOnlyValue"), 7);
}

TEST(TypInfo, ErrorsAndStoredPredicates) {
    TTiChild c;
    EXPECT_THROW(GetOrdProp(&c, "Missing"), EPropertyError);
    try {
        SetStrProp(&c, "Nope", "x");
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Property Nope does not exist");
    }
    EXPECT_THROW(SetOrdProp(&c, "ReadOnlyValue", 1), EPropReadOnly);
    EXPECT_THROW(SetEnumProp(&c, "Shape", "tsHexagon"), EPropertyConvertError);
    EXPECT_THROW(SetSetProp(&c, "Shapes", "[tsCircle,bogus]"), EPropertyConvertError);
    EXPECT_THROW(GetStrProp(&c, "Width"), EPropertyError); // wrong category
    TObject plain;
    EXPECT_THROW(SetObjectProp(&c, "Link", &plain), EPropertyError);
    EXPECT_EQ(c.Link, nullptr);

    EXPECT_FALSE(IsStoredProp(&c, "Ratio"));
    c.Ratio = 3;
    EXPECT_TRUE(IsStoredProp(&c, "Ratio"));
    EXPECT_TRUE(IsStoredProp(&c, "Width"));
}

TEST(TypInfo, EnumNamesAndValues) {
    PTypeInfo ti = TypeInfoOf<TTiShape>();
    EXPECT_EQ(ti->Kind, tkEnumeration);
    EXPECT_EQ(ti->Name, "TTiShape");
    EXPECT_EQ(GetEnumName(ti, 2), "tsTriangle");
    EXPECT_EQ(GetEnumName(ti, 3), "");
    EXPECT_EQ(GetEnumName(ti, -1), "");
    EXPECT_EQ(GetEnumValue(ti, "tssquare"), 1);
    EXPECT_EQ(GetEnumValue(ti, "x"), -1);
    EXPECT_EQ(GetEnumValue(TypeInfoBoolean(), "TRUE"), 1);
    EXPECT_EQ(GetEnumName(TypeInfoInteger(), -5), "-5");
    EXPECT_EQ(SetToString(TypeInfoOf<TTiShapes>(), 0), "");
    EXPECT_EQ(StringToSet(TypeInfoOf<TTiShapes>(), "[]"), 0u);
}

} // namespace

#include "platform/rtl/Variant.h"

namespace {

TEST(TypInfo, PropValuesAsVariants) {
    TTiChild c;
    c.Shape = tsTriangle;
    c.Shapes = {tsCircle, tsSquare};
    EXPECT_EQ(GetPropValue(&c, "Shape").AsString(), "tsTriangle");
    EXPECT_EQ(GetPropValue(&c, "Shape", false).AsInteger(), 2);
    EXPECT_EQ(GetPropValue(&c, "Shapes").AsString(), "tsCircle,tsSquare");
    EXPECT_EQ(GetPropValue(&c, "Flag").VType(), varBoolean);
    EXPECT_EQ(GetPropValue(&c, "Width").AsInteger(), 64);

    SetPropValue(&c, "Width", Variant(QStringLiteral("12")));
    EXPECT_EQ(c.Width(), 12);
    SetPropValue(&c, "Shape", Variant(QStringLiteral("tsSquare")));
    EXPECT_EQ(c.Shape, tsSquare);
    SetPropValue(&c, "Shapes", Variant(QStringLiteral("[tsTriangle]")));
    EXPECT_EQ(c.Shapes, TTiShapes{tsTriangle});
    SetPropValue(&c, "Ratio", Variant(0.25));
    EXPECT_EQ(c.Ratio, 0.25);
    SetPropValue(&c, "Caption", Variant(int(5)));
    EXPECT_EQ(c.Caption(), "5");
    SetPropValue(&c, "Flag", Variant(false));
    EXPECT_FALSE(c.Flag);
    EXPECT_THROW(SetPropValue(&c, "Nope", Variant(1)), EPropertyError);
    EXPECT_THROW(SetPropValue(&c, "Width", Variant(QStringLiteral("wide"))), Exception);
}

} // namespace
