// The registry stand-in over an ini file, and TRegIniFile.
//
// Values are stored as "<name>=<type>:<data>" with the types sz, expand_sz, dword and hex.
// Names and string data are escaped (\\, \xHH) where the ini format would change them:
// '=', line breaks, control characters, blanks at either end, a leading '[' or ';'.

#include "platform/classes/Registry.h"
#include "platform/classes/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QStandardPaths>

#include <cstring>

namespace {
String RootName(HKEY key) {
    switch (key) {
    case HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS:
        return QStringLiteral("HKEY_USERS");
    case HKEY_PERFORMANCE_DATA:
        return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case HKEY_CURRENT_CONFIG:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case HKEY_DYN_DATA:
        return QStringLiteral("HKEY_DYN_DATA");
    default:
        return QStringLiteral("HKEY_%1").arg(quint64(key), 8, 16, QChar('0'));
    }
}

String Hex2(ushort c) {
    return QStringLiteral("\\x%1").arg(c, 2, 16, QChar('0')).toUpper().replace("\\X", "\\x");
}

// Escapes what an ini line would not keep as it is.
String Escape(const String& s, bool isName) {
    String r;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const bool edge = i == 0 || i == s.size() - 1;
        if (c == '\\')
            r += QLatin1String("\\\\");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            r += Hex2(c.unicode());
        else if (c == ' ' && edge)
            r += Hex2(c.unicode());
        else if (isName && (c == '=' || ((c == '[' || c == ';' || c == '@') && i == 0)))
            r += Hex2(c.unicode());
        else
            r += c;
    }
    return r;
}

String Unescape(const String& s) {
    String r;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            r += s[i];
            continue;
        }
        if (s[i + 1] == '\\') {
            r += '\\';
            ++i;
        } else if (s[i + 1] == 'x' && i + 3 < s.size()) {
            bool ok = false;
            const ushort v = s.mid(i + 2, 2).toUShort(&ok, 16);
            if (ok) {
                r += QChar(v);
                i += 3;
            } else {
                r += s[i];
            }
        } else {
            r += s[i];
        }
    }
    return r;
}

String NameKey(const String& name) {
    return name.isEmpty() ? QStringLiteral("@") : Escape(name, true);
}
String NameFromKey(const String& key) {
    return key == QLatin1String("@") ? String() : Unescape(key);
}

// Normalises a key path: no leading, trailing or doubled separators.
String CleanPath(const String& path) {
    const QStringList parts = path.split('\\', Qt::SkipEmptyParts);
    return parts.join('\\');
}

struct Decoded {
    TRegDataType Type = rdUnknown;
    String Text;
    QByteArray Bytes;
    Integer Int = 0;
};

bool Decode(const String& raw, Decoded& d) {
    const qsizetype colon = raw.indexOf(':');
    if (colon < 0) return false;
    const String type = raw.left(colon), data = raw.mid(colon + 1);
    if (type == QLatin1String("sz") || type == QLatin1String("expand_sz")) {
        d.Type = type == QLatin1String("sz") ? rdString : rdExpandString;
        d.Text = Unescape(data);
        return true;
    }
    if (type == QLatin1String("dword")) {
        bool ok = false;
        d.Int = Integer(data.toUInt(&ok, 16));
        if (!ok) return false;
        d.Type = rdInteger;
        return true;
    }
    if (type == QLatin1String("hex")) {
        d.Type = rdBinary;
        d.Bytes = QByteArray::fromHex(data.toLatin1());
        return true;
    }
    return false;
}

Integer DataSize(const Decoded& d) {
    switch (d.Type) {
    case rdString:
    case rdExpandString:
        return Integer((d.Text.size() + 1) * 2);
    case rdInteger:
        return 4;
    case rdBinary:
        return Integer(d.Bytes.size());
    default:
        return 0;
    }
}

