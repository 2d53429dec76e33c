// Ini files: what a write leaves of the file. Every value read before a write reads the same
// after it (except the one written), and no line other than the written one changes.

#include "fuzz/FuzzEntries.h"

#include "platform/classes/IniFiles.h"

#include <QFile>

#include <map>

namespace kvt_fuzz {

namespace {

using Values = std::map<std::pair<QString, QString>, QString>; // (section, name) -> value

Values ReadAll(const QString& Path) {
    TMemIniFile ini(Path);
    TStringList sections;
    ini.ReadSections(&sections);
    Values v;
    for (int i = 0; i < sections.Count(); ++i) {
        TStringList names;
        ini.ReadSection(sections.Get(i), &names);
        for (int j = 0; j < names.Count(); ++j)
            v.emplace(std::pair{sections.Get(i).toCaseFolded(), names.Get(j).toCaseFolded()},
                      ini.ReadString(sections.Get(i), names.Get(j), QString()));
    }
    return v;
}

QByteArray FileBytes(const QString& Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes Name=Value and checks that nothing else changed; a refused write leaves the file as it was.
void WriteAndCheck(const QString& Path, const QString& Section, const QString& Name, const QString& Value) {
    const Values before = ReadAll(Path);
    const QByteArray bytes = FileBytes(Path);
    try {
        TIniFile(Path).WriteString(Section, Name, Value);
    } catch (const Exception&) {
        Check(FileBytes(Path) == bytes, "a refused write changed the file");
        return;
    }
    Values after = ReadAll(Path);
    const auto key = std::pair{Section.toCaseFolded(), Name.toCaseFolded()};
    Check(after.count(key) && after[key] == Value, "the written value does not read back");
    after.erase(key);
    Values expected = before;
    expected.erase(key);
    Check(after == expected, "a write changed other values");
}

} // namespace

void IniFile(const uint8_t* Data, size_t Size) {
    const QString path = QString::fromStdString(ScratchFile("fuzz.ini", Data, Size));
    const Values before = ReadAll(path);
    TIniFile ini(path);
    TStringList sections;
    ini.ReadSections(&sections);
    const QString section = sections.Count() ? sections.Get(0) : QStringLiteral("New");
    TStringList names;
    ini.ReadSection(section, &names);
    if (names.Count()) WriteAndCheck(path, section, names.Get(0), QStringLiteral("v2"));
    WriteAndCheck(path, section, QStringLiteral("FuzzKey"), QStringLiteral("v"));
    WriteAndCheck(path, QStringLiteral("FuzzSection"), QStringLiteral("k"), QString::fromUtf8("Ёж"));
    TIniFile(path).DeleteKey(QStringLiteral("FuzzSection"), QStringLiteral("k"));
    TIniFile(path).DeleteKey(section, QStringLiteral("FuzzKey"));
    Values after = ReadAll(path);
    if (names.Count()) after.erase(std::pair{section.toCaseFolded(), names.Get(0).toCaseFolded()});
    Values expected = before;
    if (names.Count()) expected.erase(std::pair{section.toCaseFolded(), names.Get(0).toCaseFolded()});
    Check(after == expected, "writes and deletes changed other values");
}

} // namespace kvt_fuzz
