// The small drop-down windows: the outside-click watch that closes them, the size grip, the
// popup calendar, the popup list box with its row objects, the MRU list and the special row.

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/classes/TypInfo.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QApplication>
#include <QFrame>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TPopupWatchEh

struct TPopupWatchEh::TFilter : QObject {
    TWinControl* Popup;
    TControl* Anchor;
    std::function<void()> OnOutside;
    bool Fired = false;

    bool Inside(QWidget* w, TControl* c) const {
        auto* wc = dynamic_cast<TWinControl*>(c);
        if (!wc && c) wc = c->Parent();
        if (!wc || !wc->Widget() || !w) return false;
        return w == wc->Widget() || wc->Widget()->isAncestorOf(w);
    }
    void Fire() {
        if (Fired) return;
        Fired = true;
        // The callback may free the popup (and this watch): run it after the event is delivered.
        auto fn = OnOutside;
        QMetaObject::invokeMethod(
            qApp, [fn] { fn(); }, Qt::QueuedConnection);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !Inside(w, Popup) && !Inside(w, Anchor)) Fire();
        } else if (e->type() == QEvent::ApplicationDeactivate) {
            Fire();
        }
        return false; // the click goes on to the window it was meant for
    }
};

TPopupWatchEh::TPopupWatchEh(TWinControl* Popup, TControl* Anchor, std::function<void()> OnOutside)
    : FFilter(std::make_unique<TFilter>()) {
    FFilter->Popup = Popup;
    FFilter->Anchor = Anchor;
    FFilter->OnOutside = std::move(OnOutside);
    qApp->installEventFilter(FFilter.get());
}

TPopupWatchEh::~TPopupWatchEh() {
    if (qApp) qApp->removeEventFilter(FFilter.get());
}

// Makes a standard control's widget a drop-down window: placed at screen coordinates above
// everything, shown without activation and never taking the focus from the editor.
void MakeDropDownWindow(QWidget* w) {
    if (!w || w->parentWidget()) return;
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                      Qt::WindowStaysOnTopHint);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->setFocusPolicy(Qt::NoFocus);
    for (QWidget* child : w->findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------------------------
// TSizeGripEh

TSizeGripEh::TSizeGripEh(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csCaptureMouse);
    cs.Include(csReplicatable);
    cs.Include(csParentBackground);
    SetControlStyle(cs);
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    SetColor(clBtnFace);
    SetCursor(crSizeNWSE);
}

void TSizeGripEh::SetPosition(TSizeGripPostion Value) {
    if (FPosition == Value) return;
    FPosition = Value;
    RecreateWnd();
    UpdateWindowRegion();
}

void TSizeGripEh::SetTriangleWindow(bool Value) {
    if (FTriangleWindow == Value) return;
    FTriangleWindow = Value;
    UpdateWindowRegion();
}

void TSizeGripEh::UpdatePosition() {
    TWinControl* host = HostControl();
    if (!host) return;
    const bool old = FInternalMove;
    FInternalMove = true;
    ScopeExit restore([&] { FInternalMove = old; });
    const int cw = host->ClientWidth(), ch = host->ClientHeight();
    int x = 0, y = 0;
    switch (FPosition) {
    case sgpTopLeft:
        break;
    case sgpTopRight:
        x = cw - Width();
        break;
    case sgpBottomRight:
        x = cw - Width(), y = ch - Height();
        break;
    case sgpBottomLeft:
        y = ch - Height();
        break;
    }
    TCustomControl::SetBounds(x, y, Width(), Height());
    // Above the host's own children (a list's viewport, a form's aligned controls).
    if (HandleAllocated() && Widget()) Widget()->raise();
}

void TSizeGripEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!FInternalMove && HostControl() && (ALeft != Left() || ATop != Top())) {
        TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
        UpdatePosition();
        return;
    }
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

std::vector<TPoint> TSizeGripEh::TrianglePoints() const {
    const int w = Width(), h = Height();
    switch (FPosition) {
    case sgpBottomRight:
        return {TPoint(0, h), TPoint(w, h), TPoint(w, 0)};
    case sgpBottomLeft:
        return {TPoint(w, h), TPoint(0, h), TPoint(0, 0)};
    case sgpTopLeft:
        return {TPoint(w - 1, 0), TPoint(0, 0), TPoint(0, h - 1)};
    case sgpTopRight:
        return {TPoint(w, h - 1), TPoint(w, 0), TPoint(1, 0)};
    }
    return {};
}

