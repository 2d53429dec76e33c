// TControl: geometry, appearance, text, the message entry and the mouse messages.

#include "platform/ui/Controls.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowBridge.h"

#include <QWidget>

TMouse* Mouse = nullptr;

// ---------------------------------------------------------------------------------------------
void TTouchManager::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TTouchManager*>(source)) {
        FInteractiveGestures = s->FInteractiveGestures;
        FInteractiveGestureOptions = s->FInteractiveGestureOptions;
        FParentTabletOptions = s->FParentTabletOptions;
        return;
    }
    TPersistent::Assign(source);
}

namespace {
// The link through which a control follows its action's properties.
class TControlActionLink : public TActionLink {
    KVT_CLASS(TControlActionLink, TActionLink)
public:
    explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}
    TCustomAction* Custom() const { return dynamic_cast<TCustomAction*>(Action()); }
    void SetCaption(const String& v) override { FClient->SetCaption(v); }
    void SetEnabled(bool v) override { FClient->SetEnabled(v); }
    void SetHint(const String& v) override { FClient->SetHint(v); }
    void SetVisible(bool v) override { FClient->SetVisible(v); }
    // Copies the action's properties; while loading only over the control's own defaults, so
    // stored values win.
    void Apply(bool onlyDefaults) {
        TCustomAction* a = Custom();
        if (!a) return;
        if (!onlyDefaults || FClient->Caption().isEmpty()) FClient->SetCaption(a->Caption());
        if (!onlyDefaults || FClient->Enabled()) FClient->SetEnabled(a->Enabled());
        if (!onlyDefaults || FClient->Hint().isEmpty()) FClient->SetHint(a->Hint());
        if (!onlyDefaults || FClient->Visible()) FClient->SetVisible(a->Visible());
    }

private:
    TControl* FClient;
};
} // namespace

TBasicAction* TControl::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* v) {
    if (v == Action()) return;
    if (!v) {
        FActionLink.reset();
        return;
    }
    auto link = std::make_unique<TControlActionLink>(this);
    link->SetAction(v);
    link->Apply(ComponentState().Contains(csLoading));
    FActionLink = std::move(link);
}

// ---------------------------------------------------------------------------------------------
void TSizeConstraints::Assign(TPersistent* source) {
    if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
        FMaxHeight = s->FMaxHeight, FMaxWidth = s->FMaxWidth, FMinHeight = s->FMinHeight,
        FMinWidth = s->FMinWidth;
        Change();
        return;
    }
    TPersistent::Assign(source);
}
void TSizeConstraints::SetMaxHeight(int v) {
    FMaxHeight = v, Change();
}
void TSizeConstraints::SetMaxWidth(int v) {
    FMaxWidth = v, Change();
}
void TSizeConstraints::SetMinHeight(int v) {
    FMinHeight = v, Change();
}
void TSizeConstraints::SetMinWidth(int v) {
    FMinWidth = v, Change();
}
void TSizeConstraints::Change() {
    if (FControl)
        FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    InitForms();
    WindowProc = TWndMethod(this, &TControl::WndProc);
    FFont = std::make_unique<TFont>();
    FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    FConstraints = std::make_unique<TSizeConstraints>(this);
    FTouch = std::make_unique<TTouchManager>(this);
}

TControl::~TControl() {
    if (FParent) FParent->RemoveControl(this);
    if (Application && Application->MouseControl() == this) Application->DoMouseMove(nullptr, {});
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
}

