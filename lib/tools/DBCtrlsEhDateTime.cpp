// The date-time edit and its edit-format engine.
//
// An edit format names the elements Y, M, D, H, N, S in runs of two letters (the year also four);
// the engine turns it into a mask of digits, a display format for FormatDateTime and a template
// that tells which element lies under each text position. The edit keeps its value in FValue
// (Null or a date-time): typing re-parses it without normalising (an incomplete date gives
// Null), leaving the edit normalises (missing parts from today, out-of-range parts clamped), and
// only the elements the format contains are written into the field.

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/DBCtrlsEhPublish.h"

#include "lib/toolscore/PlatformEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace {
constexpr char kElementLetters[] = "YMDHNS";

int ElementIndex(QChar upper) {
    const char* p = std::strchr(kElementLetters, upper.toLatin1());
    return (p && upper.unicode() < 128 && *p) ? int(p - kElementLetters) : -1;
}

bool IsMaskSpecial(QChar c) {
    switch (c.toUpper().unicode()) {
    case '!':
    case '#':
    case '0':
    case '9':
    case ';':
    case '<':
    case '>':
    case 'A':
    case 'C':
    case 'L':
        return true;
    default:
        return false;
    }
}

bool IsDisplaySpecifier(QChar upper) {
    switch (upper.unicode()) {
    case '/':
    case ':':
    case 'D':
    case 'H':
    case 'M':
    case 'N':
    case 'S':
    case 'Y':
        return true;
    default:
        return false;
    }
}

int CurrentYear() {
    Word y, m, d;
    DecodeDate(Date(), y, m, d);
    return y;
}