void TSizeGripEh::UpdateWindowRegion() {
    if (!HandleAllocated()) return;
    if (FTriangleWindow) {
        const std::vector<TPoint> pts = TrianglePoints();
        HRGN rgn = CreatePolygonRgn(pts.data(), int(pts.size()), WINDING);
        Widget()->setMask(RegionOf(rgn));
        DeleteObject(rgn);
    } else {
        Widget()->clearMask();
    }
    UpdatePosition();
    SetCursor(FPosition == sgpTopLeft || FPosition == sgpBottomRight ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEh::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateWindowRegion();
}

void TSizeGripEh::ChangePosition(TSizeGripChangePosition NewPosition) {
    TSizeGripPostion p = FPosition;
    switch (NewPosition) {
    case sgcpToLeft:
        if (p == sgpTopRight) p = sgpTopLeft;
        if (p == sgpBottomRight) p = sgpBottomLeft;
        break;
    case sgcpToRight:
        if (p == sgpTopLeft) p = sgpTopRight;
        if (p == sgpBottomLeft) p = sgpBottomRight;
        break;
    case sgcpToTop:
        if (p == sgpBottomLeft) p = sgpTopLeft;
        if (p == sgpBottomRight) p = sgpTopRight;
        break;
    case sgcpToBottom:
        if (p == sgpTopLeft) p = sgpBottomLeft;
        if (p == sgpTopRight) p = sgpBottomRight;
        break;
    }
    SetPosition(p);
}

void TSizeGripEh::ParentResized() {
    if (OnParentResized) OnParentResized(this);
}

void TSizeGripEh::BeginDrag(const TPoint& ScreenPos) {
    TWinControl* host = HostControl();
    FInitScreenMousePos = ScreenPos;
    FOldMouseMovePos = TPoint(-1, -1);
    if (host) FParentRect = TRect(host->ClientWidth(), host->ClientHeight(), host->Width(), host->Height());
}

void TSizeGripEh::DragTo(const TPoint& ScreenPos) {
    TWinControl* host = HostControl();
    if (!host || FInternalMove || ScreenPos == FOldMouseMovePos) return;
    const TPoint origin = host->Parent() ? host->Parent()->ClientToScreen(TPoint(host->Left(), host->Top()))
                                         : TPoint(host->Left(), host->Top());
    TMonitor* mon = Screen->MonitorFromRect(
        TRect(origin.X, origin.Y, origin.X + host->Width(), origin.Y + host->Height()));
    const TRect wa = mon ? mon->WorkareaRect() : Screen->WorkAreaRect();
    const int dx = ScreenPos.X - FInitScreenMousePos.X, dy = ScreenPos.Y - FInitScreenMousePos.Y;
    const int ncw = host->Width() - host->ClientWidth(), nch = host->Height() - host->ClientHeight();
    int left = host->Left(), top = host->Top(), width = host->Width(), height = host->Height();
    const bool rightGrip = FPosition == sgpTopRight || FPosition == sgpBottomRight;
    const bool bottomGrip = FPosition == sgpBottomLeft || FPosition == sgpBottomRight;
    if (rightGrip) {
        int cw = FParentRect.Left + dx;
        const int excess = origin.X + cw + ncw - wa.Right;
        if (excess > 0) cw -= excess;
        width = cw + ncw;
    } else {
        int w = FParentRect.Right - dx;
        const int newLeft = origin.X + host->Width() - w;
        if (newLeft < wa.Left) w -= wa.Left - newLeft;
        left = host->Left() + (host->Width() - w);
        width = w;
    }
    if (bottomGrip) {
        int ch = FParentRect.Top + dy;
        const int excess = origin.Y + ch + nch - wa.Bottom;
        if (excess > 0) ch -= excess;
        height = ch + nch;
    } else {
        int h = FParentRect.Bottom - dy;
        const int newTop = origin.Y + host->Height() - h;
        if (newTop < wa.Top) h -= wa.Top - newTop;
        top = host->Top() + (host->Height() - h);
        height = h;
    }
    FOldMouseMovePos = ScreenPos;
    const int oldCW = host->ClientWidth(), oldCH = host->ClientHeight();
    host->SetBounds(left, top, std::max(width, 1), std::max(height, 1));
    if (host->ClientWidth() != oldCW || host->ClientHeight() != oldCH) ParentResized();
    UpdatePosition();
}

void TSizeGripEh::DragBy(int DX, int DY) {
    const TPoint start = ClientToScreen(TPoint(Width() / 2, Height() / 2));
    BeginDrag(start);
    DragTo(TPoint(start.X + DX, start.Y + DY));
}

void TSizeGripEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    BeginDrag(ClientToScreen(TPoint(X, Y)));
}

void TSizeGripEh::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (Shift.Contains(ssLeft) && MouseCapture()) DragTo(ClientToScreen(TPoint(X, Y)));
}

