// File dialogs over QFileDialog with the platform's rules applied by the layer, message dialogs
// routed through the application's message boxes, and the input box form.

#include "platform/ui/Dialogs.h"

#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WindowBridge.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

TFileDialogHook& FileHook() {
    static TFileDialogHook h;
    return h;
}
TMessageDlgHook& DlgHook() {
    static TMessageDlgHook h;
    return h;
}
TInputQueryHook& InputHook() {
    static TInputQueryHook h;
    return h;
}

QWidget* ActiveWindowWidget() {
    if (!Screen) return nullptr;
    TCustomForm* f = Screen->ActiveCustomForm();
    if (!f || !f->HandleAllocated()) return nullptr;
    TWindowRecord* r = FindWindowRecord(f->Handle());
    return r ? r->Widget.data() : nullptr;
}

bool HasWildcard(const String& s) {
    return s.contains(QLatin1Char('*')) || s.contains(QLatin1Char('?'));
}

// "*.txt" / ".txt" / "txt" -> "txt"; empty when it names no concrete extension.
String CleanExtension(String e) {
    e = e.trimmed();
    while (e.startsWith(QLatin1Char('*')) || e.startsWith(QLatin1Char('.')))
        e.remove(0, 1);
    if (e.isEmpty() || HasWildcard(e) || e.contains(QLatin1Char('.'))) return String();
    return e;
}

// Whether the last path element carries an extension ("name.ext"; ".profile" counts as none).
bool HasExtension(const String& path) {
    String name = QFileInfo(path).fileName();
    int dot = int(name.lastIndexOf(QLatin1Char('.')));
    return dot > 0 && dot < name.size() - 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
TCommonDialog::~TCommonDialog() = default;

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}
void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

// ---------------------------------------------------------------------------------------------
void SetFileDialogHook(TFileDialogHook Hook) {
    FileHook() = std::move(Hook);
}

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

TStrings* TOpenDialog::Files() const {
    return FFiles.get();
}

std::vector<std::pair<String, String>> TOpenDialog::FilterPairs() const {
    std::vector<std::pair<String, String>> r;
    const QStringList parts = FFilter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty() || !parts[i + 1].isEmpty()) r.emplace_back(parts[i], parts[i + 1]);
    // "desc|" at the end leaves an empty part, dropped above; a lone description has no patterns.
    if (parts.size() % 2 == 1 && !parts.last().isEmpty()) r.emplace_back(parts.last(), String());
    return r;
}

String TOpenDialog::ExtensionFor(int Index) const {
    // As the platform: no default extension, nothing is added.
    if (FDefaultExt.trimmed().isEmpty()) return String();
    auto pairs = FilterPairs();
    if (Index >= 1 && Index <= int(pairs.size())) {
        String first = pairs[size_t(Index - 1)].second.split(QLatin1Char(';')).value(0).trimmed();
        int dot = int(first.lastIndexOf(QLatin1Char('.')));
        if (dot >= 0) {
            String e = CleanExtension(first.mid(dot + 1));
            if (!e.isEmpty()) return e;
        }
    }
    return CleanExtension(FDefaultExt);
}

String TOpenDialog::Normalize(const String& Name) const {
    String n = Name.trimmed();
    if (n.isEmpty()) return n;
    if (QFileInfo(n).isRelative()) {
        String base = FInitialDir.isEmpty() ? QDir::currentPath() : FInitialDir;
        n = QDir(base).filePath(n);
    }
    n = QDir::cleanPath(n);
    if (n.endsWith(QLatin1Char('.'))) {
        // A trailing dot asks for the name exactly as typed, without an extension.
        n.chop(1);
        return n;
    }
    if (!HasExtension(n) && !QFileInfo(n).isDir()) {
        String e = ExtensionFor(FFilterIndex);
        // An open dialog keeps an existing file named without an extension.
        if (!e.isEmpty() && (IsSaveDialog() || !QFileInfo::exists(n))) n += QLatin1Char('.') + e;
    }
    return n;
}

