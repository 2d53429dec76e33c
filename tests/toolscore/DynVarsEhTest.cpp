#include "lib/toolscore/DynVarsEh.h"

#include "platform/classes/TypInfo.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* kDuplicate = "Переменная с именем '%1' уже присутствует в Коллекции";

String DuplicateText(const String& Name) {
    return String::fromUtf8(kDuplicate).arg(Name);
}

template <class F> String ErrorOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

struct ChangeCounter : TObject {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};

TEST(DynVarsEh, MissingNameAnswersPlaceholderThatJoinsOnFirstWrite) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* p = vars.DynVar("Alpha");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->IsDummy());
    EXPECT_EQ(p->Name(), "Alpha");
    EXPECT_TRUE(p->IsNull());
    EXPECT_EQ(p->AsInteger(), 0);
    EXPECT_FALSE(p->AsBoolean());
    EXPECT_EQ(p->AsString(), "");
    EXPECT_EQ(p->AsRefObject(), nullptr);
    EXPECT_EQ(vars.Count(), 0);
    EXPECT_FALSE(vars.VarExists("Alpha"));

    // A second missing name renames the same placeholder.
    EXPECT_EQ(vars.DynVar("Beta"), p);
    EXPECT_EQ(p->Name(), "Beta");

    p->SetAsInteger(42);
    EXPECT_FALSE(p->IsDummy());
    EXPECT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.Items(0), p);
    EXPECT_EQ(vars.FindDynVar("beta"), p);
    EXPECT_EQ(vars["BETA"]->AsInteger(), 42);

    TDynVarEh* q = vars.DynVar("Gamma");
    EXPECT_NE(q, p);
    EXPECT_TRUE(q->IsDummy());
    EXPECT_EQ(vars.Count(), 1);
}

TEST(DynVarsEh, EveryWriterMakesThePlaceholderAMember) {
    TDynVarsEh vars(nullptr);
    TObject obj;
    const std::vector<std::pair<const char*, std::function<void(TDynVarEh*)>>> writers = {
        {"Value", [](TDynVarEh* v) { v->SetValue(Variant(String("x"))); }},
        {"AsBoolean", [](TDynVarEh* v) { v->SetAsBoolean(true); }},
        {"AsCurrency", [](TDynVarEh* v) { v->SetAsCurrency(Currency(1.5)); }},
        {"AsDateTime", [](TDynVarEh* v) { v->SetAsDateTime(45000.25); }},
        {"AsFloat", [](TDynVarEh* v) { v->SetAsFloat(2.5); }},
        {"AsInteger", [](TDynVarEh* v) { v->SetAsInteger(7); }},
        {"AsRefObject", [&](TDynVarEh* v) { v->SetAsRefObject(&obj); }},
        {"AsString", [](TDynVarEh* v) { v->SetAsString("s"); }},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        TDynVarEh* p = vars.DynVar(name);
        ASSERT_TRUE(p->IsDummy());
        const int before = vars.Count();
        write(p);
        EXPECT_FALSE(p->IsDummy());
        EXPECT_EQ(vars.Count(), before + 1);
        EXPECT_EQ(vars.FindDynVar(name), p);
    }
    EXPECT_EQ(vars.DynVar("AsDateTime")->Value().VType(), varDate);
    EXPECT_EQ(vars.DynVar("AsCurrency")->AsCurrency(), Currency(1.5));
    EXPECT_DOUBLE_EQ(vars.DynVar("AsFloat")->AsFloat(), 2.5);
    EXPECT_TRUE(vars.DynVar("AsBoolean")->AsBoolean());
}

TEST(DynVarsEh, ObjectReferencesKeepTheFullAddress) {
    TDynVarsEh vars(nullptr);
    auto obj = std::make_unique<TObject>();
    TDynVarEh* v = vars.CreateDynVar("Obj", obj.get());
    EXPECT_EQ(v->AsRefObject(), obj.get());
    v->SetAsRefObject(nullptr);
    EXPECT_EQ(v->AsRefObject(), nullptr);
    v->SetAsRefObject(obj.get());
    EXPECT_EQ(vars.DynVar("obj")->AsRefObject(), obj.get());
}