[[noreturn]] void ReadError(const String& name) {
    throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TRegistry

TRegistry::TRegistry(LongWord AAccess) : FAccess(AAccess) {}

TRegistry::~TRegistry() {
    CloseKey();
}

String TRegistry::StorageFileName() {
    const QByteArray env = qgetenv("KVT_REGISTRY_FILE");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    String dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
    return dir + QStringLiteral("/setupkvt/registry.ini");
}

void TRegistry::SetRootKey(HKEY Value) {
    if (Value == FRootKey) return;
    CloseKey();
    FRootKey = Value;
}

TMemIniFile* TRegistry::Store() {
    // Read afresh for every operation, so that several objects over the file stay in step.
    FStore = std::make_unique<TMemIniFile>(StorageFileName(), TEncoding::UTF8());
    return FStore.get();
}

void TRegistry::Flush() {
    if (FStore) FStore->UpdateFile();
}

String TRegistry::SectionOf(const String& Path) const {
    return Path.isEmpty() ? RootName(FRootKey) : RootName(FRootKey) + '\\' + Path;
}

String TRegistry::ResolvePath(const String& Key) const {
    if (Key.startsWith('\\') || !FKeyOpen || FCurrentPath.isEmpty()) return CleanPath(Key);
    return CleanPath(FCurrentPath + '\\' + Key);
}

void TRegistry::CheckOpen() const {}

bool TRegistry::KeyExists(const String& Key) {
    if (Key.contains('\r') || Key.contains('\n')) return false;
    const String path = ResolvePath(Key);
    if (path.isEmpty()) return true;
    const String section = SectionOf(path);
    TStringList sections;
    Store()->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const String s = sections.Get(i);
        if (SameText(s, section) || s.startsWith(section + '\\', Qt::CaseInsensitive)) return true;
    }
    return false;
}

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
    if (Key.contains('\r') || Key.contains('\n')) return false;
    const String path = ResolvePath(Key);
    if (!KeyExists(QStringLiteral("\\") + path)) {
        if (!CanCreate) return false;
        TMemIniFile* ini = Store();
        // Every level of the path becomes a key of its own.
        const QStringList parts = path.split('\\', Qt::SkipEmptyParts);
        String sub;
        for (const String& part : parts) {
            sub = sub.isEmpty() ? part : sub + '\\' + part;
            ini->AddSection(SectionOf(sub));
        }
        Flush();
    }
    CloseKey();
    FCurrentPath = path;
    FKeyOpen = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& Key) {
    return OpenKey(Key, false);
}

bool TRegistry::CreateKey(const String& Key) {
    const bool wasOpen = FKeyOpen;
    const String oldPath = FCurrentPath;
    const bool ok = OpenKey(Key, true);
    FKeyOpen = wasOpen;
    FCurrentPath = oldPath;
    if (!ok) throw ERegistryException(QStringLiteral("Failed to create key %1").arg(Key));
    return ok;
}

bool TRegistry::DeleteKey(const String& Key) {
    const String path = ResolvePath(Key);
    if (path.isEmpty()) return false;
    const String section = SectionOf(path);
    TMemIniFile* ini = Store();
    TStringList sections;
    ini->ReadSections(&sections);
    bool found = false;
    for (int i = 0; i < sections.Count(); ++i) {
        const String s = sections.Get(i);
        if (SameText(s, section) || s.startsWith(section + '\\', Qt::CaseInsensitive)) {
            ini->EraseSection(s);
            found = true;
        }
    }
    if (found) Flush();
    return found;
}

void TRegistry::GetKeyNames(TStrings* Strings) {
    Strings->BeginUpdate();
    Strings->Clear();
    const String prefix = SectionOf(FKeyOpen ? FCurrentPath : String()) + '\\';
    TStringList sections;
    Store()->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const String s = sections.Get(i);
        if (!s.startsWith(prefix, Qt::CaseInsensitive)) continue;
        const String child = s.mid(prefix.size()).section('\\', 0, 0);
        if (child.isEmpty()) continue;
        bool seen = false;
        for (int j = 0; j < Strings->Count() && !seen; ++j)
            seen = SameText(Strings->Get(j), child);
        if (!seen) Strings->Add(child);
    }
    Strings->EndUpdate();
}

bool TRegistry::HasSubKeys() {
    TStringList names;
    GetKeyNames(&names);
    return names.Count() > 0;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value) {
    Value = TRegKeyInfo();
    TStringList keys, values;
    GetKeyNames(&keys);
    GetValueNames(&values);
    Value.NumSubKeys = keys.Count();
    for (int i = 0; i < keys.Count(); ++i)
        Value.MaxSubKeyLen = std::max(Value.MaxSubKeyLen, Integer(keys.Get(i).size()));
    Value.NumValues = values.Count();
    for (int i = 0; i < values.Count(); ++i) {
        Value.MaxValueLen = std::max(Value.MaxValueLen, Integer(values.Get(i).size()));
        Value.MaxDataLen = std::max(Value.MaxDataLen, GetDataSize(values.Get(i)));
    }
    return true;
}

