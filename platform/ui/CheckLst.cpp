// Check list box over checkable list-widget items.

#include "platform/ui/CheckLst.h"

#include "platform/ui/WindowBridge.h"

#include <QListWidget>

namespace {
Qt::CheckState ToQt(TCheckBoxState s) {
    return s == cbChecked ? Qt::Checked : s == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked;
}
} // namespace

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

void TCheckListBox::Check(int Index) const {
    if (Index < 0 || Index >= FItems->Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TCheckListBox::InitWidget() {
    TCustomListBox::InitWidget();
    QListWidget* l = List();
    QObject::connect(l, &QListWidget::itemChanged, l, [this, l](QListWidgetItem* it) {
        if (FSyncing) return;
        int i = l->row(it);
        GuardedCall([this, i] { WidgetItemChanged(i); });
    });
    SyncChecks();
}

// The widget reports any change of an item (its text too); only a check state that differs
// from the kept one is the user's toggle.
void TCheckListBox::WidgetItemChanged(int Index) {
    QListWidget* l = List();
    if (!l || Index < 0 || Index >= FItems->Count() || Index >= l->count()) return;
    if (l->item(Index)->checkState() == ToQt(State(Index))) return;
    UserToggled(Index);
}

void TCheckListBox::SyncChecks() {
    QListWidget* l = List();
    if (!l || FUpdating) return;
    ++FSyncing;
    for (int i = 0; i < l->count() && i < FItems->Count(); ++i) {
        QListWidgetItem* it = l->item(i);
        Qt::ItemFlags f = it->flags() | Qt::ItemIsUserCheckable;
        if (ItemEnabled(i))
            f |= Qt::ItemIsEnabled;
        else
            f &= ~Qt::ItemIsEnabled;
        it->setFlags(f);
        it->setCheckState(ToQt(State(i)));
    }
    --FSyncing;
}

bool TCheckListBox::Checked(int Index) const {
    return State(Index) == cbChecked;
}
void TCheckListBox::SetChecked(int Index, bool v) {
    SetState(Index, v ? cbChecked : cbUnchecked);
}
TCheckBoxState TCheckListBox::State(int Index) const {
    Check(Index);
    return TCheckBoxState(FItems->ItemData(Index) & StateMask);
}
void TCheckListBox::SetState(int Index, TCheckBoxState v) {
    Check(Index);
    FItems->SetItemData(Index, (FItems->ItemData(Index) & ~StateMask) | uint32_t(v));
    SyncChecks();
}
bool TCheckListBox::ItemEnabled(int Index) const {
    Check(Index);
    return !(FItems->ItemData(Index) & DisabledFlag);
}
void TCheckListBox::SetItemEnabled(int Index, bool v) {
    Check(Index);
    uint32_t d = FItems->ItemData(Index);
    FItems->SetItemData(Index, v ? d & ~DisabledFlag : d | DisabledFlag);
    SyncChecks();
}
void TCheckListBox::CheckAll(TCheckBoxState AState, bool AllowGrayed, bool AllowDisabled) {
    for (int i = 0; i < FItems->Count(); ++i) {
        if (!AllowDisabled && !ItemEnabled(i)) continue;
        if (!AllowGrayed && State(i) == cbGrayed) continue;
        FItems->SetItemData(i, (FItems->ItemData(i) & ~StateMask) | uint32_t(AState));
    }
    SyncChecks();
}

void TCheckListBox::UserToggled(int Index) {
    if (Index < 0 || Index >= FItems->Count()) return;
    TCheckBoxState s = State(Index);
    switch (s) {
    case cbUnchecked:
        s = FAllowGrayed ? cbGrayed : cbChecked;
        break;
    case cbChecked:
        s = cbUnchecked;
        break;
    case cbGrayed:
        s = cbChecked;
        break;
    }
    FItems->SetItemData(Index, (FItems->ItemData(Index) & ~StateMask) | uint32_t(s));
    SyncChecks();
    ClickCheck();
}

void TCheckListBox::ClickCheck() {
    if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::ItemsInserted(int Index) {
    TCustomListBox::ItemsInserted(Index);
    SyncChecks();
}
void TCheckListBox::ItemChanged(int Index) {
    TCustomListBox::ItemChanged(Index);
    SyncChecks();
}
void TCheckListBox::ItemsUpdating(bool Updating) {
    TCustomListBox::ItemsUpdating(Updating);
    SyncChecks();
}
