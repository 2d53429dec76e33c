// Drop-down forms: placement next to the anchor, the modal and the non-modal run, the closing
// protocol with the opener's callback, and the close button, sizing bar and grips.

#include "lib/tools/DropDownFormEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QElapsedTimer>

#include <map>
#include <QWidget>

int TCustomDropDownFormEh::ActivationTimeoutMs = 1000;

// ---------------------------------------------------------------------------------------------
// TDDFCloseButtonEh

TDDFCloseButtonEh::TDDFCloseButtonEh(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 17, 16);
    FButtonControl = new TSpeedButtonEh(this);
    FButtonControl->SetParent(this);
    FButtonControl->SetAlign(alClient);
    FButtonControl->OnPaint = TNotifyEvent(this, &TDDFCloseButtonEh::ButtonPaint);
    FButtonControl->OnClick = TNotifyEvent(this, &TDDFCloseButtonEh::ButtonClick);
}

void TDDFCloseButtonEh::ButtonPaint(TObject*) {
    TCanvas* c = FButtonControl->Canvas();
    const TRect r = FButtonControl->ClientRect();
    const TThemedToolTip part = FButtonControl->State() == bsDown  ? tttClosePressed
                                : FButtonControl->MouseInControl() ? tttCloseHot
                                                                   : tttCloseNormal;
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    // The style gives the button's face; the cross is drawn over it (the style has no close glyph).
    TRect face = r;
    if (ThemesInUse())
        StyleServices()->DrawElement(c->Handle(), TCustomStyleServices::GetElementDetails(part), face);
    else if (part != tttCloseNormal)
        DrawEdge(c->Handle(), face, part == tttClosePressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    const int off = part == tttClosePressed ? 1 : 0;
    const int cx = r.Width() / 2 + off, cy = r.Height() / 2 + off;
    c->Pen()->SetColor(clBtnText);
    for (int d = 0; d < 2; ++d) {
        c->MoveTo(cx - 4 + d, cy - 4);
        c->LineTo(cx + 4 + d, cy + 4);
        c->MoveTo(cx + 3 + d, cy - 4);
        c->LineTo(cx - 5 + d, cy + 4);
    }
}

void TDDFCloseButtonEh::ButtonClick(TObject*) {
    if (TCustomForm* f = GetParentForm(this)) f->Close();
}

// ---------------------------------------------------------------------------------------------
// TDDFSizingBarEh

TDDFSizingBarEh::TDDFSizingBarEh(TComponent* AOwner) : TCustomPanel(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csCaptureMouse);
    SetControlStyle(cs);
    SetBevelOuter(bvNone);
    SetBevelEdges({beTop});
    SetBevelKind(bkTile);
    SetShowCaption(false);
}

void TDDFSizingBarEh::Resize() {
    TCustomPanel::Resize();
    FSizingArea = Height() >= 10 ? 10 : Height() / 2;
}

bool TDDFSizingBarEh::InSizingArea(int Y) const {
    return Align() == alBottom ? Y > Height() - FSizingArea : Y < FSizingArea;
}

void TDDFSizingBarEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomPanel::MouseDown(Button, Shift, X, Y);
    FMouseDownPos = InSizingArea(Y) ? TPoint(X, Y) : TPoint(-1, -1);
}

void TDDFSizingBarEh::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomPanel::MouseMove(Shift, X, Y);
    // The grab band shows the vertical sizing cursor.
    if (!MouseCapture()) SetCursor(InSizingArea(Y) ? crSizeNS : crDefault);
    if (!Shift.Contains(ssLeft) || !MouseCapture() || FMouseDownPos.X == -1 || FMouseDownPos.Y == -1 ||
        !FHostControl)
        return;
    const int d = Y - FMouseDownPos.Y;
    if (Align() == alBottom)
        FHostControl->SetHeight(FHostControl->Height() + d);
    else
        FHostControl->SetBounds(FHostControl->Left(), FHostControl->Top() + d, FHostControl->Width(),
                                FHostControl->Height() - d);
}

// ---------------------------------------------------------------------------------------------
// TCustomDropDownFormEh

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* AOwner) : TForm(AOwner) {
    InitializeNewForm();
}

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* AOwner, int Dummy) : TForm(AOwner, Dummy) {
    InitializeNewForm();
}

