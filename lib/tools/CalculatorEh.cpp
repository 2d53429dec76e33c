// The calculator: its stored key layout built in code, the key-driven state machine over an
// extended operand, and the drop-down variant that asks its editor to close.

#include "lib/tools/CalculatorEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <cmath>

namespace {
struct KeyDef {
    const char* Name;
    const char* Caption;
    int Tag;
    int Left, Top, Width, Height;
    bool Blue;
};
// The layout of the class: 96 ppi, text height 13. "Cancel" lies under "C", which comes later.
const KeyDef Keys[] = {
    {"SpeedButton24", "Cancel", 12, 151, 52, 27, 23, false},
    {"SpeedButton1", "7", 1, 6, 29, 27, 22, true},
    {"SpeedButton12", "8", 2, 35, 29, 27, 22, true},
    {"SpeedButton11", "9", 3, 64, 29, 27, 22, true},
    {"SpeedButton16", "/", 4, 93, 29, 27, 22, false},
    {"SpeedButton20", "sqrt", 5, 122, 29, 27, 22, true},
    {"SpeedButton23", "C", 6, 151, 29, 27, 46, false},
    {"SpeedButton10", "4", 7, 6, 53, 27, 22, true},
    {"SpeedButton9", "5", 8, 35, 53, 27, 22, true},
    {"SpeedButton8", "6", 9, 64, 53, 27, 22, true},
    {"SpeedButton15", "*", 10, 93, 53, 27, 22, false},
    {"SpeedButton19", "%", 11, 122, 53, 27, 22, true},
    {"SpeedButton7", "1", 13, 6, 77, 27, 22, true},
    {"SpeedButton6", "2", 14, 35, 77, 27, 22, true},
    {"SpeedButton5", "3", 15, 64, 77, 27, 22, true},
    {"SpeedButton14", "-", 16, 93, 77, 27, 22, false},
    {"SpeedButton18", "1/x", 17, 122, 77, 27, 22, true},
    {"SpeedButton22", "<-", 18, 151, 77, 27, 22, false},
    {"SpeedButton4", "0", 19, 6, 101, 27, 22, true},
    {"SpeedButton3", "+/-", 20, 35, 101, 27, 22, true},
    {"SpeedButton2", ".", 21, 64, 101, 27, 22, true},
    {"SpeedButton13", "+", 22, 93, 101, 27, 22, false},
    {"spEqual", "Ok", 23, 122, 101, 56, 22, false},
};
// The character each tag sends (tag 0 sends character 0).
const char16_t TagChars[] = {0,    u'7', u'8', u'9', u'/', u'S', u'C', u'4', u'5', u'6', u'*', u'%',
                             u'A', u'1', u'2', u'3', u'-', u'R', 8,    u'0', u'I', u'.', u'+', u'='};

String Fmt(long double v) {
    String s = FloatToStrF(v, ffGeneral, 15, 0);
    return s == QStringLiteral("-0") ? QStringLiteral("0") : s;
}
} // namespace

TCalculatorEh::TCalculatorEh(TComponent* AOwner) : TCustomControl(AOwner) {
    FPixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
    SetColor(clBtnFace);
    Font()->SetHeight(-11);
    FKeys.assign(24, nullptr);
    ReadState();
    for (TSpeedButtonEh* k : FKeys)
        if (k) {
            k->SetStyle(ebsGlyphEh);
            k->SetActive(true);
        }
    SetAutoSize(true);
    int w = 0, h = 0;
    CanAutoSize(w, h);
    SetBounds(0, 0, w, h);
}

TCalculatorEh::~TCalculatorEh() = default;

