// The data-aware check box: three states read from a boolean field, from a field's text matched
// against the ValueChecked / ValueUnchecked lists, or from a value of its own; it paints its box
// and caption itself.
//
// A state change by the user marks the link modified and reaches the data on UpdateData (the
// link's update, leaving the control, or State set by code); data refreshes set the state
// without marking it modified.

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/DBCtrlsEhPublish.h"

#include "lib/toolscore/DynVarsEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QStringList>

#include <algorithm>

namespace {
const char* const STextTrueEh = "True";
const char* const STextFalseEh = "False";
} // namespace

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* AOwner) : TButtonControl(AOwner) {
    FCanvas = std::make_unique<TCanvas>();
    SetBounds(Left(), Top(), 97, 17);
    SetTabStop(true);
    FControlStyle -= csDoubleClicks;
    FControlStyle += csReplicatable;
    FValueCheck = QString::fromLatin1(STextTrueEh);
    FValueUncheck = QString::fromLatin1(STextFalseEh);
    FDataLink = std::make_unique<TFieldDataLinkEh>();
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBCheckBoxEh::DataChange);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBCheckBoxEh::UpdateDataHandler);
    FDynProps = std::make_unique<TDynVarsEh>(this);
    FDataLink->DataIndependentValue = Variant(false);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh() {
    FDataLink->OnDataChange = nullptr;
    FDataLink->OnUpdateData = nullptr;
    FDataLink.reset();
    FCanvas.reset();
    FDynProps.reset();
}

bool TCustomDBCheckBoxEh::ValueMatch(const String& List, const String& Text) {
    const auto items = List.split(QLatin1Char(';'));
    for (const String& item : items)
        if (AnsiCompareText(item.trimmed(), Text) == 0) return true;
    if (!Text.isEmpty()) return false;
    return List.isEmpty() || List.endsWith(QLatin1Char(';'));
}

TCheckBoxState TCustomDBCheckBoxEh::GetFieldState() {
    if (FDataLink->DataIndepended()) {
        const Variant& v = FDataLink->DataIndependentValue;
        if (VarIsNull(v) || v.IsEmpty()) return cbGrayed;
        try {
            if (VarSameValue(v, Variant(true))) return cbChecked;
            if (VarSameValue(v, Variant(false))) return cbUnchecked;
        } catch (const Exception&) {
        }
        return cbGrayed;
    }
    TField* f = Field();
    if (!f) return cbUnchecked;
    if (f->DataType() == ftBoolean && FValueCheck == QLatin1String(STextTrueEh) &&
        FValueUncheck == QLatin1String(STextFalseEh)) {
        if (f->IsNull()) return cbGrayed;
        return f->AsBoolean() ? cbChecked : cbUnchecked;
    }
    String text = f->Text();
    if (ValueMatch(FValueCheck, text)) return cbChecked;
    if (ValueMatch(FValueUncheck, text)) return cbUnchecked;
    return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChange(TObject*) {
    ApplyState(GetFieldState());
    FModified = false;
}

void TCustomDBCheckBoxEh::UpdateDataHandler(TObject*) {
    UpdateData();
}

void TCustomDBCheckBoxEh::SetValueChecked(const String& Value) {
    FValueCheck = Value;
    DataChange(this);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const String& Value) {
    FValueUncheck = Value;
    DataChange(this);
}

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* Value) {
    if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
}

