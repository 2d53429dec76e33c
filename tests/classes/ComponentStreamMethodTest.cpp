// Events in component streams: stored as the names of the root's published methods and bound to
// them again when read; properties a base class declares and a descendant publishes.

#include "platform/classes/ComponentStreams.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using TCountEvent = TEvent<void(TObject* Sender, int& Count)>;

int& LiveGadgets() {
    static int n = 0;
    return n;
}

// A base that declares properties without publishing them.
class TMsBase : public TComponent {
    KVT_CLASS(TMsBase, TComponent)
public:
    explicit TMsBase(TComponent* AOwner) : TComponent(AOwner) {}
    int Level = 3;
    int Hidden = 0;
    TNotifyEvent OnPing;
};

class TMsGadget : public TMsBase {
    KVT_CLASS(TMsGadget, TMsBase)
public:
    explicit TMsGadget(TComponent* AOwner) : TMsBase(AOwner) { ++LiveGadgets(); }
    ~TMsGadget() override { --LiveGadgets(); }
    String Caption;
    TNotifyEvent OnChange;
    TCountEvent OnCount;
};

// The root: it owns gadgets and publishes the handlers they are bound to.
class TMsForm : public TComponent {
    KVT_CLASS(TMsForm, TComponent)
public:
    explicit TMsForm(TComponent* AOwner) : TComponent(AOwner) {}
    std::vector<String> Calls;
    int LoadedCalls = 0;
    void GadgetChange(TObject* Sender) {
        Calls.push_back(u"change "_qs + static_cast<TComponent*>(Sender)->Name());
    }
    void GadgetPing(TObject*) { Calls.push_back(u"ping"_qs); }
    void GadgetCount(TObject*, int& Count) { Count += 10; }
    void Unpublished(TObject*) {}
    void GetChildren(TGetChildProc Proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
    void Loaded() override {
        TComponent::Loaded();
        ++LoadedCalls;
    }
};

} // namespace

KVT_DECLARED(TMsBase) {
    P.Prop("Level", &TMsBase::Level, &TMsBase::Level).Default(3);
    P.Prop("Hidden", &TMsBase::Hidden, &TMsBase::Hidden).Default(0);
    P.Prop("OnPing", &TMsBase::OnPing, &TMsBase::OnPing);
}
KVT_PUBLISHED(TMsGadget) {
    P.Prop("Caption", &TMsGadget::Caption, &TMsGadget::Caption);
    P.Publish({"Level", "OnPing"});
    P.Prop("OnChange", &TMsGadget::OnChange, &TMsGadget::OnChange);
    P.Prop("OnCount", &TMsGadget::OnCount, &TMsGadget::OnCount);
}
KVT_PUBLISHED_METHODS(TMsForm) {
    M.Method("GadgetChange", &TMsForm::GadgetChange);
    M.Method("GadgetPing", &TMsForm::GadgetPing);
    M.Method("GadgetCount", &TMsForm::GadgetCount);
}

