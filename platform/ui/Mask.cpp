// The masked edit: mask parsing, EditText/Text conversion, overwrite typing and validation.

#include "platform/ui/Mask.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinApi.h"

#include <QLineEdit>

namespace {
bool IsMaskChar(QChar c) {
    switch (c.unicode()) {
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
    case '0':
    case '9':
    case '#':
        return true;
    }
    return false;
}
bool IsRequired(QChar c) {
    return c == QLatin1Char('L') || c == QLatin1Char('A') || c == QLatin1Char('C') || c == QLatin1Char('0');
}

// Splits "mask;save;blank" at separators that are not escaped.
std::vector<String> Fields(const String& m) {
    std::vector<String> r(1);
    for (int i = 0; i < m.size(); ++i) {
        if (m[i] == QLatin1Char('\\') && i + 1 < m.size()) {
            r.back() += m[i];
            r.back() += m[++i];
            continue;
        }
        if (m[i] == QLatin1Char(';') && r.size() < 3) {
            r.emplace_back();
            continue;
        }
        r.back() += m[i];
    }
    return r;
}
} // namespace

TParsedMask ParseEditMask(const TEditMask& EditMask) {
    TParsedMask pm;
    auto f = Fields(EditMask);
    if (f.size() > 1 && !f[1].isEmpty()) pm.SaveLiterals = f[1][0] != QLatin1Char('0');
    if (f.size() > 2 && !f[2].isEmpty()) pm.Blank = f[2][0];
    const String& m = f[0];
    int caseMode = 0;
    for (int i = 0; i < m.size(); ++i) {
        QChar c = m[i];
        if (c == QLatin1Char('\\') && i + 1 < m.size()) {
            pm.Positions.push_back({mcLiteral, m[++i], 0});
        } else if (c == QLatin1Char('!')) {
            pm.Reverse = true;
        } else if (c == QLatin1Char('>')) {
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('<')) {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 1;
            }
        } else if (c == QLatin1Char('<')) {
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('>')) {
                caseMode = 0;
                ++i;
            } else {
                caseMode = -1;
            }
        } else if (IsMaskChar(c)) {
            pm.Positions.push_back({IsRequired(c) ? mcMask : mcMaskOpt, c, caseMode});
        } else if (c == QLatin1Char(':')) {
            pm.Positions.push_back({mcIntlLiteral, FormatSettings().TimeSeparator, 0});
        } else if (c == QLatin1Char('/')) {
            pm.Positions.push_back({mcIntlLiteral, FormatSettings().DateSeparator, 0});
        } else {
            pm.Positions.push_back({mcLiteral, c, 0});
        }
    }
    return pm;
}

bool MaskGetMaskSave(const TEditMask& EditMask) {
    return ParseEditMask(EditMask).SaveLiterals;
}
QChar MaskGetMaskBlank(const TEditMask& EditMask) {
    return ParseEditMask(EditMask).Blank;
}

bool MaskCharAccepts(QChar m, QChar ch) {
    switch (m.unicode()) {
    case 'L':
    case 'l':
        return ch.isLetter();
    case 'A':
    case 'a':
        return ch.isLetterOrNumber();
    case 'C':
    case 'c':
        return !ch.isNull();
    case '0':
    case '9':
        return ch.isDigit();
    case '#':
        return ch.isDigit() || ch == QLatin1Char('+') || ch == QLatin1Char('-');
    }
    return false;
}

namespace {
bool IsLiteral(const TMaskPosition& p) {
    return p.Type == mcLiteral || p.Type == mcIntlLiteral;
}
QChar ApplyCase(const TMaskPosition& p, QChar c) {
    return p.Case > 0 ? c.toUpper() : p.Case < 0 ? c.toLower() : c;
}

// Value without literals placed into the positions; missing characters become `empty`.
String Place(const TParsedMask& pm, const String& value, QChar empty) {
    String r;
    int maskCount = 0;
    for (auto& p : pm.Positions)
        maskCount += !IsLiteral(p);
    int skip = pm.Reverse ? std::max(0, maskCount - int(value.size())) : 0;
    int vi = pm.Reverse ? std::max(0, int(value.size()) - maskCount) : 0;
    int mi = 0;
    for (auto& p : pm.Positions) {
        if (IsLiteral(p)) {
            r += p.Char;
            continue;
        }
        if (mi++ < skip || vi >= value.size()) {
            r += empty;
            continue;
        }
        QChar c = value[vi++];
        r += c == QLatin1Char(' ') ? empty : c;
    }
    return r;
}
} // namespace

