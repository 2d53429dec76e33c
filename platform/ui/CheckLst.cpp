// Check list box over checkable list-widget items.

#include "platform/ui/CheckLst.h"

#include "platform/ui/WindowBridge.h"

#include <QListWidget>

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

void TCheckListBox::Check(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TCheckListBox::InitWidget() {
    TCustomListBox::InitWidget();
    QListWidget* l = List();
    QObject::connect(l, &QListWidget::itemChanged, l, [this, l](QListWidgetItem* it) {
        if (FSyncing) return;
        int i = l->row(it);
        GuardedCall([this, i] { UserToggled(i); });
    });
    SyncChecks();
}

void TCheckListBox::SyncChecks() {
    QListWidget* l = List();
    if (!l) return;
    ++FSyncing;
    FChecks.resize(size_t(Count()));
    for (int i = 0; i < l->count() && i < int(FChecks.size()); ++i) {
        QListWidgetItem* it = l->item(i);
        Qt::ItemFlags f = it->flags() | Qt::ItemIsUserCheckable;
        if (FChecks[size_t(i)].Enabled)
            f |= Qt::ItemIsEnabled;
        else
            f &= ~Qt::ItemIsEnabled;
        it->setFlags(f);
        TCheckBoxState s = FChecks[size_t(i)].State;
        it->setCheckState(s == cbChecked  ? Qt::Checked
                          : s == cbGrayed ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
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
    return Index < int(FChecks.size()) ? FChecks[size_t(Index)].State : cbUnchecked;
}
void TCheckListBox::SetState(int Index, TCheckBoxState v) {
    Check(Index);
    FChecks.resize(size_t(Count()));
    FChecks[size_t(Index)].State = v;
    SyncChecks();
}
bool TCheckListBox::ItemEnabled(int Index) const {
    Check(Index);
    return Index < int(FChecks.size()) ? FChecks[size_t(Index)].Enabled : true;
}
void TCheckListBox::SetItemEnabled(int Index, bool v) {
    Check(Index);
    FChecks.resize(size_t(Count()));
    FChecks[size_t(Index)].Enabled = v;
    SyncChecks();
}
void TCheckListBox::CheckAll(TCheckBoxState AState, bool AllowGrayed, bool AllowDisabled) {
    FChecks.resize(size_t(Count()));
    for (auto& c : FChecks) {
        if (!AllowDisabled && !c.Enabled) continue;
        if (!AllowGrayed && c.State == cbGrayed) continue;
        c.State = AState;
    }
    SyncChecks();
}

void TCheckListBox::UserToggled(int Index) {
    if (Index < 0 || Index >= Count()) return;
    FChecks.resize(size_t(Count()));
    TCheckBoxState& s = FChecks[size_t(Index)].State;
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
    SyncChecks();
    ClickCheck();
}

void TCheckListBox::ClickCheck() {
    if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::ItemsInserted(int Index) {
    if (size_t(Index) <= FChecks.size()) FChecks.insert(FChecks.begin() + Index, TCheckInfo());
    TCustomListBox::ItemsInserted(Index);
    SyncChecks();
}
void TCheckListBox::ItemDeleted(int Index) {
    if (size_t(Index) < FChecks.size()) FChecks.erase(FChecks.begin() + Index);
    TCustomListBox::ItemDeleted(Index);
}
void TCheckListBox::ItemsCleared() {
    FChecks.clear();
    TCustomListBox::ItemsCleared();
}
void TCheckListBox::ItemsUpdating(bool Updating) {
    TCustomListBox::ItemsUpdating(Updating);
    if (!Updating) SyncChecks();
}