void TCustomDBCheckBoxEh::Notification(TComponent* AComponent, TOperation Operation) {
    TButtonControl::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::DefineProperties(TFiler* Filer) {
    TButtonControl::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("ValueChecked"), [this](TReader* R) { SetValueChecked(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(FValueCheck); }, FValueCheck != QLatin1String(STextTrueEh));
    Filer->DefineProperty(
        QStringLiteral("ValueUnchecked"), [this](TReader* R) { SetValueUnchecked(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(FValueUncheck); }, FValueUncheck != QLatin1String(STextFalseEh));
}

void TCustomDBCheckBoxEh::ApplyState(TCheckBoxState NewState) {
    if (NewState == FState) return;
    FState = NewState;
    // Only the user's handler (or the linked action) runs here: Click itself toggles, and a
    // state set from the data must not toggle again.
    if (!FClicksDisabled) TButtonControl::Click();
    Invalidate();
    FModified = true;
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState Value) {
    if (!FDataLink->DataIndepended()) {
        if (ComponentState().Contains(csDesigning)) return;
        if (TDataSource* ds = FDataLink->DataSource())
            if (TDataSet* d = ds->DataSet()) d->Edit();
    }
    ApplyState(Value);
    if (FDataPosting) return;
    try {
        UpdateData();
    } catch (...) {
        FDataLink->Reset();
        throw;
    }
}

void TCustomDBCheckBoxEh::Toggle() {
    if (!FDataLink->Edit()) return;
    switch (FState) {
    case cbUnchecked:
        ApplyState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        ApplyState(cbUnchecked);
        break;
    case cbGrayed:
        ApplyState(cbChecked);
        break;
    }
    FDataLink->Modified();
    Invalidate();
}

void TCustomDBCheckBoxEh::UpdateData() {
    bool handled = false;
    {
        FDataPosting = true;
        struct Guard {
            bool& f;
            ~Guard() { f = false; }
        } g{FDataPosting};
        if (OnUpdateData) OnUpdateData(this, handled);
    }
    if (!handled) StoreStateToLink();
}

void TCustomDBCheckBoxEh::StoreStateToLink() {
    if (FDataLink->DataIndepended()) {
        FDataLink->DataIndependentValue =
            FState == cbGrayed ? Variant::FromNull() : Variant(FState == cbChecked);
        return;
    }
    TField* f = Field();
    if (!f) return;
    if (FState == cbGrayed) {
        f->Clear();
    } else if (f->DataType() == ftBoolean) {
        f->SetAsBoolean(FState == cbChecked);
    } else {
        const String& list = FState == cbChecked ? FValueCheck : FValueUncheck;
        f->SetText(list.section(QLatin1Char(';'), 0, 0).trimmed());
    }
}

void TCustomDBCheckBoxEh::SetAlignment(TLeftRight Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    if (HandleAllocated()) RecreateWnd();
    Invalidate();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool Value) {
    if (Value == FAlwaysShowBorder) return;
    FAlwaysShowBorder = Value;
    Invalidate();
}

void TCustomDBCheckBoxEh::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    if (HandleAllocated()) RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// Input

void TCustomDBCheckBoxEh::Click() {
    Toggle();
    TButtonControl::Changed();
}

void TCustomDBCheckBoxEh::KeyPress(Char& Key) {
    TButtonControl::KeyPress(Key);
    if (Key == QChar(8) || Key == QChar(' '))
        FDataLink->Edit();
    else if (Key == QChar(27))
        FDataLink->Reset();
}

void TCustomDBCheckBoxEh::KeyDown(Word& Key, TShiftState Shift) {
    TButtonControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE && !FToggleKeyDown) {
        FToggleKeyDown = true;
        Invalidate();
    }
}

void TCustomDBCheckBoxEh::KeyUp(Word& Key, TShiftState Shift) {
    TButtonControl::KeyUp(Key, Shift);
    if (Key == VK_SPACE && FToggleKeyDown) {
        FToggleKeyDown = false;
        Toggle();
    }
}

void TCustomDBCheckBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TButtonControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) FMouseDown = true;
    Invalidate();
}

void TCustomDBCheckBoxEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TButtonControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FMouseDown = false;
    Invalidate();
}

void TCustomDBCheckBoxEh::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SetFocus();
        throw;
    }
    TButtonControl::DoExit();
}