bool TOpenDialog::AskUser() {
    if (FileHook()) return FileHook()(*this);
    if (!QApplication::instance()) return false;
    bool save = IsSaveDialog();
    QFileDialog dlg(ActiveWindowWidget());
    dlg.setWindowTitle(!FTitle.isEmpty() ? FTitle
                       : save            ? QStringLiteral("Сохранить как")
                                         : QStringLiteral("Открыть"));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    bool multi = !save && FOptions.Contains(ofAllowMultiSelect);
    // The layer checks existence itself, after the default extension is applied.
    dlg.setFileMode(multi ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (FOptions.Contains(ofForceShowHidden)) dlg.setFilter(dlg.filter() | QDir::Hidden);
    QStringList filters;
    for (auto& [desc, pats] : FilterPairs()) {
        String p = pats;
        p.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (p.isEmpty() ? desc : desc + QStringLiteral(" (") + p + QLatin1Char(')'));
    }
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.value(std::clamp(FFilterIndex, 1, int(filters.size())) - 1));
    }
    String dir = FInitialDir;
    QFileInfo fi(FFileName);
    if (!FFileName.isEmpty() && fi.isAbsolute()) dir = fi.absolutePath();
    if (!dir.isEmpty()) dlg.setDirectory(dir);
    if (!FFileName.isEmpty()) dlg.selectFile(fi.fileName());
    int result = dlg.exec();
    if (result != QDialog::Accepted) return false;
    QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return false;
    FFileName = files.first();
    FFiles->Clear();
    for (const String& f : files)
        FFiles->Add(f);
    int idx = int(filters.indexOf(dlg.selectedNameFilter()));
    if (idx >= 0) FFilterIndex = idx + 1;
    return true;
}

