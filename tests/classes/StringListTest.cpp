// TStrings / TStringList: sorted lists, duplicates, names and values, text forms, files.

#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace {

QStringList Lines(const TStrings& s) {
    QStringList r;
    for (int i = 0; i < s.Count(); ++i)
        r << s.Get(i);
    return r;
}

void SetLines(TStrings& s, const QStringList& lines) {
    s.Clear();
    for (const auto& l : lines)
        s.Add(l);
}

TEST(StringList, SortedListsAndDuplicates) {
    TStringList l;
    l.SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig", "apple"})
        l.Add(s);
    EXPECT_EQ(Lines(l), (QStringList{"Apple", "fig", "pear"})); // dupIgnore, case-insensitive
    EXPECT_EQ(l.Add("FIG"), 1); // an ignored duplicate answers the existing index
    EXPECT_EQ(l.IndexOf("PEAR"), 2);
    int at = -1;
    EXPECT_FALSE(l.Find("grape", at));
    EXPECT_EQ(at, 2);

    try {
        l.Insert(0, "x");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "Operation not allowed on sorted list");
    }
    EXPECT_THROW(l.SetStrings(0, "x"), EStringListError);
    EXPECT_THROW(l.Move(0, 2), EStringListError);
    EXPECT_EQ(Lines(l), (QStringList{"Apple", "fig", "pear"})); // a refused move loses nothing

    l.SetDuplicates(dupError);
    try {
        l.Add("fig");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }

    l.SetDuplicates(dupAccept);
    l.Add("fig");
    EXPECT_EQ(Lines(l), (QStringList{"Apple", "fig", "fig", "pear"}));

    // Case-sensitive: "apple" and "Apple" are two entries.
    TStringList cs(dupIgnore, true, true);
    cs.Add("b");
    cs.Add("apple");
    cs.Add("Apple");
    EXPECT_EQ(cs.Count(), 3);
    EXPECT_EQ(cs.IndexOf("APPLE"), -1);

    // Switching case sensitivity re-sorts a sorted list.
    TStringList unsorted;
    SetLines(unsorted, {"b", "A", "a", "B"});
    unsorted.SetSorted(true);
    EXPECT_EQ(Lines(unsorted).join(',').toLower(), "a,a,b,b");
}

TEST(StringList, AssignKeepsEveryLineOfASortedCaseSensitiveSource) {
    TStringList src(dupAccept, true, true);
    for (const char* s : {"a", "A", "b"})
        src.Add(s);
    TStringList dst;
    dst.SetSorted(true); // case-insensitive, dupIgnore: would merge "a" and "A"
    dst.Assign(&src);
    EXPECT_EQ(dst.Count(), 3);
    EXPECT_TRUE(dst.CaseSensitive());
    EXPECT_TRUE(dst.Equals(&src));
}

TEST(StringList, NamesAndValues) {
    TStringList l;
    SetLines(l, {"Port=COM1", "plain line", "port=second", "Empty=", "=nameless"});
    EXPECT_EQ(l.Values("PORT"), "COM1"); // case-insensitive, first match wins
    EXPECT_EQ(l.IndexOfName("port"), 0);
    EXPECT_EQ(l.Names(1), "");
    EXPECT_EQ(l.ValueFromIndex(1), "");
    EXPECT_EQ(l.Values("Empty"), "");
    EXPECT_EQ(l.Values(""), "nameless");
    EXPECT_EQ(l.Values("missing"), "");

    l.SetValues("Port", "COM2");
    EXPECT_EQ(l.Get(0), "Port=COM2");
    l.SetValues("Speed", "9600");
    EXPECT_EQ(l.Get(l.Count() - 1), "Speed=9600");
    l.SetValues("port", ""); // deletes the first match only
    EXPECT_EQ(l.Values("Port"), "second");
    l.SetValueFromIndex(l.IndexOfName("Speed"), "19200");
    EXPECT_EQ(l.Values("speed"), "19200");

    TStringList v;
    v.SetNameValueSeparator(':');
    v.Add("a:b=c");
    EXPECT_EQ(v.Names(0), "a");
    EXPECT_EQ(v.Values("A"), "b=c");
}

