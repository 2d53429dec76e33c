// TCollection, TCollectionItem and TOwnedCollection.

#include "platform/classes/Classes.h"
#include "platform/classes/ComponentStreams.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* Collection) {
    // The item class cannot be checked yet: the object is not complete.
    FConstructing = true;
    try {
        SetCollection(Collection);
    } catch (...) {
        FConstructing = false;
        throw;
    }
    FConstructing = false;
}

TCollectionItem::~TCollectionItem() {
    RemoveFixupReferences(this);
    if (!FLeft) {
        FLeft = true;
        if (FCollection) FCollection->RemoveItem(this);
    }
}

void TCollectionItem::BeforeDestruction() {
    TPersistent::BeforeDestruction();
    if (!FLeft) {
        FLeft = true;
        if (FCollection) FCollection->RemoveItem(this);
    }
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (Value && !FConstructing && Value->FItemClass.Info && !InheritsFrom(Value->FItemClass.Info))
        throw EListError(QStringLiteral("Invalid property value"));
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    auto& v = FCollection->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
    const int cur = Index();
    if (cur < 0 || cur == Value) return;
    auto& v = FCollection->FItems;
    if (Value < 0 || Value >= int(v.size()))
        TList::Error(QStringLiteral("List index out of bounds (%d)"), Value);
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
    Changed(true);
}

String TCollectionItem::GetDisplayName() {
    return ClassName();
}

void TCollectionItem::SetDisplayName(const String&) {
    Changed(false);
}

String TCollectionItem::GetNamePath() {
    if (FCollection) return QStringLiteral("%1[%2]").arg(FCollection->GetNamePath()).arg(Index());
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner() {
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---------------------------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
    // Overrides of Notify/Update cannot run any more: the items just leave and are freed.
    FUpdateCount = 1;
    while (!FItems.empty()) {
        TCollectionItem* item = FItems.back();
        FItems.pop_back();
        item->FCollection = nullptr;
        item->FLeft = true;
        delete item;
    }
}

TCollectionItem* TCollection::Add() {
    if (FItemClass.Create) return FItemClass.Create(this);
    return ::Create<TCollectionItem>(this);
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    item->Free();
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    try {
        while (!FItems.empty())
            FItems.back()->Free();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count()) TList::Error(QStringLiteral("List index out of bounds (%d)"), Index);
    return FItems[size_t(Index)];
}

void TCollection::SetItems(int Index, TCollectionItem* Value) {
    Items(Index)->Assign(Value);
}

void TCollection::SetCapacity(int Value) {
    if (Value > Count()) FItems.reserve(size_t(Value));
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == ID) return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TCollection*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            for (int i = 0; i < src->Count(); ++i)
                Add()->Assign(src->Items(i));
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

String TCollection::GetNamePath() {
    const String result = ClassName();
    TPersistent* owner = GetOwner();
    if (!owner) return result;
    const String s = owner->GetNamePath();
    if (s.isEmpty() || FPropName.isEmpty()) return result;
    return s + '.' + FPropName;
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::SetItemName(TCollectionItem*) {}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    SetItemName(Item);
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it != FItems.end()) FItems.erase(it);
    Item->FCollection = nullptr;
    Changed();
}

TOwnedCollection::TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(AOwner) {}
