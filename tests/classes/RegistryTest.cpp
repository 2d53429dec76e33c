// The registry stand-in: typed values, keys, and the ini-file view of it.

#include "platform/classes/Registry.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("KVT_REGISTRY_FILE", dir.filePath("sub/registry.ini").toLocal8Bit());
    }
    void TearDown() override { qunsetenv("KVT_REGISTRY_FILE"); }
    static QStringList Lines(const TStrings& s) {
        QStringList r;
        for (int i = 0; i < s.Count(); ++i)
            r << s.Get(i);
        return r;
    }
    QTemporaryDir dir;
};

TEST_F(Registry, TypedValuesRoundTripThroughTheFile) {
    const QString awkward = QString::fromUtf8("  lead=trail \\ \r\nline2\tЮ ");
    {
        TRegistry reg;
        EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
        EXPECT_FALSE(reg.OpenKey("Software\\Kvt\\Setup", false));
        ASSERT_TRUE(reg.OpenKey("Software\\Kvt\\Setup", true));
        reg.WriteString("Text", awkward);
        reg.WriteString("", "default value");
        reg.WriteString("[odd=name;", "v");
        reg.WriteInteger("Number", -42);
        reg.WriteBool("Flag", true);
        reg.WriteFloat("Ratio", 0.125);
        const unsigned char blob[] = {0, 1, 0xFE, 0xFF};
        reg.WriteBinaryData("Blob", blob, 4);
        reg.CloseKey();
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\kvt\\setup", false)); // keys are case-insensitive
    EXPECT_EQ(reg.ReadString("Text"), awkward);
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.ReadString("[odd=name;"), "v");
    EXPECT_EQ(reg.ReadInteger("Number"), -42);
    EXPECT_TRUE(reg.ReadBool("Flag"));
    EXPECT_DOUBLE_EQ(reg.ReadFloat("Ratio"), 0.125);
    unsigned char buf[8] = {};
    EXPECT_EQ(reg.ReadBinaryData("Blob", buf, sizeof buf), 4);
    EXPECT_EQ(buf[2], 0xFE);
    EXPECT_EQ(reg.GetDataType("Number"), rdInteger);
    EXPECT_EQ(reg.GetDataType("Text"), rdString);
    EXPECT_EQ(reg.GetDataSize("Blob"), 4);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);

    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(names.Count(), 7);
    EXPECT_GE(names.IndexOf("[odd=name;"), 0);
    EXPECT_GE(names.IndexOf(""), 0);
}

TEST_F(Registry, WrongTypesAndMissingValues) {
    TRegistry reg;
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException); // no key open
    ASSERT_TRUE(reg.OpenKey("Software\\T", true));
    reg.WriteString("S", "12");
    reg.WriteInteger("I", 12);
    try {
        reg.ReadInteger("S");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'S'");
    }
    EXPECT_THROW(reg.ReadString("I"), ERegistryException);
    EXPECT_THROW(reg.ReadFloat("I"), ERegistryException);
    try {
        reg.ReadInteger("Missing");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to get data for 'Missing'");
    }
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_TRUE(reg.DeleteValue("S"));
    EXPECT_FALSE(reg.ValueExists("S"));
    EXPECT_FALSE(reg.DeleteValue("S"));
}

TEST_F(Registry, KeysAndSubkeys) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\App\\Grid", true));
    reg.WriteInteger("W", 1);
    ASSERT_TRUE(reg.OpenKey("Child", true)); // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\App\\Grid\\Child");
    reg.CloseKey();

    EXPECT_TRUE(reg.KeyExists("Software\\App"));
    EXPECT_TRUE(reg.KeyExists("Software\\App\\Grid\\Child"));
    EXPECT_FALSE(reg.KeyExists("Software\\Other"));
    ASSERT_TRUE(reg.OpenKey("Software\\App", false));
    TStringList keys;
    reg.GetKeyNames(&keys);
    EXPECT_EQ(Lines(keys), QStringList{"Grid"});
    EXPECT_TRUE(reg.HasSubKeys());

    EXPECT_TRUE(reg.DeleteKey("Grid"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\App\\Grid\\Child"));
    EXPECT_FALSE(reg.HasSubKeys());

    // Root keys are separate trees.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.KeyExists("Software\\App"));
}

TEST_F(Registry, RegIniFileSectionsAndDefaultValue) {
    {
        TRegIniFile ini("Software\\Kvt\\Layouts");
        ini.WriteString("Form1.Grid", "", "20,1");
        ini.WriteString("Form1.Grid", "Grid.Name", "0,64,1");
        ini.WriteInteger("Form1.Grid", "Count", 3);
        ini.WriteBool("Other", "On", true);
    }
    TRegIniFile ini("Software\\Kvt\\Layouts");
    EXPECT_EQ(ini.ReadString("Form1.Grid", "", "-"), "20,1");
    EXPECT_EQ(ini.ReadString("form1.grid", "grid.name", "-"), "0,64,1");
    EXPECT_EQ(ini.ReadInteger("Form1.Grid", "Count", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Form1.Grid", "Grid.Name", 9), 9); // not a number: the default
    EXPECT_TRUE(ini.ReadBool("Other", "On", false));
    EXPECT_EQ(ini.ReadString("Missing", "x", "dflt"), "dflt");

    TStringList sections;
    ini.ReadSections(&sections);
    EXPECT_EQ(Lines(sections), (QStringList{"Form1.Grid", "Other"}));
    TStringList values;
    ini.ReadSectionValues("Form1.Grid", &values);
    EXPECT_EQ(values.Values("Count"), "3");

    ini.EraseSection("Form1.Grid");
    EXPECT_EQ(ini.ReadString("Form1.Grid", "", "gone"), "gone");
    ini.DeleteKey("Other", "On");
    EXPECT_FALSE(ini.ReadBool("Other", "On", false));
    EXPECT_EQ(ini.CurrentPath(), "Software\\Kvt\\Layouts"); // section calls keep the open key
}

} // namespace
