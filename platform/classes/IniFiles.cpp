// TCustomIniFile, TMemIniFile and TIniFile.

#include "platform/classes/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

// ---------------------------------------------------------------------------------------------
// The parsed content: sections in file order, each with its lines ("Name=Value" or other text).
class TIniData {
public:
    struct Section {
        String Name;
        std::vector<String> Lines;
    };
    std::vector<Section> Sections;
    bool CaseSensitive = false;

    bool Same(const String& a, const String& b) const {
        return a.compare(b, CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    }
    Section* Find(const String& name) {
        for (auto& s : Sections)
            if (Same(s.Name, name)) return &s;
        return nullptr;
    }
    Section& Get(const String& name) {
        if (Section* s = Find(name)) return *s;
        Sections.push_back(Section{name, {}});
        return Sections.back();
    }
    // Index of the first line whose name matches, -1 when none.
    int IndexOfName(const Section& s, const String& name) const {
        for (size_t i = 0; i < s.Lines.size(); ++i) {
            const qsizetype p = s.Lines[i].indexOf('=');
            if (p >= 0 && Same(s.Lines[i].left(p), name)) return int(i);
        }
        return -1;
    }

    void Parse(TStrings* list) {
        Sections.clear();
        Section* current = nullptr;
        for (int i = 0; i < list->Count(); ++i) {
            String s = Trim(list->Get(i));
            if (s.isEmpty() || s[0] == ';') continue;
            if (s.size() >= 2 && s[0] == '[' && s.back() == ']') {
                Sections.push_back(Section{Trim(s.mid(1, s.size() - 2)), {}});
                current = &Sections.back();
            } else if (current) {
                const qsizetype p = s.indexOf('=');
                if (p >= 0) s = Trim(s.left(p)) + '=' + Trim(s.mid(p + 1));
                current->Lines.push_back(s);
            }
        }
    }

    void Write(TStrings* list) const {
        list->BeginUpdate();
        list->Clear();
        for (const auto& s : Sections) {
            list->Add('[' + s.Name + ']');
            for (const auto& l : s.Lines)
                list->Add(l);
            list->Add(String());
        }
        list->EndUpdate();
    }
};

namespace {
String OneLine(String s) {
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace('\r', ' ');
    s.replace('\n', ' ');
    return s;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

Integer TCustomIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
    String s = ReadString(Section, Ident, String());
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = '$' + s.mid(2);
    return StrToIntDef(s, Default);
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TCustomIniFile::ReadFloat(const String& Section, const String& Ident, double Default) {
    const String s = ReadString(Section, Ident, String());
    Extended v;
    if (!s.isEmpty() && TryStrToFloat(s, v)) return double(v);
    return Default;
}

void TCustomIniFile::WriteFloat(const String& Section, const String& Ident, double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TCustomIniFile::ReadDate(const String& Section, const String& Ident, TDateTime Default) {
    const String s = ReadString(Section, Ident, String());
    TDateTime v;
    return !s.isEmpty() && TryStrToDate(s, v) ? v : Default;
}

TDateTime TCustomIniFile::ReadDateTime(const String& Section, const String& Ident, TDateTime Default) {
    const String s = ReadString(Section, Ident, String());
    TDateTime v;
    return !s.isEmpty() && TryStrToDateTime(s, v) ? v : Default;
}

TDateTime TCustomIniFile::ReadTime(const String& Section, const String& Ident, TDateTime Default) {
    const String s = ReadString(Section, Ident, String());
    TDateTime v;
    return !s.isEmpty() && TryStrToTime(s, v) ? v : Default;
}

void TCustomIniFile::WriteDate(const String& Section, const String& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const String& Section, const String& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const String& Section, const String& Ident, TDateTime Value) {
    WriteString(Section, Ident, TimeToStr(Value));
}

bool TCustomIniFile::SectionExists(const String& Section) {
    TStringList s;
    ReadSection(Section, &s);
    return s.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& Section, const String& Ident) {
    TStringList s;
    ReadSection(Section, &s);
    return s.IndexOf(Ident) > -1;
}

// ---------------------------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const String& FileName, const TEncoding* Encoding)
    : TCustomIniFile(FileName), FData(std::make_unique<TIniData>()), FEncoding(Encoding) {
    LoadValues();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::LoadValues() {
    TStringList list;
    if (!FileName().isEmpty() && FileExists(FileName())) {
        TFileStream f(FileName(), fmOpenRead | fmShareDenyWrite);
        // Without an encoding of its own the file is written back in the one its BOM names, so
        // that text outside the ANSI code page survives.
        if (!FEncoding) {
            QByteArray head(4, '\0');
            head.resize(f.Read(head.data(), 4));
            int size;
            FEncoding = TEncoding::DetectBOM(head, size);
            f.SetPosition(0);
        }
        list.LoadFromStream(&f);
    }
    FData->Parse(&list);
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
    TIniData::Section* s = FData->Find(Section);
    if (!s) return Default;
    const int i = FData->IndexOfName(*s, Ident);
    if (i < 0) return Default;
    const String& line = s->Lines[size_t(i)];
    return line.mid(line.indexOf('=') + 1);
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    TIniData::Section& s = FData->Get(OneLine(Section));
    const String name = OneLine(Ident);
    const String line = name + '=' + OneLine(Value);
    const int i = FData->IndexOfName(s, name);
    if (i >= 0)
        s.Lines[size_t(i)] = line;
    else
        s.Lines.push_back(line);
}

void TMemIniFile::ReadSection(const String& Section, TStrings* Strings) {
    Strings->BeginUpdate();
    try {
        Strings->Clear();
        if (TIniData::Section* s = FData->Find(Section))
            for (const String& line : s->Lines) {
                const qsizetype p = line.indexOf('=');
                if (p > 0) Strings->Add(line.left(p));
            }
    } catch (...) {
        Strings->EndUpdate();
        throw;
    }
    Strings->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* Strings) {
    Strings->BeginUpdate();
    try {
        Strings->Clear();
        for (size_t i = 0; i < FData->Sections.size(); ++i) {
            const String& name = FData->Sections[i].Name;
            if (FData->Find(name) == &FData->Sections[i]) Strings->Add(name); // first of duplicates
        }
    } catch (...) {
        Strings->EndUpdate();
        throw;
    }
    Strings->EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
    Strings->BeginUpdate();
    try {
        Strings->Clear();
        if (TIniData::Section* s = FData->Find(Section))
            for (const String& line : s->Lines)
                Strings->Add(line);
    } catch (...) {
        Strings->EndUpdate();
        throw;
    }
    Strings->EndUpdate();
}

void TMemIniFile::EraseSection(const String& Section) {
    // Every section of that name goes, so that a later duplicate does not take its place.
    auto& v = FData->Sections;
    v.erase(std::remove_if(v.begin(), v.end(),
                           [&](const TIniData::Section& s) { return FData->Same(s.Name, Section); }),
            v.end());
}

void TMemIniFile::DeleteKey(const String& Section, const String& Ident) {
    if (TIniData::Section* s = FData->Find(Section)) {
        const int i = FData->IndexOfName(*s, Ident);
        if (i >= 0) s->Lines.erase(s->Lines.begin() + i);
    }
}

void TMemIniFile::UpdateFile() {
    TStringList list;
    GetStrings(&list);
    const QString dir = QFileInfo(FileName()).absolutePath();
    if (!dir.isEmpty()) QDir().mkpath(dir);
    list.SaveToFile(FileName(), FEncoding ? FEncoding : TEncoding::Default());
}

void TMemIniFile::Clear() {
    FData->Sections.clear();
}

void TMemIniFile::GetStrings(TStrings* List) {
    FData->Write(List);
}

void TMemIniFile::SetStrings(TStrings* List) {
    FData->Parse(List);
}

void TMemIniFile::Rename(const String& FileName, bool Reload) {
    SetFileName(FileName);
    if (Reload) LoadValues();
}

void TMemIniFile::AddSection(const String& Section) {
    FData->Get(OneLine(Section));
}

bool TMemIniFile::ValueExists(const String& Section, const String& Ident) {
    TIniData::Section* s = FData->Find(Section);
    return s && FData->IndexOfName(*s, Ident) >= 0;
}

bool TMemIniFile::SectionPresent(const String& Section) const {
    return FData->Find(Section) != nullptr;
}

bool TMemIniFile::CaseSensitive() const {
    return FData->CaseSensitive;
}

void TMemIniFile::SetCaseSensitive(bool Value) {
    FData->CaseSensitive = Value;
}

// ---------------------------------------------------------------------------------------------
// TIniFile

TIniFile::TIniFile(const String& FileName, const TEncoding* Encoding)
    : TCustomIniFile(FileName), FEncoding(Encoding) {}

TIniFile::~TIniFile() = default;

std::unique_ptr<TMemIniFile> TIniFile::Load() {
    return std::make_unique<TMemIniFile>(FileName(), FEncoding);
}

namespace {
String Unquoted(String s) {
    if (s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0]) s = s.mid(1, s.size() - 2);
    return s;
}

// A TIniFile change edits the file's lines where they stand, so that comments, lines before
// the first section and untidy lines survive, and writes the file back in the encoding it came
// in (a byte-order mark kept), with its line ends.
class IniLines {
public:
    IniLines(const String& FileName, const TEncoding* Explicit) : FFileName(FileName) {
        QFile f(FileName);
        if (!f.exists()) {
            FEncoding = Explicit ? Explicit : TEncoding::Default();
            FBom = !FEncoding->GetPreamble().isEmpty();
            FGuessed = !Explicit;
            return;
        }
        if (!f.open(QIODevice::ReadOnly))
            throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, f.errorString()));
        QByteArray bytes = f.readAll();
        const QByteArray original = bytes;
        int bom = 0;
        if (const TEncoding* e = TEncoding::DetectBOM(bytes, bom)) {
            FEncoding = e;
            FBom = true;
            bytes.remove(0, bom);
        } else if (Explicit) {
            FEncoding = Explicit;
        } else {
            // As the reader decides: text that is valid UTF-8 and not plain ASCII is UTF-8.
            FGuessed = true;
            FAscii = IsAscii(bytes);
            FEncoding = !FAscii && IsUtf8(bytes) ? TEncoding::UTF8() : TEncoding::Default();
        }
        // The lines are those the reader sees (a stray byte or a second mark taken alike), so
        // that a write finds the section and the name a read finds.
        const String text = Explicit && bom == 0 ? FEncoding->GetString(bytes) : DecodeText(original);
        const qsizetype nl = text.indexOf('\n'), cr = text.indexOf('\r');
        if (nl >= 0 && (cr < 0 || cr > nl))
            FEol = QStringLiteral("\n");
        else if (cr >= 0 && (cr + 1 >= text.size() || text[cr + 1] != '\n'))
            FEol = QStringLiteral("\r");
        String line;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == '\r' || c == '\n') {
                FLines.push_back(line);
                line.clear();
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                line += c;
            }
        }
        FFinalBreak = line.isEmpty() && !FLines.empty();
        if (!line.isEmpty()) FLines.push_back(line);
    }

