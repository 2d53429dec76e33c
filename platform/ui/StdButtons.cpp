// Buttons, check boxes, radio buttons and the scroll-bar control.

#include "platform/ui/StdCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WindowBridge.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {
// Qt shows "&&" as "&" and "&x" as an underlined x, like the platform.
void NotifyClicked(TWinControl* c) {
    GuardedCall([c] {
        if (!c->HandleAllocated()) return;
        if (c->Parent())
            c->Parent()->Perform(WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(c->Handle()));
        else
            c->Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(c->Handle()));
    });
}
} // namespace

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

QAbstractButton* TButtonControl::Button() const {
    return qobject_cast<QAbstractButton*>(FWidget);
}

void TButtonControl::SetWordWrap(bool v) {
    FWordWrap = v;
}

void TButtonControl::CMTextChanged(TMessage& Message) {
    if (QAbstractButton* b = Button()) b->setText(FText);
    TWinControl::CMTextChanged(Message);
}

// ---------------------------------------------------------------------------------------------
TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FTabStop = true;
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    Params.Style |= FDefault ? 1u /*BS_DEFPUSHBUTTON*/ : 0u;
}

QWidget* TButton::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* b = new QPushButton(ParentWidget);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] { NotifyClicked(this); });
    return b;
}

void TButton::InitWidget() {
    auto* b = static_cast<QPushButton*>(FWidget);
    b->setText(FText);
    FActive = FDefault;
    b->setDefault(FActive);
}

void TButton::SetDefault(bool v) {
    FDefault = v;
    if (HandleAllocated())
        if (TCustomForm* f = GetParentForm(this)) f->Perform(CM_FOCUSCHANGED, 0, LPARAM(f->ActiveControl()));
}

void TButton::Click() {
    if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::CMDialogKey(TMessage& Message) {
    TWMKey k(Message);
    if (((k.CharCode() == VK_RETURN && FActive) || (k.CharCode() == VK_ESCAPE && FCancel)) &&
        KeyDataToShiftState(k.KeyData()).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::Dispatch(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
    TCMFocusChanged f(Message);
    if (dynamic_cast<TButton*>(f.Sender()))
        FActive = f.Sender() == this;
    else
        FActive = FDefault;
    if (auto* b = qobject_cast<QPushButton*>(FWidget)) b->setDefault(FActive);
}

void TButton::CNCommand(TMessage& Message) {
    if (HiWord(Message.WParam) == BN_CLICKED) Click();
}

void TButton::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void TButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_FOCUSCHANGED:
        CMFocusChanged(Message);
        return;
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), FText) && CanFocus()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FTabStop = true;
    SetBounds(0, 0, 97, 17);
}

QWidget* TCustomCheckBox::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* b = new QCheckBox(ParentWidget);
    b->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(b, &QCheckBox::clicked, b, [this] { NotifyClicked(this); });
    return b;
}

void TCustomCheckBox::InitWidget() {
    auto* b = static_cast<QCheckBox*>(FWidget);
    b->setText(FText);
    b->setTristate(FAllowGrayed || FState == cbGrayed);
    b->setCheckState(FState == cbChecked  ? Qt::Checked
                     : FState == cbGrayed ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
    b->setLayoutDirection(FAlignment == lrLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCustomCheckBox::SetState(TCheckBoxState v) {
    if (FState == v) return;
    FState = v;
    if (auto* b = qobject_cast<QCheckBox*>(FWidget)) {
        QSignalBlocker block(b);
        if (v == cbGrayed) b->setTristate(true);
        b->setCheckState(v == cbChecked ? Qt::Checked : v == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    if (!FClicksDisabled) Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight v) {
    FAlignment = v;
    if (FWidget) InitWidget();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::CNCommand(TMessage& Message) {
    if (HiWord(Message.WParam) == BN_CLICKED) {
        Toggle();
        // The widget toggled itself; it shows the state decided here.
        if (auto* b = qobject_cast<QCheckBox*>(FWidget)) {
            QSignalBlocker block(b);
            b->setCheckState(FState == cbChecked  ? Qt::Checked
                             : FState == cbGrayed ? Qt::PartiallyChecked
                                                  : Qt::Unchecked);
        }
    }
}

void TCustomCheckBox::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_BUTTON;
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), FText) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            Message.Result = 1;
        }
        return;
    }
    TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 113, 17);
}

QWidget* TRadioButton::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* b = new QRadioButton(ParentWidget);
    b->setAutoExclusive(false);
    b->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(b, &QRadioButton::clicked, b, [this] { NotifyClicked(this); });
    return b;
}

void TRadioButton::InitWidget() {
    auto* b = static_cast<QRadioButton*>(FWidget);
    b->setText(FText);
    b->setChecked(FChecked);
    b->setLayoutDirection(FAlignment == lrLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TRadioButton::SetChecked(bool v) {
    if (FChecked == v) return;
    FChecked = v;
    SetTabStop(v);
    if (auto* b = qobject_cast<QRadioButton*>(FWidget)) {
        QSignalBlocker block(b);
        b->setChecked(v);
    }
    if (v) {
        // Turn the siblings off.
        if (FParent)
            for (int i = 0; i < FParent->ControlCount(); ++i)
                if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r != this)
                    r->SetChecked(false);
        Changed();
        if (!FClicksDisabled) Click();
    }
}

void TRadioButton::CNCommand(TMessage& Message) {
    if (HiWord(Message.WParam) == BN_CLICKED) {
        SetChecked(true);
        if (auto* b = qobject_cast<QRadioButton*>(FWidget)) {
            QSignalBlocker block(b);
            b->setChecked(FChecked);
        }
    } else if (HiWord(Message.WParam) == BN_DOUBLECLICKED) {
        DblClick();
    }
}

void TRadioButton::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
}

void TRadioButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), FText) && CanFocus()) {
            SetFocus();
            SetChecked(true);
            Message.Result = 1;
        }
        return;
    case CM_ENTER:
        // Moving into a radio button with the arrow keys checks it.
        TButtonControl::Dispatch(Message);
        return;
    }
    TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csFramed, csDoubleClicks, csOpaque};
    FTabStop = true;
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
}

QWidget* TScrollBar::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* sb = new QScrollBar(FKind == sbHorizontal ? Qt::Horizontal : Qt::Vertical, ParentWidget);
    sb->setFocusPolicy(Qt::NoFocus);
    auto send = [this](int code, int pos) {
        GuardedCall([this, code, pos] {
            if (!HandleAllocated()) return;
            UINT m = FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL;
            WPARAM wp = MAKEWPARAM(Word(code), Word(SmallInt(pos)));
            if (FParent)
                FParent->Perform(m, wp, LPARAM(Handle()));
            else
                Perform(CN_BASE + m, wp, LPARAM(Handle()));
        });
    };
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [this, sb, send](int action) {
        if (action == QAbstractSlider::SliderMove) {
            send(SB_THUMBTRACK, sb->sliderPosition());
            return;
        }
        const int code = ScrollCodeOfSliderAction(action);
        if (code < 0) return;
        sb->setSliderPosition(FPosition);
        send(code, FPosition);
        send(SB_ENDSCROLL, FPosition);
    });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [sb, send, this] {
        send(SB_THUMBPOSITION, sb->sliderPosition());
        send(SB_ENDSCROLL, FPosition);
        SyncWidget();
    });
    return sb;
}

void TScrollBar::InitWidget() {
    SyncWidget();
}

void TScrollBar::SyncWidget() {
    auto* sb = qobject_cast<QScrollBar*>(FWidget);
    if (!sb) return;
    QSignalBlocker block(sb);
    sb->setOrientation(FKind == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
    sb->setRange(FMin, std::max(FMin, FMax - std::max(FPageSize - 1, 0)));
    sb->setPageStep(std::max(1, FPageSize));
    sb->setSingleStep(std::max(1, FSmallChange));
    sb->setValue(FPosition);
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (FKind == v) return;
    FKind = v;
    SetBounds(FLeft, FTop, FHeight, FWidth);
    SyncWidget();
}

void TScrollBar::SetPageSize(int v) {
    if (v == FPageSize) return;
    if (v < 0 || v > FMax - FMin + 1)
        throw EInvalidOperation(QStringLiteral("Scrollbar property out of range"));
    FPageSize = v;
    SyncWidget();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin || APosition < AMin || APosition > AMax)
        throw EInvalidOperation(QStringLiteral("Scrollbar property out of range"));
    if (FPageSize > AMax - AMin + 1)
        throw EInvalidOperation(QStringLiteral("Scrollbar property out of range"));
    bool changed = APosition != FPosition;
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    SyncWidget();
    if (changed) Change();
}

void TScrollBar::Change() {
    TControl::Changed();
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::DoScroll(TMessage& Message) {
    TWMScroll s(Message);
    int pos = FPosition;
    auto code = TScrollCode(s.ScrollCode());
    switch (code) {
    case scLineUp:
        pos -= FSmallChange;
        break;
    case scLineDown:
        pos += FSmallChange;
        break;
    case scPageUp:
        pos -= FLargeChange;
        break;
    case scPageDown:
        pos += FLargeChange;
        break;
    case scPosition:
    case scTrack:
        // The 32-bit position: the message carries only 16 bits.
        if (auto* sb = qobject_cast<QScrollBar*>(FWidget))
            pos = sb->sliderPosition();
        else
            pos = s.Pos();
        break;
    case scTop:
        pos = FMin;
        break;
    case scBottom:
        pos = FMax;
        break;
    default:
        break;
    }
    pos = std::clamp(pos, FMin, FMax);
    Scroll(code, pos);
    pos = std::clamp(pos, FMin, FMax);
    if (pos != FPosition) SetParams(pos, FMin, FMax);
}

void TScrollBar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
        DoScroll(Message);
        return;
    case SBM_SETSCROLLINFO:
        if (auto* si = reinterpret_cast<const SCROLLINFO*>(Message.LParam)) {
            int mn = si->fMask & SIF_RANGE ? si->nMin : FMin, mx = si->fMask & SIF_RANGE ? si->nMax : FMax;
            if (si->fMask & SIF_PAGE) FPageSize = int(std::min<long>(si->nPage, long(mx) - mn + 1));
            int pos = si->fMask & SIF_POS ? si->nPos : FPosition;
            int maxPos = std::max(mn, mx - std::max(FPageSize - 1, 0));
            FMin = mn;
            FMax = mx;
            FPosition = std::clamp(pos, mn, maxPos);
            SyncWidget();
            Message.Result = FPosition;
        }
        return;
    case SBM_GETSCROLLINFO:
        if (auto* si = reinterpret_cast<SCROLLINFO*>(Message.LParam)) {
            if (si->fMask & SIF_RANGE) si->nMin = FMin, si->nMax = FMax;
            if (si->fMask & SIF_PAGE) si->nPage = UINT(FPageSize);
            if (si->fMask & SIF_POS) si->nPos = FPosition;
            if (si->fMask & SIF_TRACKPOS) {
                auto* sb = qobject_cast<QScrollBar*>(FWidget);
                si->nTrackPos = sb ? sb->sliderPosition() : FPosition;
            }
            Message.Result = 1;
        }
        return;
    }
    TWinControl::Dispatch(Message);
}