String FormatMaskText(const TEditMask& EditMask, const String& Value) {
    TParsedMask pm = ParseEditMask(EditMask);
    if (pm.Empty()) return Value;
    // A value that carries its literals is aligned on them first.
    String v = Value;
    if (pm.SaveLiterals) {
        String raw;
        int vi = 0;
        for (auto& p : pm.Positions) {
            if (IsLiteral(p)) {
                if (vi < v.size() && v[vi] == p.Char) ++vi;
                continue;
            }
            raw += vi < v.size() ? v[vi++] : QLatin1Char(' ');
        }
        v = raw;
    }
    return Place(pm, v, QLatin1Char(' '));
}

// ---------------------------------------------------------------------------------------------
TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
TCustomMaskEdit::~TCustomMaskEdit() = default;

void TCustomMaskEdit::SetEditMask(const TEditMask& v) {
    if (FEditMask == v) return;
    String value = IsMasked() ? GetText() : TCustomEdit::GetText();
    FEditMask = v;
    FMask = ParseEditMask(v);
    if (IsMasked())
        SetMaxLength(int(FMask.Positions.size()));
    else
        SetMaxLength(0);
    // The value is kept and shown through the new mask.
    if (IsMasked())
        SetRawEditText(FMask.SaveLiterals ? PadInputLiterals(value) : AddEditFormat(value, true));
    else
        SetRawEditText(value);
}

String TCustomMaskEdit::EditText() const {
    return TCustomEdit::GetText();
}

void TCustomMaskEdit::SetRawEditText(const String& v) {
    TCustomEdit::SetTextCore(v);
}

void TCustomMaskEdit::SetEditText(const String& v) {
    if (!IsMasked()) {
        TControl::SetText(v);
        return;
    }
    // Shown as given, padded or cut to the mask, literals in place.
    String r;
    for (int i = 0; i < int(FMask.Positions.size()); ++i) {
        const TMaskPosition& p = FMask.Positions[size_t(i)];
        if (IsLiteral(p))
            r += p.Char;
        else
            r += i < v.size() ? v[i] : FMask.Blank;
    }
    if (r != EditText()) SetRawEditText(r);
}

String TCustomMaskEdit::RemoveEditFormat(const String& Value) const {
    String r;
    for (int i = 0; i < int(FMask.Positions.size()) && i < Value.size(); ++i)
        if (!IsLiteral(FMask.Positions[size_t(i)])) r += Value[i];
    if (FMask.Reverse) {
        int k = 0;
        while (k < r.size() && r[k] == FMask.Blank)
            ++k;
        r = r.mid(k);
    } else {
        while (!r.isEmpty() && r.back() == FMask.Blank)
            r.chop(1);
    }
    if (FMask.Blank != QLatin1Char(' ')) r.replace(FMask.Blank, QLatin1Char(' '));
    return r;
}

String TCustomMaskEdit::AddEditFormat(const String& Value, bool Active) const {
    return Place(FMask, Value, Active ? FMask.Blank : QLatin1Char(' '));
}

String TCustomMaskEdit::PadInputLiterals(const String& Value) const {
    String raw;
    int vi = 0;
    for (auto& p : FMask.Positions) {
        if (IsLiteral(p)) {
            if (vi < Value.size() && Value[vi] == p.Char) ++vi;
            continue;
        }
        // A literal met early ends the field: the field's remaining positions stay empty.
        raw += vi < Value.size() ? Value[vi++] : QLatin1Char(' ');
    }
    return Place(FMask, raw, FMask.Blank);
}

String TCustomMaskEdit::GetText() const {
    if (!IsMasked()) return TCustomEdit::GetText();
    String r = RemoveEditFormat(EditText());
    if (FMask.SaveLiterals) r = AddEditFormat(r, false);
    return r;
}