void TControl::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    UINT m = Message.Msg;
    if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEWHEEL && m != WM_MOUSEHWHEEL) {
        if (m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK) {
            if (FDragMode == dmAutomatic) {
                BeginDrag(true);
                return;
            }
            FControlState.Include(csLButtonDown);
        } else if (m == WM_LBUTTONUP) {
            FControlState.Exclude(csLButtonDown);
        }
        if (m == WM_MOUSEMOVE && Application) {
            TPoint p = ClientToScreen({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
            Application->DoMouseMove(this, p);
        }
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        WMMouse(Message);
        return;
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        return;
    case CM_MOUSEWHEEL:
        CMMouseWheel(Message);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        return;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        return;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        return;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        return;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(Message);
        return;
    case CM_PARENTBIDIMODECHANGED:
        CMParentBiDiModeChanged(Message);
        return;
    case CM_MOUSEENTER:
        CMMouseEnter(Message);
        return;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        return;
    case CM_HITTEST:
        CMHitTest(Message);
        return;
    case CM_HINTSHOW:
        CMHintShow(Message);
        return;
    default:
        DefaultHandler(Message);
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT: {
        String t = GetText();
        auto* buf = reinterpret_cast<Char*>(Message.LParam);
        int n = std::min<int>(int(Message.WParam) - 1, int(t.size()));
        if (!buf || n < 0) {
            Message.Result = 0;
            return;
        }
        std::copy(t.begin(), t.begin() + n, buf);
        buf[n] = Char(0);
        Message.Result = n;
        return;
    }
    case WM_GETTEXTLENGTH:
        Message.Result = GetText().size();
        return;
    case WM_SETTEXT: {
        auto* p = reinterpret_cast<const Char*>(Message.LParam);
        String s;
        if (p)
            while (*p != Char(0))
                s += *p++;
        SetTextCore(s);
        Message.Result = 1;
        return;
    }
    }
}

// --- parent and geometry -----------------------------------------------------------------------
void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (FParent) FParent->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        if (FParentFont) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (FParentShowHint) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (FParentBiDiMode) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    }
}

TComponent* TControl::GetParentComponent() const {
    return FParent;
}
bool TControl::HasParent() const {
    return true;
}
void TControl::SetParentComponent(TComponent* Value) {
    if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}
void TControl::ReadState(TReader* Reader) {
    if (Reader->Parent() && Reader->Parent() != this) SetParentComponent(Reader->Parent());
    TComponent::ReadState(Reader);
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    bool r = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, r);
    return r;
}
bool TControl::CanAutoSize(int&, int&) {
    return true;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    auto* c = FConstraints.get();
    if (c) {
        if (c->MinWidth() > 0 && AWidth < c->MinWidth()) AWidth = c->MinWidth();
        if (c->MaxWidth() > 0 && AWidth > c->MaxWidth()) AWidth = c->MaxWidth();
        if (c->MinHeight() > 0 && AHeight < c->MinHeight()) AHeight = c->MinHeight();
        if (c->MaxHeight() > 0 && AHeight > c->MaxHeight()) AHeight = c->MaxHeight();
    }
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    if ((AWidth != FWidth || AHeight != FHeight) && !CanResize(AWidth, AHeight)) return;
    TRect old = BoundsRect();
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft, FTop = ATop, FWidth = AWidth, FHeight = AHeight;
    if (FParent && FParent->FWidget) {
        TRect inv;
        UnionRect(inv, old, BoundsRect());
        TRect nc = NonClientInsets(FindWindowRecord(FParent->FHandle));
        QRect q(inv.Left + nc.Left, inv.Top + nc.Top, inv.Width(), inv.Height());
        InvalidateWidget(FParent->FWidget, &q);
    }
    UpdateBoundsRect(BoundsRect());
    if (sized) Resize();
    RequestAlign();
}

void TControl::UpdateBoundsRect(const TRect&) {}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
    if (FParent && (FAlign != alNone || FAnchors != TAnchors{akLeft, akTop}))
        FParent->Realign();
    else if (auto* s = dynamic_cast<TScrollingWinControl*>(FParent); s && s->AutoScroll())
        s->UpdateScrollBars(); // the scroll range follows the children
}

void TControl::SetClientWidth(int v) {
    SetWidth(FWidth - ClientWidth() + v);
}
void TControl::SetClientHeight(int v) {
    SetHeight(FHeight - ClientHeight() + v);
}
TRect TControl::GetClientRect() {
    return {0, 0, FWidth, FHeight};
}