QChar FirstDateOrderLetter() {
    for (QChar c : FormatSettingsProxy().ShortDateFormat()) {
        QChar u = c.toUpper();
        if (u == QLatin1Char('D') || u == QLatin1Char('M') || u == QLatin1Char('Y')) return u;
    }
    return QLatin1Char('D');
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Format engine

bool ShortDateFormatHasFourDigitYearEh() {
    String f = FormatSettingsProxy().ShortDateFormat().toUpper();
    return f.contains(QStringLiteral("YYY"));
}

String DefaultDateFormatEh(bool FourDigitYear) {
    String y = FourDigitYear ? QStringLiteral("YYYY") : QStringLiteral("YY");
    switch (FirstDateOrderLetter().unicode()) {
    case 'M':
        return QStringLiteral("MM/DD/") + y;
    case 'Y':
        return y + QStringLiteral("/MM/DD");
    default:
        return QStringLiteral("DD/MM/") + y;
    }
}

String DefaultTimeFormatEh() {
    return QStringLiteral("HH:NN:SS");
}

String DateTimeEditFormatToMaskEh(const String& EditFormat, TDateTimeElementsMaskPosEh& Pos) {
    Pos = TDateTimeElementsMaskPosEh();
    String body;
    int textPos = 1;
    QChar runLetter;
    int runLen = 0;
    auto closeRun = [&] {
        if (runLen == 0) return;
        int e = ElementIndex(runLetter);
        bool ok = runLen == 2 || (runLetter == QLatin1Char('Y') && runLen == 4);
        if (!ok)
            throw Exception(QStringLiteral("Invalid datetime format element length: \"%1\"").arg(runLetter));
        if (Pos[e].Present)
            throw Exception(QStringLiteral("Duplicating datetime format element: \"%1\"").arg(runLetter));
        Pos[e].Pos = textPos - runLen;
        Pos[e].Length = runLen;
        Pos[e].Present = true;
        body += String(runLen, QLatin1Char('9'));
        runLen = 0;
        runLetter = QChar();
    };
    bool escaped = false;
    for (int i = 0; i < EditFormat.size(); ++i) {
        QChar c = EditFormat[i];
        QChar u = c.toUpper();
        if (!escaped && c == QLatin1Char('\\')) {
            closeRun();
            escaped = true;
            continue;
        }
        if (!escaped && ElementIndex(u) >= 0) {
            if (runLen > 0 && u == runLetter) {
                ++runLen;
                if (runLen > (u == QLatin1Char('Y') ? 4 : 2))
                    throw Exception(QStringLiteral("Element in EditFormat: \"%1\" is too long. Pos: %2")
                                        .arg(EditFormat)
                                        .arg(i + 1));
            } else {
                closeRun();
                runLetter = u;
                runLen = 1;
            }
            ++textPos;
            continue;
        }
        closeRun();
        // Mask characters are kept literal, escaped or not, so that no format text can add an
        // input position the element table does not know of.
        if (IsMaskSpecial(c)) body += QLatin1Char('\\');
        body += c;
        escaped = false;
        ++textPos;
    }
    closeRun();
    return QStringLiteral("!") + body + QStringLiteral(";1; ");
}

String DateTimeEditFormatToDisplayFormatEh(const String& EditFormat) {
    String out;
    String literal;
    auto flush = [&] {
        if (literal.isEmpty()) return;
        out += QLatin1Char('\'') + String(literal).replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
        literal.clear();
    };
    bool escaped = false;
    for (QChar c : EditFormat) {
        if (!escaped && c == QLatin1Char('\\')) {
            escaped = true;
            continue;
        }
        QChar u = c.toUpper();
        if (!escaped && IsDisplaySpecifier(u)) {
            flush();
            out += u;
        } else {
            literal += c;
        }
        escaped = false;
    }
    flush();
    return out;
}

String DateTimeEditFormatToTemplateEh(const String& EditFormat) {
    String out;
    bool escaped = false;
    for (QChar c : EditFormat) {
        if (!escaped && c == QLatin1Char('\\')) {
            escaped = true;
            continue;
        }
        QChar u = c.toUpper();
        out += (!escaped && IsDisplaySpecifier(u)) ? u : QLatin1Char(' ');
        escaped = false;
    }
    return out;
}

int ExpandTwoDigitYearEh(int Year, int CurrentYear) {
    if (Year < 0 || Year >= 100) return Year;
    int base = CurrentYear - 60;
    int y = Year + 100 * (base / 100);
    if (y < base) y += 100;
    return y;
}

bool ParseDateTimeTextEh(const String& Text, const TDateTimeElementsMaskPosEh& Pos,
                         TDateTimeElementValuesEh& Values) {
    bool ok = true;
    for (int e = 0; e < 6; ++e) {
        Values[e] = -1;
        if (!Pos[e].Present) continue;
        String part = Text.mid(Pos[e].Pos - 1, Pos[e].Length);
        String digits;
        bool bad = false;
        for (QChar c : part) {
            if (c == QLatin1Char(' ')) continue;
            if (!c.isDigit() || c.unicode() > '9') {
                bad = true;
                break;
            }
            digits += c;
        }
        if (!bad && !digits.isEmpty()) {
            bool conv = false;
            int v = digits.toInt(&conv);
            if (conv) Values[e] = v;
        }
        if (Values[e] < 0) ok = false;
    }
    if (Values[0] >= 0) Values[0] = ExpandTwoDigitYearEh(Values[0], CurrentYear());
    return ok;
}

bool ApplyDateTimeElementsEh(Variant& V, const TDateTimeElementValuesEh& Values,
                             const TDateTimeElementsMaskPosEh& Pos, bool Normalize) {
    TDateTimeElementValuesEh v = Values;
    bool allMissing = std::all_of(std::begin(v.V), std::end(v.V), [](int x) { return x == -1; });
    if (allMissing) {
        V = Variant::FromNull();
        return true;
    }
    if (Normalize) {
        Word ty, tm, td;
        DecodeDate(Date(), ty, tm, td);
        if (v[0] < 1) v[0] = ty;
        if (v[1] < 1) v[1] = tm;
        if (v[2] < 1) v[2] = td;
        v[1] = std::min(v[1], 12);
        v[0] = std::min(ExpandTwoDigitYearEh(v[0], CurrentYear()), 9999);
        v[2] = std::min(v[2], int(DaysInAMonth(Word(v[0]), Word(v[1]))));
        for (int e = 3; e < 6; ++e)
            v[e] = std::max(v[e], 0);
        v[3] = std::min(v[3], 23);
        v[4] = std::min(v[4], 59);
        v[5] = std::min(v[5], 59);
    } else {
        for (int e = 0; e < 3; ++e)
            if (!Pos[e].Present && v[e] < 1) v[e] = 1;
        for (int e = 3; e < 6; ++e)
            if (!Pos[e].Present && v[e] < 0) v[e] = 0;
    }
    // The elements must form a real date and time; an impossible one (31 February) is refused.
    bool noDate = v[0] < 0 && v[1] < 0 && v[2] < 0;
    TDateTime probe;
    bool valid = noDate || (v[0] >= 1 && v[0] <= 9999 && v[1] >= 1 && v[2] >= 1 &&
                            TryEncodeDate(Word(v[0]), Word(v[1]), Word(v[2]), probe));
    valid = valid && v[3] >= 0 && v[4] >= 0 && v[5] >= 0 &&
            TryEncodeTime(Word(v[3]), Word(v[4]), Word(v[5]), 0, probe);
    if (!valid) {
        V = Variant::FromNull();
        return false;
    }
    Word y = 1900, m = 1, d = 1, h = 0, n = 0, s = 0, ms = 0;
    if (!VarIsNull(V) && !V.IsEmpty()) {
        TDateTime cur = VarToDateTime(V);
        DecodeDate(cur, y, m, d);
        DecodeTime(cur, h, n, s, ms);
    }
    int parts[6] = {y, m, d, h, n, s};
    for (int e = 0; e < 6; ++e) {
        bool ok = e < 3 ? v[e] > 0 : v[e] >= 0;
        if (Pos[e].Present && ok) parts[e] = v[e];
    }
    TDateTime date = 0, time = 0;
    if (!(parts[0] == 0 && parts[1] == 0 && parts[2] == 0) &&
        !TryEncodeDate(Word(parts[0]), Word(parts[1]), Word(parts[2]), date)) {
        V = Variant::FromNull();
        return false;
    }
    TryEncodeTime(Word(parts[3]), Word(parts[4]), Word(parts[5]), ms, time);
    V = VarFromDateTime(date >= 0 ? date + time : date - time);
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCustomDBDateTimeEditEh

TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
    FControlStyle -= csSetCaption;
    FFourDigitYear = ShortDateFormatHasFourDigitYearEh();
    UpdateMask();
}

TCustomDBDateTimeEditEh::~TCustomDBDateTimeEditEh() = default;

void TCustomDBDateTimeEditEh::UpdateFourDigitYear() {
    bool four = ShortDateFormatHasFourDigitYearEh();
    if (four == FFourDigitYear) return;
    FFourDigitYear = four;
    UpdateMask();
}

void TCustomDBDateTimeEditEh::UpdateMask() {
    switch (FKind) {
    case dtkDateEh:
        FEditFormat = DefaultDateFormatEh(FFourDigitYear);
        break;
    case dtkTimeEh:
        FEditFormat = DefaultTimeFormatEh();
        break;
    case dtkDateTimeEh:
        FEditFormat = DefaultDateFormatEh(FFourDigitYear) + QLatin1Char(' ') + DefaultTimeFormatEh();
        break;
    case dtkCustomEh:
        break;
    }
    if (FEditFormat.isEmpty()) {
        FDateTimeFormat.clear();
        FDateTimeMaskPos = TDateTimeElementsMaskPosEh();
        TCustomMaskEdit::SetEditMask(String());
        return;
    }
    TDateTimeElementsMaskPosEh pos;
    String mask = DateTimeEditFormatToMaskEh(FEditFormat, pos);
    FDateTimeMaskPos = pos;
    FDateTimeFormat = DateTimeEditFormatToDisplayFormatEh(FEditFormat);
    TCustomMaskEdit::SetEditMask(mask);
}

void TCustomDBDateTimeEditEh::SetKind(TDateTimeKindEh Value) {
    if (Value == FKind) return;
    FKind = Value;
    UpdateMask();
    FDataLink->Reset();
}

void TCustomDBDateTimeEditEh::SetEditFormat(const String& Value) {
    FKind = dtkCustomEh;
    if (Value == FEditFormat) return;
    String old = FEditFormat;
    FEditFormat = Value;
    try {
        UpdateMask();
    } catch (...) {
        // A bad format leaves the edit with the one it had.
        FEditFormat = old;
        UpdateMask();
        throw;
    }
    FDataLink->Reset();
}

void TCustomDBDateTimeEditEh::SetInternalText(const String& Text) {
    if (FInternalTextSetting) return;
    FInternalTextSetting = true;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{FInternalTextSetting};
    TCustomDBEditEh::PutText(Text);
}

bool TCustomDBDateTimeEditEh::ParseText(const String& Text, TDateTimeElementValuesEh& Values) const {
    return ParseDateTimeTextEh(Text, FDateTimeMaskPos, Values);
}

void TCustomDBDateTimeEditEh::RefreshFromField() {
    if (TField* f = Field()) {
        if (f->Alignment() != FAlignment) Invalidate();
        PutValue(f->Value());
    } else if (FDataLink->DataIndepended()) {
        PutValue(FDataLink->DataIndependentValue);
    } else {
        PutValue(Variant::FromNull());
    }
    UpdateEditReadOnly();
    SetModified(false);
}

void TCustomDBDateTimeEditEh::PutValue(const Variant& Value) {
    if (VarIsNull(Value) || Value.IsEmpty()) {
        FValue = Variant::FromNull();
        SetInternalText(String());
        return;
    }
    TDateTime d = VarToDateTime(Value);
    FValue = VarFromDateTime(d);
    SetInternalText(IsMasked() ? FormatDateTime(FDateTimeFormat, d) : DateTimeToStr(d));
}

void TCustomDBDateTimeEditEh::PutText(const String& Text) {
    Variant v = FValue;
    if (IsMasked()) {
        TDateTimeElementValuesEh values;
        // Parse the text as the mask shows it, so that element positions line up.
        String shown = FormatMaskText(EditMask(), Text);
        ParseText(shown, values);
        if (!ApplyDateTimeElementsEh(v, values, FDateTimeMaskPos, false))
            throw Exception(QStringLiteral("Invalid datetime: \"%1\"").arg(Text));
        FValue = v;
        SetInternalText(shown);
    } else {
        FValue = Text.trimmed().isEmpty() ? Variant::FromNull() : VarFromDateTime(StrToDateTime(Text));
        SetInternalText(Text);
    }
}

void TCustomDBDateTimeEditEh::Change() {
    if (!FInternalTextSetting) {
        Variant v = FValue;
        if (IsMasked()) {
            TDateTimeElementValuesEh values;
            ParseText(EditText(), values);
            ApplyDateTimeElementsEh(v, values, FDateTimeMaskPos, false);
        } else {
            TDateTime d;
            v = TryStrToDateTime(ReadText(), d) ? VarFromDateTime(d) : Variant::FromNull();
        }
        FValue = v;
    }
    TCustomDBEditEh::Change();
}

void TCustomDBDateTimeEditEh::ValidateEdit() {
    if (FEditValidating) return;
    FEditValidating = true;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{FEditValidating};
    TCustomDBEditEh::ValidateEdit();
    if (!IsMasked()) return;
    TDateTimeElementValuesEh values;
    ParseText(EditText(), values);
    Variant v = FValue;
    ApplyDateTimeElementsEh(v, values, FDateTimeMaskPos, true);
    FValue = v;
    SetInternalText(VarIsNull(FValue) ? String() : FormatDateTime(FDateTimeFormat, VarToDateTime(FValue)));
}

void TCustomDBDateTimeEditEh::StoreTextToLink() {
    Variant base = Field() ? Field()->Value() : FDataLink->DataIndependentValue;
    if (IsMasked()) {
        TDateTimeElementValuesEh values;
        if (!VarIsNull(FValue) && !FValue.IsEmpty()) {
            Word y, m, d, h, n, s, ms;
            TDateTime dt = VarToDateTime(FValue);
            DecodeDate(dt, y, m, d);
            DecodeTime(dt, h, n, s, ms);
            int parts[6] = {y, m, d, h, n, s};
            for (int e = 0; e < 6; ++e)
                values[e] = parts[e];
        }
        ApplyDateTimeElementsEh(base, values, FDateTimeMaskPos, true);
    } else {
        String t = ReadText();
        base = t.trimmed().isEmpty() ? Variant::FromNull() : VarFromDateTime(StrToDateTime(t));
    }
    FDataLink->SetValue(base);
}

String TCustomDBDateTimeEditEh::ReadDisplayTextForPaintCopy() {
    if (ComponentState().Contains(csDesigning) && !FDataLink->Active()) return Name();
    if (FControlState.Contains(csPaintCopy) && Field()) {
        if (Field()->IsNull()) return String();
        TDateTime d = Field()->AsDateTime();
        return IsMasked() ? FormatDateTime(FDateTimeFormat, d) : DateTimeToStr(d);
    }
    return EditText();
}

void TCustomDBDateTimeEditEh::IncrementElement(bool Up) {
    String tmpl = DateTimeEditFormatToTemplateEh(FEditFormat);
    if (tmpl.isEmpty()) return;
    int p = std::min(SelStart() + 1, int(tmpl.size()));
    if (p < 1) p = 1;
    QChar at = tmpl[p - 1];
    const TFormatSettings& fs = FormatSettings();
    if (at == QLatin1Char('/') || at == QLatin1Char(':') || at == fs.DateSeparator ||
        at == fs.TimeSeparator) {
        ++p;
        if (p > tmpl.size()) return;
        at = tmpl[p - 1];
    }
    int e = ElementIndex(at);
    if (e < 0) return;
    int start = int(tmpl.indexOf(at));
    int len = 0;
    while (start + len < tmpl.size() && tmpl[start + len] == at)
        ++len;
    String text = EditText();
    bool ok = false;
    int num = text.mid(start, len).trimmed().toInt(&ok);
    if (!ok) num = 0;
    static const int tops[6] = {9999, 12, 31, 23, 59, 59};
    int top = tops[e], bottom = e < 3 ? 1 : 0;
    if (Up)
        num = num < top ? num + 1 : bottom;
    else if (e < 3)
        num = num > 1 ? num - 1 : top;
    else
        num = num < 1 ? top : num - 1;
    String digits = QString::number(num).rightJustified(len, QLatin1Char('0'));
    if (digits.size() > len) digits = digits.right(len);
    text.replace(start, len, digits);
    FInternalTextSetting = true;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } g{FInternalTextSetting};
    SetEditText(text);
    SetSelStart(start);
    SetSelLength(len);
}