void TRegistry::MoveKey(const String& OldName, const String& NewName, bool Delete) {
    const String from = ResolvePath(OldName), to = ResolvePath(NewName);
    if (from.isEmpty() || to.isEmpty() || !KeyExists('\\' + from)) return;
    const String fromSection = SectionOf(from), toSection = SectionOf(to);
    TMemIniFile* ini = Store();
    TStringList sections;
    ini->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const String s = sections.Get(i);
        if (!SameText(s, fromSection) && !s.startsWith(fromSection + '\\', Qt::CaseInsensitive)) continue;
        const String target = toSection + s.mid(fromSection.size());
        ini->AddSection(target);
        TStringList values;
        ini->ReadSectionValues(s, &values);
        for (int j = 0; j < values.Count(); ++j)
            ini->WriteString(target, values.Names(j), values.ValueFromIndex(j));
        if (Delete) ini->EraseSection(s);
    }
    Flush();
}

void TRegistry::CloseKey() {
    FKeyOpen = false;
    FCurrentPath.clear();
    FStore.reset();
}

bool TRegistry::GetRaw(const String& Name, String& Encoded) {
    if (!FKeyOpen) return false;
    TMemIniFile* ini = Store();
    const String section = SectionOf(FCurrentPath), ident = NameKey(Name);
    if (!ini->ValueExists(section, ident)) return false;
    Encoded = ini->ReadString(section, ident, String());
    return true;
}

void TRegistry::PutRaw(const String& Name, const String& Encoded) {
    if (!FKeyOpen) throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Name));
    TMemIniFile* ini = Store();
    ini->WriteString(SectionOf(FCurrentPath), NameKey(Name), Encoded);
    Flush();
}

void TRegistry::GetValueNames(TStrings* Strings) {
    Strings->BeginUpdate();
    Strings->Clear();
    if (FKeyOpen) {
        TStringList idents;
        Store()->ReadSection(SectionOf(FCurrentPath), &idents);
        for (int i = 0; i < idents.Count(); ++i)
            Strings->Add(NameFromKey(idents.Get(i)));
    }
    Strings->EndUpdate();
}

bool TRegistry::ValueExists(const String& Name) {
    String raw;
    return GetRaw(Name, raw);
}

bool TRegistry::DeleteValue(const String& Name) {
    if (!ValueExists(Name)) return false;
    FStore->DeleteKey(SectionOf(FCurrentPath), NameKey(Name));
    Flush();
    return true;
}

void TRegistry::RenameValue(const String& OldName, const String& NewName) {
    String raw;
    if (ValueExists(NewName) || !GetRaw(OldName, raw)) return;
    FStore->DeleteKey(SectionOf(FCurrentPath), NameKey(OldName));
    FStore->WriteString(SectionOf(FCurrentPath), NameKey(NewName), raw);
    Flush();
}

bool TRegistry::GetDataInfo(const String& ValueName, TRegDataInfo& Value) {
    Value = TRegDataInfo();
    String raw;
    Decoded d;
    if (!GetRaw(ValueName, raw) || !Decode(raw, d)) return false;
    Value.RegData = d.Type;
    Value.DataSize = DataSize(d);
    return true;
}

TRegDataType TRegistry::GetDataType(const String& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

Integer TRegistry::GetDataSize(const String& ValueName) {
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

String TRegistry::ReadString(const String& Name) {
    String raw;
    if (!GetRaw(Name, raw)) return String();
    Decoded d;
    if (!Decode(raw, d) || (d.Type != rdString && d.Type != rdExpandString)) ReadError(Name);
    return d.Text;
}

void TRegistry::WriteString(const String& Name, const String& Value) {
    PutRaw(Name, QStringLiteral("sz:") + Escape(Value, false));
}

void TRegistry::WriteExpandString(const String& Name, const String& Value) {
    PutRaw(Name, QStringLiteral("expand_sz:") + Escape(Value, false));
}

Integer TRegistry::ReadInteger(const String& Name) {
    String raw;
    if (!GetRaw(Name, raw)) throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(Name));
    Decoded d;
    if (!Decode(raw, d) || d.Type != rdInteger) ReadError(Name);
    return d.Int;
}

void TRegistry::WriteInteger(const String& Name, Integer Value) {
    PutRaw(Name, QStringLiteral("dword:%1").arg(quint32(Value), 8, 16, QChar('0')));
}

bool TRegistry::ReadBool(const String& Name) {
    return ReadInteger(Name) != 0;
}

void TRegistry::WriteBool(const String& Name, bool Value) {
    WriteInteger(Name, Value ? 1 : 0);
}

double TRegistry::ReadFloat(const String& Name) {
    double v = 0;
    TRegDataInfo info;
    if (!GetDataInfo(Name, info))
        throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(Name));
    if (info.RegData != rdBinary || info.DataSize != Integer(sizeof(double))) ReadError(Name);
    ReadBinaryData(Name, &v, sizeof(v));
    return v;
}