void TCustomDropDownFormEh::InitializeNewForm() {
    FCloseButton = new TDDFCloseButtonEh(nullptr);
    FSizingBar = new TDDFSizingBarEh(nullptr);
    FCloseButton->SetParent(this);
    FSizingBar->SetParent(this);
    FCloseButton->SetVisible(false);
    FSizingBar->SetVisible(false);
    FSizingBar->SetHostControl(this);
    FCloseButton->SetAnchors({akTop, akRight});
    SetBorderStyle(bsNone);
}

void TCustomDropDownFormEh::BeforeDestruction() {
    // A run still pending ends as not accepted, so that its opener releases what it handed over.
    if (FCallbackProc) {
        TDropDownFormCallbackProcEh cb = FCallbackProc;
        FCallbackProc = nullptr;
        cb(this, false, FDynParams, FSysParams);
        FDynParams = nullptr;
        FSysParams = nullptr;
    }
    TForm::BeforeDestruction();
}

TCustomDropDownFormEh::~TCustomDropDownFormEh() {
    delete FCloseButton;
    delete FSizingBar;
}

void TCustomDropDownFormEh::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    Params.WindowClass.style |= CS_DROPSHADOW;
}

void TCustomDropDownFormEh::CreateHandle() {
    FBorderWidth = 3;
    TForm::CreateHandle();
    if (!FSizeGrip) {
        FSizeGrip = new TSizeGripEh(this);
        FSizeGrip->SetParent(this);
        FSizeGrip->SetPosition(sgpBottomRight);
        FSizeGrip2 = new TSizeGripEh(this);
        FSizeGrip2->SetParent(this);
        FSizeGrip2->SetPosition(sgpBottomLeft);
    }
    PlaceGrips();
}

void TCustomDropDownFormEh::PlaceGrips() {
    for (TSizeGripEh* g : {FSizeGrip, FSizeGrip2})
        if (g) {
            g->UpdatePosition();
            g->BringToFront();
        }
    if (FSizeGrip) FSizeGrip->SetVisible(FFormElements.Contains(ddfeRightGripEh));
    if (FSizeGrip2) FSizeGrip2->SetVisible(FFormElements.Contains(ddfeLeftGripEh));
}

void TCustomDropDownFormEh::SetFormElements(TDropDownFormElementsEh Value) {
    FFormElements = Value;
}

TDropLayoutEh TCustomDropDownFormEh::PlaceNear(TControl* Anchor, TDropDownAlign Align) {
    InitForms();
    TRect wa;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &wa, 0);
    const TPoint p = Anchor->ClientToScreen(TPoint(0, 0));
    int left = p.X, top = p.Y + Anchor->Height() + 1;
    int width = Width(), height = Height();
    if (Align == daRight)
        left -= width - Anchor->Width();
    else if (Align == daCenter)
        left -= (width - Anchor->Width()) / 2;
    if (wa.Width() < width) width = wa.Width();
    if (left + width > wa.Right) left = wa.Right - width;
    if (left < wa.Left) left = wa.Left;
    TDropLayoutEh layout = dlUnderControlEh;
    if (top + height > wa.Bottom && p.Y - wa.Top > wa.Bottom - p.Y - Anchor->Height()) {
        top = p.Y - height;
        layout = dlAboveControlEh;
    }
    if (top < wa.Top) {
        height -= wa.Top - top;
        top = wa.Top;
    }
    if (top + height > wa.Bottom) height = wa.Bottom - top;
    SetBounds(left, top, width, height);
    return layout;
}

void TCustomDropDownFormEh::EndPendingRun() {
    // A second run on a form still open ends the first one as not accepted.
    if (Visible() && FCallbackProc) {
        SetModalResult(mrCancel);
        TForm::Close();
    }
    if (Visible()) Hide();
}

void TCustomDropDownFormEh::StartRun(TControl* RelativePosControl, TDropDownAlign Align,
                                     TDynVarsEh* DynParams) {
    FDynParams = DynParams;
    FDropLayout = PlaceNear(RelativePosControl, Align);
    HandleNeeded();
    const TPoint formOrigin = ClientToScreen(TPoint(0, 0));
    const TPoint anchorOrigin = RelativePosControl->ClientToScreen(TPoint(0, 0));
    const bool below = formOrigin.Y >= anchorOrigin.Y;
    FSizeGrip->SetPosition(below ? sgpBottomRight : sgpTopRight);
    FSizeGrip2->SetPosition(below ? sgpBottomLeft : sgpTopLeft);
    PlaceGrips();
}