TPoint TControl::ClientOrigin() {
    if (!FParent) return {FLeft, FTop};
    TPoint p = FParent->ClientOrigin();
    return {p.X + FLeft, p.Y + FTop};
}
TPoint TControl::ClientToScreen(const TPoint& p) {
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}
TPoint TControl::ScreenToClient(const TPoint& p) {
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}
TPoint TControl::ClientToParent(const TPoint& p, TWinControl* AParent) {
    if (!AParent) AParent = FParent;
    TPoint r = p;
    for (TControl* c = this; c && c != AParent; c = c->FParent) {
        if (!c->FParent)
            throw EInvalidOperation(QStringLiteral("Control '%1' is not a parent of '%2'")
                                        .arg(AParent ? AParent->Name() : String(), Name()));
        r.Offset(c->FLeft, c->FTop);
    }
    return r;
}
TPoint TControl::ParentToClient(const TPoint& p, TWinControl* AParent) {
    TPoint o = ClientToParent({0, 0}, AParent);
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign v) {
    if (FAlign == v) return;
    FAlign = v;
    RequestAlign();
    if (FParent) FParent->Realign();
}
void TControl::SetAnchors(TAnchors v) {
    FAnchors = v;
    if (FParent) FParent->Realign();
}
void TControl::SetAutoSize(bool v) {
    FAutoSize = v;
    if (v) AdjustSize();
}
void TControl::AdjustSize() {}

void TControl::BringToFront() {
    SetZOrder(true);
}
void TControl::SendToBack() {
    SetZOrder(false);
}
void TControl::SetZOrder(bool TopMost) {
    if (!FParent) return;
    auto& v = FParent->FControls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it == v.end()) return;
    v.erase(it);
    if (TopMost)
        v.push_back(this);
    else
        v.insert(v.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->FWidget)
        TopMost ? w->FWidget->raise() : w->FWidget->lower();
    Invalidate();
}

void TControl::ScaleBy(int M, int D) {
    ChangeScale(M, D);
}
void TControl::ChangeScale(int M, int D) {
    if (M == D) return;
    SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FLeft + FWidth, M, D) - MulDiv(FLeft, M, D),
              MulDiv(FTop + FHeight, M, D) - MulDiv(FTop, M, D));
    if (!FParentFont) FFont->SetSize(MulDiv(FFont->Size(), M, D));
}

// --- appearance ---------------------------------------------------------------------------------
void TControl::SetVisible(bool v) {
    if (FVisible == v) return;
    VisibleChanging();
    FVisible = v;
    Perform(CM_VISIBLECHANGED, v, 0);
    RequestAlign();
}
void TControl::Show() {
    if (FParent) FParent->ShowControl(this);
    SetVisible(true);
}
void TControl::Hide() {
    SetVisible(false);
}
void TControl::SetEnabled(bool v) {
    if (FEnabled == v) return;
    FEnabled = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}
void TControl::SetColor(TColor v) {
    if (FColor == v) return;
    FColor = v;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}
void TControl::SetParentColor(bool v) {
    if (FParentColor == v) return;
    FParentColor = v;
    if (v && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}
void TControl::SetParentFont(bool v) {
    if (FParentFont == v) return;
    FParentFont = v;
    if (v && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}
void TControl::FontChanged(TObject*) {
    if (!FUpdatingFont) FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}
void TControl::SetCursor(TCursor v) {
    if (FCursor == v) return;
    FCursor = v;
    Perform(CM_CURSORCHANGED, 0, 0);
}
void TControl::SetShowHint(bool v) {
    FShowHint = v;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}
void TControl::SetParentShowHint(bool v) {
    FParentShowHint = v;
    if (v && FParent) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}
void TControl::SetPopupMenu(TPopupMenu* v) {
    if (FPopupMenu == v) return;
    if (FPopupMenu) reinterpret_cast<TComponent*>(FPopupMenu)->RemoveFreeNotification(this);
    FPopupMenu = v;
    if (v) reinterpret_cast<TComponent*>(v)->FreeNotification(this);
}
void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && reinterpret_cast<TComponent*>(FPopupMenu) == AComponent)
        FPopupMenu = nullptr;
}
void TControl::Loaded() {
    TComponent::Loaded();
}

