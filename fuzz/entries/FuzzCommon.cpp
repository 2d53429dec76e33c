// What every entry shares: the application object, pinned settings, the scratch directory and
// the table of targets.

#include "fuzz/FuzzEntries.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace kvt_fuzz {

namespace {
std::unique_ptr<QTemporaryDir> Scratch;
}

void Check(bool Ok, const std::string& What) {
    if (!Ok) throw CheckFailed(What);
}

void Init() {
    static bool done = false;
    if (done) return;
    done = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "C.UTF-8", 0);
    InitForms();
    Application->Initialize();
    // Boxes (errors that the library reports itself) answer at once.
    SetMessageBoxHook([](const String&, const String&, UINT Flags) {
        return (Flags & 0x0F) == MB_YESNO ? int(IDYES) : int(IDOK);
    });
    // Russian settings, as the tool uses where the locale says nothing; fixed for every run.
    SetFormatSettings(TFormatSettings::Create(QStringLiteral("ru_RU")));
    Scratch = std::make_unique<QTemporaryDir>();
    if (!Scratch->isValid()) std::abort();
}

std::string ScratchFile(const std::string& Name, const uint8_t* Data, size_t Size) {
    const QString path = Scratch->filePath(QString::fromStdString(Name));
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    if (Size) f.write(reinterpret_cast<const char*>(Data), qint64(Size));
    return path.toStdString();
}

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"settings", Settings}, {"language", Language}, {"device", Device}, {"memtable", MemTable},
        {"streams", Streams},   {"filter", Filter},     {"ini", IniFile},   {"numbers", Numbers},
    };
    return targets;
}

const Target* FindTarget(const std::string& Name) {
    for (const Target& t : Targets())
        if (Name == t.Name) return &t;
    return nullptr;
}

} // namespace kvt_fuzz
