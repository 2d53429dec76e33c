// TCustomEdit over QLineEdit and TCustomMemo over QPlainTextEdit.

#include "platform/ui/StdCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WindowBridge.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {
// Sends EN_CHANGE the platform's way: the parent gets WM_COMMAND and reflects it to the edit.
void NotifyParent(TWinControl* c, Word code) {
    if (!c->HandleAllocated()) return;
    if (c->Parent())
        c->Parent()->Perform(WM_COMMAND, MAKEWPARAM(0, code), LPARAM(c->Handle()));
    else
        c->Perform(CN_COMMAND, MAKEWPARAM(0, code), LPARAM(c->Handle()));
}
String ApplyCase(const String& s, TEditCharCase c) {
    return c == ecUpperCase ? s.toUpper() : c == ecLowerCase ? s.toLower() : s;
}
} // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 121, 21);
}
TCustomEdit::~TCustomEdit() = default;

QLineEdit* TCustomEdit::LineEdit() const {
    return qobject_cast<QLineEdit*>(FWidget);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
    if (FReadOnly) Params.Style |= ES_READONLY;
    if (FNumbersOnly) Params.Style |= ES_NUMBER;
    if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
    if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
    if (FAlignment == taCenter) Params.Style |= ES_CENTER;
    if (FAlignment == taRightJustify) Params.Style |= ES_RIGHT;
}

QWidget* TCustomEdit::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* e = new QLineEdit(ParentWidget);
    e->setFocusPolicy(Qt::StrongFocus);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(e, &QLineEdit::textChanged, e, [this](const QString& t) {
        if (FCreatingText || (FLastKnown && t == FLastText)) return;
        FLastKnown = true;
        FLastText = t;
        GuardedCall([this] { NotifyParent(this, EN_CHANGE); });
    });
    return e;
}

void TCustomEdit::InitWidget() {
    QLineEdit* e = LineEdit();
    if (!e) return;
    FCreatingText = true;
    e->setText(FText);
    e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
    e->setReadOnly(FReadOnly);
    e->setEchoMode(FPasswordChar != Char(0) ? QLineEdit::Password : QLineEdit::Normal);
    e->setFrame(FBorderStyle == bsSingle);
    e->setPlaceholderText(FTextHint);
    Qt::Alignment a = FAlignment == taRightJustify ? Qt::AlignRight
                      : FAlignment == taCenter     ? Qt::AlignHCenter
                                                   : Qt::AlignLeft;
    e->setAlignment(a | Qt::AlignVCenter);
    e->setModified(FModified);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, ColorToQColor(FColor));
    pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
    e->setPalette(pal);
    if (FSelLength)
        e->setSelection(FSelStart, FSelLength);
    else
        e->setCursorPosition(FSelStart);
    FLastKnown = true;
    FLastText = FText;
    FCreatingText = false;
}

void TCustomEdit::DestroyWnd() {
    if (QLineEdit* e = LineEdit()) {
        FModified = e->isModified();
        FSelStart = SelStart();
        FSelLength = SelLength();
    }
    TWinControl::DestroyWnd();
    FLastKnown = false;
}

String TCustomEdit::GetText() const {
    if (QLineEdit* e = LineEdit()) return e->text();
    return FText;
}

