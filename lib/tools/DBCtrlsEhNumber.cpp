// The number edit: its value is Null or a double. While focused it shows the value in an edit
// format derived from the display format and filters every typed character so that the text
// stays a number within the decimal places and sign range; unfocused it shows the display format.

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/DBCtrlsEhPublish.h"

#include "platform/rtl/SysUtils.h"
#include "lib/tools/CalculatorEh.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/WinApi.h"

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Number texts

bool NumberTextToFloat(const String& Text, Extended& Value) {
    QChar dec = FormatSettings().DecimalSeparator;
    for (QChar c : Text) {
        bool ok = c == dec || c == QLatin1Char('+') || c == QLatin1Char('-') ||
                  (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('E') ||
                  c == QLatin1Char('e');
        if (!ok) return false;
    }
    if (Text == QLatin1String("+") || Text == QLatin1String("-")) {
        Value = 0;
        return true;
    }
    if (Text.isEmpty()) return false;
    return TryStrToFloat(Text.left(127), Value);
}

String NormalizeNumberText(const String& Text) {
    const TFormatSettings& fs = FormatSettings();
    int b = 0, e = int(Text.size());
    while (b < e && Text[b].unicode() < 33)
        ++b;
    while (e > b && Text[e - 1].unicode() < 33)
        --e;
    String s = Text.mid(b, e - b);
    QChar dec = fs.DecimalSeparator, thou = fs.ThousandSeparator;
    if (dec != thou) s.remove(thou);
    if (dec != QLatin1Char('.') && thou != QLatin1Char('.')) s.replace(QLatin1Char('.'), dec);
    if (dec != QLatin1Char(',') && thou != QLatin1Char(',')) s.replace(QLatin1Char(','), dec);
    return s;
}

String AddThousandSeparators(const String& Text, bool UseThousands) {
    const TFormatSettings& fs = FormatSettings();
    int end = int(Text.size());
    int d = int(Text.indexOf(fs.DecimalSeparator));
    int x = int(Text.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive));
    if (d >= 0) end = d;
    if (x >= 0 && x < end) end = x;
    String intPart = Text.left(end);
    String rest = Text.mid(end);
    String sign;
    if (!intPart.isEmpty() && (intPart[0] == QLatin1Char('+') || intPart[0] == QLatin1Char('-'))) {
        sign = intPart.left(1);
        intPart = intPart.mid(1);
    }
    if (!UseThousands) return sign + intPart + rest;
    String out;
    int count = 0;
    for (int i = int(intPart.size()) - 1; i >= 0; --i) {
        out.prepend(intPart[i]);
        if (++count % 3 == 0 && i > 0) out.prepend(fs.ThousandSeparator);
    }
    return sign + out + rest;
}

String DefaultCurrencyEditFormat() {
    return QStringLiteral(",#.") + String(FormatSettings().CurrencyDecimals, QLatin1Char('0'));
}

String EditFormatFromDisplayFormat(const String& Format) {
    String out;
    QChar quote;
    bool exponent = false, plusPending = false;
    int zeros = 0;
    for (QChar c : Format) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char(';')) break;
        if (c == QLatin1Char('E') || c == QLatin1Char('e')) {
            exponent = true;
            plusPending = false;
            continue;
        }
        if (c == QLatin1Char('+') && exponent) {
            plusPending = true;
            exponent = false;
            continue;
        }
        exponent = false;
        if (c == QLatin1Char('0') && plusPending) {
            if (zeros >= 4) break;
            ++zeros;
            continue;
        }
        plusPending = false;
        if (c == QLatin1Char('#') || c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char('0'))
            out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// TCustomDBNumberEditEh

TCustomDBNumberEditEh::TCustomDBNumberEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
    FControlStyle -= csSetCaption;
    SetMaxLength(0);
    RefreshFromField();
}

TCustomDBNumberEditEh::~TCustomDBNumberEditEh() = default;

String TCustomDBNumberEditEh::DisplayFormat() {
    if (FNumberAssignedValues.Contains(evDisplayFormatEh)) return FDisplayFormat;
    TField* f = Field();
    if (auto* n = dynamic_cast<TNumericField*>(f)) return n->DisplayFormat();
    if (auto* d = dynamic_cast<TDateTimeField*>(f)) return d->DisplayFormat();
    if (auto* t = dynamic_cast<TSQLTimeStampField*>(f)) return t->DisplayFormat();
    if (auto* a = dynamic_cast<TAggregateField*>(f)) return a->DisplayFormat();
    return String();
}

