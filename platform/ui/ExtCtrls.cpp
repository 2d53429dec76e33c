// Panels, radio groups, shapes, bevels, labeled edits, timers and images.

#include "platform/ui/ExtCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

// ---------------------------------------------------------------------------------------------
TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,  csSetCaption,
                     csOpaque,          csDoubleClicks, csReplicatable, csParentBackground};
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FBevelOuter = bvRaised;
    FBevelInner = bvNone;
    FBevelWidth = 1;
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.Style |= WS_BORDER;
}

// The panel's bevels are drawn in the client area and reduce the area for aligned children.
void TCustomPanel::AdjustClientRect(TRect& Rect) {
    Rect.Inflate(-FBorderWidth, -FBorderWidth);
    int bevel = 0;
    if (FBevelOuter != bvNone) bevel += FBevelWidth;
    if (FBevelInner != bvNone) bevel += FBevelWidth;
    Rect.Inflate(-bevel, -bevel);
}

void TCustomPanel::SetAlignment(TAlignment v) {
    FAlignment = v;
    Invalidate();
}
void TCustomPanel::SetVerticalAlignment(TVerticalAlignment v) {
    FVerticalAlignment = v;
    Invalidate();
}
void TCustomPanel::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TCustomPanel::SetShowCaption(bool v) {
    FShowCaption = v;
    Invalidate();
}

void TCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto colors = [](TBevelCut b, TColor& top, TColor& bottom) {
        top = clBtnHighlight;
        bottom = clBtnShadow;
        if (b == bvLowered) std::swap(top, bottom);
    };
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        colors(FBevelOuter, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    if (FBorderWidth > 0) Frame3D(c, r, FColor, FColor, FBorderWidth);
    if (FBevelInner != bvNone) {
        colors(FBevelInner, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    if (!ParentBackground() || !FParent) {
        c->Brush()->SetColor(FColor);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    if (FShowCaption && !FText.isEmpty()) {
        c->Brush()->SetStyle(bsClear);
        c->Font()->Assign(Font());
        UINT flags = DT_EXPANDTABS | DT_SINGLELINE;
        flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
        flags |= FVerticalAlignment == taAlignTop      ? DT_TOP
                 : FVerticalAlignment == taAlignBottom ? DT_BOTTOM
                                                       : DT_VCENTER;
        flags = DrawTextBiDiModeFlags(flags);
        HDC dc = c->Handle();
        SelectObject(dc, Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
        DrawText(dc, FText, -1, &r, flags);
    }
}

void TCustomPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_BORDERCHANGED:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
namespace {
class TGroupButton : public TRadioButton {
    KVT_CLASS(TGroupButton, TRadioButton)
public:
    TGroupButton(TCustomRadioGroup* group) : TRadioButton(nullptr), FGroup(group) {}
    void Click() override {
        if (FInClick) return;
        FInClick = true;
        struct R {
            bool& b;
            ~R() { b = false; }
        } r{FInClick};
        if (Checked()) FGroup->ButtonClick(this);
        TRadioButton::Click();
    }
    void KeyPress(Char& Key) override {
        TRadioButton::KeyPress(Key);
        FGroup->Perform(CM_DIALOGCHAR, Key.unicode(), 0);
    }

private:
    TCustomRadioGroup* FGroup;
    bool FInClick = false;
};
} // namespace

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks, csParentBackground};
    FItems = std::make_unique<TStringList>();
    FItems->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChange);
}

TCustomRadioGroup::~TCustomRadioGroup() {
    for (auto* b : FButtons)
        b->Free();
    FButtons.clear();
}

void TCustomRadioGroup::ItemsChange(TObject*) {
    if (FReading) return;
    if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    ArrangeButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    FUpdating = true;
    while (int(FButtons.size()) < FItems->Count()) {
        auto* b = new TGroupButton(this);
        b->SetParent(this);
        b->SetParentFont(true);
        FButtons.push_back(b);
    }
    while (int(FButtons.size()) > FItems->Count()) {
        FButtons.back()->Free();
        FButtons.pop_back();
    }
    for (int i = 0; i < int(FButtons.size()); ++i) {
        TRadioButton* b = FButtons[size_t(i)];
        b->SetCaption(FItems->Strings(i));
        b->SetEnabled(Enabled());
    }
    if (FItemIndex >= 0 && FItemIndex < int(FButtons.size())) {
        FButtons[size_t(FItemIndex)]->SetChecked(true);
    }
    FUpdating = false;
    UpdateTabStops();
    ArrangeButtons();
    Invalidate();
}

// The group is one tab stop: its checked button, or the first while none is checked. Has to be
// called after the checked button or the number of buttons changed.
void TCustomRadioGroup::UpdateTabStops() {
    for (int i = 0; i < int(FButtons.size()); ++i) {
        TRadioButton* b = FButtons[size_t(i)];
        b->SetTabStop(b->Checked() || (i == 0 && FItemIndex < 0));
    }
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    TRect r = ClientRect();
    AdjustClientRect(r);
    int cols = std::max(1, FColumns);
    int perCol = (int(FButtons.size()) + cols - 1) / cols;
    int colWidth = (r.Width() - 8) / cols;
    int rowHeight = perCol > 0 ? (r.Height() - 2) / perCol : 0;
    int top = r.Top + 1;
    for (int i = 0; i < int(FButtons.size()); ++i) {
        int col = i / perCol, row = i % perCol;
        int x = r.Left + 6 + col * colWidth;
        int h = std::min(rowHeight, std::max(17, rowHeight));
        FButtons[size_t(i)]->SetBounds(x, top + row * rowHeight + (rowHeight - std::min(h, 20)) / 2,
                                       colWidth - 2, std::min(h, 20));
        FButtons[size_t(i)]->SetVisible(true);
    }
}

void TCustomRadioGroup::SetItemIndex(int v) {
    if (FReading) {
        FItemIndex = v;
        return;
    }
    if (v < -1) v = -1;
    if (v >= int(FButtons.size())) v = int(FButtons.size()) - 1;
    if (FItemIndex == v) return;
    if (FItemIndex >= 0 && FItemIndex < int(FButtons.size())) FButtons[size_t(FItemIndex)]->SetChecked(false);
    FItemIndex = v;
    if (v >= 0) FButtons[size_t(v)]->SetChecked(true); // the button's click reaches OnClick
    UpdateTabStops();
}

void TCustomRadioGroup::SetColumns(int v) {
    v = std::clamp(v, 1, 16);
    if (FColumns == v) return;
    FColumns = v;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Sender) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
    FItemIndex = it == FButtons.end() ? -1 : int(it - FButtons.begin());
    UpdateTabStops();
    Changed();
    Click();
}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
        TCustomGroupBox::Dispatch(Message);
        for (auto* b : FButtons)
            b->SetEnabled(Enabled());
        return;
    case WM_SIZE:
        TCustomGroupBox::Dispatch(Message);
        ArrangeButtons();
        return;
    case CM_FONTCHANGED:
        TCustomGroupBox::Dispatch(Message);
        ArrangeButtons();
        return;
    }
    TCustomGroupBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle += csReplicatable;
    FPen = std::make_unique<TPen>();
    FBrush = std::make_unique<TBrush>();
    FPen->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    FBrush->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    SetBounds(0, 0, 65, 65);
}
TShape::~TShape() = default;
void TShape::StyleChanged(TObject*) {
    Invalidate();
}
void TShape::SetShape(TShapeType v) {
    FShape = v;
    Invalidate();
}
void TShape::Paint() {
    TCanvas* c = Canvas();
    c->Pen()->Assign(FPen.get());
    c->Brush()->Assign(FBrush.get());
    int pw = c->Pen()->Width();
    int x = pw / 2, y = x;
    int w = FWidth - pw + 1, h = FHeight - pw + 1;
    if (pw == 0) --w, --h;
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        if (w < h) {
            y += (h - w) / 2;
            h = w;
        } else {
            x += (w - h) / 2;
            w = h;
        }
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        c->Rectangle(x, y, x + w, y + h);
        break;
    case stRoundRect:
    case stRoundSquare:
        c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4);
        break;
    case stEllipse:
    case stCircle:
        c->Ellipse(x, y, x + w, y + h);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle += csReplicatable;
    SetBounds(0, 0, 50, 50);
}
void TBevel::SetShape(TBevelShape v) {
    FShape = v;
    Invalidate();
}
void TBevel::SetStyle(TBevelStyle v) {
    FStyle = v;
    Invalidate();
}
void TBevel::Paint() {
    TCanvas* c = Canvas();
    TColor c1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(col);
        c->Pen()->SetWidth(1);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    int w = FWidth, h = FHeight;
    switch (FShape) {
    case bsBox: {
        TRect r{0, 0, w, h};
        Frame3D(c, r, c1, c2, 1);
        break;
    }
    case bsFrame: {
        TRect r{0, 0, w - 1, h - 1};
        TRect r2{1, 1, w, h};
        Frame3D(c, r2, c2, c2, 1);
        Frame3D(c, r, c1, c1, 1);
        break;
    }
    case bsTopLine:
        line(c1, 0, 0, w, 0);
        line(c2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(c1, 0, h - 2, w, h - 2);
        line(c2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(c1, 0, 0, 0, h);
        line(c2, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(c1, w - 2, 0, w - 2, h);
        line(c2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
TBoundLabel::TBoundLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
    SetSubComponent(true);
    FParentFont = true;
}
void TBoundLabel::Dispatch(TMessage& Message) {
    TCustomLabel::Dispatch(Message);
    if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED)
        if (auto* e = dynamic_cast<TCustomLabeledEdit*>(Owner())) e->SetupInternalLabel();
}

TCustomLabeledEdit::TCustomLabeledEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    // The label belongs to the edit, so it never appears among the form's components.
    FEditLabel = new TBoundLabel(this);
    FEditLabel->FreeNotification(this);
    FEditLabel->SetFocusControl(this);
    FEditLabel->SetName(QStringLiteral("SubLabel"));
}
TCustomLabeledEdit::~TCustomLabeledEdit() = default;

void TCustomLabeledEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (AComponent == FEditLabel && Operation == opRemove) FEditLabel = nullptr;
}

void TCustomLabeledEdit::SetLabelPosition(TLabelPosition v) {
    FLabelPosition = v;
    SetupInternalLabel();
}
void TCustomLabeledEdit::SetLabelSpacing(int v) {
    FLabelSpacing = v;
    SetupInternalLabel();
}
void TCustomLabeledEdit::SetupInternalLabel() {
    if (!FEditLabel) return;
    TBoundLabel* l = FEditLabel;
    int x = FLeft, y = FTop;
    switch (FLabelPosition) {
    case lpAbove:
        x = FLeft;
        y = FTop - l->Height() - FLabelSpacing;
        break;
    case lpBelow:
        x = FLeft;
        y = FTop + FHeight + FLabelSpacing;
        break;
    case lpLeft:
        x = FLeft - l->Width() - FLabelSpacing;
        y = FTop + (FHeight - l->Height()) / 2;
        break;
    case lpRight:
        x = FLeft + FWidth + FLabelSpacing;
        y = FTop + (FHeight - l->Height()) / 2;
        break;
    }
    l->SetBounds(x, y, l->Width(), l->Height());
}
void TCustomLabeledEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    SetupInternalLabel();
}
void TCustomLabeledEdit::SetParent(TWinControl* AParent) {
    TCustomEdit::SetParent(AParent);
    if (FEditLabel) {
        FEditLabel->SetParent(AParent);
        FEditLabel->SetVisible(true);
    }
    SetupInternalLabel();
}
void TCustomLabeledEdit::Dispatch(TMessage& Message) {
    TCustomEdit::Dispatch(Message);
    if (!FEditLabel) return;
    switch (Message.Msg) {
    case CM_VISIBLECHANGED:
        FEditLabel->SetVisible(Visible());
        break;
    case CM_ENABLEDCHANGED:
        FEditLabel->SetEnabled(Enabled());
        break;
    case CM_BIDIMODECHANGED:
        FEditLabel->SetBiDiMode(BiDiMode());
        break;
    }
}

// ---------------------------------------------------------------------------------------------
TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    FWindowHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
    UpdateTimer();
}
TTimer::~TTimer() {
    FEnabled = false;
    if (FWindowHandle) {
        KillTimer(FWindowHandle, 1);
        DeallocateHWnd(FWindowHandle);
    }
}
void TTimer::WndProc(TMessage& Msg) {
    if (Msg.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
}
void TTimer::UpdateTimer() {
    KillTimer(FWindowHandle, 1);
    if (FInterval != 0 && FEnabled && OnTimer) SetTimer(FWindowHandle, 1, FInterval, nullptr);
}
void TTimer::SetEnabled(bool v) {
    if (FEnabled == v) return;
    FEnabled = v;
    UpdateTimer();
}
void TTimer::SetInterval(Cardinal v) {
    if (FInterval == v) return;
    FInterval = v;
    UpdateTimer();
}
void TTimer::Timer() {
    if (OnTimer) OnTimer(this);
}

// ---------------------------------------------------------------------------------------------
TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle += csReplicatable;
    FPicture = std::make_unique<TPicture>();
    FPicture->OnChange = TNotifyEvent::Callable([this](TObject*) { Invalidate(); }, this);
    SetBounds(0, 0, 105, 105);
}
TImage::~TImage() = default;
void TImage::SetPicture(TPicture* v) {
    FPicture->Assign(v);
}
void TImage::Paint() {
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    int w = g->Width(), h = g->Height();
    TRect r{0, 0, w, h};
    if (FStretch || (FProportional && (w > FWidth || h > FHeight))) {
        if (FProportional && w > 0 && h > 0) {
            double k = std::min(double(FWidth) / w, double(FHeight) / h);
            w = int(w * k), h = int(h * k);
        } else {
            w = FWidth, h = FHeight;
        }
        r = {0, 0, w, h};
    }
    if (FCenter) r.Offset((FWidth - w) / 2, (FHeight - h) / 2);
    if (r.Width() == g->Width() && r.Height() == g->Height())
        Canvas()->Draw(r.Left, r.Top, g);
    else
        Canvas()->StretchDraw(r, g);
}