bool TOpenDialog::AcceptChoice() {
    InitForms();
    bool save = IsSaveDialog();
    String caption = !FTitle.isEmpty() ? FTitle
                     : save            ? QStringLiteral("Сохранить как")
                                       : QStringLiteral("Открыть");
    std::vector<String> names;
    if (FOptions.Contains(ofAllowMultiSelect) && FFiles->Count() > 0) {
        for (int i = 0; i < FFiles->Count(); ++i)
            names.push_back(Normalize(FFiles->Strings(i)));
    } else {
        names.push_back(Normalize(FFileName));
    }
    for (const String& n : names) {
        if (n.isEmpty()) return false;
        QFileInfo fi(n);
        if (fi.isDir()) return false; // the dialog would open the folder instead
        bool exists = fi.exists();
        if ((FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist)) &&
            !QFileInfo(fi.absolutePath()).isDir()) {
            Application->MessageBox(n + QStringLiteral("\nПуть не найден.\nПроверьте правильность пути."),
                                    caption, MB_OK | MB_ICONWARNING);
            return false;
        }
        if (FOptions.Contains(ofFileMustExist) && !exists) {
            Application->MessageBox(
                n + QStringLiteral("\nФайл не найден.\nПроверьте правильность имени файла."), caption,
                MB_OK | MB_ICONWARNING);
            return false;
        }
        if (save && exists && FOptions.Contains(ofOverwritePrompt) &&
            Application->MessageBox(fi.fileName() + QStringLiteral(" уже существует.\nЗаменить его?"),
                                    caption, MB_YESNO | MB_ICONWARNING) != IDYES)
            return false;
        if (!exists && FOptions.Contains(ofCreatePrompt) &&
            Application->MessageBox(n + QStringLiteral("\nЭтот файл не существует.\nСоздать его?"), caption,
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    FFileName = names.front();
    FFiles->Clear();
    for (const String& n : names)
        FFiles->Add(n);
    String ext = QFileInfo(FFileName).suffix();
    if (!FDefaultExt.isEmpty() && ext.compare(CleanExtension(FDefaultExt), Qt::CaseInsensitive) != 0)
        FOptions.Include(ofExtensionDifferent);
    else
        FOptions.Exclude(ofExtensionDifferent);
    return true;
}

bool TOpenDialog::DoCanClose() {
    bool can = true;
    if (OnCanClose) OnCanClose(this, can);
    return can;
}

bool TOpenDialog::Execute() {
    String oldName = FFileName;
    int oldIndex = FFilterIndex;
    QStringList oldFiles;
    for (int i = 0; i < FFiles->Count(); ++i)
        oldFiles << FFiles->Strings(i);
    DoShow();
    bool ok = false;
    bool hooked = bool(FileHook());
    String lastTyped;
    int lastIndex = 0;
    bool failedBefore = false;
    while (AskUser()) {
        String typed = FFileName;
        int index = FFilterIndex;
        QStringList typedFiles;
        for (int i = 0; i < FFiles->Count(); ++i)
            typedFiles << FFiles->Strings(i);
        if (AcceptChoice() && DoCanClose()) {
            ok = true;
            break;
        }
        // The user's typing stays in the dialog.
        FFileName = typed;
        FFiles->Clear();
        for (const String& f : typedFiles)
            FFiles->Add(f);
        // A hook that answers the same again would never end.
        if (hooked && failedBefore && typed == lastTyped && index == lastIndex) break;
        failedBefore = true;
        lastTyped = typed;
        lastIndex = index;
    }
    if (!ok) {
        FFileName = oldName;
        FFilterIndex = oldIndex;
        FFiles->Clear();
        for (const String& f : oldFiles)
            FFiles->Add(f);
    }
    DoClose();
    return ok;
}

// ---------------------------------------------------------------------------------------------
void SetMessageDlgHook(TMessageDlgHook Hook) {
    DlgHook() = std::move(Hook);
}
void SetInputQueryHook(TInputQueryHook Hook) {
    InputHook() = std::move(Hook);
}

String MsgDlgCaption(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning:
        return QStringLiteral("Предупреждение");
    case mtError:
        return QStringLiteral("Ошибка");
    case mtInformation:
        return QStringLiteral("Информация");
    case mtConfirmation:
        return QStringLiteral("Подтверждение");
    case mtCustom:
        break;
    }
    InitForms();
    return Application->Title();
}

namespace {

UINT IconFlags(TMsgDlgType t) {
    switch (t) {
    case mtWarning:
        return MB_ICONWARNING;
    case mtError:
        return MB_ICONERROR;
    case mtInformation:
        return MB_ICONINFORMATION;
    case mtConfirmation:
        return MB_ICONQUESTION;
    case mtCustom:
        break;
    }
    return 0;
}

struct TBoxKind {
    UINT Type;
    std::vector<TMsgDlgBtn> Order;
};

// The message-box type showing exactly these buttons, if there is one.
const TBoxKind* BoxKindFor(TMsgDlgButtons b) {
    static const TBoxKind kinds[] = {
        {MB_OK, {mbOK}},
        {MB_OKCANCEL, {mbOK, mbCancel}},
        {MB_ABORTRETRYIGNORE, {mbAbort, mbRetry, mbIgnore}},
        {MB_YESNOCANCEL, {mbYes, mbNo, mbCancel}},
        {MB_YESNO, {mbYes, mbNo}},
        {MB_RETRYCANCEL, {mbRetry, mbCancel}},
    };
    for (const TBoxKind& k : kinds) {
        TMsgDlgButtons s;
        for (TMsgDlgBtn x : k.Order)
            s.Include(x);
        if (s == b) return &k;
    }
    return nullptr;
}

int ResultOf(TMsgDlgBtn b) {
    switch (b) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    case mbAbort:
        return mrAbort;
    case mbRetry:
        return mrRetry;
    case mbIgnore:
        return mrIgnore;
    case mbAll:
        return mrAll;
    case mbNoToAll:
        return mrNoToAll;
    case mbYesToAll:
        return mrYesToAll;
    case mbHelp:
        return mrHelp;
    case mbClose:
        return mrClose;
    }
    return mrNone;
}

String ButtonText(TMsgDlgBtn b) {
    switch (b) {
    case mbYes:
        return QStringLiteral("&Да");
    case mbNo:
        return QStringLiteral("&Нет");
    case mbOK:
        return QStringLiteral("OK");
    case mbCancel:
        return QStringLiteral("Отмена");
    case mbAbort:
        return QStringLiteral("&Прервать");
    case mbRetry:
        return QStringLiteral("П&овтор");
    case mbIgnore:
        return QStringLiteral("&Пропустить");
    case mbAll:
        return QStringLiteral("&Все");
    case mbNoToAll:
        return QStringLiteral("Н&ет для всех");
    case mbYesToAll:
        return QStringLiteral("Д&а для всех");
    case mbHelp:
        return QStringLiteral("&Справка");
    case mbClose:
        return QStringLiteral("&Закрыть");
    }
    return String();
}

// Buttons the message-box route cannot show: the layer's own dialog.
int ShowButtonDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TMsgDlgBtn Default) {
    if (!QApplication::instance()) return mrCancel;
    QMessageBox box(ActiveWindowWidget());
    box.setWindowTitle(MsgDlgCaption(DlgType));
    String t = Msg;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(t);
    switch (DlgType) {
    case mtWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case mtError:
        box.setIcon(QMessageBox::Critical);
        break;
    case mtInformation:
        box.setIcon(QMessageBox::Information);
        break;
    case mtConfirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case mtCustom:
        break;
    }
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (int i = mbYes; i <= mbClose; ++i) {
        auto b = TMsgDlgBtn(i);
        if (!Buttons.Contains(b)) continue;
        QMessageBox::ButtonRole role = b == mbCancel ? QMessageBox::RejectRole
                                       : b == mbNo   ? QMessageBox::NoRole
                                       : b == mbHelp ? QMessageBox::HelpRole
                                                     : QMessageBox::AcceptRole;
        QPushButton* pb = box.addButton(ButtonText(b), role);
        buttons.push_back({pb, ResultOf(b)});
        if (b == Default) box.setDefaultButton(pb);
    }
    box.exec();
    for (auto& [b, r] : buttons)
        if (box.clickedButton() == b) return r;
    return Buttons.Contains(mbCancel) ? mrCancel : mrNone;
}

} // namespace

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
    // The platform's default button: OK, else Yes, else Retry.
    TMsgDlgBtn def = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
    return MessageDlg(Msg, DlgType, Buttons, HelpCtx, def);
}

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int,
               TMsgDlgBtn DefaultButton) {
    if (Buttons.Empty()) Buttons = {mbOK};
    if (DlgHook()) return DlgHook()(Msg, DlgType, Buttons, DefaultButton);
    InitForms();
    if (const TBoxKind* k = BoxKindFor(Buttons)) {
        UINT flags = k->Type | IconFlags(DlgType);
        for (size_t i = 0; i < k->Order.size(); ++i)
            if (k->Order[i] == DefaultButton) flags |= UINT(i) << 8;
        // Message-box IDs and modal results share their numbers.
        return Application->MessageBox(Msg, MsgDlgCaption(DlgType), int(flags));
    }
    return ShowButtonDialog(Msg, DlgType, Buttons, DefaultButton);
}