TEST(DynVarsEh, IsNullFollowsVariantEqualityWithUnassigned) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* v = vars.CreateDynVar("v", Null());
    EXPECT_TRUE(v->IsNull());
    EXPECT_EQ(v->AsString(), "");
    v->SetAsInteger(0);
    EXPECT_TRUE(v->IsNull()); // 0 equals Unassigned by the variant rules
    v->SetAsInteger(5);
    EXPECT_FALSE(v->IsNull());
    v->Clear();
    EXPECT_TRUE(v->Value().IsEmpty());
    v->SetValue(VarArrayOf({1, 2}));
    EXPECT_FALSE(v->IsNull());
}

TEST(DynVarsEh, NamesFoldOnlyAsciiLetters) {
    TDynVarsEh vars(nullptr);
    vars.CreateDynVar("Name", 1);
    EXPECT_EQ(ErrorOf([&] { vars.CreateDynVar("NAME", 2); }), DuplicateText("NAME"));
    EXPECT_EQ(vars.Count(), 1);

    vars.CreateDynVar("Имя", 1);
    EXPECT_NO_THROW(vars.CreateDynVar("ИМЯ", 2)); // Cyrillic case is not folded
    EXPECT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.FindDynVar("имя"), nullptr);
    EXPECT_EQ(vars.FindDynVar("ИМЯ")->AsInteger(), 2);
}

TEST(DynVarsEh, RenameChecksOthersButNotItself) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* a = vars.CreateDynVar("a", 1);
    vars.CreateDynVar("b", 2);
    EXPECT_EQ(ErrorOf([&] { a->SetName("B"); }), DuplicateText("B"));
    EXPECT_EQ(a->Name(), "a");
    a->SetName("A"); // a case variant of its own name
    EXPECT_EQ(a->Name(), "A");

    // A placeholder renamed to a free name joins under it; to a taken name it fails.
    TDynVarEh* p = vars.DynVar("missing");
    EXPECT_EQ(ErrorOf([&] { p->SetName("b"); }), DuplicateText("b"));
    EXPECT_TRUE(p->IsDummy());
    p->SetName("c");
    EXPECT_FALSE(p->IsDummy());
    EXPECT_EQ(vars.FindDynVar("C"), p);
}

TEST(DynVarsEh, StalePlaceholderCannotJoinUnderATakenName) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* p = vars.DynVar("x");
    vars.CreateDynVar("x", 1);
    EXPECT_EQ(ErrorOf([&] { p->SetAsInteger(2); }), DuplicateText("x"));
    EXPECT_TRUE(p->IsDummy());
    EXPECT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.FindDynVar("x")->AsInteger(), 1);
}

TEST(DynVarsEh, AddRemoveDelete) {
    TDynVarsEh a(nullptr), b(nullptr);
    TDynVarEh* v = a.CreateDynVar("v", 1);
    a.CreateDynVar("w", 2);
    b.CreateDynVar("w", 3);

    b.AddDynVar(v);
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(b.Count(), 2);
    EXPECT_EQ(b.Items(1), v);

    TDynVarEh* w = a.FindDynVar("w");
    EXPECT_EQ(ErrorOf([&] { b.AddDynVar(w); }), DuplicateText("w"));
    EXPECT_EQ(w->VarCollection(), &a);

    a.RemoveDynVar(v); // not a's: nothing
    EXPECT_EQ(b.Count(), 2);
    b.RemoveDynVar(v);
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(v->Collection(), nullptr);
    EXPECT_EQ(v->AsInteger(), 1);
    a.AddDynVar(v);
    EXPECT_EQ(a.FindDynVar("V"), v);

    a.DeleteDynVar("nothing");
    EXPECT_EQ(a.Count(), 2);
    a.DeleteDynVar("V");
    EXPECT_EQ(a.Count(), 1);
    EXPECT_FALSE(a.VarExists("v"));

    // Another collection's placeholder moved in stops being one; its owner makes a new one.
    TDynVarEh* p = a.DynVar("fresh");
    b.AddDynVar(p);
    EXPECT_FALSE(p->IsDummy());
    EXPECT_EQ(b.FindDynVar("fresh"), p);
    EXPECT_NE(a.DynVar("other"), p);
}