void TSizeGripEh::Paint() {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    if (ThemesInUse()) {
        const TThemedScrollBar part = FPosition == sgpTopLeft      ? tsSizeBoxTopRightAlign
                                      : FPosition == sgpTopRight   ? tsSizeBoxTopRightAlign
                                      : FPosition == sgpBottomLeft ? tsSizeBoxLeftAlign
                                                                   : tsSizeBoxRightAlign;
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        StyleServices()->DrawElement(c->Handle(), TCustomStyleServices::GetElementDetails(part), r);
        return;
    }
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    // Diagonals parallel to the hypotenuse, stepping towards the corner in groups of four.
    const TColor colours[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
    const int w = Width(), h = Height();
    for (int i = 1; i < w; ++i) {
        c->Pen()->SetColor(colours[(i - 1) % 4]);
        int x1, y1, x2, y2;
        switch (FPosition) {
        case sgpBottomRight:
            x1 = i, y1 = h, x2 = w, y2 = h - (w - i);
            break;
        case sgpBottomLeft:
            x1 = w - i - 1, y1 = h, x2 = -1, y2 = h - (w - i);
            break;
        case sgpTopRight:
            x1 = i, y1 = -1, x2 = w, y2 = w - i - 1;
            break;
        default:
            x1 = w - i - 1, y1 = -1, x2 = -1, y2 = w - i - 1;
            break;
        }
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    }
}

KVT_REGISTER_CLASS(TSizeGripEh)

// ---------------------------------------------------------------------------------------------
// TPopupMonthCalendarEh

TPopupMonthCalendarEh::TPopupMonthCalendarEh(TComponent* AOwner) : TMonthCalendar(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csReplicatable);
    SetControlStyle(cs);
    SetCtl3D(true);
    SetParentCtl3D(false);
    FBorderWidth = 2;
    SetVisible(false);
    SetAutoSize(true);
}

TPopupMonthCalendarEh::~TPopupMonthCalendarEh() = default;

IComboEditEh* TPopupMonthCalendarEh::ComboEdit() const {
    return dynamic_cast<IComboEditEh*>(Owner());
}

void TPopupMonthCalendarEh::CloseUp(bool Accept) {
    if (IComboEditEh* c = ComboEdit()) c->CloseUp(Accept);
}

void TPopupMonthCalendarEh::CreateParams(TCreateParams& Params) {
    TMonthCalendar::CreateParams(Params);
    Params.Style |= WS_POPUP;
    Params.Style &= ~DWORD(WS_CHILD);
    if (!Ctl3D()) Params.Style |= WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    Params.WindowClass.style = CS_SAVEBITS | CS_DROPSHADOW;
}

// The calendar's frame: the window has no non-client area here, so the calendar keeps a margin
// of the border's width and this see-through layer over it paints the frame.
class TCalendarBorderWidget : public QWidget {
public:
    TCalendarBorderWidget(QWidget* parent, TPopupMonthCalendarEh* owner) : QWidget(parent), FOwner(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        parent->installEventFilter(this);
        setGeometry(parent->rect());
        raise();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o != parentWidget()) return false;
        if (e->type() == QEvent::Resize || e->type() == QEvent::ChildAdded) {
            setGeometry(parentWidget()->rect());
            raise();
        } else if (e->type() == QEvent::MouseButtonPress &&
                   !parentWidget()->contentsRect().contains(
                       static_cast<QMouseEvent*>(e)->position().toPoint())) {
            // A press on the frame is a press outside the calendar: it closes without a date.
            PostMessage(FOwner->Handle(), WM_USER_CLOSEUP, 0, 0);
            return true;
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        HDC dc = CreatePainterDC(&p);
        FOwner->FBorderDC = dc;
        ScopeExit done([&] {
            FOwner->FBorderDC = nullptr;
            DeleteDC(dc);
        });
        // An exception must not cross Qt's paint event.
        try {
            FOwner->PaintBorder();
        } catch (...) {
            if (Application) Application->HandleException(FOwner);
        }
    }

private:
    TPopupMonthCalendarEh* FOwner;
};

QWidget* TPopupMonthCalendarEh::CreateWidget(const TCreateParams& Params, QWidget* /*ParentWidget*/) {
    QWidget* w = TMonthCalendar::CreateWidget(Params, nullptr);
    MakeDropDownWindow(w);
    w->setContentsMargins(FBorderWidth, FBorderWidth, FBorderWidth, FBorderWidth);
    new TCalendarBorderWidget(w, this);
    return w;
}

void TPopupMonthCalendarEh::InitWidget() {
    TMonthCalendar::InitWidget();
    // A new window takes the calendar's size with its frame.
    int w = 0, h = 0;
    CanAutoSize(w, h);
    SetBounds(Left(), Top(), w, h);
}

bool TPopupMonthCalendarEh::CanAutoSize(int& NewWidth, int& NewHeight) {
    // The platform measures the calendar with the margins its widget has; take them off first.
    const TRect r = MinRequiredRect();
    const QMargins m = Widget() ? Widget()->contentsMargins() : QMargins();
    NewWidth = r.Width() - m.left() - m.right() + 2 * FBorderWidth;
    NewHeight = r.Height() - m.top() - m.bottom() + 2 * FBorderWidth;
    return true;
}