void TCustomDBNumberEditEh::SetDisplayFormat(const String& Value) {
    if (FNumberAssignedValues.Contains(evDisplayFormatEh) && Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    FNumberAssignedValues += evDisplayFormatEh;
    Invalidate();
    RefreshFromField();
}

bool TCustomDBNumberEditEh::currency() {
    if (FNumberAssignedValues.Contains(evCurrencyEh)) return FCurrency;
    TField* f = Field();
    if (auto* fl = dynamic_cast<TFloatField*>(f)) return fl->currency();
    if (auto* b = dynamic_cast<TBCDField*>(f)) return b->currency();
    if (auto* fb = dynamic_cast<TFMTBCDField*>(f)) return fb->currency();
    if (auto* a = dynamic_cast<TAggregateField*>(f)) return a->currency();
    return false;
}

void TCustomDBNumberEditEh::Setcurrency(bool Value) {
    if (FNumberAssignedValues.Contains(evCurrencyEh) && Value == FCurrency) return;
    FCurrency = Value;
    FNumberAssignedValues += evCurrencyEh;
    Invalidate();
    RefreshFromField();
}

Extended TCustomDBNumberEditEh::MaxValue() {
    if (FNumberAssignedValues.Contains(evMaxValueEh)) return FMaxValue;
    TField* f = Field();
    if (auto* i = dynamic_cast<TIntegerField*>(f)) return Extended(i->MaxValue());
    if (auto* b = dynamic_cast<TBCDField*>(f)) return b->MaxValue().ToDouble();
    if (auto* fl = dynamic_cast<TFloatField*>(f)) return fl->MaxValue();
    return 0;
}

void TCustomDBNumberEditEh::SetMaxValue(Extended Value) {
    if (FNumberAssignedValues.Contains(evMaxValueEh) && Value == FMaxValue) return;
    FMaxValue = Value;
    FNumberAssignedValues += evMaxValueEh;
    if (!ComponentState().Contains(csLoading) && FDataLink->DataIndepended()) UpdateData();
}

Extended TCustomDBNumberEditEh::MinValue() {
    if (FNumberAssignedValues.Contains(evMinValueEh)) return FMinValue;
    TField* f = Field();
    if (auto* i = dynamic_cast<TIntegerField*>(f)) return Extended(i->MinValue());
    if (auto* b = dynamic_cast<TBCDField*>(f)) return b->MinValue().ToDouble();
    if (auto* fl = dynamic_cast<TFloatField*>(f)) return fl->MinValue();
    return 0;
}

void TCustomDBNumberEditEh::SetMinValue(Extended Value) {
    if (FNumberAssignedValues.Contains(evMinValueEh) && Value == FMinValue) return;
    FMinValue = Value;
    FNumberAssignedValues += evMinValueEh;
    if (!ComponentState().Contains(csLoading) && FDataLink->DataIndepended()) UpdateData();
}

void TCustomDBNumberEditEh::SetDecimalPlaces(unsigned Value) {
    if (Value == FDecimalPlaces) return;
    FDecimalPlaces = Value;
    RefreshFromField();
    Invalidate();
}

Extended TCustomDBNumberEditEh::LimitValue(Extended X) const {
    if (FMinValue < FMaxValue) {
        X = std::clamp(X, FMinValue, FMaxValue);
    } else if (FMinValue > FMaxValue) {
        if (FMaxValue == 0)
            X = std::max(X, FMinValue);
        else if (FMinValue == 0)
            X = std::min(X, FMaxValue);
    }
    if (FDecimalPlaces > 37) return X;
    // Rounding goes through a 64-bit integer; where the scaled value does not fit one, a double
    // has no digits left to round and X stays as it is.
    long double scale = std::pow(10.0L, int(FDecimalPlaces));
    long double scaled = X * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2233720368547758e18L) return X;
    return Extended(Round(scaled)) / scale;
}