TEST(DynVarsEh, FreedPlaceholderIsReplaced) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* p = vars.DynVar("x");
    p->Free();
    TDynVarEh* q = vars.DynVar("y");
    ASSERT_NE(q, nullptr);
    q->SetAsInteger(1);
    EXPECT_EQ(vars.Count(), 1);
}

TEST(DynVarsEh, IsEqualComparesTypesValuesAndExactNames) {
    TDynVarsEh a(nullptr), b(nullptr);
    a.CreateDynVar("n", 1);
    a.CreateDynVar("s", String("x"));
    b.CreateDynVar("n", 1);
    b.CreateDynVar("s", String("x"));
    EXPECT_TRUE(a.IsEqual(&b));

    b.FindDynVar("s")->SetName("S");
    EXPECT_FALSE(a.IsEqual(&b));
    b.FindDynVar("s")->SetName("s");

    b.FindDynVar("n")->SetValue(Variant(Int64(1))); // same value, other type
    EXPECT_FALSE(a.IsEqual(&b));
    b.FindDynVar("n")->SetAsInteger(2);
    EXPECT_FALSE(a.IsEqual(&b));
    b.FindDynVar("n")->SetAsInteger(1);
    EXPECT_TRUE(a.IsEqual(&b));

    b.CreateDynVar("extra", 0);
    EXPECT_FALSE(a.IsEqual(&b));
}

TEST(DynVarsEh, AssignCopiesAndAssignValuesUpdatesNamesakesOnly) {
    TDynVarsEh src(nullptr), dest(nullptr);
    src.CreateDynVar("A", 1);
    src.CreateDynVar("b", String("two"));
    dest.CreateDynVar("a", 10);
    dest.CreateDynVar("c", 30);

    dest.AssignValues(&src);
    ASSERT_EQ(dest.Count(), 2);
    EXPECT_EQ(dest.Items(0)->Name(), "A"); // takes the source's spelling
    EXPECT_EQ(dest.Items(0)->AsInteger(), 1);
    EXPECT_EQ(dest.Items(1)->AsInteger(), 30);
    EXPECT_FALSE(dest.VarExists("b"));

    ChangeCounter counter;
    TStringVarsEh copy(nullptr);
    copy.CreateDynVar("old", "x");
    copy.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    copy.Assign(&src);
    EXPECT_EQ(counter.Count, 1); // one update bracket
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0)->Name(), "A");
    EXPECT_EQ(copy.Items(0)->Value(), "1");
    EXPECT_EQ(copy.Str("b"), "two");
    EXPECT_TRUE(src.IsEqual(&copy));

    TDynVarEh* single = src.Items(0);
    TStringList notVars;
    EXPECT_THROW(notVars.Assign(single), EConvertError);
}

TEST(DynVarsEh, ChangeNotifications) {
    TDynVarsEh vars(nullptr);
    ChangeCounter counter;
    vars.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    TDynVarEh* v = vars.CreateDynVar("s", String("text"));
    EXPECT_GT(counter.Count, 0);

    counter.Count = 0;
    v->SetAsString("other"); // stored without a notification
    EXPECT_EQ(counter.Count, 0);
    EXPECT_EQ(v->AsString(), "other");
    v->SetValue(Variant(String("other"))); // the same text through Value notifies
    EXPECT_EQ(counter.Count, 1);
    v->SetAsInteger(3);
    EXPECT_EQ(counter.Count, 2);
    v->Clear();
    EXPECT_EQ(counter.Count, 2);

    TStringVarsEh sv(nullptr);
    sv.CreateDynVar("x", "1");
    sv.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    counter.Count = 0;
    sv.BeginUpdate();
    sv.SetStr("x", "2");
    sv.SetStr("x", "3");
    EXPECT_EQ(counter.Count, 0);
    sv.EndUpdate();
    EXPECT_EQ(counter.Count, 1);
}