TEditButtonEh* TCustomDBDateTimeEditEh::CreateMainEditButton() {
    return new TVisibleEditButtonEh(this);
}

void TCustomDBDateTimeEditEh::DropDownOnButtonPress(bool TopButton) {
    TEditButtonStyleEh st = EditButton()->Style();
    if (st == ebsUpDownEh || st == ebsAltUpDownEh) {
        if (IsMasked() && !FReadOnly && FDataLink->Edit()) IncrementElement(!TopButton);
        return;
    }
    TCustomDBEditEh::DropDownOnButtonPress(TopButton);
}

TWinControl* TCustomDBDateTimeEditEh::OpenDropDownControl() const {
    return FCalendarVisible ? FDropDownCalendar : nullptr;
}

void TCustomDBDateTimeEditEh::DropDown() {
    TCustomDBEditEh::DropDown();
    if (FCalendarVisible) return;
    if (OnDropDown) OnDropDown(this);
    if (!FDropDownCalendar) {
        auto* cal = new TPopupMonthCalendarEh(this);
        cal->SetParent(this);
        cal->SetVisible(false);
        FDropDownCalendar = cal;
    }
    auto* cal = static_cast<TPopupMonthCalendarEh*>(FDropDownCalendar);
    cal->SetDate(VarIsNull(FValue) || FValue.IsEmpty() ? Date() : std::floor(VarToDateTime(FValue)));
    FCalendarVisible = true;
    FDroppedDown = true;
    ShowDropDownUnder(cal, daLeft);
}

