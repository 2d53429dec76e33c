// Message texts of the language file and the tool's message box.

#include "lib/lang/LangUnit.h"

#include "platform/classes/IniFiles.h"
#include "platform/ui/Forms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <memory>

const char* const LanguageFileName = "SetupKvt.ini";

namespace {

struct MessageTable {
    std::unique_ptr<TStringList> Lines;
    QHash<QString, QString> Index; // case-folded key -> value of its first line
};

std::unique_ptr<MessageTable>& Messages() {
    static std::unique_ptr<MessageTable> m;
    return m;
}

String& LanguageDirOverride() {
    static String dir;
    return dir;
}

String ExecutableDir() {
    // Messages are looked up during start-up, possibly before the application object exists.
    String dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return IncludeTrailingPathDelimiter(dir);
}

} // namespace

String LanguageDir() {
    const String& dir = LanguageDirOverride();
    return dir.isEmpty() ? ExecutableDir() : IncludeTrailingPathDelimiter(dir);
}

void SetLanguageDir(const String& Dir) {
    LanguageDirOverride() = Dir;
}

void LoadLanguage(const String& FileName) {
    auto table = std::make_unique<MessageTable>();
    table->Lines = std::make_unique<TStringList>();
    try {
        TMemIniFile ini(LanguageDir() + FileName);
        ini.ReadSectionValues(QStringLiteral("Msg"), table->Lines.get());
    } catch (const Exception&) {
        table->Lines->Clear(); // an unreadable file is no file
    }
    for (int i = 0; i < table->Lines->Count(); ++i) {
        String key = table->Lines->Names(i).trimmed().toCaseFolded();
        if (!key.isEmpty() && !table->Index.contains(key))
            table->Index.insert(key, table->Lines->ValueFromIndex(i));
    }
    Messages() = std::move(table);
}

bool LanguageLoaded() {
    return Messages() != nullptr;
}

void FreeLanguage() {
    Messages().reset();
}

String GetMsg(const String& Key, const String& DefaultText) {
    if (!Messages()) LoadLanguage(QString::fromLatin1(LanguageFileName));
    auto it = Messages()->Index.constFind(Key.trimmed().toCaseFolded());
    if (it == Messages()->Index.cend() || it->isEmpty()) return DefaultText;
    return *it;
}

String GetMsgFmtV(const String& Key, const String& DefaultText, const std::vector<TVarRec>& Args) {
    String fmt = GetMsg(Key, DefaultText);
    // A translation that would read the arguments as something else is not trusted.
    if (fmt != DefaultText && !SameConversions(fmt, DefaultText)) fmt = DefaultText;
    return FormatPrintf(fmt, Args);
}

String GetLangValue(TStrings* List, const String& Key, const String& DefaultText) {
    if (!List) return DefaultText;
    String v = List->Values(Key);
    return v.isEmpty() ? DefaultText : v;
}

int ShowMsgBox(const String& Text, const String& Caption, int Flags, const String& SourceFile,
               int SourceLine) {
    String shown = Text;
    if (Flags == MsgBoxError)
        shown += QStringLiteral("\r(") + SourceFile + QStringLiteral(": ") + QString::number(SourceLine) +
                 QStringLiteral(")");
    if (!Application) InitForms();
    return Application->MessageBox(shown, Caption, Flags);
}
