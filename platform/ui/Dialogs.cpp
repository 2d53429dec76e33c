// File dialogs over QFileDialog, message dialogs over the layer's message box,
// input boxes.

#include "platform/ui/Dialogs.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

namespace {
TFileDialogHook &FileHook() {
  static TFileDialogHook h;
  return h;
}
TInputQueryHook &InputHook() {
  static TInputQueryHook h;
  return h;
}
QWidget *ActiveWidget() {
  if (Screen && Screen->ActiveCustomForm() &&
      Screen->ActiveCustomForm()->HandleAllocated())
    return Screen->ActiveCustomForm()->Widget();
  return nullptr;
}
std::vector<std::pair<String, String>> ParseFilter(const String &f) {
  std::vector<std::pair<String, String>> r;
  QStringList parts = f.split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2)
    r.push_back({parts[i], parts[i + 1]});
  return r;
}
} // namespace

void SetFileDialogHook(TFileDialogHook Hook) { FileHook() = std::move(Hook); }
void SetInputQueryHook(TInputQueryHook Hook) { InputHook() = std::move(Hook); }

TOpenDialog::TOpenDialog(TComponent *AOwner) : TCommonDialog(AOwner) {
  FFiles = std::make_unique<TStringList>();
}
TOpenDialog::~TOpenDialog() = default;

String TOpenDialog::FilterPattern(int Index) const {
  auto f = ParseFilter(FFilter);
  if (Index < 1 || Index > int(f.size()))
    return {};
  return f[size_t(Index - 1)].second;
}

String TOpenDialog::CompleteFileName(const String &Name,
                                     int FilterIndex) const {
  if (Name.isEmpty() || !ExtractFileExt(Name).isEmpty())
    return Name;
  // The chosen filter's first pattern decides when it names one extension
  // ("*.txt").
  String pattern =
      FilterPattern(FilterIndex).split(QLatin1Char(';')).value(0).trimmed();
  int dot = pattern.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) {
    String ext = pattern.mid(dot + 1);
    if (!ext.isEmpty() && !ext.contains(QLatin1Char('*')) &&
        !ext.contains(QLatin1Char('?')))
      return Name + QLatin1Char('.') + ext;
  }
  if (!FDefaultExt.isEmpty()) {
    String ext = FDefaultExt.startsWith(QLatin1Char('.')) ? FDefaultExt.mid(1)
                                                          : FDefaultExt;
    return Name + QLatin1Char('.') + ext;
  }
  return Name;
}

bool TOpenDialog::CheckChoice(const String &Name) {
  QFileInfo fi(Name);
  String title = FTitle.isEmpty() ? (IsSaveDialog() ? QStringLiteral("Save As")
                                                    : QStringLiteral("Open"))
                                  : FTitle;
  if (FOptions.Contains(ofPathMustExist) && !fi.absoluteDir().exists()) {
    MessageBox(nullptr,
               Name +
                   QStringLiteral(
                       "\nPath does not exist.\nCheck the path and try again."),
               title, MB_OK | MB_ICONWARNING);
    return false;
  }
  if (!IsSaveDialog() && FOptions.Contains(ofFileMustExist) && !fi.exists()) {
    MessageBox(nullptr,
               Name +
                   QStringLiteral(
                       "\nFile not found.\nCheck the file name and try again."),
               title, MB_OK | MB_ICONWARNING);
    return false;
  }
  if (!IsSaveDialog() && FOptions.Contains(ofCreatePrompt) && !fi.exists()) {
    return MessageBox(nullptr,
                      Name + QStringLiteral("\nThis file does not exist.\nDo "
                                            "you want to create it?"),
                      title, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  if (IsSaveDialog() && FOptions.Contains(ofOverwritePrompt) && fi.exists()) {
    return MessageBox(nullptr,
                      Name +
                          QStringLiteral(
                              " already exists.\nDo you want to replace it?"),
                      title, MB_YESNO | MB_ICONWARNING) == IDYES;
  }
  return true;
}

bool TOpenDialog::Execute() {
  if (OnShow)
    OnShow(this);
  String name = FFileName;
  int index = FFilterIndex;
  bool accepted = false;
  // A refused choice keeps the dialog open, as the system dialog does.
  for (int attempt = 0; attempt < 16 && !accepted; ++attempt) {
    bool ok = false;
    if (FileHook()) {
      ok = FileHook()(this, IsSaveDialog(), name, index);
    } else if (QApplication::instance()) {
      QFileDialog dlg(ActiveWidget(), FTitle);
      dlg.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave
                                       : QFileDialog::AcceptOpen);
      dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
      if (!IsSaveDialog())
        dlg.setFileMode(
            FOptions.Contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles
            : FOptions.Contains(ofFileMustExist)  ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
      QStringList filters;
      for (auto &[desc, pat] : ParseFilter(FFilter)) {
        String p = pat;
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(desc, p);
      }
      if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.value(std::max(0, index - 1)));
      }
      String dir = FInitialDir.isEmpty() ? ExtractFilePath(name) : FInitialDir;
      if (!dir.isEmpty())
        dlg.setDirectory(dir);
      if (!name.isEmpty())
        dlg.selectFile(ExtractFileName(name));
      ok = dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty();
      if (ok) {
        name = dlg.selectedFiles().first();
        index = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
        if (index < 1)
          index = FFilterIndex;
        FFiles->Clear();
        for (const QString &f : dlg.selectedFiles())
          FFiles->Add(f);
      }
    }
    if (!ok)
      break;
    name = CompleteFileName(name, index);
    accepted = CheckChoice(name);
    if (!accepted && FileHook() && attempt > 0 && name == FFileName)
      break;
  }
  if (accepted) {
    FFileName = name;
    FFilterIndex = index;
    if (FFiles->Count() <= 1) {
      FFiles->Clear();
      FFiles->Add(name);
    }
  }
  if (OnClose)
    OnClose(this);
  return accepted;
}

