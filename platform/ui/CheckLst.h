#pragma once
// A list box with a check box per item. OnClickCheck fires when the user toggles a check box,
// not when Checked/State is set by code.

#include "platform/ui/StdCtrls.h"

class TCheckListBox : public TCustomListBox {
    KVT_CLASS(TCheckListBox, TCustomListBox)
public:
    explicit TCheckListBox(TComponent* AOwner);
    bool Checked(int Index) const;
    void SetChecked(int Index, bool v);
    TCheckBoxState State(int Index) const;
    void SetState(int Index, TCheckBoxState v);
    bool ItemEnabled(int Index) const;
    void SetItemEnabled(int Index, bool v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    void CheckAll(TCheckBoxState AState, bool AllowGrayed = true, bool AllowDisabled = true);

    TNotifyEvent OnClickCheck;

    // From the widget: the user toggled the check box of an item.
    void UserToggled(int Index);

protected:
    void InitWidget() override;
    virtual void ClickCheck();
    void ItemsInserted(int Index) override;
    void ItemChanged(int Index) override;
    void ItemsUpdating(bool Updating) override;
    void SyncChecks();
    void Check(int Index) const;

private:
    // The state and the enabled flag live in the item's data, so they follow the item.
    static constexpr uint32_t StateMask = 3, DisabledFlag = 4;
    void WidgetItemChanged(int Index);
    bool FAllowGrayed = false;
};
