// Ini files: parsing of untidy input, lookups, writing back.

#include "platform/classes/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace {

class IniFiles : public ::testing::Test {
protected:
    void SetUp() override {
        saved = FormatSettings();
        SetFormatSettings(TFormatSettings::Invariant());
    }
    void TearDown() override { SetFormatSettings(saved); }
    QString Write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static QStringList Lines(const TStrings& s) {
        QStringList r;
        for (int i = 0; i < s.Count(); ++i)
            r << s.Get(i);
        return r;
    }
    QTemporaryDir dir;
    TFormatSettings saved;
};

const QByteArray kUntidy = "orphan=before any section\r\n"
                           "; comment\r\n"
                           "[ Main ]\r\n"
                           "  Name = First value  \r\n"
                           "name=second\r\n"
                           "Count=12\n"
                           "Hex=0x1F\r"
                           "Bad=12abc\r\n"
                           "Flag=1\r\n"
                           "Ratio=2.5\r\n"
                           "no separator here\r\n"
                           "=nameless\r\n"
                           "[broken section\r\n"
                           "\r\n"
                           "[main]\r\n"
                           "Name=duplicate section\r\n"
                           "Extra=only here\r\n"
                           "[Empty]\r\n"
                           "[]\r\n"
                           "k=v\r\n";