namespace {

struct MsRegistrar {
    MsRegistrar() {
        RegisterComponentClass<TMsForm>();
        RegisterComponentClass<TMsGadget>();
    }
} msRegistrar;

using FormPtr = std::unique_ptr<TMsForm, void (*)(TMsForm*)>;
FormPtr NewForm() {
    auto* f = Create<TMsForm>(nullptr);
    f->SetName(u"Form1"_qs);
    return FormPtr(f, [](TMsForm* p) { p->Free(); });
}

QByteArray Bytes(TMemoryStream& ms) {
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

QString ToText(TComponent* c) {
    TMemoryStream bin, text;
    WriteComponent(&bin, c);
    bin.SetPosition(0);
    ObjectBinaryToText(&bin, &text);
    return QString::fromUtf8(Bytes(text));
}

void ReadText(const QString& text, TComponent* into) {
    TMemoryStream in, bin;
    const QByteArray b = text.toUtf8();
    in.WriteBuffer(b.constData(), Integer(b.size()));
    in.SetPosition(0);
    ObjectTextToBinary(&in, &bin);
    bin.SetPosition(0);
    ReadComponent(&bin, into);
}

TEST(ComponentStreamMethods, HandlersTravelByNameAndBindToTheReadingForm) {
    FormPtr src = NewForm();
    auto* g = Create<TMsGadget>(src.get());
    g->SetName(u"Gadget1"_qs);
    g->OnChange = TNotifyEvent(src.get(), &TMsForm::GadgetChange);
    g->OnPing = TNotifyEvent(src.get(), &TMsForm::GadgetPing);
    g->OnCount = TCountEvent(src.get(), &TMsForm::GadgetCount);
    g->Level = 5;
    auto* unnamed = Create<TMsGadget>(src.get());
    unnamed->SetName(u"Gadget2"_qs);
    unnamed->OnChange = TNotifyEvent(src.get(), &TMsForm::Unpublished); // no name: not stored
    unnamed->OnPing = TNotifyEvent::Callable([](TObject*) {});

    const QString text = ToText(src.get());
    for (const char* line :
         {"OnChange = GadgetChange", "OnPing = GadgetPing", "OnCount = GadgetCount", "Level = 5"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();
    EXPECT_EQ(text.count(u"OnChange"_qs), 1) << text.toStdString();
    EXPECT_EQ(text.count(u"OnPing"_qs), 1) << text.toStdString();
    EXPECT_FALSE(text.contains(u"Hidden"_qs)) << "declared, not published";

    // Text and binary forms both bind the names to the form that reads them.
    for (bool viaText : {false, true}) {
        FormPtr dst = NewForm();
        if (viaText) {
            ReadText(text, dst.get());
        } else {
            TMemoryStream ms;
            WriteComponent(&ms, src.get());
            ms.SetPosition(0);
            ReadComponent(&ms, dst.get());
        }
        auto* copy = static_cast<TMsGadget*>(dst->FindComponent(u"Gadget1"_qs));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->Level, 5);
        EXPECT_TRUE(copy->OnChange == TNotifyEvent(dst.get(), &TMsForm::GadgetChange));
        copy->OnChange(copy);
        copy->OnPing(copy);
        int n = 1;
        copy->OnCount(copy, n);
        EXPECT_EQ(n, 11);
        EXPECT_EQ(dst->Calls, (std::vector<String>{u"change Gadget1"_qs, u"ping"_qs}));
        auto* copy2 = static_cast<TMsGadget*>(dst->FindComponent(u"Gadget2"_qs));
        ASSERT_NE(copy2, nullptr);
        EXPECT_FALSE(copy2->OnChange.Assigned());
        EXPECT_FALSE(copy2->OnPing.Assigned());
    }

    // A stream naming no handler clears one bound before: "nil".
    FormPtr dst = NewForm();
    auto* pre = Create<TMsGadget>(dst.get());
    pre->SetName(u"Pre"_qs);
    pre->OnPing = TNotifyEvent(dst.get(), &TMsForm::GadgetPing);
    ReadText(
        u"object Form1: TMsForm\r\n  inherited Pre: TMsGadget\r\n    OnPing = nil\r\n  end\r\nend\r\n"_qs,
        dst.get());
    EXPECT_FALSE(pre->OnPing.Assigned());
}

TEST(ComponentStreamMethods, AnUnknownOrMismatchedHandlerFailsTheReadNamingIt) {
    struct Case {
        const char* handler;
        const char* message;
    } cases[] = {
        {"NoSuchHandler", "Method NoSuchHandler not found"},
        {"GadgetCount", "Method GadgetCount does not fit OnChange"},
    };
    for (const Case& c : cases) {
        const int live = LiveGadgets();
        FormPtr dst = NewForm();
        const QString text =
            QStringLiteral("object Form1: TMsForm\r\n  object Gadget1: TMsGadget\r\n"
                           "    Caption = 'first'\r\n  end\r\n  object Gadget2: TMsGadget\r\n"
                           "    OnChange = %1\r\n  end\r\nend\r\n")
                .arg(QString::fromLatin1(c.handler));
        try {
            ReadText(text, dst.get());
            ADD_FAILURE() << "no error for " << c.handler;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.message));
        }
        // Nothing the reader made survives, and the form is not told it was loaded.
        EXPECT_EQ(LiveGadgets(), live) << c.handler;
        EXPECT_EQ(dst->ComponentCount(), 0) << c.handler;
        EXPECT_EQ(dst->LoadedCalls, 0) << c.handler;
        EXPECT_FALSE(dst->ComponentState().Contains(csLoading));
    }

    // A reader whose error handler takes the error skips the value and reads the rest.
    FormPtr dst = NewForm();
    TMemoryStream in, bin;
    const QByteArray b("object Form1: TMsForm\r\n  object Gadget1: TMsGadget\r\n    OnChange = Missing\r\n"
                       "    Caption = 'kept'\r\n  end\r\nend\r\n");
    in.WriteBuffer(b.constData(), Integer(b.size()));
    in.SetPosition(0);
    ObjectTextToBinary(&in, &bin);
    bin.SetPosition(0);
    TReader reader(&bin);
    std::vector<String> errors;
    reader.OnError = TReaderError::Callable([&](TReader*, const String& Message, bool& Handled) {
        errors.push_back(Message);
        Handled = true;
    });
    reader.ReadRootComponent(dst.get());
    EXPECT_EQ(errors, std::vector<String>{u"Method Missing not found"_qs});
    auto* g = static_cast<TMsGadget*>(dst->FindComponent(u"Gadget1"_qs));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Caption, u"kept"_qs);
    EXPECT_FALSE(g->OnChange.Assigned());
}

TEST(ComponentStreamMethods, MethodAndDeclaredPropertyLookup) {
    EXPECT_NE(FindMethodEntry(&TMsForm::StaticClassInfo(), u"gadgetchange"_qs), nullptr);
    EXPECT_EQ(FindMethodEntry(&TMsForm::StaticClassInfo(), u"Unpublished"_qs), nullptr);
    EXPECT_EQ(GetMethodList(&TMsForm::StaticClassInfo()).size(), 3u);
    // Declared on the base, published only where a descendant asks for it.
    EXPECT_EQ(GetPropInfo(&TMsBase::StaticClassInfo(), u"Level"_qs), nullptr);
    PPropInfo level = GetPropInfo(&TMsGadget::StaticClassInfo(), u"Level"_qs);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->Default, 3);
    EXPECT_EQ(GetPropInfo(&TMsGadget::StaticClassInfo(), u"Hidden"_qs), nullptr);
    PPropInfo ping = GetPropInfo(&TMsGadget::StaticClassInfo(), u"OnPing"_qs);
    ASSERT_NE(ping, nullptr);
    EXPECT_EQ(ping->PropType->Kind, tkMethod);
}

} // namespace