void TCustomEdit::SetTextCore(const String& v) {
    String t = ApplyCase(v, FCharCase);
    if (QLineEdit* e = LineEdit()) {
        // The window reports the change (EN_CHANGE) when the text really changed.
        e->setText(t);
        FText = t;
        Perform(CM_TEXTCHANGED, 0, 0);
        return;
    }
    FText = t;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomEdit::CMTextChanged(TMessage& Message) {
    TWinControl::CMTextChanged(Message);
    if (!HandleAllocated()) Change();
}

void TCustomEdit::Change() {
    TControl::Changed();
    if (OnChange) OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& Message) {
    if (HiWord(Message.WParam) == EN_CHANGE && !FCreatingText) Change();
}

void TCustomEdit::DoEnter() {
    if (FAutoSelect && !FControlState.Contains(csLButtonDown) && !IsMultiLine()) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::CMEnter(TMessage&) {
    DoEnter();
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    if (IsMultiLine()) Message.Result |= DLGC_WANTALLKEYS;
    // A memo that wants tabs keeps Tab from the dialog keys and types it.
    if (auto* memo = dynamic_cast<TCustomMemo*>(this); memo && memo->WantTabs())
        Message.Result |= DLGC_WANTTAB;
}

void TCustomEdit::SetMaxLength(int v) {
    FMaxLength = v;
    if (QLineEdit* e = LineEdit()) e->setMaxLength(v > 0 ? v : 32767);
}
void TCustomEdit::SetReadOnly(bool v) {
    FReadOnly = v;
    if (QLineEdit* e = LineEdit()) e->setReadOnly(v);
    if (auto* m = qobject_cast<QPlainTextEdit*>(FWidget)) m->setReadOnly(v);
}
void TCustomEdit::SetPasswordChar(Char v) {
    FPasswordChar = v;
    if (QLineEdit* e = LineEdit()) e->setEchoMode(v != Char(0) ? QLineEdit::Password : QLineEdit::Normal);
}
void TCustomEdit::SetCharCase(TEditCharCase v) {
    FCharCase = v;
    if (v != ecNormal) SetText(ApplyCase(GetText(), v));
}
void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    if (QLineEdit* e = LineEdit()) e->setFrame(v == bsSingle);
}
void TCustomEdit::SetAlignment(TAlignment v) {
    FAlignment = v;
    if (QLineEdit* e = LineEdit()) {
        Qt::Alignment a = v == taRightJustify ? Qt::AlignRight
                          : v == taCenter     ? Qt::AlignHCenter
                                              : Qt::AlignLeft;
        e->setAlignment(a | Qt::AlignVCenter);
    }
}
void TCustomEdit::SetTextHint(const String& v) {
    FTextHint = v;
    if (QLineEdit* e = LineEdit()) e->setPlaceholderText(v);
}
bool TCustomEdit::Modified() const {
    if (QLineEdit* e = LineEdit()) return e->isModified();
    if (auto* m = qobject_cast<QPlainTextEdit*>(FWidget)) return m->document()->isModified();
    return FModified;
}
void TCustomEdit::SetModified(bool v) {
    FModified = v;
    if (QLineEdit* e = LineEdit()) e->setModified(v);
    if (auto* m = qobject_cast<QPlainTextEdit*>(FWidget)) m->document()->setModified(v);
}

// --- selection -----------------------------------------------------------------------------------
int TCustomEdit::SelStart() {
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(s);
}
int TCustomEdit::SelLength() {
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(e) - int(s);
}
void TCustomEdit::SetSelStart(int v) {
    Perform(EM_SETSEL, WPARAM(v), LPARAM(v));
}
void TCustomEdit::SetSelLength(int v) {
    int s = SelStart();
    Perform(EM_SETSEL, WPARAM(s), LPARAM(s + v));
    Perform(EM_SCROLLCARET, 0, 0);
}
String TCustomEdit::SelText() {
    int s = SelStart(), l = SelLength();
    return EditWindowText().mid(s, l);
}
void TCustomEdit::SetSelText(const String& v) {
    String t = v;
    Perform(EM_REPLACESEL, 0, LPARAM(&t));
}
void TCustomEdit::SelectAll() {
    Perform(EM_SETSEL, 0, -1);
}
void TCustomEdit::ClearSelection() {
    Perform(WM_CLEAR, 0, 0);
}
void TCustomEdit::Clear() {
    SetText(String());
}
void TCustomEdit::Undo() {
    Perform(WM_UNDO, 0, 0);
}
void TCustomEdit::ClearUndo() {
    Perform(EM_EMPTYUNDOBUFFER, 0, 0);
}
bool TCustomEdit::CanUndo() {
    return Perform(EM_CANUNDO, 0, 0) != 0;
}
void TCustomEdit::CutToClipboard() {
    Perform(WM_CUT, 0, 0);
}
void TCustomEdit::CopyToClipboard() {
    Perform(WM_COPY, 0, 0);
}
void TCustomEdit::PasteFromClipboard() {
    Perform(WM_PASTE, 0, 0);
}

Char TCustomEdit::FilterChar(Char c) {
    if (c.unicode() < 32) return c;
    if (FNumbersOnly && !c.isDigit()) {
        MessageBeep(0);
        return Char(0);
    }
    if (FCharCase == ecUpperCase) return c.toUpper();
    if (FCharCase == ecLowerCase) return c.toLower();
    return c;
}

// Edit-control messages on the Qt edit; without a window they work on the stored text.
bool TCustomEdit::EditMessage(TMessage& Message) {
    QLineEdit* e = LineEdit();
    String text = EditWindowText();
    auto clampPos = [&](int p) { return std::clamp(p, 0, int(text.size())); };
    switch (Message.Msg) {
    case EM_GETSEL: {
        int s, en;
        if (e) {
            s = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
            en = e->hasSelectedText() ? e->selectionEnd() : s;
        } else {
            s = std::min(FSelStart, FSelStart + FSelLength);
            en = std::max(FSelStart, FSelStart + FSelLength);
        }
        if (Message.WParam) *reinterpret_cast<DWORD*>(Message.WParam) = DWORD(s);
        if (Message.LParam) *reinterpret_cast<DWORD*>(Message.LParam) = DWORD(en);
        Message.Result = MakeLong(Word(s), Word(en));
        return true;
    }
    case EM_SETSEL: {
        int s = int(intptr_t(Message.WParam)), en = int(Message.LParam);
        if (s == -1) {
            // Deselect: the caret stays.
            if (e) e->deselect();
            FSelLength = 0;
            return true;
        }
        if (uint32_t(Message.WParam) >= 0x7FFFFFFF) s = int(text.size());
        if (en == -1 || en > int(text.size())) en = int(text.size());
        s = clampPos(s);
        en = clampPos(en);
        if (e) {
            if (s == en)
                e->setCursorPosition(s);
            else
                e->setSelection(s, en - s);
        }
        FSelStart = s;
        FSelLength = en - s;
        return true;
    }
    case EM_REPLACESEL: {
        String ins = Message.LParam ? *reinterpret_cast<String*>(Message.LParam) : String();
        if (e) {
            e->insert(ins);
        } else {
            int s = std::min(FSelStart, FSelStart + FSelLength), l = std::abs(FSelLength);
            String t = text;
            t.replace(clampPos(s), l, ins);
            FSelStart = s + int(ins.size());
            FSelLength = 0;
            SetEditWindowText(t);
        }
        return true;
    }
    case EM_SCROLLCARET:
        return true;
    case EM_LIMITTEXT:
        SetMaxLength(int(Message.WParam));
        return true;
    case EM_SETREADONLY:
        SetReadOnly(Message.WParam != 0);
        Message.Result = 1;
        return true;
    case EM_GETMODIFY:
        Message.Result = Modified();
        return true;
    case EM_SETMODIFY:
        SetModified(Message.WParam != 0);
        return true;
    case EM_CANUNDO:
        Message.Result = e && e->isUndoAvailable();
        return true;
    case EM_UNDO:
    case WM_UNDO:
        if (e && !FReadOnly) e->undo();
        Message.Result = 1;
        return true;
    case EM_EMPTYUNDOBUFFER:
        if (e) {
            bool m = e->isModified();
            int c = e->cursorPosition();
            FCreatingText = true;
            e->setText(e->text());
            e->setModified(m);
            e->setCursorPosition(c);
            FCreatingText = false;
        }
        return true;
    case WM_CUT:
        if (e && !FReadOnly) e->cut();
        return true;
    case WM_COPY:
        if (e) e->copy();
        return true;
    case WM_PASTE:
        if (e && !FReadOnly) e->paste();
        return true;
    case WM_CLEAR:
        if (e && !FReadOnly) e->del();
        return true;
    case EM_GETLINECOUNT:
        Message.Result = 1;
        return true;
    case EM_LINEFROMCHAR:
    case EM_LINEINDEX:
        Message.Result = 0;
        return true;
    case EM_LINELENGTH:
        Message.Result = text.size();
        return true;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) {
            QMargins m = e ? e->textMargins() : QMargins();
            TRect cr = ClientRect();
            *r = {cr.Left + 2 + m.left(), cr.Top + 1 + m.top(), cr.Right - 2 - m.right(),
                  cr.Bottom - 1 - m.bottom()};
        }
        return true;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (auto* r = reinterpret_cast<const TRect*>(Message.LParam); r && e) {
            TRect cr = ClientRect();
            e->setTextMargins(std::max(0, r->Left - 2), std::max(0, r->Top - 1),
                              std::max(0, cr.Right - 2 - r->Right), std::max(0, cr.Bottom - 1 - r->Bottom));
        }
        return true;
    case EM_GETMARGINS: {
        QMargins m = e ? e->textMargins() : QMargins();
        Message.Result = MakeLong(Word(m.left()), Word(m.right()));
        return true;
    }
    case EM_SETMARGINS:
        if (e) {
            QMargins m = e->textMargins();
            if (Message.WParam & EC_LEFTMARGIN) m.setLeft(LoWord(uintptr_t(Message.LParam)));
            if (Message.WParam & EC_RIGHTMARGIN) m.setRight(HiWord(uintptr_t(Message.LParam)));
            e->setTextMargins(m);
        }
        return true;
    case EM_CHARFROMPOS:
        if (e) {
            QPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            Message.Result = e->cursorPositionAt(p);
        }
        return true;
    case EM_POSFROMCHAR:
        if (e) {
            QFontMetrics fm(e->font());
            int i = std::clamp(int(Message.WParam), 0, int(text.size()));
            int x = e->textMargins().left() + 2 + fm.horizontalAdvance(text.left(i));
            Message.Result = MakeLong(Word(x), Word(1));
        }
        return true;
    }
    return false;
}

void TCustomEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_ENTER:
        CMEnter(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        TWinControl::Dispatch(Message);
        if (FWidget) {
            QPalette pal = FWidget->palette();
            pal.setColor(QPalette::Base, ColorToQColor(FColor));
            pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
            FWidget->setPalette(pal);
        }
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
    if (Message.Msg == WM_CHAR && Message.WParam >= 32) {
        if (FReadOnly) {
            TWinControl::DefaultHandler(Message);
            return;
        }
        Char c = FilterChar(Char(char16_t(Message.WParam)));
        if (c == Char(0)) {
            MarkInputEventDelivered(FHandle, WM_CHAR);
            return;
        }
        Message.WParam = c.unicode();
        if (!FHandle || !CurrentInputEvent(FHandle, WM_CHAR)) {
            // A character sent by code (no key behind it) is typed into the edit.
            if (QLineEdit* e = LineEdit()) {
                e->insert(QString(c));
                return;
            }
        }
    }
    if (Message.Msg == WM_CHAR && Message.WParam == 8 && !FReadOnly &&
        (!FHandle || !CurrentInputEvent(FHandle, WM_CHAR))) {
        // A Backspace sent by code edits as the key does: the selection or the character before
        // the cursor goes.
        if (QLineEdit* e = LineEdit()) {
            e->backspace();
            return;
        }
    }
    if (EditMessage(Message)) return;
    TWinControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo
namespace {
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* m) : FMemo(m) {}
    std::vector<String> Lines() const {
        String t = FMemo->Text();
        std::vector<String> r;
        if (t.isEmpty()) return r;
        int start = 0;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == QLatin1Char('\r') || t[i] == QLatin1Char('\n')) {
                r.push_back(t.mid(start, i - start));
                if (t[i] == QLatin1Char('\r') && i + 1 < t.size() && t[i + 1] == QLatin1Char('\n')) ++i;
                start = i + 1;
            }
        }
        if (start < t.size()) r.push_back(t.mid(start));
        return r;
    }
    void SetLines(const std::vector<String>& l) {
        String t;
        for (size_t i = 0; i < l.size(); ++i) {
            if (i) t += QStringLiteral("\r\n");
            t += l[i];
        }
        FMemo->SetText(t);
    }
    String Get(int Index) const override {
        auto l = Lines();
        if (Index < 0 || Index >= int(l.size()))
            Error(QStringLiteral("List index out of bounds (%d)"), Index);
        return l[size_t(Index)];
    }
    int GetCount() const override { return int(Lines().size()); }
    void Put(int Index, const String& S) override {
        auto l = Lines();
        if (Index < 0 || Index >= int(l.size()))
            Error(QStringLiteral("List index out of bounds (%d)"), Index);
        l[size_t(Index)] = S;
        SetLines(l);
    }
    void Insert(int Index, const String& S) override {
        auto l = Lines();
        if (Index < 0 || Index > int(l.size())) Error(QStringLiteral("List index out of bounds (%d)"), Index);
        l.insert(l.begin() + Index, S);
        SetLines(l);
    }
    void Delete(int Index) override {
        auto l = Lines();
        if (Index < 0 || Index >= int(l.size()))
            Error(QStringLiteral("List index out of bounds (%d)"), Index);
        l.erase(l.begin() + Index);
        SetLines(l);
    }
    void Clear() override { FMemo->SetText(String()); }
    String GetText() const override {
        String t = FMemo->Text();
        if (!t.isEmpty() && !t.endsWith(QLatin1Char('\n'))) t += QStringLiteral("\r\n");
        return t;
    }
    void SetText(const String& v) override {
        String t = v;
        if (t.endsWith(QStringLiteral("\r\n")))
            t.chop(2);
        else if (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
        FMemo->SetText(t);
    }

private:
    TCustomMemo* FMemo;
};
} // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
    FLines = std::make_unique<TMemoStrings>(this);
    FAutoSelect = false;
    SetBounds(FLeft, FTop, 185, 89);
}
TCustomMemo::~TCustomMemo() = default;

