// Variant storage: kinds, value semantics, type tests and names, variant arrays, byte arrays.
#include "platform/rtl/Variant.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class TThing : public TObject {
    KVT_CLASS(TThing, TObject)
};

TEST(VariantKinds, ConstructionPicksThePlatformKind) {
    struct Case {
        Variant V;
        TVarType Type;
    };
    TThing thing;
    const Case cases[] = {
        {Variant(), varEmpty},
        {Null(), varNull},
        {Variant(true), varBoolean},
        {Variant(static_cast<signed char>(-1)), varShortInt},
        {Variant(static_cast<unsigned char>(1)), varByte},
        {Variant(short(1)), varSmallint},
        {Variant(static_cast<unsigned short>(1)), varWord},
        {Variant(1), varInteger},
        {Variant(1u), varLongWord},
        {Variant(Int64(1)), varInt64},
        {Variant(1LL), varInt64},
        {Variant(UInt64(1)), varUInt64},
        {Variant(1.5f), varSingle},
        {Variant(1.5), varDouble},
        {Variant(1.5L), varDouble},
        {Variant(Currency(1.5)), varCurrency},
        {Variant::FromDate(45000.5), varDate},
        {Variant("text"), varUString},
        {Variant(u"text"), varUString},
        {Variant(String("text")), varUString},
        {Variant::FromOleStr("text"), varOleStr},
        {Variant(AnsiString("text")), varString},
        {Variant(&thing), varObject},
        {Variant::FromError(-1), varError},
        {EmptyParam(), varError},
        {Variant(TBytes{1, 2}), varArray | varByte},
        {VarArrayOf({1, "a"}), varArray | varVariant},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarType(c.V), c.Type) << VarTypeAsText(c.Type).toStdString();
}

TEST(VariantKinds, TypeTests) {
    struct Case {
        Variant V;
        bool Ordinal, Float, Numeric, Str, Clear;
    };
    const Case cases[] = {
        {Variant(), false, false, false, false, true},
        {Null(), false, false, false, false, false},
        {Variant(true), true, false, true, false, false},
        {Variant(Int64(3)), true, false, true, false, false},
        {Variant(UInt64(3)), true, false, true, false, false},
        {Variant(3.0), false, true, true, false, false},
        {Variant(Currency(3)), false, true, true, false, false},
        {Variant::FromDate(3), false, false, false, false, false},
        {Variant("3"), false, false, false, true, false},
        {Variant(AnsiString("3")), false, false, false, true, false},
        {Variant::FromObject(nullptr), false, false, false, false, true},
        {VarArrayOf({1}), false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarTypeAsText(c.V.VType()).toStdString());
        EXPECT_EQ(VarIsOrdinal(c.V), c.Ordinal);
        EXPECT_EQ(VarIsFloat(c.V), c.Float);
        EXPECT_EQ(VarIsNumeric(c.V), c.Numeric);
        EXPECT_EQ(VarIsStr(c.V), c.Str);
        EXPECT_EQ(VarIsClear(c.V), c.Clear);
    }
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(Variant()));
    EXPECT_TRUE(VarIsEmpty(Variant()));
    EXPECT_FALSE(VarIsEmpty(Null()));
    EXPECT_TRUE(VarIsEmptyParam(EmptyParam()));
    EXPECT_FALSE(VarIsEmptyParam(Variant::FromError(-1)));
    EXPECT_TRUE(VarIsType(Variant(1), {varSmallint, varInteger}));
    EXPECT_FALSE(VarIsType(Variant(1), {varSmallint, varInt64}));
}