TEST(StringList, TextSplitsAtCrLfAndBoth) {
    struct Case {
        QString text;
        QStringList lines;
    } cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {"one", {"one"}},
    };
    TStringList l;
    for (const auto& c : cases) {
        l.SetText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << c.text.toStdString();
    }
    SetLines(l, {"a", "", "b"});
    EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");
    l.SetTrailingLineBreak(false);
    EXPECT_EQ(l.Text(), "a\r\n\r\nb");
}

TEST(StringList, CommaTextOutput) {
    struct Case {
        QStringList lines;
        QString text;
    } cases[] = {
        {{"a", "b"}, "a,b"},      {{"a b", "c"}, "\"a b\",c"},
        {{""}, "\"\""},           {{}, ""},
        {{"a", "", "b"}, "a,,b"}, {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"x,y"}, "\"x,y\""},     {{"tab\there"}, "\"tab\there\""},
    };
    TStringList l;
    for (const auto& c : cases) {
        SetLines(l, c.lines);
        EXPECT_EQ(l.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(Lines(back), c.lines) << c.text.toStdString();
    }
}

TEST(StringList, DelimitedTextInput) {
    struct Case {
        QChar delimiter;
        bool strict;
        QString text;
        QStringList lines;
    } cases[] = {
        {',', false, "a,b,c", {"a", "b", "c"}},
        {',', false, "  a , b ", {"a", "b"}},
        {',', false, "a b", {"a", "b"}},
        {',', false, "a,,b", {"a", "", "b"}},
        {',', false, "a,", {"a", ""}},
        {',', false, "a, ", {"a"}},
        {',', false, "\"a b\",c", {"a b", "c"}},
        {',', false, "\"a\"\"b\"", {"a\"b"}},
        {',', false, "\"unclosed, x", {"unclosed, x"}},
        {',', false, "\"a\"b", {"a", "b"}},
        {',',
         false,
         "a\tb\x01"
         "c",
         {"a", "b", "c"}},
        {',', false, "", {}},
        {'.', false, "192.168. 1.10", {"192", "168", "1", "10"}},
        {';', true, "a b;; c ;", {"a b", "", " c ", ""}},
    };
    TStringList l;
    for (const auto& c : cases) {
        l.SetDelimiter(c.delimiter);
        l.SetStrictDelimiter(c.strict);
        l.SetDelimitedText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << c.text.toStdString();
    }
    // CommaText leaves the list's own delimiter settings alone.
    l.SetDelimiter(';');
    l.SetStrictDelimiter(true);
    l.SetCommaText("x y");
    EXPECT_EQ(Lines(l), (QStringList{"x", "y"}));
    EXPECT_EQ(l.Delimiter(), ';');
    EXPECT_TRUE(l.StrictDelimiter());
}

TEST(StringList, ChangeEventsAndUpdates) {
    TStringList l;
    int changes = 0, changing = 0;
    l.OnChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    l.OnChanging = TNotifyEvent::Callable([&](TObject*) { ++changing; });
    l.Add("a");
    l.Add("b");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changing, 2);
    l.BeginUpdate();
    l.Add("c");
    l.Delete(0);
    l.Exchange(0, 1);
    EXPECT_EQ(changes, 2);
    l.EndUpdate();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(changing, 3);
    l.SetText("x\ny"); // one notification for the whole text
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(Lines(l), (QStringList{"x", "y"}));
}