void TRegistry::WriteFloat(const String& Name, double Value) {
    WriteBinaryData(Name, &Value, sizeof(Value));
}

TDateTime TRegistry::ReadDateTime(const String& Name) {
    return ReadFloat(Name);
}

void TRegistry::WriteDateTime(const String& Name, TDateTime Value) {
    WriteFloat(Name, Value);
}

Integer TRegistry::ReadBinaryData(const String& Name, void* Buffer, Integer BufSize) {
    String raw;
    if (!GetRaw(Name, raw)) return 0;
    Decoded d;
    if (!Decode(raw, d)) ReadError(Name);
    if (d.Type != rdBinary || d.Bytes.size() > BufSize) ReadError(Name);
    if (!d.Bytes.isEmpty()) std::memcpy(Buffer, d.Bytes.constData(), size_t(d.Bytes.size()));
    return Integer(d.Bytes.size());
}

void TRegistry::WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize) {
    const QByteArray bytes(static_cast<const char*>(Buffer), BufSize > 0 ? BufSize : 0);
    PutRaw(Name, QStringLiteral("hex:") + QString::fromLatin1(bytes.toHex()));
}

// ---------------------------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(const String& FileName, LongWord AAccess) : TRegistry(AAccess), FFileName(FileName) {
    SetRootKey(HKEY_CURRENT_USER);
    OpenKey(FileName, true);
}

bool TRegIniFile::OpenSection(const String& Section, bool Create) {
    String path = QStringLiteral("\\") + FFileName;
    if (!Section.isEmpty()) path += '\\' + Section;
    return OpenKey(path, Create);
}

namespace {
// Keeps the open key of a TRegIniFile across one section operation.
struct KeepKey {
    TRegIniFile* Reg;
    String Path;
    ~KeepKey() { Reg->OpenKey(QStringLiteral("\\") + Path, true); }
};
} // namespace

String TRegIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
    KeepKey keep{this, CurrentPath()};
    if (!OpenSection(Section, false) || !ValueExists(Ident)) return Default;
    return TRegistry::ReadString(Ident);
}

void TRegIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    KeepKey keep{this, CurrentPath()};
    OpenSection(Section, true);
    TRegistry::WriteString(Ident, Value);
}

Integer TRegIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
    KeepKey keep{this, CurrentPath()};
    if (!OpenSection(Section, false) || !ValueExists(Ident)) return Default;
    if (GetDataType(Ident) == rdString) return StrToIntDef(TRegistry::ReadString(Ident), Default);
    return TRegistry::ReadInteger(Ident);
}

void TRegIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TRegIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
    WriteInteger(Section, Ident, Value ? 1 : 0);
}

void TRegIniFile::ReadSection(const String& Section, TStrings* Strings) {
    KeepKey keep{this, CurrentPath()};
    if (OpenSection(Section, false))
        GetValueNames(Strings);
    else
        Strings->Clear();
}

void TRegIniFile::ReadSections(TStrings* Strings) {
    KeepKey keep{this, CurrentPath()};
    if (OpenSection(String(), false))
        GetKeyNames(Strings);
    else
        Strings->Clear();
}

void TRegIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
    TStringList names;
    ReadSection(Section, &names);
    Strings->BeginUpdate();
    Strings->Clear();
    for (int i = 0; i < names.Count(); ++i)
        Strings->Add(names.Get(i) + '=' + ReadString(Section, names.Get(i), String()));
    Strings->EndUpdate();
}

void TRegIniFile::EraseSection(const String& Section) {
    KeepKey keep{this, CurrentPath()};
    TRegistry::DeleteKey(QStringLiteral("\\") + FFileName + '\\' + Section);
}

void TRegIniFile::DeleteKey(const String& Section, const String& Ident) {
    KeepKey keep{this, CurrentPath()};
    if (OpenSection(Section, false)) DeleteValue(Ident);
}
