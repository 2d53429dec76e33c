#pragma once
// Ini files: sections of Name=Value lines. Sections and names are case-insensitive, the first
// of duplicate sections or names wins, blanks around names and values are dropped.

#include "platform/classes/Classes.h"

#include <memory>

class TCustomIniFile : public TObject {
    KVT_CLASS(TCustomIniFile, TObject)
public:
    explicit TCustomIniFile(const String& FileName) : FFileName(FileName) {}
    const String& FileName() const { return FFileName; }

    virtual String ReadString(const String& Section, const String& Ident, const String& Default) = 0;
    virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;
    // Decimal or "0x"/"$" hexadecimal; an unreadable value answers Default.
    virtual Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
    virtual void WriteInteger(const String& Section, const String& Ident, Integer Value);
    // A number: non-zero is true ("1"/"0" written).
    virtual bool ReadBool(const String& Section, const String& Ident, bool Default);
    virtual void WriteBool(const String& Section, const String& Ident, bool Value);
    // Through the format settings; an unreadable value answers Default.
    virtual double ReadFloat(const String& Section, const String& Ident, double Default);
    virtual void WriteFloat(const String& Section, const String& Ident, double Value);
    virtual TDateTime ReadDate(const String& Section, const String& Ident, TDateTime Default);
    virtual TDateTime ReadDateTime(const String& Section, const String& Ident, TDateTime Default);
    virtual TDateTime ReadTime(const String& Section, const String& Ident, TDateTime Default);
    virtual void WriteDate(const String& Section, const String& Ident, TDateTime Value);
    virtual void WriteDateTime(const String& Section, const String& Ident, TDateTime Value);
    virtual void WriteTime(const String& Section, const String& Ident, TDateTime Value);

    // Names of the section's values / all section names / the section's Name=Value lines.
    virtual void ReadSection(const String& Section, TStrings* Strings) = 0;
    virtual void ReadSections(TStrings* Strings) = 0;
    virtual void ReadSectionValues(const String& Section, TStrings* Strings) = 0;
    // True when the section has at least one value.
    virtual bool SectionExists(const String& Section);
    virtual bool ValueExists(const String& Section, const String& Ident);
    virtual void EraseSection(const String& Section) = 0;
    virtual void DeleteKey(const String& Section, const String& Ident) = 0;
    virtual void UpdateFile() = 0;

protected:
    void SetFileName(const String& Value) { FFileName = Value; }

private:
    String FFileName;
};

class TIniData;

// The whole file held in memory: loaded at construction, written by UpdateFile. Line breaks
// inside written names and values become blanks, so that a value cannot break the file apart.
class TMemIniFile : public TCustomIniFile {
    KVT_CLASS(TMemIniFile, TCustomIniFile)
public:
    // Reading: a BOM decides; else valid UTF-8 is UTF-8, else Windows-1251. Writing uses
    // Encoding, else the encoding the file's BOM named, else Windows-1251, with CR LF line
    // ends. A missing file is an empty file.
    explicit TMemIniFile(const String& FileName, const TEncoding* Encoding = nullptr);
    ~TMemIniFile() override;

    String ReadString(const String& Section, const String& Ident, const String& Default) override;
    void WriteString(const String& Section, const String& Ident, const String& Value) override;
    void ReadSection(const String& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const String& Section, TStrings* Strings) override;
    bool ValueExists(const String& Section, const String& Ident) override;
    void EraseSection(const String& Section) override;
    void DeleteKey(const String& Section, const String& Ident) override;
    void UpdateFile() override;

    void Clear();
    // The file's text as lines / replaces the content with the lines.
    void GetStrings(TStrings* List);
    void SetStrings(TStrings* List);
    // Names another file; with Reload its content replaces the one held (unsaved changes go).
    void Rename(const String& FileName, bool Reload);
    // Adds an empty section unless one of that name exists.
    void AddSection(const String& Section);
    // True when the section is present, with or without values.
    bool SectionPresent(const String& Section) const;
    bool CaseSensitive() const;
    void SetCaseSensitive(bool Value);
    const TEncoding* Encoding() const { return FEncoding; }
    void SetEncoding(const TEncoding* Value) { FEncoding = Value; }

protected:
    void LoadValues();

private:
    std::unique_ptr<TIniData> FData;
    const TEncoding* FEncoding;
};

// Reads the file at every call and writes it at every change, as the system's profile calls
// do. A value enclosed in one pair of matching quotes (' or ") is read without them.
class TIniFile : public TCustomIniFile {
    KVT_CLASS(TIniFile, TCustomIniFile)
public:
    explicit TIniFile(const String& FileName, const TEncoding* Encoding = nullptr);
    ~TIniFile() override;

    String ReadString(const String& Section, const String& Ident, const String& Default) override;
    void WriteString(const String& Section, const String& Ident, const String& Value) override;
    void ReadSection(const String& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const String& Section, TStrings* Strings) override;
    void EraseSection(const String& Section) override;
    void DeleteKey(const String& Section, const String& Ident) override;
    void UpdateFile() override; // nothing to do: every change is already written

private:
    std::unique_ptr<TMemIniFile> Load();
    const TEncoding* FEncoding;
};