void TPopupMonthCalendarEh::PaintBorder() {
    if (!FBorderDC || !Ctl3D()) return;
    TRect r(0, 0, Width(), Height());
    DrawEdge(FBorderDC, r, BDR_RAISEDOUTER, BF_RECT);
    InflateRect(r, -1, -1);
    DrawEdge(FBorderDC, r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupMonthCalendarEh::Click() {
    TMonthCalendar::Click();
    // A click on a day accepts it.
    CloseUp(true);
}

void TPopupMonthCalendarEh::KeyDown(Word& Key, TShiftState Shift) {
    TMonthCalendar::KeyDown(Key, Shift);
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
    }
}

bool TPopupMonthCalendarEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TMonthCalendar::DoMouseWheelDown(Shift, MousePos)) return true;
    SetDate(Date() + 1);
    return true;
}

bool TPopupMonthCalendarEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TMonthCalendar::DoMouseWheelUp(Shift, MousePos)) return true;
    SetDate(Date() - 1);
    return true;
}

void TPopupMonthCalendarEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        TMonthCalendar::Dispatch(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
        return;
    case CM_WANTSPECIALKEY:
        if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
            CloseUp(Message.WParam == VK_RETURN);
            Message.Result = 1;
            return;
        }
        break;
    case WM_USER_CLOSEUP:
        CloseUp(false);
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case CM_CTL3DCHANGED:
        TMonthCalendar::Dispatch(Message);
        FBorderWidth = Ctl3D() ? 2 : 0;
        if (HandleAllocated()) RecreateWnd();
        return;
    case CM_SHOWINGCHANGED:
        TMonthCalendar::Dispatch(Message);
        // A click anywhere else closes the calendar without taking its date.
        if (Showing()) {
            auto* anchor = dynamic_cast<TControl*>(Owner());
            FWatch = std::make_unique<TPopupWatchEh>(
                this, anchor, [this] { PostMessage(Handle(), WM_USER_CLOSEUP, 0, 0); });
        } else {
            FWatch.reset();
        }
        return;
    default:
        break;
    }
    TMonthCalendar::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TPopupListboxItemEh

bool TPopupListboxItemEh::IsSelectable(TPopupListboxEh*, int) {
    return true;
}
void TPopupListboxItemEh::DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect,
                                   TOwnerDrawState State) {
    Sender->DefaultDrawItem(ItemIndex, ARect, State);
}
void TPopupListboxItemEh::HandleMouseDown(TPopupListboxEh*, int, TPoint, TMouseButton, TShiftState) {}
void TPopupListboxItemEh::HandleMouseMove(TPopupListboxEh*, int, TPoint, TShiftState) {}
void TPopupListboxItemEh::HandleMouseUp(TPopupListboxEh* Sender, int ItemIndex, TPoint, TMouseButton,
                                        TShiftState, bool& IsCloseListbox) {
    IsCloseListbox = CloseOnExecute(Sender, ItemIndex);
}
void TPopupListboxItemEh::HandleKey(TPopupListboxEh*, int, Char&, TShiftState, bool&) {}
bool TPopupListboxItemEh::CloseOnExecute(TPopupListboxEh*, int) {
    return true;
}
void TPopupListboxItemEh::Execute(TPopupListboxEh*, int, TPoint, TShiftState) {}

// ---------------------------------------------------------------------------------------------
// TPopupListboxEh

uint32_t (*TPopupListboxEh::TickCount)() = &GetTickCount;

TPopupListboxEh::TPopupListboxEh(TComponent* AOwner) : TCustomListBox(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csReplicatable);
    SetControlStyle(cs);
    SetStyle(lbOwnerDrawFixed);
    SetTabStop(false);
    SetVisible(false);
    OnData = TLBGetDataEvent(this, &TPopupListboxEh::ItemText);
    OnDataObject = TLBGetDataObjectEvent(this, &TPopupListboxEh::ExtItemObject);
    FSizeGrip = new TSizeGripEh(this);
    FSizeGrip->SetParent(this);
    FSizeGrip->SetTriangleWindow(true);
    FSizeGrip->SetVisible(false); // shown when the owner asks for it
    FBorderWidth = Ctl3D() ? 2 : 0;
}

TPopupListboxEh::~TPopupListboxEh() = default;

void TPopupListboxEh::CreateParams(TCreateParams& Params) {
    TCustomListBox::CreateParams(Params);
    Params.Style |= WS_POPUP | WS_CLIPCHILDREN;
    Params.Style &= ~DWORD(WS_CHILD);
    if (CustomStyleInUse() || !Ctl3D()) Params.Style |= WS_BORDER;
    Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WindowClass.style |= CS_SAVEBITS | CS_DROPSHADOW;
}