TEST(StringVarsEh, StrNeedsAnExistingVariable) {
    TStringVarsEh vars(nullptr);
    vars.CreateDynVar("Where", "id = 1");
    EXPECT_EQ(vars.Str("WHERE"), "id = 1");
    vars.SetStr("where", "id = 2");
    EXPECT_EQ(vars.Str("Where"), "id = 2");

    const String expected = "A Variable named 'Order' doesn't exist in the Collection 'TStringVarsEh'";
    EXPECT_EQ(ErrorOf([&] { vars.Str("Order"); }), expected);
    EXPECT_EQ(ErrorOf([&] { vars.SetStr("Order", "x"); }), expected);
    EXPECT_EQ(vars.Count(), 1);
}

TEST(StringVarsEh, TextForm) {
    TStringVarsEh vars(nullptr);
    EXPECT_EQ(vars.GetAsTextString(), "");

    vars.SetFromTextString("a=1\r\nb=x=y");
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.Str("a"), "1");
    EXPECT_EQ(vars.Str("b"), "x=y");
    EXPECT_EQ(vars.GetAsTextString(), "a=1\r\nb=x=y\r\n");

    // Line ends of every kind, a final break adds no line, a line without "=" is an empty name.
    vars.SetFromTextString("p=1\rq=\nnoeq\r\n");
    ASSERT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.Items(1)->Name(), "q");
    EXPECT_EQ(vars.Items(1)->Value(), "");
    EXPECT_EQ(vars.Items(2)->Name(), "");
    EXPECT_EQ(vars.Items(2)->Value(), "");
    EXPECT_FALSE(vars.VarExists("a"));

    vars.SetFromTextString("");
    EXPECT_EQ(vars.Count(), 0);
}

TEST(StringVarsEh, TextFormStopsAtFirstBadLineAndClosesTheUpdate) {
    TStringVarsEh vars(nullptr);
    ChangeCounter counter;
    vars.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    vars.CreateDynVar("old", "1");
    counter.Count = 0;
    EXPECT_EQ(ErrorOf([&] { vars.SetFromTextString("Key=1\nKEY=2\nz=3"); }), DuplicateText("KEY"));
    EXPECT_EQ(vars.UpdateCount(), 0);
    EXPECT_EQ(counter.Count, 1);
    ASSERT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.Items(0)->Name(), "Key");
}

TEST(DynVarsEh, PublishedNameAndValue) {
    TDynVarsEh vars(nullptr);
    TDynVarEh* v = vars.CreateDynVar("n", 5);
    EXPECT_EQ(GetStrProp(v, "Name"), "n");
    EXPECT_EQ(GetVariantProp(v, "Value"), Variant(5));
    SetVariantProp(v, "Value", Variant(String("t")));
    EXPECT_EQ(v->AsString(), "t");

    TStringVarsEh sv(nullptr);
    TStringVarEh* s = sv.CreateDynVar("k", "v");
    EXPECT_EQ(GetStrProp(s, "Value"), "v");
    SetStrProp(s, "Name", "K2");
    EXPECT_TRUE(sv.VarExists("k2"));
}

TEST(DynVarsEh, ItemClassesAndOwner) {
    TStringList owner;
    TStringVarsEh sv(&owner);
    TDynVarsEh dv(nullptr);
    EXPECT_EQ(sv.GetOwner(), &owner);
    EXPECT_EQ(sv.DynVar("x")->ClassName(), "TStringVarEh");
    EXPECT_EQ(dv.DynVar("x")->ClassName(), "TDynVarEh");
    EXPECT_EQ(dv.Add()->ClassName(), "TDynVarEh");
    EXPECT_EQ(sv.GetDynVarClass().ClassName(), "TStringVarEh");
}

} // namespace