QPlainTextEdit* TCustomMemo::TextEdit() const {
    return qobject_cast<QPlainTextEdit*>(FWidget);
}

QWidget* TCustomMemo::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* e = new QPlainTextEdit(ParentWidget);
    e->setFocusPolicy(Qt::StrongFocus);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setTabChangesFocus(false);
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] {
        if (FCreatingText) return;
        String t = GetText();
        if (FLastKnown && t == FLastText) return;
        FLastKnown = true;
        FLastText = t;
        GuardedCall([this] {
            if (Parent()) Parent()->Perform(WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), LPARAM(Handle()));
        });
    });
    return e;
}

void TCustomMemo::InitWidget() {
    QPlainTextEdit* e = TextEdit();
    if (!e) return;
    FCreatingText = true;
    String t = FText;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    e->setPlainText(t);
    e->setReadOnly(FReadOnly);
    e->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    e->setVerticalScrollBarPolicy(
        FScrollBars == ssVertical || FScrollBars == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setHorizontalScrollBarPolicy(FScrollBars == ssHorizontal || FScrollBars == ssBoth
                                        ? Qt::ScrollBarAlwaysOn
                                        : Qt::ScrollBarAlwaysOff);
    e->setFrameShape(FBorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, ColorToQColor(FColor));
    pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
    e->setPalette(pal);
    FLastKnown = true;
    FLastText = FText;
    FCreatingText = false;
}

String TCustomMemo::GetText() const {
    if (QPlainTextEdit* e = TextEdit()) {
        String t = e->toPlainText();
        t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return t;
    }
    return FText;
}

void TCustomMemo::SetTextCore(const String& v) {
    FText = v;
    if (QPlainTextEdit* e = TextEdit()) {
        String t = v;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        e->setPlainText(t);
        FText = GetText();
    }
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomMemo::SetWordWrap(bool v) {
    FWordWrap = v;
    if (QPlainTextEdit* e = TextEdit())
        e->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
void TCustomMemo::SetScrollBars(TScrollStyle v) {
    FScrollBars = v;
    if (FWidget) InitWidget();
}
TPoint TCustomMemo::CaretPos() {
    if (QPlainTextEdit* e = TextEdit()) {
        QTextCursor c = e->textCursor();
        return {c.positionInBlock(), c.blockNumber()};
    }
    return {};
}
void TCustomMemo::SetCaretPos(const TPoint& p) {
    if (QPlainTextEdit* e = TextEdit()) {
        QTextBlock b = e->document()->findBlockByNumber(p.Y);
        if (!b.isValid()) return;
        QTextCursor c(b);
        c.setPosition(b.position() + std::min(p.X, b.length() - 1));
        e->setTextCursor(c);
    }
}

void TCustomMemo::DefaultHandler(TMessage& Message) {
    QPlainTextEdit* e = TextEdit();
    if (e) {
        switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
            if (FWantTabs) Message.Result |= DLGC_WANTTAB;
            return;
        case EM_GETSEL: {
            QTextCursor c = e->textCursor();
            String before = e->toPlainText();
            // Positions count CR LF as two characters, like the platform's memo.
            auto conv = [&](int p) { return p + int(before.left(p).count(QLatin1Char('\n'))); };
            int s = conv(c.selectionStart()), en = conv(c.selectionEnd());
            if (Message.WParam) *reinterpret_cast<DWORD*>(Message.WParam) = DWORD(s);
            if (Message.LParam) *reinterpret_cast<DWORD*>(Message.LParam) = DWORD(en);
            Message.Result = MakeLong(Word(s), Word(en));
            return;
        }
        case EM_SETSEL: {
            String t = e->toPlainText();
            auto back = [&](int p) {
                int n = 0, i = 0;
                for (; i < t.size() && n < p; ++i)
                    n += t[i] == QLatin1Char('\n') ? 2 : 1;
                return i;
            };
            int s = int(intptr_t(Message.WParam)), en = int(Message.LParam);
            QTextCursor c = e->textCursor();
            if (s == -1) {
                c.clearSelection();
            } else {
                if (uint32_t(Message.WParam) >= 0x7FFFFFFF) s = int(t.size()) * 2;
                if (en == -1) en = int(t.size()) * 2;
                c.setPosition(back(s));
                c.setPosition(back(en), QTextCursor::KeepAnchor);
            }
            e->setTextCursor(c);
            return;
        }
        case EM_REPLACESEL:
            e->insertPlainText(Message.LParam ? *reinterpret_cast<String*>(Message.LParam) : String());
            return;
        case EM_GETLINECOUNT:
            Message.Result = e->document()->blockCount();
            return;
        case EM_LINEFROMCHAR:
            Message.Result = e->textCursor().blockNumber();
            return;
        case WM_UNDO:
        case EM_UNDO:
            e->undo();
            return;
        case EM_CANUNDO:
            Message.Result = e->document()->isUndoAvailable();
            return;
        case WM_CUT:
            e->cut();
            return;
        case WM_COPY:
            e->copy();
            return;
        case WM_PASTE:
            e->paste();
            return;
        case WM_CLEAR:
            e->textCursor().removeSelectedText();
            return;
        }
    }
    TCustomEdit::DefaultHandler(Message);
}