void ShowMessage(const String& Msg) {
    InitForms();
    Application->MessageBox(Msg, Application->Title(), MB_OK);
}

// ---------------------------------------------------------------------------------------------
bool InputQuery(const String& ACaption, const String& APrompt, String& Value) {
    if (InputHook()) return InputHook()(ACaption, APrompt, Value);
    InitForms();
    if (!QApplication::instance()) return false;
    auto* form = new TForm(nullptr);
    bool ok = false;
    try {
        form->SetBorderStyle(bsDialog);
        form->SetPosition(poScreenCenter);
        form->SetCaption(ACaption);
        form->SetClientWidth(320);
        form->SetClientHeight(100);
        auto* prompt = new TLabel(form);
        prompt->SetParent(form);
        prompt->SetBounds(10, 10, 300, 17);
        prompt->SetCaption(APrompt);
        auto* edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 30, 300, 23);
        edit->SetText(Value);
        edit->SelectAll();
        prompt->SetFocusControl(edit);
        auto* okButton = new TButton(form);
        okButton->SetParent(form);
        okButton->SetBounds(154, 66, 75, 25);
        okButton->SetCaption(QStringLiteral("OK"));
        okButton->SetModalResult(mrOk);
        okButton->SetDefault(true);
        auto* cancelButton = new TButton(form);
        cancelButton->SetParent(form);
        cancelButton->SetBounds(235, 66, 75, 25);
        cancelButton->SetCaption(QStringLiteral("Отмена"));
        cancelButton->SetModalResult(mrCancel);
        cancelButton->SetCancel(true);
        form->SetActiveControl(edit);
        if (form->ShowModal() == mrOk) {
            Value = edit->Text();
            ok = true;
        }
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return ok;
}

String InputBox(const String& ACaption, const String& APrompt, const String& ADefault) {
    String v = ADefault;
    InputQuery(ACaption, APrompt, v);
    return v;
}