void TCustomMaskEdit::SetTextCore(const String& v) {
    if (!IsMasked()) {
        TCustomEdit::SetTextCore(v);
        return;
    }
    String shown = FMask.SaveLiterals ? PadInputLiterals(v) : AddEditFormat(v, true);
    if (shown != EditText()) SetRawEditText(shown);
}

bool TCustomMaskEdit::EditCanModify() {
    return !ReadOnly();
}

int TCustomMaskEdit::InvalidPosition() const {
    String t = EditText();
    for (int i = 0; i < int(FMask.Positions.size()); ++i) {
        const TMaskPosition& p = FMask.Positions[size_t(i)];
        if (IsLiteral(p)) continue;
        QChar c = i < t.size() ? t[i] : FMask.Blank;
        bool empty = c == FMask.Blank || c == QLatin1Char(' ');
        if (p.Type == mcMask && empty) return i;
        if (!empty && !MaskCharAccepts(p.Char, c)) return i;
    }
    return -1;
}

void TCustomMaskEdit::ValidateError() {
    MessageBeep(0);
    throw EDBEditError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked() || !Modified()) return;
    int pos = InvalidPosition();
    if (pos < 0) return;
    if (CanFocus() && !Focused()) SetFocus();
    SetCursor(pos);
    ValidateError();
}

void TCustomMaskEdit::Reset() {
    if (!Modified()) return;
    SetRawEditText(FOldValue);
    SetModified(false);
}

int TCustomMaskEdit::NextMaskPos(int Pos) const {
    int n = int(FMask.Positions.size());
    for (int i = std::max(0, Pos); i < n; ++i)
        if (!IsLiteral(FMask.Positions[size_t(i)])) return i;
    return n;
}
int TCustomMaskEdit::PrevMaskPos(int Pos) const {
    for (int i = std::min(Pos, int(FMask.Positions.size())) - 1; i >= 0; --i)
        if (!IsLiteral(FMask.Positions[size_t(i)])) return i;
    return -1;
}

void TCustomMaskEdit::GetSel(int& SelStart, int& SelStop) {
    SelStart = this->SelStart();
    SelStop = SelStart + SelLength();
}
void TCustomMaskEdit::SetSel(int SelStart, int SelStop) {
    Perform(EM_SETSEL, WPARAM(SelStart), LPARAM(SelStop));
}

// The caret sits on a position with that position selected: typing overwrites it.
void TCustomMaskEdit::SetCursor(int Pos) {
    int n = int(FMask.Positions.size());
    Pos = std::clamp(Pos, 0, n);
    FSettingCursor = true;
    if (Pos < n && !ReadOnly())
        SetSel(Pos, Pos + 1);
    else
        SetSel(Pos, Pos);
    FSettingCursor = false;
}

void TCustomMaskEdit::CheckCursor() {
    if (!IsMasked() || !Focused()) return;
    int s, e;
    GetSel(s, e);
    if (s == e) SetCursor(s);
}

void TCustomMaskEdit::DeleteSelection(String& Str, int SelStart, int Len) {
    for (int i = SelStart; i < SelStart + Len && i < Str.size(); ++i)
        if (i < int(FMask.Positions.size()) && !IsLiteral(FMask.Positions[size_t(i)])) Str[i] = FMask.Blank;
}

