#pragma once
// Collections of named values: TDynVarsEh holds variant variables (property bags, drop-down form
// parameters), TStringVarsEh holds text variables with a "name=value" line form (SQL macros).
//
// Looking up a missing name never fails: it answers the collection's placeholder variable, named
// after the lookup, which joins the collection on its first write. Names compare ordinally with
// only the ASCII letters folded.

#include "platform/classes/Classes.h"
#include "platform/rtl/Variant.h"

class TCustomDynVarsEh;

class TCustomDynVarEh : public TCollectionItem {
    KVT_CLASS(TCustomDynVarEh, TCollectionItem)
public:
    explicit TCustomDynVarEh(TCollection* Collection);
    ~TCustomDynVarEh() override;
    // A placeholder of Owner, outside any collection, of Owner's item class.
    static TCustomDynVarEh* CreateAsDummy(TCustomDynVarsEh* Owner);

    TCustomDynVarsEh* VarCollection() const;
    bool IsDummy() const { return FIsDummy; }

    const String& Name() const { return FName; }
    // Fails with the duplicate-name error when another variable of the collection has the name.
    void SetName(const String& Value);
    // Makes the value unassigned, without a change notification.
    void Clear() { FData = Variant(); }

protected:
    friend class TCustomDynVarsEh;
    void AssignTo(TPersistent* Dest) override;

    const Variant& GetVarValue() const { return FData; }
    void SetVarValue(const Variant& Value);
    // Unassigned, Null, or equal to Unassigned by the variant rules (0, "", False).
    bool GetIsNull() const;
    // A placeholder joins its collection before any write.
    void EnsureMember();

    Variant FData;

private:
    bool FIsDummy = false;
    String FName;
    TCustomDynVarsEh* FOwnerWhenDummy = nullptr;
};

class TDynVarEh : public TCustomDynVarEh {
    KVT_CLASS(TDynVarEh, TCustomDynVarEh)
public:
    using TCustomDynVarEh::TCustomDynVarEh;

    const Variant& Value() const { return FData; }
    void SetValue(const Variant& Value) { SetVarValue(Value); }
    bool IsNull() const { return GetIsNull(); }

    // Readers answer 0 / False / nil when IsNull, otherwise the variant conversion.
    bool AsBoolean() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    double AsFloat() const;
    Integer AsInteger() const;
    // The object held as a pointer-sized reference (never truncated to 32 bits).
    TObject* AsRefObject() const;
    String AsString() const; // Null gives ""

    // Writers store a variant of the matching type through SetValue, so they notify; SetAsString
    // stores the text directly and does not notify.
    void SetAsBoolean(bool Value);
    void SetAsCurrency(Currency Value);
    void SetAsDateTime(TDateTime Value);
    void SetAsFloat(double Value);
    void SetAsInteger(Integer Value);
    void SetAsRefObject(TObject* Value);
    void SetAsString(const String& Value);
};

class TStringVarEh : public TCustomDynVarEh {
    KVT_CLASS(TStringVarEh, TCustomDynVarEh)
public:
    using TCustomDynVarEh::TCustomDynVarEh;

    String Value() const; // the text form of the stored variant
    void SetValue(const String& Value) { SetVarValue(Variant(Value)); }
};

class TCustomDynVarsEh : public TCollection {
    KVT_CLASS(TCustomDynVarsEh, TCollection)
public:
    explicit TCustomDynVarsEh(TPersistent* Owner);
    ~TCustomDynVarsEh() override;

    // The item class; descendants that change it pass the same class to the constructor.
    virtual TCollectionItemClass GetDynVarClass() const;
    TPersistent* GetOwner() override { return FOwner; }

    TCustomDynVarEh* Items(int Index) const {
        return static_cast<TCustomDynVarEh*>(TCollection::Items(Index));
    }
    void SetItems(int Index, TCustomDynVarEh* Value) { TCollection::SetItems(Index, Value); }
    // The variable of that name, or the placeholder renamed to Name.
    TCustomDynVarEh* GetDynVar(const String& Name);
    TCustomDynVarEh* DynVar(const String& Name) { return GetDynVar(Name); }
    TCustomDynVarEh* operator[](const String& Name) { return GetDynVar(Name); }