TEST_F(IniFiles, UntidyInputFirstDuplicateWinsAndTypedReads) {
    TMemIniFile ini(Write("untidy.ini", kUntidy));
    EXPECT_EQ(ini.ReadString("MAIN", "NAME", "-"), "First value");
    EXPECT_EQ(ini.ReadString("Main", "Extra", "-"), "-"); // the second [main] is not read
    EXPECT_EQ(ini.ReadString("Main", "orphan", "-"), "-");
    EXPECT_EQ(ini.ReadString("Main", "", "-"), "nameless");
    EXPECT_EQ(ini.ReadString("Missing", "Name", "-"), "-");
    EXPECT_EQ(ini.ReadString("", "k", "-"), "v");

    EXPECT_EQ(ini.ReadInteger("Main", "Count", -1), 12);
    EXPECT_EQ(ini.ReadInteger("Main", "Hex", -1), 31);
    EXPECT_EQ(ini.ReadInteger("Main", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Main", "Missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Main", "Flag", false));
    EXPECT_TRUE(ini.ReadBool("Main", "Missing", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Main", "Ratio", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Main", "Name", 9.5), 9.5);

    TStringList names;
    ini.ReadSection("main", &names);
    EXPECT_EQ(Lines(names), (QStringList{"Name", "name", "Count", "Hex", "Bad", "Flag", "Ratio"}));
    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(Lines(sections), (QStringList{"Main", "Empty", ""}));
    TStringList values;
    ini.ReadSectionValues("Main", &values);
    EXPECT_EQ(values.Values("name"), "First value");
    EXPECT_EQ(values.Values("Count"), "12");

    EXPECT_TRUE(ini.SectionExists("MAIN"));
    EXPECT_FALSE(ini.SectionExists("Empty")); // no values
    EXPECT_TRUE(ini.ValueExists("Main", "FLAG"));
    EXPECT_FALSE(ini.ValueExists("Main", "Extra"));

    // A missing file is an empty one.
    TMemIniFile none(dir.filePath("none.ini"));
    TStringList nothing;
    none.ReadSectionValues("Main", &nothing);
    EXPECT_EQ(nothing.Count(), 0);
}

TEST_F(IniFiles, WritesAreKeptInMemoryUntilUpdateFile) {
    const QString path = dir.filePath("out.ini");
    TMemIniFile ini(path);
    ini.WriteString("Общие", "Имя", "Значение");
    ini.WriteInteger("Общие", "N", -5);
    ini.WriteBool("B", "On", true);
    ini.WriteString("B", "Injected", "x\r\n[Evil]\r\nk=v");
    EXPECT_FALSE(QFile::exists(path));
    ini.UpdateFile();
    EXPECT_EQ(
        Read(path),
        QByteArray("[\xCE\xE1\xF9\xE8\xE5]\r\n\xC8\xEC\xFF=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\nN=-5\r\n\r\n"
                   "[B]\r\nOn=1\r\nInjected=x [Evil] k=v\r\n\r\n"));

    TMemIniFile back(path);
    EXPECT_EQ(back.ReadString("общие", "имя", ""), QString::fromUtf8("Значение"));
    EXPECT_FALSE(back.SectionExists("Evil"));
    back.WriteString("B", "On", "0"); // replaces in place
    back.DeleteKey("B", "Injected");
    back.EraseSection("Общие");
    TStringList lines;
    back.GetStrings(&lines);
    EXPECT_EQ(Lines(lines), (QStringList{"[B]", "On=0", ""}));
}

TEST_F(IniFiles, EraseSectionRemovesDuplicatesToo) {
    TMemIniFile ini(Write("dup.ini", "[A]\r\nx=1\r\n[a]\r\nx=2\r\n"));
    ini.EraseSection("A");
    EXPECT_EQ(ini.ReadString("A", "x", "-"), "-");
}

TEST_F(IniFiles, ReadsUtf8And1251Files) {
    TMemIniFile utf8(Write("u.ini", QString::fromUtf8("[Язык]\nКнопка=Открыть\n").toUtf8()));
    EXPECT_EQ(utf8.ReadString("Язык", "Кнопка", ""), QString::fromUtf8("Открыть"));
    TMemIniFile ansi(Write("a.ini", "[Lang]\r\nk=\xCE\xEA\r\n"));
    EXPECT_EQ(ansi.ReadString("Lang", "k", ""), QString::fromUtf8("Ок"));

    // A file with a BOM is written back in its own encoding: nothing outside Windows-1251 is lost.
    const QString path =
        Write("bom.ini", "\xEF\xBB\xBF[S]\r\nk=" + QString::fromUtf8("日本").toUtf8() + "\r\n");
    TMemIniFile bom(path);
    bom.WriteString("S", "n", "1");
    bom.UpdateFile();
    EXPECT_EQ(TMemIniFile(path).ReadString("S", "k", ""), QString::fromUtf8("日本"));
}

TEST_F(IniFiles, IniFileWritesThroughAndStripsOnePairOfQuotes) {
    const QString path = Write("t.ini", "[S]\r\nq=\"quoted value\"\r\ns='single'\r\nm=\"mixed'\r\n");
    TIniFile a(path), b(path);
    EXPECT_EQ(a.ReadString("S", "q", ""), "quoted value");
    EXPECT_EQ(a.ReadString("S", "s", ""), "single");
    EXPECT_EQ(a.ReadString("S", "m", ""), "\"mixed'");
    a.WriteString("S", "new", "1");
    EXPECT_EQ(b.ReadInteger("S", "new", 0), 1); // another object sees it at once
    b.EraseSection("S");
    EXPECT_FALSE(a.SectionExists("S"));
    TStringList values;
    a.WriteString("T", "v", "'x'");
    a.ReadSectionValues("T", &values);
    EXPECT_EQ(Lines(values), QStringList{"v=x"});
}

TEST_F(IniFiles, IniFileWritesKeepTheOtherLinesAndTheEncoding) {
    // A Windows-1251 file whose comment is the only text that is not valid UTF-8.
    QFile fixture(QStringLiteral(KVT_TEST_DATA "/bad-input/ini-cp1251-comment.ini"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray original = fixture.readAll();
    const QString path = Write("cp1251.ini", original);
    TIniFile ini(path);
    ini.WriteString("S", "Other", QString::fromUtf8("Ёж"));
    EXPECT_EQ(Read(path), original + "Other=\xA8\xE6\r\n");
    EXPECT_EQ(ini.ReadString("S", "Name", ""), QString::fromUtf8("Рё"));
    EXPECT_EQ(ini.ReadString("S", "Other", ""), QString::fromUtf8("Ёж"));
    // Text the file's code page cannot hold is refused; the file stays as it was.
    EXPECT_THROW(ini.WriteString("S", "Other", QString::fromUtf8("日本")), EIniFileException);
    EXPECT_EQ(Read(path), original + "Other=\xA8\xE6\r\n");

    struct Case {
        const char* Name;
        QByteArray Before;
        QByteArray After;
    };
    const QByteArray bom8 = "\xEF\xBB\xBF";
    const Case cases[] = {
        // Lines before the first section, comments, untidy lines and LF line ends stay.
        {"lf.ini", "top=1\n; note\n[A]\n ; inside\nx = 1\njunk line\n\n[B]\ny=2\n",
         "top=1\n; note\n[A]\n ; inside\nX=9\njunk line\nk=\xA8\xE6\n\n[B]\ny=2\n"}, // ASCII: the code page
        // UTF-8 without a mark stays UTF-8; a missing final line break stays missing.
        {"utf8.ini", "[A]\r\nИмя=Знач\r\n[B]\r\ny=2", "[A]\r\nИмя=Знач\r\nX=9\r\nk=Ёж\r\n[B]\r\ny=2"},
        {"bom.ini", bom8 + "[A]\r\n", bom8 + "[A]\r\nX=9\r\nk=Ёж\r\n"},
        // A new section goes at the end, after a blank line.
        {"new.ini", "; only a comment\r\n", "; only a comment\r\n\r\n[a]\r\nX=9\r\nk=\xA8\xE6\r\n"},
        {"none.ini", QByteArray(), "[a]\r\nX=9\r\nk=\xA8\xE6\r\n"},
    };
    for (const Case& c : cases) {
        const QString p = c.Before.isNull() ? dir.filePath(c.Name) : Write(c.Name, c.Before);
        TIniFile f(p);
        f.WriteString("a", "X", "9"); // the section's and the value's names match whatever their case
        f.WriteString("A", "k", QString::fromUtf8("Ёж"));
        EXPECT_EQ(Read(p), c.After) << c.Name;
        EXPECT_EQ(f.ReadString("A", "k", ""), QString::fromUtf8("Ёж")) << c.Name;
    }
    // UTF-16 keeps its mark and its byte order.
    const QString utf16 = dir.filePath("utf16.ini");
    {
        TStringList l;
        l.Add("[A]");
        l.Add(QString::fromUtf8("Имя=1"));
        l.SaveToFile(utf16, TEncoding::Unicode());
    }
    TIniFile w(utf16);
    w.WriteString("A", "x", "2");
    EXPECT_TRUE(Read(utf16).startsWith("\xFF\xFE[\0A\0]\0"));
    EXPECT_EQ(w.ReadString("A", QString::fromUtf8("Имя"), ""), "1");
    EXPECT_EQ(w.ReadString("A", "x", ""), "2");
    // Erasing a section takes its own lines only.
    const QString erase = Write("erase.ini", "; head\r\n[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
    TIniFile(erase).EraseSection("A");
    TIniFile(erase).DeleteKey("b", "Y");
    EXPECT_EQ(Read(erase), "; head\r\n[B]\r\n");
}

TEST_F(IniFiles, IniFileWritesNeverTurnTheFileIntoAnotherEncoding) {
    // The comment is what shows the file is in the code page: without it the rest would read as
    // UTF-8 ("Рё" as "и"), so a write that removes it is refused.
    const QByteArray ansi = "[S]\r\nc=\xCA\xEE\r\nName=\xD0\xB8\r\n";
    const QString path = Write("only.ini", ansi);
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString("S", "c", "plain"), EIniFileException);
    EXPECT_EQ(Read(path), ansi);
    EXPECT_EQ(ini.ReadString("S", "Name", ""), QString::fromUtf8("Рё"));
    // A plain ASCII file has no encoding of its own yet: it takes UTF-8 where the code page
    // would be read wrongly or cannot hold the text.
    for (const char* text : {"Рё", "日本"}) {
        const QString p = Write("ascii.ini", "[S]\r\nk=v\r\n");
        TIniFile a(p);
        a.WriteString("S", "x", QString::fromUtf8(text));
        EXPECT_EQ(Read(p), QByteArray("[S]\r\nk=v\r\nx=") + text + "\r\n");
        EXPECT_EQ(a.ReadString("S", "x", ""), QString::fromUtf8(text));
    }
}

// A write finds the lines as a read takes them, also in a UTF-16 file whose mark is followed
// by a second one or whose last byte is left over: the value written is the value read.
TEST_F(IniFiles, IniFileWritesFindWhatReadsFind) {
    auto utf16 = [](const QString& text) {
        QByteArray b("\xFF\xFE");
        for (QChar c : text)
            b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        return b;
    };
    const QString mark(QChar(0xFEFF));
    struct Case {
        const char* Name;
        QByteArray Bytes;
    };
    const Case cases[] = {
        {"second mark", utf16(mark + "[A]\r\nk=1\r\nz=v\r\n")},
        {"left-over byte", utf16("[A]\r\nk=1\r\nz=v") + 'x'},
        {"fuzz finding", Read(QStringLiteral(KVT_TEST_DATA "/bad-input/ini-utf16-second-mark.ini"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = Write("u.ini", c.Bytes);
        TMemIniFile before(path);
        TStringList sections;
        before.ReadSections(&sections);
        const QString section = sections.Count() ? sections.Get(0) : QStringLiteral("A");
        const QString z = before.ReadString(section, "z", "-");
        TIniFile(path).WriteString(section, "k", "2");
        TMemIniFile after(path);
        EXPECT_EQ(after.ReadString(section, "k", ""), "2");
        EXPECT_EQ(after.ReadString(section, "z", "-"), z);
        EXPECT_TRUE(Read(path).startsWith("\xFF\xFE"));
    }
}

TEST_F(IniFiles, IniFileRefusesNamesThatCannotBeStored) {
    const QByteArray before = "[S]\r\nk=v\r\n";
    const QString path = Write("names.ini", before);
    TIniFile ini(path);
    const std::pair<const char*, const char*> bad[] = {
        {"S", "[x"}, {"S", "a=b"},  {"S", ";c"}, {"S", ""},    {"S", " k"},
        {"S", "k "}, {"S", "a\nb"}, {" S", "k"}, {"S\r", "k"}, {"a\nb", "k"},
    };
    for (const auto& [section, name] : bad) {
        EXPECT_THROW(ini.WriteString(section, name, "1"), EIniFileException) << section << "/" << name;
        EXPECT_EQ(Read(path), before);
    }
    // Names the reader takes back as they are.
    ini.WriteString("[x]", "a[b]", "1");
    ini.WriteString("", "x;y", "2");
    EXPECT_EQ(ini.ReadString("[x]", "a[b]", ""), "1");
    EXPECT_EQ(ini.ReadString("", "x;y", ""), "2");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
}

} // namespace
