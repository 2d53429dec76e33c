// The scroll-bar panel controls of the data grid and the size grip in their corner.

#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"

#include "lib/grids/GridsEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------------------------
// TControlScrollBarEh

TControlScrollBarEh::TControlScrollBarEh(TComponent* AOwner) : TScrollBar(AOwner) {}

void TControlScrollBarEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DESIGNHITTEST:
        Message.Result = 1;
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    }
    TScrollBar::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhScrollBarPanelControl

TDBGridEhScrollBarPanelControl::TDBGridEhScrollBarPanelControl(TComponent* AOwner, TScrollBarKind AKind)
    : TCustomPanel(AOwner), FKind(AKind) {
    TControlStyle cs = ControlStyle();
    cs.Exclude(csSetCaption);
    SetControlStyle(cs);

    FScrollBar = new TControlScrollBarEh(this);
    FScrollBar->SetParent(this);
    FScrollBar->SetAlign(alClient);
    FScrollBar->SetKind(AKind);
    FScrollBar->OnScroll = TScrollEvent(this, &TDBGridEhScrollBarPanelControl::ScrollBarScroll);
    FScrollBar->SetCtl3D(false);
    FScrollBar->SetParentCtl3D(false);
    FScrollBar->SetTabStop(false);

    FExtraPanel = new TDBGridEhNavigatorPanel(this);
    FExtraPanel->SetParent(this);
    FExtraPanel->SetBevelEdges(TBevelEdges{beTop, beRight});
    FExtraPanel->SetBevelInner(bvNone);
    FExtraPanel->SetBevelOuter(bvRaised);
    FExtraPanel->SetBevelKind(bkFlat);
    FExtraPanel->SetAlign(alLeft);
    FExtraPanel->SetVisible(AKind == sbHorizontal);
    FExtraPanel->SetFlat(true);
    FExtraPanel->SetImages(DBGridEhResImages());
    FExtraPanel->SetDisabledImages(DBGridEhResDisabledImages());
    FExtraPanel->SetParentColor(true);
    FExtraPanel->SetDoubleBuffered(true);

    SetParentBackground(false);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
}

void TDBGridEhScrollBarPanelControl::CreateHandle() {
    TCustomPanel::CreateHandle();
}

void TDBGridEhScrollBarPanelControl::SetParams(int APosition, int AMin, int AMax, int APageSize) {
    if (AMin < AMax && AMax - AMin >= APageSize) {
        FScrollBar->SetEnabled(true);
        // The bar refuses a page wider than the range it has: the page goes on around the range.
        if (APageSize <= FScrollBar->Max() - FScrollBar->Min() + 1)
            FScrollBar->SetPageSize(APageSize);
        else
            FScrollBar->SetPageSize(0);
        FScrollBar->SetParams(std::clamp(APosition, AMin, AMax), AMin, AMax);
        FScrollBar->SetPageSize(APageSize);
    } else {
        FScrollBar->SetEnabled(false);
    }
}

int TDBGridEhScrollBarPanelControl::MaxSizeForExtraPanel() {
    return Width() - 2 * GetSystemMetrics(SM_CYHSCROLL);
}

void TDBGridEhScrollBarPanelControl::GridSelectionChanged() {
    FExtraPanel->UpdateInfoPanels();
}

void TDBGridEhScrollBarPanelControl::DataSetChanged() {
    FExtraPanel->UpdateButtonStates();
}

void TDBGridEhScrollBarPanelControl::Invalidate() {
    TCustomPanel::Invalidate();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TDBGridEhScrollBarPanelControl::ScrollBarScroll(TObject*, TScrollCode ScrollCode, int& ScrollPos) {
    auto* grid = dynamic_cast<TCustomGridEh*>(Owner());
    if (!grid) return;
    if (UseRightToLeftAlignment()) ScrollPos = FScrollBar->Max() - ScrollPos;
    grid->ModifyScrollBar(FKind == sbHorizontal ? SB_HORZ : SB_VERT, int(ScrollCode), ScrollPos, true);
    // The bar ends where the grid put it, not where it was dragged.
    ScrollPos = FScrollBar->Position();
}

// ---------------------------------------------------------------------------------------------
// TSizeGripPanelEh

TSizeGripPanelEh::TSizeGripPanelEh(TComponent* AOwner) : TCustomPanel(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Exclude(csSetCaption);
    SetControlStyle(cs);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
}

TWinControl* TSizeGripPanelEh::GetTopParentWindow() {
    for (TWinControl* p = Parent(); p; p = p->Parent())
        if (!(p->WindowStyle() & WS_CHILD)) return p;
    return nullptr;
}

bool TSizeGripPanelEh::IsInFormCorner() {
    const bool rtl = UseRightToLeftAlignment();
    const TPoint p = ClientToScreen(TPoint(rtl ? 0 : Width(), Height()));
    TWinControl* f = GetTopParentWindow();
    if (!f || !(f->WindowStyle() & WS_THICKFRAME)) return false;
    const TPoint q = f->ClientToScreen(TPoint(rtl ? 0 : f->ClientWidth(), f->ClientHeight()));
    return std::abs(q.X - p.X) < 4 && std::abs(q.Y - p.Y) < 4;
}

void TSizeGripPanelEh::Paint() {
    TCanvas* c = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetColor(StyleServices()->GetSystemColor(clBtnFace));
    c->FillRect(r);
    if (!IsInFormCorner()) return;
    if (ThemesInUse()) {
        const TThemedScrollBar part = UseRightToLeftAlignment() ? tsSizeBoxLeftAlign : tsSizeBoxRightAlign;
        StyleServices()->DrawElement(c->Handle(), TCustomStyleServices::GetElementDetails(part), r);
    } else {
        DrawFrameControl(c->Handle(), r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

void TSizeGripPanelEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomPanel::MouseDown(Button, Shift, X, Y);
    if (MouseCapture() && IsInFormCorner()) FLastFormSize = ClientToScreen(TPoint(X, Y));
}

void TSizeGripPanelEh::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomPanel::MouseMove(Shift, X, Y);
    if (!MouseCapture() || FLastFormSize.X == -1) return;
    const TPoint p = ClientToScreen(TPoint(X, Y));
    if (p == FLastFormSize) return;
    TWinControl* f = GetTopParentWindow();
    if (!f) return;
    const int dx = p.X - FLastFormSize.X, dy = p.Y - FLastFormSize.Y;
    if (UseRightToLeftAlignment())
        f->SetBounds(f->Left() + dx, f->Top(), f->Width() - dx, f->Height() + dy);
    else
        f->SetBounds(f->Left(), f->Top(), f->Width() + dx, f->Height() + dy);
    FLastFormSize = p;
    f->Repaint();
}

void TSizeGripPanelEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomPanel::MouseUp(Button, Shift, X, Y);
    FLastFormSize = TPoint(-1, -1);
}

void TSizeGripPanelEh::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_SETCURSOR && IsInFormCorner()) {
        ::SetCursor(UseRightToLeftAlignment() ? crSizeNESW : crSizeNWSE);
        Message.Result = 1;
        return;
    }
    TCustomPanel::Dispatch(Message);
}

KVT_REGISTER_CLASS(TControlScrollBarEh)
KVT_REGISTER_CLASS(TSizeGripPanelEh)