void TCustomDBDateTimeEditEh::CloseUp(bool Accept) {
    if (FCalendarVisible) {
        FCalendarVisible = false;
        HideDropDown(FDropDownCalendar);
        FDroppedDown = false;
        TCustomDBEditEh::CloseUp(Accept);
        if (Accept && !FReadOnly && FDataLink->Edit()) {
            Word y, m, d, h = 0, n = 0, sec = 0, ms = 0;
            DecodeDate(static_cast<TPopupMonthCalendarEh*>(FDropDownCalendar)->Date(), y, m, d);
            bool hasTime = !VarIsNull(FValue) && !FValue.IsEmpty();
            if (hasTime) DecodeTime(VarToDateTime(FValue), h, n, sec, ms);
            TDateTimeElementValuesEh values;
            int parts[6] = {y, m, d, hasTime ? h : -1, hasTime ? n : -1, hasTime ? sec : -1};
            for (int e = 0; e < 6; ++e)
                values[e] = parts[e];
            Variant v = FValue;
            ApplyDateTimeElementsEh(v, values, FDateTimeMaskPos, true);
            PutValue(v);
            FDataLink->Modified();
            if (FFocused) SelectAll();
        }
    } else {
        TCustomDBEditEh::CloseUp(Accept);
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBDateTimeEditEh::HandleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    TCustomDBEditEh::HandleButtonMouseMove(Sender, Shift, X, Y);
    auto* c = dynamic_cast<TControl*>(Sender);
    if (!FCalendarVisible || !c || !c->MouseCapture()) return;
    // Pressing the button and dragging into the calendar picks a date there.
    TPoint p = FDropDownCalendar->ScreenToClient(c->ClientToScreen(TPoint(X, Y)));
    if (FDropDownCalendar->ClientRect().Contains(p)) {
        c->Perform(WM_CANCELMODE, 0, 0);
        FDropDownCalendar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    }
}

void TCustomDBDateTimeEditEh::ItemStartsWithText(const String& Item, bool& Accept) {
    String text = ReadText();
    const QChar sep = FormatSettings().DateSeparator;
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == sep))
        text.chop(1);
    Accept = AnsiCompareText(Item.left(int(text.size())), text) == 0;
}

