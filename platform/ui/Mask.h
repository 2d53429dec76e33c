#pragma once
// Edit control with an input mask, in the platform's mask syntax:
//   "mask;save-literals;blank"
// mask characters: L/l letter (required/optional), A/a letter or digit, C/c any character,
// 0/9 digit (required/optional), # digit or sign (optional); ! keeps optional blanks at the
// start (text right-aligned); > upper case and < lower case for what follows (<> ends both);
// \ makes the next character a literal; : and / are the locale's time and date separators;
// anything else is a literal. save-literals "0" leaves the literals out of Text; blank is the
// character shown for empty positions ("_" when not given).
//
// EditText is what the control shows (literals and blanks included); Text is the value:
// blanks become spaces, trailing (or, with !, leading) empty positions are dropped, and the
// literals are kept only when the mask saves them. Typing overwrites one position at a time and
// skips literals; ValidateEdit raises EDBEditError when a required position is empty.

#include "platform/ui/StdCtrls.h"

KVT_EXCEPTION(EDBEditError, Exception)

enum TMaskCharType {
    mcNone,
    mcLiteral,
    mcIntlLiteral,
    mcDirective,
    mcMask,
    mcMaskOpt,
    mcFieldSeparator,
    mcField
};
enum TMaskDirective { mdReverseDir, mdUpperCase, mdLowerCase, mdLiteralChar };
using TMaskDirectives = TSet<TMaskDirective>;
using TEditMask = String;

// A parsed mask: one entry per character the control shows.
struct TMaskPosition {
    TMaskCharType Type = mcLiteral; // mcLiteral / mcIntlLiteral / mcMask / mcMaskOpt
    QChar Char;                     // the literal shown, or the mask character
    int Case = 0;                   // 0 as typed, 1 upper, -1 lower
};
struct TParsedMask {
    std::vector<TMaskPosition> Positions;
    bool Reverse = false;
    bool SaveLiterals = true;
    QChar Blank = QLatin1Char('_');
    bool Empty() const { return Positions.empty(); }
};
TParsedMask ParseEditMask(const TEditMask& EditMask);
// The platform's FormatMaskText: Value (without literals unless the mask saves them) shown
// through the mask, blanks as spaces.
String FormatMaskText(const TEditMask& EditMask, const String& Value);
bool MaskGetMaskSave(const TEditMask& EditMask);
QChar MaskGetMaskBlank(const TEditMask& EditMask);
// Whether Ch may stand at a mask character (case directives not applied).
bool MaskCharAccepts(QChar MaskChar, QChar Ch);

class TCustomMaskEdit : public TCustomEdit {
    KVT_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* AOwner);
    ~TCustomMaskEdit() override;

    TEditMask EditMask() const { return FEditMask; }
    void SetEditMask(const TEditMask& v);
    bool IsMasked() const { return !FMask.Empty(); }
    // What the control shows, literals and blanks included.
    String EditText() const;
    void SetEditText(const String& v);
    // Raises EDBEditError "Invalid input value.  Use escape key to abandon changes" when a
    // required position is empty (only after the user changed the text), and puts the caret there.
    virtual void ValidateEdit();
    // The first position that fails the mask (-1 when valid).
    int InvalidPosition() const;
    // Whether the text may be changed now (not read-only); descendants add their own rule.
    virtual bool EditCanModify();
    void Reset(); // undoes the user's changes (Esc)

    void Dispatch(TMessage& Message) override;

protected:
    String GetText() const override;
    void SetTextCore(const String& v) override;
    String EditWindowText() const override { return EditText(); }
    void SetEditWindowText(const String& v) override { SetRawEditText(v); }
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void DoEnter() override;
    void DoExit() override;
    virtual void ValidateError();
    void InitWidget() override;
    // Editing the shown text in place.
    String RemoveEditFormat(const String& Value) const;
    String AddEditFormat(const String& Value, bool Active) const;
    String PadInputLiterals(const String& Value) const;
    bool InputChar(Char& Key, int SelStart, int SelStop);
    void DeleteSelection(String& Str, int SelStart, int Len);
    int NextMaskPos(int Pos) const; // first mask position at or after Pos (length when none)
    int PrevMaskPos(int Pos) const; // last mask position before Pos (-1 when none)
    void SetCursor(int Pos);        // caret at Pos with the overwrite selection
    void CheckCursor();
    void GetSel(int& SelStart, int& SelStop);
    void SetSel(int SelStart, int SelStop);
    void SetRawEditText(const String& v);

private:
    TEditMask FEditMask;
    TParsedMask FMask;
    String FOldValue; // the edit text when editing started (Reset)
    bool FSettingCursor = false;
};

class TMaskEdit : public TCustomMaskEdit {
    KVT_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
