// The navigator panel's settings, width rule and painting.

#include "lib/dbgrid/DBGridEhNavigator.h"

#include "lib/dbgrid/DBGridEhScrollBars.h"

#include "platform/db/DB.h"
#include "platform/ui/ImgList.h"

#include <algorithm>

TDBGridEhNavigatorPanel::TDBGridEhNavigatorPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csOpaque);
    cs.Exclude(csSetCaption);
    SetControlStyle(cs);
}

TDBGridEhNavigatorPanel::~TDBGridEhNavigatorPanel() = default;

void TDBGridEhNavigatorPanel::SetVisibleButtons(TNavButtonSetEh Value) {
    if (FVisibleButtons == Value) return;
    FVisibleButtons = Value;
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetVisibleItems(TGridSBItemsEh Value) {
    if (FVisibleItems == Value) return;
    FVisibleItems = Value;
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetDataSource(TDataSource* Value) {
    if (FDataSource == Value) return;
    if (FDataSource) FDataSource->RemoveFreeNotification(this);
    FDataSource = Value;
    if (FDataSource) FDataSource->FreeNotification(this);
}

void TDBGridEhNavigatorPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FDataSource) FDataSource = nullptr;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FDisabledImages) FDisabledImages = nullptr;
}

void TDBGridEhNavigatorPanel::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetDisabledImages(TCustomImageList* Value) {
    if (FDisabledImages == Value) return;
    FDisabledImages = Value;
    if (Value) Value->FreeNotification(this);
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    Invalidate();
}

void TDBGridEhNavigatorPanel::SetBorderColor(TColor Value) {
    if (FBorderColor == Value) return;
    FBorderColor = Value;
    Invalidate();
}

int TDBGridEhNavigatorPanel::VisibleButtonCount() const {
    if (!FVisibleItems.Contains(gsbiNavigator)) return 0;
    int n = 0;
    for (int b = nbFirstEh; b <= nbRefreshEh; ++b)
        if (FVisibleButtons.Contains(TNavigateBtnEh(b))) ++n;
    return n;
}

int TDBGridEhNavigatorPanel::OptimalWidth() {
    if (!HandleAllocated()) return 0;
    return ClientHeight() * VisibleButtonCount() + (Width() - ClientWidth());
}

void TDBGridEhNavigatorPanel::ResetWidth() {
    int w = OptimalWidth();
    if (auto* pc = dynamic_cast<TDBGridEhScrollBarPanelControl*>(Parent()))
        w = std::min(w, std::max(0, pc->MaxSizeForExtraPanel()));
    SetWidth(w);
}

void TDBGridEhNavigatorPanel::UpdateInfoPanels() {
    Invalidate();
}

void TDBGridEhNavigatorPanel::UpdateButtonStates() {
    Invalidate();
}

void TDBGridEhNavigatorPanel::UpdateVisibleItems() {
    if (Parent() && HandleAllocated()) ResetWidth();
    Invalidate();
}

void TDBGridEhNavigatorPanel::Paint() {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    // The top and right border lines.
    c->Pen()->SetColor(FBorderColor);
    c->MoveTo(0, 0);
    c->LineTo(r.Right, 0);
    c->MoveTo(r.Right - 1, 0);
    c->LineTo(r.Right - 1, r.Bottom);
    TCustomImageList* images = Enabled() ? FImages : FDisabledImages;
    if (!images || !FVisibleItems.Contains(gsbiNavigator)) return;
    const int side = r.Height();
    int x = 0;
    for (int b = nbFirstEh; b <= nbRefreshEh; ++b) {
        if (!FVisibleButtons.Contains(TNavigateBtnEh(b))) continue;
        if (b < images->Count())
            images->Draw(c, x + (side - images->Width()) / 2, (side - images->Height()) / 2, b, Enabled());
        x += side;
    }
}

KVT_REGISTER_CLASS(TDBGridEhNavigatorPanel)