QWidget* TPopupListboxEh::CreateWidget(const TCreateParams& Params, QWidget* /*ParentWidget*/) {
    QWidget* w = TCustomListBox::CreateWidget(Params, nullptr);
    MakeDropDownWindow(w);
    return w;
}

void TPopupListboxEh::CreateWnd() {
    TCustomListBox::CreateWnd();
    FSizeGrip->UpdatePosition();
}

void TPopupListboxEh::InitWidget() {
    TCustomListBox::InitWidget();
    PaintBorder();
}

int TPopupListboxEh::GetTextHeight() {
    HDC dc = ScreenDC();
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRICW tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    return tm.tmHeight;
}

void TPopupListboxEh::InvalidateIndex(int Index) {
    if (Index < 0 || !HandleAllocated()) return;
    TRect r = ItemRect(Index);
    InvalidateRect(Handle(), &r, FALSE);
}

int TPopupListboxEh::NonClientHeight() {
    TCreateParams p;
    CreateParams(p);
    TRect r(0, 0, 0, 0);
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    return r.Height() + 2 * FBorderWidth;
}

void TPopupListboxEh::SetRowCount(int Value) {
    SetHeight(std::max(Value, 1) * ItemHeight() + NonClientHeight());
}

void TPopupListboxEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int itemHeight = ItemHeight() > 0 ? ItemHeight() : GetTextHeight();
    const int nc = NonClientHeight();
    const int rows = std::max(1, (AHeight - nc) / std::max(itemHeight, 1));
    FRowCount = rows;
    TCustomListBox::SetBounds(ALeft, ATop, AWidth, nc + rows * itemHeight);
    if (FSizeGrip) {
        FSizeGrip->UpdatePosition();
        FSizeGrip->BringToFront();
    }
    FSizeGripResized = true;
}

void TPopupListboxEh::SetExtItems(TStrings* Value) {
    if (FExtItems == Value) return;
    FExtItems = Value;
    SetStyle(Value ? lbVirtualOwnerDraw : lbOwnerDrawFixed);
    if (Value) SetCount(Value->Count());
}

void TPopupListboxEh::ItemText(TWinControl*, int Index, String& Data) {
    if (FExtItems) Data = FExtItems->Strings(Index);
}

void TPopupListboxEh::ExtItemObject(TWinControl*, int Index, TObject*& DataObject) {
    if (FExtItems) DataObject = FExtItems->Objects(Index);
}

TPopupListboxItemEh* TPopupListboxEh::ItemObject(int Index) {
    if (!FUseItemObjects || Index < 0 || Index >= Count()) return nullptr;
    TObject* o = FExtItems ? FExtItems->Objects(Index) : Items()->Objects(Index);
    return dynamic_cast<TPopupListboxItemEh*>(o);
}

void TPopupListboxEh::PaintBorder() {
    // The list's frame is its border: raised and two pixels wide when 3-D, else a plain line.
    if (QFrame* frame = List()) {
        if (FBorderWidth > 0) {
            frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
            frame->setLineWidth(FBorderWidth);
        } else {
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            frame->setLineWidth(1);
        }
    }
}

void TPopupListboxEh::DefaultDrawItem(int Index, const TRect& ARect, TOwnerDrawState State) {
    TCanvas* c = Canvas();
    String text = FExtItems ? FExtItems->Strings(Index) : Items()->Strings(Index);
    if (!FImageList) {
        c->FillRect(ARect);
        c->TextRect(ARect, ARect.Left + 2, ARect.Top, text);
        return;
    }
    const int strip = FImageList->Width() + 4;
    const bool rtl = UseRightToLeftAlignment();
    TRect imageRect = ARect, textRect = ARect;
    if (rtl) {
        imageRect.Left = ARect.Right - strip;
        textRect.Right = imageRect.Left;
    } else {
        imageRect.Right = ARect.Left + strip;
        textRect.Left = imageRect.Right;
    }
    int imageIndex = Index;
    if (OnGetImageIndex) OnGetImageIndex(Owner(), Index, imageIndex);
    c->FillRect(ARect);
    PaintImageCentred(c->Handle(), imageRect, FImageList, imageIndex, State.Contains(odSelected));
    const int x = rtl ? textRect.Right - c->TextWidth(text) - 2 : ARect.Left + FImageList->Width() + 5;
    HDC dc = c->Handle();
    SetBkColor(dc, COLORREF(ColorToRGB(c->Brush()->Color())));
    SetTextColor(dc, COLORREF(ColorToRGB(c->Font()->Color())));
    ExtTextOut(dc, x, ARect.Top, ETO_OPAQUE | ETO_CLIPPED, &textRect, text);
}

