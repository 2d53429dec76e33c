// TPersistent, TComponent (ownership, names, free notifications), TDataModule and the
// non-visual action classes.

#include "platform/classes/Classes.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

TReadComponentDataProc ReadComponentDataProc = nullptr;
TWriteComponentDataProc WriteComponentDataProc = nullptr;

namespace {
void EraseOne(std::vector<TComponent*>& v, TComponent* c) {
    auto it = std::find(v.begin(), v.end(), c);
    if (it != v.end()) v.erase(it);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* Source) {
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    const String source = Source ? Source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(source, ClassName()));
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() {
    return nullptr;
}

String TPersistent::GetNamePath() {
    String result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        const String s = owner->GetNamePath();
        if (!s.isEmpty()) result = s + '.' + result;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    TearDown();
}

void TComponent::BeforeDestruction() {
    if (!FComponentState.Contains(csDestroying)) Destroying();
    TearDown();
}

// Runs once, from Free() (object whole) or from the destructor (fallback for a plain delete).
void TComponent::TearDown() {
    if (FTornDown) return;
    FTornDown = true;
    if (!FComponentState.Contains(csDestroying)) Destroying();
    // Tell every linked component, dropping the link on both sides first so that an override
    // of Notification that does not call the inherited one leaves nothing dangling.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseOne(other->FFreeNotifies, this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
    RemoveFixupReferences(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        TList::Error(QStringLiteral("List index out of bounds (%d)"), Index);
    return FComponents[size_t(Index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TComponent::SetComponentIndex(int Value) {
    if (!FOwner) return;
    int cur = ComponentIndex();
    if (cur < 0) return;
    auto& v = FOwner->FComponents;
    const int count = int(v.size());
    if (Value < 0) Value = 0;
    if (Value >= count) Value = count - 1;
    if (Value == cur) return;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
}

void TComponent::Insert(TComponent* AComponent) {
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
    AComponent->FOwner = nullptr;
    EraseOne(FComponents, AComponent);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    AComponent->ValidateContainer(this);
    ValidateRename(AComponent, String(), AComponent->FName);
    // A name must stay unique among the owner's components, also for a component that moves in.
    if (!AComponent->FName.isEmpty() && FindComponent(AComponent->FName))
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(AComponent->FName));
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    ValidateRename(AComponent, AComponent->FName, String());
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::DestroyComponents() {
    // Last created first, as the platform does.
    while (!FComponents.empty()) {
        TComponent* instance = FComponents.back();
        if (instance->FComponentState.Contains(csFreeNotification) ||
            (FComponentState * TComponentState{csDesigning, csInline}) ==
                TComponentState{csDesigning, csInline})
            RemoveComponent(instance);
        else
            Remove(instance);
        instance->BeforeDestruction();
        delete instance;
    }
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.isEmpty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::SetName(const String& NewName) {
    if (FName == NewName) return;
    if (!NewName.isEmpty() && !IsValidIdent(NewName))
        throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(NewName));
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    ChangeName(NewName);
}

void TComponent::ChangeName(const String& NewName) {
    FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
    if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(NewName));
}

void TComponent::ValidateContainer(TComponent* AComponent) {
    AComponent->ValidateInsert(this);
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::SetSubComponent(bool IsSubComponent) {
    if (IsSubComponent)
        FComponentStyle.Include(csSubComponent);
    else
        FComponentStyle.Exclude(csSubComponent);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (!FOwner || AComponent->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(AComponent);
            AComponent->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    EraseOne(FFreeNotifies, AComponent);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Owned components may be removed by the notification itself: walk backwards and keep
    // the index inside the list as it shrinks.
    int i = int(FComponents.size()) - 1;
    while (i >= 0) {
        FComponents[size_t(i)]->Notification(AComponent, Operation);
        --i;
        if (i >= int(FComponents.size())) i = int(FComponents.size()) - 1;
    }
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::Updating() {
    FComponentState.Include(csUpdating);
}

void TComponent::Updated() {
    FComponentState.Exclude(csUpdating);
}

void TComponent::GetChildren(TGetChildProc, TComponent*) {}

TComponent* TComponent::GetChildOwner() {
    return nullptr;
}

TComponent* TComponent::GetChildParent() {
    return this;
}

void TComponent::SetChildOrder(TComponent*, int) {}

TComponent* TComponent::GetParentComponent() const {
    return nullptr;
}

bool TComponent::HasParent() const {
    return false;
}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::ReadState(TReader* Reader) {
    if (ReadComponentDataProc) ReadComponentDataProc(Reader, this);
}

void TComponent::WriteState(TWriter* Writer) {
    if (WriteComponentDataProc) WriteComponentDataProc(Writer, this);
}

void TComponent::SetAncestor(bool Value) {
    if (Value)
        FComponentState.Include(csAncestor);
    else
        FComponentState.Exclude(csAncestor);
    for (TComponent* c : FComponents)
        c->SetAncestor(Value);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value, true);
}

void TComponent::SetInline(bool Value) {
    if (Value)
        FComponentState.Include(csInline);
    else
        FComponentState.Exclude(csInline);
}

void TComponent::SetDesignInstance(bool Value) {
    if (Value)
        FComponentState.Include(csDesignInstance);
    else
        FComponentState.Exclude(csDesignInstance);
}

bool TComponent::ExecuteAction(TBasicAction* Action) {
    if (Action && Action->HandlesTarget(this)) {
        Action->ExecuteTarget(this);
        return true;
    }
    return false;
}

bool TComponent::UpdateAction(TBasicAction* Action) {
    if (Action && Action->HandlesTarget(this)) {
        Action->UpdateTarget(this);
        return true;
    }
    return false;
}

String TComponent::GetNamePath() {
    return FName;
}

// ---------------------------------------------------------------------------------------------
// TDataModule

namespace {
std::vector<TDataModule*>& DataModuleList() {
    static std::vector<TDataModule*> v;
    return v;
}
void ForgetDataModule(TDataModule* m) {
    auto& v = DataModuleList();
    v.erase(std::remove(v.begin(), v.end(), m), v.end());
}
} // namespace

TDataModule* FindDataModule(const String& Name) {
    for (TDataModule* m : DataModuleList())
        if (!m->Name().isEmpty() && SameText(m->Name(), Name)) return m;
    return nullptr;
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
    DataModuleList().push_back(this);
}

TDataModule::~TDataModule() {
    ForgetDataModule(this);
    if (!FDestroyCalled && OnDestroy) {
        FDestroyCalled = true;
        try {
            OnDestroy(this);
        } catch (...) {
        }
    }
}

void TDataModule::AfterConstruction() {
    TComponent::AfterConstruction();
    if (OnCreate) OnCreate(this);
}

void TDataModule::BeforeDestruction() {
    ForgetDataModule(this);
    if (!FDestroyCalled) {
        FDestroyCalled = true;
        Destroying();
        if (OnDestroy) OnDestroy(this);
    }
    TComponent::BeforeDestruction();
}

void TDataModule::GetChildren(TGetChildProc Proc, TComponent* Root) {
    TComponent::GetChildren(Proc, Root);
    if (Root != this) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent()) Proc(c);
    }
}

// ---------------------------------------------------------------------------------------------
// Actions

TBasicActionLink::TBasicActionLink(TObject* AClient) {
    AssignClient(AClient);
}

TBasicActionLink::~TBasicActionLink() {
    if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::AssignClient(TObject*) {}

void TBasicActionLink::Change() {
    if (OnChange) OnChange(FAction);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (Value == FAction) return;
    if (FAction) FAction->UnRegisterChanges(this);
    FAction = Value;
    if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!FAction) return false;
    FAction->SetActionComponent(AComponent);
    bool result = false;
    try {
        result = FAction->Execute();
    } catch (...) {
        if (FAction) FAction->SetActionComponent(nullptr);
        throw;
    }
    if (FAction) FAction->SetActionComponent(nullptr);
    return result;
}

bool TBasicActionLink::Update() {
    return FAction && FAction->Update();
}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    while (!FClients.empty()) {
        TBasicActionLink* link = FClients.back();
        FClients.pop_back();
        link->FAction = nullptr;
    }
}

bool TBasicAction::HandlesTarget(TObject*) {
    return false;
}

void TBasicAction::UpdateTarget(TObject*) {}

void TBasicAction::ExecuteTarget(TObject*) {}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::Change() {
    if (OnChange) OnChange(this);
    for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients))
        link->Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
    if (!Value || std::find(FClients.begin(), FClients.end(), Value) != FClients.end()) return;
    Value->FAction = this;
    FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
    auto it = std::find(FClients.begin(), FClients.end(), Value);
    if (it == FClients.end()) return;
    FClients.erase(it);
    Value->FAction = nullptr;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
    if (FActionComponent == Value) return;
    if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
    FActionComponent = Value;
    if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}