void TCustomDBDateTimeEditEh::KeyDown(Word& Key, TShiftState Shift) {
    if (IsMasked() && Shift.Empty()) {
        if ((Key == VK_UP || Key == VK_DOWN) && !FReadOnly) {
            if (OnKeyDown) OnKeyDown(this, Key, Shift);
            if (Key != 0 && FInplaceMode && FIntfInplaceEditHolder)
                FIntfInplaceEditHolder->InplaceEditKeyDown(this, Key, Shift);
            if (Key == 0) return;
            if (FDataLink->Edit()) IncrementElement(Key == VK_UP);
        } else if ((Key == VK_LEFT || Key == VK_RIGHT) && std::abs(SelLength()) > 1) {
            if (OnKeyDown) OnKeyDown(this, Key, Shift);
            if (Key != 0 && FInplaceMode && FIntfInplaceEditHolder)
                FIntfInplaceEditHolder->InplaceEditKeyDown(this, Key, Shift);
            if (Key == 0) return;
            int s = SelStart(), l = SelLength();
            int first = l >= 0 ? s : s + l, last = l >= 0 ? s + l - 1 : s - 1;
            SetSelLength(0);
            SetSelStart(Key == VK_LEFT ? first : last);
            Key = 0;
            return;
        }
    }
    TCustomDBEditEh::KeyDown(Key, Shift);
}