void TPopupListboxEh::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    TPopupListboxItemEh* obj = ItemObject(Index);
    if (obj && !obj->IsSelectable(this, Index)) State.Exclude(odFocused);
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(Color());
    if (State.Contains(odSelected)) {
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
    }
    if (Index < 0) {
        c->FillRect(Rect);
        return;
    }
    if (obj)
        obj->DrawItem(this, Index, Rect, State);
    else
        DefaultDrawItem(Index, Rect, State);
    if (State.Contains(odFocused)) c->DrawFocusRect(Rect);
}

void TPopupListboxEh::KeyPress(Char& Key) {
    const int cur = ItemIndex();
    if (TPopupListboxItemEh* obj = ItemObject(cur)) {
        bool close = false;
        obj->HandleKey(this, cur, Key, CurrentShiftKeys(), close);
    }
    TCustomListBox::KeyPress(Key);
    if (Key == QChar(8) || Key == QChar(27)) {
        FSearchText.clear();
        return;
    }
    if (Key.unicode() < 32) return;
    const uint32_t now = TickCount();
    if (now - FSearchTickCount > 2000) FSearchText.clear();
    FSearchTickCount = now;
    if (FSearchText.size() < 32) FSearchText += Key;
    // The whole list from the top (not from row 0xFFFF on).
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const String s = FExtItems ? FExtItems->Strings(i) : Items()->Strings(i);
        if (LocaleCompareText(s.left(FSearchText.size()), FSearchText) == 0) {
            SetItemIndex(i);
            break;
        }
    }
    Key = QChar(0);
}

void TPopupListboxEh::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomListBox::MouseMove(Shift, X, Y);
    const TPoint p(X, Y);
    if (p != FMousePos && !Shift.Contains(ssLeft) && !Shift.Contains(ssRight) && !Shift.Contains(ssMiddle)) {
        FMousePos = p;
        const int i = ItemAtPos(p, true);
        if (i >= 0) {
            SetItemIndex(i);
            if (i != FMouseIndex) {
                InvalidateIndex(FMouseIndex);
                InvalidateIndex(i);
                FMouseIndex = i;
            }
        }
    }
    if (TPopupListboxItemEh* obj = ItemObject(ItemAtPos(p, true)))
        obj->HandleMouseMove(this, ItemAtPos(p, true), p, Shift);
}

void TPopupListboxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FIsMouseUpCloseListbox = true;
    TCustomListBox::MouseDown(Button, Shift, X, Y);
    const int i = ItemAtPos(TPoint(X, Y), true);
    if (TPopupListboxItemEh* obj = ItemObject(i)) obj->HandleMouseDown(this, i, TPoint(X, Y), Button, Shift);
}

void TPopupListboxEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FIsMouseUpCloseListbox = true;
    const int i = ItemAtPos(TPoint(X, Y), true);
    if (TPopupListboxItemEh* obj = ItemObject(i))
        obj->HandleMouseUp(this, i, TPoint(X, Y), Button, Shift, FIsMouseUpCloseListbox);
    TCustomListBox::MouseUp(Button, Shift, X, Y);
}

bool TPopupListboxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (!TCustomListBox::DoMouseWheelDown(Shift, MousePos)) SetTopIndex(TopIndex() + 1);
    return true;
}

bool TPopupListboxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (!TCustomListBox::DoMouseWheelUp(Shift, MousePos)) SetTopIndex(std::max(0, TopIndex() - 1));
    return true;
}

void TPopupListboxEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_USER_SIZEGRIPSIDE:
        FSizeGrip->ChangePosition(TSizeGripChangePosition(Message.WParam));
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TCustomListBox::Dispatch(Message);
        InvalidateIndex(ItemIndex());
        return;
    case WM_USER_CLOSEUP:
        if (auto* c = dynamic_cast<IComboEditEh*>(Owner())) c->CloseUp(false);
        return;
    case CM_SHOWINGCHANGED:
        TCustomListBox::Dispatch(Message);
        // An owner that closes popups (an editor) is asked to close the list on a click elsewhere.
        if (Showing() && dynamic_cast<IComboEditEh*>(Owner()))
            FWatch = std::make_unique<TPopupWatchEh>(this, dynamic_cast<TControl*>(Owner()), [this] {
                PostMessage(Handle(), WM_USER_CLOSEUP, 0, 0);
            });
        else
            FWatch.reset();
        return;
    default:
        break;
    }
    TCustomListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TMRUListEh

TMRUListEh::TMRUListEh(TPersistent* AOwner) : FItems(std::make_unique<TStringList>()), FOwner(AOwner) {}

TMRUListEh::~TMRUListEh() = default;

void TMRUListEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TMRUListEh*>(Source)) {
        SetActive(s->FActive);
        SetItems(s->FItems.get());
        SetLimit(s->FLimit);
        FRows = s->FRows;
        FCaseSensitive = s->FCaseSensitive;
        return;
    }
    TPersistent::Assign(Source);
}

void TMRUListEh::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (OnActiveChanged) OnActiveChanged(this);
}

void TMRUListEh::SetItems(TStrings* Value) {
    FItems->Assign(Value);
}

void TMRUListEh::SetLimit(int Value) {
    Value = std::max(Value, 0);
    if (FLimit == Value) return;
    FLimit = Value;
    Trim();
}

void TMRUListEh::Trim() {
    while (FItems->Count() > FLimit)
        FItems->Delete(0);
}

void TMRUListEh::Add(const String& S) {
    if (::Trim(S).isEmpty()) return;
    for (int i = 0; i < FItems->Count(); ++i) {
        const String& item = FItems->Strings(i);
        const bool same = FCaseSensitive ? item == S : LocaleCompareText(item, S) == 0;
        if (same) {
            FItems->Move(i, FItems->Count() - 1);
            return;
        }
    }
    FItems->Add(S);
    Trim();
}

bool TMRUListEh::FilterItemsTo(TStrings* FilteredItems, const String& MaskText) {
    FilteredItems->BeginUpdate();
    ScopeExit end([&] { FilteredItems->EndUpdate(); });
    FilteredItems->Clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        if (i % 100 == 0 && FCancelIfKeyInQueue) {
            MSG m;
            if (PeekMessage(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) return false;
        }
        const String& item = FItems->Strings(i);
        const String head = item.left(MaskText.size());
        bool accept =
            FCaseSensitive ? LocaleCompareStr(head, MaskText) == 0 : LocaleCompareText(head, MaskText) == 0;
        if (OnFilterItem) OnFilterItem(this, accept);
        if (accept) FilteredItems->Add(item);
    }
    return true;
}

void TMRUListEh::DropDown() {
    if (OnSetDropDown) OnSetDropDown(this);
}

void TMRUListEh::CloseUp(bool Accept) {
    if (OnSetCloseUpEvent) OnSetCloseUpEvent(this, Accept);
}

// ---------------------------------------------------------------------------------------------
// TMRUListboxEh

TMRUListboxEh::TMRUListboxEh(TComponent* AOwner) : TPopupListboxEh(AOwner) {
    FScrollBar = new TScrollBar(this);
    FScrollBar->SetKind(sbVertical);
    FScrollBar->SetParent(this);
    FScrollBar->SetVisible(false);
    FScrollBar->OnChange =
        TNotifyEvent::Callable([this](TObject*) { SetTopIndex(FScrollBar->Position()); }, this);
}

void TMRUListboxEh::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    FScrollBarLockMove = true;
    ScopeExit unlock([&] { FScrollBarLockMove = false; });
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const TSizeGripPostion gp = SizeGrip()->Position();
    int top = 0, bottom = ClientHeight();
    if (gp == sgpTopRight) top = SizeGrip()->Height();
    if (gp == sgpBottomRight) bottom -= SizeGrip()->Height();
    FScrollBar->SetBounds(ClientWidth() - w, top, w, bottom - top);
    const int rows = ItemHeight() > 0 ? ClientHeight() / ItemHeight() : 0;
    const bool rightGrip = gp == sgpTopRight || gp == sgpBottomRight;
    if (Count() > 0 && Count() > rows) {
        FScrollBar->SetParams(TopIndex(), 0, Count() - 1);
        FScrollBar->SetPageSize(rows);
        FScrollBar->SetVisible(true);
        SizeGrip()->SetTriangleWindow(!rightGrip);
    } else {
        FScrollBar->SetVisible(false);
        SizeGrip()->SetTriangleWindow(true);
    }
}

void TMRUListboxEh::Dispatch(TMessage& Message) {
    TPopupListboxEh::Dispatch(Message);
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_MOUSEWHEEL:
    case WM_USER_SIZEGRIPSIDE:
    case CM_CHANGED:
        UpdateScrollBar();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TSpecRowEh

TSpecRowEh::TSpecRowEh(TPersistent* Owner)
    : FCellsStrings(std::make_unique<TStringList>()), FFont(std::make_unique<TFont>()), FOwner(Owner) {
    FFont->Assign(DefaultFont());
    FFont->OnChange = TNotifyEvent(this, &TSpecRowEh::FontChanged);
}

TSpecRowEh::~TSpecRowEh() = default;

void TSpecRowEh::Changed() {
    if (FUpdateCount == 0 && OnChanged) OnChanged(this);
}

void TSpecRowEh::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TSpecRowEh::FontChanged(TObject*) {
    if (FFontUpdating) return;
    FFontAssigned = true;
    Changed();
}

TFont* TSpecRowEh::DefaultFont() const {
    if (auto* c = dynamic_cast<TControl*>(FOwner)) return c->Font();
    return FFont.get();
}

TColor TSpecRowEh::DefaultColor() const {
    if (auto* c = dynamic_cast<TCustomControl*>(FOwner)) return c->Color();
    return FColor;
}

TFont* TSpecRowEh::Font() {
    TFont* def = DefaultFont();
    if (!FFontAssigned && def != FFont.get() && def->Handle() != FFont->Handle()) {
        FFontUpdating = true;
        ScopeExit done([&] { FFontUpdating = false; });
        FFont->Assign(def);
    }
    return FFont.get();
}

void TSpecRowEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
    FFontAssigned = true;
    Changed();
}

