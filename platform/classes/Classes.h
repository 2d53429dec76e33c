#pragma once
// The component framework's base classes: persistent objects, components with ownership and
// free notifications, collections, pointer and string lists, streams, text encodings and the
// class registry used to create streamed components by class name.

#include "platform/rtl/System.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class TFiler;
class TReader;
class TWriter;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TStrings;
class TStringList;
class TStream;
class TBasicAction;

// ---------------------------------------------------------------------------------------------
// Class registry. Classes that component streams create by name are registered with a factory
// that builds an instance for an owner (components: `new T(owner)` plus AfterConstruction).
using TComponentFactory = TObject* (*)(TComponent* Owner);

// Registers the class (and, without factories, its ancestors up to TPersistent). Registering the
// same class again only updates its factory; another class under a taken name raises
// EFilerError "A class named %s already exists".
void RegisterClass(const TClassInfo& Class, TComponentFactory Factory = nullptr);
void RegisterClasses(std::initializer_list<std::pair<const TClassInfo*, TComponentFactory>> Classes);
void UnRegisterClass(const TClassInfo& Class);
// Case-insensitive look-up by class name. FindClass raises EClassNotFound "Class %s not found".
TClass FindClass(const String& ClassName);
TClass GetClass(const String& ClassName); // nullptr when absent

template <class T> TObject* ComponentFactoryOf(TComponent* Owner) {
    return ::Create<T>(Owner);
}
template <class T> void RegisterComponentClass() {
    RegisterClass(T::StaticClassInfo(), &ComponentFactoryOf<T>);
}
// Registers a component class at start-up. Place it in the .cpp that defines the class's
// methods, so that the registration is linked whenever the class is.
#define KVT_REGISTER_CLASS(T) static const bool kvt_registered_##T = (::RegisterComponentClass<T>(), true);

// ---------------------------------------------------------------------------------------------
// TPersistent
class TPersistent : public TObject {
    KVT_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object; the default asks Source->AssignTo(this) and fails with
    // EConvertError "Cannot assign a %s to a %s" ("nil" for a null Source).
    virtual void Assign(TPersistent* Source);
    // Declares unpublished stored data (DefineProperty on the filer). Default: nothing.
    virtual void DefineProperties(TFiler* Filer);
    virtual TPersistent* GetOwner();
    // "Owner.Path.ClassName" style path; TComponent answers its Name.
    virtual String GetNamePath();

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

// Text alignment, shared by the data-set fields and the controls.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// ---------------------------------------------------------------------------------------------
// TComponent
enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;

using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
    KVT_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    // Frees the owned components (last created first), tells every component linked by
    // FreeNotification and leaves the owner. Free() does this while the object is still whole,
    // so that overridden Notification methods run; a plain delete does it here as a fallback.
    ~TComponent() override;
    void BeforeDestruction() override;

    // Owner and owned components (in creation order).
    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const; // EListError "List index out of bounds (%d)"
    int ComponentIndex() const;              // position in the owner's list, -1 without owner
    void SetComponentIndex(int Value);
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    // Case-insensitive look-up among the owned components; nullptr for "" or when absent.
    TComponent* FindComponent(const String& AName) const;

    const String& Name() const { return FName; }
    // EComponentError "'%s' is not a valid component name" / "A component named %s already exists".
    virtual void SetName(const String& NewName);
    NativeInt Tag() const { return FTag; }
    void SetTag(NativeInt Value) { FTag = Value; }
    LongInt DesignInfo() const { return FDesignInfo; }
    void SetDesignInfo(LongInt Value) { FDesignInfo = Value; }
    TComponentState ComponentState() const { return FComponentState; }
    TComponentStyle ComponentStyle() const { return FComponentStyle; }
    void SetSubComponent(bool IsSubComponent);

    // Free notifications: both sides are linked; whichever is freed first tells the other with
    // Notification(this, opRemove), and the link is dropped on both sides.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    // Told of components inserted into / removed from the owner tree and of linked components
    // being freed. The default drops the free-notification link and passes the call to the
    // owned components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Sets csDestroying here and on all owned components.
    void Destroying();
    // Clears csLoading after a component stream has been read.
    virtual void Loaded();
    virtual void Updating();
    virtual void Updated();