String TCustomDBNumberEditEh::FormatDisplayValue(Extended X) {
    String df = DisplayFormat();
    if (!df.isEmpty()) return FormatFloat(df, X);
    if (currency()) return FloatToStrF(X, ffCurrency, 18, FormatSettings().CurrencyDecimals);
    return FloatToStr(X);
}

String TCustomDBNumberEditEh::ReadDisplayText() {
    if (VarIsNull(FValue)) return String();
    return FormatDisplayValue(FValue.AsExtended());
}

void TCustomDBNumberEditEh::SetInternalText(const String& Text) {
    if (FInternalTextSetting) return;
    FInternalTextSetting = true;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{FInternalTextSetting};
    TCustomDBEditEh::PutText(Text);
}

void TCustomDBNumberEditEh::PutValue(const Variant& Value) {
    if (VarIsNull(Value) || Value.IsEmpty()) {
        SetInternalText(String());
        FValue = Variant::FromNull();
        return;
    }
    FValue = Variant(Value.AsDouble());
    FDataLink->Modified();
    if (FFocused && FDataLink->CanModify())
        ReformatText(FormatFloat(FEditFormat, FValue.AsExtended()));
    else
        SetInternalText(ReadDisplayText());
}

void TCustomDBNumberEditEh::PutText(const String& Text) {
    if (Text.isEmpty())
        PutValue(Variant::FromNull());
    else
        PutValue(Variant(double(StrToFloat(NormalizeNumberText(Text)))));
}

void TCustomDBNumberEditEh::StoreTextToLink() {
    FDataLink->SetValue(FValue);
}

void TCustomDBNumberEditEh::RefreshFromField() {
    String df = DisplayFormat();
    FEditFormat =
        (df.isEmpty() && currency()) ? DefaultCurrencyEditFormat() : EditFormatFromDisplayFormat(df);
    if (TField* f = Field()) {
        if (!FAssignedValues.Contains(evAlignmentEh) && f->Alignment() != TCustomEdit::Alignment()) {
            TCustomEdit::SetAlignment(f->Alignment());
            if (HandleAllocated()) RecreateWnd();
        }
        PutValue(f->Value());
    } else if (FDataLink->DataIndepended()) {
        PutValue(FDataLink->DataIndependentValue);
    } else {
        PutValue(Variant::FromNull());
    }
    UpdateEditReadOnly();
    SetModified(false);
}

void TCustomDBNumberEditEh::ReformatText(const String& Text) {
    String t = Text;
    if (!t.isEmpty() && t != QLatin1String("-")) t = NormalizeNumberText(t);
    t = AddThousandSeparators(t, FEditFormat.contains(QLatin1Char(',')));
    String cur = ReadText();
    if (t == cur) return;
    int fromEnd = int(cur.size()) - SelStart();
    SetInternalText(t);
    if (FFocused && !ComponentState().Contains(csDesigning))
        SetSelStart(std::max(0, int(t.size()) - fromEnd));
}

void TCustomDBNumberEditEh::TakeValueFromText() {
    ReformatText(ReadText());
    String n = NormalizeNumberText(ReadText());
    if (n.isEmpty()) {
        FValue = Variant::FromNull();
        SetInternalText(String());
    } else if (n == QLatin1String("+") || n == QLatin1String("-")) {
        FValue = Variant(double(LimitValue(0)));
    } else {
        FValue = Variant(double(LimitValue(StrToFloat(n))));
    }
}

void TCustomDBNumberEditEh::Change() {
    if (!FInternalTextSetting && !FPasting) TakeValueFromText();
    TCustomDBEditEh::Change();
}

TAlignment TCustomDBNumberEditEh::FieldAlignment() {
    return Field() ? TCustomDBEditEh::FieldAlignment() : taRightJustify;
}