void TSpecRowEh::SetColor(TColor Value) {
    if (FColorAssigned && FColor == Value) return;
    FColor = Value;
    FColorAssigned = true;
    Changed();
}

void TSpecRowEh::SetValue(const Variant& Value) {
    if (VariantsEqual(FValue, Value) && VarType(FValue) == VarType(Value)) return;
    FValue = Value;
    Changed();
}

void TSpecRowEh::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    Changed();
}

void TSpecRowEh::SetShowIfNotInKeyList(bool Value) {
    if (FShowIfNotInKeyList == Value) return;
    FShowIfNotInKeyList = Value;
    Changed();
}

String TSpecRowEh::GetCellText(int Index) const {
    return Index >= 0 && Index < FCellsStrings->Count() ? FCellsStrings->Strings(Index) : String();
}

bool TSpecRowEh::LocateKey(const Variant& KeyValue) const {
    return FVisible && VariantsEqual(FValue, KeyValue);
}

void TSpecRowEh::SetCellsText(const String& Value) {
    if (FCellsText == Value) return;
    FCellsText = Value;
    FCellsStrings->BeginUpdate();
    ScopeExit end([&] { FCellsStrings->EndUpdate(); });
    FCellsStrings->Clear();
    const qsizetype n = Value.size();
    qsizetype i = 0;
    while (i < n && Value.at(i).unicode() >= 1 && Value.at(i).unicode() <= 32)
        ++i;
    while (i < n) {
        String cell;
        if (Value.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (Value.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && Value.at(i + 1) == QLatin1Char('"')) {
                        cell += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += Value.at(i++);
            }
        } else {
            while (i < n && Value.at(i) != QLatin1Char(';') && Value.at(i).unicode() >= 32)
                cell += Value.at(i++);
        }
        FCellsStrings->Add(cell);
        while (i < n && Value.at(i).unicode() >= 1 && Value.at(i).unicode() <= 31)
            ++i;
        if (i < n && Value.at(i) == QLatin1Char(';')) {
            ++i;
            while (i < n && Value.at(i).unicode() >= 1 && Value.at(i).unicode() <= 31)
                ++i;
        }
    }
    Changed();
}

void TSpecRowEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TSpecRowEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    ScopeExit end([&] { EndUpdate(); });
    SetCellsText(s->FCellsText);
    SetColor(s->Color());
    if (s->FFontAssigned) SetFont(s->FFont.get());
    FShortCut = s->FShortCut;
    SetShowIfNotInKeyList(s->FShowIfNotInKeyList);
    SetValue(s->FValue);
    SetVisible(s->FVisible);
}

// Stored properties (the enumerations' names are in ToolCtrlsEhPublished.cpp).

KVT_PUBLISHED(TMRUListEh) {
    using C = TMRUListEh;
    P.Prop("AutoAdd", &C::AutoAdd, &C::SetAutoAdd).Default(true);
    P.Prop("Active", &C::Active, &C::SetActive).Default(false);
    P.Prop("CaseSensitive", &C::CaseSensitive, &C::SetCaseSensitive).Default(false);
    P.Prop("Items", &C::Items, &C::SetItems);
    P.Prop("Limit", &C::Limit, &C::SetLimit).Default(100);
    P.Prop("Rows", &C::Rows, &C::SetRows).Default(7);
}

KVT_PUBLISHED(TSpecRowEh) {
    using C = TSpecRowEh;
    P.Prop("CellsText", &C::CellsText, &C::SetCellsText);
    P.Prop("Color", &C::Color, &C::SetColor).Stored(&C::ColorAssigned);
    P.Prop(
         "Font", [](C* c) { return c->Font(); }, &C::SetFont)
        .Stored(&C::FontAssigned);
    P.Prop("ShortCut", &C::ShortCut, &C::SetShortCut).Default(32814);
    P.Prop("ShowIfNotInKeyList", &C::ShowIfNotInKeyList, &C::SetShowIfNotInKeyList).Default(true);
    P.Prop("Value", &C::Value, &C::SetValue).Stored([](C* c) { return !c->Value().IsNull(); });
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(false);
}
