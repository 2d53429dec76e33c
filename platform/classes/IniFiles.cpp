// TCustomIniFile, TMemIniFile and TIniFile.

#include "platform/classes/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <QDir>
#include <QFileInfo>

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
} // namespace

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
    auto ini = Load();
    if (!ini->ValueExists(Section, Ident)) return Default;
    return Unquoted(ini->ReadString(Section, Ident, Default));
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    auto ini = Load();
    ini->WriteString(Section, Ident, Value);
    ini->UpdateFile();
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
    auto ini = Load();
    if (!ini->SectionPresent(Section)) return;
    ini->EraseSection(Section);
    ini->UpdateFile();
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
    auto ini = Load();
    ini->DeleteKey(Section, Ident);
    ini->UpdateFile();
}

void TIniFile::UpdateFile() {}