void TControl::SetBiDiMode(TBiDiMode v) {
    if (FBiDiMode == v) return;
    FBiDiMode = v;
    FParentBiDiMode = false;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}
void TControl::SetParentBiDiMode(bool v) {
    FParentBiDiMode = v;
    if (v && FParent) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}
bool TControl::IsRightToLeft() const {
    return FBiDiMode != bdLeftToRight;
}
bool TControl::UseRightToLeftAlignment() const {
    return FBiDiMode == bdRightToLeft;
}
bool TControl::UseRightToLeftReading() const {
    return FBiDiMode != bdLeftToRight;
}
bool TControl::UseRightToLeftScrollBar() const {
    return FBiDiMode != bdLeftToRight && FBiDiMode != bdRightToLeftReadingOnly;
}
UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
    constexpr UINT DT_CENTER_ = 1, DT_RIGHT_ = 2, DT_RTLREADING_ = 0x20000;
    UINT r = Flags;
    if (UseRightToLeftAlignment() && !(r & DT_CENTER_)) r ^= DT_RIGHT_;
    r |= DrawTextBiDiModeFlagsReadingOnly();
    (void)DT_RTLREADING_;
    return r;
}
UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const {
    return UseRightToLeftReading() ? 0x20000 : 0;
}

// --- text ----------------------------------------------------------------------------------------
void TControl::SetText(const String& v) {
    if (GetText() == v) return;
    SetTextCore(v);
}
void TControl::SetTextCore(const String& v) {
    FText = v;
    Perform(CM_TEXTCHANGED, 0, 0);
}
int TControl::GetTextBuf(Char* Buffer, int BufSize) const {
    if (!Buffer || BufSize <= 0) return 0;
    String t = GetText();
    int n = std::min<int>(BufSize - 1, int(t.size()));
    std::copy(t.begin(), t.begin() + n, Buffer);
    Buffer[n] = Char(0);
    return n;
}
void TControl::SetTextBuf(const Char* Buffer) {
    String s;
    if (Buffer)
        while (*Buffer != Char(0))
            s += *Buffer++;
    SetText(s);
}

// --- painting ------------------------------------------------------------------------------------
void TControl::Invalidate() {
    if (FParent && FParent->FWidget && FVisible) {
        TRect nc = NonClientInsets(FindWindowRecord(FParent->FHandle));
        QRect q(FLeft + nc.Left, FTop + nc.Top, FWidth, FHeight);
        InvalidateWidget(FParent->FWidget, &q);
    }
}
void TControl::Update() {
    if (FParent) FParent->Update();
}
void TControl::Repaint() {
    Invalidate();
    Update();
}
void TControl::Changed() {
    Perform(CM_CHANGED, 0, LPARAM(this));
}

// --- mouse ---------------------------------------------------------------------------------------
bool TControl::MouseCapture() const {
    return GetCaptureControl() == this;
}
void TControl::SetMouseCapture(bool v) {
    if (MouseCapture() == v) return;
    SetCaptureControl(v ? this : nullptr);
}

void TControl::Click() {
    // A handler of its own runs instead of the action unless it is the action's handler.
    TBasicAction* action = Action();
    if (OnClick && (!action || !(OnClick == action->OnExecute)))
        OnClick(this);
    else if (action && !ComponentState().Contains(csDesigning))
        FActionLink->Execute(this);
    else if (OnClick)
        OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// Tells the active control of every enclosing form that another control starts a mouse action
// (an open drop-down closes).
void TControl::SendCancelMode(TControl* Sender) {
    for (TControl* c = this; c; c = c->FParent)
        if (auto* f = dynamic_cast<TCustomForm*>(c); f && f->Active() && f->ActiveControl())
            f->ActiveControl()->Perform(CM_CANCELMODE, 0, LPARAM(Sender));
}

TCustomForm* TControl::ParentForm() const {
    return GetParentForm(const_cast<TControl*>(this));
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Shift += KeysToShiftState(Word(Message.WParam));
        MouseDown(Button, Shift, GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    }
}
void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseUp(Button, KeysToShiftState(Word(Message.WParam)), GET_X_LPARAM(Message.LParam),
                GET_Y_LPARAM(Message.LParam));
}

