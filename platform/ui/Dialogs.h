#pragma once
// Common dialogs: open and save file dialogs, message dialogs, input boxes. Each has a test
// hook so that tests answer it without showing anything.

#include "platform/classes/Classes.h"
#include "platform/ui/Controls.h"

#include <functional>
#include <memory>

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

class TCommonDialog : public TComponent {
    KVT_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute() = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
};

class TOpenDialog : public TCommonDialog {
    KVT_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    // "Text files|*.txt|All files|*.*"
    String Filter() const { return FFilter; }
    void SetFilter(const String& v) { FFilter = v; }
    // 1-based, as the platform counts.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int v) { FFilterIndex = v; }
    String DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& v) { FDefaultExt = v; }
    String FileName() const { return FFileName; }
    void SetFileName(const String& v) { FFileName = v; }
    TStrings* Files() const { return FFiles.get(); }
    String InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& v) { FInitialDir = v; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions v) { FOptions = v; }
    bool Execute() override;

    // The pattern list of filter n (1-based), e.g. "*.txt;*.log"; "" when there is none.
    String FilterPattern(int Index) const;
    // The name as the dialog completes it: a name without an extension gets the extension of
    // the chosen filter (when the filter names one), else DefaultExt.
    String CompleteFileName(const String& Name, int FilterIndex) const;

protected:
    virtual bool IsSaveDialog() const { return false; }
    // Checks the options against the chosen name; false keeps the dialog open.
    bool CheckChoice(const String& Name);

private:
    String FFilter;
    int FFilterIndex = 1;
    String FDefaultExt;
    String FFileName;
    std::unique_ptr<TStringList> FFiles;
    String FInitialDir;
    String FTitle;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
    KVT_CLASS(TSaveDialog, TOpenDialog)
public:
    using TOpenDialog::TOpenDialog;

protected:
    bool IsSaveDialog() const override { return true; }
};

// Test hook for file dialogs: receives the dialog and whether it saves; sets FileName and
// FilterIndex (through the references) and answers whether the user accepted. The dialog then
// applies its rules (extension, overwrite prompt, must-exist) as it does for a real choice.
using TFileDialogHook =
    std::function<bool(TOpenDialog* Dialog, bool Save, String& FileName, int& FilterIndex)>;
void SetFileDialogHook(TFileDialogHook Hook);

// --- message dialogs
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbClose
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Answers the modal result of the button chosen (mrYes, mrOk...).
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const String& Msg);

// --- input boxes
// The default comes back when the user cancels.
String InputBox(const String& ACaption, const String& APrompt, const String& ADefault);
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);
// Test hook: gets caption and prompt, may change Value, answers OK (true) or Cancel.
using TInputQueryHook = std::function<bool(const String& Caption, const String& Prompt, String& Value)>;
void SetInputQueryHook(TInputQueryHook Hook);
