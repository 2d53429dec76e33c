#include "platform/rtl/System.h"

#include <gtest/gtest.h>

namespace {

enum TColorKind { ckRed, ckGreen, ckBlue, ckHigh = 200 };

class TBase : public TObject {
    KVT_CLASS(TBase, TObject)
    void Handler(TObject*) { ++Calls; }
    void Other(TObject*) {}
    int Calls = 0;
};
class TDerived : public TBase {
    KVT_CLASS(TDerived, TBase)
};

TEST(System, ClassInfoNamesParentsAndInheritance) {
    TDerived d;
    EXPECT_EQ(d.ClassName(), "TDerived");
    EXPECT_EQ(d.ClassParent()->ClassName(), "TBase");
    EXPECT_TRUE(d.InheritsFrom<TBase>());
    EXPECT_TRUE(d.InheritsFrom<TObject>());
    TBase b;
    EXPECT_FALSE(b.InheritsFrom<TDerived>());
    EXPECT_THROW(As<TDerived>(&b), EInvalidCast);
    EXPECT_EQ(As<TBase>(&d), &d);
}

TEST(System, SetsBehaveLikeValueSets) {
    TSet<TColorKind> s{ckRed, ckHigh};
    EXPECT_TRUE(s.Contains(ckRed));
    EXPECT_TRUE(s.Contains(ckHigh));
    EXPECT_FALSE(s.Contains(ckGreen));
    auto t = s + TSet<TColorKind>{ckGreen};
    EXPECT_TRUE((t - s) == TSet<TColorKind>{ckGreen});
    EXPECT_TRUE((t * s) == s);
    EXPECT_TRUE(s.SubsetOf(t));
    EXPECT_FALSE(t.SubsetOf(s));
    EXPECT_TRUE(TSet<TColorKind>().Empty());
    EXPECT_EQ((TSet<TColorKind>{ckGreen, ckBlue}.ToInt()), 6u);
}

TEST(System, DelegatesCompareByObjectAndMember) {
    TBase a, b;
    TNotifyEvent e1(&a, &TBase::Handler), e2(&a, &TBase::Handler), e3(&b, &TBase::Handler),
        e4(&a, &TBase::Other), none;
    EXPECT_TRUE(e1 == e2);
    EXPECT_FALSE(e1 == e3);
    EXPECT_FALSE(e1 == e4);
    EXPECT_FALSE(e1 == none);
    EXPECT_TRUE(none == TNotifyEvent());
    e1(nullptr);
    EXPECT_EQ(a.Calls, 1);
    int n = 0;
    auto c1 = TNotifyEvent::Callable([&](TObject*) { ++n; });
    auto c2 = TNotifyEvent::Callable([&](TObject*) { ++n; });
    EXPECT_TRUE(c1 == c1);
    EXPECT_FALSE(c1 == c2);
    c2(nullptr);
    EXPECT_EQ(n, 1);
    static int tag;
    EXPECT_TRUE(TNotifyEvent::Callable([](TObject*) {}, &tag) == TNotifyEvent::Callable([](TObject*) {}, &tag));
}

TEST(System, ExceptionsKeepMessageAndClassName) {
    try {
        throw EConvertError(QStringLiteral("bad"));
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "bad");
        EXPECT_EQ(e.ClassName(), "EConvertError");
        std::unique_ptr<Exception> c(e.Clone());
        EXPECT_THROW(c->Raise(), EConvertError);
    }
    EXPECT_THROW(Abort(), EAbort);
}

}  // namespace