void TCustomDBDateTimeEditEh::KeyPress(Char& Key) {
    if (FCalendarVisible && (Key == QChar(13) || Key == QChar(27))) {
        CloseUp(Key == QChar(13));
        Key = Char(0);
        return;
    }
    const TFormatSettings& fs = FormatSettings();
    bool isSep = IsMasked() && (Key == fs.DateSeparator || Key == fs.TimeSeparator);
    if (isSep) {
        // A separator jumps to the element after the next one in the text.
        String text = EditText();
        int at = int(text.indexOf(Key, SelStart()));
        String tmpl = DateTimeEditFormatToTemplateEh(FEditFormat);
        int target = at >= 0 ? at + 1 : 0;
        if (target >= tmpl.size() || ElementIndex(tmpl[target]) < 0) target = 0;
        while (target < tmpl.size() && ElementIndex(tmpl[target]) < 0)
            ++target;
        if (target < tmpl.size()) {
            QChar letter = tmpl[target];
            int start = int(tmpl.indexOf(letter));
            int len = 0;
            while (start + len < tmpl.size() && tmpl[start + len] == letter)
                ++len;
            SetSelStart(start);
            SetSelLength(len);
        }
        Key = Char(0);
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
}

void TCustomDBDateTimeEditEh::DefineProperties(TFiler* Filer) {
    TCustomDBEditEh::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("EditFormat"), [this](TReader* R) { SetEditFormat(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(FEditFormat); }, FKind == dtkCustomEh);
}

void TCustomDBDateTimeEditEh::DoEnter() {
    UpdateFourDigitYear();
    TCustomDBEditEh::DoEnter();
}

bool TCustomDBDateTimeEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos)) return true;
    if (!Shift.Empty() || !IsMasked() || FReadOnly || !FDataLink->Edit()) return false;
    IncrementElement(false);
    return true;
}