void TCalculatorEh::ReadState() {
    DisableAlign();
    Panel1 = new TPanel(this);
    Panel1->SetName(QStringLiteral("Panel1"));
    Panel1->SetParent(this);
    Panel1->SetBounds(6, 4, 171, 19);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetBorderWidth(2);
    Panel1->SetParentColor(false);
    Panel1->SetColor(clWindow);
    Panel1->SetShowCaption(false);
    Panel1->SetParentBackground(false);
    TextBox = new TLabel(this);
    TextBox->SetName(QStringLiteral("TextBox"));
    TextBox->SetParent(Panel1);
    TextBox->SetAutoSize(false);
    TextBox->SetBounds(2, 1, 166, 17);
    TextBox->SetAlignment(taRightJustify);
    TextBox->SetLayout(tlCenter);
    TextBox->SetParentColor(false);
    TextBox->SetColor(clWindow);
    TextBox->SetCaption(QStringLiteral("0"));
    for (const KeyDef& d : Keys) {
        auto* b = new TSpeedButtonEh(this);
        b->SetName(QString::fromLatin1(d.Name));
        b->SetParent(this);
        b->SetBounds(d.Left, d.Top, d.Width, d.Height);
        b->SetCaption(QString::fromLatin1(d.Caption));
        b->SetFlat(true);
        b->SetTransparent(false);
        b->SetLayout(blGlyphRight);
        b->SetTag(d.Tag);
        b->SetParentFont(false);
        b->Font()->Assign(Font());
        b->Font()->SetColor(d.Blue ? clBlue : clRed);
        b->OnClick = TNotifyEvent(this, &TCalculatorEh::SpeedButtonClick);
        FKeys[size_t(d.Tag)] = b;
        if (d.Tag == 23) spEqual = b;
    }
    // The layout was made for text height 13: scale it to the height of "0" in the font in use.
    TSize ext;
    HDC dc = ScreenDC();
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextExtentPoint32(dc, QStringLiteral("0"), &ext);
    SelectObject(dc, old);
    const int newHeight = ext.cy;
    if (newHeight > 0 && newHeight != FTextHeight) {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            c->SetBounds(MulDiv(c->Left(), newHeight, FTextHeight), MulDiv(c->Top(), newHeight, FTextHeight),
                         MulDiv(c->Width(), newHeight, FTextHeight),
                         MulDiv(c->Height(), newHeight, FTextHeight));
        }
        TextBox->SetBounds(MulDiv(2, newHeight, FTextHeight), MulDiv(1, newHeight, FTextHeight),
                           MulDiv(166, newHeight, FTextHeight), MulDiv(17, newHeight, FTextHeight));
        FClientWidth = MulDiv(FClientWidth, newHeight, FTextHeight);
        FClientHeight = MulDiv(FClientHeight, newHeight, FTextHeight);
        FTextHeight = newHeight;
    }
    EnableAlign();
}

TSpeedButtonEh* TCalculatorEh::KeyByTag(int Tag) const {
    return Tag > 0 && Tag < int(FKeys.size()) ? FKeys[size_t(Tag)] : nullptr;
}

int TCalculatorEh::BorderExtent() {
    TCreateParams p;
    CreateParams(p);
    TRect r(0, 0, 0, 0);
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    return r.Height();
}

void TCalculatorEh::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

bool TCalculatorEh::CanAutoSize(int& NewWidth, int& NewHeight) {
    NewWidth = BorderExtent() + FClientWidth + 2 * ExtraBorder();
    NewHeight = BorderExtent() + FClientHeight + 2 * ExtraBorder();
    return true;
}

void TCalculatorEh::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

int TCalculatorEh::PixelsPerInch() const {
    return FPixelsPerInch ? FPixelsPerInch : (Screen ? Screen->PixelsPerInch() : 96);
}

void TCalculatorEh::SetPixelsPerInch(int Value) {
    if (Value != PixelsPerInch() && (Value == 0 || Value > 35) &&
        (!ComponentState().Contains(csLoading) || FPixelsPerInch != 0))
        FPixelsPerInch = Value;
}

void TCalculatorEh::SetLayoutClientWidth(int Value) {
    FClientWidth = Value;
    ApplyLayoutSize();
}

void TCalculatorEh::SetLayoutClientHeight(int Value) {
    FClientHeight = Value;
    ApplyLayoutSize();
}