bool TCustomDBNumberEditEh::AcceptsChar(Char Key) {
    const QChar dec = FormatSettings().DecimalSeparator;
    String text = ReadText();
    int s = SelStart(), l = SelLength();
    if (l < 0) {
        s += l;
        l = -l;
    }
    bool isDigit = Key >= QLatin1Char('0') && Key <= QLatin1Char('9');
    if (l == 0 && isDigit) {
        // A double holds about 17 significant digits; at least one integer digit stays typable
        // however many decimal places are asked for.
        int limit = std::max(17 - int(std::min(FDecimalPlaces, 17u)), 1);
        String n = NormalizeNumberText(text);
        int d = int(n.indexOf(dec));
        String intPart = d >= 0 ? n.left(d) : n;
        int digits = 0;
        for (QChar c : intPart)
            if (c.isDigit()) ++digits;
        if (digits >= limit) return false;
    }
    bool isDec = Key == dec || Key == QLatin1Char('.') || Key == QLatin1Char(',');
    if (isDec && FDecimalPlaces == 0) return false;
    String cand = NormalizeNumberText(text.left(s) + Key + text.mid(s + l));
    int p = int(cand.indexOf(dec));
    if (p >= 0) {
        int e = int(cand.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive));
        if (e < 0 || e < p) e = int(cand.size());
        // Characters after the separator up to and including an "E".
        int after = std::min(e + 1, int(cand.size())) - (p + 1);
        if (after > int(FDecimalPlaces)) return false;
    }
    if (cand.isEmpty()) return true;
    Extended v = 0;
    if (!NumberTextToFloat(cand, v)) return false;
    if (FMinValue >= 0 && FMaxValue > 0 &&
        (v < 0 || (v == 0 && cand.startsWith(QLatin1Char('-')) && cand.size() > 1)))
        return false;
    return true;
}

void TCustomDBNumberEditEh::KeyPress(Char& Key) {
    if (FCalculatorVisible && (Key == QChar(13) || Key == QChar(27))) {
        CloseUp(Key == QChar(13));
        Key = Char(0);
        return;
    }
    const TFormatSettings& fs = FormatSettings();
    if (Key == QChar(8) && SelLength() == 0 && SelStart() > 0 &&
        ReadText()[SelStart() - 1] == fs.ThousandSeparator) {
        SetSelStart(SelStart() - 1);
        Key = Char(0);
        return;
    }
    if (Key == QLatin1Char('.') || Key == QLatin1Char(',')) Key = fs.DecimalSeparator;
    if (Key.unicode() > 31 && !AcceptsChar(Key)) {
        Key = Char(0);
        return;
    }
    if (Key == QChar(27)) {
        Reset();
        Key = Char(0);
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
}

void TCustomDBNumberEditEh::KeyDown(Word& Key, TShiftState Shift) {
    TCustomDBEditEh::KeyDown(Key, Shift);
    if ((Key == VK_UP || Key == VK_DOWN) && !FReadOnly) {
        IncrementValue(Key == VK_UP);
        Key = 0;
    }
}

void TCustomDBNumberEditEh::IncrementValue(bool IsIncrease) {
    if (FIncrement == 0 || !EditCanModify()) return;
    Variant v = VarIsNull(FValue) ? Variant(double(FIncrement))
                                  : FValue + Variant(double(FIncrement * (IsIncrease ? 1 : -1)));
    PutValue(Variant(double(LimitValue(v.AsExtended()))));
    if (FFocused) SelectAll();
}

TEditButtonEh* TCustomDBNumberEditEh::CreateMainEditButton() {
    return new TDropDownEditButtonEh(this);
}

void TCustomDBNumberEditEh::DropDownOnButtonPress(bool TopButton) {
    TEditButtonStyleEh st = EditButton()->Style();
    if (st == ebsUpDownEh || st == ebsAltUpDownEh) {
        if (!FReadOnly) IncrementValue(!TopButton);
        return;
    }
    TCustomDBEditEh::DropDownOnButtonPress(TopButton);
}

TWinControl* TCustomDBNumberEditEh::OpenDropDownControl() const {
    return FCalculatorVisible ? FDropDownCalculator : nullptr;
}

TWinControl* TCustomDBNumberEditEh::GetPopupCalculator() {
    if (!FDropDownCalculator) {
        auto* calc = new TPopupCalculatorEh(this);
        calc->SetParent(this);
        calc->SetVisible(false);
        if (HandleAllocated()) calc->HandleNeeded();
        FDropDownCalculator = calc;
    }
    return FDropDownCalculator;
}

void TCustomDBNumberEditEh::DropDown() {
    TCustomDBEditEh::DropDown();
    if (FCalculatorVisible) return;
    if (OnDropDown) OnDropDown(this);
    auto* calc = dynamic_cast<IPopupCalculatorEh*>(GetPopupCalculator());
    calc->SetValue(VarIsNull(FValue) ? Variant(0) : FValue);
    calc->SetFlat(FFlat);
    FCalculatorVisible = true;
    FDroppedDown = true;
    ShowDropDownUnder(FDropDownCalculator, daLeft);
    HideCaret(Handle());
    Deselect();
}

void TCustomDBNumberEditEh::CloseUp(bool Accept) {
    if (!FCalculatorVisible) return;
    HideDropDown(FDropDownCalculator);
    ShowCaret(Handle());
    FCalculatorVisible = false;
    FDroppedDown = false;
    TCustomDBEditEh::CloseUp(Accept);
    if (Accept && !FReadOnly && FDataLink->Edit()) {
        Variant v;
        dynamic_cast<IPopupCalculatorEh*>(FDropDownCalculator)->GetValue(v);
        // An "Error" display gives an error value: the edit keeps its own.
        if (VarIsType(v, {varSmallint, varInteger, varSingle, varDouble, varCurrency})) {
            PutValue(v);
            FDataLink->Modified();
        }
        if (FFocused) SelectAll();
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBNumberEditEh::WndProc(TMessage& Message) {
    if (FCalculatorVisible &&
        (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR)) {
        const Word code = Word(Message.WParam);
        if (code == 8 || code == 13 || (code >= 32 && code <= 126)) {
            // Keys go to the calculator while it shows.
            FDropDownCalculator->Perform(Message.Msg, Message.WParam, Message.LParam);
            return;
        }
    }
    if (FCalculatorVisible && Message.Msg == CM_WANTSPECIALKEY &&
        (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
    }
    TCustomDBEditEh::WndProc(Message);
}

bool TCustomDBNumberEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos)) return true;
    if (!Shift.Empty() || FReadOnly || !FDataLink->Edit()) return false;
    IncrementValue(false);
    return true;
}

bool TCustomDBNumberEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos)) return true;
    if (!Shift.Empty() || FReadOnly || !FDataLink->Edit()) return false;
    IncrementValue(true);
    return true;
}