bool TCustomDropDownFormEh::Execute(TControl* RelativePosControl, TControl* /*DownStateControl*/,
                                    TDropDownAlign Align, TDynVarsEh* DynParams) {
    EndPendingRun();
    FModalMode = true;
    StartRun(RelativePosControl, Align, DynParams);
    InitForm(nullptr, DynParams);
    SetModalResult(mrNone);
    Show();
    if (Widget()) Widget()->activateWindow();
    // Activation arrives asynchronously: wait for it before testing that the form is still active.
    QElapsedTimer t;
    t.start();
    while (!Active() && ModalResult() == mrNone && Visible() && t.elapsed() < ActivationTimeoutMs &&
           !(Application && Application->Terminated()))
        Application->ProcessMessages();
    while (Active() && ModalResult() == mrNone && Visible() && !(Application && Application->Terminated()))
        Application->HandleMessage();
    Hide();
    FModalMode = false;
    const bool ok = ModalResult() == mrOk;
    if (ok) ReturnParams(nullptr, DynParams);
    return ok;
}

void TCustomDropDownFormEh::ExecuteNomodal(TControl* RelativePosControl, TControl* /*DownStateControl*/,
                                           TDropDownAlign Align, TDynVarsEh* DynParams,
                                           TDropDownFormSysParams* SysParams,
                                           const TDropDownFormCallbackProcEh& CallbackProc) {
    EndPendingRun();
    FModalMode = false;
    FSysParams = SysParams;
    StartRun(RelativePosControl, Align, DynParams);
    InitElements();
    InitForm(nullptr, DynParams);
    SetModalResult(mrNone);
    Show();
    if (Widget()) Widget()->activateWindow();
    FCallbackProc = CallbackProc;
}

void TCustomDropDownFormEh::InitForm(TComponent*, TDynVarsEh* DynParams) {
    if (OnInitForm) OnInitForm(this, DynParams);
}

void TCustomDropDownFormEh::ReturnParams(TComponent*, TDynVarsEh* DynParams) {
    if (OnReturnParams) OnReturnParams(this, DynParams);
}

void TCustomDropDownFormEh::InitElements() {
    const bool under = FDropLayout == dlUnderControlEh;
    const bool bar = FFormElements.Contains(ddfeSizingBarEh);
    if (bar) {
        FSizingBar->SetVisible(false);
        FSizingBar->BringToFront();
        if (under) {
            FSizingBar->SetTop(Height() + 1);
            FSizingBar->SetAlign(alBottom);
            FSizingBar->SetBevelEdges({beTop});
        } else {
            FSizingBar->SetTop(-1);
            FSizingBar->SetAlign(alTop);
            FSizingBar->SetBevelEdges({beBottom});
        }
        FSizingBar->SetHeight(GetSystemMetrics(SM_CYVSCROLL) + 3);
        FSizingBar->SetVisible(true);
    } else {
        FSizingBar->SetVisible(false);
    }
    if (FFormElements.Contains(ddfeCloseButtonEh)) {
        FCloseButton->BringToFront();
        FCloseButton->SetTop(2);
        FCloseButton->SetLeft(ClientWidth() - FCloseButton->Width() - 3);
        FCloseButton->SetVisible(true);
        if (!under) {
            FCloseButton->SetBounds(ClientWidth() - FCloseButton->Width() - 17, 1, FCloseButton->Width(),
                                    FCloseButton->Height());
            FCloseButton->SetAnchors({akTop, akRight});
        } else if (bar) {
            FCloseButton->SetBounds(17, ClientHeight() - FCloseButton->Height() - 1, FCloseButton->Width(),
                                    FCloseButton->Height());
            FCloseButton->SetAnchors({akLeft, akBottom});
        } else {
            FCloseButton->SetLeft(ClientWidth() - FCloseButton->Width() - 3);
            FCloseButton->SetAnchors({akTop, akRight});
        }
    } else {
        FCloseButton->SetVisible(false);
    }
    PlaceGrips();
}