void TCalculatorEh::ApplyLayoutSize() {
    int w = 0, h = 0;
    if (AutoSize() && CanAutoSize(w, h)) SetBounds(Left(), Top(), w, h);
}

void TCalculatorEh::DefineProperties(TFiler* Filer) {
    TCustomControl::DefineProperties(Filer);
    // The text height the stored layout was made at: read, never written (the layout is built
    // here and scaled to the font in use, so a stored value changes nothing).
    Filer->DefineProperty(
        QStringLiteral("TextHeight"), [](TReader* R) { R->ReadInteger(); }, nullptr, false);
}

String TCalculatorEh::DisplayText() const {
    return TextBox->Caption();
}

void TCalculatorEh::SetDisplayText(const String& Value) {
    TextBox->SetCaption(Value);
}

long double TCalculatorEh::DisplayValue() const {
    if (FStatus == csErrorEh) return 0;
    return StrToFloat(Trim(DisplayText()));
}

void TCalculatorEh::SetDisplayValue(long double Value) {
    SetDisplayText(Fmt(Value));
}

void TCalculatorEh::SpeedButtonClick(TObject* Sender) {
    auto* c = dynamic_cast<TComponent*>(Sender);
    const int tag = c ? int(c->Tag()) : 0;
    ProcessKey(tag >= 0 && tag < 24 ? QChar(TagChars[tag]) : QChar(0));
}

void TCalculatorEh::Clear() {
    FStatus = csFirstEh;
    SetDisplayText(QStringLiteral("0"));
    FOperator = QLatin1Char('=');
    FOperand = 0;
}

void TCalculatorEh::Error() {
    FStatus = csErrorEh;
    SetDisplayText(QStringLiteral("Error"));
}

void TCalculatorEh::CheckFirst() {
    if (FStatus == csFirstEh) {
        FStatus = csValidEh;
        SetDisplayText(QStringLiteral("0"));
    }
}

void TCalculatorEh::UpdateEqualKey() {
    // "=" whenever a binary operation waits for its right operand, also when the left one is 0,
    // so that the drop-down computes instead of accepting the right operand alone.
    const bool pending =
        FStatus == csValidEh && (FOperator == QLatin1Char('*') || FOperator == QLatin1Char('+') ||
                                 FOperator == QLatin1Char('-') || FOperator == QLatin1Char('/'));
    spEqual->SetCaption(pending ? QStringLiteral("=") : QStringLiteral("Ok"));
}

void TCalculatorEh::ProcessKey(QChar Key) {
    if (Key >= QLatin1Char('a') && Key <= QLatin1Char('z')) Key = Key.toUpper();
    if (FStatus == csErrorEh && Key != QLatin1Char('C')) Key = QChar(0);
    const QChar sep = FormatSettings().DecimalSeparator;
    if (Key == sep || Key == QLatin1Char('.') || Key == QLatin1Char(',')) {
        CheckFirst();
        if (!DisplayText().contains(sep)) SetDisplayText(DisplayText() + sep);
        return;
    }
    const char16_t k = Key.unicode();
    switch (k) {
    case 3:
        DoCopy();
        break;
    case 22:
        Paste();
        break;
    case 8: {
        CheckFirst();
        const String t = DisplayText();
        if (t.size() == 1 || (t.size() == 2 && t.at(0) == QLatin1Char('-')))
            SetDisplayText(QStringLiteral("0"));
        else
            SetDisplayText(t.left(t.size() - 1));
        break;
    }
    case u'0':
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
    case u'6':
    case u'7':
    case u'8':
    case u'9': {
        CheckFirst();
        String t = DisplayText();
        if (t == QStringLiteral("0")) t.clear();
        if (t.contains(QLatin1Char('E'))) {
            SetDisplayText(t.isEmpty() ? QStringLiteral("0") : t);
            break;
        }
        if (t.size() < 15 || (t.size() < 16 && t.contains(QLatin1Char('-')))) t += Key;
        SetDisplayText(t);
        break;
    }
    case 13:
    case u'%':
    case u'*':
    case u'+':
    case u'-':
    case u'/':
    case u'=': {
        if (FStatus == csValidEh) {
            FStatus = csFirstEh;
            long double v = DisplayValue();
            if (k == u'%') {
                if (FOperator == QLatin1Char('*') || FOperator == QLatin1Char('/'))
                    v = v / 100;
                else if (FOperator == QLatin1Char('+') || FOperator == QLatin1Char('-'))
                    v = FOperand * v / 100;
            }
            switch (FOperator.unicode()) {
            case u'*':
                SetDisplayValue(FOperand * v);
                break;
            case u'+':
                SetDisplayValue(FOperand + v);
                break;
            case u'-':
                SetDisplayValue(FOperand - v);
                break;
            case u'/':
                if (v == 0)
                    Error();
                else
                    SetDisplayValue(FOperand / v);
                break;
            default:
                break;
            }
        }
        FOperator = Key;
        FOperand = FStatus == csErrorEh ? 0 : DisplayValue();
        break;
    }
    case u'C':
    case 27:
        Clear();
        break;
    case u'I':
        if (FStatus != csErrorEh) SetDisplayValue(-DisplayValue());
        break;
    case u'R':
        if (FStatus != csErrorEh) {
            FStatus = csFirstEh;
            const long double v = DisplayValue();
            if (v == 0)
                Error();
            else
                SetDisplayValue(1 / v);
        }
        break;
    case u'S':
        if (FStatus != csErrorEh) {
            FStatus = csFirstEh;
            const long double v = DisplayValue();
            if (v < 0)
                Error();
            else
                SetDisplayValue(std::sqrt(v));
        }
        break;
    default:
        break;
    }
    UpdateEqualKey();
}