void TControl::WMMouse(TMessage& Message) {
    UINT m = Message.Msg;
    // Without double clicks the second press is an ordinary press.
    if (!FControlStyle.Contains(csDoubleClicks)) {
        if (m == WM_LBUTTONDBLCLK)
            m = WM_LBUTTONDOWN;
        else if (m == WM_RBUTTONDBLCLK)
            m = WM_RBUTTONDOWN;
        else if (m == WM_MBUTTONDBLCLK)
            m = WM_MBUTTONDOWN;
    }
    switch (m) {
    case WM_LBUTTONDOWN:
        SendCancelMode(this);
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
        DoMouseDown(Message, mbLeft, {});
        break;
    case WM_LBUTTONDBLCLK:
        SendCancelMode(this);
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (FControlStyle.Contains(csClickEvents)) DblClick();
        DoMouseDown(Message, mbLeft, {ssDouble});
        break;
    case WM_LBUTTONUP: {
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
        bool clicked = FControlState.Contains(csClicked);
        if (clicked) {
            FControlState.Exclude(csClicked);
            TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            if (ClientRect().Contains(p)) Click();
        }
        DoMouseUp(Message, mbLeft);
        break;
    }
    case WM_RBUTTONDOWN:
        DoMouseDown(Message, mbRight, {});
        break;
    case WM_RBUTTONDBLCLK:
        DoMouseDown(Message, mbRight, {ssDouble});
        break;
    case WM_RBUTTONUP:
        DoMouseUp(Message, mbRight);
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(Message, mbMiddle, {});
        break;
    case WM_MBUTTONDBLCLK:
        DoMouseDown(Message, mbMiddle, {ssDouble});
        break;
    case WM_MBUTTONUP:
        DoMouseUp(Message, mbMiddle);
        break;
    case WM_MOUSEMOVE:
        if (!FControlStyle.Contains(csNoStdEvents))
            MouseMove(KeysToShiftState(Word(Message.WParam)), GET_X_LPARAM(Message.LParam),
                      GET_Y_LPARAM(Message.LParam));
        break;
    }
    DefaultHandler(Message);
    if (Message.Msg == WM_RBUTTONUP && !FControlStyle.Contains(csNoStdEvents) &&
        dynamic_cast<TWinControl*>(this)) {
        // The window's default processing of a right button release asks for the context menu.
        TPoint p = ClientToScreen({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        Perform(WM_CONTEXTMENU, 0, PointToLParam(p.X, p.Y));
    }
}

void TControl::WMMouseWheel(TMessage& Message) {
    TWMMouseWheel w(Message);
    TShiftState s = KeysToShiftState(Word(w.Keys()));
    WPARAM wp = MAKEWPARAM(Word(s.ToInt() & 0xFFFF), Word(w.WheelDelta()));
    Message.Result = Perform(CM_MOUSEWHEEL, wp, Message.LParam);
    if (!Message.Result) DefaultHandler(Message);
}

void TControl::CMMouseWheel(TMessage& Message) {
    TCMMouseWheel w(Message);
    bool handled = DoMouseWheel(w.ShiftState(), w.WheelDelta(), TPoint(w.XPos(), w.YPos()));
    Message.Result = handled ? 1 : 0;
    if (!handled && FParent) Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        if (WheelDelta < 0)
            handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0)
            handled = DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}
bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool h = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, h);
    return h;
}
bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool h = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, h);
    return h;
}