    TCustomDynVarEh* FindDynVar(const String& Name) const;
    bool VarExists(const String& Name) const { return FindDynVar(Name) != nullptr; }
    // Adds a new variable at the end; the duplicate-name error when the name exists.
    TCustomDynVarEh* CreateDynVar(const String& Name, const Variant& Value);
    TCustomDynVarEh* CreateDynVar(const String& Name, TObject* Value);
    // Moves Var here (at the end); the duplicate-name error when its name exists here.
    void AddDynVar(TCustomDynVarEh* Var);
    // Takes Var out without freeing it, when it belongs to this collection.
    void RemoveDynVar(TCustomDynVarEh* Var);
    void DeleteDynVar(const String& Name);

    // Same count and, position by position, same variant type, equal values, names equal with
    // exact case and the same IsNull.
    bool IsEqual(TCustomDynVarsEh* Other) const;
    // Each variable of Source assigns itself to this collection's namesake, when there is one.
    void AssignValues(TCustomDynVarsEh* Source);

    void Update(TCollectionItem* Item) override;

    // The current placeholder (not a member).
    TCustomDynVarEh* DummyVar();

    // Fired by the collection's update notification.
    TNotifyEvent OnChange;

protected:
    TCustomDynVarsEh(TPersistent* Owner, TCollectionItemClass ItemClass);
    void AssignTo(TPersistent* Dest) override;

private:
    friend class TCustomDynVarEh;
    [[noreturn]] static void DuplicateNameError(const String& Name);
    void CheckNewName(const String& Name, const TCustomDynVarEh* Except) const;
    void DummyToMember(TCustomDynVarEh* Var);
    // Forgets Var as placeholder; the next lookup makes a new one.
    void DetachDummy(TCustomDynVarEh* Var);

    TCustomDynVarEh* FDummyVar = nullptr;
    TPersistent* FOwner = nullptr;
};

class TDynVarsEh : public TCustomDynVarsEh {
    KVT_CLASS(TDynVarsEh, TCustomDynVarsEh)
public:
    explicit TDynVarsEh(TPersistent* Owner);
    TCollectionItemClass GetDynVarClass() const override;

    TDynVarEh* Items(int Index) const { return static_cast<TDynVarEh*>(TCustomDynVarsEh::Items(Index)); }
    TDynVarEh* GetDynVar(const String& Name) {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::GetDynVar(Name));
    }
    TDynVarEh* DynVar(const String& Name) { return GetDynVar(Name); }
    TDynVarEh* operator[](const String& Name) { return GetDynVar(Name); }
    TDynVarEh* FindDynVar(const String& Name) const {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::FindDynVar(Name));
    }
    TDynVarEh* CreateDynVar(const String& Name, const Variant& Value) {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(Name, Value));
    }
    TDynVarEh* CreateDynVar(const String& Name, TObject* Value) {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(Name, Value));
    }
};

class TStringVarsEh : public TCustomDynVarsEh {
    KVT_CLASS(TStringVarsEh, TCustomDynVarsEh)
public:
    explicit TStringVarsEh(TPersistent* Owner);
    TCollectionItemClass GetDynVarClass() const override;

    TStringVarEh* Items(int Index) const {
        return static_cast<TStringVarEh*>(TCustomDynVarsEh::Items(Index));
    }
    TStringVarEh* GetDynVar(const String& Name) {
        return static_cast<TStringVarEh*>(TCustomDynVarsEh::GetDynVar(Name));
    }
    TStringVarEh* DynVar(const String& Name) { return GetDynVar(Name); }
    TStringVarEh* FindDynVar(const String& Name) const {
        return static_cast<TStringVarEh*>(TCustomDynVarsEh::FindDynVar(Name));
    }
    TStringVarEh* CreateDynVar(const String& Name, const String& Value);

    // The text value of an existing variable; both fail with "A Variable named '%s' doesn't
    // exist in the Collection '%s'" and create nothing.
    String Str(const String& Name) const;
    void SetStr(const String& Name, const String& Value);

    // "name=value" lines, each ending in CR LF; "" for an empty collection.
    String GetAsTextString() const;
    // Replaces every variable with the lines of Text. Stops at the first failing line, keeping
    // the variables made before it.
    void SetFromTextString(const String& Text);
};
