// What the row panel and the row detail panel store in component streams: their settings, as
// published properties of the grid, and the detail panel's window "RowDetailData", the grid's
// one streamed child, with the controls the application placed on it.
//
// The window exists from the grid's creation on, so a stream read into a grid never makes a
// second one: while the grid reads its state, the reader is handed the existing window for the
// stored one.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/ControlsTypInfo.h"

#include <QScopeGuard>

namespace {
const String RowDetailDataName = QStringLiteral("RowDetailData");
} // namespace

KVT_ENUM_TYPE(TGridRowPanelNavKeysNavigationTypeEh, rpntRowToRowEh, rpntCellToCellEh)
KVT_ENUM_TYPE(TGridRowPanelTabNavigationTypeEh, rpntUpToDownPriorityEh, rpntLeftToRightPriorityEh)

KVT_PUBLISHED(TGridRowPanelEh) {
    using C = TGridRowPanelEh;
    P.Prop("Active", &C::Active, &C::SetActive).Default(false);
    P.Prop("NavKeysNavigationType", &C::NavKeysNavigationType, &C::SetNavKeysNavigationType)
        .Default(rpntRowToRowEh);
    P.Prop("TabNavigationType", &C::TabNavigationType, &C::SetTabNavigationType)
        .Default(rpntUpToDownPriorityEh);
}

KVT_PUBLISHED(TRowDetailPanelEh) {
    using C = TRowDetailPanelEh;
    P.Prop("Active", &C::Active, &C::SetActive).Default(false);
    P.Prop("ActiveControl", &C::ActiveControl, &C::SetActiveControl);
    P.Prop("BevelEdges", &C::BevelEdges, &C::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    P.Prop("BevelInner", &C::BevelInner, &C::SetBevelInner).Default(bvRaised);
    P.Prop("BevelKind", &C::BevelKind, &C::SetBevelKind).Default(bkNone);
    P.Prop("BevelOuter", &C::BevelOuter, &C::SetBevelOuter).Default(bvLowered);
    P.Prop("BevelWidth", &C::BevelWidth, &C::SetBevelWidth).Default(1);
    P.Prop("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bsSingle);
    // The grid's fixed colour is the colour a new panel starts with: it is not written.
    P.Prop("Color", &C::Color, &C::SetColor).Stored([](C* p) { return p->ColorStored(); });
    P.Prop("Height", &C::Height, &C::SetHeight).Default(120);
    P.Prop("MaxHeight", &C::MaxHeight, &C::SetMaxHeight).Default(0);
    P.Prop("MinHeight", &C::MinHeight, &C::SetMinHeight).Default(1);
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(false);
    P.Prop("ParentPopupMenu", &C::ParentPopupMenu, &C::SetParentPopupMenu).Default(true);
    P.Prop("SizingBarBeveled", &C::SizingBarBeveled, &C::SetSizingBarBeveled).Default(true);
    P.Prop("SizingBarHeight", &C::SizingBarHeight, &C::SetSizingBarHeight).Default(8);
    P.Prop("VertSizing", &C::VertSizing, &C::SetVertSizing).Default(false);
    P.Prop("Width", &C::Width, &C::SetWidth).Default(0);
}

KVT_REGISTER_CLASS(TRowDetailPanelControlEh)

// The controls on the panel that belong to the stream's root are its children in the stream.
void TRowDetailPanelControlEh::GetChildren(TGetChildProc Proc, TComponent* Root) {
    for (int i = 0; i < ControlCount(); ++i)
        if (TControl* c = Controls(i); c->Owner() == Root) Proc(c);
}

void TCustomDBGridEh::GetChildren(TGetChildProc Proc, TComponent*) {
    if (FRowDetailControl) Proc(FRowDetailControl);
}

void TCustomDBGridEh::ReadState(TReader* Reader) {
    const TCreateComponentEvent oldCreate = Reader->OnCreateComponent;
    const TAncestorNotFoundEvent oldAncestorNotFound = Reader->OnAncestorNotFound;
    const auto restore = qScopeGuard([&] {
        Reader->OnCreateComponent = oldCreate;
        Reader->OnAncestorNotFound = oldAncestorNotFound;
    });
    Reader->OnCreateComponent = TCreateComponentEvent::Callable(
        [this, oldCreate](TReader* R, TClass ComponentClass, TComponent*& Component) {
            if (ComponentClass &&
                ComponentClass->InheritsFrom(&TRowDetailPanelControlEh::StaticClassInfo()) &&
                FRowDetailControl) {
                Component = FRowDetailControl;
                return;
            }
            if (oldCreate) oldCreate(R, ComponentClass, Component);
        });
    Reader->OnAncestorNotFound = TAncestorNotFoundEvent::Callable(
        [this, oldAncestorNotFound](TReader* R, const String& Name, TClass ComponentClass,
                                    TComponent*& Component) {
            if (R->Root() && Name.compare(RowDetailDataName, Qt::CaseInsensitive) == 0 && FRowDetailControl) {
                Component = FRowDetailControl;
                return;
            }
            if (oldAncestorNotFound) oldAncestorNotFound(R, Name, ComponentClass, Component);
        });
    TCustomDBAxisGridEh::ReadState(Reader);
}