    // Index of the first header line of Section, -1 when none.
    int FindSection(const String& Section, int From = 0) const {
        for (int i = From; i < int(FLines.size()); ++i)
            if (auto name = HeaderName(FLines[size_t(i)]); name && Same(*name, Section)) return i;
        return -1;
    }
    // Index of the line after the section that starts at Header.
    int SectionEnd(int Header) const {
        int i = Header + 1;
        while (i < int(FLines.size()) && !HeaderName(FLines[size_t(i)]))
            ++i;
        return i;
    }
    // Index of the first line of the section at Header that holds Ident, -1 when none.
    int FindKey(int Header, const String& Ident) const {
        for (int i = Header + 1; i < SectionEnd(Header); ++i) {
            const String s = Trim(FLines[size_t(i)]);
            const qsizetype p = s.indexOf('=');
            if (!s.startsWith(';') && p >= 0 && Same(Trim(s.left(p)), Ident)) return i;
        }
        return -1;
    }

    void Set(const String& Section, const String& Ident, const String& Line) {
        const int h = FindSection(Section);
        if (h < 0) {
            if (!FLines.empty() && !Trim(FLines.back()).isEmpty()) FLines.push_back(String());
            FLines.push_back('[' + Section + ']');
            FLines.push_back(Line);
            FFinalBreak = true;
            return;
        }
        if (const int k = FindKey(h, Ident); k >= 0) {
            FLines[size_t(k)] = Line;
            return;
        }
        // After the section's last line that is not blank, so that a blank line before the next
        // section stays where it is.
        int at = SectionEnd(h);
        while (at - 1 > h && Trim(FLines[size_t(at - 1)]).isEmpty())
            --at;
        FLines.insert(FLines.begin() + at, Line);
        if (at == int(FLines.size()) - 1) FFinalBreak = true;
    }
    bool Delete(const String& Section, const String& Ident) {
        const int h = FindSection(Section);
        const int k = h < 0 ? -1 : FindKey(h, Ident);
        if (k < 0) return false;
        FLines.erase(FLines.begin() + k);
        return true;
    }
    bool Erase(const String& Section) {
        bool any = false;
        for (int h = FindSection(Section); h >= 0; h = FindSection(Section, h)) {
            FLines.erase(FLines.begin() + h, FLines.begin() + SectionEnd(h));
            any = true;
        }
        return any;
    }