void TCalculatorEh::DoCopy() {
    Clipboard()->SetAsText(DisplayText());
}

void TCalculatorEh::Paste() {
    if (!Clipboard()->HasFormat(CF_TEXT)) return;
    SetDisplayValue(StrToFloat(Trim(Clipboard()->AsText())));
}

void TCalculatorEh::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    ProcessKey(Key);
}

void TCalculatorEh::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_DELETE) ProcessKey(QLatin1Char('C'));
}

bool TCalculatorEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (FStatus != csErrorEh) SetDisplayValue(DisplayValue() - 1);
    return true;
}

bool TCalculatorEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (FStatus != csErrorEh) SetDisplayValue(DisplayValue() + 1);
    return true;
}

void TCalculatorEh::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_BIDIMODECHANGED) {
        TCustomControl::Dispatch(Message);
        TextBox->SetAlignment(UseRightToLeftAlignment() ? taLeftJustify : taRightJustify);
        return;
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TPopupCalculatorEh

TPopupCalculatorEh::TPopupCalculatorEh(TComponent* AOwner) : TCalculatorEh(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csReplicatable);
    SetControlStyle(cs);
    SetCtl3D(true);
    SetParentCtl3D(false);
    SetTabStop(false);
    // A drop-down starts hidden; its editor shows it.
    SetVisible(false);
    Panel1->SetParentBackground(false);
    int w = 0, h = 0;
    CanAutoSize(w, h);
    SetBounds(Left(), Top(), w, h);
}

IComboEditEh* TPopupCalculatorEh::ComboEdit() const {
    return dynamic_cast<IComboEditEh*>(Owner());
}

void TPopupCalculatorEh::CreateParams(TCreateParams& Params) {
    TCalculatorEh::CreateParams(Params);
    Params.Style |= WS_POPUP;
    Params.Style &= ~DWORD(WS_CHILD);
    if (!Ctl3D()) Params.Style |= WS_BORDER;
    // A drop-down never takes the focus from its editor: on the window system it is a
    // no-activate topmost tool window.
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    Params.WindowClass.style = CS_SAVEBITS | CS_DROPSHADOW;
}

void TPopupCalculatorEh::ProcessKey(QChar Key) {
    if ((Key == QChar(13) || Key == QLatin1Char('=')) && GetEqualKeyShowsOk()) {
        if (IComboEditEh* c = ComboEdit()) c->CloseUp(true);
        return;
    }
    TCalculatorEh::ProcessKey(Key);
}