void TCustomDropDownFormEh::DoClose(TCloseAction& Action) {
    if (FSysParams && FSysParams->FFreeFormOnClose) Action = caFree;
    if (!FModalMode && FCallbackProc) {
        if (ModalResult() == mrOk) ReturnParams(nullptr, FDynParams);
        TDropDownFormCallbackProcEh cb = FCallbackProc;
        FCallbackProc = nullptr;
        TDynVarsEh* dyn = FDynParams;
        TDropDownFormSysParams* sys = FSysParams;
        FSysParams = nullptr;
        FDynParams = nullptr;
        cb(this, ModalResult() == mrOk, dyn, sys);
    }
    TForm::DoClose(Action);
}

void TCustomDropDownFormEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ACTIVATE:
        TForm::Dispatch(Message);
        if (LoWord(Message.WParam) == WA_INACTIVE && !FModalMode && !FKeepFormVisible && !FActivateClosing &&
            Visible()) {
            FActivateClosing = true;
            ScopeExit done([&] { FActivateClosing = false; });
            TForm::Close();
        }
        return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        TForm::Dispatch(Message);
        PlaceGrips();
        Invalidate();
        return;
    default:
        break;
    }
    TForm::Dispatch(Message);
}

void TCustomDropDownFormEh::PaintWindow(HDC DC) {
    TForm::PaintWindow(DC);
    PaintNonClientBorder();
}

void TCustomDropDownFormEh::AdjustClientRect(TRect& Rect) {
    TForm::AdjustClientRect(Rect);
    InflateRect(Rect, -FBorderWidth, -FBorderWidth);
}

void TCustomDropDownFormEh::PaintNonClientBorder() {
    // A frameless window has no non-client area: the frame is the outer FBorderWidth pixels of the
    // client, a caption-coloured top band and frame-coloured edges, outlined in the shadow colour.
    HDC dc = nullptr;
    TCanvas canvas;
    if (CurrentPainter()) {
        canvas.BindPainter(CurrentPainter());
        dc = canvas.Handle();
    }
    if (!dc) return;
    const TRect r = ClientRect();
    const int bw = FBorderWidth;
    HRGN saved = BeginClipToRect(&canvas, r);
    ExcludeClipRect(dc, r.Left + bw, r.Top + bw, r.Right - bw, r.Bottom - bw);
    if (ThemesInUse()) {
        StyleServices()->DrawElement(dc, TCustomStyleServices::GetElementDetails(twSmallCaptionActive),
                                     TRect(r.Left, r.Top, r.Right, r.Top + bw));
        StyleServices()->DrawElement(dc, TCustomStyleServices::GetElementDetails(twSmallFrameBottomActive),
                                     TRect(r.Left, r.Top + bw, r.Right, r.Bottom));
    } else {
        canvas.Brush()->SetColor(clBtnFace);
        canvas.FillRect(r);
    }
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(r);
    EndClipToRect(&canvas, saved);
    canvas.ReleasePainter();
}

namespace {
std::map<TClass, TCustomDropDownFormEh::TGlobalRefProc>& GlobalRefs() {
    static std::map<TClass, TCustomDropDownFormEh::TGlobalRefProc> refs;
    return refs;
}
} // namespace

TCustomDropDownFormEh* TCustomDropDownFormEh::GetGlobalRef(TClass FormClass) {
    auto it = GlobalRefs().find(FormClass);
    return it != GlobalRefs().end() && it->second ? it->second() : nullptr;
}

void TCustomDropDownFormEh::RegisterGlobalRef(TClass FormClass, TGlobalRefProc Proc) {
    if (Proc)
        GlobalRefs()[FormClass] = Proc;
    else
        GlobalRefs().erase(FormClass);
}

KVT_REGISTER_CLASS(TCustomDropDownFormEh)

// Stored properties (the enumerations' names are in ToolCtrlsEhPublished.cpp).
KVT_ENUM_DECL(TDropDownAlign)
KVT_ENUM_DECL(TDropDownPassParamsEh)
KVT_ENUM_DECL(TEditButtonStyleEh)
KVT_ENUM_DECL(TDropDownFormElementEh)

KVT_PUBLISHED(TCustomDropDownFormEh) {
    using C = TCustomDropDownFormEh;
    P.Prop("FormElements", &C::FormElements, &C::SetFormElements)
        .Default(
            TDropDownFormElementsEh{ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh});
}