    // Hooks for component streams.
    virtual void GetChildren(TGetChildProc Proc, TComponent* Root);
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();
    virtual void SetChildOrder(TComponent* Child, int Order);
    virtual TComponent* GetParentComponent() const;
    virtual bool HasParent() const;
    virtual void SetParentComponent(TComponent* Value);
    // The defaults read / write this component's properties and children through the
    // component stream unit (see ReadComponentDataProc / WriteComponentDataProc).
    virtual void ReadState(TReader* Reader);
    virtual void WriteState(TWriter* Writer);
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
    virtual void ValidateContainer(TComponent* AComponent);
    virtual void ValidateInsert(TComponent* AComponent);
    void SetAncestor(bool Value);
    void SetDesigning(bool Value, bool SetChildren = true);
    void SetInline(bool Value);
    void SetDesignInstance(bool Value);

    // Actions: the default lets the action's target handling run (HandlesTarget/ExecuteTarget).
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);

    String GetNamePath() override;

protected:
    virtual void ChangeName(const String& NewName);
    // Component state is set by the framework (streams, designer stand-ins).
    void IncludeState(TComponentStateItem Item) { FComponentState.Include(Item); }
    void ExcludeState(TComponentStateItem Item) { FComponentState.Exclude(Item); }
    void IncludeStyle(TComponentStyleItem Item) { FComponentStyle.Include(Item); }
    void ExcludeStyle(TComponentStyleItem Item) { FComponentStyle.Exclude(Item); }

private:
    friend class TFiler;
    friend class TReader;
    friend class TWriter;
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);
    void TearDown();

    TComponent* FOwner = nullptr;
    String FName;
    NativeInt FTag = 0;
    LongInt FDesignInfo = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    TComponentStyle FComponentStyle{csInheritable};
    bool FTornDown = false;
};

// Installed by the component stream unit (TReader's / TWriter's constructors); the default
// TComponent::ReadState / WriteState forward to them.
using TReadComponentDataProc = void (*)(TReader* Reader, TComponent* Instance);
using TWriteComponentDataProc = void (*)(TWriter* Writer, TComponent* Instance);
extern TReadComponentDataProc ReadComponentDataProc;
extern TWriteComponentDataProc WriteComponentDataProc;

// A container of non-visual components.
class TDataModule : public TComponent {
    KVT_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* AOwner);
    ~TDataModule() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;
    // Owned components without a parent component, in creation order.
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

private:
    bool FDestroyCalled = false;
};

