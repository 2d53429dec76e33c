#include "platform/ui/ActnList.h"

#include <vector>

template <class F> void TCustomAction::ForEachLink(F f) {
    for (TBasicActionLink* l : std::vector<TBasicActionLink*>(Clients()))
        if (auto* link = dynamic_cast<TActionLink*>(l)) f(link);
    Change();
}

void TCustomAction::SetCaption(const String& v) {
    if (v == FCaption) return;
    FCaption = v;
    ForEachLink([&](TActionLink* l) { l->SetCaption(v); });
}
void TCustomAction::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    ForEachLink([&](TActionLink* l) { l->SetEnabled(v); });
}
void TCustomAction::SetHint(const String& v) {
    if (v == FHint) return;
    FHint = v;
    ForEachLink([&](TActionLink* l) { l->SetHint(v); });
}
void TCustomAction::SetShortCut(TShortCut v) {
    if (v == FShortCut) return;
    FShortCut = v;
    ForEachLink([&](TActionLink* l) { l->SetShortCut(v); });
}
void TCustomAction::SetVisible(bool v) {
    if (v == FVisible) return;
    FVisible = v;
    ForEachLink([&](TActionLink* l) { l->SetVisible(v); });
}
void TCustomAction::SetChecked(bool v) {
    if (v == FChecked) return;
    FChecked = v;
    ForEachLink([&](TActionLink* l) { l->SetChecked(v); });
}
