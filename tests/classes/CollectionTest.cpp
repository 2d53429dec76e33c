// Collections: membership, moves, notifications, update counting, Assign.

#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

class TValueItem : public TCollectionItem {
    KVT_CLASS(TValueItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TValueItem*>(Source)) {
            Value = s->Value;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    void SetValue(int v) {
        Value = v;
        Changed(false);
    }
    int Value = 0;
};

// Records what the collection is told, and whether the items are whole when it is told.
class TLogCollection : public TOwnedCollection {
    KVT_CLASS(TLogCollection, TOwnedCollection)
public:
    explicit TLogCollection(TPersistent* AOwner = nullptr)
        : TOwnedCollection(AOwner, CollectionItemClassOf<TValueItem>()) {}
    void Update(TCollectionItem* Item) override {
        Log << (Item ? QStringLiteral("update %1").arg(static_cast<TValueItem*>(Item)->Value)
                     : QStringLiteral("update all"));
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        static const char* names[] = {"added", "extracting", "deleting"};
        QString entry = names[Action];
        if (Action != cnAdded && !dynamic_cast<TValueItem*>(Item)) entry += " (not whole)";
        Log << entry;
    }
    QStringList Log;
};

QList<int> Values(TCollection& c) {
    QList<int> r;
    for (int i = 0; i < c.Count(); ++i)
        r << static_cast<TValueItem*>(c.Items(i))->Value;
    return r;
}

TValueItem* AddValue(TCollection& c, int v) {
    auto* item = static_cast<TValueItem*>(c.Add());
    item->Value = v;
    return item;
}

TEST(Collection, AddDeleteAndFreeNotifyWithWholeItems) {
    TLogCollection c;
    auto* first = static_cast<TValueItem*>(c.Add());
    EXPECT_EQ(first->ClassName(), "TValueItem");
    EXPECT_EQ(first->Collection(), &c);
    EXPECT_EQ(c.Log, (QStringList{"added", "update all"}));

    AddValue(c, 1);
    AddValue(c, 2);
    c.Log.clear();
    c.Delete(1);
    EXPECT_EQ(c.Log, (QStringList{"deleting", "extracting", "update all"}));
    EXPECT_EQ(Values(c), (QList<int>{0, 2}));

    c.Log.clear();
    c.Items(1)->Free(); // an item freed by itself leaves the collection
    EXPECT_EQ(c.Log, (QStringList{"extracting", "update all"}));
    EXPECT_EQ(c.Count(), 1);

    try {
        c.Items(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(c.Delete(-1), EListError);
}

TEST(Collection, IndexMovesItemsAndInsertPlacesThem) {
    TLogCollection c;
    for (int v : {10, 20, 30, 40})
        AddValue(c, v);
    auto* item = static_cast<TValueItem*>(c.Items(0));
    c.Log.clear();
    item->SetIndex(2);
    EXPECT_EQ(Values(c), (QList<int>{20, 30, 10, 40}));
    EXPECT_EQ(item->Index(), 2);
    EXPECT_EQ(c.Log, QStringList{"update all"});

    EXPECT_THROW(item->SetIndex(4), EListError);
    EXPECT_EQ(Values(c), (QList<int>{20, 30, 10, 40}));

    auto* inserted = static_cast<TValueItem*>(c.Insert(1));
    inserted->Value = 99;
    EXPECT_EQ(Values(c), (QList<int>{20, 99, 30, 10, 40}));
}

TEST(Collection, UpdatesAreHeldUntilTheOutermostEndUpdate) {
    TLogCollection c;
    auto* item = AddValue(c, 1);
    c.Log.clear();
    item->SetValue(5);
    EXPECT_EQ(c.Log, QStringList{"update 5"});

    c.Log.clear();
    c.BeginUpdate();
    c.BeginUpdate();
    EXPECT_EQ(c.UpdateCount(), 2);
    item->SetValue(6);
    AddValue(c, 7);
    c.Delete(0);
    c.EndUpdate();
    EXPECT_EQ(c.Log, (QStringList{"added", "deleting", "extracting"}));
    c.EndUpdate();
    EXPECT_EQ(c.UpdateCount(), 0);
    EXPECT_EQ(c.Log.last(), "update all");
    EXPECT_EQ(c.Log.count("update all"), 1);
}

TEST(Collection, IdsAreNeverReused) {
    TLogCollection c;
    AddValue(c, 0);
    auto* b = AddValue(c, 1);
    c.Delete(0);
    auto* d = AddValue(c, 2);
    EXPECT_EQ(b->ID(), 1);
    EXPECT_EQ(d->ID(), 2);
    EXPECT_EQ(c.NextID(), 3);
    EXPECT_EQ(c.FindItemID(2), d);
    EXPECT_EQ(c.FindItemID(0), nullptr);
}

TEST(Collection, AssignReplacesItemsAndMovingBetweenCollections) {
    TLogCollection a, b;
    for (int v : {1, 2, 3})
        AddValue(a, v);
    AddValue(b, 9);
    b.Log.clear();
    b.Assign(&a);
    EXPECT_EQ(Values(b), (QList<int>{1, 2, 3}));
    EXPECT_EQ(b.Log.count("update all"), 1); // one update for the whole assignment
    EXPECT_EQ(b.Items(0)->ClassName(), "TValueItem");

    auto* moved = static_cast<TValueItem*>(a.Items(0));
    moved->SetCollection(&b);
    EXPECT_EQ(Values(a), (QList<int>{2, 3}));
    EXPECT_EQ(Values(b), (QList<int>{1, 2, 3, 1}));
    EXPECT_EQ(moved->Collection(), &b);

    TStringList foreign;
    EXPECT_THROW(b.Assign(&foreign), EConvertError);
}

TEST(Collection, NamePathAndDisplayName) {
    TComponent owner(nullptr);
    owner.SetName("Grid1");
    TLogCollection c(&owner);
    c.SetPropName("Columns");
    AddValue(c, 0);
    AddValue(c, 1);
    EXPECT_EQ(c.Owner(), &owner);
    EXPECT_EQ(c.GetNamePath(), "Grid1.Columns");
    EXPECT_EQ(c.Items(1)->GetNamePath(), "Grid1.Columns[1]");
    EXPECT_EQ(c.Items(1)->DisplayName(), "TValueItem");
}

} // namespace