void TCustomDBNumberEditEh::WMPaste(TMessage& Message) {
    String old = ReadText();
    try {
        {
            // The window's change notification comes from inside the paste; the value is taken
            // here, where a failure can be undone.
            FPasting = true;
            struct Guard {
                bool& f;
                ~Guard() { f = false; }
            } g{FPasting};
            TCustomDBEditEh::Dispatch(Message);
        }
        TakeValueFromText();
    } catch (const Exception&) {
        // Pasted text that is no number is undone; nothing of it reaches the value.
        SetInternalText(old);
        Change();
        SelectAll();
        if (CanFocus()) SetFocus();
    }
}

void TCustomDBNumberEditEh::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PASTE) {
        WMPaste(Message);
        return;
    }
    TCustomDBEditEh::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Stored properties: the four that can come from the field are stored only when set explicitly.

KVT_PUBLISHED(TDBNumberEditEh) {
    using C = TDBNumberEditEh;
    PublishDBEditCommon(P);
    P.Prop("currency", &C::currency, &C::Setcurrency).Stored(+[](C* e) {
        return e->NumberAssignedValues().Contains(evCurrencyEh);
    });
    P.Prop("DecimalPlaces", &C::DecimalPlaces, &C::SetDecimalPlaces).Default(2);
    P.Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat).Stored(+[](C* e) {
        return e->NumberAssignedValues().Contains(evDisplayFormatEh);
    });
    P.Prop("Increment", &C::Increment, &C::SetIncrement).Stored(+[](C* e) { return e->Increment() != 1; });
    P.Prop("MaxValue", &C::MaxValue, &C::SetMaxValue).Stored(+[](C* e) {
        return e->NumberAssignedValues().Contains(evMaxValueEh);
    });
    P.Prop("MinValue", &C::MinValue, &C::SetMinValue).Stored(+[](C* e) {
        return e->NumberAssignedValues().Contains(evMinValueEh);
    });
    P.Prop("PasswordChar", &C::PasswordChar, &C::SetPasswordChar).Default(QChar());
    P.Prop("Value", &C::Value, &C::SetValue).Stored([](C* e) { return DBEditValueStored(e); });
    PublishDBEditControl(P);
}
