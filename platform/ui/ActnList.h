#pragma once
// Actions with the properties that controls take over from them (Caption, Enabled, Hint,
// ShortCut, Visible, Checked) and the link through which a client follows them.

#include "platform/classes/Classes.h"
#include "platform/ui/Menus.h"

class TCustomAction;

// A client's link to a TCustomAction: the action pushes each property change through the
// Set* hooks, and Is*Linked says whether the client still shows the action's value.
class TActionLink : public TBasicActionLink {
    KVT_CLASS(TActionLink, TBasicActionLink)
public:
    using TBasicActionLink::TBasicActionLink;
    virtual bool IsCaptionLinked() { return Action() != nullptr; }
    virtual bool IsEnabledLinked() { return Action() != nullptr; }
    virtual bool IsHintLinked() { return Action() != nullptr; }
    virtual bool IsShortCutLinked() { return Action() != nullptr; }
    virtual bool IsVisibleLinked() { return Action() != nullptr; }
    virtual bool IsCheckedLinked() { return Action() != nullptr; }
    virtual void SetCaption(const String&) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const String&) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
    virtual void SetChecked(bool) {}
};

class TCustomAction : public TBasicAction {
    KVT_CLASS(TCustomAction, TBasicAction)
public:
    explicit TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);

private:
    template <class F> void ForEachLink(F f);
    String FCaption;
    bool FEnabled = true;
    String FHint;
    TShortCut FShortCut = 0;
    bool FVisible = true;
    bool FChecked = false;
};

class TAction : public TCustomAction {
    KVT_CLASS(TAction, TCustomAction)
public:
    using TCustomAction::TCustomAction;
};