TEST(VariantKinds, TypeNames) {
    struct Case {
        TVarType Type;
        const char* Name;
    };
    const Case cases[] = {
        {varEmpty, "Empty"},
        {varNull, "Null"},
        {varSmallint, "Smallint"},
        {varInteger, "Integer"},
        {varSingle, "Single"},
        {varDouble, "Double"},
        {varCurrency, "Currency"},
        {varDate, "Date"},
        {varOleStr, "OleStr"},
        {varError, "Error"},
        {varBoolean, "Boolean"},
        {varVariant, "Variant"},
        {varShortInt, "ShortInt"},
        {varByte, "Byte"},
        {varWord, "Word"},
        {varLongWord, "LongWord"},
        {varInt64, "Int64"},
        {varUInt64, "UInt64"},
        {varString, "String"},
        {varUString, "UnicodeString"},
        {varObject, "Object"},
        {varArray | varVariant, "Array Variant"},
        {varArray | varByte, "Array Byte"},
        {varByRef | varInteger, "ByRef Integer"},
        {0x0F00, "$0F00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarTypeAsText(c.Type), c.Name);
}

TEST(VariantValues, CopiesAreIndependent) {
    Variant s = "abc";
    Variant t = s;
    t += "d";
    EXPECT_EQ(s.AsString(), "abc");
    EXPECT_EQ(t.AsString(), "abcd");

    Variant a = VarArrayOf({1, 2});
    Variant b = a;
    VarArrayPut(b, 9, {0});
    EXPECT_EQ(VarArrayGet(a, {0}).AsInteger(), 1);
    EXPECT_EQ(VarArrayGet(b, {0}).AsInteger(), 9);

    // Moves, self-assignment and reassignment across managed and plain kinds.
    Variant m = std::move(t);
    EXPECT_TRUE(VarIsEmpty(t));
    EXPECT_EQ(m.AsString(), "abcd");
    const Variant& self = m;
    m = self;
    EXPECT_EQ(m.AsString(), "abcd");
    m = 5;
    EXPECT_EQ(VarType(m), varInteger);
    m = AnsiString("x");
    m = a;
    m = Variant(AnsiString("y"));
    EXPECT_EQ(m.AsAnsiString(), "y");
    m.Clear();
    EXPECT_TRUE(VarIsEmpty(m));
}

TEST(VariantValues, ObjectReferencesKeepFullPointers) {
    TThing thing;
    Variant v = &thing;
    EXPECT_EQ(v.AsObject(), &thing);
    EXPECT_EQ(Null().AsObject(), nullptr);
    EXPECT_EQ(Variant().AsObject(), nullptr);
    // A pointer-sized integer is read back as the same address.
    Variant asInt = Int64(reinterpret_cast<intptr_t>(&thing));
    EXPECT_EQ(asInt.AsObject(), &thing);
    EXPECT_THROW(Variant(1).AsObject(), EVariantTypeCastError);
    EXPECT_TRUE(Variant(&thing) == Variant::FromObject(&thing));
    TThing other;
    EXPECT_FALSE(Variant(&thing) == Variant(&other));
    EXPECT_EQ(VarCompareValue(Variant(&thing), Variant(&other)), vrNotEqual);
}

// ---------------------------------------------------------------------------------------------
// Variant arrays

TEST(VariantArrays, CreateWithBoundsAndElementType) {
    Variant a = VarArrayCreate({1, 3}, varInteger);
    EXPECT_EQ(VarType(a), varArray | varInteger);
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    // Typed elements start at the type's zero and take values converted to the type.
    EXPECT_EQ(VarType(VarArrayGet(a, {1})), varInteger);
    EXPECT_EQ(VarArrayGet(a, {1}).AsInteger(), 0);
    VarArrayPut(a, "42", {3});
    EXPECT_EQ(VarType(a[3]), varInteger);
    EXPECT_EQ(a[3].AsInteger(), 42);
    // A value the element type cannot hold leaves the array unchanged.
    EXPECT_THROW(VarArrayPut(a, "x", {3}), EVariantTypeCastError);
    EXPECT_EQ(a[3].AsInteger(), 42);

    Variant v = VarArrayCreate({0, 1}, varVariant);
    EXPECT_TRUE(VarIsEmpty(v[0]));
    VarArrayPut(v, Null(), {1});
    EXPECT_TRUE(VarIsNull(v[1]));

    Variant s = VarArrayCreate({0, 0}, varOleStr);
    EXPECT_EQ(VarType(s[0]), varOleStr);

    Variant none = VarArrayCreate({0, -1}, varVariant);
    EXPECT_EQ(VarArrayHighBound(none, 1), -1);
}

TEST(VariantArrays, MultipleDimensions) {
    Variant a = VarArrayCreate({0, 1, 5, 7}, varVariant);
    EXPECT_EQ(VarArrayDimCount(a), 2);
    EXPECT_EQ(VarArrayLowBound(a, 2), 5);
    EXPECT_EQ(VarArrayHighBound(a, 2), 7);
    for (int i = 0; i <= 1; ++i)
        for (int j = 5; j <= 7; ++j)
            VarArrayPut(a, i * 10 + j, {i, j});
    for (int i = 0; i <= 1; ++i)
        for (int j = 5; j <= 7; ++j)
            EXPECT_EQ(VarArrayGet(a, {i, j}).AsInteger(), i * 10 + j);
    // The last dimension grows and shrinks with every element kept at its indices.
    VarArrayRedim(a, 8);
    EXPECT_EQ(VarArrayGet(a, {1, 7}).AsInteger(), 17);
    EXPECT_TRUE(VarIsEmpty(VarArrayGet(a, {1, 8})));
    VarArrayRedim(a, 6);
    EXPECT_EQ(VarArrayGet(a, {1, 6}).AsInteger(), 16);
    EXPECT_THROW(VarArrayGet(a, {1, 7}), EVariantBadIndexError);
}

TEST(VariantArrays, RedimKeepsElements) {
    Variant a = VarArrayOf({"a", 2, Null()});
    Variant shared = a;
    VarArrayRedim(a, 4);
    EXPECT_EQ(VarArrayHighBound(a, 1), 4);
    EXPECT_EQ(a[0].AsString(), "a");
    EXPECT_EQ(a[1].AsInteger(), 2);
    EXPECT_TRUE(VarIsNull(a[2]));
    EXPECT_TRUE(VarIsEmpty(a[4]));
    EXPECT_EQ(VarArrayHighBound(shared, 1), 2); // the copy keeps its shape
    VarArrayRedim(a, 0);
    EXPECT_EQ(VarArrayHighBound(a, 1), 0);
    EXPECT_EQ(a[0].AsString(), "a");
    VarArrayRedim(a, -1);
    EXPECT_EQ(VarArrayHighBound(a, 1), -1);
    EXPECT_THROW(VarArrayRedim(a, -5), EVariantInvalidArgError);
}

TEST(VariantArrays, Errors) {
    struct Case {
        const char* Name;
        std::function<void()> Run;
        const char* Message;
    };
    Variant a = VarArrayOf({1, 2});
    Variant scalar = 5;
    const Case cases[] = {
        {"index below", [&] { VarArrayGet(a, {-1}); }, "Variant or safe array index out of bounds"},
        {"index above", [&] { VarArrayGet(a, {2}); }, "Variant or safe array index out of bounds"},
        {"put outside", [&] { VarArrayPut(a, 1, {5}); }, "Variant or safe array index out of bounds"},
        {"too many indices",
         [&] {
             VarArrayGet(a, {0, 0});
         },
         "Variant or safe array index out of bounds"},
        {"bad dimension", [&] { VarArrayLowBound(a, 2); }, "Variant or safe array index out of bounds"},
        {"not an array", [&] { VarArrayGet(scalar, {0}); }, "Variant is not an array"},
        {"bounds of scalar", [&] { VarArrayHighBound(scalar, 1); }, "Variant is not an array"},
        {"redim scalar", [&] { VarArrayRedim(scalar, 3); }, "Variant is not an array"},
        {"odd bounds", [&] { VarArrayCreate({0}, varVariant); }, "Error creating variant or safe array"},
        {"reversed bounds",
         [&] {
             VarArrayCreate({3, 1}, varVariant);
         },
         "Error creating variant or safe array"},
        {"bad element type",
         [&] {
             VarArrayCreate({0, 1}, varNull);
         },
         "Invalid variant type"},
        {"too many elements",
         [&] {
             VarArrayCreate({0, 70000, 0, 70000}, varByte);
         },
         "Error creating variant or safe array"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            c.Run();
            ADD_FAILURE() << "no exception";
        } catch (const EVariantError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
    EXPECT_EQ(VarArrayDimCount(scalar), 0);
    EXPECT_EQ(VarArrayGet(a, {1}).AsInteger(), 2);
}

TEST(VariantArrays, LockGivesTheStorageAndBlocksRedim) {
    Variant a = VarArrayOf({1, 2});
    Variant before = a;
    auto* items = static_cast<Variant*>(VarArrayLock(a));
    items[1] = "two";
    // A copy taken while locked does not see later writes through the lock.
    Variant whileLocked = a;
    items[0] = "one";
    EXPECT_THROW(VarArrayRedim(a, 5), EVariantArrayLockedError);
    VarArrayUnlock(a);
    EXPECT_THROW(VarArrayUnlock(a), EVariantError);
    EXPECT_EQ(a[0].AsString(), "one");
    EXPECT_EQ(a[1].AsString(), "two");
    EXPECT_EQ(whileLocked[0].AsInteger(), 1);
    EXPECT_EQ(before[1].AsInteger(), 2); // locking unshares
    VarArrayRedim(a, 2);
    EXPECT_EQ(VarArrayHighBound(a, 1), 2);
}

TEST(VariantArrays, ByteArraysRoundTrip) {
    const TBytes bytes{0, 1, 0x7F, 0x80, 0xFF};
    Variant a = VarFromBytes(bytes);
    EXPECT_EQ(VarType(a), varArray | varByte);
    EXPECT_EQ(VarArrayLowBound(a, 1), 0);
    EXPECT_EQ(VarArrayHighBound(a, 1), 4);
    EXPECT_EQ(VarType(a[4]), varByte);
    EXPECT_EQ(a[4].AsInteger(), 255);
    EXPECT_EQ(VarToBytes(a), bytes);
    EXPECT_EQ(VarToByteArray(a), QByteArray("\x00\x01\x7F\x80\xFF", 5));
    EXPECT_EQ(VarToBytes(VarFromBytes(QByteArray("\x00z", 2))), (TBytes{0, 'z'}));

    auto* p = static_cast<uint8_t*>(VarArrayLock(a));
    p[0] = 9;
    VarArrayUnlock(a);
    VarArrayRedim(a, 6);
    EXPECT_EQ(VarToBytes(a), (TBytes{9, 1, 0x7F, 0x80, 0xFF, 0, 0}));
    EXPECT_THROW(VarArrayPut(a, 256, {0}), EVariantOverflowError);

    EXPECT_EQ(VarToBytes(Variant(AnsiString("\xC0z"))), (TBytes{0xC0, 'z'}));
    EXPECT_TRUE(VarToBytes(Null()).empty());
    EXPECT_TRUE(VarToBytes(VarFromBytes(TBytes{})).empty());
    try {
        VarToBytes(Variant(1));
        ADD_FAILURE();
    } catch (const EVariantTypeCastError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant of type (Integer) into type (Array Byte)");
    }
}

TEST(VariantArrays, CastElementwise) {
    Variant a = VarArrayOf({"1", 2.5, true});
    Variant ints = VarAsType(a, varArray | varInteger);
    EXPECT_EQ(VarType(ints), varArray | varInteger);
    EXPECT_EQ(ints[0].AsInteger(), 1);
    EXPECT_EQ(ints[1].AsInteger(), 2);
    EXPECT_EQ(ints[2].AsInteger(), -1);
    Variant bytes = VarAsType(VarArrayOf({1, 2}), varArray | varByte);
    EXPECT_EQ(VarToBytes(bytes), (TBytes{1, 2}));
    EXPECT_THROW(VarAsType(VarArrayOf({"x"}), varArray | varInteger), EVariantTypeCastError);
    EXPECT_THROW(VarAsType(Variant(1), varArray | varInteger), EVariantTypeCastError);
}

TEST(VariantValues, PrintsTypeAndText) {
    auto show = [](const Variant& v) {
        std::ostringstream os;
        os << v;
        return os.str();
    };
    EXPECT_EQ(show(Variant(5)), "Integer:5");
    EXPECT_EQ(show(Null()), "Null");
    EXPECT_EQ(show(Variant()), "Empty");
    EXPECT_EQ(show(VarArrayOf({1, "a", Null()})), "Array Variant:[1, a, Null]");
    EXPECT_EQ(show(Variant::FromObject(nullptr)), "Object");
}

} // namespace