void PopupMenuAt(TPopupMenu* Menu, TControl* Component, int X, int Y);
bool PopupMenuAutoPopup(TPopupMenu* Menu);

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result) return;
    TPoint scr{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TPoint pt = (scr.X == -1 && scr.Y == -1) ? TPoint(-1, -1) : ScreenToClient(scr);
    bool handled = false;
    DoContextPopup(pt, handled);
    Message.Result = handled;
    if (handled) return;
    TPopupMenu* menu = GetPopupMenu();
    if (menu && PopupMenuAutoPopup(menu)) {
        if (scr.X == -1 && scr.Y == -1) scr = ClientToScreen({0, 0});
        PopupMenuAt(menu, this, scr.X, scr.Y);
        Message.Result = 1;
        return;
    }
    if (FParent) {
        Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TControl::WMCancelMode(TMessage& Message) {
    if (MouseCapture()) {
        SetMouseCapture(false);
        FControlState.Exclude(csClicked);
    }
    DefaultHandler(Message);
}

void TControl::CMEnabledChanged(TMessage&) {
    Invalidate();
}
void TControl::CMVisibleChanged(TMessage&) {
    Invalidate();
}
void TControl::CMFontChanged(TMessage&) {
    Invalidate();
}
void TControl::CMColorChanged(TMessage&) {
    Invalidate();
}
void TControl::CMParentFontChanged(TMessage& Message) {
    if (!FParentFont) return;
    TFont* src =
        Message.WParam ? reinterpret_cast<TFont*>(Message.LParam) : (FParent ? FParent->Font() : nullptr);
    if (!src) return;
    ++FUpdatingFont;
    FFont->Assign(src);
    --FUpdatingFont;
    FParentFont = true;
}
void TControl::CMParentColorChanged(TMessage& Message) {
    if (!FParentColor) return;
    TColor c = Message.WParam ? TColor(Message.LParam) : (FParent ? FParent->Color() : FColor);
    if (c == FColor) return;
    FColor = c;
    Perform(CM_COLORCHANGED, 0, 0);
    FParentColor = true;
}
void TControl::CMParentShowHintChanged(TMessage&) {
    if (FParentShowHint && FParent) FShowHint = FParent->ShowHint();
}
void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (FParentBiDiMode && FParent) {
        FBiDiMode = FParent->BiDiMode();
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
}
void TControl::CMMouseEnter(TMessage& Message) {
    if (Message.LParam == 0) {
        FMouseInControl = true;
        if (OnMouseEnter) OnMouseEnter(this);
    }
    if (FParent) FParent->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : LPARAM(this));
}
void TControl::CMMouseLeave(TMessage& Message) {
    if (Message.LParam == 0) {
        FMouseInControl = false;
        if (OnMouseLeave) OnMouseLeave(this);
    }
    if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : LPARAM(this));
}
void TControl::CMHitTest(TMessage& Message) {
    Message.Result = HTCLIENT;
}
void TControl::CMHintShow(TMessage&) {}

// --- drag ----------------------------------------------------------------------------------------
void TControl::BeginDrag(bool, int) {
    FDragging = true;
    TDragObject* obj = nullptr;
    DoStartDrag(obj);
    SetMouseCapture(true);
}
void TControl::EndDrag(bool Drop) {
    if (!FDragging) return;
    FDragging = false;
    SetMouseCapture(false);
    DoEndDrag(nullptr, 0, 0);
    (void)Drop;
}
void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}
void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