// ---------------------------------------------------------------------------------------------
int MessageDlg(const String &Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
               int) {
  UINT flags = MB_OK;
  if (Buttons == TMsgDlgButtons{mbYes, mbNo})
    flags = MB_YESNO;
  else if (Buttons == TMsgDlgButtons{mbYes, mbNo, mbCancel})
    flags = MB_YESNOCANCEL;
  else if (Buttons == TMsgDlgButtons{mbOK, mbCancel})
    flags = MB_OKCANCEL;
  else if (Buttons == TMsgDlgButtons{mbAbort, mbRetry, mbIgnore})
    flags = MB_ABORTRETRYIGNORE;
  else if (Buttons == TMsgDlgButtons{mbRetry, mbCancel})
    flags = MB_RETRYCANCEL;
  else if (Buttons.Contains(mbYes) && Buttons.Contains(mbNo))
    flags = Buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (Buttons.Contains(mbCancel))
    flags = MB_OKCANCEL;
  String caption;
  switch (DlgType) {
  case mtWarning:
    flags |= MB_ICONWARNING;
    caption = QStringLiteral("Warning");
    break;
  case mtError:
    flags |= MB_ICONERROR;
    caption = QStringLiteral("Error");
    break;
  case mtInformation:
    flags |= MB_ICONINFORMATION;
    caption = QStringLiteral("Information");
    break;
  case mtConfirmation:
    flags |= MB_ICONQUESTION;
    caption = QStringLiteral("Confirm");
    break;
  case mtCustom:
    caption = Application ? Application->Title() : String();
    break;
  }
  // Message box answers are the modal results (IDOK = mrOk ... IDNO = mrNo).
  return MessageBox(nullptr, Msg, caption, flags);
}

void ShowMessage(const String &Msg) {
  MessageBox(nullptr, Msg, Application ? Application->Title() : String(),
             MB_OK);
}

bool InputQuery(const String &ACaption, const String &APrompt, String &Value) {
  if (InputHook())
    return InputHook()(ACaption, APrompt, Value);
  if (!QApplication::instance())
    return false;
  bool ok = false;
  String r = QInputDialog::getText(ActiveWidget(), ACaption, APrompt,
                                   QLineEdit::Normal, Value, &ok);
  if (ok)
    Value = r;
  return ok;
}

String InputBox(const String &ACaption, const String &APrompt,
                const String &ADefault) {
  String v = ADefault;
  return InputQuery(ACaption, APrompt, v) ? v : ADefault;
}