TEST(StringList, MoveExchangeAndCustomSort) {
    TStringList l;
    SetLines(l, {"a", "b", "c", "d"});
    TObject marker;
    l.SetObjects(0, &marker);
    l.Move(0, 3);
    EXPECT_EQ(Lines(l), (QStringList{"b", "c", "d", "a"}));
    EXPECT_EQ(l.Objects(3), &marker);
    EXPECT_EQ(l.IndexOfObject(&marker), 3);
    l.Exchange(0, 3);
    EXPECT_EQ(Lines(l), (QStringList{"a", "c", "d", "b"}));
    EXPECT_THROW(l.Exchange(0, 4), EStringListError);

    SetLines(l, {"ccc", "a", "bb"});
    l.CustomSort(
        [](TStringList* list, int i, int j) { return int(list->Get(i).size() - list->Get(j).size()); });
    EXPECT_EQ(Lines(l), (QStringList{"a", "bb", "ccc"}));
}

TEST(StringList, OwnsObjectsFreesThem) {
    static int freed = 0;
    struct TCounted : TObject {
        ~TCounted() override { ++freed; }
    };
    freed = 0;
    {
        TStringList l(true);
        l.AddObject("a", new TCounted);
        l.AddObject("b", new TCounted);
        l.AddObject("c", new TCounted);
        l.Delete(0);
        EXPECT_EQ(freed, 1);
        l.Move(0, 1); // moving keeps the object
        EXPECT_EQ(freed, 1);
        l.Clear();
        EXPECT_EQ(freed, 3);
        l.AddObject("d", new TCounted);
    }
    EXPECT_EQ(freed, 4);
}

class StringListFiles : public ::testing::Test {
protected:
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
    QTemporaryDir dir;
};

TEST_F(StringListFiles, LoadDecidesTheEncoding) {
    const QString privet = QString::fromUtf8("Привет");
    const QByteArray cp1251("\xCF\xF0\xE8\xE2\xE5\xF2");
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"utf8bom.txt", QByteArray("\xEF\xBB\xBF") + privet.toUtf8() + "\r\nx"},
        {"utf8.txt", privet.toUtf8() + "\nx\n"},
        {"ansi.txt", cp1251 + "\r\nx\r\n"},
        {"utf16.txt",
         QByteArray("\xFF\xFE") +
             QByteArray(reinterpret_cast<const char*>((privet + "\r\nx").utf16()), (privet.size() + 3) * 2)},
    };
    for (const auto& c : cases) {
        TStringList l;
        l.LoadFromFile(Write(c.name, c.bytes));
        EXPECT_EQ(Lines(l), (QStringList{privet, "x"})) << c.name;
    }
    TStringList l;
    l.LoadFromFile(Write("explicit.txt", cp1251), TEncoding::Default());
    EXPECT_EQ(l.Get(0), privet);
    EXPECT_THROW(l.LoadFromFile(dir.filePath("missing.txt")), EFOpenError);
}

TEST_F(StringListFiles, SaveWritesAnsiWithCrLfOrTheGivenEncoding) {
    TStringList l;
    SetLines(l, {QString::fromUtf8("Привет"), "x"});
    const QString path = dir.filePath("out.txt");
    l.SaveToFile(path);
    EXPECT_EQ(Read(path), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\r\nx\r\n"));
    l.SaveToFile(path, TEncoding::UTF8());
    EXPECT_EQ(Read(path), QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("Привет\r\nx\r\n").toUtf8());

    TStringList back;
    back.LoadFromFile(path);
    EXPECT_TRUE(back.Equals(&l));

    // Every encoding with a byte-order mark reads back unchanged; ASCII loses the Cyrillic.
    for (const TEncoding* e : {TEncoding::UTF8(), TEncoding::Unicode(), TEncoding::BigEndianUnicode()}) {
        l.SaveToFile(path, e);
        back.LoadFromFile(path);
        EXPECT_TRUE(back.Equals(&l)) << e->EncodingName().toStdString();
    }
    l.SaveToFile(path, TEncoding::ASCII());
    EXPECT_EQ(Read(path), "??????\r\nx\r\n");
    l.SetWriteBOM(false);
    l.SaveToFile(path, TEncoding::UTF8());
    EXPECT_EQ(Read(path), QString::fromUtf8("Привет\r\nx\r\n").toUtf8());
}

} // namespace
