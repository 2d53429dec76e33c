// Ownership, names, free notifications and the class registry.

#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

QStringList gLog;

class TLogged : public TComponent {
    KVT_CLASS(TLogged, TComponent)
public:
    explicit TLogged(TComponent* AOwner, const char* name = "") : TComponent(AOwner), FTag(name) {}
    ~TLogged() override { gLog << QStringLiteral("~%1").arg(FTag); }
    QString FTag;
};

// Keeps a plain pointer to another component and drops it when told of its removal.
class TWatcher : public TComponent {
    KVT_CLASS(TWatcher, TComponent)
public:
    using TComponent::TComponent;
    void SetTarget(TComponent* Value) {
        if (FTarget) FTarget->RemoveFreeNotification(this);
        FTarget = Value;
        if (Value) Value->FreeNotification(this);
    }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FTarget) FTarget = nullptr;
        if (Operation == opInsert) ++Inserted;
        if (Operation == opRemove) ++Removed;
    }
    TComponent* FTarget = nullptr;
    int Inserted = 0, Removed = 0;
};

// Overrides Notification without calling the inherited one.
class TRudeWatcher : public TComponent {
    KVT_CLASS(TRudeWatcher, TComponent)
public:
    using TComponent::TComponent;
    void Notification(TComponent* AComponent, TOperation Operation) override {
        if (Operation == opRemove && AComponent == FTarget) FTarget = nullptr;
    }
    TComponent* FTarget = nullptr;
};

TEST(Component, OwnerFreesChildrenLastCreatedFirstAndKeepsCreationOrder) {
    gLog.clear();
    auto* owner = new TComponent(nullptr);
    auto* a = new TLogged(owner, "a");
    auto* b = new TLogged(owner, "b");
    auto* c = new TLogged(owner, "c");
    ASSERT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(2), c);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(b->Owner(), owner);

    b->SetComponentIndex(0);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_EQ(owner->Components(1), a);

    a->Free(); // a child freed by itself leaves its owner
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_THROW(owner->Components(2), EListError);

    gLog.clear();
    owner->Free();
    EXPECT_EQ(gLog, (QStringList{"~c", "~b"}));
}

TEST(Component, InsertAndRemoveComponentMoveOwnershipAndNotify) {
    auto* owner = new TWatcher(nullptr);
    auto* other = new TComponent(nullptr);
    auto* child = new TComponent(owner);
    EXPECT_EQ(owner->Inserted, 1);

    other->InsertComponent(child); // leaves the first owner
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(owner->Removed, 1);
    EXPECT_EQ(child->Owner(), other);

    other->RemoveComponent(child);
    EXPECT_EQ(child->Owner(), nullptr);
    child->Free();
    other->Free();
    owner->Free();
}

TEST(Component, NameChecks) {
    auto* owner = new TComponent(nullptr);
    auto* a = new TComponent(owner);
    auto* b = new TComponent(owner);
    a->SetName("Button1");
    EXPECT_EQ(owner->FindComponent("BUTTON1"), a);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    EXPECT_EQ(owner->FindComponent("Missing"), nullptr);

    struct Case {
        const char* name;
        const char* error; // nullptr: accepted
    } cases[] = {
        {"Edit_2", nullptr},
        {"_x", nullptr},
        {"", nullptr},
        {"1abc", "'1abc' is not a valid component name"},
        {"a b", "'a b' is not a valid component name"},
        {"a.b", "'a.b' is not a valid component name"},
        {"button1", "A component named button1 already exists"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.error) {
            EXPECT_NO_THROW(b->SetName(c.name));
            EXPECT_EQ(b->Name(), QString(c.name));
        } else {
            const QString before = b->Name();
            try {
                b->SetName(c.name);
                ADD_FAILURE() << "accepted";
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message(), QString(c.error));
            }
            EXPECT_EQ(b->Name(), before);
        }
    }
    a->SetName("BUTTON1"); // a change of case only is no clash with itself
    EXPECT_EQ(a->Name(), "BUTTON1");

    // A named component cannot move into an owner that already has that name.
    auto* stranger = new TComponent(nullptr);
    stranger->SetName("button1");
    EXPECT_THROW(owner->InsertComponent(stranger), EComponentError);
    EXPECT_EQ(stranger->Owner(), nullptr);
    stranger->Free();
    owner->Free();
}

TEST(Component, FreeNotificationClearsReferencesWhicheverSideGoesFirst) {
    // Target freed first: the watcher's reference is cleared.
    {
        auto* target = new TComponent(nullptr);
        auto* watcher = new TWatcher(nullptr);
        watcher->SetTarget(target);
        EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
        target->Free();
        EXPECT_EQ(watcher->FTarget, nullptr);
        watcher->Free();
    }
    // Watcher freed first: the target must not call it later (ASan would see it).
    {
        auto* target = new TComponent(nullptr);
        auto* watcher = new TWatcher(nullptr);
        watcher->SetTarget(target);
        watcher->Free();
        target->Free();
    }
    // Plain delete instead of Free works as well.
    {
        auto* target = new TComponent(nullptr);
        auto* watcher = new TWatcher(nullptr);
        watcher->SetTarget(target);
        delete target;
        EXPECT_EQ(watcher->FTarget, nullptr);
        delete watcher;
    }
    // An override that skips the inherited Notification leaves no stale link behind.
    {
        auto* target = new TComponent(nullptr);
        auto* rude = new TRudeWatcher(nullptr);
        rude->FTarget = target;
        target->FreeNotification(rude);
        target->Free();
        EXPECT_EQ(rude->FTarget, nullptr);
        auto* second = new TComponent(nullptr);
        second->FreeNotification(rude);
        rude->Free();
        second->Free();
    }
}