bool TCustomMaskEdit::InputChar(Char& Key, int SelStart, int SelStop) {
    String str = EditText();
    int n = int(FMask.Positions.size());
    if (SelStop > SelStart + 1) DeleteSelection(str, SelStart, SelStop - SelStart);
    // A literal typed where it stands moves past it.
    int pos = SelStart;
    if (pos < n && IsLiteral(FMask.Positions[size_t(pos)])) {
        for (int i = pos; i < n && IsLiteral(FMask.Positions[size_t(i)]); ++i)
            if (FMask.Positions[size_t(i)].Char == Key) {
                if (str != EditText()) SetRawEditText(str);
                SetCursor(NextMaskPos(i + 1));
                return true;
            }
        pos = NextMaskPos(pos);
    }
    if (pos >= n) {
        MessageBeep(0);
        return false;
    }
    const TMaskPosition& p = FMask.Positions[size_t(pos)];
    if (!MaskCharAccepts(p.Char, Key) && !(p.Type == mcMaskOpt && Key == QLatin1Char(' '))) {
        MessageBeep(0);
        return false;
    }
    str[pos] = Key == QLatin1Char(' ') ? FMask.Blank : ApplyCase(p, Key);
    SetRawEditText(str);
    SetModified(true);
    SetCursor(NextMaskPos(pos + 1));
    return true;
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyDown(Key, Shift);
    if (!IsMasked() || Key == 0) return;
    int s, e;
    GetSel(s, e);
    int n = int(FMask.Positions.size());
    if (Key == VK_ESCAPE && Shift.Empty()) {
        Reset();
        return;
    }
    if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl)) {
        if (Key == VK_INSERT || (Key != VK_DELETE && Key != VK_BACK)) return;
    }
    switch (Key) {
    case VK_LEFT: {
        int prev = PrevMaskPos(s);
        SetCursor(prev < 0 ? s : prev);
        Key = 0;
        break;
    }
    case VK_RIGHT: {
        int next = e > s + 1 ? e : NextMaskPos(s + 1);
        SetCursor(std::min(next, n));
        Key = 0;
        break;
    }
    case VK_HOME:
        SetCursor(NextMaskPos(0));
        Key = 0;
        break;
    case VK_END: {
        int last = PrevMaskPos(n);
        SetCursor(last < 0 ? n : last + 1);
        Key = 0;
        break;
    }
    case VK_DELETE:
        if (!EditCanModify()) {
            Key = 0;
            break;
        }
        {
            String str = EditText();
            DeleteSelection(str, s, std::max(1, e - s));
            SetRawEditText(str);
            SetModified(true);
            SetCursor(s);
        }
        Key = 0;
        break;
    }
}

void TCustomMaskEdit::KeyPress(Char& Key) {
    TCustomEdit::KeyPress(Key);
    if (!IsMasked() || Key == Char(0)) return;
    int s, e;
    GetSel(s, e);
    if (Key == QChar(8)) {
        // Backspace blanks the position before the caret (or the selection).
        if (EditCanModify()) {
            String str = EditText();
            int from = e > s + 1 ? s : PrevMaskPos(s);
            if (from >= 0) {
                DeleteSelection(str, from, e > s + 1 ? e - s : 1);
                SetRawEditText(str);
                SetModified(true);
                SetCursor(from);
            }
        }
        Key = Char(0);
        return;
    }
    if (Key == QChar(27) || Key == QChar(13) || Key == QChar(9)) return;
    if (Key.unicode() < 32) {
        // Clipboard keys keep their meaning; other control characters do nothing.
        if (Key.unicode() != 3 && Key.unicode() != 22 && Key.unicode() != 24) Key = Char(0);
        return;
    }
    if (EditCanModify()) InputChar(Key, s, e);
    Key = Char(0);
}

void TCustomMaskEdit::DoEnter() {
    if (IsMasked()) FOldValue = EditText();
    TCustomEdit::DoEnter();
    if (IsMasked() && !AutoSelect()) CheckCursor();
}

void TCustomMaskEdit::DoExit() {
    ValidateEdit();
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::InitWidget() {
    TCustomEdit::InitWidget();
    if (IsMasked())
        if (QLineEdit* e = LineEdit()) e->setMaxLength(int(FMask.Positions.size()));
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
    if (IsMasked()) {
        switch (Message.Msg) {
        case WM_LBUTTONUP:
            TCustomEdit::Dispatch(Message);
            CheckCursor();
            return;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
            if (!EditCanModify()) return;
            if (Message.Msg != WM_PASTE) {
                int s, e;
                GetSel(s, e);
                if (Message.Msg == WM_CUT) Perform(WM_COPY, 0, 0);
                String str = EditText();
                DeleteSelection(str, s, e - s);
                SetRawEditText(str);
                SetModified(true);
                SetCursor(s);
                return;
            }
            {
                // Pasted text is typed in, character by character.
                int s, e;
                GetSel(s, e);
                String clip;
                if (LineEdit()) {
                    QLineEdit tmp;
                    tmp.paste();
                    clip = tmp.text();
                }
                for (QChar c : clip) {
                    Char k = c;
                    if (!InputChar(k, s, e)) break;
                    GetSel(s, e);
                }
            }
            return;
        }
    }
    TCustomEdit::Dispatch(Message);
}