// ---------------------------------------------------------------------------------------------
// Actions (the non-visual part; the window layer builds TCustomAction on it).
class TBasicActionLink : public TObject {
    KVT_CLASS(TBasicActionLink, TObject)
public:
    explicit TBasicActionLink(TObject* AClient);
    ~TBasicActionLink() override;
    TBasicAction* Action() const { return FAction; }
    virtual void SetAction(TBasicAction* Value);
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void AssignClient(TObject* AClient);
    virtual void Change();

private:
    TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
    KVT_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;
    virtual bool HandlesTarget(TObject* Target);
    virtual void UpdateTarget(TObject* Target);
    virtual void ExecuteTarget(TObject* Target);
    // Runs OnExecute; false when there is none.
    virtual bool Execute();
    // Runs OnUpdate; false when there is none.
    virtual bool Update();
    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* Value);
    // The links registered with this action (for descendants that push property changes).
    const std::vector<TBasicActionLink*>& Clients() const { return FClients; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    virtual void Change();

private:
    std::vector<TBasicActionLink*> FClients;
    TComponent* FActionComponent = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Collections
enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// The class of a collection's items: its class information and a factory that creates an
// item inside a collection (two-phase, so AfterConstruction reaches the item class).
struct TCollectionItemClass {
    const TClassInfo* Info = nullptr;
    TCollectionItem* (*Create)(TCollection* Collection) = nullptr;
    String ClassName() const { return Info ? Info->ClassName() : String(); }
    bool InheritsFrom(const TClassInfo* C) const { return Info && Info->InheritsFrom(C); }
    friend bool operator==(const TCollectionItemClass& a, const TCollectionItemClass& b) {
        return a.Info == b.Info;
    }
};

template <class T> TCollectionItem* CollectionItemFactoryOf(TCollection* Collection) {
    return ::Create<T>(Collection);
}
template <class T> TCollectionItemClass CollectionItemClassOf() {
    return TCollectionItemClass{&T::StaticClassInfo(), &CollectionItemFactoryOf<T>};
}

class TCollectionItem : public TPersistent {
    KVT_CLASS(TCollectionItem, TPersistent)
public:
    // Joins Collection (when not null) as its last item.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves the collection. Free() does so while the item is still whole, so that the
    // collection's Notify/Update overrides see it; a plain delete does it here.
    ~TCollectionItem() override;
    void BeforeDestruction() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (nullptr: leaves its collection).
    virtual void SetCollection(TCollection* Value);
    int Index() const; // -1 outside a collection
    // Moves the item within its collection.
    virtual void SetIndex(int Value);
    int ID() const { return FID; }
    // Defaults to the class name.
    virtual String GetDisplayName();
    String DisplayName() { return GetDisplayName(); }
    virtual void SetDisplayName(const String& Value);
    String GetNamePath() override;
    TPersistent* GetOwner() override;

    // Tells the collection (outside an update): Update(this), or Update(nullptr) for AllItems.
    virtual void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
    bool FLeft = false;
    bool FConstructing = false;
};

class TCollection : public TPersistent {
    KVT_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    ~TCollection() override;

    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    // Items(i): EListError "List index out of bounds (%d)".
    TCollectionItem* Items(int Index) const;
    void SetItems(int Index, TCollectionItem* Value); // assigns Value to the item
    int Count() const { return int(FItems.size()); }
    int Capacity() const { return int(FItems.capacity()); }
    void SetCapacity(int Value);
    TCollectionItem* FindItemID(int ID) const;
    int NextID() const { return FNextID; }
    const TCollectionItemClass& ItemClass() const { return FItemClass; }
    // The owner of the collection (GetOwner).
    TPersistent* Owner() { return GetOwner(); }

    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Clears the collection, then adds one item per item of Source and assigns it.
    void Assign(TPersistent* Source) override;
    String GetNamePath() override;
    // Name of the property that holds this collection in its owner (for GetNamePath).
    const String& PropName() const { return FPropName; }
    void SetPropName(const String& Value) { FPropName = Value; }

    // Called outside updates after changes: Item for a change of one item, nullptr for a
    // structural change or a change of all items.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // Update(nullptr) unless inside an update.
    void Changed();
    virtual void SetItemName(TCollectionItem* Item);

protected:
    // Items are inserted and removed through the item's collection membership.
    virtual void InsertItem(TCollectionItem* Item);
    virtual void RemoveItem(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    std::vector<TCollectionItem*> FItems;
    TCollectionItemClass FItemClass;
    int FUpdateCount = 0;
    int FNextID = 0;
    String FPropName;
};

class TOwnedCollection : public TCollection {
    KVT_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass);
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------------
// TList: a list of untyped pointers.
enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
    KVT_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;

    virtual int Add(void* Item);
    virtual void Insert(int Index, void* Item);
    void Delete(int Index);
    int Remove(void* Item);    // index it had, -1 when absent
    void* Extract(void* Item); // removes without deleting (lnExtracted); nullptr when absent
    int IndexOf(void* Item) const;
    // Removes the item at CurIndex and inserts it at NewIndex (both must be valid indexes).
    void Move(int CurIndex, int NewIndex);
    void Exchange(int Index1, int Index2);
    void Sort(TListSortCompare Compare);
    void Pack(); // removes nil items
    virtual void Clear();
    void* First() const;
    void* Last() const;
    TList* Expand();

    // EListError "List index out of bounds (%d)".
    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    int Count() const { return int(FList.size()); }
    void SetCount(int NewCount); // EListError "List count out of bounds (%d)"
    int Capacity() const { return FCapacity; }
    void SetCapacity(int NewCapacity); // EListError "List capacity out of bounds (%d)"
    void** List() { return FList.data(); }

    [[noreturn]] static void Error(const String& Msg, NativeInt Data);

protected:
    virtual void Notify(void* Ptr, TListNotification Action);
    virtual void Grow();

private:
    void CheckIndex(int Index) const;
    std::vector<void*> FList;
    int FCapacity = 0;
};

// TObjectList: a TList of objects that frees them on removal when OwnsObjects.
class TObjectList : public TList {
    KVT_CLASS(TObjectList, TList)
public:
    explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
    ~TObjectList() override;

    using TList::Add;
    using TList::Insert;
    int Add(TObject* AObject) { return TList::Add(AObject); }
    int Add(std::nullptr_t) { return TList::Add(nullptr); }
    void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
    void Insert(int Index, std::nullptr_t) { TList::Insert(Index, nullptr); }
    int Remove(TObject* AObject) { return TList::Remove(AObject); }
    TObject* Extract(TObject* AObject) { return static_cast<TObject*>(TList::Extract(AObject)); }
    int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
    TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
    void SetItems(int Index, TObject* AObject) { TList::SetItems(Index, AObject); }
    TObject* First() const { return static_cast<TObject*>(TList::First()); }
    TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
    int FindInstanceOf(const TClassInfo* AClass, bool AExact = true, int AStartAt = 0) const;
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

protected:
    void Notify(void* Ptr, TListNotification Action) override;

private:
    bool FOwnsObjects;
};

// ---------------------------------------------------------------------------------------------
// Text encodings for strings, string lists and ini files.
class TEncoding {
public:
    enum Kind { ekAnsi, ekASCII, ekUTF8, ekUnicode, ekBigEndianUnicode };
    explicit constexpr TEncoding(Kind k) : FKind(k) {}
    Kind EncodingKind() const { return FKind; }
    // The system ANSI code page (Windows-1251).
    static const TEncoding* Default();
    static const TEncoding* ANSI() { return Default(); }
    static const TEncoding* ASCII();
    static const TEncoding* UTF8();
    static const TEncoding* Unicode(); // UTF-16 little-endian
    static const TEncoding* BigEndianUnicode();
    QByteArray GetBytes(const String& S) const;
    String GetString(const QByteArray& Bytes) const;
    // The byte-order mark written before text (empty for ANSI and ASCII).
    QByteArray GetPreamble() const;
    Cardinal CodePage() const;
    String EncodingName() const;
    // The encoding whose preamble starts Buffer (UTF-8, UTF-16 LE/BE), or nullptr; PreambleSize
    // receives the preamble's length.
    static const TEncoding* DetectBOM(const QByteArray& Buffer, int& PreambleSize);

private:
    Kind FKind;
};

// ---------------------------------------------------------------------------------------------
// TStrings / TStringList
enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    KVT_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override = default;

    // Access. Indexes out of range: EStringListError "List index out of bounds (%d)".
    virtual String Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const;
    virtual void Put(int Index, const String& S);
    virtual void PutObject(int Index, TObject* AObject);
    String Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const String& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
    int Count() const { return GetCount(); }
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int) {}
    int Capacity() const { return GetCapacity(); }

    // Changes
    virtual int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    int AddPair(const String& Name, const String& Value);
    void Append(const String& S) { Add(S); }
    virtual void AddStrings(TStrings* Strings);
    virtual void Insert(int Index, const String& S) = 0;
    virtual void InsertObject(int Index, const String& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);

    // Look-up (comparison through CompareStrings: locale-aware, case-insensitive by default).
    virtual int IndexOf(const String& S) const;
    virtual int IndexOfName(const String& Name) const;
    virtual int IndexOfObject(TObject* AObject) const;
    virtual bool Equals(TStrings* Strings) const;
    // Lines are stored in component streams as the defined property "Strings" (a list of strings).
    void DefineProperties(TFiler* Filer) override;

    // Name=Value pairs. The first line whose name matches wins; setting "" deletes the line.
    String Names(int Index) const;
    String KeyNames(int Index) const { return Names(Index); }
    String Values(const String& Name) const;
    void SetValues(const String& Name, const String& Value);
    String ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const String& Value);
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar C) { FNameValueSeparator = C; }

    // Text: each line followed by LineBreak (CR LF). Setting splits at CR, LF or CR LF; a final
    // line break does not add an empty line.
    virtual String GetText() const;
    virtual void SetText(const String& Value);
    String Text() const { return GetText(); }
    const String& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const String& Value) { FLineBreak = Value; }
    bool TrailingLineBreak() const { return FTrailingLineBreak; }
    void SetTrailingLineBreak(bool Value) { FTrailingLineBreak = Value; }

    // Delimited text. Without StrictDelimiter blanks and control characters also separate
    // items; QuoteChar groups an item (doubled inside).
    String CommaText() const;
    void SetCommaText(const String& Value);
    String DelimitedText() const;
    void SetDelimitedText(const String& Value);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar C) { FDelimiter = C; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar C) { FQuoteChar = C; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

    // Updates: OnChange-style notifications are held while UpdateCount > 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Files and streams. Reading without an encoding: a BOM decides; else valid UTF-8 is
    // UTF-8, anything else Windows-1251. Writing without an encoding uses DefaultEncoding
    // (Windows-1251); the encoding's BOM is written when WriteBOM.
    virtual void LoadFromFile(const String& FileName, const TEncoding* Encoding = nullptr);
    virtual void LoadFromStream(TStream* Stream, const TEncoding* Encoding = nullptr);
    virtual void SaveToFile(const String& FileName, const TEncoding* Encoding = nullptr);
    virtual void SaveToStream(TStream* Stream, const TEncoding* Encoding = nullptr);
    const TEncoding* DefaultEncoding() const { return FDefaultEncoding; }
    void SetDefaultEncoding(const TEncoding* Value);
    bool WriteBOM() const { return FWriteBOM; }
    void SetWriteBOM(bool Value) { FWriteBOM = Value; }

    void Assign(TPersistent* Source) override;
    // Comparison used by the look-ups; the base compares case-insensitively.
    virtual int CompareStrings(const String& S1, const String& S2) const;

    std::vector<String> ToStringArray() const;

protected:
    virtual void SetUpdateState(bool Updating);
    [[noreturn]] static void Error(const String& Msg, int Data);

private:
    String FLineBreak = QStringLiteral("\r\n");
    QChar FDelimiter = ',';
    QChar FQuoteChar = '"';
    QChar FNameValueSeparator = '=';
    bool FStrictDelimiter = false;
    bool FTrailingLineBreak = true;
    bool FWriteBOM = true;
    int FUpdateCount = 0;
    const TEncoding* FDefaultEncoding = nullptr; // nullptr: TEncoding::Default()
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
    KVT_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
    TStringList(TDuplicates Duplicates, bool Sorted, bool CaseSensitive);
    ~TStringList() override;

    String Get(int Index) const override;
    int GetCount() const override { return int(FList.size()); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const String& S) override; // EStringListError on a sorted list
    void PutObject(int Index, TObject* AObject) override;
    int GetCapacity() const override { return int(FList.capacity()); }
    void SetCapacity(int NewCapacity) override;

    // On a sorted list: inserted at its sorted place; an equal string is handled by Duplicates
    // (dupIgnore: the existing index is answered; dupError: EStringListError "String list does
    // not allow duplicates").
    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    // EStringListError "Operation not allowed on sorted list" on a sorted list.
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const String& S) const override;

    // Binary search in a sorted list: true when found; Index is the match (the first one
    // unless dupAccept) or the insertion point.
    virtual bool Find(const String& S, int& Index) const;
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    // Compares with the locale's collation, case-sensitively when CaseSensitive.
    int CompareStrings(const String& S1, const String& S2) const override;
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool Updating) override;
    virtual void InsertItem(int Index, const String& S, TObject* AObject);
    void ExchangeItems(int Index1, int Index2);