bool TCustomDBDateTimeEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos)) return true;
    if (!Shift.Empty() || !IsMasked() || FReadOnly || !FDataLink->Edit()) return false;
    IncrementElement(true);
    return true;
}

void TCustomDBDateTimeEditEh::WndProc(TMessage& Message) {
    if (FCalendarVisible &&
        (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR)) {
        const Word code = Word(Message.WParam);
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (Message.Msg != WM_CHAR &&
            (code == VK_PRIOR || code == VK_NEXT || code == VK_UP || code == VK_DOWN || code == VK_LEFT ||
             code == VK_RIGHT || ((code == VK_HOME || code == VK_END) && ctrl))) {
            // The calendar never has the focus: the edit moves its date.
            auto* cal = static_cast<TPopupMonthCalendarEh*>(FDropDownCalendar);
            TDateTime d = cal->Date();
            Word y, m, dd;
            DecodeDate(d, y, m, dd);
            auto addMonths = [&](int n) {
                int mi = int(y) * 12 + int(m) - 1 + n;
                Word ny = Word(mi / 12), nm = Word(mi % 12 + 1);
                return EncodeDate(ny, nm, std::min(dd, DaysInAMonth(ny, nm)));
            };
            switch (code) {
            case VK_LEFT:
                d -= 1;
                break;
            case VK_RIGHT:
                d += 1;
                break;
            case VK_UP:
                d -= 7;
                break;
            case VK_DOWN:
                d += 7;
                break;
            case VK_PRIOR:
                d = addMonths(ctrl ? -12 : -1);
                break;
            case VK_NEXT:
                d = addMonths(ctrl ? 12 : 1);
                break;
            case VK_HOME:
                d = EncodeDate(y, m, 1);
                break;
            case VK_END:
                d = EncodeDate(y, m, DaysInAMonth(y, m));
                break;
            }
            cal->SetDate(d);
            return;
        }
    }
    if (FCalendarVisible && Message.Msg == CM_WANTSPECIALKEY &&
        (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
    }
    TCustomDBEditEh::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Stored properties (EditFormat is a defined property, written only for the custom kind)

KVT_ENUM_TYPE(TDateTimeKindEh, dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh)

KVT_PUBLISHED(TDBDateTimeEditEh) {
    using C = TDBDateTimeEditEh;
    PublishDBEditCommon(P);
    P.Prop("Kind", &C::Kind, &C::SetKind).Stored([](C* e) { return e->Kind() != dtkCustomEh; });
    P.Prop("Value", &C::Value, &C::SetValue).Stored([](C* e) { return DBEditValueStored(e); });
    PublishDBEditControl(P);
    P.Prop("OnCloseUp", &C::OnCloseUp, &C::OnCloseUp);
    P.Prop("OnDropDown", &C::OnDropDown, &C::OnDropDown);
}