void TCustomDBCheckBoxEh::WndProc(TMessage& Message) {
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) &&
        !ComponentState().Contains(csDesigning) && !Focused()) {
        // A click that cannot bring the focus here does not toggle.
        FClicksDisabled = true;
        struct Guard {
            bool& f;
            ~Guard() { f = false; }
        } g{FClicksDisabled};
        if (CanFocus()) SetFocus();
        if (!Focused()) return;
    }
    TButtonControl::WndProc(Message);
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_GETDATALINK:
        Message.Result = LRESULT(FDataLink.get());
        return;
    case CM_MOUSEENTER:
        TButtonControl::Dispatch(Message);
        FMouseAboveControl = true;
        Invalidate();
        return;
    case CM_MOUSELEAVE:
        TButtonControl::Dispatch(Message);
        FMouseAboveControl = false;
        Invalidate();
        return;
    case CM_WANTSPECIALKEY:
        TButtonControl::Dispatch(Message);
        if (Word(Message.WParam) == VK_ESCAPE && FModified) Message.Result = 1;
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            Message.Result = 1;
            return;
        }
        break;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SIZE:
        TButtonControl::Dispatch(Message);
        Invalidate();
        return;
    case CM_CTL3DCHANGED:
        TButtonControl::Dispatch(Message);
        if (HandleAllocated()) RecreateWnd();
        return;
    case WM_CANCELMODE:
        TButtonControl::Dispatch(Message);
        if (MouseCapture()) {
            SetMouseCapture(false);
            if (FMouseDown) Perform(WM_LBUTTONUP, 0, MAKELPARAM(WORD(-1), WORD(-1)));
        }
        return;
    }
    TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Painting

QWidget* TCustomDBCheckBoxEh::CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) {
    return TWinControl::CreateWidget(Params, ParentWidget);
}

void TCustomDBCheckBoxEh::CreateWnd() {
    TButtonControl::CreateWnd();
    Invalidate();
}

void TCustomDBCheckBoxEh::PaintWindow(HDC DC) {
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
    struct Detach {
        TCanvas* c;
        ~Detach() {
            c->SetHandle(nullptr);
            c->Unlock();
        }
    } detach{FCanvas.get()};
    FCanvas->SetTextFlags(DrawTextBiDiModeFlagsReadingOnly());
    PaintContents();
}

void TCustomDBCheckBoxEh::PaintContents() {
    if (FControlState.Contains(csPaintCopy)) {
        DrawState(GetFieldState(), false, false, false);
        return;
    }
    bool hot = FMouseAboveControl;
    bool pressed = (hot && FMouseDown) || FToggleKeyDown;
    DrawState(FState, Focused(), hot, pressed);
}

void TCustomDBCheckBoxEh::DrawState(TCheckBoxState AState, bool Focused, bool Hot, bool Pressed) {
    FCanvas->Brush()->SetColor(Color());
    TRect client(0, 0, Width(), Height());
    FCanvas->FillRect(client);
    bool captionLeft = (FAlignment == lrLeftJustify) != UseRightToLeftAlignment();
    TRect box, caption;
    if (captionLeft) {
        AlignCheckBoxRect(client, 1, 1, box);
        caption = TRect(0, 0, box.Left - 5, client.Bottom);
    } else {
        AlignCheckBoxRect(client, 0, 1, box);
        caption = TRect(box.Right + 5, 0, client.Right, client.Bottom);
    }
    DrawCaption(caption, Focused, Hot, Pressed);
    DrawCheck(box, AState, Focused, Hot, Pressed);
}

void TCustomDBCheckBoxEh::DrawCheck(const TRect& Rect, TCheckBoxState AState, bool Focused, bool Hot,
                                    bool Pressed) {
    const bool active = Hot || Focused || (FAlwaysShowBorder && !ThemesInUse());
    DrawStyledButton(FCanvas.get(), Rect, Color(), bcsCheckboxEh, Pressed ? 1 : 0, FFlat, active,
                     Enabled() || ComponentState().Contains(csDesigning), AState);
}

