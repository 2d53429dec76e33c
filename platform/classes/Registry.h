#pragma once
// A stand-in for the system registry: keys and typed values kept in an ini file under the
// user's configuration directory ($XDG_CONFIG_HOME/setupkvt/registry.ini, or the file named by
// the KVT_REGISTRY_FILE environment variable). Each key is one section named by its full path
// ("HKEY_CURRENT_USER\Software\..."); the key's default value has the empty name.

#include "platform/classes/Classes.h"

#include <memory>

using HKEY = NativeUInt;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

constexpr LongWord KEY_READ = 0x20019;
constexpr LongWord KEY_WRITE = 0x20006;
constexpr LongWord KEY_ALL_ACCESS = 0xF003F;

KVT_EXCEPTION(ERegistryException, Exception)

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    Integer DataSize = 0;
};

struct TRegKeyInfo {
    Integer NumSubKeys = 0;
    Integer MaxSubKeyLen = 0;
    Integer NumValues = 0;
    Integer MaxValueLen = 0;
    Integer MaxDataLen = 0;
};

class TMemIniFile;

class TRegistry : public TObject {
    KVT_CLASS(TRegistry, TObject)
public:
    explicit TRegistry(LongWord AAccess = KEY_ALL_ACCESS);
    ~TRegistry() override;

    // The ini file behind the registry.
    static String StorageFileName();

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value); // closes the current key
    LongWord Access() const { return FAccess; }
    void SetAccess(LongWord Value) { FAccess = Value; }
    // The open key's path below the root ("" when none is open or at the root).
    const String& CurrentPath() const { return FCurrentPath; }
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool Value) { FLazyWrite = Value; }

    // Key paths are relative to the current key unless they start with "\".
    bool OpenKey(const String& Key, bool CanCreate);
    bool OpenKeyReadOnly(const String& Key);
    bool CreateKey(const String& Key);
    bool DeleteKey(const String& Key); // with its subkeys
    bool KeyExists(const String& Key);
    bool HasSubKeys();
    void GetKeyNames(TStrings* Strings);
    bool GetKeyInfo(TRegKeyInfo& Value);
    void MoveKey(const String& OldName, const String& NewName, bool Delete);
    void CloseKey();

    // Values of the current key.
    void GetValueNames(TStrings* Strings);
    bool ValueExists(const String& Name);
    bool DeleteValue(const String& Name);
    void RenameValue(const String& OldName, const String& NewName);
    TRegDataType GetDataType(const String& ValueName);
    bool GetDataInfo(const String& ValueName, TRegDataInfo& Value);
    Integer GetDataSize(const String& ValueName); // -1 when absent

    // Reading a value of another type raises ERegistryException "Invalid data type for '%s'";
    // a missing string reads as "", a missing number raises "Failed to get data for '%s'".
    // Writing without an open key raises "Failed to set data for '%s'".
    String ReadString(const String& Name);
    void WriteString(const String& Name, const String& Value);
    void WriteExpandString(const String& Name, const String& Value);
    Integer ReadInteger(const String& Name);
    void WriteInteger(const String& Name, Integer Value);
    bool ReadBool(const String& Name);
    void WriteBool(const String& Name, bool Value);
    double ReadFloat(const String& Name);
    void WriteFloat(const String& Name, double Value);
    TDateTime ReadDateTime(const String& Name);
    void WriteDateTime(const String& Name, TDateTime Value);
    // Answers the number of bytes read.
    Integer ReadBinaryData(const String& Name, void* Buffer, Integer BufSize);
    void WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize);

protected:
    // Section name of a key path below the root.
    String SectionOf(const String& Path) const;
    // Full path below the root of Key (relative to the current key unless it starts with "\").
    String ResolvePath(const String& Key) const;
    void CheckOpen() const;
    TMemIniFile* Store();
    void Flush();
    void PutRaw(const String& Name, const String& Encoded);
    bool GetRaw(const String& Name, String& Encoded);

private:
    HKEY FRootKey = HKEY_CURRENT_USER;
    LongWord FAccess;
    String FCurrentPath;
    bool FKeyOpen = false;
    bool FLazyWrite = true;
    std::unique_ptr<TMemIniFile> FStore;
};

// The registry seen as an ini file: the key FileName (below HKEY_CURRENT_USER) holds one
// subkey per section; the empty section is the key itself.
class TRegIniFile : public TRegistry {
    KVT_CLASS(TRegIniFile, TRegistry)
public:
    explicit TRegIniFile(const String& FileName, LongWord AAccess = KEY_ALL_ACCESS);
    const String& FileName() const { return FFileName; }

    String ReadString(const String& Section, const String& Ident, const String& Default);
    void WriteString(const String& Section, const String& Ident, const String& Value);
    Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
    void WriteInteger(const String& Section, const String& Ident, Integer Value);
    bool ReadBool(const String& Section, const String& Ident, bool Default);
    void WriteBool(const String& Section, const String& Ident, bool Value);
    void ReadSection(const String& Section, TStrings* Strings);
    void ReadSections(TStrings* Strings);
    void ReadSectionValues(const String& Section, TStrings* Strings);
    void EraseSection(const String& Section);
    void DeleteKey(const String& Section, const String& Ident);

    using TRegistry::DeleteKey;
    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::WriteBool;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

private:
    // Opens Section below the file key; false when it does not exist and !Create.
    bool OpenSection(const String& Section, bool Create);
    String FFileName;
};