TEST(Component, FreeNotificationAcrossAndWithinOwners) {
    // Different owners: the link is explicit.
    auto* ownerA = new TComponent(nullptr);
    auto* ownerB = new TComponent(nullptr);
    auto* watcher = new TWatcher(ownerA);
    auto* target = new TComponent(ownerB);
    watcher->SetTarget(target);
    ownerB->Free();
    EXPECT_EQ(watcher->FTarget, nullptr);
    ownerA->Free();

    // Same owner, target created after the watcher: freed first by the owner, and the owner
    // passes the removal on to the watcher.
    auto* owner = new TComponent(nullptr);
    auto* w = new TWatcher(owner);
    auto* t = new TComponent(owner);
    w->SetTarget(t);
    t->Free();
    EXPECT_EQ(w->FTarget, nullptr);
    auto* t2 = new TComponent(owner);
    w->SetTarget(t2);
    owner->Free(); // frees t2 first, then w: no access to a freed object
}

TEST(Component, DestroyingStateReachesOwnedComponents) {
    static bool sawDestroying = false;
    struct TProbe : public TComponent {
        using TComponent::TComponent;
        ~TProbe() override { sawDestroying = ComponentState().Contains(csDestroying); }
    };
    auto* owner = new TComponent(nullptr);
    new TProbe(owner);
    owner->Free();
    EXPECT_TRUE(sawDestroying);
}

TEST(Component, AssignErrorNamesBothClasses) {
    TComponent a(nullptr), b(nullptr);
    try {
        a.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TComponent");
    }
    TStringList list;
    try {
        a.Assign(&list);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TComponent");
    }
}

class TRegisteredThing : public TComponent {
    KVT_CLASS(TRegisteredThing, TComponent)
public:
    using TComponent::TComponent;
};

struct TOtherThingName : public TComponent {
    using TComponent::TComponent;
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo ci{"TRegisteredThing", &TComponent::StaticClassInfo()};
        return ci;
    }
};

TEST(ClassRegistry, RegisterFindAndCreate) {
    EXPECT_EQ(GetClass("TRegisteredThing"), nullptr);
    try {
        FindClass("TRegisteredThing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TRegisteredThing not found");
    }

    RegisterComponentClass<TRegisteredThing>();
    TClass c = FindClass("tregisteredthing");
    ASSERT_EQ(c, &TRegisteredThing::StaticClassInfo());
    EXPECT_NE(GetClass("TComponent"), nullptr); // ancestors come along
    ASSERT_NE(c->Factory, nullptr);

    TComponent owner(nullptr);
    TObject* made = c->Factory(&owner);
    EXPECT_EQ(made->ClassName(), "TRegisteredThing");
    EXPECT_EQ(owner.ComponentCount(), 1);

    EXPECT_NO_THROW(RegisterComponentClass<TRegisteredThing>()); // again: fine
    EXPECT_THROW(RegisterClass(TOtherThingName::StaticClassInfo()), EFilerError);

    UnRegisterClass(TRegisteredThing::StaticClassInfo());
    EXPECT_EQ(GetClass("TRegisteredThing"), nullptr);
}

} // namespace

namespace {

TEST(Component, DataModuleChildrenAndEvents) {
    QStringList log;
    struct TModule : public TDataModule {
        explicit TModule(QStringList& l) : TDataModule(nullptr) {
            OnCreate = TNotifyEvent::Callable([&l](TObject*) { l << "create"; });
            OnDestroy = TNotifyEvent::Callable([&l](TObject*) { l << "destroy"; });
        }
    };
    auto* dm = Create<TModule>(log);
    auto* a = new TComponent(dm);
    auto* b = new TComponent(dm);
    std::vector<TComponent*> children;
    dm->GetChildren([&](TComponent* c) { children.push_back(c); }, dm);
    EXPECT_EQ(children, (std::vector<TComponent*>{a, b}));
    dm->Free();
    EXPECT_EQ(log, (QStringList{"create", "destroy"}));
}

TEST(Component, ActionLinksAndTheActionComponentDoNotDangle) {
    auto* action = new TBasicAction(nullptr);
    int executed = 0;
    TComponent* seen = nullptr;
    action->OnExecute = TNotifyEvent::Callable([&](TObject* sender) {
        ++executed;
        seen = static_cast<TBasicAction*>(sender)->ActionComponent();
    });
    auto* client = new TComponent(nullptr);
    {
        TBasicActionLink link(client);
        link.SetAction(action);
        EXPECT_TRUE(link.Execute(client));
        EXPECT_EQ(executed, 1);
        EXPECT_EQ(seen, client);
        EXPECT_EQ(action->ActionComponent(), nullptr);

        action->SetActionComponent(client);
        client->Free(); // the action forgets it
        EXPECT_EQ(action->ActionComponent(), nullptr);

        action->Free(); // the link forgets the action
        EXPECT_EQ(link.Action(), nullptr);
        EXPECT_FALSE(link.Execute());
    }
}

} // namespace