    // Writes the lines back; text the file's encoding cannot hold is refused, the file untouched.
    void Save() const {
        const TEncoding* enc = FEncoding;
        String text;
        for (size_t i = 0; i < FLines.size(); ++i) {
            text += FLines[i];
            if (i + 1 < FLines.size() || FFinalBreak) text += FEol;
        }
        QByteArray bytes = enc->GetBytes(text);
        if (FGuessed && enc == TEncoding::Default()) {
            // A file without a byte-order mark is read as UTF-8 when it is valid UTF-8. A file
            // that had no text outside ASCII has no encoding of its own yet: it becomes UTF-8
            // where the code page would not do. One that was in the code page must stay readable
            // as such.
            const bool misread = !IsAscii(bytes) && IsUtf8(bytes);
            if (FAscii && (misread || enc->GetString(bytes) != text)) {
                enc = TEncoding::UTF8();
                bytes = enc->GetBytes(text);
            } else if (misread) {
                throw EIniFileException(
                    QStringLiteral("The text would not read back from \"%1\" in its code page")
                        .arg(FFileName));
            }
        }
        if (enc->GetString(bytes) != text)
            throw EIniFileException(QStringLiteral("The text cannot be stored in the encoding of \"%1\" (%2)")
                                        .arg(FFileName, enc->EncodingName()));
        if (FBom) bytes.prepend(enc->GetPreamble());
        const QString dir = QFileInfo(FFileName).absolutePath();
        if (!dir.isEmpty()) QDir().mkpath(dir);
        QSaveFile f(FFileName);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
            throw EFCreateError(
                QStringLiteral("Cannot create file \"%1\". %2").arg(FFileName, f.errorString()));
    }

private:
    static bool Same(const String& a, const String& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
    // The section name of a header line, as the reader takes it.
    static std::optional<String> HeaderName(const String& Line) {
        const String s = Trim(Line);
        if (s.size() >= 2 && s[0] == '[' && s.back() == ']') return Trim(s.mid(1, s.size() - 2));
        return std::nullopt;
    }

    static bool IsAscii(const QByteArray& Bytes) {
        for (char c : Bytes)
            if (uchar(c) >= 0x80) return false;
        return true;
    }
    static bool IsUtf8(const QByteArray& Bytes) {
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString probe = dec.decode(Bytes);
        return !dec.hasError();
    }

    String FFileName;
    std::vector<String> FLines;
    bool FGuessed = false; // the encoding was taken from the content, not named
    bool FAscii = true;    // ... and the content was plain ASCII
    const TEncoding* FEncoding = nullptr;
    bool FBom = false;
    String FEol = QStringLiteral("\r\n");
    bool FFinalBreak = true;
};

// Names that would not read back as written: the reader trims blanks, takes a line starting
// with ';' for a comment and one in brackets for a section, and splits at the first '='.
void CheckNames(const String& Section, const String* Ident) {
    auto bad = [](const String& s) { return s != Trim(s) || s.contains('\r') || s.contains('\n'); };
    if (bad(Section)) throw EIniFileException(QStringLiteral("Invalid section name \"%1\"").arg(Section));
    if (Ident && (Ident->isEmpty() || bad(*Ident) || Ident->contains('=') || Ident->startsWith(';') ||
                  Ident->startsWith('[')))
        throw EIniFileException(QStringLiteral("Invalid value name \"%1\"").arg(*Ident));
}
} // namespace

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
    auto ini = Load();
    if (!ini->ValueExists(Section, Ident)) return Default;
    return Unquoted(ini->ReadString(Section, Ident, Default));
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    CheckNames(Section, &Ident);
    IniLines file(FileName(), FEncoding);
    file.Set(Section, Ident, Ident + '=' + OneLine(Value));
    file.Save();
}

void TIniFile::ReadSection(const String& Section, TStrings* Strings) {
    Load()->ReadSection(Section, Strings);
}

void TIniFile::ReadSections(TStrings* Strings) {
    Load()->ReadSections(Strings);
}

void TIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
    auto ini = Load();
    TStringList names;
    ini->ReadSection(Section, &names);
    Strings->BeginUpdate();
    try {
        Strings->Clear();
        for (int i = 0; i < names.Count(); ++i)
            Strings->Add(names.Get(i) + '=' + Unquoted(ini->ReadString(Section, names.Get(i), String())));
    } catch (...) {
        Strings->EndUpdate();
        throw;
    }
    Strings->EndUpdate();
}

void TIniFile::EraseSection(const String& Section) {
    IniLines file(FileName(), FEncoding);
    if (file.Erase(Section)) file.Save();
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
    IniLines file(FileName(), FEncoding);
    if (file.Delete(Section, Ident)) file.Save();
}

void TIniFile::UpdateFile() {}