void TPopupCalculatorEh::KeyDown(Word& Key, TShiftState Shift) {
    TCalculatorEh::KeyDown(Key, Shift);
    if (Key == VK_ESCAPE) {
        if (IComboEditEh* c = ComboEdit()) c->CloseUp(false);
        Key = 0;
    }
}

void TPopupCalculatorEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_WANTSPECIALKEY:
        if (IComboEditEh* c = ComboEdit()) {
            if (Message.WParam == VK_RETURN) {
                c->CloseUp(true);
                Message.Result = 1;
                return;
            }
            if (Message.WParam == VK_ESCAPE) {
                c->CloseUp(false);
                Message.Result = 1;
                return;
            }
        }
        break;
    case WM_USER_CLOSEUP:
        if (IComboEditEh* c = ComboEdit()) c->CloseUp(false);
        return;
    case WM_GETDLGCODE:
        TCalculatorEh::Dispatch(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case CM_SHOWINGCHANGED:
        TCalculatorEh::Dispatch(Message);
        // A click anywhere but on the calculator or its editor closes it without taking its value.
        if (Showing())
            FWatch = std::make_unique<TPopupWatchEh>(this, dynamic_cast<TControl*>(Owner()), [this] {
                PostMessage(Handle(), WM_USER_CLOSEUP, 0, 0);
            });
        else
            FWatch.reset();
        return;
    case CM_CTL3DCHANGED:
        TCalculatorEh::Dispatch(Message);
        FBorderWidth = Ctl3D() ? 2 : 0;
        RecreateWnd();
        return;
    default:
        break;
    }
    TCalculatorEh::Dispatch(Message);
}

void TPopupCalculatorEh::Paint() {
    TCalculatorEh::Paint();
    PaintBorder();
}

void TPopupCalculatorEh::PaintBorder() {
    if (!Ctl3D()) return;
    // The window has no non-client area here: the frame is drawn at the client's edge.
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(cl3DDkShadow);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
    DrawEdge(c->Handle(), r, BDR_RAISEDINNER, BF_RECT);
}

bool TPopupCalculatorEh::GetEqualKeyShowsOk() {
    return spEqual->Caption() == QStringLiteral("Ok");
}

void TPopupCalculatorEh::GetValue(Variant& Value) {
    if (FStatus == csErrorEh)
        Value = Variant::FromError(Integer(0xFFFFFFFF));
    else
        Value = Variant(double(DisplayValue()));
}

void TPopupCalculatorEh::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButtonEh*>(Components(i))) b->SetFlat(Value);
}

void TPopupCalculatorEh::SetValue(const Variant& Value) {
    ProcessKey(QLatin1Char('C'));
    SetDisplayValue(Value.AsExtended());
}

// ---------------------------------------------------------------------------------------------
// Stored properties

KVT_ENUM_DECL(TFormBorderStyle)

KVT_PUBLISHED(TCalculatorEh) {
    using C = TCalculatorEh;
    P.Prop("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bsNone);
    P.Prop("ClientHeight", &C::LayoutClientHeight, &C::SetLayoutClientHeight);
    P.Prop("ClientWidth", &C::LayoutClientWidth, &C::SetLayoutClientWidth);
    P.Prop("Color", &C::Color, &C::SetColor).Default(clBtnFace);
    P.Prop(
        "Font", [](C* c) { return c->Font(); }, [](C* c, TFont* v) { c->Font()->Assign(v); });
    // Accepted from old streams and ignored.
    P.Prop(
         "OldCreateOrder", [](C*) { return false; }, [](C*, bool) {})
        .Stored(false);
    P.Prop("PixelsPerInch", &C::PixelsPerInch, &C::SetPixelsPerInch);
}

// The keys' click handler, for layouts that bind the keys by name.
KVT_PUBLISHED_METHODS(TCalculatorEh) {
    M.Method("SpeedButtonClick", &TCalculatorEh::SpeedButtonClick);
}