// ---------------------------------------------------------------------------------------------
// Helpers
TShiftState KeysToShiftState(Word Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s += ssShift;
    if (Keys & MK_CONTROL) s += ssCtrl;
    if (Keys & MK_LBUTTON) s += ssLeft;
    if (Keys & MK_RBUTTON) s += ssRight;
    if (Keys & MK_MBUTTON) s += ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s += ssAlt;
    return s;
}
Word ShiftStateToKeys(TShiftState Shift) {
    Word k = 0;
    if (Shift.Contains(ssShift)) k |= MK_SHIFT;
    if (Shift.Contains(ssCtrl)) k |= MK_CONTROL;
    if (Shift.Contains(ssLeft)) k |= MK_LBUTTON;
    if (Shift.Contains(ssRight)) k |= MK_RBUTTON;
    if (Shift.Contains(ssMiddle)) k |= MK_MBUTTON;
    return k;
}
TShiftState KeyDataToShiftState(LONG KeyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
    if (KeyData & 0x20000000) s += ssAlt;
    return s;
}
TShiftState KeyboardStateToShiftState(const TKeyboardState& st) {
    TShiftState s;
    if (st[VK_SHIFT] & 0x80) s += ssShift;
    if (st[VK_CONTROL] & 0x80) s += ssCtrl;
    if (st[VK_MENU] & 0x80) s += ssAlt;
    if (st[VK_LBUTTON] & 0x80) s += ssLeft;
    if (st[VK_RBUTTON] & 0x80) s += ssRight;
    if (st[VK_MBUTTON] & 0x80) s += ssMiddle;
    return s;
}
TShiftState KeyboardStateToShiftState() {
    TKeyboardState st;
    GetKeyboardState(st.data());
    return KeyboardStateToShiftState(st);
}

String GetShortHint(const String& Hint) {
    int i = Hint.indexOf(QLatin1Char('|'));
    return i < 0 ? Hint : Hint.left(i);
}
String GetLongHint(const String& Hint) {
    int i = Hint.indexOf(QLatin1Char('|'));
    return i < 0 ? Hint : Hint.mid(i + 1);
}

bool IsAccel(Word VK, const String& Str) {
    for (int i = 0; i + 1 < Str.size(); ++i) {
        if (Str[i] != QLatin1Char('&')) continue;
        if (Str[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return Str[i + 1].toUpper().unicode() == QChar(VK).toUpper().unicode();
    }
    return false;
}

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
    TControl* c = Control;
    TCustomForm* found = nullptr;
    while (c) {
        if (auto* f = dynamic_cast<TCustomForm*>(c)) {
            found = f;
            if (!TopForm) return f;
        }
        c = c->Parent();
    }
    return found;
}
TCustomForm* ValidParentForm(TControl* Control, bool TopForm) {
    TCustomForm* f = GetParentForm(Control, TopForm);
    if (!f)
        throw EInvalidOperation(
            QStringLiteral("Control '%1' has no parent form").arg(Control ? Control->Name() : String()));
    return f;
}

namespace {
TControl* gCaptureControl = nullptr;
}
TControl* GetCaptureControl() {
    if (gCaptureControl) {
        // A windowed control loses capture when its window lost it.
        if (auto* w = dynamic_cast<TWinControl*>(gCaptureControl);
            w && w->HandleAllocated() && GetCapture() != w->Handle())
            gCaptureControl = nullptr;
        return gCaptureControl;
    }
    return FindControl(GetCapture());
}
void SetCaptureControl(TControl* Control) {
    ReleaseCapture();
    gCaptureControl = nullptr;
    if (!Control) return;
    if (auto* w = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(w->Handle());
        gCaptureControl = w;
        return;
    }
    if (Control->Parent()) {
        SetCapture(Control->Parent()->Handle());
        gCaptureControl = Control;
    }
}
void CancelDrag() {}

TControl* FindVCLWindow(const TPoint& Pos) {
    TWinControl* w = FindControl(WindowFromPoint(Pos));
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), false);
    return c ? c : w;
}
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
    TWinControl* w = FindControl(WindowFromPoint(Pos));
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
    return c ? c : w;
}

bool IsFocusInside(TWinControl* Control) {
    if (!Control || !Control->HandleAllocated()) return false;
    HWND f = GetFocus();
    return f && (f == Control->Handle() || IsChild(Control->Handle(), f));
}

// ---------------------------------------------------------------------------------------------
TPoint TMouse::CursorPos() const {
    TPoint p;
    GetCursorPos(&p);
    return p;
}
void TMouse::SetCursorPos(const TPoint& p) {
    ::SetCursorPos(p.X, p.Y);
}
HWND TMouse::Capture() const {
    return GetCapture();
}
void TMouse::SetCapture(HWND h) {
    if (h)
        ::SetCapture(h);
    else
        ReleaseCapture();
}
bool TMouse::IsDragging() const {
    return false;
}