void TCustomDBCheckBoxEh::DrawCaption(const TRect& Rect, bool Focused, bool, bool) {
    FCanvas->Font()->Assign(Font());
    TBrushStyle savedStyle = FCanvas->Brush()->Style();
    FCanvas->Brush()->SetStyle(bsClear);
    String text = Caption();
    // Measured and drawn as a single line with the accelerator prefix: "&Save" shows an
    // underlined S, not the ampersand.
    TRect calc(0, 0, 0, 0);
    String measured = text;
    FCanvas->TextRect(calc, measured, {tfCalcRect, tfSingleLine});
    const TSize sz{calc.Width(), calc.Height()};
    TRect tr(Rect.Left, Height() / 2 - sz.cy / 2, Rect.Left + sz.cx, Height() / 2 - sz.cy / 2 + sz.cy);
    if (UseRightToLeftAlignment() && FAlignment == lrRightJustify) {
        tr.Left = Rect.Right - sz.cx;
        tr.Right = Rect.Right;
    }
    auto drawAt = [&](int dx, int dy) {
        TRect r(std::max(tr.Left + dx, Rect.Left), tr.Top + dy, std::min(tr.Right + dx, Rect.Right),
                tr.Bottom + dy);
        String s = text;
        FCanvas->TextRect(r, s, {tfSingleLine});
    };
    if (Enabled() || ComponentState().Contains(csDesigning)) {
        drawAt(0, 0);
    } else {
        FCanvas->Font()->SetColor(clBtnHighlight);
        drawAt(1, 1);
        FCanvas->Font()->SetColor(clGrayText);
        drawAt(0, 0);
    }
    FCanvas->Brush()->SetStyle(savedStyle);
    if (Focused && !text.isEmpty()) {
        TRect fr(tr.Left - 1, tr.Top - 1, tr.Right + 1, tr.Bottom + 2);
        TRect client = ClientRect();
        fr.Left = std::max(fr.Left, client.Left);
        fr.Top = std::max(fr.Top, client.Top);
        fr.Right = std::min(fr.Right, client.Right);
        fr.Bottom = std::min(fr.Bottom, client.Bottom);
        FCanvas->DrawFocusRect(fr);
    }
}

TAlignment TCustomDBCheckBoxEh::GetControlsAlignment() const {
    return UseRightToLeftAlignment() && FAlignment == lrRightJustify ? taLeftJustify : taRightJustify;
}

// ---------------------------------------------------------------------------------------------
// Stored properties (the value lists are defined properties, see DefineProperties)

KVT_PUBLISHED(TDBCheckBoxEh) {
    using C = TDBCheckBoxEh;
    P.Prop("Alignment", &C::Alignment, &C::SetAlignment).Default(lrRightJustify);
    P.Prop("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed).Default(false);
    P.Prop("AlwaysShowBorder", &C::AlwaysShowBorder, &C::SetAlwaysShowBorder).Default(false);
    P.Prop("Caption", &C::Caption, &C::SetCaption);
    // The state carries it.
    P.Prop("Checked", &C::Checked, &C::SetCheckedState).Stored(false);
    P.Prop("Color", &C::Color, &C::SetColor);
    P.Prop("Ctl3D", &C::Ctl3D, &C::SetCtl3D).Default(true);
    P.Prop("DataField", &C::DataField, &C::SetDataField);
    P.Prop("DataSource", &C::DataSource, &C::SetDataSource);
    P.Prop("DynProps", &C::DynProps, [](C* e, TDynVarsEh* v) { e->DynProps()->Assign(v); });
    P.Prop(
         "Enabled", [](C* e) { return e->Enabled(); }, [](C* e, bool v) { e->SetEnabled(v); })
        .Default(true);
    P.Prop("Flat", &C::Flat, &C::SetFlat).Default(false);
    P.Prop(
         "Font", [](C* e) { return e->Font(); }, [](C* e, TFont* v) { e->Font()->Assign(v); })
        .Stored([](C* e) { return !e->ParentFont(); });
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(true);
    P.Prop("ParentCtl3D", &C::ParentCtl3D, &C::SetParentCtl3D).Default(true);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint).Default(true);
    P.Prop("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
    P.Prop(
         "ShowHint", [](C* e) { return e->ShowHint(); }, [](C* e, bool v) { e->SetShowHint(v); })
        .Default(false);
    P.Prop("State", &C::State, &C::SetState).Stored([](C* e) {
        return e->DataLink()->DataIndepended() && e->State() != cbUnchecked;
    });
    P.Prop("TabOrder", &C::TabOrder, &C::SetTabOrder);
    P.Prop("TabStop", &C::TabStop, &C::SetTabStop).Default(true);
    P.Prop(
         "Visible", [](C* e) { return e->Visible(); }, [](C* e, bool v) { e->SetVisible(v); })
        .Default(true);
    P.Publish({"Action", "Align", "Anchors", "BiDiMode", "Constraints", "DragCursor", "DragKind", "DragMode",
               "ParentBiDiMode", "PopupMenu", "Touch"});
    P.Publish({"OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter",
               "OnExit", "OnGesture", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag"});
}