private:
    struct TStringItem {
        String FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int Index) const;
    std::vector<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
};

// ---------------------------------------------------------------------------------------------
// Streams
enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
    KVT_CLASS(TStream, TObject)
public:
    // Read/Write answer the number of bytes actually moved.
    virtual Integer Read(void* Buffer, Integer Count) = 0;
    virtual Integer Write(const void* Buffer, Integer Count) = 0;
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 NewSize);

    // EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
    void ReadBuffer(void* Buffer, Integer Count);
    void WriteBuffer(const void* Buffer, Integer Count);
    // Copies Count bytes from Source's position (Count 0: all of Source from its start).
    Int64 CopyFrom(TStream* Source, Int64 Count);

    // Raw little-endian values (the platform's byte order).
    template <class T> Integer ReadData(T& Value) {
        static_assert(std::is_trivially_copyable_v<T>);
        return Read(&Value, Integer(sizeof(T)));
    }
    template <class T> Integer WriteData(const T& Value) {
        static_assert(std::is_trivially_copyable_v<T>);
        return Write(&Value, Integer(sizeof(T)));
    }
};

// File open modes and share flags.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
    KVT_CLASS(TFileStream, TStream)
public:
    // fmCreate creates or truncates (EFCreateError "Cannot create file \"%s\". %s"); the open
    // modes need an existing file (EFOpenError "Cannot open file \"%s\". %s"). Share flags are
    // accepted and ignored.
    TFileStream(const String& FileName, Word Mode);
    ~TFileStream() override;

    Integer Read(void* Buffer, Integer Count) override;
    Integer Write(const void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override;
    void SetSize(Int64 NewSize) override;
    const String& FileName() const { return FFileName; }

private:
    String FFileName;
    int FHandle = -1;
};

