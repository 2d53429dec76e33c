#pragma once
// The language file: message texts of section [Msg], per-window captions, and the message box
// through which the tool reports. Every text has a built-in default, so the tool works fully
// without the file; nothing about the file is ever reported.

#include "platform/rtl/SysUtils.h"

#include <functional>
#include <vector>

class TStrings;
class TStringList;
class TComponent;
class TCustomForm;

// The language file beside the executable.
extern const char* const LanguageFileName; // "SetupKvt.ini"

// The directory the language file is looked for in, with its trailing separator: the one set
// by SetLanguageDir, else the executable's directory.
String LanguageDir();
// Points the language file elsewhere (tests); an empty path goes back to the executable's
// directory.
void SetLanguageDir(const String& Dir);

// Reads section [Msg] of LanguageDir() + FileName into a new message list that replaces the
// current one. A missing file or section gives an empty list.
void LoadLanguage(const String& FileName);
// True once the message list exists (after the first load).
bool LanguageLoaded();
// Drops the message list, so that the next look-up loads the file again (tests, exit).
void FreeLanguage();

// The value of Key in [Msg] (case-insensitive, first occurrence); DefaultText when the key is
// missing or its value empty. The first call of the run loads the language file.
String GetMsg(const String& Key, const String& DefaultText);

// GetMsg used as a printf-style format ("%d", "%ld", "%s", "%2.2f", ...). A translated text
// whose conversions differ from DefaultText's is not used: DefaultText is.
String GetMsgFmtV(const String& Key, const String& DefaultText, const std::vector<TVarRec>& Args);
template <class... A> String GetMsgFmt(const String& Key, const String& DefaultText, const A&... Args) {
    return GetMsgFmtV(Key, DefaultText, std::vector<TVarRec>{TVarRec(Args)...});
}

// printf-style formatting with "." as the decimal point whatever the locale. Arguments of
// another kind than their conversion are converted; a missing argument formats as 0 or "".
String FormatPrintf(const String& Fmt, const std::vector<TVarRec>& Args);
// True when both formats are well formed and take the same sequence of argument kinds
// (integer, floating point, text, pointer).
bool SameConversions(const String& Fmt1, const String& Fmt2);

// The value of Key in List; DefaultText when List is absent, the key missing or its value empty.
String GetLangValue(TStrings* List, const String& Key, const String& DefaultText);

// Applies the form's section [<form Name>] of LanguageDir() + FileName to the form's caption
// and to the captions and drop-down-list items of the components it owns, matching exact class
// names. A missing key keeps the current text.
void ApplyLanguage(TCustomForm* Form, const String& FileName);

// Classes outside the window layer (the data grid) plug into ApplyLanguage here: the hook runs
// for every owned component whose class name is exactly ClassName, with the form's section.
// It looks its keys up with GetLangValue. An empty hook removes the registration.
using TApplyLanguageHook = std::function<void(TComponent* Component, TStrings* Section)>;
void RegisterApplyLanguageHook(const String& ClassName, TApplyLanguageHook Hook);

// Message-box flags the tool uses.
constexpr int MsgBoxError = 16;         // error icon, OK
constexpr int MsgBoxQuestionYesNo = 36; // question icon, Yes and No
constexpr int MsgBoxWarning = 48;       // warning icon, OK
constexpr int MsgBoxInformation = 64;   // information icon, OK

// A modal message box through the application object; answers the button pressed (6 = Yes,
// 7 = No). Error boxes (Flags == 16) show "\r(" SourceFile ": " SourceLine ")" after the text.
int ShowMsgBox(const String& Text, const String& Caption, int Flags, const String& SourceFile,
               int SourceLine);