// A stream over a block of memory that the descendant provides.
class TCustomMemoryStream : public TStream {
    KVT_CLASS(TCustomMemoryStream, TStream)
public:
    Integer Read(void* Buffer, Integer Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override { return FSize; }
    void SaveToStream(TStream* Stream);
    void SaveToFile(const String& FileName);
    void* Memory() const { return FMemory; }

protected:
    void SetPointer(void* Ptr, Int64 Size);

    void* FMemory = nullptr;
    Int64 FSize = 0;
    Int64 FPosition = 0;
};

// A growable memory stream. The block is (re)allocated through the virtual Realloc, so a
// descendant can keep the bytes in storage of its own. Such a descendant must call
// SetCapacity(0) in its destructor (the base destructor cannot reach its Realloc).
class TMemoryStream : public TCustomMemoryStream {
    KVT_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    static constexpr Int64 MemoryDelta = 0x2000; // capacity granularity

    TMemoryStream() = default;
    ~TMemoryStream() override;

    Integer Write(const void* Buffer, Integer Count) override;
    void SetSize(Int64 NewSize) override;
    void Clear();
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const String& FileName);
    Int64 Capacity() const { return FCapacity; }

    // Answers the block for NewCapacity bytes (possibly rounding NewCapacity up); the default
    // rounds to MemoryDelta (except a request equal to the size) and uses the C heap. Raises
    // EStreamError "Out of memory while expanding memory stream" when it cannot grow.
    virtual void* Realloc(Int64& NewCapacity);
    virtual void SetCapacity(Int64 NewCapacity);

protected:
    Int64 FCapacity = 0;
};

// A memory stream whose bytes are a TBytes array (Bytes() is the whole block, Capacity long).
class TBytesStream : public TMemoryStream {
    KVT_CLASS(TBytesStream, TMemoryStream)
public:
    explicit TBytesStream(const TBytes& ABytes = TBytes());
    ~TBytesStream() override;
    const TBytes& Bytes() const { return FBytes; }
    void* Realloc(Int64& NewCapacity) override;

private:
    TBytes FBytes;
};

// A bytes stream of text in an encoding (default: Windows-1251).
class TStringStream : public TBytesStream {
    KVT_CLASS(TStringStream, TBytesStream)
public:
    TStringStream();
    explicit TStringStream(const String& AString, const TEncoding* AEncoding = nullptr);
    explicit TStringStream(const TBytes& ABytes);
    const TEncoding* Encoding() const { return FEncoding; }
    // The whole content decoded.
    String DataString() const;
    // Reads Count bytes from the position and decodes them.
    String ReadString(Integer Count);
    void WriteString(const String& AString);

private:
    const TEncoding* FEncoding;
};
